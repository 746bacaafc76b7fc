// Summary texts under the German locale, accumulation with Null values, and
// the summary group and item collections.
#include "dbgrid/SummaryItems.h"

#include "TestSupport.h"
#include "platform/core/Locale.h"
#include "treelist/TreeListTypes.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

TEST(FormatSummaryValue, DefaultTextsForGroupRowsAndFooter)
{
    LocaleScope german;
    EXPECT_EQ(FormatSummaryValue(cstSum, "", ftFloat, false, 12.5), "(SUM=12,50)");
    EXPECT_EQ(FormatSummaryValue(cstSum, "", ftFloat, false, -3), "(SUM=-3,00)");
    EXPECT_EQ(FormatSummaryValue(cstSum, "", ftFloat, true, 12.5), "12,50");
    EXPECT_EQ(FormatSummaryValue(cstSum, "", ftFloat, true, -3), "-3,00");
    EXPECT_EQ(FormatSummaryValue(cstCount, "", ftInteger, true, 7), "7");
    EXPECT_EQ(FormatSummaryValue(cstCount, "", ftInteger, false, 7), "(COUNT=7)");
    EXPECT_EQ(FormatSummaryValue(cstMin, "", ftFloat, false, -1.25), "(MIN=-1,25)");
    EXPECT_EQ(FormatSummaryValue(cstMin, "", ftFloat, true, 2), "MIN=2,00");
    EXPECT_EQ(FormatSummaryValue(cstMax, "", ftFloat, false, 1234.5), "(MAX=1234,50)");
    EXPECT_EQ(FormatSummaryValue(cstMax, "", ftFloat, true, 0), "MAX=0,00");
    EXPECT_EQ(FormatSummaryValue(cstAvg, "", ftFloat, false, 2.0 / 3), "(AVG=0,67)");
    EXPECT_EQ(FormatSummaryValue(cstAvg, "", ftFloat, true, -0.5), "AVG=-0,50");
    EXPECT_EQ(FormatSummaryValue(cstNone, "0.00", ftFloat, false, 1), "");
    EXPECT_EQ(FormatSummaryValue(cstSum, "#,##0.0 EUR", ftFloat, true, 1234.56), "1.234,6 EUR");
    // A count is never shown as a date, whatever the field.
    EXPECT_EQ(FormatSummaryValue(cstCount, "", ftDate, false, 3), "(COUNT=3)");
}

TEST(FormatSummaryValue, DatesTakeAPrefixAndASuffix)
{
    LocaleScope german;
    const TDateTime day = EncodeDate(2026, 3, 9);
    const TDateTime at = day + EncodeTime(14, 5, 0, 0);
    EXPECT_EQ(FormatSummaryValue(cstMin, "", ftDate, false, day), "(MIN=09.03.2026)");
    EXPECT_EQ(FormatSummaryValue(cstMax, "", ftDate, true, day), "MAX=09.03.2026");
    EXPECT_EQ(FormatSummaryValue(cstSum, "", ftDate, true, day), "09.03.2026");
    EXPECT_EQ(FormatSummaryValue(cstAvg, "", ftTime, false, EncodeTime(14, 5, 0, 0)), "(AVG=14:05:00)");
    EXPECT_EQ(FormatSummaryValue(cstMax, "", ftDateTime, false, at), "(MAX=09.03.2026 14:05:00)");
    // An explicit format is the prefix text, with no suffix: stored layouts rely on it.
    EXPECT_EQ(FormatSummaryValue(cstMin, "first: ", ftDate, false, day), "first: 09.03.2026");
    EXPECT_EQ(FormatSummaryValue(cstMax, "0.00", ftDate, true, day), "0.0009.03.2026");
}

TEST(TdxSummaryValue, NullsTakeNoPart)
{
    const std::vector<Variant> values{Variant::Null(), Variant(4), Variant(), Variant(-2.5), Variant("x"),
                                      Variant("1,5")};
    auto run = [&](TdxSummaryType type) {
        TdxSummaryValue v;
        for (const Variant& x : values)
            v.Add(type, x);
        v.Finish(type, static_cast<std::int64_t>(values.size()));
        return v;
    };
    LocaleScope german;
    EXPECT_DOUBLE_EQ(run(cstSum).Value, 3.0);
    EXPECT_DOUBLE_EQ(run(cstMin).Value, -2.5);
    EXPECT_DOUBLE_EQ(run(cstMax).Value, 4.0);
    EXPECT_DOUBLE_EQ(run(cstAvg).Value, 1.0);   // (4 - 2,5 + 1,5) / 3, as a spreadsheet's AVERAGE
    EXPECT_DOUBLE_EQ(run(cstCount).Value, 6.0); // the record count
}

TEST(TdxSummaryValue, AllNullGroupShowsNoMinMaxOrAverage)
{
    for (TdxSummaryType type : {cstMin, cstMax, cstAvg}) {
        TdxSummaryValue v;
        v.Add(type, Variant::Null());
        v.Add(type, Variant::Null());
        v.Finish(type, 2);
        EXPECT_FALSE(v.Shown(type)) << int(type);
    }
    TdxSummaryValue sum;
    sum.Add(cstSum, Variant::Null());
    sum.Finish(cstSum, 1);
    EXPECT_TRUE(sum.Shown(cstSum));
    EXPECT_DOUBLE_EQ(sum.Value, 0.0);
}

TEST(TdxSummaryValue, MinAndMaxStartAtTheFirstValue)
{
    TdxSummaryValue mx, mn;
    for (double d : {-7.0, -3.0, -9.0}) {
        mx.Add(cstMax, Variant(d));
        mn.Add(cstMin, Variant(d));
    }
    EXPECT_DOUBLE_EQ(mx.Value, -3.0);
    EXPECT_DOUBLE_EQ(mn.Value, -9.0);
}

TEST(JoinSummaryTexts, OnlyShownItemsAndBeginEndAroundAtLeastOne)
{
    EXPECT_EQ(JoinSummaryTexts("[", {"(SUM=1,00)", "", "(COUNT=3)", ""}, ", ", "]"), "[(SUM=1,00), (COUNT=3)]");
    EXPECT_EQ(JoinSummaryTexts("[", {"", ""}, ", ", "]"), "");
    EXPECT_EQ(JoinSummaryTexts("", {}, ", ", ""), "");
    EXPECT_EQ(JoinSummaryTexts("", {"", "a"}, "; ", ""), "a");
}

TEST(TdxDBGridSummaryGroups, NamesAndDefaultGroup)
{
    TdxDBGridSummaryGroups groups(nullptr);
    auto* a = groups.Add();
    a->SetName("A");
    auto* b = groups.Add();
    b->SetName("a");   // case-sensitive uniqueness
    EXPECT_EQ(MessageOf<EInvaliddxTreeListOperation>([&] { b->SetName("A"); }),
              "Invalidate group name: duplicate!");
    EXPECT_EQ(b->Name(), "a");
    EXPECT_EQ(MessageOf<EInvaliddxTreeListOperation>([&] { b->SetName(""); }), "Invalidate group name!");
    EXPECT_EQ(b->Name(), "a");
    // The lookup by a column's SummaryGroupName takes the first case-insensitive match.
    EXPECT_EQ(groups.FindGroupByName("a"), a);
    EXPECT_EQ(groups.FindGroupByName("B"), nullptr);

    EXPECT_EQ(groups.FindDefaultGroup(), nullptr);
    a->SetDefaultGroup(true);
    b->SetDefaultGroup(true);
    EXPECT_FALSE(a->DefaultGroup());
    EXPECT_EQ(groups.FindDefaultGroup(), b);
    b->SetDefaultGroup(false);
    EXPECT_EQ(groups.FindDefaultGroup(), nullptr);
}

TEST(TdxDBGridSummaryGroups, ChangesReachTheControlOncePerChange)
{
    TdxDBGridSummaryGroups groups(nullptr);
    int changes = 0;
    TChangeLink link(groups.Changes(), [&](TObject*) { ++changes; });
    auto* g = groups.Add();
    const int afterAdd = changes;
    EXPECT_GE(afterAdd, 1);
    g->SetName("G");
    auto* item = g->SummaryItems()->Add();
    item->SetSummaryType(cstSum);
    EXPECT_GT(changes, afterAdd);
    const int before = changes;
    item->SetSummaryType(cstSum);   // unchanged: nothing
    EXPECT_EQ(changes, before);
    g->SetDefaultGroup(true);
    EXPECT_EQ(changes, before + 1);
}

TEST(TdxDBGridSummaryGroups, AssignCopiesGroupsItemsAndRenamesColumns)
{
    TdxDBGridSummaryGroups src(nullptr), dst(nullptr);
    auto* g = src.Add();
    g->SetName("Boxes");
    g->SetBeginSummaryText("[");
    g->SetEndSummaryText("]");
    g->SetDefaultGroup(true);
    auto* i1 = g->SummaryItems()->Add();
    i1->SetColumnName("colAmount");
    i1->SetSummaryField("Amount");
    i1->SetSummaryFormat("0.0");
    i1->SetSummaryType(cstAvg);
    auto* i2 = g->SummaryItems()->Add();
    i2->SetColumnName("COLAMOUNT");
    i2->SetSummaryType(cstCount);

    dst.Assign(&src);
    ASSERT_EQ(dst.Count(), 1);
    auto* c = dst.Items(0);
    EXPECT_EQ(c->Name(), "Boxes");
    EXPECT_EQ(c->BeginSummaryText(), "[");
    EXPECT_EQ(c->EndSummaryText(), "]");
    EXPECT_TRUE(c->DefaultGroup());
    ASSERT_EQ(c->SummaryItems()->Count(), 2);
    EXPECT_EQ(c->SummaryItems()->Items(0)->SummaryFormat(), "0.0");
    EXPECT_EQ(c->SummaryItems()->Items(0)->SummaryType(), cstAvg);
    // Two items on one column: the group footer shows the first.
    EXPECT_EQ(c->SummaryItems()->IndexOfColumn("colamount"), 0);
    EXPECT_TRUE(c->SummaryItems()->HasColumnItems());

    dst.RenameColumn("ColAmount", "colSum");
    EXPECT_EQ(c->SummaryItems()->Items(0)->ColumnName(), "colSum");
    EXPECT_EQ(c->SummaryItems()->Items(1)->ColumnName(), "colSum");
    EXPECT_EQ(c->SummaryItems()->IndexOfColumn("ColAmount"), -1);
}
