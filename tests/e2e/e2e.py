# SPDX-FileCopyrightText: 2026 Brisco2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""A real X session for the game: Xvfb, openbox, the game, screenshots and pixels.

Only the standard library and the X tools the project installs (Xvfb, openbox,
xdotool, xwininfo, xprop, ImageMagick's import and convert).
"""

import ctypes
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77  # ctest's SKIP_RETURN_CODE: the machine lacks the X tools

TOOLS = ["Xvfb", "xdotool", "xwininfo", "xprop", "import", "convert"]

# The window managers the tests run under: how each is started on a bare X server.
WINDOW_MANAGERS = {
    "openbox": ["openbox", "--sm-disable"],
    "metacity": ["metacity", "--replace", "--sm-disable", "--no-composite"],
    # xfwm4 reads its settings over D-Bus and waits for a bus that is not there.
    "xfwm4": ["dbus-run-session", "--", "xfwm4", "--compositor=off", "--sm-client-disable"],
    "icewm": ["icewm"],
}


def wm_tools(wm):
    """The programs a window manager's start needs."""
    argv = WINDOW_MANAGERS[wm]
    return [argv[0]] + ([argv[2]] if argv[0] == "dbus-run-session" else [])

MAIN = "VD Brisco2"
SECOND = "V Systeme"

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
NAVY = (0, 0, 128)
GREY = (128, 128, 128)
SILVER = (192, 192, 192)
RED = (255, 0, 0)
GREEN = (0, 128, 0)
YELLOW = (255, 255, 0)
PALETTE = {
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (128, 128, 128), (192, 192, 192), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
}


class Failure(Exception):
    pass


class TooLate(Exception):
    """The scenario looked too late at something the game shows only for a while (the
    title screen's three seconds): a busy machine, not a fault. main() runs it again."""


# How often a scenario that looked too late is run again before it fails.
TOO_LATE_TRIES = 3


def in_time(age, limit, what):
    """Raises TooLate when `what` was looked at `age` seconds in, past `limit`."""
    if age >= limit:
        raise TooLate("%s was photographed too late (%.1f s, before %.1f s wanted)"
                      % (what, age, limit))


def check(cond, message):
    if not cond:
        raise Failure(message)


def log(message):
    print(message, flush=True)


def missing_tools():
    return [t for t in TOOLS if shutil.which(t) is None]


def _die_with_parent():
    # The X server and the game must not outlive a test that is killed on a timeout.
    try:
        libc = ctypes.CDLL("libc.so.6", use_errno=True)
        libc.prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
    except OSError:
        pass


def _signal_group(p, sig):
    try:
        os.killpg(p.pid, sig)
    except (ProcessLookupError, PermissionError):
        pass


def wait_for(what, predicate, timeout, step=0.05, seen=None):
    """Polls until predicate() gives a true value, which is returned. `seen()` tells
    what there was instead, for the message on a timeout."""
    start = time.monotonic()
    history = []  # what `seen` gave, each change with its time
    while True:
        value = predicate()
        if value:
            return value
        if seen:
            now = seen()
            if not history or history[-1][1] != now:
                history.append((time.monotonic() - start, now))
        if time.monotonic() - start > timeout:
            extra = "; seen: " + ", ".join("%.2f s %s" % h for h in history) if seen else ""
            raise Failure("timed out after %.1f s waiting for %s%s" % (timeout, what, extra))
        time.sleep(step)


class Image:
    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def count(self, colour, x0, y0, x1, y1):
        """Pixels of that colour in [x0, x1) x [y0, y1)."""
        return sum(1 for y in range(y0, y1) for x in range(x0, x1) if self.at(x, y) == colour)


def parse_ppm(raw):
    # P6 <w> <h> <max>\n<bytes>; ImageMagick writes no comments.
    m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", raw)
    if not m:
        raise Failure("convert gave no PPM image")
    w, h = int(m.group(1)), int(m.group(2))
    return Image(w, h, raw[m.end():m.end() + w * h * 3])


def read_xpm(path):
    """The pixels of a one-character-per-pixel XPM: rows of (r, g, b) or None."""
    with open(path) as f:
        strings = re.findall(r'"([^"]*)"', f.read())
    w, h, ncolours = (int(v) for v in strings[0].split()[:3])
    colours = {}
    for line in strings[1:1 + ncolours]:
        key, value = line[0], line.split()[-1]
        colours[key] = None if value.lower() == "none" else (
            int(value[1:3], 16), int(value[3:5], 16), int(value[5:7], 16))
    rows = strings[1 + ncolours:1 + ncolours + h]
    return [[colours[ch] for ch in row[:w]] for row in rows]


class Session:
    """Xvfb and openbox on a free display; the game in a scratch folder."""

    def __init__(self, game, artifacts, music=None, screen=(1024, 768), env=None, wm="openbox"):
        self.wm = wm
        self.game_path = game
        self.artifacts = artifacts
        self.music = music
        self.screen = screen
        self.extra_env = env or {}
        self.procs = []
        self.game = None
        self.shots = 0
        self.folder = tempfile.mkdtemp(prefix="brisco2-e2e-")
        os.makedirs(artifacts, exist_ok=True)
        for old in os.listdir(artifacts):
            if old.endswith(".png"):
                os.remove(os.path.join(artifacts, old))

    # --- processes ---------------------------------------------------------------
    def __enter__(self):
        try:
            self._start_x()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, kind, value, tb):
        if kind is not None:
            try:
                self.screenshot("at-failure")
                self.save_window_state()
                if self.game is not None:
                    log("game %s" % ("running" if self.alive() else
                                     "ended with %s" % self.game.returncode))
            except Exception as e:  # the failure itself matters more
                log("no screenshot at the failure: %s" % e)
        self.close()

    def _spawn(self, argv, env=None, cwd=None, stdout=None, pass_fds=()):
        # A group of its own: what it starts (the D-Bus daemon of dbus-run-session) goes
        # with it.
        p = subprocess.Popen(argv, env=env, cwd=cwd, stdout=stdout or subprocess.DEVNULL,
                             stderr=subprocess.STDOUT if stdout else subprocess.DEVNULL,
                             pass_fds=pass_fds, preexec_fn=_die_with_parent,
                             start_new_session=True)
        self.procs.append(p)
        return p

    def _start_x(self):
        # -displayfd: the server picks a free display and tells us its number.
        r, w = os.pipe()
        size = "%dx%dx24" % self.screen
        xvfb = self._spawn(["Xvfb", "-displayfd", str(w), "-screen", "0", size, "-nolisten",
                            "tcp", "-noreset"], pass_fds=(w,))
        os.close(w)
        number = b""
        end = time.monotonic() + 20
        while not number.endswith(b"\n"):
            if time.monotonic() > end or xvfb.poll() is not None:
                raise Failure("Xvfb did not start")
            chunk = os.read(r, 16)
            if not chunk:
                raise Failure("Xvfb did not start")
            number += chunk
        os.close(r)
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ)
        for k in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
                  "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_ENABLE_HIGHDPI_SCALING"):
            self.env.pop(k, None)
        self.env["DISPLAY"] = self.display
        runtime = os.path.join(self.folder, "runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        self.env["XDG_RUNTIME_DIR"] = runtime
        self.env["HOME"] = self.folder  # openbox and Qt find no personal settings
        # No accessibility bus: GTK window managers would start one that outlives the test.
        self.env["NO_AT_BRIDGE"] = "1"
        self._spawn(WINDOW_MANAGERS[self.wm], env=self.env)
        wait_for("the window manager", self._wm_running, 20)
        log("X on %s with %s" % (self.display, self.wm))

    def _wm_running(self):
        out = self.x(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check_rc=False)
        return "window id" in out

    def start_sound_server(self):
        """A private sound server with a null sink, where the game looks for one by
        default: its socket in the session's XDG_RUNTIME_DIR."""
        socket = os.path.join(self.env["XDG_RUNTIME_DIR"], "pulse", "native")
        os.makedirs(os.path.dirname(socket), mode=0o700, exist_ok=True)
        self.sound_log = open(os.path.join(self.artifacts, "pulseaudio.log"), "w")
        self._spawn(["pulseaudio", "--daemonize=no", "--system=false", "--exit-idle-time=-1",
                     "-n", "--use-pid-file=no", "--high-priority=no", "--realtime=no",
                     "--log-target=stderr",
                     "--load=module-null-sink sink_name=brisco_null rate=44100",
                     "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket],
                    env=self.env, stdout=self.sound_log)
        wait_for("the sound server", lambda: self.pactl("info") is not None, 15)

    def pactl(self, *argv):
        """What the session's sound server answers, or None when it does not."""
        r = subprocess.run(["pactl"] + list(argv), env=self.env, capture_output=True,
                           text=True, timeout=10)
        return r.stdout if r.returncode == 0 else None

    def start_game(self, args=()):
        if self.music:
            shutil.copy(self.music, os.path.join(self.folder, "Brisco.wma"))
        env = dict(self.env)
        env.update(self.extra_env)
        self.game_log = open(os.path.join(self.artifacts, "game.log"), "w")
        self.game = self._spawn([self.game_path] + list(args), env=env, cwd=self.folder,
                                stdout=self.game_log)
        self.started = time.monotonic()
        return self.game

    def alive(self):
        return self.game is not None and self.game.poll() is None

    def close(self):
        for p in reversed(self.procs):
            _signal_group(p, signal.SIGTERM)
        for p in reversed(self.procs):
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
            _signal_group(p, signal.SIGKILL)  # whatever of its group is left
        self.procs = []
        shutil.rmtree(self.folder, ignore_errors=True)

    # --- X queries ---------------------------------------------------------------
    def x(self, argv, check_rc=True):
        r = subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=30)
        if check_rc and r.returncode != 0:
            raise Failure("%s failed: %s" % (" ".join(argv), r.stderr.strip()))
        return r.stdout

    def window(self, name):
        """The game's client window of that title: id, absolute x, y, width, height of
        the client area, whether it is mapped, and whether a window manager put it into
        a frame window of its own; None when there is none."""
        tree = self.x(["xwininfo", "-root", "-tree"], check_rc=False)
        pattern = re.compile(r'^(\s*)(0x[0-9a-f]+) "%s": \(.*?\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+'
                             r'\+(-?\d+)\+(-?\d+)' % re.escape(name), re.M)
        # The root's children stand 5 columns in, each level below 3 more.
        top_indent = min((len(m.group(1)) for m in re.finditer(r"^(\s+)0x", tree, re.M)),
                         default=5)
        for m in pattern.finditer(tree):
            wid = m.group(2)
            info = self.x(["xwininfo", "-id", wid], check_rc=False)
            mapped = "IsViewable" in info
            return {"id": wid, "x": int(m.group(5)), "y": int(m.group(6)),
                    "w": int(m.group(3)), "h": int(m.group(4)), "mapped": mapped,
                    "reparented": len(m.group(1)) > top_indent}
        return None

    def mapped(self, name):
        w = self.window(name)
        return w if w and w["mapped"] else None

    def frame(self, wid):
        """_NET_FRAME_EXTENTS as (left, right, top, bottom); None when unset."""
        out = self.x(["xprop", "-id", wid, "_NET_FRAME_EXTENTS"], check_rc=False)
        m = re.search(r"=\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)", out)
        return tuple(int(v) for v in m.groups()) if m else None

    def frame_of(self, w):
        """The frame around a client window as (left, right, top, bottom). Frame
        windows may be larger than what shows (metacity's hold invisible resize
        borders), so the window manager's word counts; but a window it did not
        reparent has no frame, whatever an old _NET_FRAME_EXTENTS says (metacity
        leaves it on a window that lost its decorations)."""
        if not w["reparented"]:
            return (0, 0, 0, 0)
        return self.frame(w["id"]) or (0, 0, 0, 0)

    def placed(self, name):
        """(outer x, y, w, h, framed) of a mapped window, or None. A window being
        re-framed is briefly unmapped."""
        w = self.mapped(name)
        if not w:
            return None
        f = self.frame_of(w)
        return (w["x"] - f[0], w["y"] - f[2], w["w"] + f[0] + f[1], w["h"] + f[2] + f[3],
                f != (0, 0, 0, 0))

    def wait_placed(self, name, expected, timeout):
        what = "%s at %s" % (name, expected)
        wait_for(what, lambda: self.placed(name) == expected, timeout, step=0.02,
                 seen=lambda: self.placed(name))

    def maximised(self, name):
        w = self.mapped(name)
        return bool(w) and "MAXIMIZED" in self.wm_state(w["id"])

    def wm_state(self, wid):
        return self.x(["xprop", "-id", wid, "_NET_WM_STATE"], check_rc=False)

    def focus(self, name):
        w = wait_for(name + " mapped", lambda: self.mapped(name), 10)
        self.x(["xdotool", "windowactivate", w["id"]], check_rc=False)
        self.x(["xdotool", "windowfocus", w["id"]], check_rc=False)
        wait_for("focus on " + name,
                 lambda: self.x(["xdotool", "getwindowfocus", "getwindowname"],
                                check_rc=False).strip() == name, 5)
        return w

    def key(self, *keys):
        self.x(["xdotool", "key", "--delay", "60"] + list(keys))

    def save_window_state(self):
        """At a failure: the X server's window tree and what the window manager says of
        the game's windows, beside the screenshots. A window placed wrongly shows there
        with the frame window the manager put it in."""
        lines = [self.x(["xwininfo", "-root", "-tree"], check_rc=False)]
        for name in (MAIN, SECOND):
            w = self.window(name)
            if w:
                lines.append("%s %s" % (name, w))
                lines.append(self.x(["xwininfo", "-id", w["id"]], check_rc=False))
                lines.append(self.x(["xprop", "-id", w["id"]], check_rc=False))
        path = os.path.join(self.artifacts, "at-failure-windows.txt")
        with open(path, "w") as f:
            f.write("\n".join(lines))
        log("window state %s" % path)

    def screenshot(self, label):
        self.shots += 1
        path = os.path.join(self.artifacts, "%02d-%s.png" % (self.shots, label))
        self.x(["import", "-window", "root", path])
        raw = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], capture_output=True,
                             timeout=30).stdout
        log("screenshot %s" % path)
        return parse_ppm(raw)

    def client_shot(self, name, label):
        """A screenshot and the client area's top-left corner on it."""
        w = wait_for(name + " mapped", lambda: self.mapped(name), 10)
        return self.screenshot(label), w["x"], w["y"]

    def client_area(self, name):
        """The client area of a mapped window as it is now: (x, y, width, height)."""
        w = wait_for(name + " mapped", lambda: self.mapped(name), 10)
        return w["x"], w["y"], w["w"], w["h"]


def main(run, tools=None, also=()):
    """Runs one scenario: run(args) raises Failure on a failed check. `tools`: the
    programs it needs, when not those of an X session; `also`: those it needs besides."""
    import argparse
    parser = argparse.ArgumentParser()
    parser.add_argument("--game", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--music")
    parser.add_argument("--pictures")
    parser.add_argument("--replay")
    parser.add_argument("--pulse-lock-probe")
    parser.add_argument("--wm", default="openbox", choices=sorted(WINDOW_MANAGERS))
    args = parser.parse_args()
    if tools is None:
        missing = missing_tools() + [t for t in wm_tools(args.wm) if not shutil.which(t)]
    else:
        missing = [t for t in tools if shutil.which(t) is None]
    missing += [t for t in also if shutil.which(t) is None]
    if missing:
        log("skipped: missing " + ", ".join(missing))
        sys.exit(SKIP)
    if args.music and not os.path.exists(args.music):
        args.music = None
    for attempt in range(1, TOO_LATE_TRIES + 1):
        try:
            run(args)
            break
        except Failure as e:
            log("FAILED: %s (screenshots in %s)" % (e, args.artifacts))
            sys.exit(1)
        except TooLate as e:
            log("try %d: %s" % (attempt, e))
            if attempt == TOO_LATE_TRIES:
                log("FAILED: %s in every one of %d tries (screenshots in %s)"
                    % (e, TOO_LATE_TRIES, args.artifacts))
                sys.exit(1)
    log("passed")


# --- Wayland ----------------------------------------------------------------------

WAYLAND_TOOLS = ["weston", "weston-screenshooter", "weston-debug"]


def read_png(path):
    """The pixels of a PNG as an Image, through ImageMagick."""
    raw = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], capture_output=True,
                         timeout=30).stdout
    return parse_ppm(raw)


class WaylandSession(Session):
    """weston's headless compositor on a socket of its own, the game on Qt's Wayland
    platform. weston-debug's scene graph stands in for xwininfo, weston-screenshooter
    for import."""

    def __init__(self, game, artifacts, music=None, screen=(1024, 768)):
        super().__init__(game, artifacts, music, screen)

    def _start_x(self):
        self._start_weston()

    def _start_weston(self):
        runtime = os.path.join(self.folder, "runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        self.env = dict(os.environ)
        for k in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR",
                  "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR"):
            self.env.pop(k, None)
        self.env.update({"XDG_RUNTIME_DIR": runtime, "HOME": self.folder,
                         "WAYLAND_DISPLAY": "brisco2-e2e", "NO_AT_BRIDGE": "1"})
        # No fading in and out: a screenshot shows the windows' own colours.
        config = os.path.join(self.folder, "weston.ini")
        with open(config, "w") as f:
            f.write("[shell]\nanimation=none\nclose-animation=none\nstartup-animation=none\n"
                    "focus-animation=none\n")
        # --debug lets clients take screenshots and read the scene graph.
        self.weston_log = open(os.path.join(self.artifacts, "weston.log"), "w")
        self._spawn(["weston", "--backend=headless-backend.so", "--use-pixman", "--debug",
                     "--config=" + config, "--idle-time=0", "--socket=brisco2-e2e",
                     "--width=%d" % self.screen[0], "--height=%d" % self.screen[1]],
                    env=self.env, stdout=self.weston_log)
        wait_for("weston", lambda: os.path.exists(os.path.join(runtime, "brisco2-e2e")), 20)
        wait_for("weston's shell", lambda: "panel for output" in self.scene(), 20)
        log("weston headless on %s" % self.env["WAYLAND_DISPLAY"])

    def start_game(self):
        if self.music:
            shutil.copy(self.music, os.path.join(self.folder, "Brisco.wma"))
        env = dict(self.env, QT_QPA_PLATFORM="wayland")
        self.game_log = open(os.path.join(self.artifacts, "game.log"), "w")
        self.game = self._spawn([self.game_path], env=env, cwd=self.folder, stdout=self.game_log)
        self.started = time.monotonic()
        return self.game

    def scene(self):
        r = subprocess.run(["weston-debug", "scene-graph"], env=self.env, capture_output=True,
                           text=True, timeout=30)
        return r.stdout

    def save_window_state(self):
        """At a failure: weston's scene graph, which places every surface."""
        path = os.path.join(self.artifacts, "at-failure-scene.txt")
        with open(path, "w") as f:
            f.write(self.scene())
        log("scene %s" % path)

    def windows(self):
        """The game's top-level windows by title: the surface's place and size (frame
        included where Qt draws one) and the opaque part, which is the client area."""
        found = {}
        view = re.compile(r"top-level window '([^']*)' of brisco2.*?\n"
                          r"\s*position: \((-?\d+), (-?\d+)\) -> \((-?\d+), (-?\d+)\)\s*\n"
                          r"\s*\[(?:opaque: \((-?\d+), (-?\d+)\) -> \((-?\d+), (-?\d+)\)|([^\]]*))\]")
        for m in view.finditer(self.scene()):
            x0, y0, x1, y1 = (int(v) for v in m.group(2, 3, 4, 5))
            if m.group(6) is not None:
                cx0, cy0, cx1, cy1 = (int(v) for v in m.group(6, 7, 8, 9))
            elif m.group(10) == "fully opaque":
                cx0, cy0, cx1, cy1 = x0, y0, x1, y1
            else:
                continue  # nothing painted yet
            found.setdefault(m.group(1), {"x": x0, "y": y0, "w": x1 - x0, "h": y1 - y0,
                                          "cx": cx0, "cy": cy0, "cw": cx1 - cx0,
                                          "ch": cy1 - cy0})
        return found

    def window(self, title):
        return self.windows().get(title)

    def screenshot(self, label):
        before = set(os.listdir(self.artifacts))
        subprocess.run(["weston-screenshooter"], env=self.env, cwd=self.artifacts,
                       capture_output=True, timeout=30)
        new = [f for f in os.listdir(self.artifacts) if f not in before and f.endswith(".png")]
        if not new:
            raise Failure("weston-screenshooter took no screenshot")
        self.shots += 1
        path = os.path.join(self.artifacts, "%02d-%s.png" % (self.shots, label))
        os.rename(os.path.join(self.artifacts, new[0]), path)
        log("screenshot %s" % path)
        return read_png(path)
