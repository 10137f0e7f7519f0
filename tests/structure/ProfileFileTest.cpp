// Description files: reading rules, escaping, the write layout, walking sections.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "structure/ProfileFile.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace quill::test {
namespace {

ProfileFile Read(const std::string& text)
{
    TempDir dir;
    ProfileFile file;
    EXPECT_TRUE(file.Load(dir.Write("p.ini", text)));
    return file;
}

TEST(ProfileFileTest, LinesGiveKeysValuesAndCommentsWithoutTrimming)
{
    ProfileFile file = Read("Mask=*.dat;\r\n  Key=Value ; note\r\n;a remark\r\nTypeValue=;\r\nOffset = 5\r\n");
    const auto& e = file.Entries();
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[0].key, "Mask");
    EXPECT_EQ(e[0].value, "*.dat");
    EXPECT_EQ(e[0].comment, "");
    EXPECT_EQ(e[1].key, "Key");
    EXPECT_EQ(e[1].value, "Value ");
    EXPECT_EQ(e[1].comment, " note");
    EXPECT_EQ(e[2].key, "");
    EXPECT_EQ(e[2].comment, "a remark");
    std::string value = "preset";
    EXPECT_TRUE(file.GetString("", "TypeValue", value));
    EXPECT_EQ(value, "");
    EXPECT_EQ(file.GetInt("", "Offset", 7), 7);  // the key is "Offset " with its blank
    EXPECT_EQ(e[4].value, " 5");
}

TEST(ProfileFileTest, HeadersSectionsAndTheWalkOverThem)
{
    ProfileFile file =
        Read("\r\n[<General>]; ****\r\nRecordLength=80;\r\nMask=*.dat;\r\n\r\n[A_0000]; **\r\nOffset=1;\r\n"
             "Offset=2;\r\n[B_0001]\r\nLength=3;\r\n");
    std::string key, value, section;
    EXPECT_TRUE(file.NextEntry(key, value));
    EXPECT_EQ(key + "=" + value, "RecordLength=80");
    EXPECT_TRUE(file.NextEntry(key, value));
    EXPECT_FALSE(file.NextEntry(key, value));
    EXPECT_TRUE(file.NextSection(section));
    EXPECT_EQ(section, "A_0000");
    EXPECT_EQ(file.GetInt("A_0000", "Offset", 0), 1);  // the first of two wins
    EXPECT_TRUE(file.NextSection(section));
    EXPECT_EQ(section, "B_0001");
    EXPECT_FALSE(file.NextSection(section));
}

TEST(ProfileFileTest, WritesTheFixedLayout)
{
    ProfileFile file;
    file.AddString("<General>", "Mask", "*.dat");
    file.AddInt("<General>", "RecordLength", 80);
    file.AddString("Demo", "Offset", "12", "---x");
    file.AddString("", "", "", " a remark");
    file.AddString(std::string(72, 'S'), "K", "v");
    std::ostringstream out;
    file.Write(out);
    const std::string stars(75, '*');
    const std::string expected = "\r\n[<General>]; " + stars.substr(0, 72 - 9) +
                                 "\r\nMask=*.dat;\r\nRecordLength=80;\r\n" + "\r\n[Demo]; " + stars.substr(0, 68) +
                                 "\r\nOffset=12;" + std::string(74 - 8, '-') + "\r\n; a remark\r\n\r\n[" +
                                 std::string(72, 'S') + "]; \r\nK=v;\r\n";
    EXPECT_EQ(out.str(), expected);
    EXPECT_EQ(out.str().find("[<General>]; ") + 76 + 2, out.str().find("Mask"));  // a 76-character header
}

TEST(ProfileFileTest, SyntaxCharactersSurviveAndRandomEntriesRoundTrip)
{
    std::mt19937 random(3);
    ProfileFile written;
    std::vector<ProfileEntry> expected;
    for (int i = 0; i < 300; ++i) {
        auto text = [&](std::size_t n, bool allowSyntax) {
            std::string s;
            for (std::size_t k = 0; k < n; ++k) {
                char ch =
                    static_cast<char>(random() % 2 ? 'a' + random() % 26 : "[]=;\x80\x81\x82\x83 _-"[random() % 11]);
                if (!allowSyntax && (ch == '[' || ch == ']' || ch == '=' || ch == ';' || ch == ' ' ||
                                     static_cast<unsigned char>(ch) >= 0x80))
                    ch = 'k';
                s += ch;
            }
            return s;
        };
        std::string section = "S" + std::to_string(i / 7) + text(random() % 90, true);
        std::string key = "K" + text(random() % 20, false);
        std::string value = text(random() % 200, true);
        written.AddString(section, key, value);
        // 0x80-0x83 come back as the characters they stand for.
        expected.push_back(written.Entries().back());
    }
    std::ostringstream out;
    written.Write(out);
    TempDir dir;
    ProfileFile read;
    ASSERT_TRUE(read.Load(dir.Write("r.ini", out.str())));
    ASSERT_EQ(read.Entries().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(read.Entries()[i].section, expected[i].section);
        EXPECT_EQ(read.Entries()[i].key, expected[i].key);
        EXPECT_EQ(read.Entries()[i].value, expected[i].value);
    }
    ProfileFile escaped;
    escaped.AddString("s", "k", std::string("\x80") + "a=b;");
    EXPECT_EQ(escaped.Entries()[0].value, "[a=b;");
}

TEST(ProfileFileTest, MissingFilesAndEntries)
{
    ProfileFile file;
    EXPECT_FALSE(file.Load("/nonexistent/quill.ini"));
    EXPECT_TRUE(file.Entries().empty());
    ScriptedPrompter prompter;
    file.ReportMissing(&prompter);
    std::string value = "default";
    EXPECT_FALSE(file.GetString("Sec", "Key", value));
    EXPECT_EQ(value, "default");
    EXPECT_EQ(prompter.Texts().back(), "Eintrag \"Key\" fehlt im Abschnitt \"Sec\" in der Datei !");
    EXPECT_EQ(ProfileFile::ParseInt("  -12x"), -12);
    EXPECT_EQ(ProfileFile::ParseInt("abc"), 0);
}

}  // namespace
}  // namespace quill::test
