// Cutting files into lines: terminators, form feeds, cut lengths, chunks, the widest line, abort.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <random>
#include <thread>
#include <unistd.h>

#include "charset/ConversionTable.h"
#include "support/DocumentFixture.h"
#include "support/Fakes.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "text/TextLoader.h"
#include "text/TextStore.h"

namespace quill::test {
namespace {

using LineList = std::vector<std::string>;

class TextLoadTest : public DocumentFixture {};

TEST_F(TextLoadTest, EmptyFileIsOneEmptyLineWithCrLf)
{
    ASSERT_TRUE(OpenBytes(""));
    EXPECT_EQ(Lines(), LineList{""});
    EXPECT_EQ(doc->Text().FileSize(), 0);
    EXPECT_EQ(doc->Text().Terminator(), TerminatorKind::CRLF);
    EXPECT_EQ(doc->Text().CurrentIndex(), 0);
}

TEST_F(TextLoadTest, TerminatorsStayOnTheirLines)
{
    ASSERT_TRUE(OpenBytes("a\r\nb"));
    EXPECT_EQ(Lines(), (LineList{"a\r\n", "b"}));
    EXPECT_EQ(doc->Text().Terminator(), TerminatorKind::CRLF);

    ASSERT_TRUE(OpenBytes("a\nb\n"));
    EXPECT_EQ(Lines(), (LineList{"a\n", "b\n", ""}));
    EXPECT_EQ(doc->Text().Terminator(), TerminatorKind::LF);
    EXPECT_EQ(view.panes[StatusPane::LineEnds], "LF");
}

TEST_F(TextLoadTest, MixedTerminatorsEndWithTheKindOfTheLastLf)
{
    ASSERT_TRUE(OpenBytes("a\nb\r\nc"));
    EXPECT_EQ(doc->Text().Terminator(), TerminatorKind::CRLF);
    ASSERT_TRUE(OpenBytes("a\r\nb\nc"));
    EXPECT_EQ(doc->Text().Terminator(), TerminatorKind::LF);
}

TEST_F(TextLoadTest, LfOpeningAChunkDoesNotDecideTheTerminator)
{
    // The CR closes the first chunk, its LF opens the second: the pair is not judged, so the
    // earlier LF-only line decides.
    std::string bytes = "x\n" + std::string(TextLoader::kChunkSize - 3, 'a') + "\r\nb";
    ASSERT_EQ(bytes[TextLoader::kChunkSize], '\n');
    ASSERT_TRUE(OpenBytes(bytes));
    EXPECT_EQ(doc->Text().Terminator(), TerminatorKind::LF);
    EXPECT_EQ(Lines().size(), 3u);
    EXPECT_EQ(AllBytes(), bytes);
}

TEST_F(TextLoadTest, FormFeedEndsALineAndLoneCrDoesNot)
{
    ASSERT_TRUE(OpenBytes("a\fb"));
    EXPECT_EQ(Lines(), (LineList{"a\f", "b"}));
    ASSERT_TRUE(OpenBytes("a\rb\r\rc"));
    EXPECT_EQ(Lines(), LineList{"a\rb\r\rc"});
}

TEST_F(TextLoadTest, LongLineIsCutAfterExactly99000BytesKeepingItsTerminator)
{
    doc->SetView(nullptr);  // without a window there is no border to wrap at
    std::string longLine(99000, 'x');
    ASSERT_TRUE(OpenBytes(longLine + "\r\nnext\n" + longLine + "yz"));
    LineList lines = Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], longLine + "\r\n");
    EXPECT_EQ(lines[1], "next\n");
    EXPECT_EQ(lines[2], longLine);
    EXPECT_EQ(lines[3], "yz");
    EXPECT_EQ(doc->Text().WidestLine(), 99002);
}

TEST_F(TextLoadTest, AVeryLongLineIsWrappedAtTheWindowBorder)
{
    view.pageWidth = 53;    // 50 columns wrap width
    settings.wordWrap = 0;  // the user's own layout
    std::string words;
    while (words.size() < 120000)
        words += "word ";
    ASSERT_TRUE(OpenBytes(words + "\nend\n"));
    EXPECT_EQ(doc->Config().Get(Layout::WrapAtBorder), 1);
    EXPECT_EQ(doc->Config().Get(Layout::WordWrap), 1);
    LineList lines = Lines();
    ASSERT_GT(lines.size(), 2000u);
    EXPECT_EQ(lines[0], "word word word word word word word word word word ");
    EXPECT_EQ(lines[lines.size() - 2], "end\n");
    EXPECT_EQ(AllBytes(), words + "\nend\n");  // re-cutting never changes a byte

    // That was for this file: the next one, and the settings written when the program ends,
    // have the user's layout again.
    ASSERT_TRUE(OpenBytes("short\n", "next.txt"));
    EXPECT_EQ(doc->Config().Get(Layout::WrapAtBorder), 0);
    EXPECT_EQ(doc->Config().Get(Layout::WordWrap), 0);
    ASSERT_TRUE(OpenBytes(words + "\nend\n"));
    EXPECT_EQ(doc->Config().Get(Layout::WrapAtBorder), 1);
    doc->Clear();  // as the window does when it closes
    EXPECT_EQ(doc->Config().Get(Layout::WrapAtBorder), 0);
    EXPECT_EQ(doc->Config().Get(Layout::WordWrap), 0);
}

TEST_F(TextLoadTest, WidestLineCountsTabsTheWayTheLoadDoes)
{
    settings.tabSize = 3;
    // Every byte counts one, then a tab jumps to 3*((c+3)/3): "a\tb\n" gives 1, 3, 4, 5.
    ASSERT_TRUE(OpenBytes("a\tb\nxy\n"));
    EXPECT_EQ(doc->Text().WidestLine(), 5);
}

TEST_F(TextLoadTest, FileSizeStatusAndFileTextAfterLoad)
{
    std::string path = dir.Write("sized.txt", std::string(1234567, 'q'));
    ASSERT_TRUE(doc->Open(path));
    EXPECT_EQ(view.panes[StatusPane::Selection], "Size: 1.234.567");
    EXPECT_EQ(view.panes[StatusPane::Message].rfind(path + " (", 0), 0u);
    EXPECT_EQ(doc->File().Title(), "sized.txt");
}

TEST_F(TextLoadTest, EscapeAnsweredYesKeepsTheChunksReadBefore)
{
    std::string bytes;
    for (int i = 0; bytes.size() < 3 * TextLoader::kChunkSize; ++i)
        bytes += "line " + std::to_string(i) + "\n";
    progress.escapeAtStep = 2;
    prompter.Expect("Abort load?", Answer::Yes);
    ASSERT_TRUE(OpenBytes(bytes));
    EXPECT_TRUE(doc->File().LoadAborted());
    std::string loaded = AllBytes();
    EXPECT_EQ(loaded, bytes.substr(0, TextLoader::kChunkSize));
    EXPECT_EQ(doc->Text().FileSize(), static_cast<ByteOffset>(loaded.size()));
}

TEST_F(TextLoadTest, EscapeAnsweredNoLoadsEverything)
{
    std::string bytes(3 * TextLoader::kChunkSize, 'z');
    progress.escapeAtStep = 1;
    prompter.Expect("Abort load?", Answer::No);
    ASSERT_TRUE(OpenBytes(bytes));
    EXPECT_FALSE(doc->File().LoadAborted());
    EXPECT_EQ(AllBytes(), bytes);
}

TEST_F(TextLoadTest, EscapeStopsADeviceThatNeverEnds)
{
    progress.escapeAtStep = 40;
    prompter.Expect("Abort load?", Answer::Yes);
    ASSERT_TRUE(doc->Open("/dev/zero"));
    EXPECT_TRUE(doc->File().LoadAborted());
    EXPECT_GT(doc->Text().FileSize(), 0);
    EXPECT_EQ(doc->Text().FileSize(), static_cast<ByteOffset>(AllBytes().size()));
}

TEST_F(TextLoadTest, EscapeStopsAPipeThatKeepsTheReaderWaiting)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "first line\nsecond", 17), 17);  // then nothing more, and no end
    progress.escapeAtStep = 5;
    prompter.Expect("Abort load?", Answer::Yes);
    TextStore store;
    TextLoader loader(store, LoadParams{});
    const LoadOutcome outcome = loader.Load(ends[0], 0, progress, prompter);
    ::close(ends[0]);
    ::close(ends[1]);
    EXPECT_EQ(outcome.status, LoadOutcome::Status::Aborted);
    ASSERT_GE(store.LineCount(), 1);
    EXPECT_EQ(store.Line(0).Text(), "first line\n");
}

TEST_F(TextLoadTest, APipeIsReadToItsEnd)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    std::string sent;
    for (int i = 0; i < 20000; ++i)
        sent += "line " + std::to_string(i) + "\n";
    std::thread writer([&] {
        for (std::size_t at = 0; at < sent.size(); at += 7001) {
            const std::size_t n = std::min<std::size_t>(7001, sent.size() - at);
            if (::write(ends[1], sent.data() + at, n) != static_cast<ssize_t>(n))
                break;
        }
        ::close(ends[1]);
    });
    TextStore store;
    TextLoader loader(store, LoadParams{});
    const LoadOutcome outcome = loader.Load(ends[0], 0, progress, prompter);
    writer.join();
    ::close(ends[0]);
    EXPECT_EQ(outcome.status, LoadOutcome::Status::Complete);
    std::string got;
    for (LineIndex i = 0; i < store.LineCount(); ++i)
        got += store.Line(i).Text();
    EXPECT_TRUE(got == sent);
    EXPECT_EQ(store.LineCount(), 20001);
}

// The loader on its own, for the modes a structure sets.
class LoaderTest : public ::testing::Test {
protected:
    LineList Load(const std::string& bytes, LoadParams params)
    {
        std::string path = dir.Write("in.dat", bytes);
        int fd = ::open(path.c_str(), O_RDONLY);
        TextStore store;
        TextLoader loader(store, params);
        outcome = loader.Load(fd, static_cast<std::int64_t>(bytes.size()), progress, prompter);
        ::close(fd);
        LineList lines;
        for (LineIndex i = 0; i < store.LineCount(); ++i)
            lines.emplace_back(store.Line(i).Text());
        terminator = store.Terminator();
        counted = CountBytes(store);
        return lines;
    }

    TempDir dir;
    FakeProgress progress;
    ScriptedPrompter prompter;
    LoadOutcome outcome;
    ByteHistogram counted{};
    TerminatorKind terminator = TerminatorKind::CRLF;
};

TEST_F(LoaderTest, IgnoredFormatCodesKeepCrLfAfterTheRecordLength)
{
    LoadParams params;
    params.ignoreFormatCodes = true;
    params.cutLength = 10;
    LineList lines = Load("0123456789\r\nabcdefghij\r\n\f\n34567890", params);
    EXPECT_EQ(lines, (LineList{"0123456789\r\n", "abcdefghij\r\n", "\f\n34567890", ""}));
}

TEST_F(LoaderTest, IgnoredFormatCodesTakeRunsOfLineFeedsAfterTheCut)
{
    LoadParams params;
    params.ignoreFormatCodes = true;
    params.cutLength = 3;
    EXPECT_EQ(Load("abc\n\n\nde", params), (LineList{"abc\n\n\n", "de"}));
    EXPECT_EQ(terminator, TerminatorKind::LF);
}

TEST_F(LoaderTest, ACutKeepsUtf8CharactersWholeButRecordsTheirBytes)
{
    LoadParams params;
    params.cutLength = 4;
    const std::string text = "aa\xE6\x97\xA5\xE6\x9C\xAC"
                             "b\n";
    EXPECT_EQ(Load(text, params), (LineList{"aa", "\xE6\x97\xA5",
                                            "\xE6\x9C\xAC"
                                            "b\n",
                                            ""}));
    params.ignoreFormatCodes = true;  // a record is a byte layout
    EXPECT_EQ(Load(text, params), (LineList{"aa\xE6\x97", "\xA5\xE6\x9C\xAC", "b\n"}));
}

TEST_F(LoaderTest, CutAtChunkEndHasNoLookAhead)
{
    LoadParams params;
    params.cutLength = TextLoader::kChunkSize;
    std::string bytes(TextLoader::kChunkSize, 'a');
    // The CR LF after the cut lies in the next chunk, so it starts the next line.
    EXPECT_EQ(Load(bytes + "\r\nb", params), (LineList{bytes, "\r\n", "b"}));
}

TEST_F(LoaderTest, CrAtTheChunkEndIsNotTakenAfterACut)
{
    LoadParams params;
    params.cutLength = TextLoader::kChunkSize - 1;
    std::string head(TextLoader::kChunkSize - 1, 'a');
    EXPECT_EQ(Load(head + "\r\nz", params), (LineList{head, "\r\n", "z"}));
}

TEST_F(LoaderTest, HistogramCountsEveryByte)
{
    // The load counts the unusual ASCII bytes; the loaded text's bytes are counted when needed.
    Load(std::string("aab\n\0\0\0{", 8), LoadParams{});
    EXPECT_EQ(counted['a'], 2u);
    EXPECT_EQ(counted['b'], 1u);
    EXPECT_EQ(counted['\n'], 1u);
    EXPECT_EQ(counted[0], 3u);
    EXPECT_EQ(outcome.unusualAscii, 4u);
}

TEST_F(LoaderTest, ATextThatIsNotUtf8HasEveryByteCountedByItsLoad)
{
    // UTF-8 (and ASCII) for many chunks, then code page 1252: the chunks before count too.
    const auto histogramOf = [](const std::string& bytes) {
        ByteHistogram counts{};
        for (const char c : bytes)
            ++counts[static_cast<std::uint8_t>(c)];
        return counts;
    };
    std::string utf8;
    while (utf8.size() < 5 * static_cast<std::size_t>(TextLoader::kChunkSize))
        utf8 += "J\xC3\xB6rg and plain ASCII {text}\n";
    std::string eightBit;
    while (eightBit.size() < 3 * static_cast<std::size_t>(TextLoader::kChunkSize))
        eightBit += "K\x94ln \x84 1252\r\n";
    // Beyond the first block the thread that reads a block counts its bytes too.
    std::string longEightBit;
    while (longEightBit.size() < static_cast<std::size_t>(TextLoader::kBlockBytes) * 5 / 2)
        longEightBit += eightBit;
    for (const std::string& bytes : {eightBit, utf8 + eightBit, eightBit + utf8, utf8 + longEightBit}) {
        Load(bytes, LoadParams{});
        EXPECT_FALSE(outcome.validUtf8);
        EXPECT_TRUE(outcome.histogramComplete);
        EXPECT_EQ(outcome.histogram, histogramOf(bytes));
    }
    // A UTF-8 text's bytes are not counted by its load (only the unusual ASCII ones).
    Load(utf8, LoadParams{});
    EXPECT_TRUE(outcome.validUtf8);
    EXPECT_FALSE(outcome.histogramComplete);
    EXPECT_EQ(outcome.unusualAscii, histogramOf(utf8)['{'] * 2);
}

TEST_F(LoaderTest, ALongTextIsCountedInTwoHalvesAsAWhole)
{
    // Enough lines for the second thread; every byte value, line ends of both kinds.
    std::mt19937 random(3);
    std::string bytes;
    for (int l = 0; l < 250000; ++l) {
        for (int k = 0, n = static_cast<int>(random() % 12); k < n; ++k)
            bytes += static_cast<char>(random() % 256);
        bytes += l % 3 ? "\n" : "\r\n";
    }
    ByteHistogram expected{};
    for (const char c : bytes)
        ++expected[static_cast<std::uint8_t>(c)];
    Load(bytes, LoadParams{});
    EXPECT_EQ(counted, expected);
}

TEST(ChunkCountsTest, TheCountsOfAChunkAreThoseOfItsBytesOneByOne)
{
    // The unusual bytes are those a table's choice takes as not ordinary, below 128.
    for (int b = 0; b < 0x80; ++b)
        EXPECT_EQ(IsUnusualAscii(static_cast<std::uint8_t>(b)),
                  !ConversionTable::IsOrdinaryDisplayCode(static_cast<std::uint8_t>(b)))
            << b;
    // Random stretches at every alignment, from few byte values (runs of one kind) to all.
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
        const int values = 1 + static_cast<int>(random() % 4) * 85;
        std::string bytes(random() % (round % 10 == 0 ? 10000 : 100), '\0');  // some beyond the sums' 4080 bytes
        const auto base = static_cast<int>(random() % 256);
        for (char& c : bytes)
            c = static_cast<char>((base + static_cast<int>(random() % static_cast<unsigned>(values))) % 256);
        const ChunkCounts counts = CountChunk(bytes.data(), bytes.data() + bytes.size(), round % 3 != 0);
        std::uint32_t unusual = 0;
        bool tab = false, formFeed = false, high = false;
        for (const char c : bytes) {
            const auto b = static_cast<std::uint8_t>(c);
            unusual += IsUnusualAscii(b) ? 1 : 0;
            tab = tab || b == kTab;
            formFeed = formFeed || b == kFF;
            high = high || b >= 0x80;
        }
        EXPECT_EQ(counts.unusualAscii, unusual);
        EXPECT_EQ(counts.tab, tab);
        EXPECT_EQ(counts.formFeed, formFeed);
        EXPECT_EQ(counts.beyondAscii, high);
    }
}

TEST_F(LoaderTest, LinesAcrossBlockBoundariesAreWhole)
{
    // Blocks hold many chunks; a line that runs over a block boundary gets its own bytes.
    std::string line(77, 'k');
    line += '\n';
    std::string bytes;
    while (bytes.size() < 70'000'000)
        bytes += line;
    bytes += "tail";
    LineList lines = Load(bytes, LoadParams{});
    std::string joined;
    for (const std::string& l : lines) {
        ASSERT_TRUE(l == line || &l == &lines.back()) << l.size();
        joined += l;
    }
    EXPECT_EQ(lines.back(), "tail");
    EXPECT_EQ(joined.size(), bytes.size());
}

}  // namespace
}  // namespace quill::test
