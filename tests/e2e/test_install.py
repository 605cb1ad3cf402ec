"""The setup and the uninstaller in a fresh Wine prefix, with the real program.

The cases run in order on one installation: wrong command lines refused,
install, start as at sign-in, install again over the running copy (and over
one that does not end), uninstall while it runs. Wine neither enforces nor
keeps the access lists of files, so of the rights on the install folder and
on setting.dat this is checked: the setup's calls as Wine's trace shows them,
and that they succeed (its exit code).
"""
import os
import re
import shutil
import signal
import subprocess
from pathlib import Path

import pytest

from conftest import BIN, DEADLINE, MAIN_TITLE, ROOT, find_window, never_within, wait_for
from window_actions import IDCANCEL, TRAY_ICON_ID, WM_COMMAND

SETUP = BIN / "SkivolMouse-1.01-setup.exe"
PREFIX = ROOT / "build" / "wineprefix-install"
INSTALL_DIR = PREFIX / "drive_c" / "Program Files" / "Skivol Gaming Mouse"
SHORTCUT = PREFIX / "drive_c" / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / "Programs" / \
    "Skivol Gaming Mouse.lnk"
PRODUCT_KEY = r"HKLM\SOFTWARE\Skivol Gaming Mouse"
RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Skivol Gaming Mouse"
EXIT_STILL_RUNNING, EXIT_BAD_OPTION = 32, 87
EXIT_FOLDER_IN_USE, EXIT_INSTALLED_ELSEWHERE, EXIT_NOT_INSTALLED = 145, 183, 1605


def env():
    environment = dict(os.environ)
    environment.update({"WINEPREFIX": str(PREFIX), "WINEARCH": "win32",
                        "WINEDLLOVERRIDES": "mscoree,mshtml=", "WINEDEBUG": "-all"})
    return environment


def wine(*args, timeout=120):
    return subprocess.run(["wine", *map(str, args)], env=env(), capture_output=True, text=True, timeout=timeout)


@pytest.fixture(scope="module")
def prefix(display):
    """A prefix of its own, made for these tests, with its own wineserver."""
    if not SETUP.exists():
        pytest.fail(f"{SETUP} is missing: tools/build.sh builds it")
    shutil.rmtree(PREFIX, ignore_errors=True)
    PREFIX.mkdir(parents=True)
    subprocess.run(["wineboot", "-i"], env=env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=300)
    subprocess.run(["wineserver", "-w"], env=env(), timeout=300)
    # Wine's services inherit the output of the first program: keep them off ours.
    subprocess.run(["wineserver", "-p"], env=env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wine", "cmd", "/c", "exit"], env=env(), stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
    # The setup starts the program with the shell's token, as on Windows, where
    # a signed-in user always has one; Wine runs no shell window of its own.
    shell = subprocess.Popen(["wine", str(BIN / "WinProbe.exe"), "shell"], env=env(), stdin=subprocess.DEVNULL,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    assert shell.stdout.readline().strip() == "shell=1", "the test shell did not become the shell window"
    yield PREFIX
    shell.kill()
    shell.wait()
    subprocess.run(["wineserver", "-k"], env=env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def registry(key_path):
    """The values of a key: {name: (type, data)}; None when the key is missing."""
    result = wine("reg", "query", key_path)
    if result.returncode != 0:
        return None
    values = {}
    for line in result.stdout.splitlines():
        parts = line.strip().split("    ")
        if len(parts) == 3:
            values[parts[0]] = (parts[1], parts[2])
    return values


def probe(*args):
    result = wine(BIN / "WinProbe.exe", *args, timeout=60)
    line = result.stdout.strip().splitlines()[-1] if result.stdout.strip() else ""
    return dict(part.split("=", 1) for part in line.split() if "=" in part)


def program_processes():
    """Pids of SkivolMouse.exe processes of this prefix (not of other prefixes)."""
    pids = []
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            cmdline = (entry / "cmdline").read_bytes()
            environ = (entry / "environ").read_bytes().split(b"\0")
        except OSError:
            continue
        if b"SkivolMouse.exe" in cmdline and f"WINEPREFIX={PREFIX}".encode() in environ:
            pids.append(int(entry.name))
    return pids


def hidden_in_tray():
    window = probe("window", MAIN_TITLE)
    return window.get("found") == "1" and window.get("visible") == "0" and \
        probe("tray", MAIN_TITLE, TRAY_ICON_ID).get("present") == "1"


def run_silently(program, *args, trace=None):
    """The exit code. Output not captured: the processes that setup and
    uninstaller start would hold the pipes open; `trace`, a file for Wine's
    trace of the security calls."""
    environment = env()
    if trace:
        environment["WINEDEBUG"] = "trace+advapi,trace+security"
    with open(trace or os.devnull, "w") as errors:
        return subprocess.run(["wine", str(program), *args], env=environment, stdout=subprocess.DEVNULL,
                              stderr=errors, timeout=300).returncode


def folder_option(folder):
    """/D= as a setup takes it: unquoted, so word by word to Wine."""
    return f"/D={folder}".split(" ")


def install(*options, trace=None):
    assert run_silently(SETUP, "/S", *options, trace=trace) == 0
    wait_for(lambda: (INSTALL_DIR / "uninstall.exe").exists(), message="the setup to finish")


ADMINS, SYSTEM, USERS = "S-1-5-32-544", "S-1-5-18", "S-1-5-32-545"
GRANT, SET = 1, 2


def security_calls(trace):
    """The rights the setup set, from Wine's trace (Wine keeps no access lists): per SetNamedSecurityInfoW,
    (path, what it sets, owner SID, [(SID, rights, mode, inheritance)] of the SetEntriesInAclW before it).
    Each entry's SID is the one converted for it: the setup converts them in the entries' order, and the
    owner is the entry whose SID it points at."""
    calls, converted, entries = [], [], []
    for line in trace.splitlines():
        if found := re.search(r'ConvertStringSidToSidW L"(.*?)"', line):
            converted.append(found[1])
        elif re.search(r"SetEntriesInAclW \d+ ", line):
            entries = []
        elif found := re.search(r"grfAccessPermissions = (0x\w+)", line):
            entries.append([int(found[1], 16)])
        elif found := re.search(r"(?:grfAccessMode|grfInheritance) = (\w+)", line):
            entries[-1].append(int(found[1], 0))
        elif found := re.search(r"ptstrName = (\w+)", line):
            entries[-1].append(found[1])
        elif found := re.search(r'SetNamedSecurityInfoW L"(.*?)" 1 (-?\d+) (\w+)', line):
            sids = dict(zip((entry[3] for entry in entries), converted[-len(entries):]))
            calls.append((found[1], int(found[2]) % 2**32, sids.get(found[3]),
                          [(sids[pointer], rights, mode, inheritance) for rights, mode, inheritance, pointer in entries]))
            converted = []
    # Whoever else the setup named, never everyone, nor every signed-in user.
    assert not {"S-1-1-0", "S-1-5-11"} & {sid for call in calls for sid, *_ in call[3]}
    return calls


def started_with_the_shells_token(trace):
    """The one running copy was started by the setup with the token of the shell's process, the signed-in
    user's, never with the setup's own. Wine's CreateProcessWithTokenW starts it with the caller's token
    whatever it is given, so it is the call in the setup's trace that is checked, not the copy's token."""
    return len(program_processes()) == 1 and \
        re.search(r"CreateProcessWithTokenW .*SkivolMouse\.exe", trace.read_text(errors="replace")) is not None


def test_command_line_values_are_refused_or_taken_before_the_language_page(prefix):
    for option in ("/LANG=9999", "/LANG=abc", "/AUTOSTART=2", "/AUTOSTART=false"):
        assert run_silently(SETUP, "/S", option) == EXIT_BAD_OPTION, option
    assert not INSTALL_DIR.exists()
    # Cancel on the language page is a cancel, as on every other page.
    setup = subprocess.Popen(["wine", str(SETUP)], env=env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                             start_new_session=True)
    try:
        wait_for(lambda: "title=Skivol Gaming Mouse 1.01" in wine(BIN / "WinProbe.exe", "foreground").stdout,
                 message="the language page taking keys")
        # What Escape or the Cancel button tells the page; keys from X reach
        # the window under the pointer, which need not be this one.
        probe("post", "Skivol Gaming Mouse 1.01", WM_COMMAND, IDCANCEL, 0)
        assert setup.wait(timeout=DEADLINE) == 1
    finally:
        if setup.poll() is None:
            os.killpg(setup.pid, signal.SIGKILL)
            setup.wait()
    # Shown, a language given opens the German welcome page, not the language page.
    setup = subprocess.Popen(["wine", str(SETUP), "/LANG=1031"], env=env(), stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        find_window("Installation von Skivol Gaming Mouse")
    finally:
        os.killpg(setup.pid, signal.SIGKILL)
        setup.wait()


def test_folders_that_are_not_its_own_are_refused_untouched(prefix):
    shared = PREFIX / "drive_c" / "Shared"
    (shared / "sub").mkdir(parents=True)
    for name in ("setting.dat", "lang.ini", "other.txt"):
        (shared / name).write_text("another program's")
    before = sorted((path, path.read_bytes() if path.is_file() else None) for path in shared.rglob("*"))
    user = os.environ.get("USER") or "root"
    for folder, code in ((r"Tools\Skivol", EXIT_BAD_OPTION), ("C:\\", EXIT_BAD_OPTION), ("C:", EXIT_BAD_OPTION),
                         (r"C:\windows", EXIT_BAD_OPTION), (r"C:\windows\system32\Skivol", EXIT_BAD_OPTION),
                         (r"C:\Program Files", EXIT_BAD_OPTION), ("C:\\Program Files\\..\\PROGRAM FILES\\", EXIT_BAD_OPTION),
                         (rf"C:\users\{user}\Skivol", EXIT_BAD_OPTION), (r"C:\users\Public\Skivol", EXIT_BAD_OPTION),
                         (r"C:\Shared", EXIT_FOLDER_IN_USE), (r"C:\Shared\other.txt", EXIT_FOLDER_IN_USE)):
        assert run_silently(SETUP, "/S", *folder_option(folder)) == code, folder
    assert sorted((path, path.read_bytes() if path.is_file() else None) for path in shared.rglob("*")) == before
    assert registry(UNINSTALL_KEY) is None
    assert not (PREFIX / "drive_c" / "Tools").exists() and not INSTALL_DIR.exists()


def test_silent_install_puts_everything_in_place(prefix, tmp_path):
    install("/LANG=1036", trace=tmp_path / "trace.txt")
    for name in ("SkivolMouse.exe", "lang.ini", "setting.dat", "profiles.ini", "uninstall.exe"):
        assert (INSTALL_DIR / name).is_file(), name
    assert (INSTALL_DIR / "profiles.ini").read_bytes() == b""
    assert (INSTALL_DIR / "setting.dat").read_bytes() == (ROOT / "build" / "installer" / "setting.dat").read_bytes()
    assert (INSTALL_DIR / "lang.ini").read_bytes() == (ROOT / "res" / "lang.ini").read_bytes()
    assert SHORTCUT.is_file()
    assert "FileDescription\0\0Skivol Gaming Mouse Uninstall\0".encode("utf-16-le") in \
        (INSTALL_DIR / "uninstall.exe").read_bytes()

    assert registry(PRODUCT_KEY)["Language"] == ("REG_SZ", "1036")
    program = r"C:\Program Files\Skivol Gaming Mouse\SkivolMouse.exe"
    assert registry(RUN_KEY)["Skivol Gaming Mouse"] == ("REG_SZ", f'"{program}" /hide')
    entry = {name: data for name, (_, data) in registry(UNINSTALL_KEY).items()}
    assert entry.items() >= {
        "DisplayName": "Skivol Gaming Mouse", "DisplayVersion": "1.01", "Publisher": "Skivol",
        "DisplayIcon": program + ",0", "NoModify": "0x1", "NoRepair": "0x1",
        "QuietUninstallString": r'"C:\Program Files\Skivol Gaming Mouse\uninstall.exe" /S _?=C:\Program Files\Skivol Gaming Mouse'}.items()
    assert int(entry["EstimatedSize"], 16) > 0

    # The folder's own rights, inherited from nothing above it, owned by the administrators; Users may change
    # what setting.dat and profiles.ini hold, but not delete them (0x10000).
    folder = r"C:\\Program Files\\Skivol Gaming Mouse"
    full, read_execute, change, to_all = 0x1F01FF, 0x1200A9, 0x1201BF, 3
    assert security_calls((tmp_path / "trace.txt").read_text(errors="replace")) == [
        (folder, 0x80000005, ADMINS, [(ADMINS, full, SET, to_all), (SYSTEM, full, SET, to_all),
                                      (USERS, read_execute, SET, to_all)]),
        (folder + r"\\setting.dat", 4, None, [(USERS, change, GRANT, 0)]),
        (folder + r"\\profiles.ini", 4, None, [(USERS, change, GRANT, 0)])]


def test_run_command_starts_hidden_with_a_tray_icon_that_survives_a_shell_restart(prefix):
    command = registry(RUN_KEY)["Skivol Gaming Mouse"][1]
    program, switch = command.rsplit(" ", 1)
    started = subprocess.Popen(["wine", program.strip('"'), switch], env=env(), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    wait_for(hidden_in_tray, message="the program hidden in the tray")

    # A restarted shell has forgotten every icon and says so with a broadcast.
    assert probe("tray-forget", MAIN_TITLE, TRAY_ICON_ID).get("present") == "0"
    probe("broadcast", "TaskbarCreated")
    wait_for(lambda: probe("tray", MAIN_TITLE, TRAY_ICON_ID).get("present") == "1",
             message="the icon added again")
    assert started.poll() is None


def test_install_over_a_running_copy_ends_it_keeps_settings_and_starts_the_new_one(prefix, tmp_path):
    before = program_processes()
    assert before
    # Settings of the user, which an update must not replace.
    settings = INSTALL_DIR / "setting.dat"
    mine = bytearray(settings.read_bytes())
    mine[136:140] = (7).to_bytes(4, "little")
    settings.write_bytes(bytes(mine))
    profiles = INSTALL_DIR / "profiles.ini"
    profiles.write_bytes(b"[game.exe]\r\nwheel=double-click\r\n")

    # Never a second copy beside the first: the update goes where it is installed.
    assert run_silently(SETUP, "/S", *folder_option(r"C:\Other")) == EXIT_INSTALLED_ELSEWHERE
    assert not (PREFIX / "drive_c" / "Other").exists()
    assert set(program_processes()) == set(before)

    install("/LANG=1031", *folder_option("C:\\program files\\skivol gaming mouse\\"), trace=tmp_path / "trace.txt")
    wait_for(lambda: not set(before) & set(program_processes()), message="the old copy to end")
    assert settings.read_bytes() == bytes(mine)
    assert profiles.read_bytes() == b"[game.exe]\r\nwheel=double-click\r\n"
    assert registry(PRODUCT_KEY)["Language"] == ("REG_SZ", "1031")
    # "Start with Windows" is on: the new copy runs, hidden, as at sign-in.
    wait_for(hidden_in_tray, message="the new copy hidden in the tray")
    assert started_with_the_shells_token(tmp_path / "trace.txt")


def test_start_with_windows_is_kept_as_chosen_and_an_update_restarts_the_running_copy(prefix, tmp_path):
    for round, (options, run_value) in enumerate(((["/AUTOSTART=0"], False), ([], False), (["/AUTOSTART=1"], True),
                                                  ([], True))):
        before = program_processes()
        trace = tmp_path / f"trace{round}.txt"
        install(*options, trace=trace)
        assert ("Skivol Gaming Mouse" in registry(RUN_KEY)) == run_value, options
        # Off or on, what ran before runs again, as the signed-in user.
        wait_for(lambda: not set(before) & set(program_processes()) and hidden_in_tray(),
                 message="the new copy hidden in the tray")
        assert started_with_the_shells_token(trace)


def test_an_update_over_a_copy_that_does_not_end_fails(prefix):
    stopped = program_processes()
    for pid in stopped:
        os.kill(pid, signal.SIGSTOP)
    try:
        assert run_silently(SETUP, "/S") == EXIT_STILL_RUNNING
    finally:
        for pid in stopped:
            os.kill(pid, signal.SIGCONT)
    # The request it did not answer was withdrawn: woken, the copy goes on running. A show request
    # after it is served once the watch has passed the close request, which comes first.
    subprocess.run(["wine", str(INSTALL_DIR / "SkivolMouse.exe")], env=env(), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=120)
    wait_for(lambda: probe("window", MAIN_TITLE).get("visible") == "1", message="the window shown")
    # A copy that took the request after all would be ending now: an end that
    # no later answer of its can show to be absent, so it is watched for.
    never_within(lambda: set(program_processes()) != set(stopped), 3, message="the copy's end")


def test_an_update_that_cannot_replace_every_file_replaces_none_and_restarts_the_copy(prefix, tmp_path):
    before = program_processes()
    assert before
    program = INSTALL_DIR / "SkivolMouse.exe"
    changed = program.stat().st_ctime_ns
    holder = subprocess.Popen(["wine", str(BIN / "WinProbe.exe"), "hold",
                               r"C:\Program Files\Skivol Gaming Mouse\lang.ini"],
                              env=env(), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                              start_new_session=True)
    try:
        assert holder.stdout.readline().strip() == "held=1"
        assert run_silently(SETUP, "/S", trace=tmp_path / "trace.txt") == EXIT_STILL_RUNNING
        assert program.stat().st_ctime_ns == changed
    finally:
        os.killpg(holder.pid, signal.SIGKILL)
        holder.wait()
    # Closed for the update, the copy runs again all the same.
    wait_for(lambda: not set(before) & set(program_processes()) and hidden_in_tray(),
             message="the copy started again")
    assert started_with_the_shells_token(tmp_path / "trace.txt")


def test_silent_uninstall_ends_the_program_and_removes_everything(prefix):
    assert program_processes()
    # A file of the user's own stays, and the exit code says that the folder does.
    (INSTALL_DIR / "mine.txt").write_text("mine")
    quiet = registry(UNINSTALL_KEY)["QuietUninstallString"][1]
    program, arguments = quiet[1:].split('" ', 1)
    # Pointed at another folder, it removes nothing at all.
    installed = sorted(INSTALL_DIR.iterdir())
    for folder in (r"C:\Nowhere", r"C:\Program Files", r"C:\Program Files\Skivol Gaming Mouse\sub"):
        # Wine hands on the low byte of an exit code.
        assert run_silently(program, "/S", *f"_?={folder}".split(" ")) == EXIT_NOT_INSTALLED % 256, folder
    assert sorted(INSTALL_DIR.iterdir()) == installed
    assert registry(UNINSTALL_KEY) is not None and program_processes()
    # Word by word, so that Wine passes "_?=" and its folder on unquoted, as written.
    assert run_silently(program, *arguments.split(" ")) == 2
    # It returned when done. Wine cannot move a running program aside, so there the
    # uninstaller itself goes at the next restart.
    assert {path.name for path in INSTALL_DIR.iterdir()} - {"uninstall.exe"} == {"mine.txt"}
    assert not program_processes()
    assert not SHORTCUT.exists()
    assert registry(PRODUCT_KEY) is None
    assert registry(UNINSTALL_KEY) is None
    assert "Skivol Gaming Mouse" not in (registry(RUN_KEY) or {})


def test_a_folder_made_on_the_way_is_protected_too(prefix, tmp_path):
    """C:\\ lets users change what is made in it: a C:\\Tools they could rename away would let them put a
    program of their own where the Run value looks."""
    install("/AUTOSTART=0", *folder_option(r"C:\Tools\Skivol Gaming Mouse"), trace=tmp_path / "trace.txt")
    trace = (tmp_path / "trace.txt").read_text(errors="replace")
    folder = r"C:\\Tools\\Skivol Gaming Mouse"
    protected = [(ADMINS, 0x1F01FF, SET, 3), (SYSTEM, 0x1F01FF, SET, 3), (USERS, 0x1200A9, SET, 3)]
    assert security_calls(trace)[:2] == [(r"C:\\Tools", 0x80000005, ADMINS, protected),
                                         (folder, 0x80000005, ADMINS, protected)]
    assert registry(UNINSTALL_KEY)["InstallLocation"][1] == r"C:\Tools\Skivol Gaming Mouse"
    tools = PREFIX / "drive_c" / "Tools" / "Skivol Gaming Mouse"
    assert run_silently(tools / "uninstall.exe", "/S", *r"_?=C:\Tools\Skivol Gaming Mouse".split(" ")) == 0
    assert {path.name for path in tools.iterdir()} <= {"uninstall.exe"}
    assert registry(UNINSTALL_KEY) is None
