#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Brisco2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""A recorded session replays exactly: some 15 s of play in the real window (missions,
the bar keys, M, a maximise undone by F5, the transfer effect of mission 8), recorded
with --record, closed, then replayed with brisco2-replay --verify against the state the
window closed in, with its music playing to a sound server. With --busy=N, N CPU-bound
processes run beside the game for the whole session, so that ticks come late and inputs
land on overdue ticks."""

import os
import subprocess
import sys
import time

from e2e import MAIN, Session, _die_with_parent, check, log, main, wait_for

BUSY = 0
# A quiet session writes a line per input and per late round: a few kilobytes.
QUIET_LIMIT = 64 * 1024


def play(s):
    wait_for("the main window", lambda: s.mapped(MAIN), 30)
    s.wait_placed(MAIN, (278, 208, 497, 304, False), 15)  # the borderless title screen
    time.sleep(3.3)  # the menu screen
    # The music from 3 s on, played to the session's sound server.
    wait_for("the music at the sound server",
             lambda: (s.pactl("list", "short", "sink-inputs") or "").strip() != "", 5)
    s.focus(MAIN)

    s.key("1", "d", "d", "d", "a")
    time.sleep(1.5)
    s.key("m", "5", "a", "a", "d")
    time.sleep(1.0)

    # Maximised by the window manager, restored by F5.
    s.x(["xdotool", "mousemove", "500", "217", "click", "--repeat", "2", "--delay", "80", "1"])
    wait_for("the maximised window", lambda: s.maximised(MAIN), 5, seen=lambda: s.placed(MAIN))
    s.focus(MAIN)
    s.key("F5")
    wait_for("the restored window", lambda: not s.maximised(MAIN), 5)

    # Mission 8: the actors jump within the client area, which the frame decides.
    s.focus(MAIN)
    s.key("m", "8")
    for i in range(12):
        s.key("a" if i % 3 == 0 else "d")
        time.sleep(0.3)
    time.sleep(2.5)
    s.key("m")
    time.sleep(0.5)
    s.key("alt+F4")
    rc = s.game.wait(timeout=15)
    s.game_log.flush()
    with open(os.path.join(s.artifacts, "game.log")) as f:
        said = f.read()
    check(rc == 0, "the game ended with status %d: %s" % (rc, said.strip()[-500:]))


def run(args):
    check(args.replay is not None, "no --replay given")
    hogs = []
    try:
        # With sound: the game closes while its music plays to a sound server, and the
        # probe stops it if it takes that connection down unsafely on the way out.
        env = {}
        if args.pulse_lock_probe:
            asan = os.environ.get("ASAN_OPTIONS", "")
            env = {"LD_PRELOAD": args.pulse_lock_probe,
                   "ASAN_OPTIONS": (asan + ":" if asan else "") + "verify_asan_link_order=0"}
        with Session(args.game, args.artifacts, args.music, env=env) as s:
            s.start_sound_server()
            recording = os.path.join(args.artifacts, "session.replay")
            for old in (recording, recording + ".final.json"):
                if os.path.exists(old):
                    os.remove(old)
            for _ in range(BUSY):
                hogs.append(subprocess.Popen([sys.executable, "-c", "while True: pass"],
                                             preexec_fn=_die_with_parent))
            if hogs:
                log("%d busy loops beside the game" % len(hogs))
            start = time.monotonic()
            s.start_game(["--record", recording])
            play(s)
            log("played %.1f s" % (time.monotonic() - start))
    finally:
        for h in hogs:
            h.kill()
            h.wait()

    check(os.path.exists(recording + ".final.json"), "no final state was written")
    with open(recording) as f:
        lines = f.read().splitlines()
    size = os.path.getsize(recording)
    late = sum(1 for l in lines if " late " in l)
    keys = sum(1 for l in lines if " key " in l)
    log("recording: %d bytes, %d lines, %d keys, %d late rounds; %s" % (
        size, len(lines), keys, late, ", ".join(l for l in lines if " frame " in l or
                                                 " maximize" in l or " restore" in l)))
    check(lines[0].startswith("seed "), "the recording does not start with its seed")
    check(lines[-1].endswith(" dump"), "the recording does not end with a dump")
    check(keys >= 25, "only %d keys were recorded" % keys)
    check(any(" maximize" in l for l in lines), "the maximise was not recorded")
    if not BUSY:
        check(size < QUIET_LIMIT, "a quiet session took %d bytes" % size)

    # Replayed where no music file is: the recorded answers of the device count.
    r = subprocess.run([args.replay, "--verify", recording], capture_output=True, text=True,
                       timeout=120, cwd=args.artifacts)
    log(r.stdout.strip())
    check(r.returncode == 0, "the replay does not end in the recorded state (status %d): %s"
          % (r.returncode, r.stderr.strip()[-500:]))


if __name__ == "__main__":
    for a in list(sys.argv[1:]):
        if a.startswith("--busy="):
            BUSY = int(a.split("=", 1)[1])
            sys.argv.remove(a)
    main(run, also=["pulseaudio", "pactl"])
