// Load blocks.
#include "text/LoadBlock.h"

#include <algorithm>

#include <cerrno>
#include <cstdlib>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "text/MappedBytesGuard.h"

namespace quill {

namespace {

// The small reads of a followed file come from the heap: one mapping each would soon exhaust the
// number of mappings a process may have.
constexpr std::size_t kSmallBlock = 256 * 1024;

std::size_t PageSize()
{
    static const auto size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    return size;
}

}  // namespace

LoadBlock::LoadBlock(std::size_t size) : size_(size)
{
    if (size < kSmallBlock) {
        data_ = static_cast<char*>(std::malloc(size ? size : 1));
        if (!data_)
            throw std::bad_alloc();
        return;
    }
    // Mapped directly: pages the read never reaches cost no memory, and freeing returns them at once.
    void* mapping = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        throw std::bad_alloc();
    data_ = base_ = static_cast<char*>(mapping);
    length_ = size;
}

std::unique_ptr<LoadBlock> LoadBlock::MapFile(int fd, std::int64_t offset, std::size_t size)
{
    struct stat st {};
    if (size == 0 || offset < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return nullptr;
    const auto page = static_cast<std::int64_t>(PageSize());
    const std::int64_t start = offset / page * page;
    const auto length = static_cast<std::size_t>(offset - start) + size;
    void* mapping = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, start);
    if (mapping == MAP_FAILED)
        return nullptr;
    if (!MappedBytesGuard::Guard(mapping, length)) {
        ::munmap(mapping, length);
        return nullptr;
    }
    std::unique_ptr<LoadBlock> block(new LoadBlock());
    block->base_ = static_cast<char*>(mapping);
    block->length_ = length;
    block->data_ = block->base_ + (offset - start);
    block->size_ = size;
    block->mapped_ = block->guarded_ = true;
    block->device_ = st.st_dev;
    block->inode_ = st.st_ino;
    return block;
}

LoadBlock::~LoadBlock()
{
    if (!base_) {
        std::free(data_);
        return;
    }
    if (guarded_)
        MappedBytesGuard::Release(base_);
    ::munmap(base_, length_);
}

void LoadBlock::Populate(std::size_t from, std::size_t to)
{
    if (mapped_ || !base_)
        return;
    from = from / PageSize() * PageSize();
    to = std::min(to, length_);
    if (from >= to)
        return;
#ifdef MADV_POPULATE_WRITE
    if (::madvise(base_ + from, to - from, MADV_POPULATE_WRITE) == 0)
        return;
#endif
    for (std::size_t at = from; at < to; at += PageSize())
        base_[at] = 0;
}

void LoadBlock::Prefetch() const
{
    if (!mapped_)
        return;
#ifdef MADV_POPULATE_READ
    if (::madvise(base_, length_, MADV_POPULATE_READ) == 0)
        return;
#endif
    ::madvise(base_, length_, MADV_WILLNEED);  // older kernels: at least into the cache
}

void LoadBlock::ForgetTouchedPages()
{
    if (mapped_)
        ::madvise(base_, length_, MADV_DONTNEED);
}

void LoadBlock::CopyOutOfFile()
{
    if (!mapped_)
        return;
    // A write of each page's own first byte makes the kernel copy the page; its bytes are the same.
    const std::size_t page = PageSize();
    for (std::size_t at = 0; at < length_; at += page) {
        volatile char* byte = base_ + at;
        *byte = *byte;
    }
    mapped_ = false;
}

}  // namespace quill
