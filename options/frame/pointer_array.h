// pointer_array.h - the growable arrays of owned pointers that the options
// dialog keeps (its KeyItem records and its KeyIconPair objects).
//
// Appends at the end, erases at a position by shifting the rest down, grows
// by doubling. Never throws: allocation failures are reported by the result.
// Platform-free.
#ifndef TOLVAR_FRAME_POINTER_ARRAY_H
#define TOLVAR_FRAME_POINTER_ARRAY_H

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace tolvar {

template <typename T>
class PointerArray {
public:
    PointerArray() = default;
    ~PointerArray() { std::free(slots_); }
    PointerArray(const PointerArray &) = delete;
    PointerArray &operator=(const PointerArray &) = delete;

    size_t Count() const { return count_; }
    T *At(size_t index) const { return index < count_ ? slots_[index] : nullptr; }
    T *&operator[](size_t index) { return slots_[index]; }

    // Appends; false (and nothing changed) when the array cannot grow.
    bool Append(T *item)
    {
        if (count_ == capacity_) {
            size_t grown = capacity_ ? capacity_ * 2 : 8;
            if (grown > SIZE_MAX / sizeof(T *))
                return false;
            T **bigger = static_cast<T **>(std::realloc(slots_, grown * sizeof(T *)));
            if (!bigger)
                return false;
            slots_ = bigger;
            capacity_ = grown;
        }
        slots_[count_++] = item;
        return true;
    }

    // Removes the entry at index, closing the gap; the pointee is not freed.
    void EraseAt(size_t index)
    {
        if (index >= count_)
            return;
        std::memmove(slots_ + index, slots_ + index + 1, (count_ - index - 1) * sizeof(T *));
        --count_;
    }

    // Index of the entry that is exactly this pointer, or -1.
    ptrdiff_t IndexOf(const T *item) const
    {
        for (size_t i = 0; i < count_; ++i)
            if (slots_[i] == item)
                return static_cast<ptrdiff_t>(i);
        return -1;
    }

    void Swap(size_t a, size_t b)
    {
        T *t = slots_[a];
        slots_[a] = slots_[b];
        slots_[b] = t;
    }

    // Forgets every entry (the pointees are the owner's to free first).
    void Clear() { count_ = 0; }

private:
    T **slots_ = nullptr;
    size_t count_ = 0;
    size_t capacity_ = 0;
};

} // namespace tolvar

#endif // TOLVAR_FRAME_POINTER_ARRAY_H
