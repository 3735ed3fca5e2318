#!/usr/bin/env bash
# A long-lived Wine session for a developer, so that iterating on one Windows
# test does not pay for a fresh prefix and Wine's service start-up each time.
#
#   scripts/wine-dev.sh start NAME [win32|win64] [two-monitors]
#                                    prefix copy, Xvfb and a warm wineserver
#                                    under /tmp/wine-dev-NAME (a 64-bit prefix
#                                    with win64; two monitors side by side
#                                    with two-monitors); prints the file to
#                                    source: . /tmp/wine-dev-NAME/env
#   scripts/wine-dev.sh stop NAME    ends that session's wineserver and X
#                                    servers
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cmd=${1:?start or stop}; name=${2:?session name}
dir=/tmp/wine-dev-$name

case $cmd in
start)
  . "$here/wine-session.sh"
  wine_session_start "$dir" "${3:-win32}" "${4:-desktop}"
  {
    echo "export WINEPREFIX='$WINEPREFIX' DISPLAY='$DISPLAY' HOME='$HOME' TOLVAR_WINEARCH='$TOLVAR_WINEARCH'"
    echo ". '$here/wine-env.sh'"
  } > "$dir/env"
  echo $_ws_xephyr_pid $_ws_xvfb_pid > "$dir/xvfb.pid"
  disown -a
  echo "session ready: . $dir/env"
  ;;
stop)
  if [ -f "$dir/env" ]; then
    ( . "$dir/env"; wineserver -k >/dev/null 2>&1 || true )
  fi
  if [ -f "$dir/xvfb.pid" ]; then
    for pid in $(cat "$dir/xvfb.pid"); do kill "$pid" 2>/dev/null || true; done
  fi
  rm -f "$dir/env" "$dir/xvfb.pid"
  ;;
*) echo "usage: $0 start|stop NAME" >&2; exit 2 ;;
esac
