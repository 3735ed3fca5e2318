// posix_scheme_files.cpp - POSIX file calls behind the scheme code.
#include "options/scheme/posix_scheme_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstring>

namespace tolvar {

namespace {

// Descriptors travel as fd + 1 so that descriptor 0 is not a null handle.
int ToFd(SchemeFileSystem::Handle file)
{
    return static_cast<int>(reinterpret_cast<intptr_t>(file)) - 1;
}

SchemeFileSystem::Handle FromFd(int fd)
{
    return fd < 0 ? nullptr : reinterpret_cast<SchemeFileSystem::Handle>(intptr_t(fd) + 1);
}

} // namespace

std::string PosixSchemeFiles::Native(const char *path)
{
    std::string native(path);
    for (char &c : native)
        if (c == '\\')
            c = '/';
    return native;
}

SchemeFileSystem::Handle PosixSchemeFiles::OpenRead(const char *path)
{
    int fd = open(Native(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        struct stat st;
        if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            close(fd);
            return nullptr;
        }
    }
    return FromFd(fd);
}

SchemeFileSystem::Handle PosixSchemeFiles::CreateWrite(const char *path, bool)
{
    return FromFd(open(Native(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
}

bool PosixSchemeFiles::Read(Handle file, void *buffer, uint32_t count, uint32_t *got)
{
    ssize_t n;
    do
        n = read(ToFd(file), buffer, count);
    while (n < 0 && errno == EINTR);
    *got = n > 0 ? static_cast<uint32_t>(n) : 0;
    return n >= 0;
}

bool PosixSchemeFiles::Write(Handle file, const void *buffer, uint32_t count)
{
    const char *at = static_cast<const char *>(buffer);
    while (count > 0) {
        ssize_t n = write(ToFd(file), at, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
        count -= static_cast<uint32_t>(n);
    }
    return true;
}

bool PosixSchemeFiles::Size(Handle file, uint64_t *size)
{
    struct stat st;
    if (fstat(ToFd(file), &st) != 0)
        return false;
    *size = static_cast<uint64_t>(st.st_size);
    return true;
}

bool PosixSchemeFiles::Seek(Handle file, uint64_t offset)
{
    return offset <= static_cast<uint64_t>(INT64_MAX) &&
           lseek(ToFd(file), static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

void PosixSchemeFiles::Close(Handle file) { close(ToFd(file)); }

SchemeFileSystem::PathKind PosixSchemeFiles::Probe(const char *path)
{
    struct stat st;
    if (stat(Native(path).c_str(), &st) != 0)
        return PathKind::kMissing;
    return S_ISDIR(st.st_mode) ? PathKind::kFolder : PathKind::kOther;
}

bool PosixSchemeFiles::CreateFolder(const char *path)
{
    return mkdir(Native(path).c_str(), 0755) == 0;
}

bool PosixSchemeFiles::Find(const char *path, uint64_t *size)
{
    struct stat st;
    if (stat(Native(path).c_str(), &st) != 0)
        return false;
    *size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    return true;
}

bool PosixSchemeFiles::ListFolder(const char *folder, FolderSink &sink)
{
    DIR *dir = opendir(Native(folder).c_str());
    if (!dir)
        return false;
    errno = 0;
    while (dirent *entry = readdir(dir)) {
        if (!std::strcmp(entry->d_name, ".") || !std::strcmp(entry->d_name, ".."))
            continue;
        struct stat st;
        if (fstatat(dirfd(dir), entry->d_name, &st, 0) != 0)
            continue;  // gone since it was listed
        sink.Add(entry->d_name, nullptr, S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size));
        errno = 0;
    }
    const bool complete = errno == 0;
    closedir(dir);
    return complete;
}

bool PosixSchemeFiles::Remove(const char *path) { return unlink(Native(path).c_str()) == 0; }

bool PosixSchemeFiles::Rename(const char *from, const char *to)
{
    std::string source = Native(from), target = Native(to);
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    // Without an atomic no-replace rename: link fails when the target exists.
    if (link(source.c_str(), target.c_str()) != 0)
        return false;
    unlink(source.c_str());
    return true;
}

bool PosixSchemeFiles::HostFolder(char *out, size_t size)
{
    if (hostFolder_.size() + 1 > size)
        return false;
    std::memcpy(out, hostFolder_.c_str(), hostFolder_.size() + 1);
    return true;
}

} // namespace tolvar
