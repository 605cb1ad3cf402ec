"""The program's window as the end-to-end tests and the tools drive it: its
control ids (read from res/resource.h), the window messages sent to it, and
what more than one test module or tool does to it and reads from it. Kept in
one place, so that a change of the window is made once for all of them."""
import time

from PIL import Image

from conftest import MAIN_TITLE, RESOURCE_IDS, ROOT, click, find_window, find_windows, key, probe, screenshot, \
    wait_for, window_origin, xdotool

# Controls of the main window and the "Key" dialog, named as in res/resource.h.
IDC_KEY_EDIT = RESOURCE_IDS["IDC_KEY_EDIT"]
IDC_DEFAULT = RESOURCE_IDS["IDC_DEFAULT"]
IDC_COMBO_4TH = RESOURCE_IDS["IDC_COMBO_4TH"]
IDC_COMBO_5TH = RESOURCE_IDS["IDC_COMBO_5TH"]
IDC_COMBO_WHEEL = RESOURCE_IDS["IDC_COMBO_WHEEL"]
IDC_COMBO_RIGHT = RESOURCE_IDS["IDC_COMBO_RIGHT"]
IDC_CLOSE_BUTTON = RESOURCE_IDS["IDC_CLOSE_BUTTON"]
IDC_MINIMIZE_BUTTON = RESOURCE_IDS["IDC_MINIMIZE_BUTTON"]
IDC_DPI_SLIDER = RESOURCE_IDS["IDC_DPI_SLIDER"]
IDC_COMBO_PROFILE = RESOURCE_IDS["IDC_COMBO_PROFILE"]
ID_TRAY_EXIT = RESOURCE_IDS["ID_TRAY_EXIT"]
# The DPI levels' strip: a control the program makes itself, outside the
# dialog template.
DPI_LEVELS_ID = 1030
# The tray menu's "Show DPI changes on screen", added by the program.
SHOW_DPI_ON_SCREEN = 32773
# The system's own ids: dialog buttons and a message box's text.
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
MESSAGE_BOX_TEXT = 0xFFFF

# The assignment rows, top to bottom, and the order Tab goes through the window.
ROWS = (IDC_COMBO_RIGHT, IDC_COMBO_WHEEL, IDC_COMBO_4TH, IDC_COMBO_5TH)
TAB_ORDER = (IDC_COMBO_PROFILE,) + ROWS + (DPI_LEVELS_ID, IDC_DPI_SLIDER, IDC_DEFAULT, IDC_MINIMIZE_BUTTON,
                                             IDC_CLOSE_BUTTON)
# Items of an assignment row's list.
DOUBLE_CLICK_ITEM, SHORTCUTS_ITEM, CLOSE_WINDOW_ITEM = 5, 6, 7

# Window messages, and what the program's window understands of its own.
WM_ENDSESSION = 0x16
WM_COMMAND = 0x111
WM_SYSCOMMAND, SC_CLOSE = 0x112, 0xF060
WM_RBUTTONUP = 0x205
WM_POWERBROADCAST = 0x218
PBT_APMSUSPEND, PBT_APMRESUMESUSPEND, PBT_APMRESUMEAUTOMATIC = 0x4, 0x7, 0x12
WM_WTSSESSION_CHANGE = 0x2B1
WTS_CONSOLE_CONNECT, WTS_SESSION_LOCK, WTS_SESSION_UNLOCK = 0x1, 0x7, 0x8
WM_APP_TRAY_CALLBACK = 0x400 + 100
TRAY_ICON_ID = 1219
WM_APP_START_POSTSCAN = 0x8000 + 122

KEY_TITLE = "Key"
NOTICE_TITLE = "Skivol Gaming Mouse DPI"
BARE_SKIN = (420, 60)  # a spot of the window with no control and no DPI box
DEFAULT_BUTTON = (240, 410)  # "Default", its top left corner
STATE_LINE = (150, 462, 352, 480)  # right of the version text on the bottom bar, up to the profile box


def post(message, wparam, lparam):
    """Posts a message to the main window, which must be there."""
    assert probe("post", MAIN_TITLE, message, wparam, lparam).get("found") == "1"


def control_rect(title, control_id):
    info = probe("control", title, control_id)
    assert info.get("found") == "1", f"control {control_id} of '{title}'"
    return tuple(int(v) for v in info["rect"].split(",")), info


def choose_item(wid, combo_id, index):
    """Opens the combo box with a click on its field and clicks item `index`
    of the list that drops down below it."""
    (left, top, right, bottom), info = control_rect(MAIN_TITLE, combo_id)
    item_height = int(info["itemheight"])
    clicked = [0.0]

    def dropped():
        # On a busy machine the list can take a while, and a click that came
        # before the window was where the display says is lost: click again.
        if probe("control", MAIN_TITLE, combo_id).get("dropped") == "1":
            return True
        if time.monotonic() - clicked[0] > 5:
            click(wid, (left + right) // 2, (top + bottom) // 2)
            clicked[0] = time.monotonic()
        return False
    wait_for(dropped, message=f"the list of combo box {combo_id} dropped down")
    # The list drops down right below the field.
    click(wid, left + 40, bottom + index * item_height + item_height // 2)


def click_key_dialog_button(button_id):
    """Clicks OK or Cancel of the "Key" dialog and waits for it to close."""
    wid = find_window(KEY_TITLE)
    (left, top, right, bottom), _ = control_rect(KEY_TITLE, button_id)
    click(wid, (left + right) // 2, (top + bottom) // 2)
    wait_for(lambda: not find_windows(KEY_TITLE), message="the Key dialog to close")


def bring_to_front(wid, title, x=60, y=20):
    """Clicks the window at client point (x, y) (again every few seconds, as a
    click can come before the window is where the display says) until it is
    the foreground window."""
    clicked = [0.0]

    def in_front():
        if probe("foreground").get("title") == title:
            return True
        if time.monotonic() - clicked[0] > 3:
            ox, oy = window_origin(wid)
            # xdotool's --sync would wait for a motion that never comes when
            # the pointer is there already.
            where = dict(line.split("=", 1) for line in xdotool("getmouselocation", "--shell").splitlines()
                         if "=" in line)
            if (int(where["X"]), int(where["Y"])) != (ox + x, oy + y):
                xdotool("mousemove", "--sync", ox + x, oy + y)
            xdotool("click", 1)
            clicked[0] = time.monotonic()
        return False

    wait_for(in_front, message=f"{title} in front")
    # Keys go to the display's focus too, which an earlier case may have left
    # on a window that has gone since.
    xdotool("windowfocus", "--sync", wid, check=False)
    return wid


class WindowShot:
    """A screenshot read in the window's client coordinates."""

    def __init__(self, wid, path):
        self.origin = window_origin(wid)
        self.image = screenshot(path)

    def __call__(self, x, y):
        return self.image.getpixel((self.origin[0] + x, self.origin[1] + y))


def skin(name):
    return Image.open(ROOT / "res" / "skin" / name).convert("RGB")


def state_line_in(shot):
    """Whether the bottom bar of a WindowShot shows a line (a notice, "Settings
    not saved", the missing mouse)."""
    window = skin("skin_window.bmp")
    left, top, right, bottom = STATE_LINE
    return any(shot(x, y) != window.getpixel((x, y)) for x in range(left, right) for y in range(top, bottom))


def focus():
    """The id of the main window's control that has the keyboard focus."""
    return int(probe("focus", MAIN_TITLE).get("id", "0"))


def accessible(control):
    """The control's name and value as a screen reader reads them."""
    info = probe("accessible", MAIN_TITLE, control)
    return info.get("name"), info.get("value")


def tab(keys="Tab"):
    """Presses Tab (or Shift+Tab) and returns the control the focus moved to."""
    before = focus()
    key(keys)
    return wait_for(lambda: (lambda now: now != before and now)(focus()), timeout=10, message="the focus to move on")


def tab_to(control):
    for _ in range(len(TAB_ORDER) + 2):
        if focus() == control:
            return
        tab()
    assert focus() == control, f"Tab never reached {control}"
