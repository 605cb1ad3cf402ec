#!/bin/bash
# Builds the utility and writes the README's pictures (docs/pictures/*.png):
# the main window in English, in German, without the mouse, with the "Key"
# dialog open and with the tray menu open. Runs on a private virtual display.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/deps.sh
bash tools/build.sh --windows-only
source tools/session.sh
trap stop_session EXIT
start_xvfb
start_wineserver
/usr/bin/python3 tools/pictures.py
