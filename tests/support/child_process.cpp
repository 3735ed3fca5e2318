// child_process.cpp - a program with its output in a file.
#include "child_process.h"

#include <vector>

namespace tolvar_test {

ChildProcess::~ChildProcess()
{
    if (!info_.hProcess)
        return;
    if (WaitForSingleObject(info_.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 60000);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
}

namespace {

std::wstring WideText(const std::string &text)
{
    std::vector<wchar_t> wide(text.size() + 1);
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    return n > 0 ? std::wstring(wide.data()) : std::wstring();
}

} // namespace

bool ChildProcess::Start(const std::string &commandLine, const std::string &outputPath,
                         const std::string &currentFolder)
{
    const std::wstring line = WideText(commandLine);
    return !line.empty() && Start(line, outputPath, currentFolder);
}

bool ChildProcess::Start(const std::wstring &commandLine, const std::string &outputPath,
                         const std::string &currentFolder)
{
    outputPath_ = outputPath;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = out;
    std::vector<wchar_t> title(shortcut.begin(), shortcut.end());
    title.push_back(L'\0');
    if (!shortcut.empty()) {
        si.dwFlags |= STARTF_TITLEISLINKNAME;
        si.lpTitle = title.data();
    }
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    const std::wstring folder = WideText(currentFolder);
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                       folder.empty() ? nullptr : folder.c_str(), &si, &info_);
    CloseHandle(out);
    return started != FALSE;
}

std::string ChildProcess::Output() const
{
    std::string text;
    HANDLE in = CreateFileA(outputPath_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(in);
    return text;
}

DWORD ChildProcess::WaitForExit(DWORD ms)
{
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0)
        GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

namespace {

struct WindowQuery {
    DWORD processId;
    const char *className;
    const char *caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context)
{
    WindowQuery *query = reinterpret_cast<WindowQuery *>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[256] = {};
    if (owner != query->processId || !IsWindowVisible(window) ||
        !GetClassNameA(window, name, sizeof name) || lstrcmpA(name, query->className) != 0)
        return TRUE;
    if (query->caption) {
        GetWindowTextA(window, name, sizeof name);
        if (lstrcmpA(name, query->caption) != 0)
            return TRUE;
    }
    query->found = window;
    return FALSE;
}

} // namespace

HWND FindProcessWindow(DWORD processId, const char *className, const char *caption)
{
    WindowQuery query = {processId, className, caption, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

} // namespace tolvar_test
