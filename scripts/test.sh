#!/usr/bin/env bash
# The test command: from a fresh clone, installs what is missing, builds both
# configurations and the release packages, and runs every test - native tests
# under ASan/UBSan, the fuzz smoke run, the checks of the built and packaged
# binaries, and the Windows tests under Wine on private Xvfb displays (the
# packages among them, each unpacked or installed into a fresh prefix): in
# 32-bit prefixes, then in a 64-bit (WoW64) prefix where 32-bit and 64-bit
# programs run side by side, then in a 32-bit prefix with two monitors.
#
#   scripts/test.sh                      everything
#   TOLVAR_TESTS=native scripts/test.sh  native tests only
#   TOLVAR_BUILD_DIR=dir                 build folder (default: build)
#   TOLVAR_WINE_SESSIONS=n               Wine worlds run side by side (default 1)
#   TOLVAR_QUARANTINED=1                 also run the Windows programs labelled
#                                        "quarantine" (not yet reliable here)
#   TOLVAR_WINE_MINUTES=n                time allowed for the Windows tests (30)
#   CTEST_ARGS="-R name"                 passed to every ctest run
#
# Where this machine cannot run 32-bit code, Wine runs under qemu emulation
# (see scripts/bootstrap.sh); the Windows tests count there like everywhere
# else.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOLVAR_BUILD_DIR:-$root/build}
which=${TOLVAR_TESTS:-all}
sessions=${TOLVAR_WINE_SESSIONS:-1}
jobs=$(nproc)
started=$(date +%s)

bash "$root/scripts/bootstrap.sh"

cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build/native" -j "$jobs"
if [ "$which" != native ]; then
  cmake -S "$root" -B "$build/win32" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" >/dev/null
  cmake --build "$build/win32" -j "$jobs"
fi

passed=0; failed=0; status=0
count() { # adds the totals of a ctest log
  local line total fails
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1 || true)
  [ -n "$line" ] || return 0
  fails=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - fails)); failed=$((failed + fails))
}

ctest --test-dir "$build/native" -j "$jobs" --output-on-failure ${CTEST_ARGS:-} \
  2>&1 | tee "$build/native-tests.log" || status=1
count "$build/native-tests.log"

if [ "$which" != native ]; then
  # The release packages of this build, which the artefact tests check as a
  # user gets them (tests/artefacts).
  if TOLVAR_BUILD_DIR="$build" bash "$root/scripts/package.sh" "$build/dist"; then
    passed=$((passed + 1))
  else
    echo "packaging failed"; failed=$((failed + 1)); status=1
  fi

  if [ -x "$root/scripts/fuzz-smoke.sh" ]; then
    if bash "$root/scripts/fuzz-smoke.sh" "$build/fuzz"; then passed=$((passed + 1))
    else failed=$((failed + 1)); status=1; fi
  fi

  # Checks of the built binaries that need no Wine.
  ctest --test-dir "$build/win32" -LE 'wine|wow64|monitors' --output-on-failure ${CTEST_ARGS:-} \
    2>&1 | tee "$build/win32-static-tests.log" || status=1
  count "$build/win32-static-tests.log"

  # The Windows programs, spread over independent Wine worlds (own prefix,
  # own display, own wineserver): each world runs its share one at a time.
  exclude=()
  if [ -z "${TOLVAR_QUARANTINED:-}" ]; then
    exclude=(-LE quarantine)
    quarantined=$(ctest --test-dir "$build/win32" -N -L quarantine |
                  sed -n 's/^ *Test *#[0-9]*: *//p' | tr '\n' ' ')
    [ -z "$quarantined" ] ||
      echo "not run (quarantined, TOLVAR_QUARANTINED=1 runs them): $quarantined"
  fi
  list_tests() { # the tests of one label, without the excluded ones
    ctest --test-dir "$build/win32" -N -L "$1" "${exclude[@]}" ${CTEST_ARGS:-} |
      sed -n 's/^ *Test *#[0-9]*: *//p'
  }
  mapfile -t wine_tests < <(list_tests '^wine$')
  mapfile -t wow64_tests < <(list_tests '^wow64$')
  mapfile -t monitors_tests < <(list_tests '^monitors$')
  . "$root/scripts/wine-env.sh"
  wine_minutes=${TOLVAR_WINE_MINUTES:-30}
  # Runs the named tests of label $2 in a world of architecture $3 and
  # screen $4 (scripts/wine-session.sh) under run folder $5, logging into $1.
  run_world() {
    local log=$1 label=$2 arch=$3 screen=$4 dir=$5 regex
    shift 5
    regex="^($(IFS='|'; echo "$*"))\$"
    (
      . "$root/scripts/wine-session.sh"
      trap wine_session_stop EXIT
      wine_session_start "$dir" "$arch" "$screen"
      timeout --kill-after=30 "${wine_minutes}m" \
        ctest --test-dir "$build/win32" -L "$label" -R "$regex" --output-on-failure
    ) > "$log" 2>&1
  }
  pids=()
  worlds=()
  for ((s = 0; s < sessions; s++)); do
    share=()
    for ((i = s; i < ${#wine_tests[@]}; i += sessions)); do share+=("${wine_tests[i]}"); done
    [ ${#share[@]} -gt 0 ] || continue
    run_world "$build/win32-tests-$s.log" '^wine$' win32 desktop "$build/win32/wine-run-$s" "${share[@]}" &
    pids+=($!)
    worlds+=("$build/win32-tests-$s.log")
  done
  wine_status=0
  for pid in "${pids[@]}"; do wait "$pid" || wine_status=1; done
  # The 64-bit world after the 32-bit ones: global hooks of one world never
  # meet another's, but the machine's two cores are enough for one at a time.
  if [ ${#wow64_tests[@]} -gt 0 ]; then
    run_world "$build/wow64-tests.log" '^wow64$' win64 desktop "$build/win32/wine-run-wow64" "${wow64_tests[@]}" ||
      wine_status=1
    worlds+=("$build/wow64-tests.log")
  fi
  # The displays on the monitors the settings choose, with two monitors.
  if [ ${#monitors_tests[@]} -gt 0 ]; then
    run_world "$build/monitors-tests.log" '^monitors$' win32 two-monitors "$build/win32/wine-run-monitors" \
      "${monitors_tests[@]}" || wine_status=1
    worlds+=("$build/monitors-tests.log")
  fi
  [ $wine_status = 0 ] || status=1
  for log in "${worlds[@]}"; do
    [ -f "$log" ] || continue
    echo "==== Wine world $(basename "$log" .log)"; cat "$log"
    count "$log"
    if ! grep -qE '[0-9]+% tests passed, ' "$log"; then
      echo "Wine world $(basename "$log" .log) did not finish its tests"
      failed=$((failed + 1)); status=1
    fi
  done
fi

echo
echo "elapsed: $(( $(date +%s) - started )) s"
echo "tests: $passed passed, $failed failed"
exit $status
