# Sourced: starts and stops the private Wine world of one test run.
#
#   wine_session_start RUN_DIR [ARCH] [SCREEN]
#                                template prefix (made once, cached), a fresh
#                                copy of it in RUN_DIR/prefix, an Xvfb display
#                                of its own, a warm wineserver; exports
#                                WINEPREFIX, DISPLAY and HOME for the run.
#                                ARCH: win32 (default) or win64 (WoW64)
#                                SCREEN: desktop (default), one Wine virtual
#                                desktop of 1280x1024; or two-monitors, two
#                                monitors of 1280x1024 side by side, the
#                                primary on the left (no virtual desktop,
#                                which is always one monitor)
#   wine_session_stop            ends the wineserver and X servers it started
#
# The template lives outside the work tree (TOLVAR_WINE_CACHE, default
# ~/.cache/tolvar) because making a prefix is slow, very slow under
# emulation; every run works on its own copy, so runs never see each other.
_ws_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$_ws_here/wine-env.sh"

_ws_xvfb_pid=""
_ws_xephyr_pid=""
_ws_prefix=""

# Starts an X server (the command line after the file) that writes its
# display number into the file, and waits for that number: then in
# _ws_started_display, the server's process id in _ws_started_pid.
_ws_start_x() {
  local dispfile=$1 n
  shift
  : > "$dispfile"
  "$@" -displayfd 3 -nolisten tcp 3>"$dispfile" >/dev/null 2>&1 &
  _ws_started_pid=$!
  for n in $(seq 1 100); do
    [ -s "$dispfile" ] && break
    sleep 0.1
  done
  [ -s "$dispfile" ] || { echo "wine-session: $* did not start" >&2; return 1; }
  _ws_started_display=$(head -1 "$dispfile")
}

_ws_make_template() {
  local template=$1 tmp
  mkdir -p "$(dirname "$template")"
  (
    flock 9
    [ -d "$template" ] && exit 0
    tmp="$template.tmp.$$"
    rm -rf "$tmp"
    echo "wine-session: creating the template prefix $template (once; slow under emulation)"
    WINEPREFIX="$tmp" WINEARCH="$TOLVAR_WINEARCH" timeout 40m wineboot -i </dev/null >/dev/null 2>&1 || true
    WINEPREFIX="$tmp" timeout 10m wineserver -w || true
    [ -f "$tmp/user.reg" ] || { echo "wine-session: wineboot failed" >&2; exit 1; }
    # No window manager runs under Xvfb: let Wine manage its windows itself,
    # draw captions, and keep the sound system quiet.
    cat >> "$tmp/user.reg" <<'REG'

[Software\\Wine\\X11 Driver] 1700000000
"Decorated"="N"
"Managed"="N"

[Software\\Wine\\Drivers] 1700000000
"Audio"=""
REG
    mv "$tmp" "$template"
  ) 9>"$(dirname "$template")/.lock"
}

wine_session_start() {
  local run_dir=$1 screen=${3:-desktop} cache template
  export TOLVAR_WINEARCH=${2:-win32}
  export WINEARCH=$TOLVAR_WINEARCH
  cache=${TOLVAR_WINE_CACHE:-$HOME/.cache/tolvar}
  template="$cache/prefix-$(wine --version | tr ' ()~' '____')"
  [ "$TOLVAR_WINEARCH" = win32 ] || template="$template-$TOLVAR_WINEARCH"
  _ws_make_template "$template"

  mkdir -p "$run_dir"
  run_dir=$(cd "$run_dir" && pwd)
  _ws_prefix="$run_dir/prefix"
  rm -rf "$_ws_prefix" "$run_dir/home"
  cp -a --reflink=auto "$template" "$_ws_prefix"
  # Without its file, the menu builder that Wine starts at every session
  # start and after every shell-link save fails at once instead of costing
  # a whole process start (a minute of CPU under emulation) each time.
  rm -f "$_ws_prefix/drive_c/windows/system32/winemenubuilder.exe"
  # Every program of the run opens inside one Wine virtual desktop (an X
  # window of its own, with a taskbar and a notification area). Focus then
  # moves between windows inside Wine only: no X focus event arrives late
  # and resets the key state that a test has just typed.
  [ "$screen" = two-monitors ] || cat >> "$_ws_prefix/user.reg" <<'REG'

[Software\\Wine\\Explorer] 1700000000
"Desktop"="Default"

[Software\\Wine\\Explorer\\Desktops] 1700000000
"Default"="1280x1024"
REG
  mkdir -p "$run_dir/home"

  if [ "$screen" = two-monitors ]; then
    # Xvfb's own screens all start at 0,0, and Wine takes one monitor from
    # a server with RandR: Xephyr, inside a host Xvfb that holds its window,
    # places two screens side by side with Xinerama and no RandR. Wine's
    # 32-bit part reads them only through the 32-bit Xinerama library.
    _ws_start_x "$run_dir/host-display" Xvfb -screen 0 2600x1100x24 || return 1
    _ws_xvfb_pid=$_ws_started_pid
    _ws_start_x "$run_dir/display" env DISPLAY=":$_ws_started_display" Xephyr \
      -screen 1280x1024 -screen 1280x1024+1280+0 +xinerama -extension RANDR || return 1
    _ws_xephyr_pid=$_ws_started_pid
  else
    _ws_start_x "$run_dir/display" Xvfb -screen 0 1280x1024x24 || return 1
    _ws_xvfb_pid=$_ws_started_pid
  fi
  export DISPLAY=":$_ws_started_display"
  export WINEPREFIX="$_ws_prefix"
  export HOME="$run_dir/home"
  wineserver -p
  # Start Wine's own services now, detached from our output: they outlive
  # the program that starts them, and a test program that started them
  # would hand them its output pipe, which ctest then waits on for ever.
  timeout 20m wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  echo "wine-session: $TOLVAR_WINEARCH prefix $WINEPREFIX, display $DISPLAY$(tolvar_native_ia32 || echo ', 32-bit code emulated by qemu')"
}

wine_session_stop() {
  if [ -n "$_ws_prefix" ]; then
    WINEPREFIX="$_ws_prefix" wineserver -k >/dev/null 2>&1 || true
    _ws_prefix=""
  fi
  local pid
  for pid in "$_ws_xephyr_pid" "$_ws_xvfb_pid"; do
    [ -n "$pid" ] || continue
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  _ws_xephyr_pid=""
  _ws_xvfb_pid=""
}
