// Following a growing log in the window (offscreen): from the look at the file to the new end on
// screen, that is the appended lines, the window's panes and commands, and a repaint of the page.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "../BenchSupport.h"
#include "app/CommandLine.h"
#include "app/ui/MainWindow.h"
#include "app/ui/QuillApplication.h"
#include "document/Document.h"
#include "platform/Unattended.h"
#include "view/ui/TextView.h"

namespace quill::bench {
namespace {

struct FollowedWindow {
    NoSettingsStore store;
    QuillApplication app{store};
    std::string path;
    LogLines more;

    explicit FollowedWindow(std::int64_t size)
    {
        path = (std::filesystem::temp_directory_path() / "quill-bench-followed-window.log").string();
        std::filesystem::copy_file(BenchFile(size), path, std::filesystem::copy_options::overwrite_existing);
        app.Start(CommandLine::Parse({path}));
        app.CurrentDocument().Follow().SetMode(AutoReload::ChangesAndEnd);
        QApplication::processEvents();
    }
    ~FollowedWindow()
    {
        app.Window().close();
        std::filesystem::remove(path);
    }
    void Grow(std::int64_t bytes)
    {
        const std::string text = more.Next(bytes);
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    bool LookAndShow()
    {
        const bool appended = app.CurrentDocument().CheckFollowedFile(true) == Document::FollowStep::Appended;
        app.Window().RefreshAll();
        app.Window().View().viewport()->repaint();
        return appended;
    }
};

void BM_FollowAppend1MBTo1GBOnScreen(benchmark::State& state)
{
    FollowedWindow window(1ll << 30);
    for (auto _ : state) {
        state.PauseTiming();
        window.Grow(1 << 20);
        state.ResumeTiming();
        if (!window.LookAndShow())
            state.SkipWithError("the growth was not appended");
    }
}
BENCHMARK(BM_FollowAppend1MBTo1GBOnScreen)->Unit(benchmark::kMillisecond)->Iterations(20);

// 10,000 lines a second, looked at every 80 ms (the window's pace while a file keeps changing):
// 800 lines per look. The share of a core is the CPU time of one look over 80 ms.
void BM_Follow10000LinesPerSecondOnScreen(benchmark::State& state)
{
    FollowedWindow window(200ll << 20);
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        window.Grow(800 * 88);
        state.ResumeTiming();
        const std::clock_t start = std::clock();
        if (!window.LookAndShow())
            state.SkipWithError("the growth was not appended");
        cpu += static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    }
    state.counters["core_share_percent"] = 100.0 * cpu / (0.080 * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_Follow10000LinesPerSecondOnScreen)->Unit(benchmark::kMillisecond)->Iterations(100);

}  // namespace
}  // namespace quill::bench

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
