// What a user does with a file larger than the memory the program may use, headless: open it, go
// to its end, count a literal, type a line in the middle and save. Run by check-in-memory-group.sh
// inside a memory control group; it prints what the script compares with grep and cmp.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "commands/SearchCommands.h"
#include "document/Document.h"
#include "platform/Prompter.h"
#include "search/SearchOptions.h"
#include "settings/Settings.h"
#include "support/Fakes.h"
#include "view/TextEditing.h"
#include "view/ViewState.h"

namespace {

using namespace quill;

// Messages go to the standard error; a question is answered with Yes, as a user in a hurry would.
class PrintingPrompter : public Prompter {
public:
    Answer Show(Severity, const std::string& text, Buttons buttons, Answer) override
    {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return buttons == Buttons::OkCancel || buttons == Buttons::Ok ? Answer::Ok : Answer::Yes;
    }
};

// The largest resident memory of this process so far, in MiB.
long PeakResidentMiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6) / 1024;
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s FILE LITERAL LINE\n", argv[0]);
        return 2;
    }
    const std::string path = argv[1];
    Settings settings;
    PrintingPrompter prompter;
    test::FakeProgress progress;
    test::FakeFileDialogs dialogs;
    test::ScriptedEntry entry;
    TextSelection selection;
    Document doc(DocumentContext{settings, prompter, progress, dialogs, entry, std::string(), selection});
    if (!doc.Open(path) || doc.File().LoadAborted())
        return 1;
    const TextStore& text = doc.Text();
    std::printf("lines %lld\n", static_cast<long long>(text.LineCount()));
    std::printf("resident after open %ld MiB\n", PeakResidentMiB());

    ViewState view{0, 0, 60, 120};
    TextEditing editing(doc, view);
    // Ctrl+End: the last line with bytes (the text ends with an empty line after the last LF).
    LineIndex last = text.LineCount() - 1;
    if (last > 0 && text.Line(last).Length() == 0)
        --last;
    editing.PlaceAt(text.LineCount() - 1, 0);
    std::printf("last line %s", std::string(text.Line(last).Text()).c_str());

    SearchOptions options;
    options.mode = SearchOptions::kCount;
    options.query.typed = options.query.text = argv[2];
    options.query.matchCase = true;
    SearchCommands commands(doc, view, options);
    editing.PlaceAt(0, 0);
    std::printf("count %lld\n", static_cast<long long>(commands.CountMatches()));

    editing.PlaceAt(std::atoll(argv[3]), 0);
    for (const char c : std::string("a line typed in the middle"))
        editing.InsertChar(static_cast<std::uint8_t>(c));
    editing.InsertChar('\r');  // Enter
    if (!doc.Save(path))
        return 1;
    std::printf("saved\npeak resident %ld MiB\n", PeakResidentMiB());
    return 0;
}
