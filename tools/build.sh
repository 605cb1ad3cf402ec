#!/bin/bash
# Builds the Windows programs (build/bin) and the host test build (build/host).
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${JOBS:-2}
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/win -j "$jobs"
if [ "$1" != "--windows-only" ]; then
  cmake -S . -B build/host >/dev/null
  cmake --build build/host -j "$jobs"
fi
