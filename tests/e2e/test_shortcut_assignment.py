"""Giving the wheel button a keyboard shortcut through the window, as a person
would: open its combo box, pick "Shortcuts", press the keys in the "Key"
dialog, close it."""
from conftest import MAIN_TITLE, find_window, find_windows, key, probe, wait_for, wheel_slot
from window_actions import (IDC_COMBO_WHEEL, IDC_KEY_EDIT, IDCANCEL, IDOK, KEY_TITLE, SC_CLOSE, SHORTCUTS_ITEM,
                            WM_SYSCOMMAND, choose_item, click_key_dialog_button)


def key_dialog_text():
    return probe("control", KEY_TITLE, IDC_KEY_EDIT).get("text")


def start_and_assign_ctrl_c(desktop):
    """Starts the utility and gives the wheel button Ctrl+C, confirmed with
    OK. Returns (process, window id, virtual mouse)."""
    process, wid, mouse = desktop.start_utility()
    # Without a mouse the first re-scan disables the combo boxes: the mouse's
    # channel answers first (a channel that does not fails the test).
    assert mouse.state().get("mask") is not None, "the virtual mouse's control channel answers no state"
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_WHEEL).get("enabled") == "1",
             message="the combo boxes enabled")
    choose_item(wid, IDC_COMBO_WHEEL, SHORTCUTS_ITEM)
    find_window(KEY_TITLE)
    key("ctrl+c")
    shown = wait_for(lambda: (key_dialog_text() or "").startswith("Ctrl + ") and key_dialog_text(),
                     message="the shortcut named in the Key dialog")
    assert shown == "Ctrl + C"
    click_key_dialog_button(IDOK)
    return process, wid, mouse


def test_shortcut_for_the_wheel_button(desktop):
    process, wid, mouse = start_and_assign_ctrl_c(desktop)
    combo = probe("control", MAIN_TITLE, IDC_COMBO_WHEEL)
    assert combo["cursel"] == str(SHORTCUTS_ITEM) and combo["itemdata"] == "1"
    assert wait_for(lambda: wheel_slot(process.folder) == (0x01, 0x2E, 1, 0),
                    message="the shortcut in setting.dat")

    # "Shortcuts" again, four times: the dialog proposes the stored shortcut.
    # Escape is a key like any other and does not close it; Cancel and the
    # close box leave the row, the file and the mouse as they were; a key the
    # mouse cannot type is refused in the field, and OK then keeps the row's.
    # (Wine follows the right Windows key, a modifier to X, with a left
    # Windows key-down of its own at the next click: that one ends in Cancel.)
    saved = (process.folder / "setting.dat").read_bytes()
    refused = "This key cannot be assigned"
    for keys, shown, close in ((("Escape", "x"), "X", "Cancel"), (("x",), "X", "close box"),
                               (("Super_R",), refused, "Cancel"), (("XF86AudioPlay",), refused, "OK")):
        choose_item(wid, IDC_COMBO_WHEEL, SHORTCUTS_ITEM)
        find_window(KEY_TITLE)
        wait_for(lambda: key_dialog_text() == "Ctrl + C", message="the stored shortcut proposed")
        for k in keys:
            key(k)
        wait_for(lambda: key_dialog_text() == shown, message=f"{shown} shown")
        if close == "close box":
            assert probe("post", KEY_TITLE, WM_SYSCOMMAND, SC_CLOSE, 0).get("posted") == "1"
            wait_for(lambda: not find_windows(KEY_TITLE), message="the Key dialog to close")
        else:
            click_key_dialog_button(IDOK if close == "OK" else IDCANCEL)
        # The window answers the probe once the dialog's caller is done.
        combo = probe("control", MAIN_TITLE, IDC_COMBO_WHEEL)
        assert (combo["cursel"], combo["itemdata"]) == (str(SHORTCUTS_ITEM), "1"), keys
        assert wheel_slot(process.folder) == (0x01, 0x2E, 1, 0), keys
        assert close == "OK" or (process.folder / "setting.dat").read_bytes() == saved, keys
        assert mouse.state().get("mask") == "04", keys
    assert process.running()


def test_cancel_puts_back_the_rows_own_function(desktop):
    process, wid, mouse = desktop.start_utility()
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_WHEEL).get("enabled") == "1",
             message="the combo boxes enabled")
    choose_item(wid, IDC_COMBO_WHEEL, SHORTCUTS_ITEM)
    find_window(KEY_TITLE)
    key("x")
    wait_for(lambda: key_dialog_text() == "X", message="x captured")
    click_key_dialog_button(IDCANCEL)
    combo = probe("control", MAIN_TITLE, IDC_COMBO_WHEEL)
    assert (combo["cursel"], combo["itemdata"]) == ("2", "0")  # "Wheel Button", its own
    assert not (process.folder / "setting.dat").exists()
    assert mouse.state().get("mask") == "00"


def test_the_mouse_then_reports_the_wheel_button(desktop):
    _, _, mouse = start_and_assign_ctrl_c(desktop)
    wait_for(lambda: mouse.state().get("mask") == "04", message="ReportMask 04 at the mouse")
