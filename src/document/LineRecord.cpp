// Owned and borrowed line bytes.
#include "document/LineRecord.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace quill {

void FreeSlot(LineSlot& slot)
{
    if (slot.Owned())
        std::free(slot.data);
    slot = {};
}

LineRecord::LineRecord(std::uint8_t byte, std::size_t n)
{
    Reserve(n);
    std::memset(slot_.data, byte, n);
    slot_.length = static_cast<std::uint32_t>(n);
}

LineRecord LineRecord::Borrow(const char* bytes, std::uint32_t n)
{
    LineRecord line;
    line.slot_.data = const_cast<char*>(bytes);
    line.slot_.length = n;
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
        other.slot_ = {};
    }
    return *this;
}

LineRecord::~LineRecord() { Free(); }

void LineRecord::Free() { FreeSlot(slot_); }

LineSlot LineRecord::Release()
{
    LineSlot slot = slot_;
    slot_ = {};
    return slot;
}

void LineRecord::Reserve(std::size_t capacity)
{
    if (capacity > std::numeric_limits<std::uint32_t>::max() - 1)
        throw std::bad_alloc();
    if (slot_.Owned() && capacity <= slot_.capacity)
        return;
    // Owned buffers keep one spare byte so the bytes can always be followed by a 0.
    std::size_t want = capacity < 15 ? 16 : capacity + 1;
    char* fresh = static_cast<char*>(slot_.Owned() ? std::realloc(slot_.data, want) : std::malloc(want));
    if (!fresh)
        throw std::bad_alloc();
    if (!slot_.Owned() && slot_.length)
        std::memcpy(fresh, slot_.data, slot_.length);
    slot_.data = fresh;
    slot_.capacity = static_cast<std::uint32_t>(want);
}

void LineRecord::SetByteAt(std::int64_t i, std::uint8_t b)
{
    if (i < 0 || i >= slot_.length)
        return;
    Reserve(slot_.length);  // a borrowed line gets its own copy before the change
    slot_.data[i] = static_cast<char>(b);
}

void LineRecord::Assign(const char* bytes, std::size_t n)
{
    LineRecord fresh;
    if (n) {
        fresh.Reserve(n);
        std::memcpy(fresh.slot_.data, bytes, n);
        fresh.slot_.data[n] = 0;
        fresh.slot_.length = static_cast<std::uint32_t>(n);
    }
    *this = std::move(fresh);
}

void LineRecord::Append(const char* bytes, std::size_t n)
{
    if (!n)
        return;
    std::size_t total = slot_.length + n;
    // Appending a line to itself: the source moves with the buffer.
    bool fromSelf = slot_.data && bytes >= slot_.data && bytes < slot_.data + slot_.length;
    std::size_t selfOffset = fromSelf ? static_cast<std::size_t>(bytes - slot_.data) : 0;
    if (!slot_.Owned() || total >= slot_.capacity)
        Reserve(std::max(total, static_cast<std::size_t>(slot_.capacity) * 3 / 2));
    if (fromSelf)
        bytes = slot_.data + selfOffset;
    std::memmove(slot_.data + slot_.length, bytes, n);
    slot_.length = static_cast<std::uint32_t>(total);
    slot_.data[total] = 0;
}

LineRecord LineRecord::Mid(std::int64_t pos, std::int64_t n) const
{
    if (pos < 0 || pos >= slot_.length || n <= 0)
        return {};
    std::int64_t take = std::min<std::int64_t>(n, slot_.length - pos);
    return LineRecord(slot_.data + pos, static_cast<std::size_t>(take));
}

}  // namespace quill
