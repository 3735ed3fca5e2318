// store_index.cpp - an open-addressing hash table of a folder's names.
#include "options/scheme/store_index.h"

#include <cstdlib>
#include <cstring>

namespace tolvar {

namespace {

inline unsigned char Fold(unsigned char c, bool ignoreCase)
{
    return (ignoreCase && c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Printable ASCII other than "?", which a listing puts where a character of
// the name has no place in the code page.
bool IsPlainAscii(const char *name, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c >= 0x7F || c == '?')
            return false;
    }
    return true;
}

} // namespace

StoreIndex::~StoreIndex()
{
    std::free(entries_);
    std::free(names_);
    std::free(slots_);
}

uint32_t StoreIndex::Hash(const char *name, size_t length) const
{
    uint32_t h = 2166136261u;  // FNV-1a
    for (size_t i = 0; i < length; ++i)
        h = (h ^ Fold(static_cast<unsigned char>(name[i]), ignoreCase_)) * 16777619u;
    return h;
}

bool StoreIndex::Same(const Entry &entry, const char *name, size_t length) const
{
    if (entry.nameLength != length)
        return false;
    const char *stored = names_ + entry.nameOffset;
    for (size_t i = 0; i < length; ++i)
        if (Fold(static_cast<unsigned char>(stored[i]), ignoreCase_) !=
            Fold(static_cast<unsigned char>(name[i]), ignoreCase_))
            return false;
    return true;
}

uint32_t StoreIndex::Slot(const char *name, size_t length, uint32_t hash) const
{
    const uint32_t mask = slotCount_ - 1;
    uint32_t slot = hash & mask;
    while (slots_[slot] != 0 && !Same(entries_[slots_[slot] - 1], name, length))
        slot = (slot + 1) & mask;
    return slot;
}

bool StoreIndex::Grow()
{
    uint32_t newCapacity = capacity_ ? capacity_ * 2 : 64;
    if (newCapacity > (UINT32_MAX >> 2))
        return false;
    Entry *entries =
        static_cast<Entry *>(std::realloc(entries_, sizeof(Entry) * static_cast<size_t>(newCapacity)));
    if (!entries)
        return false;
    entries_ = entries;
    capacity_ = newCapacity;

    // Rehash into a table twice the capacity, so that probes stay short.
    uint32_t *slots = static_cast<uint32_t *>(std::calloc(newCapacity * 2u, sizeof(uint32_t)));
    if (!slots)
        return false;
    std::free(slots_);
    slots_ = slots;
    slotCount_ = newCapacity * 2u;
    for (uint32_t i = 0; i < count_; ++i) {
        const Entry &e = entries_[i];
        const char *name = names_ + e.nameOffset;
        slots_[Slot(name, e.nameLength, Hash(name, e.nameLength))] = i + 1;
    }
    return true;
}

void StoreIndex::Add(const char *name, uint64_t size)
{
    if (!usable_)
        return;
    const size_t length = std::strlen(name);
    if (!IsPlainAscii(name, length))
        asciiOnly_ = false;
    if (count_ == capacity_ && !Grow()) {
        usable_ = false;  // out of memory: every look-up goes to the file system
        return;
    }
    const uint32_t hash = Hash(name, length);
    const uint32_t slot = Slot(name, length, hash);
    if (slots_[slot] != 0)
        return;
    if (namesUsed_ + length > UINT32_MAX) {
        usable_ = false;
        return;
    }
    if (namesCapacity_ - namesUsed_ < length) {
        size_t grown = namesCapacity_ ? namesCapacity_ * 2 : 4096;
        while (grown - namesUsed_ < length)
            grown *= 2;
        char *names = static_cast<char *>(std::realloc(names_, grown));
        if (!names) {
            usable_ = false;
            return;
        }
        names_ = names;
        namesCapacity_ = grown;
    }
    std::memcpy(names_ + namesUsed_, name, length);
    entries_[count_] = Entry{static_cast<uint32_t>(namesUsed_), static_cast<uint32_t>(length), size};
    namesUsed_ += length;
    slots_[slot] = ++count_;
}

bool StoreIndex::Answers(const char *name) const
{
    if (!usable_)
        return false;
    if (!ignoreCase_)
        return true;
    return asciiOnly_ && IsPlainAscii(name, std::strlen(name));
}

bool StoreIndex::Find(const char *name, uint64_t *size) const
{
    if (count_ == 0)
        return false;
    const size_t length = std::strlen(name);
    const uint32_t slot = Slot(name, length, Hash(name, length));
    if (slots_[slot] == 0)
        return false;
    *size = entries_[slots_[slot] - 1].size;
    return true;
}

} // namespace tolvar
