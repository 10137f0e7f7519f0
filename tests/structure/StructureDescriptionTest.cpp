// Structure descriptions: masks, files, the fields of a record, delimited records.
#include <gtest/gtest.h>

#include "common/BackslashCodes.h"
#include "structure/PathMask.h"
#include "structure/ProfileFile.h"
#include "structure/StructureDescription.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace quill::test {
namespace {

TEST(PathMaskTest, SplitPathAndWildcards)
{
    PathParts parts = SplitPath("C:\\data\\orders.dat");
    EXPECT_EQ(parts.folder, "C:\\data");
    EXPECT_EQ(parts.name, "orders");
    EXPECT_EQ(parts.extension, "dat");
    parts = SplitPath("/home/u/log.txt");
    EXPECT_EQ(parts.folder, "/home/u");
    EXPECT_EQ(SplitPath("*.dat").name, "*");
    EXPECT_EQ(SplitPath("README").extension, "README");

    EXPECT_TRUE(MaskMatches("*.dat", "D:\\x\\ORDERS.DAT"));
    EXPECT_FALSE(MaskMatches("*.dat", "D:\\x\\orders.dat2"));
    EXPECT_TRUE(MaskMatches("orders.*", "/any/where/orders.txt"));
    EXPECT_FALSE(MaskMatches("C:\\in\\*.txt", "D:\\in\\a.txt"));
    EXPECT_TRUE(MaskMatches("*README", "C:\\docs\\README"));
    EXPECT_FALSE(MaskMatches("README", "C:\\docs\\README"));
    EXPECT_TRUE(MaskMatches("*AB.txt", "AAB.txt"));
    EXPECT_TRUE(MaskMatches("A?C.txt", "abc.TXT"));
    EXPECT_FALSE(MaskMatches("A?C.txt", "abcd.txt"));
    EXPECT_TRUE(WildcardMatch("", "*"));
    EXPECT_FALSE(WildcardMatch("", "a"));
    EXPECT_TRUE(WildcardMatch("\xE4rger", "\xC4RGER"));  // case of code page 1252 letters
}

TEST(BackslashCodesTest, CodesBecomeBytes)
{
    std::string text = "a\\tb\\x41\\065\\300z\\\\n\\q";
    EXPECT_TRUE(InterpretBackslashes(text));
    EXPECT_EQ(text, std::string("a\tbAA,z\\n\\q"));
    std::string plain = "\\n\\R\\e\\F";
    EXPECT_FALSE(InterpretBackslashes(plain));
    EXPECT_EQ(plain, "\n\r\x1b\f");
    std::string shortCode = "\\6ab";
    InterpretBackslashes(shortCode);
    EXPECT_EQ(shortCode, std::string("\x06"
                                     "ab"));  // the letters after a short code stay
}

class DescriptionTest : public ::testing::Test {
protected:
    std::vector<std::string> Names(const std::string& record)
    {
        std::vector<std::string> names;
        for (FieldDef* field : description.FieldsOf(LineView(record), rules))
            names.push_back(field->name);
        return names;
    }
    FieldDef& Add(const std::string& name, int offset, int length, const std::string& typeValue = {},
                  bool recordType = false)
    {
        auto field = std::make_unique<FieldDef>();
        field->name = name;
        field->offset = offset;
        field->length = length;
        field->typeValue = typeValue;
        field->isRecordType = recordType;
        FieldDef& added = description.AddField(std::move(field));
        if (recordType)
            description.SetRecordTypeField(&added);
        return added;
    }
    TempDir dir;
    StructureDescription description;
    DisplayRules rules;
    ScriptedPrompter prompter;
};

TEST_F(DescriptionTest, RecordTypesChooseTheFieldsOfARecord)
{
    Add("KIND", 0, 2, "", true);
    Add("NAME", 2, 5, "01");
    Add("SUM", 2, 8, "02");
    Add("NOTE", 10, 3, "");
    EXPECT_EQ(Names("01Smith"), (std::vector<std::string>{"KIND", "NAME"}));
    EXPECT_EQ(Names("0200001234"), (std::vector<std::string>{"KIND", "SUM"}));
    EXPECT_EQ(Names(""), (std::vector<std::string>{"KIND", "NOTE"}));  // an empty type content
    EXPECT_EQ(description.FieldAt(LineView(std::string_view("01Smith")), 3, rules)->name, "NAME");
    EXPECT_EQ(description.FieldAt(LineView(std::string_view("01Smith")), 8, rules), nullptr);
    description.SetRecordTypeField(nullptr);
    description.Field(0).isRecordType = false;
    EXPECT_EQ(Names("01").size(), 4u);  // without a record-type field every field applies
}

TEST_F(DescriptionTest, DelimitedRecordsAreSplitPerRecord)
{
    description.SetFieldType(StructureDescription::kDelimiter);
    for (const char* name : {"A", "B", "C", "D", "E"})
        Add(name, 0, 0);
    description.PlaceFields(LineView(std::string_view("a;bb;;c")), rules);
    const int offsets[] = {0, 2, 5, 6, 8}, lengths[] = {1, 2, 0, 1, 0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(description.Field(static_cast<std::size_t>(i)).column, offsets[i]) << i;
        EXPECT_EQ(description.Field(static_cast<std::size_t>(i)).width, lengths[i]) << i;
    }
    description.SetDelimiter("\\t");
    rules.tabSize = 8;
    description.PlaceFields(LineView(std::string_view("a\tbb")), rules);
    EXPECT_EQ(description.Field(1).column, 8);
    EXPECT_EQ(description.Field(1).width, 2);
}

TEST_F(DescriptionTest, Utf8FieldsKeepTheirBytesAndShowTheCharactersThatBeginInThem)
{
    rules.utf8 = true;
    rules.ignoreFormatCodes = true;
    Add("NAME", 0, 5);
    Add("CITY", 5, 4);
    Add("SUM", 9, 3);
    // "Jérôme Ulm": "ô" begins in NAME (its first byte is NAME's last), so it is NAME's fourth
    // cell; CITY shows "me " and the fields after the two-byte characters begin two cells left.
    const std::string record = "J\xC3\xA9r\xC3\xB4me Ulm042\r\n";
    description.PlaceFields(LineView(record), rules);
    EXPECT_EQ(description.Field(0).column, 0);
    EXPECT_EQ(description.Field(0).width, 4);
    EXPECT_EQ(description.Field(1).column, 4);
    EXPECT_EQ(description.Field(1).width, 3);
    EXPECT_EQ(description.Field(2).column, 7);
    EXPECT_EQ(description.ContentOf(LineView(record), description.Field(2), rules), "Ulm");
    EXPECT_EQ(description.FieldAt(LineView(record), 6, rules)->name, "CITY");
    EXPECT_EQ(description.FieldAt(LineView(record), 7, rules)->name, "SUM");
    // The same bytes as one cell each when no UTF-8 is shown (a table is active).
    rules.utf8 = false;
    description.PlaceFields(LineView(record), rules);
    EXPECT_EQ(description.Field(2).column, 9);
}

TEST_F(DescriptionTest, FieldContentsAreReadByTheirBytesNotTheirColumns)
{
    description.SetFieldType(StructureDescription::kDelimiter);
    description.SetDelimiter("\\t");
    rules.tabSize = 8;
    for (const char* name : {"A", "B", "C"})
        Add(name, 0, 0);
    const std::string record = "12\t7\tx\ty\r\n";
    description.SplitRecord(LineView(record), rules);
    EXPECT_EQ(description.ContentOf(LineView(record), description.Field(0), rules), "12");
    EXPECT_EQ(description.ContentOf(LineView(record), description.Field(1), rules), "7");
    EXPECT_EQ(description.ContentOf(LineView(record), description.Field(2), rules), "x");
    // Semicolon-delimited fields with tabs inside them.
    description.SetDelimiter(";");
    const std::string tabbed = "\ta;\t\t5;b\n";
    description.SplitRecord(LineView(tabbed), rules);
    EXPECT_EQ(description.ContentOf(LineView(tabbed), description.Field(1), rules), "\t\t5");
    EXPECT_EQ(description.ContentOf(LineView(tabbed), description.Field(2), rules), "b");

    // A fixed-width field running past the record's end stops before its terminator.
    description.SetFieldType(StructureDescription::kOffsetAndLength);
    FieldDef& wide = Add("W", 1, 10);
    EXPECT_EQ(description.ContentOf(LineView(std::string_view("abc\r\n")), wide, rules), "bc");
    EXPECT_EQ(description.ContentOf(LineView(std::string_view("abc\f")), wide, rules), "bc");
    EXPECT_EQ(description.ContentOf(LineView(std::string_view("a\n")), wide, rules), "");
}

TEST_F(DescriptionTest, OutOfRangeNumbersAreHeldWithin32Bits)
{
    const std::string path =
        dir.Write("Huge.ini", "[<General>]\nRecordLength=99999999999999999999999\nType=0\n"
                              "[F_0000]\nOffset=2147483647\nLength=2147483647\nColor=-99999999999\n");
    ASSERT_TRUE(description.Load(path));
    EXPECT_EQ(description.RecordLength(), INT32_MAX);
    const FieldDef& field = description.Field(0);
    EXPECT_EQ(field.offset, INT32_MAX);
    EXPECT_EQ(field.End(), std::int64_t{INT32_MAX} * 2);
    EXPECT_EQ(field.color, INT32_MIN);
    EXPECT_EQ(description.ContentOf(LineView(std::string_view("abc")), field, rules), "");
    EXPECT_EQ(description.FieldAt(LineView(std::string_view("abc")), 2, rules), nullptr);
    EXPECT_EQ(ProfileFile::ParseInt("-99999999999999999999"), -INT64_MAX);
}

TEST_F(DescriptionTest, SavedDescriptionsLoadBackTheSame)
{
    description.SetActive(true);
    description.SetName("orders");
    description.SetRecordLength(80);
    description.SetFieldType(StructureDescription::kDelimiter);
    description.SetDelimiter("[=;]");
    description.Masks() = {"*.dat", "/exports/*.txt"};
    Add("KIND", 0, 2, "", true).comment = "record kind";
    Add("NAME", 2, 20, "01").color = 1;
    ASSERT_TRUE(description.Save(dir.Path(), prompter));
    const std::string text = ReadFile(dir.File("orders.ini"));
    EXPECT_EQ(text.rfind("\r\n[<General>]; ", 0), 0u);
    EXPECT_NE(text.find("\r\n[NAME_0001]; "), std::string::npos);

    StructureDescription loaded;
    ASSERT_TRUE(loaded.Load(dir.File("orders.ini")));
    EXPECT_TRUE(loaded.IsActive());
    EXPECT_EQ(loaded.Name(), "orders");
    EXPECT_EQ(loaded.RecordLength(), 80);
    EXPECT_EQ(loaded.FieldType(), 1);
    EXPECT_EQ(loaded.Delimiter(), "[=;]");
    EXPECT_EQ(loaded.Masks(), description.Masks());
    ASSERT_EQ(loaded.FieldCount(), 2u);
    EXPECT_EQ(loaded.RecordTypeField(), &loaded.Field(0));
    EXPECT_EQ(loaded.Field(0).comment, "record kind");
    EXPECT_EQ(loaded.Field(1).typeValue, "01");
    EXPECT_EQ(loaded.Field(1).color, 1);
    EXPECT_EQ(loaded.Field(1).length, 20);
}

TEST_F(DescriptionTest, HandWrittenFilesFollowTheReadingRules)
{
    dir.Write("hand.ini",
              "[<General>]\r\nMask=*.rec;\r\n[FOO_0000]\r\nType=1;\r\nLength=3;\r\n[foo_0001]\r\nType=1;\r\n"
              "[<Other>]\r\nMask=*.no;\r\n");
    ASSERT_TRUE(description.Load(dir.File("hand.ini")));
    ASSERT_EQ(description.FieldCount(), 2u);
    EXPECT_EQ(description.Field(0).name, "FOO");
    EXPECT_EQ(description.Field(1).name, "FOO");
    EXPECT_EQ(description.RecordTypeField(), &description.Field(1));  // the last one marked
    EXPECT_EQ(description.Delimiter(), ";");
    EXPECT_EQ(description.Masks(), std::vector<std::string>{"*.rec"});
    EXPECT_EQ(description.Field(0).color, 0);  // a missing key is 0
}

TEST_F(DescriptionTest, SelectionByMaskAndWriteFailures)
{
    dir.Write("a.ini", "[<General>]\r\nMask=*.aaa;\r\n");
    dir.Write("b.ini", "[<General>]\r\nMask=*.bbb;\r\n");
    dir.Write("notes.txt", "[<General>]\r\nMask=*.bbb;\r\n");
    EXPECT_TRUE(description.SelectForFile("/data/x.bbb", dir.Path()));
    EXPECT_EQ(description.Name(), "b");
    EXPECT_FALSE(description.SelectForFile("/data/x.ccc", dir.Path()));
    EXPECT_FALSE(description.IsActive());
    EXPECT_EQ(description.Name(), "<UNSTRUCTURED>");

    description.SetActive(true);
    description.SetName("no/such/folder");
    EXPECT_FALSE(description.Save(dir.Path(), prompter));
    EXPECT_EQ(prompter.Texts().back(),
              "Can\xB4t write " + dir.File("no/such/folder.ini") + "!\nNo such file or directory");
}

}  // namespace
}  // namespace quill::test
