// posix_scheme_files.h - the scheme code's file operations on POSIX calls, so
// that native tests and benchmarks run the same save and load code as the
// library. "\" in paths is taken as the separator; the "host folder" is a
// folder given at construction. Renaming never replaces an existing file, as
// on Windows.
#ifndef TOLVAR_SCHEME_POSIX_SCHEME_FILES_H
#define TOLVAR_SCHEME_POSIX_SCHEME_FILES_H

#include <string>

#include "options/scheme/scheme_store.h"

namespace tolvar {

class PosixSchemeFiles final : public SchemeFileSystem {
public:
    explicit PosixSchemeFiles(std::string hostFolder) : hostFolder_(std::move(hostFolder)) {}

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
    bool NamesIgnoreCase() override { return false; }
    bool Remove(const char *path) override;
    bool Rename(const char *from, const char *to) override;
    bool HostFolder(char *out, size_t size) override;

    // The path with "\" turned into "/".
    static std::string Native(const char *path);

private:
    std::string hostFolder_;
};

} // namespace tolvar

#endif // TOLVAR_SCHEME_POSIX_SCHEME_FILES_H
