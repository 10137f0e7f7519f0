// Re-cutting lines: word wrap, fixed widths, ignored format codes, binary mode.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "common/Utf8.h"
#include "document/FilePlaces.h"
#include "search/MarkedLines.h"
#include "support/DocumentFixture.h"

namespace quill::test {
namespace {

using LineList = std::vector<std::string>;

class ReflowTest : public DocumentFixture {
protected:
    void Wrap(int width, bool wordWrap)
    {
        settings.maxLineLen = width;
        settings.wordWrap = wordWrap;
        settings.truncateAtBorder = 0;
        doc->Reflow(-1);
    }
};

TEST_F(ReflowTest, WordWrapCutsAfterTheLastBlank)
{
    ASSERT_TRUE(OpenBytes("aaaa bbbb cccc"));
    Wrap(10, true);
    EXPECT_EQ(Lines(), (LineList{"aaaa bbbb ", "cccc"}));
    Wrap(10, false);
    EXPECT_EQ(Lines(), (LineList{"aaaa bbbb ", "cccc"}));  // the cut falls on the blank anyway
    Wrap(8, false);
    EXPECT_EQ(Lines(), (LineList{"aaaa bbb", "b cccc"}));
    Wrap(8, true);
    EXPECT_EQ(Lines(), (LineList{"aaaa ", "bbbb ", "cccc"}));
}

// The widest line as the text shows it: cells, tabs at their stops, terminator bytes one each.
std::int64_t WidestShown(const Document& doc)
{
    std::int64_t widest = 0;
    for (LineIndex i = 0; i < doc.Text().LineCount(); ++i)
        widest = std::max(widest, ColumnsWithTerminator(doc.Text().Line(i), doc.Rules()));
    return widest;
}

TEST_F(ReflowTest, TheWidestLineCountsCellsAfterTheLoadAndEveryReflow)
{
    // 1,000 "日" are 3,000 bytes and 2,000 cells; marks take none, tabs go to their stops.
    ASSERT_TRUE(OpenBytes(std::string(1000 * 3, ' ').replace(0, 3000, [] {
        std::string wide;
        for (int i = 0; i < 1000; ++i)
            wide += "日";
        return wide;
    }()) + "\nabc\n"));
    EXPECT_EQ(doc->Text().WidestLine(), 2001);
    std::mt19937 random(15);
    const char* const pieces[] = {"a", "日", "😀", "o\xcc\x88", "\t", "ö", " ", "\n", "\r\n"};
    for (int round = 0; round < 40; ++round) {
        std::string text;
        for (int k = 0, n = 1 + static_cast<int>(random() % 400); k < n; ++k)
            text += random() % 40 == 0 ? "\xff" : pieces[random() % std::size(pieces)];  // a stray byte now and then
        ASSERT_TRUE(OpenBytes(text + "äöü日\n"));
        ASSERT_TRUE(doc->Utf8Text());
        EXPECT_EQ(doc->Text().WidestLine(), WidestShown(*doc)) << round;
        Wrap(5 + static_cast<int>(random() % 60), random() % 2);
        EXPECT_EQ(doc->Text().WidestLine(), WidestShown(*doc)) << round;
    }
}

TEST_F(ReflowTest, BinaryModeOnAndOffKeepsTheCursorOnItsByte)
{
    // "b" is byte 2, at column 3 after a tab of size 3 (in binary mode a tab is one cell).
    settings.tabSize = 3;
    ASSERT_TRUE(OpenBytes("a\tb\nnext\n"));
    PutCursor(0, 3);
    ASSERT_EQ(doc->CursorByteOffset(), 2);
    doc->SwitchBinaryMode();
    EXPECT_EQ(doc->CursorByteOffset(), 2);
    doc->SwitchBinaryMode();
    EXPECT_EQ(doc->CursorByteOffset(), 2);
    EXPECT_EQ(doc->Selection().cursor.column, 3);
}

TEST_F(ReflowTest, AUtf8CharacterIsNeverCutInTwo)
{
    // "aa日本語bb" cut at four bytes: each character goes whole to the line where it fits.
    const std::string text = "aa\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"
                             "bb\n";
    const LineList cut{"aa",
                       "\xE6\x97\xA5",
                       "\xE6\x9C\xAC",
                       "\xE8\xAA\x9E"
                       "b",
                       "b\n",
                       ""};
    ASSERT_TRUE(OpenBytes(text));
    Wrap(4, false);
    EXPECT_EQ(Lines(), cut);
    Wrap(Settings::kNoLineLimit, false);
    EXPECT_EQ(Lines(), (LineList{text, ""}));
    EXPECT_EQ(AllBytes(), text);
}

TEST_F(ReflowTest, ACharacterKeepsItsMarksUnderEveryCutOfTheLoadAndTheReflow)
{
    // Accents combined with their letters, a joiner, a wide character: a cut never leaves a mark
    // at the start of a line, except after a line that is one character and its marks only, and
    // the load cuts as the reflow does.
    const std::vector<std::string> pieces{"a", "e\xCC\x81", "o\xCC\x88\xCC\x81", "\xE4\xB8\xAD", "\xE2\x80\x8D",
                                          " ", "\n"};
    std::mt19937 random(11);
    for (int round = 0; round < 40; ++round) {
        std::string text;
        while (text.size() < 300)
            text += pieces[random() % pieces.size()];
        const int width = 2 + static_cast<int>(random() % 9);
        settings.maxLineLen = width;
        settings.wordWrap = 0;
        ASSERT_TRUE(OpenBytes(text));
        const LineList loaded = Lines();
        Wrap(Settings::kNoLineLimit, false);
        Wrap(width, false);
        ASSERT_EQ(Lines(), loaded) << "width " << width;
        ASSERT_EQ(AllBytes(), text);
        for (std::size_t i = 1; i < loaded.size(); ++i) {
            const std::string& line = loaded[i];
            const std::string& before = loaded[i - 1];
            if (line.empty() || before.back() == '\n' || !MarkAt(line.data(), line.data() + line.size()))
                continue;
            // The line before must be a single character with its marks.
            const std::size_t lead = before[0] & 0x80 ? (before[0] & 0xE0) == 0xC0 ? 2 : 3 : 1;
            for (std::size_t at = lead; at < before.size();) {
                ASSERT_TRUE(MarkAt(before.data() + at, before.data() + before.size()))
                    << "a mark cut from its character at width " << width << " after \"" << before << "\"";
                const auto* mark = reinterpret_cast<const unsigned char*>(before.data() + at);
                at += Utf8SequenceLength(mark, mark + (before.size() - at));
            }
        }
    }
}

TEST_F(ReflowTest, TurningWordWrapOffAndOnRestoresTheLines)
{
    std::string text = "the quick brown fox jumps over the lazy dog and keeps on running far away";
    ASSERT_TRUE(OpenBytes(text));
    Wrap(20, true);
    const LineList wrapped = Lines();
    settings.wordWrap = 0;
    doc->Reflow(-1);
    EXPECT_NE(Lines(), wrapped);
    settings.wordWrap = 1;
    doc->Reflow(-1);
    EXPECT_EQ(Lines(), wrapped);
    EXPECT_EQ(AllBytes(), text);
}

TEST_F(ReflowTest, FormatCodesKeepCrLfWithItsLineAndIgnoredOnesCutExactly)
{
    ASSERT_TRUE(OpenBytes("abcde\r\nfghij\r\nk"));
    Wrap(5, false);
    EXPECT_EQ(Lines(), (LineList{"abcde\r\n", "fghij\r\n", "k"}));
    doc->ToggleIgnoreFormatCodes();
    EXPECT_EQ(Lines(), (LineList{"abcde", "\r\nfgh", "ij\r\nk", ""}));
    // Back with format codes: the look-ahead for a terminator stays inside each line, so the CR LF
    // that now begins a line is not pulled up to the line before.
    doc->ToggleIgnoreFormatCodes();
    EXPECT_EQ(Lines(), (LineList{"abcde", "\r\n", "fghij\r\n", "k"}));
    EXPECT_EQ(AllBytes(), "abcde\r\nfghij\r\nk");
}

TEST_F(ReflowTest, TypingInAParagraphMovesWordsAndLeavesLaterLinesAlone)
{
    ASSERT_TRUE(OpenBytes("one two three four five six\nuntouched line that is long\nlast\n"));
    Wrap(10, true);
    EXPECT_EQ(Lines(), (LineList{"one two ", "three ", "four five ", "six\n", "untouched ", "line that ", "is long\n",
                                 "last\n", ""}));
    doc->Model().RaiseUndoGroup();
    doc->Selection().cursor.line = 1;
    doc->Text().SetCurrentLine(1);
    doc->Model().ReplaceCurrentLine(LineRecord("threeXX "));
    doc->Reflow(0);
    EXPECT_EQ(Lines(), (LineList{"one two ", "threeXX ", "four five ", "six\n", "untouched ", "line that ", "is long\n",
                                 "last\n", ""}));
    doc->Model().ReplaceCurrentLine(LineRecord("threeXXXXXX "));
    doc->Reflow(0);
    EXPECT_EQ(Lines(), (LineList{"one two ", "threeXXXXX", "X four ", "five six\n", "untouched ", "line that ",
                                 "is long\n", "last\n", ""}));
    doc->Undo();
    EXPECT_EQ(Lines()[1], "three ");
}

TEST_F(ReflowTest, TheCursorHintCountsTheBytesCarriedFromTheCursorLine)
{
    ASSERT_TRUE(OpenBytes("abc defgh"));
    Wrap(10, true);
    doc->Selection().cursor.line = 0;
    doc->Text().SetCurrentLine(0);
    doc->Model().ReplaceCurrentLine(LineRecord("abc defghij"));
    EXPECT_EQ(doc->Reflow(0), 1 + 6);  // at the cut, "defghi" went on to the next line
    EXPECT_EQ(Lines(), (LineList{"abc ", "defghij"}));
}

TEST_F(ReflowTest, BookmarksStayOnTheirTextWhenTheWholeTextIsRecut)
{
    ASSERT_TRUE(OpenBytes("aaa bbb ccc ddd\nmarked\nend\n"));
    doc->Selection().cursor.line = 1;
    doc->ToggleBookmark();
    Wrap(4, true);
    EXPECT_EQ(Lines()[4], "mark");
    EXPECT_TRUE(doc->HasBookmark(4));
    Wrap(99000, true);
    EXPECT_TRUE(doc->HasBookmark(1));
}

// Bookmarks and the cursor on random bytes of a text with tabs, Cyrillic, wide characters and
// marks, through random re-cuts: after each they stand on the same bytes, and the place kept in the
// database for each (file line, column in the uncut line) is the same under every cut and leads back.
TEST_F(ReflowTest, BookmarksAndTheCursorKeepTheirBytesUnderEveryCut)
{
    std::mt19937 random(37);
    const char* const pieces[] = {"ab", "\t", "Дом ", "日本", " ", "word ", "\n", "\r\n", "x"};
    for (int round = 0; round < 25; ++round) {
        SCOPED_TRACE(round);
        std::string text;
        for (int k = 0, n = 20 + static_cast<int>(random() % 200); k < n; ++k)
            text += pieces[random() % std::size(pieces)];
        ASSERT_TRUE(OpenBytes(text));
        Wrap(3 + static_cast<int>(random() % 15), random() % 2 == 0);
        std::vector<ByteOffset> marked;
        for (int k = 0; k < 6; ++k) {
            doc->GoToOffset(static_cast<ByteOffset>(random() % text.size()));
            if (!doc->HasBookmark(doc->Selection().cursor.line) || k == 5)
                doc->ToggleBookmark();
        }
        for (const BookmarkEntry& mark : doc->Positions().Entries())
            if (mark.lastPos == 0) {
                doc->Selection().cursor = {mark.line, static_cast<Column>(mark.column)};
                marked.push_back(doc->CursorByteOffset());
            }
        doc->GoToOffset(static_cast<ByteOffset>(random() % text.size()));
        const ByteOffset cursor = doc->CursorByteOffset();
        std::vector<LinePlace> stored;
        for (const BookmarkEntry& mark : doc->Positions().Entries())
            stored.push_back(FilePlaceOf(*doc, {mark.line, mark.column}));
        // The filter pane's marks stay on their file lines.
        MarkedLines marks(doc->Text());
        std::set<LineIndex> markedFileLines;
        for (int k = 0; k < 4; ++k) {
            const auto row = static_cast<LineIndex>(random() % static_cast<unsigned>(doc->Text().LineCount()));
            if (!marks.Contains(row) && markedFileLines.insert(FilePlaceOf(*doc, {row, 0}).line).second)
                marks.Toggle(row);
        }
        for (int cut = 0; cut < 6; ++cut) {
            if (random() % 3 == 0)
                Wrap(99000, random() % 2 == 0);
            else
                Wrap(3 + static_cast<int>(random() % 15), random() % 2 == 0);
            ASSERT_EQ(AllBytes(), text);
            EXPECT_EQ(doc->CursorByteOffset(), cursor) << cut;
            std::set<LineIndex> fileLines;
            for (const LineIndex row : marks.Lines())
                fileLines.insert(FilePlaceOf(*doc, {row, 0}).line);
            EXPECT_EQ(fileLines, markedFileLines) << cut;
            const auto& entries = doc->Positions().Entries();
            ASSERT_EQ(entries.size(), stored.size());
            std::size_t bookmark = 0;
            for (std::size_t i = 0; i < entries.size(); ++i) {
                const LinePlace file = FilePlaceOf(*doc, {entries[i].line, entries[i].column});
                EXPECT_EQ(file.line, stored[i].line) << cut;
                EXPECT_EQ(file.column, stored[i].column) << cut;
                const LinePlace back = ShownPlaceOf(*doc, file);
                EXPECT_EQ(back.line, entries[i].line) << cut;
                EXPECT_EQ(back.column, entries[i].column) << cut;
                if (entries[i].lastPos != 0)
                    continue;
                const TextPosition keep = doc->Selection().cursor;
                doc->Selection().cursor = {entries[i].line, static_cast<Column>(entries[i].column)};
                EXPECT_EQ(doc->CursorByteOffset(), marked[bookmark++]) << cut;
                doc->Selection().cursor = keep;
            }
        }
    }
}

TEST_F(ReflowTest, ReloadedLongTextReflowsWithoutCopyingBytes)
{
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "line number " + std::to_string(i) + " of a text\n";
    ASSERT_TRUE(OpenBytes(text));
    Wrap(12, true);
    Wrap(99000, true);
    for (LineIndex i = 0; i < doc->Text().LineCount(); ++i)
        ASSERT_FALSE(doc->Text().IsOwned(i)) << i;
    EXPECT_EQ(AllBytes(), text);
}

TEST_F(ReflowTest, BinaryModeRoundTripsEveryByteAndEverySetting)
{
    std::mt19937 random(5);
    std::string bytes(5000, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random());
    ASSERT_TRUE(OpenBytes(bytes));
    doc->SwitchBinaryMode();  // undisplayable bytes: the load switched binary mode on
    ASSERT_FALSE(doc->BinaryMode());

    ASSERT_TRUE(OpenBytes("plain\ttext\r\nwith lines\r\n" + std::string(200, '-') + "\r\n"));
    settings.viewControlChars = 0;
    settings.wordWrap = 1;
    settings.truncateAtBorder = 0;
    doc->SetOverwriteMode(false);
    doc->Selection().cursor.line = 1;
    doc->Selection().cursor.column = 5;
    doc->Text().SetCurrentLine(1);
    const ByteOffset offset = doc->CursorByteOffset();
    const LineList lines = Lines();

    doc->SwitchBinaryMode();
    EXPECT_TRUE(doc->BinaryMode());
    EXPECT_TRUE(doc->IgnoreFormatCodes());
    EXPECT_TRUE(doc->OverwriteMode());
    EXPECT_EQ(doc->Config().Get(Layout::ControlChars), 1);
    EXPECT_EQ(doc->Config().Get(Layout::WordWrap), 0);
    EXPECT_EQ(doc->Config().Get(Layout::WrapAtBorder), 1);
    EXPECT_EQ(Lines()[0].size(), 77u);  // the window border: 80 - 3 cells
    EXPECT_EQ(doc->CursorByteOffset(), offset);

    doc->SwitchBinaryMode();
    EXPECT_FALSE(doc->BinaryMode());
    EXPECT_FALSE(doc->IgnoreFormatCodes());
    EXPECT_FALSE(doc->OverwriteMode());
    EXPECT_EQ(doc->Config().Get(Layout::ControlChars), 0);
    EXPECT_EQ(doc->Config().Get(Layout::WordWrap), 1);
    EXPECT_EQ(doc->Config().Get(Layout::WrapAtBorder), 0);
    EXPECT_EQ(Lines(), lines);
    EXPECT_EQ(doc->CursorByteOffset(), offset);
}

TEST_F(ReflowTest, AFileOfUndisplayableBytesOpensInBinaryMode)
{
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += static_cast<char>(i % 32);
    ASSERT_TRUE(OpenBytes(bytes));
    EXPECT_TRUE(doc->BinaryMode());
    EXPECT_EQ(AllBytes(), bytes);
    ASSERT_TRUE(OpenBytes("text\n"));  // the next file leaves binary mode
    EXPECT_FALSE(doc->BinaryMode());
    EXPECT_EQ(doc->Config().Get(Layout::ControlChars), 0);
}

TEST_F(ReflowTest, AWidthSetInBinaryModeIsUsedTheNextTime)
{
    ASSERT_TRUE(OpenBytes(std::string(100, 'b')));
    doc->SwitchBinaryMode();
    entry.answers = {"16"};
    doc->WrapLinesAt();  // from the window border to 16 columns
    EXPECT_EQ(Lines()[0].size(), 16u);
    doc->SwitchBinaryMode();
    EXPECT_EQ(Lines()[0].size(), 100u);
    EXPECT_EQ(doc->BinaryLineLength(), 16);
    doc->SwitchBinaryMode();
    EXPECT_EQ(Lines()[0].size(), 16u);
    EXPECT_EQ(doc->Config().Get(Layout::WrapAtBorder), 0);
}

}  // namespace
}  // namespace quill::test

namespace quill::test {
namespace {

// A byte-by-byte transcription of re-cutting the whole text, to check the fast reflow against.
std::vector<std::string> ReflowByHand(const std::vector<std::string>& input, std::int64_t length, bool wordWrap,
                                      bool ignoreFormatCodes)
{
    std::vector<std::string> out;
    std::string buffer;
    for (const std::string& line : input) {
        for (std::size_t k = 0; k < line.size(); ++k) {
            buffer += line[k];
            const auto b = static_cast<std::uint8_t>(line[k]);
            bool hard = !ignoreFormatCodes && (b == kLF || b == kFF);
            bool soft = false;
            if (!hard && buffer.size() >= 100000)
                soft = true;
            else if (!hard && static_cast<std::int64_t>(buffer.size()) >= length) {
                const bool follows =
                    !ignoreFormatCodes && k + 1 < line.size() &&
                    (line[k + 1] == '\n' || (line[k + 1] == '\r' && k + 2 < line.size() && line[k + 2] == '\n'));
                soft = !follows;
            }
            if (hard || (soft && !wordWrap)) {
                out.push_back(buffer);
                buffer.clear();
            } else if (soft) {
                const auto blank = buffer.rfind(' ');
                const std::size_t take = blank == std::string::npos ? buffer.size() : blank + 1;
                out.push_back(buffer.substr(0, take));
                buffer.erase(0, take);
            }
        }
    }
    out.push_back(buffer);
    return out;
}

class ReflowReferenceTest : public DocumentFixture {};

TEST_F(ReflowReferenceTest, TheFastReflowCutsExactlyLikeTheRules)
{
    std::mt19937 random(8);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        const char alphabet[] = "abcd   \r\n\n\fxy";
        std::string bytes(static_cast<std::size_t>(random() % 3000), ' ');
        for (char& b : bytes)
            b = alphabet[random() % (sizeof alphabet - 1)];
        ASSERT_TRUE(OpenBytes(bytes));
        settings.maxLineLen = 1 + static_cast<int>(random() % 40);
        settings.wordWrap = static_cast<int>(random() % 2);
        settings.truncateAtBorder = 0;
        if (random() % 3 == 0)
            doc->ToggleIgnoreFormatCodes();  // re-cuts at the current width already
        const std::vector<std::string> before = Lines();
        doc->Reflow(-1);
        std::vector<std::string> expected =
            ReflowByHand(before, settings.maxLineLen, settings.wordWrap != 0, doc->IgnoreFormatCodes());
        // The rules leave an empty last line after a text that ends with a line end; so do we.
        ASSERT_EQ(Lines(), expected);
    }
}

}  // namespace
}  // namespace quill::test
