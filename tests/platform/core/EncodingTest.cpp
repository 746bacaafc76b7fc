#include "platform/core/Encoding.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(Cp1252, EveryByteSurvivesARoundTripThroughUtf8)
{
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one)), one) << b;
    }
}

TEST(Cp1252, MapsTheWindowsRangeAndLatin1)
{
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "€");
    EXPECT_EQ(Cp1252ToUtf8("\x8A\x8C\x8E\x9A\x9C\x9E\x9F"), "ŠŒŽšœžŸ");
    EXPECT_EQ(Cp1252ToUtf8("\x84\x93\x94\x96\x97\x85\x99"), "„“”–—…™");
    EXPECT_EQ(Cp1252ToUtf8("Gr\xFC\xDF" "e"), "Grüße");
    EXPECT_EQ(Utf8ToCp1252("€ 5 – Grüße"), "\x80 5 \x96 Gr\xFC\xDF" "e");
}

TEST(Cp1252, UnmappableAndMalformedInputBecomesQuestionMarks)
{
    EXPECT_EQ(Utf8ToCp1252("日本"), "??");
    EXPECT_EQ(Utf8ToCp1252("a😀b"), "a?b");                      // one character, one mark
    EXPECT_EQ(Utf8ToCp1252("\xFF\xFE" "abc"), "??abc");
    EXPECT_EQ(Utf8ToCp1252("x\xE2\x82"), "x??");                  // truncated sequence
    EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");                    // overlong '/'
    EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "???");               // encoded surrogate
    EXPECT_EQ(Utf8ToCp1252("\xF4\x90\x80\x80"), "????");          // above U+10FFFF
}

TEST(Utf16, RoundTripsIncludingSurrogatePairs)
{
    const std::string text = "Grüße € 😀 日本";
    const std::u16string units = Utf8ToUtf16(text);
    EXPECT_EQ(units, u"Grüße € 😀 日本");
    EXPECT_EQ(Utf16ToUtf8(units), text);
    EXPECT_EQ(Utf8ToUtf16("😀"), (std::u16string{0xD83D, 0xDE00}));
}

TEST(Utf16, LittleEndianBytes)
{
    EXPECT_EQ(Utf8ToUtf16LEBytes("A€"), std::string("\x41\x00\xAC\x20", 4));
    EXPECT_EQ(Utf8ToUtf16LEBytes(""), "");
    EXPECT_EQ(Utf16LEBytesToUtf8(Utf8ToUtf16LEBytes("Übersicht 😀")), "Übersicht 😀");
    EXPECT_EQ(Utf16LEBytesToUtf8(std::string("\x41\x00\x42", 3)), "A");   // odd byte dropped
}

TEST(Utf16, BadInputBecomesReplacementCharacters)
{
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD800}), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDC00, u'a'}), "\xEF\xBF\xBD" "a");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD800, 0xD800, 0xDC00}), "\xEF\xBF\xBD\xF0\x90\x80\x80");
    EXPECT_EQ(Utf8ToUtf16("a\xFF"), (std::u16string{u'a', 0xFFFD}));
}

} // namespace
} // namespace qel
