#include <gtest/gtest.h>

#include <string>

#include "util/line_buffer.h"

namespace ixo {
namespace {

TEST(LineBuffer, SplitsLinesDropsCarriageReturnsAndThrowsAwayOverlongOnes) {
    LineBuffer buffer(16);
    const std::string bytes = "LOGIN:a OK\r\n+7776FU,T1\n" + std::string(40, 'x') + "\nEND";
    std::string line;
    // Bytes come in any pieces the network likes.
    for (const char c : bytes) {
        buffer.append(&c, 1);
    }
    ASSERT_EQ(buffer.take(line), LineBuffer::Take::Line);
    EXPECT_EQ(line, "LOGIN:a OK");
    ASSERT_EQ(buffer.take(line), LineBuffer::Take::Line);
    EXPECT_EQ(line, "+7776FU,T1");
    EXPECT_EQ(buffer.take(line), LineBuffer::Take::Overlong);
    EXPECT_EQ(buffer.take(line), LineBuffer::Take::NothingYet);
    ASSERT_TRUE(buffer.takeRest(line));
    EXPECT_EQ(line, "END");
    // A line without end that grows past the limit is reported once, then skipped to its end.
    const std::string endless(20, 'y');
    buffer.append(endless.data(), endless.size());
    EXPECT_EQ(buffer.take(line), LineBuffer::Take::Overlong);
    buffer.append(endless.data(), endless.size());
    EXPECT_EQ(buffer.take(line), LineBuffer::Take::NothingYet);
    buffer.append("y\nnext\n", 7);
    ASSERT_EQ(buffer.take(line), LineBuffer::Take::Line);
    EXPECT_EQ(line, "next");
}

TEST(LineBuffer, ThrowsAwayAnOverlongLineThatArrivesWithItsNewline) {
    // Cut into reads of the limit's size, the line's newline comes in the same read as its
    // excess: once such a line came out whole, as if the peer had sent something sound.
    LineBuffer buffer(16);
    const std::string first(16, 'x');
    buffer.append(first.data(), first.size());
    std::string line;
    EXPECT_EQ(buffer.take(line), LineBuffer::Take::NothingYet);
    buffer.append("xx\nusiok\n", 9);
    EXPECT_EQ(buffer.take(line), LineBuffer::Take::Overlong);
    ASSERT_EQ(buffer.take(line), LineBuffer::Take::Line);
    EXPECT_EQ(line, "usiok");
}

}  // namespace
}  // namespace ixo
