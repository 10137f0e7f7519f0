// Start-up and exit.
#include "app/ui/QuillApplication.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QPdfWriter>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "app/DataFolder.h"
#include "app/ui/DesktopEntryBar.h"
#include "app/ui/MainWindow.h"
#include "common/Format.h"
#include "common/PhaseTimer.h"
#include "document/Document.h"
#include "platform/ConsolePrompter.h"
#include "platform/Unattended.h"
#include "print/ui/DocumentPrinter.h"
#include "text/FileStatus.h"
#include "view/ui/TextView.h"

namespace quill {

QuillApplication::QuillApplication(SettingsStore& store) : store_(store) {}

QuillApplication::~QuillApplication()
{
    frame_.reset();
    doc_.reset();
}

bool QuillApplication::Start(const CommandLine& commandLine)
{
    LoadSettings(settings_, store_);
    recent_.Load(store_);
    dataFolder_ = ResolveDataFolder(QCoreApplication::applicationDirPath().toLocal8Bit().toStdString());
    doc_ = std::make_unique<Document>(
        DocumentContext{settings_, prompter_, progress_, dialogs_, entry_, dataFolder_, selection_});
    frame_ = std::make_unique<MainWindow>(*doc_, settings_, recent_);
    prompter_.SetParent(frame_.get());
    progress_.SetParent(frame_.get());
    dialogs_.SetParent(frame_.get());
    entry_.SetParent(frame_.get());
    const bool firstStart = !settings_.mainWndPos;
    frame_->RestorePlacement();
    // Shown before the file is read, so the progress window has its parent and the text area its
    // width, which wrapping at the window border needs.
    frame_->show();
    frame_->layout()->activate();
    PhaseTimer::Mark("window shown");

    if (commandLine.file) {
        doc_->SetCommandLineInProgress(&commandLine.raw);
        const bool opened = frame_->OpenFile(*commandLine.file);
        doc_->SetCommandLineInProgress(nullptr);
        if (!opened)
            return false;
    } else {
        doc_->New();
    }
    PhaseTimer::Mark("file loaded");
    frame_->RefreshAll();
    // Without a desktop (the offscreen platform of scripts and tests) there is nothing to offer.
    if (firstStart && QGuiApplication::platformName() != QLatin1String("offscreen")) {
        frame_->DesktopEntryOffer().Offer();
        frame_->OfferDesktopKeys();
    }
    if (commandLine.reload)
        doc_->Follow().RequestAutoReloadAtEnd();
    TextView& view = frame_->View();
    QObject::connect(
        &view, &TextView::painted, frame_.get(),
        [this, timing = commandLine.timing] {
            PhaseTimer::Mark("first screen");
            if (timing)  // a measuring run: quit as the user would, at once
                QTimer::singleShot(0, frame_.get(), [this] { frame_->close(); });
        },
        Qt::SingleShotConnection);
    view.viewport()->update();
    return true;
}

int QuillApplication::PrintToPdf(const CommandLine& commandLine, SettingsStore& store)
{
    if (!commandLine.file) {
        std::fputs("quillarium: --print-pdf needs the FILE to print\n", stderr);
        return 2;
    }
    // Writing the PDF over the file to print (by its name or through a link) would destroy it.
    FileStatus input, output;
    if (StatusOfPath(*commandLine.file, input) && StatusOfPath(*commandLine.printPdf, output) &&
        input.SameFileAs(output)) {
        std::fprintf(stderr, "quillarium: %s is the file to print; the PDF must go to another file\n",
                     commandLine.printPdf->c_str());
        return 2;
    }
    try {
        return PrintFileToPdf(commandLine, store);
    } catch (const std::bad_alloc&) {
        std::fputs("quillarium: Out of memory!\n", stderr);
        return 1;
    }
}

int QuillApplication::PrintFileToPdf(const CommandLine& commandLine, SettingsStore& store)
{
    Settings settings;
    LoadSettings(settings, store);
    ConsolePrompter prompter;
    SilentProgress progress;
    NoFileDialogs dialogs;
    NoEntryDialog entry;
    const std::string dataFolder =
        ResolveDataFolder(QCoreApplication::applicationDirPath().toLocal8Bit().toStdString());
    TextSelection selection;
    Document doc(DocumentContext{settings, prompter, progress, dialogs, entry, dataFolder, selection});
    if (!doc.Open(*commandLine.file, false) || !doc.File().ReadWhole())
        return 1;  // the load told why; half a file is not printed as if it were the file
    const std::string& out = *commandLine.printPdf;
    // The PDF writer reports no reason when it cannot write: the file is tried first.
    if (std::FILE* probe = std::fopen(out.c_str(), "wb")) {
        std::fclose(probe);
    } else {
        prompter.Error(Format("Can\xB4t save %s!\n%d:%s", out.c_str(), errno, std::strerror(errno)));
        return 1;
    }
    QPdfWriter writer(QString::fromLocal8Bit(out.c_str()));
    writer.setPageSize(QPageSize(QPageSize::A4));
    DocumentPrinter::SetMargins(writer);
    writer.setResolution(1200);  // as a printer set up for high resolution: the same cells and rows
    writer.setTitle(QString::fromLocal8Bit(doc.File().Path().c_str()));
    writer.setCreator(QStringLiteral("Quillarium " QUILL_VERSION));
    const bool printed = DocumentPrinter(doc, settings).Print(writer);
    doc.Clear();
    return printed ? 0 : 1;
}

void QuillApplication::Exit()
{
    // The layout the user chose for the text open last is the next start's; what a structure, a
    // file's long lines or binary mode set is not.
    if (doc_)
        doc_->Config().KeepUserChoicesIn(settings_);
    SaveSettings(settings_, store_);
    recent_.Save(store_);
}

}  // namespace quill
