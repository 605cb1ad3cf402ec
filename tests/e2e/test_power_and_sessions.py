"""Sleep, a locked screen and another user's session: the power and session
messages sent to the program's window, and the mouse's answer to each."""
import pytest

from conftest import BUTTON_4TH, KEY_SHORTCUT, MAIN_TITLE, probe, wait_for
from conftest import settings_record as settings
from mouse_checks import wait_released
from window_actions import (IDC_CLOSE_BUTTON, PBT_APMRESUMEAUTOMATIC, PBT_APMRESUMESUSPEND, PBT_APMSUSPEND,
                            WM_APP_START_POSTSCAN, WM_COMMAND, WM_POWERBROADCAST, WM_WTSSESSION_CHANGE,
                            WTS_CONSOLE_CONNECT, WTS_SESSION_LOCK, WTS_SESSION_UNLOCK, post)

STEPS = (1, 2, 4, 6)
# The mouse is looked for at once: its settings come within a few seconds,
# allowing for a loaded machine.
SOON = 15.0


def start(desktop, functions, shortcut=(0, 0), env=None):
    return desktop.start_utility(files={"setting.dat": settings(functions, shortcut, steps=STEPS)}, env=env)[2]


def wait_settings(mouse, functions, timeout=30.0, message="the mask and the steps"):
    """Waits for the mask and the steps, and then for the PostScan that ends
    the program's turn (the mouse's answer to it must not meet a later
    reset). Frames sent before the call are not looked at."""
    wanted = (f"{sum(1 << i for i in functions):02X}", ",".join(map(str, STEPS)))
    wait_for(lambda: (lambda s: (s["mask"], s["dpi"]))(mouse.state()) == wanted, timeout=timeout, message=message)
    wait_for(lambda: any(kind == "set" and frame.startswith("001A") for kind, _, frame in mouse.frames()),
             message="the PostScan after " + message)


@pytest.mark.both_mice
def test_a_mouse_that_lost_power_in_sleep_gets_its_settings_back(desktop):
    functions = {2: BUTTON_4TH}
    mouse = start(desktop, functions)
    wait_settings(mouse, functions)
    post(WM_POWERBROADCAST, PBT_APMSUSPEND, 0)
    wait_for(lambda: mouse.state()["mask"] == "00", message="every button the mouse's own at the sleep")
    # Each resume the system sends, with no device change: the mouse lost
    # power and is at its power-on state.
    for resume in (PBT_APMRESUMEAUTOMATIC, PBT_APMRESUMESUSPEND):
        mouse.frames()
        assert mouse.command("reset") == "ok"
        assert mouse.state()["dpi"] == "0,1,3,5"
        post(WM_POWERBROADCAST, resume, 0)
        wait_settings(mouse, functions, timeout=SOON, message=f"the settings after resume {resume}")


@pytest.mark.both_mice
def test_a_lock_lets_go_of_a_held_shortcut_and_the_unlock_gives_back(desktop):
    functions = {0: BUTTON_4TH, 2: KEY_SHORTCUT}
    mouse = start(desktop, functions, shortcut=(0x01, 0x2E))
    wait_settings(mouse, functions)
    assert mouse.command("buttons 04") == "ok"
    wait_for(lambda: mouse.state()["modifiers"] == "01", message="Ctrl+C held")
    post(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0)
    wait_for(lambda: mouse.state()["mask"] == "00", message="every button the mouse's own at the lock")
    wait_released(mouse, message="Ctrl+C let go at the lock")
    assert mouse.command("buttons 00") == "ok"
    assert mouse.command("reset") == "ok"
    post(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0)
    wait_settings(mouse, functions, timeout=SOON, message="the settings after the unlock")


def test_a_copy_away_from_the_console_leaves_the_mouse_alone(desktop):
    # The session id the program asks for is the virtual build's: the product
    # has no way to be told another one, so this runs with the virtual mouse.
    functions = {2: KEY_SHORTCUT}
    mouse = start(desktop, functions, shortcut=(0x01, 0x2E), env={"SKIVOL_VMOUSE_CONSOLE_SESSION": "4242"})
    # What a found mouse gets (the steps at once), and then "X", which hides
    # the window once that is done.
    post(WM_APP_START_POSTSCAN, 0, 0)
    post(WM_COMMAND, IDC_CLOSE_BUTTON, 0)
    wait_for(lambda: probe("window", MAIN_TITLE).get("visible") == "0", message="the window hidden")
    assert mouse.command("buttons 04") == "ok"  # remapped, were the mouse this copy's
    assert [f for f in mouse.frames() if f[0] == "set"] == []
    state = mouse.state()
    assert (state["mask"], state["dpi"], state["modifiers"]) == ("00", "0,1,3,5", "00")
    # Its session comes to the console: the mouse is its now.
    post(WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT, 0)
    wait_settings(mouse, functions, timeout=SOON, message="the settings at the console")
