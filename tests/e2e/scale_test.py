#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Brisco2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Scaled displays: the window keeps its logical 497 x 304 and the pictures stay crisp,
every pixel of the logo one of the 16 colours, each art pixel a clean block."""

import os
import sys
import time

from e2e import MAIN, PALETTE, Session, check, in_time, log, main, read_xpm, wait_for

SCALE = float(os.environ.get("BRISCO2_E2E_SCALE", "2"))


def run(args):
    logo = read_xpm(os.path.join(args.pictures, "logo1.xpm"))
    env = {"QT_SCALE_FACTOR": ("%g" % SCALE)}
    with Session(args.game, args.artifacts, args.music, screen=(2048, 1536), env=env, wm=args.wm) as s:
        s.start_game()
        wait_for("the main window", lambda: s.mapped(MAIN), 30)
        shown = time.monotonic()
        size = (round(497 * SCALE), round(304 * SCALE))
        at = (round(278 * SCALE), round(208 * SCALE))
        s.wait_placed(MAIN, at + size + (False,), 5)
        time.sleep(0.3)
        img, cx, cy = s.client_shot(MAIN, "title-x%g" % SCALE)
        in_time(time.monotonic() - shown, 2.4, "the title screen")
        side = int(32 * SCALE)
        for y in range(side):
            for x in range(side):
                c = img.at(cx + x, cy + y)
                check(c in PALETTE, "blended colour %s at %d,%d" % (c, x, y))
        if SCALE == int(SCALE):
            k = int(SCALE)
            for y, row in enumerate(logo):
                for x, colour in enumerate(row):
                    if colour:
                        for dy in range(k):
                            for dx in range(k):
                                got = img.at(cx + k * x + dx, cy + k * y + dy)
                                check(got == colour, "logo pixel %d,%d: %s at +%d,+%d, not %s"
                                      % (x, y, got, dx, dy, colour))
        else:
            # Each art pixel covers one or two screen pixels a side; every opaque one
            # still shows its colour at the centre of its block.
            for y, row in enumerate(logo):
                for x, colour in enumerate(row):
                    if colour:
                        px, py = int((x + 0.5) * SCALE), int((y + 0.5) * SCALE)
                        got = img.at(cx + px, cy + py)
                        check(got == colour, "logo pixel %d,%d shows %s, not %s"
                              % (x, y, got, colour))
        log("logo crisp at x%g" % SCALE)


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1].startswith("--scale="):
        SCALE = float(sys.argv.pop(1).split("=", 1)[1])
    main(run)
