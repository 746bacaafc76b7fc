#include "platform/core/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace qel {
namespace {

TEST(CoreUtf8, PrefixesAndIterationNeverSplitACharacter)
{
    const std::string text = "Gr\xC3\xB6\xC3\x9F" "e\xF0\x9F\x94\x91";  // "Größe" and a key emoji
    EXPECT_EQ(Utf8Length(text), 6u);
    EXPECT_EQ(Utf8Prefix(text, 3), "Gr\xC3\xB6");
    EXPECT_EQ(Utf8Prefix(text, 99), text);
    EXPECT_EQ(Utf8PrefixByBytes(text, 3), "Gr");
    EXPECT_EQ(Utf8PrefixByBytes(text, 4), "Gr\xC3\xB6");
    std::u32string cps;
    for (std::size_t pos = 0; pos < text.size();)
        cps += Utf8Next(text, pos);
    EXPECT_EQ(cps, U"Gr\u00F6\u00DFe\U0001F511");
    std::string round;
    for (char32_t cp : cps)
        AppendUtf8(round, cp);
    EXPECT_EQ(round, text);
}

TEST(CoreUtf8, MalformedBytesBecomeReplacementCharactersOneByteAtATime)
{
    // A truncated sequence, an overlong '/', an encoded surrogate, a stray continuation.
    const std::string bad = "\xE2\x82" "A" "\xC0\xAF" "\xED\xA0\x80" "\x80";
    std::u32string cps;
    for (std::size_t pos = 0; pos < bad.size();)
        cps += Utf8Next(bad, pos);
    EXPECT_EQ(cps, std::u32string(U"\uFFFD\uFFFDA\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"));
}

TEST(CoreUtf8, ValidTextIsExactlyTextEveryCharacterOfWhichDecodes)
{
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("Gr\xC3\xB6\xC3\x9F" "e\xF0\x9F\x94\x91"));
    EXPECT_TRUE(IsValidUtf8("\xEF\xBF\xBD")) << "a real replacement character is text";
    EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF")) << "U+10FFFF is the last code point";
    EXPECT_FALSE(IsValidUtf8("\xE2\x82")) << "truncated";
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF")) << "overlong";
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")) << "surrogate";
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80")) << "past U+10FFFF";
    EXPECT_FALSE(IsValidUtf8("ok\x80")) << "stray continuation";
    EXPECT_FALSE(IsValidUtf8("caf\xE9")) << "Windows-1252 bytes";
}

} // namespace
} // namespace qel
