"""End-to-end harness: the real Windows programs under Wine on a virtual X
display, driven with xdotool and looked at with screenshots.

Every test that starts a program gets it in a temporary folder of its own (so
`setting.dat` and `lang.ini` are per test) and every process it starts is
stopped afterwards. Waits poll for a condition with a generous deadline: these
machines are shared.
"""
import os
import shutil
import signal
import socket
import struct
import subprocess
import sys
import time
from pathlib import Path

import pytest
from PIL import Image

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools"))
from resource_ids import read_resource_ids  # noqa: E402

BIN = ROOT / "build" / "bin"
PREFIX = Path(os.environ.get("WINEPREFIX") or ROOT / "build" / "wineprefix")
MAIN_TITLE = "Gaming Mouse"
DEADLINE = 30.0
# The program's resource identifiers by name (window_actions.py names the
# controls the tests use).
RESOURCE_IDS = read_resource_ids(ROOT / "res" / "resource.h")
# TestTarget.exe's text box, its record of the clicks on its bare area, and
# where the pointer last was over it.
TARGET_EDIT, TARGET_CLICKS, TARGET_POINTER = 100, 101, 102


def wine_env(extra=None):
    env = dict(os.environ)
    env.update({
        "WINEPREFIX": str(PREFIX),
        "WINEARCH": "win32",
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        "WINEDEBUG": "-all",
    })
    if extra:
        env.update(extra)
    return env


# Button functions as setting.dat holds them.
KEY_SHORTCUT, LEFT_BUTTON, BUTTON_5TH, BUTTON_4TH, CLOSE_WINDOW, DOUBLE_CLICK = 1, 4, 7, 8, 10, 11
WHEEL = 2  # ButtonIndex of the wheel button; its bit in the button byte is 0x04


def settings_record(functions=None, shortcut=(0, 0), steps=(0, 1, 3, 5), level=2):
    """The 156-byte setting.dat record: the marker, eight button slots
    (modifiers, scan code, function, button mask), four DPI steps and the
    level. `functions` maps ButtonIndex -> function code; every KeyShortcut
    holds `shortcut` (modifiers, scan code), every mouse-button function its
    button's mask, as the program writes them."""
    functions = functions or {}
    data = bytes([7]) + b"_@_SF3_"
    for index in range(8):
        function = functions.get(index, 0)
        modifiers, scan = shortcut if function == KEY_SHORTCUT else (0, 0)
        mask = 1 << (function - 4) if 4 <= function <= 8 else 0
        data += struct.pack("<4i", modifiers, scan, function, mask)
    data += struct.pack("<5i", *steps, level)
    assert len(data) == 156
    return data


def saved_dpi(folder):
    """The four DPI steps and the level in the folder's setting.dat."""
    data = (folder / "setting.dat").read_bytes()
    return struct.unpack_from("<5i", data, 136)


def wheel_slot(folder):
    """(modifiers, scanCode, function, buttonMask) of the wheel button in
    setting.dat, or None while the file is not there."""
    path = folder / "setting.dat"
    if not path.exists():
        return None
    data = path.read_bytes()
    if len(data) < 156:
        return None
    return struct.unpack_from("<4i", data, 8 + 16 * WHEEL)


def wait_for(condition, timeout=DEADLINE, interval=0.2, message="condition"):
    """Polls `condition` until it returns a true value, which is returned."""
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError(f"timed out waiting for {message}")
        time.sleep(interval)


def never_within(happened, seconds, interval=0.2, message="it"):
    """Polls `happened` for `seconds`, failing as soon as it returns a true
    value. Only for what no later event of the program's can show to be
    absent (a timer that would fire, a span of time the program itself
    measures): its caller says why."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        assert not happened(), f"{message} happened"
        time.sleep(interval)
    assert not happened(), f"{message} happened"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


@pytest.fixture(scope="session")
def display():
    """The X display: the one the test command started, or a private one."""
    if os.environ.get("DISPLAY"):
        yield os.environ["DISPLAY"]
        return
    n = 150
    while Path(f"/tmp/.X11-unix/X{n}").exists() or Path(f"/tmp/.X{n}-lock").exists():
        n += 1
    proc = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.environ["DISPLAY"] = f":{n}"
    wait_for(lambda: subprocess.run(["xdpyinfo"], capture_output=True).returncode == 0, message="Xvfb")
    yield os.environ["DISPLAY"]
    proc.terminate()
    proc.wait()
    del os.environ["DISPLAY"]


class WinProcess:
    """A Windows program started under Wine from its own folder."""

    def __init__(self, exe, folder, args=(), env=None):
        self.folder = Path(folder)
        self.exe = exe
        self.proc = subprocess.Popen(["wine", exe, *args], cwd=self.folder, env=wine_env(env),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     start_new_session=True)

    def running(self):
        return self.proc.poll() is None

    def wait_exit(self, timeout=DEADLINE):
        wait_for(lambda: not self.running(), timeout, message=f"{self.exe} to end")
        return self.proc.returncode

    def stop(self):
        if self.running():
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.proc.wait()


class Desktop:
    """Starts programs for one test and stops them all at its end."""

    def __init__(self, tmp_path, driver_mouse=None):
        self.tmp_path = tmp_path
        self.processes = []
        # With the driver mouse, the utility is the shipping program and the
        # mouse a device of the system (DriverMouseRig.exe).
        self.driver_mouse = driver_mouse
        self.utility_exe = "SkivolMouse.exe" if driver_mouse else "SkivolMouseVirtual.exe"

    def start(self, exe="SkivolMouseVirtual.exe", args=(), files=None, env=None, folder=None):
        """Copies `exe` into a fresh folder (with `files`: name -> bytes or
        str) and starts it there."""
        folder = Path(folder) if folder else self.tmp_path / f"run{len(self.processes)}"
        folder.mkdir(parents=True, exist_ok=True)
        if not (folder / exe).exists():
            shutil.copy(BIN / exe, folder / exe)
        for name, content in (files or {}).items():
            data = content.encode("latin-1") if isinstance(content, str) else content
            (folder / name).write_bytes(data)
        process = WinProcess(exe, folder, args, env)
        self.processes.append(process)
        return process

    def start_utility(self, files=None, args=(), port=None, env=None):
        """Starts SkivolMouseVirtual.exe and waits for its main window. Returns
        (process, window id, virtual mouse channel). With the driver mouse:
        the mouse plugged in afresh (unless SKIVOL_VMOUSE_PLUGGED=0), then
        SkivolMouse.exe, with the driver mouse's channel."""
        if self.driver_mouse:
            self.driver_mouse.replug((env or {}).get("SKIVOL_VMOUSE_PLUGGED") != "0")
            process = self.start(self.utility_exe, args=args, files=files, env=env)
            return process, find_window(MAIN_TITLE), self.driver_mouse
        port = port or free_port()
        environment = {"SKIVOL_VMOUSE_PORT": str(port)}
        environment.update(env or {})
        process = self.start("SkivolMouseVirtual.exe", args=args, files=files, env=environment)
        wid = find_window(MAIN_TITLE)
        return process, wid, VirtualMouse(port)

    def stop_all(self):
        for process in reversed(self.processes):
            process.stop()
        self.processes.clear()


def pytest_configure(config):
    config.addinivalue_line("markers", "both_mice: runs with the virtual mouse and again with the driver mouse")


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    """A failed case leaves a picture of the screen as it was at the failure,
    with the windows' titles and places: build/e2e-failures/<case>.png."""
    outcome = yield
    report = outcome.get_result()
    if report.when != "call" or not report.failed or "display" not in item.fixturenames:
        return
    folder = ROOT / "build" / "e2e-failures"
    folder.mkdir(parents=True, exist_ok=True)
    name = "".join(c if c.isalnum() or c in "-_" else "_" for c in item.name)
    try:
        screenshot(folder / f"{name}.png")
        ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."], capture_output=True, text=True)
        places = []
        for wid in ids.stdout.split():
            title = subprocess.run(["xdotool", "getwindowname", wid], capture_output=True, text=True).stdout.strip()
            geometry = subprocess.run(["xdotool", "getwindowgeometry", wid], capture_output=True, text=True).stdout.split()
            places.append(f"{wid} {title!r} at {geometry[3] if len(geometry) > 3 else '?'} size {geometry[-1]}")
        report.sections.append(("windows at the failure", "\n".join(places)))
    except (OSError, subprocess.SubprocessError):
        pass


def pytest_generate_tests(metafunc):
    if metafunc.definition.get_closest_marker("both_mice"):
        metafunc.parametrize("mouse_kind", ["virtual", "driver"], indirect=True)


@pytest.fixture
def mouse_kind(request):
    return getattr(request, "param", "virtual")


@pytest.fixture(scope="session")
def driver_mouse(display, tmp_path_factory):
    """DriverMouseRig.exe, one for the session: it installs the mouse's
    drivers into the prefix the first time, and serves the virtual mouse's
    control channel for the mouse the system sees."""
    port = free_port()
    rig = WinProcess(str(BIN / "DriverMouseRig.exe"), tmp_path_factory.mktemp("driver_mouse"),
                     env={"SKIVOL_VMOUSE_PORT": str(port), "SKIVOL_VMOUSE_PLUGGED": "0"})
    mouse = DriverMouse(port)
    try:
        wait_for(lambda: not rig.running() or mouse.command("state", timeout=5).startswith("mask="), timeout=180,
                 message="the driver mouse's channel")
        assert rig.running(), "DriverMouseRig.exe ended"
        yield mouse
    finally:
        if rig.running():
            mouse.command("unplug", timeout=10)
        rig.stop()


@pytest.fixture
def desktop(display, tmp_path, mouse_kind, request):
    d = Desktop(tmp_path, request.getfixturevalue("driver_mouse") if mouse_kind == "driver" else None)
    yield d
    d.stop_all()
    # Let Wine settle the windows of the ended processes before the next test.
    wait_for(lambda: not find_windows(MAIN_TITLE), timeout=10, message="windows to close")


def xdotool(*args, check=True):
    result = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True)
    if check and result.returncode != 0:
        raise AssertionError(f"xdotool {' '.join(map(str, args))}: {result.stderr.strip()}")
    return result.stdout.strip()


def find_windows(title):
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                            capture_output=True, text=True)
    return [int(w) for w in result.stdout.split()]


def find_window(title, timeout=DEADLINE):
    """Waits for a visible window with exactly this title; returns its X id."""
    return wait_for(lambda: (find_windows(title) or [None])[0], timeout, message=f"window '{title}'")


def window_origin(wid):
    out = xdotool("getwindowgeometry", "--shell", wid)
    values = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
    return int(values["X"]), int(values["Y"])


def click(wid, x, y, button=1):
    """Clicks at client coordinates (x, y) of the window."""
    ox, oy = window_origin(wid)
    xdotool("mousemove", "--sync", ox + x, oy + y)
    xdotool("click", button)


def move_mouse(wid, x, y):
    ox, oy = window_origin(wid)
    xdotool("mousemove", "--sync", ox + x, oy + y)


def point_into_target(wid, title, x, y):
    """Moves the pointer to client point (x, y) of a TestTarget window and
    waits until the target has seen it arrive there: clicks injected by the
    mouse land where the system's pointer is, which can lag behind the display's."""
    move_mouse(wid, x, y)
    wait_for(lambda: probe("control", title, TARGET_POINTER).get("text") == f"{x},{y}", message=f"the pointer at {x},{y} in {title}")


def key(*keys):
    """Presses key combinations, e.g. key("ctrl+c") or key("Escape")."""
    xdotool("key", "--clearmodifiers", *keys)


COMBO_BOXES = tuple(RESOURCE_IDS[name] for name in ("IDC_COMBO_PROFILE", "IDC_COMBO_RIGHT", "IDC_COMBO_WHEEL",
                                                    "IDC_COMBO_4TH", "IDC_COMBO_5TH"))  # the profile box and the rows


def focus_where_enter_resets():
    """Tabs on from the combo boxes, where Enter confirms the box's choice,
    to a control where it resets (the window must be in front)."""
    for _ in range(len(COMBO_BOXES) + 1):
        now = probe("focus", MAIN_TITLE).get("id", "0")
        if int(now) not in COMBO_BOXES:
            return
        key("Tab")
        wait_for(lambda: probe("focus", MAIN_TITLE).get("id", "0") != now, timeout=10, message="the focus to move on")
    raise AssertionError("the focus stays on the combo boxes")


def type_text(text):
    xdotool("type", "--delay", "50", text)


def screenshot(path):
    subprocess.run(["import", "-window", "root", str(path)], check=True)
    return Image.open(path).convert("RGB")


def window_pixel(image, wid, x, y):
    ox, oy = window_origin(wid)
    return image.getpixel((ox + x, oy + y))


def probe(*args, utf8=False):
    """Asks WinProbe about a window or control: a dict of its key=value pairs."""
    # WinProbe writes its texts in the ANSI code page of the prefix, or in
    # UTF-8 when asked (for names outside that code page).
    result = subprocess.run(["wine", str(BIN / "WinProbe.exe"), *map(str, args)],
                            env=wine_env({"SKIVOL_PROBE_UTF8": "1"} if utf8 else None), capture_output=True,
                            encoding="utf-8" if utf8 else "cp1252", errors="replace", timeout=60)
    line = result.stdout.strip().splitlines()[-1] if result.stdout.strip() else ""
    values = {}
    for part in line.split(" "):
        if "=" in part:
            k, v = part.split("=", 1)
            values[k] = v
        elif values:
            # a text value with blanks: glue it back to the previous key
            last = list(values)[-1]
            values[last] += " " + part
    return values


def set_registry(key_path, name, value, kind="REG_SZ"):
    """Sets a registry value in the test prefix (key like
    r"HKLM\\SOFTWARE\\Skivol Gaming Mouse")."""
    subprocess.run(["wine", "reg", "add", key_path, "/v", name, "/t", kind, "/d", str(value), "/f"],
                   env=wine_env(), capture_output=True, check=True, timeout=60)


def delete_registry(key_path):
    subprocess.run(["wine", "reg", "delete", key_path, "/f"], env=wine_env(), capture_output=True, timeout=60)


class VirtualMouse:
    """The virtual mouse's control channel: one command a line; the answer is
    `ok`, a result line, or `error <reason>`; `frames` ends with `end`. The
    commands: vmouse/README.md."""

    def __init__(self, port):
        self.port = port

    def command(self, line, timeout=DEADLINE):
        end = time.monotonic() + timeout
        while True:
            try:
                with socket.create_connection(("127.0.0.1", self.port), timeout=5) as s:
                    s.sendall((line + "\n").encode())
                    return self._read_answer(s, line)
            except (ConnectionRefusedError, socket.timeout, OSError):
                if time.monotonic() > end:
                    raise
                time.sleep(0.2)

    @staticmethod
    def _read_answer(sock, line):
        data = b""
        multi = line.split()[0] == "frames"
        while True:
            chunk = sock.recv(65536)
            if not chunk:
                break
            data += chunk
            text = data.decode()
            lines = text.splitlines()
            if text.endswith("\n") and lines:
                if not multi or lines[-1] == "end" or lines[-1].startswith("error"):
                    break
        lines = data.decode().splitlines()
        return lines if multi else (lines[0] if lines else "")

    def frames(self):
        """Feature transfers since the last call: [(kind, interface, hex)]."""
        lines = self.command("frames")
        return [tuple(l.split()) for l in lines if l != "end"]

    def state(self, device=""):
        line = self.command(f"state {device}".strip())
        return dict(part.split("=", 1) for part in line.split())


class DriverMouse(VirtualMouse):
    """The driver mouse's channel: the virtual mouse's commands but those of
    the virtual bus (`add`, `packet`)."""

    def replug(self, plugged=True):
        """The mouse as newly plugged in (or left out), its firmware at
        power-on and the log of transfers empty. Each answers once the system
        has seen the change."""
        assert self.command("unplug") == "ok"
        if plugged:
            assert self.command("plug") == "ok"
        self.frames()
