#!/usr/bin/python3
"""Draws every picture of the installer's skin, the program icon and a contact sheet.

Run with Debian's interpreter (it needs python3-pil and fonts-wqy-microhei):

    /usr/bin/python3 tools/make_skin_art.py [--sheet PATH]

Writes the PNG files under skin/res/, the icon skin/installer.ico and the contact
sheet (default skin/contact_sheet.png, git-ignored; it is never packed). The
output is deterministic, so running it twice changes nothing in git.

Every picture is drawn at four times its size and reduced with an area filter on
premultiplied pixels: edges get smooth anti-aliasing while straight lines that sit
on the pixel grid stay one pixel sharp.
"""

import argparse
import math
import os
import sys

from PIL import Image, ImageDraw, ImageFont

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SKIN = os.path.join(ROOT, "skin")
FONT_PATH = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
SS = 4  # supersampling factor

# The skins' palette.
BLUE = (0x16, 0x75, 0xFE)
HOT = (0x5A, 0x9D, 0xFD)
PUSHED = (0x13, 0x65, 0xDB)
TEXT = (0x28, 0x2A, 0x43)
GREY = (0x60, 0x61, 0x78)
MUTED = (0x89, 0x91, 0xAF)
WHITE = (255, 255, 255)
AMBER = (0xFA, 0xAD, 0x14)
AMBER_DEEP = (0xF0, 0x8A, 0x00)


def rgba(c, a=255):
    return (c[0], c[1], c[2], a)


def mix(c1, c2, t):
    return tuple(int(round(c1[i] + (c2[i] - c1[i]) * t)) for i in range(3))


class Canvas:
    """A picture of w x h pixels, drawn at SS times that size."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.img = Image.new("RGBA", (w * SS, h * SS), (0, 0, 0, 0))

    def s(self, v):
        return int(round(v * SS))

    def box(self, x0, y0, x1, y1):
        return [self.s(x0), self.s(y0), self.s(x1) - 1, self.s(y1) - 1]

    def layer(self):
        return Image.new("RGBA", self.img.size, (0, 0, 0, 0))

    def paste(self, layer):
        self.img = Image.alpha_composite(self.img, layer)

    def rrect(self, x0, y0, x1, y1, r, fill, outline=None, width=0):
        lay = self.layer()
        d = ImageDraw.Draw(lay)
        d.rounded_rectangle(self.box(x0, y0, x1, y1), radius=self.s(r), fill=fill,
                            outline=outline, width=self.s(width))
        self.paste(lay)

    def gradient_rrect(self, x0, y0, x1, y1, r, top, bottom, alpha=255, horizontal=False):
        """A rounded rectangle filled with a linear gradient (vertical by default)."""
        size = (self.s(x1) - self.s(x0), self.s(y1) - self.s(y0))
        n = size[0] if horizontal else size[1]
        grad = Image.new("RGBA", size)
        gd = ImageDraw.Draw(grad)
        for i in range(n):
            c = rgba(mix(top, bottom, i / max(1, n - 1)), alpha)
            if horizontal:
                gd.line([(i, 0), (i, size[1])], fill=c)
            else:
                gd.line([(0, i), (size[0], i)], fill=c)
        mask = Image.new("L", size, 0)
        ImageDraw.Draw(mask).rounded_rectangle([0, 0, size[0] - 1, size[1] - 1],
                                               radius=self.s(r), fill=255)
        lay = self.layer()
        lay.paste(grad, (self.s(x0), self.s(y0)), mask)
        self.paste(lay)

    def gradient_ellipse(self, cx, cy, r, top, bottom, alpha=255):
        x0, y0 = cx - r, cy - r
        size = (self.s(2 * r), self.s(2 * r))
        grad = Image.new("RGBA", size)
        gd = ImageDraw.Draw(grad)
        for i in range(size[1]):
            gd.line([(0, i), (size[0], i)], fill=rgba(mix(top, bottom, i / max(1, size[1] - 1)), alpha))
        mask = Image.new("L", size, 0)
        ImageDraw.Draw(mask).ellipse([0, 0, size[0] - 1, size[1] - 1], fill=255)
        lay = self.layer()
        lay.paste(grad, (self.s(x0), self.s(y0)), mask)
        self.paste(lay)

    def ellipse(self, cx, cy, r, fill=None, outline=None, width=0):
        lay = self.layer()
        ImageDraw.Draw(lay).ellipse(self.box(cx - r, cy - r, cx + r, cy + r), fill=fill,
                                    outline=outline, width=self.s(width))
        self.paste(lay)

    def polyline(self, pts, color, width, caps=True):
        """A stroked path with round joins and, optionally, round caps."""
        lay = self.layer()
        d = ImageDraw.Draw(lay)
        sp = [(self.s(x), self.s(y)) for x, y in pts]
        d.line(sp, fill=color, width=self.s(width), joint="curve")
        if caps:
            rr = self.s(width) / 2.0
            for x, y in (sp[0], sp[-1]):
                d.ellipse([x - rr, y - rr, x + rr, y + rr], fill=color)
        self.paste(lay)

    def polygon(self, pts, fill):
        lay = self.layer()
        ImageDraw.Draw(lay).polygon([(self.s(x), self.s(y)) for x, y in pts], fill=fill)
        self.paste(lay)

    def rect(self, x0, y0, x1, y1, fill):
        lay = self.layer()
        ImageDraw.Draw(lay).rectangle(self.box(x0, y0, x1, y1), fill=fill)
        self.paste(lay)

    def text(self, x, y, s, size, color, bold=0.0, anchor="la"):
        """Text at (x, y) with a Pillow anchor; bold thickens the strokes (in pixels)."""
        font = ImageFont.truetype(FONT_PATH, self.s(size))
        lay = self.layer()
        ImageDraw.Draw(lay).text((self.s(x), self.s(y)), s, font=font, fill=color, anchor=anchor,
                                 stroke_width=self.s(bold), stroke_fill=color)
        self.paste(lay)

    def text_runs(self, x, y, runs, size, bold=0.0, anchor_y="m"):
        """Several coloured runs of text on one baseline, starting at x."""
        font = ImageFont.truetype(FONT_PATH, self.s(size))
        for s, color in runs:
            self.text(x, y, s, size, color, bold, anchor="l" + anchor_y)
            x += font.getlength(s) / SS

    def result(self):
        small = self.img.convert("RGBa").resize((self.w, self.h), Image.BOX)
        return small.convert("RGBA")


def text_width(s, size):
    return ImageFont.truetype(FONT_PATH, size * SS).getlength(s) / SS


# ---------------------------------------------------------------------------
# Brand mark and logo

def draw_mark(c, x, y, size):
    """The product mark: a blue tile holding a white page with a folded corner."""
    r = size * 0.24
    c.gradient_rrect(x, y, x + size, y + size, r, HOT, PUSHED)
    # The page.
    pw, ph = size * 0.46, size * 0.58
    px, py = x + (size - pw) / 2, y + (size - ph) / 2
    fold = pw * 0.34
    c.polygon([(px, py), (px + pw - fold, py), (px + pw, py + fold), (px + pw, py + ph), (px, py + ph)],
              rgba(WHITE))
    c.polygon([(px + pw - fold, py), (px + pw - fold, py + fold), (px + pw, py + fold)], rgba(mix(HOT, WHITE, 0.45)))
    # Lines of text on the page: the editor. Small icons keep one line so it stays legible.
    lw = max(1.0, size * 0.055)
    if size <= 24:
        c.rect(round(px + pw * 0.2), round(py + ph * 0.55), round(px + pw * 0.8), round(py + ph * 0.55) + 1.5,
               rgba(BLUE))
        return
    c.polyline([(px + pw * 0.22, py + ph * 0.50), (px + pw * 0.78, py + ph * 0.50)], rgba(BLUE), lw)
    c.polyline([(px + pw * 0.22, py + ph * 0.71), (px + pw * 0.60, py + ph * 0.71)], rgba(mix(BLUE, WHITE, 0.35)), lw)


def make_logo():
    c = Canvas(292, 58)
    draw_mark(c, 1, 1, 56)
    c.text_runs(70, 30, [("塔沃", TEXT), ("PDF", BLUE), ("编辑器", TEXT)], 30, bold=0.55)
    return c.result()


def make_icon_images():
    images = []
    for size in (16, 24, 32, 48, 256):
        c = Canvas(size, size)
        draw_mark(c, 0, 0, size)
        images.append(c.result())
    return images


def write_ico(path, images):
    """An icon file: 32-bit BMP entries up to 48 pixels (what every Windows reads), and
    a PNG entry for 256 pixels (what Windows Vista and later read)."""
    import io
    import struct
    blobs = []
    for im in images:
        w, h = im.size
        if w >= 256:
            buf = io.BytesIO()
            im.save(buf, "PNG", optimize=True)
            blobs.append(buf.getvalue())
            continue
        bgra = im.convert("RGBA").tobytes("raw", "BGRA")
        stride = w * 4
        rows = b"".join(bgra[y * stride:(y + 1) * stride] for y in range(h - 1, -1, -1))
        mask_stride = ((w + 31) // 32) * 4
        mask = bytearray()
        alpha = im.getchannel("A")
        for y in range(h - 1, -1, -1):
            row = bytearray(mask_stride)
            for x in range(w):
                if alpha.getpixel((x, y)) == 0:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(rows) + len(mask), 0, 0, 0, 0)
        blobs.append(header + rows + bytes(mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for im, blob in zip(images, blobs):
        w, h = im.size
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


# ---------------------------------------------------------------------------
# Window backgrounds

def make_background(page):
    """600 x 400: a 45-pixel title band over a white body framed by a one-pixel line."""
    c = Canvas(600, 400)
    c.rect(0, 0, 600, 400, rgba(WHITE))
    # Soft waves along the bottom, kept below the lowest control of every page.
    lay = c.layer()
    d = ImageDraw.Draw(lay)
    for amp, base, phase, alpha in ((7, 372, 0.0, 16), (9, 382, 1.9, 22)):
        pts = [(c.s(0), c.s(400))]
        for x in range(0, 601, 4):
            pts.append((c.s(x), c.s(base + amp * math.sin(x / 600 * 2 * math.pi * 1.2 + phase))))
        pts.append((c.s(600), c.s(400)))
        d.polygon(pts, fill=rgba(BLUE, alpha))
    c.paste(lay)
    # Title band: a faint blue tint that fades into the body, and a hairline.
    band = c.layer()
    bd = ImageDraw.Draw(band)
    for i in range(c.s(45)):
        bd.line([(0, i), (c.s(600), i)], fill=rgba(mix((0xF2, 0xF7, 0xFF), WHITE, i / c.s(45) * 0.6)))
    c.paste(band)
    c.rect(0, 44, 600, 45, rgba((0xE9, 0xEE, 0xF6)))
    if page != 2:
        # Pages 1, 3 and 4 leave the left of the title row free, so it carries the brand;
        # on the custom page the back button sits there.
        draw_mark(c, 14, 12, 20)
        c.text(42, 22.5, "塔沃PDF编辑器", 13, rgba(TEXT), bold=0.15, anchor="lm")
        c.text(42 + text_width("塔沃PDF编辑器", 13) + 8, 22.5, "安装向导", 13, rgba(MUTED), anchor="lm")
    # Frame line (the pages keep one pixel clear on every side).
    frame = (0xD3, 0xDC, 0xE8)
    c.rect(0, 0, 600, 1, rgba(frame))
    c.rect(0, 399, 600, 400, rgba(frame))
    c.rect(0, 0, 1, 400, rgba(frame))
    c.rect(599, 0, 600, 400, rgba(frame))
    return c.result()


# ---------------------------------------------------------------------------
# Buttons

STATE_FILL = {1: BLUE, 2: HOT, 3: PUSHED}


def make_filled_button(w, h, label, size, state, r):
    c = Canvas(w, h)
    base = STATE_FILL[state]
    top = mix(base, WHITE, 0.08) if state != 3 else base
    c.gradient_rrect(0, 0, w, h, r, top, base)
    dy = 0.5 if state == 3 else 0.0
    c.text(w / 2, h / 2 + dy, label, size, rgba(WHITE), bold=0.35, anchor="mm")
    return c.result()


def make_back_button(state):
    c = Canvas(64, 30)
    color = {1: GREY, 2: BLUE, 3: PUSHED}[state]
    if state != 1:
        c.rrect(0, 0, 64, 30, 4, rgba(BLUE, 22 if state == 2 else 40))
    c.polyline([(17, 10), (12, 15), (17, 20)], rgba(color), 1.6)
    c.text(22, 15, "返回", 14, rgba(color), anchor="lm")
    return c.result()


def make_title_button(kind, state, dialog):
    """24 x 24 minimise or close glyph; hot and pushed add a tinted tile."""
    c = Canvas(24, 24)
    normal = (0x8A, 0x8E, 0xA3) if dialog else GREY
    color = {1: normal, 2: BLUE, 3: PUSHED}[state]
    if state != 1:
        c.rrect(0, 0, 24, 24, 4, rgba(BLUE, 28 if state == 2 else 52))
    if kind == "min":
        c.rect(7, 12, 17, 13, rgba(color))
    else:
        k = 4.5 if dialog else 5.0
        c.polyline([(12 - k, 12 - k), (12 + k, 12 + k)], rgba(color), 1.4)
        c.polyline([(12 - k, 12 + k), (12 + k, 12 - k)], rgba(color), 1.4)
    return c.result()


def make_checkbox(checked):
    """15 x 14: a 14 x 14 box whose right column stays clear (the skin draws it into 15 x 14)."""
    c = Canvas(15, 14)
    if checked:
        c.rrect(0, 0, 14, 14, 2.5, rgba(BLUE))
        c.polyline([(3.4, 7.2), (6.0, 9.8), (10.8, 4.6)], rgba(WHITE), 1.6)
    else:
        c.rrect(0, 0, 14, 14, 2.5, rgba(WHITE), outline=rgba((0xB8, 0xBE, 0xCE)), width=1)
    return c.result()


def make_custom_icon(hot):
    c = Canvas(16, 16)
    if hot:
        c.ellipse(8, 8, 7.5, fill=rgba(BLUE))
        c.polyline([(6.8, 4.8), (10, 8), (6.8, 11.2)], rgba(WHITE), 1.5)
    else:
        c.ellipse(8, 8, 7.0, outline=rgba(GREY), width=1.1)
        c.polyline([(6.8, 4.8), (10, 8), (6.8, 11.2)], rgba(GREY), 1.4)
    return c.result()


def make_tip():
    """116 x 32: a dark bubble pointing down at the agreement check box."""
    c = Canvas(116, 32)
    col = rgba(TEXT, 235)
    c.rrect(0, 0, 116, 26, 4, col)
    c.polygon([(12, 25.5), (23, 25.5), (17.5, 31.5)], col)
    c.text(58, 13, "请先同意用户协议", 12, rgba(WHITE), anchor="mm")
    return c.result()


def make_edit():
    c = Canvas(340, 36)
    c.rrect(0, 0, 340, 36, 4, rgba(WHITE), outline=rgba((0xCF, 0xD6, 0xE4)), width=1)
    return c.result()


def make_progress(fill):
    """520 x 8 bar pieces; their rounding stays inside the 2-pixel corners the skin keeps."""
    c = Canvas(520, 8)
    if fill:
        c.gradient_rrect(0, 0, 520, 8, 2, HOT, BLUE, horizontal=True)
        c.rrect(1, 1, 519, 2, 0.5, rgba(WHITE, 60))
    else:
        c.rrect(0, 0, 520, 8, 2, rgba((0xE4, 0xEB, 0xF7)))
    return c.result()


# ---------------------------------------------------------------------------
# Status pictures

def make_finished():
    c = Canvas(80, 80)
    c.ellipse(40, 40, 40, fill=rgba(BLUE, 26))
    c.ellipse(40, 40, 34, fill=rgba(BLUE, 40))
    c.gradient_ellipse(40, 40, 28, HOT, PUSHED)
    c.polyline([(28, 41), (36.5, 49.5), (52.5, 32.5)], rgba(WHITE), 5.0)
    return c.result()


def make_dialog_icon(kind):
    c = Canvas(40, 40)
    if kind == "quest":
        c.gradient_ellipse(20, 20, 18, HOT, PUSHED)
        c.text(20, 20.5, "?", 24, rgba(WHITE), bold=0.9, anchor="mm")
    elif kind == "warn":
        c.gradient_ellipse(20, 20, 18, (0xFF, 0xC5, 0x3D), AMBER_DEEP)
        c.polyline([(20, 10.5), (20, 22.5)], rgba(WHITE), 3.6)
        c.ellipse(20, 28.8, 2.2, fill=rgba(WHITE))
    else:  # network: white signal arcs on the blue disc, with a warning badge
        c.gradient_ellipse(20, 20, 18, HOT, PUSHED)
        cx, cy = 18, 26
        for rad in (15.0, 10.4, 5.8):
            lay = c.layer()
            ImageDraw.Draw(lay).arc(c.box(cx - rad, cy - rad, cx + rad, cy + rad), 225, 315,
                                    fill=rgba(WHITE), width=c.s(2.4))
            c.paste(lay)
        c.ellipse(cx, cy - 0.6, 2.0, fill=rgba(WHITE))
        c.ellipse(31, 31, 8.2, fill=rgba(WHITE))
        c.gradient_ellipse(31, 31, 6.6, (0xFF, 0xC5, 0x3D), AMBER_DEEP)
        c.polyline([(31, 27.4), (31, 31.4)], rgba(WHITE), 1.8)
        c.ellipse(31, 34.3, 1.05, fill=rgba(WHITE))
    return c.result()


def make_spinner_frame(i):
    """160 x 160 frame i of 12. Three arcs turn 10 degrees a frame; after 12 frames they
    have turned 120 degrees, which maps the picture onto itself, so the loop is seamless."""
    c = Canvas(160, 160)
    cx = cy = 80
    ring = 62
    c.ellipse(cx, cy, ring + 4, outline=rgba((0xE6, 0xEE, 0xFC)), width=8)
    lay = c.layer()
    d = ImageDraw.Draw(lay)
    length, steps = 80.0, 40
    for k in range(3):
        head = -90 + i * 10 + k * 120
        for s in range(steps):
            t = (s + 1) / steps
            a0 = head - length + length * s / steps
            a1 = a0 + length / steps + 0.8
            d.arc(c.box(cx - ring - 4, cy - ring - 4, cx + ring + 4, cy + ring + 4), a0, a1,
                  fill=rgba(mix(HOT, BLUE, t), int(255 * t ** 1.6)), width=c.s(8))
        hx = cx + ring * math.cos(math.radians(head))
        hy = cy + ring * math.sin(math.radians(head))
        d.ellipse(c.box(hx - 4, hy - 4, hx + 4, hy + 4), fill=rgba(BLUE))
    c.paste(lay)
    # The centre: a light disc with a download arrow into a tray.
    c.ellipse(cx, cy, 40, fill=rgba((0xF1, 0xF6, 0xFF)))
    c.polyline([(80, 60), (80, 86)], rgba(BLUE), 5)
    c.polyline([(70, 77), (80, 87), (90, 77)], rgba(BLUE), 5)
    c.polyline([(64, 88), (64, 96), (96, 96), (96, 88)], rgba(mix(BLUE, WHITE, 0.3)), 4)
    return c.result()


# ---------------------------------------------------------------------------

def pictures():
    """(archive path, image) for every picture of the skin, in a stable order."""
    out = []
    add = lambda path, img: out.append((path, img))
    add("res/MessageBoxWnd/icoNetwork.png", make_dialog_icon("network"))
    add("res/MessageBoxWnd/icoQuest.png", make_dialog_icon("quest"))
    add("res/MessageBoxWnd/icoWarn.png", make_dialog_icon("warn"))
    for st in (1, 2, 3):
        add("res/common/closebtn%d.png" % st, make_title_button("close", st, False))
    for st in (1, 2, 3):
        add("res/common/closebtnM_%d.png" % st, make_title_button("close", st, True))
    for st in (1, 2, 3):
        add("res/common/minbtn%d.png" % st, make_title_button("min", st, False))
    add("res/mainWnd/Cb1.png", make_checkbox(False))
    add("res/mainWnd/Cb2.png", make_checkbox(True))
    for st in (1, 2, 3):
        add("res/mainWnd/backBtn%d.png" % st, make_back_button(st))
    for page in (1, 2, 3, 4):
        add("res/mainWnd/bg%d.png" % page, make_background(page))
    for st in (1, 2, 3):
        add("res/mainWnd/chDirBtn%d.png" % st, make_filled_button(81, 36, "浏览", 15, st, 4))
    add("res/mainWnd/customeBtn1.png", make_custom_icon(False))
    add("res/mainWnd/customeBtn2.png", make_custom_icon(True))
    for st in (1, 2, 3):
        add("res/mainWnd/experienceBtn%d.png" % st, make_filled_button(200, 46, "立即体验", 18, st, 6))
    add("res/mainWnd/finished.png", make_finished())
    for st in (1, 2, 3):
        add("res/mainWnd/installBtn%d.png" % st, make_filled_button(200, 46, "立即安装", 18, st, 6))
    for i in range(12):
        add("res/mainWnd/installBtnAnimate/%03d.png" % i, make_spinner_frame(i))
    add("res/mainWnd/installDirEdit.png", make_edit())
    add("res/mainWnd/installPrg1.png", make_progress(False))
    add("res/mainWnd/installPrg2.png", make_progress(True))
    add("res/mainWnd/logo.png", make_logo())
    add("res/mainWnd/tipLbl.png", make_tip())
    return out


# ---------------------------------------------------------------------------
# Previews for the contact sheet: the windows as the layouts place the pictures
# (positions worked out from the skins by hand), so the art is judged in place.

def _font(size):
    return ImageFont.truetype(FONT_PATH, size)


def _text(img, xy, s, size, color, anchor="lm"):
    ImageDraw.Draw(img).text(xy, s, font=_font(size), fill=rgba(color), anchor=anchor)


def _put(img, pics, name, x, y, dest=None):
    pic = pics[name]
    if dest:
        pic = pic.resize(dest, Image.BOX)
    img.alpha_composite(pic, (x, y))


def preview_main(pics, page, hot=None):
    img = pics["res/mainWnd/bg%d.png" % (page + 1)].copy()
    if page != 2:
        for n, x in (("minbtn", 514), ("closebtn", 562)):
            st = 2 if hot == n else 1
            _put(img, pics, "res/common/%s%d.png" % (n, st), x, 12)
    if page == 0:
        _put(img, pics, "res/mainWnd/logo.png", 154, 105)
        _put(img, pics, "res/mainWnd/installBtn%d.png" % (2 if hot == "install" else 1), 200, 213)
        _put(img, pics, "res/mainWnd/tipLbl.png", 11, 325)
        _put(img, pics, "res/mainWnd/Cb2.png", 21, 363)
        _text(img, (47, 370), "已同意", 14, (0x89, 0x91, 0xAF))
        _text(img, (91, 370), "《用户许可协议》", 14, BLUE)
        c = TEXT if hot == "custom" else GREY
        _text(img, (571, 371), "自定义安装", 14, c, anchor="rm")
        _put(img, pics, "res/mainWnd/customeBtn%d.png" % (2 if hot == "custom" else 1), 573, 363)
    elif page == 1:
        _put(img, pics, "res/mainWnd/backBtn%d.png" % (2 if hot == "back" else 1), 10, 11)
        _put(img, pics, "res/mainWnd/logo.png", 154, 75)
        _text(img, (53, 194), "安装路径：", 14, (0x1A, 0x1A, 0x1A))
        _put(img, pics, "res/mainWnd/installDirEdit.png", 129, 177)
        _text(img, (138, 194), "C:\\Program Files (x86)\\TarvoPDFEditor", 14, (0x33, 0x33, 0x33))
        _put(img, pics, "res/mainWnd/chDirBtn%d.png" % (2 if hot == "chdir" else 1), 479, 177)
        _text(img, (53, 242), "其他选项：", 14, (0, 0, 0))
        _put(img, pics, "res/mainWnd/Cb2.png", 125, 235)
        _text(img, (151, 242), "创建桌面快捷方式", 14, (0x1A, 0x1A, 0x1A))
        _put(img, pics, "res/mainWnd/Cb1.png", 283, 235)
        _text(img, (309, 242), "添加到快速启动栏", 14, (0x1A, 0x1A, 0x1A))
        _put(img, pics, "res/mainWnd/installBtn%d.png" % (3 if hot == "install" else 1), 200, 300)
    elif page == 2:
        _put(img, pics, "res/mainWnd/installBtnAnimate/000.png", 220, 98)
        _text(img, (300, 312), "正在安装中:37%，请稍候...", 18, TEXT, anchor="mm")
        _put(img, pics, "res/mainWnd/installPrg1.png", 40, 344)
        fill = (520 * 37) // 100
        track = pics["res/mainWnd/installPrg2.png"]
        part = Image.new("RGBA", (fill, 8))
        part.paste(track.crop((0, 0, 2, 8)), (0, 0))
        part.paste(track.crop((2, 0, 518, 8)).resize((fill - 4, 8), Image.BOX), (2, 0))
        part.paste(track.crop((518, 0, 520, 8)), (fill - 2, 0))
        img.alpha_composite(part, (40, 344))
    else:
        _put(img, pics, "res/mainWnd/finished.png", 260, 95)
        _text(img, (236, 225), "安装完成", 32, TEXT)
        _put(img, pics, "res/mainWnd/experienceBtn%d.png" % (2 if hot == "open" else 1), 200, 294)
    return img


def _dialog_button(img, box, text, size, filled, state=1):
    d = ImageDraw.Draw(img)
    if filled:
        d.rounded_rectangle(box, radius=2, fill=rgba(STATE_FILL[state]))
        color = WHITE
    else:
        color = {1: (0x18, 0x90, 0xFF), 2: HOT, 3: PUSHED}[state]
        d.rounded_rectangle(box, radius=2, fill=rgba(WHITE), outline=rgba(color), width=1)
    _text(img, ((box[0] + box[2] + 1) / 2, (box[1] + box[3] + 1) / 2), text, size, color, anchor="mm")


def preview_dialog(pics, kind):
    w = 400 if kind == "installed" else 360
    img = Image.new("RGBA", (w, 180), rgba(WHITE))
    d = ImageDraw.Draw(img)
    title_h = 40 if kind == "exit" else 30
    band = {"exit": (0xF3, 0xF5, 0xF9), "msg": (0xF5, 0xFA, 0xFE)}.get(kind, (0xF5, 0xF5, 0xF5))
    d.rectangle([0, 0, w - 1, title_h - 1], fill=rgba(band))
    close_x = (w - 12 - 24) if kind != "installed" else (w - 12 - 24)
    _put(img, pics, "res/common/closebtnM_1.png", close_x, (title_h - 24) // 2)
    if kind == "exit":
        _text(img, (20, 20), "温馨提示", 14, TEXT)
        _put(img, pics, "res/MessageBoxWnd/icoQuest.png", 41, 64)
        _text(img, (97, 84), "您确定要退出安装吗？", 16, (0x55, 0x5C, 0x78))
        _dialog_button(img, (175, 128, 250, 159), "是", 14, False)
        _dialog_button(img, (263, 128, 338, 159), "否", 14, True)
    elif kind == "network":
        _text(img, (10, 15), "温馨提示", 14, (0x66, 0x66, 0x66))
        _put(img, pics, "res/MessageBoxWnd/icoNetwork.png", 31, 56)
        _text(img, (85, 66), "当前网络环境较差，请在网络通畅", 14, (0x55, 0x5C, 0x78))
        _text(img, (85, 86), "时进行重试", 14, (0x55, 0x5C, 0x78))
        _dialog_button(img, (175, 128, 250, 159), "稍后再试", 14, False)
        _dialog_button(img, (263, 128, 338, 159), "重新安装", 14, True)
    elif kind == "installed":
        _text(img, (10, 15), "温馨提示", 16, (0x66, 0x66, 0x66))
        _put(img, pics, "res/MessageBoxWnd/icoWarn.png", 31, 56)
        _text(img, (85, 66), "检测到计算机中已存在此软件，是否", 16, (0x1E, 0x21, 0x25))
        _text(img, (85, 88), "为您更新为最新版本？", 16, (0x1E, 0x21, 0x25))
        _dialog_button(img, (107, 128, 206, 159), "打开软件", 16, False)
        _dialog_button(img, (219, 128, 328, 159), "安装最新版本", 16, True)
    else:
        _text(img, (10, 15), "温馨提示", 16, (0x66, 0x66, 0x66))
        _text(img, (w / 2, 105), "无效路径", 16, (0x33, 0x33, 0x33), anchor="mm")
    return img


def previews(items):
    pics = dict(items)
    out = [("preview: start page (install button hot)", preview_main(pics, 0, hot="install")),
           ("preview: custom page", preview_main(pics, 1)),
           ("preview: progress page", preview_main(pics, 2)),
           ("preview: finish page (close button hot)", preview_main(pics, 3, hot="closebtn"))]
    for kind in ("exit", "network", "installed", "msg"):
        out.append(("preview: %s dialog" % kind, preview_dialog(pics, kind)))
    return out


def framed(img):
    """A window preview with a thin outline, as the shadow would set it off."""
    out = Image.new("RGBA", (img.width + 2, img.height + 2), (0x9A, 0xA3, 0xB5, 255))
    out.alpha_composite(img, (1, 1))
    return out


def contact_sheet(items, path):
    """Every picture at its own size on a neutral grey, its name below it."""
    bg = (0xC9, 0xCC, 0xD2, 255)
    font = ImageFont.truetype(FONT_PATH, 12)
    width, pad, label_h = 1280, 16, 18
    x = y = pad
    row_h = 0
    placed = []
    for name, img in items:
        label = name.replace("res/", "")
        if name.startswith("preview"):
            img = framed(img)
        w = max(img.width, int(font.getlength(label)) + 1)
        if x + w > width - pad:
            x, y = pad, y + row_h + label_h + pad
            row_h = 0
        placed.append((x, y, label, img))
        x += w + pad
        row_h = max(row_h, img.height)
    sheet = Image.new("RGBA", (width, y + row_h + label_h + pad), bg)
    d = ImageDraw.Draw(sheet)
    for x, y, label, img in placed:
        sheet.alpha_composite(img, (x, y))
        d.text((x, y + img.height + 3), label, font=font, fill=(0x30, 0x33, 0x3A, 255))
    sheet.convert("RGB").save(path)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--sheet", default=os.path.join(SKIN, "contact_sheet.png"))
    ap.add_argument("--out", default=SKIN, help="folder that receives res/ and installer.ico")
    ap.add_argument("--no-sheet", action="store_true")
    args = ap.parse_args()
    if not os.path.exists(FONT_PATH):
        sys.exit("missing %s (Debian package fonts-wqy-microhei)" % FONT_PATH)
    items = pictures()
    for name, img in items:
        path = os.path.join(args.out, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        img.save(path, optimize=True)
    write_ico(os.path.join(args.out, "installer.ico"), make_icon_images())
    if not args.no_sheet:
        contact_sheet(items + previews(items), args.sheet)
    print("%d pictures and installer.ico in %s%s" % (len(items), args.out,
                                                    "" if args.no_sheet else ", sheet " + args.sheet))


if __name__ == "__main__":
    main()
