#!/bin/bash
# Builds, then prints the speed and memory figures: the HID link over a
# modelled bus (host), the system's HID path to the driver mouse
# (bench/win_hidlink), and the program next to an empty window under Wine on a
# private virtual display (bench/win_perf). Arguments go to win_perf:
# [rounds] [idle seconds] [repaints].
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/build.sh
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
kill -TERM "$driver_mouse" && wait "$driver_mouse" || true
rm -f "$said"
echo "== program vs empty window under Wine =="
"$root/tools/wine-run.sh" build/bin/win_perf.exe "$@"
