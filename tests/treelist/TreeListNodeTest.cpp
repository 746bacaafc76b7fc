// Nodes: detaching and attaching, tree queries, refused expanding, and the
// node helpers.
#include "TreeListTestSupport.h"

#include <climits>
#include <gtest/gtest.h>

using namespace qel;
using qel::test::ExpectDisplayConsistent;
using qel::test::TreeFixture;

TEST(TreeListNodes, DetachAttachAndTreeQueries)
{
    TreeFixture f;
    auto* a = f.Add(nullptr, "A");
    auto* a1 = f.Add(a, "A1");
    auto* a2 = f.Add(a, "A2");
    auto* a2x = f.Add(a2, "A2x");
    EXPECT_EQ(a2x->GetLevel(), 2);
    EXPECT_TRUE(a2x->HasAsParent(a));
    EXPECT_FALSE(a->HasAsParent(a));
    EXPECT_FALSE(a->HasAsParent(nullptr));
    EXPECT_TRUE(a2->IsLast());
    EXPECT_FALSE(a1->IsLast());
    EXPECT_EQ(a->GetItem(2), nullptr);
    EXPECT_EQ(a2x->GetCount(), 0);
    EXPECT_EQ(a->GetNext(), a1);
    EXPECT_EQ(a1->GetNext(), a2);
    EXPECT_EQ(a2x->GetNext(), nullptr);

    int deletions = 0;
    f.tree->OnDeletion = [&](TObject*, TdxTreeListNode*) { ++deletions; };
    a2x->Detach();
    EXPECT_EQ(deletions, 0);   // detached, not deleted
    EXPECT_EQ(a2x->Parent(), nullptr);
    EXPECT_EQ(a2x->GetIndex(), -1);
    EXPECT_FALSE(a2->HasChildren());   // the list emptied
    a2x->AddToRootList();
    EXPECT_EQ(f.tree->GetCount(), 2);
    EXPECT_EQ(f.tree->GetItem(1), a2x);
    EXPECT_EQ(a2x->GetLevel(), 0);

    // A node cannot move below itself; a detached node must be detached first.
    a->Detach();
    EXPECT_THROW(a->AttachTo(a1, nullptr), EInvaliddxTreeListOperation);
    EXPECT_THROW(a2x->AttachTo(nullptr, nullptr), EInvaliddxTreeListOperation);
    a->AttachTo(nullptr, a2x);
    EXPECT_EQ(f.tree->GetItem(0), a);
    EXPECT_EQ(f.tree->GetItem(5), nullptr);
    delete a;
    EXPECT_EQ(deletions, 3);   // A and its two children
    f.tree->OnDeletion = nullptr;
}

TEST(TreeListNodes, DetachingFromTheMiddleRepeatedlyKeepsIndexesRight)
{
    // Each removal from the middle leaves the siblings' indexes stale; the
    // next removal must still find and take out the right child.
    TreeFixture f;
    auto* g = f.Add(nullptr, "G");
    std::vector<TdxTreeListNode*> kids;
    for (int i = 0; i < 8; ++i)
        kids.push_back(f.Add(g, "K" + std::to_string(i)));
    kids[5]->Detach();
    kids[2]->Detach();
    kids[6]->Detach();
    kids[0]->Detach();
    kids[2]->Detach();   // already out: nothing happens
    const std::vector<TdxTreeListNode*> left{kids[1], kids[3], kids[4], kids[7]};
    ASSERT_EQ(g->GetCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(g->GetItem(i), left[static_cast<std::size_t>(i)]);
        EXPECT_EQ(left[static_cast<std::size_t>(i)]->GetIndex(), i);
    }
    EXPECT_EQ(kids[6]->GetIndex(), -1);
    kids[7]->Detach();
    kids[1]->Detach();
    EXPECT_EQ(g->GetItem(0), kids[3]);
    EXPECT_EQ(kids[4]->GetIndex(), 1);
    ExpectDisplayConsistent(*f.tree);
    for (int i : {0, 1, 2, 5, 6, 7})
        delete kids[static_cast<std::size_t>(i)];
}

TEST(TreeListNodes, ExpandingCanBeRefusedAndCollapsingMovesFocusOut)
{
    TreeFixture f;
    auto* a = f.Add(nullptr, "A");
    auto* a1 = f.Add(a, "A1");
    int expanded = 0;
    f.tree->OnExpanding = [](TObject*, TdxTreeListNode*, bool& Allow) { Allow = false; };
    f.tree->OnExpanded = [&](TObject*, TdxTreeListNode*) { ++expanded; };
    a->SetExpanded(true);
    EXPECT_FALSE(a->Expanded());
    EXPECT_EQ(expanded, 0);
    f.tree->OnExpanding = nullptr;
    a1->MakeVisible();
    EXPECT_TRUE(a->Expanded());
    EXPECT_EQ(expanded, 1);
    a1->SetFocused(true);
    a->SetExpanded(false);
    EXPECT_EQ(f.tree->GetFocusedNode(), a);
    delete a;
    EXPECT_EQ(f.tree->GetFocusedNode(), nullptr);
}

TEST(TreeListHelpers, CompareIntegersNeverOverflows)
{
    EXPECT_EQ(CompareIntegers(INT_MIN, INT_MAX), -1);
    EXPECT_EQ(CompareIntegers(INT_MAX, INT_MIN), 1);
    EXPECT_EQ(CompareIntegers(INT_MIN, 1), -1);
    EXPECT_EQ(CompareIntegers(5, 5), 0);
}

TEST(TreeListHelpers, CompareNodesPositionOrdersByPlaceInTheTree)
{
    TreeFixture f;
    auto* a = f.Add(nullptr, "A");
    auto* a1 = f.Add(a, "A1");
    auto* a1x = f.Add(a1, "A1x");
    auto* a2 = f.Add(a, "A2");
    auto* b = f.Add(nullptr, "B");
    EXPECT_LT(CompareNodesPosition(a, a1x), 0);     // ancestor first
    EXPECT_GT(CompareNodesPosition(a1x, a), 0);
    EXPECT_LT(CompareNodesPosition(a1x, a2), 0);    // deeper node in an earlier branch
    EXPECT_GT(CompareNodesPosition(b, a1x), 0);
    EXPECT_EQ(CompareNodesPosition(a2, a2), 0);
    EXPECT_LT(f.tree->CompareIndexes(a1, a2), 0);
}

// A node keeps no pointer to its control: it finds it through the root it
// hangs on, attached, detached with its subtree, or just made.
TEST(TreeListNodes, FindTheirControlAttachedDetachedOrNew)
{
    TreeFixture f;
    auto* a = f.Add(nullptr, "A");
    auto* a1 = f.Add(a, "A1");
    auto* a1x = f.Add(a1, "A1x");
    auto* b = f.Add(nullptr, "B");
    EXPECT_EQ(a1x->Owner(), f.tree);
    const std::uint64_t identity = f.tree->NodeIdentity(a1x);

    a1->Detach();
    EXPECT_EQ(a1->Owner(), f.tree);
    EXPECT_EQ(a1x->Owner(), f.tree);
    EXPECT_EQ(a1->Parent(), nullptr);
    EXPECT_EQ(a1x->Parent(), a1);
    EXPECT_EQ(a1->GetIndex(), -1);
    EXPECT_EQ(a1->GetNextSibling(), nullptr);
    EXPECT_FALSE(a1x->IsVisible());
    EXPECT_EQ(a1x->AbsoluteIndex(), -1);
    EXPECT_EQ(a1x->GetString(0), "A1x");   // its values still come through the control
    EXPECT_EQ(f.tree->NodeByIdentity(identity), a1x);
    EXPECT_FALSE(a->HasChildren());
    ExpectDisplayConsistent(*f.tree);

    // Put back under another parent, the subtree shows there.
    a1->AttachTo(b, nullptr);
    EXPECT_EQ(a1->Parent(), b);
    EXPECT_EQ(a1x->GetLevel(), 2);
    b->Expand(true);
    EXPECT_TRUE(a1x->IsVisible());
    EXPECT_EQ(f.tree->GetAbsoluteNode(a1x->AbsoluteIndex()), a1x);
    EXPECT_THROW(a1->AttachTo(a, nullptr), EInvaliddxTreeListOperation);   // attached already
    ExpectDisplayConsistent(*f.tree);

    // Deleted while detached, every node of the subtree leaves the control.
    a1->Detach();
    delete a1;
    EXPECT_EQ(f.tree->NodeByIdentity(identity), nullptr);
    ExpectDisplayConsistent(*f.tree);

    // A node just made hangs on no parent until one takes it; another control refuses it.
    auto* made = new TdxTreeListTextNode(f.tree);
    EXPECT_EQ(made->Owner(), f.tree);
    EXPECT_EQ(made->Parent(), nullptr);
    EXPECT_FALSE(made->IsVisible());
    TreeFixture other;
    EXPECT_THROW(other.tree->NodeIdentity(made), EInvaliddxTreeListOperation);
    EXPECT_EQ(other.tree->GetAbsoluteIndex(made), -1);
    made->AddToRootList();
    EXPECT_EQ(f.tree->GetItem(f.tree->GetCount() - 1), made);
    EXPECT_TRUE(made->IsVisible());
    // A node of no control finds none.
    TdxTreeListNode loose(nullptr);
    EXPECT_EQ(loose.Owner(), nullptr);
    EXPECT_EQ(loose.GetIndex(), -1);
    EXPECT_TRUE(loose.GetValue(0).IsNull());
}

namespace {

// Exposes the bulk-load trim of child lists.
class TFittingTree : public TdxTreeList {
public:
    using TdxTreeList::TdxTreeList;
    using TCustomdxTreeList::FitChildList;
};

} // namespace

// The display order is rebuilt at its exact size, and trimmed child lists
// keep taking children: through growing and shrinking expansions, inserts
// and deletes, every row stays where a plain walk of the tree puts it.
TEST(TreeListNodes, DisplayOrderAndTrimmedChildListsFollowTheTreeThroughExpandAndCollapse)
{
    TComponent owner(nullptr);
    auto* tree = new TFittingTree(&owner);
    tree->SetBounds(0, 0, 400, 300);
    tree->CreateColumn();
    std::vector<TdxTreeListNode*> groups;
    for (int g = 0; g < 40; ++g) {
        TdxTreeListNode* group = tree->Add();
        groups.push_back(group);
        for (int c = 0; c < 3 + g * 7 % 50; ++c)
            group->AddChild()->SetString(0, std::to_string(g) + "." + std::to_string(c));
    }
    for (TdxTreeListNode* g : groups)
        tree->FitChildList(g);
    tree->FitChildList(nullptr);
    qel::test::ExpectDisplayConsistent(*tree);

    tree->FullExpand();
    qel::test::ExpectDisplayConsistent(*tree);
    tree->FullCollapse();
    qel::test::ExpectDisplayConsistent(*tree);   // from ~1,000 rows to 40
    groups[7]->Expand(false);
    groups[39]->Expand(false);
    qel::test::ExpectDisplayConsistent(*tree);

    // Trimmed lists grow again at either end and in the middle.
    groups[7]->AddChild()->SetString(0, "7.last");
    groups[7]->InsertChild(groups[7]->GetItem(1))->SetString(0, "7.second");
    groups[7]->InsertChild(groups[7]->GetItem(0))->SetString(0, "7.first");
    tree->Add()->SetString(0, "root.last");
    delete groups[39]->GetItem(2);
    qel::test::ExpectDisplayConsistent(*tree);
    EXPECT_EQ(groups[7]->GetItem(0)->GetString(0), "7.first");
    EXPECT_EQ(groups[7]->GetItem(2)->GetString(0), "7.second");
    EXPECT_EQ(groups[7]->GetLastChild()->GetString(0), "7.last");
    tree->FullExpand();
    qel::test::ExpectDisplayConsistent(*tree);
}
