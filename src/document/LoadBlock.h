// A large block of memory that a load reads the file into and lines borrow from.
#pragma once

#include <cstddef>

namespace quill {

/// Anonymous memory in 2 MiB aligned pieces that the kernel may back with huge pages, so filling
/// hundreds of megabytes costs a few hundred page faults instead of tens of thousands.
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
    void* mapping_ = nullptr;
    std::size_t mappingSize_ = 0;
};

}  // namespace quill
