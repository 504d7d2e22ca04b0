#include <gtest/gtest.h>

#include <string>

#include "app/format.h"

namespace ixo {
namespace {

TEST(FormatString, ReturnsTextsShorterThanLongerThanAndExactlyTheFirstBuffer) {
    for (const int length : {10, 255, 256, 300, 5000}) {
        const std::string text(static_cast<std::size_t>(length - 1), 'x');
        EXPECT_EQ(formatString("%s!", text.c_str()), text + "!") << length;
    }
    EXPECT_EQ(formatString("../image/%s%02d.png", "b", 7), "../image/b07.png");
}

TEST(FormatString, ReturnsAnEmptyStringWhenTheFormatterFails) {
    // A lone surrogate has no multibyte form in any locale, so the formatter reports an error
    // that no bigger buffer cures.
    EXPECT_EQ(formatString("ok %ls", L"\xD800"), "");
}

}  // namespace
}  // namespace ixo
