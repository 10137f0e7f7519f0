// The bytes of the output line a reflow is building, copied only when they must be.
#pragma once

#include <cstddef>
#include <string>

#include "text/LineRecord.h"

namespace quill {

/// While the bytes gathered are one contiguous piece of loaded text they are only pointed at, so
/// re-cutting a loaded file moves no bytes at all. Bytes of an edited line (which is freed once
/// consumed) and pieces that do not continue each other are copied.
class ReflowBuffer {
public:
    std::size_t Size() const { return owned_ ? text_.size() : spanSize_; }
    const char* Data() const { return owned_ ? text_.data() : span_; }

    /// Appends n bytes; lasting: they stay valid after their input line is gone.
    void Append(const char* bytes, std::size_t n, bool lasting);
    /// Copies bytes that still point into the input line about to be destroyed.
    void Settle();
    /// The first n bytes as a line; the rest move to the front.
    LineRecord Take(std::size_t n);
    /// Forgets the first n bytes.
    void Drop(std::size_t n);

private:
    void MakeOwned();

    const char* span_ = nullptr;
    std::size_t spanSize_ = 0;
    bool spanLasting_ = true;
    bool owned_ = false;
    std::string text_;
};

}  // namespace quill
