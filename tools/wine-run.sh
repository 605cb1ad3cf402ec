#!/bin/sh
# Runs a Windows executable under Wine in the build's private prefix, creating
# the prefix unattended on first use. Used as ctest's cross-compiling emulator.
# With --init it only makes sure the prefix exists.
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$here/build/wineprefix}"
export WINEARCH=win32
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEDEBUG="${WINEDEBUG:--all}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
[ "$1" = "--init" ] && exit 0
exec wine "$@"
