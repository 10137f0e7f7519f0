// Line values and the gap vector under them.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "text/GapVector.h"
#include "text/LineRecord.h"
#include "text/TextStore.h"

namespace quill {
namespace {

TEST(LineRecordTest, ByteAccessOutsideTheLineIsHarmless)
{
    LineRecord line("ab", 2);
    EXPECT_EQ(line.ByteAt(2), 0);
    EXPECT_EQ(line.ByteAt(-1), 0);
    line.SetByteAt(5, 'x');
    line.SetByteAt(1, 'x');
    EXPECT_EQ(line, "ax");
    LineRecord empty;
    EXPECT_TRUE(empty.IsEmptyText());
    EXPECT_STREQ(empty.Bytes(), "");
    EXPECT_TRUE(LineRecord(std::string_view("\0z", 2)).IsEmptyText());
}

TEST(LineRecordTest, MidLeftRightAndAppend)
{
    LineRecord line("hello world");
    EXPECT_EQ(line.Mid(6, 99), "world");
    EXPECT_EQ(line.Mid(11, 1), "");
    EXPECT_EQ(line.Left(5), "hello");
    EXPECT_EQ(line.Right(6), "world");
    line.Append('!');
    line.Append(std::string_view(" ok"));
    EXPECT_EQ(line, "hello world! ok");
    line.Append(line);  // appending a line to itself
    EXPECT_EQ(line, "hello world! okhello world! ok");
    EXPECT_EQ(LineRecord('-', 3), "---");
}

TEST(LineRecordTest, BorrowedBytesAreCopiedBeforeAChange)
{
    char shared[] = "abc";
    LineRecord line = LineRecord::Borrow(shared, 3);
    EXPECT_FALSE(line.IsOwned());
    line.SetByteAt(0, 'X');
    EXPECT_TRUE(line.IsOwned());
    EXPECT_EQ(line, "Xbc");
    EXPECT_STREQ(shared, "abc");
    LineRecord appended = LineRecord::Borrow(shared, 3);
    appended.Append('d');
    EXPECT_EQ(appended, "abcd");
    EXPECT_STREQ(shared, "abc");
}

// A slot holds the length of a borrowed line in 17 bits and an owned line's length in its buffer:
// lengths on both sides of that limit, growing and shrinking, keep every byte.
TEST(LineRecordTest, LinesLongerThanABorrowedSlotHoldsKeepTheirBytes)
{
    std::string text(LineSlot::kMaxBorrowed + 5, 'a');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>('a' + i % 23);
    LineRecord atLimit = LineRecord::Borrow(text.data(), LineSlot::kMaxBorrowed);
    EXPECT_FALSE(atLimit.IsOwned());
    EXPECT_TRUE(atLimit.Text() == std::string_view(text).substr(0, LineSlot::kMaxBorrowed));
    LineRecord beyond = LineRecord::Borrow(text.data(), LineSlot::kMaxBorrowed + 1);
    EXPECT_TRUE(beyond.IsOwned());  // copied rather than cut
    EXPECT_TRUE(beyond.Text() == std::string_view(text).substr(0, LineSlot::kMaxBorrowed + 1));

    LineRecord grown = LineRecord::Borrow(text.data(), 10);
    std::string expected = text.substr(0, 10);
    for (int i = 0; i < 40; ++i) {
        grown.Append(text.data(), 9000);
        expected.append(text, 0, 9000);
    }
    ASSERT_EQ(grown.Length(), expected.size());
    EXPECT_TRUE(grown.Text() == expected);  // also when the source begins where the borrowed line does
    EXPECT_EQ(grown.Bytes()[grown.Length()], 0);
    LineSlot slot = grown.Release();
    EXPECT_TRUE(slot.Owned());
    slot.SetLength(3);
    EXPECT_EQ(slot.View().Text(), "abc");
    LineRecord back = LineRecord::Adopt(slot);
    EXPECT_EQ(back.Mid(1, 5), "bc");

    LineSlot borrowed = LineSlot::Borrowed(text.data() + 1, 100000);
    borrowed.SetLength(2);
    EXPECT_FALSE(borrowed.Owned());
    EXPECT_EQ(borrowed.View().Text(), "bc");
}

// A text of many blocks is given back on a helper thread, its edited lines with it (the
// sanitizer build counts what is not freed); the store is at once ready for the next text.
TEST(TextStoreTest, ALargeTextClearedFreesItsBlocksAndEditedLinesBehindTheCaller)
{
    TextStore store;
    for (int round = 0; round < 2; ++round) {
        for (int b = 0; b < 6; ++b) {
            char* block = store.NewBlock(4096);
            std::memset(block, 'a' + b, 4096);
            for (int i = 0; i < 64; ++i) {
                store.AppendLine(LineRecord::Borrow(block + i * 64, 64));
                store.AppendLine(LineRecord(std::string(100, 'x')));
            }
        }
        ASSERT_EQ(store.LineCount(), 6 * 128);
        EXPECT_EQ(store.Line(1).Text(), std::string(100, 'x'));
        EXPECT_EQ(store.Line(128).Text(), std::string(64, 'b'));
        store.Clear();
        EXPECT_EQ(store.LineCount(), 0);
        EXPECT_EQ(store.FileSize(), 0);
        TextStore::WaitForReleases();
    }
}

TEST(GapVectorTest, BehavesLikeAVectorUnderRandomEdits)
{
    GapVector<int> gap;
    std::vector<int> model;
    std::mt19937 random(42);
    for (int step = 0; step < 20000; ++step) {
        if (model.empty() || random() % 3 != 0) {
            std::size_t at = random() % (model.size() + 1);
            gap.Insert(at, step);
            model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), step);
        } else {
            std::size_t at = random() % model.size();
            EXPECT_EQ(gap.Erase(at), model[at]);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
        }
    }
    ASSERT_EQ(gap.Size(), model.size());
    for (std::size_t i = 0; i < model.size(); ++i)
        ASSERT_EQ(gap[i], model[i]);
}

}  // namespace
}  // namespace quill
