// String lists from damaged text: comma and delimited text, line text and
// streams never crash, and a stream that a list refuses leaves it as it was.
#include "platform/core/Stream.h"
#include "platform/core/Strings.h"

#include "TestSupport.h"
#include "fuzz/Mutator.h"
#include "fuzz/StringsChecks.h"

#include <gtest/gtest.h>

using namespace qel;
using qel::test::Lines;

namespace {

// Parses the input every way a list takes text, with plain, odd-delimited
// and sorted lists; what parses must write back and parse to the same lines.
void Exercise(const std::string& input)
{
    EXPECT_EQ(fuzz::CheckStringsText(input), "");

    for (auto [delim, quote] : {std::pair{';', '\''}, std::pair{' ', '"'}, std::pair{'\t', '\t'}, std::pair{'"', '"'}}) {
        TStringList d;
        d.SetDelimiter(delim);
        d.SetQuoteChar(quote);
        d.SetDelimitedText(input);
        (void)d.DelimitedText();
    }

    TStringList plain;
    plain.SetText(input);
    EXPECT_EQ(Lines(plain).size(), static_cast<std::size_t>(plain.Count()));
    (void)plain.Text();
    (void)plain.Values("a");
    (void)plain.IndexOfName(input);
}

} // namespace

TEST(StringsRobustness, MutatedTextsParseAndRoundTrip)
{
    test::Mutator mutator({"a,b,\"c d\",\"e\"\"f\",,  g ", "one\r\ntwo\nthree\rfour\r\n", "Name=Wert\r\nA=\"x;y\"",
                           "\xEF\xBB\xBF" "Größe;'it''s';\t\"q\"", "a\nb\na"},
                          test::FuzzSeed(555u), {",", "\"", "\"\"", "'", ";", " ", "\r\n", "\r", "=", "\t", "\0"});
    for (int i = 0; i < test::FuzzIterations(1500); ++i) {
        const std::string input = mutator.Next();
        SCOPED_TRACE("iteration " + std::to_string(i));
        Exercise(input);
        if (::testing::Test::HasFailure())
            break;
    }
}

// Loading a text whose lines a sorted, duplicate-refusing list cannot take.
TEST(StringsRobustness, RefusedLoadKeepsTheOldLines)
{
    TStringList sorted;
    sorted.SetSorted(true);
    sorted.SetDuplicates(dupError);
    sorted.Add("b");
    sorted.Add("a");
    int changes = 0;
    sorted.OnChange = [&](TObject*) { ++changes; };
    TStringStream stream("x\ny\nx\n");
    EXPECT_THROW(sorted.LoadFromStream(stream), EStringListError);
    EXPECT_EQ(Lines(sorted), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(sorted.UpdateCount(), 0);
}

TEST(StringsRobustness, KeptInputsParse)
{
    for (const auto& [name, input] : test::RegressionInputs("strings")) {
        SCOPED_TRACE(name);
        Exercise(input);
    }
}
