// Read access to the bytes of one display line, wherever they are stored.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "text/TextTypes.h"

namespace quill {

/// A line's bytes, terminator included, without ownership.
class LineView {
public:
    constexpr LineView() = default;
    constexpr LineView(const char* data, std::uint32_t length) : data_(data), length_(length) {}
    explicit LineView(std::string_view text) : data_(text.data()), length_(static_cast<std::uint32_t>(text.size())) {}

    std::uint32_t Length() const { return length_; }
    /// The bytes; never null, also for an empty line.
    const char* Bytes() const { return length_ ? data_ : ""; }
    std::string_view Text() const { return {Bytes(), length_}; }
    bool Contains(std::uint8_t byte) const { return length_ && std::memchr(data_, byte, length_) != nullptr; }
    /// Byte i, or 0 when i is not below the length.
    std::uint8_t ByteAt(std::int64_t i) const
    {
        return (i >= 0 && i < length_) ? static_cast<std::uint8_t>(data_[i]) : 0;
    }
    /// True when the line has no bytes or its first byte is 0.
    bool IsEmptyText() const { return length_ == 0 || data_[0] == 0; }

private:
    const char* data_ = nullptr;
    std::uint32_t length_ = 0;
};

}  // namespace quill
