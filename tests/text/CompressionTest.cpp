// Compressed files against the formats' own tools: what the tools make is read whole (members
// one after another, in reads of any size), what the program writes the tools read back, the level
// a header records is kept, and damaged data ends the text where it is found and says so.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <unistd.h>

#include "support/TempDir.h"
#include "text/Compression.h"
#include "text/Compressor.h"
#include "text/Decompressor.h"
#include "text/FileHandle.h"

namespace quill::test {
namespace {

struct Tool {
    CompressionFormat format;
    const char* compress;    // reads standard input, writes standard output
    const char* decompress;  // the same
    const char* ending;
};

const Tool kTools[] = {
    {CompressionFormat::Gzip, "gzip -c", "gzip -dc", ".gz"},
    {CompressionFormat::Xz, "xz -c", "xz -dc", ".xz"},
    {CompressionFormat::Zstd, "zstd -q -c", "zstd -q -dc", ".zst"},
    {CompressionFormat::Bzip2, "bzip2 -c", "bzip2 -dc", ".bz2"},
};

// Bytes of every kind that matter to a loader (line ends of each sort, NUL, bytes above 127) in
// runs, so that the text compresses as logs do but not to nothing.
std::string Sample(std::size_t size, unsigned seed)
{
    static const std::string kWords[] = {"alpha ",    "beta\n", "gamma\r\n",           "\r", std::string("nul\0", 4),
                                         "\xFF\xFE ", "Grüße ", "2026-12-09 12:00:00 "};
    std::mt19937 random(seed);
    std::string text;
    while (text.size() < size)
        text += random() % 7 == 0 ? std::string(1, static_cast<char>(random())) : kWords[random() % 8];
    return text;
}

void Shell(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

// Everything the decompressor gives for the file, read in steps of the sizes given in turn, or
// (blocks) as a load reads it: into blocks of one size with spare room beyond, each kept as it is
// while the next is filled. The spare room is filled with a mark, so that a reader that counts on
// it being anything gives a wrong text.
std::string ReadAll(const std::string& path, Decompressor::Damage& damage, std::int64_t& damageAt,
                    const std::vector<std::int64_t>& steps, bool blocks)
{
    FileHandle file(::open(path.c_str(), O_RDONLY));
    auto reader = Decompressor::Open(file.Get(), CompressionOfFile(file.Get()).format);
    if (!reader)
        return "<not compressed>";
    std::vector<char> parts[2];
    std::string text;
    for (std::size_t i = 0;; ++i) {
        const std::int64_t step = steps[i % steps.size()];
        std::vector<char>& part = parts[i % 2];
        part.assign(static_cast<std::size_t>(step + Decompressor::kBlockSlack), '\x5A');
        int error = 0;
        const std::int64_t got =
            blocks ? reader->ReadBlock(part.data(), step, error) : reader->Read(part.data(), step, error);
        EXPECT_GE(got, 0) << error;
        text.append(part.data(), static_cast<std::size_t>(std::max<std::int64_t>(got, 0)));
        if (got < step)
            break;
    }
    damage = reader->Damaged();
    damageAt = reader->DamageAt();
    return text;
}

std::string Decompress(const std::string& path, Decompressor::Damage& damage, std::int64_t& damageAt,
                       const std::vector<std::int64_t>& steps = {1 << 20})
{
    return ReadAll(path, damage, damageAt, steps, false);
}

std::string DecompressInBlocks(const std::string& path, Decompressor::Damage& damage, std::int64_t& damageAt,
                               std::int64_t blockSize)
{
    return ReadAll(path, damage, damageAt, {blockSize}, true);
}

std::string Decompress(const std::string& path)
{
    Decompressor::Damage damage{};
    std::int64_t at = 0;
    std::string text = Decompress(path, damage, at);
    EXPECT_EQ(damage, Decompressor::Damage::None) << path;
    return text;
}

class ZstdBlocksTest : public ::testing::Test {
protected:
    TempDir dir;
};

class CompressionTest : public ::testing::TestWithParam<Tool> {
protected:
    // The text compressed by the format's tool, with its options.
    std::string ToolMade(const std::string& name, const std::string& text, const std::string& options = "")
    {
        const std::string plain = dir.Write(name + ".plain", text);
        const std::string packed = dir.File(name + GetParam().ending);
        Shell(std::string(GetParam().compress) + " " + options + " < " + plain + " > " + packed);
        return packed;
    }
    TempDir dir;
};

TEST_P(CompressionTest, ConcatenatedMembersAreReadWholeInReadsOfAnySize)
{
    const std::string first = Sample(2'500'000, 1);
    const std::string second = Sample(300'000, 2);
    const std::string a = ToolMade("a", first);
    const std::string b = ToolMade("b", second);
    const std::string both = dir.File(std::string("both") + GetParam().ending);
    Shell("cat " + a + " " + b + " " + a + " > " + both);
    Decompressor::Damage damage{};
    std::int64_t at = 0;
    const std::string text = Decompress(both, damage, at, {7, 65536, 1 << 20, 3'000'001});
    EXPECT_EQ(damage, Decompressor::Damage::None);
    EXPECT_TRUE(text == first + second + first) << text.size();
    // As a load reads it: the tools' windows are 2 MiB at most here, and fit a block of 4 MiB.
    EXPECT_TRUE(DecompressInBlocks(both, damage, at, 4 << 20) == first + second + first);
    EXPECT_EQ(damage, Decompressor::Damage::None);
    EXPECT_EQ(CompressionOfFile(FileHandle(::open(both.c_str(), O_RDONLY)).Get()).format, GetParam().format);

    // Zeros after the last member are padding, not damage; other bytes there are damage.
    const std::string packed = ReadFile(a);
    EXPECT_TRUE(Decompress(dir.Write("padded", packed + std::string(3 << 20, '\0'))) == first);
    EXPECT_TRUE(DecompressInBlocks(dir.File("padded"), damage, at, 4 << 20) == first);
    EXPECT_EQ(damage, Decompressor::Damage::None);
    std::string tail = packed + std::string(10, '\0') + "junk";
    Decompress(dir.Write("junk", tail), damage, at);
    EXPECT_NE(damage, Decompressor::Damage::None);
    EXPECT_TRUE(DecompressInBlocks(dir.File("junk"), damage, at, 4 << 20) == first);
    EXPECT_NE(damage, Decompressor::Damage::None);
}

TEST_P(CompressionTest, WhatIsWrittenTheToolReadsBackAndAnEmptyTextToo)
{
    for (const std::string& text : {Sample(3'000'000, 3), std::string()}) {
        const std::string path = dir.File(std::string("written") + GetParam().ending);
        {
            FileHandle file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
            auto writer = Compressor::Open(file.Get(), CompressionForName(path));
            ASSERT_TRUE(writer);
            // In uneven pieces, as the lines of a text come.
            for (std::size_t at = 0; at < text.size(); at += 100'003)
                ASSERT_EQ(writer->Write(text.data() + at, std::min<std::size_t>(100'003, text.size() - at)), 0);
            ASSERT_EQ(writer->Finish(), 0);
            EXPECT_EQ(writer->Written(), static_cast<std::int64_t>(ReadFile(path).size()));
        }
        const std::string back = dir.File("back");
        Shell(std::string(GetParam().decompress) + " < " + path + " > " + back);
        EXPECT_TRUE(ReadFile(back) == text) << text.size();
        EXPECT_TRUE(Decompress(path) == text);
    }
}

TEST_P(CompressionTest, DataCutShortOrDamagedEndsTheTextAndSaysWhere)
{
    const std::string text = Sample(2'000'000, 4);
    const std::string packed = ReadFile(ToolMade("whole", text));
    const std::string cut = dir.Write("cut", packed.substr(0, packed.size() / 2));
    Decompressor::Damage damage{};
    std::int64_t at = 0;
    std::string got = Decompress(cut, damage, at);
    EXPECT_EQ(damage, Decompressor::Damage::EndsEarly);
    EXPECT_EQ(at, static_cast<std::int64_t>(packed.size() / 2));
    EXPECT_EQ(text.compare(0, got.size(), got), 0) << "what comes before the end is the text";
    EXPECT_LT(got.size(), text.size());
    const std::string inBlocks = DecompressInBlocks(cut, damage, at, 4 << 20);
    EXPECT_EQ(damage, Decompressor::Damage::EndsEarly);
    EXPECT_EQ(at, static_cast<std::int64_t>(packed.size() / 2));
    EXPECT_EQ(text.compare(0, inBlocks.size(), inBlocks), 0);
    EXPECT_LT(inBlocks.size(), text.size());

    std::string spoilt = packed;
    for (std::size_t i = packed.size() / 2; i < packed.size() / 2 + 64; ++i)
        spoilt[i] = static_cast<char>(spoilt[i] ^ 0x5A);
    got = Decompress(dir.Write("spoilt", spoilt), damage, at);
    EXPECT_EQ(damage, Decompressor::Damage::Corrupt);
    EXPECT_GT(at, 0);
    EXPECT_LE(at, static_cast<std::int64_t>(packed.size()));
    // Read as a load reads it, it is damage too, and the texts agree as far as both go (where a
    // block's garbage reaches back beyond the window, the stream sees that at once, while in the
    // blocks only the checksum at the frame's end does).
    const std::string inBlocksSpoilt = DecompressInBlocks(dir.File("spoilt"), damage, at, 4 << 20);
    const std::size_t both = std::min(got.size(), inBlocksSpoilt.size());
    EXPECT_EQ(got.compare(0, both, inBlocksSpoilt, 0, both), 0);
    EXPECT_EQ(damage, Decompressor::Damage::Corrupt);

    // Only the header: a member begun and nothing of it.
    const std::string head = packed.substr(0, 12);
    got = Decompress(dir.Write("head", head), damage, at);
    EXPECT_TRUE(got.empty());
    EXPECT_NE(damage, Decompressor::Damage::None);
}

// zstd decodes into the blocks themselves where a frame's window fits a block, and looks back
// into the block before; other frames are streamed. Files that mix them, with blocks of text the
// format stores as they are, as one byte repeated, and compressed, read into blocks smaller than
// the room beyond them, just large enough for the small windows, and larger, give what the tool gives.
TEST_F(ZstdBlocksTest, FramesOfEveryKindReadIntoBlocksGiveTheToolsText)
{
    std::mt19937 random(7);
    std::string noise(300'000, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    const std::string text = Sample(1'500'000, 8) + std::string(1'000'000, 'x') + noise + Sample(600'000, 9);
    const std::string plain = dir.Write("text", text);
    auto pack = [&](const std::string& name, const std::string& options) {
        Shell("zstd -q -c " + options + " < " + plain + " > " + dir.File(name));
        return ReadFile(dir.File(name));
    };
    const std::string small = pack("small", "--zstd=wlog=17");  // a window of 128 KiB
    const std::string unchecked = pack("unchecked", "--zstd=wlog=17 --no-check");
    const std::string large = pack("large", "");
    // A frame the reader passes over, with bytes of its own.
    const std::string skippable = std::string("\x50\x2A\x4D\x18\x05\x00\x00\x00hello", 13);
    const struct {
        std::string packed;
        std::string text;
    } files[] = {
        {small + unchecked + small, text + text + text},
        {small + skippable + small + large + small, text + text + text + text},
        {unchecked + large + std::string(100, '\0') + small, text + text + text},
    };
    for (const auto& file : files) {
        const std::string path = dir.Write("mixed.zst", file.packed);
        for (const std::int64_t block :
             {std::int64_t{100'000}, std::int64_t{256} << 10, std::int64_t{300'001}, std::int64_t{5} << 20}) {
            Decompressor::Damage damage{};
            std::int64_t at = 0;
            EXPECT_TRUE(DecompressInBlocks(path, damage, at, block) == file.text) << block;
            EXPECT_EQ(damage, Decompressor::Damage::None);
        }
    }

    // A wrong checksum is damage at the frame's end, after its text.
    std::string wrong = small;
    wrong.back() = static_cast<char>(wrong.back() ^ 1);
    Decompressor::Damage damage{};
    std::int64_t at = 0;
    const std::string got = DecompressInBlocks(dir.Write("wrong.zst", wrong + small), damage, at, 256 << 10);
    EXPECT_EQ(damage, Decompressor::Damage::Corrupt);
    EXPECT_EQ(at, static_cast<std::int64_t>(small.size()) - 4);
    EXPECT_EQ(text.compare(0, got.size(), got), 0);
}

TEST_P(CompressionTest, TheLevelAHeaderRecordsIsKept)
{
    const std::string text = Sample(100'000, 5);
    auto levelOf = [&](const std::string& options) {
        FileHandle file(::open(ToolMade("level", text, options).c_str(), O_RDONLY));
        return CompressionOfFile(file.Get());
    };
    switch (GetParam().format) {
    case CompressionFormat::Gzip:
        EXPECT_EQ(levelOf("-1").level, 1);
        EXPECT_EQ(levelOf("-9").level, 9);
        EXPECT_EQ(levelOf("").level, 6);
        break;
    case CompressionFormat::Xz:
        EXPECT_EQ(levelOf("-1").level, 1);
        EXPECT_EQ(levelOf("-9").level, 9);
        EXPECT_EQ(levelOf("").level, 6);
        EXPECT_EQ(levelOf("--check=sha256").check, 10);
        break;
    case CompressionFormat::Zstd:
        EXPECT_EQ(levelOf("").check, 1);
        EXPECT_EQ(levelOf("--no-check").check, 0);
        break;
    case CompressionFormat::Bzip2:
        EXPECT_EQ(levelOf("-3").level, 3);
        EXPECT_EQ(levelOf("").level, 9);
        break;
    case CompressionFormat::None: break;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, CompressionTest, ::testing::ValuesIn(kTools),
                         [](const auto& format) { return std::string(CompressionName(format.param.format)); });

TEST(CompressionOfHead, PlainTextThatLooksLikeAHeaderIsPlain)
{
    auto of = [](const std::string& bytes) {
        return CompressionOfHead(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()).format;
    };
    EXPECT_EQ(of("BZh9 is what a bzip2 file begins with\n"), CompressionFormat::None);
    EXPECT_EQ(of("\x1F\x8B"), CompressionFormat::None);
    EXPECT_EQ(of(""), CompressionFormat::None);
    EXPECT_EQ(of(std::string("\xFD"
                             "7zXZ",
                             5)),
              CompressionFormat::None);
    EXPECT_EQ(of("\x1F\x8B\x08"), CompressionFormat::Gzip);
    EXPECT_EQ(CompressionForName("/x/app.log").format, CompressionFormat::None);
    EXPECT_EQ(CompressionForName("/x/app.log.zst").format, CompressionFormat::Zstd);
    EXPECT_EQ(CompressionForName(".gz").format, CompressionFormat::None);
}

}  // namespace
}  // namespace quill::test
