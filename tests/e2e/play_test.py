#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Brisco2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Playing in a real window: a mission started with 1, the bar moved with D and A,
M back to the menu with "Game Over!", keys through the disabled second window, a
resize undone, a maximise and a minimise undone by F5, and the end by closing the main
window."""

import time

from e2e import (BLACK, GREY, MAIN, RED, SECOND, SILVER, WHITE, Failure, Session, check, log,
                 main, wait_for)

MENU = (56, 56)  # the menu panel in the client area
BAR_ROW = 116    # a pixel row through the bar (top 112, 9 high)
FIELD_WIDTH = 489


def bar_left(img, cx, cy):
    """The bar's left edge in the client area: the first run of bar pixels (grey with a
    white bevel) as long as the bar is, or None."""
    run_start, run = None, 0
    for x in range(FIELD_WIDTH):
        if img.at(cx + x, cy + BAR_ROW) in (GREY, WHITE):
            if run == 0:
                run_start = x
            run += 1
            if run >= 40:
                return run_start
        else:
            run = 0
    return None


def menu_shown(img, cx, cy):
    return img.at(cx + MENU[0] + 370, cy + MENU[1] + 100) == SILVER


def game_over(img, cx, cy):
    x, y = cx + MENU[0] + 300, cy + MENU[1] + 46
    return img.count(RED, x, y, x + 90, y + 17) > 150 and img.count(BLACK, x, y, x + 90, y + 17) > 20


def run(args):
    with Session(args.game, args.artifacts, args.music, wm=args.wm) as s:
        s.start_game()
        wait_for("the main window", lambda: s.mapped(MAIN), 30)
        s.wait_placed(MAIN, (278, 208, 497, 304, True), 15)
        time.sleep(0.5)
        s.focus(MAIN)

        # Mission 1, and the bar under D and A.
        s.key("1")
        shot = {}

        def look(label, test):
            def attempt():
                img, cx, cy = s.client_shot(MAIN, label)
                shot["img"] = (img, cx, cy)
                return test(img, cx, cy)
            return wait_for(label, attempt, 5, step=0.2)

        look("mission-1", lambda img, cx, cy: not menu_shown(img, cx, cy))
        start = look("bar", lambda img, cx, cy: bar_left(img, cx, cy))
        log("bar at %d" % start)
        s.key("d", "d", "d")
        look("bar-right", lambda img, cx, cy: bar_left(img, cx, cy) == start + 30)
        s.key("a")
        look("bar-left", lambda img, cx, cy: bar_left(img, cx, cy) == start + 20)
        s.key("shift+d")  # a modified key is no shortcut
        time.sleep(0.3)
        img, cx, cy = s.client_shot(MAIN, "shift-d")
        check(bar_left(img, cx, cy) == start + 20, "Shift+D moved the bar")

        # M: the menu comes back with "Game Over!" on red.
        s.key("m")
        look("game-over", lambda img, cx, cy: menu_shown(img, cx, cy) and game_over(img, cx, cy))

        # Keys that reach the disabled second window act through the main window's.
        s.focus(SECOND)
        s.key("2")
        time.sleep(0.4)
        s.focus(MAIN)
        look("mission-2-via-second", lambda img, cx, cy: not menu_shown(img, cx, cy))
        s.focus(SECOND)
        s.key("m")
        time.sleep(0.4)
        s.focus(MAIN)
        look("menu-via-second", lambda img, cx, cy: menu_shown(img, cx, cy))

        # The disabled second window cannot be closed.
        s.focus(SECOND)
        s.key("alt+F4")
        time.sleep(1.5)
        check(s.mapped(SECOND) is not None, "the disabled second window closed")
        check(s.alive(), "the game ended when the second window was asked to close")

        # A resize is undone within a second.
        w = s.focus(MAIN)
        left, right, top, bottom = s.frame_of(w)
        log("frame: left %d, right %d, top %d, bottom %d" % (left, right, top, bottom))
        # The lock runs once a game second: a resize that lands just before it lasts a
        # few milliseconds, less than one look at the window takes on a busy machine.
        # Such a resize is tried again.
        for attempt in range(3):
            s.x(["xdotool", "windowsize", w["id"], "300", "200"])
            try:
                s.wait_placed(MAIN, (278, 208, 300 + left + right, 200 + top + bottom, True),
                              1.5 if attempt < 2 else 5)
                break
            except Failure as e:
                if attempt == 2:
                    raise
                log("resize %d not seen: %s" % (attempt + 1, e))
                s.wait_placed(MAIN, (278, 208, 497, 304, True), 3)
        resized = time.monotonic()
        s.screenshot("resized")
        s.wait_placed(MAIN, (278, 208, 497, 304, True), 3)
        undone = time.monotonic() - resized
        log("resize undone after %.2f s" % undone)
        check(undone <= 1.6, "the resize took %.2f s to be undone" % undone)

        # Maximised by the window manager, restored by F5.
        # A double click in the middle of the caption bar.
        s.x(["xdotool", "mousemove", "500", str(208 + top // 2), "click", "--repeat", "2",
             "--delay", "80", "1"])
        wait_for("the maximised window", lambda: s.maximised(MAIN), 5,
                 seen=lambda: s.placed(MAIN))
        s.screenshot("maximised")
        s.focus(MAIN)
        s.key("F5")
        s.wait_placed(MAIN, (278, 208, 497, 304, True), 5)
        check(not s.maximised(MAIN), "F5 left the window maximised")
        time.sleep(0.5)
        check(s.placed(MAIN) == (278, 208, 497, 304, True), "the restored window moved or resized")
        img, cx, cy = s.client_shot(MAIN, "restored")
        check(menu_shown(img, cx, cy), "the restored window lost its menu")

        # Minimised, the main window takes no keys; F5 reaching the second window
        # restores it.
        s.x(["xdotool", "windowminimize", s.mapped(MAIN)["id"]])
        wait_for("the minimised window", lambda: s.mapped(MAIN) is None, 5)
        s.focus(SECOND)
        s.key("F5")
        s.wait_placed(MAIN, (278, 208, 497, 304, True), 5)
        s.screenshot("restored-via-second")

        # Closing the main window ends the program, the second window still open.
        s.focus(MAIN)
        s.key("alt+F4")
        rc = s.game.wait(timeout=15)
        check(rc == 0, "the game ended with status %d" % rc)
        log("closed with status 0")


if __name__ == "__main__":
    main(run)
