// The reflow's output buffer.
#include "text/ReflowBuffer.h"

namespace quill {

void ReflowBuffer::MakeOwned()
{
    if (owned_)
        return;
    text_.assign(span_ ? span_ : "", spanSize_);
    owned_ = true;
    span_ = nullptr;
    spanSize_ = 0;
}

void ReflowBuffer::Append(const char* bytes, std::size_t n, bool lasting)
{
    if (n == 0)
        return;
    if (!owned_) {
        if (spanSize_ == 0) {
            span_ = bytes;
            spanSize_ = n;
            spanLasting_ = lasting;
            return;
        }
        if (bytes == span_ + spanSize_ && lasting == spanLasting_) {
            spanSize_ += n;
            return;
        }
        MakeOwned();
    }
    text_.append(bytes, n);
}

void ReflowBuffer::Settle()
{
    if (!owned_ && spanSize_ > 0 && !spanLasting_)
        MakeOwned();
}

LineRecord ReflowBuffer::Take(std::size_t n)
{
    LineRecord line;
    if (owned_)
        line = LineRecord(text_.data(), n);
    else if (spanLasting_)
        line = LineRecord::Borrow(span_, static_cast<std::uint32_t>(n));
    else
        line = LineRecord(span_, n);
    Drop(n);
    return line;
}

void ReflowBuffer::Drop(std::size_t n)
{
    if (owned_) {
        text_.erase(0, n);
        if (text_.empty())
            owned_ = false;  // the next bytes may again be pointed at
        return;
    }
    span_ += n;
    spanSize_ -= n;
}

}  // namespace quill
