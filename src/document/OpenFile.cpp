// Opening, checking and saving the file behind the text. Every question that could destroy data
// defaults to the safe answer.
#include "document/OpenFile.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "common/Format.h"
#include "common/MemoryReserve.h"
#include "common/StagedFile.h"
#include "platform/FileDialogs.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "text/Decompressor.h"
#include "text/SaveRecovery.h"
#include "text/TextFileWriter.h"
#include "text/TextStore.h"

namespace quill {

namespace {

const char kCantOpen[] = "Can\xB4t open %s!\n%s";
const char kCantSave[] = "Can\xB4t save %s!\n%s";
const char kUnfinishedSave[] = "The last save of %s did not finish:\nthe file may hold old and new parts.\n"
                               "A complete copy of the text that was saved is in\n%s";
constexpr const char* kChangedUnderText =
    "%s\nwas changed in place by another program while it was open.\n"
    "The lines you have not edited are read from the file itself and may now show its new bytes "
    "(or zeros where it was shortened) instead of what was loaded.";

}  // namespace

// ---- Which file ---------------------------------------------------------------------------

bool OpenFile::Names(const std::string& path) const
{
    FileStatus status;
    return path == path_ || (!path_.empty() && StatusOfPath(path, status) && status.SameFileAs(read_));
}

bool OpenFile::Unchanged(const FileStatus& status, std::int64_t size) const
{
    return status.SameFileAs(read_) && status.modified == modificationTime_ && status.size == size;
}

// ---- Reading it ---------------------------------------------------------------------------

bool OpenFile::OpenFailed(const std::string& path, int error) const
{
    ports_.prompter.Error(Format(kCantOpen, path.c_str(), SystemErrorText(error).c_str()));
    return false;
}

std::optional<FileHandle> OpenFile::OpenToRead(std::string& path, bool offerToCreate, bool& created)
{
    path = AbsolutePath(path);
    int fd = OpenForReading(path);
    created = fd < 0 && errno == ENOENT && offerToCreate;
    if (created) {
        if (ports_.prompter.Ask(Format("Do you want to create %s!", path.c_str()), Buttons::YesNo) == Answer::No)
            return std::nullopt;
        const int made = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        if (made < 0) {
            OpenFailed(path, errno);
            return std::nullopt;
        }
        ::close(made);
        fd = OpenForReading(path);
        if (fd < 0) {
            ports_.prompter.Error(Format("Can\xB4t create %s!\n%s", path.c_str(), SystemErrorText(errno).c_str()));
            return std::nullopt;
        }
    } else if (fd < 0) {
        OpenFailed(path, errno);
        return std::nullopt;
    }
    return FileHandle(fd);
}

void OpenFile::Unnamed(const std::string& title)
{
    path_.clear();
    title_ = title;
}

void OpenFile::Forget()
{
    mappedCheck_.reset();
    mappedChangeTold_ = false;
    untrustedFile_.clear();
    loadAborted_ = false;
    compression_ = {};
    compressedDamage_.clear();
}

void OpenFile::StartRead(int fd, const std::string& path, const FileStatus& status)
{
    modificationTime_ = status.modified;
    diskSize_ = status.size;
    read_ = status;
    path_ = path;
    title_ = FileNameOf(path);
    compression_ = CompressionOfFile(fd);  // a pipe cannot be read ahead of: it is plain
}

void OpenFile::Took(const FileStatus& status, std::int64_t textSize)
{
    modificationTime_ = status.modified;
    diskSize_ = textSize;
    read_ = status;
}

LoadOutcome OpenFile::LoadCompressed(TextLoader& loader, int fd, std::int64_t size)
{
    std::unique_ptr<Decompressor> source;
    try {
        source = Decompressor::Open(fd, compression_.format);
    } catch (const std::bad_alloc&) {
        LoadOutcome outcome;
        outcome.status = LoadOutcome::Status::OutOfMemory;
        return outcome;
    }
    // Unlike a file, whose pages the kernel can drop and read again, decompressed text stays in
    // memory: one that cannot fit is told before minutes of decompressing run into the limit.
    if (const auto text = Decompressor::LeastTextSize(fd, compression_.format); text && !MemoryAllows(*text)) {
        const auto status = CurrentMemoryStatus();
        const std::string question =
            Format("%s\nholds %lld MB of text, more than the memory left (%lld MB). Only what fits can be read.\n"
                   "Read it anyway?",
                   path_.c_str(), static_cast<long long>(*text >> 20),
                   static_cast<long long>(status ? status->available >> 20 : 0));
        if (ports_.prompter.Ask(question, Buttons::YesNo) != Answer::Yes) {
            LoadOutcome outcome;
            outcome.status = LoadOutcome::Status::Aborted;
            return outcome;
        }
    }
    LoadOutcome outcome = loader.Load(*source, size, ports_.progress, ports_.prompter);
    if (outcome.status == LoadOutcome::Status::Complete)
        compressedDamage_ = source->DamageText();
    return outcome;
}

void OpenFile::TellCompressedDamage() const
{
    if (!compressedDamage_.empty())
        ports_.prompter.Error(
            Format("%s\n%s\nThe text is shown up to the damage.", path_.c_str(), compressedDamage_.c_str()));
}

void OpenFile::TellIncompleteRead(const LoadOutcome& outcome)
{
    using Status = LoadOutcome::Status;
    if (outcome.status == Status::Complete)
        return;
    loadAborted_ = true;  // a part is missing: saving it would cut the file
    if (outcome.status == Status::OutOfMemory)
        ports_.prompter.Error("Out of memory!");
    else if (outcome.status == Status::ReadError)
        ports_.prompter.Error(Format("Can\xB4t load %s!\n%s", path_.c_str(), SystemErrorText(outcome.error).c_str()));
}

void OpenFile::TellUnfinishedSave() const
{
    if (const auto copy = SaveRecovery::PendingCopyFor(ResolveLinks(path_)))
        ports_.prompter.Warn(Format(kUnfinishedSave, path_.c_str(), copy->c_str()));
}

// ---- Lines that borrow from its pages -----------------------------------------------------

void OpenFile::WatchMappedBytes(int fd, const TextStore& text)
{
    FileStatus status;
    if (!StatusOf(fd, status) ||
        text.BytesMappedFrom(static_cast<dev_t>(status.device), static_cast<ino_t>(status.inode)) == 0)
        return;
    if (mappedCheck_ && mappedCheck_->File().SameFileAs(status))
        mappedCheck_->Extend(text.FileSize());
    else
        mappedCheck_ = std::make_unique<MappedFileCheck>(fd, text.FileSize(), path_);
}

bool OpenFile::TextTrusted()
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

bool OpenFile::MappedTextTrusted()
{
    if (TextTrusted())
        return true;
    if (!mappedChangeTold_) {
        mappedChangeTold_ = true;
        ports_.prompter.Error(Format(kChangedUnderText, untrustedFile_.c_str()) +
                              "\nReload it, or save your changes under another name and check them.");
    }
    return false;
}

void OpenFile::EndMappedCheckWhenCopied(const TextStore& text)
{
    if (!mappedCheck_)
        return;
    const FileStatus& file = mappedCheck_->File();
    if (text.BytesMappedFrom(static_cast<dev_t>(file.device), static_cast<ino_t>(file.inode)) == 0)
        mappedCheck_.reset();
}

// ---- Writing it ---------------------------------------------------------------------------

bool OpenFile::ConfirmSaveOfUntrustedText()
{
    if (TextTrusted())
        return true;
    mappedChangeTold_ = true;
    return ports_.prompter.AskSafely(Format(kChangedUnderText, untrustedFile_.c_str()) + "\nSave it anyway?",
                                     Buttons::YesNo, Answer::No) == Answer::Yes;
}

std::string OpenFile::ShortenedWhileSavingText()
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

bool OpenFile::ConfirmReadOnlyOverwrite(const std::string& target) const
{
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return true;
        ports_.prompter.Error(Format(kCantSave, target.c_str(), SystemErrorText(errno).c_str()));
        return false;
    }
    // Read-only means: the owner may not write. Root could write anyway; it is asked all the same.
    if (!S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR))
        return true;
    if (ports_.prompter.AskSafely("File is read only!\nOverwrite flag?", Buttons::OkCancel, Answer::Cancel) !=
        Answer::Ok)
        return false;
    if (::chmod(target.c_str(), (st.st_mode & 07777) | S_IWUSR) != 0) {
        ports_.prompter.Error("Can\xB4t make writeable!");
        return false;
    }
    return true;
}

bool OpenFile::ConfirmSaveOfPartialText(const TextStore& text) const
{
    // One Enter must not write the part that was read over the whole file: No is the default, and
    // the question says how much of the file the text holds.
    const long long read = text.FileSize(), whole = read_.size;
    std::string part;
    if (compression_.Compressed() || whole <= 0)
        part = Format("The text holds only the %s bytes read before the load stopped.", GroupedNumber(read).c_str());
    else
        part = Format("The text holds only the first %s of the file's %s bytes (%lld %%).", GroupedNumber(read).c_str(),
                      GroupedNumber(whole).c_str(), read * 100 / whole);
    return ports_.prompter.AskSafely("Load was aborted!\n" + part + "\nOverwrite file?", Buttons::YesNo, Answer::No) ==
           Answer::Yes;
}

bool OpenFile::ConfirmOverwriteChangedFile(const std::string& path) const
{
    // Another program may have written the file since it was read: saving would throw its
    // changes away unasked.
    FileStatus status;
    if (!Names(path) || !StatusOfPath(path, status) ||
        (status.modified == modificationTime_ && status.size == diskSize_))
        return true;
    return ports_.prompter.AskSafely(
               Format("%s\nwas changed on disk since it was loaded.\nOverwrite it?", path.c_str()), Buttons::OkCancel,
               Answer::Cancel) == Answer::Ok;
}

CompressionStyle OpenFile::SaveStyleFor(const std::string& path) const
{
    // A file keeps its own format, also when its name says nothing of it; another name decides by
    // its ending, so that Save As "x.log" writes the text plain and "x.log.gz" compresses it.
    if (Names(path))
        return compression_;
    const CompressionStyle named = CompressionForName(path);
    return named.format == compression_.format ? compression_ : named;
}

bool OpenFile::ConfirmSaveOfDamagedText(const std::string& path) const
{
    if (compressedDamage_.empty() || !Names(path))
        return true;
    return ports_.prompter.AskSafely(Format("%s\n%s\nThe text ends where the damage begins; saving it replaces the "
                                            "whole file with this text.\nSave it anyway?",
                                            path_.c_str(), compressedDamage_.c_str()),
                                     Buttons::YesNo, Answer::No) == Answer::Yes;
}

bool OpenFile::Save(const TextStore& text, const std::string& requestedPath)
{
    if (loadAborted_ && !ConfirmSaveOfPartialText(text))
        return false;
    if (!ConfirmSaveOfUntrustedText())
        return false;
    std::string path = requestedPath;
    if (path.empty()) {
        auto chosen = ports_.files.AskSavePath(path_.empty() ? std::string("Untitled") : title_, "txt");
        if (!chosen)
            return false;
        path = *chosen;
    }
    path = AbsolutePath(path);
    const std::string target = ResolveLinks(path);
    if (struct stat st{}; ::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        // A pipe would take the bytes and keep nothing, a device would be written over: only
        // files are saved to.
        ports_.prompter.Error(Format(kCantSave, path.c_str(), "It is no regular file (a pipe, a device or a folder)."));
        return false;
    }
    if (!ConfirmOverwriteChangedFile(path) || !ConfirmReadOnlyOverwrite(target) || !ConfirmSaveOfDamagedText(path))
        return false;
    WriteOptions options;
    options.compression = SaveStyleFor(path);
    if (int err = WriteTextFile(target, text, ports_.progress, options)) {
        const std::string reason = err == kSourceShortened ? ShortenedWhileSavingText() : SystemErrorText(err);
        std::string message = Format(kCantSave, path.c_str(), reason.c_str());
        if (const auto copy = SaveRecovery::PendingCopyFor(target))
            message += Format("\nA complete copy of the text is in\n%s", copy->c_str());
        else if (err == ENOMEM && mappedCheck_)
            message += "\nThe file cannot be replaced (it has other links or another owner, or its folder is "
                       "read-only), so it is written in place, and the lines read from it need copies "
                       "of their own first: the memory for them is not there. Save it under another name.";
        ports_.prompter.Error(message);
        return false;
    }
    // Keep the saved file's own time and size, so auto reload does not take our save for a
    // change made by somebody else; a save writes a new file in the old one's place.
    if (FileStatus status; StatusOfPath(target, status))
        Took(status, status.size);
    EndMappedCheckWhenCopied(text);
    compressedDamage_.clear();  // the file saved to is whole (a damaged one saved elsewhere stays as it is)
    compression_ = options.compression;
    path_ = path;
    title_ = FileNameOf(path);
    return true;
}

}  // namespace quill
