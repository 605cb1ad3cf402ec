"""The utility and the virtual mouse: what the mouse is told at start and
after device changes, and the controls following the mouse's presence."""
import time

import pytest

from conftest import (BUTTON_4TH, DOUBLE_CLICK, MAIN_TITLE, TARGET_CLICKS, click, find_window, find_windows,
                      focus_where_enter_resets, key, never_within, point_into_target, probe, saved_dpi, wait_for,
                      xdotool)
from conftest import settings_record as settings
from window_actions import IDC_COMBO_WHEEL, IDC_DPI_SLIDER, NOTICE_TITLE, ROWS

COMBO_IDS = ROWS
REPORT_MASK = "000702"
POST_SCAN = "001A00000000000000"


class FrameWatch:
    """Collects the feature frames the mouse receives, with the time each was
    first seen (to within the polling interval)."""

    def __init__(self, mouse):
        self.mouse = mouse
        self.seen = []  # (time, kind, interface, hex)

    def poll(self):
        now = time.monotonic()
        for kind, interface, frame in self.mouse.frames():
            self.seen.append((now, kind, interface, frame.upper()))
        return self.seen

    def sets(self, prefix="", interface="mouse"):
        return [(t, f) for t, k, i, f in self.seen if k == "set" and i == interface and f.startswith(prefix)]

    def wait_for_set(self, prefix, count=1, interface="mouse", timeout=30):
        def enough():
            self.poll()
            return len(self.sets(prefix, interface)) >= count
        wait_for(enough, timeout=timeout, interval=0.05, message=f"{count} frame(s) {prefix}... to {interface}")
        return self.sets(prefix, interface)

    def forget(self):
        self.poll()
        self.seen.clear()


def combos_enabled():
    return [probe("control", MAIN_TITLE, i).get("enabled") for i in COMBO_IDS]


@pytest.mark.both_mice
def test_first_rescan_sends_the_mask_and_then_post_scan(desktop):
    _, _, mouse = desktop.start_utility()
    watch = FrameWatch(mouse)
    post_scan = watch.wait_for_set(POST_SCAN)[0][0]
    masks = watch.sets(REPORT_MASK)
    # No settings file: the re-scan's mask is the only one, nothing remapped.
    assert [f for _, f in masks] == ["000702000000000000"]
    # Window timers never fire early: PostScan comes a good while after the mask.
    assert post_scan - masks[0][0] >= 0.5
    state = mouse.state()
    assert state["mask"] == "00"
    assert state["dpi"] == "0,1,3,5" and state["level"] == "2"


@pytest.mark.both_mice
def test_a_remapped_button_in_the_settings_file_reaches_the_mask(desktop):
    # Codes the program does not know leave those buttons to the mouse.
    _, _, mouse = desktop.start_utility(files={"setting.dat": settings({0: 99, 1: 3, 2: DOUBLE_CLICK})})
    watch = FrameWatch(mouse)
    watch.wait_for_set(POST_SCAN)
    masks = [f for _, f in watch.sets(REPORT_MASK)]
    # The one from loading the file, then the re-scan's.
    assert masks[0] == "000702040000000000"
    assert set(masks) == {"000702040000000000"}
    assert mouse.state()["mask"] == "04"


@pytest.mark.both_mice
def test_unplugging_disables_the_combo_boxes_and_plugging_enables_them(desktop):
    _, _, mouse = desktop.start_utility(files={"setting.dat": settings({1: BUTTON_4TH})})
    watch = FrameWatch(mouse)
    watch.wait_for_set(POST_SCAN)
    assert probe("control", MAIN_TITLE, IDC_COMBO_WHEEL)["enabled"] == "1"

    assert mouse.command("unplug") == "ok"
    wait_for(lambda: combos_enabled() == ["0"] * 4, message="combo boxes disabled")
    assert probe("control", MAIN_TITLE, IDC_DPI_SLIDER)["enabled"] == "0"  # the slider too

    watch.forget()
    assert mouse.command("plug") == "ok"
    wait_for(lambda: combos_enabled() == ["1"] * 4, message="combo boxes enabled")
    # The mouse came back with its power-on state; the re-scan gives it the
    # mask again and asks for its DPI state.
    watch.wait_for_set(POST_SCAN)
    assert mouse.state()["mask"] == "02"


@pytest.mark.both_mice
def test_started_without_the_mouse_the_controls_wait_for_it(desktop):
    _, _, mouse = desktop.start_utility(env={"SKIVOL_VMOUSE_PLUGGED": "0"})
    assert probe("control", MAIN_TITLE, IDC_DPI_SLIDER)["enabled"] == "0"
    wait_for(lambda: combos_enabled() == ["0"] * 4, message="combo boxes disabled by the first re-scan")
    assert mouse.frames() == []  # nothing reached a mouse that is not there

    assert mouse.command("plug") == "ok"
    wait_for(lambda: combos_enabled() == ["1"] * 4, message="combo boxes enabled")
    FrameWatch(mouse).wait_for_set(POST_SCAN)
    wait_for(lambda: probe("control", MAIN_TITLE, IDC_DPI_SLIDER)["enabled"] == "1", message="slider enabled")


def test_a_burst_of_device_changes_rescans_once_after_the_last(desktop):
    _, _, mouse = desktop.start_utility()
    watch = FrameWatch(mouse)
    watch.wait_for_set(POST_SCAN)
    watch.forget()

    for _ in range(20):
        assert mouse.command("add hid 1") == "ok"
    last_change = time.monotonic()
    first_mask = watch.wait_for_set(REPORT_MASK)[0][0]
    watch.wait_for_set(POST_SCAN)
    # Once the re-scan is over, give a stray second one time to show. It would
    # be the re-scan timer's, which nothing later of the program's is ordered
    # behind: only a bounded watch can show that it does not come.
    never_within(lambda: len(watch.poll() and watch.sets(REPORT_MASK)) > 1 or len(watch.sets(POST_SCAN)) > 1, 2,
                 message="a second re-scan")
    assert len(watch.sets(REPORT_MASK)) == 1
    assert len(watch.sets(POST_SCAN)) == 1
    # The burst restarted the re-scan timer each time: nothing before 5 s
    # after the last change (less the polling slack).
    assert first_mask - last_change >= 4.5


def test_every_mouse_like_interface_gets_the_frames(desktop):
    _, _, mouse = desktop.start_utility()
    watch = FrameWatch(mouse)
    watch.wait_for_set(POST_SCAN)
    # A mouse that comes is looked for at once; the rest wait for the burst.
    assert mouse.command("add second-mouse") == "ok"
    watch.wait_for_set(POST_SCAN, interface="mouse2")
    for what in ("foreign-string", "foreign-collection", "hid 30"):
        assert mouse.command(f"add {what}") == "ok"
    watch.forget()
    # The re-scan sends its mask to both mice and to the interface with the
    # mouse's IDs but another maker's string; the transfer rule does not
    # read the string.
    for interface in ("mouse", "mouse2", "foreign1"):
        watch.wait_for_set(POST_SCAN, interface=interface)
        assert [f for _, f in watch.sets(REPORT_MASK, interface)] == ["000702000000000000"]
    interfaces = {i for _, _, i, _ in watch.seen}
    assert interfaces == {"mouse", "mouse2", "foreign1"}


@pytest.mark.both_mice
def test_a_replugged_mouse_gets_its_settings_at_once_and_its_dpi_button_keeps_the_steps(desktop):
    process, _, mouse = desktop.start_utility(files={"setting.dat": settings({2: BUTTON_4TH}, steps=(2, 4, 6, 7), level=2)})
    slider = lambda: probe("control", MAIN_TITLE, IDC_DPI_SLIDER).get("pos")
    wait_for(lambda: mouse.state()["dpi"] == "2,4,6,7", message="the user's steps on the mouse")
    FrameWatch(mouse).wait_for_set(POST_SCAN)

    assert mouse.command("unplug") == "ok"
    assert mouse.command("plug") == "ok"
    # Pressed at once, the DPI button reports level 3 at its power-on step 5.
    assert mouse.command("dpibutton") == "ok"
    # The virtual mouse keeps the device set changing, so that the re-scan
    # after a burst of changes never comes: the mouse is looked for at once.
    driver = mouse.command("add hid 1").startswith("error")

    def settings_back():
        if not driver:
            assert mouse.command("add hid 1") == "ok"
        state = mouse.state()
        return state["mask"] == "04" and state["dpi"] == "2,4,6,7"
    wait_for(settings_back, message="the mask and the user's steps on the replugged mouse")
    wait_for(lambda: slider() == "7", message="the slider at level 3's step")
    assert mouse.state()["level"] == "3"
    assert saved_dpi(process.folder)[:4] == (2, 4, 6, 7)


def test_a_second_mouse_answering_its_scans_chooses_no_level(desktop):
    _, _, mouse = desktop.start_utility(files={"setting.dat": settings({2: 1}, shortcut=(0x01, 0x2E))})
    slider = lambda: probe("control", MAIN_TITLE, IDC_DPI_SLIDER).get("pos")
    watch = FrameWatch(mouse)
    watch.wait_for_set(POST_SCAN)
    wait_for(lambda: slider() == "3", message="the slider at level 2's step")
    assert mouse.command("dpibutton") == "ok"  # a choice: level 3
    wait_for(lambda: slider() == "5", message="the slider at level 3's step")
    wait_for(lambda: not find_windows(NOTICE_TITLE), timeout=10, message="the notice gone")

    # The second mouse, at level 2, answers the scan at its arrival and the
    # one after the burst: neither is a choice, nor the window's level.
    notices = []

    def two_scans_answered():
        notices.extend(find_windows(NOTICE_TITLE))
        watch.poll()
        return len(watch.sets(POST_SCAN, "mouse2")) >= 2
    watch.forget()
    assert mouse.command("add second-mouse") == "ok"
    wait_for(two_scans_answered, message="two scans of the second mouse")
    # The first mouse's press comes through the same queue after the answers.
    assert mouse.command("buttons 04") == "ok"
    wait_for(lambda: mouse.state()["modifiers"] == "01", message="Ctrl+C held")
    assert mouse.command("buttons 00") == "ok"
    assert not notices and not find_windows(NOTICE_TITLE)
    assert slider() == "5"
    assert mouse.state("mouse2")["level"] == "2" and mouse.state()["level"] == "3"


@pytest.mark.both_mice
def test_unremapped_buttons_click_on_the_desktop(desktop):
    """Buttons the mouse is not told to report are its own: pressed over a
    window, they are that window's clicks."""
    _, _, mouse = desktop.start_utility()
    assert mouse.state()["mask"] == "00"
    desktop.start("TestTarget.exe", args=["Click target"])
    target = find_window("Click target")
    point_into_target(target, "Click target", 260, 55)  # bare client area, clear of the text box and the label
    for buttons in ("01", "02", "04", "08", "10"):
        assert mouse.command(f"buttons {buttons}") == "ok"
        assert mouse.command("buttons 00") == "ok"
    wait_for(lambda: probe("control", "Click target", TARGET_CLICKS).get("text") == "LRMX1X2", message="five clicks")


def test_a_dpi_box_click_selects_the_level_on_the_mouse(desktop):
    _, wid, mouse = desktop.start_utility()
    watch = FrameWatch(mouse)
    watch.wait_for_set(POST_SCAN)
    click(wid, 80, 378)  # box of level 1
    assert watch.wait_for_set("0019")[0][1] == "001901000000000000"
    wait_for(lambda: mouse.state()["level"] == "1", message="level 1 on the mouse")


def test_the_users_dpi_steps_survive_the_mouse_and_its_dpi_button(desktop):
    process, wid, mouse = desktop.start_utility(files={"setting.dat": settings(steps=(7, 6, 5, 4), level=1)})
    slider = lambda: probe("control", MAIN_TITLE, IDC_DPI_SLIDER).get("pos")

    # The mouse comes up at 0,1,3,5 on level 2 and gets the user's steps back;
    # its level stays its own, shown with the user's step for it.
    wait_for(lambda: mouse.state()["dpi"] == "7,6,5,4", message="the user's steps on the mouse")
    wait_for(lambda: slider() == "5", message="the slider at level 2's step")
    watch = FrameWatch(mouse)
    watch.forget()
    assert mouse.command("unplug") == "ok"
    assert mouse.command("plug") == "ok"
    # Back at its power-on steps, it is given the user's at once, and again
    # by the re-scan after the burst of device changes.
    watch.wait_for_set(POST_SCAN, count=2)
    assert mouse.state()["dpi"] == "7,6,5,4"
    wait_for(lambda: slider() == "5", message="the slider at level 2's step")
    assert saved_dpi(process.folder) == (7, 6, 5, 4, 1)

    # The mouse's DPI button pressed while "Default" writes the steps: its
    # report and the answers to the reset's selections carry old steps.
    watch.forget()
    clicked = time.monotonic()
    click(wid, 240 + 40, 410 + 12)  # "Default"
    watch.wait_for_set("0019")  # its first selection: the reset is on
    assert mouse.command("dpibutton") == "ok"

    def defaults_everywhere_once_committed():
        def commit_timer_fired():
            watch.poll()
            return any(t - clicked >= 1.5 for t, _ in watch.sets("001B"))
        wait_for(commit_timer_fired, message="the commit 2 s after the last step")
        state = mouse.state()
        assert state["dpi"] == "0,1,3,5"
        assert slider() == str((0, 1, 3, 5)[int(state["level"])])
        assert saved_dpi(process.folder)[:4] == (0, 1, 3, 5)
    defaults_everywhere_once_committed()

    # The same during Enter, with a step of the user's on the level the
    # button goes to next.
    after = (int(mouse.state()["level"]) + 1) % 4
    assert mouse.command(f"report 000000050{after}070000") == "ok"
    wait_for(lambda: mouse.state()["dpi"].split(",")[after] == "7", message="step 7 on the next level")
    xdotool("windowactivate", "--sync", wid, check=False)
    focus_where_enter_resets()
    watch.forget()
    clicked = time.monotonic()
    key("Return")
    watch.wait_for_set(REPORT_MASK)  # the reset is on, no step written yet
    assert mouse.command("dpibutton") == "ok"
    defaults_everywhere_once_committed()
