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
constexpr int kMiddleStretches = 14;

}  // namespace

MappedFileCheck::MappedFileCheck(int fd, std::int64_t extent)
    : file_(::dup(fd)),
      extent_(extent),
      faults_(MappedBytesGuard::Faults())
{
    if (!Valid() || !StatusOf(file_.Get(), status_)) {
        changed_ = true;
        return;
    }
    Keep(0, std::min(extent, kEndStretch));
    for (int i = 1; i <= kMiddleStretches; ++i)
        Keep(extent / (kMiddleStretches + 1) * i, kMiddleStretch);
    Extend(extent);
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
    if (changed_ || extent < extent_)
        return;
    if (extent > extent_ && stretches_.size() > 1 && stretches_.back().offset + kEndStretch >= extent_)
        stretches_.pop_back();  // the old end, which the new one replaces
    extent_ = extent;
    Keep(std::max<std::int64_t>(extent - kEndStretch, 0), kEndStretch);
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
    // Written to since: appended to, or rewritten where the text was read.
    if (!StretchesAsKept()) {
        changed_ = true;
        return false;
    }
    status_ = now;
    return true;
}

}  // namespace quill
