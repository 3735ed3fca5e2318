# Sourced by the scripts that run Wine: the settings every run uses.
#   winedbg.exe=d         a crash exits at once instead of hanging in the debugger
#   winemenubuilder.exe=d shell links write no menu files under $HOME
#   mscoree,mshtml=       no Mono or Gecko installer
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="winedbg.exe=d;winemenubuilder.exe=d;mscoree,mshtml="
# A run's world is a 32-bit prefix unless it says otherwise (TOLVAR_WINEARCH=
# win64: a 64-bit prefix, where 32-bit and 64-bit programs run side by side).
export TOLVAR_WINEARCH=${TOLVAR_WINEARCH:-win32}
export WINEARCH=$TOLVAR_WINEARCH

# True when 32-bit programs run natively (no emulator in between).
tolvar_native_ia32() {
  [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ] ||
    [ "$(head -1 /proc/sys/fs/binfmt_misc/qemu-i386)" != enabled ]
}

# Tells the Windows tests that the processor is emulated (tests/support/
# emulation.h says what that relaxes).
tolvar_native_ia32 || export TOLVAR_EMULATED=1
