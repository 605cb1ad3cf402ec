#!/bin/bash
# Builds the fuzz targets with clang and libFuzzer (build/fuzz) and runs them,
# coverage-guided, each starting from its seed corpus in tests/fuzz/corpus.
#
#   bash tools/fuzz.sh --check [target...]   the test command's run: each target
#                                            until 1,000,000 executions (at most
#                                            FUZZ_CHECK_SECONDS, default 45 s)
#   bash tools/fuzz.sh SECONDS [target...]   each target for SECONDS
#
# New inputs the fuzzer finds go to build/fuzz/corpus/<target> (the seeds are
# only read), an input that breaks a target to build/fuzz/artifacts/; add such
# an input to the target's seed corpus once the fault is mended. Prints each
# target's executions; any fault fails the run.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mode=${1:---check}
shift || true
jobs=${JOBS:-2}
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$root"
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build/fuzz -DSKIVOL_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build/fuzz -j "$jobs" >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi
if [ "$mode" = --check ]; then
  limits=(-runs=1000000 -max_total_time="${FUZZ_CHECK_SECONDS:-45}")
else
  limits=(-max_total_time="$mode")
fi

mkdir -p build/fuzz/artifacts
status=0
for name in "${targets[@]}"; do
  mkdir -p "build/fuzz/corpus/$name"
  log="build/fuzz/$name.log"
  start=$(date +%s)
  if "build/fuzz/$name" "${limits[@]}" -print_final_stats=1 -timeout=10 -rss_limit_mb=1024 \
       -artifact_prefix="build/fuzz/artifacts/$name-" "build/fuzz/corpus/$name" "tests/fuzz/corpus/$name" \
       >"$log" 2>&1; then
    result="no fault"
  else
    result="FAULT (see $log and build/fuzz/artifacts/)"
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
  note=""
  if [ "$mode" = --check ] && [ "${runs:-0}" -lt 1000000 ]; then note=" (time limit reached first)"; fi
  printf '%-26s %9s executions in %3ss, %s, %s%s\n' "$name" "${runs:-?}" "$(( $(date +%s) - start ))" \
    "${cov:-cov: ?}" "$result" "$note"
  [ "$result" = "no fault" ] || tail -30 "$log"
done
exit $status
