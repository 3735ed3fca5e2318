#!/usr/bin/env bash
# Builds Tolvar.exe, the indicator program, and runs it under Wine.
#
#   scripts/run-host.sh [Tolvar.exe switches]
#
# Without a DISPLAY it shows the program at work: a private virtual display
# with a Wine desktop that has a taskbar and a notification area (the Wine
# session of scripts/wine-session.sh), a fresh settings file, and
# Tolvar.exe --demo, which presses Caps Lock, Num Lock and Scroll Lock with
# real key events (on, then off again). Every indication is printed as it
# happens, and screenshots of the desktop with the tray icons and the
# on-screen display (keys on, then off) are saved under the build folder;
# the script prints their paths. The exit status is the program's (0: every
# indication arrived).
#
# With a DISPLAY it runs Tolvar.exe there with the given switches.
#   TOLVAR_BUILD_DIR=dir   build folder (default: build)
#   TOLVAR_DPI=n           the desktop's DPI (96 = 100 %, 144 = 150 %, 192 = 200 %)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${TOLVAR_BUILD_DIR:-$root/build}
build=$build_root/win32

# The same installation step as the test command: a fresh machine has neither
# the cross compiler nor Wine.
bash "$root/scripts/bootstrap.sh"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" >/dev/null
cmake --build "$build" -j "$(nproc)" --target TolvarExe

if [ -n "${DISPLAY:-}" ]; then
  . "$root/scripts/wine-env.sh"
  cd "$build/bin"
  exec wine Tolvar.exe "$@"
fi

. "$root/scripts/wine-session.sh"
trap wine_session_stop EXIT
run=$build/host-run
wine_session_start "$run"
# Wine's taskbar is light: say so as Windows does, so that the tray's icons
# are drawn for it.
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize' \
     /v SystemUsesLightTheme /t REG_DWORD /d 1 /f >/dev/null 2>&1
if [ -n "${TOLVAR_DPI:-}" ]; then
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$TOLVAR_DPI" /f >/dev/null 2>&1
fi

# Fresh settings: the defaults, with the display kept up long enough to be
# seen in the screenshot and the Caps Lock display switched on.
settings=$run/Tolvar.ini
log=$run/indications.log
rm -f "$log" "$settings"
printf '[Tolvar]\r\nVersion=1\r\nCapsLockDisplay=1\r\nDisplayMilliseconds=4000\r\nKeys=3\r\n' > "$settings"
n=1
for key in '0x14 Caps Lock' '0x90 Num Lock' '0x91 Scroll Lock'; do
  printf '[Key%d]\r\nCode=%s\r\nModifiers=0x80\r\nName="%s"\r\nHasIcon=1\r\nHasOffState=1\r\n' \
    "$n" "${key%% *}" "${key#* }" >> "$settings"
  n=$((n + 1))
done
: > "$log"

cd "$build/bin"
wine Tolvar.exe --demo --no-splash --settings "$(winepath -w "$settings")" \
     --log "$(winepath -w "$log")" "$@" </dev/null >"$run/tolvar.out" 2>&1 &
pid=$!

echo "Tolvar.exe runs; indications (ms, key, modifiers, state, name, icon, sound):"
printed=0
shot=""
shot_off=""
show_new_lines() {
  local lines
  lines=$(wc -l < "$log")
  if [ "$lines" -gt "$printed" ]; then
    sed -n "$((printed + 1)),${lines}p" "$log" | tr -d '\r' | sed 's/^/  /'
    printed=$lines
  fi
}
while kill -0 "$pid" 2>/dev/null; do
  show_new_lines
  # All three lock keys on: the tray, the display and the Caps Lock display;
  # then all off again.
  if [ -z "$shot" ] && [ "$printed" -ge 3 ]; then
    shot=$build_root/tolvar-desktop.png
    import -window root "$shot"
    echo "screenshot: $shot"
  fi
  if [ -z "$shot_off" ] && [ "$printed" -ge 6 ]; then
    shot_off=$build_root/tolvar-desktop-off.png
    import -window root "$shot_off"
    echo "screenshot: $shot_off"
  fi
  sleep 0.1
done
status=0
wait "$pid" || status=$?
show_new_lines
echo "Tolvar.exe ended with status $status ($printed indications)"
exit "$status"
