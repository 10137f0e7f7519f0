// The field commands as a user meets them, with scripted dialogs.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "commands/FieldOperations.h"
#include "support/DocumentFixture.h"
#include "support/ScriptedStructureDialogs.h"

namespace quill::test {
namespace {

using LineList = std::vector<std::string>;

class FieldOperationsTest : public DocumentFixture {
protected:
    FieldDef& Add(const std::string& name, int offset, int length, int colour = 4, const std::string& typeValue = {},
                  bool recordType = false)
    {
        StructureDescription& structure = doc->Structure();
        structure.SetActive(true);
        auto field = std::make_unique<FieldDef>();
        field->name = name;
        field->offset = offset;
        field->length = length;
        field->color = colour;
        field->typeValue = typeValue;
        field->isRecordType = recordType;
        FieldDef& added = structure.AddField(std::move(field));
        if (recordType)
            structure.SetRecordTypeField(&added);
        return added;
    }
    void At(LineIndex line, Column column)
    {
        doc->Selection().cursor.line = line;
        doc->Selection().cursor.column = doc->Selection().preferredColumn = column;
        doc->Text().SetCurrentLine(line);
    }
    void Select(LineIndex line, Column from, Column to)
    {
        At(line, to);
        doc->Selection().anchor.line = line;
        doc->Selection().anchor.column = from;
    }
    static ScriptedStructureDialogs::Step<FieldDialogModel> NameField(std::string name, bool recordType = false,
                                                                      std::string length = {})
    {
        return [=](FieldDialogModel& model) {
            model.name = name;
            model.isRecordType = recordType;
            if (!length.empty())
                model.length = length;
            return true;
        };
    }
    ScriptedStructureDialogs dialogs;
    FieldOperations operations{*doc, dialogs};
};

TEST_F(FieldOperationsTest, AddingAFieldToAFileWithoutADescriptionCreatesOne)
{
    ASSERT_TRUE(OpenBytes("0112345Smith\n", "orders.dat"));
    Select(0, 2, 7);
    dialogs.structure.push_back([](StructureDialogModel& model) {
        model.name = "orders";
        return true;
    });
    dialogs.associate.push_back([](AssociateDialogModel& model) {
        model.Check(2);
        return true;
    });
    dialogs.field.push_back(NameField("number"));
    ASSERT_TRUE(operations.AddField());
    const StructureDescription& structure = doc->Structure();
    EXPECT_TRUE(structure.IsActive());
    EXPECT_EQ(structure.Masks(), std::vector<std::string>{"*.dat"});
    ASSERT_EQ(structure.FieldCount(), 1u);
    EXPECT_EQ(structure.Field(0).name, "NUMBER");
    EXPECT_EQ(structure.Field(0).offset, 2);
    EXPECT_EQ(structure.Field(0).length, 5);
    EXPECT_FALSE(doc->Selection().Active());
    EXPECT_NE(ReadFile(dir.File("QVXData/orders.ini")).find("[NUMBER_0000]"), std::string::npos);
}

// The mask is asked for once: a Structure dialog that tied the new description to the file
// already ("This Mask") is not followed by a second question.
TEST_F(FieldOperationsTest, TheMaskOfANewDescriptionIsAskedForOnce)
{
    ASSERT_TRUE(OpenBytes("0112345Smith\n", "orders.dat"));
    Select(0, 2, 7);
    dialogs.structure.push_back([](StructureDialogModel& model) {
        model.name = "orders";
        model.masks.ThisMask();
        return true;
    });
    int asked = 0;
    dialogs.associate.push_back([&asked](AssociateDialogModel& model) {
        ++asked;
        model.Check(2);
        return true;
    });
    dialogs.field.push_back(NameField("number"));
    ASSERT_TRUE(operations.AddField());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(dialogs.unscripted, 0);  // no second question
    EXPECT_EQ(doc->Structure().Masks(), std::vector<std::string>{"*.dat"});
}

// Fields added one after another, apart from each other, do not all get the same colour.
TEST_F(FieldOperationsTest, FieldsAddedApartGetDifferentColours)
{
    ASSERT_TRUE(OpenBytes(std::string(40, 'x') + "\n"));
    Add("FIRST", 0, 3, 0);
    for (Column from : {10, 20, 30}) {
        Select(0, from, from + 3);
        dialogs.field.push_back(NameField("f" + std::to_string(from)));
        ASSERT_TRUE(operations.AddField());
    }
    const StructureDescription& structure = doc->Structure();
    ASSERT_EQ(structure.FieldCount(), 4u);
    for (std::size_t k = 1; k < 4; ++k)
        EXPECT_NE(structure.Field(k).color, structure.Field(k - 1).color) << k;
}

TEST_F(FieldOperationsTest, ANewDescriptionTakesEffectLikeAnOpenedOne)
{
    ASSERT_TRUE(OpenBytes("0112345Smith0298765Jones\n", "orders.dat"));
    doc->Syntax().SetActive(true);
    settings.wordWrap = 1;
    Select(0, 2, 7);
    dialogs.structure.push_back([](StructureDialogModel& model) {
        model.name = "orders";
        model.recordLength = "12";
        return true;
    });
    dialogs.associate.push_back([](AssociateDialogModel&) { return false; });
    dialogs.field.push_back(NameField("number"));
    ASSERT_TRUE(operations.AddField());
    EXPECT_FALSE(doc->Syntax().IsActive());  // syntax colours and field backgrounds exclude each other
    EXPECT_EQ(doc->Config().Get(Layout::WordWrap), 0);
    EXPECT_TRUE(doc->OverwriteMode());
    EXPECT_EQ(Lines(), (LineList{"0112345Smith", "0298765Jones", "\n"}));
    // The view was told, and the field ruler it then shows follows the active structure.
    EXPECT_GT(view.structureChanges, 0);
    EXPECT_TRUE(doc->Structure().IsActive());
}

TEST_F(FieldOperationsTest, CancellingTheNewDescriptionAddsNothing)
{
    ASSERT_TRUE(OpenBytes("abcdef\n"));
    Select(0, 1, 3);
    EXPECT_FALSE(operations.AddField());  // the Structure dialog is cancelled
    EXPECT_FALSE(doc->Structure().IsActive());
    EXPECT_EQ(doc->Structure().FieldCount(), 0u);
}

TEST_F(FieldOperationsTest, OverlapsAreRefusedAndColoursDiffer)
{
    ASSERT_TRUE(OpenBytes(std::string(40, 'x') + "\n"));
    Add("LEFT", 0, 5, 1);
    Add("MID", 12, 9, 6);
    Add("RIGHT", 30, 5, 2);
    Select(0, 10, 15);
    EXPECT_FALSE(operations.AddField());
    EXPECT_EQ(prompter.Texts().back(), "Field overlap detected!");

    Select(0, 21, 25);  // right after a field of colour 6
    dialogs.field.push_back(NameField("after6"));
    ASSERT_TRUE(operations.AddField());
    EXPECT_EQ(doc->Structure().Field(3).color, 0);

    Add("ONE", 36, 2, 1);
    Select(0, 5, 12);  // between LEFT (1) and MID (6): 2
    dialogs.field.push_back(NameField("between"));
    ASSERT_TRUE(operations.AddField());
    EXPECT_EQ(doc->Structure().Field(5).color, 2);
    Select(0, 25, 30);  // between colour 0 and RIGHT (2): 1, not equal to 2
    dialogs.field.push_back(NameField("gap"));
    ASSERT_TRUE(operations.AddField());
    EXPECT_EQ(doc->Structure().Field(6).color, 1);
}

TEST_F(FieldOperationsTest, ALongerFieldMovesTheFieldsAfterItOnOk)
{
    ASSERT_TRUE(OpenBytes("01abcde\n"));
    Add("KIND", 0, 2, 0, "", true);
    Add("A", 2, 5, 1, "01");
    Add("B", 7, 3, 2, "01");
    Add("C", 9, 3, 2, "02");
    At(0, 3);
    dialogs.field.push_back(NameField("a", false, "8"));
    prompter.Expect("Move fields after this one according to the new length?", Answer::Ok);
    ASSERT_TRUE(operations.ModifyField());
    EXPECT_EQ(doc->Structure().Field(2).offset, 10);
    EXPECT_EQ(doc->Structure().Field(3).offset, 12);  // other record types move too
}

TEST_F(FieldOperationsTest, ASecondRecordTypeFieldNeedsAYes)
{
    ASSERT_TRUE(OpenBytes("01abc\n"));
    FieldDef& kind = Add("KIND", 0, 2, 0, "", true);
    Add("OTHER", 2, 3, 1, "01");
    At(0, 3);
    dialogs.field.push_back(NameField("other", true));
    prompter.Expect("Another field is already the record type!\nSet new field as record type field?", Answer::No);
    ASSERT_TRUE(operations.ModifyField());
    EXPECT_EQ(doc->Structure().RecordTypeField(), &kind);
    EXPECT_FALSE(doc->Structure().Field(1).isRecordType);
}

TEST_F(FieldOperationsTest, DeleteAndCopyRecordType)
{
    ASSERT_TRUE(OpenBytes("01abc\n02xyz\n"));
    Add("KIND", 0, 2, 0, "", true);
    Add("A", 2, 1, 1, "01");
    Add("B", 3, 2, 2, "01");
    Add("X", 2, 3, 3, "02");
    At(0, 3);
    entry.answers = {"01"};  // the current value itself: each field is copied once
    ASSERT_TRUE(operations.CopyRecordType());
    EXPECT_EQ(entry.asked.back(), "Value|01");
    ASSERT_EQ(doc->Structure().FieldCount(), 6u);
    EXPECT_EQ(doc->Structure().Field(4).name, "A");
    EXPECT_EQ(doc->Structure().Field(5).name, "B");

    prompter.Expect("Delete field \"A\"?", Answer::Ok);
    At(0, 2);
    ASSERT_TRUE(operations.DeleteField());
    EXPECT_EQ(doc->Structure().FieldCount(), 5u);
}

TEST_F(FieldOperationsTest, SumAddsDecimalStringsAndAsksAboutOtherValues)
{
    // Delimited records: the field ends at the line end, whatever its width.
    auto delimited = [this] {
        Add("N", 0, 0);
        doc->Structure().SetFieldType(StructureDescription::kDelimiter);
        At(0, 0);
    };
    ASSERT_TRUE(OpenBytes("12\n 7\n100\n"));
    delimited();
    EXPECT_EQ(operations.SumField(), "119");  // the empty line after the last LF is no record
    EXPECT_EQ(entry.asked.back(), "Total|119");
    ASSERT_TRUE(OpenBytes("12\n95\n1\n"));
    delimited();
    EXPECT_EQ(operations.SumField(), "0108");

    ASSERT_TRUE(OpenBytes("1\n1.5\nx\n2\n"));
    delimited();
    prompter.Expect("Field is not numeric!\nSkip all?", Answer::Yes);  // later ones are skipped silently
    EXPECT_EQ(operations.SumField(), "03");
    prompter.Expect("Field is not numeric!\nSkip all?", Answer::Cancel);
    EXPECT_EQ(operations.SumField(), std::nullopt);
    EXPECT_EQ(doc->Selection().cursor.line, 0);  // back where the command started

    // Tab-delimited records: the second field is read from its bytes, not from its columns.
    ASSERT_TRUE(OpenBytes("a\t12\r\nbcde\t30\r\nd\t 5\r\n"));
    Add("NAME", 0, 0);
    Add("AMOUNT", 0, 0);
    doc->Structure().SetFieldType(StructureDescription::kDelimiter);
    doc->Structure().SetDelimiter("\\t");
    At(0, 4);
    EXPECT_EQ(operations.SumField(), "047");
}

TEST_F(FieldOperationsTest, DecimalAddHasNoLimitOnDigits)
{
    std::string sum;
    FieldOperations::DecimalAdd(sum, std::string(40, '9'));
    FieldOperations::DecimalAdd(sum, "1");
    EXPECT_EQ(sum, "1" + std::string(40, '0'));
    EXPECT_TRUE(FieldOperations::IsNumeric("  12"));
    EXPECT_TRUE(FieldOperations::IsNumeric(""));
    EXPECT_FALSE(FieldOperations::IsNumeric("12 "));
    EXPECT_FALSE(FieldOperations::IsNumeric("-1"));
}

TEST_F(FieldOperationsTest, MaxFindsTheFirstGreatestValueFromTheCursorOn)
{
    ASSERT_TRUE(OpenBytes("500\n100\n 99\n100\n"));
    Add("N", 0, 3);  // the records are three digits wide
    At(1, 2);
    ASSERT_TRUE(operations.MaxField());
    EXPECT_EQ(doc->Selection().cursor.line, 1);  // 100 first, the second 100 is not greater; 500 above is not looked at
    EXPECT_EQ(doc->Selection().cursor.column, 2);
    At(3, 0);
    ASSERT_TRUE(operations.MaxField());
    EXPECT_EQ(doc->Selection().cursor.line, 3);
}

TEST_F(FieldOperationsTest, SortKeepsTheHeaderAndReversesEqualKeys)
{
    ASSERT_TRUE(OpenBytes("H header\nC 1\nA 2\nB 3\nA 4\n"));
    FieldDef& letter = Add("LETTER", 0, 1);
    dialogs.sort.push_back([&letter](SortDialogModel& model) {
        model.selectedAvailable = 0;
        model.AddSelected();
        return model.Order().front() == &letter;
    });
    At(0, 0);
    ASSERT_TRUE(operations.SortByFields());
    EXPECT_EQ(Lines(), (LineList{"H header\n", "A 4\n", "A 2\n", "B 3\n", "C 1\n", ""}));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(AllBytes().size(), 25u);  // no byte lost or added
}

TEST_F(FieldOperationsTest, SortingKeepsALastRecordWithoutTerminatorApart)
{
    ASSERT_TRUE(OpenBytes("Z\nC\nA\nB"));
    FieldDef& letter = Add("LETTER", 0, 1);
    dialogs.sort.push_back([&letter](SortDialogModel& model) {
        model.AddSelected();
        return true;
    });
    ASSERT_TRUE(operations.SortByFields());
    EXPECT_EQ(AllBytes(), "Z\nA\nB\nC");
    (void)letter;
}

TEST_F(FieldOperationsTest, SortingMovesEachRecordWithItsOwnTerminator)
{
    const auto sortByFirstByte = [this](const std::string& bytes) {
        EXPECT_TRUE(OpenBytes(bytes));
        doc->Structure().Reset();
        Add("KEY", 0, 1);
        dialogs.sort.push_back([](SortDialogModel& model) {
            model.AddSelected();
            return true;
        });
        EXPECT_TRUE(operations.SortByFields());
        return AllBytes();
    };
    EXPECT_EQ(sortByFirstByte("1\r\n\n2\r\n5"), "1\r\n\n2\r\n5");  // the empty record has the smallest key
    EXPECT_EQ(sortByFirstByte("1\r\n9\n2\r\n5"), "1\r\n2\r\n5\n9");
    // bb takes the LF of c, which is last now.
    EXPECT_EQ(sortByFirstByte("a\r\nc\nb\r\nbb"), "a\r\nbb\nb\r\nc");
    EXPECT_EQ(sortByFirstByte("x\fc\r\nb\r\na"), "x\fa\r\nb\r\nc");
}

// A record's bytes without the LF, CR LF or FF that ends it.
std::string ContentOf(const std::string& line)
{
    if (!line.empty() && line.back() == '\f')
        return line.substr(0, line.size() - 1);
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0)
        return line.substr(0, line.size() - 2);
    if (!line.empty() && line.back() == '\n')
        return line.substr(0, line.size() - 1);
    return line;
}

TEST_F(FieldOperationsTest, SortingRandomMixedTerminatorsKeepsEveryRecordAndByte)
{
    settings.maxLineLen = 6;  // longer records are cut by the load
    std::mt19937 random(23);
    const char* const terminators[] = {"\n", "\r\n", "\f"};
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        std::string bytes;
        for (int r = 0, n = 2 + static_cast<int>(random() % 12); r < n; ++r) {
            bytes += std::string(random() % 10, static_cast<char>('a' + random() % 4));
            if (r + 1 < n || random() % 2)
                bytes += terminators[random() % 3];
        }
        ASSERT_TRUE(OpenBytes(bytes));
        std::vector<std::string> before;
        for (const std::string& line : Lines())
            before.push_back(ContentOf(line));
        doc->Structure().Reset();
        Add("KEY", 0, 1);
        dialogs.sort.push_back([](SortDialogModel& model) {
            model.AddSelected();
            return true;
        });
        operations.SortByFields();
        std::string sortedBefore = bytes, sortedAfter = AllBytes();
        std::sort(sortedBefore.begin(), sortedBefore.end());
        std::sort(sortedAfter.begin(), sortedAfter.end());
        ASSERT_EQ(sortedAfter, sortedBefore) << bytes;
        std::vector<std::string> after;
        for (const std::string& line : Lines())
            after.push_back(ContentOf(line));
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, before) << bytes;
    }
}

// A plain transcription of the insertion procedure, to check the fast sort against.
std::vector<LineIndex> InsertionOrder(const std::vector<std::optional<std::string>>& keys)
{
    std::vector<LineIndex> order;
    for (std::size_t i = 0; i < keys.size(); ++i)
        order.push_back(static_cast<LineIndex>(i));
    for (std::size_t n = 1; n < keys.size(); ++n) {
        // the record that originally was n is at position n: nothing after it has moved yet
        const LineIndex record = order[n];
        const auto& key = keys[static_cast<std::size_t>(record)];
        if (!key)
            continue;
        std::size_t target = 0;  // directly after the first record when nothing smaller is found
        for (std::size_t p = n; p-- > 0;) {
            const auto& other = keys[static_cast<std::size_t>(order[p])];
            if (other && *other < *key && p > 0) {
                target = p;
                break;
            }
        }
        order.erase(order.begin() + static_cast<std::ptrdiff_t>(n));
        order.insert(order.begin() + static_cast<std::ptrdiff_t>(target) + 1, record);
    }
    return order;
}

TEST(SortOrderTest, MatchesTheInsertionProcedureOnRandomRecords)
{
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::optional<std::string>> keys(1 + random() % 40);
        for (auto& key : keys)
            if (random() % 4)
                key = std::string(1 + random() % 2, static_cast<char>('a' + random() % 4));
        EXPECT_EQ(FieldOperations::SortedOrder(keys, keys.size()), InsertionOrder(keys)) << round;
    }
}

// The insertion procedure kept as blocks in a multimap: slower than the program's sort, but fast
// enough to check it on lists long enough for two threads.
std::vector<LineIndex> BlockOrder(const std::vector<std::optional<std::string>>& keys, std::size_t stopAfter)
{
    struct Block {
        LineIndex head;
        std::vector<LineIndex> run;
    };
    Block first{0, {}};
    std::multimap<std::string, Block> blocks;
    const std::size_t last = std::min(keys.size(), stopAfter + 1);
    for (std::size_t i = 1; i < last; ++i) {
        if (!keys[i]) {
            (blocks.empty() ? first.run : blocks.rbegin()->second.run).push_back(static_cast<LineIndex>(i));
            continue;
        }
        auto at = blocks.lower_bound(*keys[i]);
        Block& before = at == blocks.begin() ? first : std::prev(at)->second;
        Block block{static_cast<LineIndex>(i), {}};
        block.run.swap(before.run);
        blocks.emplace_hint(at, *keys[i], std::move(block));
    }
    std::vector<LineIndex> order;
    const auto emit = [&order](const Block& block) {
        order.push_back(block.head);
        order.insert(order.end(), block.run.begin(), block.run.end());
    };
    emit(first);
    for (const auto& entry : blocks)
        emit(entry.second);
    for (std::size_t i = std::max<std::size_t>(last, 1); i < keys.size(); ++i)
        order.push_back(static_cast<LineIndex>(i));
    return order;
}

TEST(SortOrderTest, LongListsSortedOnTwoThreadsAndStoppedSortsMatchTheBlocks)
{
    std::mt19937 random(23);
    std::vector<std::optional<std::string>> keys(150000);
    for (auto& key : keys)
        if (random() % 4)
            key = std::string(1 + random() % 3, static_cast<char>('a' + random() % 5));
    EXPECT_EQ(FieldOperations::SortedOrder(keys, keys.size()), BlockOrder(keys, keys.size()));
    for (std::size_t stopAfter : {0, 1, 9999, 120000})
        EXPECT_EQ(FieldOperations::SortedOrder(keys, stopAfter), BlockOrder(keys, stopAfter)) << stopAfter;
}

TEST_F(FieldOperationsTest, SortingByRandomFieldListsMatchesTheInsertionProcedure)
{
    std::mt19937 random(17);
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        // Records of a type (A or B) and two fields; B records have no field Y.
        std::vector<std::string> records;
        std::string bytes;
        for (int r = 0, n = 2 + static_cast<int>(random() % 25); r < n; ++r) {
            std::string record = std::string(1, "AB"[random() % 2]) + static_cast<char>('a' + random() % 3) +
                                 static_cast<char>('a' + random() % 3) + "\n";
            records.push_back(record);
            bytes += record;
        }
        ASSERT_TRUE(OpenBytes(bytes));
        doc->Structure().Reset();
        Add("TYPE", 0, 1, 0, "", true);
        Add("X", 1, 1, 1, "A");
        Add("X", 1, 1, 1, "B");
        Add("Y", 2, 1, 2, "A");
        std::vector<int> picks;
        for (int k = 0, n = 1 + static_cast<int>(random() % 3); k < n; ++k)
            picks.push_back(static_cast<int>(random() % 4));
        dialogs.sort.push_back([&picks](SortDialogModel& model) {
            for (int pick : picks) {
                model.selectedAvailable = pick;
                model.AddSelected();
            }
            return true;
        });
        // The keys by hand: the chosen fields' contents, none when a field does not apply.
        SortDialogModel names(doc->Structure());
        std::vector<std::optional<std::string>> keys;
        for (const std::string& record : records) {
            std::string key;
            bool complete = true;
            for (int pick : picks) {
                const FieldDef* field = names.Available()[static_cast<std::size_t>(pick)];
                if (!field->isRecordType && field->typeValue != record.substr(0, 1)) {
                    complete = false;
                    break;
                }
                key += record.substr(static_cast<std::size_t>(field->offset), 1);
            }
            keys.push_back(complete ? std::optional<std::string>(key) : std::nullopt);
        }
        ASSERT_TRUE(operations.SortByFields());
        std::string expected;
        for (LineIndex index : InsertionOrder(keys))
            expected += records[static_cast<std::size_t>(index)];
        EXPECT_EQ(AllBytes(), expected);
    }
}

}  // namespace
}  // namespace quill::test
