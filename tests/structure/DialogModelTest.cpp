// The structure dialogs without windows: proposals, enable rules and button effects.
#include <gtest/gtest.h>

#include "structure/AssociateDialogModel.h"
#include "structure/FieldDialogModel.h"
#include "structure/SortDialogModel.h"
#include "structure/StructureDescription.h"
#include "structure/StructureDialogModel.h"

namespace quill::test {
namespace {

TEST(AssociateDialogModelTest, ProposalsAndTheOwnMask)
{
    AssociateDialogModel model("/logs/run2016.log");
    EXPECT_EQ(model.proposal[0], "run2016.log");
    EXPECT_EQ(model.proposal[1], "/logs/*.log");
    EXPECT_EQ(model.proposal[2], "*.log");
    EXPECT_EQ(model.ownMask, "/logs/run????.log");
    EXPECT_EQ(model.Chosen(), "run2016.log");
    EXPECT_FALSE(model.OwnMaskEnabled());
    model.Check(3);
    EXPECT_TRUE(model.OwnMaskEnabled());
    model.ownMask = "/logs/run*.log";
    EXPECT_EQ(model.Chosen(), "/logs/run*.log");
    EXPECT_EQ(AssociateDialogModel("/data/part10.dat").ownMask, "/data/part??.dat");
    EXPECT_EQ(AssociateDialogModel("/data/plain.txt").ownMask, "/data/plain.txt");
}

TEST(FieldDialogModelTest, ControlsColoursAndApply)
{
    FieldDef field;
    field.name = "AMOUNT";
    field.offset = 4;
    field.length = 6;
    FieldDialogModel model(field, false);
    EXPECT_EQ(model.offset, "4");
    EXPECT_FALSE(model.ColourButtonEnabled(4));  // the default colour
    model.ChooseColour(2);
    EXPECT_TRUE(model.ColourButtonEnabled(4));
    EXPECT_FALSE(model.ColourButtonEnabled(2));
    model.isRecordType = true;
    EXPECT_FALSE(model.TypeValueEnabled());
    model.length = "x";
    model.Apply();
    EXPECT_EQ(field.length, 0);  // not a number: 0
    EXPECT_EQ(field.color, 2);
    EXPECT_TRUE(field.isRecordType);

    FieldDialogModel delimited(field, true);
    EXPECT_FALSE(delimited.OffsetAndLengthEnabled());
    EXPECT_EQ(delimited.offset, "");
    delimited.Apply();
    EXPECT_EQ(field.offset, 0);
}

class StructureDialogModelTest : public ::testing::Test {
protected:
    StructureDialogModelTest()
    {
        for (const char* name : {"A", "B", "C"}) {
            auto field = std::make_unique<FieldDef>();
            field->name = name;
            description.AddField(std::move(field));
        }
    }
    StructureDescription description;
    int edits = 0;
    StructureDialogModel model{description,
                               [this](FieldDef& field) {
                                   ++edits;
                                   field.name = "NEW";
                                   return true;
                               },
                               [] { return std::optional<std::string>("*.rec"); }};
};

TEST_F(StructureDialogModelTest, FieldButtons)
{
    EXPECT_EQ(model.FieldLines().front(), " 0000 A");
    model.selectedField = 0;
    model.FieldUp();  // the first cannot go up
    EXPECT_EQ(description.Field(0).name, "A");
    model.FieldDown();
    EXPECT_EQ(description.Field(1).name, "A");
    EXPECT_EQ(model.selectedField, 1);
    model.selectedField = 2;
    model.FieldDown();  // the last cannot go down
    model.DeleteSelectedField();
    EXPECT_EQ(description.FieldCount(), 2u);
    model.NewField();
    EXPECT_EQ(description.Field(2).name, "NEW");
    EXPECT_EQ(edits, 1);
}

TEST_F(StructureDialogModelTest, MaskButtonsAndOk)
{
    MaskListModel& masks = model.masks;
    masks.maskText = "*.dat";
    masks.NewMask();
    masks.maskText = "";
    masks.NewMask();  // empty: nothing
    masks.ThisMask();
    EXPECT_EQ(description.Masks(), (std::vector<std::string>{"*.dat", "*.rec"}));
    masks.SelectMask(0);
    EXPECT_EQ(masks.maskText, "*.dat");
    masks.maskText = "*.txt";
    masks.ModifyMask();
    masks.SelectMask(1);
    masks.DeleteMask();
    EXPECT_EQ(description.Masks(), std::vector<std::string>{"*.txt"});

    EXPECT_FALSE(model.DelimiterEnabled());
    model.type = 1;
    EXPECT_TRUE(model.DelimiterEnabled());
    model.name = "orders";
    model.recordLength = "12abc";
    model.Apply();
    EXPECT_EQ(description.Name(), "orders");
    EXPECT_EQ(description.RecordLength(), 12);
    EXPECT_EQ(description.FieldType(), 1);
}

TEST(SortDialogModelTest, ChoosingAndOrderingFields)
{
    StructureDescription description;
    for (const char* name : {"ZIP", "AMOUNT", "NAME"}) {
        auto field = std::make_unique<FieldDef>();
        field->name = name;
        description.AddField(std::move(field));
    }
    SortDialogModel model(description);
    ASSERT_EQ(model.Available().size(), 3u);
    EXPECT_EQ(model.Available()[0]->name, "AMOUNT");
    model.AddSelected();
    model.AddSelected();
    EXPECT_EQ(model.selectedAvailable, 2);
    model.AddSelected();
    model.AddSelected();  // the same field may be chosen again
    ASSERT_EQ(model.Order().size(), 4u);
    EXPECT_EQ(model.Order()[1]->name, "NAME");
    model.selectedOrder = 0;
    model.MoveUp();
    EXPECT_EQ(model.Order()[0]->name, "AMOUNT");
    model.MoveDown();
    EXPECT_EQ(model.Order()[1]->name, "AMOUNT");
    model.RemoveSelected();
    EXPECT_EQ(model.Order().size(), 3u);
}

}  // namespace
}  // namespace quill::test
