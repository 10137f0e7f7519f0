// Lines that borrow from the file's own pages: noticing that another program wrote under them.
#include "common/Format.h"
#include "document/Document.h"
#include "platform/Prompter.h"

namespace quill {

namespace {

constexpr const char* kChangedUnderText =
    "%s\nwas changed in place by another program while it was open.\n"
    "The lines you have not edited are read from the file itself and may now show its new bytes "
    "(or zeros where it was shortened) instead of what was loaded.";

}  // namespace

void Document::WatchMappedBytes(int fd)
{
    FileStatus status;
    if (!StatusOf(fd, status) ||
        text_.BytesMappedFrom(static_cast<dev_t>(status.device), static_cast<ino_t>(status.inode)) == 0)
        return;
    if (mappedCheck_ && mappedCheck_->File().SameFileAs(status))
        mappedCheck_->Extend(text_.FileSize());
    else
        mappedCheck_ = std::make_unique<MappedFileCheck>(fd, text_.FileSize(), path_);
}

bool Document::TextTrusted()
{
    // Once the file changed under the text, the text keeps what it read then (new bytes, or
    // zeros where the file was cut) even after its lines were copied out: it stays untrusted
    // until it is read again.
    if (!untrustedFile_.empty())
        return false;
    if (!mappedCheck_ || mappedCheck_->StillAsRead())
        return true;
    untrustedFile_ = mappedCheck_->Path();
    return false;
}

bool Document::MappedTextTrusted()
{
    if (TextTrusted())
        return true;
    if (!mappedChangeTold_) {
        mappedChangeTold_ = true;
        prompter_.Error(Format(kChangedUnderText, untrustedFile_.c_str()) +
                        "\nReload it, or save your changes under another name and check them.");
    }
    return false;
}

bool Document::ConfirmSaveOfUntrustedText()
{
    if (TextTrusted())
        return true;
    mappedChangeTold_ = true;
    return prompter_.AskSafely(Format(kChangedUnderText, untrustedFile_.c_str()) + "\nSave it anyway?", Buttons::YesNo,
                               Answer::No) == Answer::Yes;
}

std::string Document::ShortenedWhileSavingText()
{
    TextTrusted();  // the fault on its pages marks the text
    mappedChangeTold_ = true;
    const std::string& file = untrustedFile_.empty() ? path_ : untrustedFile_;
    return Format("%s\nwas shortened by another program while the text was read from it for the save, "
                  "so nothing was written.\nThe lines you have not edited can no longer be trusted: "
                  "where the file was cut they read as zeros. Reload it, or save your changes under "
                  "another name and check them.",
                  file.c_str());
}

void Document::EndMappedCheckWhenCopied()
{
    if (!mappedCheck_)
        return;
    const FileStatus& file = mappedCheck_->File();
    if (text_.BytesMappedFrom(static_cast<dev_t>(file.device), static_cast<ino_t>(file.inode)) == 0)
        mappedCheck_.reset();
}

}  // namespace quill
