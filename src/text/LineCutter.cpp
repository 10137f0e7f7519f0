// Cutting the bytes of a load into lines.
#include "text/LineCutter.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "common/Utf8.h"
#include "text/DisplayRules.h"
#include "text/TextStore.h"
#include "text/TextTypes.h"

namespace quill {

LineCutter::LineCutter(TextStore& store, const LoadParams& params, const ByteStatistics& statistics)
    : store_(store),
      params_(params),
      statistics_(statistics)
{
}

void LineCutter::Cut(const char* begin, const char* end, const ChunkCounts& counts)
{
    chunkHasTab_ = counts.tab;
    chunkHasFF_ = counts.formFeed;
    chunkHasHigh_ = counts.beyondAscii;
    lineHasHigh_ = lineHasHigh_ || chunkHasHigh_;
    // Most chunks hold no form feed; the counts say so without a search.
    nextFF_ = nullptr;
    ffKnown_ = !chunkHasFF_;
    const char* p = begin;
    while (p < end)
        CutLine(p, begin, end);
}

void LineCutter::CutLine(const char*& p, const char* chunkBegin, const char* chunkEnd)
{
    const std::int64_t room = params_.cutLength - n_;  // bytes until the line reaches the cut length
    const char* windowEnd = p + std::min<std::int64_t>(room, chunkEnd - p);
    if (!params_.ignoreFormatCodes) {
        const void* lf = std::memchr(p, kLF, static_cast<std::size_t>(windowEnd - p));
        const char* stop = lf ? static_cast<const char*>(lf) : windowEnd;
        if (!ffKnown_ || (nextFF_ && nextFF_ < p)) {
            const void* ff = std::memchr(p, kFF, static_cast<std::size_t>(chunkEnd - p));
            nextFF_ = ff ? static_cast<const char*>(ff) : nullptr;
            ffKnown_ = true;
        }
        if (nextFF_ && nextFF_ < stop)
            stop = nextFF_;
        if (stop < windowEnd) {  // an LF or FF ends the line
            Take(p, stop + 1);
            p = stop + 1;
            EndLine(p, chunkBegin);
            return;
        }
    }
    // A text line cut at the wrap width keeps its characters whole, each with its marks; records
    // keep their bytes.
    const char* cut = windowEnd;
    if (n_ + (windowEnd - p) >= params_.cutLength && !params_.ignoreFormatCodes && !params_.binaryMode)
        cut = ClusterCutPoint(p, windowEnd, chunkEnd);
    Take(p, cut);
    p = cut;
    if (n_ >= params_.cutLength || cut < windowEnd)
        LookAheadAtCut(p, chunkBegin, chunkEnd);
}

void LineCutter::LookAheadAtCut(const char*& p, const char* chunkBegin, const char* chunkEnd)
{
    // The line has reached the cut length. A terminator right behind it stays with the line, as
    // far as this chunk shows; the last byte of a chunk has no look-ahead.
    while (p < chunkEnd) {
        if (static_cast<std::uint8_t>(*p) == kLF) {
            Take(p, p + 1);
            ++p;
            if (!params_.ignoreFormatCodes)
                break;
        } else if (static_cast<std::uint8_t>(*p) == kCR && p + 1 < chunkEnd && static_cast<std::uint8_t>(p[1]) == kLF) {
            Take(p, p + 1);
            ++p;
        } else {
            break;
        }
    }
    EndLine(p, chunkBegin);
}

void LineCutter::Take(const char* from, const char* to)
{
    n_ += to - from;
    if (!chunkHasTab_ || params_.binaryMode) {
        c_ += to - from;
        return;
    }
    // Columns as the load counts them: every byte one, then a tab jumps to T*((c+T)/T).
    const int t = params_.tabSize;
    while (from < to) {
        const void* tab = std::memchr(from, kTab, static_cast<std::size_t>(to - from));
        if (!tab) {
            c_ += to - from;
            return;
        }
        const char* at = static_cast<const char*>(tab);
        c_ += at - from + 1;
        c_ = NextTabStop(c_, t);
        from = at + 1;
    }
}

void LineCutter::EndLine(const char* end, const char* chunkBegin)
{
    const char* last = end - 1;
    // A line of nothing but its LF has no CR before it, even at the start of a chunk.
    if (static_cast<std::uint8_t>(*last) == kLF && (last != chunkBegin || n_ == 1))
        store_.SetTerminator(last != chunkBegin && static_cast<std::uint8_t>(last[-1]) == kCR ? TerminatorKind::CRLF
                                                                                              : TerminatorKind::LF);
    FinishLastLine(end);
}

void LineCutter::MeasureCells(std::int64_t tail)
{
    // Whether the text is UTF-8 is known only once it is read: its widest line in cells is kept
    // beside the widest in bytes. The bytes with tab stops bound the cells from above, so only a
    // line with bytes above 127 that could be the widest is measured, unit by unit.
    std::int64_t& widest = widestCells_;
    if (!lineHasHigh_ || c_ <= widest || params_.binaryMode) {
        widest = std::max(widest, c_);
        return;
    }
    std::string joined;
    LineView line(lineStart_, static_cast<std::uint32_t>(tail));
    if (carried_.Length() != 0) {
        joined.assign(carried_.Bytes(), carried_.Length());
        joined.append(lineStart_, static_cast<std::size_t>(tail));
        line = LineView(joined);
    }
    // In well-formed UTF-8 every character takes at most two cells, and one of a single byte at
    // most one: without tab stops to move, the bytes less the continuation bytes plus the lead
    // bytes bound the cells, as closely as a line of wide characters takes them.
    std::int64_t bound = c_;
    if (statistics_.Utf8().NoStrays() && (!chunkHasTab_ || !std::memchr(line.Bytes(), kTab, line.Length()))) {
        const Utf8Shape shape = CountUtf8Shape(line.Bytes(), line.Bytes() + line.Length());
        bound = c_ - static_cast<std::int64_t>(shape.continuations) + static_cast<std::int64_t>(shape.leads);
    }
    DisplayRules rules;
    rules.utf8 = true;
    rules.tabSize = params_.tabSize;
    rules.ignoreFormatCodes = params_.ignoreFormatCodes;
    rules.terminator = store_.Terminator();
    widest = WidestWith(widest, bound, line, rules);
}

void LineCutter::FinishLastLine(const char* end)
{
    store_.WidenTo(c_);
    const std::int64_t tail = lineStart_ && end ? end - lineStart_ : 0;
    MeasureCells(tail);
    lineHasHigh_ = chunkHasHigh_;
    if (carried_.Length() == 0) {
        store_.AppendLine(LineRecord::Borrow(lineStart_, static_cast<std::uint32_t>(tail)));
    } else {
        carried_.Append(lineStart_, static_cast<std::size_t>(tail));
        store_.AppendLine(std::move(carried_));
        carried_ = LineRecord();
    }
    if (firstLine_) {
        store_.SetCurrentLine(0);
        firstLine_ = false;
    }
    lineStart_ = end;
    n_ = 0;
    c_ = 0;
}

void LineCutter::CarryOverBlock(const char* blockEnd)
{
    // The line in progress continues in the next block: keep its head as a line of its own.
    if (lineStart_ && blockEnd > lineStart_)
        carried_.Append(lineStart_, static_cast<std::size_t>(blockEnd - lineStart_));
    lineStart_ = nullptr;
}

}  // namespace quill
