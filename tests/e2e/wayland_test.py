#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Brisco2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""The game on Wayland, under weston's headless compositor: the borderless title
screen painted, the second window at 2.5 s, the menu in a frame Qt draws at 3 s, and
the report box of a missing sound file. The compositor places the windows: a Wayland
client cannot, so no place is checked."""

import os
import time

from e2e import (BLACK, NAVY, SILVER, WAYLAND_TOOLS, WaylandSession, check, in_time, log,
                 main, read_xpm, wait_for)

MAIN, SECOND, REPORT = "VD Brisco2", "V Systeme", "brisco2"
FIELD = (489, 249)  # the play field `Panel2`, at the client's corner
MENU = (56, 56)     # the menu panel `m` in the play field


def windows_and_painting(args):
    logo = read_xpm(os.path.join(args.pictures, "logo1.xpm"))
    with WaylandSession(args.game, args.artifacts, args.music) as s:
        s.start_game()
        w = wait_for("the main window", lambda: s.window(MAIN), 30)
        shown = time.monotonic()
        check(s.window(SECOND) is None, "the second window shows at once")

        # Borderless from the first tick: the whole surface is the client area.
        w = wait_for("a borderless main window",
                     lambda: (lambda v: v if v and (v["w"], v["h"], v["cw"], v["ch"]) ==
                              (497, 304, 497, 304) else None)(s.window(MAIN)), 5,
                     seen=lambda: s.window(MAIN))
        time.sleep(0.3)
        img = s.screenshot("title")
        age = time.monotonic() - shown
        in_time(age, 2.4, "the title screen")
        cx, cy = w["cx"], w["cy"]
        for y, row in enumerate(logo):
            for x, colour in enumerate(row):
                if colour:
                    check(img.at(cx + x, cy + y) == colour,
                          "logo pixel %d,%d is %s, not %s" % (x, y, img.at(cx + x, cy + y), colour))
        check(img.at(cx + 493, cy + 100) == BLACK, "no black title panel beside the field")

        # The second window at 2.5 s, framed by Qt at the tree's outer size.
        second = wait_for("the second window", lambda: s.window(SECOND), 10)
        after = time.monotonic() - shown
        log("second window after %.2f s: %s" % (after, second))
        check(1.9 <= after <= 5.0, "the second window came after %.2f s, not 2.5 s" % after)
        # Qt knows its frame only once the window shows; then the client area shrinks
        # to keep the outer size.
        second = wait_for("the second window at 496x335",
                          lambda: (lambda v: v if v and (v["w"], v["h"]) == (496, 335) else None)(
                              s.window(SECOND)), 2, seen=lambda: s.window(SECOND))
        check(second["cw"] < 496 and second["ch"] < 335, "the second window has no frame")

        # The menu at 3 s, the main window framed within the same outer size.
        w = wait_for("the framed main window",
                     lambda: (lambda v: v if v and v["ch"] < 304 else None)(s.window(MAIN)),
                     10, seen=lambda: s.window(MAIN))
        check((w["w"], w["h"]) == (497, 304), "the framed main window is %dx%d" % (w["w"], w["h"]))
        log("framed: outer %dx%d, client %dx%d" % (w["w"], w["h"], w["cw"], w["ch"]))
        time.sleep(max(0.0, 3.6 - (time.monotonic() - shown)))
        w = s.window(MAIN)
        img = s.screenshot("menu")
        mx, my = w["cx"] + MENU[0], w["cy"] + MENU[1]
        check(img.at(mx + 10, my + 10) == NAVY, "no navy header on the menu")
        check(img.at(mx + 370, my + 100) == SILVER, "no menu panel")
        if w["ch"] > FIELD[1]:
            check(img.at(w["cx"] + 100, w["cy"] + (FIELD[1] + w["ch"]) // 2) == NAVY,
                  "the window's navy does not show below the field")
        check(s.alive(), "the game ended")


def report_box(args):
    with WaylandSession(args.game, args.artifacts + "/report") as s:
        s.start_game()  # no Brisco.wma: the music's start at 3 s fails
        wait_for("the main window", lambda: s.window(MAIN), 30)
        box = wait_for("the report box", lambda: s.window(REPORT), 10)
        log("report box: %s" % box)
        s.screenshot("report")
        check(box["cw"] > 100 and box["ch"] > 50, "the report box is empty")
        check(s.alive(), "the game ended with the report")


def run(args):
    windows_and_painting(args)
    report_box(args)


if __name__ == "__main__":
    main(run, tools=WAYLAND_TOOLS + ["convert"])
