// Load blocks.
#include "document/LoadBlock.h"

#include <new>
#include <sys/mman.h>

namespace quill {

LoadBlock::LoadBlock(std::size_t size) : size_(size)
{
    // Mapped directly: pages the read never reaches cost no memory, and freeing returns them at once.
    void* mapping = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        throw std::bad_alloc();
    data_ = static_cast<char*>(mapping);
}

LoadBlock::~LoadBlock() { ::munmap(data_, size_); }

}  // namespace quill
