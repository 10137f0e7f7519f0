// Owned and borrowed line bytes.
#include "text/LineRecord.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <malloc.h>
#include <new>

namespace quill {

void FreeSlot(LineSlot& slot)
{
    if (slot.Owned())
        std::free(slot.data);
    slot = LineSlot();
}

LineRecord::LineRecord(std::uint8_t byte, std::size_t n)
{
    Reserve(n);
    std::memset(slot_.data, byte, n);
    slot_.SetLength(static_cast<std::uint32_t>(n));
}

LineRecord LineRecord::Borrow(const char* bytes, std::uint32_t n)
{
    LineRecord line;
    line.slot_.data = const_cast<char*>(bytes);
    line.slot_.bits = n & LineSlot::kMaxLength;
    return line;
}

LineRecord LineRecord::Adopt(LineSlot slot)
{
    LineRecord line;
    line.slot_ = slot;
    return line;
}

LineRecord& LineRecord::operator=(LineRecord&& other) noexcept
{
    if (this != &other) {
        Free();
        slot_ = other.slot_;
        other.slot_ = LineSlot();
    }
    return *this;
}

LineRecord::~LineRecord() { Free(); }

void LineRecord::Free() { FreeSlot(slot_); }

LineSlot LineRecord::Release()
{
    LineSlot slot = slot_;
    slot_ = LineSlot();
    return slot;
}

std::size_t LineRecord::Capacity() const { return slot_.Owned() ? ::malloc_usable_size(slot_.data) : 0; }

void LineRecord::Reserve(std::size_t capacity)
{
    if (capacity >= LineSlot::kMaxLength)
        throw std::bad_alloc();
    if (slot_.Owned() && capacity < Capacity())
        return;
    // Owned buffers keep one spare byte so the bytes can always be followed by a 0.
    std::size_t want = capacity < 15 ? 16 : capacity + 1;
    char* fresh = static_cast<char*>(slot_.Owned() ? std::realloc(slot_.data, want) : std::malloc(want));
    if (!fresh)
        throw std::bad_alloc();
    if (!slot_.Owned() && slot_.Length())
        std::memcpy(fresh, slot_.data, slot_.Length());
    slot_.data = fresh;
    slot_.bits |= LineSlot::kOwnedBit;
}

void LineRecord::SetByteAt(std::int64_t i, std::uint8_t b)
{
    if (i < 0 || i >= slot_.Length())
        return;
    if (!slot_.Owned())
        Reserve(slot_.Length());  // a borrowed line gets its own copy before the change
    slot_.data[i] = static_cast<char>(b);
}

void LineRecord::Assign(const char* bytes, std::size_t n)
{
    LineRecord fresh;
    if (n) {
        fresh.Reserve(n);
        std::memcpy(fresh.slot_.data, bytes, n);
        fresh.slot_.data[n] = 0;
        fresh.slot_.SetLength(static_cast<std::uint32_t>(n));
    }
    *this = std::move(fresh);
}

void LineRecord::Append(const char* bytes, std::size_t n)
{
    if (!n)
        return;
    const std::size_t length = slot_.Length();
    std::size_t total = length + n;
    // Appending a line to itself: the source moves with the buffer.
    bool fromSelf = slot_.data && bytes >= slot_.data && bytes < slot_.data + length;
    std::size_t selfOffset = fromSelf ? static_cast<std::size_t>(bytes - slot_.data) : 0;
    if (!slot_.Owned() || total >= Capacity())
        Reserve(std::max(total, Capacity() * 3 / 2));
    if (fromSelf)
        bytes = slot_.data + selfOffset;
    assert(slot_.data);
    // The owned buffer is there now (Reserve throws when it cannot make one).
    std::memmove(slot_.data + length, bytes, n);  // NOLINT(clang-analyzer-core.NonNullParamChecker)
    slot_.SetLength(static_cast<std::uint32_t>(total));
    slot_.data[total] = 0;
}

LineRecord LineRecord::Mid(std::int64_t pos, std::int64_t n) const
{
    const std::int64_t length = slot_.Length();
    if (pos < 0 || pos >= length || n <= 0)
        return {};
    std::int64_t take = std::min<std::int64_t>(n, length - pos);
    return LineRecord(slot_.data + pos, static_cast<std::size_t>(take));
}

}  // namespace quill
