// Typing, Enter, Backspace and Delete under every wrap mode, against a model of the bytes and the
// cursor's byte offset: however the lines are cut on screen, the keys act on the file's bytes.
#include <gtest/gtest.h>

#include <random>

#include "support/DocumentFixture.h"
#include "view/EditorInput.h"
#include "view/ViewState.h"

namespace quill::test {
namespace {

class TypingUnderWrapTest : public DocumentFixture {
protected:
    enum class Wrap { None, FixedWidth, FixedWidthNoWordWrap, Border };

    void Use(Wrap wrap, int width)
    {
        settings.autoIndent = 0;
        settings.wordWrap = wrap != Wrap::FixedWidthNoWordWrap;
        settings.truncateAtBorder = wrap == Wrap::Border;
        settings.pageWidth = width + 3;
        state.pageWidth = width + 3;
        settings.maxLineLen =
            wrap == Wrap::FixedWidth || wrap == Wrap::FixedWidthNoWordWrap ? width : Settings::kNoLineLimit;
        doc->ReflowKeepingOffset(-1);
    }

    /// Puts the cursor on a random cell, as a click would, and returns its byte offset.
    ByteOffset ClickSomewhere(std::mt19937& random)
    {
        const LineIndex line = static_cast<LineIndex>(random() % static_cast<unsigned>(doc->Text().LineCount()));
        const auto width = static_cast<unsigned>(doc->DisplayWidth(line));
        input.MousePress(line, random() % (width + 1), false, false);
        input.MouseRelease();
        return doc->CursorByteOffset();
    }

    ViewState state{0, 0, 20, 80};
    FakeClipboard clipboard;
    EditorInput input{*doc, state, clipboard};
};

TEST_F(TypingUnderWrapTest, KeysChangeTheBytesAtTheCursorWhateverTheWrapMode)
{
    std::mt19937 random(1207);
    const std::string letters = "ab ";
    for (int round = 0; round < 160; ++round) {
        SCOPED_TRACE(round);
        std::string model;
        for (int k = 0, n = static_cast<int>(random() % 40); k < n; ++k)
            model += random() % 8 ? letters[random() % letters.size()] : '\n';
        model += '\n';  // an LF text: Enter inserts one byte
        ASSERT_TRUE(OpenBytes(model));
        const auto wrap = static_cast<Wrap>(round % 4);
        Use(wrap, 4 + static_cast<int>(random() % 8));
        ByteOffset cursor = ClickSomewhere(random);
        for (int step = 0; step < 30; ++step) {
            SCOPED_TRACE(step);
            std::string rows;
            for (const auto& l : Lines())
                rows += "[" + l + "]";
            SCOPED_TRACE(rows + " cursor " + std::to_string(doc->Selection().cursor.line) + "," +
                         std::to_string(doc->Selection().cursor.column));
            const unsigned op = random() % 6;
            SCOPED_TRACE(op);
            switch (op) {
            case 0:
            case 1: {
                const std::string typed(1, letters[random() % letters.size()]);
                input.Type(typed);
                model.insert(static_cast<std::size_t>(cursor), typed);
                ++cursor;
                break;
            }
            case 2:
                input.Press(EditorKey::Enter, false, false);
                model.insert(static_cast<std::size_t>(cursor), "\n");
                ++cursor;
                break;
            case 3:
                input.Press(EditorKey::Backspace, false, false);
                if (cursor > 0)
                    model.erase(static_cast<std::size_t>(--cursor), 1);
                break;
            case 4:
                input.Press(EditorKey::Delete, false, false);
                if (cursor < static_cast<ByteOffset>(model.size()))
                    model.erase(static_cast<std::size_t>(cursor), 1);
                break;
            default: cursor = ClickSomewhere(random);
            }
            ASSERT_EQ(AllBytes(), model);
            ASSERT_EQ(doc->CursorByteOffset(), cursor);
        }
    }
}

}  // namespace
}  // namespace quill::test
