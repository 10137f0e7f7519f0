// The fast loader against a byte-by-byte transcription of the loading rules, on random files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <random>
#include <unistd.h>

#include "support/Fakes.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "text/TextLoader.h"
#include "text/TextStore.h"

namespace quill::test {
namespace {

struct Reference {
    std::vector<std::string> lines;
    TerminatorKind terminator = TerminatorKind::CRLF;
    std::int64_t widest = 0;
};

// One byte at a time, exactly as the rules read: chunks of 50,000 bytes, look-ahead inside the
// chunk only, LF and FF ending lines unless format codes are ignored.
Reference LoadByHand(const std::string& bytes, const LoadParams& params)
{
    Reference out;
    const std::size_t chunk = TextLoader::kChunkSize;
    std::string line;
    std::int64_t c = 0;
    const std::int64_t cut = std::max<std::int64_t>(1, params.cutLength);
    auto end = [&] {
        out.widest = std::max(out.widest, c);
        out.lines.push_back(line);
        line.clear();
        c = 0;
    };
    for (std::size_t start = 0; start < bytes.size(); start += chunk) {
        const std::size_t stop = std::min(bytes.size(), start + chunk);
        for (std::size_t i = start; i < stop; ++i) {
            const auto b = static_cast<std::uint8_t>(bytes[i]);
            line += bytes[i];
            ++c;
            if (b == kTab && !params.binaryMode)
                c = NextTabStop(c, params.tabSize);
            bool ends = false;
            if (!params.ignoreFormatCodes && (b == kLF || b == kFF)) {
                ends = true;
            } else if (static_cast<std::int64_t>(line.size()) >= cut) {
                if (i + 1 >= stop)
                    ends = true;
                else if (static_cast<std::uint8_t>(bytes[i + 1]) == kLF)
                    ends = false;
                else if (i + 2 < stop && static_cast<std::uint8_t>(bytes[i + 1]) == kCR &&
                         static_cast<std::uint8_t>(bytes[i + 2]) == kLF)
                    ends = false;
                else
                    ends = true;
            }
            if (ends) {
                if (b == kLF && i != start)
                    out.terminator =
                        static_cast<std::uint8_t>(bytes[i - 1]) == kCR ? TerminatorKind::CRLF : TerminatorKind::LF;
                end();
            }
        }
    }
    end();
    return out;
}

TEST(LoaderReferenceTest, TheFastLoaderCutsExactlyLikeTheRules)
{
    std::mt19937 random(21);
    TempDir dir;
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        const char alphabet[] = "abc \t\r\n\n\f\r";
        std::string bytes(static_cast<std::size_t>(random() % 160000), ' ');
        const std::size_t kinds = round % 4 == 0 ? 4 : sizeof alphabet - 1;  // some files without line ends
        for (char& b : bytes)
            b = alphabet[random() % kinds];
        LoadParams params;
        params.cutLength = round % 3 == 0 ? 99000 : 1 + static_cast<std::int64_t>(random() % 200);
        params.ignoreFormatCodes = round % 2 == 1;
        params.binaryMode = round % 5 == 0;
        params.tabSize = 1 + static_cast<int>(random() % 8);
        const std::string path = dir.Write("r.dat", bytes);
        int fd = ::open(path.c_str(), O_RDONLY);
        TextStore store;
        FakeProgress progress;
        ScriptedPrompter prompter;
        TextLoader(store, params).Load(fd, static_cast<std::int64_t>(bytes.size()), progress, prompter);
        ::close(fd);
        const Reference expected = LoadByHand(bytes, params);
        ASSERT_EQ(static_cast<std::size_t>(store.LineCount()), expected.lines.size());
        for (LineIndex i = 0; i < store.LineCount(); ++i)
            ASSERT_EQ(store.Line(i).Text(), expected.lines[static_cast<std::size_t>(i)]) << "line " << i;
        EXPECT_EQ(store.Terminator(), expected.terminator);
        EXPECT_EQ(store.WidestLine(), expected.widest);
    }
}

}  // namespace
}  // namespace quill::test
