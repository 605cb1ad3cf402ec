"""What both soaks do to the program and ask of the virtual mouse: the
held-input soak among the end-to-end tests (test_held_input.py) and the long
soak (tools/soak.py). Kept in one place, so that a change of the window or of
the control channel's answers is made once for both."""
import time

from conftest import MAIN_TITLE, click, find_window, find_windows, probe, wait_for

KEY_TITLE = "Key"


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


def mouse_state(line):
    """The fields of the virtual mouse's answer to `state`."""
    return dict(part.split("=", 1) for part in line.split() if "=" in part)


def held(state):
    """What a mouse still holds, or '' when nothing."""
    parts = []
    if state.get("modifiers", "00") != "00":
        parts.append("modifiers=" + state["modifiers"])
    if any(k != "00" for k in state.get("keys", "").split(",")):
        parts.append("keys=" + state["keys"])
    if state.get("buttons", "00") != "00":
        parts.append("buttons=" + state["buttons"])
    return " ".join(parts)
