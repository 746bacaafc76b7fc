// Grid layouts: capturing a grid leaves no hidden grid behind, applying a
// layout resets the grid and keeps its name, "Data" is stored only when
// something was captured and survives the form's stream, a corrupt
// snapshot leaves the grid as it was, bad sources are refused first.
#include "GridTestSupport.h"
#include "TestSupport.h"

#include "dbgrid/GridLayouts.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streaming.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::GridFixture;

TEST(GridLayout, CaptureStoresTheGridAndFreesTheWrapper)
{
    GridFixture f(5);
    TdxDBGridLayout layout(nullptr);
    EXPECT_TRUE(layout.IsEmpty());
    layout.Assign(f.grid);
    EXPECT_FALSE(layout.IsEmpty());
    EXPECT_FALSE(layout.Editing()) << "no hidden grid stays bound to the source's data";
    EXPECT_EQ(layout.Wrapper(), nullptr);

    // A copy between layouts.
    TdxDBGridLayout copy(nullptr);
    copy.Assign(&layout);
    EXPECT_EQ(copy.Data().Bytes(), layout.Data().Bytes());

    // Editing holds a wrapper until it ends.
    layout.BeginEdit();
    ASSERT_NE(layout.Wrapper(), nullptr);
    layout.Wrapper()->SetName("Other");
    EXPECT_EQ(layout.Wrapper()->Name(), "") << "the wrapper never takes a name";
    layout.EndEdit();
    EXPECT_EQ(layout.Wrapper(), nullptr);
}

TEST(GridLayout, GridCapturedWhileACellIsEditedAppliesCleanly)
{
    GridFixture f(3);
    f.grid->SetFocusedNode(f.grid->GetItem(0));
    f.grid->SetFocusedColumn(1);
    f.grid->ShowEditor();
    ASSERT_TRUE(f.grid->IsEditing());
    TdxDBGridLayout layout(nullptr);
    layout.Assign(f.grid);
    GridFixture g(3);
    EXPECT_NO_THROW(layout.AssignTo(g.grid));
    f.grid->HideEditor();
}

TEST(GridLayout, SettingsRoundTripOntoAnotherGrid)
{
    GridFixture a(3);
    a.owner->SetName("Form1");
    a.source->SetName("DoorSource");
    a.grid->SetShowGroupPanel(true);
    a.grid->SetDefaultRowHeight(30);
    a.grid->SetGroupPanelColor(clRed);
    a.grid->SetSummarySeparator("; ");
    auto* layout = new TdxDBGridLayout(a.owner.get());   // on the grid's form
    layout->Assign(a.grid);

    auto* other = new TdxDBGrid(a.owner.get());
    other->SetName("DBGrid2");
    other->SetShowHeader(false);   // not in the snapshot: back to its default
    layout->AssignTo(other);
    EXPECT_EQ(other->Name(), "DBGrid2");
    EXPECT_TRUE(other->ShowGroupPanel());
    EXPECT_EQ(other->DefaultRowHeight(), 30);
    EXPECT_EQ(other->GroupPanelColor(), clRed);
    EXPECT_EQ(other->SummarySeparator(), "; ");
    EXPECT_EQ(other->KeyField(), "NUMBER");
    EXPECT_TRUE(other->ShowHeader());
    EXPECT_EQ(other->DataSource(), a.source) << "bound to the same data source of the form";
}

TEST(GridLayout, BadSourceIsRefusedBeforeTheSnapshotIsTouched)
{
    GridFixture f(3);
    TdxDBGridLayout layout(nullptr);
    layout.Assign(f.grid);
    const std::string before = layout.Data().Bytes();
    TComponent other(nullptr);
    EXPECT_THROW(layout.Assign(&other), EConvertError);
    EXPECT_EQ(layout.Data().Bytes(), before);
}

TEST(GridLayout, EmptyLayoutResetsTheGridAndKeepsItsName)
{
    GridFixture f(3);
    f.grid->SetShowGroupPanel(true);
    f.grid->SetDefaultRowHeight(30);
    f.grid->SetIndentDesc(5);
    TdxDBGridLayout layout(nullptr);
    layout.AssignTo(f.grid);
    EXPECT_EQ(f.grid->Name(), "DBGrid1");
    EXPECT_FALSE(f.grid->ShowGroupPanel());
    EXPECT_EQ(f.grid->DefaultRowHeight(), 17);
    EXPECT_EQ(f.grid->IndentDesc(), 20);
    EXPECT_EQ(f.grid->DataSource(), nullptr);
    EXPECT_EQ(f.grid->LockUpdate(), 0);
}

TEST(GridLayout, EmptyLayoutResetsEveryOptionSet)
{
    GridFixture f(3, false);
    f.grid->SetPartialLoad(true);
    f.grid->SetUseBookmarks(false);
    f.grid->SetOptionsEx(f.grid->OptionsEx() + TdxDBGridOptionsEx{egoMultiSort} - TdxDBGridOptionsEx{egoAutoSort});
    f.grid->SetOptionsView(f.grid->OptionsView() + TdxDBGridOptionsView{edgoRowSelect, edgoIndicator});
    TdxDBGridLayout layout(nullptr);
    layout.AssignTo(f.grid);
    const TdxDBGrid fresh(nullptr);
    EXPECT_EQ(f.grid->OptionsDB(), fresh.OptionsDB());
    EXPECT_EQ(f.grid->Options(), fresh.Options());
    EXPECT_EQ(f.grid->OptionsEx(), fresh.OptionsEx());
    EXPECT_EQ(f.grid->GetOptions(), fresh.GetOptions());
    // The view set is stored in a layout, so the reset takes the indicator along.
    EXPECT_EQ(f.grid->OptionsView(), fresh.OptionsView());
    EXPECT_FALSE(f.grid->ShowIndicator());
}

TEST(GridLayout, AppliedSnapshotDoesNotRenameTheGrid)
{
    GridFixture a(3);
    TdxDBGridLayout layout(nullptr);
    layout.Assign(a.grid);   // holds the name "DBGrid1"
    GridFixture b(3);
    b.grid->SetName("Other");
    layout.AssignTo(b.grid);
    EXPECT_EQ(b.grid->Name(), "Other");
}

// A form-like owner holding a list with one layout.
struct LayoutForm {
    LayoutForm()
    {
        root = std::make_unique<TComponent>(nullptr);
        root->SetName("Form1");
        list = new TdxDBGridLayoutList(root.get());
        list->SetName("LayoutList1");
        layout = new TdxDBGridLayout(root.get());
        layout->SetName("Layout1");
        layout->SetLayoutList(list);
    }
    std::unique_ptr<TComponent> root;
    TdxDBGridLayoutList* list;
    TdxDBGridLayout* layout;
};

TEST(GridLayout, DataIsStoredOnlyWhenCapturedAndSurvivesTheFormStream)
{
    LayoutForm form;
    TMemoryStream empty;
    SaveComponentToMemory(form.root.get(), empty);
    EXPECT_EQ(empty.Bytes().find("Data"), std::string::npos) << "nothing captured, nothing stored";

    GridFixture f(3);
    form.layout->Assign(f.grid);
    TMemoryStream stream;
    SaveComponentToMemory(form.root.get(), stream);
    ASSERT_NE(stream.Bytes().find("Data"), std::string::npos);

    TComponent* loaded = LoadComponentFromMemory(stream, nullptr, nullptr);
    std::unique_ptr<TComponent> holder(loaded);
    auto* layout = dynamic_cast<TdxDBGridLayout*>(loaded->FindComponent("Layout1"));
    auto* list = dynamic_cast<TdxDBGridLayoutList*>(loaded->FindComponent("LayoutList1"));
    ASSERT_NE(layout, nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(layout->Data().Bytes(), form.layout->Data().Bytes());
    EXPECT_EQ(layout->LayoutList(), list) << "a layout read under a list joins it";
}

TEST(GridLayout, CorruptSnapshotLeavesTheGridAsItWas)
{
    // A form stream whose layout holds garbage in "Data".
    LayoutForm form;
    GridFixture f(3);
    form.layout->Assign(f.grid);
    TMemoryStream stream;
    SaveComponentToMemory(form.root.get(), stream);
    std::string bytes = stream.Bytes();
    const std::size_t at = bytes.find("QELC", bytes.find("Data"));
    ASSERT_NE(at, std::string::npos);
    bytes[at + 6] = '\x7F';   // the inner stream's class-name length
    stream.SetBytes(bytes);
    std::unique_ptr<TComponent> loaded(LoadComponentFromMemory(stream, nullptr, nullptr));
    auto* layout = dynamic_cast<TdxDBGridLayout*>(loaded->FindComponent("Layout1"));
    ASSERT_NE(layout, nullptr);

    f.grid->SetShowGroupPanel(true);
    f.grid->SetDefaultRowHeight(25);
    EXPECT_THROW(layout->AssignTo(f.grid), EReadError);
    EXPECT_TRUE(f.grid->ShowGroupPanel());
    EXPECT_EQ(f.grid->DefaultRowHeight(), 25);
    EXPECT_EQ(f.grid->DataSource(), f.source);
    EXPECT_EQ(f.grid->Name(), "DBGrid1");
    EXPECT_EQ(f.grid->LockUpdate(), 0) << "no update left open";
}

TEST(GridLayout, ListJoinsLeavesAndFreesItsLayouts)
{
    auto list = std::make_unique<TdxDBGridLayoutList>(nullptr);
    auto* a = new TdxDBGridLayout(nullptr);
    auto* b = new TdxDBGridLayout(nullptr);
    a->SetLayoutList(list.get());
    b->SetLayoutList(list.get());
    EXPECT_EQ(list->Count(), 2);
    delete a;   // leaves the list
    EXPECT_EQ(list->Count(), 1);
    EXPECT_EQ(list->Items(0), b);
    TdxDBGridLayoutList other(nullptr);
    b->SetLayoutList(&other);
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(other.Count(), 1);
    b->SetLayoutList(list.get());
    list.reset();   // frees b; ASan reports a leak or a double free otherwise
    EXPECT_EQ(other.Count(), 0);
}

} // namespace
} // namespace qel
