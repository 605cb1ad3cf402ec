"""Nothing held once the buttons are up, nothing lost that the user chose:
remapped input let go on every loop, device change and exit path, and the
"Default" and Enter resets kept whole."""
import os
import random
import struct
import subprocess
import time

import pytest

from conftest import (MAIN_TITLE, VirtualMouse, click, delete_registry, find_window, find_windows, focus_where_enter_resets,
                      free_port, key,
                      move_mouse, probe, set_registry, wait_for, window_origin, xdotool)
from conftest import settings_record as settings
from test_looks import STATE_LINE, WindowShot, skin
from soak_actions import KEY_TITLE, choose_item, click_key_dialog_button, held, mouse_state

SLIDER_ID = 1018
WHEEL_COMBO = 1009
SHORTCUTS_ITEM = 6
CANCEL_ID = 2
TRAY_CALLBACK = 0x400 + 100
WM_APP_START_POSTSCAN = 0x8000 + 122
DEFAULT_BUTTON = 1005
DOUBLE_CLICK_ITEM = 5
CLOSE_WINDOW_ITEM = 7
LANGUAGE_KEY = r"HKLM\SOFTWARE\Skivol Gaming Mouse"
TRAY_ICON_ID = 1219
WM_RBUTTONUP = 0x205
WM_COMMAND = 0x111
WM_ENDSESSION = 0x16
TRAY_EXIT = 32771
BARE_SKIN = (420, 60)  # a spot of the window with no control and no DPI box
BARE_DESKTOP = (1200, 980)  # a spot of the screen that no window reaches

KEY_SHORTCUT, LEFT_BUTTON, BUTTON_4TH, CLOSE_WINDOW, DOUBLE_CLICK = 1, 4, 8, 10, 11


def saved_dpi(folder):
    data = (folder / "setting.dat").read_bytes()
    return struct.unpack_from("<5i", data, 136)


def start(desktop, functions, shortcut=(0, 0)):
    process, wid, mouse = desktop.start_utility(files={"setting.dat": settings(functions, shortcut)})
    mask = sum(1 << i for i, f in functions.items() if f)
    wait_for(lambda: int(mouse.state().get("mask", "0"), 16) == mask, message=f"report mask {mask:02X}")
    return process, wid, mouse


def released(state):
    return not held(state)


def wait_released(mouse, device="", message="nothing held"):
    command = f"state {device}".strip()
    last = []

    def nothing_held():
        last[:] = [mouse.command(command)]
        return released(mouse_state(last[0]))
    try:
        wait_for(nothing_held, message=message)
    except AssertionError as failure:
        raise AssertionError(f"{failure}: {last[0]}") from None


def let_go_on_the_desktop():
    """Lets go of whatever a program that ended left down on the desktop (a
    physical button still held when its mouse went away with it)."""
    wait_for(lambda: all(v == "0" for v in probe("release").values()), message="the desktop let go")


def post(message, wparam, lparam):
    assert probe("post", MAIN_TITLE, message, wparam, lparam).get("found") == "1"


def test_a_button_released_during_a_window_drag_is_let_go(desktop):
    _, wid, mouse = start(desktop, {2: BUTTON_4TH})
    assert mouse.command("buttons 04") == "ok"
    wait_for(lambda: mouse.state()["buttons"] == "10", message="XBUTTON2 held")

    ox, oy = window_origin(wid)
    xdotool("mousemove", "--sync", ox + BARE_SKIN[0], oy + BARE_SKIN[1])
    xdotool("mousedown", 1)
    try:
        # The drag's loop may start after a first motion on a busy machine:
        # keep moving until the window follows.
        nudge = iter(range(10**6))

        def dragged():
            xdotool("mousemove", ox + BARE_SKIN[0] + 30 + next(nudge) % 2, oy + BARE_SKIN[1] + 20)
            return window_origin(wid) != (ox, oy)

        wait_for(dragged, message="the window to follow the drag")
        assert mouse.command("buttons 00") == "ok"
        wait_released(mouse, message="the button let go inside the drag")
    finally:
        xdotool("mouseup", 1)


def test_a_hold_outlasts_another_makers_device_and_a_second_mouse(desktop):
    _, _, mouse = start(desktop, {2: KEY_SHORTCUT}, shortcut=(0x01, 0x2E))
    assert mouse.command("buttons 04") == "ok"
    wait_for(lambda: mouse.state()["modifiers"] == "01", message="Ctrl+C held")
    for what, scanned in (("foreign-collection", "mouse"), ("second-mouse", "mouse2")):
        mouse.frames()
        assert mouse.command(f"add {what}") == "ok"
        # The re-scan found another set of mice; none went, so nothing held
        # is let go (its PostScan comes after the set is dealt with).
        wait_for(lambda: any(k == "set" and i == scanned and f.startswith("001A") for k, i, f in mouse.frames()),
                 message=f"the re-scan after {what}")
        assert mouse.state()["modifiers"] == "01", f"Ctrl+C let go after {what}"
    assert mouse.command("buttons 00") == "ok"
    wait_released(mouse)
    wait_released(mouse, "mouse2")


def test_each_mouse_holds_its_own_and_a_quick_replug_drops_it(desktop):
    _, _, mouse = start(desktop, {2: KEY_SHORTCUT, 4: BUTTON_4TH}, shortcut=(0x01, 0x2E))
    assert mouse.command("add second-mouse") == "ok"
    wait_for(lambda: mouse.state("mouse2")["mask"] == "14", message="the second mouse's mask")

    # Mouse 1 holds Ctrl+C on itself; mouse 2's "Button 4th", pressed and
    # released, neither lets go of it nor goes to mouse 1.
    assert mouse.command("buttons 04") == "ok"
    wait_for(lambda: mouse.state()["modifiers"] == "01", message="Ctrl+C held on mouse 1")
    assert mouse.command("buttons 10 mouse2") == "ok"
    wait_for(lambda: mouse.state("mouse2")["buttons"] == "10", message="XBUTTON2 held on mouse 2")
    assert mouse.command("buttons 00 mouse2") == "ok"
    wait_released(mouse, "mouse2")
    assert mouse.state()["modifiers"] == "01" and mouse.state()["buttons"] == "00"
    assert mouse.command("buttons 00") == "ok"
    wait_released(mouse)

    # Mouse 2 holds Ctrl+C and is unplugged and plugged in again before the
    # re-scan: nothing stays held anywhere, and its next press acts.
    assert mouse.command("buttons 04 mouse2") == "ok"
    wait_for(lambda: mouse.state("mouse2")["modifiers"] == "01", message="Ctrl+C held on mouse 2")
    assert released(mouse.state())
    assert mouse.command("unplug mouse2") == "ok"
    assert mouse.command("plug mouse2") == "ok"
    wait_for(lambda: mouse.state("mouse2")["mask"] == "14", message="the re-scan's mask on mouse 2")
    wait_released(mouse)
    assert mouse.command("buttons 04 mouse2") == "ok"
    wait_for(lambda: mouse.state("mouse2")["modifiers"] == "01", message="the first press after the replug")
    assert mouse.command("buttons 00 mouse2") == "ok"
    wait_released(mouse, "mouse2")
    wait_released(mouse)


@pytest.mark.both_mice
@pytest.mark.parametrize("index, bit, native", [(2, 0x04, "mbutton"), (0, 0x01, "lbutton")],
                         ids=["wheel", "left button"])
def test_exit_lets_go_before_the_buttons_are_handed_back(desktop, index, bit, native):
    # The left button has no row of its own; only the settings file remaps it.
    let_go_on_the_desktop()
    process, _, mouse = start(desktop, {index: BUTTON_4TH})
    assert mouse.command(f"buttons {bit:02X}") == "ok"
    wait_for(lambda: probe("keys").get("xbutton2") == "1", message="XBUTTON2 down on the desktop")
    post(WM_COMMAND, TRAY_EXIT, 0)  # the tray menu's "Exit"
    process.wait_exit()
    held = probe("keys")
    let_go_on_the_desktop()
    # The button, still down, is the mouse's own again.
    assert (held["xbutton2"], held[native]) == ("0", "1"), f"held after the exit: {held}"


@pytest.mark.both_mice
def test_the_end_of_the_session_hands_the_buttons_back(desktop):
    # Log off or shut down ends the program without a close; the mouse stays.
    _, _, mouse = start(desktop, {0: BUTTON_4TH, 2: KEY_SHORTCUT}, shortcut=(0x01, 0x2E))
    assert mouse.command("buttons 04") == "ok"
    wait_for(lambda: mouse.state()["modifiers"] == "01", message="Ctrl+C held")
    post(WM_ENDSESSION, 1, 0)
    wait_for(lambda: int(mouse.state().get("mask", "1"), 16) == 0, message="every button handed back")
    wait_released(mouse)
    assert mouse.command("buttons 00") == "ok"


def test_enter_and_default_keep_the_dpi_defaults_everywhere(desktop):
    # The left button has no row, but the resets give it its own function too.
    process, wid, mouse = start(desktop, {0: KEY_SHORTCUT}, shortcut=(0, 0x1E))
    folder = process.folder

    def drain_reports():
        # A post-scan asked for behind the reports queued so far is sent once
        # they have been dealt with.
        mouse.frames()
        post(WM_APP_START_POSTSCAN, 0, 0)
        wait_for(lambda: any(k == "set" and f.startswith("001A") for k, _, f in mouse.frames()),
                 message="the post-scan behind the queued reports")

    def step_of_level_2_is_5():
        assert mouse.command("report 0000000502050000") == "ok"  # the mouse's own DPI state
        wait_for(lambda: mouse.state()["dpi"] == "0,1,5,5", message="step 5 on level 2")

    def defaults_everywhere():
        drain_reports()
        state = mouse.state()
        assert (state["dpi"], state["level"], state["mask"]) == ("0,1,3,5", "2", "00")
        assert probe("control", MAIN_TITLE, SLIDER_ID).get("pos") == "3"
        assert saved_dpi(folder) == (0, 1, 3, 5, 2)

    wait_for(lambda: probe("control", MAIN_TITLE, SLIDER_ID).get("enabled") == "1", message="slider enabled")
    step_of_level_2_is_5()
    xdotool("windowactivate", "--sync", wid, check=False)
    focus_where_enter_resets()
    key("Return")
    wait_for(lambda: saved_dpi(folder) == (0, 1, 3, 5, 2), message="Enter saved the DPI defaults")
    defaults_everywhere()

    step_of_level_2_is_5()
    click(wid, 240 + 40, 410 + 12)  # "Default"
    wait_for(lambda: mouse.state()["dpi"] == "0,1,3,5", message="the defaults on the mouse")
    defaults_everywhere()


@pytest.mark.both_mice
def test_default_puts_the_slider_at_the_default_step_without_the_mouses_answer(desktop):
    process, wid, mouse = desktop.start_utility(files={"setting.dat": settings(steps=(7, 6, 5, 4), level=2)})
    slider = lambda: probe("control", MAIN_TITLE, SLIDER_ID).get("pos")
    wait_for(lambda: slider() == "5", message="the slider at level 2's step")
    assert mouse.command("answers off") == "ok"
    try:
        click(wid, 240 + 40, 410 + 12)  # "Default"
        wait_for(lambda: saved_dpi(process.folder) == (0, 1, 3, 5, 2), message="the reset saved")
        assert slider() == "3"
    finally:
        assert mouse.command("answers on") == "ok"


def test_enter_typed_by_a_remapped_button_is_not_a_reset(desktop):
    enter = 0x1C
    functions = {2: KEY_SHORTCUT, 4: BUTTON_4TH}
    _, wid, mouse = start(desktop, functions, shortcut=(0, enter))
    xdotool("windowactivate", "--sync", wid, check=False)
    focus_where_enter_resets()
    # The wheel types Enter into the focused window: the program's own.
    mouse.frames()
    assert mouse.command("buttons 04") == "ok"
    assert mouse.command("buttons 00") == "ok"
    wait_for(lambda: any(f.startswith("001501") for k, _, f in mouse.frames() if k == "set"),
             message="Enter typed by the mouse")
    wait_released(mouse)
    # Keys coming within a second of the mouse's are taken for the mouse's;
    # by then its Enter has long reached the window.
    time.sleep(2)
    assert mouse.state()["mask"] == "14"
    # A person's Enter still resets.
    key("Return")
    wait_for(lambda: mouse.state()["mask"] == "00", message="a person's Enter resets")


def test_a_folder_that_takes_no_new_file_gets_the_record_rewritten(desktop):
    process, wid, mouse = start(desktop, {2: BUTTON_4TH})
    folder = process.folder
    if subprocess.run(["chattr", "+i", str(folder)], capture_output=True).returncode != 0:
        pytest.skip("no immutable folders on this file system")
    try:
        xdotool("windowactivate", "--sync", wid, check=False)
        focus_where_enter_resets()
        key("Return")  # every row back to its own button, saved
        wait_for(lambda: (folder / "setting.dat").read_bytes() == settings({}), message="the record rewritten")
        assert sorted(os.listdir(folder)) == ["SkivolMouseVirtual.exe", "setting.dat"]
    finally:
        subprocess.run(["chattr", "-i", str(folder)], check=True)


def test_a_folder_outside_the_ansi_code_page_and_a_file_that_keeps_its_rights(desktop, tmp_path):
    folder = tmp_path / "Программы" / "Мышь Skivol"
    folder.mkdir(parents=True)
    path = folder / "setting.dat"
    path.write_bytes(settings({2: BUTTON_4TH}))
    os.chmod(path, 0o666)  # every user may change it, as the setup leaves it
    inode = os.stat(path).st_ino
    port = free_port()
    set_registry(LANGUAGE_KEY, "Language", "1031")
    try:
        desktop.start(files={"lang.ini": "[1031]\r\nstr4=Zuruecksetzen\r\n"}, folder=folder,
                      env={"SKIVOL_VMOUSE_PORT": str(port)})
        wid = find_window(MAIN_TITLE)
    finally:
        delete_registry(LANGUAGE_KEY)
    mouse = VirtualMouse(port)
    assert probe("control", MAIN_TITLE, DEFAULT_BUTTON).get("text") == "Zuruecksetzen"
    wait_for(lambda: mouse.state().get("mask") == "04", message="setting.dat read")
    wait_for(lambda: probe("control", MAIN_TITLE, WHEEL_COMBO).get("enabled") == "1", message="boxes enabled")
    choose_item(wid, WHEEL_COMBO, DOUBLE_CLICK_ITEM)
    wait_for(lambda: struct.unpack_from("<i", path.read_bytes(), 8 + 16 * 2 + 8)[0] == DOUBLE_CLICK,
             message="the change saved")
    assert (os.stat(path).st_ino, os.stat(path).st_mode & 0o777) == (inode, 0o666)
    assert sorted(os.listdir(folder)) == ["SkivolMouseVirtual.exe", "lang.ini", "setting.dat"]

    # A save that fails says so on the bottom bar, until one succeeds again.
    move_mouse(wid, *BARE_SKIN)
    window = skin("skin_window.bmp")

    def state_line_shown():
        shot = WindowShot(wid, tmp_path / "bar.png")
        left, top, right, bottom = STATE_LINE
        return any(shot(x, y) != window.getpixel((x, y)) for x in range(left, right) for y in range(top, bottom))

    os.chmod(path, 0o444)
    choose_item(wid, WHEEL_COMBO, CLOSE_WINDOW_ITEM)
    wait_for(state_line_shown, message="the failed save on the bottom bar")
    os.chmod(path, 0o666)
    choose_item(wid, WHEEL_COMBO, DOUBLE_CLICK_ITEM)
    wait_for(lambda: not state_line_shown(), message="the bottom bar clear again")


def test_soak_nothing_stays_held(desktop):
    # A fixed seed by default, so that the test run is the same each time;
    # SKIVOL_SOAK_SEED=random draws a new one.
    chosen = os.environ.get("SKIVOL_SOAK_SEED", "777")
    seed = random.randrange(1 << 30) if chosen == "random" else int(chosen)
    rng = random.Random(seed)
    print(f"held-input soak: SKIVOL_SOAK_SEED={seed}")
    trail = []
    try:
        soak(desktop, rng, int(os.environ.get("SKIVOL_SOAK_STEPS", "200")), trail)
    except BaseException as failure:
        raise AssertionError(f"held-input soak failed with SKIVOL_SOAK_SEED={seed}: {failure}; "
                             f"last steps: {trail[-12:]}") from failure


def soak(desktop, rng, steps, trail):
    functions = {0: CLOSE_WINDOW, 1: BUTTON_4TH, 2: KEY_SHORTCUT, 3: DOUBLE_CLICK, 4: LEFT_BUTTON}
    process, wid, mouse = start(desktop, functions, shortcut=(0x02, 0x30))  # Shift+B
    mice = {"mouse": 0}  # physical buttons of each plugged mouse
    unplugged = set()
    # The program keeps a button byte for each mouse: each report is compared
    # with that mouse's last one; a mouse that goes or comes back starts with
    # a clean byte, and a re-scan that finds another set of mice forgets them
    # all. The left button closes the focused window (Alt+F4) whenever its
    # bit rises in its mouse's byte: after a re-scan, a left button still
    # held closes again.
    engine = {}

    def target():
        if not find_windows("Soak target"):
            desktop.start("TestTarget.exe", args=["Soak target"])
        found = find_window("Soak target")
        # Its text box takes the focus, and the pointer stays there. Without
        # --sync: xdotool would wait for a motion that never comes when the
        # pointer is there already (over the target that an Alt+F4 closed).
        ox, oy = window_origin(found)
        xdotool("mousemove", ox + 60, oy + 20)
        xdotool("click", 1)
        return found

    def focus_target():
        # Alt+F4 on Wine's bare desktop ends the session: the target must
        # have the focus before the press, not just be asked for it.
        def focused():
            if probe("foreground").get("title") == "Soak target":
                return True
            target()
        wait_for(focused, message="the target focused")

    def check_all_up():
        # The program holds a key or button for whichever mouse's button is
        # down, on the first mouse: the check is due when every button is up.
        plugged = [d for d in mice if d not in unplugged]
        if any(mice[d] for d in plugged):
            return
        for device in plugged:
            wait_released(mouse, device, message=f"nothing held on {device}")
        done["checks"] += 1

    def set_buttons(device, byte):
        # The mouse reports a change only.
        closes = byte != mice[device] and byte & 0x01 and not engine.get(device, 0) & 0x01
        if byte != mice[device]:
            engine[device] = byte
        if closes:
            focus_target()
        mice[device] = byte
        trail.append(f"buttons {byte:02X} {device}" + (" (Alt+F4)" if closes else ""))
        assert mouse.command(f"buttons {byte:02X} {device}") == "ok"
        if closes:
            done["closes"] += 1
            wait_for(lambda: not find_windows("Soak target"), message="Alt+F4 to close the target")
            target()

    def press_or_release(device, may_close=True):
        # The left button closes the focused window, the two side buttons
        # click where the pointer is: rarely the first, and none of them
        # while a menu or the "Key" dialog would take the close or the click.
        if not may_close:
            bit = rng.choice([0x02, 0x04])
        elif rng.random() < 0.03:
            bit = 0x01
        else:
            bit = rng.choice([0x02, 0x04, 0x04, 0x08, 0x10, 0x10])
        set_buttons(device, mice[device] ^ bit)

    def all_up(device):
        set_buttons(device, 0)

    def rescanned():
        # The program re-scans a few seconds after the last change of the
        # devices; a re-scan that finds a mouse asks it for its DPI state
        # shortly after, one that finds none disables the controls.
        if any(d not in unplugged for d in mice):
            wait_for(lambda: any(f.startswith("001A") for k, _, f in mouse.frames() if k == "set"),
                     message="the re-scan")
        else:
            wait_for(lambda: probe("control", MAIN_TITLE, WHEEL_COMBO).get("enabled") == "0",
                     message="the re-scan without a mouse")

    def change(command):
        # Each change of the devices waits for its re-scan, which forgets the
        # button byte: so the byte is known at every press.
        mouse.frames()
        assert mouse.command(command) == "ok"
        rescanned()
        engine.clear()

    def quick_replug(device):
        # Out and in again before the re-scan, often with something held:
        # what it held goes with it at once, nowhere else stays held for it,
        # and its next press is a press.
        if rng.random() < 0.7:
            set_buttons(device, mice[device] | rng.choice([0x02, 0x04, 0x10]))
        assert mouse.command(f"unplug {device}") == "ok"
        assert mouse.command(f"plug {device}") == "ok"
        mice[device] = 0
        engine.pop(device, None)
        wait_released(mouse, device, message=f"nothing held on {device} after its replug")
        for other in mice:
            if other not in unplugged and not mice[other] & 0x16:
                wait_released(mouse, other, message=f"nothing held on {other} for {device}")
        # Until the re-scan gives it its mask again, its buttons are its own.
        wait_for(lambda: mouse.command(f"state {device}").startswith("mask=1F"),
                 message=f"the re-scan's mask on {device}")

    def window_shown():
        # The left button's Alt+F4 may have hidden it: a later copy brings it
        # back. With the program gone, that copy would be a new first one.
        assert process.running(), f"the program ended with exit code {process.proc.returncode:#x}"
        if not find_windows(MAIN_TITLE):
            desktop.start("SkivolMouseVirtual.exe", folder=process.folder).wait_exit()
        found = find_window(MAIN_TITLE)
        xdotool("windowactivate", "--sync", found, check=False)
        return found

    let_go_on_the_desktop()
    rescanned()  # the first one, made once the window is up
    target()
    kinds = ["buttons", "drag", "tray menu", "Key dialog", "unplug or plug", "quick replug", "second mouse"]
    done = dict.fromkeys(kinds + ["Key dialog opened", "closes", "checks"], 0)
    for step in range(steps):
        plugged = [d for d in mice if d not in unplugged]
        roll = rng.random()
        kind = kinds[sum(roll >= edge for edge in (0.82, 0.85, 0.88, 0.90, 0.93, 0.98))]
        if step in (3, 8):
            kind = "second mouse"  # three mice early on
        if not plugged:
            kind = "unplug or plug"
        done[kind] += 1
        if kind != "buttons":
            trail.append(kind)
        if kind == "buttons":
            device = rng.choice(plugged)
            press_or_release(device) if rng.random() < 0.7 else all_up(device)
        elif kind == "drag":
            # A drag of the window, with the buttons let go inside it.
            w = window_shown()
            ox, oy = window_origin(w)
            xdotool("mousemove", "--sync", ox + BARE_SKIN[0], oy + BARE_SKIN[1])
            xdotool("mousedown", 1)
            # Towards a spot near the middle of the screen, so that the
            # window never wanders off it.
            x, y = 330 + rng.randint(-30, 30), 260 + rng.randint(-30, 30)
            xdotool("mousemove", "--sync", x + BARE_SKIN[0], y + BARE_SKIN[1])
            for device in plugged:
                all_up(device)
            check_all_up()
            xdotool("mouseup", 1)
            target()
        elif kind == "tray menu":
            # The tray menu, open while the buttons change, then closed. It
            # opens with every button up: a remapped left button held down
            # would take it over.
            for device in plugged:
                all_up(device)
            check_all_up()
            post(TRAY_CALLBACK, TRAY_ICON_ID, WM_RBUTTONUP)
            wait_for(lambda: probe("menu").get("found") == "1", message="the tray menu")
            for device in plugged:
                press_or_release(device, may_close=False)
                all_up(device)
            check_all_up()
            # Escape closes it; once the wheel's Shift+B has been typed into
            # it, Wine's menu may take no more keys, and a click beside it
            # closes it.
            key("Escape")

            def menu_closed():
                if probe("menu").get("found") == "0":
                    return True
                xdotool("mousemove", *BARE_DESKTOP)
                xdotool("click", 1)
            wait_for(menu_closed, message="the tray menu closed")
            target()
        elif kind == "Key dialog":
            # The "Key" dialog, open while the buttons change, then cancelled.
            w = window_shown()
            if probe("control", MAIN_TITLE, WHEEL_COMBO).get("enabled") != "1":
                continue  # no mouse found by the last re-scan
            for device in plugged:
                all_up(device)  # the list is chosen from with every button up
                # A mouse plugged in again gets its mask from the re-scan,
                # which would otherwise land in the middle of the choice.
                wait_for(lambda: mouse.command(f"state {device}").startswith("mask=1F"),
                         message=f"the re-scan done for {device}")
            check_all_up()
            choose_item(w, WHEEL_COMBO, SHORTCUTS_ITEM)
            find_window(KEY_TITLE)
            done["Key dialog opened"] += 1
            for device in plugged:
                press_or_release(device, may_close=False)
                all_up(device)
            check_all_up()
            click_key_dialog_button(CANCEL_ID)
            target()
        elif kind == "unplug or plug":
            device = rng.choice(list(mice))
            # Unplugged, a mouse lets go of its buttons; plugged in again,
            # it has none down.
            mice[device] = 0
            if device in unplugged:
                unplugged.discard(device)
                change(f"plug {device}")
            else:
                unplugged.add(device)
                change(f"unplug {device}")
        elif kind == "quick replug":
            quick_replug(rng.choice(plugged))
        elif len(mice) < 3:
            mice[f"mouse{len(mice) + 1}"] = 0
            change("add second-mouse")
        check_all_up()
        # Only the exit at the end may end the program, and only a left
        # button going down in the button byte closes the target.
        assert process.running(), f"the program ended with exit code {process.proc.returncode:#x}"
        assert find_windows("Soak target"), "an Alt+F4 that no left button's press made closed the target"

    # The exit comes with buttons down: the program lets go of what it holds,
    # and the mouse hands the buttons still down back to the desktop.
    target()
    for device in mice:
        if device not in unplugged:
            press_or_release(device, may_close=False)
    print("held-input soak:", done)
    post(WM_COMMAND, TRAY_EXIT, 0)
    process.wait_exit()
    held = {name for name, down in probe("keys").items() if down == "1"}
    let_go_on_the_desktop()
    physical = 0
    for device in mice:
        physical |= 0 if device in unplugged else mice[device]
    native = {0x01: "lbutton", 0x02: "rbutton", 0x04: "mbutton", 0x08: "xbutton1", 0x10: "xbutton2"}
    assert held == {name for bit, name in native.items() if physical & bit}, f"held after the exit: {held}"
