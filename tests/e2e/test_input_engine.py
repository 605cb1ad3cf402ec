"""Remapped buttons carried out through the virtual mouse, and the mouse's DPI
state shown in the window."""

import struct
import subprocess

import pytest

from conftest import (BUTTON_4TH, CLOSE_WINDOW, DOUBLE_CLICK, KEY_SHORTCUT, MAIN_TITLE, TARGET_CLICKS, TARGET_EDIT,
                      WHEEL, click, find_window, find_windows, focus_where_enter_resets, point_into_target, probe,
                      settings_record, wait_for, wine_env, xdotool)
from mouse_checks import inject_frames
from window_actions import (IDC_COMBO_WHEEL, IDC_DPI_SLIDER, IDOK, NOTICE_TITLE, SHOW_DPI_ON_SCREEN, WM_COMMAND,
                            bring_to_front)


def start_with_wheel(desktop, function, scan_code=0, modifiers=0):
    """Starts the utility with the wheel button assigned, and waits until the
    mouse reports the wheel to it instead of handling it and the first
    re-scan's PostScan has reached it: the mouse's answer (its own DPI state)
    is then ahead of whatever a test has it send. The frames read on the way
    are kept in `mouse.start_frames`."""
    _, wid, mouse = desktop.start_utility(files={"setting.dat": settings_record({WHEEL: function}, shortcut=(modifiers, scan_code))})
    wait_for(lambda: int(mouse.state().get("mask", "0"), 16) & 0x04, message="the wheel in the report mask")
    mouse.start_frames = []

    def post_scan_sent():
        mouse.start_frames += mouse.frames()
        return any(kind == "set" and frame.upper().startswith("001A") for kind, _, frame in mouse.start_frames)
    wait_for(post_scan_sent, message="the first re-scan's PostScan")
    return wid, mouse


def wait_for_inject_frames(mouse, count):
    seen = []
    try:
        wait_for(lambda: len(inject_frames(mouse, seen)) >= count, message=f"{count} inject frames")
    except AssertionError as error:
        # Whether the mouse let go of its button, and whether the window
        # still answers, tell a lost report from a program that stopped.
        slider = probe("control", MAIN_TITLE, IDC_DPI_SLIDER)
        raise AssertionError(f"{error}; seen {seen}; mouse: {mouse.command('state')}; slider: {slider}") from None
    return seen


def start_target(desktop, title):
    """A plain window with a text box, focused by a click into the box."""
    process = desktop.start("TestTarget.exe", args=[title])
    # Under load the click can come before the new window is where the display
    # says it is, and land on the utility's window below it.
    return process, bring_to_front(find_window(title), title)


@pytest.mark.both_mice
@pytest.mark.parametrize("function, held", [(KEY_SHORTCUT, "001501010600000000"), (BUTTON_4TH, "001502100000000000")],
                         ids=["shortcut", "mouse button"])
def test_road_from_press_to_release(desktop, function, held):
    _, mouse = start_with_wheel(desktop, function, scan_code=0x2E, modifiers=0x01)
    mouse.frames()  # forget the start-up traffic
    assert mouse.command("buttons 04") == "ok"
    seen = wait_for_inject_frames(mouse, 1)
    # Held until what it holds is down on the desktop, as a finger holds it.
    # Under Wine, the driver mouse's release sent while its press's button
    # was still being played on the desktop was seen to reach no window.
    down = "xbutton2" if function == BUTTON_4TH else "ctrl"
    wait_for(lambda: probe("keys").get(down) == "1", message=f"{down} down on the desktop")
    assert mouse.command("buttons 00") == "ok"
    let_go = held[:6] + "00" * 6
    assert seen + wait_for_inject_frames(mouse, 1) == [held, let_go]
    wait_for(lambda: probe("keys").get(down) == "0", message=f"{down} up on the desktop")


@pytest.mark.both_mice
def test_letter_shortcut_types_into_a_text_box(desktop):
    _, mouse = start_with_wheel(desktop, KEY_SHORTCUT, scan_code=0x1E)
    start_target(desktop, "Input target")
    for _ in range(2):
        assert mouse.command("buttons 04") == "ok"
        assert mouse.command("buttons 00") == "ok"
    wait_for(lambda: probe("control", "Input target", TARGET_EDIT).get("text") == "aa", message="'aa' in the text box")


@pytest.mark.both_mice
def test_close_current_window_closes_the_focused_window(desktop):
    wid, mouse = start_with_wheel(desktop, CLOSE_WINDOW)
    target, _ = start_target(desktop, "Close me")
    assert mouse.command("buttons 04") == "ok"
    target.wait_exit()
    # The release does nothing, and the utility itself stays.
    assert mouse.command("buttons 00") == "ok"
    assert find_windows(MAIN_TITLE)


@pytest.mark.both_mice
def test_double_click_clicks_twice_where_the_pointer_is(desktop):
    _, mouse = start_with_wheel(desktop, DOUBLE_CLICK)
    _, target = start_target(desktop, "Click target")
    point_into_target(target, "Click target", 260, 55)  # bare client area, clear of the text box and the label
    assert mouse.command("buttons 04") == "ok"
    wait_for(lambda: probe("control", "Click target", TARGET_CLICKS).get("text") == "LL", message="two left clicks")
    # Neither holding nor releasing the button clicks again.
    assert mouse.command("buttons 00") == "ok"
    assert mouse.command("buttons 04") == "ok"
    wait_for(lambda: probe("control", "Click target", TARGET_CLICKS).get("text") == "LLLL", message="two more clicks")


@pytest.mark.both_mice
def test_dpi_report_moves_the_slider_and_bad_levels_are_ignored(desktop):
    _, mouse = start_with_wheel(desktop, KEY_SHORTCUT, scan_code=0x2E, modifiers=0x01)
    assert mouse.command("report 0000000501060000") == "ok"
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_DPI_SLIDER).get("pos") == "6", message="slider at 6")

    # A level the mouse does not have: nothing moves. The button press sent
    # after it comes through the same queue, so once its frame is out the
    # bad report has been dealt with.
    mouse.frames()
    assert mouse.command("report 0000000507020000") == "ok"
    assert mouse.command("buttons 04") == "ok"
    wait_for_inject_frames(mouse, 1)
    assert probe("control", MAIN_TITLE, IDC_DPI_SLIDER).get("pos") == "6"
    assert mouse.command("buttons 00") == "ok"


@pytest.mark.both_mice
def test_the_mouse_dpi_button_moves_the_slider(desktop):
    _, mouse = start_with_wheel(desktop, KEY_SHORTCUT, scan_code=0x2E, modifiers=0x01)
    # The re-scan asks for the DPI state: level 2 of steps 0,1,3,5.
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_DPI_SLIDER).get("pos") == "3", message="slider at 3")
    assert mouse.command("dpibutton") == "ok"
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_DPI_SLIDER).get("pos") == "5", message="slider at 5")
    assert mouse.state()["level"] == "3"


USER_KEY = r"HKCU\Software\Skivol Gaming Mouse"
# WS_EX_NOACTIVATE | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_LAYERED
NOTICE_STYLE = 0x08000000 | 0x00000008 | 0x00000080 | 0x00000020 | 0x00080000


def press_dpi_button_and_see_the_notice(mouse, focused=None):
    """The mouse's own DPI button: the notice shows above the focused window,
    which keeps the focus, and goes by itself."""
    assert mouse.command("dpibutton") == "ok"
    find_window(NOTICE_TITLE, timeout=5)
    info = probe("window", NOTICE_TITLE)
    assert int(info["exstyle"], 16) & NOTICE_STYLE == NOTICE_STYLE
    if focused:
        assert probe("foreground").get("title") == focused
    wait_for(lambda: not find_windows(NOTICE_TITLE), timeout=10, message="the notice gone")
    if focused:
        assert probe("foreground").get("title") == focused


@pytest.mark.both_mice
def test_the_level_chosen_on_the_mouse_shows_on_screen_without_the_focus(desktop):
    _, wid, mouse = desktop.start_utility()
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_DPI_SLIDER).get("pos") == "3", message="slider at 3")
    # A level clicked in the window is the program's own choice: no notice.
    # The report after it comes through the same queue as the mouse's answer.
    click(wid, 50, 378)
    wait_for(lambda: mouse.state()["level"] == "0", message="level 0 on the mouse")
    assert mouse.command("report 0000000500060000") == "ok"
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_DPI_SLIDER).get("pos") == "6", message="slider at 6")
    assert not find_windows(NOTICE_TITLE)

    start_target(desktop, "Game")
    press_dpi_button_and_see_the_notice(mouse, "Game")


def test_the_tray_turns_the_notice_off_for_good(desktop):
    subprocess.run(["wine", "reg", "delete", USER_KEY, "/v", "ShowDpiOnScreen", "/f"], env=wine_env(),
                   capture_output=True, timeout=60)
    try:
        _, _, mouse = desktop.start_utility()
        assert probe("post", MAIN_TITLE, WM_COMMAND, SHOW_DPI_ON_SCREEN, 0).get("found") == "1"
        wait_for(lambda: "0x0" in subprocess.run(["wine", "reg", "query", USER_KEY, "/v", "ShowDpiOnScreen"],
                                                 env=wine_env(), capture_output=True, text=True).stdout,
                 message="the choice kept")
        desktop.stop_all()
        wait_for(lambda: not find_windows(MAIN_TITLE), timeout=10, message="the utility gone")

        _, _, mouse = desktop.start_utility()
        wait_for(lambda: probe("control", MAIN_TITLE, IDC_DPI_SLIDER).get("pos") == "3", message="slider at 3")
        assert mouse.command("dpibutton") == "ok"
        wait_for(lambda: probe("control", MAIN_TITLE, IDC_DPI_SLIDER).get("pos") == "5", message="slider at 5")
        assert not find_windows(NOTICE_TITLE)
        # And on again.
        assert probe("post", MAIN_TITLE, WM_COMMAND, SHOW_DPI_ON_SCREEN, 0).get("found") == "1"
        press_dpi_button_and_see_the_notice(mouse)
    finally:
        subprocess.run(["wine", "reg", "delete", USER_KEY, "/v", "ShowDpiOnScreen", "/f"], env=wine_env(),
                       capture_output=True, timeout=60)


def hid_packet_body(report_hex):
    """What follows the raw-input header for one 8-byte HID report."""
    return "08000000" + "01000000" + report_hex


def test_packets_the_reader_must_not_take(desktop):
    _, mouse = start_with_wheel(desktop, KEY_SHORTCUT, scan_code=0x2E, modifiers=0x01)
    # Laid out as the system lays out HID raw input, the packet is read.
    assert mouse.command("packet 2 32 " + hid_packet_body("0000000501060000")) == "ok"
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_DPI_SLIDER).get("pos") == "6", message="slider at 6")

    level_one_step_two = hid_packet_body("0000000501020000")
    assert mouse.command("packet 0 32 " + level_one_step_two) == "ok"     # from a mouse, not a HID device
    assert mouse.command("packet 2 1000 " + level_one_step_two) == "ok"   # too big to read
    assert mouse.command("packet 2 40 " + level_one_step_two) == "ok"     # less than announced
    mouse.frames()
    assert mouse.command("buttons 04") == "ok"
    wait_for_inject_frames(mouse, 1)
    assert probe("control", MAIN_TITLE, IDC_DPI_SLIDER).get("pos") == "6"


def test_every_report_of_a_packet_is_taken_in_order(desktop):
    _, mouse = start_with_wheel(desktop, KEY_SHORTCUT, scan_code=0x2E, modifiers=0x01)
    mouse.frames()
    # One packet with two reports: the wheel down, then up.
    body = "08000000" + "02000000" + "0000000404000000" + "0000000400000000"
    assert mouse.command("packet 2 40 " + body) == "ok"
    assert wait_for_inject_frames(mouse, 2) == ["001501010600000000", "001501000000000000"]
    wait_for(lambda: mouse.state()["modifiers"] == "00", message="Ctrl+C let go")


@pytest.mark.parametrize("ids", ["", " 2b17:0005"], ids=["other ids", "the mouse's product id"])
def test_another_makers_collection_presses_nothing_and_sets_no_dpi(desktop, ids):
    _, mouse = start_with_wheel(desktop, KEY_SHORTCUT, scan_code=0x2E, modifiers=0x01)
    assert mouse.command("add foreign-collection" + ids) == "ok"
    slider = probe("control", MAIN_TITLE, IDC_DPI_SLIDER).get("pos")
    mouse.frames()
    assert mouse.command("report 0000000404000000 collection1") == "ok"   # the wheel "down"
    assert mouse.command("report 0000000500070000 collection1") == "ok"   # level 0 at step 7
    # The mouse's own press comes through the same queue after them.
    assert mouse.command("buttons 04") == "ok"
    assert wait_for_inject_frames(mouse, 1) == ["001501010600000000"]
    assert probe("control", MAIN_TITLE, IDC_DPI_SLIDER).get("pos") == slider
    assert mouse.command("buttons 00") == "ok"
    wait_for(lambda: mouse.state()["modifiers"] == "00", message="Ctrl+C let go")


def test_every_start_lets_go_on_every_mouse_before_the_first_mask(desktop):
    _, mouse = start_with_wheel(desktop, KEY_SHORTCUT, scan_code=0x2E, modifiers=0x01)
    sets = [f for kind, _, f in mouse.start_frames + mouse.frames() if kind == "set"]
    # A copy that ended without handing back may have left the mouse holding.
    assert sets[:3] == ["001501000000000000", "001502000000000000", "000702040000000000"]


@pytest.mark.both_mice
def test_input_held_when_the_mouse_went_away_is_forgotten(desktop):
    _, mouse = start_with_wheel(desktop, KEY_SHORTCUT, scan_code=0x2E, modifiers=0x01)
    mouse.frames()
    assert mouse.command("buttons 04") == "ok"
    assert wait_for_inject_frames(mouse, 1) == ["001501010600000000"]

    # Unplugged with the button down; the re-scan finds no mouse and disables
    # the assignment boxes, the next one finds it again.
    assert mouse.command("unplug") == "ok"
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_WHEEL).get("enabled") == "0", message="boxes disabled")
    assert mouse.command("plug") == "ok"
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_WHEEL).get("enabled") == "1", message="boxes enabled")
    wait_for(lambda: int(mouse.state().get("mask", "0"), 16) & 0x04, message="the wheel in the report mask")

    # The mouse came back with nothing held: a press is a press again.
    mouse.frames()
    assert mouse.command("buttons 04") == "ok"
    assert wait_for_inject_frames(mouse, 1) == ["001501010600000000"]


def test_the_removal_alone_drops_what_the_mouse_held(desktop):
    """Enter resets only while no mouse holds keys: unplugged with Ctrl+C
    held, the mouse holds nothing from its removal on, before any re-scan."""
    wid, mouse = start_with_wheel(desktop, KEY_SHORTCUT, scan_code=0x2E, modifiers=0x01)
    folder = desktop.processes[-1].folder
    wheel_function = lambda: struct.unpack_from("<i", (folder / "setting.dat").read_bytes(), 8 + 16 * WHEEL + 8)[0]
    # Enter on a row only confirms the row's choice.
    xdotool("windowactivate", "--sync", wid, check=False)
    focus_where_enter_resets()
    assert mouse.command("buttons 04") == "ok"
    wait_for(lambda: mouse.state()["modifiers"] == "01", message="Ctrl+C held")
    assert mouse.command("unplug") == "ok"

    def enter_resets():
        # Each change of the device set puts the re-scan off again.
        assert mouse.command("add hid 1") == "ok"
        assert probe("post", MAIN_TITLE, WM_COMMAND, IDOK, 0).get("found") == "1"  # as Enter
        return wheel_function() == 0
    wait_for(enter_resets, message="Enter to reset")
