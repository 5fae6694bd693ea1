#!/usr/bin/python3
"""Checks that the committed pictures are what tools/make_skin_art.py draws.

    check_skin_art.py --skin DIR --script tools/make_skin_art.py

Draws the art into a scratch folder and compares it, pixel by pixel, with the
PNGs under skin/res/ and the frames of skin/installer.ico; a picture changed by
hand, or a script change committed without its pictures, fails here. Needs
Debian's python3-pil (run it with /usr/bin/python3).
"""

import argparse
import os
import subprocess
import sys
import tempfile

from PIL import Image


def files_under(root):
    out = set()
    for d, _, names in os.walk(root):
        out.update(os.path.relpath(os.path.join(d, n), root) for n in names)
    return out


def ico_frames(path):
    ico = Image.open(path)
    frames = {}
    for size in sorted(ico.ico.sizes()):
        frames[size] = ico.ico.getimage(size).convert("RGBA").tobytes()
    return frames


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--skin", required=True)
    ap.add_argument("--script", required=True)
    args = ap.parse_args()
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run([sys.executable, args.script, "--out", tmp, "--no-sheet"], check=True,
                       stdout=subprocess.DEVNULL)
        drawn = files_under(os.path.join(tmp, "res"))
        committed = files_under(os.path.join(args.skin, "res"))
        if drawn != committed:
            failures.append("files differ: only drawn %s, only committed %s"
                            % (sorted(drawn - committed), sorted(committed - drawn)))
        for name in sorted(drawn & committed):
            a = Image.open(os.path.join(tmp, "res", name))
            b = Image.open(os.path.join(args.skin, "res", name))
            if a.size != b.size or a.convert("RGBA").tobytes() != b.convert("RGBA").tobytes():
                failures.append("res/%s differs from what the script draws" % name)
        if ico_frames(os.path.join(tmp, "installer.ico")) != ico_frames(os.path.join(args.skin, "installer.ico")):
            failures.append("installer.ico differs from what the script draws")
        count = len(drawn)
    for f in failures:
        print("FAIL:", f)
    print("%s: %d pictures and the icon compared" % ("FAILED" if failures else "OK", count))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
