// Evaluation, display and filter text, and the tree operations of the
// filter criteria.
#include "CriteriaTestSupport.h"

#include "platform/core/Locale.h"
#include "platform/data/FilterExpression.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace qel;
using namespace qel::test;

namespace {

bool Holds(std::uint8_t kind, const Variant& value, const Variant& operand)
{
    return dxCriteriaOperator(kind).Compare(value, operand);
}

} // namespace

TEST(TdxCriteriaOperators, OrderAndTexts)
{
    const char* texts[] = {"Is Null", "=", ">", "<", ">=", "<="};
    for (std::uint8_t k = 0; k <= dxMaxOperatorKind; ++k)
        EXPECT_EQ(dxCriteriaOperator(k).GetText(), texts[k]);
    EXPECT_THROW(dxCriteriaOperator(6), EInvalidOperation);

    // kind:                 1 "="  2 ">"  3 "<"  4 ">=" 5 "<="
    struct Row { Variant v, o; bool expected[5]; };
    const Row rows[] = {
        {5, 5, {true, false, false, true, true}},
        {6, 5.5, {false, true, false, true, false}},
        {Currency{10000}, 2, {false, false, true, false, true}},
        {"abc", "abd", {false, false, true, false, true}},
        {Variant::FromDate(3.0), Variant::FromDate(3.0), {true, false, false, true, true}},
        {Variant::Null(), Variant::Null(), {true, false, false, true, true}},
        // The platform order puts Null below every number.
        {Variant::Null(), 5, {false, false, true, false, true}},
        // A string and a number are never related, whichever side holds which.
        {"abc", 5, {false, false, false, false, false}},
        {5, "5", {false, false, false, false, false}},
        {Variant::FromDate(3.0), "03.01.1900", {false, false, false, false, false}},
        {Variant::FromWideString("x"), true, {false, false, false, false, false}},
    };
    for (const Row& r : rows)
        for (std::uint8_t k = 1; k <= 5; ++k)
            EXPECT_EQ(Holds(k, r.v, r.o), r.expected[k - 1]) << "kind " << int(k) << " " << VarToStr(r.v);
}

TEST(TdxCriteriaOperators, IsNullTreatsBothEmptyStringWidthsAsBlank)
{
    EXPECT_TRUE(Holds(0, Variant::Null(), 1));
    EXPECT_TRUE(Holds(0, "", 1));
    EXPECT_TRUE(Holds(0, Variant::FromWideString(""), 1));
    EXPECT_FALSE(Holds(0, Variant(), Variant::Null()));
    EXPECT_FALSE(Holds(0, 0, Variant::Null()));
    EXPECT_FALSE(Holds(0, " ", Variant::Null()));
    EXPECT_FALSE(Holds(0, Variant::FromWideString("a"), Variant::Null()));
}

TEST(TdxCriteriaEvaluate, ListsNegationAndShortCircuit)
{
    TTestCriteria c;
    TestRecord r{{"A", 1}, {"B", 2}};
    EXPECT_TRUE(c.Evaluate(&r));
    c.Root()->SetNegate(true);
    EXPECT_FALSE(c.Evaluate(&r));
    c.Clear();
    EXPECT_FALSE(c.Root()->Negate());

    // Under OR a false sub-list first, then a false leaf: false.
    c.Root()->SetBoolOperator(dxBoolOr);
    TdxCriteriaItemList* sub = c.AddList(nullptr, dxBoolAnd);
    c.AddItem(sub, "A", 1, "", 1);
    c.AddItem(sub, "B", 1, "", 3);
    TdxCriteriaItem* leaf = c.AddItem(nullptr, "A", 2, "", 5);
    EXPECT_FALSE(c.Evaluate(&r));
    leaf->SetNegate(true);
    EXPECT_TRUE(c.Evaluate(&r));
    leaf->SetNegate(false);
    sub->SetNegate(true);
    EXPECT_TRUE(c.Evaluate(&r));

    // A missing column reads as Null in the test records.
    c.Clear();
    c.AddItem(nullptr, "Missing", 0, "", Variant::Null());
    EXPECT_TRUE(c.Evaluate(&r));
}

TEST(TdxCriteriaEvaluate, OperandsArePreparedOncePerRun)
{
    TTestCriteria c;
    c.AddItem(nullptr, "Name", 1, "", "anna");
    c.AddItem(nullptr, "City", 1, "", "bonn");
    TestRecord r{{"Name", "ANNA"}, {"City", "BONN"}};
    c.UpperCase = true;
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(c.Evaluate(&r));
    EXPECT_EQ(c.PrepareCount, 2 + 200);

    // A changed operand is prepared anew; so is every one after Changed().
    c.PrepareCount = 0;
    c.FindItemByColumnName("City")->SetValue("köln");
    EXPECT_FALSE(c.Evaluate(&r));
    EXPECT_EQ(c.PrepareCount, 1 + 2);
    c.UpperCase = false;
    c.Changed();
    c.PrepareCount = 0;
    TestRecord lower{{"Name", "anna"}, {"City", "köln"}};
    EXPECT_TRUE(c.Evaluate(&lower));
    EXPECT_EQ(c.PrepareCount, 4);
}

TEST(TdxCriteriaText, LeavesListsAndNegation)
{
    TTestCriteria c;
    EXPECT_EQ(c.GetDisplayText(), "");
    EXPECT_EQ(c.GetFilterText(), "");

    c.AddItem(nullptr, "Name", 1, "Anna", "Anna");
    c.AddItem(nullptr, "Age", 2, "30", 30)->SetNegate(true);
    EXPECT_EQ(c.GetDisplayText(), "(Name = Anna) AND (NOT (Age > 30))");
    EXPECT_EQ(c.GetFilterText(), "(fName = 'Anna') AND (NOT (fAge > 30))");

    c.Clear();
    c.AddItem(nullptr, "Ort", 0, "ignored", "ignored");
    TdxCriteriaItemList* sub = c.AddList(nullptr, dxBoolOr);
    c.AddItem(sub, "A", 3, "1,5", 1.5);
    c.AddItem(sub, "B", 5, "", Variant::FromWideString("w"));
    EXPECT_EQ(c.GetDisplayText(), "(Ort Is Null) AND ((A < 1,5) OR (B <= ))");
    EXPECT_EQ(c.GetFilterText(), "(fOrt Is Null) AND ((fA < 1,5) OR (fB <= 'w'))");
    sub->SetNegate(true);
    c.Root()->SetNegate(true);
    EXPECT_EQ(c.GetFilterText(), "NOT ((fOrt Is Null) AND (NOT ((fA < 1,5) OR (fB <= 'w'))))");
}

TEST(TdxCriteriaText, QuotesAreDoubledAndDatesKeepTheirTime)
{
    LocaleScope german;
    TTestCriteria c;
    c.AddItem(nullptr, "Name", 1, "O'Neil", "O'Neil");
    EXPECT_EQ(c.GetDisplayText(), "(Name = O'Neil)");
    EXPECT_EQ(c.GetFilterText(), "(fName = 'O''Neil')");

    c.Clear();
    c.AddItem(nullptr, "Inj", 1, "", "x') OR ('1' = '1");
    EXPECT_EQ(c.GetFilterText(), "(fInj = 'x'') OR (''1'' = ''1')");

    c.Clear();
    c.AddItem(nullptr, "Day", 4, "7.3.21", Variant::FromDate(EncodeDate(2021, 3, 7) + 0.75));
    c.AddItem(nullptr, "Until", 5, "", Variant::FromDate(EncodeDate(2021, 3, 8)));
    EXPECT_EQ(c.GetFilterText(), "(fDay >= '07.03.2021 18:00:00') AND (fUntil <= '08.03.2021')");
    EXPECT_EQ(c.GetDisplayText(), "(Day >= 7.3.21) AND (Until <= )");

    TFormatSettings iso = DefaultFormatSettings();
    iso.ShortDateFormat = "yyyy-mm-dd";
    LocaleScope isoScope(iso);
    EXPECT_EQ(c.GetFilterText(), "(fDay >= '2021-03-07 18:00:00') AND (fUntil <= '2021-03-08')");
}

// The filter text goes to the dataset in place of Evaluate, so both must
// select the same records.
TEST(TdxCriteriaText, FilterTextSelectsWhatEvaluateSelects)
{
    LocaleScope german;
    TTestCriteria c;
    TdxCriteriaItemList* any = c.AddList(nullptr, dxBoolOr);
    c.AddItem(any, "Name", 1, "", "O'Neil");
    c.AddItem(any, "Amount", 2, "", 1.5);
    c.AddItem(nullptr, "Day", 4, "", Variant::FromDate(EncodeDate(2021, 3, 7) + 0.75));
    c.AddItem(nullptr, "Paid", 1, "", true)->SetNegate(true);
    c.AddItem(nullptr, "Fee", 3, "", Currency::FromDouble(2.25));

    const std::vector<std::pair<std::string, TFieldType>> fields{
        {"fName", ftString}, {"fAmount", ftFloat}, {"fDay", ftDateTime}, {"fPaid", ftBoolean}, {"fFee", ftCurrency}};
    const TFilterExpression expression(c.GetFilterText(), [&](const std::string& name) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (fields[i].first == name)
                return TFilterExpression::FieldRef{static_cast<int>(i), fields[i].second};
        return TFilterExpression::FieldRef{};
    });

    const TDateTime day = EncodeDate(2021, 3, 7);
    int passed = 0;
    for (const char* name : {"O'Neil", "Other"})
        for (double amount : {1.4, 1.6})
            for (TDateTime when : {day + 0.5, day + 0.75, day + 1})
                for (bool paid : {false, true})
                    for (double fee : {2.0, 2.5}) {
                        TestRecord r{{"Name", name}, {"Amount", amount}, {"Day", Variant::FromDate(when)},
                                     {"Paid", paid}, {"Fee", Currency::FromDouble(fee)}};
                        const std::vector<Variant> row{r["Name"], r["Amount"], r["Day"], r["Paid"], r["Fee"]};
                        const bool expected = c.Evaluate(&r);
                        passed += expected ? 1 : 0;
                        EXPECT_EQ(expression.Evaluate([&](int i) { return row[static_cast<std::size_t>(i)]; }, {}),
                                  expected)
                            << name << " " << amount << " " << DateTimeToStr(when) << " " << paid << " " << fee;
                    }
    EXPECT_GT(passed, 0);
}

TEST(TdxCriteriaTree, AccessFindAndValidation)
{
    TTestCriteria c;
    TdxCriteriaItemList* sub = c.AddList(nullptr, dxBoolOr);
    TdxCriteriaItem* inSub = c.AddItem(sub, "B", 1, "", 1);
    c.AddItem(nullptr, "B", 1, "", 2);
    EXPECT_EQ(c.FindItemByColumnName("B"), inSub);
    EXPECT_EQ(c.FindItemByColumnName("b"), nullptr);
    EXPECT_EQ(inSub->Criteria(), &c);
    EXPECT_EQ(c.Root()->Items(-1), nullptr);
    EXPECT_EQ(c.Root()->Items(2), nullptr);

    EXPECT_THROW(c.AddItem(nullptr, "C", 6, "", 1), EInvalidOperation);
    EXPECT_THROW(c.AddList(nullptr, 2), EInvalidOperation);
    TTestCriteria other;
    EXPECT_THROW(other.AddItem(sub, "C", 1, "", 1), EInvalidOperation);
    EXPECT_EQ(c.Root()->Count(), 2);
    EXPECT_EQ(other.Root()->Count(), 0);
}

TEST(TdxCriteriaTree, RemoveColumnItemsTidiesLists)
{
    TTestCriteria c;
    // Root: X AND (A OR B) AND (A) AND NOT (A OR C)
    c.AddItem(nullptr, "X", 1, "", 0);
    TdxCriteriaItemList* two = c.AddList(nullptr, dxBoolOr);
    c.AddItem(two, "A", 1, "", 1);
    c.AddItem(two, "B", 1, "", 2);
    c.AddItem(c.AddList(nullptr, dxBoolAnd), "A", 1, "", 3);
    TdxCriteriaItemList* negated = c.AddList(nullptr, dxBoolOr);
    negated->SetNegate(true);
    c.AddItem(negated, "A", 1, "", 4);
    c.AddItem(negated, "C", 1, "", 5);

    c.RemoveColumnItems("A");
    EXPECT_EQ(c.FindItemByColumnName("A"), nullptr);
    // The lone B moves to the end, the emptied list goes, and C keeps the
    // negation of the list it leaves.
    EXPECT_EQ(c.GetFilterText(), "(fX = 0) AND (fB = 2) AND (NOT (fC = 5))");
    EXPECT_EQ(c.FindItemByColumnName("B")->Parent(), c.Root());

    // Emptiness is tidied up through every level.
    c.Clear();
    c.AddItem(nullptr, "X", 1, "", 0);
    TdxCriteriaItemList* outer = c.AddList(nullptr, dxBoolOr);
    c.AddItem(c.AddList(outer, dxBoolAnd), "A", 1, "", 1);
    c.RemoveColumnItems("A");
    EXPECT_EQ(c.Root()->Count(), 1);
    EXPECT_EQ(c.GetFilterText(), "(fX = 0)");

    // The root stays, even when emptied.
    c.RemoveColumnItems("X");
    EXPECT_EQ(c.Root()->Count(), 0);
    EXPECT_TRUE(c.Root()->IsList());
}
