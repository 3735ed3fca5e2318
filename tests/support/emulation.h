// emulation.h - whether the Windows tests run on an emulated processor.
//
// Where the kernel cannot run 32-bit x86 code, Wine runs under qemu's
// user-mode emulation (scripts/bootstrap.sh), and scripts/wine-env.sh sets
// TOLVAR_EMULATED=1. Two things differ there, and only those may be relaxed:
// the emulated process can have memory at address 0, and the emulator
// reports some access violations with a trap number that Wine turns into an
// illegal-instruction exception.
#pragma once

namespace tolvar_test {

bool RunningUnderEmulation();

} // namespace tolvar_test
