#!/usr/bin/env bash
# Builds the Windows configuration and starts the reference host under Wine.
#
#   scripts/run-host.sh [host arguments]     e.g. --watch 0x14:0x80,65:1
#
# Without a DISPLAY it starts a private Wine world on a virtual display
# (Xvfb) and runs the host in --demo mode: the host presses the lock keys
# itself, prints each report and exits. Under emulation the first start of a
# Windows program takes about a minute.
#   TOLVAR_BUILD_DIR=dir   build folder (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOLVAR_BUILD_DIR:-$root/build}/win32

# The same installation step as the test command: a fresh machine has neither
# the cross compiler nor Wine.
bash "$root/scripts/bootstrap.sh"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" >/dev/null
cmake --build "$build" -j "$(nproc)" --target TolvarHost TolvarEx

args=("$@")
if [ -z "${DISPLAY:-}" ]; then
  . "$root/scripts/wine-session.sh"
  trap wine_session_stop EXIT
  wine_session_start "$build/host-run"
  [ ${#args[@]} -gt 0 ] || args=(--demo)
  case " ${args[*]} " in *" --demo "*) ;; *) args+=(--demo) ;; esac
else
  . "$root/scripts/wine-env.sh"
fi
cd "$build/bin"
wine TolvarHost.exe "${args[@]}"
