#!/bin/bash
# Builds the Windows programs (build/bin), the host test build (build/host)
# and the signed setup (build/bin/SkivolMouse-1.01-setup.exe).
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${JOBS:-2}
# ccache, where installed, lets other checkouts of the tree reuse objects.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$root"
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# The toolchain is read only when a build folder is first configured; given
# again, CMake warns that it was not used.
toolchain=()
[ -f build/win/CMakeCache.txt ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake)
cmake -S . -B build/win "${toolchain[@]}" "${launcher[@]}" >/dev/null
cmake --build build/win -j "$jobs"
if [ "$1" != "--windows-only" ]; then
  cmake -S . -B build/host "${launcher[@]}" >/dev/null
  cmake --build build/host -j "$jobs"
  # The setup needs both builds: the program and its default settings.
  bash tools/build_installer.sh
fi
