#!/usr/bin/env bash
# Builds the scheme reader's fuzz target with clang (libFuzzer, ASan, UBSan)
# in BUILD_DIR and runs it briefly on the checked-in seed corpus. Exits
# non-zero when the build fails or the fuzzer finds a crash.
#
#   scripts/fuzz-smoke.sh BUILD_DIR
#   FUZZ_SECONDS=600 scripts/fuzz-smoke.sh BUILD_DIR     a longer run
#   FUZZ_RUNS=10000000 FUZZ_SECONDS=0 scripts/fuzz-smoke.sh BUILD_DIR
#                                       a fixed number of runs, no time limit
#   FUZZ_MAX_LEN=120000                 longer inputs (default 4096), past the
#                                       chunk size
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: fuzz-smoke.sh BUILD_DIR}
seconds=${FUZZ_SECONDS:-25}
runs=${FUZZ_RUNS:--1}
max_len=${FUZZ_MAX_LEN:-4096}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOLVAR_FUZZ=ON >/dev/null
cmake --build "$build" --target scheme_reader_fuzz -j "$(nproc)" >/dev/null

# Work on a copy: the fuzzer adds what it finds to its corpus folder.
work="$build/scheme-fuzz"
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
cp "$root"/tests/scheme/fuzz/corpus/* "$work/corpus/"

fuzzer=$(find "$build" -name scheme_reader_fuzz -type f -perm -u+x | head -1)
set +e
"$fuzzer" -max_total_time="$seconds" -runs="$runs" -max_len="$max_len" \
  -dict="$root/tests/scheme/fuzz/scheme.dict" \
  -artifact_prefix="$work/artifacts/" -print_final_stats=1 \
  "$work/corpus" >"$work/log" 2>&1
status=$?
set -e
grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb)' \
  "$work/log" || true
if [ $status -ne 0 ]; then
  tail -40 "$work/log" >&2
  echo "fuzz-smoke: the scheme reader crashed; input kept in $work/artifacts" >&2
  exit 1
fi
echo "fuzz-smoke: no crash ($(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log") runs)"
