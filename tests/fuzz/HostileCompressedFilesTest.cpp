// Thousands of damaged compressed files (bytes changed, cut, inserted, members glued to junk),
// read to the end: none may crash, hang or reach undefined behaviour (this suite also runs under
// the sanitizers), and whatever is read without a word of damage is the text itself.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <random>
#include <unistd.h>

#include "support/DocumentFixture.h"
#include "support/TestScale.h"
#include "text/Compression.h"
#include "text/Compressor.h"
#include "text/Decompressor.h"
#include "text/FileHandle.h"

namespace quill::test {
namespace {

std::string Packed(const std::string& path, const std::string& text, CompressionFormat format)
{
    {
        FileHandle file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
        auto writer = Compressor::Open(file.Get(), CompressionStyle{format, format == CompressionFormat::Zstd ? 3 : 1,
                                                                    format == CompressionFormat::Xz ? 4 : 1});
        EXPECT_EQ(writer->Write(text.data(), text.size()), 0);
        EXPECT_EQ(writer->Finish(), 0);
    }
    return ReadFile(path);
}

class HostileCompressedFilesTest : public DocumentFixture {};

TEST_F(HostileCompressedFilesTest, DamagedDataNeverCrashesAndIsEitherToldOrRight)
{
    std::mt19937 random(99);
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "line " + std::to_string(random() % 100000) + (i % 7 ? "\n" : "\r\n");
    const std::string path = dir.File("hostile");
    for (CompressionFormat format :
         {CompressionFormat::Gzip, CompressionFormat::Xz, CompressionFormat::Zstd, CompressionFormat::Bzip2}) {
        const std::string good = Packed(path, text, format);
        for (int round = 0; round < Rounds(250); ++round) {
            std::string bad = good;
            switch (round % 5) {
            case 0:  // bytes changed
                for (int n = 1 + static_cast<int>(random() % 4); n > 0; --n)
                    bad[random() % bad.size()] = static_cast<char>(random());
                break;
            case 1: bad.resize(random() % bad.size()); break;  // cut
            case 2:
                bad.insert(random() % bad.size(), std::string(1 + random() % 9, static_cast<char>(random())));
                break;
            case 3: bad += bad.substr(0, random() % bad.size()); break;  // a member glued to part of another
            default:                                                     // the header, then junk
                bad = bad.substr(0, 12);
                for (int n = static_cast<int>(random() % 200); n > 0; --n)
                    bad += static_cast<char>(random());
            }
            dir.Write("hostile", bad);
            // Read in small pieces, and as a load reads it: into blocks with room beyond, the
            // block before kept (zstd then decodes into the blocks themselves).
            for (const bool blocks : {false, true}) {
                FileHandle file(::open(path.c_str(), O_RDONLY));
                const CompressionStyle style = CompressionOfFile(file.Get());
                auto reader = Decompressor::Open(file.Get(), style.format);
                if (!reader)
                    break;  // the magic itself was hit: plain text
                const std::size_t size = blocks ? 4u << 20 : 1u << 16;
                std::vector<char> parts[2];
                std::string out;
                int error = 0;
                for (int reads = 0; reads < 1000; ++reads) {
                    std::vector<char>& part = parts[reads % 2];
                    part.assign(size + static_cast<std::size_t>(Decompressor::kBlockSlack), '\0');
                    const auto want = static_cast<std::int64_t>(size);
                    const std::int64_t got =
                        blocks ? reader->ReadBlock(part.data(), want, error) : reader->Read(part.data(), want, error);
                    ASSERT_GE(got, 0);
                    out.append(part.data(), static_cast<std::size_t>(got));
                    if (got < want)
                        break;
                    ASSERT_LT(out.size(), 64u << 20) << "endless output";
                }
                if (reader->Damaged() == Decompressor::Damage::None)
                    EXPECT_TRUE(out == text ||
                                out == text + text.substr(0, out.size() - std::min(out.size(), text.size())))
                        << CompressionName(format) << " round " << round << ": " << out.size() << " bytes, untold";
                else
                    EXPECT_FALSE(reader->DamageText().empty());
            }
        }
        // The document opens such files too, with a message, and never saves them unasked.
        dir.Write("hostile.z", good.substr(0, good.size() * 2 / 3));
        ASSERT_TRUE(doc->Open(dir.File("hostile.z")));
        EXPECT_FALSE(prompter.Texts().empty());
    }
}

}  // namespace
}  // namespace quill::test
