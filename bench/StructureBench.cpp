// Record structures on a million records: summing a field, sorting by two fields, and laying out
// the field backgrounds of a screen.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "BenchSupport.h"
#include "commands/FieldOperations.h"
#include "document/Document.h"
#include "platform/ProgressWindow.h"
#include "settings/Settings.h"
#include "structure/SortDialogModel.h"
#include "structure/StructureDescription.h"
#include "structure/StructureDialogs.h"
#include "view/FieldSpans.h"

namespace quill::bench {
namespace {

// Sorts by the first two fields of the list, as a user would pick them.
class SortByFirstTwo : public StructureDialogs {
public:
    bool EditStructure(StructureDialogModel&) override { return false; }
    bool EditField(FieldDialogModel&) override { return false; }
    bool Associate(AssociateDialogModel&) override { return false; }
    bool ChooseSortFields(SortDialogModel& model) override
    {
        model.selectedAvailable = 0;
        model.AddSelected();
        model.AddSelected();
        return true;
    }
    std::optional<std::string> OpenStructureFile(const std::string&) override { return std::nullopt; }
    std::optional<std::string> SaveStructureFile(const std::string&) override { return std::nullopt; }
};

// A million records of 30 fields of 3 digits each, deterministic.
std::string RecordFile()
{
    const std::string path = (std::filesystem::temp_directory_path() / "quill-bench-records.dat").string();
    if (std::filesystem::exists(path))
        return path;
    std::ofstream out(path, std::ios::binary);
    std::uint32_t state = 99;
    char field[8];
    for (int record = 0; record < 1000000; ++record) {
        for (int f = 0; f < 30; ++f) {
            state = state * 1103515245u + 12345u;
            std::snprintf(field, sizeof field, "%03u", (state >> 8) % 1000);
            out << field;
        }
        out << '\n';
    }
    return path;
}

struct Records {
    Settings settings;
    QuietPrompter prompter;
    SilentProgress progress;
    NoFileDialogs dialogs;
    NoEntryDialog entry;
    TextSelection selection;
    SortByFirstTwo structureDialogs;
    std::unique_ptr<Document> doc;
    std::unique_ptr<FieldOperations> operations;

    Records()
    {
        doc = std::make_unique<Document>(
            DocumentContext{settings, prompter, progress, dialogs, entry, std::string(), selection});
        doc->Open(RecordFile());
        StructureDescription& structure = doc->Structure();
        structure.SetActive(true);
        for (int f = 0; f < 30; ++f) {
            auto field = std::make_unique<FieldDef>();
            field->name = "F" + std::to_string(100 + f);
            field->offset = 3 * f;
            field->length = 3;
            field->color = f % 8;
            structure.AddField(std::move(field));
        }
        operations = std::make_unique<FieldOperations>(*doc, structureDialogs);
    }
};

Records& TheRecords()
{
    static Records records;
    return records;
}

void BM_SumFieldOverAMillionRecords(benchmark::State& state)
{
    Records& records = TheRecords();
    records.doc->Selection().cursor.line = 0;
    records.doc->Selection().cursor.column = 4;
    for (auto _ : state)
        benchmark::DoNotOptimize(records.operations->SumField());
    state.counters["records"] = static_cast<double>(records.doc->Text().LineCount());
}
BENCHMARK(BM_SumFieldOverAMillionRecords)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SortAMillionRecordsByTwoFields(benchmark::State& state)
{
    Records& records = TheRecords();
    for (auto _ : state) {
        records.doc->Selection().cursor.line = 0;
        records.operations->SortByFields();
    }
}
BENCHMARK(BM_SortAMillionRecordsByTwoFields)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FieldBackgroundsOfAScreen(benchmark::State& state)
{
    Records& records = TheRecords();
    const DisplayRules rules = records.doc->Rules();
    std::size_t spans = 0;
    for (auto _ : state) {
        spans = 0;
        for (LineIndex row = 0; row < 90; ++row)
            spans += FieldSpansOf(records.doc->Structure(), records.doc->Text().Line(500000 + row), rules).size();
        benchmark::DoNotOptimize(spans);
    }
    state.counters["fields"] = static_cast<double>(spans);
}
BENCHMARK(BM_FieldBackgroundsOfAScreen)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quill::bench
