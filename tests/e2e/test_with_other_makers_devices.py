"""The mouse among other makers' HID devices on the system's own stack (the
driver mouse's `add device`): only the mouse is driven. The desk stays on the
bus until the session ends, so these cases run after the session's others."""
import pytest

from conftest import MAIN_TITLE, probe, wait_for
from conftest import settings_record as settings
from desk_devices import DEVICES, add_command, released_report

POST_SCAN = "001A00000000000000"


def desk_state(mouse, name):
    return dict(part.split("=", 1) for part in mouse.command(f"state {name}").split())


def check_the_desk_is_left_alone(mouse, suffix, times=1):
    """Each desk device sends its report (the one with the mouse's collection
    a pressed wheel button), then the mouse its fifth button: the program
    takes raw input in order, so the buttons it injects show whether it took
    theirs. Then none of them was sent anything."""
    for name, *_, report in DEVICES:
        assert mouse.command(f"report {report} {name}{suffix}") == "ok"
    for name, *_ in DEVICES:
        wait_for(lambda: desk_state(mouse, name + suffix)["input-reports"] == str(times), message=f"{name}'s report taken")
    assert mouse.command("buttons 08") == "ok"
    wait_for(lambda: mouse.state()["buttons"] != "00", message="the fifth button injected")
    assert mouse.state()["buttons"] == "08"
    assert mouse.command("buttons 00") == "ok"
    wait_for(lambda: mouse.state()["buttons"] == "00", message="the fifth button let go")
    for name, *_ in DEVICES:
        state = desk_state(mouse, name + suffix)
        assert (state["feature-sets"], state["output-reports"], state["feature-gets"]) == ("0", "0", "0"), name


@pytest.mark.parametrize("mouse_kind", ["driver"], indirect=True)
def test_among_other_makers_devices_only_the_mouse_is_driven(desktop, driver_mouse):
    # A desk of devices present at start: the mouse alone gets its settings.
    for device in DEVICES:
        assert driver_mouse.command(add_command(device)) == "ok"
    _, _, mouse = desktop.start_utility(files={"setting.dat": settings({2: 8, 3: 7}, steps=(2, 4, 6, 7), level=2)})
    wait_for(lambda: mouse.state()["dpi"] == "2,4,6,7", message="the user's steps on the mouse")
    wait_for(lambda: any(k == "set" and f.upper() == POST_SCAN for k, _, f in mouse.frames()), message="PostScan")
    assert mouse.state()["mask"] == "0C"
    check_the_desk_is_left_alone(mouse, "")

    # The same set again, added while it runs: each addition is a device
    # change the program re-scans for.
    for device in DEVICES:
        assert mouse.command(add_command(device, "2")) == "ok"
    assert mouse.command("dpibutton") == "ok"
    wait_for(lambda: probe("control", MAIN_TITLE, 1018).get("pos") == "7", message="the slider at level 3's step")
    assert mouse.state()["mask"] == "0C"
    check_the_desk_is_left_alone(mouse, "2")
    check_the_desk_is_left_alone(mouse, "", times=2)
    # The desk stays for the session's other tests: it leaves nothing pressed.
    for suffix in ("", "2"):
        for device in DEVICES:
            assert mouse.command(f"report {released_report(device)} {device[0]}{suffix}") == "ok"
