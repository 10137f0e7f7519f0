// Whatever a file holds, loading and saving it gives back the same bytes.
#include <gtest/gtest.h>

#include <random>

#include "support/DocumentFixture.h"
#include "text/TextLoader.h"

namespace quill::test {
namespace {

struct Sample {
    const char* name;
    std::string bytes;
};

std::string EveryByteValue()
{
    std::string bytes;
    for (int round = 0; round < 3; ++round)
        for (int b = 0; b < 256; ++b)
            bytes += static_cast<char>(b);
    return bytes;
}

std::string RandomText(std::uint32_t seed, std::size_t size)
{
    // Mostly letters, with every kind of terminator and some NULs and tabs mixed in.
    static const char kAlphabet[] = "abcdefgh \t\r\n\n\f\0\xE4\xFF";
    std::mt19937 random(seed);
    std::string bytes(size, ' ');
    for (char& b : bytes)
        b = kAlphabet[random() % (sizeof kAlphabet - 1)];
    return bytes;
}

std::vector<Sample> Corpus()
{
    const std::int64_t chunk = TextLoader::kChunkSize;
    std::string lfOpensChunk = std::string(chunk - 1, 'a') + "\r\n" + std::string(10, 'b');
    return {
        {"empty", ""},
        {"crlf", "one\r\ntwo\r\nthree\r\n"},
        {"lf", "one\ntwo\nthree"},
        {"mixed", "one\r\ntwo\nthree\r\n\nfour"},
        {"form feeds", "page\fpage\f\f\r\n"},
        {"lone cr", "a\rb\r\r\nc\r"},
        {"nul bytes", std::string("a\0b\n\0\0\n", 8)},
        {"every byte", EveryByteValue()},
        {"98999", std::string(98999, 'x') + "\n" + std::string(98999, 'y')},
        {"99000", std::string(99000, 'x') + "\r\n" + std::string(99000, 'y') + "\n"},
        {"99001", std::string(99001, 'x') + "\r\n" + std::string(99001, 'y')},
        {"200000", std::string(200000, 'z') + "\n" + std::string(200000, 'w')},
        {"lf opens a chunk", lfOpensChunk},
        {"no terminator at end", "last line"},
        {"terminator at end", "last line\n"},
        {"random", RandomText(7, 3 * chunk + 17)},
    };
}

class RoundTripTest : public DocumentFixture {};

TEST_F(RoundTripTest, SavingRightAfterLoadingReproducesEveryFile)
{
    for (const Sample& sample : Corpus()) {
        SCOPED_TRACE(sample.name);
        ASSERT_TRUE(OpenBytes(sample.bytes, "in.dat"));
        EXPECT_EQ(doc->Text().FileSize(), static_cast<ByteOffset>(sample.bytes.size()));
        EXPECT_EQ(doc->Text().SumOfLengths(), doc->Text().FileSize());
        ASSERT_TRUE(doc->Save(dir.File("out.dat")));
        EXPECT_TRUE(ReadFile(dir.File("out.dat")) == sample.bytes);
    }
}

TEST_F(RoundTripTest, EveryLoadEndsWithALineWithoutTerminator)
{
    for (const Sample& sample : Corpus()) {
        SCOPED_TRACE(sample.name);
        ASSERT_TRUE(OpenBytes(sample.bytes, "in.dat"));
        const TextStore& text = doc->Text();
        LineView last = text.Line(text.LineCount() - 1);
        if (last.Length() > 0) {
            std::uint8_t end = last.ByteAt(last.Length() - 1);
            EXPECT_TRUE(end != '\n' && end != '\f');
        }
        for (LineIndex i = 0; i + 1 < text.LineCount(); ++i)
            EXPECT_LE(text.Line(i).Length(), 99002u);
    }
}

}  // namespace
}  // namespace quill::test
