#!/usr/bin/env python3
"""Checks the packed skin and the resources of the installer executables.

    check_skin_resource.py --skin DIR --archive skin.7z [--exe FILE ...]

The archive: a 7z file with one solid LZMA2 block and a packed header whose
entries are exactly the 56 files below (no folders, nothing else), each equal
to its source in the skin folder; every skin is well-formed UTF-8 XML and every
picture it names is in the archive, except the disabled-state pictures and
the spare progress fill, which the archive leaves out on purpose; every
picture has the size its skin gives it.

Each executable: resource "ZIPRES"/147 byte-identical to the archive, icon
group 145 with its icons, and a manifest asking for administrator rights,
common controls 6 and Windows 7 to 11.

Standard library only; 7zz lists and extracts the archive.
"""

import argparse
import os
import re
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

XML_FILES = ["mainWnd.xml", "MessageBox1Wnd.xml", "MessageBox2Wnd.xml", "exitTipWnd.xml",
             "NetworkTipWnd.xml", "InstalledPathTipWnd.xml"]


def expected_pictures():
    """Archive name -> (width, height), written from the window layouts."""
    p = {}

    def put(names, size):
        for n in names:
            p[n] = size

    put(["res/MessageBoxWnd/ico%s.png" % k for k in ("Network", "Quest", "Warn")], (40, 40))
    put(["res/common/%s%d.png" % (k, i) for k in ("closebtn", "closebtnM_", "minbtn") for i in (1, 2, 3)],
        (24, 24))
    put(["res/mainWnd/Cb1.png", "res/mainWnd/Cb2.png"], (15, 14))
    put(["res/mainWnd/backBtn%d.png" % i for i in (1, 2, 3)], (64, 30))
    put(["res/mainWnd/bg%d.png" % i for i in (1, 2, 3, 4)], (600, 400))
    put(["res/mainWnd/chDirBtn%d.png" % i for i in (1, 2, 3)], (81, 36))
    put(["res/mainWnd/customeBtn1.png", "res/mainWnd/customeBtn2.png"], (16, 16))
    put(["res/mainWnd/%s%d.png" % (k, i) for k in ("experienceBtn", "installBtn") for i in (1, 2, 3)], (200, 46))
    put(["res/mainWnd/finished.png"], (80, 80))
    put(["res/mainWnd/installBtnAnimate/%03d.png" % i for i in range(12)], (160, 160))
    put(["res/mainWnd/installDirEdit.png"], (340, 36))
    put(["res/mainWnd/installPrg1.png", "res/mainWnd/installPrg2.png"], (520, 8))
    put(["res/mainWnd/logo.png"], (292, 58))
    put(["res/mainWnd/tipLbl.png"], (116, 32))
    return p


# Named by the skins, absent from the archive: nothing is drawn for them.
ABSENT = {"res/common/closebtn4.png", "res/common/minbtn4.png", "res/common/closebtnM_4.png",
          "res/mainWnd/installPrg3.png"}

# Set by the main window's controller when it changes pages, not by a skin.
SET_BY_CODE = {"res/mainWnd/bg%d.png" % i for i in (1, 2, 3, 4)}

IMAGE_ATTRS = {"bkimage", "normalimage", "hotimage", "pushedimage", "disabledimage", "focusedimage",
               "selectedimage", "selectedhotimage", "foreimage", "hotforeimage"}

failures = []


def check(cond, what):
    if not cond:
        failures.append(what)
    return cond


def seven_zip_listing(archive):
    out = subprocess.run(["7zz", "l", "-slt", archive], check=True, capture_output=True,
                         text=True).stdout
    head, _, body = out.partition("----------")
    entries = []
    for block in body.strip().split("\n\n"):
        fields = dict(l.split(" = ", 1) for l in block.splitlines() if " = " in l)
        if "Path" in fields:
            entries.append(fields)
    archive_fields = dict(l.split(" = ", 1) for l in head.splitlines() if " = " in l)
    return archive_fields, entries


def header_is_packed(archive):
    with open(archive, "rb") as f:
        data = f.read()
    if not check(data[:6] == bytes([0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C]), "7z signature"):
        return False
    next_offset, next_size = struct.unpack_from("<QQ", data, 12)
    # 0x17 = kEncodedHeader: the header itself is LZMA-packed.
    return next_size > 0 and data[32 + next_offset] == 0x17


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", data[16:24])


def image_paths(value):
    """Picture paths of one image attribute: the plain path, or the file='...' value."""
    if "=" not in value:
        return [value]
    return re.findall(r"file='([^']*)'", value)


def check_archive(skin, archive):
    pictures = expected_pictures()
    expected = set(XML_FILES) | set(pictures)
    check(len(expected) == 56, "the expected list has %d entries, not 56" % len(expected))

    fields, entries = seven_zip_listing(archive)
    names = [e["Path"] for e in entries]
    check(fields.get("Type") == "7z", "archive type %r" % fields.get("Type"))
    check(fields.get("Solid") == "+", "archive is not solid")
    check(fields.get("Blocks") == "1", "archive has %s blocks, not 1" % fields.get("Blocks"))
    check(header_is_packed(archive), "archive header is not packed")
    check(len(names) == len(set(names)), "duplicate entries")
    check(set(names) == expected,
          "entries differ: extra %s, missing %s" % (sorted(set(names) - expected), sorted(expected - set(names))))
    for e in entries:
        check(not e.get("Attributes", "").startswith("D"), "folder entry %s" % e["Path"])
        check(e.get("Method", "").startswith("LZMA2"), "%s packed with %s" % (e["Path"], e.get("Method")))
        check("\\" not in e["Path"], "backslash in %s" % e["Path"])

    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run(["7zz", "x", "-y", "-bso0", "-bsp0", "-o" + tmp, archive], check=True)
        for name in sorted(expected & set(names)):
            with open(os.path.join(tmp, name), "rb") as f:
                packed = f.read()
            with open(os.path.join(skin, name), "rb") as f:
                check(packed == f.read(), "%s differs from skin/%s (stale archive)" % (name, name))
            if name in pictures:
                check(png_size(packed) == pictures[name],
                      "%s is %s, expected %s" % (name, png_size(packed), pictures[name]))

        referenced = set()
        for name in XML_FILES:
            path = os.path.join(tmp, name)
            if not os.path.exists(path):
                continue
            raw = open(path, "rb").read()
            try:
                raw.decode("utf-8")
            except UnicodeDecodeError:
                check(False, "%s is not UTF-8" % name)
                continue
            try:
                root = ET.fromstring(raw)
            except ET.ParseError as err:
                check(False, "%s: %s" % (name, err))
                continue
            check(root.tag == "Window", "%s: root element %s" % (name, root.tag))
            for el in root.iter():
                for attr, value in el.attrib.items():
                    if attr.lower() in IMAGE_ATTRS:
                        referenced.update(p.replace("\\", "/") for p in image_paths(value))
                    if attr.lower() == "sequencebkimage":
                        count = int(el.attrib.get("sequencecount", "0"))
                        referenced.update(value.replace("\\", "/") % i for i in range(count))
        lower = {n.lower() for n in names}
        for ref in sorted(referenced):
            if ref in ABSENT:
                check(ref.lower() not in lower, "%s should stay out of the archive" % ref)
            else:
                check(ref.lower() in lower, "a skin names %s, which the archive lacks" % ref)
        unused = {n for n in pictures if n not in referenced | SET_BY_CODE}
        check(not unused, "pictures no skin uses: %s" % sorted(unused))


# --- PE resources ----------------------------------------------------------

class Pe:
    def __init__(self, path):
        self.data = open(path, "rb").read()
        d = self.data
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        nsec, opt_size = struct.unpack_from("<H", d, pe + 6)[0], struct.unpack_from("<H", d, pe + 20)[0]
        opt = pe + 24
        magic = struct.unpack_from("<H", d, opt)[0]
        dirs = opt + (96 if magic == 0x10B else 112)
        self.rsrc_rva, _ = struct.unpack_from("<II", d, dirs + 2 * 8)
        self.sections = []
        sec = opt + opt_size
        for i in range(nsec):
            vsize, va, rsize, raw = struct.unpack_from("<IIII", d, sec + 40 * i + 8)
            self.sections.append((va, max(vsize, rsize), raw))

    def off(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("RVA %#x outside every section" % rva)

    def resources(self):
        """{(type, name): [bytes per language]} with names as int ids or strings."""
        if not self.rsrc_rva:
            return {}
        base = self.off(self.rsrc_rva)
        d = self.data

        def entries(off):
            named, ids = struct.unpack_from("<HH", d, base + off + 12)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", d, base + off + 16 + 8 * i)
                if name & 0x80000000:
                    p = base + (name & 0x7FFFFFFF)
                    n = struct.unpack_from("<H", d, p)[0]
                    name = d[p + 2:p + 2 + 2 * n].decode("utf-16-le")
                yield name, target

        out = {}
        for rtype, t in entries(0):
            for rname, n in entries(t & 0x7FFFFFFF):
                for _, leaf in entries(n & 0x7FFFFFFF):
                    rva, size = struct.unpack_from("<II", d, base + leaf)
                    out.setdefault((rtype, rname), []).append(d[self.off(rva):self.off(rva) + size])
        return out


RT_ICON, RT_GROUP_ICON, RT_MANIFEST = 3, 14, 24
WINDOWS_7_TO_11 = ["35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                   "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"]


def check_exe(path, archive):
    exe = os.path.basename(path)
    res = Pe(path).resources()
    packed = open(archive, "rb").read()
    zipres = res.get(("ZIPRES", 147), [])
    check(len(zipres) == 1 and zipres[0] == packed, "%s: ZIPRES/147 missing or not the archive" % exe)

    group = res.get((RT_GROUP_ICON, 145), [])
    if check(len(group) == 1, "%s: icon group 145 missing" % exe):
        g = group[0]
        count = struct.unpack_from("<HHH", g, 0)[2]
        check(count >= 1, "%s: icon group 145 is empty" % exe)
        for i in range(count):
            w, h = g[6 + 14 * i], g[7 + 14 * i]
            icon_id = struct.unpack_from("<H", g, 6 + 14 * i + 12)[0]
            check((RT_ICON, icon_id) in res, "%s: icon %d (%dx%d) missing" % (exe, icon_id, w, h))
        sizes = {g[6 + 14 * i] or 256 for i in range(count)}
        check({16, 32, 48} <= sizes, "%s: icon sizes %s lack 16, 32 or 48" % (exe, sorted(sizes)))

    manifest = res.get((RT_MANIFEST, 1), [])
    if check(len(manifest) == 1, "%s: manifest 1 missing" % exe):
        try:
            root = ET.fromstring(manifest[0])
        except ET.ParseError as err:
            check(False, "%s: manifest: %s" % (exe, err))
            return
        levels = [e.get("level") for e in root.iter() if e.tag.endswith("requestedExecutionLevel")]
        check(levels == ["requireAdministrator"], "%s: execution level %s" % (exe, levels))
        cc = [e for e in root.iter() if e.tag.endswith("assemblyIdentity")
              and e.get("name") == "Microsoft.Windows.Common-Controls"]
        check(len(cc) == 1 and cc[0].get("version") == "6.0.0.0", "%s: common controls 6 dependency" % exe)
        oses = [e.get("Id", "").strip("{}").lower() for e in root.iter() if e.tag.endswith("supportedOS")]
        check(oses == WINDOWS_7_TO_11, "%s: supported systems %s" % (exe, oses))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--skin", required=True)
    ap.add_argument("--archive", required=True)
    ap.add_argument("--exe", action="append", default=[])
    args = ap.parse_args()
    check_archive(args.skin, args.archive)
    for exe in args.exe:
        check_exe(exe, args.archive)
    for f in failures:
        print("FAIL:", f)
    print("%s: archive%s checked, %d failures" % ("FAILED" if failures else "OK",
                                                 "".join(" + " + os.path.basename(e) for e in args.exe),
                                                 len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
