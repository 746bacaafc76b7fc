// The lookup editor: texts of found, missing and Null keys without moving
// the list, the text cache and its invalidation by the list link,
// incremental search with roll-back, stepping relative to the shown key,
// the popup list, field mode writing the key field, the circular link.
#include "EditorTestSupport.h"
#include "TestSupport.h"

#include "editors/LookupEdit.h"
#include "platform/controls/Automation.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::EditorForm;

// Customers 10 Becker, 20 Bauer, 30 Schmidt, 40 Braun (in that order).
struct Customers {
    Customers()
    {
        ds = std::make_unique<TMemoryDataSet>(nullptr);
        ds->AddField("ID", ftInteger);
        ds->AddField("NAME", ftString, 20);
        ds->Open();
        for (auto [id, name] : {std::pair{10, "Becker"}, {20, "Bauer"}, {30, "Schmidt"}, {40, "Braun"}})
            ds->AppendRecord({id, name});
        ds->First();
        source = std::make_unique<TDataSource>(nullptr);
        source->SetDataSet(ds.get());
    }
    int Current() const { return ds->FieldByName("ID")->AsInteger(); }

    std::unique_ptr<TMemoryDataSet> ds;
    std::unique_ptr<TDataSource> source;
};

TdxInplaceLookupEdit* Explicit(EditorForm& f, Customers& c)
{
    auto* e = f.StandAlone<TdxInplaceLookupEdit>();
    e->SetListSource(c.source.get());
    e->SetKeyFieldName("ID");
    e->SetListFieldName("NAME");
    return e;
}

TEST(LookupEdit, TextOfFoundMissingAndNullKeysLeavesTheListWhereItWas)
{
    EditorForm f;
    Customers c;
    auto* e = Explicit(f, c);
    c.ds->Next();   // another view's position
    e->SetKeyValue(30);
    EXPECT_EQ(e->Text(), "Schmidt");
    EXPECT_EQ(c.Current(), 20) << "painting a text must not move the list";
    e->SetKeyValue(99);
    EXPECT_EQ(e->Text(), "") << "a missing key shows nothing, not the current row's text";
    e->SetKeyValue(Variant::Null());
    EXPECT_EQ(e->Text(), "");
    EXPECT_EQ(e->DisplayTextOf(10), "Becker");
    EXPECT_EQ(c.Current(), 20);
}

TEST(LookupEdit, CachedTextsFollowChangesOfTheList)
{
    EditorForm f;
    Customers c;
    auto* e = Explicit(f, c);
    e->SetKeyValue(20);
    ASSERT_EQ(e->Text(), "Bauer");
    c.ds->Locate("ID", 20, {});
    c.ds->Edit();
    c.ds->FieldByName("NAME")->SetAsString("Baumann");
    c.ds->Post();
    EXPECT_EQ(e->DisplayTextOf(20), "Baumann");
    EXPECT_EQ(e->Text(), "Baumann") << "the shown text is read again";
    c.ds->Close();
    EXPECT_EQ(e->Text(), "");
    c.ds->Open();   // open again, empty
    EXPECT_EQ(e->Text(), "");
    c.ds->AppendRecord({20, "Neumann"});
    EXPECT_EQ(e->Text(), "Neumann");
}

TEST(LookupEdit, FilterEditorShowsTheTextOfItsOwnKey)
{
    EditorForm f;
    Customers c;
    auto* e = f.StandAlone<TCustomdxFilterLookupEdit>();
    e->SetListSource(c.source.get());
    e->SetKeyFieldName("ID");
    e->SetListFieldName("NAME");
    e->SetKeyValue(40);
    EXPECT_EQ(e->Text(), "Braun");
    EXPECT_EQ(e->GetEditingValue(), Variant("Braun"));
    EXPECT_FALSE(e->IsDataLinkModified());
    EXPECT_TRUE(e->CanModify());
}

TEST(LookupEdit, IncrementalSearchSelectsTheRestAndRollsBack)
{
    EditorForm f;
    Customers c;
    auto* e = Explicit(f, c);
    e->SetKeyValue(30);
    SimulateText("b");
    EXPECT_EQ(e->Text(), "Becker") << "the first row Locate finds";
    EXPECT_EQ(e->KeyValue(), Variant(10));
    SimulateText("r");
    EXPECT_EQ(e->Text(), "Braun");
    EXPECT_EQ(e->SelStart(), 2);
    EXPECT_EQ(e->SelText(), "aun");
    SimulateText("x");
    EXPECT_EQ(e->Text(), "Braun") << "a character matching nothing is taken back";
    EXPECT_EQ(e->SearchText(), "br");
    SimulateKey(VK_BACK);
    EXPECT_EQ(e->SearchText(), "b");
    EXPECT_EQ(e->Text(), "Becker");
    // Emptying the search clears the value only with CanDeleteText.
    SimulateKey(VK_BACK);
    EXPECT_EQ(e->KeyValue(), Variant(10));
    e->SetCanDeleteText(true);
    SimulateText("s");
    EXPECT_EQ(e->Text(), "Schmidt");
    SimulateKey(VK_BACK);
    EXPECT_TRUE(e->KeyValue().IsNull());
    EXPECT_EQ(e->Text(), "");
    // A first character that matches nothing keeps the text of the key.
    e->SetKeyValue(20);
    SimulateText("z");
    EXPECT_EQ(e->Text(), "Bauer");
    EXPECT_FALSE(e->Searching());
}

TEST(LookupEdit, StepsFromTheShownKeyAndClearKey)
{
    EditorForm f;
    Customers c;
    auto* e = Explicit(f, c);
    e->SetKeyValue(30);
    c.ds->First();   // the list is elsewhere
    SimulateKey(VK_DOWN);
    EXPECT_EQ(e->KeyValue(), Variant(40)) << "the next row after the shown key";
    SimulateKey(VK_UP);
    SimulateKey(VK_UP);
    EXPECT_EQ(e->KeyValue(), Variant(20));
    e->SetDropDownRows(3);
    SimulateKey(VK_NEXT);
    EXPECT_EQ(e->KeyValue(), Variant(40));
    e->SetClearKey(ShortCut(VK_DELETE, {ssCtrl}));
    SimulateKey(VK_DELETE, {ssCtrl});
    EXPECT_TRUE(e->KeyValue().IsNull());
}

TEST(LookupEdit, PopupListHasAtMostTheListsRowsAndAcceptsTheKey)
{
    EditorForm f;
    Customers c;
    auto* e = Explicit(f, c);
    e->SetKeyValue(20);
    Variant closedWith;
    e->OnCloseUp = [&](TObject*, Variant& Value, bool&) { closedWith = Value; };
    SimulateKey(VK_F4);
    ASSERT_TRUE(e->DroppedDown());
    TPopupDBLookupListBox* list = e->PopupList();
    EXPECT_EQ(list->RecordCount(), 4);
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(list->Height(), list->HeightForRows(4)) << "4 records, DropDownRows 7";
    SimulateKey(VK_DOWN);
    SimulateKey(VK_RETURN);
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_EQ(closedWith, Variant(30));
    EXPECT_EQ(e->KeyValue(), Variant(30));
    EXPECT_EQ(e->Text(), "Schmidt");

    list->SetBorderKind(pbFrame3D);
    list->SetShadow(true);
    EXPECT_EQ(list->LayoutBorderWidth(), 8 + TPopupDBLookupListBox::ShadowSize);
}

TEST(LookupEdit, FieldModeWritesTheKeyFieldAndRefusesACircularLink)
{
    EditorForm f;
    Customers c;
    TMemoryDataSet orders(nullptr);
    orders.AddField("NO", ftInteger);
    orders.AddField("CUSTOMER", ftInteger);
    TField* name = orders.AddLookupField("CUSTNAME", ftString, 20, c.ds.get(), "CUSTOMER", "ID", "NAME");
    orders.Open();
    orders.AppendRecord({1, 30});
    auto* e = f.StandAlone<TdxInplaceLookupEdit>();
    e->SetLookupField(name);
    e->SetEditingValue(name->Value());
    EXPECT_EQ(e->Text(), "Schmidt");
    orders.Edit();
    SimulateText("bra");
    EXPECT_EQ(orders.FieldByName("CUSTOMER")->AsInteger(), 40);
    EXPECT_EQ(name->DisplayText(), "Braun");

    orders.Post();
    // A list source on the edited dataset itself.
    TDataSource ordersSource(nullptr);
    ordersSource.SetDataSet(&orders);
    e->SetFieldMode(false);
    e->SetListSource(&ordersSource);
    e->SetKeyFieldName("NO");
    EXPECT_THROW(e->SetKeyValue(1), EDatabaseError);
    EXPECT_EQ(orders.FieldByName("CUSTOMER")->AsInteger(), 40) << "nothing written";
    EXPECT_TRUE(e->KeyValue() == Variant(40));
}

} // namespace
} // namespace qel
