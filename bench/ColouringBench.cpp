// Colouring a screen of C source deep in a big file, and the automatic table choice at load.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "BenchSupport.h"
#include "charset/ConversionTable.h"
#include "document/Document.h"
#include "platform/ProgressWindow.h"
#include "settings/Settings.h"
#include "syntax/ColouringEngine.h"
#include "syntax/SyntaxDescription.h"
#include "view/RowCells.h"

namespace quill::bench {
namespace {

const std::string kData = QUILL_SOURCE_DIR "/data/QVXData";

// About 5.1 million lines of C, a block of typical lines repeated.
std::string CSourceFile()
{
    const std::string path = (std::filesystem::temp_directory_path() / "quill-bench-source.c").string();
    if (std::filesystem::exists(path))
        return path;
    static const char* const kBlock[] = {
        "/* A function that does a few things with its arguments.",
        " * It has a comment over several lines, as real code has. */",
        "static int compute(const char* text, size_t length, int flags)",
        "{",
        "    int total = 0; // running sum",
        "    for (size_t i = 0; i < length; ++i) {",
        "        if (text[i] == '\\\\' && flags & 0x10)",
        "            total += 2;",
        "        else if (text[i] == '\"')",
        "            printf(\"quote at %zu: \\\"%c\\\"\\n\", i, text[i]);",
        "        else",
        "            total += (unsigned char)text[i];",
        "    }",
        "#if defined(DEBUG)",
        "    fprintf(stderr, \"total=%d\\n\", total);",
        "#endif",
        "    return total;",
        "}",
        "",
    };
    std::ofstream out(path, std::ios::binary);
    for (int n = 0; n < 270000; ++n)
        for (const char* line : kBlock)
            out << line << '\n';
    return path;
}

struct Source : QuietDocument {
    SyntaxDescription syntax;

    Source()
    {
        doc->Open(CSourceFile());
        syntax.Load(kData + "/C and C++.syn");
    }
};

void BM_ColourAScreenAtLine5000000(benchmark::State& state)
{
    static Source source;
    const TextStore& text = source.doc->Text();
    const LineIndex top = 5000000;
    ColouringEngine engine(source.syntax);
    std::uint64_t coloured = 0;
    for (auto _ : state) {
        engine.ResetOpenItems();
        for (LineIndex line = top - 15000; line < top; ++line)
            engine.ColourLine(text.Line(line), false);
        for (LineIndex row = 0; row < 91; ++row) {
            engine.ColourLine(text.Line(top + row), true);
            ColouringEngine::Run run;
            while (engine.NextRun(run))
                coloured += run.length;
        }
    }
    benchmark::DoNotOptimize(coloured);
    state.counters["lines"] = static_cast<double>(text.LineCount());
}
BENCHMARK(BM_ColourAScreenAtLine5000000)->Unit(benchmark::kMillisecond);

// The thumb dragged to any place: the look-back, the colours and the cells of 91 rows of 200
// columns, laid out as the view paints them.
void BM_LayOutAScreenAfterAThumbDrag(benchmark::State& state)
{
    static Source source;
    const TextStore& text = source.doc->Text();
    Settings settings;
    RowOptions options;
    options.visible = &settings.visible;
    const DisplayRules rules = source.doc->Rules();
    ColouringEngine engine(source.syntax);
    std::mt19937 random(3);
    std::uint64_t laidOut = 0;
    for (auto _ : state) {
        const LineIndex top = static_cast<LineIndex>(random() % static_cast<std::uint32_t>(text.LineCount() - 91));
        engine.ResetOpenItems();
        for (LineIndex line = std::max<LineIndex>(0, top - 15000); line < top; ++line)
            engine.ColourLine(text.Line(line), false);
        for (LineIndex row = 0; row < 91; ++row) {
            engine.ColourLine(text.Line(top + row), true);
            std::vector<Cell> cells = BuildRowCells(text.Line(top + row), rules, source.doc->Charset(), options);
            if (cells.size() > 200)
                cells.resize(200);
            for (const Cell& cell : cells)
                laidOut += static_cast<std::uint64_t>(engine.ItemOfByte(cell.byte));
        }
    }
    benchmark::DoNotOptimize(laidOut);
}
BENCHMARK(BM_LayOutAScreenAfterAThumbDrag)->Unit(benchmark::kMillisecond);

void BM_AutoSelectForA200MiBFile(benchmark::State& state)
{
    // The choice works on the byte counts the load gathers anyway: its cost is reading the
    // table files and scoring 256 counts per table.
    ByteHistogram histogram{};
    for (int b = 0; b < 256; ++b)
        histogram[b] = (200ull << 20) / 256;
    ConversionTable table;
    for (auto _ : state)
        benchmark::DoNotOptimize(table.AutoSelect(histogram, kData));
}
BENCHMARK(BM_AutoSelectForA200MiBFile)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quill::bench
