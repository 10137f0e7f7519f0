// The search against a plain transcription of its rules, and its special cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>

#include "commands/Finder.h"
#include "common/TextCase.h"
#include "search/ExpressionPrefilter.h"
#include "search/LineExpression.h"
#include "search/RandomExpressions.h"
#include "search/SearchOptions.h"
#include "structure/FieldDef.h"
#include "structure/StructureDescription.h"
#include "support/DocumentFixture.h"
#include "support/TestScale.h"
#include "view/ViewState.h"

namespace quill::test {
namespace {

struct Position {
    LineIndex line;
    std::int64_t anchor;
    std::int64_t cursor;
    bool operator==(const Position&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Position& p)
{
    return out << "(" << p.line << ": " << p.anchor << "-" << p.cursor << ")";
}

class TextSearchTest : public DocumentFixture {
protected:
    /// Opens random lines of the alphabet (a NUL byte now and then when asked), each ended by
    /// `end`, and gives them with the empty line after the last terminator; a random half of the
    /// texts is shown through the test table (stored q shown as a), told by `table`.
    std::vector<std::string> OpenRandomLines(std::mt19937& random, int maxLines, int maxLength,
                                             const std::string& alphabet, const std::string& end, bool nulBytes,
                                             bool& table)
    {
        std::vector<std::string> pieces;
        for (const char c : alphabet)
            pieces.emplace_back(1, c);
        return OpenRandomLines(random, maxLines, maxLength, pieces, end, nulBytes, table);
    }
    /// The same with an alphabet of pieces (characters of several bytes).
    std::vector<std::string> OpenRandomLines(std::mt19937& random, int maxLines, int maxLength,
                                             const std::vector<std::string>& alphabet, const std::string& end,
                                             bool nulBytes, bool& table)
    {
        std::vector<std::string> lines;
        std::string bytes;
        for (int l = 0, n = 1 + static_cast<int>(random() % maxLines); l < n; ++l) {
            std::string line;
            for (int k = 0, m = static_cast<int>(random() % maxLength); k < m; ++k)
                line += !nulBytes || random() % 40 ? alphabet[random() % alphabet.size()] : std::string(1, '\0');
            line += end;
            lines.push_back(line);
            bytes += line;
        }
        lines.emplace_back();
        EXPECT_TRUE(OpenAsText(bytes));
        dir.Write("QVXData/q-as-a.tec", "71=61\n");
        table = random() % 2;
        if (table)
            EXPECT_TRUE(doc->Charset().Load(dir.File("QVXData/q-as-a.tec")));
        else
            doc->Charset().Reset();
        return lines;
    }
    /// The hits repeated forward searches find from the cursor, and the lines they stand on (each once).
    std::pair<std::int64_t, std::vector<LineIndex>> SearchedHits()
    {
        std::pair<std::int64_t, std::vector<LineIndex>> found;
        for (; search.FindForward(false); ++found.first)
            if (found.second.empty() || found.second.back() != doc->Selection().cursor.line)
                found.second.push_back(doc->Selection().cursor.line);
        return found;
    }
    Position Now() const
    {
        return {doc->Selection().cursor.line, doc->Selection().anchor.column, doc->Selection().cursor.column};
    }
    std::vector<Position> AllForward()
    {
        std::vector<Position> hits;
        PutCursor(0, 0);
        while (search.FindForward(false) && hits.size() < 1000)
            hits.push_back(Now());
        return hits;
    }
    std::vector<Position> AllBackward()
    {
        std::vector<Position> hits;
        const LineIndex last = doc->Text().LineCount() - 1;
        PutCursor(last, static_cast<Column>(doc->DisplayWidth(last)));
        while (search.FindBackward() && hits.size() < 1000)
            hits.push_back(Now());
        return hits;
    }

    ViewState state{0, 0, 20, 80};
    SearchOptions options;
    Finder search{*doc, state, options.query};
};

// A field of records whose first byte is their type.
struct FieldRange {
    std::int64_t offset;
    std::int64_t length;
    char type;
};

// The rules written out plainly: a hit is a run of bytes whose shown (and, without match case,
// upper-cased) bytes equal the text. Forward the next hit starts at or after the cursor column;
// backward it ends at or before the start of the last one. With a field, lines of another type
// are skipped and a hit's bytes start in the field's columns on every line, the cursor's too: the
// columns where the field's bytes are shown.
std::vector<Position> Transcribed(const std::vector<std::string>& lines, std::string wanted, bool matchCase,
                                  bool backward, Finder& search, bool table = false,
                                  std::optional<FieldRange> field = std::nullopt, bool utf8 = true)
{
    // The table of the test shows the stored q as a.
    const auto fold = [matchCase, table, utf8](std::string text) {
        if (table)
            std::replace(text.begin(), text.end(), 'q', 'a');
        if (matchCase)
            return text;
        // Shown through a table, or an 8-bit text: code page 1252 letters fold; a UTF-8 text's
        // bytes above 127 are parts of characters: only ASCII letters fold.
        if (table || !utf8)
            return UpperCp1252(text);
        for (char& c : text)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        return text;
    };
    wanted = fold(wanted);
    std::int64_t low = 0, high = 100000;
    // The columns of a line's field: bytes beyond the line one column each.
    const auto placeField = [&](const std::string& line) {
        if (!field)
            return;
        const LineView view(line);
        const auto at = [&](std::int64_t b) {
            const auto n = static_cast<std::int64_t>(line.size());
            return b <= n ? search.Engine().ColumnOfIndex(view, static_cast<std::uint32_t>(b))
                          : search.Engine().ColumnOfIndex(view, static_cast<std::uint32_t>(n)) + (b - n);
        };
        low = at(field->offset);
        high = at(field->offset + field->length);
    };
    const auto skipped = [&](const std::string& line) { return field && (line.empty() || line[0] != field->type); };
    std::vector<Position> hits;
    const auto n = static_cast<LineIndex>(lines.size());
    if (!backward) {
        std::int64_t cursor = 0;  // on line 0 at first, then after each hit
        for (LineIndex i = 0; i < n; ++i, cursor = 0) {
            const std::string& line = lines[static_cast<std::size_t>(i)];
            if (skipped(line))
                continue;
            placeField(line);
            const std::string shown = fold(line);
            const LineView view(line);
            const auto column = [&](std::size_t j) {
                return search.Engine().ColumnOfIndex(view, static_cast<std::uint32_t>(j));
            };
            for (std::size_t j = 0; j + wanted.size() <= shown.size(); ++j) {
                const std::int64_t start = std::max(cursor, low);
                if (column(j) < start || column(j + wanted.size() - 1) >= high ||
                    shown.compare(j, wanted.size(), wanted) != 0)
                    continue;
                hits.push_back({i, column(j), column(j + wanted.size())});
                cursor = column(j + wanted.size());
            }
        }
        return hits;
    }
    std::int64_t limit = -1;  // on the cursor's line: where the last hit started
    for (LineIndex i = n - 1; i >= 0; --i, limit = -1) {
        const std::string& stored = lines[static_cast<std::size_t>(i)];
        if (skipped(stored))
            continue;
        placeField(stored);
        std::string line = stored;
        while (!line.empty() && line.back() == '\n')
            line.pop_back();
        const std::string shown = fold(line);
        const LineView view(stored);
        const auto column = [&](std::size_t j) {
            return search.Engine().ColumnOfIndex(view, static_cast<std::uint32_t>(j));
        };
        for (std::size_t end = shown.size(); end >= wanted.size() && end > 0; --end) {
            const std::size_t first = end - wanted.size();
            // The search starts at the end of the last line, its first cursor line.
            const bool below = limit >= 0 ? column(end) <= limit : i == n - 1 || column(end - 1) < high;
            if (!below || column(first) < low || shown.compare(first, wanted.size(), wanted) != 0)
                continue;
            hits.push_back({i, column(first), column(end)});
            limit = column(first);
        }
    }
    return hits;
}

TEST_F(TextSearchTest, PlainSearchesMatchTheTranscriptionOnRandomTexts)
{
    std::mt19937 random(41);
    const std::string alphabet = "aAbq\t\xE9\xC9 ";
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        bool table = false;
        const auto lines = OpenRandomLines(random, 6, 14, alphabet, "x\n", false, table);
        options.query.text.clear();
        for (int k = 0, m = 1 + static_cast<int>(random() % 3); k < m; ++k)
            options.query.text += alphabet[random() % (alphabet.size() - 1)];
        if (table)
            std::replace(options.query.text.begin(), options.query.text.end(), 'q', 'a');  // the text as shown
        options.query.matchCase = random() % 2;
        const bool utf8 = doc->Utf8Text() || table;
        EXPECT_EQ(AllForward(), Transcribed(lines, options.query.text, options.query.matchCase, false, search, table,
                                            std::nullopt, utf8));
        EXPECT_EQ(AllBackward(), Transcribed(lines, options.query.text, options.query.matchCase, true, search, table,
                                             std::nullopt, utf8));
    }
}

TEST_F(TextSearchTest, FieldSearchesMatchTheTranscriptionOnRandomRecords)
{
    std::mt19937 random(53);
    const std::string alphabet = "aAb\t ";
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        std::vector<std::string> lines;
        std::string bytes;
        for (int l = 0, n = 1 + static_cast<int>(random() % 8); l < n; ++l) {
            std::string line(1, "AB"[random() % 2]);
            for (int k = 0, m = static_cast<int>(random() % 16); k < m; ++k)
                line += alphabet[random() % alphabet.size()];
            line += "\n";
            lines.push_back(line);
            bytes += line;
        }
        lines.emplace_back();
        ASSERT_TRUE(OpenAsText(bytes));
        const int offset = 1 + static_cast<int>(random() % 6);
        const int length = 1 + static_cast<int>(random() % 8);
        const FieldRange range{offset, length, 'A'};
        options.query.field = &AddFieldOfTypeA("PART", offset, length);
        // Tabs at a hit's ends: their columns, not the ones after them, must lie in the field.
        const char* const texts[] = {"a", "aa", "b", "bb", "a\t", "\tb", "\t"};
        options.query.text = texts[random() % 7];
        options.query.matchCase = random() % 2;
        EXPECT_EQ(AllForward(),
                  Transcribed(lines, options.query.text, options.query.matchCase, false, search, false, range));
        EXPECT_EQ(AllBackward(),
                  Transcribed(lines, options.query.text, options.query.matchCase, true, search, false, range));
        options.query.field = nullptr;
    }
}

TEST_F(TextSearchTest, TheFastCountEqualsRepeatedSearchesOnRandomTexts)
{
    std::mt19937 random(43);
    const std::string alphabet = "aAb\t \r";
    dir.Write("QVXData/b-as-a.tec", "62=61\n");
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE(round);
        std::string bytes;
        for (int l = 0, n = 1 + static_cast<int>(random() % 30); l < n; ++l) {
            for (int k = 0, m = static_cast<int>(random() % 12); k < m; ++k)
                bytes += alphabet[random() % alphabet.size()];
            bytes += random() % 3 ? "\n" : "\r\n";
        }
        ASSERT_TRUE(OpenAsText(bytes));
        // Some lines edited, so their bytes lie elsewhere in memory.
        for (LineIndex i = 0; i < doc->Text().LineCount(); ++i)
            if (random() % 4 == 0)
                doc->Text().ReplaceLine(i, LineRecord(std::string(doc->Text().Line(i).Text())));
        options.query.text = std::string(1 + random() % 2, 'a');
        if (random() % 3 == 0)
            options.query.text = "a\tb";
        options.query.matchCase = random() % 2;  // both the byte-for-byte scan and the folding one
        if (random() % 4 == 0) {
            ASSERT_TRUE(doc->Charset().Load(dir.File("QVXData/b-as-a.tec")));
        } else {
            doc->Charset().Reset();
        }
        const LineIndex line = static_cast<LineIndex>(random() % doc->Text().LineCount());
        PutCursor(line, static_cast<Column>(random() % 4));
        const Position before = Now();
        const auto fast = search.Engine().Count(doc->Selection().cursor);
        const auto fastLines = search.Engine().MatchingLines(doc->Selection().cursor);
        ASSERT_TRUE(fast.has_value() && fastLines.has_value());
        EXPECT_EQ(Now(), before);
        const auto [slow, slowLines] = SearchedHits();
        EXPECT_EQ(*fast, slow) << options.query.text;
        EXPECT_EQ(*fastLines, slowLines) << options.query.text;
    }
}

TEST_F(TextSearchTest, ALongTextCountedInTwoHalvesGivesTheCountOfOneScan)
{
    // Enough lines for a second thread; hits near the middle, on edited lines and across runs;
    // NUL bytes and lone CRs inside lines, LF and CR LF line ends.
    std::mt19937 random(5);
    std::vector<std::string> lines;
    std::string bytes;
    const std::string alphabet("ab \0\r", 5);
    for (int l = 0; l < 260000; ++l) {
        std::string line;
        for (int k = 0, m = static_cast<int>(random() % 9); k < m; ++k)
            line += alphabet[random() % (random() % 8 ? 3 : 5)];
        while (!line.empty() && line.back() == '\r')
            line.pop_back();  // a CR before the line end would be part of it
        lines.push_back(line);
        bytes += line + (random() % 3 ? "\n" : "\r\n");
    }
    ASSERT_TRUE(OpenAsText(bytes));
    for (LineIndex i = 0; i < doc->Text().LineCount(); i += 1 + static_cast<LineIndex>(random() % 50))
        doc->Text().ReplaceLine(i, LineRecord(std::string(doc->Text().Line(i).Text())));
    options.query.matchCase = true;
    for (const std::string wanted : {"ab", "a", "bab"}) {
        options.query.text = wanted;
        for (int round = 0; round < 4; ++round) {
            const auto line = static_cast<LineIndex>(random() % 140000);
            const auto column = static_cast<Column>(random() % 4);
            PutCursor(line, column);
            std::int64_t expected = 0;
            for (std::size_t i = static_cast<std::size_t>(line); i < lines.size(); ++i) {
                std::size_t at = i == static_cast<std::size_t>(line)
                                     ? std::min<std::size_t>(lines[i].size(), static_cast<std::size_t>(column))
                                     : 0;
                for (; (at = lines[i].find(wanted, at)) != std::string::npos; at += wanted.size())
                    ++expected;
            }
            EXPECT_EQ(search.Engine().Count(doc->Selection().cursor), expected) << wanted << " " << line;
        }
    }
}

TEST_F(TextSearchTest, AnExpressionCountedAtOnceGivesTheCountOfRepeatedSearches)
{
    // Short random texts: tabs (a hit's end column is not its byte), characters beyond ASCII, NUL
    // bytes, CR LF; the cursor anywhere; some lines edited; sometimes a conversion table (then the
    // expression is searched as before and the count is the searches' count).
    std::mt19937 random(17);
    const std::vector<std::string> patterns = {"a+b", "[ab]{2}", "(ab|b)a?", "\xc3\xa9.", "\\w+",   "b\\b",
                                               "^a",  "a$",      "\\t[^a]",  "A",         "b\\s*a", "a*"};
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        bool table = false;
        OpenRandomLines(random, 30, 12,
                        "ab\t \xc3\xa9"
                        "A",
                        random() % 2 ? "\n" : "\r\n", true, table);
        for (LineIndex i = 0; i < doc->Text().LineCount(); ++i)
            if (random() % 5 == 0)
                doc->Text().ReplaceLine(i, LineRecord(std::string(doc->Text().Line(i).Text())));
        options.query.regex = true;
        options.query.text = patterns[random() % patterns.size()];
        options.query.matchCase = random() % 2;
        PutCursor(static_cast<LineIndex>(random() % doc->Text().LineCount()), static_cast<Column>(random() % 6));
        const auto atOnce = search.Engine().Count(doc->Selection().cursor);
        const auto linesAtOnce = search.Engine().MatchingLines(doc->Selection().cursor);
        // Only an expression that cannot match the empty string, without a table, is counted at once.
        EXPECT_EQ(atOnce.has_value(), options.query.text != "a*" && !table) << options.query.text;
        if (!atOnce)
            continue;
        const auto [searched, searchedLines] = SearchedHits();
        EXPECT_EQ(*atOnce, searched) << options.query.text << " case " << options.query.matchCase;
        ASSERT_TRUE(linesAtOnce.has_value());
        EXPECT_EQ(*linesAtOnce, searchedLines) << options.query.text;
    }
}

// Characters the expression on characters takes otherwise than bytes: letters of two, three and
// four bytes, the Kelvin sign and the dotted capital I (whose lower cases are "k" and "i"), final
// sigma, a combining accent (a word character), a separator that is a space only there, and a
// byte that is no character.
std::vector<std::string> UnicodePieces()
{
    return {"a",
            "b",
            "k",
            "i",
            "1",
            " ",
            "_",
            "\xc3\xa9",
            "\xc3\x89",
            "\xe2\x84\xaa",
            "\xc4\xb0",
            "\xcf\x83",
            "\xcf\x82",
            "\xce\xa3",
            "\xcc\x81",
            "\x1c",
            "\xe4\xb8\xad",
            "\xf0\x9f\x98\x80",
            "\xff",
            "-",
            "."};
}

TEST_F(TextSearchTest, RandomExpressionsCountedAtOnceGiveTheCountOfRepeatedSearches)
{
    // Where the automaton is exact, a line with one match it is sure of is counted without the
    // expression, and the expression starts at the first match it found: random expressions of the
    // rewriting's syntax against short lines of their own characters, with tabs, CR, NUL bytes and
    // characters beyond ASCII now and then, and matches that run over line ends.
    std::mt19937 random(29);
    ExpressionMaker maker(random);
    int exact = 0;
    for (int round = 0; round < Rounds(1500); ++round) {
        SCOPED_TRACE(round);
        const std::string pattern = maker.Make();
        bool table = false;
        const int kind = static_cast<int>(random() % 6);
        const bool rare = kind < 2;
        const std::string end = random() % 2 ? "\n" : "\r\n";
        if (kind == 5)
            OpenRandomLines(random, 12, 10, UnicodePieces(), end, false, table);
        else
            OpenRandomLines(random, 12, 10, rare ? std::string("ab1 _.\t\r\xc3\xa9]-\\", 13) : std::string("abAB1 _.-"),
                            end, rare, table);
        options.query.regex = true;
        options.query.text = pattern;
        options.query.matchCase = random() % 2;
        if (const auto automaton =
                ExpressionPrefilter::Make(pattern, options.query.matchCase, doc->Utf8Text(), FinalDollar::Dropped,
                                          doc->Text().Terminator() == TerminatorKind::CRLF))
            exact += automaton->Exact() && !table;
        PutCursor(static_cast<LineIndex>(random() % doc->Text().LineCount()), static_cast<Column>(random() % 3));
        const auto atOnce = search.Engine().Count(doc->Selection().cursor);
        const auto linesAtOnce = search.Engine().MatchingLines(doc->Selection().cursor);
        if (!atOnce)
            continue;
        const auto [searched, searchedLines] = SearchedHits();
        EXPECT_EQ(*atOnce, searched) << pattern << " case " << options.query.matchCase;
        ASSERT_TRUE(linesAtOnce.has_value());
        EXPECT_EQ(*linesAtOnce, searchedLines) << pattern << " case " << options.query.matchCase;
    }
    EXPECT_GT(exact, Rounds(1500) / 6);
}

TEST_F(TextSearchTest, AMatchAcrossTheCutOfALongLineIsNoHit)
{
    // A line too long to load whole goes on in the next line, its bytes right after: the automaton
    // sees a match over the cut, the expression sees two lines. A megabyte of short lines before
    // it lets the searches' runs of lines grow over several lines of that length.
    ASSERT_TRUE(OpenAsText(std::string(300000, 'x') + "\n"));
    const auto cut = static_cast<std::size_t>(doc->Text().Line(0).Length());
    ASSERT_LT(cut, 300000u);
    std::string bytes(300000, 'x');
    bytes[cut - 1] = 'a';
    bytes[cut] = 'b';
    bytes[2 * cut + 10] = 'a';
    bytes[2 * cut + 11] = 'b';
    std::string before;
    for (int k = 0; k < 20000; ++k)
        before += "some line of fifty bytes, give or take a few ab\n";
    ASSERT_TRUE(OpenAsText(before + bytes + "\n"));
    options.query.regex = true;
    options.query.matchCase = true;
    for (const char* pattern : {"ab", "a.", "ab|x{500}a"}) {
        options.query.text = pattern;
        PutCursor(0, 0);
        const auto atOnce = search.Engine().Count(doc->Selection().cursor);
        ASSERT_TRUE(atOnce.has_value()) << pattern;
        EXPECT_EQ(*atOnce, SearchedHits().first) << pattern;
    }
}

TEST_F(TextSearchTest, ALongTextCountedByExpressionInTwoHalvesGivesTheSearchesCount)
{
    // Enough lines for the helper thread; edited lines start runs of their own.
    std::mt19937 random(8);
    std::string bytes;
    const std::string alphabet("ab \t\0", 5);
    for (int l = 0; l < 260000; ++l) {
        for (int k = 0, m = static_cast<int>(random() % 9); k < m; ++k)
            bytes += alphabet[random() % (random() % 8 ? 4 : 5)];
        bytes += random() % 3 ? "\n" : "\r\n";
    }
    ASSERT_TRUE(OpenAsText(bytes));
    for (LineIndex i = 0; i < doc->Text().LineCount(); i += 1 + static_cast<LineIndex>(random() % 50))
        doc->Text().ReplaceLine(i, LineRecord(std::string(doc->Text().Line(i).Text())));
    options.query.regex = true;
    options.query.matchCase = true;
    for (const char* pattern : {"ab+a", "\\tb\\b", "(ba|ab) a"}) {
        options.query.text = pattern;
        PutCursor(static_cast<LineIndex>(random() % 1000), 0);
        const auto atOnce = search.Engine().Count(doc->Selection().cursor);
        const auto linesAtOnce = search.Engine().MatchingLines(doc->Selection().cursor);
        ASSERT_TRUE(atOnce.has_value() && linesAtOnce.has_value());
        const auto [searched, searchedLines] = SearchedHits();
        EXPECT_EQ(*atOnce, searched) << pattern;
        EXPECT_EQ(*linesAtOnce, searchedLines) << pattern;
    }
}

TEST_F(TextSearchTest, AFarHitIsFoundAsOneScanFindsItWhenTwoThreadsShareTheSearch)
{
    // 1,000,000 lines of 50 bytes: past the first 32 MB the rest is searched in two halves, the
    // second from about line 835,000 by a helper thread.
    const LineIndex lines = 1000000;
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(lines) * 50);
    const std::string filler(49, '.');
    for (LineIndex i = 0; i < lines; ++i)
        bytes += filler + "\n";
    const auto put = [&bytes](LineIndex line, std::size_t column) {
        bytes[static_cast<std::size_t>(line) * 50 + column] = 'Q';
    };
    put(900000, 20);    // in the helper's half
    put(lines - 1, 7);  // the last line
    ASSERT_TRUE(OpenAsText(bytes));
    options.query.text = "Q";
    options.query.matchCase = true;
    const auto next = [this](LineIndex line) {
        TextSelection from;
        from.cursor = {line, 0};
        return search.Engine().Forward(from);
    };
    auto hit = next(0);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->line, 900000);
    EXPECT_EQ(hit->from, 20);
    hit = next(900001);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->line, lines - 1);
    EXPECT_EQ(hit->from, 7);
    // A hit in this thread's half wins over the helper's; none at all is none.
    doc->Text().ReplaceLine(750000, LineRecord(std::string(20, '.') + "Q\n"));
    hit = next(0);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->line, 750000);
    options.query.text = "QQ";
    EXPECT_FALSE(next(0));
}

// Regular-expression hits written out plainly: each line by itself through the table up to its
// first NUL, the next search after the last hit (one further after an empty one), no empty hit
// after the line's terminator.
std::vector<Position> TranscribedRegex(const std::vector<std::string>& lines, const std::string& pattern, bool table,
                                       Finder& search)
{
    const bool crlf = search.Engine().ContentEnd(LineView(std::string_view("\r\n"))) == 0;
    const boost::regex expression(WithPerlLineEnd(pattern, crlf), boost::regex::perl);
    std::vector<Position> hits;
    for (LineIndex i = 0; i < static_cast<LineIndex>(lines.size()); ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i)];
        std::string subject = line.substr(0, line.find('\0'));
        if (table)
            std::replace(subject.begin(), subject.end(), 'q', 'a');
        std::size_t content = line.size();
        while (content > 0 && line[content - 1] == '\n')
            --content;
        const LineView view(line);
        for (std::size_t from = 0; from <= subject.size();) {
            boost::smatch match;
            if (!boost::regex_search(
                    subject.cbegin() + static_cast<std::ptrdiff_t>(from), subject.cend(), match, expression,
                    LineMatchFlags(from == 0) | (from > 0 ? boost::match_prev_avail : boost::match_default)))
                break;
            const std::size_t at = from + static_cast<std::size_t>(match.position());
            const auto length = static_cast<std::size_t>(match.length());
            if (BeyondContent(static_cast<std::ptrdiff_t>(at), 0, content) && length == 0)
                break;
            hits.push_back({i, search.Engine().ColumnOfIndex(view, static_cast<std::uint32_t>(at)),
                            search.Engine().ColumnOfIndex(view, static_cast<std::uint32_t>(at + length))});
            from = at + std::max<std::size_t>(length, 1);
        }
    }
    return hits;
}

TEST_F(TextSearchTest, RegularExpressionSearchesMatchTheTranscriptionOnRandomTexts)
{
    std::mt19937 random(47);
    const std::string alphabet = "aAbq\t\r x";
    const std::vector<std::string> patterns = {"ab", "a.b",   "b+a",    "x?ab", "[ab]x", "ab$",   "^a",
                                               "q",  "a\\tb", "(a|b)x", "ba*",  "x\\r$", "A[^b]", "\\bab"};
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        bool table = false;
        const auto lines = OpenRandomLines(random, 12, 30, alphabet, "\n", true, table);
        options.query.regex = true;
        options.query.matchCase = true;
        options.query.text = patterns[random() % patterns.size()];
        EXPECT_EQ(AllForward(), TranscribedRegex(lines, options.query.text, table, search)) << options.query.text;
    }
}

TEST_F(TextSearchTest, TabsColumnsAndTheTableDecideWhatIsFound)
{
    ASSERT_TRUE(OpenAsText("\tError here\nno\n"));
    options.query.text = "error";
    PutCursor(0, 0);
    ASSERT_TRUE(search.FindForward(false));
    EXPECT_EQ(Now(), (Position{0, 3, 8}));  // after the tab of tab size 3
    options.query.matchCase = true;
    PutCursor(0, 0);
    EXPECT_FALSE(search.FindForward(false));
    EXPECT_EQ(doc->Selection().cursor.line, 0);  // nothing found: the cursor stays
    EXPECT_EQ(doc->Selection().cursor.column, 0);
}

TEST_F(TextSearchTest, TheFieldRestrictionSkipsOtherRecordTypes)
{
    ASSERT_TRUE(OpenAsText("A ab ab\nB ab ab\nA xx ab\n"));
    options.query.field = &AddFieldOfTypeA("SECOND", 5, 2);
    options.query.text = "ab";
    // Every line is searched inside the field only, the cursor's own line too; line 1 is of type B.
    EXPECT_EQ(AllForward(), (std::vector<Position>{{0, 5, 7}, {2, 5, 7}}));
    EXPECT_EQ(AllBackward(), (std::vector<Position>{{2, 5, 7}, {0, 5, 7}}));
    // The same with an expression, forward and backward, "^" and "$" at the field's ends; a cursor
    // left of the field finds nothing before it going back.
    options.query.regex = true;
    options.query.text = "ab";
    EXPECT_EQ(AllForward(), (std::vector<Position>{{0, 5, 7}, {2, 5, 7}}));
    options.query.text = "^ab$";
    EXPECT_EQ(AllForward(), (std::vector<Position>{{0, 5, 7}, {2, 5, 7}}));
    EXPECT_EQ(AllBackward(), (std::vector<Position>{{2, 5, 7}, {0, 5, 7}}));
    options.query.text = "x*";
    PutCursor(2, 3);
    EXPECT_TRUE(search.FindBackward());
    EXPECT_EQ(Now(), (Position{0, 5, 5}));  // not the empty text between the cursor and the field
}

TEST_F(TextSearchTest, FindPreviousInAFieldStaysInTheFieldOnTheCursorsLineToo)
{
    // A field of bytes 2 and 3; the cursor at the end of the second line, right of the field.
    ASSERT_TRUE(OpenAsText("Axbbxxb\nAxbbxxb\n"));
    options.query.field = &AddFieldOfTypeA("MIDDLE", 2, 2);
    // The plain search takes the nearest hit, an expression the leftmost of the line's part.
    options.query.text = "b";
    PutCursor(1, 7);
    ASSERT_TRUE(search.FindBackward());
    EXPECT_EQ(Now(), (Position{1, 3, 4}));
    ASSERT_TRUE(search.FindBackward());
    EXPECT_EQ(Now(), (Position{1, 2, 3}));
    options.query.regex = true;
    PutCursor(1, 7);
    ASSERT_TRUE(search.FindBackward());
    EXPECT_EQ(Now(), (Position{1, 2, 3}));
}

TEST_F(TextSearchTest, RegularExpressionsFindSpansAndReportErrors)
{
    ASSERT_TRUE(OpenAsText("id 12 and 345\nnothing\n\tx99\n"));
    options.query.regex = true;
    options.query.text = "[0-9]+";
    EXPECT_EQ(AllForward(), (std::vector<Position>{{0, 3, 5}, {0, 10, 13}, {2, 4, 6}}));
    // Backward the leftmost match before the limit is taken within a line.
    EXPECT_EQ(AllBackward(), (std::vector<Position>{{2, 4, 6}, {0, 3, 5}}));

    options.query.text = "([a-";
    PutCursor(0, 0);
    EXPECT_FALSE(search.FindForward(false));
    ASSERT_FALSE(prompter.Texts().empty());
    EXPECT_EQ(prompter.Texts().back().rfind("Expression error: ", 0), 0u);
}

TEST_F(TextSearchTest, AnEmptyMatchDoesNotKeepFindNextInPlace)
{
    ASSERT_TRUE(OpenAsText("abc\nd\n"));
    options.query.regex = true;
    options.query.text = "x*";
    PutCursor(0, 0);
    ASSERT_TRUE(search.FindNext());
    const Position first = Now();
    ASSERT_TRUE(search.FindNext());
    EXPECT_NE(Now(), first);  // it moved on
}

TEST_F(TextSearchTest, FindNextAsksAtTheEndAndGoesOnFromTheTop)
{
    ASSERT_TRUE(OpenAsText("one two\nthree one\n"));
    options.query.text = "one";
    PutCursor(1, 9);
    prompter.Expect("End of file reached!\nContinue search at top of file?", Answer::Ok);
    ASSERT_TRUE(search.FindNext());
    EXPECT_EQ(Now(), (Position{0, 0, 3}));
    PutCursor(0, 0);
    prompter.Expect("Begin of file reached!\nContinue search at bottom of file?", Answer::Cancel);
    EXPECT_FALSE(search.FindPrevious());
}

// The engine finds from any place it is given and leaves the editor's cursor alone; only the
// find commands move it.
TEST_F(TextSearchTest, TheEngineReturnsMatchesWithoutMovingTheCursor)
{
    ASSERT_TRUE(OpenAsText("one two\nthree one\n"));
    options.query.text = "one";
    PutCursor(0, 2);
    const Position before = Now();
    TextSearch& engine = search.Engine();
    const auto ahead = engine.Forward(TextSelection{{0, 1}});
    ASSERT_TRUE(ahead.has_value());
    EXPECT_EQ(ahead->line, 1);
    EXPECT_EQ(ahead->from, 6);
    EXPECT_EQ(ahead->to, 9);
    const auto back = engine.Backward(TextSelection{{1, 9}, {1, 6}});
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->line, 0);
    EXPECT_EQ(back->from, 0);
    EXPECT_FALSE(engine.Forward(TextSelection{{1, 7}}).has_value());
    EXPECT_EQ(Now(), before);
}

}  // namespace
}  // namespace quill::test
