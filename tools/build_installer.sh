#!/bin/bash
# Builds the setup, build/bin/SkivolMouse-1.01-setup.exe, from the Windows
# build (the program) and the host build (its default settings record), and
# signs the program, the uninstaller and the setup (see tools/sign.sh).
# Without a certificate in the environment, the signing runs with a throw-away
# self-signed one made here, so that the step is exercised on every build.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
stage="$root/build/installer"
setup="$root/build/bin/SkivolMouse-1.01-setup.exe"

rm -rf "$stage"
mkdir -p "$stage"
cp build/bin/SkivolMouse.exe res/lang.ini res/skin/app.ico "$stage/"
build/host/make_default_settings "$stage/setting.dat"
/usr/bin/python3 installer/draw_welcome.py "$stage/welcome.bmp"

if [ -z "$SKIVOL_SIGN_PKCS12" ] && [ -z "$SKIVOL_SIGN_CERT" ]; then
  keys="$root/build/signing"
  mkdir -p "$keys"
  openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Skivol throw-away test signing/O=Skivol" \
    -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
    -keyout "$keys/key.pem" -out "$keys/cert.pem" 2>/dev/null
  export SKIVOL_SIGN_CERT="$keys/cert.pem" SKIVOL_SIGN_KEY="$keys/key.pem" SKIVOL_SIGN_CAFILE="$keys/cert.pem"
  unset SKIVOL_SIGN_PASSWORD SKIVOL_SIGN_TIMESTAMP
fi

bash tools/sign.sh "$stage/SkivolMouse.exe"
makensis -V2 -DSTAGE="$stage" -DOUTFILE="$setup" -DSIGN_COMMAND="bash \"$root/tools/sign.sh\" \"%1\"" \
  installer/SkivolMouse.nsi
bash tools/sign.sh "$setup"
echo "Built $setup"
