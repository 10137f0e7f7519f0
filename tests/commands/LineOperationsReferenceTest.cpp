// Count, Replace All with Undo and Redo, Delete Lines and Extract Lines on random texts, plain and
// by expression, on whole lines and in a field, against a plain reference written here.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <regex>

#include "commands/SearchCommands.h"
#include "common/TextCase.h"
#include "structure/FieldDef.h"
#include "support/DocumentFixture.h"
#include "view/ViewState.h"

namespace quill::test {
namespace {

struct Field {
    std::size_t offset;
    std::size_t length;
};

// The hits of one line as the reference sees them: [start, end) byte spans, left to right, never
// overlapping, inside the field when there is one (a line of another type than "A" has none).
std::vector<std::pair<std::size_t, std::size_t>> Hits(const std::string& line, const std::string& wanted, bool regex,
                                                      bool matchCase, std::optional<Field> field)
{
    std::string content = line;
    while (!content.empty() && content.back() == '\n')
        content.pop_back();
    std::size_t low = 0, high = content.size();
    if (field) {
        if (line.empty() || line[0] != 'A')
            return {};
        low = std::min(field->offset, content.size());
        high = std::min(field->offset + field->length, content.size());
    }
    const std::string subject = content.substr(low, high - low);
    std::vector<std::pair<std::size_t, std::size_t>> hits;
    if (regex) {
        const auto flags = matchCase ? std::regex::ECMAScript : std::regex::ECMAScript | std::regex::icase;
        const std::regex expression(wanted, flags);
        for (auto it = std::sregex_iterator(subject.begin(), subject.end(), expression); it != std::sregex_iterator();
             ++it)
            hits.emplace_back(low + it->position(), low + it->position() + it->length());
        return hits;
    }
    const std::string folded = matchCase ? subject : UpperCp1252(subject);
    const std::string text = matchCase ? wanted : UpperCp1252(wanted);
    for (std::size_t at = folded.find(text); at != std::string::npos; at = folded.find(text, at + text.size()))
        hits.emplace_back(low + at, low + at + text.size());
    return hits;
}

class LineOperationsReferenceTest : public DocumentFixture {
protected:
    struct Case {
        std::vector<std::string> lines;  // as stored, the empty one after the last line feed too
        std::string text;
        bool regex = false;
        bool matchCase = false;
        std::optional<Field> field;
    };

    Case MakeCase(std::mt19937& random)
    {
        Case c;
        const std::string alphabet = "aAb ";
        for (int l = 0, n = 1 + static_cast<int>(random() % 9); l < n; ++l) {
            std::string line(1, "AB"[random() % 2]);
            for (int k = 0, m = static_cast<int>(random() % 14); k < m; ++k)
                line += alphabet[random() % alphabet.size()];
            c.lines.push_back(line + "\n");
        }
        c.lines.emplace_back();
        c.regex = random() % 2;
        c.matchCase = random() % 2;
        if (c.regex) {
            const char* const expressions[] = {"a+b?", "[ab] ", "^Ab", "b$", "a b", "b{2}"};
            c.text = expressions[random() % 6];
        } else {
            for (int k = 0, m = 1 + static_cast<int>(random() % 2); k < m; ++k)
                c.text += alphabet[random() % alphabet.size()];
        }
        if (random() % 2)
            c.field = Field{1 + random() % 5, 1 + random() % 7};
        return c;
    }

    void Open(const Case& c)
    {
        std::string bytes;
        for (const std::string& line : c.lines)
            bytes += line;
        ASSERT_TRUE(OpenAsText(bytes));
        options = SearchOptions{};
        options.query.text = c.text;
        options.query.regex = c.regex;
        options.query.matchCase = c.matchCase;
        if (c.field) {
            auto type = std::make_unique<FieldDef>();
            type->name = "TYPE";
            type->length = 1;
            type->isRecordType = true;
            StructureDescription& structure = doc->Structure();
            structure.SetRecordTypeField(&structure.AddField(std::move(type)));
            auto field = std::make_unique<FieldDef>();
            field->name = "PART";
            field->offset = static_cast<std::int32_t>(c.field->offset);
            field->length = static_cast<std::int32_t>(c.field->length);
            field->typeValue = "A";
            options.query.field = &structure.AddField(std::move(field));
            structure.SetActive(true);
        }
        PutCursor(0, 0);
    }

    static std::string Joined(const std::vector<std::string>& lines)
    {
        std::string all;
        for (const std::string& line : lines)
            all += line;
        return all;
    }

    ViewState state{0, 0, 20, 80};
    SearchOptions options;
    SearchCommands commands{*doc, state, options};
};

TEST_F(LineOperationsReferenceTest, EveryOperationMatchesTheReferenceAndIsUndoneAndRedone)
{
    std::mt19937 random(2026);
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        const Case c = MakeCase(random);
        SCOPED_TRACE("find \"" + c.text + "\" regex " + std::to_string(c.regex) + " case " +
                     std::to_string(c.matchCase) +
                     (c.field ? " field " + std::to_string(c.field->offset) + "+" + std::to_string(c.field->length)
                              : std::string()));
        const std::string original = Joined(c.lines);
        SCOPED_TRACE(original);
        std::int64_t count = 0;
        std::vector<std::string> replaced, kept, taken;
        for (const std::string& line : c.lines) {
            const auto hits = Hits(line, c.text, c.regex, c.matchCase, c.field);
            count += static_cast<std::int64_t>(hits.size());
            std::string rebuilt;
            std::size_t copied = 0;
            for (const auto& [from, to] : hits) {
                rebuilt += line.substr(copied, from - copied) + "#";
                copied = to;
            }
            replaced.push_back(rebuilt + line.substr(copied));
            (hits.empty() ? kept : taken).push_back(line);
        }

        Open(c);
        EXPECT_EQ(commands.CountMatches(), count);

        options.replacement = "#";
        EXPECT_EQ(commands.ReplaceText(true) > 0, count > 0);
        EXPECT_EQ(AllBytes(), Joined(replaced));
        doc->Undo();
        EXPECT_EQ(AllBytes(), original);
        doc->Redo();
        EXPECT_EQ(AllBytes(), Joined(replaced));

        // A filter that found lines is undone and redone in one step; one that found none changed nothing.
        const auto filter = [&](int which, const std::string& expected) {
            Open(c);
            options.lineFilter = which;
            EXPECT_EQ(commands.ApplyLineFilter(), static_cast<std::int64_t>(taken.size()));
            EXPECT_EQ(AllBytes(), taken.empty() ? original : expected);
            EXPECT_GE(doc->Text().LineCount(), 1);
            if (taken.empty())
                return;
            doc->Undo();
            EXPECT_EQ(AllBytes(), original);
            doc->Redo();
            EXPECT_EQ(AllBytes(), expected);
        };
        filter(SearchOptions::kDeleteLines, Joined(kept));
        filter(SearchOptions::kExtractLines, Joined(taken));
        if (HasFailure())
            break;  // one case told is enough to read
    }
}

}  // namespace
}  // namespace quill::test
