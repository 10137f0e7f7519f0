// Deterministic inputs and quiet desktop stand-ins for the benchmarks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "document/CQVXDoc.h"
#include "platform/EntryDialog.h"
#include "platform/FileDialogs.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "platform/Unattended.h"
#include "settings/Settings.h"

namespace quill::bench {

/// The file named by QUILL_BENCH_FILE, or a generated text of log-like lines of about 88 bytes
/// (made once in the temp folder and reused).
std::string BenchFile(std::int64_t generatedSize = 200ll << 20);

/// Resident memory of this process in bytes.
std::int64_t ResidentBytes();

class QuietPrompter : public Prompter {
public:
    Answer Show(Severity, const std::string&, Buttons buttons) override
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
    std::unique_ptr<CQVXDoc> doc =
        std::make_unique<CQVXDoc>(DocumentContext{settings, prompter, progress, dialogs, entry, std::string()});
};

}  // namespace quill::bench
