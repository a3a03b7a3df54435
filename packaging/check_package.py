#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Brisco2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Installs the game the way a user gets it and checks what lands on disk.

  check_package.py install --build DIR --root ROOT --prefix PREFIX ...
      DESTDIR=ROOT cmake --install DIR, then checks the tree under ROOT/PREFIX.
  check_package.py deb --build DIR --work WORK ...
      cpack -G DEB into WORK, checks the control fields, unpacks the package with
      dpkg-deb -x and checks the tree under WORK/root/usr.
"""
import argparse
import configparser
import glob
import os
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
    program = prefix + "/bin/brisco2"
    data_dir = share + "/brisco2"
    if f.check(os.path.isfile(inside(program)), f"{program} is missing"):
        f.check(os.access(inside(program), os.X_OK), f"{program} is not executable")
        with open(inside(program), "rb") as p:
            f.check(p.read(4) == b"\x7fELF", f"{program} is not an ELF program")

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
        versions = [r.get("version") for r in top.iter("release")]
        f.check(args.version in versions, f"no release {args.version} in {versions}")

    music = inside(data_dir + "/Brisco.wma")
    if args.music and f.check(os.path.isfile(music), f"{data_dir}/Brisco.wma is missing"):
        f.check(same_bytes(music, args.music), "the installed music differs from the built one")


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
    for lib in ("libc6", "libqt6widgets6", "libavcodec"):
        f.check(lib in fields["Depends"], f"Depends lacks {lib}: {fields['Depends']}")
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
    ap = argparse.ArgumentParser()
    ap.add_argument("mode", choices=["install", "deb"])
    ap.add_argument("--build", required=True)
    ap.add_argument("--root")
    ap.add_argument("--work")
    ap.add_argument("--prefix", default="/usr/local")
    ap.add_argument("--app-id", required=True)
    ap.add_argument("--version", required=True)
    ap.add_argument("--icons", required=True, help="the built icon folder")
    ap.add_argument("--sizes", type=int, nargs="+", required=True)
    ap.add_argument("--music", help="the built Brisco.wma; omitted when there is none")
    args = ap.parse_args()
    f = Failures()
    try:
        if args.mode == "install":
            cmd_install(args, f)
        else:
            cmd_deb(args, f)
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
