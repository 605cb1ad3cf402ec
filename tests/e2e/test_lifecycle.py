"""One copy per machine, hiding instead of closing, and the orderly exit."""
from conftest import MAIN_TITLE, click, find_windows, key, probe, wait_for, xdotool


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
