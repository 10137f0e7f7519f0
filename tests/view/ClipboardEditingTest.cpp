// Copy and paste cases the scenarios cannot reach: memory limits, the private format, binary mode.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sys/resource.h>

#include "support/DocumentFixture.h"
#include "support/Fakes.h"
#include "view/ClipboardEditing.h"
#include "view/EditorInput.h"
#include "view/ViewState.h"

namespace quill::test {
namespace {

class ClipboardEditingTest : public DocumentFixture {
protected:
    ViewState state{0, 0, 20, 80};
    FakeClipboard clipboard;
    ClipboardEditing editing{*doc, state, clipboard};
};

// The byte offsets where the cursor can stand: every unit's first byte, and each line's end.
std::vector<std::size_t> CursorPlaces(const Document& doc)
{
    std::vector<std::size_t> places;
    std::size_t offset = 0;
    for (LineIndex i = 0; i < doc.Text().LineCount(); ++i) {
        const LineView line = doc.Text().Line(i);
        const std::uint32_t end = ContentLength(line, doc.Rules());
        std::int64_t column = 0;
        for (std::uint32_t k = 0; k < end;) {
            places.push_back(offset + k);
            const CellUnit unit = UnitAt(line, k, column, doc.Rules());
            column = unit.nextColumn;
            k += unit.length;
        }
        places.push_back(offset + end);
        offset += line.Length();
    }
    return places;
}

// Puts the cursor on a byte offset, the end of the text too.
void PlaceAt(Document& doc, std::size_t offset)
{
    if (!doc.GoToOffset(static_cast<ByteOffset>(offset))) {
        const LineIndex last = doc.Text().LineCount() - 1;
        doc.Selection().cursor = {last, static_cast<Column>(doc.DisplayWidth(last))};
        doc.Text().SetCurrentLine(last);
    }
    doc.Selection().Clear();
}

TEST_F(ClipboardEditingTest, CopyCutAndPasteMoveExactlyTheSelectedBytesOfAnyText)
{
    // Texts of marks, wide characters, tabs, stray bytes and NULs; a selection between two random
    // cursor places, copied, cut and pasted elsewhere, against a plain string.
    const char* const pieces[] = {"a", "ö", "o\xcc\x88", "日", "😀", "\t", " ", "\n", "xy", "\xcc\x81"};
    std::mt19937 random(36);
    for (int round = 0; round < 150; ++round) {
        std::string text;
        for (int k = 0, n = 1 + static_cast<int>(random() % 40); k < n; ++k)
            text += random() % 30 == 0 ? (random() % 2 ? std::string("\xff") : std::string(1, '\0'))
                                       : std::string(pieces[random() % std::size(pieces)]);
        text += "äöü日äöü日\n";
        ASSERT_TRUE(OpenBytes(text));
        ASSERT_TRUE(doc->Utf8Text());
        const std::vector<std::size_t> places = CursorPlaces(*doc);
        std::size_t from = places[random() % places.size()], to = places[random() % places.size()];
        if (from == to)
            continue;
        SCOPED_TRACE(testing::Message() << "round " << round << " bytes " << from << "-" << to);
        PlaceAt(*doc, from);
        const TextPosition anchor = doc->Selection().cursor;
        PlaceAt(*doc, to);
        doc->Selection().anchor = anchor;
        const std::size_t low = std::min(from, to), high = std::max(from, to);
        const std::string selected = text.substr(low, high - low);

        ASSERT_TRUE(editing.Copy());
        EXPECT_TRUE(clipboard.data->substr(5) == selected);
        EXPECT_TRUE(*clipboard.text == selected);  // UTF-8 as it stands (the desktop's side drops NULs)

        ASSERT_TRUE(editing.Cut());
        std::string cut = text;
        cut.erase(low, high - low);
        EXPECT_TRUE(AllBytes() == cut);
        doc->Undo();
        EXPECT_TRUE(AllBytes() == text);

        const std::vector<std::size_t> targets = CursorPlaces(*doc);
        const std::size_t at = targets[random() % targets.size()];
        PlaceAt(*doc, at);
        editing.Paste();
        std::string pasted = text;
        pasted.insert(at, selected);
        EXPECT_EQ(AllBytes(), pasted) << "pasted at " << at;
        if (HasFailure())
            return;
    }
}

TEST_F(ClipboardEditingTest, ThePrivateFormatCarriesTheBlockFlagAndTheBytes)
{
    const std::string bytes("a\0b\r\n", 5);
    const std::string data = ClipboardEditing::EncodePrivate(true, bytes);
    EXPECT_EQ(data.substr(0, 5), std::string("\x01\x05\x00\x00\x00", 5));
    bool block = false;
    std::string back;
    ASSERT_TRUE(ClipboardEditing::DecodePrivate(data, block, back));
    EXPECT_TRUE(block);
    EXPECT_EQ(back, bytes);
    EXPECT_FALSE(ClipboardEditing::DecodePrivate(data.substr(0, 7), block, back));  // cut short
    EXPECT_FALSE(ClipboardEditing::DecodePrivate("\x01", block, back));
}

// The X11 primary selection: selecting offers the text, the middle button pastes it, and the
// clipboard is left alone either way.
TEST_F(ClipboardEditingTest, ThePrimarySelectionIsSeparateFromTheClipboard)
{
    ASSERT_TRUE(OpenBytes("abcdef\nx\u00e9y\n"));
    editing.OfferPrimary();  // nothing selected: nothing offered
    EXPECT_FALSE(clipboard.primary.has_value());
    doc->Selection().anchor = {0, 1};
    doc->Selection().cursor = {0, 3};
    editing.OfferPrimary();
    EXPECT_EQ(clipboard.primary, "bc");
    doc->Selection().anchor = {1, 0};
    doc->Selection().cursor = {1, 3};
    editing.OfferPrimary();
    EXPECT_EQ(clipboard.primary, "x\u00e9y");  // characters, not cells or bytes
    EXPECT_FALSE(clipboard.text.has_value());
    doc->Selection().Clear();
    doc->Selection().cursor = {0, 6};
    editing.PastePrimary();
    EXPECT_EQ(Lines()[0], "abcdefx\u00e9y\n");
    EXPECT_EQ(doc->Selection().cursor, (TextPosition{0, 9}));
    EXPECT_FALSE(clipboard.text.has_value());
    doc->Undo();
    EXPECT_EQ(Lines()[0], "abcdef\n");
}

TEST_F(ClipboardEditingTest, APasteInBinaryModeKeepsEveryByte)
{
    ASSERT_TRUE(OpenBytes(std::string("\x01\x02\x03\x04", 4)));
    if (!doc->BinaryMode())
        doc->SwitchBinaryMode();
    doc->Selection().cursor.column = doc->Selection().preferredColumn = 2;
    const std::string pasted("\r\n\x00\n\r", 5);
    editing.Insert(pasted, false);
    EXPECT_EQ(AllBytes(), std::string("\x01\x02", 2) + pasted + std::string("\x03\x04", 2));
}

TEST_F(ClipboardEditingTest, TheTextFormatShowsTheTableAndThePrivateOneTheStoredBytes)
{
    dir.Write("QVXData/upper.tec", "61=41\n");
    ASSERT_TRUE(OpenBytes("abc\n"));
    ASSERT_TRUE(doc->Charset().Load(dir.File("QVXData/upper.tec")));
    doc->Selection().anchor.line = 0;
    doc->Selection().anchor.column = 0;
    doc->Selection().cursor.column = doc->Selection().preferredColumn = 2;
    ASSERT_TRUE(editing.Copy());
    EXPECT_EQ(clipboard.text, "Ab");
    EXPECT_EQ(clipboard.data, ClipboardEditing::EncodePrivate(false, "ab"));
    // Text from elsewhere goes through the input table.
    clipboard.data.reset();
    clipboard.text = "A";
    doc->Selection().Clear();
    editing.Paste();
    EXPECT_EQ(AllBytes(), "abac\n");
}

TEST_F(ClipboardEditingTest, OtherProgramsTextIsUtf8AndATableStoresOnlyWhatItHasBytesFor)
{
    // No table: the text is stored as it came, and copied back as it is.
    ASSERT_TRUE(OpenBytes("\n"));
    clipboard.text = "caf\xC3\xA9 \xE2\x86\x92 ok";
    editing.Paste();
    EXPECT_EQ(AllBytes(), "caf\xC3\xA9 \xE2\x86\x92 ok\n");

    // A DOS table: stored bytes of its code page, shown and copied as their characters.
    dir.Write("QVXData/dos.tec", "84=E4\n94=F6\n");
    ASSERT_TRUE(OpenBytes("K\x94ln\n"));
    ASSERT_TRUE(doc->Charset().Load(dir.File("QVXData/dos.tec")));
    doc->Selection().anchor.line = 0;
    doc->Selection().anchor.column = 0;
    doc->Selection().cursor.column = doc->Selection().preferredColumn = 4;
    ASSERT_TRUE(editing.Copy());
    EXPECT_EQ(clipboard.text, "K\xC3\xB6ln");  // "Köln" in UTF-8
    doc->Selection().Clear();
    clipboard.data.reset();
    clipboard.text = "\xC3\xA4";  // "ä": the table's 0x84
    editing.Paste();
    EXPECT_EQ(AllBytes(), "K\x94ln\x84\n");
    // "→" has no byte in the code page, "é" none in the table: said, and nothing is pasted.
    clipboard.text = "x \xE2\x86\x92 \xC3\xA9";
    editing.Paste();
    EXPECT_EQ(AllBytes(), "K\x94ln\x84\n");
    EXPECT_NE(prompter.Texts().back().find("\xE2\x86\x92"), std::string::npos);
    EXPECT_NE(prompter.Texts().back().find("Nothing was pasted."), std::string::npos);
}

// Typing under an 8-bit table stores the table's byte for a character, and nothing (a beep) for a
// character it has no byte for.
TEST_F(ClipboardEditingTest, TypingUnderATableStoresOnlyWhatItHasBytesFor)
{
    dir.Write("QVXData/dos.tec", "84=E4\n94=F6\n");
    ASSERT_TRUE(OpenBytes("K\n"));
    ASSERT_TRUE(doc->Charset().Load(dir.File("QVXData/dos.tec")));
    EditorInput input(*doc, state, clipboard);
    input.Type("\xC3\xB6ln \xE2\x86\x92!");  // "öln →!"
    EXPECT_EQ(AllBytes(), "\x94ln !K\n");
    EXPECT_EQ(prompter.beeps, 1);
}

// The address and thread sanitizers need far more address space than the limit below leaves.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST_F(ClipboardEditingTest, ACopyTooLargeForMemoryIsReportedAndTheProgramGoesOn)
{
    std::string bytes;
    while (bytes.size() < (48u << 20))
        bytes += std::string(99, 'c') + "\n";
    ASSERT_TRUE(OpenBytes(bytes));
    bytes.clear();
    bytes.shrink_to_fit();
    doc->Selection().anchor.line = 0;
    doc->Selection().anchor.column = 0;
    doc->Selection().cursor.line = doc->Text().LineCount() - 1;
    EXPECT_EXIT(
        {
            // Leave room for some 24 MB more than the process uses now.
            if (!LimitAddressSpace(std::size_t{24} << 20))
                std::_Exit(3);
            const bool copied = editing.Copy();
            const bool told = !prompter.Texts().empty() && prompter.Texts().back() == "Not enough memory!";
            std::_Exit(!copied && told && !clipboard.text ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
}  // namespace quill::test
