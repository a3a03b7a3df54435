#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Brisco2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Installs the game the way a user gets it and checks what lands on disk.

  check_package.py install --build DIR --root ROOT --prefix PREFIX ...
      DESTDIR=ROOT cmake --install DIR, then checks the tree under ROOT/PREFIX.
  check_package.py deb --build DIR --work WORK ...
      cpack -G DEB into WORK, checks the control fields, runs lintian on it when
      lintian is installed, unpacks the package with dpkg-deb -x and checks the tree
      under WORK/root/usr.
  check_package.py man PAGE...
      The manual pages as lintian reads them: mandoc's and man's warnings, none allowed.
"""
import argparse
import configparser
import email.utils
import glob
import gzip
import os
import re
import shlex
import shutil
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET


class Failures:
    def __init__(self):
        self.items = []

    def check(self, ok, message):
        if not ok:
            self.items.append(message)
        return ok


def run(cmd, **kw):
    print("+ " + " ".join(shlex.quote(c) for c in cmd), flush=True)
    return subprocess.run(cmd, check=True, **kw)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if len(head) < 24 or head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def same_bytes(a, b):
    try:
        with open(a, "rb") as fa, open(b, "rb") as fb:
            return fa.read() == fb.read()
    except OSError:
        return False


def check_tree(root, prefix, args, f):
    """Checks an installed tree: ROOT is what DESTDIR or the unpacked package holds,
    PREFIX the install prefix the files were made for."""
    def inside(path):  # an absolute path of the installed system, under ROOT
        return os.path.join(root, path.lstrip("/"))

    share = prefix + "/share"
    program = prefix + "/games/brisco2"
    data_dir = share + "/brisco2"
    for name in ("brisco2", "brisco2-replay"):
        path = f"{prefix}/games/{name}"
        if f.check(os.path.isfile(inside(path)), f"{path} is missing"):
            f.check(os.access(inside(path), os.X_OK), f"{path} is not executable")
            with open(inside(path), "rb") as p:
                f.check(p.read(4) == b"\x7fELF", f"{path} is not an ELF program")
            # It runs as installed (stripped, in the package).
            r = subprocess.run([inside(path), "--help"], capture_output=True, text=True)
            f.check(r.returncode == 0 and r.stdout.startswith(f"usage: {name}"),
                    f"{path} --help: {r.returncode} {r.stdout[:60]!r} {r.stderr[:200]!r}")
        man = f"{share}/man/man6/{name}.6.gz"
        if f.check(os.path.isfile(inside(man)), f"{man} is missing"):
            with gzip.open(inside(man), "rt", encoding="utf-8") as m:
                page = m.read()
            title = re.escape(name.upper().replace("-", "\\-"))
            f.check(re.search(rf"^\.TH {title} 6 ", page, re.M) is not None,
                    f"{man} is not section 6 of {name}")
            f.check(f'"Brisco2 {args.version}"' in page, f"{man} is not of version {args.version}")

    desktop = f"{share}/applications/{args.app_id}.desktop"
    if f.check(os.path.isfile(inside(desktop)), f"{desktop} is missing"):
        entry = configparser.ConfigParser(interpolation=None)
        entry.optionxform = str
        entry.read(inside(desktop), encoding="utf-8")
        d = entry["Desktop Entry"] if entry.has_section("Desktop Entry") else {}
        f.check(d.get("Name") == "Brisco2", f"Name={d.get('Name')}")
        f.check(d.get("Icon") == "brisco2", f"Icon={d.get('Icon')}")
        cats = [c for c in d.get("Categories", "").split(";") if c]
        f.check("Game" in cats and "ArcadeGame" in cats, f"Categories={d.get('Categories')}")
        exec_words = shlex.split(d.get("Exec", ""))
        f.check(exec_words[:1] == [program], f"Exec={d.get('Exec')} is not {program}")
        # The game opens its music relative to the working directory.
        f.check(d.get("Path") == data_dir, f"Path={d.get('Path')} is not {data_dir}")
        f.check(os.path.isfile(inside(data_dir + "/Brisco.wma")),
                f"no Brisco.wma in the entry's Path {data_dir}")

    for size in args.sizes:
        icon = f"{share}/icons/hicolor/{size}x{size}/apps/brisco2.png"
        if f.check(os.path.isfile(inside(icon)), f"{icon} is missing"):
            f.check(png_size(inside(icon)) == (size, size),
                    f"{icon} is {png_size(inside(icon))}, not {size}x{size}")
            built = os.path.join(args.icons, f"{size}x{size}", "apps", "brisco2.png")
            f.check(same_bytes(inside(icon), built), f"{icon} differs from the built {built}")

    metainfo = f"{share}/metainfo/{args.app_id}.metainfo.xml"
    if f.check(os.path.isfile(inside(metainfo)), f"{metainfo} is missing"):
        top = ET.parse(inside(metainfo)).getroot()
        f.check(top.findtext("id") == args.app_id, f"metainfo id {top.findtext('id')}")
        launch = top.find("launchable")
        f.check(launch is not None and launch.text == f"{args.app_id}.desktop",
                "the metainfo does not launch the installed desktop entry")
        f.check(top.findtext("project_license") == "GPL-3.0-or-later",
                f"project_license {top.findtext('project_license')}")
        f.check(top.find("developer/name") is not None, "the metainfo names no developer")
        f.check(top.find("content_rating") is not None, "the metainfo has no content rating")
        f.check("keyboard" in [c.text for c in top.iter("control")], "no keyboard control")
        # One release a version, as in the changelog, newest first.
        releases = [(r.get("version"), r.get("date")) for r in top.iter("release")]
        entries = changelog_entries(args.changelog)
        f.check(releases == entries, f"the metainfo's releases {releases} are not the "
                                     f"changelog's {entries}")
        f.check(entries[:1] == [(args.version, entries[0][1] if entries else None)],
                f"the changelog's newest entry is not {args.version}: {entries[:1]}")

    doc = f"{share}/doc/brisco2"
    f.check(same_bytes(inside(doc + "/copyright"), args.copyright),
            f"{doc}/copyright is not {args.copyright}")
    if f.check(os.path.isfile(inside(doc + "/changelog.gz")), f"{doc}/changelog.gz is missing"):
        with gzip.open(inside(doc + "/changelog.gz"), "rb") as c, open(args.changelog, "rb") as s:
            f.check(c.read() == s.read(), f"{doc}/changelog.gz is not {args.changelog}")

    music = inside(data_dir + "/Brisco.wma")
    if args.music and f.check(os.path.isfile(music), f"{data_dir}/Brisco.wma is missing"):
        f.check(same_bytes(music, args.music), "the installed music differs from the built one")


def changelog_entries(path):
    """(version, ISO date) of every entry of a Debian changelog, newest first."""
    out = subprocess.run(["dpkg-parsechangelog", "-l", path, "--all", "--format", "rfc822"],
                         capture_output=True, text=True, check=True).stdout
    entries = []
    for block in out.split("\n\n"):
        fields = dict(line.split(": ", 1) for line in block.splitlines()
                      if ": " in line and not line.startswith(" "))
        if "Version" in fields:
            day = email.utils.parsedate_to_datetime(fields["Date"]).date().isoformat()
            entries.append((fields["Version"], day))
    return entries


def lintian(deb, f):
    """Every error and warning counts; information tags are shown, not held against it."""
    if shutil.which("lintian") is None:
        print("lintian is not installed: the package goes unchecked by it", flush=True)
        return
    r = subprocess.run(["lintian", "--display-info", "--fail-on", "none", deb],
                       capture_output=True, text=True)
    print(r.stdout + r.stderr, flush=True)
    f.check(r.returncode == 0, f"lintian failed to run ({r.returncode})")
    tags = [line for line in r.stdout.splitlines() if line[:2] in ("E:", "W:")]
    f.check(not tags, "lintian: " + "; ".join(tags))


def cmd_man(args, f):
    env = dict(os.environ, LC_ALL="C.UTF-8", MANROFFSEQ="", MANWIDTH="80")
    for page in args.pages:
        r = subprocess.run(["mandoc", "-T", "lint", "-W", "warning", page],
                           capture_output=True, text=True)
        f.check(r.returncode == 0 and not (r.stdout + r.stderr).strip(),
                f"mandoc -T lint {page}: {r.stdout}{r.stderr}")
        # What lintian runs; the page itself goes to /dev/null, the warnings to stderr.
        r = subprocess.run(["man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", page],
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, env=env)
        f.check(r.returncode == 0 and not r.stderr.strip(), f"man --warnings {page}: {r.stderr}")


def cmd_install(args, f):
    shutil.rmtree(args.root, ignore_errors=True)
    env = dict(os.environ, DESTDIR=args.root)
    run(["cmake", "--install", args.build], env=env)
    check_tree(args.root, args.prefix, args, f)
    # Nothing may land outside the prefix.
    for dirpath, _, files in os.walk(args.root):
        for name in files:
            path = "/" + os.path.relpath(os.path.join(dirpath, name), args.root)
            f.check(path.startswith(args.prefix + "/"), f"{path} is outside {args.prefix}")


def cmd_deb(args, f):
    shutil.rmtree(args.work, ignore_errors=True)
    out = os.path.join(args.work, "out")
    root = os.path.join(args.work, "root")
    run(["cpack", "-G", "DEB", "--config", os.path.join(args.build, "CPackConfig.cmake"),
         "-B", out], cwd=args.build)
    debs = glob.glob(os.path.join(out, "*.deb"))
    if not f.check(len(debs) == 1, f"expected one .deb in {out}, found {debs}"):
        return
    deb = debs[0]
    fields = {}
    for name in ("Package", "Version", "Section", "Maintainer", "Depends", "Architecture"):
        r = subprocess.run(["dpkg-deb", "-f", deb, name], capture_output=True, text=True)
        fields[name] = r.stdout.strip()
    print(fields)
    f.check(fields["Package"] == "brisco2", f"Package: {fields['Package']}")
    f.check(fields["Version"] == args.version, f"Version: {fields['Version']}")
    f.check(fields["Section"] == "games", f"Section: {fields['Section']}")
    f.check("@" in fields["Maintainer"], f"Maintainer: {fields['Maintainer']}")
    # Found by dpkg-shlibdeps from the program's libraries, not written by hand.
    for lib in ("libc6", "libqt6widgets6", "libavcodec", "libxcb1"):
        f.check(lib in fields["Depends"], f"Depends lacks {lib}: {fields['Depends']}")
    # The fonts the captions are measured in are no library: named by hand.
    for font in ("fonts-liberation2", "fonts-dejavu-core"):
        f.check(font in fields["Depends"], f"Depends lacks {font}: {fields['Depends']}")
    lintian(deb, f)
    run(["dpkg-deb", "-x", deb, root])
    check_tree(root, "/usr", args, f)
    for dirpath, _, files in os.walk(root):
        for name in files:
            path = "/" + os.path.relpath(os.path.join(dirpath, name), root)
            f.check(path.startswith("/usr/") and not path.startswith("/usr/local/"),
                    f"{path} is outside /usr")
    desktop = os.path.join(root, "usr/share/applications", args.app_id + ".desktop")
    if os.path.isfile(desktop):
        with open(desktop, encoding="utf-8") as d:
            f.check("_CPack_Packages" not in d.read(), "the desktop entry names the staging folder")


def main():
    tree = argparse.ArgumentParser(add_help=False)
    tree.add_argument("--build", required=True)
    tree.add_argument("--app-id", required=True)
    tree.add_argument("--version", required=True)
    tree.add_argument("--icons", required=True, help="the built icon folder")
    tree.add_argument("--sizes", type=int, nargs="+", required=True)
    tree.add_argument("--music", help="the built Brisco.wma; omitted when there is none")
    tree.add_argument("--changelog", required=True, help="the source's Debian changelog")
    tree.add_argument("--copyright", required=True, help="the source's copyright file")
    ap = argparse.ArgumentParser()
    modes = ap.add_subparsers(dest="mode", required=True)
    install = modes.add_parser("install", parents=[tree])
    install.add_argument("--root", required=True)
    install.add_argument("--prefix", default="/usr/local")
    modes.add_parser("deb", parents=[tree]).add_argument("--work", required=True)
    modes.add_parser("man").add_argument("pages", nargs="+")
    args = ap.parse_args()
    f = Failures()
    try:
        {"install": cmd_install, "deb": cmd_deb, "man": cmd_man}[args.mode](args, f)
    except subprocess.CalledProcessError as e:
        print(f"FAIL: {e}", file=sys.stderr)
        return 1
    for item in f.items:
        print("FAIL: " + item, file=sys.stderr)
    if f.items:
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
