#!/usr/bin/python3
"""Draws the main window's skin: every bitmap, icon and cursor of res/skin/.

Needs Debian's python3-pil, fonts-dejavu-core and fonts-dejavu-extra (the
condensed faces); fonts-wine, when installed, gives the preview the program's
own Tahoma metrics. Run from anywhere with Debian's python:

    /usr/bin/python3 tools/draw_skin.py            # writes res/skin/* and res/skin.rc
    /usr/bin/python3 tools/draw_skin.py --sheet /tmp/sheet.png   # also a states sheet

The generated files are committed; the build never runs this script.

Everything the program paints at run time over the skin (row labels, headings,
DPI number, level outline, slider, version text, control captions) happens at
fixed places; those places are the LAYOUT constants below and must follow the
program's layout. The look (colours, radii, textures) is the STYLE constants.
"""

import argparse
import math
import os
import random
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

from resource_ids import read_resource_ids

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES = os.path.join(ROOT, "res")
OUT = os.path.join(RES, "skin")

# ---------------------------------------------------------------- layout ----
# Places the program paints at; see the main window's paint code.
WIN_W, WIN_H = 618, 490
HEADING_SIZE = (353, 22)
HEADING_BUTTONS_POS = (26, 99)
HEADING_DPI_POS = (26, 321)
LABEL_ORIGIN = (30, 143)          # row k label text origin: (30, 143 + 40k)
ROW_STEP = 40
ROW_COUNT = 4
COMBO_ORIGIN = (180, 143)         # row k combo box: (180, 143 + 40k)
COMBO_SIZE = (190, 24)
ARROW_SIZE = (24, 22)
ARROW_POS = (COMBO_SIZE[0] - ARROW_SIZE[0] - 1, COMBO_SIZE[1] - ARROW_SIZE[1] - 1)
COMBO_TEXT_POS = (8, 2)
SLIDER_RECT = (180, 360, 336, 400)
# Thumb rectangle of a 156 x 40 trackbar with range 0..7, client coordinates,
# as the platform reports it (TBM_GETTHUMBRECT); used for the tick marks and
# for the preview.
THUMB_LEFTS = (8, 26, 44, 63, 81, 100, 118, 137)
THUMB_W, THUMB_TOP, THUMB_BOTTOM = 11, 2, 23
# DPI level box k is clicked on x 40+30k..60+30k, y 368..388.
DPI_BOX_STEP = 30
DPI_LEVELS = 4
# The current level is outlined by a 3 px square on (41 + 30L, 366)-(61 + 30L, 386);
# the boxes are drawn concentric with it so the outline frames them exactly.
OUTLINE_X0, OUTLINE_Y0, OUTLINE_SIZE = 41, 366, 20
DEFAULT_POS = (240, 410)
DEFAULT_SIZE = (135, 32)
MINIMIZE_POS = (557, 10)
CLOSE_POS = (585, 10)
TITLE_BUTTON_SIZE = (24, 24)
VERSION_POS = (26, 464)
VERSION_TEXT = "Ver. 1.01 ,  HW. 1.0"

KEY = (255, 2, 255)               # transparent colour of cut shapes

# ----------------------------------------------------------------- style ----
ACCENT = (24, 204, 244)           # electric cyan, used for lines and glows only
ACCENT_DIM = (18, 120, 148)
BG_TOP = (33, 36, 42)
BG_BOTTOM = (12, 13, 16)
HEADER_BOTTOM = 80                # the title band ends here
CARD_RADIUS = 7
CARD_FILL = (255, 255, 255, 9)    # translucent lift over the background
CARD_EDGE = (255, 255, 255, 26)
CARD_SHADE = (0, 0, 0, 70)
TEXT_LIGHT = (232, 236, 241)
TEXT_MUTED = (132, 140, 150)
BADGE_FILL = (15, 17, 20)

CARD_BUTTONS = (14, 92, 402, 302)
CARD_DPI = (14, 312, 402, 452)
CARD_MOUSE = (412, 92, 604, 452)
FOOTER_TOP = 456
BADGE_X = 386                     # row badges: centre (386, 155 + 40k)
READOUT = (338, 358, 394, 388)    # box behind the DPI number

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONTS = {
    "sans": "DejaVuSans.ttf",
    "bold": "DejaVuSans-Bold.ttf",
    "bold_oblique": "DejaVuSans-BoldOblique.ttf",
    "cond": "DejaVuSansCondensed.ttf",
    "cond_bold": "DejaVuSansCondensed-Bold.ttf",
}
# The program's own font; only the preview uses it, with DejaVu as stand-in.
TAHOMA = "/usr/share/wine/fonts/tahoma.ttf"

HEADINGS = {
    # language: (buttons heading, DPI heading)
    "en": ("Button Settings", "DPI Settings"),
    "de": ("Tasteneinstellungen", "DPI-Einstellungen"),
    "fr": ("Réglages des boutons", "Réglages DPI"),
    "es": ("Configuración de botones", "Configuración de DPI"),
    "it": ("Impostazioni pulsanti", "Impostazioni DPI"),
}

# Resource identifiers are taken by name from res/resource.h.
BITMAP_FILES = [
    ("IDB_SKIN", "skin_window.bmp"),
    ("IDB_CLOSE_NORMAL", "close_normal.bmp"),
    ("IDB_CLOSE_HOVER", "close_hover.bmp"),
    ("IDB_CLOSE_PRESSED", "close_pressed.bmp"),
    ("IDB_DEFAULT_NORMAL", "default_normal.bmp"),
    ("IDB_DEFAULT_HOVER", "default_hover.bmp"),
    ("IDB_DEFAULT_PRESSED", "default_pressed.bmp"),
    ("IDB_COMBO_ARROW_DISABLED", "combo_arrow_disabled.bmp"),
    ("IDB_MINIMIZE_PRESSED", "minimize_pressed.bmp"),
    ("IDB_COMBO_FRAME", "combo_frame.bmp"),
    ("IDB_COMBO_ARROW", "combo_arrow.bmp"),
    ("IDB_COMBO_ARROW_HOVER", "combo_arrow_hover.bmp"),
    ("IDB_MINIMIZE_NORMAL", "minimize_normal.bmp"),
    ("IDB_MINIMIZE_HOVER", "minimize_hover.bmp"),
] + [
    ("IDB_HEADING_%s_%s" % (kind, lang.upper()), "heading_%s_%s.bmp" % (kind.lower(), lang))
    for lang in HEADINGS for kind in ("BUTTONS", "DPI")
]
ICON_FILES = [
    ("IDR_MAINFRAME", "app.ico"),
    ("IDI_TRAY_0", "tray_0.ico"),
    ("IDI_TRAY_1", "tray_1.ico"),
    ("IDI_TRAY_2", "tray_2.ico"),
]
CURSOR_FILES = [("IDC_HAND_CURSOR", "hand.cur")]
ICON_SIZES = (16, 24, 32, 48)
CURSOR_HOTSPOT = (12, 6)

SS = 4  # supersampling factor for anti-aliased shapes


# --------------------------------------------------------------- helpers ----
def font(name, size):
    return ImageFont.truetype(os.path.join(FONT_DIR, FONTS[name]), size)


def runtime_font(size):
    """The font the program draws with (Tahoma), or a close stand-in."""
    path = TAHOMA if os.path.exists(TAHOMA) else os.path.join(FONT_DIR, FONTS["cond"])
    fnt = ImageFont.truetype(path, size)
    fnt.gdi_ascent = int(round(size * win_ascent(path)))
    return fnt


def win_ascent(path):
    """usWinAscent / unitsPerEm of a TrueType file: where GDI puts the baseline
    below the text origin (PIL's own ascent comes from other tables)."""
    with open(path, "rb") as f:
        data = f.read()
    tables = {}
    for i in range(struct.unpack(">H", data[4:6])[0]):
        tag, _, off, _ = struct.unpack(">4sIII", data[12 + 16 * i:28 + 16 * i])
        tables[tag] = off
    upem = struct.unpack(">H", data[tables[b"head"] + 18:tables[b"head"] + 20])[0]
    ascent = struct.unpack(">H", data[tables[b"OS/2"] + 74:tables[b"OS/2"] + 76])[0]
    return ascent / float(upem)


def gdi_text(draw, xy, text, fnt, fill):
    """Text as TextOut draws it: xy is the top of the character cell."""
    draw.text((xy[0], xy[1] + fnt.gdi_ascent), text, font=fnt, fill=fill, anchor="ls")


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    return tuple(int(round(lerp(a, b, t))) for a, b in zip(c1, c2))


def vgradient(size, top, bottom):
    w, h = size
    col = Image.new("RGB", (1, h))
    for y in range(h):
        col.putpixel((0, y), mix(top, bottom, y / max(1, h - 1)))
    return col.resize((w, h))


def hgradient(size, left, right):
    w, h = size
    row = Image.new("RGBA", (w, 1))
    for x in range(w):
        row.putpixel((x, 0), mix(left, right, x / max(1, w - 1)))
    return row.resize((w, h))


def shape_mask(size, draw_fn, ss=SS):
    """Coverage mask of shapes drawn by draw_fn(draw, scale) at ss x size."""
    big = Image.new("L", (size[0] * ss, size[1] * ss), 0)
    draw_fn(ImageDraw.Draw(big), ss)
    return big.resize(size, Image.BOX)


def rrect_mask(size, box, radius, ss=SS):
    x0, y0, x1, y1 = box  # x1, y1 exclusive

    def draw(d, s):
        d.rounded_rectangle([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], radius * s, fill=255)
    return shape_mask(size, draw, ss)


def scale_mask(mask, factor):
    return mask.point(lambda v: int(round(v * factor)))


def paint(base, colour, mask):
    """Lays colour (RGB or RGBA; alpha scales the mask) over base through mask."""
    if len(colour) == 4:
        mask = scale_mask(mask, colour[3] / 255.0)
        colour = colour[:3]
    base.paste(Image.new(base.mode, base.size, colour if base.mode == "RGB" else colour + (255,)),
               (0, 0), mask)


def paint_image(base, layer, mask, pos=(0, 0)):
    base.paste(layer, pos, mask)


def ring_mask(size, box, radius, width, ss=SS):
    outer = rrect_mask(size, box, radius, ss)
    x0, y0, x1, y1 = box
    inner = rrect_mask(size, (x0 + width, y0 + width, x1 - width, y1 - width),
                       max(0, radius - width), ss)
    return ImageChops.subtract(outer, inner)


def text_width(fnt, text, spacing=0.0):
    return sum(fnt.getlength(ch) for ch in text) + spacing * max(0, len(text) - 1)


def draw_text(draw, xy, text, fnt, fill, spacing=0.0):
    """Draws text with its top (ascender line) at xy; letter spacing in px."""
    x, y = xy
    asc = fnt.getmetrics()[0]
    if not spacing:
        draw.text((x, y + asc), text, font=fnt, fill=fill, anchor="ls")
        return x + fnt.getlength(text)
    for ch in text:
        draw.text((x, y + asc), ch, font=fnt, fill=fill, anchor="ls")
        x += fnt.getlength(ch) + spacing
    return x - spacing


def glow(mask, radius, strength):
    g = mask.filter(ImageFilter.GaussianBlur(radius))
    return scale_mask(g, strength)


def clear_near_key(img):
    """No pixel may come near the key colour unless it is the key: nudge them."""
    px = img.load()
    for y in range(img.size[1]):
        for x in range(img.size[0]):
            p = px[x, y][:3]
            if p != KEY and abs(p[0] - 255) + abs(p[1] - 2) + abs(p[2] - 255) < 48:
                px[x, y] = (p[0], min(255, p[1] + 48)) + tuple(px[x, y][2:])


# ------------------------------------------------------------ the mouse ----
def catmull_rom(points, steps=12):
    out = []
    n = len(points)
    for i in range(n - 1):
        p0 = points[max(0, i - 1)]
        p1, p2 = points[i], points[i + 1]
        p3 = points[min(n - 1, i + 2)]
        for s in range(steps):
            t = s / steps
            t2, t3 = t * t, t * t * t
            out.append(tuple(
                0.5 * ((2 * p1[k]) + (-p0[k] + p2[k]) * t
                       + (2 * p0[k] - 5 * p1[k] + 4 * p2[k] - p3[k]) * t2
                       + (-p0[k] + 3 * p1[k] - 3 * p2[k] + p3[k]) * t3)
                for k in range(2)))
    out.append(points[-1])
    return out


# Right half of the mouse seen from above, in mouse units: x from the centre
# line, y from the front edge. Width 118, length 246.
MOUSE_HALF = [(0, 0), (22, 3), (39, 13), (49, 33), (53, 62), (52, 100), (49, 132),
              (53, 168), (58, 200), (54, 226), (39, 241), (19, 247), (0, 248)]
MOUSE_LEN = 248
BUTTON_SPLIT_Y = 96               # where the two main buttons end


def mouse_outline(cx, top, scale):
    right = catmull_rom(MOUSE_HALF)
    left = [(-x, y) for x, y in reversed(right)]
    pts = right + left[1:]
    return [(cx + x * scale, top + y * scale) for x, y in pts]


def split_curve(cx, top, scale, half_w=60):
    pts = []
    for i in range(-half_w, half_w + 1, 2):
        t = i / half_w
        pts.append((cx + i * scale, top + (BUTTON_SPLIT_Y + 7 * (1 - t * t)) * scale))
    return pts


def draw_mouse(size, cx, top, scale, accent):
    """Top view of the five-button mouse; returns an RGBA layer of size."""
    s = SS
    W, H = size
    big = (W * s, H * s)
    u = scale * s                          # device pixels per mouse unit (big)
    X = lambda x: (cx + x * scale) * s
    Y = lambda y: (top + y * scale) * s
    outline = mouse_outline(cx * s, top * s, u)

    layer = Image.new("RGBA", big, (0, 0, 0, 0))

    def masked(draw_fn):
        m = Image.new("L", big, 0)
        draw_fn(ImageDraw.Draw(m))
        return m

    body = masked(lambda d: d.polygon(outline, fill=255))
    # soft shadow under the body
    shadow = body.filter(ImageFilter.GaussianBlur(9 * s))
    shadow = ImageChops.offset(shadow, 0, int(7 * s))
    layer.paste((0, 0, 0, 255), (0, 0), scale_mask(shadow, 0.75))
    # faint accent halo
    halo = body.filter(ImageFilter.GaussianBlur(14 * s))
    layer.paste(accent + (255,), (0, 0), scale_mask(halo, 0.22))

    # side buttons (drawn first; the body covers their inner edge)
    side = [(110, 141), (148, 179)]    # front: button 5 (forward), back: button 4
    for y0, y1 in side:
        def sb(d, y0=y0, y1=y1):
            d.rounded_rectangle([X(-62), Y(y0), X(-46), Y(y1)], 4 * u, fill=255)
        m = masked(sb)
        layer.paste((20, 22, 26, 255), (0, 0), m)
        inner = masked(lambda d, y0=y0, y1=y1: d.rounded_rectangle(
            [X(-61), Y(y0 + 1.2), X(-47), Y(y1 - 1.2)], 3.4 * u, fill=255))
        grad = vgradient(big, (92, 100, 112), (52, 57, 65)).convert("RGBA")
        layer.paste(grad, (0, 0), inner)

    # body with a top-lit gradient
    grad = vgradient(big, (62, 68, 77), (27, 30, 35)).convert("RGBA")
    layer.paste(grad, (0, 0), body)
    # main buttons: a lighter shell in front of the split
    front = masked(lambda d: d.polygon(
        [(X(-70), Y(-5))] + [(x * s, y * s) for x, y in split_curve(cx, top, scale, 70)]
        + [(X(70), Y(-5))], fill=255))
    front = ImageChops.multiply(front, body)
    layer.paste(vgradient(big, (78, 85, 96), (46, 51, 58)).convert("RGBA"), (0, 0), front)
    # specular sheen on the shell
    sheen = masked(lambda d: d.ellipse([X(-34), Y(14), X(34), Y(118)], fill=255))
    sheen = ImageChops.multiply(sheen.filter(ImageFilter.GaussianBlur(14 * s)), body)
    layer.paste((255, 255, 255, 255), (0, 0), scale_mask(sheen, 0.10))
    # palm sheen
    palm = masked(lambda d: d.ellipse([X(-40), Y(130), X(40), Y(236)], fill=255))
    palm = ImageChops.multiply(palm.filter(ImageFilter.GaussianBlur(16 * s)), body)
    layer.paste((255, 255, 255, 255), (0, 0), scale_mask(palm, 0.05))

    seam = (9, 10, 12, 255)
    d = ImageDraw.Draw(layer)
    # split between the shell and the palm rest, and the centre seam
    d.line([(x * s, y * s) for x, y in split_curve(cx, top, scale, 57)], fill=seam,
           width=int(2.2 * u), joint="curve")
    d.line([(X(0), Y(1)), (X(0), Y(BUTTON_SPLIT_Y + 7))], fill=seam, width=int(2.2 * u))
    # wheel well, wheel and its ribs
    d.rounded_rectangle([X(-9), Y(24), X(9), Y(80)], 8 * u, fill=(8, 9, 11, 255))
    wheel = masked(lambda dd: dd.rounded_rectangle([X(-5.5), Y(30), X(5.5), Y(74)],
                                                   5 * u, fill=255))
    layer.paste(hgradient(big, (50, 55, 62), (112, 120, 132)).convert("RGBA"), (0, 0), wheel)
    for i in range(11):
        yy = Y(33 + i * 3.9)
        d.line([(X(-5), yy), (X(5), yy)], fill=(28, 31, 36, 255), width=int(0.9 * u))
    # accent ring around the wheel well
    ring = masked(lambda dd: dd.rounded_rectangle([X(-11), Y(22), X(11), Y(82)], 10 * u,
                                                  outline=255, width=max(1, int(1.2 * u))))
    layer.paste(accent + (255,), (0, 0), scale_mask(ring.filter(ImageFilter.GaussianBlur(2 * s)), 0.9))
    layer.paste(accent + (255,), (0, 0), scale_mask(ring, 0.85))
    # accent strip at the back and the mark on the palm rest
    strip = masked(lambda dd: dd.arc([X(-44), Y(150), X(44), Y(244)], 40, 140, fill=255,
                                     width=int(1.6 * u)))
    layer.paste(accent + (255,), (0, 0), scale_mask(strip.filter(ImageFilter.GaussianBlur(3 * s)), 0.8))
    layer.paste(accent + (255,), (0, 0), scale_mask(strip, 0.9))
    mark = masked(lambda dd: dd.polygon([(X(-9), Y(180)), (X(0), Y(170)), (X(9), Y(180)),
                                         (X(9), Y(186)), (X(0), Y(176)), (X(-9), Y(186))],
                                        fill=255))
    layer.paste((150, 158, 170, 255), (0, 0), scale_mask(mark, 0.8))
    # rim light along the outline
    rim = masked(lambda dd: dd.line(outline + [outline[0]], fill=255, width=int(1.2 * u),
                                    joint="curve"))
    rim = ImageChops.multiply(rim, vgradient(big, (255, 255, 255), (40, 40, 40)).convert("L"))
    layer.paste((190, 200, 214, 255), (0, 0), scale_mask(rim, 0.55))

    return layer.resize(size, Image.LANCZOS)


# Callout targets of the mouse's buttons, in mouse units.
MOUSE_POINTS = {
    1: (-30, 50),    # left button
    2: (30, 50),     # right button
    3: (0, 27),      # wheel
    4: (-56, 164),   # back side button
    5: (-56, 126),   # forward side button
}


# ------------------------------------------------------------ badges -------
def draw_badge(img, centre, number, accent=ACCENT, r=8):
    size = img.size
    cx, cy = centre
    disc = shape_mask(size, lambda d, s: d.ellipse(
        [(cx - r) * s, (cy - r) * s, (cx + r) * s - 1, (cy + r) * s - 1], fill=255))
    paint(img, BADGE_FILL, disc)
    ring = shape_mask(size, lambda d, s: d.ellipse(
        [(cx - r) * s, (cy - r) * s, (cx + r) * s - 1, (cy + r) * s - 1],
        outline=255, width=int(1.4 * s)))
    paint(img, accent, ring)
    f = font("bold", 10)
    d = ImageDraw.Draw(img)
    d.text((cx, cy + 0.5), str(number), font=f, fill=TEXT_LIGHT, anchor="mm")


# ------------------------------------------------------------ the window ---
def background():
    img = vgradient((WIN_W, WIN_H), BG_TOP, BG_BOTTOM)
    px = img.load()
    rnd = random.Random(1301)
    noise = rnd.randbytes(WIN_W * WIN_H)
    for y in range(WIN_H):
        for x in range(WIN_W):
            r, g, b = px[x, y]
            # fine diagonal weave plus a little grain
            v = (3 if (x + y) % 4 == 0 else 0) - (2 if (x - y) % 4 == 0 else 0)
            v += (noise[y * WIN_W + x] % 5) - 2
            px[x, y] = (max(0, r + v), max(0, g + v), max(0, b + v + (1 if v > 0 else 0)))
    return img


def draw_title(img):
    d = ImageDraw.Draw(img)
    size = img.size
    # darker title band with a hard edge and a highlight below
    band = Image.new("L", size, 0)
    ImageDraw.Draw(band).rectangle([0, 0, WIN_W, HEADER_BOTTOM - 1], fill=255)
    paint(img, (0, 0, 0, 70), band)
    d.line([(0, HEADER_BOTTOM), (WIN_W, HEADER_BOTTOM)], fill=(6, 7, 9))
    d.line([(0, HEADER_BOTTOM + 1), (WIN_W, HEADER_BOTTOM + 1)], fill=(44, 48, 55))
    # accent line under the wordmark, fading out to the right, with its glow
    line = Image.new("L", size, 0)
    ld = ImageDraw.Draw(line)
    for x in range(0, 330):
        t = x / 330.0
        ld.point((x, HEADER_BOTTOM), fill=int(255 * (1 - t) ** 1.6))
    paint(img, ACCENT + (150,), glow(line, 4, 1.0))
    paint(img, ACCENT, line)

    # slanted speed stripes in the band's right half, fading towards the buttons
    stripes = Image.new("L", size, 0)
    sd = ImageDraw.Draw(stripes)
    for i in range(7):
        x = 360 + i * 24
        sd.polygon([(x, HEADER_BOTTOM - 1), (x + 10, HEADER_BOTTOM - 1), (x + 10 + 44, 0), (x + 44, 0)],
                   fill=255)
    fade = hgradient(size, (0, 0, 0, 255), (255, 255, 255, 255)).convert("L")
    fade = fade.point(lambda v: int(255 * math.sin(math.pi * v / 255.0) ** 2))
    paint(img, (255, 255, 255, 9), ImageChops.multiply(stripes, fade))

    # product mark and wordmark
    mark = product_mark(40, ACCENT)
    img.paste(mark, (22, 20), mark)
    big = font("bold_oblique", 31)
    draw_text(d, (72, 15), "SKIVOL", big, TEXT_LIGHT, spacing=2.5)
    small = font("cond_bold", 11)
    draw_text(d, (74, 52), "GAMING MOUSE", small, TEXT_MUTED, spacing=4.2)


def draw_card(img, box):
    size = img.size
    x0, y0, x1, y1 = box
    shade = rrect_mask(size, (x0 + 1, y0 + 2, x1 + 1, y1 + 3), CARD_RADIUS)
    paint(img, CARD_SHADE, shade.filter(ImageFilter.GaussianBlur(2)))
    body = rrect_mask(size, box, CARD_RADIUS)
    paint(img, (0, 0, 0, 60), body)
    lift = vgradient(size, (255, 255, 255), (0, 0, 0)).convert("L")
    # brighter towards the card top: a slight top light
    top_light = ImageChops.multiply(body, lift.point(lambda v: 255 if v > 200 else v))
    paint(img, CARD_FILL, top_light)
    edge = ring_mask(size, box, CARD_RADIUS, 1)
    paint(img, CARD_EDGE, edge)
    # highlight along the card's top edge
    hl = Image.new("L", size, 0)
    ImageDraw.Draw(hl).line([(x0 + CARD_RADIUS, y0), (x1 - CARD_RADIUS - 1, y0)], fill=255)
    paint(img, (255, 255, 255, 30), hl)


def draw_rows(img):
    x0, _, x1, _ = CARD_BUTTONS
    for k in range(ROW_COUNT):
        y = COMBO_ORIGIN[1] + ROW_STEP * k
        # marker left of the label
        m = rrect_mask(img.size, (19, y + 5, 22, y + 16), 1)
        paint(img, ACCENT + (200,), m)
        if k < ROW_COUNT - 1:
            sep_y = y + COMBO_SIZE[1] + (ROW_STEP - COMBO_SIZE[1]) // 2
            sep = Image.new("L", img.size, 0)
            sd = ImageDraw.Draw(sep)
            for x in range(x0 + 10, x1 - 10):
                t = min(1.0, (x - x0 - 10) / 40.0, (x1 - 10 - x) / 40.0)
                sd.point((x, sep_y), fill=int(255 * t))
            paint(img, (255, 255, 255, 16), sep)
        draw_badge(img, (BADGE_X, y + COMBO_SIZE[1] // 2), k + 2)


def draw_dpi_area(img):
    d = ImageDraw.Draw(img)
    size = img.size
    # level boxes 1..4
    nfont = font("bold", 11)
    for k in range(DPI_LEVELS):
        ox = OUTLINE_X0 + DPI_BOX_STEP * k
        box = (ox + 1, OUTLINE_Y0 + 1, ox + OUTLINE_SIZE, OUTLINE_Y0 + OUTLINE_SIZE)
        inner = rrect_mask(size, box, 2)
        paint(img, (0, 0, 0, 120), inner)
        paint(img, (255, 255, 255, 48), ring_mask(size, box, 2, 1))
        cx = (box[0] + box[2]) / 2.0
        cy = (box[1] + box[3]) / 2.0
        d.text((cx, cy + 0.5), str(k + 1), font=nfont, fill=(196, 204, 214), anchor="mm")
    # tick marks under the slider's thumb positions
    sx, sy = SLIDER_RECT[0], SLIDER_RECT[1]
    ty = sy + THUMB_BOTTOM + 4
    for i, left in enumerate(THUMB_LEFTS):
        tx = sx + left + THUMB_W // 2
        long_tick = i in (0, len(THUMB_LEFTS) - 1)
        d.line([(tx, ty), (tx, ty + (4 if long_tick else 2))],
               fill=(96, 104, 116) if long_tick else (70, 77, 87))
    # readout box behind the DPI number
    x0, y0, x1, y1 = READOUT
    paint(img, (0, 0, 0, 130), rrect_mask(size, READOUT, 4))
    paint(img, (255, 255, 255, 30), ring_mask(size, READOUT, 4, 1))
    under = Image.new("L", size, 0)
    ud = ImageDraw.Draw(under)
    for x in range(x0 + 4, x1 - 4):
        t = 1.0 - abs((x - (x0 + x1) / 2.0) / ((x1 - x0) / 2.0 - 4))
        ud.point((x, y1 - 2), fill=int(255 * min(1.0, t * 1.6)))
    paint(img, ACCENT + (90,), glow(under, 2, 1.0))
    paint(img, ACCENT + (230,), under)


def draw_mouse_panel(img):
    x0, y0, x1, y1 = CARD_MOUSE
    cx = (x0 + x1) // 2 + 8
    scale = 0.9
    top = 140
    layer = draw_mouse(img.size, cx, top, scale, ACCENT)
    img.paste(layer, (0, 0), layer)
    d = ImageDraw.Draw(img)
    P = lambda n: (cx + MOUSE_POINTS[n][0] * scale, top + MOUSE_POINTS[n][1] * scale)
    badges = {
        1: (x0 + 20, 118),
        2: (x1 - 20, 118),
        3: (cx, 114),
        5: (x0 + 20, P(5)[1]),
        4: (x0 + 20, P(4)[1]),
    }
    line_col = (112, 122, 136)
    for n, (bx, by) in badges.items():
        px, py = P(n)
        if n in (1, 2):
            knee = (px, by)
            pts = [(bx + (9 if n == 1 else -9), by), knee, (px, py)]
        elif n == 3:
            pts = [(bx, by + 9), (px, py)]
        else:
            pts = [(bx + 9, by), (px, py)]
        d.line(pts, fill=line_col, width=1)
        dot = shape_mask(img.size, lambda dd, s, px=px, py=py: dd.ellipse(
            [(px - 2) * s, (py - 2) * s, (px + 2) * s, (py + 2) * s], fill=255))
        paint(img, ACCENT, dot)
        draw_badge(img, (bx, by), n)
    # the DPI range, under the mouse
    f = font("cond_bold", 11)
    label = "400 – 3200 DPI"
    w = text_width(f, label, 1.6)
    draw_text(d, (cx - 8 - w / 2, y1 - 34), label, f, TEXT_MUTED, spacing=1.6)


def draw_footer(img):
    d = ImageDraw.Draw(img)
    band = Image.new("L", img.size, 0)
    ImageDraw.Draw(band).rectangle([0, FOOTER_TOP, WIN_W, WIN_H], fill=255)
    paint(img, (0, 0, 0, 60), band)
    d.line([(0, FOOTER_TOP), (WIN_W, FOOTER_TOP)], fill=(40, 44, 50))
    # three status-like bars at the bottom right, the middle one in accent
    for i, col in enumerate([(54, 60, 68), ACCENT_DIM, (54, 60, 68)]):
        x = WIN_W - 70 + i * 16
        d.rectangle([x, 471, x + 11, 472], fill=col)


def draw_frame(img):
    d = ImageDraw.Draw(img)
    d.rectangle([0, 0, WIN_W - 1, WIN_H - 1], outline=(58, 64, 73))
    d.line([(1, 1), (WIN_W - 2, 1)], fill=(70, 77, 88))


def window_skin():
    img = background()
    draw_title(img)
    draw_card(img, CARD_BUTTONS)
    draw_card(img, CARD_DPI)
    draw_card(img, CARD_MOUSE)
    draw_rows(img)
    draw_dpi_area(img)
    draw_mouse_panel(img)
    draw_footer(img)
    draw_frame(img)
    return img


# --------------------------------------------------------------- headings ---
def heading(skin, pos, text):
    w, h = HEADING_SIZE
    img = skin.crop((pos[0], pos[1], pos[0] + w, pos[1] + h))
    d = ImageDraw.Draw(img)
    # accent bar, caption in capitals, then a rule that fades out
    paint(img, ACCENT, rrect_mask(img.size, (0, 5, 3, 17), 1))
    f = font("cond_bold", 13)
    caption = text.upper()
    end = draw_text(d, (11, 3), caption, f, TEXT_LIGHT, spacing=1.4)
    rule = Image.new("L", img.size, 0)
    rd = ImageDraw.Draw(rule)
    start = int(end) + 10
    for x in range(start, w - 6):
        t = (x - start) / max(1.0, (w - 6 - start))
        rd.point((x, 11), fill=int(255 * (1 - t)))
    paint(img, (255, 255, 255, 46), rule)
    return img


# ------------------------------------------------------- buttons and combo ---
def title_button(skin, pos, glyph, state):
    w, h = TITLE_BUTTON_SIZE
    img = skin.crop((pos[0], pos[1], pos[0] + w, pos[1] + h))
    plate = rrect_mask(img.size, (1, 1, w - 1, h - 1), 5)
    if glyph == "close":
        fills = {"normal": None, "hover": (214, 48, 58), "pressed": (140, 24, 32)}
        colours = {"normal": (172, 180, 190), "hover": (255, 255, 255), "pressed": (236, 200, 204)}
    else:
        fills = {"normal": None, "hover": (255, 255, 255, 34), "pressed": (0, 0, 0, 120)}
        colours = {"normal": (172, 180, 190), "hover": (255, 255, 255), "pressed": ACCENT}
    if fills[state]:
        paint(img, fills[state], plate)
        if state == "pressed" and glyph != "close":
            paint(img, ACCENT + (120,), ring_mask(img.size, (1, 1, w - 1, h - 1), 5, 1))
    g = Image.new("L", img.size, 0)

    def draw(d, s):
        lw = int(1.8 * s)
        if glyph == "close":
            a, b = 7.5, 16.5
            d.line([(a * s, a * s), (b * s, b * s)], fill=255, width=lw)
            d.line([(a * s, b * s), (b * s, a * s)], fill=255, width=lw)
        else:
            d.rectangle([7 * s, 15 * s, 17 * s - 1, 17 * s - 1], fill=255)
    g = shape_mask(img.size, draw)
    paint(img, colours[state], g)
    return img


def default_button(skin, state):
    w, h = DEFAULT_SIZE
    behind = skin.crop((DEFAULT_POS[0], DEFAULT_POS[1], DEFAULT_POS[0] + w, DEFAULT_POS[1] + h))
    img = behind.copy()
    radius = 7
    shape = rrect_mask(img.size, (0, 0, w, h), radius)
    inner = rrect_mask(img.size, (1, 1, w - 1, h - 1), radius - 1)
    if state == "normal":
        edge, top, bottom, hl = (112, 120, 131), (238, 241, 245), (200, 206, 214), 255
    elif state == "hover":
        edge, top, bottom, hl = ACCENT, (250, 253, 255), (214, 234, 243), 255
    else:
        edge, top, bottom, hl = ACCENT, (22, 26, 31), (40, 46, 54), 40
    paint_image(img, Image.new("RGB", img.size, edge), shape)
    paint_image(img, vgradient(img.size, top, bottom), inner)
    # light catch just inside the top edge
    line = Image.new("L", img.size, 0)
    ImageDraw.Draw(line).line([(radius, 1), (w - radius - 1, 1)], fill=hl)
    paint(img, (255, 255, 255, 150 if state != "pressed" else 40), line)
    if state == "pressed":
        # accent glow from below
        gl = rrect_mask(img.size, (10, h - 6, w - 10, h + 6), 6).filter(ImageFilter.GaussianBlur(4))
        paint(img, ACCENT + (90,), ImageChops.multiply(gl, inner))
    else:
        bar = Image.new("L", img.size, 0)
        ImageDraw.Draw(bar).line([(radius + 10, h - 3), (w - radius - 11, h - 3)], fill=255)
        paint(img, ACCENT + (190 if state == "hover" else 110,), bar)
    # pixels wholly outside the rounded shape become the key
    return cut(img, shape)


def cut(img, shape):
    """Key colour where the shape does not reach at all; edge pixels stay blended."""
    out = img.copy()
    px, sm = out.load(), shape.load()
    for y in range(out.size[1]):
        for x in range(out.size[0]):
            if sm[x, y] == 0:
                px[x, y] = KEY
    clear_near_key(out)
    return out


COMBO_RADIUS = 5
ARROW_STATES = {
    # state: (fill top, fill bottom, chevron)
    "normal": ((232, 236, 241), (208, 214, 222), (78, 86, 97)),
    "hover": ((226, 246, 253), (196, 228, 240), (10, 150, 190)),
    "disabled": ((240, 242, 245), (228, 231, 235), (190, 196, 204)),
}


def combo_image(skin, arrow_state):
    """The combo frame with its arrow part in one state, 190 x 24."""
    w, h = COMBO_SIZE
    img = skin.crop((COMBO_ORIGIN[0], COMBO_ORIGIN[1], COMBO_ORIGIN[0] + w, COMBO_ORIGIN[1] + h))
    shape = rrect_mask(img.size, (0, 0, w, h), COMBO_RADIUS)
    inner = rrect_mask(img.size, (1, 1, w - 1, h - 1), COMBO_RADIUS - 1)
    paint_image(img, Image.new("RGB", img.size, (120, 128, 139)), shape)
    paint_image(img, vgradient(img.size, (246, 247, 249), (228, 231, 235)), inner)
    # inner shadow at the top of the field
    sh = Image.new("L", img.size, 0)
    ImageDraw.Draw(sh).line([(COMBO_RADIUS, 1), (w - COMBO_RADIUS - 1, 1)], fill=255)
    paint(img, (0, 0, 0, 26), ImageChops.multiply(sh, inner))
    # the arrow part at the right end
    ax, ay = ARROW_POS
    aw, ah = ARROW_SIZE
    top, bottom, chevron = ARROW_STATES[arrow_state]
    part = Image.new("L", img.size, 0)
    ImageDraw.Draw(part).rectangle([ax, ay, ax + aw - 1, ay + ah - 1], fill=255)
    part = ImageChops.multiply(part, inner)
    paint_image(img, vgradient(img.size, top, bottom), part)
    sep = Image.new("L", img.size, 0)
    ImageDraw.Draw(sep).line([(ax, ay + 3), (ax, ay + ah - 4)], fill=255)
    paint(img, (150, 158, 168), sep)
    cx, cy = ax + aw / 2.0 + 0.5, ay + ah / 2.0

    def chev(d, s):
        d.line([((cx - 4.5) * s, (cy - 2) * s), (cx * s, (cy + 2.5) * s),
                ((cx + 4.5) * s, (cy - 2) * s)], fill=255, width=int(1.9 * s), joint="curve")
    paint(img, chevron, shape_mask(img.size, chev))
    return cut(img, shape)


# ------------------------------------------------------- icons and cursor ---
def product_mark(px, accent, grey=False):
    """The product mark: a mouse on a dark rounded tile, px x px, RGBA."""
    s = 8
    n = px * s
    img = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    tile = Image.new("L", (n, n), 0)
    rad = n * 0.22
    ImageDraw.Draw(tile).rounded_rectangle([0, 0, n - 1, n - 1], rad, fill=255)
    top, bottom = ((58, 64, 73), (18, 20, 24)) if not grey else ((70, 72, 76), (34, 35, 38))
    img.paste(vgradient((n, n), top, bottom).convert("RGBA"), (0, 0), tile)
    edge = Image.new("L", (n, n), 0)
    ew = max(s, int(n * 0.035))
    ImageDraw.Draw(edge).rounded_rectangle([0, 0, n - 1, n - 1], rad, outline=255, width=ew)
    img.paste(accent + (255,), (0, 0), scale_mask(edge, 0.55))
    # the mouse, upright in the tile
    # small sizes give the mouse more of the tile so it still reads
    fill = 0.70 if px >= 32 else 0.80
    scale = n * fill / MOUSE_LEN
    top_y = n * (1 - fill) / 2
    outline = mouse_outline(n / 2.0, top_y, scale)
    body = Image.new("L", (n, n), 0)
    ImageDraw.Draw(body).polygon(outline, fill=255)
    light = (236, 240, 245) if not grey else (190, 193, 198)
    img.paste(vgradient((n, n), light, (150, 158, 170)).convert("RGBA"), (0, 0), body)
    d = ImageDraw.Draw(img)
    seam_w = max(s, int(n * 0.045))
    split = [(x, y) for x, y in split_curve(n / 2.0, top_y, scale, 60)]
    d.line(split, fill=(30, 34, 40, 255), width=seam_w)
    d.line([(n / 2.0, top_y), (n / 2.0, top_y + (BUTTON_SPLIT_Y + 7) * scale)],
           fill=(30, 34, 40, 255), width=seam_w)
    ww = max(s * 1.5, n * 0.075)
    d.rounded_rectangle([n / 2.0 - ww / 2, top_y + 26 * scale, n / 2.0 + ww / 2, top_y + 78 * scale],
                        ww / 2, fill=accent + (255,))
    # re-clip to the tile so nothing sticks out
    alpha = ImageChops.multiply(img.getchannel("A"), tile)
    img.putalpha(alpha)
    return img.resize((px, px), Image.LANCZOS)


def hand_cursor():
    """Pointing hand, 32 x 32, fingertip at the hot spot (12, 6)."""
    rows = {
        5:  "...........KKK..................",
        6:  "..........KWWWK.................",
        7:  "..........KWWWK.................",
        8:  "..........KWWWK.................",
        9:  "..........KWWWK.................",
        10: "..........KWWWKKKK..............",
        11: "..........KWWWKWWWKKKK..........",
        12: "..........KWWWKWWWKWWWK.........",
        13: "..........KWWWKWWWKWWWKKK.......",
        14: "..........KWWWKWWWKWWWKWWK......",
        15: "..........KWWWKWWWKWWWKWWK......",
        16: "......KKK.KWWWWWWWWWWWWWWK......",
        17: ".....KWWWKKWWWWWWWWWWWWWWK......",
        18: ".....KWWWWKWWWWWWWWWWWWWWK......",
        19: "......KWWWWWWWWWWWWWWWWWWK......",
        20: "......KWWWWWWWWWWWWWWWWWWK......",
        21: ".......KWWWWWWWWWWWWWWWWWK......",
        22: ".......KWWWWWWWWWWWWWWWWK.......",
        23: "........KWWWWWWWWWWWWWWWK.......",
        24: "........KWWWWWWWWWWWWWWK........",
        25: ".........KWWWWWWWWWWWWWK........",
        26: ".........KWWWWWWWWWWWWWK........",
        27: ".........KKKKKKKKKKKKKKK........",
    }
    img = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    px = img.load()
    for y, row in rows.items():
        for x, ch in enumerate(row):
            if ch == "K":
                px[x, y] = (0, 0, 0, 255)
            elif ch == "W":
                px[x, y] = (255, 255, 255, 255)
    # soft shadow down and to the right where the hand is not
    shadow = img.getchannel("A").filter(ImageFilter.GaussianBlur(0.8))
    shadow = ImageChops.offset(shadow, 1, 1)
    sp = shadow.load()
    for y in range(32):
        for x in range(32):
            if px[x, y][3] == 0 and sp[x, y] > 0:
                px[x, y] = (0, 0, 0, min(90, sp[x, y] // 2))
    return img


# ------------------------------------------------------------ file writers ---
def write_bmp(path, img, bpp):
    """Uncompressed bottom-up BMP, 24 or 32 bits (32: unused byte kept 0)."""
    img = img.convert("RGB")
    w, h = img.size
    bpr = w * (bpp // 8)
    stride = (bpr + 3) & ~3
    px = img.load()
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = px[x, y]
            row += bytes((b, g, r)) if bpp == 24 else bytes((b, g, r, 0))
        row += b"\0" * (stride - bpr)
        rows.append(bytes(row))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + data)


def dib_with_mask(img):
    """BITMAPINFOHEADER + 32-bit BGRA rows + AND mask, as icons and cursors hold them."""
    img = img.convert("RGBA")
    w, h = img.size
    px = img.load()
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = px[x, y]
            xor += bytes((b, g, r, a)) if a else b"\0\0\0\0"
    mstride = ((w + 31) // 32) * 4
    andm = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(mstride)
        for x in range(w):
            if px[x, y][3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        andm += row
    info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(xor) + len(andm), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(andm)


def write_icon_dir(path, kind, images, hotspot=None):
    """kind 1: .ico (planes 1, 32 bpp); kind 2: .cur (hot spot in the entry)."""
    payloads = [dib_with_mask(im) for im in images]
    off = 6 + 16 * len(images)
    out = struct.pack("<HHH", 0, kind, len(images))
    for im, data in zip(images, payloads):
        w, h = im.size
        a, b = (1, 32) if kind == 1 else hotspot
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, a, b, len(data), off)
        off += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(payloads))


def write_rc(ids):
    lines = [
        "// Skin of the main window: bitmaps, icons and the hand cursor.",
        "// The images are drawn by tools/draw_skin.py; this file is written by it too.",
        "// Paths are relative to res/ (windres -I res).",
        "",
    ]
    for kind, table in (("BITMAP", BITMAP_FILES), ("ICON", ICON_FILES), ("CURSOR", CURSOR_FILES)):
        for name, fname in sorted(table, key=lambda e: ids[e[0]]):
            entry = '%d %s "skin/%s"' % (ids[name], kind, fname)
            lines.append("%-48s// %s" % (entry, name))
        lines.append("")
    with open(os.path.join(RES, "skin.rc"), "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines))


# ------------------------------------------------------------------ preview ---
def compose(base, bmp, pos):
    """Key-coloured pixels leave the base visible, like the program's masked copy."""
    bmp = bmp.convert("RGB")
    mask = Image.new("L", bmp.size, 255)
    mp, bp = mask.load(), bmp.load()
    for y in range(bmp.size[1]):
        for x in range(bmp.size[0]):
            if bp[x, y] == KEY:
                mp[x, y] = 0
    base.paste(bmp, pos, mask)


def preview(parts, lang="en", dpi_pos=3, level=2, states=None):
    states = states or {}
    img = parts["skin"].copy()
    d = ImageDraw.Draw(img)
    compose(img, parts["heading_buttons_" + lang], HEADING_BUTTONS_POS)
    compose(img, parts["heading_dpi_" + lang], HEADING_DPI_POS)
    # slider: channel and thumb as the program paints them
    sx0, sy0, sx1, sy1 = SLIDER_RECT
    tl = sx0 + THUMB_LEFTS[dpi_pos]
    t0, t1 = sy0 + THUMB_TOP, sy0 + THUMB_BOTTOM
    c = (t0 + t1) // 2
    d.rectangle([sx0, c - 2, sx1 - 1, c + 1], fill=(128, 128, 128))
    d.rectangle([sx0 + 1, c - 1, sx1 - 2, c], fill=(255, 255, 255))
    d.rectangle([tl, t0, tl + THUMB_W - 1, t1 - 1], fill=(255, 255, 255))
    d.rectangle([tl + 1, t0 + 1, tl + THUMB_W - 2, t1 - 2], fill=(0, 0, 0))
    f16, f14, f12 = runtime_font(16), runtime_font(14), runtime_font(12)
    gdi_text(d, (sx1 + 8, c - 10), str(400 * (dpi_pos + 1)), f16, (255, 255, 255))
    # outline of the current level: 3 px white square
    x0, y0, n = OUTLINE_X0 + DPI_BOX_STEP * level, OUTLINE_Y0, OUTLINE_SIZE
    for box in ((x0 - 1, y0 - 1, x0 + n + 1, y0 + 1), (x0 - 1, y0 + n - 1, x0 + n + 1, y0 + n + 1),
                (x0 - 1, y0 - 1, x0 + 1, y0 + n + 1), (x0 + n - 1, y0 - 1, x0 + n + 1, y0 + n + 1)):
        d.rectangle(box, fill=(255, 255, 255))
    labels = ["Right Button", "Wheel Button", "Button 4th", "Button 5th"]
    values = ["Right Button", "Wheel Button", "Ctrl + C", "Double-click"]
    for k in range(ROW_COUNT):
        x, y = LABEL_ORIGIN[0], LABEL_ORIGIN[1] + ROW_STEP * k
        for dx, dy in ((1, 1), (0, 1), (1, 0)):
            gdi_text(d, (x + dx, y + dy), labels[k], f16, (0, 0, 0))
        gdi_text(d, (x, y), labels[k], f16, (255, 255, 255))
        cx, cy = COMBO_ORIGIN[0], COMBO_ORIGIN[1] + ROW_STEP * k
        combo = Image.new("RGB", COMBO_SIZE)
        combo.paste(img.crop((cx, cy, cx + COMBO_SIZE[0], cy + COMBO_SIZE[1])))
        compose(combo, parts["combo_frame"], (0, 0))
        state = states.get("combo%d" % k, "normal")
        colour = {"normal": (0x80, 0x80, 0x80), "focus": (0x16, 0x16, 0xDE),
                  "disabled": (0xDC, 0xDC, 0xDC), "hover": (0x80, 0x80, 0x80)}[state]
        gdi_text(ImageDraw.Draw(combo), COMBO_TEXT_POS, values[k], f14, colour)
        arrow = {"normal": "combo_arrow", "hover": "combo_arrow_hover", "focus": "combo_arrow",
                 "disabled": "combo_arrow_disabled"}[state]
        compose(combo, parts[arrow], ARROW_POS)
        compose(img, combo, (cx, cy))
    dstate = states.get("default", "normal")
    btn = parts["default_" + dstate]
    compose(img, btn, DEFAULT_POS)
    cap_col = (255, 255, 255) if dstate == "pressed" else (0x20, 0x20, 0x20)
    tw = int(f14.getlength("Default"))
    th = f14.gdi_ascent + int(round(14 * 423 / 2048.0))
    gdi_text(d, (DEFAULT_POS[0] + (DEFAULT_SIZE[0] - tw) // 2,
                 DEFAULT_POS[1] + (DEFAULT_SIZE[1] - th) // 2), "Default", f14, cap_col)
    compose(img, parts["minimize_" + states.get("minimize", "normal")], MINIMIZE_POS)
    compose(img, parts["close_" + states.get("close", "normal")], CLOSE_POS)
    gdi_text(d, (VERSION_POS[0] + 1, VERSION_POS[1]), VERSION_TEXT, f12, (0, 0, 0))
    gdi_text(d, VERSION_POS, VERSION_TEXT, f12, (0x7A, 0x7A, 0x7A))
    return img


def sheet(parts, path):
    """States and languages side by side, for review."""
    shots = [preview(parts)]
    shots.append(preview(parts, "de", 7, 0, {"combo0": "focus", "combo1": "hover",
                                             "combo3": "disabled", "default": "hover",
                                             "minimize": "hover", "close": "hover"}))
    shots.append(preview(parts, "fr", 0, 3, {"default": "pressed", "close": "pressed",
                                             "minimize": "pressed"}))
    heads = Image.new("RGB", (HEADING_SIZE[0] + 20, 10 * (HEADING_SIZE[1] + 6) + 14), (0, 0, 0))
    for i, lang in enumerate(HEADINGS):
        y = 10 + 2 * i * (HEADING_SIZE[1] + 6)
        heads.paste(parts["heading_buttons_" + lang], (10, y))
        heads.paste(parts["heading_dpi_" + lang], (10, y + HEADING_SIZE[1] + 6))
    out = Image.new("RGB", (WIN_W * 2 + 10, WIN_H * 2 + 10), (90, 90, 90))
    for i, shot in enumerate(shots):
        out.paste(shot, ((i % 2) * (WIN_W + 10), (i // 2) * (WIN_H + 10)))
    out.paste(heads, (WIN_W + 10 + 10, WIN_H + 10 + 10))
    out.save(path)


# --------------------------------------------------------------------- main ---
def build():
    parts = {}
    skin = window_skin()
    parts["skin"] = skin
    for lang, (buttons, dpi) in HEADINGS.items():
        parts["heading_buttons_" + lang] = heading(skin, HEADING_BUTTONS_POS, buttons)
        parts["heading_dpi_" + lang] = heading(skin, HEADING_DPI_POS, dpi)
    for state in ("normal", "hover", "pressed"):
        parts["close_" + state] = title_button(skin, CLOSE_POS, "close", state)
        parts["minimize_" + state] = title_button(skin, MINIMIZE_POS, "minimize", state)
        parts["default_" + state] = default_button(skin, state)
    parts["combo_frame"] = combo_image(skin, "normal")
    for state, name in (("normal", "combo_arrow"), ("hover", "combo_arrow_hover"),
                        ("disabled", "combo_arrow_disabled")):
        full = combo_image(skin, state)
        ax, ay = ARROW_POS
        parts[name] = full.crop((ax, ay, ax + ARROW_SIZE[0], ay + ARROW_SIZE[1]))
    return parts


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--sheet", help="also write a sheet of states and languages to this PNG")
    args = ap.parse_args(argv)
    ids = read_resource_ids(os.path.join(RES, "resource.h"))
    os.makedirs(OUT, exist_ok=True)
    parts = build()

    by_file = {
        "skin_window.bmp": "skin",
        "close_normal.bmp": "close_normal", "close_hover.bmp": "close_hover",
        "close_pressed.bmp": "close_pressed",
        "minimize_normal.bmp": "minimize_normal", "minimize_hover.bmp": "minimize_hover",
        "minimize_pressed.bmp": "minimize_pressed",
        "default_normal.bmp": "default_normal", "default_hover.bmp": "default_hover",
        "default_pressed.bmp": "default_pressed",
        "combo_frame.bmp": "combo_frame", "combo_arrow.bmp": "combo_arrow",
        "combo_arrow_hover.bmp": "combo_arrow_hover",
        "combo_arrow_disabled.bmp": "combo_arrow_disabled",
    }
    for lang in HEADINGS:
        for kind in ("buttons", "dpi"):
            by_file["heading_%s_%s.bmp" % (kind, lang)] = "heading_%s_%s" % (kind, lang)
    # The close button's hover and pressed images are 32-bit, all others 24-bit.
    thirty_two = {"IDB_CLOSE_HOVER", "IDB_CLOSE_PRESSED"}
    for name, fname in BITMAP_FILES:
        write_bmp(os.path.join(OUT, fname), parts[by_file[fname]], 32 if name in thirty_two else 24)

    marks = {"app.ico": (ACCENT, False), "tray_0.ico": (ACCENT, False),
             "tray_1.ico": ((255, 168, 36), False), "tray_2.ico": ((128, 134, 142), True)}
    for _, fname in ICON_FILES:
        accent, grey = marks[fname]
        write_icon_dir(os.path.join(OUT, fname), 1,
                       [product_mark(n, accent, grey) for n in ICON_SIZES])
    write_icon_dir(os.path.join(OUT, "hand.cur"), 2, [hand_cursor()], CURSOR_HOTSPOT)

    write_rc(ids)
    preview(parts).save(os.path.join(OUT, "preview.png"), optimize=True)
    if args.sheet:
        sheet(parts, args.sheet)
    print("wrote %d bitmaps, %d icons, 1 cursor, skin.rc and preview.png"
          % (len(BITMAP_FILES), len(ICON_FILES)))


if __name__ == "__main__":
    main(sys.argv[1:])
