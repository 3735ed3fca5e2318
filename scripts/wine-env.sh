# Sourced by the scripts that run Wine: the settings every run uses.
#   winedbg.exe=d         a crash exits at once instead of hanging in the debugger
#   winemenubuilder.exe=d shell links write no menu files under $HOME
#   mscoree,mshtml=       no Mono or Gecko installer
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="winedbg.exe=d;winemenubuilder.exe=d;mscoree,mshtml="
export WINEARCH=win32

# True when 32-bit programs run natively (no emulator in between).
tolvar_native_ia32() {
  [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ] ||
    [ "$(head -1 /proc/sys/fs/binfmt_misc/qemu-i386)" != enabled ]
}

# Tells the Windows tests that the processor is emulated (tests/support/
# emulation.h says what that relaxes).
tolvar_native_ia32 || export TOLVAR_EMULATED=1
