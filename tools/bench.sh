#!/bin/bash
# Builds, then prints the speed and memory figures: the HID link over a
# modelled bus (host), the system's HID path to the driver mouse
# (bench/win_hidlink), and the program next to an empty window under Wine on a
# private virtual display (bench/win_perf), and a program profile's switch
# (bench/win_profile_switch). Arguments go to win_perf:
# [rounds] [idle seconds] [repaints].
# Everything printed also goes, with the commit and the date it was measured
# on, to docs/performance-figures.md: the figures there are never typed in.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/build.sh
figures="$root/docs/performance-figures.md"
# The commit the programs were just built from, and whether the tree differed
# from it (the figures file itself aside).
measured="$(git rev-parse --short HEAD)$(git diff --quiet HEAD -- . ':!docs/performance-figures.md' || echo ' with uncommitted changes')"
printed=$(mktemp)
exec 3>&1 > >(tee "$printed" >&3)
publish() {
  # Back to the terminal; tee has written what it was given within a moment.
  exec >&3
  sleep 1
  {
    echo "# Performance figures"
    echo
    echo "Written by \`bash tools/bench.sh${*:+ $*}\`; what they measure and the goals: [performance.md](performance.md)."
    echo
    echo "- Commit: \`$measured\`"
    echo "- Measured: $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
    echo
    echo '```'
    tr -d '\r' < "$printed"
    echo '```'
  } > "$figures"
  rm -f "$printed"
}
source tools/session.sh
trap stop_session EXIT
echo "== HID link over a modelled bus (host) =="
build/host/host_hidlink
start_xvfb
start_wineserver
echo "== the system's HID path, to the driver mouse =="
said=$(mktemp)
SKIVOL_VMOUSE_PORT=0 bash tools/driver_mouse.sh >"$said" &
driver_mouse=$!
until grep -q "control channel" "$said" || ! kill -0 "$driver_mouse" 2>/dev/null; do sleep 0.2; done
"$root/tools/wine-run.sh" build/bin/win_hidlink.exe
echo "== the same, with 30 other makers' devices beside the mouse (tests/e2e/desk_devices.py) =="
port=$(sed -n 's/.*127\.0\.0\.1:\([0-9][0-9]*\).*/\1/p' "$said" | head -n 1)
/usr/bin/python3 - "$port" <<'ADD'
import socket, sys
sys.path.insert(0, "tests/e2e")
from desk_devices import DEVICES, add_command
for i in range(30):
    with socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=120) as channel:
        channel.sendall((add_command(DEVICES[i % len(DEVICES)], f"-{i}") + "\n").encode())
        answer = channel.makefile().readline().strip()
    if answer != "ok":
        sys.exit(f"add device: {answer}")
ADD
"$root/tools/wine-run.sh" build/bin/win_hidlink.exe
kill -TERM "$driver_mouse" && wait "$driver_mouse" || true
rm -f "$said"
echo "== a program profile put in force: foreground change to the report mask =="
"$root/tools/wine-run.sh" build/bin/win_profile_switch.exe
echo "== program vs empty window under Wine =="
"$root/tools/wine-run.sh" build/bin/win_perf.exe "$@"
publish "$@"
