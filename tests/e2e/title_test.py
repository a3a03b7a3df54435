#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Brisco2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""The first seconds in a real window: the borderless title screen, the second window
at 2.5 s, the menu with its border back at 3 s."""

import os
import time

from e2e import (BLACK, MAIN, NAVY, SECOND, SILVER, WHITE, YELLOW, Session, check, in_time, log,
                 main, read_xpm, wait_for)

MENU_LEFT, MENU_TOP = 56, 56  # the menu panel `m` in the play field, at the client's corner
FIELD = (489, 249)            # the play field `Panel2`, at the client's corner


def beside_field(cw, ch):
    """Points of a cw x ch client area that the play field does not cover: the middles
    of the strips right of it and below it, as far as the window manager's frame leaves
    them."""
    points = []
    if cw > FIELD[0]:
        points.append(((FIELD[0] + cw) // 2, 100))
    if ch > FIELD[1]:
        points += [(100, (FIELD[1] + ch) // 2), (400, (FIELD[1] + ch) // 2)]
    return points


def run(args):
    logo = read_xpm(os.path.join(args.pictures, "logo1.xpm"))
    with Session(args.game, args.artifacts, args.music, wm=args.wm) as s:
        s.start_game()
        wait_for("the main window", lambda: s.mapped(MAIN), 30)
        shown = time.monotonic()
        check(s.mapped(SECOND) is None, "the second window shows at once")

        # Borderless from the first tick, at the tree's position and outer size.
        s.wait_placed(MAIN, (278, 208, 497, 304, False), 5)
        time.sleep(0.3)
        img, cx, cy = s.client_shot(MAIN, "title")
        _, _, cw, ch = s.client_area(MAIN)
        age = time.monotonic() - shown
        in_time(age, 2.4, "the title screen")
        for y, row in enumerate(logo):
            for x, colour in enumerate(row):
                if colour:
                    check(img.at(cx + x, cy + y) == colour,
                          "logo pixel %d,%d is %s, not %s" % (x, y, img.at(cx + x, cy + y), colour))
        yellow = img.count(YELLOW, cx + 48, cy + 72, cx + 431, cy + 178)
        check(yellow > 300, "the maker's name is missing (%d yellow pixels)" % yellow)
        # Black `st` around the play field while the title shows.
        check((cw, ch) == (497, 304), "the borderless client area is %dx%d" % (cw, ch))
        for x, y in beside_field(cw, ch):
            check(img.at(cx + x, cy + y) == BLACK, "no black title panel at %d,%d" % (x, y))

        # The second window at 2.5 s: where the tree puts it, framed.
        wait_for("the second window", lambda: s.mapped(SECOND), 10)
        after = time.monotonic() - shown
        log("second window after %.2f s" % after)
        check(after >= 1.9, "the second window came after %.2f s, not 2.5 s" % after)
        s.wait_placed(SECOND, (278, 179, 496, 335, True), 5)

        # The menu at 3 s, the main window framed again at its place and size.
        s.wait_placed(MAIN, (278, 208, 497, 304, True), 10)
        framed = time.monotonic() - shown
        log("border back after %.2f s" % framed)
        check(framed >= 2.6, "the border came back after %.2f s, before the title ended" % framed)
        time.sleep(max(0.0, 3.5 - (time.monotonic() - shown)))
        s.focus(MAIN)
        img, cx, cy = s.client_shot(MAIN, "menu")
        _, _, cw, ch = s.client_area(MAIN)
        log("framed client area %dx%d" % (cw, ch))
        mx, my = cx + MENU_LEFT, cy + MENU_TOP
        check(img.at(mx + 10, my + 10) == NAVY, "no navy header on the menu")
        check(img.count(WHITE, mx + 150, my + 5, mx + 230, my + 36) > 30, "no \"Menu\" caption")
        check(img.at(mx + 370, my + 100) == SILVER, "no menu panel")
        welcome = img.count(BLACK, mx + 304, my + 48, mx + 370, my + 62)
        check(welcome > 20, "no \"Welcome\" (%d black pixels)" % welcome)
        lines = img.count(BLACK, mx + 8, my + 64, mx + 100, my + 77)
        check(lines > 20, "no mission lines (%d black pixels)" % lines)
        # Whatever the frame leaves of the client area beside the field is navy.
        beside = beside_field(cw, ch)
        check(beside, "the frame leaves no client area beside the play field")
        for x, y in beside:
            check(img.at(cx + x, cy + y) == NAVY,
                  "the window's navy does not show by the field at %d,%d" % (x, y))
        # The second window lies behind, 29 px higher: where its caption bar is lower
        # than that (not under metacity), its navy client area shows above the main one.
        sx, sy, sw, sh = s.client_area(SECOND)
        if sy < 208:
            check(img.at(sx + sw // 2, (sy + 208) // 2) == NAVY,
                  "the second window's client does not show above")


if __name__ == "__main__":
    main(run)
