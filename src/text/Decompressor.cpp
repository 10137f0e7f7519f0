// Reading a compressed file member after member, whatever its format's library.
#include "text/Decompressor.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "common/Format.h"
#include "text/CompressionFormatRow.h"

namespace quill {

namespace {

// The libraries count in 32 bits.
constexpr std::size_t kMostPerCall = 1u << 30;
// Input is given in pieces of this size: where a library fails it does not always say how far it
// read, and the damage is then placed at the start of the piece.
constexpr std::size_t kInputPerCall = 64 << 10;

}  // namespace

std::unique_ptr<Decompressor> Decompressor::Open(int fd, CompressionFormat format)
{
    const CompressionFormatRow* row = RowOf(format);
    if (!row)
        return nullptr;
    std::unique_ptr<Decompressor> reader = row->newReader();
    reader->fd_ = fd;
    reader->in_.resize(kInputBytes);
    return reader;
}

Decompressor::~Decompressor() = default;

std::optional<std::int64_t> Decompressor::LeastTextSize(int fd, CompressionFormat format)
{
    const CompressionFormatRow* row = RowOf(format);
    struct stat st {};
    if (!row || !row->leastTextSize || ::fstat(fd, &st) != 0 || st.st_size < 18)
        return std::nullopt;
    return row->leastTextSize(fd, st.st_size);
}

bool Decompressor::Refill(int& error)
{
    // What is left moves to the front, and the rest of the buffer is read after it.
    std::copy(in_.begin() + static_cast<std::ptrdiff_t>(inPos_), in_.begin() + static_cast<std::ptrdiff_t>(inSize_),
              in_.begin());
    inBase_ += static_cast<std::int64_t>(inPos_);
    inSize_ -= inPos_;
    inPos_ = 0;
    for (;;) {
        const ssize_t r = ::read(fd_, in_.data() + inSize_, in_.size() - inSize_);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0) {
            error = errno;
            return false;
        }
        inSize_ += static_cast<std::size_t>(r);
        inputEnded_ = r == 0;
        return true;
    }
}

bool Decompressor::Gather(std::size_t need, int& error)
{
    need = std::min(need, in_.size());
    while (Available() < need && !inputEnded_)
        if (!Refill(error))
            return false;
    return true;
}

void Decompressor::Take(std::size_t n)
{
    inPos_ += n;
    consumed_.store(InputOffset(), std::memory_order_relaxed);
}

bool Decompressor::SkipZeros(int& error)
{
    for (;;) {
        while (inPos_ < inSize_ && in_[inPos_] == 0)
            ++inPos_;
        if (inPos_ < inSize_ || inputEnded_)
            return true;
        if (!Refill(error))
            return false;
    }
}

void Decompressor::SetDamage(Damage damage, std::int64_t at)
{
    damage_ = damage;
    damageAt_ = at;
    finished_ = true;
}

std::int64_t Decompressor::Read(char* buf, std::int64_t size, int& error)
{
    auto* out = reinterpret_cast<unsigned char*>(buf);
    std::int64_t got = 0;
    while (got < size && !finished_) {
        if (inPos_ == inSize_ && !inputEnded_ && !Refill(error))
            return got > 0 ? got : -1;
        const std::size_t room = static_cast<std::size_t>(std::min<std::int64_t>(size - got, kMostPerCall));
        std::size_t used = 0;
        std::size_t made = 0;
        const std::size_t give = std::min(inSize_ - inPos_, kInputPerCall);
        const bool last = inputEnded_ && inPos_ + give == inSize_;
        const Step step = Decode(in_.data() + inPos_, give, used, out + got, room, made, last);
        inPos_ += used;
        got += static_cast<std::int64_t>(made);
        const std::int64_t at = inBase_ + static_cast<std::int64_t>(inPos_);
        consumed_.store(at, std::memory_order_relaxed);
        if (used > 0 || made > 0)
            memberOpen_ = true;
        if (step == Step::Failed) {
            SetDamage(Damage::Corrupt, at);
        } else if (step == Step::MemberEnd) {
            memberOpen_ = false;
            // Zeros after a member are padding (a block device, a preallocated file), not data.
            if (!PassesPaddingItself() && !SkipZeros(error))
                return got > 0 ? got : -1;
            if (inPos_ == inSize_ && !inputEnded_ && !Refill(error))
                return got > 0 ? got : -1;
            if (inPos_ == inSize_ && inputEnded_)
                finished_ = true;
            else if (!ReadsMembersItself() && !Restart())
                throw std::bad_alloc();
        } else if (last && used == 0 && made == 0) {
            // All input given and nothing more comes out: the data stops inside a member.
            if (memberOpen_)
                SetDamage(Damage::EndsEarly, at);
            finished_ = true;
        }
    }
    return got;
}

std::string Decompressor::DamageText() const
{
    switch (damage_) {
    case Damage::EndsEarly:
        return Format("The compressed data ends early at byte %lld.", static_cast<long long>(damageAt_));
    case Damage::Corrupt:
        return Format("The compressed data is damaged at byte %lld.", static_cast<long long>(damageAt_));
    case Damage::None: break;
    }
    return {};
}

}  // namespace quill
