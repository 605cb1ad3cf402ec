#!/bin/sh
# Fails when the suites that ctest runs one by one (read from the sources) are
# not exactly the suites the test binary has: a suite missed by that reading
# would never run.
# Usage: check_suites.sh <win_tests.exe> "<suite> <suite> ..."
here=$(cd "$(dirname "$0")/../.." && pwd)
listed=$("$here/tools/wine-run.sh" "$1" --gtest_list_tests | tr -d '\r' | sed -n 's/^\([A-Za-z0-9_]*\)\.$/\1/p' | sort -u)
expected=$(printf '%s\n' $2 | sort -u)
[ -n "$listed" ] || { echo "the binary listed no suites"; exit 1; }
if [ "$listed" != "$expected" ]; then
  echo "suites in the binary but not run on their own:"; printf '%s\n' "$listed" | grep -vxF "$expected"
  echo "suites run on their own but not in the binary:"; printf '%s\n' "$expected" | grep -vxF "$listed"
  exit 1
fi
echo "$(printf '%s\n' "$listed" | wc -l) suites, each run on its own"
