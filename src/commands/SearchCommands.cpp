// Replace, Count and the line filters.
#include "commands/SearchCommands.h"

#include <boost/regex.hpp>
#include <optional>
#include <vector>

#include "common/BackslashCodes.h"
#include "common/Format.h"
#include "document/Document.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "search/CounterSubstitution.h"
#include "search/LineExpression.h"
#include "structure/StructureDescription.h"
#include "text/CellColumns.h"
#include "view/SelectionRange.h"
#include "view/ViewState.h"

namespace quill {

SearchCommands::SearchCommands(Document& doc, ViewState& view, const SearchOptions& options)
    : doc_(doc),
      ports_(doc.Ports()),
      view_(view),
      options_(options),
      search_(doc, view, options.query)
{
}

bool SearchCommands::Step(LineIndex lines)
{
    return ports_.progress.Step(doc_.Selection().cursor.line * 40 / std::max<LineIndex>(1, lines));
}

void SearchCommands::RestoreCursor(LineIndex line, Column column, Column preferred)
{
    doc_.Selection().Clear();
    doc_.Selection().cursor.line = line;
    doc_.Selection().cursor.column = column;
    doc_.Selection().preferredColumn = preferred;
    doc_.Text().SetCurrentLine(line);
}

std::int64_t SearchCommands::CountMatches()
{
    const LineIndex line = doc_.Selection().cursor.line;
    const Column column = doc_.Selection().cursor.column, preferred = doc_.Selection().preferredColumn;
    const LineIndex lines = doc_.Text().LineCount();
    std::int64_t found = 0;
    failed_ = options_.query.regex && !search_.Engine().Expression();
    if (failed_)
        return 0;  // the expression's error was told: no count follows it
    if (const auto counted = search_.Engine().Count(doc_.Selection().cursor)) {
        found = *counted;  // counted over the memory at once, on both cores
    } else {
        ProgressScope bar(ports_.progress, 40);
        while (search_.FindForward(false) && !search_.Engine().StoppedByUser()) {
            ++found;
            if (Step(lines))
                break;
        }
    }
    RestoreCursor(line, column, preferred);
    failed_ = search_.Engine().Failed();
    if (failed_)
        return 0;
    ports_.prompter.Inform(Format("%lld items found.", static_cast<long long>(found)));
    return found;
}

SearchCommands::Range SearchCommands::TakeSelection()
{
    Range range;
    if (!doc_.Selection().Active())
        return range;
    const SelectionRange selection = SelectionRange::Of(doc_, doc_.Selection().block);
    range.selected = true;
    range.block = selection.block;
    range.startLine = selection.upper;
    range.endLine = selection.lower;
    range.startColumn = selection.left;
    range.endColumn = selection.right;
    doc_.Selection().Clear();
    doc_.Selection().cursor.line = range.startLine;
    doc_.Selection().cursor.column = doc_.Selection().preferredColumn =
        range.block ? range.startColumn : selection.left;
    doc_.Text().SetCurrentLine(range.startLine);
    return range;
}

SearchCommands::Place SearchCommands::PlaceOf(const Range& range) const
{
    if (!range.selected)
        return Place::Inside;
    const LineIndex line = doc_.Selection().cursor.line;  // a hit never spans lines: anchor and cursor share it
    const Column from = doc_.Selection().anchor.column, to = doc_.Selection().cursor.column;
    if (range.block) {
        if (line > range.endLine)
            return Place::Stop;
        return line < range.startLine || from < range.startColumn || to > range.endColumn ? Place::Skip : Place::Inside;
    }
    if (line > range.endLine || (line == range.endLine && to > range.endColumn))
        return Place::Stop;
    if (line < range.startLine || (line == range.startLine && from < range.startColumn))
        return Place::Skip;
    return Place::Inside;
}

std::int64_t SearchCommands::ReplaceText(bool silent)
{
    const LineIndex line = doc_.Selection().cursor.line;
    const Column column = doc_.Selection().cursor.column, preferred = doc_.Selection().preferredColumn;
    const Range range = TakeSelection();
    const std::size_t undoMark = doc_.Model().UndoCount();
    std::int64_t replaced = 0;
    {
        // Replace All shows its progress at once; asking at each hit needs no progress window.
        std::optional<ProgressScope> bar;
        if (options_.replaceAll)
            bar.emplace(ports_.progress, 40);
        replaced = options_.query.regex ? ReplaceRegex(range) : ReplacePlain(range);
    }
    failed_ = search_.Engine().Failed() || replaced < 0;
    if (failed_) {
        // An expression that fails half-way leaves the text as the operation found it.
        doc_.TakeBackTo(undoMark);
        RestoreCursor(line, column, preferred);
        doc_.RedrawViews();
        return 0;
    }
    if (options_.replaceAll)
        RestoreCursor(line, column, preferred);
    if (replaced > 0)
        doc_.MarkModified();
    EnsureCursorVisible(doc_, view_, false);
    doc_.RedrawViews();
    if (!silent && replaced >= 0)
        ports_.prompter.Inform(Format("%lld items replaced.", static_cast<long long>(replaced)));
    return std::max<std::int64_t>(0, replaced);
}

void SearchCommands::ReplaceHit(const std::string& bytes)
{
    // The hit lies in one line: the line is rebuilt around it. Line ends in the replacement make
    // new lines, each ending as the file's lines do.
    const LineIndex line = doc_.Selection().cursor.line;
    const LineView view = doc_.Text().Line(line);
    // The bytes that matched: the selection showing them may take in a mark after them, which
    // stays.
    const SearchMatch& hit = *search_.LastMatch();
    const std::uint32_t from = std::min(hit.fromByte, view.Length());
    const std::uint32_t to = std::min(hit.toByte, view.Length());
    std::string text(view.Bytes(), from);
    text += bytes;
    const std::size_t cursorAt = text.size();
    text.append(view.Bytes() + to, view.Length() - to);
    const DisplayRules rules = doc_.Rules();
    // Lines cut by length (binary mode, ignored format codes) hold line feeds inside: the line
    // stays one line. Elsewhere a line feed can only come from the replacement.
    const bool splitAtLineFeeds = !rules.ignoreFormatCodes && !doc_.BinaryMode();
    const std::uint8_t lf = rules.lf;
    std::size_t start = 0;
    LineIndex at = line;
    std::size_t cursorLineStart = 0;
    LineIndex cursorLine = line;
    for (;;) {
        const std::size_t end = splitAtLineFeeds ? text.find(static_cast<char>(lf), start) : std::string::npos;
        const bool last = end == std::string::npos || end + 1 == text.size();
        const std::string piece = text.substr(start, last ? std::string::npos : end + 1 - start);
        if (at == line) {
            doc_.Text().SetCurrentLine(line);
            doc_.Model().ReplaceCurrentLine(LineRecord(piece));
        } else {
            at = doc_.Model().InsertAfter(at - 1, LineRecord(piece), true);
        }
        if (cursorAt >= start)
            cursorLine = at, cursorLineStart = start;
        if (last)
            break;
        start = end + 1;
        ++at;
    }
    doc_.Selection().Clear();
    doc_.Selection().cursor.line = cursorLine;
    doc_.Text().SetCurrentLine(cursorLine);
    const LineView now = doc_.Text().Line(cursorLine);
    const auto cursorByte = static_cast<std::uint32_t>(cursorAt - cursorLineStart);
    // The cursor shows after the replacement's cell, and the next search goes on right after it,
    // even where it ends inside a cell (a mark after it).
    doc_.Selection().cursor.column = doc_.Selection().preferredColumn =
        static_cast<Column>(CellColumns(now, doc_.Rules()).After(cursorByte));
    search_.Engine().ResumeAt(cursorLine, doc_.Selection().cursor.column, cursorByte);
}

std::int64_t SearchCommands::ReplacePlain(Range range)
{
    std::string replacement = options_.replacement.substr(0, options_.replacement.find('\0'));
    if (options_.useBackslashes)
        InterpretBackslashes(replacement);  // the find text's were read when the query was made
    const LineIndex lines = doc_.Text().LineCount();
    std::int32_t counter = options_.counterStart;
    std::int64_t replaced = 0;
    while (search_.FindForward(!options_.replaceAll)) {
        if (search_.Engine().StoppedByUser())
            break;
        const Place place = PlaceOf(range);
        if (place == Place::Stop)
            break;
        if (place == Place::Skip)
            continue;
        if (!options_.replaceAll && ports_.prompter.Ask("Replace?", Buttons::OkCancel) != Answer::Ok)
            break;
        std::string text = replacement;
        if (options_.counterOn) {
            SubstituteCounter(text, counter);
            counter = NextCounter(counter);
        }
        const LineIndex line = doc_.Selection().cursor.line;
        const Column hitEnd = doc_.Selection().cursor.column;
        ReplaceHit(doc_.Charset().FromDisplay(text));
        // The selection's end moves with the text the replacement shifted on its line.
        if (range.selected && !range.block && line == range.endLine && doc_.Selection().cursor.line == line)
            range.endColumn += doc_.Selection().cursor.column - hitEnd;
        ++replaced;
        if (options_.replaceAll && Step(lines))
            break;
    }
    return replaced;
}

std::int64_t SearchCommands::ReplaceRegex(const Range& range)
{
    const SearchExpression* expression = search_.Engine().Expression();
    if (!expression)
        return -1;
    const LineIndex lines = doc_.Text().LineCount();
    std::int32_t counter = options_.counterStart;
    std::int64_t replaced = 0;
    while (search_.FindForward(!options_.replaceAll)) {
        if (search_.Engine().StoppedByUser())
            break;
        const LineIndex line = doc_.Selection().cursor.line;
        if (range.selected && line >= range.endLine)
            break;
        if (range.selected && line < range.startLine)
            continue;
        if (!options_.replaceAll && ports_.prompter.Ask("Replace?", Buttons::OkCancel) != Answer::Ok)
            break;
        std::string format = options_.replacement;
        if (options_.counterOn) {
            SubstituteCounter(format, counter);
            counter = NextCounter(counter);
        }
        // The whole line is merged, NUL bytes and all; with a search field only its bytes change.
        // Only the bytes of the matches are rewritten: the rest of the line stays byte for byte,
        // even where the conversion table shows two stored bytes as one character.
        const LineView view = doc_.Text().Line(line);
        const std::string shown = doc_.Charset().ToDisplay(std::string(view.Text()));
        std::size_t from = 0, to = shown.size();
        if (options_.query.field && doc_.Structure().IsActive()) {
            doc_.Structure().SplitRecord(view, doc_.Rules());
            const FieldDef& field = *options_.query.field;
            from = std::min<std::size_t>(shown.size(),
                                         static_cast<std::size_t>(std::max<std::int64_t>(0, field.byteOffset)));
            to = std::min<std::size_t>(shown.size(),
                                       from + static_cast<std::size_t>(std::max<std::int64_t>(0, field.byteLength)));
        }
        const std::size_t contentEnd = std::min<std::size_t>(search_.Engine().ContentEnd(view), to);
        const std::string_view stored = view.Text();
        std::string merged;
        try {
            merged = MergeLine(*expression, shown.substr(from, to - from), stored.substr(from, to - from), format,
                               contentEnd - std::min(contentEnd, from), true,
                               [this](const std::string& text) { return doc_.Charset().FromDisplay(text); });
        } catch (const std::exception& error) {
            ports_.prompter.Error(MatchErrorText(error));
            return -1;
        }
        merged = std::string(stored.substr(0, from)) + merged + std::string(stored.substr(to));
        doc_.Selection().Clear();
        doc_.Text().SetCurrentLine(line);
        doc_.Model().ReplaceCurrentLine(LineRecord(merged));
        ++replaced;
        // All matches of the line are replaced at once: the search goes on with the next line,
        // so a replacement that matches again can never loop.
        if (line + 1 >= doc_.Text().LineCount())
            break;
        RestoreCursor(line + 1, 0, 0);
        if (options_.replaceAll && Step(lines))
            break;
    }
    return replaced;
}

std::int64_t SearchCommands::FilterHitByHit(bool extract, std::vector<LineIndex>& taken)
{
    const LineIndex lines = doc_.Text().LineCount();
    LineIndex lastTaken = -1;
    std::int64_t count = 0;
    ProgressScope bar(ports_.progress, 40);
    while (search_.FindForward(false)) {
        if (search_.Engine().StoppedByUser())
            break;
        const LineIndex line = doc_.Selection().cursor.line;
        doc_.Selection().Clear();
        if (extract) {
            if (line != lastTaken) {
                taken.push_back(line);
                lastTaken = line;
                ++count;
            }
            // A line is taken once, however many hits it has: on with the next line.
            if (line + 1 >= doc_.Text().LineCount())
                break;
            RestoreCursor(line + 1, 0, 0);
        } else {
            doc_.Model().RemoveLine(line, true);
            ++count;
            if (line >= doc_.Text().LineCount())
                break;  // the last line went
            // The line that moved up is searched from its start, an empty match there too.
            search_.Engine().ForgetEmptyHit();
            RestoreCursor(line, 0, 0);
        }
        if (Step(lines))
            break;
    }
    return count;
}

std::int64_t SearchCommands::ApplyLineFilter()
{
    const bool extract = options_.lineFilter == SearchOptions::kExtractLines;
    const std::size_t undoMark = doc_.Model().UndoCount();
    const LineIndex line0 = doc_.Selection().cursor.line;
    const Column column0 = doc_.Selection().cursor.column, preferred0 = doc_.Selection().preferredColumn;
    std::vector<LineIndex> taken;  // the text stays as it is until the lines replace it
    std::int64_t count = 0;
    if (auto matching = search_.Engine().MatchingLines(doc_.Selection().cursor)) {
        // Found at once: each line from its start (the cursor's from the cursor), as the searches
        // below would take them one by one.
        count = static_cast<std::int64_t>(matching->size());
        if (extract) {
            taken = std::move(*matching);
        } else {
            LineIndex removed = 0;
            for (const LineIndex line : *matching)
                doc_.Model().RemoveLine(line - removed++, true);
        }
    } else {
        count = FilterHitByHit(extract, taken);
    }
    failed_ = search_.Engine().Failed();
    if (failed_) {
        doc_.TakeBackTo(undoMark);
        RestoreCursor(line0, column0, preferred0);
        doc_.RedrawViews();
        return 0;
    }
    if (count == 0) {
        RestoreCursor(line0, column0, preferred0);
        ports_.prompter.Inform("No matching lines found!");
        return 0;
    }
    view_.topLine = 0;
    view_.leftColumn = 0;
    if (extract) {
        doc_.ReplaceAllLines(taken);
    } else {
        if (doc_.Text().LineCount() == 0)
            doc_.Model().InsertAtHead(LineRecord(), true);  // a text keeps one line, if an empty one
        RestoreCursor(0, 0, 0);
        doc_.MarkModified();
        doc_.RedrawViews();
    }
    return count;
}

}  // namespace quill
