// A fault on the pages of a shortened file becomes zeros and a count; any other SIGBUS still ends
// the program as it would without the guard.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TempDir.h"
#include "text/LoadBlock.h"
#include "text/MappedBytesGuard.h"

namespace quill::test {
namespace {

TEST(MappedBytesGuardTest, PagesBeyondAShortenedFileReadAsZerosAndAreCounted)
{
    TempDir dir;
    const std::string path = dir.Write("mapped.bin", std::string(1 << 20, 'x'));
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    // From an offset that is no page edge, as load blocks begin.
    auto block = LoadBlock::MapFile(fd, 50000, (1 << 20) - 50000);
    ::close(fd);
    ASSERT_TRUE(block);
    EXPECT_TRUE(block->MapsFile());
    EXPECT_EQ(block->Data()[0], 'x');
    ASSERT_EQ(::truncate(path.c_str(), 300000), 0);

    const std::uint64_t before = MappedBytesGuard::Faults();
    std::size_t xs = 0;
    std::size_t zeros = 0;
    for (std::size_t i = 0; i < block->Size(); ++i) {
        xs += block->Data()[i] == 'x';
        zeros += block->Data()[i] == '\0';
    }
    EXPECT_EQ(MappedBytesGuard::Faults(), before + 1);
    // The bytes up to the page that holds the new end are the file's; the rest are zeros.
    EXPECT_GE(xs, 300000u - 50000u);
    EXPECT_LT(xs, 300000u - 50000u + 4096u);
    EXPECT_EQ(xs + zeros, block->Size());
    block->Data()[block->Size() - 1] = 'y';  // writable like the rest of the block
    EXPECT_EQ(block->Data()[block->Size() - 1], 'y');
}

TEST(MappedBytesGuardDeathTest, AFaultOutsideTheGuardedMappingsStillEndsTheProgram)
{
    TempDir dir;
    const std::string path = dir.Write("other.bin", std::string(8192, 'x'));
    EXPECT_EXIT(
        {
            const int fd = ::open(path.c_str(), O_RDONLY);
            auto guarded = LoadBlock::MapFile(fd, 0, 8192);  // the guard is in place
            auto* unguarded = static_cast<volatile char*>(::mmap(nullptr, 8192, PROT_READ, MAP_PRIVATE, fd, 0));
            if (::ftruncate(::open(path.c_str(), O_WRONLY), 0) != 0)
                std::_Exit(3);
            std::_Exit(unguarded[0] == 'x' ? 4 : 5);
        },
        // Killed by the signal, or ended by a sanitizer's report of it; never read through.
        [](int status) {
            const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return WIFSIGNALED(status) || code == 1 || code > 5;
        },
        "");
}

}  // namespace
}  // namespace quill::test
