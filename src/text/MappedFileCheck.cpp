// Checks of a mapped file against what was read from it.
#include "text/MappedFileCheck.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

#include "text/MappedBytesGuard.h"

namespace quill {

namespace {

// The start and the end are where a rewrite nearly always differs (a log rewritten from its
// first line, a copy of another file); the stretches between catch a change in the middle.
constexpr std::int64_t kEndStretch = 4096;
constexpr std::int64_t kMiddleStretch = 256;
constexpr int kMiddleStretches = 30;

}  // namespace

MappedFileCheck::MappedFileCheck(int fd, std::int64_t extent, std::string path)
    : file_(::dup(fd)),
      path_(std::move(path)),
      extent_(extent),
      faults_(MappedBytesGuard::Faults())
{
    if (!Valid() || !StatusOf(file_.Get(), status_)) {
        changed_ = true;
        return;
    }
    Sample();
}

void MappedFileCheck::Sample()
{
    // Over the whole extent read, so that the middle of a large file read in parts is looked at
    // as well as its first part.
    stretches_.clear();
    Keep(0, std::min(extent_, kEndStretch));
    for (int i = 1; i <= kMiddleStretches; ++i)
        Keep(extent_ / (kMiddleStretches + 1) * i, kMiddleStretch);
    Keep(std::max<std::int64_t>(extent_ - kEndStretch, 0), kEndStretch);
}

void MappedFileCheck::Keep(std::int64_t offset, std::int64_t length)
{
    length = std::min(length, extent_ - offset);
    Stretch stretch{offset, {}};
    if (length > 0 && ReadExactlyAt(file_.Get(), offset, length, stretch.bytes))
        stretches_.push_back(std::move(stretch));
}

void MappedFileCheck::Extend(std::int64_t extent)
{
    // What was read so far must still be as it was before the new part counts as its continuation.
    if (!StillAsRead() || extent < extent_)
        return;
    extent_ = extent;
    Sample();
    StatusOf(file_.Get(), status_);
}

bool MappedFileCheck::StretchesAsKept() const
{
    std::string now;
    return std::all_of(stretches_.begin(), stretches_.end(), [&](const Stretch& stretch) {
        return ReadExactlyAt(file_.Get(), stretch.offset, static_cast<std::int64_t>(stretch.bytes.size()), now) &&
               now == stretch.bytes;
    });
}

bool MappedFileCheck::StillAsRead()
{
    if (changed_)
        return false;
    FileStatus now;
    if (MappedBytesGuard::Faults() != faults_ || !StatusOf(file_.Get(), now) || now.size < extent_) {
        changed_ = true;
        return false;
    }
    if (now.modified == status_.modified && now.size == status_.size)
        return true;
    // Written to since. An append leaves what was read as it was and makes the file longer; a
    // write that does not make it longer wrote into it. A longer file counts as appended to when
    // the kept stretches are unchanged: that much is sampled, not proven.
    if (now.size <= status_.size || !StretchesAsKept()) {
        changed_ = true;
        return false;
    }
    status_ = now;
    return true;
}

}  // namespace quill
