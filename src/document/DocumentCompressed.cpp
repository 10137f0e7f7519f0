// Compressed files: read through a decompressor, saved back in their format.
#include <new>

#include "common/Format.h"
#include "common/MemoryReserve.h"
#include "document/Document.h"
#include "platform/Prompter.h"
#include "text/Decompressor.h"

namespace quill {

LoadOutcome Document::LoadCompressed(TextLoader& loader, int fd, std::int64_t size)
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
        if (prompter_.Ask(question, Buttons::YesNo) != Answer::Yes) {
            LoadOutcome outcome;
            outcome.status = LoadOutcome::Status::Aborted;
            return outcome;
        }
    }
    LoadOutcome outcome = loader.Load(*source, size, progress_, prompter_);
    if (outcome.status == LoadOutcome::Status::Complete)
        compressedDamage_ = source->DamageText();
    return outcome;
}

void Document::TellCompressedDamage()
{
    if (!compressedDamage_.empty())
        prompter_.Error(
            Format("%s\n%s\nThe text is shown up to the damage.", path_.c_str(), compressedDamage_.c_str()));
}

CompressionStyle Document::SaveStyleFor(const std::string& path) const
{
    // A file keeps its own format, also when its name says nothing of it; another name decides by
    // its ending, so that Save As "x.log" writes the text plain and "x.log.gz" compresses it.
    if (NamesOpenFile(path))
        return compression_;
    const CompressionStyle named = CompressionForName(path);
    return named.format == compression_.format ? compression_ : named;
}

bool Document::ConfirmSaveOfDamagedText(const std::string& path)
{
    if (compressedDamage_.empty() || !NamesOpenFile(path))
        return true;
    return prompter_.AskSafely(Format("%s\n%s\nThe text ends where the damage begins; saving it replaces the whole "
                                      "file with this text.\nSave it anyway?",
                                      path_.c_str(), compressedDamage_.c_str()),
                               Buttons::YesNo, Answer::No) == Answer::Yes;
}

}  // namespace quill
