// Deterministic inputs and quiet desktop stand-ins for the benchmarks.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "document/Document.h"
#include "document/DocumentView.h"
#include "platform/EntryDialog.h"
#include "platform/FileDialogs.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "platform/Unattended.h"
#include "search/SearchOptions.h"
#include "settings/Settings.h"

namespace quill::bench {

/// The file named by QUILL_BENCH_FILE, or a generated text of log-like lines of about 88 bytes
/// (made once in the temp folder and reused).
std::string BenchFile(std::int64_t generatedSize = 200ll << 20);

/// The same of varied lines (VariedLogLines): what the expression benchmarks search.
std::string VariedBenchFile(std::int64_t generatedSize);

/// Log-like lines of about 88 bytes, "2026-12-07 10:00:24.123 INFO  [worker-3] request 00000024
/// handled in 786 ms status=ok", numbered on from call to call. Varied: a quarter of them carry
/// other messages (payments refused or accepted, timeouts with a reference like "4821-kx", logins
/// with "user=name"), for expressions that match some lines only.
class LogLines {
public:
    explicit LogLines(bool varied = false) : varied_(varied) {}

    /// The next `size` bytes; a line cut at the end goes on in the next call.
    std::string Next(std::int64_t size);

private:
    /// The message of a varied line, or empty for the common one.
    std::string Message(long long i) const;

    bool varied_;
    std::uint32_t state_ = 12345;
    std::int64_t next_ = 0;
    std::string pending_;
};

/// Log lines of about 100 bytes in German, French, Greek, Russian and Chinese, with mail addresses,
/// a combining accent and now and then a character cut short: what the UTF-8 benchmarks search.
class MultilingualLines {
public:
    /// The next `size` bytes; a line cut at the end goes on in the next call.
    std::string Next(std::int64_t size);

private:
    std::uint32_t state_ = 2026;
    std::int64_t next_ = 0;
    std::string pending_;
};
std::string MultilingualBenchFile(std::int64_t generatedSize);

/// A search of the UTF-8 benchmarks: a text or an expression, with its case rule.
struct Utf8Case {
    const char* text;
    bool regex;
    bool matchCase;
};
extern const Utf8Case kUtf8Cases[6];
/// The arguments of the UTF-8 benchmarks: each case on the logs of 100 MiB and 500 MiB.
void Utf8CaseArguments(benchmark::internal::Benchmark* benchmark);

/// An expression of the expression benchmarks, and the same for grep -E (which lacks "\d").
struct ExpressionCase {
    const char* pattern;
    const char* grepPattern;
    bool matchCase;
};
extern const ExpressionCase kExpressionCases[9];
/// The arguments of the expression benchmarks: each case on the varied logs of 200 MiB and 1 GiB.
void ExpressionCaseArguments(benchmark::internal::Benchmark* benchmark);

/// Counts the hits of the options' find text from the top of the document once an iteration, as
/// Count does from the cursor; the counters say the hits and the bytes searched.
void CountFromTheTop(benchmark::State& state, Document& doc, SearchOptions& options);

/// Resident memory of this process in bytes.
std::int64_t ResidentBytes();

/// A window that shows nothing: with it a document behaves as in the program (a large file loads
/// in the background).
class NoView : public DocumentView {
public:
    void Changed(DocumentChange) override {}
    void SetStatusText(StatusPane, const std::string&) override {}
    int PageColumns() const override { return Settings{}.pageWidth; }
};

class QuietPrompter : public Prompter {
public:
    Answer Show(Severity, const std::string&, Buttons buttons, Answer) override
    {
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::No : Answer::Ok;
    }
};

/// A document with quiet desktop parts and the default settings.
struct QuietDocument {
    Settings settings;
    QuietPrompter prompter;
    SilentProgress progress;
    NoFileDialogs dialogs;
    NoEntryDialog entry;
    TextSelection selection;
    std::unique_ptr<Document> doc = std::make_unique<Document>(
        DocumentContext{settings, prompter, progress, dialogs, entry, std::string(), selection});
};

/// A document of the file at path, kept open for the next benchmark of the same file: one at a
/// time, since a log of a gigabyte takes more than a gigabyte of memory.
QuietDocument& OpenLog(const std::string& path);

}  // namespace quill::bench
