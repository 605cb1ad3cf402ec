"""Checks the skin images that res/skin.rc puts into the program.

The program loads each bitmap in its own size and depth and sizes its window
and controls from them, cuts control shapes where pixels equal the colour key,
and uses the normal state's shape for every state of a control. These tests
read the files the way a loader would and check exactly those facts.

Run: /usr/bin/python3 -m pytest tests/skin
"""

import os
import re
import shutil
import struct
import subprocess
import sys

import pytest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
RES = os.path.join(ROOT, "res")
sys.path.insert(0, os.path.join(ROOT, "tools"))

from resource_ids import read_resource_ids  # noqa: E402
KEY = (255, 2, 255)

# name: (width, height, bits per pixel)
BITMAPS = {
    "IDB_SKIN": (618, 490, 24),
    "IDB_CLOSE_NORMAL": (24, 24, 24),
    "IDB_CLOSE_HOVER": (24, 24, 32),
    "IDB_CLOSE_PRESSED": (24, 24, 32),
    "IDB_MINIMIZE_NORMAL": (24, 24, 24),
    "IDB_MINIMIZE_HOVER": (24, 24, 24),
    "IDB_MINIMIZE_PRESSED": (24, 24, 24),
    "IDB_DEFAULT_NORMAL": (135, 32, 24),
    "IDB_DEFAULT_HOVER": (135, 32, 24),
    "IDB_DEFAULT_PRESSED": (135, 32, 24),
    "IDB_COMBO_FRAME": (190, 24, 24),
    "IDB_COMBO_ARROW": (24, 22, 24),
    "IDB_COMBO_ARROW_HOVER": (24, 22, 24),
    "IDB_COMBO_ARROW_DISABLED": (24, 22, 24),
}
LANGS = ("EN", "DE", "FR", "ES", "IT")
HEADINGS = ["IDB_HEADING_%s_%s" % (kind, lang) for lang in LANGS for kind in ("BUTTONS", "DPI")]
for _name in HEADINGS:
    BITMAPS[_name] = (353, 22, 24)
HEADING_PLACES = {"BUTTONS": (26, 99), "DPI": (26, 321)}

# Sets whose states are all drawn through the first one's shape.
STATE_SETS = [
    ("IDB_DEFAULT_NORMAL", "IDB_DEFAULT_HOVER", "IDB_DEFAULT_PRESSED"),
    ("IDB_CLOSE_NORMAL", "IDB_CLOSE_HOVER", "IDB_CLOSE_PRESSED"),
    ("IDB_MINIMIZE_NORMAL", "IDB_MINIMIZE_HOVER", "IDB_MINIMIZE_PRESSED"),
    ("IDB_COMBO_ARROW", "IDB_COMBO_ARROW_HOVER", "IDB_COMBO_ARROW_DISABLED"),
]
ROUNDED = ["IDB_DEFAULT_NORMAL", "IDB_DEFAULT_HOVER", "IDB_DEFAULT_PRESSED", "IDB_COMBO_FRAME"]
CORNER = 8  # a rounded corner's cut stays within this many pixels of the edges


# ------------------------------------------------------------- readers ----
def rc_entries():
    """(id, type, path) of every line of res/skin.rc, comments removed."""
    out = []
    with open(os.path.join(RES, "skin.rc"), encoding="ascii") as f:
        for line in f:
            line = line.split("//")[0].strip()
            if not line:
                continue
            m = re.fullmatch(r'(\d+)\s+(BITMAP|ICON|CURSOR)\s+"([^"]+)"', line)
            assert m, "unexpected line in skin.rc: %r" % line
            out.append((int(m.group(1)), m.group(2), m.group(3)))
    return out


IDS = read_resource_ids(os.path.join(RES, "resource.h"))
ENTRIES = rc_entries()


def file_of(name, kind):
    matches = [p for i, t, p in ENTRIES if i == IDS[name] and t == kind]
    assert len(matches) == 1, "%s (%d) needs exactly one %s line" % (name, IDS[name], kind)
    return os.path.join(RES, matches[0])


def read_bmp(path):
    """(width, height, bpp, pixels[y][x] as RGB, top row first)."""
    with open(path, "rb") as f:
        data = f.read()
    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    assert magic == b"BM", path
    assert size == len(data), "%s: file size field %d, file %d" % (path, size, len(data))
    (hsize, w, h, planes, bpp, compression) = struct.unpack_from("<IiiHHI", data, 14)
    assert hsize == 40, "%s: header of %d bytes, want BITMAPINFOHEADER" % (path, hsize)
    assert planes == 1 and compression == 0, "%s: want one plane, BI_RGB" % path
    assert h > 0, "%s: want a bottom-up bitmap" % path
    assert bpp in (24, 32), "%s: %d bits per pixel" % (path, bpp)
    stride = (w * bpp // 8 + 3) & ~3
    assert offset + stride * h <= len(data), "%s: pixel data cut short" % path
    step = bpp // 8
    rows = []
    for y in range(h):
        base = offset + (h - 1 - y) * stride
        rows.append([(data[base + x * step + 2], data[base + x * step + 1], data[base + x * step])
                     for x in range(w)])
    return w, h, bpp, rows


_cache = {}


def bitmap(name):
    if name not in _cache:
        _cache[name] = read_bmp(file_of(name, "BITMAP"))
    return _cache[name]


def key_pixels(name):
    _, _, _, px = bitmap(name)
    return {(x, y) for y, row in enumerate(px) for x, p in enumerate(row) if p == KEY}


def read_icon_dir(path):
    """type and [(width, height, a, b, payload)] of an .ico or .cur file."""
    with open(path, "rb") as f:
        data = f.read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert reserved == 0 and count > 0, path
    out = []
    for i in range(count):
        w, h, _, _, a, b, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        assert offset + length <= len(data), "%s: image %d runs past the file" % (path, i)
        out.append((w or 256, h or 256, a, b, data[offset:offset + length]))
    return kind, out


def payload_size(payload):
    if payload[:8] == b"\x89PNG\r\n\x1a\n":
        return struct.unpack(">II", payload[16:24]) + (32,)
    hsize, w, h, _, bpp = struct.unpack_from("<IiiHH", payload, 0)
    assert hsize == 40
    return w, h // 2, bpp


def relative_luminance(rgb):
    def channel(v):
        v /= 255.0
        return v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(v) for v in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((relative_luminance(a), relative_luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def worst_contrast(name, box, text_colour):
    _, _, _, px = bitmap(name)
    x0, y0, x1, y1 = box
    return min(contrast(px[y][x], text_colour) for y in range(y0, y1) for x in range(x0, x1))


# ------------------------------------------------------- the rc fragment ----
def test_every_skin_resource_of_the_header_is_in_the_fragment():
    wanted = {n: "BITMAP" for n in IDS if n.startswith("IDB_")}
    wanted.update({n: "ICON" for n in IDS if n.startswith("IDI_")})
    wanted["IDR_MAINFRAME"] = "ICON"
    wanted["IDC_HAND_CURSOR"] = "CURSOR"
    have = {(i, t) for i, t, _ in ENTRIES}
    missing = sorted(n for n, t in wanted.items() if (IDS[n], t) not in have)
    assert not missing


def test_fragment_names_each_identifier_once_and_only_known_ones():
    ids = [i for i, _, _ in ENTRIES]
    assert len(ids) == len(set(ids))
    known = {IDS[n] for n in BITMAPS} | {IDS[n] for n in ("IDR_MAINFRAME", "IDI_TRAY_0",
                                                          "IDI_TRAY_1", "IDI_TRAY_2",
                                                          "IDC_HAND_CURSOR")}
    assert set(ids) == known


def test_every_file_of_the_fragment_exists_and_paths_are_relative_to_res():
    for _, _, path in ENTRIES:
        assert not os.path.isabs(path) and "\\" not in path
        assert os.path.isfile(os.path.join(RES, path)), path
    assert len({p for _, _, p in ENTRIES}) == len(ENTRIES), "two identifiers share a file"


@pytest.mark.skipif(not shutil.which("i686-w64-mingw32-windres"), reason="no windres")
def test_fragment_compiles_with_windres(tmp_path):
    wrapper = tmp_path / "wrapper.rc"
    wrapper.write_text('#include <windows.h>\n#include "skin.rc"\n')
    out = tmp_path / "skin.o"
    run = subprocess.run(["i686-w64-mingw32-windres", "-I", RES, str(wrapper), "-O", "coff",
                          "-o", str(out)], cwd=RES, capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    assert out.stat().st_size > os.path.getsize(file_of("IDB_SKIN", "BITMAP"))


# ------------------------------------------------------------- bitmaps ----
@pytest.mark.parametrize("name", sorted(BITMAPS))
def test_bitmap_has_its_size_and_depth(name):
    w, h, bpp, _ = bitmap(name)
    assert (w, h, bpp) == BITMAPS[name]


@pytest.mark.parametrize("name", sorted(BITMAPS))
def test_no_colour_comes_near_the_key_without_being_it(name):
    _, _, _, px = bitmap(name)
    near = {p for row in px for p in row
            if p != KEY and abs(p[0] - 255) + abs(p[1] - 2) + abs(p[2] - 255) < 40}
    assert not near, "anti-aliased key fringe: %s" % sorted(near)[:5]


@pytest.mark.parametrize("name", ["IDB_SKIN"] + HEADINGS)
def test_opaque_images_have_no_key_colour(name):
    assert not key_pixels(name)


@pytest.mark.parametrize("name", ROUNDED)
def test_rounded_shapes_are_cut_in_the_four_corners_only(name):
    w, h, _, _ = bitmap(name)
    keys = key_pixels(name)
    for x, y in keys:
        assert (x < CORNER or x >= w - CORNER) and (y < CORNER or y >= h - CORNER), (x, y)
    for corner in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)):
        assert corner in keys, "corner %s is not cut" % (corner,)
    # full-height middle columns and full-width middle rows stay whole
    for x in range(CORNER, w - CORNER):
        assert all((x, y) not in keys for y in range(h))
    for y in range(CORNER, h - CORNER):
        assert all((x, y) not in keys for x in range(w))


@pytest.mark.parametrize("names", STATE_SETS, ids=lambda s: s[0])
def test_states_of_a_control_share_the_normal_shape(names):
    first = key_pixels(names[0])
    for other in names[1:]:
        assert key_pixels(other) == first, other


def test_states_differ_from_each_other():
    for names in STATE_SETS:
        images = [bitmap(n)[3] for n in names]
        for i in range(len(images)):
            for j in range(i + 1, len(images)):
                assert images[i] != images[j], (names[i], names[j])


@pytest.mark.parametrize("name", HEADINGS)
def test_heading_edges_continue_the_skin_behind_it(name):
    """Headings are copied opaquely over the skin: their border must be the skin."""
    _, _, _, skin = bitmap("IDB_SKIN")
    w, h, _, px = bitmap(name)
    ox, oy = HEADING_PLACES[name.split("_")[2]]
    border = [(x, 0) for x in range(w)] + [(x, h - 1) for x in range(w)]
    border += [(w - 1, y) for y in range(h)]
    wrong = [(x, y) for x, y in border if px[y][x] != skin[oy + y][ox + x]]
    assert not wrong, "differs from the skin at %s" % wrong[:5]


def test_headings_carry_their_own_text():
    _, _, _, skin = bitmap("IDB_SKIN")
    seen = {}
    for name in HEADINGS:
        _, _, _, px = bitmap(name)
        ox, oy = HEADING_PLACES[name.split("_")[2]]
        bare = [row[ox:ox + 353] for row in skin[oy:oy + 22]]
        assert px != bare, "%s is the bare skin" % name
        key = tuple(tuple(r) for r in px)
        assert key not in seen, "%s repeats %s" % (name, seen.get(key))
        seen[key] = name


# Text the program draws over the images, and the colours it uses.
WHITE, BLACK = (255, 255, 255), (0, 0, 0)


def test_row_labels_read_as_white_text():
    for k in range(4):
        box = (30, 143 + 40 * k, 176, 143 + 40 * k + 19)
        assert worst_contrast("IDB_SKIN", box, WHITE) >= 7.0, k


def test_dpi_number_and_version_text_are_readable():
    # DPI number: white, at the slider's right edge + 8, around the thumb's centre
    assert worst_contrast("IDB_SKIN", (344, 360, 392, 384), WHITE) >= 7.0
    # version text: grey 0x7A7A7A
    assert worst_contrast("IDB_SKIN", (26, 464, 150, 478), (0x7A, 0x7A, 0x7A)) >= 3.0


def test_default_button_caption_reads_in_every_state():
    caption = (34, 8, 101, 24)  # where a centred caption of the button lies
    assert worst_contrast("IDB_DEFAULT_NORMAL", caption, (0x20, 0x20, 0x20)) >= 7.0
    assert worst_contrast("IDB_DEFAULT_HOVER", caption, (0x20, 0x20, 0x20)) >= 7.0
    assert worst_contrast("IDB_DEFAULT_PRESSED", caption, WHITE) >= 7.0


def test_combo_field_is_light_enough_for_its_grey_text():
    # selection text: 0x808080 at (8, 2), up to the arrow at x 165
    assert worst_contrast("IDB_COMBO_FRAME", (8, 3, 160, 21), (0x80, 0x80, 0x80)) >= 3.0


def test_dpi_level_boxes_stand_out_from_the_ground():
    """The four boxes at x 40+30k..60+30k, y 368..388 are painted on the skin."""
    _, _, _, px = bitmap("IDB_SKIN")
    for k in range(4):
        inside = {px[y][x] for y in range(368, 388) for x in range(40 + 30 * k, 60 + 30 * k)}
        assert len(inside) > 3, "box %d is not drawn" % k


# --------------------------------------------------- icons and cursor ----
ICONS = ["IDR_MAINFRAME", "IDI_TRAY_0", "IDI_TRAY_1", "IDI_TRAY_2"]


@pytest.mark.parametrize("name", ICONS)
def test_icons_hold_16_24_32_and_48_pixel_images(name):
    kind, images = read_icon_dir(file_of(name, "ICON"))
    assert kind == 1
    sizes = sorted((w, h) for w, h, _, _, _ in images)
    assert sizes == [(16, 16), (24, 24), (32, 32), (48, 48)]
    for w, h, planes, bpp, payload in images:
        assert payload_size(payload)[:2] == (w, h)
        assert bpp in (0, payload_size(payload)[2])


def test_tray_icon_variants_are_distinct_pictures():
    payloads = [tuple(p for *_, p in read_icon_dir(file_of(n, "ICON"))[1]) for n in ICONS[1:]]
    assert len(set(payloads)) == 3


def test_hand_cursor_is_32_by_32_with_its_hot_spot_on_the_hand():
    kind, images = read_icon_dir(file_of("IDC_HAND_CURSOR", "CURSOR"))
    assert kind == 2
    assert len(images) == 1
    w, h, hx, hy, dib = images[0]
    assert (w, h) == (32, 32)
    assert (hx, hy) == (12, 6)
    hsize, dw, dh, planes, bpp, compression = struct.unpack_from("<IiiHHI", dib, 0)
    assert (hsize, dw, dh, planes, compression) == (40, 32, 64, 1, 0)
    assert bpp in (1, 4, 8, 24, 32)
    colours = 0 if bpp > 8 else (struct.unpack_from("<I", dib, 32)[0] or 1 << bpp)
    xor_stride = (32 * bpp + 31) // 32 * 4
    and_start = 40 + 4 * colours + xor_stride * 32
    assert len(dib) == and_start + 4 * 32, "AND mask missing or cut short"
    row = 31 - hy  # bottom-up
    and_bit = dib[and_start + row * 4 + hx // 8] & (0x80 >> (hx % 8))
    assert and_bit == 0, "the hot spot is on a transparent pixel"
