// The data link's notifications as the control receives them, the hold
// flag, and the registry of data-aware controls.
#include "GridTestSupport.h"

#include <gtest/gtest.h>

namespace qel::test {

namespace {

// Records what the link hands to the grid.
class ProbeGrid : public TdxDBGrid {
public:
    using TdxDBGrid::TdxDBGrid;
    std::vector<int> Scrolls;
    int Updates = 0;
    int DataChanges = 0;
    void Scroll(int Distance) override
    {
        Scrolls.push_back(Distance);
        TdxDBGrid::Scroll(Distance);
    }
    void UpdateData() override
    {
        ++Updates;
        TdxDBGrid::UpdateData();
    }
    void DataChanged() override
    {
        ++DataChanges;
        TdxDBGrid::DataChanged();
    }
};

struct ProbeFixture : GridFixture {
    ProbeGrid* probe;
    ProbeFixture() : GridFixture(10, true, false)
    {
        probe = new ProbeGrid(owner.get());
        probe->SetBounds(0, 0, 400, 300);
        probe->SetKeyField("NUMBER");
        probe->SetOptions(probe->Options() + TdxDBGridOptions{egoLoadAllRecords});
        probe->CreateColumnOf<TdxDBGridColumn>()->SetFieldName("NUMBER");
        probe->SetDataSource(source);
    }
};

} // namespace

TEST(DBTreeListLink, ScrollDistancesArriveNegated)
{
    ProbeFixture f;
    f.probe->Scrolls.clear();
    f.ds->MoveBy(2);
    ASSERT_FALSE(f.probe->Scrolls.empty());
    EXPECT_EQ(f.probe->Scrolls.back(), -2);
}

TEST(DBTreeListLink, UpdateDataReachesTheControlOnlyAfterAnEdit)
{
    ProbeFixture f;
    f.ds->Edit();
    f.ds->FieldByName("TITLE")->SetAsString("x");
    f.ds->Post();   // nobody edited through the grid
    EXPECT_EQ(f.probe->Updates, 0);
    f.probe->SetFocusedNode(f.probe->GetItem(0));
    f.probe->SetFocusedColumn(0);
    ASSERT_TRUE(f.probe->BeginEditRecord());
    EXPECT_TRUE(f.probe->GetDataLink()->Modified());
    f.ds->Post();
    EXPECT_EQ(f.probe->Updates, 1);
    EXPECT_FALSE(f.probe->GetDataLink()->Modified());
}

TEST(DBTreeListLink, HoldFlagOnlyRefocuses)
{
    ProbeFixture f;
    f.probe->SetHold(true);
    TdxTreeListNode* first = f.probe->GetItem(0);
    f.ds->Locate("NUMBER", 4, {});
    EXPECT_EQ(f.probe->GetItem(0), first);   // no reload: the same nodes
    EXPECT_EQ(static_cast<TdxDBGridNode*>(f.probe->GetFocusedNode())->Key().AsInteger(), 4);
    f.probe->SetHold(false);
}

TEST(DBTreeListLink, BusyControlsAreFoundByDataset)
{
    ProbeFixture f;
    EXPECT_FALSE(TCustomdxDBTreeListControl::FindDBTreeListControlByDataSet(f.ds));
    f.probe->SetLocked(true);
    EXPECT_TRUE(TCustomdxDBTreeListControl::FindDBTreeListControlByDataSet(f.ds));
    f.probe->SetLocked(false);
}

TEST(DBTreeListLink, ClosingAndReopeningTheDatasetRebuilds)
{
    ProbeFixture f;
    f.ds->Close();
    EXPECT_EQ(f.probe->GetCount(), 0);
    f.ds->Open();   // a memory table comes back empty
    f.ds->AppendRecord({7, "Door 7", "West", true});
    EXPECT_EQ(f.probe->GetCount(), 1);
    f.source->SetDataSet(nullptr);
    EXPECT_EQ(f.probe->GetCount(), 0);
}

} // namespace qel::test
