// The --log file.
#include "host/app/indication_log.h"

namespace tolvar {

bool IndicationLog::Open(const std::string &path, DWORD *error)
{
    Close();
    file_ = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return false;
    }
    return true;
}

void IndicationLog::Write(const std::string &line)
{
    if (file_ == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void IndicationLog::Close()
{
    if (file_ != INVALID_HANDLE_VALUE)
        CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
}

}  // namespace tolvar
