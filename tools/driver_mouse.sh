#!/bin/bash
# The driver mouse: a mouse the system itself sees, for the shipping program.
# With WINEPREFIX (a 32-bit prefix; made if missing) and DISPLAY set, installs
# the mouse's drivers into that prefix if they are not there yet, plugs the
# mouse in and serves its control channel (the virtual mouse's commands, on
# 127.0.0.1:$SKIVOL_VMOUSE_PORT, default 47017) until ended. SIGTERM or Ctrl+C
# unplugs the mouse and exits. Then, in the same prefix:
#   wine build/bin/SkivolMouse.exe
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
: "${WINEPREFIX:?set WINEPREFIX to the Wine prefix the mouse goes into}"
: "${DISPLAY:?set DISPLAY: what the mouse holds is pressed on that desktop}"
export WINEPREFIX WINEARCH=win32 WINEDEBUG="${WINEDEBUG:--all}"
[ -f "$root/build/bin/DriverMouseRig.exe" ] || bash "$root/tools/build.sh" --windows-only
# A new prefix is installed, and its first start over, before the drivers go
# in: an install racing the prefix's first start is never started.
"$root/tools/wine-run.sh" --init
# The system's services start detached from this script's output.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

said=$(mktemp)
trap 'rm -f "$said"' EXIT
# A session of its own: Ctrl+C reaches this script, which unplugs the mouse
# before it ends the rig.
setsid wine "$root/build/bin/DriverMouseRig.exe" >"$said" &
rig=$!
port=
while [ -z "$port" ]; do
  if ! kill -0 "$rig" 2>/dev/null; then
    wait "$rig" || true
    echo "driver mouse: the rig ended" >&2
    exit 1
  fi
  sleep 0.2
  port=$(sed -n 's/.*127\.0\.0\.1:\([0-9][0-9]*\).*/\1/p' "$said")
done
cat "$said"

stop() {
  trap - TERM INT
  printf 'unplug\n' | nc -N -w 30 127.0.0.1 "$port" >/dev/null 2>&1 || true
  kill "$rig" 2>/dev/null || true
  wait "$rig" 2>/dev/null || true
  exit 0
}
trap stop TERM INT
wait "$rig"
