// Count, Extract Lines and Replace All on random UTF-8 texts with combining marks, wide characters
// and bytes that are no character, against grep and sed in a UTF-8 locale: a hit is the bytes that
// matched, counted once, and nothing outside a hit ever changes.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sstream>

#include "commands/SearchCommands.h"
#include "support/DocumentFixture.h"
#include "support/TestScale.h"
#include "view/ViewState.h"

namespace quill::test {
namespace {

// What a command prints, or none when it could not run.
std::optional<std::string> Output(const std::string& command)
{
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    if (::pclose(pipe) == -1)
        return std::nullopt;
    return out;
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class Utf8SearchAgainstGrepTest : public DocumentFixture {
protected:
    // Lines of letters with and without marks, wide characters, and stray bytes: a lone lead byte,
    // a lone continuation byte, a byte never in UTF-8.
    static std::string MakeText(std::mt19937& random)
    {
        static const char* const kPieces[] = {"a",  "o", "J",  "r",  "g",         "x",        " ",         "y",
                                              "ö",  "Ö", "ä",  "ü",  "é",         "É",        "д",         "Д",
                                              "日", "😀", "rg", "Jö", "o\xcc\x88", "\xcc\x81", "x\xcc\x81", "ö\xcc\x81"};
        // Few enough to keep the text a UTF-8 text with some damage, as a log cut in a character.
        static const char* const kStrays[] = {"\xff", "\xc3", "\x80", "\xe6\x97"};
        std::string text;
        for (int l = 0, lines = 1 + static_cast<int>(random() % 30); l < lines; ++l) {
            for (int k = 0, n = static_cast<int>(random() % 12); k < n; ++k)
                text += random() % 25 == 0 ? kStrays[random() % std::size(kStrays)]
                                           : kPieces[random() % std::size(kPieces)];
            text += "\n";
        }
        return text + "äöü日\n";
    }
    void Search(const std::string& find, bool regex, bool matchCase)
    {
        PutCursor(0, 0);
        options = SearchOptions{};
        options.query.text = find;
        options.query.regex = regex;
        options.query.matchCase = matchCase;
    }
    std::string Grep(const std::string& flags, const std::string& pattern, const std::string& path) const
    {
        return Output("LC_ALL=C.UTF-8 grep -a " + flags + " -e " + Quoted(pattern) + " " + Quoted(path)).value_or("?");
    }

    ViewState state{0, 0, 20, 80};
    SearchOptions options;
    SearchCommands commands{*doc, state, options};
};

TEST_F(Utf8SearchAgainstGrepTest, CountExtractAndReplaceGiveWhatGrepAndSedGive)
{
    if (!Output("LC_ALL=C.UTF-8 grep -P x /dev/null; echo"))
        GTEST_SKIP() << "no grep";
    struct Query {
        const char* text;
        bool regex;
    };
    // Expressions that mean the same in Perl's syntax and in sed's extended one.
    const Query queries[] = {{"ö", false},
                             {"o", false},
                             {"jörg", false},
                             {"日", false},
                             {"é", false},
                             {"J.rg", true},
                             {"[äöü]", true},
                             {"ö+", true},
                             {"x.", true},
                             {".y", true},
                             {"[^a ]g", true},
                             {"é|ü", true},
                             {"^J", true},
                             {"g$", true},
                             {"д.", true},
                             // A repeated character of two bytes is repeated whole on lines of ASCII too.
                             {"Jö?rg", true},
                             {"é?y", true}};
    std::mt19937 random(36);
    for (int round = 0; round < Rounds(10); ++round) {
        const std::string text = MakeText(random);
        const std::string path = dir.Write("mixed.log", text);
        for (const Query& query : queries) {
            for (const bool matchCase : {true, false}) {
                SCOPED_TRACE(std::string("round ") + std::to_string(round) + " find " + query.text +
                             (query.regex ? " regex" : "") + (matchCase ? " case" : " no case"));
                const std::string grepFlags = std::string(query.regex ? "-P" : "-F") + (matchCase ? "" : " -i");
                ASSERT_TRUE(doc->Open(path));
                ASSERT_TRUE(doc->Utf8Text());

                Search(query.text, query.regex, matchCase);
                const std::string hits = Grep("-o " + grepFlags, query.text, path);
                const auto expectedCount = std::count(hits.begin(), hits.end(), '\n');
                prompter.Expect("", Answer::Ok);
                EXPECT_EQ(commands.CountMatches(), expectedCount) << text;

                Search(query.text, query.regex, matchCase);
                options.lineFilter = SearchOptions::kExtractLines;
                const std::string lines = Grep(grepFlags, query.text, path);
                commands.ApplyLineFilter();
                EXPECT_TRUE(AllBytes() == (lines.empty() ? text : lines)) << text;

                ASSERT_TRUE(doc->Open(path));
                Search(query.text, query.regex, matchCase);
                options.replacement = "#";
                options.replaceAll = true;
                commands.ReplaceText(true);
                const std::string sed =
                    Output("LC_ALL=C.UTF-8 sed " + std::string(query.regex ? "-E " : "") +
                           Quoted(std::string("s/") + query.text + "/#/g" + (matchCase ? "" : "I")) + " " +
                           Quoted(path))
                        .value_or("?");
                EXPECT_TRUE(AllBytes() == sed) << text << "\nsed:\n" << sed << "\nours:\n" << AllBytes();
                if (HasFailure())
                    return;  // one case told is enough to read
            }
        }
    }
}

TEST_F(Utf8SearchAgainstGrepTest, APlainSearchNeverReportsAnExpressionError)
{
    // Bytes that are no character in the find text, case-blind: compared as bytes, not compiled.
    ASSERT_TRUE(OpenBytes("ab\xff"
                          "cd AB\xff"
                          "CD\nöäüéöäüé\n"));
    ASSERT_TRUE(doc->Utf8Text());
    Search("b\xff"
           "c",
           false, false);
    prompter.Expect("", Answer::Ok);
    EXPECT_EQ(commands.CountMatches(), 2);
    for (const auto& shown : prompter.History())
        EXPECT_EQ(shown.text.find("expression"), std::string::npos) << shown.text;
    Search("\xff", false, false);
    options.lineFilter = SearchOptions::kDeleteLines;
    EXPECT_EQ(commands.ApplyLineFilter(), 1);
    EXPECT_EQ(AllBytes(), "öäüéöäüé\n");
}

}  // namespace
}  // namespace quill::test
