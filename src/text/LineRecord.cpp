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
        std::free(slot.Buffer());
    slot = LineSlot();
}

LineRecord::LineRecord(std::uint8_t byte, std::size_t n)
{
    Reserve(n);
    std::memset(slot_.Data(), byte, n);
    slot_.SetLength(static_cast<std::uint32_t>(n));
}

LineRecord LineRecord::Borrow(const char* bytes, std::uint32_t n)
{
    if (!LineSlot::CanBorrow(bytes, n))
        return LineRecord(bytes, n);  // too long for a borrowed slot: a copy of its own
    LineRecord line;
    line.slot_ = LineSlot::Borrowed(bytes, n);
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

std::size_t LineRecord::Capacity() const
{
    return slot_.Owned() ? ::malloc_usable_size(slot_.Buffer()) - LineSlot::kHeader : 0;
}

void LineRecord::Reserve(std::size_t capacity)
{
    if (capacity >= LineSlot::kMaxLength)
        throw std::bad_alloc();
    if (slot_.Owned() && capacity < Capacity())
        return;
    // Owned buffers keep one spare byte so the bytes can always be followed by a 0.
    const std::size_t want = LineSlot::kHeader + (capacity < 11 ? 12 : capacity + 1);
    const std::uint32_t length = slot_.Length();
    char* fresh = static_cast<char*>(slot_.Owned() ? std::realloc(slot_.Buffer(), want) : std::malloc(want));
    if (!fresh)
        throw std::bad_alloc();
    // malloc's blocks are 16-byte aligned and below 2^48 on every 64-bit system this runs on;
    // a block that could not be recorded would lose the line, so it is a fatal fault.
    if (!LineSlot::CanOwn(fresh))
        std::abort();
    if (!slot_.Owned() && length)
        std::memcpy(fresh + LineSlot::kHeader, slot_.Data(), length);
    std::memcpy(fresh, &length, sizeof length);
    slot_ = LineSlot::OwnedBuffer(fresh, length);
}

void LineRecord::SetByteAt(std::int64_t i, std::uint8_t b)
{
    if (i < 0 || i >= slot_.Length())
        return;
    if (!slot_.Owned())
        Reserve(slot_.Length());  // a borrowed line gets its own copy before the change
    slot_.Data()[i] = static_cast<char>(b);
}

void LineRecord::Assign(const char* bytes, std::size_t n)
{
    LineRecord fresh;
    if (n) {
        fresh.Reserve(n);
        std::memcpy(fresh.slot_.Data(), bytes, n);
        fresh.slot_.Data()[n] = 0;
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
    // Appending a line to itself: the source moves with the buffer. Borrowed bytes stay where they
    // are, also when the source reaches beyond the borrowed line.
    const char* data = slot_.Data();
    bool fromSelf = slot_.Owned() && bytes >= data && bytes < data + length;
    std::size_t selfOffset = fromSelf ? static_cast<std::size_t>(bytes - data) : 0;
    if (!slot_.Owned() || total >= Capacity())
        Reserve(std::max(total, Capacity() * 3 / 2));
    char* owned = slot_.Data();
    if (fromSelf)
        bytes = owned + selfOffset;
    // The owned buffer is there now (Reserve throws when it cannot make one).
    std::memmove(owned + length, bytes, n);
    slot_.SetLength(static_cast<std::uint32_t>(total));
    owned[total] = 0;
}

LineRecord LineRecord::Mid(std::int64_t pos, std::int64_t n) const
{
    const std::int64_t length = slot_.Length();
    if (pos < 0 || pos >= length || n <= 0)
        return {};
    std::int64_t take = std::min<std::int64_t>(n, length - pos);
    return LineRecord(slot_.Data() + pos, static_cast<std::size_t>(take));
}

}  // namespace quill
