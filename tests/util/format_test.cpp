#include <gtest/gtest.h>

#include <string>

#include "util/format.h"

TEST(FormatString, ReturnsTextsShorterThanLongerThanAndExactlyTheFirstBuffer) {
    for (const int length : {10, 255, 256, 300, 5000}) {
        const std::string text(static_cast<std::size_t>(length - 1), 'x');
        EXPECT_EQ(ixo::formatString("%s!", text.c_str()), text + "!") << length;
    }
}

TEST(FormatString, ReturnsAnEmptyStringWhenTheFormatterFails) {
    // A lone surrogate has no multibyte form in any locale, so no bigger buffer would help.
    EXPECT_EQ(ixo::formatString("ok %ls", L"\xD800"), "");
}
