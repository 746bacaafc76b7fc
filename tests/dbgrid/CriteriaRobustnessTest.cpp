// Criteria streams from damaged layout files: every mutated stream either
// loads a criteria that then evaluates, renders and saves, or raises
// EReadError and keeps the old criteria.
#include "CriteriaTestSupport.h"

#include "fuzz/Mutator.h"
#include "platform/core/Stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

using namespace qel;
using namespace qel::test;

namespace {

// The dataset's parser takes the criteria's filter text.
void ExpectParserAccepts(const TdxCriteria& criteria)
{
    std::string error;
    if (!FilterTextParses(criteria, error))
        ADD_FAILURE() << "the filter text " << criteria.GetFilterText() << " is refused: " << error;
}

// Loads the input over a criteria holding one leaf; what loads must also
// evaluate, render a filter text the dataset's parser accepts, and save
// again; what saves must load.
void Exercise(const std::string& input)
{
    TTestCriteria c;
    c.AddItem(nullptr, "Old", 1, "o", "o");
    const std::string before = SaveCriteria(c);
    TStringStream stream(input);
    try {
        c.LoadFromStream(stream);
    } catch (const EReadError&) {
        EXPECT_EQ(SaveCriteria(c), before) << "a failed load changed the criteria";
        return;
    }
    TestRecord record{{"A", "x"}, {"B", 100}, {"D", 1.5}, {"K", Variant::FromDate(45000.75)}};
    (void)c.Evaluate(&record);
    (void)c.GetDisplayText();
    (void)c.GetFilterText();
    TTestCriteria copy;
    std::string saved;
    try {
        saved = SaveCriteria(c);
    } catch (const EWriteError&) {
        // Only an operand the stream cannot hold is refused on saving.
        return;
    }
    TStringStream again(saved);
    EXPECT_NO_THROW(copy.LoadFromStream(again)) << "a saved criteria does not load";
    EXPECT_EQ(SaveCriteria(copy), saved);

    TTypedCriteria typed;
    TStringStream typedStream(input);
    typed.LoadFromStream(typedStream);
    ExpectParserAccepts(typed);
}

} // namespace

TEST(CriteriaRobustness, MutatedStreamsLoadOrKeepTheOldCriteria)
{
    Mutator mutator(CriteriaSamples(), FuzzSeed(7001u),
                    {std::string("\x01\x00\x00\x01\x00\x00\x00", 7), std::string("\x05", 1),
                     std::string("\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x7F", 10), std::string("\x12\xFF\xFF\x00\x00", 5),
                     std::string("\x0C\xFF\xFF\xFF\x7F", 5)});
    for (int i = 0; i < FuzzIterations(3000); ++i) {
        SCOPED_TRACE("iteration " + std::to_string(i));
        Exercise(mutator.Next());
        if (::testing::Test::HasFailure())
            break;
    }
}

// The ten-byte extended float in every odd shape: infinities, NaNs,
// denormals, unnormals and exponents far beyond any integer.
TEST(CriteriaRobustness, AnyExtendedOperandLoadsOrFails)
{
    std::mt19937 rng(FuzzSeed(99u));
    const std::string head = Bytes().I32(1).Leaf(false, "", "A", 1)({5}).str();
    for (int i = 0; i < FuzzIterations(4000); ++i) {
        std::string ext(10, '\0');
        for (char& ch : ext)
            ch = static_cast<char>(rng() & 0xFF);
        switch (i % 4) {
        case 0: ext[9] = static_cast<char>((ext[9] & 0x80) | 0x40); ext[8] = static_cast<char>(0x3F + (rng() % 0x60)); break;
        case 1: ext[9] = static_cast<char>(ext[9] | 0x7F); ext[8] = static_cast<char>(0xFF); break;
        case 2: ext[9] = static_cast<char>(ext[9] & 0x80); ext[8] = 0; break;
        default: break;
        }
        SCOPED_TRACE("iteration " + std::to_string(i));
        Exercise(head + ext);
        if (::testing::Test::HasFailure())
            break;
    }
}

TEST(CriteriaRobustness, KeptInputsLoadOrKeepTheOldCriteria)
{
    for (const auto& [name, input] : RegressionInputs("criteria")) {
        SCOPED_TRACE(name);
        Exercise(input);
    }
}

// Operands at the edges of their types render a filter text the dataset's
// parser takes; the forms it has no literal for are refused when set, saved
// or loaded.
TEST(CriteriaRobustness, FilterTextsOfEdgeOperandsParse)
{
    const std::vector<Variant> operands = {
        Variant(-1e308), Variant(4.9e-324), Variant(-0.0), Variant::FromSingle(3.4e38f),
        Variant(std::numeric_limits<std::int64_t>::min()), Variant(Currency::FromInt64(std::numeric_limits<std::int64_t>::min())),
        Variant::FromDate(-693593.99), Variant::FromDate(2958465.99),
        Variant(true), Variant(std::string("O'Neil ] [x] \"q\" *")), Variant::FromWideString("日本"), Variant(std::string()),
        Variant::Null(), Variant()};
    for (std::uint8_t kind = 0; kind <= dxMaxOperatorKind; ++kind) {
        for (const Variant& operand : operands) {
            SCOPED_TRACE("kind " + std::to_string(kind) + ", operand " +
                         (operand.IsEmptyOrNull() ? std::string("blank") : operand.AsString()));
            TTypedCriteria c;
            c.AddItem(nullptr, "A", kind, "", operand);
            std::string saved;
            try {
                saved = SaveCriteria(c);
            } catch (const EWriteError&) {
                EXPECT_TRUE(operand.IsEmptyOrNull() && kind > 1) << "refused on saving";
                continue;
            }
            ExpectParserAccepts(c);
            TTypedCriteria again;
            TStringStream stream(saved);
            EXPECT_NO_THROW(again.LoadFromStream(stream));
        }
    }
    TTypedCriteria c;
    for (const Variant& bad : {Variant(std::numeric_limits<double>::infinity()), Variant(-std::numeric_limits<double>::infinity()),
                               Variant(std::numeric_limits<double>::quiet_NaN()),
                               Variant::FromSingle(std::numeric_limits<float>::infinity()), Variant::FromDate(1e9),
                               Variant::FromDate(-693594), Variant::FromDate(2958466), Variant::FromDate(-1e9),
                               Variant::FromDate(std::numeric_limits<double>::quiet_NaN())})
        EXPECT_THROW(c.AddItem(nullptr, "A", 1, "", bad), EInvalidOperation) << bad.AsDouble();
    EXPECT_EQ(c.Root()->Count(), 0);
}

// Streams the reader once took although no filter text could hold them.
TEST(CriteriaRobustness, StreamsWithoutAFilterTextAreRefused)
{
    int refused = 0;
    for (const auto& [name, input] : RegressionInputs("criteria")) {
        if (name != "criteria-double-minus-infinity.bin" && name != "criteria-empty-operand-greater.bin" &&
            name != "criteria-date-before-year-one.bin" && name != "criteria-nesting-beyond-filter-parser.bin")
            continue;
        TTestCriteria c;
        TStringStream stream(input);
        EXPECT_THROW(c.LoadFromStream(stream), EReadError) << name;
        ++refused;
    }
    EXPECT_EQ(refused, 4);
}

namespace {

// The dataset's parser reading a filter text over records of one integer field A.
bool ParserPasses(const std::string& FilterText, int A)
{
    const TFilterExpression expression(FilterText, [](const std::string& Name) {
        return TFilterExpression::FieldRef{Name == "fA" ? 0 : -1, ftInteger};
    });
    return expression.Evaluate([&](int) { return Variant(A); }, {});
}

// A random tree of lists, empty ones among them, and leaves testing A.
void AddRandomItems(TTestCriteria& C, TdxCriteriaItemList* List, std::mt19937& Rng, int Depth)
{
    const int count = static_cast<int>(Rng() % 4);
    for (int i = 0; i < count; ++i) {
        TdxCustomCriteriaItem* item;
        if (Depth < 4 && Rng() % 2 == 0) {
            TdxCriteriaItemList* sub = C.AddList(List, static_cast<std::uint8_t>(Rng() % 2));
            AddRandomItems(C, sub, Rng, Depth + 1);
            item = sub;
        } else {
            const int operand = static_cast<int>(Rng() % 3);
            item = C.AddItem(List, "A", static_cast<std::uint8_t>(1 + Rng() % 5), std::to_string(operand), operand);
        }
        item->SetNegate(Rng() % 3 == 0);
    }
}

} // namespace

// Empty sub-lists, as the stream's own writer may store them, load and
// evaluate to true (negated: false); the filter text leaves out what they
// settle, so the dataset filters every record as Evaluate does.
TEST(CriteriaRobustness, EmptySubListsLoadAndTheFilterTextMeansWhatEvaluateDoes)
{
    const auto kept = RegressionInputs("criteria");
    const auto input = std::find_if(kept.begin(), kept.end(), [](const auto& Kept) {
        return Kept.first == "criteria-empty-sub-list.bin";
    });
    ASSERT_NE(input, kept.end());
    TTestCriteria loaded;
    TStringStream stream(input->second);
    loaded.LoadFromStream(stream);
    ASSERT_EQ(loaded.Root()->Count(), 2);   // A = 1 AND (an empty OR list)
    EXPECT_EQ(loaded.GetFilterText(), "(fA = 1)");
    EXPECT_EQ(SaveCriteria(loaded), input->second);
    loaded.Root()->Items(1)->SetNegate(true);   // NOT of an empty list: never true
    EXPECT_EQ(loaded.GetFilterText(), "(TRUE = FALSE)");

    std::mt19937 rng(FuzzSeed(4242u));
    for (int i = 0; i < FuzzIterations(400); ++i) {
        TTestCriteria c;
        AddRandomItems(c, c.Root(), rng, 1);
        c.Root()->SetBoolOperator(static_cast<std::uint8_t>(rng() % 2));
        c.Root()->SetNegate(rng() % 4 == 0);
        const std::string text = c.GetFilterText();
        SCOPED_TRACE("tree " + std::to_string(i) + ": " + c.GetDisplayText() + " -> " + text);
        TTestCriteria again;
        TStringStream saved(SaveCriteria(c));
        again.LoadFromStream(saved);
        for (int a = 0; a <= 2; ++a) {
            TestRecord record{{"A", a}};
            ASSERT_EQ(ParserPasses(text, a), c.Evaluate(&record)) << "A = " << a;
            ASSERT_EQ(ParserPasses(again.GetFilterText(), a), c.Evaluate(&record)) << "loaded again, A = " << a;
        }
    }
}
