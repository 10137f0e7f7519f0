// A large block of memory that a load reads the file into and lines borrow from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <sys/types.h>

namespace quill {

/// Memory for one block of a load, which lines borrow from: anonymous memory the file is read
/// into (from the heap when small), or a private mapping of the file itself. A mapped block costs
/// no memory of the program's own: the kernel keeps the file's pages in its cache and may drop
/// them and read them again. It is writable: a change of bytes in place (a conversion of the whole
/// text) gives the page a private copy, and the file is never written.
class LoadBlock {
public:
    /// Throws std::bad_alloc when the memory cannot be had.
    explicit LoadBlock(std::size_t size);
    /// A mapping of `size` bytes of an open file from `offset`, guarded against the file being
    /// shortened; none when the file cannot be mapped (it is read instead).
    static std::unique_ptr<LoadBlock> MapFile(int fd, std::int64_t offset, std::size_t size);
    ~LoadBlock();
    LoadBlock(const LoadBlock&) = delete;
    LoadBlock& operator=(const LoadBlock&) = delete;

    char* Data() const { return data_; }
    std::size_t Size() const { return size_; }
    bool MapsFile() const { return mapped_; }
    /// Whether the block maps the file with this identity.
    bool MapsFile(dev_t device, ino_t inode) const { return mapped_ && device_ == device && inode_ == inode; }

    /// Gives the bytes [from, to) of a block of the program's own memory their pages now (the
    /// kernel clears each), so that whoever fills them later does not wait for them.
    void Populate(std::size_t from, std::size_t to);
    /// Reads the whole mapping into memory ahead of its use (on a helper thread while the block
    /// before it is cut into lines).
    void Prefetch() const;
    /// Lets go of the pages this process has touched (a mapped block no change has written to):
    /// they stay in the file's cache and come back on the next touch, so a load leaves no more
    /// resident than the screen needs.
    void ForgetTouchedPages();
    /// Gives every page of a mapped block a private copy, so that the bytes stay as they are when
    /// the file is written (the caller makes sure the memory is there). The block then no longer
    /// maps the file.
    void CopyOutOfFile();
    /// The bytes a copy out of the file takes.
    std::size_t MappedLength() const { return mapped_ ? length_ : 0; }

private:
    LoadBlock() = default;

    char* data_ = nullptr;
    std::size_t size_ = 0;
    char* base_ = nullptr;    ///< the mapping's start, on a page edge before data_
    std::size_t length_ = 0;  ///< the mapping's length
    bool mapped_ = false;     ///< the pages are the file's (no copy out of it yet)
    bool guarded_ = false;    ///< known to the guard against faults
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

}  // namespace quill
