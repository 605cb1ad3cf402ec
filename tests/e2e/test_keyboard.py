"""The window used with the keyboard alone and read by a screen reader: the
tab order, the DPI levels chosen by key, a shortcut given by keyboard, the
names and values the accessibility interface reads, and the focus outline
that shows only once the keyboard is used."""
from conftest import MAIN_TITLE, click, find_window, find_windows, key, move_mouse, probe, wait_for, wheel_slot
from window_actions import (DPI_LEVELS_ID, IDC_CLOSE_BUTTON, IDC_COMBO_PROFILE, IDC_COMBO_WHEEL, IDC_DPI_SLIDER,
                            IDC_KEY_EDIT, IDC_MINIMIZE_BUTTON, KEY_TITLE, ROWS, TAB_ORDER, WindowShot, accessible,
                            focus, skin, tab, tab_to)

ACCENT = (24, 204, 244)
# Points of the outline around the slider (180, 360, 156 x 40) and the DPI
# levels: bare skin until the keyboard is used.
SLIDER_RING = [(258, 357), (258, 402), (178, 380), (337, 380)]
LEVELS_RING = [(95, 363), (95, 392)]


def start(desktop):
    process, wid, mouse = desktop.start_utility()
    wait_for(lambda: probe("control", MAIN_TITLE, ROWS[0]).get("enabled") == "1", message="the rows enabled")
    return process, wid, mouse


def ring_shown(wid, tmp_path, points):
    shot = WindowShot(wid, tmp_path / "ring.png")
    return [shot(x, y) == ACCENT for x, y in points]


def test_tab_order_levels_by_key_and_the_focus_outline(desktop, tmp_path):
    process, wid, mouse = start(desktop)
    # The mouse user's window: the slider focused with a click shows no
    # outline, the skin around it is untouched.
    click(wid, 248, 372)  # on the thumb, which stays where it is
    wait_for(lambda: focus() == IDC_DPI_SLIDER, message="the slider focused by the mouse")
    window = skin("skin_window.bmp")
    shot = WindowShot(wid, tmp_path / "mouse.png")
    assert [shot(x, y) for x, y in SLIDER_RING + LEVELS_RING] == [window.getpixel(p) for p in SLIDER_RING + LEVELS_RING]

    tab_to(IDC_COMBO_PROFILE)
    assert [tab() for _ in TAB_ORDER[1:]] == list(TAB_ORDER[1:])

    # Once the keyboard is used, the focus shows in the skin's accent colour.
    tab_to(DPI_LEVELS_ID)
    wait_for(lambda: all(ring_shown(wid, tmp_path, LEVELS_RING)), message="the outline around the DPI levels")
    tab()
    wait_for(lambda: all(ring_shown(wid, tmp_path, SLIDER_RING)) and not any(ring_shown(wid, tmp_path, LEVELS_RING)),
             message="the outline moved on to the slider")

    # A digit chooses a level as a click on its box does: SelectDpiLevel, the
    # slider at its step, nothing saved.
    assert tab("shift+Tab") == DPI_LEVELS_ID
    mouse.frames()
    key("1")
    wait_for(lambda: mouse.state().get("level") == "0", message="level 1 at the mouse")
    assert ("set", "mouse", "001900000000000000") in [(k, i, f.upper()) for k, i, f in mouse.frames()]
    assert probe("control", MAIN_TITLE, IDC_DPI_SLIDER)["pos"] == "0"
    key("Right")
    wait_for(lambda: mouse.state().get("level") == "1", message="Right: level 2 at the mouse")
    assert accessible(DPI_LEVELS_ID) == ("DPI level", "2 of 4")
    saved = process.folder / "setting.dat"
    assert not saved.exists() or saved.read_bytes()[152] == 2


def test_screen_reader_names_and_a_shortcut_given_by_keyboard(desktop):
    process, wid, mouse = start(desktop)
    assert accessible(ROWS[0]) == ("Right Button", "Right Button")
    # The slider shows the mouse's step once the mouse told it.
    wait_for(lambda: accessible(IDC_DPI_SLIDER) == ("DPI", "1600 DPI"), message="the slider's name and value")
    assert accessible(DPI_LEVELS_ID) == ("DPI level", "3 of 4")
    assert accessible(IDC_CLOSE_BUTTON)[0] == "Hide to notification area"
    assert accessible(IDC_MINIMIZE_BUTTON)[0] == "Minimise"
    assert accessible(IDC_COMBO_PROFILE) == ("Profile", "Every other program")

    # Arrowing through the closed list passes "Shortcuts" without asking for
    # a shortcut; the list opened (F4) and Enter on it asks.
    tab_to(IDC_COMBO_WHEEL)
    for _ in range(5):  # "Wheel Button" (2) down to "Close Current Window" (7)
        key("Down")
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_WHEEL).get("cursel") == "7", message="arrowed to the last item")
    assert not find_windows(KEY_TITLE)
    key("Up")
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_WHEEL).get("cursel") == "6", message="back on Shortcuts")
    assert wait_for(lambda: wheel_slot(process.folder), message="the last item saved")[2] == 10  # still it
    move_mouse(wid, 500, 470)  # off the list, which would follow the pointer
    key("F4")
    key("Return")
    find_window(KEY_TITLE)
    # Enter after Ctrl+C takes Ctrl+C, as OK would.
    key("ctrl+c")
    wait_for(lambda: probe("control", KEY_TITLE, IDC_KEY_EDIT).get("text") == "Ctrl + C", message="Ctrl+C captured")
    key("Return")
    wait_for(lambda: not find_windows(KEY_TITLE), message="the Key dialog to close")
    assert wait_for(lambda: wheel_slot(process.folder) == (0x01, 0x2E, 1, 0), message="Ctrl+C saved")
    assert accessible(IDC_COMBO_WHEEL) == ("Wheel Button", "Ctrl + C")

    # The same from the list opened with Alt+Down, also when the machine is
    # slow to hand the keys on.
    key("alt+Down")
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_WHEEL).get("dropped") == "1", message="the list open")
    key("End", "Up", "Return")
    find_window(KEY_TITLE)
    wait_for(lambda: probe("control", KEY_TITLE, IDC_KEY_EDIT).get("text") == "Ctrl + C", message="Ctrl+C proposed")
    key("ctrl+x")
    wait_for(lambda: probe("control", KEY_TITLE, IDC_KEY_EDIT).get("text") == "Ctrl + X", message="Ctrl+X captured")
    key("Return")
    wait_for(lambda: not find_windows(KEY_TITLE), message="the Key dialog to close")
    assert wait_for(lambda: wheel_slot(process.folder) == (0x01, 0x2D, 1, 0), message="Ctrl+X saved")

    # Alt+F4 hides the window from a combo box too.
    key("alt+F4")
    wait_for(lambda: probe("window", MAIN_TITLE).get("visible") == "0", message="the window hidden by Alt+F4")
    assert process.running()


def test_without_the_mouse_the_dpi_levels_are_unavailable(desktop):
    desktop.start_utility(env={"SKIVOL_VMOUSE_PLUGGED": "0"})
    wait_for(lambda: probe("control", MAIN_TITLE, ROWS[0]).get("enabled") == "0", message="the rows disabled")
    assert probe("control", MAIN_TITLE, DPI_LEVELS_ID).get("enabled") == "0"
    unavailable = 0x1
    assert int(probe("accessible", MAIN_TITLE, DPI_LEVELS_ID).get("state", "0")) & unavailable
