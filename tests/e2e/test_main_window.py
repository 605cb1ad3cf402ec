"""The main window as a person first sees it."""
from PIL import Image

from conftest import MAIN_TITLE, RESOURCE_IDS, ROOT, probe, screenshot, window_pixel


def skin_pixel(x, y):
    # The skin bitmap as built into the program.
    import re
    rc = (ROOT / "res" / "skin.rc").read_text()
    path = re.search(rf'^{RESOURCE_IDS["IDB_SKIN"]}\s+BITMAP\s+"([^"]+)"', rc, re.M).group(1)
    return Image.open(ROOT / "res" / path).convert("RGB").getpixel((x, y))


def test_window_comes_up_with_the_skin(desktop, tmp_path):
    _, wid, _ = desktop.start_utility()
    info = probe("window", MAIN_TITLE)
    assert info["found"] == "1"
    assert info["client"] == "618x490"

    image = screenshot(tmp_path / "main.png")
    # Points of bare skin: no control or drawn text covers them.
    for x, y in [(5, 300), (610, 480), (450, 60)]:
        assert window_pixel(image, wid, x, y) == skin_pixel(x, y), (x, y)
