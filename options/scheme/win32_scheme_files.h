// win32_scheme_files.h - the scheme code's file operations on the Win32 file
// API (CreateFileA, ReadFile, FindFirstFileA, MoveFileA, ...), with the host
// folder taken from the process's main module.
#ifndef TOLVAR_SCHEME_WIN32_SCHEME_FILES_H
#define TOLVAR_SCHEME_WIN32_SCHEME_FILES_H

#include "options/scheme/scheme_store.h"

namespace tolvar {

class Win32SchemeFiles final : public SchemeFileSystem {
public:
    Handle OpenRead(const char *path) override;
    Handle CreateWrite(const char *path, bool shareRead) override;
    bool Read(Handle file, void *buffer, uint32_t count, uint32_t *got) override;
    bool Write(Handle file, const void *buffer, uint32_t count) override;
    bool Size(Handle file, uint64_t *size) override;
    bool Seek(Handle file, uint64_t offset) override;
    void Close(Handle file) override;
    PathKind Probe(const char *path) override;
    bool CreateFolder(const char *path) override;
    bool Find(const char *path, uint64_t *size) override;
    bool ListFolder(const char *folder, FolderSink &sink) override;
    bool NamesIgnoreCase() override { return true; }
    bool Remove(const char *path) override;
    bool Rename(const char *from, const char *to) override;
    bool HostFolder(char *out, size_t size) override;
    LeadBytes PathLeadBytes() override;
};

} // namespace tolvar

#endif // TOLVAR_SCHEME_WIN32_SCHEME_FILES_H
