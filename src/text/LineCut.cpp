// Taking and putting back the cut of a text into display lines.
#include "text/LineCut.h"

#include <cassert>
#include <optional>
#include <string>

#include "text/TextStore.h"

namespace quill {

class LineCut::Reader {
public:
    explicit Reader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    std::uint32_t Next()
    {
        std::uint32_t value = 0;
        for (unsigned shift = 0; at_ < bytes_.size(); shift += 7) {
            const std::uint8_t byte = bytes_[at_++];
            value |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
            if ((byte & 0x80) == 0)
                break;
        }
        return value;
    }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_ = 0;
};

void LineCut::Add(std::uint32_t length)
{
    for (; length >= 0x80; length >>= 7)
        bytes_.push_back(static_cast<std::uint8_t>(length | 0x80));
    bytes_.push_back(static_cast<std::uint8_t>(length));
    ++count_;
}

LineCut LineCut::Of(const TextStore& text)
{
    LineCut cut;
    const LineIndex count = text.LineCount();
    cut.bytes_.reserve(static_cast<std::size_t>(count) + 16);
    for (LineIndex i = 0; i < count;) {
        const auto [slots, n] = text.SlotsFrom(i);
        for (std::size_t k = 0; k < n; ++k)
            cut.Add(slots[k].Length());
        i += static_cast<LineIndex>(n);
    }
    cut.bytes_.shrink_to_fit();
    return cut;
}

namespace {

/// The lines taken out of the store for one stretch where the two cuts differ, and the new lines
/// made of their bytes.
class Stretch {
public:
    void Take(LineRecord line) { taken_.push_back(std::move(line)); }

    /// The bytes of the stretch from `from`, `n` of them: borrowed when all taken lines borrow
    /// from one piece of memory, copied otherwise.
    LineRecord Piece(std::uint64_t from, std::uint32_t n)
    {
        if (taken_.empty())
            return LineRecord();
        if (Contiguous() && LineSlot::CanBorrow(taken_.front().Bytes() + from, n))
            return LineRecord::Borrow(taken_.front().Bytes() + from, n);
        if (joined_.empty())
            for (const LineRecord& line : taken_)
                joined_.append(line.Bytes(), line.Length());
        return LineRecord(joined_.data() + from, n);
    }

private:
    bool Contiguous()
    {
        if (!contiguous_) {
            bool yes = true;
            for (std::size_t i = 0; yes && i < taken_.size(); ++i)
                yes = !taken_[i].IsOwned() &&
                      (i == 0 || taken_[i - 1].Bytes() + taken_[i - 1].Length() == taken_[i].Bytes());
            contiguous_ = yes ? 1 : 0;
        }
        return *contiguous_ == 1;
    }

    std::vector<LineRecord> taken_;
    std::string joined_;
    std::optional<int> contiguous_;
};

}  // namespace

void LineCut::Apply(TextStore& text) const
{
    Reader wanted(bytes_);
    LineIndex row = 0;
    for (LineIndex made = 0; made < count_;) {
        const std::uint32_t first = wanted.Next();
        ++made;
        if (row < text.LineCount() && text.Line(row).Length() == first) {
            ++row;
            continue;
        }
        // Both cuts start a line here; take lines out and cut new ones until both end a line at
        // the same byte.
        std::vector<std::uint32_t> lengths{first};
        std::uint64_t newBytes = first;
        std::uint64_t oldBytes = 0;
        Stretch stretch;
        while (row < text.LineCount() && (oldBytes < newBytes || oldBytes == 0)) {
            oldBytes += text.Line(row).Length();
            stretch.Take(text.RemoveLine(row));
            while (newBytes < oldBytes && made < count_) {
                lengths.push_back(wanted.Next());
                newBytes += lengths.back();
                ++made;
            }
        }
        assert(oldBytes == newBytes);  // the same bytes in both cuts
        std::uint64_t from = 0;
        for (const std::uint32_t length : lengths) {
            text.InsertLine(row++, stretch.Piece(from, length));
            from += length;
        }
    }
    // Only empty lines can be left beyond the cut of the same bytes.
    while (row < text.LineCount() && text.Line(row).Length() == 0)
        text.RemoveLine(row);
    assert(row == text.LineCount());
}

}  // namespace quill
