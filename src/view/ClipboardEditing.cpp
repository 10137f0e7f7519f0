// Copy, cut and paste.
#include "view/ClipboardEditing.h"

#include <algorithm>
#include <new>

#include "common/Format.h"
#include "common/Utf8.h"
#include "document/Document.h"
#include "platform/Clipboard.h"
#include "platform/EntryDialog.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "search/CounterSubstitution.h"
#include "view/SelectionRange.h"
#include "view/ViewState.h"

namespace quill {

ClipboardEditing::ClipboardEditing(Document& doc, ViewState& view, Clipboard& clipboard)
    : doc_(doc),
      ports_(doc.Ports()),
      view_(view),
      clipboard_(clipboard),
      editing_(doc, view)
{
}

void ClipboardEditing::WriteHeader(std::string& data, bool block)
{
    data[0] = block ? '\1' : '\0';
    const auto n = static_cast<std::uint32_t>(data.size() - 5);
    for (int i = 0; i < 4; ++i)
        data[1 + i] = static_cast<char>((n >> (8 * i)) & 0xFF);
}

std::string ClipboardEditing::EncodePrivate(bool block, const std::string& bytes)
{
    std::string data(5, '\0');
    data += bytes;
    WriteHeader(data, block);
    return data;
}

bool ClipboardEditing::DecodePrivate(std::string data, bool& block, std::string& bytes)
{
    if (data.size() < 5)
        return false;
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i)
        n |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(data[1 + i])) << (8 * i);
    if (n > data.size() - 5)
        return false;  // a truncated or foreign entry: taken as text instead
    block = data[0] != 0;
    data.resize(5 + n);
    data.erase(0, 5);  // in place: a paste of 100 MB needs no second copy
    bytes = std::move(data);
    return true;
}

std::string ClipboardEditing::SelectedBytes(const SelectionRange& range, bool withHeader)
{
    const TextStore& text = doc_.Text();
    const DisplayRules rules = doc_.Rules();
    std::string bytes;
    // The size first, so that a selection too large for memory fails before any work.
    std::size_t size = 6;
    if (range.block) {
        size += static_cast<std::size_t>(range.right - range.left + 4) * static_cast<std::size_t>(range.Lines());
    } else {
        for (LineIndex line = range.upper; line <= range.lower; ++line)
            size += text.Line(line).Length();
    }
    bytes.reserve(size);
    if (withHeader)
        bytes.assign(5, '\0');
    const bool showProgress = range.Lines() > 5000;
    if (showProgress)
        ports_.progress.Begin(40);
    const std::string terminator(doc_.Terminator().Text());
    for (LineIndex line = range.upper; line <= range.lower; ++line) {
        const LineView view = text.Line(line);
        if (range.block) {
            const std::uint32_t from = editing_.ByteAtOrAfter(line, range.left);
            const std::uint32_t to = editing_.ByteAtOrAfter(line, range.right);
            std::uint32_t after = 0;  // after the last byte taken
            for (std::uint32_t i = from; i < to && i < view.Length(); ++i) {
                const std::uint8_t b = view.ByteAt(i);
                if (b == rules.cr || b == rules.lf)
                    continue;
                bytes += static_cast<char>(b);
                after = i + 1;
            }
            const std::int64_t columns = after ? IndexToColumn(view, after, rules) - range.left : 0;
            bytes.append(static_cast<std::size_t>(std::max<std::int64_t>(0, range.right - range.left - columns)), ' ');
            bytes += terminator;
        } else {
            const std::uint32_t from = line == range.upper ? editing_.IndexOfColumn(line, range.left) : 0;
            const std::uint32_t to = line == range.lower ? editing_.IndexOfColumn(line, range.right) : view.Length();
            if (to > from)
                bytes.append(view.Bytes() + from, to - from);
        }
        if (showProgress && (line - range.upper) % 1000 == 0)
            ports_.progress.Step((line - range.upper) * 40 / range.Lines());
    }
    if (showProgress)
        ports_.progress.End();
    if (withHeader)
        WriteHeader(bytes, range.block);  // the count is known now
    return bytes;
}

bool ClipboardEditing::Copy()
{
    const SelectionRange range = SelectionRange::Of(doc_, doc_.Selection().block);
    if (range.Empty())
        return false;
    try {
        std::string data = SelectedBytes(range, true);
        // Other programs get the characters shown: UTF-8 text as it is (without a table), the
        // characters of an 8-bit table's code page otherwise.
        std::optional<std::string> shown;
        if (!doc_.Utf8Text())
            shown = ShownText(data.substr(5));
        return clipboard_.Put(std::move(data), std::move(shown));
    } catch (const std::bad_alloc&) {
        ports_.progress.End();
        ports_.prompter.Error("Not enough memory!");
        return false;
    }
}

bool ClipboardEditing::Cut()
{
    if (!Copy())
        return false;
    doc_.Model().RaiseUndoGroup();
    editing_.DeleteSelection();
    return true;
}

std::optional<std::string> ClipboardEditing::ClipboardBytes(bool& block)
{
    std::string bytes;
    std::optional<std::string> data = clipboard_.PrivateData();
    if (data && DecodePrivate(std::move(*data), block, bytes))
        return bytes;
    block = false;
    return StoredFromText(clipboard_.Text().value_or(std::string()));
}

std::string ClipboardEditing::ShownText(const std::string& stored) const
{
    return doc_.Utf8Text() ? stored : Cp1252ToUtf8(doc_.Charset().ToDisplay(stored));
}

std::optional<std::string> ClipboardEditing::StoredFromText(const std::string& text)
{
    const ConversionTable& table = doc_.Charset();
    if (doc_.Utf8Text())
        return text;  // text without a table is UTF-8: stored as it is
    // Under an 8-bit table (or in an 8-bit file without one) a character is stored only when the
    // table has a byte for it; any other would become another character without a word.
    std::string missing;
    const std::string shown = table.ShownFromUtf8(text, missing);
    if (!missing.empty()) {
        const std::string owner =
            table.IsActive() ? "The table " + table.Name() : std::string("This 8-bit text (code page 1252)");
        ports_.prompter.Error(
            Format("%s has no bytes for these characters:\n%s\nNothing was pasted.", owner.c_str(), missing.c_str()));
        return std::nullopt;
    }
    return table.FromDisplay(shown);
}

void ClipboardEditing::Paste(bool asBlock)
{
    bool block = false;
    if (const auto bytes = ClipboardBytes(block))
        Insert(*bytes, block || asBlock);
}

void ClipboardEditing::OfferPrimary()
{
    const SelectionRange range = SelectionRange::Of(doc_, doc_.Selection().block);
    if (range.Empty() || range.Lines() > kPrimaryLimit / 2)
        return;
    std::string stored = SelectedBytes(range);
    if (static_cast<std::int64_t>(stored.size()) <= kPrimaryLimit)
        clipboard_.PutPrimary(ShownText(stored));
}

void ClipboardEditing::PastePrimary()
{
    const auto text = clipboard_.Primary();
    if (!text || text->empty())
        return;
    if (const auto bytes = StoredFromText(*text))
        Insert(*bytes, false);
}

bool ClipboardEditing::PasteWithCounter()
{
    std::vector<EntryValue> values{{"Counter Start", EntryMode::Decimal, counterStart_},
                                   {"Counter Increment", EntryMode::Decimal, counterIncrement_},
                                   {"Paste n Times", EntryMode::Decimal, pasteTimes_}};
    if (!ports_.entries.AskValues("Paste & Replace Counter", values))
        return false;
    counterStart_ = values[0].text;
    counterIncrement_ = values[1].text;
    pasteTimes_ = values[2].text;
    const auto start = ReadEntry(values[0]);
    const auto increment = ReadEntry(values[1]);
    const auto times = ReadEntry(values[2]);
    if (!start || *start < INT32_MIN || *start > INT32_MAX) {
        ports_.prompter.Error("Counter Start must be a number!");
        return false;
    }
    if (!increment || *increment < 1 || *increment > 999999999) {
        ports_.prompter.Error("Counter Increment must be between 1 and 999999999!");
        return false;
    }
    if (!times || *times < 1 || *times > 999999) {
        ports_.prompter.Error("Paste n Times must be between 1 and 999999!");
        return false;
    }
    bool block = false;
    const auto pasted = ClipboardBytes(block);
    if (!pasted)
        return false;
    const std::string& bytes = *pasted;
    auto counter = static_cast<std::int32_t>(*start);
    for (std::int64_t n = 0; n < *times; ++n) {
        std::string text = bytes;
        SubstituteCounter(text, counter);
        Insert(text, block);
        counter = NextCounter(counter, *increment);
    }
    return true;
}

std::int64_t ClipboardEditing::FirstLineCells(const std::string& bytes, std::size_t from) const
{
    const DisplayRules rules = doc_.Rules();
    std::size_t end = from;
    while (end < bytes.size() && static_cast<std::uint8_t>(bytes[end]) != rules.lf &&
           !(static_cast<std::uint8_t>(bytes[end]) == rules.cr && end + 1 < bytes.size() &&
             static_cast<std::uint8_t>(bytes[end + 1]) == rules.lf))
        ++end;
    return IndexToColumn(LineView(bytes.data() + from, static_cast<std::uint32_t>(end - from)),
                         static_cast<std::uint32_t>(end - from), rules);
}

void ClipboardEditing::DeleteColumns(LineIndex line, Column column, std::int64_t count)
{
    // What an overwriting paste replaces: count columns from the column, never the terminator.
    const LineView view = doc_.Text().Line(line);
    const std::uint32_t end = editing_.ContentEnd(view);
    const std::uint32_t from = std::min(editing_.ByteAtOrAfter(line, column), end);
    const std::uint32_t to = std::min(editing_.ByteAtOrAfter(line, column + count), end);
    if (from < to)
        ReplaceLine(line, std::string(view.Bytes(), from) + std::string(view.Bytes() + to, view.Length() - to));
}

std::string ClipboardEditing::SplitAt(LineIndex line, Column column, std::string& left)
{
    const LineView view = doc_.Text().Line(line);
    const std::uint32_t end = editing_.ContentEnd(view);
    const std::int64_t width = doc_.DisplayWidth(line);
    std::uint32_t index = std::min(editing_.ByteAtOrAfter(line, column), end);
    left.assign(view.Bytes(), index);
    if (width < column)
        left.append(static_cast<std::size_t>(column - width), ' ');  // a short line is padded
    return std::string(view.Bytes() + index, view.Length() - index);
}

std::int64_t ClipboardEditing::ColumnAfter(const std::string& lineStart) const
{
    const LineView view(lineStart);
    return IndexToColumn(view, view.Length(), doc_.Rules());
}

void ClipboardEditing::ReplaceLine(LineIndex line, const std::string& bytes)
{
    doc_.Text().SetCurrentLine(line);
    doc_.Model().ReplaceCurrentLine(LineRecord(bytes));
}

void ClipboardEditing::InsertLines(const std::string& bytes)
{
    // A plain paste: the text's lines become lines of their own, each made in one piece.
    const DisplayRules rules = doc_.Rules();
    LineIndex line = doc_.Selection().cursor.line;
    const Column pasteColumn = doc_.Selection().cursor.column;
    std::string left;
    const std::string right = SplitAt(line, pasteColumn, left);
    const std::string terminator(doc_.Terminator().Text());
    const bool showProgress = bytes.size() > 100000;
    if (showProgress)
        ports_.progress.Begin(40);
    std::size_t start = 0, stepped = 0;
    bool first = true;
    for (;;) {
        const auto lf = bytes.find(static_cast<char>(rules.lf), start);
        if (lf == std::string::npos)
            break;
        // Lines end in the file's own convention, whichever the pasted text had.
        std::size_t end = lf;
        if (end > start && static_cast<std::uint8_t>(bytes[end - 1]) == rules.cr)
            --end;
        std::string made = first ? left : std::string();
        made.append(bytes, start, end - start);
        made += terminator;
        if (first)
            ReplaceLine(line, made);
        else
            line = doc_.Model().InsertAfter(line, LineRecord(made), true);
        first = false;
        start = lf + 1;
        if (showProgress && start - stepped > 100000) {
            stepped = start;
            ports_.progress.Step(static_cast<std::int64_t>(start * 40 / bytes.size()));
        }
    }
    std::string last = first ? left : std::string();
    last.append(bytes, start, std::string::npos);
    // The cursor goes after the pasted text.
    const std::int64_t column = ColumnAfter(last);
    last += right;
    if (first)
        ReplaceLine(line, last);
    else
        line = doc_.Model().InsertAfter(line, LineRecord(last), true);
    if (showProgress)
        ports_.progress.End();
    FinishPaste(line, column);
}

void ClipboardEditing::FinishPaste(LineIndex line, std::int64_t column)
{
    doc_.Selection().Clear();
    doc_.Selection().block = false;
    doc_.Selection().cursor.line = line;
    doc_.Text().SetCurrentLine(line);
    doc_.Selection().cursor.column = doc_.Selection().preferredColumn = static_cast<Column>(column);
    doc_.MarkModified();
    EnsureCursorVisible(doc_, view_, false);
}

void ClipboardEditing::Insert(const std::string& bytes, bool block)
{
    doc_.Model().RaiseUndoGroup();
    const bool overwrite = doc_.OverwriteMode();
    const bool binary = doc_.BinaryMode();
    const DisplayRules rules = doc_.Rules();
    if (doc_.Selection().Active())
        editing_.DeleteSelection();
    if (!overwrite && !block && !binary) {
        InsertLines(bytes);
        return;
    }
    const Column pasteColumn = doc_.Selection().cursor.column;
    LineIndex line = doc_.Selection().cursor.line;
    if (overwrite && !binary)
        DeleteColumns(line, pasteColumn, FirstLineCells(bytes, 0));
    std::string accumulator;
    std::string right = SplitAt(line, pasteColumn, accumulator);
    const std::string terminator(doc_.Terminator().Text());
    const bool showProgress = bytes.size() > 100000;
    if (showProgress)
        ports_.progress.Begin(40);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (showProgress && i % 100000 == 0)
            ports_.progress.Step(static_cast<std::int64_t>(i * 40 / bytes.size()));
        const auto b = static_cast<std::uint8_t>(bytes[i]);
        if (binary) {
            accumulator += static_cast<char>(b);  // every byte as it is
            continue;
        }
        // Lines end in the file's own convention, whichever the pasted text had.
        if (b == rules.cr && i + 1 < bytes.size() && static_cast<std::uint8_t>(bytes[i + 1]) == rules.lf)
            continue;
        if (b != rules.lf) {
            accumulator += static_cast<char>(b);
            continue;
        }
        if (!overwrite && !block) {
            ReplaceLine(line, accumulator + terminator);
            doc_.Text().SetCurrentLine(line);
            doc_.Model().SplitCurrentLine(LineRecord());
            ++line;
            accumulator.clear();
            continue;
        }
        // A block or an overwriting paste goes on at the paste column of the next line.
        accumulator += right;
        if (line + 1 >= doc_.Text().LineCount()) {
            if (editing_.ContentEnd(LineView(accumulator)) == accumulator.size())
                accumulator += terminator;
            ReplaceLine(line, accumulator);
            doc_.Text().SetCurrentLine(line);
            doc_.Model().SplitCurrentLine(LineRecord());
        } else {
            ReplaceLine(line, accumulator);
        }
        ++line;
        if (overwrite)
            DeleteColumns(line, pasteColumn, FirstLineCells(bytes, i + 1));
        right = SplitAt(line, pasteColumn, accumulator);
    }
    if (showProgress)
        ports_.progress.End();
    const std::int64_t column = ColumnAfter(accumulator);
    accumulator += right;
    ReplaceLine(line, accumulator);
    FinishPaste(line, column);
    if (binary) {
        editing_.PlaceAt(line, static_cast<std::uint32_t>(accumulator.size() - right.size()));
        doc_.ReflowKeepingOffset(-1);
    }
}

}  // namespace quill
