// store_index.h - the names and sizes of one folder of the resource store,
// listed once per load, so that choosing a name for unpacked content costs no
// file-system look-up per candidate. Platform-free.
//
// The index answers only where it is certain to agree with the file system's
// own look-up; elsewhere (see Answers) the caller asks the file system.
#ifndef TOLVAR_SCHEME_STORE_INDEX_H
#define TOLVAR_SCHEME_STORE_INDEX_H

#include <cstddef>
#include <cstdint>

namespace tolvar {

class StoreIndex {
public:
    // ignoreCase: the file system takes names that differ only in letter case
    // for the same file (Windows). Such a system folds more than ASCII letters
    // (other characters of the code page, and names outside it, which a
    // listing shows as "?"), so there the index answers only for ASCII names
    // in a folder whose names are all ASCII.
    explicit StoreIndex(bool ignoreCase) : ignoreCase_(ignoreCase) {}
    ~StoreIndex();
    StoreIndex(const StoreIndex &) = delete;
    StoreIndex &operator=(const StoreIndex &) = delete;

    // Records a name the folder holds (a folder's own size is 0). A name
    // added twice keeps its first size.
    void Add(const char *name, uint64_t size);
    // The listing failed or was cut short: the index answers nothing more.
    void GiveUp() { usable_ = false; }

    // True when Find's answer for name is the file system's answer.
    bool Answers(const char *name) const;
    // Whether the folder holds name, and its size.
    bool Find(const char *name, uint64_t *size) const;

private:
    struct Entry {
        uint32_t nameOffset;
        uint32_t nameLength;
        uint64_t size;
    };

    uint32_t Hash(const char *name, size_t length) const;
    bool Same(const Entry &entry, const char *name, size_t length) const;
    // Slot of name in the table, or of the empty slot where it would go.
    uint32_t Slot(const char *name, size_t length, uint32_t hash) const;
    bool Grow();

    bool ignoreCase_;
    bool usable_ = true;
    bool asciiOnly_ = true;
    Entry *entries_ = nullptr;
    uint32_t count_ = 0;
    uint32_t capacity_ = 0;
    char *names_ = nullptr;
    size_t namesUsed_ = 0;
    size_t namesCapacity_ = 0;
    uint32_t *slots_ = nullptr;  // entry index + 1, or 0 when free
    uint32_t slotCount_ = 0;     // a power of two, at least twice count_
};

} // namespace tolvar

#endif // TOLVAR_SCHEME_STORE_INDEX_H
