#!/bin/bash
# Builds, then prints the speed and memory figures: the HID link over a
# modelled bus (host), and the program next to an empty window under Wine on a
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
echo "== program vs empty window under Wine =="
"$root/tools/wine-run.sh" build/bin/win_perf.exe "$@"
