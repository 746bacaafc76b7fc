// The tree list as a model: display order, replacing children, selection,
// update locks and incremental search.
#include "TreeListTestSupport.h"

#include <climits>
#include <gtest/gtest.h>

using namespace qel;
using qel::test::EditColumn;
using qel::test::TreeFixture;

using qel::test::ExpectDisplayConsistent;

TEST(TreeListDisplayOrder, FollowsExpandCollapseInsertAndDelete)
{
    TreeFixture f;
    auto* a = f.Add(nullptr, "A");
    auto* a1 = f.Add(a, "A1");
    f.Add(a1, "A1x");
    f.Add(a, "A2");
    auto* b = f.Add(nullptr, "B");
    f.Add(b, "B1");
    EXPECT_EQ(f.Display(), (std::vector<std::string>{"A", "B"}));
    ExpectDisplayConsistent(*f.tree);

    a->SetExpanded(true);
    EXPECT_EQ(f.Display(), (std::vector<std::string>{"A", "A1", "A2", "B"}));
    a1->SetExpanded(true);
    EXPECT_EQ(f.Display(), (std::vector<std::string>{"A", "A1", "A1x", "A2", "B"}));
    ExpectDisplayConsistent(*f.tree);

    // Insert before a sibling and at the roots.
    auto* a0 = a->InsertChild(a1);
    a0->SetString(0, "A0");
    auto* first = f.tree->Insert(a);
    first->SetString(0, "First");
    EXPECT_EQ(f.Display(), (std::vector<std::string>{"First", "A", "A0", "A1", "A1x", "A2", "B"}));
    EXPECT_EQ(a1->GetIndex(), 1);
    EXPECT_EQ(a->GetIndex(), 1);
    ExpectDisplayConsistent(*f.tree);

    // A hidden node has no display index; collapsing hides a whole branch.
    a->SetExpanded(false);
    EXPECT_EQ(f.tree->GetAbsoluteIndex(a1), -1);
    EXPECT_EQ(f.Display(), (std::vector<std::string>{"First", "A", "B"}));
    a->SetExpanded(true);

    delete a1;
    EXPECT_EQ(f.Display(), (std::vector<std::string>{"First", "A", "A0", "A2", "B"}));
    EXPECT_TRUE(f.tree->GetAbsoluteNode(-1) == nullptr);
    EXPECT_TRUE(f.tree->GetAbsoluteNode(5) == nullptr);
    ExpectDisplayConsistent(*f.tree);

    f.tree->FullExpand();
    EXPECT_EQ(f.Display(), (std::vector<std::string>{"First", "A", "A0", "A2", "B", "B1"}));
    f.tree->ClearNodes();
    EXPECT_EQ(f.tree->GetAbsoluteCount(), 0);
    EXPECT_EQ(f.tree->GetCount(), 0);
    EXPECT_EQ(f.tree->GetTopIndex(), -1);
}

namespace {

// The tree list with its list rebuilding open to the test.
class RebuiltTree : public TdxTreeList {
public:
    using TdxTreeList::TdxTreeList;
    using TCustomdxTreeList::ReplaceChildren;
};

} // namespace

TEST(TreeListNodes, ReplacingChildrenKeepsSomeMovesSomeAndTakesInDetachedOnes)
{
    TComponent owner(nullptr);
    auto* tree = new RebuiltTree(&owner);
    tree->CreateColumn();
    auto add = [&](TdxTreeListNode* Parent, const std::string& Name) {
        TdxTreeListNode* n = Parent ? Parent->AddChild() : tree->Add();
        n->SetString(0, Name);
        return n;
    };
    auto names = [](TdxTreeListNode* Parent) {
        std::string out;
        for (int i = 0; i < Parent->GetCount(); ++i)
            out += Parent->GetItem(i)->GetString(0) + (Parent->GetItem(i)->GetIndex() == i ? "" : "?");
        return out;
    };
    TdxTreeListNode* g = add(nullptr, "G");
    TdxTreeListNode* a = add(g, "a");
    TdxTreeListNode* b = add(g, "b");
    TdxTreeListNode* c = add(g, "c");
    TdxTreeListNode* bx = add(b, "x");
    TdxTreeListNode* d = add(nullptr, "d");
    d->Detach();
    g->SetExpanded(true);
    b->SetExpanded(true);
    tree->SetOptions(tree->GetOptions() + TdxTreeListOptions{aoMultiSelect});
    b->SetSelected(true);
    bx->SetSelected(true);
    c->SetSelected(true);
    tree->SetFocusedNode(bx);
    int deletions = 0;
    tree->OnDeletion = [&](TObject*, TdxTreeListNode*) { ++deletions; };

    // b (with x) leaves, c and a swap, d comes in between them.
    std::vector<std::unique_ptr<TdxTreeListNode>> removed;
    tree->ReplaceChildren(g, {c, d, a}, removed);
    EXPECT_EQ(names(g), "cda");
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].get(), b);
    EXPECT_EQ(b->Parent(), nullptr);
    EXPECT_EQ(b->GetIndex(), -1);
    EXPECT_EQ(d->Parent(), g);
    EXPECT_EQ(deletions, 0);   // detached, not deleted
    // The leaving branch left the selection and the focus; c stays selected.
    EXPECT_EQ(tree->SelectedCount(), 1);
    EXPECT_TRUE(c->Selected());
    EXPECT_FALSE(bx->Selected());
    EXPECT_EQ(tree->GetFocusedNode(), nullptr);
    EXPECT_EQ(tree->GetAbsoluteCount(), 4);   // G, c, d, a
    EXPECT_EQ(tree->GetAbsoluteNode(2), d);

    // A node of another list, a node twice or the parent itself is refused, and nothing changes.
    EXPECT_THROW(tree->ReplaceChildren(nullptr, {g, a}, removed), EInvaliddxTreeListOperation);
    EXPECT_THROW(tree->ReplaceChildren(g, {c, c}, removed), EInvaliddxTreeListOperation);
    EXPECT_THROW(tree->ReplaceChildren(g, {g}, removed), EInvaliddxTreeListOperation);
    EXPECT_EQ(names(g), "cda");
    EXPECT_EQ(tree->GetCount(), 1);
    EXPECT_EQ(removed.size(), 1u);

    // The roots, emptied: the removed nodes are the caller's.
    tree->ReplaceChildren(g, {}, removed);
    EXPECT_FALSE(g->HasChildren());
    tree->ReplaceChildren(nullptr, {removed[0].release()}, removed);
    EXPECT_EQ(tree->GetItem(0), b);
    EXPECT_EQ(removed.size(), 5u);
    EXPECT_EQ(removed.back().get(), g);
    EXPECT_EQ(names(b), "x");
    EXPECT_EQ(deletions, 0);
    tree->OnDeletion = nullptr;
}

TEST(TreeListSelection, RangesCountsAndDeletion)
{
    TreeFixture f;
    f.tree->SetOptions(f.tree->Options() + TdxTreeListOptions{aoMultiSelect});
    std::vector<TdxTreeListNode*> n;
    for (int i = 0; i < 6; ++i)
        n.push_back(f.Add(nullptr, "N" + std::to_string(i)));
    int changes = 0;
    f.tree->OnSelectionChanged = [&](TObject*) { ++changes; };

    f.tree->SelectRange(n[4], n[1]);   // either direction
    EXPECT_EQ(f.tree->GetSelectedCount(), 4);
    EXPECT_EQ(changes, 1);             // one bracket, one notice
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(n[static_cast<std::size_t>(i)]->Selected());
    EXPECT_EQ(f.tree->GetSelectedItem(4), nullptr);
    EXPECT_EQ(f.tree->GetSelectedItem(-1), nullptr);

    delete n[2];
    EXPECT_EQ(f.tree->GetSelectedCount(), 3);
    n[3]->SetSelected(false);
    EXPECT_EQ(f.tree->GetSelectedCount(), 2);

    // Shift extends from the anchor, Ctrl toggles.
    f.tree->ClearSelection();
    f.tree->MouseDown(mbLeft, {}, 50, f.tree->GetNodeRect(n[0]).Top + 2);
    f.tree->MouseUp(mbLeft, {}, 50, f.tree->GetNodeRect(n[0]).Top + 2);
    f.tree->MouseDown(mbLeft, {ssShift}, 50, f.tree->GetNodeRect(n[4]).Top + 2);
    EXPECT_EQ(f.tree->GetSelectedCount(), 4);   // N0, N1, N3, N4
    f.tree->MouseDown(mbLeft, {ssCtrl}, 50, f.tree->GetNodeRect(n[1]).Top + 2);
    EXPECT_FALSE(n[1]->Selected());
    EXPECT_EQ(f.tree->SelectionAnchor(), n[1]);
    f.tree->ClearSelectionAnchor();
    EXPECT_EQ(f.tree->SelectionAnchor(), nullptr);

    f.tree->ClearNodes();
    EXPECT_EQ(f.tree->GetSelectedCount(), 0);
    EXPECT_EQ(f.tree->GetFocusedNode(), nullptr);
}

namespace {

class CountingTree : public TdxTreeList {
public:
    using TdxTreeList::TdxTreeList;
    int Layouts = 0;
    int SelectionNotices = 0;
    void LayoutChanged() override
    {
        if (!IsUpdating())
            ++Layouts;
        TdxTreeList::LayoutChanged();
    }

protected:
    void DoSelectionChanged() override { ++SelectionNotices; }
};

} // namespace

TEST(TreeListUpdateLock, NestsRelayoutsOnceAndClosesTheSelectionLock)
{
    TComponent owner(nullptr);
    auto* t = new CountingTree(&owner);
    t->SetBounds(0, 0, 300, 200);
    t->SetOptions(t->Options() + TdxTreeListOptions{aoMultiSelect});
    auto* n = t->Add();
    t->Layouts = 0;
    t->BeginUpdate();
    t->BeginUpdate();
    t->SetShowFooter(true);
    t->SetIndentDesc(30);
    n->SetSelected(true);
    t->EndUpdate();
    EXPECT_EQ(t->Layouts, 0);
    EXPECT_EQ(t->SelectionNotices, 0);
    t->EndUpdate();
    EXPECT_EQ(t->Layouts, 1);
    EXPECT_EQ(t->SelectionNotices, 1);
    t->EndUpdate();   // unbalanced: ignored
    EXPECT_FALSE(t->IsUpdating());

    // An exception inside the scope still ends the update.
    try {
        TUpdateScope<TCustomdxTreeList> scope(*t);
        throw EAbort("x");
    } catch (const EAbort&) {
    }
    EXPECT_FALSE(t->IsUpdating());
}

TEST(TreeListUpdateLock, BeginUpdateEndsEditingAndPostsTheValue)
{
    TreeFixture f;
    auto* col = f.tree->CreateColumnOf<EditColumn>();
    auto* n = f.Add(nullptr, "A", "1", "x");
    n->SetString(col->GetColumnIndex(), "old");
    f.tree->SetFocusedNode(n);
    f.tree->SetFocusedColumn(col->GetColumnIndex());
    f.tree->ShowEditor();
    ASSERT_TRUE(f.tree->IsEditing());
    f.tree->Editor()->SetEditingValue(Variant("new"));
    f.tree->BeginUpdate();
    EXPECT_FALSE(f.tree->IsEditing());
    EXPECT_EQ(col->Hides, 1);
    EXPECT_EQ(n->GetString(col->GetColumnIndex()), "new");
    f.tree->ShowEditor();   // no editor while updating
    EXPECT_FALSE(f.tree->IsEditing());
    f.tree->EndUpdate();

    // Esc cancels: the editor goes without posting.
    f.tree->ShowEditor();
    f.tree->Editor()->SetEditingValue(Variant("dropped"));
    std::uint16_t key = VK_ESCAPE;
    f.tree->KeyDown(key, {});
    EXPECT_FALSE(f.tree->IsEditing());
    EXPECT_EQ(n->GetString(col->GetColumnIndex()), "new");

    // A focus change ends editing; ShowEditorAfterFocusChange brings it back
    // with the immediate-editor option.
    auto* m = f.Add(nullptr, "B");
    f.tree->ShowEditor();
    f.tree->SetFocusedNode(m);
    EXPECT_FALSE(f.tree->IsEditing());
    f.tree->ShowEditorAfterFocusChange();
    EXPECT_TRUE(f.tree->IsEditing());
    f.tree->CloseEditor();
    EXPECT_FALSE(f.tree->IsEditing());
    EXPECT_TRUE(f.tree->Editor()->Visible());   // closed, not hidden
    f.tree->HideEditor();
    EXPECT_EQ(f.tree->Editor(), nullptr);
}

TEST(TreeListSearch, IncrementalSearchFocusesMatches)
{
    TreeFixture f;
    f.Add(nullptr, "Apfel");
    auto* birne = f.Add(nullptr, "Birne");
    auto* banane = f.Add(nullptr, "Banane");
    f.tree->SetFocusedNode(f.tree->GetItem(0));
    f.tree->StartSearch(0);
    EXPECT_TRUE(f.tree->SearchAppend("b"));
    EXPECT_EQ(f.tree->GetFocusedNode(), birne);
    EXPECT_TRUE(f.tree->SearchAppend("A"));
    EXPECT_EQ(f.tree->GetFocusedNode(), banane);
    EXPECT_FALSE(f.tree->SearchAppend("x"));
    EXPECT_EQ(f.tree->SearchText(), "bA");   // as typed
    std::uint16_t key = VK_ESCAPE;
    f.tree->KeyDown(key, {});
    EXPECT_FALSE(f.tree->IsSearching());
}

TEST(TreeListSearch, BackspaceTakesBackOneWholeCharacter)
{
    TreeFixture f;
    f.Add(nullptr, "Gr\xC3\xBCn");
    auto* gruen = f.Add(nullptr, "Gr\xC3\xBC\xC3\x9F" "e");
    f.tree->SetFocusedNode(f.tree->GetItem(0));
    f.tree->StartSearch(0);
    EXPECT_TRUE(f.tree->SearchAppend("Gr\xC3\xBC\xC3\x9F"));
    EXPECT_EQ(f.tree->GetFocusedNode(), gruen);
    std::uint16_t key = VK_BACK;
    f.tree->KeyDown(key, {});
    EXPECT_EQ(f.tree->SearchText(), "Gr\xC3\xBC") << "the two bytes of the last letter go together";
    key = VK_BACK;
    f.tree->KeyDown(key, {});
    EXPECT_EQ(f.tree->SearchText(), "Gr");
}

// What a printed report keeps of a tree list: numbers that find nodes,
// columns and bands while they live and nothing once they are gone, even
// when a new object takes the freed address.
TEST(TreeListIdentities, FindTheirObjectWhileItLivesAndNothingAfterwards)
{
    TreeFixture f;
    auto* a = f.Add(nullptr, "A");
    auto* a1 = f.Add(a, "A1");
    auto* b = f.Add(nullptr, "B");
    const std::uint64_t ia = f.tree->NodeIdentity(a);
    const std::uint64_t ia1 = f.tree->NodeIdentity(a1);
    const std::uint64_t ib = f.tree->NodeIdentity(b);
    EXPECT_EQ(f.tree->NodeIdentity(a), ia);   // asked again: the same number
    EXPECT_NE(ia, ia1);
    EXPECT_EQ(f.tree->NodeByIdentity(ia1), a1);

    // Deleting a branch withdraws its children too; a detached node still lives.
    const std::uint64_t stamp = f.tree->RemovalStamp();
    b->Detach();
    EXPECT_EQ(f.tree->NodeByIdentity(ib), b);
    EXPECT_GT(f.tree->RemovalStamp(), stamp);
    delete a;
    EXPECT_EQ(f.tree->NodeByIdentity(ia), nullptr);
    EXPECT_EQ(f.tree->NodeByIdentity(ia1), nullptr);
    delete b;
    EXPECT_EQ(f.tree->NodeByIdentity(ib), nullptr);
    // A new node, wherever it is allocated, gets a number never given before.
    auto* c = f.Add(nullptr, "C");
    const std::uint64_t ic = f.tree->NodeIdentity(c);
    EXPECT_TRUE(ic != ia && ic != ia1 && ic != ib);
    f.tree->ClearNodes();
    EXPECT_EQ(f.tree->NodeByIdentity(ic), nullptr);
    EXPECT_EQ(f.tree->NodeByIdentity(0), nullptr);

    // Columns: freed or moved to another control, they find nothing here.
    const std::uint64_t size = f.tree->ColumnIdentity(f.colSize);
    const std::uint64_t kind = f.tree->ColumnIdentity(f.colKind);
    EXPECT_EQ(f.tree->ColumnByIdentity(size), f.colSize);
    std::uint64_t before = f.tree->RemovalStamp();
    delete f.colSize;
    EXPECT_EQ(f.tree->ColumnByIdentity(size), nullptr);
    EXPECT_GT(f.tree->RemovalStamp(), before);
    EXPECT_EQ(f.tree->ColumnByIdentity(kind), f.colKind);
    TdxTreeList other(f.owner.get());
    f.colKind->SetTreeList(&other);
    EXPECT_EQ(f.tree->ColumnByIdentity(kind), nullptr);
    EXPECT_EQ(f.tree->ColumnIdentity(f.colKind), 0u);
    const std::uint64_t there = other.ColumnIdentity(f.colKind);
    EXPECT_EQ(other.ColumnByIdentity(there), f.colKind);

    // Bands: a deleted band finds nothing; a band of another control gets no number.
    TdxTreeListBand* second = f.tree->Bands()->Add();
    const std::uint64_t band = f.tree->Bands()->BandIdentity(second);
    EXPECT_EQ(f.tree->Bands()->BandByIdentity(band), second);
    EXPECT_EQ(f.tree->Bands()->BandIdentity(other.Bands()->GetItem(0)), 0u);
    before = f.tree->RemovalStamp();
    f.tree->Bands()->Delete(1);
    EXPECT_EQ(f.tree->Bands()->BandByIdentity(band), nullptr);
    EXPECT_GT(f.tree->RemovalStamp(), before);
}
