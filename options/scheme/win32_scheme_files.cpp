// win32_scheme_files.cpp - Win32 file calls behind the scheme code.
#include "options/scheme/win32_scheme_files.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "common/ansi_path.h"
#include "common/ansi_path_win32.h"

namespace tolvar {

namespace {

HANDLE ToWin32(SchemeFileSystem::Handle file) { return static_cast<HANDLE>(file); }

SchemeFileSystem::Handle FromWin32(HANDLE file)
{
    return file == INVALID_HANDLE_VALUE ? nullptr : static_cast<SchemeFileSystem::Handle>(file);
}

} // namespace

SchemeFileSystem::Handle Win32SchemeFiles::OpenRead(const char *path)
{
    return FromWin32(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
}

SchemeFileSystem::Handle Win32SchemeFiles::CreateWrite(const char *path, bool shareRead)
{
    return FromWin32(CreateFileA(path, GENERIC_WRITE, shareRead ? FILE_SHARE_READ : 0, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool Win32SchemeFiles::Read(Handle file, void *buffer, uint32_t count, uint32_t *got)
{
    DWORD read = 0;
    BOOL ok = ReadFile(ToWin32(file), buffer, count, &read, nullptr);
    *got = read;
    return ok != FALSE;
}

bool Win32SchemeFiles::Write(Handle file, const void *buffer, uint32_t count)
{
    DWORD written = 0;
    return WriteFile(ToWin32(file), buffer, count, &written, nullptr) && written == count;
}

// The same 64-bit size GetFileInformationByHandle gives, without the rest of
// what that call gathers: under Wine it also works out the file's full name,
// which costs more than reading 100 KiB of the file.
bool Win32SchemeFiles::Size(Handle file, uint64_t *size)
{
    LARGE_INTEGER length;
    if (!GetFileSizeEx(ToWin32(file), &length))
        return false;
    *size = static_cast<uint64_t>(length.QuadPart);
    return true;
}

bool Win32SchemeFiles::Seek(Handle file, uint64_t offset)
{
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(ToWin32(file), to, nullptr, FILE_BEGIN) != FALSE;
}

void Win32SchemeFiles::Close(Handle file) { CloseHandle(ToWin32(file)); }

SchemeFileSystem::PathKind Win32SchemeFiles::Probe(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return PathKind::kMissing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::kFolder : PathKind::kOther;
}

bool Win32SchemeFiles::CreateFolder(const char *path)
{
    return CreateDirectoryA(path, nullptr) != FALSE;
}

bool Win32SchemeFiles::Find(const char *path, uint64_t *size)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    *size = static_cast<uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
    return true;
}

bool Win32SchemeFiles::ListFolder(const char *folder, FolderSink &sink)
{
    char pattern[MAX_PATH + 3];
    size_t length = std::strlen(folder);
    if (length + 2 >= sizeof pattern)
        return false;
    std::memcpy(pattern, folder, length);
    std::memcpy(pattern + length, "\\*", 3);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;  // nothing inside
    do {
        const char *name = found.cFileName;
        if (!std::strcmp(name, ".") || !std::strcmp(name, ".."))
            continue;
        const uint64_t size = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                                  ? 0
                                  : static_cast<uint64_t>(found.nFileSizeHigh) << 32 |
                                        found.nFileSizeLow;
        // A look-up also finds a file by its short (8.3) name.
        sink.Add(name, found.cAlternateFileName, size);
    } while (FindNextFileA(search, &found));
    const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(search);
    return complete;
}

bool Win32SchemeFiles::Remove(const char *path) { return DeleteFileA(path) != FALSE; }

bool Win32SchemeFiles::Rename(const char *from, const char *to)
{
    return MoveFileA(from, to) != FALSE;
}

// Read wide, so that a folder named in any language is found, and handed on
// in the form that the store's ANSI calls accept (its short form where the
// code page lacks its letters).
bool Win32SchemeFiles::HostFolder(char *out, size_t size)
{
    wchar_t module[kAnsiPathMaxUnits];
    if (!ModulePathWide(nullptr, module, kAnsiPathMaxUnits))
        return false;
    wchar_t *last = std::wcsrchr(module, L'\\');
    if (!last)
        return false;
    *last = 0;
    return SystemAnsiPath(module, out, size);
}

LeadBytes Win32SchemeFiles::PathLeadBytes()
{
    LeadBytes lead;
    CPINFO info;
    if (!GetCPInfo(CP_ACP, &info))
        return lead;
    for (int i = 0; i + 1 < MAX_LEADBYTES && (info.LeadByte[i] || info.LeadByte[i + 1]); i += 2)
        lead.AddRange(info.LeadByte[i], info.LeadByte[i + 1]);
    return lead;
}

} // namespace tolvar
