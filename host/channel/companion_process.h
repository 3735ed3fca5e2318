/*
 * companion_process.h - TolvarHook64.exe as Tolvar.exe runs it: started on
 * 64-bit Windows once the channel exists, so that keys typed into 64-bit
 * programs are indicated too, and ended with the program.
 */
#ifndef TOLVAR_HOST_COMPANION_PROCESS_H
#define TOLVAR_HOST_COMPANION_PROCESS_H

#include <windows.h>

#include <string>

namespace tolvar {

// True when this 32-bit program runs on 64-bit Windows.
bool RunningOnWow64();

class CompanionProcess {
public:
    ~CompanionProcess() { Stop(); }
    // Starts exe (by its wide path) and waits until its hook is in place.
    // False with the reason for the user (naming exe as shown) when it
    // cannot start or ends at once.
    bool Start(const std::wstring &exe, const std::string &shown, std::string *problem);
    // Why it ended, once it has (its exit code in words).
    std::string EndReason() const;
    // Asks it to end and waits; one that does not is ended by force.
    void Stop();
    HANDLE process() const { return info_.hProcess; }

private:
    PROCESS_INFORMATION info_ = {};
};

}  // namespace tolvar

#endif  // TOLVAR_HOST_COMPANION_PROCESS_H
