// Popup and extended lookup columns: sizes and clamps, defaults, the
// extended lookup editor's search with roll-back, clearing, its write-back
// (a mismatch of key counts reported, an empty list choosing nothing), the
// drop-down grid's keyboard and mouse close-up.
#include "TestSupport.h"

#include "dbgrid/ExtLookup.h"
#include "dbgrid/GridLayouts.h"
#include "editors/LookupEdit.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Messages.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(PopupColumn, SizesAreClampedToTheirMinimums)
{
    TdxDBGridPopupColumn c(nullptr);
    EXPECT_EQ(c.PopupHeight(), 200);
    EXPECT_EQ(c.PopupWidth(), 250);
    c.SetPopupHeight(50);
    EXPECT_EQ(c.PopupHeight(), 100);
    c.SetPopupMinWidth(-5);
    EXPECT_EQ(c.PopupMinWidth(), 0);
    c.SetPopupWidth(10);
    EXPECT_EQ(c.PopupWidth(), 10);
    c.SetPopupMinWidth(300);
    EXPECT_EQ(c.PopupWidth(), 300) << "a new minimum raises the size";

    TdxDBGridExtLookupColumn x(nullptr);
    EXPECT_EQ(x.PopupHeight(), 240);
    EXPECT_EQ(x.PopupWidth(), 320);
    EXPECT_FALSE(x.PopupAutoSize());
    EXPECT_EQ(x.PopupFormBorderStyle(), 3);
    EXPECT_TRUE(x.ChooseByDblClick());
    x.SetPickListField("ID");
    x.SetUseDefaultSettings(false);
    x.SetPopupHeight(400);
    TdxDBGridExtLookupColumn y(nullptr);
    y.Assign(&x);
    EXPECT_EQ(y.PickListField(), "ID");
    EXPECT_FALSE(y.UseDefaultSettings());
    EXPECT_EQ(y.PopupHeight(), 400);
    y.RestoreDefaults();
    EXPECT_EQ(y.PopupHeight(), 240);
    EXPECT_TRUE(y.UseDefaultSettings());
}

// Orders with a CUSTOMER key shown as CUSTNAME from the customers; an
// extended lookup editor on a shown form edits CUSTNAME.
struct ExtLookupFixture {
    ExtLookupFixture()
    {
        customers = std::make_unique<TMemoryDataSet>(nullptr);
        customers->AddField("ID", ftInteger);
        customers->AddField("NAME", ftString, 20);
        customers->Open();
        for (auto [id, name] : {std::pair{10, "Becker"}, {20, "Bauer"}, {30, "Schmidt"}, {40, "Braun"}})
            customers->AppendRecord({id, name});
        customers->First();
        customerSource = std::make_unique<TDataSource>(nullptr);
        customerSource->SetDataSet(customers.get());
        orders = std::make_unique<TMemoryDataSet>(nullptr);
        orders->AddField("NO", ftInteger);
        orders->AddField("CUSTOMER", ftInteger);
        custName = orders->AddLookupField("CUSTNAME", ftString, 20, customers.get(), "CUSTOMER", "ID", "NAME");
        orders->Open();
        orders->AppendRecord({1, 30});
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(100, 100, 400, 300);
        form->Show();
        editor = new TdxInplaceExtLookupEdit(form.get());
        editor->SetParent(form.get());
        editor->SetBounds(10, 10, 150, 21);
        editor->Show();
        editor->SetFocus();
        editor->SetField(custName);
        editor->SetText(custName->DisplayText());
        // The layout: a grid over the customers.
        TdxDBGrid source(nullptr);
        source.SetKeyField("ID");
        layout = std::make_unique<TdxDBGridLayout>(nullptr);
        layout->Assign(&source);
    }
    ~ExtLookupFixture() { form.reset(); }

    int Customer() const { return orders->FieldByName("CUSTOMER")->AsInteger(); }

    std::unique_ptr<TMemoryDataSet> customers;
    std::unique_ptr<TDataSource> customerSource;
    std::unique_ptr<TMemoryDataSet> orders;
    TField* custName = nullptr;
    std::unique_ptr<TForm> form;
    TdxInplaceExtLookupEdit* editor = nullptr;
    std::unique_ptr<TdxDBGridLayout> layout;
};

TEST(ExtLookupEdit, SearchWritesTheKeyAndRollsBackARejectedCharacter)
{
    ExtLookupFixture f;
    EXPECT_EQ(f.editor->Text(), "Schmidt");
    EXPECT_FALSE(f.editor->CanModify()) << "a lookup field's text is never typed";
    SimulateText("br");
    EXPECT_EQ(f.editor->Text(), "Braun");
    EXPECT_EQ(f.editor->SelText(), "aun");
    EXPECT_EQ(f.Customer(), 40);
    SimulateText("x");
    EXPECT_EQ(f.editor->Text(), "Braun") << "back to the text before the rejected character";
    EXPECT_EQ(f.editor->SearchText(), "br");
    EXPECT_TRUE(f.editor->DroppedDown()) << "a rejected character opens the list";
    f.editor->CloseUp(false);

    // A first character matching nothing shows the field's text again.
    f.editor->SetEditingValue(Variant("Braun"));
    SimulateText("z");
    EXPECT_EQ(f.editor->Text(), "Braun");
    EXPECT_FALSE(f.editor->Searching());
}

TEST(ExtLookupEdit, ClearingNeedsCanDeleteTextOrAClearKey)
{
    ExtLookupFixture f;
    f.editor->SelectAll();
    SimulateKey(VK_DELETE);
    EXPECT_EQ(f.Customer(), 30) << "no CanDeleteText";
    SimulateKey(VK_DELETE, {ssCtrl});
    EXPECT_EQ(f.Customer(), 30) << "a ClearKey of 0 never clears";
    f.editor->SetClearKey(ShortCut(VK_DELETE, {ssCtrl}));
    SimulateKey(VK_DELETE, {ssCtrl});
    EXPECT_TRUE(f.orders->FieldByName("CUSTOMER")->IsNull());
}

TEST(ExtLookupEdit, KeyCountMismatchIsReported)
{
    ExtLookupFixture f;
    // A non-lookup field whose pick-list names two fields.
    f.editor->SetField(f.orders->FieldByName("CUSTOMER"));
    f.editor->Grid()->SetDataSource(f.customerSource.get());
    f.editor->SetPickListField("ID;NAME");
    EXPECT_THROW(f.editor->AssignValue(false), EDatabaseError);
    EXPECT_EQ(f.Customer(), 30);
    f.editor->SetPickListField("ID");
    f.customers->Locate("ID", 20, {});
    f.editor->AssignValue(false);
    EXPECT_EQ(f.Customer(), 20);
}

TEST(ExtLookupEdit, PopupWithoutLayoutAndAcceptOnAnEmptyList)
{
    ExtLookupFixture f;
    f.editor->DropDown();
    EXPECT_EQ(f.editor->PopupControl(), nullptr) << "no layout, no control";
    f.editor->CloseUp(false);

    // An empty lookup list: accepting chooses nothing instead of clearing.
    f.customers->EmptyTable();
    f.editor->SetDBGridLayout(f.layout.get());
    f.editor->DropDown();
    f.editor->CloseUp(true);
    EXPECT_EQ(f.Customer(), 30);
}

TEST(ExtLookupEdit, DefaultSettingsOrTheLayoutsOwnOptions)
{
    ExtLookupFixture f;
    f.editor->SetDBGridLayout(f.layout.get());
    ASSERT_TRUE(f.editor->ApplyGridLayout());
    EXPECT_TRUE(f.editor->Grid()->GetOptionsEx().Contains(aoAutoSearch));
    EXPECT_FALSE(f.editor->Grid()->GetOptions().Contains(aoEditing));
    EXPECT_EQ(f.editor->Grid()->BorderStyle(), bsNone);
    f.editor->SetUseDefaultSettings(false);
    ASSERT_TRUE(f.editor->ApplyGridLayout());
    const TdxDBGrid plain(nullptr);
    EXPECT_EQ(f.editor->Grid()->GetOptionsEx(), plain.GetOptionsEx());
    EXPECT_EQ(f.editor->Grid()->GetOptions(), plain.GetOptions());
    EXPECT_EQ(f.editor->Grid()->BorderStyle(), bsSingle);
    // The layout's key field came along.
    EXPECT_EQ(f.editor->GetPickListField(), f.editor->Grid()->KeyField());
}

TEST(ExtLookupEdit, DropDownGridClosesByKeyboardAndMouse)
{
    ExtLookupFixture f;
    f.editor->SetDBGridLayout(f.layout.get());
    int closed = 0;
    bool accepted = false;
    f.editor->OnCloseUp = [&](TObject*, std::string&, bool& Accept) { ++closed; accepted = Accept; };
    TdxExtLookupDBGrid* grid = f.editor->Grid();

    f.editor->DropDown();
    ASSERT_TRUE(f.editor->DroppedDown());
    std::uint16_t key = VK_ESCAPE;
    grid->KeyDown(key, {});
    EXPECT_FALSE(f.editor->DroppedDown());
    EXPECT_FALSE(accepted);

    f.editor->DropDown();
    key = VK_F4;
    grid->KeyDown(key, {});
    EXPECT_FALSE(f.editor->DroppedDown());

    // Enter accepts and takes out the Enter's pending character.
    f.editor->DropDown();
    f.customers->Locate("ID", 20, {});
    PostMessage(grid, WM_CHAR, 13);
    key = VK_RETURN;
    grid->KeyDown(key, {});
    EXPECT_FALSE(f.editor->DroppedDown());
    EXPECT_TRUE(accepted);
    EXPECT_EQ(f.Customer(), 20);
    TMessage m;
    EXPECT_FALSE(PeekMessage(m, grid, WM_CHAR, WM_CHAR, false));
    EXPECT_EQ(closed, 3);

    // A double click chooses (ChooseByDblClick).
    f.editor->DropDown();
    f.customers->Locate("ID", 40, {});
    SimulateDblClick(grid, 20, 30);
    EXPECT_FALSE(f.editor->DroppedDown());
    EXPECT_EQ(f.Customer(), 40);
}

TEST(ExtLookupEdit, TypedTextReachesTheOpenedGridAsPostedCharacters)
{
    ExtLookupFixture f;
    // The layout brings the columns along.
    TdxDBGrid source(nullptr);
    source.SetKeyField("ID");
    source.CreateColumnOf<TdxDBGridColumn>()->SetFieldName("ID");
    source.CreateColumnOf<TdxDBGridColumn>()->SetFieldName("NAME");
    f.layout->Assign(&source);
    f.editor->SetDBGridLayout(f.layout.get());
    f.editor->SetImmediateDropDown(true);
    TdxExtLookupDBGrid* grid = f.editor->Grid();
    SimulateText("b");
    ASSERT_TRUE(f.editor->DroppedDown());
    EXPECT_EQ(grid->SearchColumn(), 1) << "the result field's column searches";
    TMessage m;
    ASSERT_TRUE(PeekMessage(m, grid, WM_CHAR, WM_CHAR, true));
    EXPECT_EQ(m.WParam, static_cast<std::uintptr_t>('b'));
    EXPECT_FALSE(PeekMessage(m, grid, WM_CHAR, WM_CHAR, false));
    f.editor->CloseUp(false);
}

} // namespace
} // namespace qel
