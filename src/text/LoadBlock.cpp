// Load blocks.
#include "text/LoadBlock.h"

#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace quill {

namespace {

// The small reads of a followed file come from the heap: one mapping each would soon exhaust the
// number of mappings a process may have.
constexpr std::size_t kSmallBlock = 256 * 1024;

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
    data_ = static_cast<char*>(mapping);
}

LoadBlock::~LoadBlock()
{
    if (size_ < kSmallBlock)
        std::free(data_);
    else
        ::munmap(data_, size_);
}

}  // namespace quill
