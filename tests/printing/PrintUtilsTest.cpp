#include "printing/PrintUtils.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Strings.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace qel {
namespace {

std::vector<int> Pages(const std::string& text)
{
    const Variant v = DecodePageRanges(text);
    std::vector<int> result;
    for (const Variant& e : v.Elements())
        result.push_back(e.AsInteger());
    return result;
}

// --- Page lists ------------------------------------------------------------

TEST(DecodePageRanges, ListsAndRangesKeepOrderAndRepetition)
{
    EXPECT_EQ(Pages("1, 3,5 -7"), (std::vector<int>{1, 3, 5, 6, 7}));
    EXPECT_EQ(Pages("5-5"), (std::vector<int>{5}));
    EXPECT_EQ(Pages("2,0"), (std::vector<int>{2, 0}));
    EXPECT_EQ(Pages("9,2,2,1-3"), (std::vector<int>{9, 2, 2, 1, 2, 3}));
    EXPECT_EQ(Pages("\t4,\t\t6 "), (std::vector<int>{4, 6}));
    // Empty pieces add nothing.
    EXPECT_EQ(Pages(",,3,,4,"), (std::vector<int>{3, 4}));
    EXPECT_EQ(Pages("3--5"), (std::vector<int>{3, 4, 5}));
}

TEST(DecodePageRanges, OpenOrOddRangesLeaveAZeroSlot)
{
    EXPECT_EQ(Pages("3,5-"), (std::vector<int>{3, 0}));
    EXPECT_EQ(Pages("3,-5"), (std::vector<int>{3, 0}));
    EXPECT_EQ(Pages("3,1-2-3,4"), (std::vector<int>{3, 0, 4}));
}

TEST(DecodePageRanges, BlankTextIsUnassigned)
{
    EXPECT_TRUE(DecodePageRanges("").IsEmpty());
    EXPECT_TRUE(DecodePageRanges("   \t ").IsEmpty());
    const Variant v = DecodePageRanges("1");
    EXPECT_TRUE(v.IsArray());
}

TEST(DecodePageRanges, FaultsRaiseConversionErrors)
{
    for (const char* bad : {"7-5", "0", "0,3", "5-,3", "-", ",", "abc", "1,x", "1-y", "1.5", "1;2",
                            "2\n3", "99999999999"}) {
        EXPECT_THROW(DecodePageRanges(bad), EConvertError) << bad;
    }
    EXPECT_EQ(test::MessageOf<EConvertError>([&] { DecodePageRanges("7-5"); }), "");
}

TEST(DecodePageRanges, RefusesRunawayPageCounts)
{
    // One slot per page: these would otherwise allocate billions of integers.
    EXPECT_THROW(DecodePageRanges("1-2000000000"), EConvertError);
    EXPECT_THROW(DecodePageRanges("1-2147483647"), EConvertError);
    EXPECT_THROW(DecodePageRanges("1-60000,1-60000"), EConvertError);
    EXPECT_EQ(DecodePageRanges("1-100000").Elements().size(), 100000u);
    EXPECT_THROW(DecodePageRanges("1-100000,7"), EConvertError);
    EXPECT_THROW(DecodePageRanges("1-100001"), EConvertError);
    // Large page numbers themselves are the caller's range check.
    EXPECT_EQ(Pages("2147483646-2147483647"), (std::vector<int>{2147483646, 2147483647}));
}

// --- Roman and letter numbering ----------------------------------------------

TEST(RomanNumbers, KnownValues)
{
    EXPECT_EQ(IntToRoman(1994, true), "MCMXCIV");
    EXPECT_EQ(IntToRoman(1994, false), "mcmxciv");
    EXPECT_EQ(IntToRoman(4, true), "IV");
    EXPECT_EQ(IntToRoman(3999, true), "MMMCMXCIX");
    EXPECT_EQ(IntToRoman(4000, true), "MMMM");
    EXPECT_EQ(IntToRoman(0, true), "");
    EXPECT_EQ(IntToRoman(-5, true), "");
    EXPECT_EQ(IntToRoman(INT_MIN, false), "");
    EXPECT_EQ(RomanToInt("MCMXCIV", true), 1994);
    EXPECT_EQ(RomanToInt("", true), 0);
    EXPECT_EQ(RomanToInt("MMMM", true), 4000);
}

TEST(RomanNumbers, UnreadableTextGivesMinusOne)
{
    EXPECT_EQ(RomanToInt("mcmxciv", true), -1);   // other case
    EXPECT_EQ(RomanToInt("MCMXCIV", false), -1);
    EXPECT_EQ(RomanToInt("IIII", true), -1);
    EXPECT_EQ(RomanToInt("IC", true), -1);
    EXPECT_EQ(RomanToInt("XM", true), -1);
    EXPECT_EQ(RomanToInt("12", true), -1);
    EXPECT_EQ(RomanToInt(" X", true), -1);
    // Three million thousands do not fit an integer.
    EXPECT_EQ(RomanToInt(std::string(3000000, 'M'), true), -1);
}

TEST(RomanNumbers, RoundTripOverTheUsualRange)
{
    for (int n = 1; n <= 3999; ++n) {
        ASSERT_EQ(RomanToInt(IntToRoman(n, true), true), n) << n;
        ASSERT_EQ(RomanToInt(IntToRoman(n, false), false), n) << n;
    }
}

TEST(RomanNumbers, HugeValuesFallBackToDigits)
{
    EXPECT_EQ(IntToRoman(MaxNumberingValue, false), std::string(100, 'm'));
    EXPECT_EQ(IntToRoman(MaxNumberingValue + 1, false), "100001");
    EXPECT_EQ(IntToRoman(INT_MAX, true), "2147483647");
}

TEST(LetterNumbers, KnownValues)
{
    EXPECT_EQ(IntToLetters(1, false), "a");
    EXPECT_EQ(IntToLetters(26, false), "z");
    EXPECT_EQ(IntToLetters(27, false), "aa");
    EXPECT_EQ(IntToLetters(28, false), "bb");
    EXPECT_EQ(IntToLetters(52, true), "ZZ");
    EXPECT_EQ(IntToLetters(53, true), "AAA");
    EXPECT_EQ(IntToLetters(0, true), "");
    EXPECT_EQ(IntToLetters(-1, true), "");
    EXPECT_EQ(IntToLetters(INT_MIN, true), "");
    EXPECT_EQ(IntToLetters(INT_MAX, true), "2147483647");
    EXPECT_EQ(LettersToInt("bb", false), 28);
    EXPECT_EQ(LettersToInt("ZZ", true), 52);
}

TEST(LetterNumbers, OddText)
{
    EXPECT_EQ(LettersToInt("", false), 0);
    EXPECT_EQ(LettersToInt("BB", false), 26);    // first letter not in the lower-case alphabet
    EXPECT_EQ(LettersToInt("b", true), 0);
    EXPECT_EQ(LettersToInt("bz", false), 28);    // only the first letter counts
    EXPECT_EQ(LettersToInt("1", false), 0);
    EXPECT_EQ(LettersToInt("\xC3\xA4\xC3\xA4", false), 26);   // two characters, not four bytes
}

TEST(LetterNumbers, RoundTripOverTheUsualRange)
{
    for (int n = 1; n <= 3999; ++n) {
        ASSERT_EQ(LettersToInt(IntToLetters(n, false), false), n) << n;
        ASSERT_EQ(LettersToInt(IntToLetters(n, true), true), n) << n;
    }
}

// --- Text helpers --------------------------------------------------------------

TEST(TextHelpers, ReplaceAndRemove)
{
    EXPECT_EQ(ReplaceSubStr("a-b-c", "-", "--"), "a--b--c");
    EXPECT_EQ(ReplaceSubStr("aaaa", "aa", "a"), "aa");
    EXPECT_EQ(ReplaceSubStr("[Page] of [Pages]", "[Page]", ""), " of [Pages]");
    EXPECT_EQ(ReplaceSubStr("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceSubStr("", "a", "x"), "");
    EXPECT_EQ(RemoveChars("a b\tc", " \t"), "abc");
    EXPECT_EQ(RemoveChars("Größe", "ö"), "Grße");
    EXPECT_EQ(RemoveChars("Größe", ""), "Größe");
    EXPECT_TRUE(ContainsAnyChar("abc", "xyc"));
    EXPECT_FALSE(ContainsAnyChar("abc", ""));
    EXPECT_FALSE(ContainsAnyChar("", "abc"));
    // A multi-byte character matches only itself, never a byte of another.
    EXPECT_FALSE(ContainsAnyChar("\xC3\xB6", "\xC3\xA4"));
    // A truncated sequence is a byte of its own and never swallows the character after it.
    EXPECT_TRUE(ContainsAnyChar("\xC3" "A", "A"));
    EXPECT_EQ(RemoveChars("\xC3" "AB", "A"), "\xC3" "B");
    EXPECT_EQ(RemoveAccelChars("&Print && &Close"), "Print  Close");
    EXPECT_EQ(DropEndEllipsis("Page Setup..."), "Page Setup");
    EXPECT_EQ(DropEndEllipsis("..."), "");
    EXPECT_EQ(DropEndEllipsis("a.b"), "a.b");
    EXPECT_EQ(StringOfChar('x', 3), "xxx");
    EXPECT_EQ(StringOfChar('x', 0), "");
    EXPECT_EQ(StringOfChar('x', -4), "");
}

TEST(TextHelpers, SplitTextDropsEmptyPieces)
{
    TStringList list;
    SplitText(";a;;bc;", ";", list);
    SplitText("d", ";", list);
    SplitText("", ";", list);
    SplitText("e||f", "||", list);
    SplitText("g", "", list);
    ASSERT_EQ(list.Count(), 6);
    EXPECT_EQ(list.Strings(0), "a");
    EXPECT_EQ(list.Strings(1), "bc");
    EXPECT_EQ(list.Strings(2), "d");
    EXPECT_EQ(list.Strings(3), "e");
    EXPECT_EQ(list.Strings(4), "f");
    EXPECT_EQ(list.Strings(5), "g");
}

TEST(TextHelpers, ValidateFileName)
{
    EXPECT_TRUE(ValidateFileName("report.prn"));
    EXPECT_TRUE(ValidateFileName("/tmp/out dir/report.prn"));
    EXPECT_TRUE(ValidateFileName("  report.prn  "));
    EXPECT_FALSE(ValidateFileName(""));
    EXPECT_FALSE(ValidateFileName("   "));
    for (const char* bad : {"a<b", "a>b", "a\"b", "a[b", "a]b", "a|b", "dir/a\\b", "dir/"})
        EXPECT_FALSE(ValidateFileName(bad)) << bad;
    EXPECT_FALSE(ValidateFileName(std::string("a\0b", 3)));
    EXPECT_FALSE(ValidateFileName(std::string("ab\0", 3)));
}

// --- Arithmetic and memory -----------------------------------------------------

TEST(Arithmetic, ScaleRoundsLikeMulDiv)
{
    EXPECT_EQ(ScaleRect(Rect(10, 20, 30, 40), 3, 2, 1, 4), Rect(15, 5, 45, 10));
    EXPECT_EQ(ScaleRect(Rect(1, 1, 3, 3), 1, 2, 1, 2), Rect(1, 1, 2, 2));   // halves away from zero
    EXPECT_EQ(ScalePoint(Point(-3, 5), 1, 2), Point(-2, 3));
    EXPECT_EQ(ScalePoint(Point(7, 7), 1, 0), Point(-1, -1));   // MulDiv's answer for a zero denominator
    EXPECT_EQ(Min(-1, 2), -1);
    EXPECT_EQ(Max(-1, 2), 2);
}

TEST(Memory, CopyToGlobalMemory)
{
    const char data[] = "abc";
    TGlobalMemory block = CopyToGlobalMemory(data, 3);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::string(block->begin(), block->end()), "abc");
    EXPECT_EQ(CopyToGlobalMemory(nullptr, 3), nullptr);
    EXPECT_EQ(CopyToGlobalMemory(data, 0), nullptr);
}

} // namespace
} // namespace qel
