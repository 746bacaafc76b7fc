// The notifications a data link receives, in order, and the record window
// it sees; the grid's reload and refocus logic depends on both.
#include "DataTestSupport.h"

#include <gtest/gtest.h>

namespace qel::test {
namespace {

using Log = std::vector<std::string>;

class LinkSequence : public ::testing::Test {
protected:
    Table t;
    RecordingLink link;
    void SetUp() override
    {
        link.SetDataSource(t.src);
        t.Fill(5);
        link.Clear();
    }
};

TEST_F(LinkSequence, OpenAndCloseReportActivation)
{
    t.ds->Close();
    EXPECT_EQ(link.Log, (Log{"ActiveChanged(off)"}));
    link.Clear();
    t.ds->Open();
    EXPECT_EQ(link.Log, (Log{"ActiveChanged(on)"}));
    EXPECT_TRUE(link.Active());
}

TEST_F(LinkSequence, ScrollingReportsTheWindowDistance)
{
    // A one-record window moves with every record.
    t.ds->Next();
    EXPECT_EQ(t.ds->MoveBy(2), 2);
    EXPECT_EQ(link.Log, (Log{"Scrolled(1)", "Scrolled(2)"}));
    EXPECT_EQ(link.ActiveRecord(), 0);
    EXPECT_EQ(t.Id(), 4);
}

TEST_F(LinkSequence, FirstAndLastReportDataSetChanged)
{
    t.ds->Last();
    t.ds->First();
    EXPECT_EQ(link.Log, (Log{"DataSetChanged", "DataSetChanged"}));
}

TEST_F(LinkSequence, MovingPastTheEndNotifiesOnceThenNothing)
{
    t.ds->Last();   // Last leaves EOF set
    EXPECT_TRUE(t.ds->Eof());
    link.Clear();
    t.ds->Next();   // already at EOF: nothing happens
    EXPECT_TRUE(link.Log.empty());
    t.ds->Prior();
    t.ds->Next();
    t.ds->Next();   // from the last record: sets EOF and still reports a zero scroll
    EXPECT_TRUE(t.ds->Eof());
    t.ds->Next();
    EXPECT_EQ(link.Log, (Log{"Scrolled(-1)", "Scrolled(1)", "Scrolled(0)"}));
    EXPECT_EQ(t.ds->MoveBy(3), 0);
    EXPECT_EQ(t.ds->MoveBy(-10), -4);
    EXPECT_TRUE(t.ds->Bof());
    EXPECT_EQ(t.Id(), 1);
}

TEST_F(LinkSequence, EditPostCancel)
{
    t.ds->Edit();
    EXPECT_EQ(link.Log, (Log{"EditingChanged(on)", "RecordChanged(nil)"}));
    link.Clear();
    t.ds->FieldByName("NAME")->SetAsString("X");
    EXPECT_EQ(link.Log, (Log{"RecordChanged(NAME)"}));
    link.Clear();
    t.ds->Post();
    EXPECT_EQ(link.Log, (Log{"UpdateData", "EditingChanged(off)", "DataSetChanged"}));
    link.Clear();
    t.ds->Edit();
    link.Clear();
    t.ds->Cancel();
    EXPECT_EQ(link.Log, (Log{"EditingChanged(off)", "DataSetChanged"}));
}

TEST_F(LinkSequence, InsertAppendDelete)
{
    t.ds->Insert();
    EXPECT_EQ(link.Log, (Log{"EditingChanged(on)", "DataSetChanged"}));
    t.ds->Cancel();
    link.Clear();
    t.ds->OnNewRecord = [](TDataSet* ds) { ds->FieldByName("CITY")->SetAsString("Ulm"); };
    t.ds->Append();
    EXPECT_EQ(link.Log, (Log{"EditingChanged(on)", "RecordChanged(CITY)", "DataSetChanged"}));
    t.ds->Cancel();
    link.Clear();
    t.ds->Delete();
    EXPECT_EQ(link.Log, (Log{"DataSetChanged"}));
    t.ds->Edit();
    link.Clear();
    t.ds->Delete();   // deleting the edited record leaves edit state first
    EXPECT_EQ(link.Log, (Log{"EditingChanged(off)", "DataSetChanged"}));
}

TEST_F(LinkSequence, UpdateDataIsNotEchoedToTheWritingLink)
{
    struct Writer : RecordingLink {
        void UpdateData() override
        {
            RecordingLink::UpdateData();
            DataSet()->FieldByName("NAME")->SetAsString("from editor");
        }
    } writer;
    writer.SetDataSource(t.src);
    t.ds->Edit();
    link.Clear();
    writer.Clear();
    t.ds->Post();
    EXPECT_EQ(writer.Log, (Log{"UpdateData", "EditingChanged(off)", "DataSetChanged"}));
    EXPECT_EQ(link.Log, (Log{"UpdateData", "RecordChanged(NAME)", "EditingChanged(off)", "DataSetChanged"}));
    EXPECT_EQ(t.ds->FieldByName("NAME")->AsString(), "from editor");
}

TEST_F(LinkSequence, DisabledControlsGetOneChangeWhenEnabled)
{
    {
        TDisableControlsGuard outer(t.ds);
        TDisableControlsGuard inner(t.ds);
        t.ds->Next();
        t.ds->Edit();
        t.ds->FieldByName("NAME")->SetAsString("Y");
        t.ds->Post();
        EXPECT_TRUE(t.ds->ControlsDisabled());
    }
    EXPECT_FALSE(t.ds->ControlsDisabled());
    EXPECT_EQ(link.Log, (Log{"DataSetChanged"}));
    link.Clear();
    t.ds->DisableControls();
    t.ds->Edit();
    t.ds->EnableControls();   // the state changed meanwhile
    EXPECT_EQ(link.Log, (Log{"EditingChanged(on)", "DataSetChanged"}));
    link.Clear();
    t.ds->Cancel();
    t.ds->DisableControls();
    t.ds->FieldByName("NAME")->SetIndex(0);   // a layout change is remembered
    t.ds->EnableControls();
    EXPECT_EQ(link.Log, (Log{"EditingChanged(off)", "DataSetChanged", "LayoutChanged"}));
}

TEST_F(LinkSequence, LocateAndBookmarksRebuildTheWindow)
{
    const TBookmark b = t.ds->GetBookmark();
    ASSERT_TRUE(t.ds->Locate("ID", 4, {}));
    t.ds->GotoBookmark(b);
    EXPECT_EQ(link.Log, (Log{"DataSetChanged", "DataSetChanged"}));
    link.Clear();
    EXPECT_FALSE(t.ds->Locate("ID", 99, {}));
    EXPECT_TRUE(link.Log.empty());
}

TEST_F(LinkSequence, FieldLayoutAndFocus)
{
    TField* name = t.ds->FieldByName("NAME");
    name->SetIndex(0);
    EXPECT_EQ(t.ds->Fields(0), name);
    name->SetDisplayLabel("Name");
    name->SetAlignment(taCenter);
    name->FocusControl();
    EXPECT_EQ(link.Log, (Log{"LayoutChanged", "LayoutChanged", "DataSetChanged", "FocusControl(NAME)"}));
}

TEST_F(LinkSequence, FocusControlStopsAtTheControlThatTookIt)
{
    struct Taker : RecordingLink {
        void FocusControl(TField*& Field) override
        {
            RecordingLink::FocusControl(Field);
            Field = nullptr;
        }
    } taker;
    RecordingLink after;
    taker.SetDataSource(t.src);
    after.SetDataSource(t.src);
    taker.Clear();
    after.Clear();
    t.ds->FieldByName("CITY")->FocusControl();
    EXPECT_EQ(link.Log, (Log{"FocusControl(CITY)"}));
    EXPECT_EQ(taker.Log, (Log{"FocusControl(CITY)"}));
    EXPECT_TRUE(after.Log.empty());
}

TEST_F(LinkSequence, InsertIntoAnEmptyDataSet)
{
    t.ds->EmptyTable();
    link.Clear();
    t.ds->Insert();
    EXPECT_EQ(link.Log, (Log{"EditingChanged(on)", "DataSetChanged"}));
    EXPECT_EQ(link.RecordCount(), 1);
    EXPECT_EQ(link.ActiveRecord(), 0);
    EXPECT_TRUE(link.Bof() && link.Eof());
    link.Clear();
    t.ds->Cancel();
    EXPECT_EQ(link.Log, (Log{"EditingChanged(off)", "DataSetChanged"}));
    EXPECT_EQ(link.RecordCount(), 0);
}

TEST_F(LinkSequence, DataSourceEventsAndDisabledSource)
{
    int dataChanges = 0, stateChanges = 0;
    t.src->OnDataChange = [&](TObject*, TField*) { ++dataChanges; };
    t.src->OnStateChange = [&](TObject*) { ++stateChanges; };
    t.ds->Next();
    t.ds->Edit();
    EXPECT_EQ(dataChanges, 2);
    EXPECT_EQ(stateChanges, 1);
    EXPECT_EQ(t.src->State(), dsEdit);
    t.ds->Cancel();
    link.Clear();
    t.src->SetEnabled(false);
    EXPECT_EQ(link.Log, (Log{"ActiveChanged(off)"}));
    t.ds->Next();
    EXPECT_EQ(link.Log.size(), 1u);
    EXPECT_TRUE(t.ds->IsLinkedTo(t.src));
}

TEST_F(LinkSequence, LinkEditRespectsReadOnlyAndAutoEdit)
{
    link.SetReadOnly(true);
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(t.ds->State(), dsBrowse);
    link.SetReadOnly(false);
    t.src->SetAutoEdit(false);
    EXPECT_FALSE(link.Edit());
    t.src->SetAutoEdit(true);
    EXPECT_TRUE(link.Edit());
    EXPECT_EQ(t.ds->State(), dsEdit);
}

// --- the record window ------------------------------------------------------

class LinkWindow : public ::testing::Test {
protected:
    Table t;
    RecordingLink link;
    void SetUp() override
    {
        link.SetDataSource(t.src);
        link.SetBufferCount(10);
        t.Fill(100);
        link.Clear();
    }
    // The IDs the link sees, read by making each buffered record current.
    std::vector<int> Window()
    {
        std::vector<int> ids;
        const int saved = link.ActiveRecord();
        for (int i = 0; i < link.RecordCount(); ++i) {
            link.SetActiveRecord(i);
            ids.push_back(t.Id());
        }
        link.SetActiveRecord(saved);
        return ids;
    }
    static std::vector<int> Range(int from, int count)
    {
        std::vector<int> v;
        for (int i = 0; i < count; ++i)
            v.push_back(from + i);
        return v;
    }
};

TEST_F(LinkWindow, ScrollingThroughAHundredRecords)
{
    EXPECT_EQ(Window(), Range(1, 10));
    int top = 1;
    for (int id = 2; id <= 100; ++id) {
        link.Clear();
        t.ds->Next();
        ASSERT_EQ(t.Id(), id);
        const int expected = id > top + 9 ? 1 : 0;
        top += expected;
        ASSERT_EQ(link.Log, (Log{"Scrolled(" + std::to_string(expected) + ")"})) << "at " << id;
        ASSERT_EQ(link.RecordCount(), 10);
        ASSERT_EQ(link.ActiveRecord(), id - top);
        ASSERT_EQ(Window(), Range(top, 10)) << "at " << id;
    }
    link.Clear();
    t.ds->MoveBy(-15);   // from the bottom row up past the window's top
    EXPECT_EQ(t.Id(), 85);
    EXPECT_EQ(link.Log, (Log{"Scrolled(-6)"}));
    EXPECT_EQ(link.ActiveRecord(), 0);
    EXPECT_EQ(Window(), Range(85, 10));
    link.Clear();
    EXPECT_EQ(link.MoveBy(30), 15);
    EXPECT_EQ(t.Id(), 100);
    EXPECT_EQ(link.Log, (Log{"Scrolled(6)"}));
    EXPECT_EQ(Window(), Range(91, 10));
    // And back up, one record at a time: the window follows at its top row.
    top = 91;
    for (int id = 99; id >= 1; --id) {
        link.Clear();
        t.ds->Prior();
        ASSERT_EQ(t.Id(), id);
        const int expected = id < top ? -1 : 0;
        top += expected;
        ASSERT_EQ(link.Log, (Log{"Scrolled(" + std::to_string(expected) + ")"})) << "at " << id;
        ASSERT_EQ(link.ActiveRecord(), id - top);
        ASSERT_EQ(Window(), Range(top, 10)) << "at " << id;
    }
    EXPECT_FALSE(t.ds->Bof());
    t.ds->Prior();
    EXPECT_TRUE(t.ds->Bof());
}

TEST_F(LinkWindow, AnEventThatRaisesMidwayStillUpdatesTheWindow)
{
    // A filter event that fails on record 30; a second link that fails in
    // its own notification while that error unwinds must not end the program.
    struct Thrower : RecordingLink {
        bool Armed = false;
        void DataSetScrolled(int) override { if (Armed) throw EDatabaseError("link failed"); }
        void DataSetChanged() override { if (Armed) throw EDatabaseError("link failed"); }
    } thrower;
    thrower.SetDataSource(t.src);
    int failOn = 0;
    t.ds->OnFilterRecord = [&](TDataSet* ds, bool& accept) {
        accept = true;
        if (ds->FieldByName("ID")->AsInteger() == failOn)
            throw EDatabaseError("filter failed");
    };
    t.ds->SetFiltered(true);
    t.ds->MoveBy(24);   // ID 25, window 16..25
    link.Clear();
    thrower.Armed = true;
    failOn = 30;
    EXPECT_THROW(t.ds->MoveBy(10), EDatabaseError);
    EXPECT_EQ(t.Id(), 29);
    EXPECT_EQ(link.Log, (Log{"Scrolled(4)"}));
    EXPECT_EQ(Window(), Range(20, 10));

    link.Clear();
    failOn = 5;
    EXPECT_THROW(t.ds->First(), EDatabaseError);
    EXPECT_EQ(link.Log, (Log{"DataSetChanged"}));
    EXPECT_TRUE(t.ds->Bof());
    EXPECT_EQ(t.Id(), 1);
    EXPECT_EQ(Window(), Range(1, 4));

    failOn = 0;
    thrower.Armed = false;
    t.ds->First();
    EXPECT_EQ(Window(), Range(1, 10));
}

TEST_F(LinkWindow, LocateCentresTheRecordAndLastFillsUpwards)
{
    t.ds->Locate("ID", 50, {});
    EXPECT_EQ(Window(), Range(46, 10));
    EXPECT_EQ(link.ActiveRecord(), 4);
    t.ds->Last();
    EXPECT_EQ(Window(), Range(91, 10));
    EXPECT_EQ(link.ActiveRecord(), 9);
    t.ds->Locate("ID", 2, {});
    EXPECT_EQ(Window(), Range(1, 10));
    EXPECT_EQ(link.ActiveRecord(), 1);
}

TEST_F(LinkWindow, InsertKeepsTheRowAndPostPlacesTheRecord)
{
    t.ds->MoveBy(3);   // ID 4, row 3
    t.ds->Insert();
    EXPECT_EQ(link.ActiveRecord(), 3);
    EXPECT_EQ(link.RecordCount(), 10);
    t.ds->FieldByName("ID")->SetAsInteger(1000);
    t.ds->Post();
    EXPECT_EQ(t.Id(), 1000);
    EXPECT_EQ(link.ActiveRecord(), 3);
    EXPECT_EQ(Window(), (std::vector<int>{1, 2, 3, 1000, 4, 5, 6, 7, 8, 9}));
    t.ds->Append();
    EXPECT_EQ(link.ActiveRecord(), 9);
    t.ds->Cancel();
    EXPECT_EQ(t.Id(), 100);
}

TEST_F(LinkWindow, ShrinkingAndGrowingTheWindow)
{
    t.ds->MoveBy(8);   // ID 9, row 8
    link.Clear();
    link.SetBufferCount(3);
    EXPECT_EQ(link.RecordCount(), 3);
    EXPECT_EQ(Window(), Range(7, 3));
    link.SetBufferCount(20);
    EXPECT_EQ(link.RecordCount(), 20);
    EXPECT_EQ(t.Id(), 9);
    const std::vector<int> w = Window();
    EXPECT_EQ(w[static_cast<std::size_t>(link.ActiveRecord())], 9);
    EXPECT_EQ(w, Range(w.front(), 20));
    EXPECT_TRUE(link.Log.empty());
}

TEST_F(LinkWindow, InsertDeleteAndResizeAfterTheWindowHasTurnedOver)
{
    // Scrolling reuses the window's slots in a ring; what the link sees must
    // not depend on where the ring starts.
    t.ds->MoveBy(57);   // ID 58, window 49..58
    ASSERT_EQ(Window(), Range(49, 10));
    t.ds->MoveBy(-4);   // ID 54, row 5
    t.ds->Insert();
    EXPECT_EQ(link.ActiveRecord(), 5);
    t.ds->FieldByName("ID")->SetAsInteger(1000);
    t.ds->Post();
    EXPECT_EQ(Window(), (std::vector<int>{49, 50, 51, 52, 53, 1000, 54, 55, 56, 57}));
    t.ds->Next();
    t.ds->Delete();   // ID 54
    EXPECT_EQ(t.Id(), 55);
    EXPECT_EQ(Window(), (std::vector<int>{49, 50, 51, 52, 53, 1000, 55, 56, 57, 58}));
    link.SetBufferCount(4);   // rows above the current one go first
    EXPECT_EQ(Window(), (std::vector<int>{52, 53, 1000, 55}));
    EXPECT_EQ(link.ActiveRecord(), 3);
    link.SetBufferCount(12);
    const std::vector<int> w = Window();
    ASSERT_EQ(w.size(), 12u);
    EXPECT_EQ(w[static_cast<std::size_t>(link.ActiveRecord())], 55);
    for (int i = 0; i < 30; ++i)
        t.ds->Prior();   // 1000, 53, 52, ...
    EXPECT_EQ(t.Id(), 25);
    EXPECT_EQ(link.ActiveRecord(), 0);
    EXPECT_EQ(Window(), Range(25, 12));
}

TEST_F(LinkWindow, TwoLinksWithDifferentWindows)
{
    RecordingLink small;
    small.SetDataSource(t.src);
    EXPECT_EQ(small.RecordCount(), 1);
    for (int i = 0; i < 12; ++i)
        t.ds->Next();
    EXPECT_EQ(t.Id(), 13);
    EXPECT_EQ(small.ActiveRecord(), 0);
    EXPECT_EQ(small.RecordCount(), 1);
    EXPECT_EQ(small.Log.back(), "Scrolled(1)");
    EXPECT_EQ(link.ActiveRecord(), 9);
}

} // namespace
} // namespace qel::test
