"""Long run of the utility under Wine with the virtual mouse, doing what a user
and the mouse do all day, while the process's resources are watched.

Each round: remapped buttons pressed (window shown, hidden, and with the
"Key" dialog open), a DPI box clicked and the slider moved, the mouse's own
DPI button, an assignment changed through its combo box, the "Key" dialog
opened and closed, the window hidden with "X" and brought back by a later
copy, the mouse (with a button held) and the second mouse unplugged and
plugged in again. After every round nothing may be held
on either mouse and setting.dat must be whole.

At the start (after four warm-up rounds, which also adds the second mouse) and
every few minutes it prints private memory, handles, GDI and USER objects and
threads of the process. Any growth of a count over the start (handles: more
than --handle-slack over it, for those made on a late first use), something
held, or a damaged setting.dat fails the run (exit status 1). Private memory is read
after every round too. Under Wine it rises for a while and then levels off
(Wine's own memory settling: its malloc arena, thread stacks and TEBs at a new
peak of threads alive at once), so it fails a run when it ends more than
--memory-slack-kib above the start and, in a run of --trend-after minutes or
more, is still growing in the run's last half: the least-squares slope of the
readings there above --memory-trend-kib-per-hour. Steady growth (a leak) does
both; a rise that has levelled off does not.

  python3 tools/soak.py [--minutes N] [--every M] [--memory-slack-kib K]
  python3 tools/soak.py --repeat ACTION [--times N]

--repeat does one round to warm up, then only ACTION, N times, and prints the
figures (with the heap's, from the virtual mouse's `heap` command) before, at
every quarter and after: which action, if any, makes memory grow.

Needs DISPLAY and a wineserver for build/wineprefix (tools/soak.sh sets them
up) and the Windows build (build/bin).
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from conftest import (BIN, BUTTON_4TH, BUTTON_5TH, KEY_SHORTCUT, MAIN_TITLE, VirtualMouse,  # noqa: E402
                      WinProcess, click, find_window, free_port, key, probe, settings_record, wait_for)
from mouse_checks import held, mouse_state  # noqa: E402
from window_actions import (IDC_COMBO_5TH, IDC_COMBO_WHEEL, IDC_DPI_SLIDER, IDC_KEY_EDIT, IDCANCEL, IDOK,  # noqa: E402
                            KEY_TITLE, SHORTCUTS_ITEM, choose_item, click_key_dialog_button)

EXE = "SkivolMouseVirtual.exe"
CLOSE_BUTTON = (585 + 12, 10 + 12)
COUNTERS = ("handles", "gdi", "user", "threads")

# Wheel: Ctrl+C through the mouse; "Button 4th" (bit 4): the mouse's fifth
# button; "Button 5th" (bit 3): its fourth. The right button stays its own.
VALID_FUNCTIONS = {0, 1, 4, 5, 6, 7, 8, 9, 10, 11}


def settings_problem(path):
    """None when setting.dat is whole and every value in range, else why not."""
    try:
        data = path.read_bytes()
    except OSError as error:
        return f"unreadable ({error})"
    if len(data) != 156:
        return f"{len(data)} bytes"
    if data[:8] != b"\x07_@_SF3_":
        return "marker damaged"
    values = struct.unpack_from("<37i", data, 8)
    for index in range(8):
        modifiers, _, function, mask = values[4 * index:4 * index + 4]
        if function not in VALID_FUNCTIONS or not 0 <= modifiers <= 0xFF:
            return f"slot {index} holds {values[4 * index:4 * index + 4]}"
        if mask != (1 << (function - 4) if 4 <= function <= 8 else 0):
            return f"slot {index} mask {mask} for function {function}"
    if not all(0 <= s <= 7 for s in values[32:36]) or not 0 <= values[36] <= 3:
        return f"DPI values {values[32:]}"
    return None


class Soak:
    def __init__(self, args):
        self.args = args
        self.folder = Path(tempfile.mkdtemp(prefix="skivol-soak-"))
        shutil.copy(BIN / EXE, self.folder / EXE)
        (self.folder / "setting.dat").write_bytes(settings_record({2: KEY_SHORTCUT, 3: BUTTON_4TH, 4: BUTTON_5TH},
                                                                     shortcut=(0x01, 0x2E)))
        self.port = free_port()
        self.env = {"SKIVOL_VMOUSE_PORT": str(self.port)}
        self.mouse = VirtualMouse(self.port)
        self.process = None
        self.round = 0
        self.failures = []
        self.slider = None
        self.base = None
        self.memory = []  # (minutes since the start, private bytes) after each round

    # --- the program -----------------------------------------------------
    def start(self):
        self.process = WinProcess(EXE, self.folder, env=self.env)
        self.wid = find_window(MAIN_TITLE, timeout=60)
        self.mouse.command("state", timeout=60)
        self.wait_enabled(True)
        info = probe("control", MAIN_TITLE, IDC_DPI_SLIDER)
        self.slider = tuple(int(v) for v in info["rect"].split(","))

    def stop(self):
        if self.process and self.process.running():
            closer = WinProcess(EXE, self.folder, args=["/close"], env=self.env)
            try:
                closer.wait_exit(60)
                self.process.wait_exit(60)
            except AssertionError:
                closer.stop()
                self.process.stop()
        if self.failures:
            print(f"the run's folder is kept: {self.folder}", flush=True)
        else:
            shutil.rmtree(self.folder, ignore_errors=True)

    def visible(self):
        return probe("window", MAIN_TITLE).get("visible") == "1"

    def wait_enabled(self, enabled):
        want = "1" if enabled else "0"
        wait_for(lambda: probe("control", MAIN_TITLE, IDC_COMBO_WHEEL).get("enabled") == want, timeout=60,
                 message=f"the combo boxes {'enabled' if enabled else 'disabled'}")

    def ok(self, line, device=""):
        answer = self.mouse.command(f"{line} {device}".strip())
        if answer != "ok":
            raise AssertionError(f"'{line} {device}' answered '{answer}'")

    def state(self, device="mouse"):
        return mouse_state(self.mouse.command(f"state {device}"))

    # --- what a user and the mouse do ------------------------------------
    def press_remapped_buttons(self):
        wait_for(lambda: self.state()["mask"] == "1C", timeout=60, message="buttons 2, 3, 4 in the report mask")
        for byte in ("04", "08", "10", "1C", "0C"):
            self.ok(f"buttons {byte}")
            self.ok("buttons 00")

    def choose_item(self, combo_id, index):
        choose_item(self.wid, combo_id, index)

    def change_dpi_from_window(self):
        level = self.round % 4
        click(self.wid, 50 + 30 * level, 378)  # that level's box
        wait_for(lambda: self.state()["level"] == str(level), message=f"level {level} on the mouse")
        left, top, right, bottom = self.slider
        # The thumb moves toward a click on its channel: a quarter or three
        # quarters along, by turns.
        x = left + (right - left) * (1 if self.round % 2 else 3) // 4
        click(self.wid, x, (top + bottom) // 2)

    def press_dpi_button(self):
        before = int(self.state()["level"])
        self.ok("dpibutton")
        wait_for(lambda: self.state()["level"] == str((before + 1) % 4), message="the DPI button's next level")

    def change_assignment(self):
        # "Button 5th" to the mouse's fourth button (as in the file) or its own.
        own = self.round % 2 == 1
        self.choose_item(IDC_COMBO_5TH, 4 if own else 3)
        want = 0 if own else BUTTON_4TH
        settings = self.folder / "setting.dat"
        wait_for(lambda: struct.unpack_from("<i", settings.read_bytes(), 8 + 16 * 3 + 8)[0] == want,
                 message="the assignment saved")
        if own:  # back as it was, so that the mask stays the same for the next round
            self.choose_item(IDC_COMBO_5TH, 3)
            wait_for(lambda: struct.unpack_from("<i", settings.read_bytes(), 8 + 16 * 3 + 8)[0] == BUTTON_4TH,
                     message="the assignment saved")

    def key_dialog(self):
        self.choose_item(IDC_COMBO_WHEEL, SHORTCUTS_ITEM)
        find_window(KEY_TITLE)
        # The dialog's own loop carries out remapped buttons too; the wheel's
        # Ctrl+C, typed by the mouse, is what the dialog then shows.
        self.press_remapped_buttons()

        def named():
            if probe("control", KEY_TITLE, IDC_KEY_EDIT).get("text") == "Ctrl + C":
                return True
            key("ctrl+c")  # again: the first press may come before the dialog has the focus
            return False
        wait_for(named, interval=1, message="the shortcut in the Key dialog")
        click_key_dialog_button(IDOK if self.round % 2 else IDCANCEL)

    def hide_and_show(self):
        click(self.wid, *CLOSE_BUTTON)
        wait_for(lambda: not self.visible(), message="the window hidden by X")
        self.press_remapped_buttons()  # raw input goes on while hidden
        later = WinProcess(EXE, self.folder, env=self.env)
        later.wait_exit(60)
        wait_for(self.visible, message="the window back")
        self.wid = find_window(MAIN_TITLE)

    def replug(self):
        # The controls follow the presence of any mouse: both go, then both
        # come back, one after the other.
        # The mouse goes while its wheel holds Ctrl+C.
        self.ok("buttons 04")
        wait_for(lambda: self.state()["modifiers"] == "01", message="Ctrl held for the wheel")
        self.ok("unplug")
        self.ok("unplug", "mouse2")
        self.wait_enabled(False)
        self.ok("plug")
        self.wait_enabled(True)
        wait_for(lambda: self.state()["mask"] == "1C", timeout=60, message="the mouse told again")
        self.ok("plug", "mouse2")
        wait_for(lambda: self.state("mouse2")["mask"] == "1C", timeout=60, message="the second mouse told again")

    def one_round(self):
        self.press_remapped_buttons()
        self.change_dpi_from_window()
        self.press_dpi_button()
        self.change_assignment()
        self.key_dialog()
        self.hide_and_show()
        self.replug()
        self.press_remapped_buttons()
        # The virtual mouse keeps the newest 4096 transfers for `frames`; read
        # them, so that its log does not pass for the program's memory.
        self.mouse.command("frames")
        self.round += 1

    def control_commands(self):
        # A connection for each command.
        for _ in range(20):
            self.state()

    ACTIONS = {
        "press": "press_remapped_buttons", "dpi-window": "change_dpi_from_window", "dpi-button": "press_dpi_button",
        "assignment": "change_assignment", "key-dialog": "key_dialog", "hide-show": "hide_and_show",
        "replug": "replug", "commands": "control_commands", "round": "one_round",
    }

    def heap(self, sizes=False):
        line = self.mouse.command("heap sizes" if sizes else "heap")
        return dict(part.replace(":", "=").split("=", 1) for part in line.split()[1:] if "=" in part or ":" in part)

    def repeat(self, action, times):
        self.start()
        self.ok("add second-mouse")
        self.one_round()
        do = getattr(self, self.ACTIONS[action])

        def show(label):
            values = self.counters(pick=max) if self.base is None else self.counters()
            if self.base is None:
                self.base = values
            heap = self.heap()
            print(f"{label:>12}  private {int(values['private']) // 1024:7d} KiB  heap busy "
                  f"{int(heap.get('busy', 0)) // 1024:6d} KiB in {heap.get('blocks', '?'):>6} blocks, committed "
                  f"{int(heap.get('committed', 0)) // 1024:6d} KiB, {heap.get('heaps', '?')} heaps  "
                  f"handles {values['handles']:>4}  gdi {values['gdi']:>4}  user {values['user']:>4}  "
                  f"threads {values['threads']:>3}", flush=True)
        show("before")
        first = self.heap(sizes=True)
        for done in range(1, times + 1):
            do()
            if action != "round":
                self.round += 1
                self.mouse.command("frames")  # the virtual mouse's transfer log is not the program's memory
            if done % max(1, times // 4) == 0 or done == times:
                show(f"{action} x{done}")
        last = self.heap(sizes=True)
        grown = sorted(((int(last.get(k, 0)) - int(first.get(k, 0))) * int(k), k, int(last.get(k, 0)) - int(first.get(k, 0)))
                       for k in set(first) | set(last) if k.isdigit())
        print("heap blocks in use that grew most (size: more blocks): " +
              ", ".join(f"{k}: {n:+d}" for _, k, n in reversed(grown[-12:]) if n > 0), flush=True)
        self.failures += self.checks()

    # --- watching -----------------------------------------------------------
    def unix_private_bytes(self):
        """Private memory of the program's Unix process, for where the system
        reports none for another process: its anonymous pages, resident and
        swapped out. Pages of files it maps (DLLs, fonts) are left out: they
        count as private or shared by whether another Wine process happens
        to map them at that moment, so they move when a service or another
        program comes or goes, while nothing the program holds has changed."""
        group = self.process.proc.pid
        for entry in Path("/proc").iterdir():
            if not entry.name.isdigit():
                continue
            try:
                if os.getpgid(int(entry.name)) != group:
                    continue
                if EXE.encode() not in (entry / "cmdline").read_bytes():
                    continue
                total = 0
                for line in (entry / "smaps_rollup").read_text().splitlines():
                    name, _, rest = line.partition(":")
                    if name in ("Anonymous", "Swap"):
                        total += int(rest.split()[0]) * 1024
                return total
            except (OSError, ValueError):
                continue
        return 0

    def probe_process(self):
        values = probe("process", EXE)
        if values.get("found") != "1":
            raise AssertionError("the utility is not running")
        values["memory_method"] = "PrivateUsage"
        if int(values["private"]) == 0:
            values["private"] = str(self.unix_private_bytes())
            values["memory_method"] = "Unix process anonymous pages"
        return values

    def counters(self, pick=min):
        """The process's figures from a few readings a second apart: each
        count is the least of them (pick=min), so that what a re-scan or a
        feature transfer holds for a moment is not taken for growth, or the
        most (pick=max), so that a handle a re-scan closes and opens again is
        counted in the start figures."""
        best = None
        for attempt in range(4):
            if attempt:
                time.sleep(1)
            values = self.probe_process()
            if best is None:
                best = values
                continue
            for name in COUNTERS + ("private",):
                chosen = pick(int(values[name]), int(best[name]))
                if name == "handles" and chosen != int(best[name]):
                    best["handle_kinds"] = values.get("handle_kinds", "")
                best[name] = str(chosen)
            if pick is min and attempt >= 2 and all(int(best[n]) <= int(self.base[n]) for n in COUNTERS):
                break
        return best

    def checks(self):
        problems = []
        for device in ("mouse", "mouse2"):
            # The last release is on its way through the program for a moment.
            what = ""
            end = time.monotonic() + 15
            while True:
                what = held(self.state(device))
                if not what or time.monotonic() > end:
                    break
                time.sleep(0.2)
            if what:
                problems.append(f"{device} holds {what}")
        problem = None
        for _ in range(3):  # a read may meet the file while it is being replaced
            problem = settings_problem(self.folder / "setting.dat")
            if not problem:
                break
            time.sleep(0.5)
        if problem:
            problems.append(f"setting.dat {problem}")
        return problems

    def report(self, started, values, problems):
        minutes = (time.monotonic() - started) / 60
        # The program's own allocations, beside the process's memory: a leak
        # of the program's shows in both, Wine's settling in the latter alone.
        busy = int(self.heap().get("busy", 0)) // 1024
        line = (f"{minutes:6.1f} min  round {self.round:4d}  private {int(values['private']) // 1024:7d} KiB  "
                f"heap busy {busy:6d} KiB  "
                f"handles {values['handles']:>4}  gdi {values['gdi']:>4}  user {values['user']:>4}  "
                f"threads {values['threads']:>3}  setting.dat "
                f"{'intact' if not any(p.startswith('setting.dat') for p in problems) else 'DAMAGED'}  "
                f"held {'nothing' if not any('holds' in p for p in problems) else 'SOMETHING'}")
        print(line, flush=True)
        for p in problems:
            print(f"         ! {p}", flush=True)

    def private_now(self):
        if self.base["memory_method"] == "PrivateUsage":
            return int(self.probe_process()["private"])
        return self.unix_private_bytes()

    def memory_trend(self, minutes):
        """Least-squares slope, in KiB an hour, of the private memory read in
        the last half of a run of `minutes`, and how many readings it rests on."""
        last = [(t, b) for t, b in self.memory if t >= minutes / 2 and b > 0]
        if len(last) < 2:
            return None, len(last)
        mean_t = sum(t for t, _ in last) / len(last)
        mean_b = sum(b for _, b in last) / len(last)
        spread = sum((t - mean_t) ** 2 for t, _ in last)
        if spread == 0:
            return None, len(last)
        slope = sum((t - mean_t) * (b - mean_b) for t, b in last) / spread  # bytes a minute
        return slope * 60 / 1024, len(last)

    @staticmethod
    def kinds_grown(before, after):
        """Which kinds of handle there are more of, from WinProbe's
        handle_kinds ("Key:25,Event:10"), as " (Key +1)"; "" when not told."""
        def parse(text):
            return {k: int(n) for k, _, n in (part.partition(":") for part in text.split(",") if ":" in part)}
        old, new = parse(before or ""), parse(after or "")
        more = [f"{k} {new[k] - old.get(k, 0):+d}" for k in sorted(new) if new[k] > old.get(k, 0)]
        return f" ({', '.join(more)})" if more else ""

    def compare(self, values, minutes):
        def allowed(name):
            return int(self.base[name]) + (self.args.handle_slack if name == "handles" else 0)
        grown = [f"{n} {self.base[n]} -> {values[n]}" for n in COUNTERS if int(values[n]) > allowed(n)]
        if int(values["handles"]) > int(self.base["handles"]):
            if int(values["handles"]) <= allowed("handles"):
                print(f"handles {self.base['handles']} -> {values['handles']}"
                      f"{self.kinds_grown(self.base.get('handle_kinds'), values.get('handle_kinds'))}: "
                      f"within the {self.args.handle_slack} allowed", flush=True)
            grown = [g + self.kinds_grown(self.base.get("handle_kinds"), values.get("handle_kinds"))
                     if g.startswith("handles ") else g for g in grown]
        start_kib, end_kib = int(self.base["private"]) // 1024, int(values["private"]) // 1024
        over = end_kib > start_kib + self.args.memory_slack_kib
        if self.args.minutes >= self.args.trend_after:
            trend, count = self.memory_trend(minutes)
            limit = self.args.memory_trend_kib_per_hour
            if trend is None:
                print("private memory in the last half: too few readings to judge its trend", flush=True)
            else:
                print(f"private memory in the last half: {trend:+.0f} KiB an hour over {count} readings "
                      f"({limit} allowed); {start_kib} -> {end_kib} KiB from the start "
                      f"({self.args.memory_slack_kib} allowed)", flush=True)
            if over and (trend is None or trend > limit):
                grown.append(f"private {start_kib} -> {end_kib} KiB and still growing "
                             f"({'trend unknown' if trend is None else f'{trend:+.0f} KiB an hour'} in the last half)")
        elif over:
            grown.append(f"private {start_kib} -> {end_kib} KiB")
        return grown

    def run(self):
        self.base = None
        started = time.monotonic()
        self.start()
        self.ok("add second-mouse")
        # Warm-up: every DPI level and both ways out of the "Key" dialog, twice;
        # what is made once on first use is made by then. The start figures
        # are the highest of the last three warm-up rounds, later ones the
        # lowest of their readings: only what stays counts as growth.
        readings = []
        for warm in range(4):
            self.one_round()
            if warm >= 1:
                readings.append(self.counters(pick=max))
        self.base = dict(readings[-1])
        self.base["handle_kinds"] = max(readings, key=lambda r: int(r["handles"])).get("handle_kinds", "")
        for name in COUNTERS:
            self.base[name] = str(max(int(r[name]) for r in readings))
        print(f"counted with: handles {self.base['handle_method']}, GDI {self.base['gdi_method']}, "
              f"USER {self.base['user_method']}, private memory {self.base['memory_method']}", flush=True)
        if self.args.minutes >= self.args.trend_after:
            print(f"fails on: a count above its start figure (handles: more than {self.args.handle_slack} above it); "
                  f"private memory more than "
                  f"{self.args.memory_slack_kib} KiB above its start figure at the end while still growing in the "
                  f"run's last half (least-squares slope of a reading after every round above "
                  f"{self.args.memory_trend_kib_per_hour} KiB an hour)", flush=True)
        else:
            print(f"fails on: a count above its start figure (handles: more than {self.args.handle_slack} above it); "
                  f"private memory more than "
                  f"{self.args.memory_slack_kib} KiB above its start figure at the end", flush=True)
        problems = self.checks()
        self.report(started, self.base, problems)
        self.failures += problems
        deadline = started + self.args.minutes * 60
        next_report = time.monotonic() + self.args.every * 60
        while time.monotonic() < deadline:
            self.one_round()
            self.memory.append(((time.monotonic() - started) / 60, self.private_now()))
            problems = self.checks()
            self.failures += problems
            if time.monotonic() >= next_report or time.monotonic() >= deadline or problems:
                values = self.counters()
                self.report(started, values, problems)
                next_report = time.monotonic() + self.args.every * 60
        values = self.counters()
        grown = self.compare(values, (time.monotonic() - started) / 60)
        self.failures += [f"grew: {g}" for g in grown]
        print(f"{self.round} rounds in {(time.monotonic() - started) / 60:.1f} min; "
              f"start: private {int(self.base['private']) // 1024} KiB, handles {self.base['handles']}, "
              f"gdi {self.base['gdi']}, user {self.base['user']}, threads {self.base['threads']}; "
              f"end: private {int(values['private']) // 1024} KiB, handles {values['handles']}, "
              f"gdi {values['gdi']}, user {values['user']}, threads {values['threads']}", flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--minutes", type=float, default=60)
    parser.add_argument("--every", type=float, default=5, help="minutes between reports")
    parser.add_argument("--memory-slack-kib", type=int, default=1024,
                        help="in a run shorter than --trend-after: private memory allowed above the start")
    parser.add_argument("--handle-slack", type=int, default=2,
                        help="handles allowed above the start: Wine makes an event now and then on a late first use")
    parser.add_argument("--trend-after", type=float, default=20,
                        help="minutes from which a run judges private memory by the trend of its last half")
    parser.add_argument("--memory-trend-kib-per-hour", type=int, default=512,
                        help="private memory growth allowed in the last half of a long run, KiB an hour")
    parser.add_argument("--repeat", choices=sorted(Soak.ACTIONS), help="repeat one action only, and show the figures")
    parser.add_argument("--times", type=int, default=40, help="how often --repeat does its action")
    args = parser.parse_args()
    soak = Soak(args)
    try:
        if args.repeat:
            soak.repeat(args.repeat, args.times)
        else:
            soak.run()
    except AssertionError as error:
        soak.failures.append(f"round {soak.round}: {error}")
        shot = ROOT / "build" / "soak-failure.png"
        subprocess.run(["import", "-window", "root", str(shot)], check=False)
        print(f"screenshot at the failure: {shot}", flush=True)
    finally:
        soak.stop()
    if soak.failures:
        print("SOAK FAILED:", flush=True)
        for f in dict.fromkeys(soak.failures):
            print(f"  {f}", flush=True)
        return 1
    print("soak passed: no count over its limit, nothing held, setting.dat intact", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
