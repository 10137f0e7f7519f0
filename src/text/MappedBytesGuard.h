// Turns a fault on the bytes of a mapped file (the file was shortened, or the disk failed under
// it) into zero bytes and a count, instead of the end of the program.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quill {

/// Lines borrow their bytes from mappings of the file they were read from. When another program
/// shortens that file, touching a page beyond its new end raises SIGBUS, wherever it happens (a
/// paint, a search thread, a save). The guard knows every mapping of the program's files: a fault
/// on one of them puts zero bytes in place of the rest of that mapping, counts the fault and lets
/// the program go on; the count tells the document that its text can no longer be trusted. A
/// fault anywhere else is left to what would have handled it without the guard.
class MappedBytesGuard {
public:
    /// Guards [begin, begin + size), a mapping of a file; false when the guard's table is full
    /// (the caller then reads the bytes instead of mapping them).
    static bool Guard(const void* begin, std::size_t size);
    /// Ends the guard of a mapping given to Guard, before it is unmapped.
    static void Release(const void* begin);
    /// The faults on guarded mappings since the program started.
    static std::uint64_t Faults();
};

}  // namespace quill
