// scheme_store.h - writing and reading whole scheme files, with the resource
// store, over a small file-system interface. The Win32 build plugs in the
// system's file calls; native tests and benchmarks plug in POSIX ones, so the
// same code path runs in both. Platform-free.
//
// Paths use "\" as separator, as the options library stores them; a
// file-system implementation translates them if its platform needs to.
#ifndef TOLVAR_SCHEME_SCHEME_STORE_H
#define TOLVAR_SCHEME_SCHEME_STORE_H

#include <cstddef>
#include <cstdint>

#include "options/scheme/scheme_format.h"
#include "options/scheme/store_names.h"
#include "tolvar/tolvar_host.h"

namespace tolvar {

constexpr uint32_t kSchemeChunkSize = 51200;
constexpr const char kSoundsFolderName[] = "Sounds";
constexpr const char kIconsFolderName[] = "Icons";

// Receives the entries of a folder listing: each name, the other name a
// look-up also finds the entry by (the short 8.3 name; null or empty when
// there is none) and the size.
class FolderSink {
public:
    virtual void Add(const char *name, const char *shortName, uint64_t size) = 0;

protected:
    ~FolderSink() = default;
};

// The file operations a save or load needs. A handle is opaque; null means
// failure. Read returns false on an error and sets got (0 at the end).
class SchemeFileSystem {
public:
    using Handle = void *;
    enum class PathKind { kMissing, kFolder, kOther };

    // Existing file, for reading, others may read it too.
    virtual Handle OpenRead(const char *path) = 0;
    // Created or truncated, for writing. shareRead: others may read it meanwhile.
    virtual Handle CreateWrite(const char *path, bool shareRead) = 0;
    virtual bool Read(Handle file, void *buffer, uint32_t count, uint32_t *got) = 0;
    // Writes all count bytes or fails.
    virtual bool Write(Handle file, const void *buffer, uint32_t count) = 0;
    virtual bool Size(Handle file, uint64_t *size) = 0;
    // Moves the position of a file open for reading to offset from its start.
    virtual bool Seek(Handle file, uint64_t offset) = 0;
    virtual void Close(Handle file) = 0;

    virtual PathKind Probe(const char *path) = 0;
    virtual bool CreateFolder(const char *path) = 0;
    // Looks one path up without opening it; size of what was found.
    virtual bool Find(const char *path, uint64_t *size) = 0;
    // Hands every entry directly inside folder to sink, files and folders
    // alike (a folder with size 0). False when the folder cannot be listed.
    virtual bool ListFolder(const char *folder, FolderSink &sink) = 0;
    // Whether names that differ only in letter case name the same file.
    virtual bool NamesIgnoreCase() = 0;
    virtual bool Remove(const char *path) = 0;
    virtual bool Rename(const char *from, const char *to) = 0;

    // Folder of the host executable, without a trailing separator.
    virtual bool HostFolder(char *out, size_t size) = 0;
    // The lead bytes of the code page that paths and names are in (none:
    // a single-byte code page, or UTF-8).
    virtual LeadBytes PathLeadBytes() { return LeadBytes(); }

protected:
    ~SchemeFileSystem() = default;
};

// The collection a load fills, with write access to its items afterwards,
// when the unpacked files' paths replace the bare names.
class SchemeCollection : public SchemeTarget {
public:
    virtual uint32_t ItemCount() = 0;
    virtual KeyItem *Item(uint32_t index) = 0;

protected:
    ~SchemeCollection() = default;
};

// CRC-32 of a file's content, read in chunks; 0 when it cannot be opened.
uint32_t ComputeFileCrc32(SchemeFileSystem &files, const char *path);

// Writes the header and its itemCount items (reducing every path field to its
// last component, in place) to a scheme at path, embedding each named file's
// content. A file that cannot be opened or sized is stored with length 0.
// True when every write succeeded.
bool WriteSchemeFile(SchemeFileSystem &files, const char *path,
                     const KeyCollectionHeader &header, KeyItem *items);

// Reads the scheme at path into target and unpacks its content into the
// "Sounds" and "Icons" folders of the host folder. False when the file is not
// a sound scheme (see DecodeSchemeRecord), is cut short anywhere (record or
// content), or a store operation fails; the temporary file never survives.
// Content goes to a file of the store that holds the same bytes, or is
// written under the temporary name and moved to a new name (ChooseTargetName);
// each store folder is listed once per load.
bool ReadSchemeFile(SchemeFileSystem &files, const char *path, SchemeCollection &target);

} // namespace tolvar

#endif // TOLVAR_SCHEME_SCHEME_STORE_H
