"""Program profiles: the rows of a program apply while its window is in front,
and the profile box edits them in profiles.ini, never in setting.dat."""
import os
import shutil
import struct

from conftest import BIN, MAIN_TITLE, click, find_window, key, move_mouse, probe, screenshot, settings_record, wait_for, \
    xdotool
from mouse_checks import held, inject_frames, mouse_state
from window_actions import (BARE_SKIN, CLOSE_WINDOW_ITEM, ID_TRAY_EXIT, IDC_COMBO_PROFILE, IDC_COMBO_RIGHT,
                            IDC_COMBO_WHEEL, IDYES, MESSAGE_BOX_TEXT, WM_COMMAND, WM_ENDSESSION, WindowShot, accessible,
                            WM_APP_START_POSTSCAN, bring_to_front, choose_item, control_rect, post, state_line_in, tab,
                            tab_to)

DEFAULT_MIDDLE = (307, 426)  # the middle of "Default"
REMOVE_ITEM = 3  # after "Every other program", game.exe and "Add a program..."
GAME = "Game window"
QUESTION = "Remove this profile"  # the removal question's title
CTRL_C_HELD = "001501010600000000"
LET_GO = "001501000000000000"


def start_game(desktop, name="game.exe"):
    """A copy of the test window named `name`, brought to the front."""
    folder = desktop.tmp_path / "game"
    folder.mkdir(exist_ok=True)
    shutil.copy(BIN / "TestTarget.exe", folder / name)
    desktop.start(name, args=[GAME], folder=folder)
    return bring_to_front(find_window(GAME), GAME)


def state_line_shown(wid, path):
    """Whether the bottom bar shows a line (a notice, "Settings not saved")."""
    move_mouse(wid, *BARE_SKIN)
    return state_line_in(WindowShot(wid, path))


def click_button(title, button_id):
    wid = find_window(title)
    (left, top, right, bottom), _ = control_rect(title, button_id)
    click(wid, (left + right) // 2, (top + bottom) // 2)


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
    assert probe("post", MAIN_TITLE, WM_ENDSESSION, 1, 0).get("found") == "1"
    wait_for(lambda: mask(mouse) == 0, message="every button handed back")


def profiles_text(folder):
    """profiles.ini as it stands. A save swaps the new file in by renames,
    between which a reader may find no file at all: wait for it then."""
    def read():
        try:
            return [(folder / "profiles.ini").read_text()]
        except FileNotFoundError:
            return None
    return wait_for(read, message="profiles.ini")[0]


def add_first_open_window(wid):
    """"Add a program..." (after "Every other program"), then the first of
    the open windows."""
    choose_item(wid, IDC_COMBO_PROFILE, 1)
    menu = wait_for(lambda: probe("menu").get("found") == "1" and probe("menu"), message="the menu of open windows")
    left, top, _, _ = (int(v) for v in menu["rect"].split(","))
    xdotool("mousemove", "--sync", left + 40, top + 12)
    xdotool("click", 1)


def test_profile_box_edits_the_program_profile_only(desktop):
    record = settings_record()
    _, wid, mouse = desktop.start_utility(files={"setting.dat": record})
    folder = desktop.processes[0].folder
    start_game(desktop)
    bring_to_front(wid, MAIN_TITLE, 300, 60)

    add_first_open_window(wid)
    wait_for(lambda: "[game.exe]" in profiles_text(folder),
             message="the game's profile in profiles.ini")
    assert probe("control", MAIN_TITLE, IDC_COMBO_PROFILE).get("text") == "game.exe"

    # The wheel row of the game: Double-click (item 5).
    choose_item(wid, IDC_COMBO_WHEEL, 5)
    wait_for(lambda: "wheel=double-click" in profiles_text(folder),
             message="the wheel row written to profiles.ini")
    assert (folder / "setting.dat").read_bytes() == record
    assert mask(mouse) == 0  # the utility is in front: every other program's rows

    # "Default" gives the game's rows their own buttons back; setting.dat
    # only gets the default DPI steps again, which it has.
    click(wid, *DEFAULT_MIDDLE)
    wait_for(lambda: "double-click" not in profiles_text(folder), message="the game's wheel reset")
    assert "[game.exe]" in profiles_text(folder)
    assert (folder / "setting.dat").read_bytes() == record

    # Passed on the way through the open list, "Remove this profile" removes
    # nothing. Windows tells the box's owner of each step (Wine of none): the
    # probe moves the open list's selection onto it and tells the owner as
    # Windows does, then Escape closes the list (the box tells its owner of
    # the cancel and the close itself).
    (left, top, right, bottom), _ = control_rect(MAIN_TITLE, IDC_COMBO_PROFILE)
    click(wid, (left + right) // 2, (top + bottom) // 2)
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_PROFILE).get("dropped") == "1", message="the list open")
    assert probe("select-in-open-list", MAIN_TITLE, IDC_COMBO_PROFILE, REMOVE_ITEM).get("dropped") == "1"
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_PROFILE).get("dropped") == "0", message="the list closed")
    # A question the step had asked for would be up once a message posted
    # after the step is handled: the PostScan it starts comes after it.
    mouse.frames()
    post(WM_APP_START_POSTSCAN, 0, 0)
    wait_for(lambda: any(k == "set" and f.startswith("001A") for k, _, f in mouse.frames()),
             message="the PostScan asked for after the list closed")
    assert probe("window", QUESTION).get("found") != "1"
    assert probe("control", MAIN_TITLE, IDC_COMBO_PROFILE).get("text") == "game.exe"
    assert "[game.exe]" in profiles_text(folder)

    # Taken from the list, it asks first.
    choose_item(wid, IDC_COMBO_PROFILE, REMOVE_ITEM)
    click_button(QUESTION, IDYES)
    wait_for(lambda: "[game.exe]" not in profiles_text(folder), message="the game's profile removed")
    assert probe("control", MAIN_TITLE, IDC_COMBO_PROFILE).get("text") == "Every other program"



def test_hand_edits_are_picked_up_kept_by_a_save_and_the_file_keeps_its_rights(desktop, tmp_path):
    profiles = "[game.exe]\r\nwheel=tripleclick\r\n"
    _, wid, mouse = desktop.start_utility(files={"setting.dat": settings_record(), "profiles.ini": profiles})
    path = desktop.processes[0].folder / "profiles.ini"
    os.chmod(path, 0o666)  # every user may change it, as the setup leaves it
    wait_for(lambda: mouse.state().get("mask") is not None, message="the mouse's state")
    choose_item(wid, IDC_COMBO_PROFILE, 1)
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_PROFILE).get("text") == "game.exe",
             message="the game's profile edited")
    wait_for(lambda: state_line_shown(wid, tmp_path / "a.png"), message="line 2 not understood")

    # Written by hand while the program runs, saved the way editors do.
    edited = "; mine\r\n[game.exe]\r\nwheel=double-click\r\nright=left\r\n\r\n[other.exe]\r\nbutton4=button5\r\n"
    (path.parent / "profiles.ini.edit").write_bytes(edited.encode())
    os.chmod(path.parent / "profiles.ini.edit", 0o666)
    os.replace(path.parent / "profiles.ini.edit", path)
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_WHEEL).get("text") == "Double-click",
             message="the hand's wheel row shown")
    wait_for(lambda: not state_line_shown(wid, tmp_path / "b.png"), message="nothing left not understood")

    # A change in the window goes into the file as the hand left it.
    choose_item(wid, IDC_COMBO_WHEEL, CLOSE_WINDOW_ITEM)
    wait_for(lambda: "wheel=close-window" in path.read_text(), message="the window's change saved")
    assert path.read_bytes() == edited.replace("double-click", "close-window").encode()
    assert os.stat(path).st_mode & 0o777 == 0o666
    assert sorted(os.listdir(path.parent)) == ["SkivolMouseVirtual.exe", "profiles.ini", "setting.dat"]

    # A mended line takes its notice with it.
    path.write_bytes(b"[game.exe]\r\nwheel=tripleclick\r\n")
    wait_for(lambda: state_line_shown(wid, tmp_path / "c.png"), message="the hand's bad line shown")
    choose_item(wid, IDC_COMBO_WHEEL, CLOSE_WINDOW_ITEM - 2)  # Double-click
    wait_for(lambda: "wheel=double-click" in path.read_text(), message="the line mended by a save")
    wait_for(lambda: not state_line_shown(wid, tmp_path / "d.png"), message="the notice gone with the bad line")


def test_a_save_that_failed_is_tried_again_until_it_works_and_at_the_exit(desktop, tmp_path):
    process, wid, mouse = desktop.start_utility(files={"setting.dat": settings_record()})
    path = process.folder / "setting.dat"
    wheel = lambda: struct.unpack_from("<i", path.read_bytes(), 8 + 16 * 2 + 8)[0]
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_WHEEL).get("enabled") == "1", message="boxes enabled")
    os.chmod(path, 0o444)
    choose_item(wid, IDC_COMBO_WHEEL, CLOSE_WINDOW_ITEM)
    wait_for(lambda: state_line_shown(wid, tmp_path / "a.png"), message="Settings not saved")
    os.chmod(path, 0o666)  # released: nothing more is done in the window
    wait_for(lambda: wheel() == 10, message="the change saved by a retry")
    wait_for(lambda: not state_line_shown(wid, tmp_path / "b.png"), message="the bottom bar clear again")

    os.chmod(path, 0o444)
    choose_item(wid, IDC_COMBO_WHEEL, CLOSE_WINDOW_ITEM - 2)
    wait_for(lambda: state_line_shown(wid, tmp_path / "c.png"), message="Settings not saved again")
    os.chmod(path, 0o666)
    assert probe("post", MAIN_TITLE, WM_COMMAND, ID_TRAY_EXIT, 0).get("found") == "1"
    process.wait_exit()
    assert wheel() == 11  # saved by the exit, or by a retry just before it


def test_a_program_with_brackets_in_its_name_gets_a_profile(desktop):
    _, wid, mouse = desktop.start_utility(files={"setting.dat": settings_record()})
    path = desktop.processes[0].folder / "profiles.ini"
    game = start_game(desktop, "Game [x64].exe")
    bring_to_front(wid, MAIN_TITLE, 300, 60)
    add_first_open_window(wid)
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_PROFILE).get("text") == "Game [x64].exe",
             message="the bracketed program's profile edited")
    choose_item(wid, IDC_COMBO_WHEEL, 5)  # Double-click
    wait_for(lambda: path.exists() and path.read_bytes() == b"[Game [x64].exe]\r\nwheel=double-click\r\n",
             message="its section in profiles.ini")
    bring_to_front(game, GAME)
    wait_for(lambda: mask(mouse) == 0x04, message="its rows in force while it is in front")


def test_profile_box_by_keys_asks_before_removing_and_shows_any_script(desktop, tmp_path):
    profiles = "[game.exe]\r\nwheel=double-click\r\n[игра ü.exe]\r\nwheel=close-window\r\n"
    record = settings_record({2: 10}, steps=(2, 4, 6, 7))  # the wheel closes the window
    process, wid, _ = desktop.start_utility(files={"setting.dat": record, "profiles.ini": profiles.encode()})
    folder = process.folder
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_WHEEL).get("enabled") == "1", message="the rows enabled")

    # A name outside the code page shows as it is, to a screen reader too.
    bring_to_front(wid, MAIN_TITLE, *BARE_SKIN)  # keys go to the window in front
    tab_to(IDC_COMBO_PROFILE)
    key("Down", "Down")
    name = "игра ü.exe"
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_PROFILE, utf8=True).get("item") == name,
             message="the second profile edited")
    assert probe("accessible", MAIN_TITLE, IDC_COMBO_PROFILE, utf8=True).get("value") == name
    screenshot(tmp_path / "name.png")

    # "Shortcuts" passed with the arrows and left: the row shows the game's
    # function again, not setting.dat's.
    key("Up")
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_PROFILE).get("text") == "game.exe", message="the game edited")
    assert tab() == IDC_COMBO_RIGHT and tab() == IDC_COMBO_WHEEL
    key("Down")
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_WHEEL).get("cursel") == "6", message="on Shortcuts")
    tab()
    assert probe("control", MAIN_TITLE, IDC_COMBO_WHEEL).get("cursel") == "5"
    assert accessible(IDC_COMBO_WHEEL) == ("Wheel Button", "Double-click")

    # Enter on a row confirms what the arrow chose; it resets nothing.
    assert tab("shift+Tab") == IDC_COMBO_WHEEL
    key("Up")
    wait_for(lambda: "wheel=button5" in profiles_text(folder), message="the wheel row's new function")
    key("Return")
    assert tab("shift+Tab") == IDC_COMBO_RIGHT
    assert "wheel=button5" in profiles_text(folder)
    assert (folder / "setting.dat").read_bytes() == record

    # On the closed box a key reaches "Remove this profile" without acting;
    # left, the box shows the profile again; Enter asks, No is the default.
    assert tab("shift+Tab") == IDC_COMBO_PROFILE
    key("End")
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_PROFILE).get("cursel") == str(REMOVE_ITEM + 1),
             message="on Remove this profile")
    tab()
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_PROFILE).get("text") == "game.exe", message="the box left")
    assert probe("window", QUESTION).get("found") != "1"
    assert tab("shift+Tab") == IDC_COMBO_PROFILE
    key("End", "Return")
    find_window(QUESTION)
    assert probe("control", QUESTION, MESSAGE_BOX_TEXT).get("text") == "Remove the profile of game.exe?"
    screenshot(tmp_path / "question.png")
    key("Return")
    wait_for(lambda: probe("window", QUESTION).get("found") != "1", message="the question answered")
    assert "[game.exe]" in profiles_text(folder)
    key("End", "Return")
    click_button(QUESTION, IDYES)
    wait_for(lambda: "[game.exe]" not in profiles_text(folder), message="the game's profile removed")
    assert (folder / "setting.dat").read_bytes() == record
