// Thousands of random description files, tables and position databases, read and used: none may
// crash the program or reach undefined behaviour (this suite also runs under the sanitizers).
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sqlite3.h>

#include "charset/ConversionTable.h"
#include "document/PositionStore.h"
#include "structure/StructureDescription.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "syntax/ColouringEngine.h"
#include "syntax/SyntaxDescription.h"
#include "view/FieldSpans.h"

namespace quill::test {
namespace {

class HostileFilesTest : public ::testing::Test {
protected:
    std::string Pick(std::initializer_list<const char*> choices)
    {
        auto it = choices.begin();
        std::advance(it, static_cast<std::ptrdiff_t>(random() % choices.size()));
        return *it;
    }
    /// A number as a hostile file would hold it: huge, negative, empty, with junk after it.
    std::string Number()
    {
        switch (random() % 8) {
        case 0: return "99999999999999999999999999";
        case 1: return "-" + std::to_string(random());
        case 2: return "2147483647";
        case 3: return "-2147483648";
        case 4: return "";
        case 5: return std::to_string(random() % 10) + "x";
        default: return std::to_string(random() % 40);
        }
    }
    std::string Bytes(std::size_t maxLength, const char* alphabet = nullptr)
    {
        std::string text(random() % (maxLength + 1), ' ');
        for (char& ch : text)
            ch = alphabet ? alphabet[random() % std::strlen(alphabet)] : static_cast<char>(random() % 256);
        return text;
    }
    std::string Value() { return random() % 2 ? Number() : Bytes(12, "ab;=[]\\t\"/*\r\n\x82\x83 "); }
    /// Sections of random keys from the given list, with a general section now and then.
    std::string DescriptionFile(std::initializer_list<const char*> keys)
    {
        std::string file;
        for (int s = 0, sections = static_cast<int>(random() % 6); s < sections; ++s) {
            file += random() % 4 == 0 ? "[<General>]\r\n"
                                      : "[" + Bytes(6, "ABC_0123") + "_000" + std::to_string(s) + "]\r\n";
            for (int k = 0, n = static_cast<int>(random() % 8); k < n; ++k)
                file += Pick(keys) + "=" + Value() + (random() % 2 ? ";\r\n" : "\n");
            if (random() % 10 == 0)
                file += Bytes(20) + "\n";
        }
        return file;
    }
    std::string Record() { return Bytes(40, "0123;\t ab\r\n\f\x82"); }

    std::mt19937 random{20261207};
    TempDir dir;
    ScriptedPrompter prompter;
};

TEST_F(HostileFilesTest, StructureDescriptions)
{
    for (int round = 0; round < 1500; ++round) {
        const std::string path =
            dir.Write("s.ini", DescriptionFile({"RecordLength", "Type", "Delimiter", "Mask", "Offset", "Length",
                                                "Color", "TypeValue", "Comment"}));
        StructureDescription description;
        if (!description.Load(path))
            continue;
        DisplayRules rules;
        rules.tabSize = 1 + static_cast<int>(random() % 8);
        for (int r = 0; r < 6; ++r) {
            const std::string record = Record();
            const LineView view(record);
            for (FieldDef* field : description.FieldsOf(view, rules))
                (void)description.ContentOf(view, *field, rules);
            (void)description.FieldAt(view, static_cast<std::int64_t>(random() % 50), rules);
            (void)FieldSpansOf(description, view, rules);
            (void)description.RecordTypeOf(view, rules);
        }
        description.SetName("copy");
        description.Save(dir.Path(), prompter);
    }
}

TEST_F(HostileFilesTest, SyntaxDescriptionsColourAnyLine)
{
    for (int round = 0; round < 1500; ++round) {
        const std::string path =
            dir.Write("s.syn", DescriptionFile({"Mask", "Start", "End", "IgnorStart", "Ignor", "Keywords", "ExceptIn",
                                                "Color", "IgnorCase", "Overwrite", "Root", "Sub"}));
        SyntaxDescription syntax;
        if (!syntax.Load(path))
            continue;
        ColouringEngine engine(syntax);
        for (int r = 0; r < 6; ++r) {
            const std::string line = Bytes(30, "ab /*\"\\;=\r\n\t");
            engine.ColourLine(LineView(line), random() % 2 == 0);
            ColouringEngine::Run run{};
            while (engine.NextRun(run))
                (void)engine.RunColour(run);
        }
        engine.ColourLine(LineView(), true);  // an empty line
    }
}

TEST_F(HostileFilesTest, ConversionTables)
{
    ByteHistogram histogram{};
    for (auto& count : histogram)
        count = random() % 1000;
    for (int round = 0; round < 1000; ++round) {
        std::string file;
        for (int e = 0, n = static_cast<int>(random() % 20); e < n; ++e)
            file += random() % 3 ? Number() + "=" + Number() + "\r\n" : Bytes(10) + "\n";
        ConversionTable table;
        if (!table.Load(dir.Write("t.tec", file)))
            continue;
        (void)table.ToDisplay(Bytes(20));
        (void)table.FromDisplay(Bytes(20));
        (void)table.CountUndisplayable(histogram);
        (void)table.LineBreaksChanged();
    }
}

TEST_F(HostileFilesTest, PositionDatabases)
{
    const std::string path = dir.File("Bookmarks.db");
    {
        PositionStore create(path);
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    const char* values[] = {"9223372036854775807",
                            "-9223372036854775808",
                            "0",
                            "1",
                            "-1",
                            "'text'",
                            "NULL",
                            "3.5",
                            "99999999999999999999",
                            "2",
                            "40"};
    for (int row = 0; row < 400; ++row) {
        const std::string insert = std::string("INSERT INTO Bookmarks VALUES ('/f', ") + values[random() % 11] + ", " +
                                   values[random() % 11] + ", " + values[random() % 11] + ")";
        ASSERT_EQ(sqlite3_exec(db, insert.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    }
    sqlite3_close(db);
    PositionStore store(path);
    ASSERT_TRUE(store.ReadEntries("/f"));
    for (int step = 0; step < 3000; ++step) {
        const auto line = static_cast<LineIndex>(random() % 100);
        switch (random() % 4) {
        case 0: store.ShiftLines(line, random() % 2 ? 1 : -1); break;
        case 1: (void)store.HasBookmark(line); break;
        case 2: (void)store.FindBookmark(random() % 2 == 0, random() % 2 == 0, line); break;
        default: store.ToggleBookmark("/f", 0, line); break;
        }
    }
    EXPECT_TRUE(store.WriteEntries("/f"));
    for (const BookmarkEntry& entry : store.Entries())
        EXPECT_GE(entry.line, 0);
}

}  // namespace
}  // namespace quill::test
