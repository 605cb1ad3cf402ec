#!/bin/bash
# Signs a Windows executable in place with osslsigncode (Authenticode, SHA-256)
# and checks the signature's structure.
#
# The certificate comes from the environment:
#   SKIVOL_SIGN_PKCS12=<file.p12|pfx>          certificate and key in one file, or
#   SKIVOL_SIGN_CERT=<cert.pem> SKIVOL_SIGN_KEY=<key.pem>
#   SKIVOL_SIGN_PASSWORD=<password>            of the PKCS#12 file or the key, if any
#   SKIVOL_SIGN_TIMESTAMP=<url>                RFC 3161 time-stamp server (optional)
#   SKIVOL_SIGN_CAFILE=<roots.pem>             roots to verify against (default:
#                                              the system's); the build names its
#                                              own throw-away certificate here
set -e
file=$1
[ -f "$file" ] || { echo "sign.sh: no such file: $file" >&2; exit 2; }
args=(-h sha256 -n "Skivol Gaming Mouse" -i "https://www.skivol.example/")
if [ -n "$SKIVOL_SIGN_PKCS12" ]; then
  args+=(-pkcs12 "$SKIVOL_SIGN_PKCS12")
elif [ -n "$SKIVOL_SIGN_CERT" ] && [ -n "$SKIVOL_SIGN_KEY" ]; then
  args+=(-certs "$SKIVOL_SIGN_CERT" -key "$SKIVOL_SIGN_KEY")
else
  echo "sign.sh: set SKIVOL_SIGN_PKCS12, or SKIVOL_SIGN_CERT and SKIVOL_SIGN_KEY" >&2
  exit 2
fi
[ -n "$SKIVOL_SIGN_PASSWORD" ] && args+=(-pass "$SKIVOL_SIGN_PASSWORD")
[ -n "$SKIVOL_SIGN_TIMESTAMP" ] && args+=(-ts "$SKIVOL_SIGN_TIMESTAMP")

signed="$file.signed"
rm -f "$signed"
osslsigncode sign "${args[@]}" -in "$file" -out "$signed" >/dev/null
mv -f "$signed" "$file"

# The structure must hold whatever the trust: one signature, whose digest is
# the file's own.
report=$(osslsigncode verify -in "$file" 2>&1) && trusted=1 || trusted=0
current=$(sed -n 's/^Current message digest *: *\([0-9A-F]*\).*/\1/p' <<<"$report")
calculated=$(sed -n 's/^Calculated message digest *: *\([0-9A-F]*\).*/\1/p' <<<"$report")
if [ "$(grep -c '^Signature Index:' <<<"$report")" != 1 ] || [ -z "$current" ] || [ "$current" != "$calculated" ]; then
  echo "sign.sh: the signature of $file is malformed:" >&2
  echo "$report" >&2
  exit 1
fi
if [ -n "$SKIVOL_SIGN_CAFILE" ]; then
  # The build's throw-away certificate is untrusted, as expected; taken as
  # the root, it must verify completely.
  if ! osslsigncode verify -CAfile "$SKIVOL_SIGN_CAFILE" -in "$file" >/dev/null 2>&1; then
    echo "sign.sh: the signature of $file does not verify against $SKIVOL_SIGN_CAFILE" >&2
    exit 1
  fi
elif [ "$trusted" = 0 ]; then
  echo "sign.sh: the signature of $file does not verify:" >&2
  echo "$report" >&2
  exit 1
fi
