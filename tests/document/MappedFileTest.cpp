// A text that borrows its bytes from the file's own pages: another program shortening or
// rewriting the file is told and never crashes the program or gets saved unasked; appending and
// replacing by rename change nothing; a save in place copies the bytes out first.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/MemoryReserve.h"
#include "support/DocumentFixture.h"
#include "text/TextFileWriter.h"

namespace quill::test {
namespace {

class MappedFileTest : public DocumentFixture {
protected:
    // About a megabyte of numbered lines: more than a load copies instead of mapping.
    static std::string Numbered(const std::string& word, std::size_t size = 1 << 20)
    {
        std::string text;
        for (int i = 0; text.size() < size; ++i)
            text += word + " line " + std::to_string(i) + " of a log that is long enough to map\n";
        return text;
    }
    std::size_t MappedBytes(const std::string& path) const
    {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return doc->Text().BytesMappedFrom(st.st_dev, st.st_ino);
    }
    // Writes into the file itself, as `cp other file` or a `>` redirection does.
    static void RewriteInPlace(const std::string& path, const std::string& bytes)
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        ::close(fd);
    }
    void EditFirstLine(const std::string& line)
    {
        doc->Text().ReplaceLine(0, LineRecord(line));
        doc->MarkModified();
    }
    int ToldChanged() const
    {
        int told = 0;
        for (const std::string& text : prompter.Texts())
            told += text.find("was changed in place by another program") != std::string::npos;
        return told;
    }
};

TEST_F(MappedFileTest, AFileShortenedUnderTheTextIsToldOnceAndNotSavedOverUnasked)
{
    const std::string original = Numbered("first");
    const std::string path = dir.Write("app.log", original);
    ASSERT_TRUE(doc->Open(path));
    ASSERT_GT(MappedBytes(path), 0u);
    EditFirstLine("edited\n");
    ASSERT_EQ(::truncate(path.c_str(), 1000), 0);

    // Every line is read, those beyond the new end too: no crash, and what is gone reads as zeros.
    std::string all = AllBytes();
    EXPECT_EQ(all.size(), original.size() - original.find('\n') - 1 + 7);
    EXPECT_EQ(all.substr(7, 900), original.substr(original.find('\n') + 1, 900));
    EXPECT_EQ(all.back(), '\0');

    doc->Follow().Tick();
    doc->Follow().Tick();
    EXPECT_EQ(ToldChanged(), 1);
    prompter.Expect("", Answer::No);
    EXPECT_FALSE(doc->Save(path));
    EXPECT_NE(prompter.Texts().back().find("Save it anyway?"), std::string::npos);
    EXPECT_EQ(ReadFile(path), original.substr(0, 1000));
}

TEST_F(MappedFileTest, AFileRewrittenInPlaceIsToldAndAFollowedOneIsReadAgain)
{
    const std::string path = dir.Write("app.log", Numbered("first"));
    ASSERT_TRUE(doc->Open(path));
    EditFirstLine("edited\n");
    RewriteInPlace(path, Numbered("other"));
    doc->Follow().CheckChangedOnDisk();
    EXPECT_EQ(ToldChanged(), 1);

    // Followed: a longer file written in its place looks like one that grew, but the kept
    // stretches of what was read say otherwise, and the whole file is read again.
    const std::string second = dir.Write("second.log", Numbered("second"));
    ASSERT_TRUE(doc->Open(second));
    doc->Follow().SetMode(AutoReload::Changes);
    const std::string longer = Numbered("third") + "and a last line\n";
    RewriteInPlace(second, longer);
    EXPECT_EQ(doc->CheckFollowedFile(), Document::FollowStep::Reloaded);
    EXPECT_EQ(AllBytes(), longer);
    EXPECT_EQ(ToldChanged(), 1);
}

TEST_F(MappedFileTest, AppendingAndReplacingByRenameKeepTheTextAsRead)
{
    const std::string original = Numbered("first");
    const std::string path = dir.Write("app.log", original);
    ASSERT_TRUE(doc->Open(path));
    doc->Follow().SetMode(AutoReload::Changes);
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "appended\n", 9), 9);
        ::close(fd);
    }
    EXPECT_EQ(doc->CheckFollowedFile(), Document::FollowStep::Appended);
    EXPECT_EQ(AllBytes(), original + "appended\n");
    doc->Follow().SetMode(AutoReload::Off);

    // An editor or a log rotation puts a new file in its place: the text still reads the old one.
    EditFirstLine("edited\n");
    const std::string replacement = dir.Write("new.log", Numbered("replacement"));
    ASSERT_EQ(::rename(replacement.c_str(), path.c_str()), 0);
    doc->Follow().Tick();
    doc->Follow().CheckChangedOnDisk();
    EXPECT_EQ(ToldChanged(), 0);
    const std::string expected = "edited\n" + original.substr(original.find('\n') + 1) + "appended\n";
    EXPECT_EQ(AllBytes(), expected);
    prompter.Expect("", Answer::Ok);  // yes, overwrite the file that changed on disk
    ASSERT_TRUE(doc->Save(path));
    EXPECT_EQ(ReadFile(path), expected);
}

TEST_F(MappedFileTest, ASaveInPlaceCopiesTheBytesOutOfTheFileFirstOrRefusesWithoutMemory)
{
    // Larger than the buffer a save writes through, so that bytes are written before all are read.
    const std::string original = Numbered("first", 3 << 20);
    const std::string path = dir.Write("linked.log", original);
    const std::string other = dir.File("other-link.log");
    ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
    ASSERT_TRUE(doc->Open(path));
    ASSERT_GT(MappedBytes(path), 0u);
    // A line near the start grows: everything behind it moves, over bytes the text borrows.
    const LineIndex middle = doc->Text().LineCount() / 10;
    const std::string longer = "a much longer line put in the middle of the file, moving the rest\n";
    const std::string expected = [&] {
        std::string bytes;
        for (LineIndex i = 0; i < doc->Text().LineCount(); ++i)
            bytes += i == middle ? longer : std::string(doc->Text().Line(i).Text());
        return bytes;
    }();
    doc->Text().ReplaceLine(middle, LineRecord(longer));
    doc->MarkModified();

    // Without the memory for the copy nothing is written, and the user is told why: here a
    // machine of 1 GB with little more than its reserve of 64 MB free.
    SetMemoryStatusSource([] { return std::optional<MemoryStatus>(MemoryStatus{(64 << 20) + 4096, 1 << 30}); });
    const bool saved = doc->Save(path);
    SetMemoryStatusSource({});
    ASSERT_FALSE(saved);
    EXPECT_NE(prompter.Texts().back().find("Save it under another name"), std::string::npos);
    EXPECT_TRUE(ReadFile(other) == original);

    ASSERT_TRUE(doc->Save(path));
    // Written in place, which the other link sees, and the text still says what it said (compared
    // whole: a difference of megabytes is no use to print).
    EXPECT_TRUE(ReadFile(other) == expected);
    EXPECT_TRUE(AllBytes() == expected);
    EXPECT_EQ(MappedBytes(path), 0u);
    doc->Follow().Tick();
    EXPECT_EQ(ToldChanged(), 0);  // the program's own save is no change by another
}

TEST_F(MappedFileTest, AWriteIntoTheFileThatKeepsItsSizeIsARewrite)
{
    // A few bytes written in the middle, the size unchanged: no stretch kept need cover them.
    const std::string original = Numbered("first", 3 << 20);
    const std::string path = dir.Write("app.log", original);
    ASSERT_TRUE(doc->Open(path));
    EditFirstLine("edited\n");
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const std::string junk(64, 'X');
    ASSERT_EQ(::pwrite(fd, junk.data(), junk.size(), static_cast<off_t>(original.size() / 2 + 123)), 64);
    ::close(fd);
    doc->Follow().CheckChangedOnDisk();
    EXPECT_EQ(ToldChanged(), 1);
    prompter.Expect("", Answer::No);
    EXPECT_FALSE(doc->Save(path));
    EXPECT_NE(prompter.Texts().back().find("Save it anyway?"), std::string::npos);
}

TEST_F(MappedFileTest, AFileCutWhileASaveReadsItIsNotSavedAndTheTextStaysUntrusted)
{
    const std::string original = Numbered("first", 3 << 20);
    const std::string path = dir.Write("app.log", original);
    ASSERT_TRUE(OpenBytes(original, "app.log"));
    ASSERT_GT(MappedBytes(path), 0u);
    EditFirstLine("edited\n");
    // Another program cuts the file once the save has begun to read it.
    progress.onBegin = [&] { ASSERT_EQ(::truncate(path.c_str(), 1000), 0); };
    const std::string copy = dir.File("copy.log");
    EXPECT_FALSE(doc->Save(copy));
    progress.onBegin = nullptr;
    EXPECT_NE(prompter.Texts().back().find(path + "\nwas shortened by another program"), std::string::npos)
        << prompter.Texts().back();
    EXPECT_FALSE(PathExists(copy));
    EXPECT_EQ(ListFiles(dir.Path()), std::vector<std::string>{"app.log"});  // no temporary left
    // The text holds zeros now: every later save asks, naming the file that changed.
    prompter.Expect("", Answer::No);
    EXPECT_FALSE(doc->Save(copy));
    EXPECT_NE(prompter.Texts().back().find(path + "\nwas changed in place"), std::string::npos);
    EXPECT_FALSE(PathExists(copy));
}

TEST_F(MappedFileTest, NoWayOfWritingSavesBytesFromPagesThatWereCutOff)
{
    // The file is cut under the text where nothing looks at it before the write: the write itself
    // must notice the pages that read as zeros, whether it replaces the target, writes it in place
    // behind a copy, or compresses it.
    const std::string original = Numbered("first", 3 << 20);
    for (const bool compressed : {false, true}) {
        for (const bool inPlace : {false, true}) {
            SCOPED_TRACE(std::string(compressed ? "compressed" : "plain") + (inPlace ? " in place" : " by rename"));
            const std::string path = dir.Write("app.log", original);
            ASSERT_TRUE(doc->Open(path));
            ASSERT_EQ(::truncate(path.c_str(), 5000), 0);
            const std::string target = dir.Write("target.log", "the old text\n");
            const std::string link = dir.File("link.log");
            if (inPlace) {
                ASSERT_EQ(::link(target.c_str(), link.c_str()), 0);
            }
            WriteOptions options;
            if (compressed)
                options.compression = {CompressionFormat::Gzip, 6, 0};
            EXPECT_EQ(WriteTextFile(target, doc->Text(), progress, options), kSourceShortened);
            EXPECT_EQ(ReadFile(target), "the old text\n");
            EXPECT_EQ(ReadFile(path), original.substr(0, 5000));
            ::unlink(link.c_str());
            EXPECT_EQ(ListFiles(dir.Path()), (std::vector<std::string>{"app.log", "target.log"}));
        }
    }
}

TEST_F(MappedFileTest, AFileOfEmptyLinesStopsWhileTheLineTableStillFits)
{
    // A mapped file costs no memory, but each of its lines 12 bytes: 34 MB of line ends would take
    // 400 MB, on a machine of 1 GB with 150 MB free above its reserve.
    const std::string path = dir.Write("lines.txt", std::string(34 << 20, '\n'));
    SetMemoryStatusSource([] { return std::optional<MemoryStatus>(MemoryStatus{(64 + 150) << 20, 1 << 30}); });
    const bool opened = doc->Open(path);
    SetMemoryStatusSource({});
    ASSERT_TRUE(opened);
    ASSERT_FALSE(prompter.Texts().empty());
    EXPECT_EQ(prompter.Texts().back(), "Out of memory!");
    EXPECT_TRUE(doc->File().LoadAborted());
    EXPECT_LT(doc->Text().LineCount(), 34 << 20);
}

}  // namespace
}  // namespace quill::test
