// Whole-text transformations: terminators, character set, tabs and blanks, the selection
// commands, the wrap width, undisplayable characters, and the selection status text.
#include <algorithm>
#include <cstring>
#include <memory>

#include "common/Format.h"
#include "document/Document.h"
#include "document/DocumentView.h"
#include "platform/EntryDialog.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "settings/Settings.h"

namespace quill {

namespace {

constexpr LineIndex kWholeTextProgressLines = 50000;
constexpr LineIndex kSelectionProgressLines = 5000;
constexpr std::int64_t kMaxWrapWidth = 100000;

// Shows a progress window for long loops, moved every thousand lines.
class LoopProgress {
public:
    LoopProgress(ProgressWindow& window, LineIndex count, LineIndex threshold)
        : window_(window),
          count_(count),
          shown_(count > threshold)
    {
        if (shown_)
            window_.Begin(40);
    }
    ~LoopProgress()
    {
        if (shown_)
            window_.End();
    }
    LoopProgress(const LoopProgress&) = delete;
    LoopProgress& operator=(const LoopProgress&) = delete;
    /// True when Escape was pressed.
    bool Step(LineIndex done)
    {
        return shown_ && done % 1000 == 0 && window_.Step(40 * done / std::max<LineIndex>(1, count_));
    }

private:
    ProgressWindow& window_;
    LineIndex count_;
    bool shown_;
};

}  // namespace

LineRecord Document::Terminator() const
{
    LineRecord terminator;
    if (text_.Terminator() == TerminatorKind::CRLF)
        terminator.Append(charset_.CR());
    terminator.Append(charset_.LF());
    return terminator;
}

void Document::FinishRewrite()
{
    MarkModified();
    UpdateSelectionStatusText();
    RedrawViews();
}

void Document::ReplaceAllLines(const std::vector<LineIndex>& keep)
{
    // A kept line that borrows its bytes from the store's blocks goes on borrowing them (the blocks
    // stay until the text is cleared). Edited lines' bytes belong to the old lines, which Undo
    // keeps and may free: they are copied into one new block, one allocation for all of them.
    std::size_t owned = 0;
    for (const LineIndex i : keep)
        owned += text_.IsOwned(i) ? text_.Line(i).Length() : 0;
    char* bytes = owned > 0 ? text_.NewBlock(owned) : nullptr;
    // The new lines are made beside the text and exchanged with it at once; the old text is kept
    // whole as one undo step instead of being freed: one Ctrl+Z brings the file back, however many
    // lines it had.
    auto lines = std::make_unique<LineSet>();
    lines->lines.Reserve(std::max<std::size_t>(keep.size(), 1));
    const DisplayRules rules = Rules();
    for (const LineIndex i : keep) {
        const LineView line = text_.Line(i);
        LineRecord record;
        if (line.Length() > 0 && text_.IsOwned(i)) {
            std::memcpy(bytes, line.Bytes(), line.Length());
            record = LineRecord::Borrow(bytes, line.Length());
            bytes += line.Length();
        } else if (line.Length() > 0) {
            record = LineRecord::Borrow(line.Bytes(), line.Length());
        }
        lines->fileSize += record.Length();
        lines->widest = std::max(lines->widest, quill::DisplayWidth(record.View(), rules));
        lines->ownedLines += record.IsOwned();
        lines->lines.PushBack(record.Release());
    }
    if (keep.empty())
        lines->lines.PushBack(LineSlot());
    model_.ReplaceAllLines(std::move(lines));
    positions_->RemoveBookmarks();  // they named lines of the old text
    selection_.cursor.line = 0;
    selection_.cursor.column = selection_.preferredColumn = 0;
    selection_.Clear();
    text_.SetCurrentLine(0);
    if (view_)
        view_->Changed(DocumentChange::NewText);
    FinishRewrite();
}

// ---- In-place conversions -----------------------------------------------------------------

void Document::ConvertTerminators()
{
    const bool toLf = text_.Terminator() == TerminatorKind::CRLF;
    if (prompter_.Ask(toLf ? "Convert to LF only?" : "Convert to CR+LF?", Buttons::YesNo) == Answer::No)
        return;
    // Undo records could hold lines with the other terminator: they go first, and with them every
    // other user of the bytes rewritten below.
    model_.ClearUndo();
    const std::uint8_t cr = charset_.CR();
    const std::uint8_t lf = charset_.LF();
    LoopProgress progress(progress_, text_.LineCount(), kWholeTextProgressLines);
    for (LineIndex i = 0; i < text_.LineCount(); ++i) {
        progress.Step(i);
        LineView line = text_.Line(i);
        const std::uint32_t n = line.Length();
        const bool endsCrLf = n >= 2 && line.ByteAt(n - 2) == cr && line.ByteAt(n - 1) == lf;
        if (toLf && endsCrLf) {
            text_.ShortenLineEnd(i, 2, lf);
        } else if (!toLf && n >= 1 && line.ByteAt(n - 1) == lf && !endsCrLf) {
            LineRecord longer(line.Bytes(), n - 1);
            longer.Append(cr);
            longer.Append(lf);
            text_.ReplaceLine(i, std::move(longer));
        }
    }
    text_.SetTerminator(toLf ? TerminatorKind::LF : TerminatorKind::CRLF);
    UpdateTerminatorStatusText();
    FinishRewrite();
}

void Document::RewriteAllBytes(const std::array<std::uint8_t, 256>& map)
{
    model_.ClearUndo();  // undo records may share the bytes rewritten here
    LoopProgress progress(progress_, text_.LineCount(), kWholeTextProgressLines);
    for (LineIndex i = 0; i < text_.LineCount(); ++i) {
        progress.Step(i);
        char* bytes = text_.MutableBytes(i);
        for (std::uint32_t k = 0, n = text_.Line(i).Length(); k < n; ++k)
            bytes[k] = static_cast<char>(map[static_cast<std::uint8_t>(bytes[k])]);
    }
    FinishRewrite();
}

void Document::ConvertCharset()
{
    // Choosing a table to convert into belongs to the Charset commands; here the active table
    // converts back to the program's own code page.
    if (!charset_.IsActive() || prompter_.Ask("Convert to ANSI?", Buttons::YesNo) != Answer::Yes)
        return;
    std::array<std::uint8_t, 256> map{};
    for (int b = 0; b < 256; ++b)
        map[b] = charset_.DisplayEntry(static_cast<std::uint8_t>(b));
    RewriteAllBytes(map);
    charset_.RememberLineBreaks();
    charset_.Reset();
    CharsetChanged();
}

std::string Document::EncodingName() const
{
    if (charset_.IsActive())
        return charset_.StatusName();
    return loadedUtf8_ ? "UTF-8" : "8-bit (1252)";
}

void Document::ReadTextAs(bool utf8)
{
    charset_.RememberLineBreaks();
    charset_.Reset();
    loadedUtf8_ = utf8;
    // Characters take other cells than bytes: the widest line is measured again.
    const DisplayRules rules = Rules();
    std::int64_t widest = 0;
    LoopProgress progress(progress_, text_.LineCount(), kWholeTextProgressLines);
    for (LineIndex i = 0; i < text_.LineCount(); ++i) {
        progress.Step(i);
        widest = std::max(widest, ColumnsWithTerminator(text_.Line(i), rules));
    }
    text_.SetWidestLine(widest);
    CharsetChanged();
    if (view_)
        view_->SetStatusText(StatusPane::Table, EncodingName());
}

void Document::CharsetChanged()
{
    if (charset_.LineBreaksChanged())
        ReflowKeepingOffset(-1);
    UpdateTerminatorStatusText();
    RedrawViews();
}

// ---- Undoable rewrites ------------------------------------------------------------------------

template <class Rewrite> void Document::RewriteAllLines(Rewrite rewrite)
{
    const LineIndex keepCurrent = text_.CurrentIndex();
    const LineIndex keepAnchorLine = selection_.anchor.line;
    const Column keepAnchorColumn = selection_.anchor.column;
    LoopProgress progress(progress_, text_.LineCount(), kWholeTextProgressLines);
    for (LineIndex i = 0; i < text_.LineCount(); ++i) {
        progress.Step(i);
        LineRecord changed;
        // Only lines that change are replaced, so undo holds no copies of unchanged lines.
        if (rewrite(text_.Line(i), changed)) {
            text_.SetCurrentLine(i);
            model_.ReplaceCurrentLine(std::move(changed));
        }
    }
    text_.SetCurrentLine(keepCurrent);
    selection_.anchor.line = keepAnchorLine;
    selection_.anchor.column = keepAnchorColumn;
    FinishRewrite();
}

void Document::TabsToSpaces()
{
    const int tabSize = config_.Get(Layout::TabSize);
    const std::uint8_t tab = charset_.Tab();
    const std::uint8_t blank = charset_.Blank();
    const bool binary = binaryMode_;
    RewriteAllLines([&](LineView line, LineRecord& out) {
        if (binary || line.Text().find(static_cast<char>(tab)) == std::string_view::npos)
            return false;
        for (std::uint32_t j = 0; j < line.Length(); ++j) {
            if (line.ByteAt(j) != tab) {
                out.Append(line.ByteAt(j));
                continue;
            }
            if (out.Length() % tabSize == 0)
                out.Append(blank);
            while (out.Length() % tabSize != 0)
                out.Append(blank);
        }
        return true;
    });
}

void Document::SpacesToTabs()
{
    const std::uint32_t tabSize = static_cast<std::uint32_t>(config_.Get(Layout::TabSize));
    const std::uint8_t tab = charset_.Tab();
    const std::uint8_t blank = charset_.Blank();
    RewriteAllLines([&](LineView line, LineRecord& out) {
        bool changed = false;
        for (std::uint32_t j = 0; j < line.Length(); ++j) {
            const std::uint8_t b = line.ByteAt(j);
            if ((j + 1) % tabSize == 0 && b == blank && j > 0 && line.ByteAt(j - 1) == blank) {
                std::uint32_t keep = out.Length();
                while (keep > 0 && out.ByteAt(keep - 1) == blank)
                    --keep;
                out = out.Left(keep);
                out.Append(tab);
                changed = true;
            } else {
                out.Append(b);
            }
        }
        return changed;
    });
}

// ---- Selection commands -----------------------------------------------------------------------

Document::SelectedRange Document::SelectionLines() const
{
    if (!selection_.Active())
        return {0, -1};
    const LineIndex first = std::min(selection_.anchor.line, selection_.cursor.line);
    LineIndex last = std::max(selection_.anchor.line, selection_.cursor.line);
    const Column endColumn = selection_.anchor.line > selection_.cursor.line ? selection_.anchor.column
                             : selection_.anchor.line < selection_.cursor.line
                                 ? selection_.cursor.column
                                 : std::max(selection_.anchor.column, selection_.cursor.column);
    if (endColumn == 0)
        --last;
    return {first, std::min(last, text_.LineCount() - 1)};
}

template <class Rewrite> void Document::RewriteSelectedLines(Rewrite rewrite)
{
    if (!CanRunSelectionCommand())
        return;
    const SelectedRange range = SelectionLines();
    LoopProgress progress(progress_, range.last - range.first + 1, kSelectionProgressLines);
    for (LineIndex i = range.first; i <= range.last; ++i) {
        progress.Step(i - range.first);
        LineRecord changed;
        if (rewrite(text_.Line(i), changed)) {
            text_.SetCurrentLine(i);
            model_.ReplaceCurrentLine(std::move(changed));
        }
    }
    if (range.last >= range.first) {
        selection_.cursor.line = range.last;
        text_.SetCurrentLine(selection_.cursor.line);
        selection_.cursor.column = selection_.preferredColumn =
            std::min<Column>(selection_.cursor.column, static_cast<Column>(DisplayWidth(selection_.cursor.line)));
    }
    selection_.Clear();
    FinishRewrite();
}

void Document::FixateWrapping()
{
    const std::uint8_t lf = charset_.LF();
    const std::uint8_t ff = charset_.FF();
    const LineRecord terminator = Terminator();
    RewriteSelectedLines([&](LineView line, LineRecord& out) {
        const std::uint8_t last = line.Length() ? line.ByteAt(line.Length() - 1) : 0;
        // A form feed ends its line already.
        if (line.Length() > 0 && (last == lf || last == ff))
            return false;
        out.Assign(line.Bytes(), line.Length());
        out.Append(terminator);
        return true;
    });
}

void Document::TrimLines()
{
    const std::uint8_t cr = charset_.CR(), lf = charset_.LF(), tab = charset_.Tab(), blank = charset_.Blank();
    const LineRecord terminator = Terminator();
    RewriteSelectedLines([&](LineView line, LineRecord& out) {
        std::uint32_t end = line.Length();
        bool blanks = false, terminated = false;
        for (; end > 0; --end) {
            const std::uint8_t b = line.ByteAt(end - 1);
            if (b == cr || b == lf)
                terminated = true;
            else if (b == blank || b == tab)
                blanks = true;
            else
                break;
        }
        if (!blanks)
            return false;
        out.Assign(line.Bytes(), end);
        if (terminated)
            out.Append(terminator);
        return true;
    });
}

void Document::ExtendLines()
{
    if (!CanRunSelectionCommand())
        return;
    auto answer = entryDialog_.AskValue("Characters", "0");
    if (!answer)
        return;
    const auto count = ParseDecimal(*answer);
    if (!count || *count < 0 || *count > kMaxWrapWidth) {
        prompter_.Warn(Format("Valid range is 0-%lld!", static_cast<long long>(kMaxWrapWidth)));
        return;
    }
    const std::uint8_t cr = charset_.CR(), lf = charset_.LF();
    const LineRecord terminator = Terminator();
    RewriteSelectedLines([&](LineView line, LineRecord& out) {
        std::uint32_t n = line.Length();
        while (n > 0 && (line.ByteAt(n - 1) == cr || line.ByteAt(n - 1) == lf))
            --n;
        if (n >= static_cast<std::uint64_t>(*count))
            return false;
        out.Assign(line.Bytes(), n);
        out.Append(LineRecord(std::uint8_t(kBlank), static_cast<std::size_t>(*count - n)));
        if (n < line.Length())
            out.Append(terminator);
        return true;
    });
}

// ---- Wrap width -------------------------------------------------------------------------------

void Document::WrapLinesAt()
{
    bool changed = false;
    bool ask = true;
    if (config_.On(Layout::WrapAtBorder)) {
        config_.Set(Layout::WrapAtBorder, 0);
        config_.Set(Layout::MaxLineLen, Settings::kNoLineLimit);
        changed = true;
    } else if (config_.Get(Layout::MaxLineLen) != Settings::kNoLineLimit) {
        config_.Set(Layout::MaxLineLen, Settings::kNoLineLimit);  // a fixed width in force is switched off
        changed = true;
        ask = false;
    }
    if (ask) {
        auto answer = entryDialog_.AskValue("Length", std::to_string(selection_.cursor.column));
        const auto value = answer ? ParseDecimal(*answer) : std::nullopt;
        if (answer && (!value || *value < 1 || *value > kMaxWrapWidth))
            prompter_.Warn(Format("Valid range is 1-%lld!", static_cast<long long>(kMaxWrapWidth)));
        else if (answer) {
            config_.Set(Layout::MaxLineLen, static_cast<int>(*value));
            changed = true;
        }
    }
    // The border wrapping switched off above must not stay in the lines when the user cancels.
    if (!changed)
        return;
    ReflowKeepingOffset(-1);
    text_.SetCurrentLine(selection_.cursor.line);
    RedrawViews();
}

// ---- Undisplayable characters -------------------------------------------------------------------

bool Document::FindUndisplayable()
{
    const std::string& visible = settings_.visible;
    const DisplayRules rules = Rules();
    auto undisplayable = [&](std::uint8_t b, const CellUnit& unit) {
        if (rules.utf8 && b >= 0x80)
            return unit.character == 0;  // a byte that is no character
        const std::uint8_t code = charset_.ToDisplay(b);
        return visible[code] == '0' && code != 9 && code != 10 && code != 12 && code != 13;
    };
    LineIndex line = selection_.cursor.line;
    std::int64_t after = selection_.cursor.column;  // the search begins one column after the cursor
    for (bool wrapped = false;; wrapped = true) {
        std::unique_ptr<LoopProgress> progress;
        for (LineIndex searched = 0; line < text_.LineCount(); ++line, ++searched) {
            if (searched == 10000)
                progress = std::make_unique<LoopProgress>(progress_, text_.LineCount(), 0);
            if (progress && searched % 10000 == 0 && progress->Step(1000 * (searched / 1000)))
                return false;  // Escape: the cursor stays
            LineView view = text_.Line(line);
            std::int64_t column = 0;
            for (std::uint32_t k = 0; k < view.Length() && column < 100000;) {
                const CellUnit unit = UnitAt(view, k, column, rules);
                if (column > after && undisplayable(view.ByteAt(k), unit)) {
                    selection_.cursor.line = line;
                    text_.SetCurrentLine(line);
                    selection_.cursor.column = selection_.preferredColumn = static_cast<Column>(column);
                    selection_.Clear();
                    if (view_) {
                        view_->Changed(DocumentChange::CursorCentred | DocumentChange::Text);
                    }
                    return true;
                }
                column = unit.nextColumn;
                k += unit.length;
            }
            after = -1;
        }
        if (wrapped) {
            // A whole round without one: asking again would go round for ever.
            prompter_.Inform("No undisplayable character found!");
            return false;
        }
        if (prompter_.Ask("End of file reached!\nContinue search at top of file?", Buttons::OkCancel) != Answer::Ok)
            return false;
        line = 0;
        after = -1;  // from the top, the very first byte counts too
        selection_.cursor.line = 0;
        selection_.cursor.column = selection_.preferredColumn = 0;
    }
}

}  // namespace quill
