// A screen of text laid out into cells and painted with the row painter, offscreen: plain ASCII
// against mixed UTF-8 (accented letters, Greek, Cyrillic, CJK, emoji, combining marks).
#include <benchmark/benchmark.h>

#include <QFont>
#include <QImage>
#include <QPainter>
#include <string>
#include <vector>

#include "charset/ConversionTable.h"
#include "view/RowLayout.h"
#include "view/ui/RowPainter.h"

namespace quill::bench {
namespace {

constexpr int kRows = 50;
constexpr int kColumns = 160;

std::vector<std::string> ScreenOf(const std::vector<std::string>& words)
{
    std::vector<std::string> lines;
    for (int row = 0; row < kRows; ++row) {
        std::string line;
        for (std::size_t k = static_cast<std::size_t>(row); line.size() < kColumns * 2; ++k)
            line += words[k % words.size()] + " ";
        lines.push_back(line + "\n");
    }
    return lines;
}

void PaintScreen(benchmark::State& state, const std::vector<std::string>& lines, bool paint = true)
{
    RowPainter painter;
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(14);
    painter.SetFont(font);
    QImage image(kColumns * painter.CellWidth(), kRows * painter.CellHeight(), QImage::Format_RGB32);
    DisplayRules rules;
    rules.utf8 = true;
    rules.terminator = TerminatorKind::LF;
    const ConversionTable noTable;
    const std::string visible(256, '1');
    RowOptions options;
    options.visible = &visible;
    for (auto _ : state) {
        QPainter p(&image);
        for (int row = 0; row < kRows; ++row) {
            RowLayout layout;
            layout.cells = BuildRowCells(LineView(lines[static_cast<std::size_t>(row)]), rules, noTable, options);
            layout.colours.assign(layout.cells.size(), -1);
            layout.text = lines[static_cast<std::size_t>(row)];
            if (paint)
                painter.Paint(p, layout, 0, row * painter.CellHeight(), 0, kColumns, false, 0);
            benchmark::DoNotOptimize(layout);
        }
    }
}

void BM_PaintAScreenOfAscii(benchmark::State& state)
{
    PaintScreen(state,
                ScreenOf({"2026-12-08", "10:18:04", "INFO", "[worker-3]", "request", "id=4711", "took", "12ms"}));
}
BENCHMARK(BM_PaintAScreenOfAscii)->Unit(benchmark::kMillisecond);

const std::vector<std::string> kMixedWords = {"J\xC3\xB6rg",
                                              "M\xC3\xBCller",
                                              "Gro\xC3\x9F",
                                              "\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1",
                                              "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0",
                                              "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",
                                              "\xF0\x9F\x98\x80",
                                              "e\xCC\x81t\xC3\xA9",
                                              "c\xC5\x93ur",
                                              "id=4711"};

void BM_PaintAScreenOfMixedUtf8(benchmark::State& state) { PaintScreen(state, ScreenOf(kMixedWords)); }
BENCHMARK(BM_PaintAScreenOfMixedUtf8)->Unit(benchmark::kMillisecond);

void BM_LayOutAScreenOfMixedUtf8(benchmark::State& state) { PaintScreen(state, ScreenOf(kMixedWords), false); }
BENCHMARK(BM_LayOutAScreenOfMixedUtf8)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quill::bench
