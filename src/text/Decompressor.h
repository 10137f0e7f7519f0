// Reads the text out of a compressed file as a stream, member after member.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "text/Compression.h"

namespace quill {

/// Decompresses the file open at a descriptor from its current position, in the order of its
/// bytes, without a temporary file. Concatenated members (as logrotate and pigz make them) are read
/// one after another. Damaged data ends the text where the damage is found, and says where.
class Decompressor {
public:
    enum class Damage { None, EndsEarly, Corrupt };

    /// A reader of the format; none for plain text.
    static std::unique_ptr<Decompressor> Open(int fd, CompressionFormat format);
    /// At least how many bytes of text the file holds, as far as its format records it (gzip
    /// its last member's size, zstd its first frame's); none when it does not say.
    static std::optional<std::int64_t> LeastTextSize(int fd, CompressionFormat format);
    virtual ~Decompressor();
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    /// Fills buf with up to size bytes of text; fewer only where the text ends (or is damaged).
    /// -1 on a read error of the file, with its errno in error, when nothing came before it.
    std::int64_t Read(char* buf, std::int64_t size, int& error);

    /// The bytes beyond its size that a buffer given to ReadBlock has for the reader to write.
    static constexpr std::int64_t kBlockSlack = 128 << 10;
    /// As Read, for a load that gives one buffer after another, each of the same size, and keeps
    /// them: every buffer has kBlockSlack bytes more for the reader to write, and the one before
    /// stays as it is while the next is filled. A decoder may then write its text straight into the
    /// buffers and look back into the one before, where it would otherwise copy every byte out of a
    /// window of its own. A reader is read either this way or by Read, never both.
    virtual std::int64_t ReadBlock(char* buf, std::int64_t size, int& error) { return Read(buf, size, error); }
    /// Compressed bytes taken so far; may be asked from another thread than the one reading.
    std::int64_t Consumed() const { return consumed_.load(std::memory_order_relaxed); }
    Damage Damaged() const { return damage_; }
    /// The byte of the compressed file where the damage was found.
    std::int64_t DamageAt() const { return damageAt_; }
    /// "The compressed data ends early at byte N." and the like; empty when there is no damage.
    std::string DamageText() const;

protected:
    enum class Step { Going, MemberEnd, Failed };
    Decompressor() = default;
    /// One call of the library: takes from in, gives to out, says how far each went. `last`: no
    /// input follows what is given.
    virtual Step Decode(const unsigned char* in, std::size_t inSize, std::size_t& used, unsigned char* out,
                        std::size_t outSize, std::size_t& made, bool last) = 0;
    /// Gets ready for another member after one ended.
    virtual bool Restart() = 0;
    /// Whether the format's own decoder goes on over member ends by itself (and so needs no restart).
    virtual bool ReadsMembersItself() const { return false; }
    /// Whether zero bytes after a member are the format's own business.
    virtual bool PassesPaddingItself() const { return false; }

    /// Makes at least `need` bytes of input (no more than a whole input buffer) lie together, as
    /// far as the file has them; false on a read error.
    bool Gather(std::size_t need, int& error);
    const unsigned char* Input() const { return in_.data() + inPos_; }
    std::size_t Available() const { return inSize_ - inPos_; }
    /// Where in the compressed file the next input byte is.
    std::int64_t InputOffset() const { return inBase_ + static_cast<std::int64_t>(inPos_); }
    /// Counts the next n bytes of input as used.
    void Take(std::size_t n);
    /// Passes over zero bytes, reading on as needed; false on a read error.
    bool SkipZeros(int& error);
    void SetDamage(Damage damage, std::int64_t at);
    bool Finished() const { return finished_; }
    void Finish() { finished_ = true; }
    static constexpr std::size_t kInputBytes = 1 << 20;

private:
    /// Reads more input after what is left of it; false on a read error.
    bool Refill(int& error);

    int fd_ = -1;
    std::vector<unsigned char> in_;
    std::size_t inPos_ = 0;
    std::size_t inSize_ = 0;
    std::int64_t inBase_ = 0;  ///< where in the file in_ begins
    bool inputEnded_ = false;
    bool finished_ = false;
    bool memberOpen_ = false;  ///< a member was begun and has not ended
    Damage damage_ = Damage::None;
    std::int64_t damageAt_ = 0;
    std::atomic<std::int64_t> consumed_{0};
};

}  // namespace quill
