// The text a decompressor gives as the source of a load.
#pragma once

#include "text/Decompressor.h"
#include "text/LoadSource.h"

namespace quill {

/// Decompressed text, written straight into the load's blocks (and into their spare bytes); the
/// progress goes by the compressed bytes taken.
class DecompressedSource final : public LoadSource {
public:
    explicit DecompressedSource(Decompressor& reader) : reader_(reader) {}
    std::int64_t Read(char* buf, std::int64_t size, std::int64_t, int& error, const std::atomic<bool>&) override
    {
        return reader_.ReadBlock(buf, size, error);
    }
    bool LengthUnknown() const override { return true; }
    std::size_t Slack() const override { return Decompressor::kBlockSlack; }
    std::int64_t Progress(std::int64_t) const override { return reader_.Consumed(); }
    bool HelperBusy() const override { return true; }

private:
    Decompressor& reader_;
};

}  // namespace quill
