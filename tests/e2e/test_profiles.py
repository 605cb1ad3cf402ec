"""Program profiles: the rows of a program apply while its window is in front,
and the profile box edits them in profiles.ini, never in setting.dat."""
import shutil
import time

from conftest import BIN, MAIN_TITLE, click, find_window, key, probe, settings_record, wait_for, xdotool
from soak_actions import choose_item, control_rect, held, mouse_state
from test_input_engine import inject_frames

PROFILE_BOX_ID = 1019
WHEEL_BOX_ID = 1009
DEFAULT_BUTTON = (307, 426)
REMOVE_ITEM = 3  # after "Every other program", game.exe and "Add a program..."
GAME = "Game window"
CTRL_C_HELD = "001501010600000000"
LET_GO = "001501000000000000"


def start_game(desktop):
    """A copy of the test window named game.exe, brought to the front."""
    folder = desktop.tmp_path / "game"
    folder.mkdir(exist_ok=True)
    shutil.copy(BIN / "TestTarget.exe", folder / "game.exe")
    desktop.start("game.exe", args=[GAME], folder=folder)
    return bring_to_front(find_window(GAME), GAME)


def bring_to_front(wid, title, x=60, y=20):
    """Clicks the window (again every few seconds, as a click can come before
    the window is where the display says) until it is the foreground window."""
    clicked = [0.0]

    def in_front():
        if probe("foreground").get("title") == title:
            return True
        if time.monotonic() - clicked[0] > 3:
            click(wid, x, y)
            clicked[0] = time.monotonic()
        return False

    wait_for(in_front, message=f"{title} in front")
    return wid


def mask(mouse):
    return int(mouse.state().get("mask", "0"), 16)


def test_rows_follow_the_window_in_front_and_a_switch_lets_go(desktop):
    profiles = "; mine\r\n[GAME.EXE]\r\nwheel=shortcut ctrl+c\r\n"
    _, wid, mouse = desktop.start_utility(files={"setting.dat": settings_record(), "profiles.ini": profiles})
    # The utility in front: setting.dat's rows, no button reported.
    wait_for(lambda: mouse.state().get("mask") is not None, message="the mouse's state")
    assert mask(mouse) == 0
    game = start_game(desktop)
    wait_for(lambda: mask(mouse) == 0x04, message="the wheel reported while the game is in front")

    mouse.frames()
    assert mouse.command("buttons 04") == "ok"
    seen = []
    wait_for(lambda: CTRL_C_HELD in inject_frames(mouse, seen), message="Ctrl+C held")

    # Still held when the utility comes to the front: the mouse lets go and
    # stops reporting the wheel.
    bring_to_front(wid, MAIN_TITLE, 300, 60)
    wait_for(lambda: mask(mouse) == 0 and not held(mouse_state(mouse.command("state"))),
             message="the hold let go and the wheel handed back")
    assert LET_GO in inject_frames(mouse, seen)
    assert mouse.command("buttons 00") == "ok"

    bring_to_front(game, GAME)
    wait_for(lambda: mask(mouse) == 0x04, message="the game's rows again")

    # The game quits: its window's end alone hands the rows back, whether or
    # not another window takes the focus after it (under Wine none does).
    key("alt+F4")
    wait_for(lambda: probe("window", GAME).get("found") != "1", message="the game gone")
    wait_for(lambda: mask(mouse) == 0, message="setting.dat's rows once the game is gone")

    # The session ends (as the exit does) with the game's rows in force: the
    # mouse gets every button back, the game's rows ended first.
    start_game(desktop)
    wait_for(lambda: mask(mouse) == 0x04, message="the game's rows once it is back")
    assert probe("post", MAIN_TITLE, 0x16, 1, 0).get("found") == "1"  # WM_ENDSESSION
    wait_for(lambda: mask(mouse) == 0, message="every button handed back")


def test_profile_box_edits_the_program_profile_only(desktop):
    record = settings_record()
    _, wid, mouse = desktop.start_utility(files={"setting.dat": record})
    folder = desktop.processes[0].folder
    start_game(desktop)
    bring_to_front(wid, MAIN_TITLE, 300, 60)

    # "Add a program..." (after "Every other program"), then the game's
    # window, the first of the open windows.
    choose_item(wid, PROFILE_BOX_ID, 1)
    menu = wait_for(lambda: probe("menu").get("found") == "1" and probe("menu"), message="the menu of open windows")
    left, top, _, _ = (int(v) for v in menu["rect"].split(","))
    xdotool("mousemove", "--sync", left + 40, top + 12)
    xdotool("click", 1)
    wait_for(lambda: (folder / "profiles.ini").exists() and "[game.exe]" in (folder / "profiles.ini").read_text(),
             message="the game's profile in profiles.ini")
    assert probe("control", MAIN_TITLE, PROFILE_BOX_ID).get("text") == "game.exe"

    # The wheel row of the game: Double-click (item 5).
    choose_item(wid, WHEEL_BOX_ID, 5)
    wait_for(lambda: "wheel=double-click" in (folder / "profiles.ini").read_text(),
             message="the wheel row written to profiles.ini")
    assert (folder / "setting.dat").read_bytes() == record
    assert mask(mouse) == 0  # the utility is in front: every other program's rows

    # "Default" gives the game's rows their own buttons back; setting.dat
    # only gets the default DPI steps again, which it has.
    click(wid, *DEFAULT_BUTTON)
    wait_for(lambda: "double-click" not in (folder / "profiles.ini").read_text(), message="the game's wheel reset")
    assert "[game.exe]" in (folder / "profiles.ini").read_text()
    assert (folder / "setting.dat").read_bytes() == record

    # Passed on the way through the open list, "Remove this profile" removes nothing.
    (left, top, right, bottom), _ = control_rect(MAIN_TITLE, PROFILE_BOX_ID)
    click(wid, (left + right) // 2, (top + bottom) // 2)
    key("Down", "Down", "Escape")
    wait_for(lambda: probe("control", MAIN_TITLE, PROFILE_BOX_ID).get("text") == "game.exe",
             message="the box back on the game's profile")
    assert "[game.exe]" in (folder / "profiles.ini").read_text()

    choose_item(wid, PROFILE_BOX_ID, REMOVE_ITEM)
    wait_for(lambda: "[game.exe]" not in (folder / "profiles.ini").read_text(), message="the game's profile removed")
    assert probe("control", MAIN_TITLE, PROFILE_BOX_ID).get("text") == "Every other program"

