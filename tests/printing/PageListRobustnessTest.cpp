// Page lists typed into the print dialog and page numbers read back from
// headers: any text decodes, or raises EConvertError, within the page limit.
#include "printing/PrintUtils.h"

#include "fuzz/Mutator.h"
#include "fuzz/PageListChecks.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>

using namespace qel;

namespace {

void Exercise(const std::string& input)
{
    EXPECT_EQ(fuzz::CheckPageText(input), "") << input;
}

} // namespace

TEST(PageListRobustness, MutatedListsAndNumeralsDecodeOrRaise)
{
    test::Mutator mutator({"1,3,5-12", " 2 - 4 ,\t9", "1-100000", "2147483646-2147483647", "MMCDXLIV", "mcmxcix",
                           "aaa", "ZZZZ", "-5,5-,1-2-3"},
                          test::FuzzSeed(1999u),
                          {",", "-", "0", "9", "2147483647", "-2147483648", "99999", "$FF", "0x", " ", "M", "CM",
                           "iv", "\xC3\xA4", "1-99999"});
    for (int i = 0; i < test::FuzzIterations(4000); ++i) {
        const std::string input = mutator.Next();
        SCOPED_TRACE("iteration " + std::to_string(i) + ": " + input.substr(0, 200));
        Exercise(input);
        if (::testing::Test::HasFailure())
            break;
    }
}

// Every page number writes as a bounded text, whatever a runaway counter says.
TEST(PageListRobustness, AnyPageNumberWritesBoundedText)
{
    std::mt19937 rng(test::FuzzSeed(26u));
    for (int i = 0; i < test::FuzzIterations(4000); ++i) {
        const int value = i < 4 ? std::array{INT_MIN, INT_MAX, 0, MaxNumberingValue}[static_cast<std::size_t>(i)]
                                : static_cast<int>(rng());
        EXPECT_LE(IntToRoman(value, true).size(), 120u) << value;
        EXPECT_LE(IntToLetters(value, false).size(), static_cast<std::size_t>(MaxNumberingValue / 26 + 1)) << value;
    }
}

// Bytes that are not a whole character still count as one.
TEST(PageListRobustness, StrayContinuationBytesAreNoNegativePage)
{
    EXPECT_EQ(LettersToInt("\x80", false), 0);
    EXPECT_EQ(LettersToInt("\x80\xBF", true), 0);
    EXPECT_EQ(LettersToInt("a\x80", false), 1);
}

TEST(PageListRobustness, HexPagesBelowOneAreRefused)
{
    EXPECT_THROW(DecodePageRanges("$FFFFFFFF"), EConvertError);
    EXPECT_THROW(DecodePageRanges("1,$80000000"), EConvertError);
    EXPECT_THROW(DecodePageRanges("$FFFFFFFE-2"), EConvertError);
    EXPECT_EQ(DecodePageRanges("$A,0x2").Elements().size(), 2u);
}

TEST(PageListRobustness, KeptInputsDecodeOrRaise)
{
    for (const auto& [name, input] : test::RegressionInputs("pagelist")) {
        SCOPED_TRACE(name);
        Exercise(input);
    }
}
