# Sourced by the scripts that run Windows programs: a private virtual display and a Wine prefix.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="$root/build/wineprefix"
export WINEARCH=win32
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all

start_xvfb() {
  # Xvfb picks a free display itself and names it: checking for a free number
  # first races with other sessions on the machine doing the same.
  local named
  named=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$named" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    if [ -s "$named" ]; then
      export DISPLAY=:$(head -1 "$named")
      rm -f "$named"
      xdpyinfo >/dev/null 2>&1 && return 0
    fi
    sleep 0.1
  done
  rm -f "$named"
  echo "Xvfb did not start" >&2
  return 1
}

start_wineserver() {
  # One persistent wineserver for the whole session, so that each Windows
  # process does not pay Wine's start-up again.
  "$root/tools/wine-run.sh" --init
  # The driver mouse's drivers of this build replace those in the prefix
  # before its system starts and loads them: a loaded driver's file cannot be
  # replaced from within. Renamed over, a running one keeps its old file.
  local drivers="$WINEPREFIX/drive_c/windows/system32/drivers" built name
  for built in "$root"/build/bin/SkivolMouseBus.sys "$root"/build/bin/SkivolMouseHid.sys; do
    name=$(basename "$built")
    if [ -f "$built" ] && [ -f "$drivers/$name" ] && ! cmp -s "$built" "$drivers/$name"; then
      cp "$built" "$drivers/.$name.new" && mv -f "$drivers/.$name.new" "$drivers/$name"
    fi
  done
  wineserver -p </dev/null >/dev/null 2>&1 || true
  # Start Wine's own services now, detached from any test's output: a test
  # runner waits for every process holding its output pipe to end.
  "$root/tools/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1 || true
  # Wine closes the desktop when no program uses it, and the next program
  # starts its shell again as its own child: a test that ends that program
  # by its process group would end the shell with it. WinProbe keeps the
  # desktop in use until `stop_session`.
  if [ -f "$root/build/bin/WinProbe.exe" ]; then
    "$root/tools/wine-run.sh" "$root/build/bin/WinProbe.exe" hold-desktop </dev/null >/dev/null 2>&1 &
  fi
}

# For a script that shows the program: installs what is missing, builds the
# Windows side and starts Wine (on a private virtual display unless
# `keep_display` is given and one is set); all of it ends with the script.
start_program_session() {
  bash "$root/tools/deps.sh"
  bash "$root/tools/build.sh" --windows-only
  trap stop_session EXIT
  if [ "$1" != keep_display ] || [ -z "$DISPLAY" ]; then
    start_xvfb
    headless=1
  fi
  start_wineserver
}

stop_session() {
  wineserver -k 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}
