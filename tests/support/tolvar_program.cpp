// tolvar_program.cpp - driving Tolvar.exe from a test.
#include "tolvar_program.h"

#include <stdio.h>

#include "polling.h"
#include "tolvar/tolvar_host.h"

namespace tolvar_test {

namespace {

// Generous: a Windows process starts in a second or two under emulation.
const DWORD kWaitMs = 120000;

std::string Quote(const std::string &arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    return "\"" + arg + "\"";
}

struct Search {
    DWORD pid;
    const char *caption;
    bool messageBox;
    HWND found;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM param)
{
    Search *s = reinterpret_cast<Search *>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[32] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (pid != s->pid || lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    char caption[128] = "";
    GetWindowTextA(window, caption, sizeof caption);
    if (s->messageBox ? GetDlgItem(window, 0xFFFF) != nullptr : lstrcmpA(caption, s->caption) == 0) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

std::string TestBinFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.rfind('\\'));
}

namespace {

// Deletes everything below folder; what cannot go (a library still mapped
// into a process) stays.
void EmptyFolder(const std::wstring &folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring path = folder + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            EmptyFolder(path);
            RemoveDirectoryW(path.c_str());
        } else {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

std::string FreshFolder(const std::string &name)
{
    // A folder name of its own for every call: a hook library copied into
    // an earlier folder may still be mapped into this process (the hook
    // leaves a process only after the hook is gone and the process has
    // handled a message), so such a folder cannot always be emptied.
    static unsigned calls = 0;
    const std::string folder = TestBinFolder() + "\\host-tests\\" + name + "-" +
                               std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++calls);
    CreateDirectoryA((TestBinFolder() + "\\host-tests").c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    // What an earlier run whose process had the same id left there, folders
    // named in any language included.
    wchar_t wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide, MAX_PATH) > 0)
        EmptyFolder(wide);
    return folder;
}

bool WriteFileBytes(const std::string &path, const std::string &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

std::string ReadFileBytes(const std::string &path)
{
    // Shared for writing: the program may have its log open.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0)
        bytes.append(buffer, n);
    CloseHandle(h);
    return bytes;
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

// The hook handle in the channel, or 0 when there is no channel; a table
// count alongside.
uint32_t ChannelHook(int32_t *entryCount)
{
    uint32_t hook = 0;
    *entryCount = 0;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, TV_CHANNEL_MAPPING_NAME);
    if (!mapping)
        return 0;
    const KeyEventChannel *view = static_cast<const KeyEventChannel *>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    if (view) {
        hook = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(view->hookHandle));
        *entryCount = view->entryCount;
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    return hook;
}

} // namespace

TolvarProgram::~TolvarProgram()
{
    DWORD code = 0;
    if (running())
        Exit(&code);
}

bool TolvarProgram::Start(const std::wstring &exe, const std::vector<std::wstring> &args,
                          const std::string &outputPath)
{
    int32_t count = 0;
    hookAtStart_ = ChannelHook(&count);
    std::wstring line = L"\"" + exe + L"\"";
    for (const std::wstring &arg : args)
        line += L" \"" + arg + L"\"";
    process_.reset(new ChildProcess);
    process_->shortcut = shortcut_;
    return process_->Start(line, outputPath);
}

bool TolvarProgram::Start(const std::string &exe, const std::vector<std::string> &args,
                          const std::string &currentFolder)
{
    int32_t count = 0;
    hookAtStart_ = ChannelHook(&count);
    std::string line = Quote(exe);
    for (const std::string &arg : args)
        line += " " + Quote(arg);
    process_.reset(new ChildProcess);
    process_->shortcut = shortcut_;
    return process_->Start(line, exe + ".out", currentFolder);
}

bool TolvarProgram::WaitHandled()
{
    // A thread takes sent messages before posted ones: after the first
    // answer, the messages posted before are next in its queue.
    DWORD_PTR result = 0;
    HWND window = Window();
    for (int i = 0; i < 2; ++i)
        if (!window || !SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kWaitMs, &result))
            return false;
    return true;
}

bool TolvarProgram::running() const
{
    return process_ && WaitForSingleObject(process_->Handle(), 0) == WAIT_TIMEOUT;
}

bool TolvarProgram::WaitReady()
{
    return WaitFor(
        [this] {
            int32_t count = 0;
            const uint32_t hook = ChannelHook(&count);
            return hook && hook != hookAtStart_ && count > 0 && Window();
        },
        kWaitMs, 20);
}

HWND TolvarProgram::Window() const
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "TolvarIndicatorWindow", nullptr))) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == this->pid())
            return window;
    }
    return nullptr;
}

bool TolvarProgram::Kill()
{
    return process_ && TerminateProcess(process_->Handle(), 9) &&
           WaitForSingleObject(process_->Handle(), kWaitMs) == WAIT_OBJECT_0;
}

bool TolvarProgram::Exit(DWORD *code)
{
    HWND window = Window();
    if (!window || !PostMessageA(window, WM_CLOSE, 0, 0))
        return false;
    return WaitExit(code);
}

bool TolvarProgram::WaitExit(DWORD *code)
{
    if (!process_)
        return false;
    *code = process_->WaitForExit(kWaitMs);
    return *code != STILL_ACTIVE;
}

bool RunToEnd(const std::string &exe, const std::vector<std::string> &args, DWORD *code)
{
    TolvarProgram program;
    return program.Start(exe, args) && program.WaitExit(code);
}

std::vector<std::string> LogLines(const std::string &path)
{
    std::vector<std::string> lines;
    const std::string bytes = ReadFileBytes(path);
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            break;  // a line still being written
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t space = line.find(' ');
        lines.push_back(space == std::string::npos ? line : line.substr(space + 1));
        start = end + 1;
    }
    return lines;
}

bool WaitLogLines(const std::string &path, size_t n)
{
    return WaitFor([&] { return LogLines(path).size() >= n; }, kWaitMs, 20);
}

HWND FindMessageBoxOf(DWORD pid)
{
    Search s = {pid, nullptr, true, nullptr};
    EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::string MessageBoxText(HWND box)
{
    char text[2048] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

HWND FindDialogOf(DWORD pid, const char *caption)
{
    Search s = {pid, caption, false, nullptr};
    EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

bool SaveScreenshot(const RECT &r, const std::string &path)
{
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(dc, old);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    const int stride = (w * 3 + 3) & ~3;
    std::string bits(static_cast<size_t>(stride) * h, '\0');
    GetDIBits(dc, bitmap, 0, h, &bits[0], reinterpret_cast<BITMAPINFO *>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(bits.size());
    return WriteFileBytes(path, std::string(reinterpret_cast<const char *>(&file), sizeof file) +
                                    std::string(reinterpret_cast<const char *>(&info), sizeof info) + bits);
}

} // namespace tolvar_test
