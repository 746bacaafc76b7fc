// The data-aware control's shared services (columns by field, bookmarks,
// preview text, naming) and the data-bound, typed and check columns.
#include "GridTestSupport.h"
#include "TestSupport.h"

#include "editors/CheckEdit.h"
#include "editors/CurrencyEdit.h"
#include "editors/DateEdit.h"
#include "editors/ImageEdit.h"
#include "editors/SpinEdit.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streaming.h"
#include "platform/data/Fields.h"
#include "platform/graphics/Bitmap.h"

#include <gtest/gtest.h>

namespace qel::test {

TEST(DBTreeListControl, ColumnsByFieldNameAndNaming)
{
    GridFixture f(3);
    EXPECT_EQ(f.grid->ColumnByFieldName("number")->FieldName(), "NUMBER");
    EXPECT_EQ(f.grid->FindColumnByFieldName("NOPE"), nullptr);
    EXPECT_EQ(MessageOf<EInvaliddxTreeListOperation>([&] { f.grid->ColumnByFieldName("NOPE"); }), "DBGrid1: Column by Field ''NOPE'' not found");
    EXPECT_EQ(f.grid->GetColumn(1)->Name(), "DBGrid1Column2");
    // The next name is taken already: the number moves on.
    auto* squatter = new TComponent(f.owner.get());
    squatter->SetName("DBGrid1Column5");
    EXPECT_EQ(f.grid->CreateColumnOf<TdxDBGridColumn>()->Name(), "DBGrid1Column6");
    EXPECT_EQ(f.grid->CreateColumn("TdxDBGridColumn")->Name(), "DBGrid1Column7");
    f.grid->SetDefaultFields(true);
    EXPECT_EQ(MessageOf<Exception>([&] { f.grid->CreateColumn("TdxDBGridColumn"); }),
              "DefaultFields property should be set to False");
}

TEST(DBTreeListControl, PreviewTextAndIndicatorWidth)
{
    GridFixture f(1, true, false);
    f.grid->SetPreviewMaxLength(5);
    EXPECT_EQ(f.grid->TruncPreviewText("Entrance"), "Entra...");
    EXPECT_EQ(f.grid->TruncPreviewText("Gat"), "Gat");
    f.grid->SetPreviewMaxLength(-3);
    EXPECT_EQ(f.grid->PreviewMaxLength(), 0);
    EXPECT_EQ(f.grid->TruncPreviewText("Entrance"), "Entrance");
    f.grid->SetGrIndicatorWidth(3);
    EXPECT_EQ(f.grid->GrIndicatorWidth(), TCustomdxTreeList::MinIndicatorWidth);
}

TEST(DBTreeListControl, BookmarkSelectionStaysSortedCachedAndPurged)
{
    GridFixture f(20);
    TDataSet* ds = f.ds;
    std::vector<TBookmark> marks;
    for (int i : {15, 3, 9}) {
        ds->Locate("NUMBER", i, {});
        marks.push_back(ds->GetBookmark());
        f.grid->AddSelectedBookmark(marks.back());
    }
    ASSERT_EQ(f.grid->SelectedBookmarkCount(), 3);
    for (int i = 1; i < 3; ++i)
        EXPECT_LT(ds->CompareBookmarks(f.grid->GetSelectedBookmark(i - 1), f.grid->GetSelectedBookmark(i)), 0);
    int index = -1;
    EXPECT_TRUE(f.grid->FindBookmark(marks[2], index));
    EXPECT_TRUE(f.grid->FindBookmark(marks[2], index));   // the cache answers the same
    EXPECT_EQ(index, 1);
    // Outside the list: insertion points at both ends.
    ds->First();
    const TBookmark low = ds->GetBookmark();
    EXPECT_FALSE(f.grid->FindBookmark(low, index));
    EXPECT_EQ(index, 0);
    // A deleted record's bookmark is purged before use.
    ds->Locate("NUMBER", 9, {});
    ds->Delete();
    f.grid->PurgeSelectedBookmarks();
    EXPECT_EQ(f.grid->SelectedBookmarkCount(), 2);
    EXPECT_FALSE(f.grid->FindBookmark(marks[2], index));
    EXPECT_EQ(f.grid->GetSelectedBookmark(7), "");
}

TEST(DBTreeListControl, RangeSelectionAddsEveryBookmarkOnce)
{
    GridFixture f(50);
    f.grid->SetOptions(f.grid->Options() + TdxDBGridOptions{egoMultiSelect});
    f.grid->SelectRange(f.grid->GetItem(10), f.grid->GetItem(19));
    EXPECT_EQ(f.grid->SelectedBookmarkCount(), 10);
    f.grid->SelectRange(f.grid->GetItem(15), f.grid->GetItem(24));
    EXPECT_EQ(f.grid->SelectedBookmarkCount(), 15);
    // The selection survives a reload.
    f.grid->ReloadNodes();
    EXPECT_EQ(f.grid->SelectedBookmarkCount(), 15);
    EXPECT_TRUE(f.grid->GetItem(12)->Selected());
}

TEST(DBTreeListControl, NodeKeysOrderEmptyFirstAndStably)
{
    GridFixture f(1);
    TdxDBGridNode a(nullptr), b(nullptr);
    EXPECT_LT(TCustomdxDBTreeListControl::CompareNodeKeys(Variant(), Variant(2)), 0);
    EXPECT_GT(TCustomdxDBTreeListControl::CompareNodeKeys(Variant(2), Variant()), 0);
    EXPECT_LT(TCustomdxDBTreeListControl::CompareNodeKeys(Variant::Null(), Variant(2)), 0);
    EXPECT_TRUE(a.Key().IsNull());   // no control, no record
    EXPECT_NE(a.Id(), b.Id());
    // Value records: a slot never written reads as flags 0 and two Nulls.
    EXPECT_EQ(a.GetVariantData(5).Flags, 0);
    EXPECT_TRUE(a.GetVariantData(5).Value.IsNull() && a.GetVariantData(5).LookupKey.IsNull());
    a.SetVariantData(3, TNodeVariantData{3, Variant(7), Variant("k")});
    EXPECT_EQ(a.GetVariantData(3).Value.AsInteger(), 7);
    EXPECT_EQ(a.GetVariantData(3).LookupKey.AsString(), "k");
    EXPECT_EQ(a.StoredValue(1), nullptr);
    EXPECT_EQ(dxVarCompare(Variant(1), Variant(1.0)), 0);
}

TEST(DBTreeListColumn, AMissingFieldGivesNeutralAnswers)
{
    GridFixture f(3);
    auto* c = f.grid->CreateColumnOf<TdxDBGridMaskColumn>();
    EXPECT_NO_THROW(c->SetFieldName("GHOST"));
    EXPECT_EQ(c->GetField(), nullptr);
    EXPECT_EQ(c->GetFieldDisplayText(), "");
    EXPECT_EQ(c->GetDefaultCaption(), "GHOST");
    EXPECT_EQ(c->GetDefaultMaxLength(), 0);
    EXPECT_FALSE(c->SameFieldValue(Variant("x")));
    EXPECT_FALSE(c->IsValidChar(U'a'));
    EXPECT_EQ(c->GetFilterVarType(), 13);
    EXPECT_EQ(c->EditMask(), "");
    f.grid->ReloadNodes();
    EXPECT_EQ(f.grid->GetItem(0)->GetString(c->Index()), "");
    EXPECT_EQ(f.grid->ColumnByFieldName("TITLE")->GetDefaultMaxLength(), 30);
    EXPECT_EQ(f.grid->ColumnByFieldName("NUMBER")->GetFilterVarType(), 3);
}

TEST(DBTreeListColumn, GroupAndSummarySettings)
{
    GridFixture f(5);
    auto* area = f.grid->ColumnByFieldName("AREA");
    area->SetGroupIndex(-5);
    EXPECT_EQ(area->GroupIndex(), -1);
    area->SetGroupIndex(0);
    EXPECT_EQ(area->GroupIndex(), 0);
    area->SetDisableGrouping(true);
    EXPECT_EQ(area->GroupIndex(), -1);
    EXPECT_EQ(f.grid->GroupColumnCount(), 0);
    area->SetSortBySummary(true);
    EXPECT_FALSE(area->SortBySummary());
}

TEST(DBTreeListColumn, MaskColumnFallsBackToTheFieldMask)
{
    GridFixture f(2);
    f.ds->FieldByName("TITLE")->SetEditMask("LLLL;0;_");
    auto* c = f.grid->CreateColumnOf<TdxDBGridMaskColumn>();
    c->SetFieldName("TITLE");
    EXPECT_EQ(c->EditMask(), "LLLL;0;_");
    EXPECT_FALSE(c->IsEditMaskStored());
    c->SetEditMask("LL;0;_");
    EXPECT_TRUE(c->IsEditMaskStored());
    f.ds->Edit();
    f.ds->FieldByName("TITLE")->SetAsString("");
    EXPECT_TRUE(c->SameFieldValue(Variant("__")));
}

TEST(DBTreeListColumn, ScratchObjectsTakeEverySettingWithoutADataset)
{
    // A stored grid or column is read into an object without owner, dataset or parent.
    TdxDBGrid grid(nullptr);
    grid.SetKeyField("NUMBER");
    grid.SetPreviewFieldName("TITLE");
    grid.SetOptions(grid.Options() + TdxDBGridOptions{egoLoadAllRecords, egoMultiSelect});
    grid.SetPartialLoad(true);
    grid.SetDefaultFields(true);
    grid.SetShowGroupPanel(true);
    TdxDBGridCheckColumn column(nullptr);
    column.SetFieldName("ACTIVE");
    column.SetGroupIndex(2);
    column.SetValueChecked("Y");
    column.SetSummaryType(cstSum);
    EXPECT_EQ(column.GroupIndex(), 2);
    EXPECT_EQ(column.GetField(), nullptr);
    TdxDBGridWrapperColumn wrapper(nullptr);
    wrapper.OnGetReferenceColumn = [&](TObject*, TdxTreeListNode*, TdxDBTreeListColumn*& c) { c = &wrapper; };
    EXPECT_EQ(wrapper.GetReferenceColumn(nullptr), nullptr);
    EXPECT_EQ(wrapper.GetFieldDisplayText(), "");
}

// An alignment the user or a stored grid set stays when the fields are bound
// again; one never set follows the field as it is bound now.
TEST(DBTreeListColumn, ASetAlignmentSurvivesRebindingAndAnUnsetOneFollowsTheField)
{
    GridFixture f(3, true, false);
    TdxDBTreeListColumn* number = f.grid->ColumnByFieldName("NUMBER");
    TdxDBTreeListColumn* title = f.grid->ColumnByFieldName("TITLE");
    title->SetAlignment(taCenter);   // before the data source
    f.grid->SetDataSource(f.source);
    number->SetAlignment(taCenter);
    f.ds->FieldByName("AREA")->SetAlignment(taRightJustify);
    f.ds->Close();
    f.ds->Open();
    EXPECT_EQ(title->Alignment(), taCenter);
    EXPECT_EQ(number->Alignment(), taCenter);
    TdxDBTreeListColumn* area = f.grid->ColumnByFieldName("AREA");
    EXPECT_FALSE(area->AlignmentAssigned());
    EXPECT_EQ(area->Alignment(), taRightJustify);
    EXPECT_EQ(f.grid->ColumnByFieldName("ACTIVE")->Alignment(), taCenter);   // a check column's own default

    // A stored grid keeps what was set, and only that.
    TMemoryStream stream;
    SaveComponentToMemory(f.grid, stream);
    TdxDBGrid copy(nullptr);
    LoadComponentFromMemory(stream, &copy, nullptr);
    EXPECT_TRUE(copy.ColumnByFieldName("TITLE")->AlignmentAssigned());
    EXPECT_EQ(copy.ColumnByFieldName("TITLE")->Alignment(), taCenter);
    EXPECT_FALSE(copy.ColumnByFieldName("AREA")->AlignmentAssigned());

    // Restoring the defaults hands the alignment back to the field.
    number->RestoreDefaults();
    EXPECT_EQ(number->Alignment(), f.ds->FieldByName("NUMBER")->Alignment());
}

TEST(DBTreeListColumn, StoredGroupIndexAppliesOnceTheDatasetIsThere)
{
    GridFixture f(10, true, false);
    f.grid->ColumnByFieldName("AREA")->SetGroupIndexDirect(0);
    f.grid->SetDataSource(f.source);
    EXPECT_EQ(f.grid->GroupColumnCount(), 1);
    EXPECT_EQ(f.grid->GetCount(), 4);
}

TEST(DBTreeListCheckColumn, StatesFromTexts)
{
    TdxDBTreeListCheckColumn c(nullptr);
    EXPECT_EQ(c.GetCheckState("true"), cbChecked);
    EXPECT_EQ(c.GetCheckState("TRUE"), cbChecked);
    EXPECT_EQ(c.GetCheckState("False"), cbUnchecked);
    EXPECT_EQ(c.GetCheckState(""), cbGrayed);
    EXPECT_EQ(c.GetCheckState("X"), cbGrayed);
    EXPECT_EQ(c.GetCheckText(cbGrayed), "");
    EXPECT_EQ(c.NormalizeCheckText("tRuE"), "True");
    c.SetValueChecked("X");
    c.SetValueUnchecked("_");
    EXPECT_EQ(c.GetCheckState("x"), cbChecked);
    c.SetValueUnchecked("X");
    EXPECT_EQ(c.GetCheckState("X"), cbChecked);   // the checked text wins
    EXPECT_EQ(c.GetFilterOperators(), 0xC3);
    std::unique_ptr<TdxInplaceEdit> filter = c.CreateFilterEditor(nullptr);
    auto* combo = dynamic_cast<TCustomdxFilterImageEdit*>(filter.get());
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->Values()->Count(), 3);
    EXPECT_EQ(combo->Values()->Get(0), "");   // grayed first
    EXPECT_FALSE(combo->IsInplace());
}

TEST(DBTreeListCheckColumn, ToggleWritesBackThroughTheDataset)
{
    GridFixture f(4);
    auto* active = static_cast<TdxDBGridCheckColumn*>(f.grid->ColumnByFieldName("ACTIVE"));
    f.grid->SetFocusedNode(f.grid->GetItem(1));   // record 2: True
    f.grid->SetFocusedColumn(active->Index());
    std::string toggledText;
    active->OnToggleClick = [&](TObject*, const std::string& Text, TCheckBoxState) { toggledText = Text; };
    f.grid->ShowEditor();
    ASSERT_TRUE(f.grid->IsEditing());
    auto* check = dynamic_cast<TdxInplaceCheckEdit*>(HostedEdit(f.grid->Editor()));
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->State(), cbChecked);
    check->Toggle();
    EXPECT_EQ(toggledText, "False");
    f.grid->HideEditor();
    EXPECT_EQ(f.ds->State(), dsEdit);
    EXPECT_EQ(f.grid->GetItem(1)->GetString(active->Index()), "False");
    f.ds->Post();
    f.ds->Locate("NUMBER", 2, {});
    EXPECT_FALSE(f.ds->FieldByName("ACTIVE")->AsBoolean());
    // A grayed box toggles to checked.
    TdxInplaceCheckEdit grayed(nullptr);
    grayed.SetState(cbGrayed);
    grayed.Toggle();
    EXPECT_EQ(grayed.State(), cbChecked);
}

TEST(DBTreeListCheckColumn, AnEditorLeftUntouchedKeepsTheNodesText)
{
    GridFixture f(2);
    f.grid->SetFocusedNode(f.grid->GetItem(0));
    f.grid->SetFocusedColumn(1);
    f.grid->ShowEditor();
    ASSERT_TRUE(f.grid->IsEditing());
    f.grid->CloseEditor();   // posts the value although nothing changed
    EXPECT_EQ(f.grid->GetItem(0)->GetString(1), "Door 1");
    EXPECT_EQ(f.ds->State(), dsBrowse);
}

TEST(DBTreeListTypedColumns, EditorsAreConfiguredFromTheColumn)
{
    GridFixture f(0, true, false);
    f.grid->SetBounds(0, 0, 1200, 300);
    f.ds->Close();   // closing a memory table drops its records
    f.ds->AddField("SINCE", ftDate);
    f.ds->AddField("FEE", ftCurrency);
    f.ds->Open();
    f.ds->AppendRecord({1, "Door 1", "North", true, Variant::Null(), 2.5});
    f.ds->AppendRecord({2, "Door 2", "South", false, Variant::Null(), Variant::Null()});
    auto* date = f.grid->CreateColumnOf<TdxDBGridDateColumn>();
    date->SetFieldName("SINCE");
    auto* spin = f.grid->CreateColumnOf<TdxDBGridSpinColumn>();
    spin->SetFieldName("NUMBER");
    spin->SetIncrement(5);
    auto* fee = f.grid->CreateColumnOf<TdxDBGridCurrencyColumn>();
    fee->SetFieldName("FEE");
    fee->SetDecimalPlaces(3);
    f.grid->SetDataSource(f.source);
    f.ds->First();
    auto* number = dynamic_cast<TIntegerField*>(f.ds->FieldByName("NUMBER"));
    number->SetMinValue(1);
    number->SetMaxValue(128);
    EXPECT_EQ(spin->MinValue(), 1);
    EXPECT_EQ(spin->MaxValue(), 128);
    EXPECT_FALSE(spin->IsMinValueStored());

    // A null date opens on the null date; writing the null date clears the field.
    f.grid->SetFocusedNode(f.grid->GetItem(0));
    f.grid->SetFocusedColumn(date->Index());
    f.grid->ShowEditor();
    auto* de = dynamic_cast<TdxInplaceDateEdit*>(HostedEdit(f.grid->Editor()));
    ASSERT_NE(de, nullptr);
    EXPECT_EQ(de->Date(), NullEditDate);
    f.grid->HideEditor();

    f.grid->SetFocusedColumn(spin->Index());
    f.grid->ShowEditor();
    auto* se = dynamic_cast<TdxInplaceSpinEdit*>(HostedEdit(f.grid->Editor()));
    ASSERT_NE(se, nullptr);
    EXPECT_EQ(se->MaxValue(), 128);
    f.grid->HideEditor();

    std::unique_ptr<TdxInplaceEdit> filter = fee->CreateFilterEditor(nullptr);
    EXPECT_NE(dynamic_cast<TdxInplaceCurrencyEdit*>(filter.get()), nullptr);
    Variant v;
    std::string text;
    fee->SetFilterEditValue(filter.get(), Variant::Null());
    fee->GetFilterEditText(filter.get(), v, text);
    EXPECT_EQ(v.AsDouble(), 0.0);
}

TEST(DBTreeListTypedColumns, MemoBlobAndHyperlinkTexts)
{
    GridFixture f(0, true, false);
    f.ds->Close();
    f.ds->AddField("NOTE", ftMemo);
    f.ds->Open();
    f.ds->AppendRecord({9, "Gate", "West", true, "A long note about the west gate"});
    auto* memo = f.grid->CreateColumnOf<TdxDBGridMemoColumn>();
    memo->SetFieldName("NOTE");
    memo->SetMaxDisplayLength(10);
    auto* blob = f.grid->CreateColumnOf<TdxDBGridBlobColumn>();
    blob->SetFieldName("NOTE");
    f.grid->SetDataSource(f.source);
    f.ds->Last();
    EXPECT_EQ(memo->GetFieldDisplayText(), "A long not");
    EXPECT_EQ(blob->GetFieldDisplayText(), "");   // an icon stands for the text
    EXPECT_EQ(GetBlobKindOfField(bkAuto, f.ds->FieldByName("NOTE")), bekMemo);

    TdxDBGridHyperLinkColumn link(nullptr);
    Variant v("http://x/?a=1&b=\"2\"<script>");
    ASSERT_TRUE(link.GetValueText(v, true));
    EXPECT_EQ(v.AsString(), "<a href=\"http://x/?a=1&amp;b=&quot;2&quot;&lt;script&gt;\">"
                            "http://x/?a=1&amp;b=&quot;2&quot;&lt;script&gt;</a>");
}

TEST(DBTreeListTypedColumns, PicturesGoOnlyIntoFieldsThatHoldThem)
{
    GridFixture f(1);
    f.ds->Edit();
    EXPECT_THROW(AssignPictureFromVariant(Variant(12345), f.ds->FieldByName("TITLE")), EInvaliddxTreeListOperation);
    EXPECT_EQ(f.ds->FieldByName("TITLE")->AsString(), "Door 1");
    AssignPictureFromVariant(Variant::Null(), f.ds->FieldByName("TITLE"));
    EXPECT_TRUE(f.ds->FieldByName("TITLE")->IsNull());
    auto picture = std::make_shared<TBitmap>();
    EXPECT_THROW(AssignPicture(picture, f.ds->FieldByName("TITLE")), EInvaliddxTreeListOperation);
}

TEST(DBTreeListTypedColumns, WrapperNeverBorrowsItselfOrAnotherWrapper)
{
    GridFixture f(2);
    auto* wrapper = f.grid->CreateColumnOf<TdxDBGridWrapperColumn>();
    auto* other = f.grid->CreateColumnOf<TdxDBGridWrapperColumn>();
    TdxDBTreeListColumn* answer = other;
    wrapper->OnGetReferenceColumn = [&](TObject*, TdxTreeListNode*, TdxDBTreeListColumn*& c) { c = answer; };
    other->OnGetReferenceColumn = [&](TObject*, TdxTreeListNode*, TdxDBTreeListColumn*& c) { c = wrapper; };
    EXPECT_EQ(wrapper->GetReferenceColumn(nullptr), nullptr);
    EXPECT_NO_THROW(wrapper->GetFieldDisplayText());
    answer = f.grid->ColumnByFieldName("TITLE");
    EXPECT_EQ(wrapper->GetFieldDisplayText(), "Door 1");
    answer = nullptr;
    EXPECT_EQ(wrapper->GetFieldDisplayText(), "");
}

} // namespace qel::test
