// Reads zstd frames, straight into the blocks of a load where their windows allow it.
#pragma once

#include <cstdint>

#include "text/Decompressor.h"

struct ZSTD_DCtx_s;

namespace quill {

/// The zstd reader. Read streams as the other formats do: the library decodes into a window of
/// its own and copies out. ReadBlock decodes each frame straight into the blocks, block by block,
/// with the block before as the history a match may reach back into: that saves the copy of every
/// byte, a fifth of the work. A frame whose window is longer than a block (made with --long), a
/// skippable frame, an old format or a damaged header leaves the rest of the file to the stream.
class ZstdReader final : public Decompressor {
public:
    ZstdReader();
    ~ZstdReader() override;
    bool Ready() const { return stream_ != nullptr && direct_ != nullptr; }

    std::int64_t ReadBlock(char* buf, std::int64_t size, int& error) override;

protected:
    Step Decode(const unsigned char* in, std::size_t inSize, std::size_t& used, unsigned char* out, std::size_t outSize,
                std::size_t& made, bool last) override;
    bool Restart() override { return true; }
    bool ReadsMembersItself() const override { return true; }

private:
    enum class Begun { Frame, End, Streamed, ReadError };
    /// Starts the frame that follows the last, or finds the text's end; Streamed where the frame
    /// cannot be decoded into blocks of this size.
    Begun BeginFrame(std::int64_t size, int& error);

    ZSTD_DCtx_s* stream_;
    ZSTD_DCtx_s* direct_;
    bool streaming_ = false;         ///< the rest of the file goes through the stream
    bool frameOpen_ = false;         ///< a frame is being decoded into the blocks
    const char* carried_ = nullptr;  ///< text decoded beyond the last block's end, into its spare bytes
    std::int64_t carriedSize_ = 0;
};

}  // namespace quill
