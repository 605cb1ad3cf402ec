"""One copy per machine, hiding instead of closing, and the orderly exit."""
import pytest

from conftest import BIN, BUTTON_4TH, DOUBLE_CLICK, KEY_SHORTCUT, MAIN_TITLE, click, find_window, find_windows, \
    focus_where_enter_resets, key, probe, wait_for, xdotool
from conftest import settings_record as settings
from mouse_checks import wait_released
from window_actions import ROWS


PLANTED = ("hid.dll", "comctl32.dll", "oleacc.dll")


def visible():
    return probe("window", MAIN_TITLE).get("visible") == "1"


def test_a_later_copy_brings_the_running_window_back_and_ends(desktop):
    first, wid, _ = desktop.start_utility()
    folder = first.folder

    click(wid, 585 + 12, 10 + 12)  # "X" hides to the notification area
    wait_for(lambda: not visible(), message="window hidden by X")
    assert first.running()

    later = desktop.start("SkivolMouseVirtual.exe", folder=folder)
    assert later.wait_exit() == 0
    wait_for(visible, message="window restored by the later copy")
    assert len(find_windows(MAIN_TITLE)) == 1


def test_escape_does_not_close_and_close_switch_ends_the_running_copy(desktop):
    first, wid, _ = desktop.start_utility()
    xdotool("windowactivate", "--sync", wid, check=False)
    focus_where_enter_resets()
    key("Escape")
    key("Return")  # resets the assignments, which saves them
    settings = first.folder / "setting.dat"
    # The reset is saved whole, the DPI level (2) last.
    wait_for(lambda: settings.exists() and settings.read_bytes()[152:156] == bytes([2, 0, 0, 0]),
             message="the reset saved")
    assert first.running() and visible()
    saved = settings.read_bytes()

    closer = desktop.start("SkivolMouseVirtual.exe", args=["/close"], folder=first.folder)
    closer.wait_exit()
    first.wait_exit()
    # The exit hands the buttons back to the mouse but saves nothing.
    assert settings.read_bytes() == saved


def test_close_switch_without_a_running_copy_shows_nothing(desktop):
    lone = desktop.start("SkivolMouseVirtual.exe", args=["/hide", "/close"])
    lone.wait_exit()
    assert not find_windows(MAIN_TITLE)


# Only the driver mouse outlives the program that had it.
@pytest.mark.parametrize("mouse_kind", ["driver"], indirect=True)
def test_close_switch_hands_every_button_back(desktop):
    remapped = {0: BUTTON_4TH, 2: KEY_SHORTCUT, 3: DOUBLE_CLICK}
    first, _, mouse = desktop.start_utility(files={"setting.dat": settings(remapped, shortcut=(0x01, 0x2E))})
    wait_for(lambda: mouse.state()["mask"] == "0D", message="three buttons remapped")
    assert mouse.command("buttons 04") == "ok"
    wait_for(lambda: mouse.state()["modifiers"] == "01", message="Ctrl+C held")

    closer = desktop.start(desktop.utility_exe, args=["/close"], folder=first.folder)
    closer.wait_exit()
    first.wait_exit()
    # Every button is the mouse's own again, and nothing stays held.
    wait_for(lambda: mouse.state()["mask"] == "00", message="every button handed back")
    wait_released(mouse)
    assert mouse.command("buttons 00") == "ok"


def test_dlls_planted_beside_the_program_are_not_loaded(desktop):
    """hid.dll, comctl32.dll and oleacc.dll are no DLLs the system always takes from its own folder: copies
    beside the program, which would say so with a file beside them, are never loaded. Wine is told to prefer
    such copies, as Windows does."""
    planted = (BIN / "PlantedDll.dll").read_bytes()
    overrides = "mscoree,mshtml=;" + ",".join(name[:-4] for name in PLANTED) + "=n,b"
    process = desktop.start("SkivolMouse.exe", files={name: planted for name in PLANTED},
                            env={"WINEDLLOVERRIDES": overrides})
    find_window(MAIN_TITLE)
    # The first screen reader to ask has the program load oleacc.dll.
    wait_for(lambda: probe("accessible", MAIN_TITLE, ROWS[0]).get("name"), message="the row's accessible name")
    assert process.running()
    assert not sorted(path.name for path in process.folder.glob("*.loaded"))
