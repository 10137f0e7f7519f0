// One display line as a value: its bytes, owned or borrowed from the loaded text.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "text/LineView.h"

namespace quill {

/// The plain storage of a line inside the text store: 8 bytes, since a large file has tens of
/// millions of lines and this table is most of the memory a mapped file costs.
///
/// A line that borrows its bytes (from a load block or a mapped file) keeps their address in the
/// low 47 bits and its length in the high 17; lines are cut well below the longest length that
/// leaves the top four bits short of all ones. Those four bits all ones mark a buffer of the line's
/// own (malloc'ed, 16-byte aligned): its address shifted by 4 in the low 44 bits, the length in the
/// 16 above (all ones for 65,535 bytes or more). The buffer begins with the whole length as 4 bytes,
/// the line's bytes follow; the slot's copy spares walks over the table a visit to every buffer.
struct LineSlot {
    std::uint64_t word = 0;

    static constexpr unsigned kBorrowedShift = 47;
    static constexpr std::uint64_t kBorrowedAddressMask = (std::uint64_t{1} << kBorrowedShift) - 1;
    static constexpr unsigned kOwnedShift = 44;
    static constexpr std::uint64_t kOwnedAddressMask = (std::uint64_t{1} << kOwnedShift) - 1;
    static constexpr std::uint64_t kOwnedMarker = std::uint64_t{0xF} << 60;
    static constexpr std::uint32_t kLongOwned = 0xFFFF;
    /// The longest line that can borrow its bytes; a longer one gets a copy of its own.
    static constexpr std::uint32_t kMaxBorrowed = 0x1DFFF;
    static constexpr std::uint32_t kMaxLength = 0x7FFFFFFFu;
    /// The bytes before an owned line's bytes in its buffer (its length).
    static constexpr std::size_t kHeader = 4;

    static bool CanBorrow(const char* bytes, std::size_t n)
    {
        return n <= kMaxBorrowed && reinterpret_cast<std::uintptr_t>(bytes) <= kBorrowedAddressMask;
    }
    static bool CanOwn(const char* buffer)
    {
        const auto address = reinterpret_cast<std::uintptr_t>(buffer);
        return address % 16 == 0 && (address >> 4) <= kOwnedAddressMask;
    }
    static LineSlot Borrowed(const char* bytes, std::uint32_t n)
    {
        return {reinterpret_cast<std::uintptr_t>(bytes) | (std::uint64_t{n} << kBorrowedShift)};
    }
    /// A buffer of the line's own that already holds its length and bytes.
    static LineSlot OwnedBuffer(char* buffer, std::uint32_t length)
    {
        const std::uint64_t inSlot = length < kLongOwned ? length : kLongOwned;
        return {kOwnedMarker | (inSlot << kOwnedShift) | (reinterpret_cast<std::uintptr_t>(buffer) >> 4)};
    }

    bool Owned() const { return (word & kOwnedMarker) == kOwnedMarker; }
    /// The owned buffer (header included); only for owned slots.
    char* Buffer() const { return reinterpret_cast<char*>((word & kOwnedAddressMask) << 4); }
    char* Data() const { return Owned() ? Buffer() + kHeader : reinterpret_cast<char*>(word & kBorrowedAddressMask); }
    std::uint32_t Length() const
    {
        if (!Owned())
            return static_cast<std::uint32_t>(word >> kBorrowedShift);
        const auto inSlot = static_cast<std::uint32_t>(word >> kOwnedShift) & kLongOwned;
        if (inSlot != kLongOwned)
            return inSlot;
        std::uint32_t length;
        std::memcpy(&length, Buffer(), sizeof length);
        return length;
    }
    /// Sets the length; a borrowed line can only become shorter.
    void SetLength(std::uint32_t length)
    {
        if (Owned()) {
            std::memcpy(Buffer(), &length, sizeof length);
            *this = OwnedBuffer(Buffer(), length);
        } else {
            assert(length <= Length());
            word = (word & kBorrowedAddressMask) | (std::uint64_t{length} << kBorrowedShift);
        }
    }
    LineView View() const { return {Data(), Length()}; }
};
static_assert(sizeof(LineSlot) == 8, "a line costs 8 bytes of bookkeeping");
static_assert(alignof(std::max_align_t) >= 16, "owned buffers are stored by their address shifted by 4");

/// A line with value semantics. Borrowed bytes stay valid as long as the text store that lent them
/// keeps its load blocks (until the text is reset); every change makes the line own a copy.
class LineRecord {
public:
    LineRecord() = default;
    LineRecord(const char* bytes, std::size_t n) { Assign(bytes, n); }
    explicit LineRecord(std::string_view text) { Assign(text.data(), text.size()); }
    /// n copies of one byte.
    LineRecord(std::uint8_t byte, std::size_t n);
    static LineRecord Borrow(const char* bytes, std::uint32_t n);
    /// Takes over a slot released by a text store.
    static LineRecord Adopt(LineSlot slot);

    LineRecord(LineRecord&& other) noexcept : slot_(other.slot_) { other.slot_ = LineSlot(); }
    LineRecord& operator=(LineRecord&& other) noexcept;
    LineRecord(const LineRecord&) = delete;
    LineRecord& operator=(const LineRecord&) = delete;
    ~LineRecord();

    /// Hands the storage to a text store; the record is empty afterwards.
    LineSlot Release();

    LineView View() const { return slot_.View(); }
    std::uint32_t Length() const { return slot_.Length(); }
    const char* Bytes() const { return View().Bytes(); }
    std::string_view Text() const { return View().Text(); }
    std::uint8_t ByteAt(std::int64_t i) const { return View().ByteAt(i); }
    bool IsEmptyText() const { return View().IsEmptyText(); }
    bool IsOwned() const { return slot_.Owned(); }

    /// Sets byte i; nothing when i is not below the length.
    void SetByteAt(std::int64_t i, std::uint8_t b);
    void Assign(const char* bytes, std::size_t n);
    void Assign(const LineRecord& line) { Assign(line.Bytes(), line.Length()); }
    void Assign(std::uint8_t byte) { Assign(reinterpret_cast<const char*>(&byte), 1); }
    void Append(const char* bytes, std::size_t n);
    void Append(const LineRecord& line) { Append(line.Bytes(), line.Length()); }
    void Append(std::uint8_t byte) { Append(reinterpret_cast<const char*>(&byte), 1); }
    void Append(std::string_view text) { Append(text.data(), text.size()); }

    /// The n bytes from pos, no further than the end; empty when pos is not below the length.
    LineRecord Mid(std::int64_t pos, std::int64_t n) const;
    LineRecord Left(std::int64_t n) const { return Mid(0, n); }
    LineRecord Right(std::int64_t pos) const { return Mid(pos, static_cast<std::int64_t>(Length()) - pos); }

    bool operator==(std::string_view text) const { return Text() == text; }

private:
    void Reserve(std::size_t capacity);
    std::size_t Capacity() const;
    void Free();

    LineSlot slot_;
};

/// Frees the bytes of a slot when it owns them.
void FreeSlot(LineSlot& slot);

}  // namespace quill
