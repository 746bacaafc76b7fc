// The lookup column in a grid: cells show the list's text, editing through
// the lookup editor writes the key field, the filter side works on keys.
#include "TestSupport.h"

#include "dbgrid/DBGrid.h"
#include "dbgrid/LookupColumn.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Forms.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

// Doors with an AREA key shown through AREANAME from the areas table.
struct LookupGrid {
    LookupGrid()
    {
        areas = new TMemoryDataSet(owner.get());
        areas->AddField("ID", ftInteger);
        areas->AddField("NAME", ftString, 20);
        areas->Open();
        for (auto [id, name] : {std::pair{1, "Nord"}, {2, "Süd"}, {3, "Ost"}})
            areas->AppendRecord({id, name});
        areas->First();
        doors = new TMemoryDataSet(owner.get());
        doors->AddField("NUMBER", ftInteger);
        doors->AddField("AREA", ftInteger);
        doors->AddLookupField("AREANAME", ftString, 20, areas, "AREA", "ID", "NAME");
        doors->Open();
        doors->AppendRecord({1, 2});
        doors->AppendRecord({2, Variant::Null()});
        doors->AppendRecord({3, 3});
        doors->First();
        source = new TDataSource(owner.get());
        source->SetDataSet(doors);
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(100, 100, 420, 220);
        grid = new TdxDBGrid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(0, 0, 400, 200);
        grid->SetKeyField("NUMBER");
        grid->SetOptions(grid->Options() + TdxDBGridOptions{egoLoadAllRecords});
        grid->CreateColumnOf<TdxDBGridColumn>()->SetFieldName("NUMBER");
        column = grid->CreateColumnOf<TdxDBGridLookupColumn>();
        column->SetFieldName("AREANAME");
        grid->SetDataSource(source);
    }

    ~LookupGrid() { form.reset(); }

    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    std::unique_ptr<TForm> form;
    TMemoryDataSet* areas = nullptr;
    TMemoryDataSet* doors = nullptr;
    TDataSource* source = nullptr;
    TdxDBGrid* grid = nullptr;
    TdxDBGridLookupColumn* column = nullptr;
};

TEST(LookupColumn, EditingWritesTheKeyField)
{
    LookupGrid g;
    EXPECT_EQ(g.grid->GetItem(0)->GetString(1), "Süd");
    g.grid->SetFocusedNode(g.grid->GetItem(0));
    g.grid->SetFocusedColumn(1);
    g.grid->ShowEditor();
    ASSERT_TRUE(g.grid->IsEditing());
    auto* e = dynamic_cast<TdxInplaceLookupEdit*>(HostedEdit(g.grid->Editor()));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Text(), "Süd");
    EXPECT_EQ(e->KeyValue(), Variant(2));
    g.areas->Last();
    EXPECT_TRUE(e->CanModify());
    EXPECT_TRUE(e->IsDataLinkModified());
    TKeyChar ch = 'o';
    e->KeyPress(ch);
    EXPECT_EQ(e->Text(), "Ost");
    EXPECT_EQ(e->SelText(), "st");
    g.grid->HideEditor();
    g.doors->Post();
    g.doors->Locate("NUMBER", 1, {});
    EXPECT_EQ(g.doors->FieldByName("AREA")->AsInteger(), 3);
    EXPECT_EQ(g.grid->GetItem(0)->GetString(1), "Ost");
}

TEST(LookupColumn, FilterSideWorksOnKeys)
{
    LookupGrid g;
    EXPECT_EQ(g.column->GetFilterOperators(),
              (1 << fopEqual) | (1 << fopNotEqual) | (1 << fopBlanks) | (1 << fopNonBlanks));
    Variant v;
    g.column->GetNodeFilterValue(g.grid->GetItem(2), v);
    EXPECT_EQ(v, Variant(3)) << "the node's lookup key, not its text";
    g.column->GetNodeFilterValue(g.grid->GetItem(1), v);
    EXPECT_TRUE(v.IsNull());

    std::unique_ptr<TdxInplaceEdit> filter = g.column->CreateFilterEditor(nullptr);
    auto* fe = dynamic_cast<TCustomdxFilterLookupEdit*>(filter.get());
    ASSERT_NE(fe, nullptr);
    fe->SetLookupField(g.column->Field());
    g.column->SetFilterEditValue(fe, 1);
    std::string text;
    g.column->GetFilterEditText(fe, v, text);
    EXPECT_EQ(v, Variant(1));
    EXPECT_EQ(text, "Nord");
    g.column->SetFilterEditValue(fe, 42);
    g.column->GetFilterEditText(fe, v, text);
    EXPECT_EQ(text, "") << "an unknown key shows no text";
}

TEST(LookupColumn, AssignAndDefaults)
{
    LookupGrid g;
    g.column->SetListFieldName("NAME");
    g.column->SetListWidth(180);
    g.column->SetClearKey(ShortCut(VK_DELETE, {ssCtrl}));
    g.column->SetCanDeleteText(true);
    TdxDBGridLookupColumn copy(nullptr);
    copy.Assign(g.column);
    EXPECT_EQ(copy.ListFieldName(), "NAME");
    EXPECT_EQ(copy.DropDownWidth(), 180);
    EXPECT_TRUE(copy.CanDeleteText());
    copy.RestoreDefaults();
    EXPECT_EQ(copy.ListFieldName(), "");
    EXPECT_EQ(copy.ClearKey(), 0);
    EXPECT_EQ(copy.DropDownRows(), 7);
}

} // namespace
} // namespace qel
