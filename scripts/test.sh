#!/usr/bin/env bash
# The test command: from a fresh clone, installs what is missing, builds both
# configurations and runs every test - native tests under ASan/UBSan, the
# fuzz smoke run, and the Windows tests under Wine on a private Xvfb display.
#
#   scripts/test.sh              everything
#   TOLVAR_TESTS=native scripts/test.sh      native tests only
#   TOLVAR_BUILD_DIR=dir         build folder (default: build)
#   CTEST_ARGS="-R name"         passed to both ctest runs
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOLVAR_BUILD_DIR:-$root/build}
which=${TOLVAR_TESTS:-all}
jobs=$(nproc)

bash "$root/scripts/bootstrap.sh"

cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build/native" -j "$jobs"
if [ "$which" != native ]; then
  cmake -S "$root" -B "$build/win32" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" >/dev/null
  cmake --build "$build/win32" -j "$jobs"
fi

passed=0; failed=0
count() { # reads a ctest log, adds its totals
  local line total fails
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1 || true)
  [ -n "$line" ] || return 0
  fails=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - fails)); failed=$((failed + fails))
}

status=0
ctest --test-dir "$build/native" -j "$jobs" --output-on-failure ${CTEST_ARGS:-} \
  2>&1 | tee "$build/native-tests.log" || status=1
count "$build/native-tests.log"

if [ -x "$root/scripts/fuzz-smoke.sh" ] && [ "$which" != native ]; then
  bash "$root/scripts/fuzz-smoke.sh" "$build/fuzz" && passed=$((passed + 1)) \
    || { failed=$((failed + 1)); status=1; }
fi

if [ "$which" != native ]; then
  . "$root/scripts/wine-session.sh"
  trap wine_session_stop EXIT
  wine_session_start "$build/win32/wine-run"
  ctest --test-dir "$build/win32" --output-on-failure ${CTEST_ARGS:-} \
    2>&1 | tee "$build/win32-tests.log" || status=1
  count "$build/win32-tests.log"
  wine_session_stop
fi

echo
echo "tests: $passed passed, $failed failed"
exit $status
