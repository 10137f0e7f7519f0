// Huge-page friendly load blocks.
#include "document/LoadBlock.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>

namespace quill {

namespace {
constexpr std::size_t kHugePage = 2u << 20;
}

LoadBlock::LoadBlock(std::size_t size) : size_(size)
{
    // Map a huge page more than asked, so an aligned start can be chosen inside.
    mappingSize_ = (size + kHugePage - 1) / kHugePage * kHugePage + kHugePage;
    mapping_ = ::mmap(nullptr, mappingSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping_ == MAP_FAILED) {
        mapping_ = nullptr;
        throw std::bad_alloc();
    }
    auto start = reinterpret_cast<std::uintptr_t>(mapping_);
    auto aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    data_ = reinterpret_cast<char*>(aligned);
}

LoadBlock::~LoadBlock()
{
    if (mapping_)
        ::munmap(mapping_, mappingSize_);
}

}  // namespace quill
