// Collecting a run walks the line records where they lie in memory, a few nanoseconds a line.
#include "search/MemoryRun.h"

#include <algorithm>

#include "text/TextStore.h"

namespace quill {

void MemoryRun::Collect(const TextStore& store, LineIndex first, std::ptrdiff_t maxBytes, LineIndex end)
{
    ends_.clear();
    found_ = 0;
    start_ = end_ = nullptr;
    next_ = first;
    const LineIndex last = end < 0 ? store.LineCount() : std::min(end, store.LineCount());
    while (next_ < last) {
        const auto [slots, available] = store.SlotsFrom(next_);
        const auto count = std::min<std::size_t>(available, static_cast<std::size_t>(last - next_));
        for (std::size_t k = 0; k < count; ++k, ++next_) {
            const LineView line = slots[k].View();
            const std::uint32_t length = line.Length();
            if (length == 0)
                continue;
            const char* data = line.Bytes();
            if (start_ && (data != end_ || end_ - start_ >= maxBytes))
                return;
            if (!start_)
                start_ = data;
            end_ = data + length;
            ends_.push_back({end_, next_});
        }
    }
}

LineIndex MemoryRun::LineAt(const char* p)
{
    while (ends_[found_].end <= p)
        ++found_;
    return ends_[found_].line;
}

LineIndex MemoryRun::LineHolding(const char* p)
{
    // Mostly the byte lies at or after the one asked for last, a few lines on.
    if (found_ < ends_.size() && p >= (found_ > 0 ? ends_[found_ - 1].end : start_)) {
        for (std::size_t k = 0; k < 8 && found_ < ends_.size(); ++k) {
            if (p < ends_[found_].end)
                return ends_[found_].line;
            ++found_;
        }
    }
    const auto holding =
        std::upper_bound(ends_.begin(), ends_.end(), p, [](const char* q, const LineEnd& e) { return q < e.end; });
    found_ = static_cast<std::size_t>(holding - ends_.begin());
    return ends_[found_].line;
}

LineView MemoryRun::Line() const
{
    const char* begin = found_ > 0 ? ends_[found_ - 1].end : start_;
    return {begin, static_cast<std::uint32_t>(ends_[found_].end - begin)};
}

}  // namespace quill
