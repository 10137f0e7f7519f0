// Runs every keyboard and mouse scenario of this folder over the toolkit-free editor. A scenario is
// a text file (*.scn) of directives, one a line; see README.md beside it. A new case needs no C++.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "commands/SearchMenu.h"
#include "search/SearchDialogs.h"
#include "support/DocumentFixture.h"
#include "support/Fakes.h"
#include "view/EditorInput.h"
#include "view/Navigation.h"
#include "view/StatusTexts.h"
#include "view/ViewState.h"

namespace quill::test {
namespace {

const std::string kFolder = QUILL_SOURCE_DIR "/tests/scenarios";

std::vector<std::string> ScenarioFiles()
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(kFolder))
        if (entry.path().extension() == ".scn")
            files.push_back(entry.path().stem().string());
    std::sort(files.begin(), files.end());
    return files;
}

// A quoted text with the escapes \r \n \t \f \\ \" and \xHH.
std::string Unquote(const std::string& text)
{
    const auto open = text.find('"');
    const auto close = text.rfind('"');
    if (open == std::string::npos || close == open)
        throw std::runtime_error("a quoted text is expected: " + text);
    std::string bytes;
    for (std::size_t i = open + 1; i < close; ++i) {
        if (text[i] != '\\' || i + 1 >= close) {
            bytes += text[i];
            continue;
        }
        switch (text[++i]) {
        case 'r': bytes += '\r'; break;
        case 'n': bytes += '\n'; break;
        case 't': bytes += '\t'; break;
        case 'f': bytes += '\f'; break;
        case 'x':
            bytes += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
            break;
        default: bytes += text[i];
        }
    }
    return bytes;
}

// The search dialog as a user fills it in, from the "search-answer" lines: a quoted find text,
// optionally a quoted replacement, then words: match-case, regex, up, extract, delete, replace-one
// (the button pressed; the first one by default). Without an answer the dialog is cancelled.
class AnsweringSearchDialogs : public SearchDialogs {
public:
    std::optional<SearchDialogModel::Button> Show(SearchDialogModel& model) override
    {
        if (answers.empty())
            return std::nullopt;
        const std::string answer = answers.front();
        answers.erase(answers.begin());
        const auto second = answer.find('"', answer.find('"', answer.find('"') + 1) + 1);
        const bool withReplacement = second != std::string::npos;
        model.findWhat = Unquote(answer.substr(0, withReplacement ? second : std::string::npos));
        if (withReplacement)
            model.replaceWith = Unquote(answer.substr(second));
        const std::string words = answer.substr(answer.rfind('"') + 1);
        const auto has = [&words](const char* word) { return words.find(word) != std::string::npos; };
        model.matchCase = has("match-case");
        model.useRegEx = has("regex");
        model.up = has("up");
        return has("extract") || has("replace-one") ? SearchDialogModel::kButton3
               : has("delete")                      ? SearchDialogModel::kButton4
                                                    : SearchDialogModel::kButton1;
    }
    bool ShowFolderReplace(FolderReplaceModel&) override { return false; }
    std::vector<std::string> answers;
};

class ScenarioTest : public DocumentFixture, public ::testing::WithParamInterface<std::string> {
protected:
    void Run(const std::string& name)
    {
        std::ifstream file(kFolder + "/" + name + ".scn");
        ASSERT_TRUE(file) << name;
        std::string line;
        int number = 0;
        while (std::getline(file, line)) {
            ++number;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::istringstream words(line);
            std::string directive;
            if (!(words >> directive) || directive[0] == '#')
                continue;
            std::string rest;
            std::getline(words, rest);
            SCOPED_TRACE(name + ".scn:" + std::to_string(number) + ": " + line);
            Apply(directive, rest);
            if (HasFatalFailure())
                return;
        }
    }

    void Apply(const std::string& directive, const std::string& rest)
    {
        std::istringstream args(rest);
        if (directive == "input") {
            ASSERT_TRUE(OpenBytes(Unquote(rest), "input.txt"));
            MakeEditor();
        } else if (directive == "restart") {
            // The program ends (the file's places are stored) and starts again on the same file,
            // in the window size and wrapping set now.
            search.reset();
            navigation.reset();
            input.reset();
            const std::string path = doc->File().Path();
            doc->Clear();
            doc->Config().KeepUserChoicesIn(settings);  // as the program does when it ends
            Reopen();
            ASSERT_TRUE(doc->Open(path));
            MakeEditor();
        } else if (directive == "resize") {
            // resize WIDTH: the window is made WIDTH cells wide, re-cut under border wrapping as
            // the window does once the user stops resizing.
            args >> state.pageWidth;
            settings.pageWidth = state.pageWidth;
            if (doc->Config().On(Layout::WrapAtBorder))
                doc->ReflowKeepingOffset(-1);
        } else if (directive == "reply") {
            // reply "question" ok|cancel|yes|no: the answer to a question asked next
            const std::string word = rest.substr(rest.rfind('"') + 1);
            const Answer answer = word.find("cancel") != std::string::npos ? Answer::Cancel
                                  : word.find("yes") != std::string::npos  ? Answer::Yes
                                  : word.find("no") != std::string::npos   ? Answer::No
                                                                           : Answer::Ok;
            prompter.Expect(Unquote(rest), answer);
        } else if (directive == "search-answer") {
            dialogs.answers.push_back(rest);
        } else if (directive == "set") {
            Set(args);
        } else if (directive == "key") {
            std::string keys;
            args >> keys;
            Key(keys);
        } else if (directive == "type") {
            input->Type(Unquote(rest));
        } else if (directive == "press" || directive == "move" || directive == "double-click") {
            LineIndex row = 0;
            std::int64_t column = 0;
            std::string modifier;
            args >> row >> column;
            std::string modifiers;
            while (args >> modifier)
                modifiers += modifier;
            if (directive == "press")
                input->MousePress(row, column, modifiers.find("shift") != std::string::npos,
                                  modifiers.find("ctrl") != std::string::npos);
            else if (directive == "move")
                input->MouseMove(row, column);
            else {
                input->MousePress(row, column, false, false);
                input->SelectWord();
            }
        } else if (directive == "release") {
            input->MouseRelease();
        } else if (directive == "goto-line") {
            LineIndex row = -1;
            std::int64_t column = -1;
            args >> row >> column;
            input->Motion().GoToLine(row, column);
        } else if (directive == "answer") {
            entry.answers.push_back(Unquote(rest));
        } else if (directive == "proposed") {
            ASSERT_FALSE(entry.proposed.empty());
            EXPECT_EQ(entry.proposed.back(), Unquote(rest));
        } else if (directive == "command") {
            std::string name;
            args >> name;
            Command(name);
        } else if (directive == "message") {
            ASSERT_FALSE(prompter.Texts().empty());
            EXPECT_EQ(prompter.Texts().back(), Unquote(rest));
        } else if (directive == "no-message") {
            EXPECT_TRUE(prompter.Texts().empty()) << prompter.Texts().back();
        } else if (directive == "structure") {
            // structure NAME OFFSET LENGTH: a field of a description made on the spot
            std::string name;
            auto field = std::make_unique<FieldDef>();
            args >> field->name >> field->offset >> field->length;
            doc->Structure().SetActive(true);
            doc->Structure().AddField(std::move(field));
        } else if (directive == "expect") {
            EXPECT_EQ(AllBytes(), Unquote(rest));
        } else if (directive == "cursor") {
            LineIndex row = 0;
            Column column = 0;
            args >> row >> column;
            EXPECT_EQ(doc->Selection().cursor.line, row);
            EXPECT_EQ(doc->Selection().cursor.column, column);
        } else if (directive == "offset") {
            ByteOffset offset = 0;
            args >> offset;
            EXPECT_EQ(doc->CursorByteOffset(), offset);
        } else if (directive == "scroll") {
            LineIndex top = 0;
            std::int64_t left = 0;
            args >> top >> left;
            EXPECT_EQ(state.topLine, top);
            EXPECT_EQ(state.leftColumn, left);
        } else if (directive == "selection") {
            std::string first;
            args >> first;
            if (first == "none") {
                EXPECT_FALSE(doc->Selection().Active());
            } else {
                EXPECT_TRUE(doc->Selection().Active());
                EXPECT_EQ(doc->Selection().anchor.line, std::stoll(first));
                Column column = 0;
                args >> column;
                EXPECT_EQ(doc->Selection().anchor.column, column);
            }
        } else if (directive == "clipboard") {
            EXPECT_EQ(clipboard.text.value_or("<none>"), Unquote(rest));
        } else if (directive == "clipboard-block") {
            int block = 0;
            args >> block;
            ASSERT_TRUE(clipboard.data && clipboard.data->size() >= 5);
            EXPECT_EQ((*clipboard.data)[0], block);
        } else if (directive == "clipboard-put") {
            clipboard.text = Unquote(rest);  // text another program put on the clipboard
            clipboard.data.reset();
        } else if (directive == "status") {
            EXPECT_EQ(CursorStatusText(*doc), Unquote(rest));
        } else if (directive == "modified") {
            int modified = 0;
            args >> modified;
            EXPECT_EQ(doc->IsModified(), modified != 0);
        } else {
            FAIL() << "unknown directive " << directive;
        }
    }

    void Command(const std::string& name)
    {
        if (name == "goto-line-column")
            navigation->GoToLineColumn();
        else if (name == "goto-byte")
            navigation->GoToByte();
        else if (name == "current-offset")
            navigation->ShowCurrentOffset();
        else if (name == "goto-offset-plus-selection")
            navigation->GoToOffsetPlusSelection();
        else if (name == "find-field")
            navigation->FindField();
        else if (name == "find-next-field")
            navigation->FindNextField();
        else if (name == "find-prev-field")
            navigation->FindPrevField();
        else if (name == "insert-hex")
            navigation->InsertHex(input->Editing());
        else if (name == "paste-with-counter")
            input->Clip().PasteWithCounter();
        else if (name == "select-word")
            input->SelectWord();
        else if (name == "find-next")
            search->FindNext();
        else if (name == "find-prev")
            search->FindPrevious();
        else if (name == "find-word-under-cursor")
            search->FindWordUnderCursor();
        else if (name == "find")
            search->Find();
        else if (name == "replace")
            search->Replace();
        else if (name == "count")
            search->Count();
        else if (name == "wrap-lines-at")
            doc->WrapLinesAt();
        else if (name == "wrap-at-border")
            doc->ToggleWrapAtWindowBorder();
        else if (name == "word-wrap")
            doc->ToggleWordWrap();
        else if (name == "bookmark")
            doc->ToggleBookmark();
        else if (name == "next-bookmark")
            doc->GoToBookmark(false, true);
        else if (name == "previous-bookmark")
            doc->GoToBookmark(false, false);
        else
            FAIL() << "unknown command " << name;
    }

    void Set(std::istringstream& args)
    {
        std::string name;
        int value = 0;
        args >> name >> value;
        if (name == "tabsize")
            doc->ChangeTabSize(value);
        else if (name == "autoindent")
            settings.autoIndent = value;
        else if (name == "tabasspace")
            settings.tabAsSpace = value;
        else if (name == "overwrite")
            doc->SetOverwriteMode(value != 0);
        else if (name == "page-lines")
            state.pageLines = value;
        else if (name == "page-width")
            state.pageWidth = settings.pageWidth = value;
        else
            FAIL() << "unknown setting " << name;
    }

    void Key(const std::string& keys)
    {
        bool shift = false, ctrl = false;
        std::string name = keys;
        for (std::size_t plus; (plus = name.find('+')) != std::string::npos && plus + 1 < name.size();) {
            const std::string modifier = name.substr(0, plus);
            shift |= modifier == "shift";
            ctrl |= modifier == "ctrl";
            name = name.substr(plus + 1);
        }
        static const std::map<std::string, EditorKey> kKeys = {
            {"left", EditorKey::Left},     {"right", EditorKey::Right},         {"up", EditorKey::Up},
            {"down", EditorKey::Down},     {"home", EditorKey::Home},           {"end", EditorKey::End},
            {"pageup", EditorKey::PageUp}, {"pagedown", EditorKey::PageDown},   {"insert", EditorKey::Insert},
            {"delete", EditorKey::Delete}, {"backspace", EditorKey::Backspace}, {"enter", EditorKey::Enter},
            {"tab", EditorKey::Tab},       {"escape", EditorKey::Escape}};
        if (auto key = kKeys.find(name); key != kKeys.end()) {
            input->Press(key->second, shift, ctrl);
        } else if (ctrl && name == "c") {
            input->Clip().Copy();
        } else if (ctrl && name == "x") {
            input->Clip().Cut();
        } else if (ctrl && name == "v") {
            input->Clip().Paste(shift);  // Ctrl+Shift+V pastes as a block
        } else if (ctrl && name == "a") {
            input->Motion().SelectAll();
        } else if (ctrl && name == "z") {
            shift ? doc->Redo() : doc->Undo();  // Ctrl+Shift+Z redoes
        } else {
            FAIL() << "unknown key " << keys;
        }
    }

    void MakeEditor()
    {
        input = std::make_unique<EditorInput>(*doc, state, clipboard);
        navigation = std::make_unique<Navigation>(*doc, state);
        search = std::make_unique<SearchMenu>(*doc, state, dialogs, *input);
    }

    ViewState state{0, 0, 20, 80};
    FakeClipboard clipboard;
    std::unique_ptr<EditorInput> input;
    std::unique_ptr<Navigation> navigation;
    AnsweringSearchDialogs dialogs;
    std::unique_ptr<SearchMenu> search;
};

TEST_P(ScenarioTest, Runs) { Run(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Scenarios, ScenarioTest, ::testing::ValuesIn(ScenarioFiles()),
                         [](const ::testing::TestParamInfo<std::string>& file) {
                             std::string name = file.param;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

}  // namespace
}  // namespace quill::test
