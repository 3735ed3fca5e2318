#!/usr/bin/env bash
# Builds the release and writes its artefacts:
#
#   Tolvar-<version>-win32.zip   the folder Tolvar/ as a user unpacks it: the
#                                program, both libraries, the 64-bit
#                                companion, Icons/, Sounds/,
#                                Schemes/ (with a sample scheme), README.txt,
#                                LICENSE.txt
#   Tolvar-<version>-setup.exe   the per-user installer of the same files
#   Tolvar-<version>-sdk.zip     the host header, the minimal host, its README
#   SHA256SUMS                   of the three
#
#   scripts/package.sh [OUT_DIR]     (default: dist/)
#   TOLVAR_BUILD_DIR=dir             build folder (default: build); the
#                                    Windows build is the test command's
#                                    build/win32, so a package after the tests
#                                    only links what changed
#   SOURCE_DATE_EPOCH=seconds        the time stamped on every zip entry
#                                    (default: the time of the commit)
#
# The zips are reproducible: the binaries carry no time stamps or build paths
# (see cmake/TolvarTargets.cmake), and the zips store their entries in sorted
# order with fixed times and permissions. The installer is built from the same
# files with file times left out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOLVAR_BUILD_DIR:-$root/build}
dist=${1:-$root/dist}
jobs=$(nproc)
started=$(date +%s)

bash "$root/scripts/bootstrap.sh"

# ---- build ----------------------------------------------------------------
win32="$build/win32"
tools="$build/package-tools"
cmake -S "$root" -B "$win32" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" >/dev/null
cmake --build "$win32" -j "$jobs" --target tolvar_release
# The sample scheme's writer runs natively: no sanitizers, only this target.
cmake -S "$root" -B "$tools" -DCMAKE_BUILD_TYPE=Release -DTOLVAR_SANITIZE=OFF >/dev/null
cmake --build "$tools" -j "$jobs" --target make_sample_scheme

version=$(sed -n 's/^#define TOLVAR_VERSION_STRING "\(.*\)"$/\1/p' \
          "$win32/generated/tolvar_version.h")
[ -n "$version" ] || { echo "package: no version in the build" >&2; exit 1; }
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)}

# ---- stage the Tolvar folder ------------------------------------------------
work="$build/package"
rm -rf "$work"
app="$work/stage/Tolvar"
mkdir -p "$app/Icons" "$app/Sounds" "$app/Schemes" "$work/scratch"

# Text for users: Windows line ends, the version filled in.
crlf() { sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$1" > "$2"; }

# The program, both libraries, the 64-bit companion (its hook library and
# the program that installs it on 64-bit Windows) and the user guide that
# the tray's Help opens.
install -m 0644 "$win32/bin/Tolvar.exe" "$win32/bin/Tolvar.dll" "$win32/bin/TolvarEx.dll" \
  "$win32/bin/TolvarEx64.dll" "$win32/bin/TolvarHook64.exe" "$win32/bin/Tolvar.html" "$app/"
crlf "$root/packaging/README.txt" "$app/README.txt"
crlf "$root/LICENSE.txt" "$app/LICENSE.txt"
# The program's own icons and sounds, as files to pick in the options.
images="$root/host/resources/images"
sounds="$root/host/resources/sounds"
for key in caps num scroll; do
  install -m 0644 "$images/${key}_on.ico" "$images/${key}_off.ico" "$app/Icons/"
done
install -m 0644 "$sounds/on.wav" "$sounds/off.wav" "$app/Sounds/"

# The sample scheme: the three lock keys with those icons and sounds, written
# and read back by the options library's scheme code.
key() { echo "$1:$2:$app/Sounds/on.wav:$app/Sounds/off.wav:$app/Icons/$3_on.ico:$app/Icons/$3_off.ico"; }
"$tools/packaging/make_sample_scheme" "$app/Schemes/Lock Keys.tvs" "$work/scratch" \
  "$(key 20 'Caps Lock' caps)" "$(key 144 'Num Lock' num)" "$(key 145 'Scroll Lock' scroll)"

# ---- the artefacts ------------------------------------------------------------
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
rm -f "$dist"/Tolvar-*-win32.zip "$dist"/Tolvar-*-setup.exe "$dist"/Tolvar-*-sdk.zip "$dist/SHA256SUMS"
zip_name="Tolvar-$version-win32.zip"
setup_name="Tolvar-$version-setup.exe"
sdk_name="Tolvar-$version-sdk.zip"

python3 "$root/packaging/make_zip.py" "$dist/$zip_name" "$work/stage" "$epoch" Tolvar

sdk="$work/sdk"
mkdir -p "$sdk/include/tolvar" "$sdk/examples"
install -m 0644 "$root/include/tolvar/tolvar_host.h" "$sdk/include/tolvar/"
install -m 0644 "$root/examples/minimal_host.c" "$root/examples/README.md" "$sdk/examples/"
python3 "$root/packaging/make_zip.py" "$dist/$sdk_name" "$sdk" "$epoch" \
  include/tolvar/tolvar_host.h examples/minimal_host.c examples/README.md

# The installer's file lists, in sorted order: what it installs is exactly
# what its uninstaller removes. The program files at the top (.exe, .dll)
# may be held by other processes: those are set aside rather than
# overwritten, and removed with their set-aside copies (tolvar.nsi).
files="$work/files.nsh"
mapfile -t folders < <(cd "$app" && find . -mindepth 1 -type d -printf '%P\n' | LC_ALL=C sort)
mapfile -t all_files < <(cd "$app" && find . -type f -printf '%P\n' | LC_ALL=C sort)
program_file() { [[ $1 != */* && ( $1 == *.exe || $1 == *.dll ) ]]; }
windows() { local p=$1; printf '%s' "${p//\//\\}"; }
{
  echo '!macro InstallFiles'
  for folder in "" "${folders[@]}"; do
    echo "  SetOutPath \"\$INSTDIR${folder:+\\$(windows "$folder")}\""
    (cd "$app/$folder" && find . -maxdepth 1 -type f -printf '%P\n' | LC_ALL=C sort) |
      while read -r f; do
        if [ -z "$folder" ] && program_file "$f"; then echo "  !insertmacro SetAsideIfInUse \"$f\""; fi
        echo "  File \"$app/${folder:+$folder/}$f\""
      done
  done
  echo '!macroend'
  echo '!macro UninstallFiles'
  for f in "${all_files[@]}"; do
    if program_file "$f"; then echo "  !insertmacro RemoveProgramFile \"$f\""
    else echo "  Delete \"\$INSTDIR\\$(windows "$f")\""; fi
  done
  for ((i = ${#folders[@]} - 1; i >= 0; i--)); do
    echo "  RMDir \"\$INSTDIR\\$(windows "${folders[i]}")\""
  done
  echo '!macroend'
  # Each installed file, relative to the folder, handed to a macro.
  echo '!macro ForEachInstalledFile MACRO'
  for f in "${all_files[@]}"; do echo "  !insertmacro \${MACRO} \"$(windows "$f")\""; done
  echo '!macroend'
  # Their size for the list of installed programs, in KiB.
  echo "!define INSTALLED_KB $(cd "$app" && find . -type f -printf '%s\n' |
                              awk '{ n += $1 } END { printf "%d", (n + 1023) / 1024 }')"
} > "$files"
makensis -V2 -DVERSION="$version" -DFILES="$files" -DOUTFILE="$dist/$setup_name" \
  -DICON="$images/program.ico" "$root/packaging/tolvar.nsi"

(cd "$dist" && sha256sum "$zip_name" "$setup_name" "$sdk_name" > SHA256SUMS)

echo "package: Tolvar $version in $dist ($(( $(date +%s) - started )) s)"
(cd "$dist" && ls -l "$zip_name" "$setup_name" "$sdk_name" SHA256SUMS | awk '{ printf "  %9d  %s\n", $5, $9 }')
