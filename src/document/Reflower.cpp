// Reflow: rejoining and re-cutting lines.
#include "document/Reflower.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "common/Utf8.h"
#include "document/Document.h"
#include "platform/ProgressWindow.h"
#include "settings/Settings.h"

namespace quill {

Reflower::Reflower(Document& doc, ProgressWindow& progress) : doc_(doc), progress_(progress)
{
    rules_ = doc.Rules();
    lineLength_ = std::max<std::int64_t>(1, doc.EffectiveLineLength());
    wordWrap_ = doc.Config().On(Layout::WordWrap);
}

Column Reflower::Run(LineIndex fromLine)
{
    TextStore& text = doc_.Text();
    const LineIndex count = text.LineCount();
    if (count == 0)
        return 0;
    whole_ = fromLine < 0;
    const bool showProgress = whole_ && count > 50000;
    if (whole_) {
        text.SetWidestLine(0);
        fromLine = 0;
    }
    if (showProgress)
        progress_.Begin(40);
    insertAfter_ = fromLine - 1;
    input_ = fromLine;
    try {
        while (input_ < text.LineCount()) {
            const bool mayStop = !whole_ && consumed_ >= 2;
            ProcessInputLine();
            ++consumed_;
            if (showProgress && consumed_ % 1000 == 0)
                progress_.Step(40 * consumed_ / count);
            if (mayStop && lastEndedHard_ && buffer_.Size() == 0)
                break;
        }
        if (input_ >= text.LineCount())
            FinishText();
    } catch (const std::bad_alloc&) {
        hint_ = 0;
        doc_.ReportOutOfMemory();
    }
    if (showProgress)
        progress_.End();
    return hint_;
}

void Reflower::ProcessInputLine()
{
    LineView line = doc_.Text().Line(input_);
    inputBegin_ = line.Bytes();
    inputEnd_ = inputBegin_ + line.Length();
    inputLasting_ = !doc_.Text().IsOwned(input_);
    inputStartedEmpty_ = buffer_.Size() == 0;
    outputFromInput_ = false;
    keepInput_ = false;
    lastWasKeptEmpty_ = false;
    if (line.Length() == 0 && buffer_.Size() == 0 && input_ == doc_.Text().LineCount() - 1) {
        // The empty last line stays: the text keeps a place after its last terminator.
        lastWasKeptEmpty_ = true;
        KeepInputLine();
        return;
    }
    const char* p = inputBegin_;
    while (p < inputEnd_) {
        const std::int64_t i = static_cast<std::int64_t>(buffer_.Size());
        std::int64_t take = i < lineLength_ ? lineLength_ - i : 1;
        take = std::min<std::int64_t>({take, static_cast<std::int64_t>(kOutputMax) - i, inputEnd_ - p});
        const char* stop = p + take;
        bool hard = false;
        if (!rules_.ignoreFormatCodes) {
            const void* lf = std::memchr(p, rules_.lf, static_cast<std::size_t>(take));
            const char* end = lf ? static_cast<const char*>(lf) : stop;
            const void* ff = std::memchr(p, rules_.ff, static_cast<std::size_t>(end - p));
            if (ff)
                end = static_cast<const char*>(ff);
            if (end < stop) {
                stop = end + 1;
                hard = true;
            }
        }
        Append(p, stop, inputLasting_);
        p = stop;
        if (hard) {
            EndOutputLine(true, p - 1 == inputBegin_, p);
            continue;
        }
        const std::int64_t size = static_cast<std::int64_t>(buffer_.Size());
        if (size >= static_cast<std::int64_t>(kOutputMax)) {
            EndOutputLine(false, false, p);
        } else if (size >= lineLength_) {
            // A terminator right behind the cut stays with its line, as far as this input line shows.
            const bool terminatorFollows = !rules_.ignoreFormatCodes && p < inputEnd_ &&
                                           (static_cast<std::uint8_t>(*p) == rules_.lf ||
                                            (static_cast<std::uint8_t>(*p) == rules_.cr && p + 1 < inputEnd_ &&
                                             static_cast<std::uint8_t>(p[1]) == rules_.lf));
            if (!terminatorFollows)
                EndOutputLine(false, false, p);
        }
    }
    if (!keepInput_) {
        buffer_.Settle();
        RemoveInputLine();
    }
}

void Reflower::Append(const char* from, const char* to, bool lasting)
{
    buffer_.Append(from, static_cast<std::size_t>(to - from), lasting);
    if (rules_.ignoreFormatCodes) {
        columns_ += to - from;
        return;
    }
    while (from < to) {
        const void* tab = std::memchr(from, rules_.tab, static_cast<std::size_t>(to - from));
        if (!tab) {
            columns_ += to - from;
            return;
        }
        const char* at = static_cast<const char*>(tab);
        columns_ += at - from;
        columns_ = NextTabStop(columns_, rules_.tabSize);
        from = at + 1;
    }
}

void Reflower::EndOutputLine(bool hard, bool lfIsFirstOfInput, const char* next)
{
    const std::size_t size = buffer_.Size();
    const char* data = buffer_.Data();
    if (hard && static_cast<std::uint8_t>(data[size - 1]) == rules_.lf && !lfIsFirstOfInput)
        doc_.Text().SetTerminator(size >= 2 && static_cast<std::uint8_t>(data[size - 2]) == rules_.cr
                                      ? TerminatorKind::CRLF
                                      : TerminatorKind::LF);
    std::size_t length = hard ? size : WholeCharacters(data, size, next);
    bool blankFound = false;
    if (!hard && wordWrap_) {
        const void* blank = ::memrchr(data, kBlank, size);
        if (blank) {
            length = static_cast<std::size_t>(static_cast<const char*>(blank) - data) + 1;
            blankFound = true;
        }
    }
    lastEndedHard_ = hard;
    Emit(length, size - length, !hard && wordWrap_ ? blankFound : true);
}

std::size_t Reflower::WholeCharacters(const char* data, std::size_t size, const char* next) const
{
    // A cut inside a UTF-8 character would leave two halves shown as bytes, and one between a
    // character and its marks would show the marks alone: the character goes on to the next line
    // with its marks. Whether a mark follows the cut shows in the input after it: the bytes around
    // the cut are put together (a character with more marks than fit is cut among them).
    if (!rules_.utf8)
        return size;
    const auto ascii = [](char byte) { return static_cast<unsigned char>(byte) < 0x80; };
    if (ascii(data[size - 1]) && (next >= inputEnd_ || ascii(*next)))
        return size;  // nothing begun before the cut, no mark after it
    constexpr std::size_t kBefore = 64;
    constexpr std::size_t kAfter = 8;
    const std::size_t before = std::min(size, kBefore);
    const auto after = static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(inputEnd_ - next, 0, kAfter));
    char around[kBefore + kAfter];
    std::memcpy(around, data + size - before, before);
    if (after > 0)
        std::memcpy(around + before, next, after);
    const char* cut = ClusterCutPoint(around, around + before, around + before + after);
    return size - before + static_cast<std::size_t>(cut - around);
}

void Reflower::Emit(std::size_t length, std::size_t carried, bool blankFound)
{
    const LineIndex landing = insertAfter_ + 1;
    doc_.Text().WidenToLine(columns_, LineView(buffer_.Data(), static_cast<std::uint32_t>(length)), rules_);
    const bool identical = inputStartedEmpty_ && !outputFromInput_ && carried == 0 &&
                           length == static_cast<std::size_t>(inputEnd_ - inputBegin_) && buffer_.Data() == inputBegin_;
    if (identical) {
        buffer_.Drop(length);
        KeepInputLine();
    } else {
        Insert(buffer_.Take(length));
    }
    outputFromInput_ = true;
    if (landing == doc_.Selection().cursor.line && blankFound)
        hint_ = static_cast<Column>(1 + carried);
    columns_ = static_cast<std::int64_t>(carried);
}

void Reflower::Insert(LineRecord line)
{
    if (whole_) {
        doc_.Text().InsertLine(insertAfter_ + 1, std::move(line));
        ++insertAfter_;
    } else if (insertAfter_ < 0) {
        insertAfter_ = doc_.Model().InsertAtHead(std::move(line), true);
    } else {
        insertAfter_ = doc_.Model().InsertAfter(insertAfter_, std::move(line), true);
    }
    ++input_;  // the new line stands before the input line
}

void Reflower::KeepInputLine()
{
    keepInput_ = true;
    insertAfter_ = input_;
    ++input_;
}

void Reflower::RemoveInputLine()
{
    if (whole_)
        doc_.Text().RemoveLine(input_);
    else
        doc_.Model().RemoveLine(input_, true);
}

void Reflower::FinishText()
{
    if (buffer_.Size() > 0) {
        lastEndedHard_ = false;
        doc_.Text().WidenToLine(columns_, LineView(buffer_.Data(), static_cast<std::uint32_t>(buffer_.Size())), rules_);
        Insert(buffer_.Take(buffer_.Size()));
        return;
    }
    if (lastWasKeptEmpty_ || (!whole_ && lastEndedHard_))
        return;
    Insert(LineRecord());
}

}  // namespace quill
