#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/core/MathUtils.h"
#include "platform/core/Split.h"
#include "platform/core/Utf8.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

namespace qel {
namespace {

struct Bracketed {
    int depth = 0;
    int ends = 0;
    bool throwOnEnd = false;
    void BeginUpdate() { ++depth; }
    void EndUpdate()
    {
        --depth;
        ++ends;
        if (throwOnEnd)
            throw std::runtime_error("end failed");
    }
};

TEST(CoreGuards, RestoreAndCloseBracketsWhenAnExceptionLeavesTheScope)
{
    bool loading = false;
    Bracketed target;
    int ran = 0;
    EXPECT_THROW(
        {
            TValueRestorer keep(loading, true);
            TUpdateScope scope(target);
            Finally done([&] { ++ran; });
            EXPECT_TRUE(loading);
            EXPECT_EQ(target.depth, 1);
            throw std::runtime_error("midway");
        },
        std::runtime_error);
    EXPECT_FALSE(loading);
    EXPECT_EQ(target.depth, 0);
    EXPECT_EQ(ran, 1);
}

TEST(CoreGuards, ASecondFailureWhileUnwindingNeverHidesTheFirst)
{
    Bracketed target;
    target.throwOnEnd = true;
    EXPECT_EQ(test::MessageOf<std::runtime_error>([&] {
        TUpdateScope scope(target);
        Finally also([] { throw std::logic_error("cleanup failed"); });
        throw std::runtime_error("first");
    }),
              "first");
    EXPECT_EQ(target.ends, 1);
    // Without an exception in flight the cleanup's own failure is reported.
    EXPECT_THROW({ TUpdateScope scope(target); }, std::runtime_error);
    int ran = 0;
    {
        Finally undo([&] { ++ran; });
        undo.Dismiss();
    }
    EXPECT_EQ(ran, 0);
}

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

TEST(CoreSplit, EveryPieceIsKeptSoCallersDecideAboutEmptyOnes)
{
    EXPECT_EQ(SplitString("A;;B;", ';'), (std::vector<std::string>{"A", "", "B", ""}));
    EXPECT_EQ(SplitString("", ';'), (std::vector<std::string>{""}));
    EXPECT_EQ(SplitString("a<>b<>", "<>"), (std::vector<std::string>{"a", "b", ""}));
    EXPECT_EQ(SplitString("whole", ""), (std::vector<std::string>{"whole"}));
}

TEST(CoreText, AsciiCaseLeavesOtherBytesAloneAndSignIgnoresNaN)
{
    // Names and extensions: only A-Z/a-z change, UTF-8 sequences pass through.
    EXPECT_EQ(LowerCase("PNG-Gr\xC3\x96\xC3\x9F" "E"), "png-gr\xC3\x96\xC3\x9F" "e");
    EXPECT_EQ(UpperCase("and\xC3\xA4"), "AND\xC3\xA4");
    EXPECT_TRUE(SameNoCase("Caption", "CAPTION"));
    EXPECT_FALSE(SameNoCase("\xC3\xA4", "\xC3\x84")) << "only ASCII letters fold";
    EXPECT_TRUE(StartsWithNoCase("Ctrl+Shift+A", 5, "shift+"));
    EXPECT_FALSE(StartsWithNoCase("Alt", 1, "LTX"));
    EXPECT_FALSE(StartsWithNoCase("Alt", 9, "")) << "a position past the end holds nothing";
    EXPECT_EQ(Sign(-7), -1);
    EXPECT_EQ(Sign(0.0), 0);
    EXPECT_EQ(Sign(2.5), 1);
    EXPECT_EQ(Sign(std::nan("")), 0);
}

}  // namespace
}  // namespace qel
