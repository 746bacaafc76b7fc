// The grid's criteria bound to its columns, and the custom filter dialog's
// conditions as a user fills the two rows.
#include "dbgrid/GridCriteria.h"

#include "GridTestSupport.h"
#include "platform/core/Locale.h"
#include "platform/data/FilterExpression.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct CriteriaFixture : GridFixture {
    TdxDBGridCriteria criteria{grid};
    TdxDBTreeListColumn* number = grid->Columns(0);
    TdxDBTreeListColumn* title = grid->Columns(1);
    TdxDBTreeListColumn* active = grid->Columns(3);
    CriteriaFixture()
    {
        number->SetName("colNumber");
        title->SetName("colTitle");
        grid->Columns(2)->SetName("colArea");
        active->SetName("colActive");
    }
    // The record keys the criteria pass, over the grid's rows.
    std::vector<int> Passing()
    {
        std::vector<int> keys;
        for (int i = 0; i < grid->GetAbsoluteCount(); ++i) {
            TdxTreeListNode* n = grid->GetAbsoluteNode(i);
            if (criteria.Evaluate(n))
                keys.push_back(Node(n)->Key().AsInteger());
        }
        return keys;
    }
};

TdxFilterCondition Row(int Index, const Variant& Value = Variant::Null(), const std::string& Text = "")
{
    return TdxFilterCondition{Index, Value, Text};
}

} // namespace

TEST(TdxDBGridCriteria, LeavesBindToColumnsAndReadNodeValues)
{
    CriteriaFixture f;
    f.criteria.AddCondition(nullptr, f.number, false, "3", Variant(3), 2);
    auto* leaf = static_cast<TdxDBGridCriteriaItem*>(f.criteria.FindItemByColumnName("colNumber"));
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(leaf->Column(), f.number);
    EXPECT_EQ(f.Passing(), (std::vector<int>{4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(f.criteria.GetFilterText(), "(NUMBER > 3)");
    // A leaf naming a column that is not there tests Null and names no field.
    f.criteria.AddItem(nullptr, "colGone", 1, "x", Variant("x"));
    f.criteria.Changed();
    auto* gone = static_cast<TdxDBGridCriteriaItem*>(f.criteria.FindItemByColumnName("colGone"));
    EXPECT_EQ(gone->Column(), nullptr);
    EXPECT_TRUE(gone->GetDataValue(f.grid->GetAbsoluteNode(0)).IsNull());
}

TEST(TdxDBGridCriteria, CaseInsensitiveStringsAndCurrency)
{
    CriteriaFixture f;
    f.criteria.AddCondition(nullptr, f.title, false, "door 2", Variant("DOOR 2"), 1);
    EXPECT_TRUE(f.Passing().empty());   // the node values keep their case
    TdxDBGridCriteria ci(f.grid);
    ci.SetCaseInsensitive(true);
    EXPECT_EQ(ci.PrepareValue(Variant("Tür a")).AsString(), "TÜR A");
    EXPECT_EQ(ci.PrepareValue(Variant(Currency::FromDouble(1.5))).VarType(), varDouble);
}

TEST(TdxDBGridCriteria, FilterNamesAreBracketedAndEscaped)
{
    TComponent owner(nullptr);
    auto* ds = new TMemoryDataSet(&owner);
    ds->AddField("TITLE", ftString, 10);
    ds->AddField("Door [a]", ftString, 10);
    ds->Open();
    auto* source = new TDataSource(&owner);
    source->SetDataSet(ds);
    auto* grid = new TdxDBGrid(&owner);
    auto* plain = grid->CreateColumnOf<TdxDBGridColumn>();
    plain->SetFieldName("TITLE");
    plain->SetName("colTitle");
    auto* odd = grid->CreateColumnOf<TdxDBGridColumn>();
    odd->SetFieldName("Door [a]");
    odd->SetName("colDoor");
    grid->SetDataSource(source);

    TdxDBGridCriteria criteria(grid);
    criteria.AddCondition(nullptr, plain, false, "O'Neil", Variant("O'Neil"), 1);
    EXPECT_EQ(criteria.GetFilterText(), "(TITLE = 'O''Neil')");
    criteria.Clear();
    criteria.AddCondition(nullptr, odd, false, "x", Variant("x"), 1);
    EXPECT_EQ(criteria.GetFilterText(), "([Door [a]]] = 'x')");
    // The dataset's parser reads that name back whole.
    std::string seen;
    TFilterExpression(criteria.GetFilterText(), [&](const std::string& Name) {
        seen = Name;
        return TFilterExpression::FieldRef{0, ftString};
    });
    EXPECT_EQ(seen, "Door [a]");
    ds->FieldByName("Door [a]")->SetOrigin("DOORS.TITLE");
    EXPECT_EQ(criteria.GetFilterText(), "(DOORS.TITLE = 'x')");
}

TEST(CustomFilterConditions, OneRowIsAPlainLeafTwoAreAList)
{
    CriteriaFixture f;
    ApplyCustomFilterConditions(f.criteria, f.number, Row(2, Variant(7), "7"), Row(-1), false);
    ASSERT_EQ(f.criteria.Root()->Count(), 1);
    EXPECT_FALSE(f.criteria.Root()->Items(0)->IsList());
    EXPECT_TRUE(f.criteria.IsCustomCondition("colNumber"));
    EXPECT_EQ(f.Passing(), (std::vector<int>{8, 9, 10}));

    ApplyCustomFilterConditions(f.criteria, f.number, Row(4, Variant(3), "3"), Row(3, Variant(9), "9"), true);
    ASSERT_EQ(f.criteria.Root()->Count(), 1);
    ASSERT_TRUE(f.criteria.Root()->Items(0)->IsList());
    EXPECT_EQ(f.Passing(), (std::vector<int>{1, 2, 9, 10}));

    // Reopening shows both rows and the OR button.
    TdxFilterCondition a, b;
    bool orJoin = false;
    ReadCustomFilterConditions(f.criteria, "colNumber", a, b, orJoin);
    EXPECT_EQ(a.Index, 4);
    EXPECT_EQ(a.Value, Variant(3));
    EXPECT_EQ(b.Index, 3);
    EXPECT_EQ(b.Value, Variant(9));
    EXPECT_TRUE(orJoin);
}

TEST(CustomFilterConditions, EmptyValues)
{
    CriteriaFixture f;
    // "equals" with no value is the blanks test, "does not equal" the non-blanks test.
    ApplyCustomFilterConditions(f.criteria, f.title, Row(0), Row(-1), false);
    auto* leaf = f.criteria.FindItemByColumnName("colTitle");
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(leaf->OperatorKind(), 0);
    EXPECT_FALSE(leaf->Negate());
    EXPECT_FALSE(f.criteria.IsCustomCondition("colTitle"));
    ApplyCustomFilterConditions(f.criteria, f.title, Row(1, Variant("")), Row(-1), false);
    leaf = f.criteria.FindItemByColumnName("colTitle");
    EXPECT_EQ(leaf->OperatorKind(), 0);
    EXPECT_TRUE(leaf->Negate());
    EXPECT_EQ(f.Passing().size(), 10u);

    // A comparison with an empty value is no condition: the other row stays alone at the root.
    ApplyCustomFilterConditions(f.criteria, f.number, Row(2), Row(5, Variant(2), "2"), false);
    leaf = f.criteria.FindItemByColumnName("colNumber");
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(leaf->Parent(), f.criteria.Root());
    EXPECT_EQ(leaf->OperatorKind(), 5);
    // Both rows dropping out removes the column's conditions.
    ApplyCustomFilterConditions(f.criteria, f.number, Row(2), Row(4, Variant("")), false);
    EXPECT_EQ(f.criteria.FindItemByColumnName("colNumber"), nullptr);
}

TEST(CustomFilterConditions, ColumnsOfferOnlyTheirConditions)
{
    CriteriaFixture f;
    const TdxFilterOperators allowed = f.active->GetFilterOperators();
    EXPECT_TRUE(IsFilterConditionUsable(Row(0, Variant(true)), allowed));
    EXPECT_FALSE(IsFilterConditionUsable(Row(2, Variant(true)), allowed));
    EXPECT_TRUE(IsFilterConditionUsable(Row(7), allowed));
    EXPECT_FALSE(IsFilterConditionUsable(Row(8, Variant(1)), AllFilterOperators));
    EXPECT_EQ(dxFilterConditionText(3), "is greater than or equal to");
    EXPECT_EQ(dxFilterConditionText(7), "non blanks");
}

TEST(CustomFilterConditions, ValuesConvertToTheColumnType)
{
    LocaleScope german;
    EXPECT_EQ(ConvertFilterValue(Variant("12"), varInteger).VarType(), varInteger);
    EXPECT_THROW(ConvertFilterValue(Variant("abc"), varInteger), EConvertError);
    EXPECT_THROW(ConvertFilterValue(Variant("70000"), varSmallint), EConvertError);
    EXPECT_DOUBLE_EQ(ConvertFilterValue(Variant("1,5"), varDouble).AsDouble(), 1.5);
    EXPECT_EQ(ConvertFilterValue(Variant("09.03.2026"), varDate).VarType(), varDate);
    EXPECT_TRUE(ConvertFilterValue(Variant::Null(), varInteger).IsNull());
    EXPECT_EQ(ConvertFilterValue(Variant("x"), 13), Variant("x"));
}
