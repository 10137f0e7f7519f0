// UTF-8 checked against the table of well-formed sequences, whole and in pieces; the program's
// own texts as UTF-8; the table choice of a load.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>
#include <vector>

#include "commands/Finder.h"
#include "commands/SearchCommands.h"
#include "common/Utf8.h"
#include "platform/ConsolePrompter.h"
#include "search/SearchOptions.h"
#include "support/DocumentFixture.h"
#include "support/Fakes.h"
#include "text/DisplayRules.h"
#include "view/EditorInput.h"
#include "view/ViewState.h"

namespace quill::test {
namespace {

// The well-formed byte sequences, written out as the standard's table lists them.
bool WellFormed(const std::string& bytes)
{
    const auto in = [](unsigned char b, int low, int high) { return b >= low && b <= high; };
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = [&](std::size_t k) {
            return i + k < bytes.size() ? static_cast<unsigned char>(bytes[i + k]) : 0;
        };
        const bool more = i + 1 < bytes.size(), two = i + 2 < bytes.size(), three = i + 3 < bytes.size();
        if (b(0) <= 0x7F) {
            i += 1;
        } else if (in(b(0), 0xC2, 0xDF) && more && in(b(1), 0x80, 0xBF)) {
            i += 2;
        } else if (two &&
                   ((b(0) == 0xE0 && in(b(1), 0xA0, 0xBF)) || (in(b(0), 0xE1, 0xEC) && in(b(1), 0x80, 0xBF)) ||
                    (b(0) == 0xED && in(b(1), 0x80, 0x9F)) || (in(b(0), 0xEE, 0xEF) && in(b(1), 0x80, 0xBF))) &&
                   in(b(2), 0x80, 0xBF)) {
            i += 3;
        } else if (three &&
                   ((b(0) == 0xF0 && in(b(1), 0x90, 0xBF)) || (in(b(0), 0xF1, 0xF3) && in(b(1), 0x80, 0xBF)) ||
                    (b(0) == 0xF4 && in(b(1), 0x80, 0x8F))) &&
                   in(b(2), 0x80, 0xBF) && in(b(3), 0x80, 0xBF)) {
            i += 4;
        } else {
            return false;
        }
    }
    return true;
}

TEST(Utf8Test, TextsWrittenTwiceEncodedByEarlierVersionsComeBackAsTheyWere)
{
    // Every continuation byte, those code page 1252 leaves undefined (81, 8D, 8F, 90, 9D) too.
    for (const std::string text : {"über", "Ärger Ölpreis ß", "ÁōÏÐÝ", "日本", "😀 €"}) {
        std::string twice;
        for (const char c : text)
            AppendUtf8(twice, Cp1252ToUnicode(static_cast<unsigned char>(c)));
        EXPECT_EQ(UndoubledUtf8(twice), text);
        EXPECT_EQ(UndoubledUtf8(text), text);  // written right: stays
    }
    EXPECT_EQ(UndoubledUtf8("plain"), "plain");
    EXPECT_EQ(UndoubledUtf8("Seite \xC3\xA4"), "Seite \xC3\xA4");  // "ä" is no UTF-8 of anything
}

TEST(Utf8Test, TheValidatorAgreesWithTheTableWholeAndInPieces)
{
    std::mt19937 random(19);
    const char* const pieces[] = {
        "a",        "\xC3\xB6",     "\xE2\x86\x92", "\xF0\x9F\x98\x80", "\xED\x9F\xBF", "\xEF\xBF\xBD",
        "\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80",         "\xFF"};
    int valid = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        for (int k = 0, n = static_cast<int>(random() % 8); k < n; ++k) {
            if (random() % 4 == 0)
                bytes += static_cast<char>(random() % 256);
            else
                bytes += pieces[random() % (round % 3 == 0 ? 12 : 6)];
        }
        if (random() % 5 == 0 && !bytes.empty())
            bytes.pop_back();  // a sequence cut at the end
        SCOPED_TRACE(testing::PrintToString(bytes));
        const bool expected = WellFormed(bytes);
        valid += expected;
        Utf8Validator whole;
        whole.Feed(bytes.data(), bytes.data() + bytes.size());
        EXPECT_EQ(whole.Valid(), expected);
        Utf8Validator split;  // cut at random places, as reads of a file are
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t n = std::min<std::size_t>(bytes.size() - at, 1 + random() % 4);
            split.Feed(bytes.data() + at, bytes.data() + at + n);
            at += n;
        }
        EXPECT_EQ(split.Valid(), expected);
        if (HasFailure())
            break;
    }
    EXPECT_GT(valid, 300);
}

TEST(Utf8Test, TheProgramsTextsReachStandardErrorAsUtf8)
{
    EXPECT_EQ(MessageToUtf8("Can\xB4t open /tmp/J\xC3\xB6rg!"), "Can\xC2\xB4t open /tmp/J\xC3\xB6rg!");
    EXPECT_EQ(MessageToUtf8("\x80 \x9F"), "\xE2\x82\xAC \xC5\xB8");  // the euro sign, Y with diaeresis
    ConsolePrompter prompter;
    testing::internal::CaptureStderr();
    prompter.Error("Can\xB4t save x!");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "quillarium: Can\xC2\xB4t save x!\n");
}

class TableChoiceTest : public DocumentFixture {};

TEST_F(TableChoiceTest, UTF8TextGetsNoTableAndEightBitTextStillDoes)
{
    // A table under which the bytes of UTF-8 text would look like letters: no longer chosen for it.
    dir.Write("QVXData/letters.tec", "C3=61\nB6=62\nE2=63\n86=64\n92=65\n84=E4\n94=F6\n");
    ASSERT_TRUE(OpenBytes("J\xC3\xB6rg \xE2\x86\x92 ok\nJ\xC3\xB6rg\n"));
    EXPECT_FALSE(doc->Charset().IsActive());
    EXPECT_EQ(doc->Charset().StatusName(), "UTF-8");
    ASSERT_TRUE(OpenBytes("K\x94ln \x84"));  // not UTF-8: the byte counts choose
    EXPECT_EQ(doc->Charset().Name(), "letters");

    // Text of many multi-byte characters is text, not binary.
    std::string cjk;
    for (int i = 0; i < 20; ++i)
        cjk += "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9\xE3\x83\x88\n";
    ASSERT_TRUE(OpenBytes(cjk));
    EXPECT_FALSE(doc->BinaryMode());
    EXPECT_FALSE(doc->Charset().IsActive());
    EXPECT_EQ(AllBytes(), cjk);
}

TEST_F(TableChoiceTest, UTF16TextIsNamedAndShownInBinaryMode)
{
    const std::string utf16("\xFF\xFEJ\0\xF6\0r\0g\0\n\0", 12);
    ASSERT_TRUE(OpenBytes(utf16));
    EXPECT_TRUE(doc->BinaryMode());
    ASSERT_FALSE(prompter.Texts().empty());
    EXPECT_NE(prompter.Texts().back().find("UTF-16 text (byte-order mark FF FE)"), std::string::npos);
    EXPECT_EQ(AllBytes(), utf16);  // every byte stays
}

class Utf8SearchTest : public DocumentFixture {
protected:
    ViewState state{0, 0, 20, 80};
    SearchOptions options;
    SearchCommands commands{*doc, state, options};
};

TEST_F(Utf8SearchTest, UTF8TextIsFoundWhereGrepFindsItAndNoCharacterIsSplit)
{
    std::string text;
    for (int i = 0; i < 7; ++i)
        text += "Gr\xC3\xBC\xC3\x9F J\xC3\xB6rg, \xE3\xA9\x80 \xCE\xB1\xCE\xB2 j\xC3\xB6rg \xE2\x86\x92 " +
                std::to_string(i) + "\n";
    ASSERT_TRUE(OpenBytes(text, "mixed.txt"));
    ASSERT_FALSE(doc->Charset().IsActive());
    const auto grepCount = [this](const std::string& wanted, const char* flags) {
        const std::string command = std::string("grep -o ") + flags + " -F '" + wanted + "' '" + dir.File("mixed.txt") +
                                    "' | wc -l > '" + dir.File("count") + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        return std::stoll(ReadFile(dir.File("count")));
    };
    options.query.matchCase = true;
    options.query.text = "J\xC3\xB6rg";
    EXPECT_EQ(commands.CountMatches(), grepCount(options.query.text, ""));
    EXPECT_EQ(commands.CountMatches(), 7);
    options.query.matchCase = false;  // "jörg" and "Jörg" alike
    EXPECT_EQ(commands.CountMatches(), 14);
    options.query.text = "\xC3\xA9";  // "é": the bytes of "㩀" folded one by one would hold it
    EXPECT_EQ(commands.CountMatches(), 0);
    options.query.regex = true;
    options.query.text = "J\xC3\xB6rg,";
    EXPECT_EQ(commands.CountMatches(), 7);

    // A counter marker typed as UTF-8 ("µ" is C2 B5) is replaced whole.
    options.query.regex = false;
    options.query.text = "\xE2\x86\x92";
    options.replacement = "#\xC2\xB5"
                          "02d";
    options.counterOn = true;
    options.counterStart = 1;
    EXPECT_EQ(commands.ReplaceText(true), 7);
    EXPECT_NE(AllBytes().find("rg #07 6\n"), std::string::npos);
    EXPECT_EQ(AllBytes().find("\xC2#"), std::string::npos);
}

// Every hit of Find from the top, as the byte offsets of the hits' starts.
std::vector<long long> FoundOffsets(Document& doc, ViewState& state, SearchOptions& options)
{
    Finder search(doc, state, options.query);
    doc.Selection().cursor.line = 0;
    doc.Selection().cursor.column = doc.Selection().preferredColumn = 0;
    doc.Selection().Clear();
    std::vector<long long> offsets;
    while (search.FindForward(false) && offsets.size() < 1000) {
        long long offset = 0;
        for (LineIndex k = 0; k < doc.Selection().anchor.line; ++k)
            offset += doc.Text().Line(k).Length();
        offsets.push_back(offset + ColumnToIndex(doc.Text().Line(doc.Selection().anchor.line),
                                                 doc.Selection().anchor.column, doc.Rules()));
    }
    return offsets;
}

// Greek, Cyrillic, CJK, emoji and combining marks beside German: Find, case-blind Find and
// expressions on characters land where grep (in a UTF-8 locale) finds them, and Count agrees.
TEST_F(Utf8SearchTest, FindsAndCountsWhereGrepDoesOnAMixedCorpus)
{
    const std::string text =
        "J\xC3\xB6rg und JORG, J\xC3\x96RG j\xC3\xB6rg Jo\xCC\x88rg\n"
        "\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1 \xCE\xB1\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1 "
        "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0 \xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0\n"
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xF0\x9F\x98\x80J\xC3\xA4rg JXrg \xC3\xA4\xC3\xB6\xC3\xBC\n";
    ASSERT_TRUE(OpenBytes(text, "corpus.txt"));
    ASSERT_TRUE(doc->Utf8Text());
    const auto grep = [this](const std::string& flags, const std::string& pattern) {
        const std::string command = "LC_ALL=C.UTF-8 grep -ob " + flags + " -e '" + pattern + "' '" +
                                    dir.File("corpus.txt") + "' | cut -d: -f1 > '" + dir.File("offsets") + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        std::vector<long long> offsets;
        std::istringstream in(ReadFile(dir.File("offsets")));
        for (long long offset; in >> offset;)
            offsets.push_back(offset);
        return offsets;
    };
    struct Case {
        std::string find;
        bool regex, matchCase;
        std::string grepFlags;
    };
    const Case cases[] = {
        {"J\xC3\xB6rg", false, true, "-F"},
        {"j\xC3\xB6rg", false, false, "-Fi"},                                       // "jörg" finds "JÖRG"
        {"\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0", false, false, "-Fi"},  // "москва"
        {"\xCE\xB1\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1", false, false, "-Fi"},          // "αθήνα"
        {"J.rg", true, true, "-E"},                                                 // "." is one character
        {"J.rg", true, false, "-Ei"},
        {"[\xC3\xA4\xC3\xB6\xC3\xBC]", true, true, "-E"},  // "[äöü]"
        {"\xE6\x9C\xAC.", true, true, "-E"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.find);
        options.query.text = c.find;
        options.query.regex = c.regex;
        options.query.matchCase = c.matchCase;
        const std::vector<long long> expected = grep(c.grepFlags, c.find);
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(FoundOffsets(*doc, state, options), expected);
        doc->Selection().cursor.line = 0;
        doc->Selection().cursor.column = 0;
        doc->Selection().Clear();
        EXPECT_EQ(commands.CountMatches(), static_cast<std::int64_t>(expected.size()));
    }
}

// An 8-bit file that no table suits stays 8-bit: typed and pasted characters become its code page
// 1252 bytes, and case folds as in that code page, so that its text stays of one encoding.
TEST_F(Utf8SearchTest, AnEightBitFileWithoutATableKeepsItsCodePage)
{
    ASSERT_TRUE(OpenBytes("K\xF6ln\n"));
    ASSERT_FALSE(doc->Charset().IsActive());
    EXPECT_FALSE(doc->Utf8Text());
    FakeClipboard clipboard;
    EditorInput input(*doc, state, clipboard);
    input.Type("\xC3\xA4");       // "ä"
    clipboard.text = "\xC3\x9F";  // "ß"
    input.Clip().Paste();
    EXPECT_EQ(AllBytes(), "\xE4\xDFK\xF6ln\n");
    options.query.text = "k\xD6LN";  // "kÖLN", as the dialog gives it for such a file
    options.query.matchCase = false;
    EXPECT_EQ(commands.CountMatches(), 1);
    clipboard.text = "\xE2\x86\x92";  // "→": code page 1252 has no byte for it
    input.Clip().Paste();
    EXPECT_EQ(AllBytes(), "\xE4\xDFK\xF6ln\n");
    EXPECT_NE(prompter.Texts().back().find("code page 1252"), std::string::npos);
    // A new text is UTF-8.
    doc->New();
    EXPECT_TRUE(doc->Utf8Text());
}

}  // namespace
}  // namespace quill::test
