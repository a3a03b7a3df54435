#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Brisco2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Music faults in a real window: a missing or broken Brisco.wma shows one error box
at a time while the game runs on behind it; closing the box lets the next retry report.
"""

import os
import re
import time

from e2e import MAIN, Session, check, log, main, wait_for

TITLE = "brisco2"  # the reports' caption: the program file's name


def boxes(s):
    tree = s.x(["xwininfo", "-root", "-tree"], check_rc=False)
    ids = re.findall(r'^\s*(0x[0-9a-f]+) "%s":' % re.escape(TITLE), tree, re.M)
    return [i for i in ids if "IsViewable" in s.x(["xwininfo", "-id", i], check_rc=False)]


def scenario(args, label, prepare):
    with Session(args.game, args.artifacts, wm=args.wm) as s:
        prepare(s.folder)
        s.start_game()
        wait_for("the main window", lambda: s.mapped(MAIN), 30)
        wait_for("the error box (%s)" % label, lambda: boxes(s), 10)
        s.screenshot(label + "-report")
        # Retries every 3 s go on, but never stack a second box on the open one.
        time.sleep(6.5)
        check(len(boxes(s)) == 1, "%s: %d error boxes open" % (label, len(boxes(s))))
        check(s.alive(), "%s: the game ended" % label)
        s.x(["xdotool", "windowactivate", "--sync", boxes(s)[0]], check_rc=False)
        s.key("Return")
        wait_for("the box to close", lambda: not boxes(s), 5)
        wait_for("the next retry's box", lambda: boxes(s), 5)
        s.screenshot(label + "-next-report")
        check(len(boxes(s)) == 1, "%s: more than one box after the retry" % label)
        log("%s: one box at a time" % label)


def run(args):
    scenario(args, "missing", lambda folder: None)

    def random_bytes(folder):
        with open(os.path.join(folder, "Brisco.wma"), "wb") as f:
            f.write(os.urandom(4096))
    scenario(args, "random-bytes", random_bytes)

    def directory(folder):
        os.mkdir(os.path.join(folder, "Brisco.wma"))
    scenario(args, "directory", directory)


if __name__ == "__main__":
    main(run)
