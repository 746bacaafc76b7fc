// Filter texts from stored layouts and typed by people: every mutated text
// either parses and evaluates, or raises EDatabaseError / EConvertError and
// the dataset keeps its old filter.
#include "DataTestSupport.h"

#include "fuzz/Mutator.h"
#include "platform/data/FilterExpression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace qel::test {
namespace {

// One field per type the parser converts literals to.
const std::vector<std::pair<std::string, TFieldType>> kFields{
    {"S", ftString},   {"I", ftInteger},  {"SI", ftSmallint}, {"W", ftWord},      {"B", ftBoolean},
    {"F", ftFloat},    {"C", ftCurrency}, {"BCD", ftBCD},     {"D", ftDate},      {"T", ftTime},
    {"DT", ftDateTime}, {"L", ftLargeint}, {"WS", ftWideString}, {"M", ftMemo},   {"V", ftVariant},
    {"A B", ftString}};

TFilterExpression::FieldRef Resolve(const std::string& name)
{
    for (std::size_t i = 0; i < kFields.size(); ++i)
        if (SameText(kFields[i].first, name))
            return {static_cast<int>(i), kFields[i].second};
    return {};
}

// Awkward values of every kind, chosen by the record number.
Variant ValueFor(int index, int record)
{
    switch ((index + record) % 12) {
    case 0: return Variant::Null();
    case 1: return Variant();
    case 2: return Variant("");
    case 3: return Variant(std::numeric_limits<double>::quiet_NaN());
    case 4: return Variant(std::numeric_limits<double>::infinity());
    case 5: return Variant(std::numeric_limits<std::int64_t>::min());
    case 6: return Variant::FromDate(-693594.5);
    case 7: return Variant::FromDate(1e300);
    case 8: return Variant(true);
    case 9: return Variant("M*ller 'x'");
    case 10: return Variant(Currency{std::numeric_limits<std::int64_t>::max()});
    default: return Variant(-1);
    }
}

void Exercise(const std::string& text)
{
    try {
        TFilterExpression e(text, Resolve);
        for (int record = 0; record < 12; ++record)
            for (TFilterOptions options : {TFilterOptions{}, TFilterOptions{foCaseInsensitive, foNoPartialCompare}})
                (void)e.Evaluate([record](int index) { return ValueFor(index, record); }, options);
    } catch (const EDatabaseError&) {
    } catch (const EConvertError&) {
    }
}

const std::vector<std::string> kSamples{
    "(S = 'Meier')",
    "((I > 1) AND (NOT (S = 'O''Brien*')))",
    "(F >= 1,5) OR (C < 20.25) OR (BCD = -3)",
    "(D >= '01.01.1980') AND (DT < '31.12.1999 23:59:59') AND (T = '12:30')",
    "([A B] Is Null) OR (NOT ([S] IS NOT NULL))",
    "(B = True) OR (B = 'False') OR (L <> 9223372036854775807)",
    "NOT NOT (SI = 3) AND (W = 65535) AND (WS = 'ü€') AND (M = 'x') AND (V = 1)",
};

const std::vector<std::string> kTokens{"(", ")", "[", "]", "'", "''", " AND ", " OR ", "NOT ", " IS ", " NULL",
                                       " = ", "<>", ">=", "<=", "1e308", "-", "9999999999999999999999",
                                       "'99.99.9999'", "'1.1.-32768'", ",", ".", "*", "'*'", "\t", "\xC3",
                                       "0x", "$FF", "TRUE", "FALSE", "S", "DT", "[A B]"};

} // namespace

TEST(FilterRobustness, MutatedTextsParseOrRaise)
{
    LocaleScope locale;
    Mutator mutator(kSamples, FuzzSeed(4242u), kTokens);
    for (int i = 0; i < FuzzIterations(4000); ++i) {
        const std::string text = mutator.Next();
        SCOPED_TRACE("iteration " + std::to_string(i) + ": " + text.substr(0, 200));
        Exercise(text);
        if (::testing::Test::HasFailure())
            break;
    }
}

// Through the dataset: a refused text keeps the old filter and its records.
TEST(FilterRobustness, DataSetKeepsItsFilterWhenTextIsRefused)
{
    Table t;
    t.Fill(6);
    t.ds->SetFilter("(ID > 2)");
    t.ds->SetFiltered(true);
    Mutator mutator({"(ID > 2)", "(NAME = 'Name1*') OR (AMOUNT >= 3,0)", "NOT (CITY Is Null) AND (ID <> 4)"},
                    FuzzSeed(77u), kTokens);
    for (int i = 0; i < FuzzIterations(600); ++i) {
        const std::string text = mutator.Next();
        SCOPED_TRACE("iteration " + std::to_string(i) + ": " + text.substr(0, 200));
        const std::string before = t.ds->Filter();
        const int count = t.ds->RecordCount();
        try {
            t.ds->SetFilter(text);
        } catch (const EDatabaseError&) {
            EXPECT_EQ(t.ds->Filter(), before);
            EXPECT_EQ(t.ds->RecordCount(), count);
        } catch (const EConvertError&) {
            EXPECT_EQ(t.ds->Filter(), before);
            EXPECT_EQ(t.ds->RecordCount(), count);
        }
        if (::testing::Test::HasFailure())
            break;
    }
}

TEST(FilterRobustness, KeptTextsParseOrRaise)
{
    LocaleScope locale;
    for (const auto& [name, input] : RegressionInputs("filter")) {
        SCOPED_TRACE(name);
        Exercise(input);
    }
}

} // namespace qel::test
