// A sequence with a movable gap: O(1) access by index and cheap insertion and removal near the
// place of the last change, which is where editing happens.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace quill {

/// Elements live in one malloc'ed block, [0, gapStart) and [gapEnd, capacity). Growing uses realloc,
/// which for large blocks remaps pages instead of copying them, and untouched capacity costs no
/// memory. Restricted to trivially copyable elements so the gap can move with memmove.
template <class T> class GapVector {
    static_assert(std::is_trivially_copyable_v<T>, "GapVector moves its elements with memmove");

public:
    GapVector() = default;
    GapVector(const GapVector&) = delete;
    GapVector& operator=(const GapVector&) = delete;
    GapVector(GapVector&& other) noexcept { Swap(other); }
    ~GapVector() { std::free(data_); }

    std::size_t Size() const { return capacity_ - (gapEnd_ - gapStart_); }
    bool Empty() const { return Size() == 0; }

    T& operator[](std::size_t i) { return data_[Physical(i)]; }
    const T& operator[](std::size_t i) const { return data_[Physical(i)]; }

    /// Element i and those after it that lie next to it in memory: a pointer to i and their number.
    std::pair<const T*, std::size_t> StretchFrom(std::size_t i) const
    {
        const std::size_t at = Physical(i);
        return {data_ + at, (i < gapStart_ ? gapStart_ : capacity_) - at};
    }

    void PushBack(const T& value) { Insert(Size(), value); }

    void Insert(std::size_t i, const T& value)
    {
        assert(i <= Size());
        if (gapStart_ == gapEnd_)
            Grow(capacity_ < 64 ? 64 : capacity_ * 2);
        MoveGapTo(i);
        data_[gapStart_++] = value;
    }

    T Erase(std::size_t i)
    {
        assert(i < Size());
        MoveGapTo(i);
        return data_[gapEnd_++];
    }

    void Reserve(std::size_t capacity)
    {
        if (capacity > capacity_)
            Grow(capacity);
    }

    void Swap(GapVector& other)
    {
        std::swap(data_, other.data_);
        std::swap(capacity_, other.capacity_);
        std::swap(gapStart_, other.gapStart_);
        std::swap(gapEnd_, other.gapEnd_);
    }

    /// Forgets every element (they own nothing the vector knows of) and frees the block.
    void Clear()
    {
        std::free(data_);
        data_ = nullptr;
        capacity_ = gapStart_ = gapEnd_ = 0;
    }

private:
    std::size_t Physical(std::size_t i) const
    {
        assert(i < Size());
        return i < gapStart_ ? i : i + (gapEnd_ - gapStart_);
    }

    void MoveGapTo(std::size_t i)
    {
        if (i < gapStart_) {
            std::size_t count = gapStart_ - i;
            std::memmove(data_ + gapEnd_ - count, data_ + i, count * sizeof(T));
            gapStart_ = i;
            gapEnd_ -= count;
        } else if (i > gapStart_) {
            std::size_t count = i - gapStart_;
            std::memmove(data_ + gapStart_, data_ + gapEnd_, count * sizeof(T));
            gapStart_ += count;
            gapEnd_ += count;
        }
    }

    void Grow(std::size_t capacity)
    {
        // Put the gap at the end first, so realloc keeps every element where it belongs.
        MoveGapTo(Size());
        void* fresh = std::realloc(data_, capacity * sizeof(T));
        if (!fresh)
            throw std::bad_alloc();
        data_ = static_cast<T*>(fresh);
        capacity_ = capacity;
        gapEnd_ = capacity;
    }

    T* data_ = nullptr;
    std::size_t capacity_ = 0;
    std::size_t gapStart_ = 0;
    std::size_t gapEnd_ = 0;
};

}  // namespace quill
