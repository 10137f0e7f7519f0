// The colours and marks of a row as the view paints them.
#include <gtest/gtest.h>

#include "structure/FieldDef.h"
#include "support/DocumentFixture.h"
#include "syntax/ColouringEngine.h"
#include "view/RowLayout.h"

namespace quill::test {
namespace {

class RowLayoutTest : public DocumentFixture {};

TEST_F(RowLayoutTest, TextColoursFollowBookmarksIgnoredFormatCodesAndSyntax)
{
    ASSERT_TRUE(OpenBytes("int x; // note\nplain\n"));
    RowLayout row = LayOutRow(*doc, 1, nullptr);
    EXPECT_EQ(row.colours.front(), -1);  // the window's text colour

    doc->Positions().ToggleBookmark(doc->File().Path(), 0, 1);
    row = LayOutRow(*doc, 1, nullptr);
    EXPECT_EQ(static_cast<std::uint32_t>(row.colours.front()), kBookmarkTextColour);
    EXPECT_EQ(LayOutRow(*doc, 1, nullptr, true).colours.front(), -1);  // printing: no bookmark colour

    auto comment = std::make_unique<SyntaxItem>();
    comment->name = "COMMENT";
    comment->start = "//";
    comment->color = 0x008000;  // red + 256 green + 65536 blue
    doc->Syntax().AddItem(std::move(comment));
    doc->Syntax().SetActive(true);
    ColouringEngine engine(doc->Syntax());
    engine.ColourLine(doc->Text().Line(0), true);
    row = LayOutRow(*doc, 0, &engine);
    EXPECT_EQ(row.colours[0], -1);
    EXPECT_EQ(static_cast<std::uint32_t>(row.colours[7]), 0x008000u);  // the colour as RGB

    doc->ToggleIgnoreFormatCodes();
    row = LayOutRow(*doc, 0, nullptr);
    EXPECT_EQ(row.colours[0], 0x000000);
}

TEST_F(RowLayoutTest, FormFeedsAndFieldBackgrounds)
{
    ASSERT_TRUE(OpenBytes("page one\fnext\nno feed\n"));
    EXPECT_TRUE(LayOutRow(*doc, 0, nullptr).formFeed);
    EXPECT_FALSE(LayOutRow(*doc, 1, nullptr).formFeed);
    EXPECT_FALSE(LayOutRow(*doc, 1, nullptr).structured);

    auto field = std::make_unique<FieldDef>();
    field->name = "F";
    field->offset = 2;
    field->length = 3;
    field->color = 1;
    doc->Structure().AddField(std::move(field));
    doc->Structure().SetActive(true);
    const RowLayout row = LayOutRow(*doc, 1, nullptr);
    ASSERT_TRUE(row.structured);
    ASSERT_EQ(row.fields.size(), 1u);
    EXPECT_EQ(row.fields[0].column, 2);
    EXPECT_EQ(row.fields[0].width, 3);
    EXPECT_EQ(row.fields[0].colour, kFieldPalette[1]);
}

TEST_F(RowLayoutTest, BoxColoursTellFormatCodesFromOtherBytes)
{
    settings.viewControlChars = 1;
    ASSERT_TRUE(OpenBytes("a\tb\x01\r\n"));
    const RowLayout row = LayOutRow(*doc, 0, nullptr);
    std::vector<std::uint32_t> boxes;
    for (const Cell& cell : row.cells)
        if (cell.box)
            boxes.push_back(RowLayout::BoxColour(cell));
    // TAB, 01, CR, LF
    EXPECT_EQ(boxes,
              (std::vector<std::uint32_t>{kFormatBoxColour, kOtherBoxColour, kFormatBoxColour, kFormatBoxColour}));
}

}  // namespace
}  // namespace quill::test
