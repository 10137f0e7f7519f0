// Following a file on disk: growth read on where the text ends, every other change read whole.
#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>

#include "support/DocumentFixture.h"
#include "support/TestScale.h"

namespace quill::test {
namespace {

using LineList = std::vector<std::string>;
using Step = Document::FollowStep;

class FollowTest : public DocumentFixture {
protected:
    std::string Path() const { return dir.File("app.log"); }
    void Follow(const std::string& bytes)
    {
        ASSERT_TRUE(OpenBytes(bytes, "app.log"));
        doc->Follow().SetMode(AutoReload::ChangesAndEnd);
    }
    void Append(const std::string& bytes)
    {
        std::FILE* file = std::fopen(Path().c_str(), "ab");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    // Rewrites the file in place (same inode), with a modification time of its own.
    void Rewrite(const std::string& bytes, long seconds)
    {
        std::FILE* file = std::fopen(Path().c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ::utimensat(AT_FDCWD, Path().c_str(), times, 0);
    }
    // The lines a load of the whole file gives, in a document of its own.
    LineList LinesOfAFreshLoad()
    {
        auto fresh = MakeDocument();
        EXPECT_TRUE(fresh->Open(Path()));
        LineList lines;
        for (LineIndex i = 0; i < fresh->Text().LineCount(); ++i)
            lines.emplace_back(fresh->Text().Line(i).Text());
        return lines;
    }
};

TEST_F(FollowTest, GrowthIsAppendedAndKeepsBookmarksAndTheLastLineContinues)
{
    Follow("first\nsecond\nthi");
    PutCursor(1, 0);
    doc->ToggleBookmark();
    Append("rd\nfourth\r");
    EXPECT_EQ(doc->CheckFollowedFile(), Step::Appended);
    EXPECT_EQ(Lines(), (LineList{"first\n", "second\n", "third\n", "fourth\r"}));
    EXPECT_TRUE(doc->HasBookmark(1));
    EXPECT_EQ(doc->Selection().cursor.line, 3);  // "File End" follows the end
    // A CR LF split between two reads is one terminator.
    Append("\nfifth\n");
    EXPECT_EQ(doc->CheckFollowedFile(), Step::Appended);
    EXPECT_EQ(Lines(), (LineList{"first\n", "second\n", "third\n", "fourth\r\n", "fifth\n", ""}));
    EXPECT_EQ(doc->Text().FileSize(), doc->Text().SumOfLengths());
    EXPECT_EQ(doc->CheckFollowedFile(), Step::Unchanged);
    EXPECT_TRUE(doc->HasBookmark(1));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_TRUE(prompter.Texts().empty());
}

// As in "less +F": moving the cursor or scrolling away from the end pauses following at the end,
// while new lines are still read; coming back to the last line resumes it.
TEST_F(FollowTest, LeavingTheEndPausesFollowingAndComingBackResumesIt)
{
    Follow("one\ntwo\n");
    Append("three\n");
    EXPECT_EQ(doc->CheckFollowedFile(), Step::Appended);
    EXPECT_EQ(doc->Selection().cursor.line, 3);  // the first look goes to the end
    EXPECT_FALSE(doc->Follow().Paused());
    PutCursor(1, 0);
    Append("four\n");
    EXPECT_EQ(doc->CheckFollowedFile(), Step::Appended);
    EXPECT_EQ(Lines().size(), 5u);  // read all the same
    EXPECT_EQ(doc->Selection().cursor.line, 1);
    EXPECT_TRUE(doc->Follow().Paused());
    EXPECT_EQ(view.panes[StatusPane::Following], "Following paused");
    PutCursor(4, 0);  // Ctrl+End
    Append("five\n");
    EXPECT_EQ(doc->CheckFollowedFile(), Step::Appended);
    EXPECT_EQ(doc->Selection().cursor.line, 5);
    EXPECT_FALSE(doc->Follow().Paused());
    EXPECT_EQ(view.panes[StatusPane::Following], "Following");
    view.showsLastLine = false;  // scrolled up with the cursor left at the end
    Append("six\n");
    EXPECT_EQ(doc->CheckFollowedFile(), Step::Appended);
    EXPECT_EQ(doc->Selection().cursor.line, 5);
    EXPECT_TRUE(doc->Follow().Paused());
    doc->Follow().SetMode(AutoReload::Off);
    EXPECT_EQ(view.panes[StatusPane::Following], "");
}

TEST_F(FollowTest, TruncatedRotatedOrRewrittenFilesAreReadWhole)
{
    Follow("one\ntwo\n");
    // Truncated.
    Rewrite("on", 1000);
    EXPECT_EQ(doc->CheckFollowedFile(), Step::Reloaded);
    EXPECT_EQ(AllBytes(), "on");
    // Rotated: renamed away and created anew, beginning with the same bytes and longer.
    ASSERT_EQ(std::rename(Path().c_str(), dir.File("app.log.1").c_str()), 0);
    EXPECT_EQ(doc->CheckFollowedFile(true), Step::Failed);  // away for a moment: no message
    EXPECT_TRUE(prompter.Texts().empty());
    dir.Write("app.log", "on and on\n");
    EXPECT_EQ(doc->CheckFollowedFile(), Step::Reloaded);
    EXPECT_EQ(AllBytes(), "on and on\n");
    // Grown, but changed before the old end.
    Rewrite("ON and on\nmore\n", 2000);
    EXPECT_EQ(doc->CheckFollowedFile(), Step::Reloaded);
    EXPECT_EQ(AllBytes(), "ON and on\nmore\n");
    // Same size, other bytes, another time.
    Rewrite("ON and on\nMORE\n", 3000);
    EXPECT_EQ(doc->CheckFollowedFile(), Step::Reloaded);
    EXPECT_EQ(AllBytes(), "ON and on\nMORE\n");
    // Missing when the timer looks: told.
    ::unlink(Path().c_str());
    EXPECT_EQ(doc->CheckFollowedFile(), Step::Failed);
    ASSERT_EQ(prompter.Texts().size(), 1u);
    EXPECT_EQ(prompter.Texts()[0].rfind("Can\xB4t reload ", 0), 0u);
}

TEST_F(FollowTest, AnEditedTextOrOneReadAnotherWayIsNeverAppendedTo)
{
    Follow("a\nb\n");
    settings.tabSize = 8;  // the text was cut with other columns: a whole read
    Append("c\n");
    EXPECT_EQ(doc->CheckFollowedFile(), Step::Reloaded);
    EXPECT_EQ(AllBytes(), "a\nb\nc\n");
    Append("d\n");
    EXPECT_EQ(doc->CheckFollowedFile(), Step::Appended);
    // Nothing follows an edited text.
    doc->MarkModified();
    Append("e\n");
    EXPECT_EQ(doc->CheckFollowedFile(), Step::Unchanged);
    EXPECT_EQ(AllBytes(), "a\nb\nc\nd\n");
}

// Random growth in random pieces (line ends of every kind split anywhere, tabs, form feeds, runs
// that cross the load's chunk edges): after every piece the lines are those of a load of the
// whole file, byte for byte and line for line. Every other file has fixed-length records, whose
// cuts take the line ends behind them as far as the load's chunk shows.
TEST_F(FollowTest, AppendedLinesAreCutAsAWholeLoadCutsThem)
{
    for (std::uint32_t seed = 1; seed <= static_cast<std::uint32_t>(Rounds(16)); ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        if (seed % 2 == 0)
            dir.Write("QVXData/Records.ini", "[<General>]\r\nRecordLength=" + std::to_string(5 + seed) +
                                                 ";\r\nType=0;\r\nMask=*.log;\r\n[F_0000]\r\nOffset=0;\r\n"
                                                 "Length=4;\r\nColor=0;\r\n");
        else
            ::unlink(dir.File("QVXData/Records.ini").c_str());
        static const char* const kPieces[] = {"word", " ", "\t", "\r", "\n", "\r\n", "\f", "x\ty"};
        auto piece = [&random] {
            std::string bytes;
            for (int i = 0, n = static_cast<int>(random() % 40); i < n; ++i)
                bytes += kPieces[random() % 8];
            // Runs that cross the load's chunk edges, with line ends everywhere.
            if (random() % 6 == 0)
                for (int i = 0, n = 8000 + static_cast<int>(random() % 16000); i < n; ++i)
                    bytes += random() % 2 ? "zzz\r\n" : "z\n";
            for (int i = 0, n = static_cast<int>(random() % 4); i < n; ++i)
                bytes += "\n\r\n";
            return bytes;
        };
        Follow(piece());
        std::string all = AllBytes();
        for (int step = 0; step < 12; ++step) {
            const std::string more = piece();
            Append(more);
            all += more;
            const Step done = doc->CheckFollowedFile();
            EXPECT_EQ(done, more.empty() ? Step::Unchanged : Step::Appended);
            ASSERT_EQ(AllBytes(), all);
            ASSERT_EQ(Lines(), LinesOfAFreshLoad()) << "step " << step;
            EXPECT_EQ(doc->Structure().IsActive(), seed % 2 == 0);
            EXPECT_EQ(doc->Text().FileSize(), static_cast<ByteOffset>(all.size()));
        }
    }
}

// Lines over the length limit are cut there, and a line end right behind a cut stays with the cut
// line as far as the load's chunk shows. Documents without a window, which do not switch to
// wrapping at the window border for such lines.
TEST_F(FollowTest, LinesCutAtTheLengthLimitAreCutAsAWholeLoadCutsThem)
{
    const auto windowless = [this] {
        return std::make_unique<Document>(
            DocumentContext{settings, prompter, progress, dialogs, entry, dir.File("QVXData"), selection});
    };
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        auto piece = [&random] {
            std::string bytes;
            for (int i = 0, n = static_cast<int>(random() % 6); i < n; ++i) {
                bytes += std::string(random() % 3 ? 98990 + random() % 20 : 200000, 'q');
                for (int k = 0, m = static_cast<int>(random() % 3); k < m; ++k)
                    bytes += random() % 2 ? "\r\n" : "\n";
            }
            return bytes;
        };
        dir.Write("app.log", piece());
        auto followed = windowless();
        ASSERT_TRUE(followed->Open(Path()));
        followed->Follow().SetMode(AutoReload::ChangesAndEnd);
        for (int step = 0; step < 8; ++step) {
            const std::string more = piece();
            Append(more);
            EXPECT_EQ(followed->CheckFollowedFile(), more.empty() ? Step::Unchanged : Step::Appended);
            auto fresh = windowless();
            ASSERT_TRUE(fresh->Open(Path()));
            ASSERT_EQ(followed->Text().LineCount(), fresh->Text().LineCount()) << "step " << step;
            for (LineIndex i = 0; i < fresh->Text().LineCount(); ++i)
                ASSERT_EQ(followed->Text().Line(i).Text(), fresh->Text().Line(i).Text()) << "step " << step;
        }
    }
}

}  // namespace
}  // namespace quill::test
