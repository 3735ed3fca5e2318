#!/usr/bin/env bash
# One release artefact tested as a user gets it, in a fresh Wine prefix of its
# own (own Xvfb display, own wineserver), whatever Wine world ctest runs in:
#
#   run_artefact_test.sh zip ZIP DRIVER VERSION
#       unpacks the zip into the prefix; the driver checks its folders and
#       sees Tolvar.exe, started from there, indicate Caps Lock. Then nothing
#       on drive C or in the registry may differ from before, except inside
#       the unpacked folder and the settings place (%APPDATA%\Tolvar).
#   run_artefact_test.sh installer SETUP DRIVER VERSION [win64]
#       the driver installs silently, checks the entries, sees the installed
#       program indicate, and uninstalls silently; uninstalls through the
#       uninstaller's pages around the user's own files; sees a silent
#       install refuse a folder of other files; and updates and uninstalls
#       while a library is held. With win64 in a 64-bit prefix, where the
#       program also runs its 64-bit companion.
#
# DRIVER is artefact_wine_test.exe (artefact_wine_test.cpp says what it checks).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
mode=$1 artefact=$2 driver=$3 version=$4 arch=${5:-win32}
[ -f "$artefact" ] || { echo "$artefact is missing: scripts/package.sh makes it" >&2; exit 1; }
run="$(cd "$(dirname "$driver")/.." && pwd)/artefact-$mode-$arch"

. "$root/scripts/wine-session.sh"
trap wine_session_stop EXIT
wine_session_start "$run" "$arch"

# Wine shows the root of the Linux file system as drive Z.
windows_path() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
export TOLVAR_RUN_DIR TOLVAR_VERSION=$version
TOLVAR_RUN_DIR=$(windows_path "$run")
# Wine links the user's Desktop, Documents, Downloads and the like to the
# Linux home folder. Here they become folders of the prefix, as on Windows,
# so that nothing the run writes leaves the prefix and the check below sees
# every file.
user=$(cd "$WINEPREFIX/drive_c/users" && ls -d -- */AppData | head -1)
user=${user%/AppData}
for link in "$WINEPREFIX/drive_c/users/$user"/*; do
  if [ -L "$link" ]; then rm "$link" && mkdir "$link"; fi
done
# Artefacts go where a browser puts them: the user's Downloads folder.
downloads="$WINEPREFIX/drive_c/users/$user/Downloads"
downloads_windows="C:\\users\\$user\\Downloads"

# Every file on drive C with its size and time, and every registry value
# under its key, after the wineserver has saved the registry and ended.
snapshot() {
  wineserver -k || true
  {
    (cd "$WINEPREFIX/drive_c" && find . -mindepth 1 -printf 'file %p %s %T@\n')
    for hive in system.reg user.reg userdef.reg; do
      awk -v hive="$hive" '
        /^\[/ { key = $0; sub(/\] [0-9]+$/, "]", key); print "key " hive " " key; next }
        /^#/ || /^$/ || /^WINE REGISTRY/ { next }
        { print "value " hive " " key " " $0 }' "$WINEPREFIX/$hive"
    done
  } | LC_ALL=C sort > "$1"
}

case $mode in
zip)
  python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
    "$artefact" "$downloads"
  snapshot "$run/before.txt"
  status=0
  TOLVAR_APP_DIR="$downloads_windows\\Tolvar" "$root/scripts/wine-exec.sh" "$driver" \
    --gtest_filter='UnpackedZip.*' || status=1
  snapshot "$run/after.txt"
  # What changed, less what may: the unpacked folder (where the program keeps
  # its settings when it can write there), %APPDATA%\Tolvar (where it keeps
  # them otherwise), Wine's own records of the display devices, which it
  # rewrites whenever a desktop starts on a display, and of the code pages its
  # fonts were set up for, which it rewrites whenever a program runs in
  # another code page (Tolvar.exe runs in UTF-8, as its manifest asks).
  LC_ALL=C comm -3 "$run/before.txt" "$run/after.txt" | sed 's/^\t//' |
    grep -v -e "^file \\./users/$user/Downloads/Tolvar[ /]" \
            -e "^file \\./users/$user/AppData/Roaming/Tolvar[ /]" \
            -e '^[a-z]* system\.reg \[System\\\\CurrentControlSet\\\\Control\\\\Class\\\\' \
            -e '^[a-z]* system\.reg \[System\\\\CurrentControlSet\\\\Enum\\\\DISPLAY\\\\' \
            -e '^[a-z]* system\.reg \[System\\\\CurrentControlSet\\\\Hardware Profiles\\\\Current\\\\Software\\\\Fonts\]' \
            -e '^[a-z]* user\.reg \[Software\\\\Wine\\\\Fonts\]' \
      > "$run/written-elsewhere.txt" || true
  if [ -s "$run/written-elsewhere.txt" ]; then
    echo "written outside the unpacked folder and the settings place:"
    cat "$run/written-elsewhere.txt"
    status=1
  fi
  exit $status
  ;;
installer)
  cp "$artefact" "$downloads/"
  TOLVAR_SETUP="$downloads_windows\\$(basename "$artefact")" "$root/scripts/wine-exec.sh" "$driver" \
    --gtest_filter='Installer.*'
  ;;
*)
  echo "usage: $0 zip|installer ARTEFACT DRIVER VERSION" >&2
  exit 2
  ;;
esac
