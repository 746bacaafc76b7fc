// Input: keys, header and band drags, and the click and expand timers.
#include "TreeListTestSupport.h"

#include "platform/controls/Automation.h"
#include "platform/controls/Clock.h"
#include "platform/controls/Keyboard.h"
#include "platform/graphics/Bitmap.h"
#include "TestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace qel;
using qel::test::EditColumn;
using qel::test::HeaderOrder;
using qel::test::Mid;
using qel::test::TreeFixture;

namespace {

// A tree list with a drop area of its own, as the grid has its group panel.
class ClaimingTree : public TdxTreeList {
public:
    using TdxTreeList::TdxTreeList;
    TRect Area;
    TdxHeaderDropPlace Answer;
    std::vector<int> Asked;   // the columns the hook was asked about

protected:
    bool DoColumnDragOver(int Column, TPoint Point, TdxHeaderDropPlace& Place) override
    {
        if (!Area.Contains(Point))
            return false;
        Asked.push_back(Column);
        Place = Answer;
        return true;
    }
};


std::uint16_t Press(TCustomdxTreeList& Tree, std::uint16_t Key, TShiftState Shift = {})
{
    Tree.KeyDown(Key, Shift);
    return Key;
}

} // namespace

// A key passes the search, then the editor, then the moves; each may keep it.
TEST(TreeListKeyboard, AKeyPassesFromTheSearchThroughTheEditorToTheMoves)
{
    TreeFixture f;
    auto* apfel = f.Add(nullptr, "Apfel");
    auto* birne = f.Add(nullptr, "Birne");
    auto* banane = f.Add(nullptr, "Banane");
    auto* kirsche = f.Add(nullptr, "Kirsche");
    f.tree->SetFocusedNode(apfel);
    f.tree->SetFocusedColumn(0);

    // Searching: modifier keys keep the search, Ctrl+Down finds the next
    // match, any other key ends the search and then does its own work.
    f.tree->StartSearch(0);
    ASSERT_TRUE(f.tree->SearchAppend("B"));
    EXPECT_EQ(f.tree->GetFocusedNode(), birne);
    EXPECT_EQ(Press(*f.tree, VK_SHIFT), VK_SHIFT);
    EXPECT_TRUE(f.tree->IsSearching());
    EXPECT_EQ(Press(*f.tree, VK_DOWN, {ssCtrl}), 0);
    EXPECT_EQ(f.tree->GetFocusedNode(), banane);
    EXPECT_TRUE(f.tree->IsSearching());
    EXPECT_EQ(Press(*f.tree, VK_DOWN), 0);
    EXPECT_FALSE(f.tree->IsSearching());
    EXPECT_EQ(f.tree->GetFocusedNode(), kirsche);

    // Editing: the editor keeps the keys it uses; Enter posts and, with
    // aoEnterThrough, goes on to the next column; Down posts and moves.
    auto* col = f.tree->CreateColumnOf<EditColumn>();
    const int edit = col->GetColumnIndex();
    f.tree->SetOptionsEx(f.tree->OptionsEx() + TdxTreeListOptionsEx{aoEnterThrough});
    f.tree->SetFocusedNode(apfel);
    f.tree->SetFocusedColumn(edit - 1);
    EXPECT_EQ(Press(*f.tree, VK_RIGHT), 0);
    EXPECT_EQ(f.tree->GetFocusedColumn(), edit);
    EXPECT_EQ(Press(*f.tree, VK_F2), 0);
    ASSERT_TRUE(f.tree->IsEditing());
    EXPECT_EQ(Press(*f.tree, VK_LEFT), VK_LEFT) << "the editor moves its caret";
    EXPECT_EQ(f.tree->GetFocusedColumn(), edit);
    f.tree->Editor()->SetEditingValue(Variant("sour"));
    EXPECT_EQ(Press(*f.tree, VK_DOWN), 0);
    EXPECT_FALSE(f.tree->IsEditing());
    EXPECT_EQ(apfel->GetString(edit), "sour");
    EXPECT_EQ(f.tree->GetFocusedNode(), birne);
    f.tree->SetFocusedColumn(0);
    f.tree->ShowEditor();
    ASSERT_TRUE(f.tree->IsEditing());
    EXPECT_EQ(Press(*f.tree, VK_RETURN), 0);
    EXPECT_FALSE(f.tree->IsEditing());
    EXPECT_EQ(f.tree->GetFocusedColumn(), 1);
    EXPECT_EQ(f.tree->GetFocusedNode(), birne);

    // Keys the tree list leaves to others: Tab without aoTabs, Space without
    // Ctrl or without multi-select.
    EXPECT_EQ(Press(*f.tree, VK_TAB), VK_TAB);
    EXPECT_EQ(Press(*f.tree, VK_SPACE, {ssCtrl}), VK_SPACE);
    f.tree->SetOptions(f.tree->Options() + TdxTreeListOptions{aoMultiSelect});
    EXPECT_EQ(Press(*f.tree, VK_SPACE), VK_SPACE);
    EXPECT_EQ(Press(*f.tree, VK_SPACE, {ssCtrl}), 0);
    EXPECT_TRUE(birne->Selected());
}

// Page keys move by the rows on screen less one; Home and End go to the first
// and last column, or with Ctrl (or whole-row selection) to the first and last row.
TEST(TreeListKeyboard, PageHomeAndEndKeys)
{
    TreeFixture f(400, 120);
    for (int i = 0; i < 30; ++i)
        f.Add(nullptr, "N" + std::to_string(i));
    f.tree->SetFocusedNode(f.tree->GetItem(0));
    f.tree->SetFocusedColumn(1);
    const int page = f.tree->CalcRectInfo().VisibleRowCount - 1;
    ASSERT_GT(page, 1);
    Press(*f.tree, VK_NEXT);
    EXPECT_EQ(f.tree->GetAbsoluteIndex(f.tree->GetFocusedNode()), page);
    Press(*f.tree, VK_PRIOR);
    EXPECT_EQ(f.tree->GetAbsoluteIndex(f.tree->GetFocusedNode()), 0);
    Press(*f.tree, VK_END);
    EXPECT_EQ(f.tree->GetFocusedColumn(), 2);
    EXPECT_EQ(f.tree->GetAbsoluteIndex(f.tree->GetFocusedNode()), 0);
    Press(*f.tree, VK_END, {ssCtrl});
    EXPECT_EQ(f.tree->GetAbsoluteIndex(f.tree->GetFocusedNode()), 29);
    Press(*f.tree, VK_HOME);
    EXPECT_EQ(f.tree->GetFocusedColumn(), 0);
    EXPECT_EQ(f.tree->GetAbsoluteIndex(f.tree->GetFocusedNode()), 29);
    f.tree->SetOptions(f.tree->Options() + TdxTreeListOptions{aoRowSelect});
    Press(*f.tree, VK_HOME);
    EXPECT_EQ(f.tree->GetAbsoluteIndex(f.tree->GetFocusedNode()), 0);
}

TEST(TreeListKeyboard, CursorKeysMoveFocusExpandAndChangeColumns)
{
    TreeFixture f;
    auto* a = f.Add(nullptr, "A");
    auto* a1 = f.Add(a, "A1");
    auto* b = f.Add(nullptr, "B");
    f.tree->SetOptions(f.tree->Options() + TdxTreeListOptions{aoTabs});
    f.tree->SetFocusedNode(a);
    f.tree->SetFocusedColumn(0);
    auto press = [&](std::uint16_t Key, TShiftState Shift = {}) {
        f.tree->KeyDown(Key, Shift);
        return Key;
    };
    EXPECT_EQ(press(VK_DOWN), 0);
    EXPECT_EQ(f.tree->GetFocusedNode(), b);
    press(VK_UP);
    press(VK_RIGHT, {ssCtrl});
    EXPECT_TRUE(a->Expanded());
    press(VK_RIGHT, {ssCtrl});
    EXPECT_EQ(f.tree->GetFocusedNode(), a1);
    press(VK_LEFT, {ssCtrl});
    EXPECT_EQ(f.tree->GetFocusedNode(), a);
    press(VK_SUBTRACT);
    EXPECT_FALSE(a->Expanded());
    press(VK_RIGHT);
    EXPECT_EQ(f.tree->GetFocusedColumn(), 1);
    press(VK_END);
    EXPECT_EQ(f.tree->GetFocusedColumn(), 2);
    press(VK_TAB);   // through to the next row's first column
    EXPECT_EQ(f.tree->GetFocusedNode(), b);
    EXPECT_EQ(f.tree->GetFocusedColumn(), 0);
    press(VK_TAB, {ssShift});
    EXPECT_EQ(f.tree->GetFocusedNode(), a);
    EXPECT_EQ(f.tree->GetFocusedColumn(), 2);
    EXPECT_EQ(press(VK_F5), VK_F5);   // not a tree list key

    // Type-to-search with the auto-search option.
    f.tree->SetOptionsEx(f.tree->OptionsEx() + TdxTreeListOptionsEx{aoAutoSearch});
    f.tree->SetFocusedColumn(0);
    TKeyChar ch = U'b';
    f.tree->KeyPress(ch);
    EXPECT_EQ(f.tree->GetFocusedNode(), b);
    EXPECT_TRUE(f.tree->IsSearching());
}

TEST(TreeListHeader, DraggingAHeaderMovesTheColumn)
{
    TreeFixture f;
    f.Add(nullptr, "A");
    const TRect kind = f.tree->GetHeaderRect(2);
    const TRect name = f.tree->GetHeaderRect(0);
    const TPoint from = Mid(kind);
    f.tree->MouseDown(mbLeft, {}, from.X, from.Y);
    f.tree->MouseMove({}, from.X - 2, from.Y);   // within the threshold: still a press
    EXPECT_FALSE(f.tree->IsColumnDragging());
    f.tree->MouseMove({}, name.Left + 5, from.Y);
    EXPECT_TRUE(f.tree->IsColumnDragging());
    EXPECT_EQ(f.tree->DragTarget(), hdtHeader);
    EXPECT_EQ(f.tree->DragTargetPosition(), 0);
    EXPECT_FALSE(f.tree->DragArrowsRect().IsEmpty());
    // The header's image and the arrows float in overlays, not on the control.
    ASSERT_NE(f.tree->DragImageOverlay(), nullptr);
    EXPECT_EQ(f.tree->DragImageOverlay()->Image()->Width(), kind.Width());
    ASSERT_NE(f.tree->DragArrowsOverlay(), nullptr);
    EXPECT_TRUE(f.tree->DragArrowsOverlay()->Visible());
    f.tree->MouseUp(mbLeft, {}, name.Left + 5, from.Y);
    EXPECT_EQ(f.tree->DragImageOverlay(), nullptr);
    EXPECT_EQ(f.tree->DragArrowsOverlay(), nullptr);
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(f.colKind->ColIndex(), 0);

    // Cancelled drags change nothing; a drop on the customizing area hides.
    f.tree->BeginColumnDrag(0, 10, 10);
    f.tree->DragColumnTo(300, 5);
    f.tree->EndColumnDrag(false);
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{2, 0, 1}));
    f.tree->ColumnsCustomizing();
    f.tree->SetCustomizingRect(Rect(0, 200, 400, 300));
    f.tree->BeginColumnDrag(1, 10, 10);
    f.tree->DragColumnTo(50, 250);
    EXPECT_EQ(f.tree->DragTarget(), hdtCustomizing);
    f.tree->EndColumnDrag(true);
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{2, 0}));
    EXPECT_EQ(f.tree->HiddenColumns(), (std::vector<int>{1}));
    f.tree->ShowColumnAt(1, 0, 0, 0);
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{1, 2, 0}));
}

TEST(TreeListHeader, ASubclassMayClaimADropAreaOfItsOwn)
{
    TComponent owner(nullptr);
    auto* tree = new ClaimingTree(&owner);
    tree->SetBounds(0, 0, 400, 300);
    for (int w : {150, 80, 100})
        tree->CreateColumn()->SetWidth(w);
    // Right of the last header, where the tree list would otherwise offer the end of the row.
    tree->Area = Rect(340, 0, 400, 300);
    tree->Answer.Arrows = Rect(340, 2, 349, 20);
    tree->Answer.Cursor = crNoDrop;
    const int y = Mid(tree->GetHeaderRect(0)).Y;

    tree->BeginColumnDrag(0, 20, y);
    tree->DragColumnTo(360, y);
    EXPECT_EQ(tree->DragTarget(), hdtClaimed);
    EXPECT_EQ(tree->DragArrowsRect(), tree->Answer.Arrows);
    ASSERT_NE(tree->DragArrowsOverlay(), nullptr);
    EXPECT_EQ(tree->DragArrowsOverlay()->Height(), 18 + 12);
    EXPECT_EQ(tree->Cursor(), crNoDrop);
    EXPECT_EQ(tree->Asked, (std::vector<int>{0}));
    // Off the area: the tree list's own header place, and its own cursor.
    tree->DragColumnTo(Mid(tree->GetHeaderRect(2)).X, y);
    EXPECT_EQ(tree->DragTarget(), hdtHeader);
    EXPECT_EQ(tree->Cursor(), crDefault);
    EXPECT_NE(tree->DragArrowsRect(), tree->Answer.Arrows);
    // Dropped on the area: the tree list itself moves and hides nothing.
    tree->DragColumnTo(360, y);
    tree->EndColumnDrag(true);
    EXPECT_EQ(HeaderOrder(*tree), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(tree->Cursor(), crDefault);
    EXPECT_EQ(tree->DragArrowsOverlay(), nullptr);

    // A claim without arrows shows none; the customizing window comes before any claim.
    tree->Answer.Arrows = {};
    tree->BeginColumnDrag(1, 160, y);
    tree->DragColumnTo(360, y);
    EXPECT_EQ(tree->DragTarget(), hdtClaimed);
    EXPECT_EQ(tree->DragArrowsOverlay(), nullptr);
    tree->ColumnsCustomizing();
    tree->SetCustomizingRect(Rect(300, 100, 400, 300));
    tree->DragColumnTo(360, 150);
    EXPECT_EQ(tree->DragTarget(), hdtCustomizing);
    EXPECT_EQ(tree->Cursor(), crDefault);
    tree->EndColumnDrag(true);
    EXPECT_EQ(HeaderOrder(*tree), (std::vector<int>{0, 2}));
    tree->EndColumnsCustomizing();
}

TEST(TreeListHeader, EscCancelsAHeaderDrag)
{
    TreeFixture f;
    std::vector<int> clicks;
    f.tree->OnColumnClick = [&](TObject*, int Column) { clicks.push_back(Column); };
    const TPoint from = Mid(f.tree->GetHeaderRect(2));
    const TPoint to = Mid(f.tree->GetHeaderRect(0));
    f.tree->MouseDown(mbLeft, {}, from.X, from.Y);
    f.tree->MouseMove({ssLeft}, to.X, to.Y);
    ASSERT_TRUE(f.tree->IsColumnDragging());
    std::uint16_t key = VK_ESCAPE;
    f.tree->KeyDown(key, {});
    EXPECT_EQ(key, 0);
    EXPECT_FALSE(f.tree->IsColumnDragging());
    EXPECT_EQ(f.tree->DragArrowsOverlay(), nullptr);
    EXPECT_EQ(f.tree->DragImageOverlay(), nullptr);
    // The release afterwards neither drops nor clicks.
    f.tree->MouseMove({ssLeft}, to.X + 3, to.Y);
    f.tree->MouseUp(mbLeft, {}, to.X + 3, to.Y);
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(clicks.empty());
}

TEST(TreeListHeader, DraggingABandMovesItWithItsColumns)
{
    TreeFixture f;
    f.tree->SetShowBands(true);
    f.tree->Bands()->GetItem(0)->SetCaption("One");
    f.tree->Bands()->Add()->SetCaption("Two");
    f.colKind->SetBandIndex(1);
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{0, 1, 2}));
    const TRect one = f.tree->GetBandRect(0);
    const TRect two = f.tree->GetBandRect(1);
    f.tree->MouseDown(mbLeft, {}, Mid(one).X, Mid(one).Y);
    EXPECT_EQ(f.tree->DraggedBand(), 0);
    f.tree->MouseUp(mbLeft, {}, Mid(two).X, Mid(two).Y);
    EXPECT_EQ(f.tree->Bands()->GetItem(0)->Caption(), "Two");
    EXPECT_EQ(f.colKind->BandIndex(), 0);
    EXPECT_EQ(f.colName->BandIndex(), 1);
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{2, 0, 1}));
}

TEST(TreeListTimers, ClickAndExpandTimersActWhenTheyRunOut)
{
    TManualClockScope clock;
    TreeFixture f;
    auto* a = f.Add(nullptr, "A");
    f.Add(a, "A1");
    f.tree->SetOptionsEx(f.tree->OptionsEx() + TdxTreeListOptionsEx{aoDragExpand});
    f.tree->SetWaitForExpandNodeTime(500);
    f.tree->DragOverNode(a);
    EXPECT_TRUE(f.tree->ExpandTimerActive());
    clock.Advance(499);
    EXPECT_FALSE(a->Expanded());
    clock.Advance(1);
    EXPECT_TRUE(a->Expanded());
    EXPECT_FALSE(f.tree->ExpandTimerActive());
    // Moving to another node before the time is up forgets the first.
    a->SetExpanded(false);
    auto* b = f.Add(nullptr, "B");
    f.tree->DragOverNode(a);
    f.tree->DragOverNode(b);   // B has no children: nothing to expand
    EXPECT_FALSE(f.tree->ExpandTimerActive());
    clock.Advance(1000);
    EXPECT_FALSE(a->Expanded());

    // A second click on the focused cell arms the click timer; a double click disarms it.
    auto* col = f.tree->CreateColumnOf<qel::test::EditColumn>();
    f.tree->SetOptions(f.tree->Options() - TdxTreeListOptions{aoImmediateEditor});
    const TRect cell = f.tree->GetCellRect(a, col->GetColumnIndex());
    f.tree->MouseDown(mbLeft, {}, Mid(cell).X, Mid(cell).Y);
    f.tree->MouseUp(mbLeft, {}, Mid(cell).X, Mid(cell).Y);
    EXPECT_FALSE(f.tree->ClickTimerActive());
    f.tree->MouseDown(mbLeft, {}, Mid(cell).X, Mid(cell).Y);
    EXPECT_TRUE(f.tree->ClickTimerActive());
    f.tree->MouseDown(mbLeft, {ssDouble}, Mid(cell).X, Mid(cell).Y);
    EXPECT_FALSE(f.tree->ClickTimerActive());
    f.tree->MouseDown(mbLeft, {}, Mid(cell).X, Mid(cell).Y);
    clock.Advance(GetDoubleClickTime() - 1);
    EXPECT_FALSE(f.tree->IsEditing());
    clock.Advance(1);
    EXPECT_FALSE(f.tree->ClickTimerActive());
    EXPECT_TRUE(f.tree->IsEditing());
}
