// What the typed columns hand to their in-place editors: the button column's
// buttons and glyphs, the drop-down glyph, pick, calculator, memo and
// hyperlink settings, and the editor colour the grid asks for.
#include "GridTestSupport.h"
#include "TestSupport.h"

#include "editors/ButtonEdit.h"
#include "editors/CalcEdit.h"
#include "editors/HyperLinkEdit.h"
#include "editors/MemoEdit.h"
#include "editors/PickEdit.h"
#include "platform/graphics/Bitmap.h"

#include <gtest/gtest.h>

#include <memory>

namespace qel::test {

namespace {

// Opens the editor of the first row's cell in Column.
template <class E>
E* OpenEditor(GridFixture& F, TdxDBTreeListColumn* Column)
{
    F.grid->HideEditor();
    F.grid->SetFocusedNode(F.grid->GetItem(0));
    F.grid->SetFocusedColumn(Column->Index());
    F.grid->ShowEditor();
    return dynamic_cast<E*>(HostedEdit(F.grid->Editor()));
}

std::unique_ptr<TBitmap> Glyph(int Width)
{
    auto b = std::make_unique<TBitmap>();
    b->SetSize(Width, 8);
    return b;
}

} // namespace

TEST(DBTreeListButtonColumn, ButtonsStartWithOneDefaultEllipsisAndReachTheEditor)
{
    GridFixture f(3, true, false);
    f.grid->SetBounds(0, 0, 900, 300);
    auto* column = f.grid->CreateColumnOf<TdxDBGridButtonColumn>();
    column->SetFieldName("TITLE");
    ASSERT_EQ(column->Buttons()->Count(), 1);
    EXPECT_EQ(column->Buttons()->Items(0)->Kind(), bkEllipsis);
    EXPECT_TRUE(column->Buttons()->Items(0)->Default());
    EXPECT_EQ(column->EditButtonStyle(), ebsEllipsis);

    column->Buttons()->Add()->SetKind(bkDown);
    column->Buttons()->Items(1)->SetWidth(20);
    column->SetButtonOnly(true);
    column->SetHideEditCursor(true);
    column->SetClickKey(TShortCut(scCtrl | VK_SPACE));
    int clicked = -1;
    column->OnButtonClick = [&](TObject*, int Index) { clicked = Index; };
    f.grid->SetDataSource(f.source);

    auto* e = OpenEditor<TdxInplaceButtonEdit>(f, column);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->Buttons()->Count(), 2);
    EXPECT_EQ(e->Buttons()->Items(1)->Kind(), bkDown);
    EXPECT_EQ(e->Buttons()->Items(1)->Width(), 20);
    EXPECT_TRUE(e->ButtonOnly());
    EXPECT_TRUE(e->HideEditCursor());
    EXPECT_EQ(e->ClickKey(), TShortCut(scCtrl | VK_SPACE));
    e->EditButtonClick(1);
    EXPECT_EQ(clicked, 1);

    // The editor owns a copy: changing it leaves the column's buttons alone.
    e->Buttons()->Items(0)->SetVisible(false);
    EXPECT_TRUE(column->Buttons()->Items(0)->Visible());
    f.grid->HideEditor();

    // The collection's limit holds, and restoring gives the one default button back.
    for (int i = column->Buttons()->Count(); i < MaxEditButtons; ++i)
        column->Buttons()->Add();
    EXPECT_THROW(column->Buttons()->Add(), EdxEditError);
    column->Buttons()->RestoreDefaults();
    ASSERT_EQ(column->Buttons()->Count(), 1);
    EXPECT_TRUE(column->Buttons()->Items(0)->Default());
}

TEST(DBTreeListButtonColumn, GlyphStyleDrawsTheColumnsGlyphOnTheDefaultButton)
{
    GridFixture f(3, true, false);
    f.grid->SetBounds(0, 0, 900, 300);
    auto* column = f.grid->CreateColumnOf<TdxDBGridButtonColumn>();
    column->SetFieldName("TITLE");
    column->Buttons()->Insert(0)->SetKind(bkDown);   // the default one is now second
    column->SetGlyph(Glyph(12).get());
    column->SetEditButtonStyle(ebsGlyph);
    f.grid->SetDataSource(f.source);

    auto* e = OpenEditor<TdxInplaceButtonEdit>(f, column);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Buttons()->Items(0)->Kind(), bkDown);
    EXPECT_EQ(e->Buttons()->Items(1)->Kind(), bkGlyph);
    ASSERT_TRUE(e->Buttons()->Items(1)->HasGlyph());
    EXPECT_EQ(e->Buttons()->Items(1)->Glyph()->Width(), 12);
    // The column's own collection keeps what the user set.
    EXPECT_EQ(column->Buttons()->Items(1)->Kind(), bkEllipsis);
    f.grid->HideEditor();

    // Assign copies the buttons and the glyph; nullptr frees the glyph.
    auto* copy = f.grid->CreateColumnOf<TdxDBGridButtonColumn>();
    copy->Assign(column);
    EXPECT_EQ(copy->Buttons()->Count(), 2);
    EXPECT_EQ(copy->EditButtonStyle(), ebsGlyph);
    ASSERT_TRUE(copy->HasGlyph());
    EXPECT_EQ(copy->Glyph()->Width(), 12);
    copy->SetGlyph(nullptr);
    EXPECT_FALSE(copy->HasGlyph());
    EXPECT_TRUE(column->HasGlyph());
}

TEST(DBTreeListTypedColumns, DropDownPickCalcMemoAndHyperlinkSettingsReachTheirEditors)
{
    GridFixture f(3, true, false);
    f.grid->SetBounds(0, 0, 1400, 300);
    auto* pick = f.grid->CreateColumnOf<TdxDBGridPickColumn>();
    pick->SetFieldName("AREA");
    pick->Items() = {"North", "South", "East"};
    pick->SetDropDownListStyle(true);
    pick->SetDropDownRows(3);
    pick->SetButtonGlyph(Glyph(10).get());
    auto* mru = f.grid->CreateColumnOf<TdxDBGridMRUColumn>();
    mru->SetFieldName("TITLE");
    mru->SetMaxItemCount(3);
    auto* calc = f.grid->CreateColumnOf<TdxDBGridCalcColumn>();
    calc->SetFieldName("NUMBER");
    calc->SetPrecision(5);
    auto* memo = f.grid->CreateColumnOf<TdxDBGridMemoColumn>();
    memo->SetFieldName("TITLE");
    memo->SetWordWrap(false);
    auto* link = f.grid->CreateColumnOf<TdxDBGridHyperLinkColumn>();
    link->SetFieldName("TITLE");
    link->SetSingleClick(true);
    f.grid->SetDataSource(f.source);

    auto* pe = OpenEditor<TdxInplacePickEdit>(f, pick);
    ASSERT_NE(pe, nullptr);
    ASSERT_EQ(pe->Items()->Count(), 3);
    EXPECT_EQ(pe->Items()->Get(2), "East");
    EXPECT_TRUE(pe->DropDownListStyle());
    EXPECT_EQ(pe->DropDownRows(), 3);
    EXPECT_EQ(pe->ButtonGlyph()->Width(), 10);
    EXPECT_EQ(pe->Text(), "North");

    auto* me = OpenEditor<TdxInplaceMRUEdit>(f, mru);
    ASSERT_NE(me, nullptr);
    EXPECT_EQ(me->MaxItemCount(), 3);
    auto* ce = OpenEditor<TdxInplaceCalcEdit>(f, calc);
    ASSERT_NE(ce, nullptr);
    EXPECT_EQ(ce->Precision(), 5);
    auto* memoEdit = OpenEditor<TdxInplaceMemoEdit>(f, memo);
    ASSERT_NE(memoEdit, nullptr);
    EXPECT_FALSE(memoEdit->WordWrap());
    auto* le = OpenEditor<TdxInplaceHyperLinkEdit>(f, link);
    ASSERT_NE(le, nullptr);
    EXPECT_TRUE(le->SingleClick());
    f.grid->HideEditor();

    // A drop-down column copied keeps its glyph; the copy is its own.
    auto* copy = f.grid->CreateColumnOf<TdxDBGridPickColumn>();
    copy->Assign(pick);
    EXPECT_EQ(copy->ButtonGlyph()->Width(), 10);
    pick->SetButtonGlyph(nullptr);
    EXPECT_FALSE(pick->HasButtonGlyph());
    EXPECT_TRUE(copy->HasButtonGlyph());
}

TEST(DBTreeListControl, TheEditorTakesTheGridColourOrWhatOnGetEditColorAnswers)
{
    GridFixture f(3);
    f.grid->SetColor(clInfoBk);
    f.grid->SetFocusedNode(f.grid->GetItem(1));
    f.grid->SetFocusedColumn(1);
    f.grid->ShowEditor();
    ASSERT_NE(HostedEdit(f.grid->Editor()), nullptr);
    EXPECT_EQ(HostedEdit(f.grid->Editor())->Color(), clInfoBk);
    f.grid->HideEditor();

    TdxTreeListNode* askedNode = nullptr;
    int askedColumn = -1;
    f.grid->OnGetEditColor = [&](TObject* Sender, TdxTreeListNode* Node, TColor& Color, int Column) {
        EXPECT_EQ(Sender, f.grid);
        EXPECT_EQ(Color, clInfoBk);
        askedNode = Node;
        askedColumn = Column;
        Color = clYellow;
    };
    f.grid->ShowEditor();
    ASSERT_NE(HostedEdit(f.grid->Editor()), nullptr);
    EXPECT_EQ(HostedEdit(f.grid->Editor())->Color(), clYellow);
    EXPECT_EQ(askedNode, f.grid->GetItem(1));
    EXPECT_EQ(askedColumn, 1);
}

} // namespace qel::test
