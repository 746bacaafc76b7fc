// A row reads its key from its record when asked. What the key serves must
// behave as with a held key, for each kind of key field: the focus and the
// selection follow their records across a reload and a re-sort, rows are
// found and located by key, and a key edited in the dataset is the row's
// key at once.
#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridColumns.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace qel::test {

namespace {

struct TKeyKind {
    const char* Name;
    TFieldType Type;
    int Size;
    std::function<Variant(int)> Key;   // the key of record I (1-based)
};

const TKeyKind KeyKinds[] = {
    {"Integer", ftInteger, 0, [](int I) { return Variant(I * 10); }},
    {"ShortText", ftString, 12, [](int I) { return Variant("K" + std::to_string(I)); }},
    // Longer than a row could ever hold in place.
    {"LongText", ftString, 80,
     [](int I) { return Variant("a key much longer than any short text kept in place #" + std::to_string(100 + I)); }},
    {"Date", ftDateTime, 0, [](int I) { return Variant::FromDate(45000.0 + I + 0.25); }},
};

class RowKeys : public ::testing::TestWithParam<TKeyKind> {
protected:
    void SetUp() override
    {
        m_ds = new TMemoryDataSet(m_owner.get());
        m_ds->AddField("KEY", GetParam().Type, GetParam().Size);
        m_ds->AddField("TITLE", ftString, 20);
        m_ds->AddField("AREA", ftString, 10);
        m_ds->Open();
        const char* areas[] = {"North", "South", "East"};
        // Titles run against the record order, so a sort on them reorders.
        for (int i = 1; i <= Count; ++i)
            m_ds->AppendRecord({Key(i), "Door " + std::to_string(100 - i), areas[i % 3]});
        m_ds->First();
        auto* source = new TDataSource(m_owner.get());
        source->SetDataSet(m_ds);
        grid = new TdxDBGrid(m_owner.get());
        grid->SetBounds(0, 0, 400, 300);
        grid->SetKeyField("KEY");
        grid->SetOptions(grid->Options() + TdxDBGridOptions{egoLoadAllRecords, egoMultiSelect});
        grid->SetOptionsDB(grid->OptionsDB() + TdxDBGridOptionsDB{edgoUseBookmarks});
        for (const char* f : {"KEY", "TITLE", "AREA"})
            grid->CreateColumnOf<TdxDBGridColumn>()->SetFieldName(f);
        grid->SetDataSource(source);
        grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
        grid->FullExpand();
    }

    Variant Key(int I) const { return GetParam().Key(I); }
    TdxDBGridNode* Row(int I) const { return grid->FindNodeByKey(Key(I)); }
    bool IsKey(const Variant& Value, int I) const { return Variant::Compare(Value, Key(I)) == 0; }
    bool CurrentIs(int I) const { return IsKey(m_ds->FieldByName("KEY")->Value(), I); }
    bool FocusedIs(int I) const
    {
        auto* n = dynamic_cast<TdxDBGridNode*>(grid->GetFocusedNode());
        return n && IsKey(n->Key(), I);
    }

    static constexpr int Count = 12;
    std::unique_ptr<TComponent> m_owner = std::make_unique<TComponent>(nullptr);
    TMemoryDataSet* m_ds = nullptr;
    TdxDBGrid* grid = nullptr;
};

} // namespace

TEST_P(RowKeys, FocusAndSelectionFollowTheirRecordsAcrossAReloadAndAReSort)
{
    for (int i = 1; i <= Count; ++i) {
        ASSERT_NE(Row(i), nullptr) << i;
        EXPECT_TRUE(IsKey(Row(i)->Key(), i)) << i;
    }
    // A group row stands for its first record.
    TdxTreeListNode* south = Row(1)->Parent();
    EXPECT_TRUE(IsKey(static_cast<TdxDBGridNode*>(south)->Key(), 1));

    grid->SetFocusedNode(Row(7));
    EXPECT_TRUE(CurrentIs(7));
    grid->SelectRange(Row(3), Row(3));
    grid->SelectRange(Row(5), Row(5));
    ASSERT_TRUE(Row(3)->Selected() && Row(5)->Selected());
    TdxDBGridNode* seven = Row(7);

    grid->ReloadNodes();
    EXPECT_EQ(Row(7), seven);   // the record kept its row
    EXPECT_TRUE(FocusedIs(7));
    EXPECT_TRUE(Row(3)->Selected() && Row(5)->Selected());
    EXPECT_FALSE(Row(4)->Selected());

    m_ds->SortOn("TITLE");
    EXPECT_TRUE(FocusedIs(7));
    EXPECT_TRUE(CurrentIs(7));
    EXPECT_TRUE(Row(3)->Selected() && Row(5)->Selected());
    for (int i = 1; i <= Count; ++i)
        EXPECT_TRUE(IsKey(Row(i)->Key(), i)) << i;

    // Focusing a row locates its record by key.
    grid->SetOptions(grid->Options() + TdxDBGridOptions{egoUseLocate});
    grid->SetFocusedNode(Row(10));
    EXPECT_TRUE(CurrentIs(10));
    // The dataset moving moves the focus.
    m_ds->Locate("KEY", Key(2), {});
    EXPECT_TRUE(FocusedIs(2));
}

TEST_P(RowKeys, AKeyEditedInTheDatasetIsTheRowsKeyAtOnce)
{
    grid->SetFocusedNode(Row(4));
    TdxDBGridNode* four = Row(4);
    m_ds->Edit();
    m_ds->FieldByName("KEY")->SetValue(Key(40));
    // While edited, the current row reads the key as edited.
    EXPECT_TRUE(IsKey(four->Key(), 40));
    m_ds->Post();
    EXPECT_EQ(Row(4), nullptr);
    ASSERT_NE(Row(40), nullptr);
    EXPECT_TRUE(IsKey(Row(40)->Key(), 40));
    EXPECT_TRUE(FocusedIs(40));
    // A row whose record is gone has no key.
    TdxDBGridNode* six = Row(6);
    six->Detach();
    m_ds->Locate("KEY", Key(6), {});
    m_ds->Delete();
    EXPECT_TRUE(six->Key().IsNull());
    delete six;
}

// A calculated key runs the dataset's handler for every key read; a
// handler that frees a row meanwhile leaves the reading to stop cleanly.
TEST(RowKeysRead, ARowFreedWhileKeysAreReadLosesNothingElse)
{
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    auto* ds = new TMemoryDataSet(owner.get());
    ds->AddField("NUMBER", ftInteger);
    ds->AddField("AREA", ftString, 10);
    ds->AddCalculatedField("CKEY", ftInteger);
    TdxTreeListNode* victim = nullptr;
    ds->OnCalcFields = [&](TDataSet* D) {
        D->FieldByName("CKEY")->SetValue(D->FieldByName("NUMBER")->AsInteger() * 2);
        if (TdxTreeListNode* v = std::exchange(victim, nullptr))
            delete v;
    };
    ds->Open();
    for (int i = 1; i <= 9; ++i)
        ds->AppendRecord({i, i % 2 ? "Odd" : "Even"});
    ds->First();
    auto* source = new TDataSource(owner.get());
    source->SetDataSet(ds);
    auto* grid = new TdxDBGrid(owner.get());
    grid->SetKeyField("CKEY");
    for (const char* f : {"NUMBER", "AREA"})
        grid->CreateColumnOf<TdxDBGridColumn>()->SetFieldName(f);
    grid->SetDataSource(source);
    grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    auto leaves = [&] {
        int n = 0;
        for (TdxTreeListNode* r = grid->GetItem(0); r; r = r->GetNext())
            n += r->Count() == 0;
        return n;
    };
    ASSERT_EQ(leaves(), 9);
    ASSERT_NE(grid->FindNodeByKey(Variant(8)), nullptr);

    // During the reload's reading of the old rows' keys.
    victim = grid->FindNodeByKey(Variant(6));
    grid->ReloadNodes();
    EXPECT_EQ(victim, nullptr);
    EXPECT_EQ(leaves(), 9);
    for (int i = 1; i <= 9; ++i)
        EXPECT_NE(grid->FindNodeByKey(Variant(2 * i)), nullptr) << i;

    // During a lookup's scan, and while its index is built.
    for (int round = 0; round < 2; ++round) {
        grid->ReloadNodes();
        victim = grid->GetItem(0)->GetItem(0);
        EXPECT_EQ(grid->FindNodeByKey(Variant(18)), nullptr);   // the walk stopped
        EXPECT_EQ(victim, nullptr);
        EXPECT_EQ(leaves(), 8);
        grid->ReloadNodes();
        EXPECT_EQ(leaves(), 9);
    }
}

INSTANTIATE_TEST_SUITE_P(KeyFields, RowKeys, ::testing::ValuesIn(KeyKinds),
                         [](const auto& Info) { return std::string(Info.param.Name); });

} // namespace qel::test
