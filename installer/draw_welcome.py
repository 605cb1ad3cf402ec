#!/usr/bin/python3
"""Draws the picture of the setup's welcome and finish pages (164 x 314, the
size the pages show) from the program's own skin: its title band's logo over
the card with the mouse, on the skin's background.

    /usr/bin/python3 installer/draw_welcome.py <out.bmp>
"""
import sys
from pathlib import Path

from PIL import Image, ImageChops

ROOT = Path(__file__).resolve().parents[1]
SIZE = (164, 314)
# Places in the main window's skin (res/skin/skin_window.bmp).
LOGO = (18, 12, 218, 72)
MOUSE_CARD = (412, 92, 604, 452)
BG_TOP, BG_BOTTOM = (33, 36, 42), (12, 13, 16)
ACCENT = (24, 204, 244)
MARGIN = 10


def main(out):
    skin = Image.open(ROOT / "res" / "skin" / "skin_window.bmp").convert("RGB")
    page = Image.new("RGB", SIZE)
    for y in range(SIZE[1]):
        t = y / (SIZE[1] - 1)
        colour = tuple(round(a + (b - a) * t) for a, b in zip(BG_TOP, BG_BOTTOM))
        page.paste(colour, (0, y, SIZE[0], y + 1))
    width = SIZE[0] - 2 * MARGIN
    logo = skin.crop(LOGO)
    logo = logo.resize((width, round(logo.height * width / logo.width)), Image.LANCZOS)
    # Only the logo's own pixels: the title band behind it is of another shade.
    band = logo.getpixel((0, 0))
    mask = Image.eval(ImageChops.difference(logo, Image.new("RGB", logo.size, band)).convert("L"),
                      lambda v: min(255, v * 6))
    page.paste(logo, (MARGIN, MARGIN), mask)
    line_y = MARGIN + logo.height + 4
    page.paste(ACCENT, (MARGIN, line_y, MARGIN + 24, line_y + 2))
    card = skin.crop(MOUSE_CARD)
    room = SIZE[1] - line_y - 2 * MARGIN
    scale = min(width / card.width, room / card.height)
    card = card.resize((round(card.width * scale), round(card.height * scale)), Image.LANCZOS)
    page.paste(card, ((SIZE[0] - card.width) // 2, SIZE[1] - MARGIN - card.height))
    page.save(out, "BMP")


if __name__ == "__main__":
    main(sys.argv[1])
