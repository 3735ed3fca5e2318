#!/usr/bin/env bash
# ctest's emulator for Windows programs: runs one under Wine in the prefix
# that scripts/wine-session.sh prepared for this run.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  echo "wine-exec: run the Windows tests through scripts/test.sh (no WINEPREFIX/DISPLAY)" >&2
  exit 2
fi
exec wine "$@"
