// Editing a text of ten million lines: typing, Enter, Backspace, a line filter and its undo, and
// re-cutting the whole text after switching word wrap.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "BenchSupport.h"
#include "document/Document.h"
#include "document/DocumentView.h"
#include "platform/Clipboard.h"
#include "platform/ProgressWindow.h"
#include "settings/Settings.h"
#include "view/ClipboardEditing.h"
#include "view/RowCells.h"
#include "view/TextEditing.h"
#include "view/ViewState.h"

namespace quill::bench {
namespace {

class SizedView : public DocumentView {
public:
    void Changed(DocumentChange) override {}
    void SetStatusText(StatusPane, const std::string&) override {}
    int PageColumns() const override { return 120; }
};

// One document with the big text, loaded once for all editing benchmarks.
struct BigText {
    Settings settings;
    QuietPrompter prompter;
    SilentProgress progress;
    NoFileDialogs dialogs;
    NoEntryDialog entry;
    TextSelection selection;
    SizedView view;
    std::unique_ptr<Document> doc;
    ViewState state{0, 0, 60, 120};
    std::unique_ptr<TextEditing> editing;

    BigText()
    {
        doc = std::make_unique<Document>(
            DocumentContext{settings, prompter, progress, dialogs, entry, std::string(), selection});
        doc->SetView(&view);
        doc->Open(BenchFile(880'000'000));
        editing = std::make_unique<TextEditing>(*doc, state);
    }

    void At(LineIndex line, Column column)
    {
        doc->Selection().cursor.line = line;
        doc->Selection().cursor.column = doc->Selection().preferredColumn = column;
        doc->Text().SetCurrentLine(line);
        doc->Selection().Clear();
    }
};

BigText& Text()
{
    static BigText text;
    return text;
}

LineIndex Middle() { return Text().doc->Text().LineCount() / 2; }

void BM_TypeACharacterInTheMiddle(benchmark::State& state)
{
    BigText& big = Text();
    big.At(Middle(), 40);
    for (auto _ : state)
        big.editing->InsertChar('x');
    state.counters["lines"] = static_cast<double>(big.doc->Text().LineCount());
}
BENCHMARK(BM_TypeACharacterInTheMiddle)->Unit(benchmark::kMicrosecond);

void BM_EnterInTheMiddle(benchmark::State& state)
{
    BigText& big = Text();
    for (auto _ : state) {
        big.At(Middle(), 20);
        big.editing->InsertChar(kCR);
    }
}
BENCHMARK(BM_EnterInTheMiddle)->Unit(benchmark::kMicrosecond);

void BM_BackspaceJoiningLinesInTheMiddle(benchmark::State& state)
{
    BigText& big = Text();
    for (auto _ : state) {
        big.At(Middle(), 0);
        big.editing->Backspace();
    }
}
BENCHMARK(BM_BackspaceJoiningLinesInTheMiddle)->Unit(benchmark::kMicrosecond)->Iterations(20000);

// A line filter: every tenth line removed from top to bottom in one undo group, then undone.
void DeleteEveryTenthLine(Document& doc)
{
    doc.Model().RaiseUndoGroup();
    for (LineIndex line = 0; line < doc.Text().LineCount() - 1; line += 9)
        doc.Model().RemoveLine(line, true);
}

void BM_DeleteEveryTenthLine(benchmark::State& state)
{
    BigText& big = Text();
    for (auto _ : state) {
        DeleteEveryTenthLine(*big.doc);
        state.PauseTiming();
        big.doc->Undo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteEveryTenthLine)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_UndoDeletingEveryTenthLine(benchmark::State& state)
{
    BigText& big = Text();
    for (auto _ : state) {
        state.PauseTiming();
        DeleteEveryTenthLine(*big.doc);
        state.ResumeTiming();
        big.doc->Undo();
    }
}
BENCHMARK(BM_UndoDeletingEveryTenthLine)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DeleteEveryTenthLineWith10000Bookmarks(benchmark::State& state)
{
    BigText& big = Text();
    for (LineIndex line = 0; line < 10000; ++line) {
        big.At(line * 997, 0);
        big.doc->Positions().ToggleBookmark("/bench", 0, line * 997);
    }
    for (auto _ : state) {
        DeleteEveryTenthLine(*big.doc);
        benchmark::DoNotOptimize(big.doc->HasBookmark(5));  // the bookmarks are brought up to date
        state.PauseTiming();
        big.doc->Undo();
        state.ResumeTiming();
    }
    big.doc->RemoveBookmarks();
}
BENCHMARK(BM_DeleteEveryTenthLineWith10000Bookmarks)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ReflowWholeTextAfterSwitchingWordWrap(benchmark::State& state)
{
    BigText& big = Text();
    big.At(Middle(), 10);
    for (auto _ : state)
        big.doc->ToggleWordWrap();
    state.SetBytesProcessed(state.iterations() * big.doc->Text().FileSize());
}
BENCHMARK(BM_ReflowWholeTextAfterSwitchingWordWrap)->Unit(benchmark::kMillisecond)->Iterations(4);

void BM_ReflowWholeTextAtEightyColumns(benchmark::State& state)
{
    BigText& big = Text();
    (void)big.doc->FileLines().FileLineCount();  // the status line keeps the line count current
    for (auto _ : state) {
        big.settings.maxLineLen = state.iterations() % 2 ? Settings::kNoLineLimit : 80;
        big.doc->Reflow(-1);
    }
    big.settings.maxLineLen = Settings::kNoLineLimit;
    big.doc->Reflow(-1);
    state.SetBytesProcessed(state.iterations() * big.doc->Text().FileSize());
}
BENCHMARK(BM_ReflowWholeTextAtEightyColumns)->Unit(benchmark::kMillisecond)->Iterations(4);

// The file line of a display line in the middle of the text cut at 80 columns: counted from
// scratch (after the counting rule changed, as after a load), and after an Enter there.
void BM_FileLineNumberOfAWrappedText(benchmark::State& state)
{
    BigText& big = Text();
    big.settings.maxLineLen = 80;
    big.doc->Reflow(-1);
    const bool fromScratch = state.range(0) == 0;
    LineIndex line = big.doc->FileLines().FileLineOf(Middle());
    for (auto _ : state) {
        if (fromScratch) {
            (void)big.doc->Text().FileLines(std::nullopt);
        } else {
            state.PauseTiming();
            big.At(Middle(), 10);
            big.editing->InsertChar(kCR);
            state.ResumeTiming();
        }
        line = big.doc->FileLines().FileLineOf(Middle());
    }
    benchmark::DoNotOptimize(line);
    state.counters["rows"] = static_cast<double>(big.doc->Text().LineCount());
    big.settings.maxLineLen = Settings::kNoLineLimit;
    big.doc->Reflow(-1);
}
BENCHMARK(BM_FileLineNumberOfAWrappedText)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Iterations(20);

// A typed character until its row is laid out again for the screen.
void BM_TypeACharacterAndLayOutItsRow(benchmark::State& state)
{
    BigText& big = Text();
    RowOptions options;
    options.visible = &big.settings.visible;
    std::size_t cells = 0;
    for (auto _ : state) {
        big.At(Middle(), 10);
        big.editing->InsertChar('x');
        cells += BuildRowCells(big.doc->Text().Line(big.doc->Selection().cursor.line), big.doc->Rules(),
                               big.doc->Charset(), options)
                     .size();
    }
    benchmark::DoNotOptimize(cells);
}
BENCHMARK(BM_TypeACharacterAndLayOutItsRow)->Unit(benchmark::kMicrosecond);

class MemoryClipboard : public Clipboard {
public:
    bool Put(std::string newData, std::optional<std::string> shown) override
    {
        data = std::move(newData);
        shownText = std::move(shown);
        return true;
    }
    std::optional<std::string> PrivateData() override { return data; }
    std::optional<std::string> Text() override { return shownText ? *shownText : data.substr(5); }
    std::string data;
    std::optional<std::string> shownText;
};

// About 100 MB from the middle of the text: selected, copied, pasted elsewhere, and undone.
void SelectHundredMegabytes(BigText& big)
{
    const LineIndex lines = 100'000'000 / 88;
    big.At(Middle() - lines, 0);
    big.doc->Selection().anchor.line = big.doc->Selection().cursor.line;
    big.doc->Selection().anchor.column = 0;
    big.doc->Selection().cursor.line += lines;
}

void BM_CopyA100MBSelection(benchmark::State& state)
{
    BigText& big = Text();
    MemoryClipboard clipboard;
    ClipboardEditing editing(*big.doc, big.state, clipboard);
    for (auto _ : state) {
        SelectHundredMegabytes(big);
        editing.Copy();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(clipboard.data.size()));
}
BENCHMARK(BM_CopyA100MBSelection)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PasteA100MBText(benchmark::State& state)
{
    BigText& big = Text();
    MemoryClipboard clipboard;
    ClipboardEditing editing(*big.doc, big.state, clipboard);
    SelectHundredMegabytes(big);
    editing.Copy();
    const ByteOffset size = big.doc->Text().FileSize();
    double undo = 0;
    for (auto _ : state) {
        big.At(Middle() / 2, 0);
        editing.Paste();
        state.PauseTiming();
        const auto started = std::chrono::steady_clock::now();
        big.doc->Undo();  // one Undo brings the text back
        undo += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        if (big.doc->Text().FileSize() != size)
            state.SkipWithError("the undo did not bring the text back");
        state.ResumeTiming();
    }
    state.counters["undo_ms"] = undo / static_cast<double>(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(clipboard.data.size()));
}
BENCHMARK(BM_PasteA100MBText)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace quill::bench
