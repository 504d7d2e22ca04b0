#include "record/text_encoding.h"

#include <gtest/gtest.h>

namespace ixo {
namespace {

// 手合割：平手 in code page 932, as a .kif file from Windows holds it.
const std::string kEvenGameCp932 = "\x8e\xe8\x8d\x87\x8a\x84\x81\x46\x95\xbd\x8e\xe8";

TEST(RecordText, KeepsUtf8AndDropsItsByteOrderMark) {
    EXPECT_EQ(decodeRecordText("手合割：平手\r\n"), "手合割：平手\r\n");
    EXPECT_EQ(decodeRecordText("\xEF\xBB\xBF手合割：平手"), "手合割：平手");
    EXPECT_EQ(decodeRecordText(""), "");
}

TEST(RecordText, ConvertsShiftJisWithTheWindowsExtensions) {
    EXPECT_EQ(decodeRecordText(kEvenGameCp932 + "\r\n"), "手合割：平手\r\n");
    // 髙 exists only in the Windows form of Shift_JIS, which is what .kif files are in.
    EXPECT_EQ(decodeRecordText("\xfb\xfc"), "髙");
}

TEST(RecordText, ADeclaredShiftJisWinsOverBytesThatAlsoPassAsUtf8) {
    // C3 A1 is "á" in UTF-8 and two half-width katakana in Shift_JIS.
    EXPECT_EQ(decodeRecordText("\xC3\xA1"), "á");
    EXPECT_EQ(decodeRecordText("#KIF version=2.0 encoding=Shift_JIS\n\xC3\xA1"),
              "#KIF version=2.0 encoding=Shift_JIS\nﾃ｡");
}

TEST(RecordText, RefusesBytesThatAreNeither) {
    EXPECT_EQ(decodeRecordText("\xFF\xFE garbage"), std::nullopt);
    EXPECT_EQ(decodeRecordText(kEvenGameCp932 + "\x81"), std::nullopt);  // cut inside a character
    EXPECT_EQ(decodeRecordText("\xEF\xBB\xBF" + kEvenGameCp932), std::nullopt);  // BOM, not UTF-8
}

}  // namespace
}  // namespace ixo
