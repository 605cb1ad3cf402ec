#!/bin/bash
# Builds everything and runs every test: host unit tests (sanitizers), the
# fuzz targets (libFuzzer, up to a million executions each), Windows-side
# tests under Wine, end-to-end tests of the real program under Wine on a
# private virtual display, and a short soak of it.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/deps.sh
bash tools/build.sh
source tools/session.sh
trap stop_session EXIT

status=0
echo "== host tests =="
ctest --test-dir build/host --output-on-failure || status=1

echo "== fuzz targets =="
bash tools/fuzz.sh --check || status=1

start_xvfb
start_wineserver
echo "== Windows-side tests under Wine =="
ctest --test-dir build/win --output-on-failure || status=1

echo "== end-to-end tests =="
/usr/bin/python3 -m pytest -q -p no:cacheprovider tests/skin tests/e2e || status=1

echo "== short soak =="
SOAK_IN_SESSION=1 bash tools/soak.sh "${SOAK_MINUTES:-4}" 1 || status=1
exit $status
