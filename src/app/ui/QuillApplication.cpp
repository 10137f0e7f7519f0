// Start-up and exit.
#include "app/ui/QuillApplication.h"

#include <QCoreApplication>
#include <QLayout>
#include <QTimer>

#include "app/DataFolder.h"
#include "app/ui/CMainFrame.h"
#include "common/PhaseTimer.h"
#include "document/CQVXDoc.h"
#include "view/ui/CQVXView.h"

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
    doc_ = std::make_unique<CQVXDoc>(DocumentContext{settings_, prompter_, progress_, dialogs_, entry_, dataFolder_});
    frame_ = std::make_unique<CMainFrame>(*doc_, settings_, recent_);
    prompter_.SetParent(frame_.get());
    progress_.SetParent(frame_.get());
    dialogs_.SetParent(frame_.get());
    entry_.SetParent(frame_.get());
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
        doc_->OnNewDocument();
    }
    PhaseTimer::Mark("file loaded");
    frame_->RefreshAll();
    if (commandLine.reload)
        frame_->View().RequestAutoReloadAtEnd();
    CQVXView& view = frame_->View();
    QObject::connect(
        &view, &CQVXView::painted, frame_.get(),
        [this, timing = commandLine.timing] {
            PhaseTimer::Mark("first screen");
            if (timing)  // a measuring run: quit as the user would, at once
                QTimer::singleShot(0, frame_.get(), [this] { frame_->close(); });
        },
        Qt::SingleShotConnection);
    view.viewport()->update();
    return true;
}

void QuillApplication::Exit()
{
    SaveSettings(settings_, store_);
    recent_.Save(store_);
}

}  // namespace quill
