// One display line as a value: its bytes, owned or borrowed from the loaded text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/LineView.h"

namespace quill {

/// The plain storage of a line inside the text store: 12 bytes, since a large file has millions of
/// lines. The top bit of the length word says whether the bytes are an owned malloc'ed buffer or
/// borrowed from a load block.
#pragma pack(push, 4)
struct LineSlot {
    char* data = nullptr;
    std::uint32_t bits = 0;

    static constexpr std::uint32_t kOwnedBit = 0x80000000u;
    static constexpr std::uint32_t kMaxLength = 0x7FFFFFFFu;

    std::uint32_t Length() const { return bits & kMaxLength; }
    bool Owned() const { return (bits & kOwnedBit) != 0; }
    void SetLength(std::uint32_t length) { bits = (bits & kOwnedBit) | length; }
    LineView View() const { return {data, Length()}; }
};
#pragma pack(pop)
static_assert(sizeof(LineSlot) == 12, "a line costs 12 bytes of bookkeeping");

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
