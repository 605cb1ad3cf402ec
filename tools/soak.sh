#!/bin/bash
# Runs the utility under Wine with the virtual mouse for a while (default 60
# minutes), doing what a user and the mouse do all day, and prints its
# resource figures at the start and every few minutes (tools/soak.py). Growth,
# anything held, or a damaged setting.dat fails it.
#
#   bash tools/soak.sh [minutes] [minutes between reports]
#
# It builds what it needs and runs on a private virtual display with a Wine
# prefix of its own (build/wineprefix-soak), so that it can run beside the
# tests. Inside a session the test command has set up (SOAK_IN_SESSION=1), it
# uses that display and prefix.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
minutes=${1:-60}
every=${2:-5}
if [ "$SOAK_IN_SESSION" != 1 ]; then
  bash tools/deps.sh
  bash tools/build.sh --windows-only
  source tools/session.sh
  export WINEPREFIX="$root/build/wineprefix-soak"
  trap stop_session EXIT
  start_xvfb
  start_wineserver
fi
/usr/bin/python3 tools/soak.py --minutes "$minutes" --every "$every"
