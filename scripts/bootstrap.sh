#!/usr/bin/env bash
# Installs, idempotently, everything the build, the packages and the tests
# need on a fresh Debian machine: the MinGW-w64 cross compiler for 32-bit
# Windows, Wine with its 32-bit part, Xvfb, ImageMagick, CMake, clang (for the
# fuzz target and the header checks in Microsoft's mode), the GoogleTest
# sources, NSIS (the installer), Python (the reproducible zips) and the
# locale sources (a test runs Wine in a Japanese locale). Runs as root, or
# through sudo.
#
# Some virtual machines run a kernel that refuses to execute 32-bit x86
# programs, and Wine's 32-bit loader is one. There the script registers
# Debian's qemu-i386 user-mode emulator for 32-bit programs (binfmt_misc), so
# that Wine still runs, only much more slowly.
set -euo pipefail

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

packages=(
  cmake make g++ clang libclang-rt-14-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  googletest
  wine wine32:i386 wine64
  # Recommended, not required, by Wine's 32-bit part: without it a 32-bit
  # prefix sees one monitor however many the X server has.
  libxinerama1:i386
  xvfb xserver-xephyr x11-utils imagemagick
  nsis python3 locales
)

is_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

install_packages() {
  local missing=() p
  for p in "$@"; do is_installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "bootstrap: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt_update
  with_failed_suites_held_back \
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Suites whose index the last apt_update could not fetch.
failed_suites=()

# apt-get update, tried again when a mirror answers badly (an index of the
# wrong size while the mirror syncs). When one suite's index still fails,
# the run goes on without it: with_failed_suites_held_back then keeps that
# suite's packages out of the install, since its amd64 index alone would
# ask for amd64 versions that no fetched i386 index matches.
apt_update() {
  local attempt out=/tmp/tolvar-apt-update.$$
  failed_suites=()
  for attempt in 1 2 3; do
    if $SUDO apt-get update -qq 2>"$out"; then
      rm -f "$out"
      return 0
    fi
    cat "$out" >&2
    [ $attempt = 3 ] || { echo "bootstrap: apt-get update failed; trying again"; sleep $((attempt * 10)); }
  done
  mapfile -t failed_suites < <(sed -nE 's|.*Failed to fetch [^ ]*/dists/([^/ ]+)/.*|\1|p' "$out" | sort -u)
  rm -f "$out"
  if [ ${#failed_suites[@]} -eq 0 ]; then
    echo "bootstrap: apt-get update keeps failing, and not on one suite's index" >&2
    return 1
  fi
  echo "bootstrap: the index of ${failed_suites[*]} cannot be fetched from the configured mirror;" \
       "installing with that suite held back"
}

# Runs the command with the suites of failed_suites held back (a temporary
# apt preferences file that gives them the lowest priority, removed again
# afterwards), or as it is when every index was fetched.
with_failed_suites_held_back() {
  if [ ${#failed_suites[@]} -eq 0 ]; then "$@"; return; fi
  local pref=/etc/apt/preferences.d/tolvar-held-back-suites.pref suite status=0
  for suite in "${failed_suites[@]}"; do
    printf 'Package: *\nPin: release n=%s\nPin-Priority: 1\n\nPackage: *\nPin: release a=%s\nPin-Priority: 1\n\n' \
      "$suite" "$suite"
  done | $SUDO tee "$pref" >/dev/null
  "$@" || status=$?
  $SUDO rm -f "$pref"
  return $status
}

# The URI of the source the machine already uses for the bookworm suite
# (deb822 .sources files or one-line lists), so that backports come from the
# same mirror.
bookworm_mirror_uri() {
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    # Stanzas are separated by blank lines; take URIs of a stanza whose
    # Suites list the plain bookworm suite.
    awk 'BEGIN { RS = ""; FS = "\n" }
         {
           uri = ""; ok = 0
           for (i = 1; i <= NF; i++) {
             if ($i ~ /^URIs:/)   { split($i, a, /[ \t]+/); uri = a[2] }
             if ($i ~ /^Suites:/) { n = split($i, s, /[ \t]+/)
                                    for (j = 2; j <= n; j++) if (s[j] == "bookworm") ok = 1 }
           }
           if (ok && uri != "") { print uri; exit }
         }' "$f"
  done | head -n 1 | grep . && return 0
  cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
    awk '$1 == "deb" { i = 2; if ($i ~ /^\[/) while ($i !~ /\]$/) i++; if ($i ~ /^\[/ || $i ~ /\]$/) i++;
                       if ($(i + 1) == "bookworm") { print $i; exit } }'
}

install_packages "${packages[@]}"

# Can this kernel run Wine's 32-bit loader?
emulated=0
if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] || ! wine --version >/dev/null 2>&1; then
  emulated=1
fi
if [ $emulated = 1 ]; then
  echo "bootstrap: this kernel does not run 32-bit programs; using qemu-i386 emulation"
  # qemu before 8 ignores MAP_FIXED_NOREPLACE, and Wine's reservation of the
  # upper 2 GB then falls apart into some 130,000 mmap calls: a minute of CPU
  # for every Windows process. Debian 12 has a current qemu in its backports.
  . /etc/os-release
  qemu_target=()
  if [ "${VERSION_CODENAME:-}" = bookworm ]; then
    list=/etc/apt/sources.list.d/tolvar-bookworm-backports.list
    if [ ! -f "$list" ]; then
      uri=$(bookworm_mirror_uri || true)
      if [ -z "$uri" ]; then
        echo "bootstrap: no configured Debian source carries the bookworm suite;" \
             "cannot add bookworm-backports for a current qemu" >&2
        exit 1
      fi
      echo "deb $uri bookworm-backports main" | $SUDO tee "$list" >/dev/null
      apt_update
    fi
    qemu_target=(-t bookworm-backports)
  fi
  if ! qemu-i386-static --version 2>/dev/null | grep -qE 'version ([89]|[1-9][0-9])\.'; then
    echo "bootstrap: installing a current qemu-user-static"
    DEBIAN_FRONTEND=noninteractive with_failed_suites_held_back $SUDO apt-get install -y -qq \
      --no-install-recommends "${qemu_target[@]}" qemu-user-static >/dev/null
  fi
  # wine64 brings the 64-bit wineserver, which Debian's wineserver script
  # prefers: the server then runs natively and only the Windows processes
  # are emulated.
  install_packages wine64
  if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
    $SUDO mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  fi
  # Registered with F, the kernel keeps the interpreter file it was given at
  # registration: register again so that the current qemu is the one used.
  if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
    echo -1 | $SUDO tee /proc/sys/fs/binfmt_misc/qemu-i386 >/dev/null
  fi
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    | $SUDO tee /proc/sys/fs/binfmt_misc/register >/dev/null
  wine --version >/dev/null
fi
echo "bootstrap: ready ($(wine --version))"
