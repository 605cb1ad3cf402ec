#!/bin/bash
# Builds the utility and writes the README's pictures (docs/pictures/*.png):
# the main window in English, in German, without the mouse, with the "Key"
# dialog open and with the tray menu open. Runs on a private virtual display.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source tools/session.sh
start_program_session
/usr/bin/python3 tools/pictures.py
