// scheme_store.cpp - whole scheme files: embedding content on save, checking
// and unpacking it into the resource store on load. Content is always copied
// through one buffer of at most kSchemeChunkSize bytes, never loaded whole.
#include "options/scheme/scheme_store.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "options/scheme/store_names.h"

namespace tolvar {

namespace {

using Handle = SchemeFileSystem::Handle;

// Closes a handle when it goes out of scope.
class FileCloser {
public:
    FileCloser(SchemeFileSystem &files, Handle file) : files_(files), file_(file) {}
    ~FileCloser()
    {
        if (file_)
            files_.Close(file_);
    }
    FileCloser(const FileCloser &) = delete;
    FileCloser &operator=(const FileCloser &) = delete;

private:
    SchemeFileSystem &files_;
    Handle file_;
};

// Frees a malloc'ed block when it goes out of scope.
class BlockFreer {
public:
    explicit BlockFreer(void *block) : block_(block) {}
    ~BlockFreer() { std::free(block_); }
    BlockFreer(const BlockFreer &) = delete;
    BlockFreer &operator=(const BlockFreer &) = delete;

private:
    void *block_;
};

// Reads until count bytes arrived, the file ends or a read fails; true only
// when all count bytes were read.
bool ReadFully(SchemeFileSystem &files, Handle file, void *buffer, uint32_t count)
{
    uint8_t *at = static_cast<uint8_t *>(buffer);
    while (count > 0) {
        uint32_t got = 0;
        if (!files.Read(file, at, count, &got) || got == 0 || got > count)
            return false;
        at += got;
        count -= got;
    }
    return true;
}

void PutU64(uint8_t *at, uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t GetU64(const uint8_t *at)
{
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = value << 8 | at[i];
    return value;
}

// Appends one embedded entry: the length, then the scrambled content. A file
// that cannot be opened or sized gets length 0. False when a write fails or
// the file ends before the length it had when it was sized.
bool EmbedFile(SchemeFileSystem &files, Handle scheme, const char *path, uint8_t *chunk)
{
    Handle source = files.OpenRead(path);
    FileCloser closeSource(files, source);
    uint64_t length = 0;
    if (source && !files.Size(source, &length))
        length = 0;

    uint8_t lengthBytes[8];
    PutU64(lengthBytes, length);
    if (!files.Write(scheme, lengthBytes, sizeof lengthBytes))
        return false;

    uint64_t remaining = length;
    while (remaining > 0) {
        uint32_t want = remaining < kSchemeChunkSize ? static_cast<uint32_t>(remaining)
                                                     : kSchemeChunkSize;
        uint32_t got = 0;
        if (!files.Read(source, chunk, want, &got) || got == 0 || got > want)
            return false;  // the entry would claim more bytes than it holds
        ScrambleBytes(chunk, got);
        if (!files.Write(scheme, chunk, got))
            return false;
        remaining -= got;
    }
    return true;
}

// The store as the name chooser sees it, through the file system.
class FileSystemLookup final : public StoreLookup {
public:
    explicit FileSystemLookup(SchemeFileSystem &files) : files_(files) {}
    StoreEntry Find(const char *path) override
    {
        uint64_t size = 0;
        if (!files_.Find(path, &size))
            return StoreEntry{false, 0};
        return StoreEntry{true, static_cast<uint32_t>(size)};
    }
    uint32_t ContentCrc32(const char *path) override { return ComputeFileCrc32(files_, path); }

private:
    SchemeFileSystem &files_;
};

// The CRC of a closed temporary file, read back when asked for.
class TempFileCrc final : public ContentCrc {
public:
    TempFileCrc(SchemeFileSystem &files, const char *path) : files_(files), path_(path) {}
    uint32_t Get() override { return ComputeFileCrc32(files_, path_); }

private:
    SchemeFileSystem &files_;
    const char *path_;
};

// One load: the open scheme, how many of its bytes are still unread, and the
// host folder.
struct Unpacker {
    SchemeFileSystem &files;
    Handle scheme;
    uint64_t unread;
    char hostFolder[kMaxPathChars + 1];
    bool soundsReady;
    bool iconsReady;

    // Unpacks the entry of one path field into its store folder ("Icons" or
    // "Sounds") and points the field at the result.
    bool UnpackField(char *field, bool iconField)
    {
        if (!*field)
            return true;  // no entry in the scheme
        uint8_t lengthBytes[8];
        if (unread < sizeof lengthBytes ||
            !ReadFully(files, scheme, lengthBytes, sizeof lengthBytes))
            return false;
        unread -= sizeof lengthBytes;
        uint64_t length = GetU64(lengthBytes);
        if (length == 0)
            return true;  // content was not available; the bare name stays
        if (length > unread)
            return false;  // the scheme ends inside this content

        char folder[kMaxPathChars + 1];
        const char *folderName = iconField ? kIconsFolderName : kSoundsFolderName;
        int n = std::snprintf(folder, sizeof folder, "%s\\%s", hostFolder, folderName);
        if (n < 0 || static_cast<size_t>(n) >= sizeof folder)
            return false;
        // Each store folder is checked (and made) once per load.
        bool &ready = iconField ? iconsReady : soundsReady;
        if (!ready) {
            switch (files.Probe(folder)) {
            case SchemeFileSystem::PathKind::kMissing:
                if (!files.CreateFolder(folder))
                    return false;
                break;
            case SchemeFileSystem::PathKind::kFolder:
                break;
            case SchemeFileSystem::PathKind::kOther:
                return false;
            }
            ready = true;
        }

        char tempPath[kMaxPathChars + 1];
        n = std::snprintf(tempPath, sizeof tempPath, "%s\\%s", folder, kStoreTempFileName);
        if (n < 0 || static_cast<size_t>(n) >= sizeof tempPath)
            return false;
        if (!CopyToTemp(tempPath, length)) {
            files.Remove(tempPath);
            return false;
        }

        // The content's CRC is needed only where a file of the same size
        // exists; it is then read back from the temporary file.
        char target[kMaxPathChars + 1];
        FileSystemLookup lookup(files);
        TempFileCrc crc(files, tempPath);
        switch (ChooseTargetName(folder, field, length, crc, lookup, target)) {
        case NameChoice::kNewName:
            // Rename never replaces a file: one that appeared since the
            // choice is left alone and the load fails.
            if (!files.Rename(tempPath, target)) {
                files.Remove(tempPath);
                return false;
            }
            break;
        case NameChoice::kIdenticalFile:
            files.Remove(tempPath);
            break;
        case NameChoice::kNoFreeName:
        case NameChoice::kTooLong:
            files.Remove(tempPath);
            return false;
        }
        std::memcpy(field, target, std::strlen(target) + 1);
        return true;
    }

    // Copies length content bytes from the scheme into a fresh temporary
    // file, unscrambled.
    bool CopyToTemp(const char *tempPath, uint64_t length)
    {
        Handle temp = files.CreateWrite(tempPath, true);
        if (!temp)
            return false;
        FileCloser closeTemp(files, temp);
        uint32_t bufferSize = length < kSchemeChunkSize ? static_cast<uint32_t>(length)
                                                        : kSchemeChunkSize;
        uint8_t *buffer = static_cast<uint8_t *>(std::malloc(bufferSize));
        if (!buffer)
            return false;
        BlockFreer freeBuffer(buffer);

        uint64_t remaining = length;
        while (remaining > 0) {
            uint32_t want = remaining < bufferSize ? static_cast<uint32_t>(remaining) : bufferSize;
            uint32_t got = 0;
            if (!files.Read(scheme, buffer, want, &got) || got == 0 || got > want)
                return false;  // content ends before its stated length
            ScrambleBytes(buffer, got);
            if (!files.Write(temp, buffer, got))
                return false;
            remaining -= got;
            unread -= got;
        }
        return true;
    }
};

} // namespace

uint32_t ComputeFileCrc32(SchemeFileSystem &files, const char *path)
{
    Handle file = files.OpenRead(path);
    if (!file)
        return 0;
    FileCloser closeFile(files, file);
    uint8_t *chunk = static_cast<uint8_t *>(std::malloc(kSchemeChunkSize));
    if (!chunk)
        return 0;
    BlockFreer freeChunk(chunk);
    uint32_t crc = kCrc32Start;
    for (;;) {
        uint32_t got = 0;
        if (!files.Read(file, chunk, kSchemeChunkSize, &got) || got == 0)
            break;
        crc = UpdateCrc32(chunk, got, crc);
    }
    return ~crc;
}

bool WriteSchemeFile(SchemeFileSystem &files, const char *path,
                     const KeyCollectionHeader &header, KeyItem *items)
{
    if (header.itemCount > 0 && !items)
        return false;
    Handle scheme = files.CreateWrite(path, false);
    if (!scheme)
        return false;
    FileCloser closeScheme(files, scheme);

    // The embed list: the full path of every non-empty file name, in record
    // order, while the fields themselves are cut down to the names.
    const size_t slots = static_cast<size_t>(header.itemCount) * kPathFieldCount;
    char *embed = nullptr;
    if (slots > 0) {
        if (slots > SIZE_MAX / TV_PATH_SIZE)
            return false;
        embed = static_cast<char *>(std::malloc(slots * TV_PATH_SIZE));
        if (!embed)
            return false;
    }
    BlockFreer freeEmbed(embed);
    size_t embedCount = 0;
    for (uint32_t i = 0; i < header.itemCount; ++i) {
        for (int f = 0; f < kPathFieldCount; ++f) {
            char *field = PathField(items[i], f);
            field[TV_PATH_SIZE - 1] = 0;
            if (!*field)
                continue;
            char *full = embed + embedCount * TV_PATH_SIZE;
            std::memcpy(full, field, TV_PATH_SIZE);
            const char *name = LastPathComponent(full);
            std::memmove(field, name, std::strlen(name) + 1);
            if (*field)
                ++embedCount;
        }
    }

    size_t recordLength = 0;
    uint8_t *record = EncodeSchemeRecord(header, items, &recordLength);
    if (!record)
        return false;
    BlockFreer freeRecord(record);
    if (recordLength > UINT32_MAX)
        return false;
    uint8_t lengthBytes[4] = {
        static_cast<uint8_t>(recordLength), static_cast<uint8_t>(recordLength >> 8),
        static_cast<uint8_t>(recordLength >> 16), static_cast<uint8_t>(recordLength >> 24)};
    if (!files.Write(scheme, lengthBytes, sizeof lengthBytes))
        return false;
    ScrambleBytes(record + 1, recordLength - 1);
    if (!files.Write(scheme, record, static_cast<uint32_t>(recordLength)))
        return false;

    if (embedCount == 0)
        return true;
    uint8_t *chunk = static_cast<uint8_t *>(std::malloc(kSchemeChunkSize));
    if (!chunk)
        return false;
    BlockFreer freeChunk(chunk);
    for (size_t e = 0; e < embedCount; ++e)
        if (!EmbedFile(files, scheme, embed + e * TV_PATH_SIZE, chunk))
            return false;
    return true;
}

bool ReadSchemeFile(SchemeFileSystem &files, const char *path, SchemeCollection &target)
{
    Handle scheme = files.OpenRead(path);
    if (!scheme)
        return false;
    FileCloser closeScheme(files, scheme);
    uint64_t fileSize = 0;
    if (!files.Size(scheme, &fileSize) || fileSize < 4)
        return false;

    uint8_t lengthBytes[4];
    if (!ReadFully(files, scheme, lengthBytes, sizeof lengthBytes))
        return false;
    uint32_t recordLength = static_cast<uint32_t>(lengthBytes[0]) |
                            static_cast<uint32_t>(lengthBytes[1]) << 8 |
                            static_cast<uint32_t>(lengthBytes[2]) << 16 |
                            static_cast<uint32_t>(lengthBytes[3]) << 24;
    if (recordLength == 0 || recordLength > fileSize - 4)
        return false;

    uint8_t *record = static_cast<uint8_t *>(std::malloc(recordLength));
    if (!record)
        return false;
    BlockFreer freeRecord(record);
    if (!ReadFully(files, scheme, record, recordLength))
        return false;
    ScrambleBytes(record + 1, recordLength - 1);
    if (!DecodeSchemeRecord(record, recordLength, target))
        return false;

    Unpacker unpacker{files, scheme, fileSize - 4 - recordLength, {}, false, false};
    if (!files.HostFolder(unpacker.hostFolder, sizeof unpacker.hostFolder))
        return false;
    const uint32_t count = target.ItemCount();
    for (uint32_t i = 0; i < count; ++i) {
        KeyItem *item = target.Item(i);
        if (!item)
            return false;
        for (int f = 0; f < kPathFieldCount; ++f) {
            if (!unpacker.UnpackField(PathField(*item, f), IsIconField(f)))
                return false;
        }
    }
    return true;
}

} // namespace tolvar
