// The file behind the text: which file it is, how it was read, whether it still holds what the
// text borrows from it, and writing the text back to it or under another name.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/UserPorts.h"
#include "text/Compression.h"
#include "text/FileHandle.h"
#include "text/FileStatus.h"
#include "text/MappedFileCheck.h"
#include "text/TextLoader.h"

namespace quill {

class TextStore;

class OpenFile {
public:
    explicit OpenFile(const UserPorts& ports) : ports_(ports) {}

    // ---- Which file ------------------------------------------------------------------------
    const std::string& Path() const { return path_; }
    /// The file's name, or "Untitled" for a new text.
    const std::string& Title() const { return title_; }
    bool HasPath() const { return !path_.empty(); }
    /// The file's time when it was read or saved last.
    FileTime ModificationTime() const { return modificationTime_; }
    /// The file's size then; for a text read on from the file, the bytes read.
    std::int64_t DiskSize() const { return diskSize_; }
    /// Whether path names this file, by any of its names (a symbolic link, another hard link).
    bool Names(const std::string& path) const;
    /// Whether a file seen on disk is this file in the state it was read or saved in; size: the
    /// size it had then (a compressed file's size is not its text's).
    bool Unchanged(const FileStatus& status, std::int64_t size) const;
    bool Unchanged(const FileStatus& status) const { return Unchanged(status, diskSize_); }
    /// Whether a file seen on disk is this one, whatever its state.
    bool SameFileAs(const FileStatus& status) const { return status.SameFileAs(read_); }

    // ---- Reading it ------------------------------------------------------------------------
    /// Opens the file at path (made absolute) for reading. When it does not exist and
    /// offerToCreate, asks whether to create it (created tells). None, and the failure told, when
    /// it cannot be read.
    std::optional<FileHandle> OpenToRead(std::string& path, bool offerToCreate, bool& created);
    /// A new text: no file.
    void Unnamed(const std::string& title = "Untitled");
    /// Every text starts with no file read: not cut short, not compressed, nothing borrowed.
    void Forget();
    /// The text is read from fd, the file at path (as its status found it), from now on: its
    /// identity, time and format.
    void StartRead(int fd, const std::string& path, const FileStatus& status);
    /// The text holds the file as it is in this state (a read finished, new bytes appended);
    /// textSize: the bytes of it read.
    void Took(const FileStatus& status, std::int64_t textSize);
    /// Whether the text is the whole file: its load was not stopped and its compressed data was
    /// not damaged or cut.
    bool ReadWhole() const { return !loadAborted_ && compressedDamage_.empty(); }
    bool LoadAborted() const { return loadAborted_; }
    /// A part of the file is missing from the text: saving it would cut the file.
    void MarkCutShort() { loadAborted_ = true; }
    /// The format the file was compressed in when it was read (and is saved in).
    const CompressionStyle& Compression() const { return compression_; }
    /// Reads the text out of the compressed file at fd (of `size` bytes).
    LoadOutcome LoadCompressed(TextLoader& loader, int fd, std::int64_t size);
    /// Tells where the compressed data was damaged, once the text up to there is shown.
    void TellCompressedDamage() const;
    /// A read that did not reach the end: the text is marked as cut short and the failure told.
    void TellIncompleteRead(const LoadOutcome& outcome);
    /// Tells of a save of this file that did not finish last time, and where its copy is.
    void TellUnfinishedSave() const;

    // ---- Lines that borrow from its pages ------------------------------------------------
    /// Lines were read from the file open as fd: when they borrow from its pages, the file is
    /// checked from now on for changes made under them (or the check goes on to the new end).
    void WatchMappedBytes(int fd, const TextStore& text);
    /// Whether the text still is what was read: no file it borrows from changed under it since.
    bool TextTrusted();
    /// Whether the file the text borrows from still holds what was read; the first time it does
    /// not, the user is told that the text can no longer be trusted.
    bool MappedTextTrusted();
    /// Whether the bytes of the file that the text borrows are still those read (true when it
    /// borrows none).
    bool MappedBytesAsRead() const { return !mappedCheck_ || mappedCheck_->StillAsRead(); }

    // ---- Writing it ------------------------------------------------------------------------
    /// Writes the text to path (asking for a name when it is empty) after the questions a save
    /// asks; from then on the text is that file's. Never leaves a damaged file behind.
    bool Save(const TextStore& text, const std::string& requestedPath);

private:
    bool OpenFailed(const std::string& path, int error) const;
    /// Before a save of a text whose load stopped part-way: whether to write it over the file.
    bool ConfirmSaveOfPartialText(const TextStore& text) const;
    /// Before a save of a text whose file was changed under it: whether to save anyway.
    bool ConfirmSaveOfUntrustedText();
    bool ConfirmOverwriteChangedFile(const std::string& path) const;
    bool ConfirmReadOnlyOverwrite(const std::string& target) const;
    /// Asks before a text read up to damaged compressed data replaces the whole file.
    bool ConfirmSaveOfDamagedText(const std::string& path) const;
    /// The format a save to path writes: the file's own for itself, else the one the name asks for.
    CompressionStyle SaveStyleFor(const std::string& path) const;
    /// The reason a save failed when a file the text borrows from was cut while it was read.
    std::string ShortenedWhileSavingText();
    /// The text no longer borrows from the checked file (a save copied its bytes out): no check.
    void EndMappedCheckWhenCopied(const TextStore& text);

    UserPorts ports_;
    std::string path_;
    std::string title_ = "Untitled";
    FileTime modificationTime_ = 0;
    std::int64_t diskSize_ = 0;
    FileStatus read_;  ///< the file the text was last read from or saved to (its identity counts)
    bool loadAborted_ = false;
    CompressionStyle compression_;                  ///< the format of the file read or saved last
    std::string compressedDamage_;                  ///< where its compressed data was found damaged, when it was
    std::unique_ptr<MappedFileCheck> mappedCheck_;  ///< while lines borrow from the file's own pages
    bool mappedChangeTold_ = false;
    std::string untrustedFile_;  ///< the file that changed under the text (empty: none did)
};

}  // namespace quill
