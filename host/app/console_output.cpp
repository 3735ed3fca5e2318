// A line on standard error or the starter's console.
#include "host/app/console_output.h"

#include <windows.h>

namespace tolvar {

void WriteToConsole(const std::string &line)
{
    if (line.empty())
        return;
    const std::string text = line + "\r\n";
    const DWORD size = static_cast<DWORD>(text.size());
    DWORD written = 0;
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error && error != INVALID_HANDLE_VALUE && WriteFile(error, text.data(), size, &written, nullptr))
        return;
    // A program of the windows subsystem gets no console of its own.
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    HANDLE console = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    if (console != INVALID_HANDLE_VALUE) {
        WriteFile(console, text.data(), size, &written, nullptr);
        CloseHandle(console);
    }
    FreeConsole();
}

}  // namespace tolvar
