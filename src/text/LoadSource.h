// Where the bytes of a load come from.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace quill {

/// A file read or mapped, a pipe, or a decompressor: each hands the load its text a block at a
/// time, on the helper thread, and says how its blocks are to be taken.
class LoadSource {
public:
    virtual ~LoadSource() = default;

    /// Reads up to size bytes of text, those from `offset` on, into buf. The count, or -1 with
    /// error set when nothing could be read; stop asks a source that waits to give up.
    virtual std::int64_t Read(char* buf, std::int64_t size, std::int64_t offset, int& error,
                              const std::atomic<bool>& stop) = 0;
    /// The file whose blocks may be mapped rather than read; -1 for none.
    virtual int MappableFile() const { return -1; }
    /// A block shorter than asked is not the end: blocks are what has arrived so far.
    virtual bool Streams() const { return false; }
    /// How long the text is shows only at its end: whole blocks are read until then.
    virtual bool LengthUnknown() const { return false; }
    /// Bytes beyond a block's size that the source may write into.
    virtual std::size_t Slack() const { return 0; }
    /// Where the progress bar stands once `cut` bytes of text are cut.
    virtual std::int64_t Progress(std::int64_t cut) const { return cut; }
    /// Reading is most of the work (decompression): the thread that cuts the lines counts their
    /// bytes, and makes the next block's pages while it waits.
    virtual bool HelperBusy() const { return false; }
    /// Whether the helper that reads a block also counts its chunks: it knows where they begin
    /// only where blocks come whole.
    bool CountsOnHelper() const { return !Streams() && !HelperBusy(); }
};

}  // namespace quill
