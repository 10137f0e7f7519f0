// A large block of memory that a load reads the file into and lines borrow from.
#pragma once

#include <cstddef>

namespace quill {

/// Memory for one block of a load (mapped, or from the heap when small); lines borrow from it.
class LoadBlock {
public:
    /// Throws std::bad_alloc when the memory cannot be had.
    explicit LoadBlock(std::size_t size);
    ~LoadBlock();
    LoadBlock(const LoadBlock&) = delete;
    LoadBlock& operator=(const LoadBlock&) = delete;

    char* Data() const { return data_; }
    std::size_t Size() const { return size_; }

private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace quill
