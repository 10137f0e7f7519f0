// The search dialog's model and the Search menu's commands, with a scripted dialog.
#include <gtest/gtest.h>

#include <cstdlib>

#include <functional>
#include <sys/stat.h>

#include "commands/SearchMenu.h"
#include "search/SearchDialogs.h"
#include "support/DocumentFixture.h"
#include "support/Fakes.h"
#include "view/EditorInput.h"
#include "view/ViewState.h"

namespace quill::test {
namespace {

class ScriptedSearchDialogs : public SearchDialogs {
public:
    std::optional<SearchDialogModel::Button> Show(SearchDialogModel& model) override
    {
        shown.push_back(model.Title());
        if (steps.empty())
            return std::nullopt;
        auto step = std::move(steps.front());
        steps.erase(steps.begin());
        return step(model);
    }
    bool ShowFolderReplace(FolderReplaceModel& model) override
    {
        shown.push_back("Replace in Folder");
        if (!folderStep)
            return false;
        return folderStep(model);
    }
    std::vector<std::function<std::optional<SearchDialogModel::Button>(SearchDialogModel&)>> steps;
    std::function<bool(FolderReplaceModel&)> folderStep;
    std::vector<std::string> shown;
};

class SearchMenuTest : public DocumentFixture {
protected:
    void Answer(const std::string& text, SearchDialogModel::Button button = SearchDialogModel::kButton1,
                std::function<void(SearchDialogModel&)> more = {})
    {
        dialogs.steps.push_back([=](SearchDialogModel& model) -> std::optional<SearchDialogModel::Button> {
            model.findWhat = text;
            if (more)
                more(model);
            return button;
        });
    }

    ViewState state{0, 0, 20, 80};
    FakeClipboard clipboard;
    EditorInput input{*doc, state, clipboard};
    ScriptedSearchDialogs dialogs;
    SearchMenu menu{*doc, state, dialogs, input};
};

TEST_F(SearchMenuTest, TheDialogShowsWhatItsModeAllows)
{
    SearchOptions options;
    SearchDialogModel find(options, settings);
    EXPECT_EQ(find.Title(), "Find");
    EXPECT_EQ(find.ButtonText(SearchDialogModel::kButton1), "&Find");
    EXPECT_TRUE(find.ButtonVisible(SearchDialogModel::kButton3));
    EXPECT_TRUE(find.ButtonVisible(SearchDialogModel::kButton4));
    EXPECT_FALSE(find.ReplaceEnabled());
    EXPECT_TRUE(find.DirectionShown());
    EXPECT_FALSE(find.InFieldEnabled());
    find.useRegEx = true;
    EXPECT_FALSE(find.BackslashesEnabled());

    options.binaryCopy = true;
    EXPECT_FALSE(SearchDialogModel(options, settings).ButtonVisible(SearchDialogModel::kButton4));
    options.binaryCopy = false;
    options.up = true;
    EXPECT_FALSE(SearchDialogModel(options, settings).ButtonVisible(SearchDialogModel::kButton3));
    options.up = false;
    options.mode = SearchOptions::kReplace;
    SearchDialogModel replace(options, settings);
    EXPECT_EQ(replace.ButtonText(SearchDialogModel::kButton1), "Replace &All");
    EXPECT_EQ(replace.ButtonText(SearchDialogModel::kButton3), "&Replace");
    EXPECT_FALSE(replace.ButtonVisible(SearchDialogModel::kButton4));
    EXPECT_FALSE(replace.CounterStartEnabled());
    replace.counterOn = true;
    EXPECT_TRUE(replace.CounterStartEnabled());
    replace.findWhat = "x";
    replace.counterStart = "7";
    replace.useBackslashes = true;
    replace.Apply(SearchDialogModel::kButton3, settings);
    EXPECT_FALSE(options.replaceAll);
    EXPECT_EQ(options.counterStart, 7);
    EXPECT_EQ(settings.useBackslashes, 1);  // the program-wide flag goes with it
    options.mode = SearchOptions::kCount;
    EXPECT_FALSE(SearchDialogModel(options, settings).ButtonVisible(SearchDialogModel::kButton3));
    EXPECT_FALSE(SearchDialogModel(options, settings).DirectionShown());  // Count always goes down
}

TEST_F(SearchMenuTest, FindNextAsksForTheTextFirstAndFindsWithBackslashCodes)
{
    ASSERT_TRUE(OpenBytes("one\ttwo\nthree\n"));
    Answer("\\t", SearchDialogModel::kButton1, [](SearchDialogModel& model) { model.useBackslashes = true; });
    menu.FindNext();
    EXPECT_EQ(dialogs.shown, std::vector<std::string>{"Find"});
    EXPECT_EQ(doc->Selection().anchor.column, 3);
    EXPECT_EQ(doc->Selection().cursor.column, 6);  // after the tab
    prompter.Expect("End of file reached!\nContinue search at top of file?", Answer::Cancel);
    menu.FindNext();  // no dialog now; nothing further: the question at the end
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(prompter.ScriptDone());
}

TEST_F(SearchMenuTest, FindWithTheFilterButtonsAndCancel)
{
    ASSERT_TRUE(OpenBytes("a1\nb\na2\n"));
    Answer("a", SearchDialogModel::kButton3);  // Extract Lines
    menu.Find();
    EXPECT_EQ(AllBytes(), "a1\na2\n");
    menu.Find();  // no step left: cancelled
    EXPECT_EQ(AllBytes(), "a1\na2\n");
}

TEST_F(SearchMenuTest, CountAndReplaceThroughTheDialog)
{
    ASSERT_TRUE(OpenBytes("x y x\n"));
    Answer("x");
    menu.Count();
    EXPECT_EQ(prompter.Texts().back(), "2 items found.");
    Answer("x", SearchDialogModel::kButton1, [](SearchDialogModel& model) { model.replaceWith = "z"; });
    menu.Replace();
    EXPECT_EQ(AllBytes(), "z y z\n");
}

TEST_F(SearchMenuTest, FindWordUnderCursorSearchesFromTheTop)
{
    ASSERT_TRUE(OpenBytes("alpha beta\ngamma alpha\n"));
    doc->Selection().cursor.line = 1;
    doc->Selection().cursor.column = doc->Selection().preferredColumn = 8;
    doc->Text().SetCurrentLine(1);
    menu.FindWordUnderCursor();
    EXPECT_EQ(menu.Options().query.text, "alpha");
    EXPECT_EQ(doc->Selection().cursor.line, 0);
    EXPECT_EQ(doc->Selection().anchor.column, 0);
    EXPECT_EQ(doc->Selection().cursor.column, 5);
}

TEST_F(SearchMenuTest, ReplaceInFolderWritesOnlyFilesWithHitsAndSkipsFolders)
{
    ::mkdir(dir.File("work").c_str(), 0755);
    ::mkdir(dir.File("work/sub").c_str(), 0755);
    ::mkdir(dir.File("work/folder.txt").c_str(), 0755);  // a folder that matches the wildcard
    dir.Write("work/a.txt", "old old\n");
    dir.Write("work/b.txt", "nothing\n");
    dir.Write("work/c.log", "old\n");
    dir.Write("work/sub/d.txt", "old\n");
    ASSERT_EQ(SearchMenu::MatchingFiles(dir.File("work"), "*.txt", false),
              (std::vector<std::string>{dir.File("work/a.txt"), dir.File("work/b.txt")}));
    ASSERT_TRUE(OpenBytes("x", "work/start.txt"));
    struct stat before {};
    ::stat(dir.File("work/b.txt").c_str(), &before);
    dialogs.folderStep = [](FolderReplaceModel& model) {
        EXPECT_EQ(model.wildcard, "*.txt");  // preset from the open file
        model.findText = "old";
        model.replacement = "new";
        model.subdirectories = true;
        return true;
    };
    EXPECT_EQ(menu.ReplaceInFolder(), 3);
    EXPECT_EQ(prompter.Texts().back(), "3 items replaced.");
    EXPECT_EQ(ReadFile(dir.File("work/a.txt")), "new new\n");
    EXPECT_EQ(ReadFile(dir.File("work/sub/d.txt")), "new\n");
    EXPECT_EQ(ReadFile(dir.File("work/c.log")), "old\n");
    struct stat after {};
    ::stat(dir.File("work/b.txt").c_str(), &after);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);  // not written
    EXPECT_EQ(after.st_ino, before.st_ino);
}

TEST_F(SearchMenuTest, ReplaceInFolderRewritesCompressedLogsInTheirFormat)
{
    dir.Write("app.log", "old line\nother\n");
    ASSERT_EQ(std::system(("gzip -c " + dir.File("app.log") + " > " + dir.File("app.log.1.gz")).c_str()), 0);
    ASSERT_EQ(std::system(("zstd -q -c " + dir.File("app.log") + " > " + dir.File("app.log.2.zst")).c_str()), 0);
    dialogs.folderStep = [this](FolderReplaceModel& model) {
        model.folder = dir.Path();
        model.wildcard = "app.log*";
        model.findText = "old";
        model.replacement = "new";
        return true;
    };
    EXPECT_EQ(menu.ReplaceInFolder(), 3);
    EXPECT_EQ(ReadFile(dir.File("app.log")), "new line\nother\n");
    for (const char* packed : {"gzip -dc app.log.1.gz", "zstd -q -dc app.log.2.zst"}) {
        const std::string out = dir.File("out");
        ASSERT_EQ(std::system(("cd " + dir.Path() + " && " + packed + " > " + out).c_str()), 0) << packed;
        EXPECT_EQ(ReadFile(out), "new line\nother\n") << packed;
    }
}

TEST_F(SearchMenuTest, ReplaceInFolderToldABadExpressionOnceBeforeAnyFile)
{
    dir.Write("one.txt", "a\n");
    dir.Write("two.txt", "a\n");
    dialogs.folderStep = [this](FolderReplaceModel& model) {
        model.folder = dir.Path();
        model.wildcard = "*.txt";
        model.findText = "([a";
        model.useRegEx = true;
        return true;
    };
    EXPECT_EQ(menu.ReplaceInFolder(), 0);
    ASSERT_EQ(prompter.Texts().size(), 1u);
    EXPECT_EQ(prompter.Texts().front().rfind("Expression error: ", 0), 0u);
    EXPECT_FALSE(doc->File().HasPath());  // no file was opened
}

TEST_F(SearchMenuTest, FindNextStopsAfterAWholeRoundWithoutAHit)
{
    ASSERT_TRUE(OpenBytes("one\ntwo\n"));
    Answer("nowhere");
    prompter.Expect("End of file reached!\nContinue search at top of file?", Answer::Ok);
    menu.FindNext();
    EXPECT_EQ(prompter.Texts().back(), "Search text not found!");
    prompter.Expect("Begin of file reached!\nContinue search at bottom of file?", Answer::Ok);
    menu.FindPrevious();
    EXPECT_EQ(prompter.Texts().back(), "Search text not found!");
    EXPECT_TRUE(prompter.ScriptDone());
    PutCursor(1, 1);
    prompter.Expect("End of file reached!\nContinue search at top of file?", Answer::Ok);
    EXPECT_FALSE(doc->FindUndisplayable());
    EXPECT_EQ(prompter.Texts().back(), "No undisplayable character found!");
}

TEST_F(SearchMenuTest, ReplaceInFolderTakesNamesInTheirOrderAndStopsAtAVanishedFile)
{
    ::mkdir(dir.File("work").c_str(), 0755);
    for (const char* name : {"B.txt", "C.txt", "a.txt"})
        dir.Write(std::string("work/") + name, "old\n");
    ::mkfifo(dir.File("work/pipe.txt").c_str(), 0600);  // never opened: it would wait for a writer
    EXPECT_EQ(SearchMenu::MatchingFiles(dir.File("work"), "*.txt", false),
              (std::vector<std::string>{dir.File("work/a.txt"), dir.File("work/B.txt"), dir.File("work/C.txt")}));

    // An unnamed text presets nothing; a file that goes away before its turn is told and ends the run.
    dialogs.folderStep = [this](FolderReplaceModel& model) {
        EXPECT_EQ(model.folder, "");
        EXPECT_EQ(model.wildcard, "");
        model.folder = dir.File("work");
        model.wildcard = "*.txt";
        model.findText = "old";
        model.replacement = "new";
        progress.onBegin = [this] { ::unlink(dir.File("work/B.txt").c_str()); };  // while a.txt is worked on
        return true;
    };
    menu.FolderState().folder = "/elsewhere";
    menu.FolderState().wildcard = "*.old";
    menu.ReplaceInFolder();
    EXPECT_FALSE(FileExists(dir.File("work/B.txt")));  // not created again
    EXPECT_EQ(ReadFile(dir.File("work/a.txt")), "new\n");
    EXPECT_EQ(ReadFile(dir.File("work/C.txt")), "old\n");
    EXPECT_NE(prompter.Texts()[0].find("B.txt"), std::string::npos);
}

TEST_F(SearchMenuTest, ReplaceInFolderStopsAtAnExpressionTooComplexAndLeavesTheFile)
{
    const std::string complex = "xb\n" + std::string(40, 'a') + " c b\n";
    dir.Write("one.txt", complex);
    dir.Write("two.txt", "b\n");
    dialogs.folderStep = [this](FolderReplaceModel& model) {
        model.folder = dir.Path();
        model.wildcard = "*.txt";
        model.findText = "(a|aa)*b";
        model.replacement = "#";
        model.useRegEx = true;
        return true;
    };
    EXPECT_EQ(menu.ReplaceInFolder(), 0);
    EXPECT_EQ(ReadFile(dir.File("one.txt")), complex);
    EXPECT_EQ(ReadFile(dir.File("two.txt")), "b\n");
    EXPECT_EQ(prompter.Texts().back().rfind("Expression too complex", 0), 0u);
}

}  // namespace
}  // namespace quill::test
