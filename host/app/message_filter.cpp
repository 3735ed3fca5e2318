// Letting other programs' messages through to an elevated window.
#include "host/app/message_filter.h"

namespace tolvar {

void LetThroughFromOtherPrograms(HWND window, std::initializer_list<UINT> messages)
{
    // Windows 7 and later; looked up, as the program also runs without it.
    typedef BOOL(WINAPI * ChangeFilterProc)(HWND, UINT, DWORD, void *);
    const DWORD kAllow = 1;  // MSGFLT_ALLOW
    ChangeFilterProc change = reinterpret_cast<ChangeFilterProc>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilterEx")));
    if (!change)
        return;
    // A refusal changes nothing that could be helped here: the program
    // runs, and the messages it refused stay filtered.
    for (UINT message : messages)
        change(window, message, kAllow, nullptr);
}

}  // namespace tolvar
