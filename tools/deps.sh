#!/bin/bash
# Installs what building and testing need, when it is missing (Debian 12, root).
set -e
packages=(cmake g++ make googletest clang libclang-rt-14-dev
          g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
          wine wine32:i386 xvfb xauth xdotool x11-utils imagemagick
          python3 python3-pytest python3-pil fonts-dejavu-core fonts-wine netcat-openbsd
          nsis osslsigncode openssl)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
elif [ -n "$need_update" ]; then
  apt-get update -q
fi
