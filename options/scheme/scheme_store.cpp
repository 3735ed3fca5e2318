// scheme_store.cpp - whole scheme files: embedding content on save, checking
// and unpacking it into the resource store on load. Content passes through
// buffers of at most kSchemeChunkSize bytes (the scheme's own, and on a load
// the stored file's it is compared with), never loaded whole.
#include "options/scheme/scheme_store.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "options/scheme/store_index.h"
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

// ---- save -------------------------------------------------------------------

// Collects what a save writes in one chunk-sized buffer, so that the lengths
// and the content of many small files go out in few large writes. Content
// is read straight into the free part of the buffer and scrambled there.
class SchemeWriter {
public:
    SchemeWriter(SchemeFileSystem &files, Handle scheme, uint8_t *buffer)
        : files_(files), scheme_(scheme), buffer_(buffer)
    {
    }

    bool Put(const void *bytes, size_t count)
    {
        const uint8_t *from = static_cast<const uint8_t *>(bytes);
        if (count > kSchemeChunkSize - used_) {
            if (!Flush())
                return false;
            if (count >= kSchemeChunkSize)
                return count <= UINT32_MAX &&
                       files_.Write(scheme_, from, static_cast<uint32_t>(count));
        }
        std::memcpy(buffer_ + used_, from, count);
        used_ += static_cast<uint32_t>(count);
        return true;
    }

    // Appends length bytes of source, scrambled. False when a write fails or
    // the file ends before length bytes.
    bool PutContent(Handle source, uint64_t length)
    {
        while (length > 0) {
            if (used_ == kSchemeChunkSize && !Flush())
                return false;
            uint32_t room = kSchemeChunkSize - used_;
            uint32_t want = length < room ? static_cast<uint32_t>(length) : room;
            uint32_t got = 0;
            if (!files_.Read(source, buffer_ + used_, want, &got) || got == 0 || got > want)
                return false;  // the entry would claim more bytes than it holds
            ScrambleBytes(buffer_ + used_, got);
            used_ += got;
            length -= got;
        }
        return true;
    }

    bool Flush()
    {
        if (used_ == 0)
            return true;
        bool ok = files_.Write(scheme_, buffer_, used_);
        used_ = 0;
        return ok;
    }

private:
    SchemeFileSystem &files_;
    Handle scheme_;
    uint8_t *buffer_;
    uint32_t used_ = 0;
};

// Appends one embedded entry: the length, then the scrambled content. A file
// that cannot be opened or sized gets length 0. False when a write fails or
// the file ends before the length it had when it was sized.
bool EmbedFile(SchemeFileSystem &files, SchemeWriter &out, const char *path)
{
    Handle source = files.OpenRead(path);
    FileCloser closeSource(files, source);
    uint64_t length = 0;
    if (source && !files.Size(source, &length))
        length = 0;
    uint8_t lengthBytes[8];
    PutU64(lengthBytes, length);
    return out.Put(lengthBytes, sizeof lengthBytes) && out.PutContent(source, length);
}

// ---- load -------------------------------------------------------------------

// Reads the open scheme through one chunk-sized buffer: the lengths and the
// record come out of it, and content is handed on from it in pieces of up to
// a chunk. Bytes stay in the buffer as read (scrambled) until a caller takes
// them, so a position already passed can be gone back to.
class SchemeReader {
public:
    SchemeReader(SchemeFileSystem &files, Handle scheme, uint64_t fileSize, uint8_t *buffer)
        : files_(files), scheme_(scheme), fileSize_(fileSize), buffer_(buffer)
    {
    }

    uint64_t Position() const { return bufferStart_ + cursor_; }
    uint64_t Unread() const { return fileSize_ - Position(); }
    const uint8_t *Data() const { return buffer_ + cursor_; }
    uint8_t *MutableData() { return buffer_ + cursor_; }
    uint32_t Available() const { return filled_ - cursor_; }
    void Skip(uint32_t count) { cursor_ += count; }

    // Makes at least the smaller of want and a chunk available at Data(),
    // reading as much as the buffer holds. want must not exceed Unread().
    // False when a read fails or the file ends early.
    bool Fill(uint64_t want)
    {
        if (want > kSchemeChunkSize)
            want = kSchemeChunkSize;
        if (Available() >= want)
            return true;
        // What is left goes to the front, then the rest of the buffer fills.
        const uint32_t left = Available();
        std::memmove(buffer_, buffer_ + cursor_, left);
        bufferStart_ += cursor_;
        cursor_ = 0;
        filled_ = left;
        const uint64_t inFile = fileSize_ - bufferStart_;
        const uint32_t target = inFile < kSchemeChunkSize ? static_cast<uint32_t>(inFile)
                                                          : kSchemeChunkSize;
        while (filled_ < want) {
            uint32_t got = 0;
            uint32_t room = target - filled_;
            if (!files_.Read(scheme_, buffer_ + filled_, room, &got) || got == 0 || got > room)
                return false;
            filled_ += got;
        }
        return true;
    }

    // Copies count bytes to out; large runs are read directly.
    bool Take(void *out, uint64_t count)
    {
        uint8_t *to = static_cast<uint8_t *>(out);
        if (count > Unread())
            return false;
        while (count > 0) {
            if (Available() == 0 && count >= kSchemeChunkSize) {
                // Straight from the file into out, past the buffer.
                uint32_t n = count > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(count);
                if (!ReadFully(files_, scheme_, to, n))
                    return false;
                bufferStart_ += cursor_ + n;
                cursor_ = filled_ = 0;
                to += n;
                count -= n;
                continue;
            }
            if (!Fill(count))
                return false;
            uint32_t n = Available() < count ? Available() : static_cast<uint32_t>(count);
            std::memcpy(to, Data(), n);
            Skip(n);
            to += n;
            count -= n;
        }
        return true;
    }

    // Goes back to an earlier position: within the buffer when it is still
    // there, else by moving the file's position.
    bool Rewind(uint64_t position)
    {
        if (position >= bufferStart_ && position <= bufferStart_ + filled_) {
            cursor_ = static_cast<uint32_t>(position - bufferStart_);
            return true;
        }
        if (!files_.Seek(scheme_, position))
            return false;
        bufferStart_ = position;
        cursor_ = filled_ = 0;
        return true;
    }

private:
    SchemeFileSystem &files_;
    Handle scheme_;
    uint64_t fileSize_;
    uint8_t *buffer_;
    uint64_t bufferStart_ = 0;  // file offset of buffer_[0]
    uint32_t cursor_ = 0;
    uint32_t filled_ = 0;
};

// One store folder of a load: its path and the index of its names.
struct StoreFolder {
    explicit StoreFolder(bool ignoreCase) : index(ignoreCase) {}
    char path[kMaxPathChars + 1] = {};
    bool ready = false;
    StoreIndex index;
};

class IndexFiller final : public FolderSink {
public:
    explicit IndexFiller(StoreIndex &index) : index_(index) {}
    void Add(const char *name, const char *shortName, uint64_t size) override
    {
        index_.Add(name, size);
        if (shortName && *shortName)
            index_.Add(shortName, size);
    }

private:
    StoreIndex &index_;
};

// One load: the scheme, read through its buffer, and the two store folders.
class Unpacker final : public StoreLookup {
public:
    Unpacker(SchemeFileSystem &files, SchemeReader &reader)
        : files_(files), reader_(reader), lead_(files.PathLeadBytes()),
          sounds_(files.NamesIgnoreCase()), icons_(files.NamesIgnoreCase())
    {
    }
    ~Unpacker() { std::free(compare_); }

    void SetHostFolder(const char *host)
    {
        SetPath(sounds_, host, kSoundsFolderName);
        SetPath(icons_, host, kIconsFolderName);
    }

    // Unpacks the entry of one path field into its store folder ("Icons" or
    // "Sounds") and points the field at the result.
    bool UnpackField(char *field, bool iconField)
    {
        if (!*field)
            return true;  // no entry in the scheme
        uint8_t lengthBytes[8];
        if (!reader_.Take(lengthBytes, sizeof lengthBytes))
            return false;
        const uint64_t length = GetU64(lengthBytes);
        if (length == 0)
            return true;  // content was not available; the bare name stays
        if (length > reader_.Unread())
            return false;  // the scheme ends inside this content

        StoreFolder &folder = iconField ? icons_ : sounds_;
        if (!Prepare(folder))
            return false;
        folder_ = &folder;
        contentStart_ = reader_.Position();
        length_ = length;
        schemeFailed_ = false;

        char target[kMaxPathChars + 1];
        NameChoice choice = ChooseTargetName(folder.path, field, length, *this, lead_, target);
        if (schemeFailed_)
            return false;
        switch (choice) {
        case NameChoice::kNewName:
            if (!reader_.Rewind(contentStart_) || !PlaceNewFile(folder, target))
                return false;
            break;
        case NameChoice::kIdenticalFile:
            break;  // the comparison consumed the content
        case NameChoice::kNoFreeName:
        case NameChoice::kTooLong:
            return false;
        }
        std::memcpy(field, target, std::strlen(target) + 1);
        return true;
    }

    // StoreLookup, for the name chooser: the index where it knows the answer.
    StoreEntry Find(const char *path) override
    {
        const char *name = LastPathComponent(path, lead_);
        uint64_t size = 0;
        if (folder_->index.Answers(name))
            return folder_->index.Find(name, &size) ? StoreEntry{true, size} : StoreEntry{false, 0};
        return files_.Find(path, &size) ? StoreEntry{true, size} : StoreEntry{false, 0};
    }

    // Compares the stored file with the content, read from the scheme as it
    // goes. On a difference, the scheme is read again from the content's
    // start for the next candidate.
    bool SameContent(const char *path) override
    {
        if (schemeFailed_)
            return false;
        if (reader_.Position() != contentStart_ && !reader_.Rewind(contentStart_)) {
            schemeFailed_ = true;
            return false;
        }
        if (!compare_) {
            compare_ = static_cast<uint8_t *>(std::malloc(kSchemeChunkSize));
            if (!compare_) {
                schemeFailed_ = true;
                return false;
            }
        }
        Handle stored = files_.OpenRead(path);
        if (!stored)
            return false;  // unreadable: not the same content
        FileCloser closeStored(files_, stored);
        uint64_t size = 0;
        if (!files_.Size(stored, &size) || size != length_)
            return false;
        uint64_t remaining = length_;
        while (remaining > 0) {
            if (!reader_.Fill(remaining)) {
                schemeFailed_ = true;
                return false;
            }
            const uint32_t n = reader_.Available() < remaining
                                   ? reader_.Available()
                                   : static_cast<uint32_t>(remaining);
            // The stored bytes are scrambled to compare with the scheme's:
            // the transform is one to one, and the scheme's bytes stay as
            // read for the next candidate.
            if (!ReadFully(files_, stored, compare_, n))
                return false;
            ScrambleBytes(compare_, n);
            if (std::memcmp(compare_, reader_.Data(), n) != 0)
                return false;
            reader_.Skip(n);
            remaining -= n;
        }
        return true;
    }

private:
    static void SetPath(StoreFolder &folder, const char *host, const char *name)
    {
        int n = std::snprintf(folder.path, sizeof folder.path, "%s\\%s", host, name);
        if (n < 0 || static_cast<size_t>(n) >= sizeof folder.path)
            folder.path[0] = 0;  // too long: a load that needs it fails
    }

    // Checks (and makes) the folder, and lists it, once per load.
    bool Prepare(StoreFolder &folder)
    {
        if (folder.ready)
            return true;
        if (!folder.path[0])
            return false;
        switch (files_.Probe(folder.path)) {
        case SchemeFileSystem::PathKind::kMissing:
            if (!files_.CreateFolder(folder.path))
                return false;
            break;  // new and empty: nothing to list
        case SchemeFileSystem::PathKind::kFolder: {
            IndexFiller filler(folder.index);
            if (!files_.ListFolder(folder.path, filler))
                folder.index.GiveUp();
            break;
        }
        case SchemeFileSystem::PathKind::kOther:
            return false;
        }
        folder.ready = true;
        return true;
    }

    // Writes the content, unscrambled, under the temporary name and moves it
    // to target, so that an interrupted load never leaves a partial file
    // under a real name.
    bool PlaceNewFile(StoreFolder &folder, const char *target)
    {
        char tempPath[kMaxPathChars + 1];
        int n = std::snprintf(tempPath, sizeof tempPath, "%s\\%s", folder.path, kStoreTempFileName);
        if (n < 0 || static_cast<size_t>(n) >= sizeof tempPath)
            return false;
        if (!CopyToTemp(tempPath)) {
            files_.Remove(tempPath);
            return false;
        }
        // Rename never replaces a file: one that appeared since the choice
        // is left alone and the load fails.
        if (!files_.Rename(tempPath, target)) {
            files_.Remove(tempPath);
            return false;
        }
        folder.index.Add(LastPathComponent(target, lead_), length_);
        return true;
    }

    bool CopyToTemp(const char *tempPath)
    {
        Handle temp = files_.CreateWrite(tempPath, true);
        if (!temp)
            return false;
        FileCloser closeTemp(files_, temp);
        uint64_t remaining = length_;
        while (remaining > 0) {
            if (!reader_.Fill(remaining))
                return false;  // content ends before its stated length
            const uint32_t n = reader_.Available() < remaining
                                   ? reader_.Available()
                                   : static_cast<uint32_t>(remaining);
            // Unscrambled in place: these bytes are never read again.
            ScrambleBytes(reader_.MutableData(), n);
            if (!files_.Write(temp, reader_.Data(), n))
                return false;
            reader_.Skip(n);
            remaining -= n;
        }
        return true;
    }

    SchemeFileSystem &files_;
    SchemeReader &reader_;
    const LeadBytes lead_;
    StoreFolder sounds_;
    StoreFolder icons_;
    uint8_t *compare_ = nullptr;
    // The entry being placed.
    StoreFolder *folder_ = nullptr;
    uint64_t contentStart_ = 0;
    uint64_t length_ = 0;
    bool schemeFailed_ = false;  // a read of the scheme itself failed
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
    const LeadBytes lead = files.PathLeadBytes();
    for (uint32_t i = 0; i < header.itemCount; ++i) {
        for (int f = 0; f < kPathFieldCount; ++f) {
            char *field = PathField(items[i], f);
            field[TV_PATH_SIZE - 1] = 0;
            if (!*field)
                continue;
            char *full = embed + embedCount * TV_PATH_SIZE;
            std::memcpy(full, field, TV_PATH_SIZE);
            const char *name = LastPathComponent(full, lead);
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
    uint8_t *buffer = static_cast<uint8_t *>(std::malloc(kSchemeChunkSize));
    if (!buffer)
        return false;
    BlockFreer freeBuffer(buffer);
    SchemeWriter out(files, scheme, buffer);

    uint8_t lengthBytes[4] = {
        static_cast<uint8_t>(recordLength), static_cast<uint8_t>(recordLength >> 8),
        static_cast<uint8_t>(recordLength >> 16), static_cast<uint8_t>(recordLength >> 24)};
    ScrambleBytes(record + 1, recordLength - 1);
    bool ok = out.Put(lengthBytes, sizeof lengthBytes) && out.Put(record, recordLength);
    for (size_t e = 0; ok && e < embedCount; ++e)
        ok = EmbedFile(files, out, embed + e * TV_PATH_SIZE);
    // What was gathered goes out even after a failure, so that a scheme that
    // failed part-way holds everything up to the failure.
    return out.Flush() && ok;
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
    uint8_t *buffer = static_cast<uint8_t *>(std::malloc(kSchemeChunkSize));
    if (!buffer)
        return false;
    BlockFreer freeBuffer(buffer);
    SchemeReader reader(files, scheme, fileSize, buffer);

    uint8_t lengthBytes[4];
    if (!reader.Take(lengthBytes, sizeof lengthBytes))
        return false;
    uint32_t recordLength = static_cast<uint32_t>(lengthBytes[0]) |
                            static_cast<uint32_t>(lengthBytes[1]) << 8 |
                            static_cast<uint32_t>(lengthBytes[2]) << 16 |
                            static_cast<uint32_t>(lengthBytes[3]) << 24;
    if (recordLength == 0 || recordLength > reader.Unread())
        return false;

    uint8_t *record = static_cast<uint8_t *>(std::malloc(recordLength));
    if (!record)
        return false;
    BlockFreer freeRecord(record);
    if (!reader.Take(record, recordLength))
        return false;
    ScrambleBytes(record + 1, recordLength - 1);
    if (!DecodeSchemeRecord(record, recordLength, target, files.PathLeadBytes()))
        return false;

    char hostFolder[kMaxPathChars + 1];
    if (!files.HostFolder(hostFolder, sizeof hostFolder))
        return false;
    Unpacker unpacker(files, reader);
    unpacker.SetHostFolder(hostFolder);
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
