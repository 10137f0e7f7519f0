// Start-up and exit.
#include "app/ui/QuillApplication.h"

#include <QCoreApplication>
#include <QLayout>

#include "app/DataFolder.h"
#include "app/ui/CMainFrame.h"
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

    if (commandLine.file) {
        doc_->SetCommandLineInProgress(&commandLine.raw);
        const bool opened = frame_->OpenFile(*commandLine.file);
        doc_->SetCommandLineInProgress(nullptr);
        if (!opened)
            return false;
    } else {
        doc_->OnNewDocument();
    }
    frame_->RefreshAll();
    if (commandLine.reload)
        frame_->View().RequestAutoReloadAtEnd();
    return true;
}

void QuillApplication::Exit()
{
    SaveSettings(settings_, store_);
    recent_.Save(store_);
}

}  // namespace quill
