"""How the window looks in another language and without the mouse, checked
over the pixels on screen: texts stay inside their controls, disabled
controls stay legible, and the bottom bar says when the mouse is missing."""
from conftest import MAIN_TITLE, delete_registry, move_mouse, probe, set_registry, wait_for
from window_actions import (CLOSE_WINDOW_ITEM, DEFAULT_BUTTON, IDC_COMBO_4TH, IDC_COMBO_5TH, IDC_COMBO_RIGHT,
                            IDC_COMBO_WHEEL, WindowShot, choose_item, skin, state_line_in)

LANGUAGE_KEY = r"HKLM\SOFTWARE\Skivol Gaming Mouse"
COMBO_ORIGIN = {IDC_COMBO_RIGHT: (180, 143), IDC_COMBO_WHEEL: (180, 183), IDC_COMBO_4TH: (180, 223),
                IDC_COMBO_5TH: (180, 263)}
KEY = (255, 2, 255)


def luminance(rgb):
    def channel(v):
        v /= 255
        return v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = map(channel, rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def start_in_german(desktop, texts):
    set_registry(LANGUAGE_KEY, "Language", "1031")
    try:
        ini = "[1031]\r\n" + "".join(f"{k}={v}\r\n" for k, v in texts.items())
        _, wid, mouse = desktop.start_utility(files={"lang.ini": ini})
        wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_5TH).get("enabled") == "1", message="boxes enabled")
        return wid, mouse
    finally:
        delete_registry(LANGUAGE_KEY)


def test_long_texts_stay_inside_their_controls(desktop, tmp_path):
    wid, _ = start_in_german(desktop, {"str1": "Aktuelles Fenster schließen", "str4": "Standardeinstellungen"})
    choose_item(wid, IDC_COMBO_5TH, CLOSE_WINDOW_ITEM)
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_5TH).get("cursel") == str(CLOSE_WINDOW_ITEM),
             message="the option chosen")
    move_mouse(wid, 500, 470)
    window = skin("skin_window.bmp")
    frame, arrow = skin("combo_frame.bmp"), skin("combo_arrow.bmp")
    x0, y0 = COMBO_ORIGIN[IDC_COMBO_5TH]

    def combo_drawn_right(image):
        # The arrow exactly as its bitmap, the frame's right part and its
        # bottom row untouched (no white field), nothing right of the box.
        for x in range(arrow.width):
            for y in range(arrow.height):
                if arrow.getpixel((x, y)) != KEY and image(x0 + 165 + x, y0 + 1 + y) != \
                        arrow.getpixel((x, y)):
                    return False
        inside = [(x, y) for x in range(160, 165) for y in range(1, 23)] + [(x, 22) for x in range(2, 165)]
        if any(image(x0 + x, y0 + y) != frame.getpixel((x, y)) for x, y in inside):
            return False
        return all(image(x, y) == window.getpixel((x, y))
                   for x in range(x0 + 192, x0 + 200) for y in range(y0, y0 + 24))

    wait_for(lambda: combo_drawn_right(WindowShot(wid, tmp_path / "combo.png")), message="the box drawn within its field")

    # The caption shown whole: the button's face is bare near both ends.
    face = skin("default_normal.bmp")
    image = WindowShot(wid, tmp_path / "button.png")
    bx, by = DEFAULT_BUTTON
    for x in list(range(3, 7)) + list(range(face.width - 7, face.width - 3)):
        for y in range(6, face.height - 6):
            assert image(bx + x, by + y) == face.getpixel((x, y)), (x, y)
    middle = [image(bx + x, by + face.height // 2) for x in range(20, face.width - 20)]
    assert any(sum(p) < 200 for p in middle), "no caption drawn"


def test_without_the_mouse_the_window_says_so_and_stays_legible(desktop, tmp_path):
    _, wid, mouse = desktop.start_utility(env={"SKIVOL_VMOUSE_PLUGGED": "0"})
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_5TH).get("enabled") == "0", message="boxes disabled")
    move_mouse(wid, 500, 470)
    image = wait_for(lambda: (lambda i: state_line_in(i) and i)(WindowShot(wid, tmp_path / "off.png")),
                     message="the state line")
    for x0, y0 in COMBO_ORIGIN.values():
        field = [image(x0 + x, y0 + y) for x in range(8, 160) for y in range(3, 20)]
        background = max(field, key=sum)
        text = min(field, key=sum)
        assert contrast(text, background) >= 3.0, (x0, y0, text, background)
    def slider_greyed(image):
        return max(max(image(x, y)) for x in range(180, 336) for y in range(360, 400)) <= 0xC0

    assert slider_greyed(image), "the disabled slider still shows white"

    mouse.command("plug")
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_5TH).get("enabled") == "1", message="boxes enabled")
    wait_for(lambda: not state_line_in(WindowShot(wid, tmp_path / "on.png")), message="the state line gone")
    mouse.command("unplug")
    wait_for(lambda: (lambda i: state_line_in(i) and slider_greyed(i))(WindowShot(wid, tmp_path / "off2.png")),
             message="the state line back and the slider greyed")
