#!/bin/bash
# Builds the utility and runs it with the virtual mouse. Without a display it
# runs on a virtual one and writes a screenshot.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source tools/session.sh
start_program_session keep_display
workdir="$root/build/run"
mkdir -p "$workdir"
cp build/bin/SkivolMouseVirtual.exe "$workdir/"
port=${SKIVOL_VMOUSE_PORT:-47017}
( cd "$workdir" && exec wine SkivolMouseVirtual.exe ) &
app=$!
for _ in $(seq 300); do
  xdotool search --name '^Gaming Mouse$' >/dev/null 2>&1 && break
  sleep 0.2
done
echo "Skivol Gaming Mouse is running (virtual mouse control channel: nc 127.0.0.1 $port)."
if [ -n "$headless" ]; then
  sleep 2
  import -window root "$root/build/screenshot.png"
  echo "Screenshot of the virtual display: $root/build/screenshot.png"
fi
echo "Settings are kept in $workdir/setting.dat. Press Ctrl+C to stop."
wait $app || true
