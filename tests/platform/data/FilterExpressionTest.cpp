// Filtering by expression (the texts the grid's filter criteria produce) and
// by event, and the expression parser on its own.
#include "DataTestSupport.h"

#include "platform/data/FilterExpression.h"

#include <gtest/gtest.h>

namespace qel::test {
namespace {

class FilterTest : public ::testing::Test {
protected:
    Table t;
    void SetUp() override
    {
        t.ds->AddField("BORN", ftDate);
        t.ds->AddField("FIRST NAME", ftString, 20);
        t.ds->AddField("ACTIVE", ftBoolean);
        t.Fill(0);
        t.ds->AppendRecord({1, "O'Brien", "Bonn", 1.5, Variant::FromDate(EncodeDate(1970, 5, 1)), "Pat", true});
        t.ds->AppendRecord({2, "Meier", Variant::Null(), 20.25, Variant::FromDate(EncodeDate(1985, 1, 2)), "Ann", false});
        t.ds->AppendRecord({3, "meier", "Köln", Variant::Null(), Variant::FromDate(EncodeDate(1990, 7, 3)), "Bob", true});
        t.ds->AppendRecord({4, "Müller", "Bonn", 3.0, Variant::Null(), "Ann", Variant::Null()});
        t.ds->First();
    }
    std::vector<int> Ids(const std::string& filter, TFilterOptions options = {})
    {
        t.ds->SetFilterOptions(options);
        t.ds->SetFilter(filter);
        t.ds->SetFiltered(true);
        std::vector<int> ids;
        for (t.ds->First(); !t.ds->Eof(); t.ds->Next())
            ids.push_back(t.Id());
        EXPECT_EQ(t.ds->RecordCount(), static_cast<int>(ids.size())) << filter;
        return ids;
    }
};

using V = std::vector<int>;

TEST_F(FilterTest, CriteriaTexts)
{
    // Shapes the grid's criteria write: every leaf in parentheses, NOT around negated ones.
    EXPECT_EQ(Ids("(NAME = 'Meier')"), (V{2}));
    EXPECT_EQ(Ids("(NAME = 'O''Brien')"), (V{1}));
    EXPECT_EQ(Ids("(NAME = 'O''*')"), (V{1}));
    EXPECT_EQ(Ids("(NAME = 'x'') OR (ID = 1')"), (V{}));   // keywords inside a value are text
    EXPECT_EQ(Ids("(CITY Is Null)"), (V{2}));
    EXPECT_EQ(Ids("(NOT (CITY Is Null))"), (V{1, 3, 4}));
    EXPECT_EQ(Ids("((ID > 1) AND (NOT (NAME = 'meier')))"), (V{2, 4}));
    EXPECT_EQ(Ids("((ID <= 1) OR (ID >= 4))"), (V{1, 4}));
    EXPECT_EQ(Ids("(ID <> 2) AND (ID < 4)"), (V{1, 3}));
    EXPECT_EQ(Ids("(AMOUNT > 1,5)"), (V{2, 4}));          // locale decimal separator
    EXPECT_EQ(Ids("(AMOUNT = 20.25)"), (V{2}));
    EXPECT_EQ(Ids("(BORN >= '01.01.1980')"), (V{2, 3}));   // dates arrive quoted
    EXPECT_EQ(Ids("([FIRST NAME] = 'Ann')"), (V{2, 4}));
    EXPECT_EQ(Ids("(ACTIVE = True)"), (V{1, 3}));
    EXPECT_EQ(Ids("(ACTIVE = 'False')"), (V{2}));
    EXPECT_EQ(Ids("NOT NOT (ID = 3)"), (V{3}));
    EXPECT_EQ(Ids("(ID = '3')"), (V{3}));
    EXPECT_EQ(Ids("(AMOUNT < 100)"), (V{1, 2, 4}));       // Null compares false
}

TEST_F(FilterTest, OptionsCaseAndPartialCompare)
{
    EXPECT_EQ(Ids("(NAME = 'MEIER')"), (V{}));
    EXPECT_EQ(Ids("(NAME = 'MEIER')", {foCaseInsensitive}), (V{2, 3}));
    EXPECT_EQ(Ids("(NAME = 'M*')"), (V{2, 4}));
    EXPECT_EQ(Ids("(NAME = 'm*')", {foCaseInsensitive}), (V{2, 3, 4}));
    EXPECT_EQ(Ids("(NAME = 'M*')", {foNoPartialCompare}), (V{}));
    EXPECT_EQ(Ids("(NAME <> 'M*')"), (V{1, 3}));
}

TEST_F(FilterTest, EventAndExpressionTogether)
{
    t.ds->OnFilterRecord = [](TDataSet* ds, bool& accept) {
        EXPECT_EQ(ds->State(), dsFilter);
        accept = ds->FieldByName("ID")->AsInteger() % 2 == 1;
    };
    EXPECT_EQ(Ids(""), (V{1, 3}));
    EXPECT_EQ(Ids("(CITY = 'Köln')"), (V{3}));
    t.ds->SetFiltered(false);
    EXPECT_EQ(t.ds->RecordCount(), 4);
    t.ds->OnFilterRecord = nullptr;
    t.ds->SetFiltered(true);
    EXPECT_EQ(t.ds->RecordCount(), 1);
}

TEST_F(FilterTest, RecordNumbersCountOnlyVisibleRecords)
{
    EXPECT_EQ(Ids("(CITY = 'Bonn')"), (V{1, 4}));
    t.ds->Last();
    EXPECT_EQ(t.Id(), 4);
    EXPECT_EQ(t.ds->RecNo(), 2);
    t.ds->SetRecNo(1);
    EXPECT_EQ(t.Id(), 1);
    EXPECT_THROW(t.ds->SetRecNo(3), EDatabaseError);
    EXPECT_EQ(t.Id(), 1);
    t.ds->SetFiltered(false);
    t.ds->Last();
    EXPECT_EQ(t.ds->RecNo(), 4);
}

TEST_F(FilterTest, EditedRecordThatLeavesTheFilterDisappears)
{
    EXPECT_EQ(Ids("(CITY = 'Bonn')"), (V{1, 4}));
    t.ds->First();
    t.ds->Edit();
    t.ds->FieldByName("CITY")->SetAsString("Ulm");
    t.ds->Post();
    EXPECT_EQ(t.Id(), 4);
    EXPECT_EQ(t.ds->RecordCount(), 1);
    t.ds->Delete();
    EXPECT_TRUE(t.ds->IsEmpty());
    EXPECT_EQ(t.ds->RecordCount(), 0);
}

TEST_F(FilterTest, BadTextsRaiseAndKeepTheOldFilter)
{
    EXPECT_EQ(Ids("(ID = 1)"), (V{1}));
    const char* bad[] = {"(ID = 1", "ID = ", "ID 1", "(NAME = 'open)", "NOPE = 1", "[ID = 1", "ID = 1 junk",
                         "(BORN = 'no date')", "(ID = 'x')", "ID = 1 AND", "(ID @ 1)"};
    for (const char* text : bad) {
        EXPECT_ANY_THROW(t.ds->SetFilter(text)) << text;
        EXPECT_EQ(t.ds->Filter(), "(ID = 1)") << text;
        EXPECT_EQ(t.ds->RecordCount(), 1) << text;
    }
    EXPECT_THROW(t.ds->SetFilter("NOPE = 1"), EDatabaseError);
    EXPECT_THROW(t.ds->SetFilter("(ID = 'x')"), EConvertError);
    // Set while closed, the text is checked when the dataset opens.
    t.ds->Close();
    t.ds->SetFilter("(ID = ");
    EXPECT_THROW(t.ds->Open(), EDatabaseError);
    EXPECT_FALSE(t.ds->Active());
}

TEST(FilterExpressionParser, HostileNestingIsRefused)
{
    auto resolve = [](const std::string&) { return TFilterExpression::FieldRef{0, ftInteger}; };
    const std::string deep = std::string(100000, '(') + "A = 1" + std::string(100000, ')');
    EXPECT_THROW(TFilterExpression(deep, resolve), EDatabaseError);
    std::string nots;
    for (int i = 0; i < 50000; ++i)
        nots += "NOT ";
    EXPECT_THROW(TFilterExpression(nots + "A = 1", resolve), EDatabaseError);
    // A long flat chain is fine and evaluates without deep recursion.
    std::string chain = "A = 1";
    for (int i = 0; i < 100000; ++i)
        chain += " OR A = 2";
    TFilterExpression e(chain, resolve);
    EXPECT_TRUE(e.Evaluate([](int) { return Variant(2); }, {}));
    EXPECT_FALSE(e.Evaluate([](int) { return Variant(3); }, {}));
    EXPECT_TRUE(TFilterExpression("   ", resolve).IsEmpty());
}

} // namespace
} // namespace qel::test
