#!/usr/bin/env bash
# ctest's emulator for Windows programs: runs one under Wine in the prefix
# that scripts/wine-session.sh prepared for this run.
#
# Where Wine runs under qemu emulation, a GoogleTest program that ends
# without its summary (the process died inside a test) is resumed with the
# tests that have no result yet, so that one death does not hide the results
# of the rest. The test that was running when the process ended counts as
# failed and is not run again; no test is ever retried. On machines that run
# 32-bit code natively the program runs once, as it is.
#
# The program writes into a file that is shown as it grows, never into
# ctest's pipe: Wine services that the program happens to start inherit its
# output, outlive it, and would keep that pipe open, so ctest would wait for
# ever after the program ended.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  echo "wine-exec: run the Windows tests through scripts/test.sh (no WINEPREFIX/DISPLAY)" >&2
  exit 2
fi

log=$(mktemp "${TMPDIR:-/tmp}/wine-exec.XXXXXX")
trap 'rm -f "$log"' EXIT

# Runs wine with the arguments, its output into $log and onto our output;
# sets status to its exit status.
run_wine() {
  : > "$log"
  wine "$@" </dev/null >"$log" 2>&1 &
  local pid=$!
  tail -n +1 -f --pid="$pid" "$log" 2>/dev/null || true
  set +e
  wait "$pid"
  status=$?
  set -e
}

resumable=1
tolvar_native_ia32 && resumable=0
case "$1" in *.exe) ;; *) resumable=0 ;; esac
for arg in "$@"; do
  case "$arg" in --gtest_filter=*|--gtest_list_tests|--gtest_repeat=*) resumable=0 ;; esac
done
if [ $resumable = 0 ]; then
  run_wine "$@"
  exit "$status"
fi

done_tests=()      # tests with a result: never run again
failed_tests=()    # failed, or ended the process

while :; do
  filter=
  if [ ${#done_tests[@]} -gt 0 ]; then
    filter="--gtest_filter=-$(IFS=:; echo "${done_tests[*]}")"
  fi
  run_wine "$@" ${filter:+"$filter"}
  # One "[==========] N tests from M test suites ran." line: the program
  # reached its end and its own exit status stands.
  if grep -qE '^\[==========\] [0-9]+ tests? from .* ran\.' "$log"; then
    break
  fi
  # Windows programs end their lines with CR LF.
  mapfile -t finished < <(tr -d '\r' <"$log" |
    sed -nE 's/^\[ +(OK|FAILED|SKIPPED) +\] ([A-Za-z0-9_/.]+) \(.*/\1 \2/p')
  for entry in "${finished[@]}"; do
    done_tests+=("${entry#* }")
    [ "${entry%% *}" != FAILED ] || failed_tests+=("${entry#* }")
  done
  current=$(tr -d '\r' <"$log" | sed -nE 's/^\[ RUN +\] ([A-Za-z0-9_/.]+)$/\1/p' | tail -1)
  if [ -z "$current" ] || printf '%s\n' "${done_tests[@]}" | grep -qxF "$current"; then
    # Ended before the first test or after the last one had its result.
    echo "wine-exec: the process ended (status $status) outside any test" >&2
    failed_tests+=("(outside a test)")
    break
  fi
  echo "wine-exec: the process ended (status $status) inside $current, which counts as" \
       "failed; resuming the remaining tests" >&2
  done_tests+=("$current")
  failed_tests+=("$current")
done

if [ ${#failed_tests[@]} -gt 0 ]; then
  echo "wine-exec: failed across resumed runs: ${failed_tests[*]}" >&2
  exit 1
fi
exit "$status"
