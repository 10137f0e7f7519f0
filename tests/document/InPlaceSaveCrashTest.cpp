// A save killed at any moment: the file on disk is the old one, the new one, or the complete copy
// the next open names; temporaries of killed saves do not stay for ever.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <random>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/DocumentFixture.h"
#include "support/TestScale.h"
#include "text/SaveRecovery.h"

namespace quill::test {
namespace {

class InPlaceSaveCrashTest : public DocumentFixture {
protected:
    static std::string Lines(char letter, int count)
    {
        std::string bytes;
        for (int i = 0; i < count; ++i)
            bytes += std::string(60, letter) + " " + std::to_string(i) + "\n";
        return bytes;
    }
    /// Saves `from` over `to` in a child process killed `delay` microseconds into the save.
    void SaveKilledAfter(const std::string& from, const std::string& to, useconds_t delay)
    {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(ready[0]);
            const bool opened = doc->Open(from);
            [[maybe_unused]] const auto sent = ::write(ready[1], "s", 1);
            std::_Exit(opened && doc->Save(to) ? 0 : 1);
        }
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        ::usleep(delay);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
    }
};

TEST_F(InPlaceSaveCrashTest, AKillAtAnyMomentLeavesTheOldFileTheNewOneOrTheNamedCopy)
{
    const std::string oldText = Lines('o', 120000), newText = Lines('n', 110000);
    const std::string target = dir.File("linked.txt");
    const std::string source = dir.Write("new.txt", newText);
    int copies = 0;
    for (useconds_t delay = 0; delay <= 16000; delay += 400u * static_cast<useconds_t>(kSanitizerShare)) {
        SCOPED_TRACE(delay);
        dir.Write("linked.txt", oldText);
        ::unlink(dir.File("other-link.txt").c_str());
        ASSERT_EQ(::link(target.c_str(), dir.File("other-link.txt").c_str()), 0);  // written in place
        SaveKilledAfter(source, target, delay);
        const std::string now = ReadFile(target);
        const auto copy = SaveRecovery::PendingCopyFor(target);
        if (now != oldText && now != newText) {
            ASSERT_TRUE(copy) << "neither old nor new, and no copy";
            EXPECT_EQ(ReadFile(*copy), newText);
        }
        if (copy) {
            ++copies;
            EXPECT_EQ(ReadFile(*copy), newText);
            // The next open says where the copy is; the next finished save removes it.
            ASSERT_TRUE(doc->Open(target));
            EXPECT_NE(prompter.Texts().back().find(*copy), std::string::npos);
            ASSERT_TRUE(doc->Save(target));
            EXPECT_FALSE(SaveRecovery::PendingCopyFor(target));
        }
    }
    RecordProperty("saves killed with a copy left", copies);
}

TEST_F(InPlaceSaveCrashTest, TemporariesOfKilledSavesGoAtTheNextSave)
{
    ASSERT_TRUE(OpenBytes("text\n", "a.txt"));
    const std::string stale = dir.Write(".a.txt.quill-Ab12Cd", std::string(1000, 'x'));
    const std::string busy = dir.Write(".a.txt.quill-Zz98Yy", "being written");
    const std::string other = dir.Write(".b.txt.quill-Ab12Cd", "another file's");
    const int held = ::open(busy.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);  // another save is writing it now
    doc->MarkModified();
    ASSERT_TRUE(doc->Save(doc->File().Path()));
    EXPECT_FALSE(FileExists(stale));
    EXPECT_TRUE(FileExists(busy));
    EXPECT_TRUE(FileExists(other));
    ::close(held);
}

// In a child process with a mount namespace of its own: a file system of `bytes` mounted on folder,
// so that a disk can be full for real. Exit code 77 when the system does not allow it.
void RunOnSmallDisk(const std::string& folder, const char* size, const std::function<bool()>& work)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const std::string options = std::string("size=") + size;
        if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0)
            std::_Exit(77);
        std::_Exit(work() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no mount namespace here (not root?)";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

TEST_F(InPlaceSaveCrashTest, ACompressedFileWrittenInPlaceOnAFullDiskStaysWhole)
{
    // Other hard links make the save write in place; the new text compresses to more than the
    // disk has left. The file must stay as it was, not be cut where the disk filled.
    const std::string folder = dir.File("small");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    RunOnSmallDisk(folder, "256k", [&] {
        const std::string target = folder + "/app.log.gz";
        const std::string plain = dir.Write("plain.log", Lines('o', 1000));
        if (std::system(("gzip -c " + plain + " > " + target).c_str()) != 0 ||
            ::link(target.c_str(), (folder + "/other-link.gz").c_str()) != 0)
            return false;
        const std::string before = ReadFile(target);
        if (!doc->Open(target))
            return false;
        std::mt19937 random(5);
        std::string noise;  // does not compress: 600 KB
        for (int i = 0; i < 600000; ++i)
            noise += static_cast<char>(0x80 + random() % 0x80);
        doc->Text().ReplaceLine(0, LineRecord(noise + "\n"));
        doc->MarkModified();
        const bool saved = doc->Save(target);
        const bool whole = ReadFile(target) == before && ReadFile(folder + "/other-link.gz") == before;
        const std::string message = prompter.Texts().empty() ? "" : prompter.Texts().back();
        const bool told = message.find("No space left on device") != std::string::npos;
        return !saved && whole && told && !SaveRecovery::PendingCopyFor(target);
    });
}

}  // namespace
}  // namespace quill::test
