"""Writes the README's pictures of the main window into docs/pictures/: in
English, in German with the shipped lang.ini, without the mouse, with the
"Key" dialog open, with the tray menu open, and with the profile box's list
open on a program profile.

Run through tools/pictures.sh, which builds the program and provides the
virtual display and the Wine session this script expects.
"""
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from conftest import (MAIN_TITLE, Desktop, click, delete_registry, find_window, find_windows,  # noqa: E402
                      key, move_mouse, probe, set_registry, wait_for, window_origin)
from window_actions import (IDC_COMBO_PROFILE, IDC_COMBO_WHEEL, IDC_DPI_SLIDER, IDC_KEY_EDIT, IDCANCEL,  # noqa: E402
                            KEY_TITLE, SHORTCUTS_ITEM, TRAY_ICON_ID, WM_APP_TRAY_CALLBACK, WM_RBUTTONUP)

OUT = ROOT / "docs" / "pictures"
LANGUAGE_KEY = r"HKLM\SOFTWARE\Skivol Gaming Mouse"
WIDTH, HEIGHT = 618, 490
PROFILES = "[game.exe]\r\nwheel=shortcut ctrl+c\r\nbutton4=double-click\r\n[editor.exe]\r\n"
START_STEP = "3"  # the virtual mouse comes up at level 2, step 3 (1600 DPI)


def grab(wid, name):
    """Saves the window's area of the screen."""
    x, y = window_origin(wid)
    geometry = f"{WIDTH}x{HEIGHT}+{x}+{y}"
    target = OUT / name
    subprocess.run(["import", "-window", "root", "-crop", geometry, "+repage", "-strip", str(target)], check=True)
    print(f"wrote {target.relative_to(ROOT)}")


def grab_with_list(wid, name, list_bottom):
    """Saves the window's area of the screen and, below it, as much as the
    open drop-down list needs."""
    x, y = window_origin(wid)
    geometry = f"{WIDTH}x{max(HEIGHT, list_bottom)}+{x}+{y}"
    target = OUT / name
    subprocess.run(["import", "-window", "root", "-crop", geometry, "+repage", "-strip", str(target)], check=True)
    print(f"wrote {target.relative_to(ROOT)}")


def screen_near_pointer():
    """The pixels right of and below the mouse pointer, where a menu opens."""
    out = subprocess.run(["xdotool", "getmouselocation", "--shell"], capture_output=True, text=True).stdout
    where = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
    geometry = f"60x30+{int(where['X']) + 10}+{int(where['Y']) + 5}"
    return subprocess.run(["import", "-window", "root", "-crop", geometry, "rgb:-"], capture_output=True).stdout


def window_image(wid):
    x, y = window_origin(wid)
    geometry = f"{WIDTH}x{HEIGHT}+{x}+{y}"
    return subprocess.run(["import", "-window", "root", "-crop", geometry, "rgb:-"], capture_output=True).stdout


def settle(wid, mouse=None):
    """Waits until the first re-scan has settled the controls (and, with the
    mouse, its DPI state has arrived), the pointer is out of the way and the
    window has stopped changing."""
    if mouse is not None:
        wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_WHEEL).get("enabled") == "1",
                 message="the combo boxes enabled")
        wait_for(lambda: probe("control", MAIN_TITLE, IDC_DPI_SLIDER).get("pos") == START_STEP,
                 message="the mouse's DPI state")
    move_mouse(wid, WIDTH - 60, HEIGHT - 120)
    last = [None]

    def steady():
        now = window_image(wid)
        same = now == last[0]
        last[0] = now
        return same

    wait_for(steady, interval=0.5, message="the window to settle")


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    work = Path(tempfile.mkdtemp(prefix="skivol-pictures-"))
    desktop = Desktop(work)

    def next_scene():
        # Each scene runs from a folder of its own, without the settings of
        # the one before.
        desktop.stop_all()
        wait_for(lambda: not find_windows(MAIN_TITLE), timeout=10, message="the window to close")
        desktop.tmp_path = Path(tempfile.mkdtemp(dir=work))

    try:
        delete_registry(LANGUAGE_KEY)
        _, wid, mouse = desktop.start_utility()
        settle(wid, mouse)
        grab(wid, "main-en.png")

        # The "Key" dialog, opened from the wheel button's box.
        combo = probe("control", MAIN_TITLE, IDC_COMBO_WHEEL)
        left, top, right, bottom = map(int, combo["rect"].split(","))
        item_height = int(combo["itemheight"])
        click(wid, (left + right) // 2, (top + bottom) // 2)
        click(wid, left + 40, bottom + SHORTCUTS_ITEM * item_height + item_height // 2)
        dialog = find_window(KEY_TITLE)
        key("ctrl+c")
        wait_for(lambda: probe("control", KEY_TITLE, IDC_KEY_EDIT).get("text") == "Ctrl + C", message="the shortcut shown")
        grab(wid, "key-dialog.png")
        cancel = tuple(map(int, probe("control", KEY_TITLE, IDCANCEL)["rect"].split(",")))
        click(dialog, (cancel[0] + cancel[2]) // 2, (cancel[1] + cancel[3]) // 2)
        wait_for(lambda: not find_windows(KEY_TITLE), message="the Key dialog to close")

        # The tray menu, opened the way a right click on the icon opens it,
        # at a pointer on the picture of the mouse.
        settle(wid)
        move_mouse(wid, 420, 300)
        before = screen_near_pointer()
        probe("post", MAIN_TITLE, WM_APP_TRAY_CALLBACK, TRAY_ICON_ID, WM_RBUTTONUP)
        wait_for(lambda: screen_near_pointer() != before, message="the tray menu")
        grab(wid, "tray-menu.png")
        key("Escape")
        next_scene()

        # German, with the texts of the shipped lang.ini.
        set_registry(LANGUAGE_KEY, "Language", "1031")
        lang = (ROOT / "res" / "lang.ini").read_bytes()
        process, wid, mouse = desktop.start_utility(files={"lang.ini": lang})
        settle(wid, mouse)
        grab(wid, "main-de.png")
        next_scene()
        delete_registry(LANGUAGE_KEY)

        # Without the mouse: every control disabled, and the bar says why.
        _, wid, _ = desktop.start_utility(env={"SKIVOL_VMOUSE_PLUGGED": "0"})
        wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_WHEEL).get("enabled") == "0",
                 message="the combo boxes disabled")
        settle(wid)
        grab(wid, "no-mouse.png")
        next_scene()

        # The profile box: the game's profile edited, the list open.
        _, wid, mouse = desktop.start_utility(files={"profiles.ini": PROFILES})
        settle(wid, mouse)
        box = probe("control", MAIN_TITLE, IDC_COMBO_PROFILE)
        left, top, right, bottom = map(int, box["rect"].split(","))
        item_height = int(box["itemheight"])
        click(wid, (left + right) // 2, (top + bottom) // 2)
        click(wid, left + 40, bottom + 1 * item_height + item_height // 2)
        wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_PROFILE).get("text") == "game.exe",
                 message="the game's profile edited")
        settle(wid)
        before = window_image(wid)
        click(wid, (left + right) // 2, (top + bottom) // 2)
        wait_for(lambda: window_image(wid) != before, message="the profile list open")
        grab_with_list(wid, "profile-box.png", bottom + 6 * item_height + 8)
        key("Escape")
    finally:
        desktop.stop_all()
        delete_registry(LANGUAGE_KEY)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
