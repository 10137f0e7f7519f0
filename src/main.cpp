// quillarium [FILE[#LINE]] [-RELOAD] | --print-pdf OUT.pdf FILE
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/ui/QuillApplication.h"
#include "common/PhaseTimer.h"
#include "platform/qt/QtSettingsStore.h"
#include "text/TextStore.h"

int main(int argc, char* argv[])
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const quill::CommandLine commandLine = quill::CommandLine::Parse(arguments);
    if (commandLine.timing)
        quill::PhaseTimer::Enable();
    quill::PhaseTimer::Mark("main entered");
    if (commandLine.help) {
        std::fputs(quill::CommandLine::Usage().c_str(), stdout);
        return 0;
    }
    if (commandLine.version) {
        std::printf("Quillarium %s\n", QUILL_VERSION);
        return 0;
    }
    if (!commandLine.error.empty()) {
        std::fprintf(stderr, "quillarium: %s\n\n%s", commandLine.error.c_str(), quill::CommandLine::Usage().c_str());
        return 2;
    }

    // Printing into a PDF needs no window, and no display either.
    if (commandLine.printPdf && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quillarium"));
    QApplication::setApplicationName(QStringLiteral("Quillarium"));
    QApplication::setApplicationVersion(QStringLiteral(QUILL_VERSION));
    quill::PhaseTimer::Mark("toolkit ready");
    if (commandLine.printPdf) {
        quill::QtSettingsStore store;
        return quill::QuillApplication::PrintToPdf(commandLine, store);
    }
    int result = 1;
    {
        quill::QtSettingsStore store;
        quill::QuillApplication quillarium(store);
        if (!quillarium.Start(commandLine))
            return 1;
        result = QApplication::exec();
        quillarium.Exit();
        quill::PhaseTimer::Mark("settings written");
        quill::TextStore::LeaveMemoryToExit();
    }
    quill::PhaseTimer::Mark("program ends");
    return result;
}
