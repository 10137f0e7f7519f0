// Delete Lines and Extract Lines of 10 % of 10 million lines, and Replace in Folder over 1,000
// files of 100 KB with hits in half of them.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "BenchSupport.h"
#include "commands/SearchCommands.h"
#include "commands/SearchMenu.h"
#include "platform/Clipboard.h"
#include "search/SearchDialogs.h"
#include "view/EditorInput.h"
#include "view/ViewState.h"

namespace quill::bench {
namespace {

// Ten million lines of 19 or 20 bytes; every tenth holds "MARK".
std::string TenMillionLines()
{
    const std::string path = (std::filesystem::temp_directory_path() / "quill-bench-10M-lines.txt").string();
    std::error_code error;
    if (const auto size = std::filesystem::file_size(path, error); !error && size > 0)
        return path;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    char line[32];
    for (int i = 0; i < 10'000'000; ++i) {
        const int n = std::snprintf(line, sizeof line, "record %08d %s\n", i, i % 10 == 9 ? "MARK" : "ok");
        out.write(line, n);
    }
    return path;
}

void Filter(benchmark::State& state, int filter)
{
    const std::string path = TenMillionLines();
    std::int64_t lines = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QuietDocument document;
        document.doc->Open(path);
        ViewState view{0, 0, 60, 120};
        SearchOptions options;
        options.query.text = "MARK";
        options.query.matchCase = true;
        options.lineFilter = filter;
        SearchCommands commands(*document.doc, view, options);
        state.ResumeTiming();
        lines = commands.ApplyLineFilter();
        state.PauseTiming();
        document.doc.reset();  // freeing the text is not part of the filter
        state.ResumeTiming();
    }
    state.counters["items"] = static_cast<double>(lines);
}

void BM_DeleteLines(benchmark::State& state) { Filter(state, SearchOptions::kDeleteLines); }
void BM_ExtractLines(benchmark::State& state) { Filter(state, SearchOptions::kExtractLines); }
BENCHMARK(BM_DeleteLines)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_ExtractLines)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// The same lines taken or dropped by grep, written to a file as a user would (grep's output to
// /dev/null would stop at the first line), the whole process in the same run.
void PeerGrep(benchmark::State& state, const char* options)
{
    const std::string path = TenMillionLines();
    const std::string out = (std::filesystem::temp_directory_path() / "quill-bench-grep-out.txt").string();
    const std::string command = std::string("grep ") + options + " MARK '" + path + "' > '" + out + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
    }
    std::error_code error;
    state.counters["bytes_out"] = static_cast<double>(std::filesystem::file_size(out, error));
    std::filesystem::remove(out, error);
}
void BM_PeerGrepDeleteLines(benchmark::State& state) { PeerGrep(state, "-v -F"); }
void BM_PeerGrepExtractLines(benchmark::State& state) { PeerGrep(state, "-F"); }
BENCHMARK(BM_PeerGrepDeleteLines)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_PeerGrepExtractLines)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

class NoClipboard : public Clipboard {
public:
    bool Put(std::string, std::optional<std::string>) override { return false; }
    std::optional<std::string> PrivateData() override { return std::nullopt; }
    std::optional<std::string> Text() override { return std::nullopt; }
};

class FolderAnswer : public SearchDialogs {
public:
    explicit FolderAnswer(std::string folder) : folder_(std::move(folder)) {}
    std::optional<SearchDialogModel::Button> Show(SearchDialogModel&) override { return std::nullopt; }
    bool ShowFolderReplace(FolderReplaceModel& model) override
    {
        model.folder = folder_;
        model.wildcard = "*.log";
        model.findText = "ERROR";
        model.replacement = "FAULT";
        model.matchCase = true;
        model.replaceAll = true;
        return true;
    }

private:
    std::string folder_;
};

// 1,000 files of 100 KB of log lines; in every second one, every fifth line holds "ERROR".
void WriteFolder(const std::string& folder)
{
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::string withHits, without;
    char line[128];
    for (int i = 0; withHits.size() < 100'000; ++i) {
        const int n = std::snprintf(line, sizeof line, "2026-12-08 10:00:%02d %s request %06d handled\n", i % 60,
                                    i % 5 == 0 ? "ERROR" : "INFO ", i);
        withHits.append(line, static_cast<std::size_t>(n));
    }
    without = withHits;
    for (std::size_t at = without.find("ERROR"); at != std::string::npos; at = without.find("ERROR", at))
        without.replace(at, 5, "DEBUG");
    for (int f = 0; f < 1000; ++f) {
        char name[32];
        std::snprintf(name, sizeof name, "/part-%04d.log", f);
        std::ofstream(folder + name, std::ios::binary) << (f % 2 ? without : withHits);
    }
}

void BM_ReplaceInFolder(benchmark::State& state)
{
    const std::string folder = (std::filesystem::temp_directory_path() / "quill-bench-folder").string();
    std::int64_t replaced = 0;
    for (auto _ : state) {
        state.PauseTiming();
        WriteFolder(folder);
        QuietDocument document;
        ViewState view{0, 0, 60, 120};
        NoClipboard clipboard;
        EditorInput input(*document.doc, view, clipboard);
        FolderAnswer dialogs(folder);
        SearchMenu menu(*document.doc, view, dialogs, input);
        state.ResumeTiming();
        replaced = menu.ReplaceInFolder();
    }
    state.counters["items"] = static_cast<double>(replaced);
}
BENCHMARK(BM_ReplaceInFolder)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
}  // namespace quill::bench
