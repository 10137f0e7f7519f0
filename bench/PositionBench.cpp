// Leaving a file with many bookmarks and opening it again: the position memory's whole cost.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "BenchSupport.h"
#include "document/Document.h"
#include "document/DocumentView.h"
#include "platform/ProgressWindow.h"
#include "settings/Settings.h"

namespace quill::bench {
namespace {

void BM_LeaveAndReopenWith10000Bookmarks(benchmark::State& state)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "quill-bench-positions";
    fs::remove_all(folder);
    fs::create_directories(folder / "QVXData");
    const std::string path = (folder / "marked.txt").string();
    {
        std::ofstream out(path);
        for (int i = 0; i < 20000; ++i)
            out << "line " << i << "\n";
    }
    Settings settings;
    QuietPrompter prompter;
    SilentProgress progress;
    NoFileDialogs dialogs;
    NoEntryDialog entry;
    NoView view;
    TextSelection selection;
    Document doc(
        DocumentContext{settings, prompter, progress, dialogs, entry, (folder / "QVXData").string(), selection});
    doc.SetView(&view);
    doc.Open(path);
    for (LineIndex line = 0; line < 20000; line += 2) {
        doc.Selection().cursor.line = line;
        doc.ToggleBookmark();
    }
    for (auto _ : state) {
        doc.Clear();  // leave: last position and 10,000 bookmarks written
        if (!doc.Open(path) || doc.Positions().Entries().size() < 10000)
            state.SkipWithError("the bookmarks did not come back");
        doc.GoToBookmark(true, false);
    }
    state.counters["entries"] = static_cast<double>(doc.Positions().Entries().size());
    fs::remove_all(folder);
}
BENCHMARK(BM_LeaveAndReopenWith10000Bookmarks)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quill::bench
