// Compressed logs opened like any file: the text is what the tool gives, cut into lines as the
// plain file is, saved back in its format (or plain, or another format, by the name of Save As),
// and damaged data is shown up to the damage, told, and not saved over unasked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "common/MemoryReserve.h"
#include "support/DocumentFixture.h"
#include "text/Decompressor.h"
#include "text/FileHandle.h"

namespace quill::test {
namespace {

class CompressedFileTest : public DocumentFixture {
protected:
    std::string Packed(const std::string& name, const std::string& text, const std::string& tool)
    {
        const std::string plain = dir.Write(name + ".plain", text);
        const std::string path = dir.File(name);
        EXPECT_EQ(std::system((tool + " -c " + plain + " > " + path).c_str()), 0);
        return path;
    }
    std::string Unpacked(const std::string& path, const std::string& tool)
    {
        const std::string out = dir.File("unpacked");
        EXPECT_EQ(std::system((tool + " -dc < " + path + " > " + out).c_str()), 0);
        return ReadFile(out);
    }
    static CompressionFormat FormatOf(const std::string& path)
    {
        return CompressionOfFile(FileHandle(::open(path.c_str(), O_RDONLY)).Get()).format;
    }
    std::vector<std::string> Told() const { return prompter.Texts(); }
};

// Lines of every length up to beyond the cut length, across the 16 MB blocks of a load.
std::string LongText()
{
    std::string text;
    for (int i = 0; text.size() < (20u << 20); ++i) {
        text += "2026-12-09 line " + std::to_string(i) + std::string(static_cast<std::size_t>(i * 7919 % 300), 'x');
        text += i % 5 == 0 ? "\r\n" : i % 7 == 0 ? "\f" : "\n";
        if (i % 2003 == 0)
            text += std::string(120000, 'y');  // cut at the line length
    }
    return text;
}

// zstd decodes into the blocks themselves, and across their edges looks back into the block before.
TEST_F(CompressedFileTest, AGzipOrZstdLogIsCutIntoTheLinesOfThePlainFile)
{
    const std::string text = LongText();
    ASSERT_TRUE(doc->Open(dir.Write("app.log", text)));
    const std::vector<std::string> plainLines = Lines();
    for (const char* tool : {"gzip -1", "zstd -q"}) {
        ASSERT_TRUE(doc->Open(Packed("app.log.packed", text, tool)));
        EXPECT_TRUE(Lines() == plainLines) << tool << ": " << Lines().size() << " lines against " << plainLines.size();
        const std::string name(tool, std::string(tool).find(' '));
        EXPECT_EQ(CompressionName(doc->File().Compression().format), name);
        EXPECT_NE(view.panes[StatusPane::Message].find(name), std::string::npos);
        EXPECT_FALSE(doc->File().LoadAborted());
    }
}

TEST_F(CompressedFileTest, EditedTextIsSavedInItsFormatOrPlainOrAnotherByTheName)
{
    const std::string text = "first line\nsecond line\n";
    for (const char* tool : {"gzip -9", "xz", "zstd -q", "bzip2"}) {
        const std::string name = std::string("app.log.") + tool[0];  // the name says nothing of it
        const std::string path = Packed(name, text, tool);
        ASSERT_TRUE(doc->Open(path)) << tool;
        const CompressionFormat format = doc->File().Compression().format;
        EXPECT_NE(format, CompressionFormat::None) << tool;
        doc->Text().ReplaceLine(0, LineRecord("edited line\n"));
        doc->MarkModified();
        ASSERT_TRUE(doc->Save(path));
        EXPECT_EQ(FormatOf(path), format) << tool;
        const std::string toolName = std::string(tool).substr(0, std::string(tool).find(' '));
        EXPECT_EQ(Unpacked(path, toolName), "edited line\nsecond line\n") << tool;
    }
    EXPECT_EQ(doc->File().Compression().level, 9) << "bzip2's block size, as read";

    ASSERT_TRUE(doc->Save(dir.File("plain.log")));
    EXPECT_EQ(ReadFile(dir.File("plain.log")), "edited line\nsecond line\n");
    EXPECT_EQ(doc->File().Compression().format, CompressionFormat::None);
    ASSERT_TRUE(doc->Save(dir.File("again.log.zst")));
    EXPECT_EQ(FormatOf(dir.File("again.log.zst")), CompressionFormat::Zstd);
    EXPECT_EQ(Unpacked(dir.File("again.log.zst"), "zstd -q"), "edited line\nsecond line\n");
}

TEST_F(CompressedFileTest, AHardLinkedLogIsRewrittenInPlaceCompressedAndNoLonger)
{
    std::string text;
    for (int i = 0; i < 50000; ++i)
        text += "request " + std::to_string(i) + " handled\n";
    const std::string path = Packed("app.log.xz", text, "xz -9");
    ASSERT_EQ(::link(path.c_str(), dir.File("other-name.xz").c_str()), 0);
    ASSERT_TRUE(doc->Open(path));
    doc->Text().ReplaceLine(0, LineRecord("x\n"));  // much shorter: the file must be cut at the new end
    doc->MarkModified();
    progress.ranges.clear();
    progress.positions.clear();
    ASSERT_TRUE(doc->Save(path));
    // One bar for the whole save, its copy and its write in place, never going back.
    ASSERT_EQ(progress.ranges.size(), 1u);
    EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
    ASSERT_FALSE(progress.positions.empty());
    EXPECT_GE(progress.positions.back() * 10, progress.ranges[0] * 9);
    const std::string edited = "x\n" + text.substr(text.find('\n') + 1);
    EXPECT_TRUE(Unpacked(dir.File("other-name.xz"), "xz") == edited);
    EXPECT_EQ(FormatOf(dir.File("other-name.xz")), CompressionFormat::Xz);
}

TEST_F(CompressedFileTest, DamagedDataIsShownUpToTheDamageToldAndNotSavedOverUnasked)
{
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += "line " + std::to_string(i * 7919 % 100003) + "\n";
    const std::string whole = ReadFile(Packed("whole.xz", text, "xz"));
    const std::string path = dir.Write("app.log.xz", whole.substr(0, whole.size() / 2));
    ASSERT_TRUE(doc->Open(path));
    ASSERT_FALSE(Told().empty());
    EXPECT_NE(Told().back().find("The compressed data ends early at byte " + std::to_string(whole.size() / 2)),
              std::string::npos)
        << Told().back();
    const std::string shown = AllBytes();
    EXPECT_GT(shown.size(), 0u);
    EXPECT_EQ(text.compare(0, shown.size(), shown), 0);

    prompter.Expect("", Answer::No);
    EXPECT_FALSE(doc->Save(path));
    EXPECT_NE(Told().back().find("Save it anyway?"), std::string::npos);
    EXPECT_TRUE(ReadFile(path) == whole.substr(0, whole.size() / 2));
    // The same file by another name, a symbolic link or a second hard link: the same question.
    ASSERT_EQ(::symlink(path.c_str(), dir.File("link.xz").c_str()), 0);
    ASSERT_EQ(::link(path.c_str(), dir.File("second.xz").c_str()), 0);
    for (const char* name : {"link.xz", "second.xz"}) {
        prompter.Expect("", Answer::No);
        EXPECT_FALSE(doc->Save(dir.File(name)));
        EXPECT_NE(Told().back().find("Save it anyway?"), std::string::npos) << name;
        EXPECT_EQ(prompter.History().back().preferred, Answer::No);
    }
    EXPECT_TRUE(ReadFile(path) == whole.substr(0, whole.size() / 2));
    ASSERT_TRUE(doc->Save(dir.File("rescued.log")));  // elsewhere: nothing is lost, nothing asked
    EXPECT_TRUE(ReadFile(dir.File("rescued.log")) == shown);
}

TEST_F(CompressedFileTest, AMultiMemberGzipAsLogrotateMakesItIsReadWhole)
{
    const std::string a = Packed("a.gz", "from the first member\n", "gzip");
    const std::string b = Packed("b.gz", "from the second member\n", "gzip");
    ASSERT_EQ(std::system(("cat " + a + " " + b + " > " + dir.File("both.gz")).c_str()), 0);
    ASSERT_TRUE(doc->Open(dir.File("both.gz")));
    EXPECT_EQ(AllBytes(), "from the first member\nfrom the second member\n");
    EXPECT_TRUE(Told().empty());
}

TEST_F(CompressedFileTest, TextLargerThanTheMemoryLeftIsToldBeforeReading)
{
    std::string text;
    for (int i = 0; text.size() < (2u << 20); ++i)
        text += "line " + std::to_string(i) + " of a log\n";
    for (const char* tool : {"gzip", "zstd -q"}) {
        const std::string path = Packed("big.log.z", text, tool);
        // A megabyte above the reserve: the two of text do not fit.
        SetMemoryStatusSource([] { return std::optional<MemoryStatus>(MemoryStatus{(65 << 20), 1 << 30}); });
        prompter.Expect("", Answer::No);
        doc->Open(path);
        EXPECT_NE(Told().back().find("holds 2 MB of text, more than the memory left (65 MB)"), std::string::npos)
            << Told().back();
        EXPECT_TRUE(doc->File().LoadAborted());
        EXPECT_LT(doc->Text().FileSize(), 100);
        // Read what fits: here not one block, and the load stops as out of memory, told.
        prompter.Expect("", Answer::Yes);
        doc->Open(path);
        EXPECT_EQ(Told().back(), "Out of memory!");
        EXPECT_TRUE(doc->File().LoadAborted());
        SetMemoryStatusSource({});
        doc->Open(path);
        EXPECT_TRUE(AllBytes() == text) << tool;
    }
    // bzip2 and xz do not say: the load reads until the memory runs short, as a pipe's does.
    const std::string path = Packed("big.log.bz2", text, "bzip2");
    EXPECT_FALSE(
        Decompressor::LeastTextSize(FileHandle(::open(path.c_str(), O_RDONLY)).Get(), CompressionFormat::Bzip2));
}

}  // namespace
}  // namespace quill::test
