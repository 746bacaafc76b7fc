#pragma once
// TdxTreeListNode: one row of a tree list. Nodes form the tree (parent,
// children, expanded and has-children flags, user data); the texts, values
// and images of a node are asked of the owning control, so a data-bound
// control can keep them wherever it likes. TdxTreeListTextNode keeps one
// string per column itself.
//
// A node is created by its control (Add, Insert, AddChild, InsertChild) and
// owned by its parent (the control for roots); deleting a node deletes its
// children and takes it out of the control's selection, focus and display
// order.
#include "platform/core/Variant.h"
#include "treelist/detail/NodePool.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TCustomdxTreeList;
class TdxTreeListNode;

// What a node class keeps for the few of its nodes that need more than the
// rest (a grid's group rows: their value and summaries), beside the children.
class TdxTreeListNodeExtra {
public:
    virtual ~TdxTreeListNodeExtra() = default;
};

// A node's children, with its user data, images and extra beside them. Most
// nodes of a large control are leaves with none of these, so all of it lives
// in one block made with the first child or value: a leaf without them costs
// one pointer here. Reads of a node without the block see no children and the
// defaults.
class TdxTreeListNodeChildren {
public:
    using TList = std::vector<TdxTreeListNode*>;

    bool empty() const { return !m_block || m_block->Children.empty(); }
    std::size_t size() const { return m_block ? m_block->Children.size() : 0; }
    TdxTreeListNode* operator[](std::size_t Index) const { return m_block->Children[Index]; }
    TdxTreeListNode* front() const { return m_block->Children.front(); }
    TdxTreeListNode* back() const { return m_block->Children.back(); }
    TList::const_iterator begin() const { return List().begin(); }
    TList::const_iterator end() const { return List().end(); }
    TList::const_reverse_iterator rbegin() const { return List().rbegin(); }
    TList::const_reverse_iterator rend() const { return List().rend(); }
    // The list to change (made when there is none).
    TList& Edit() { return Block().Children; }
    void clear()
    {
        if (m_block)
            m_block->Children.clear();
    }

    // Gives back the room the list grew beyond its size, when that is more
    // than an eighth (a list filled one child at a time keeps up to half).
    void Fit()
    {
        if (m_block && m_block->Children.capacity() > m_block->Children.size() + m_block->Children.size() / 8 + 4)
            m_block->Children.shrink_to_fit();
    }

    void* Data() const { return m_block ? m_block->Data : nullptr; }
    void SetData(void* Value)
    {
        if (m_block || Value)
            Block().Data = Value;
    }
    // 0 image, 1 selected image, 2 state image; -1 when none.
    std::int32_t Image(int Kind) const { return m_block ? m_block->Images[Kind] : -1; }
    void SetImage(int Kind, std::int32_t Value)
    {
        if (m_block || Value != -1)
            Block().Images[Kind] = Value;
    }

    // The control, kept by its hidden root only (see TdxTreeListNode::Owner).
    TCustomdxTreeList* Control() const { return m_block ? m_block->Control : nullptr; }
    void SetControl(TCustomdxTreeList* Value) { Block().Control = Value; }

    TdxTreeListNodeExtra* Extra() const { return m_block ? m_block->Extra.get() : nullptr; }
    void SetExtra(std::unique_ptr<TdxTreeListNodeExtra> Value)
    {
        if (m_block || Value)
            Block().Extra = std::move(Value);
    }

private:
    struct TBlock {
        TList Children;   // owned by the node
        void* Data{nullptr};
        std::int32_t Images[3]{-1, -1, -1};
        std::unique_ptr<TdxTreeListNodeExtra> Extra;
        TCustomdxTreeList* Control{nullptr};
    };
    const TList& List() const
    {
        static const TList none;
        return m_block ? m_block->Children : none;
    }
    TBlock& Block()
    {
        if (!m_block)
            m_block = std::make_unique<TBlock>();
        return *m_block;
    }

    std::unique_ptr<TBlock> m_block;
};

class TdxTreeListNode {
public:
    explicit TdxTreeListNode(TCustomdxTreeList* Owner);
    virtual ~TdxTreeListNode();
    TdxTreeListNode(const TdxTreeListNode&) = delete;
    TdxTreeListNode& operator=(const TdxTreeListNode&) = delete;
    // Nodes come from slabs shared by nodes of their size (see NodePool.h).
    static void* operator new(std::size_t Size) { return detail::TNodePool::Allocate(Size); }
    static void operator delete(void* Block, std::size_t Size) { detail::TNodePool::Free(Block, Size); }

    // The control, found through the hidden root every node hangs on; a
    // node keeps no pointer of its own to it (a grid has 10^6 nodes).
    TCustomdxTreeList* Owner() const;
    // nullptr for a root node and for a detached node.
    TdxTreeListNode* Parent() const;
    int Level() const { return GetLevel(); }
    int GetLevel() const;

    // ----- children ---------------------------------------------------------------
    int Count() const { return GetCount(); }
    int GetCount() const { return static_cast<int>(m_children.size()); }
    TdxTreeListNode* GetItem(int Index) const;   // nullptr out of range
    TdxTreeListNode* Items(int Index) const { return GetItem(Index); }
    // Appends a child of the class the control creates.
    TdxTreeListNode* AddChild();
    // Inserts a child before Sibling (a child of this node); appends for nullptr.
    TdxTreeListNode* InsertChild(TdxTreeListNode* Sibling);
    // Deletes every child.
    void DeleteChildren();

    // Among the siblings, or in the root list; -1 for a detached node.
    int Index() const { return GetIndex(); }
    int GetIndex() const;
    bool IsLast() const;
    // Whether Node is among this node's ancestors (false for a root).
    bool HasAsParent(const TdxTreeListNode* Node) const;
    TdxTreeListNode* GetFirstChild() const { return GetItem(0); }
    TdxTreeListNode* GetLastChild() const { return GetItem(GetCount() - 1); }
    TdxTreeListNode* GetNextSibling() const;
    TdxTreeListNode* GetPrevSibling() const;
    // The next node in the whole tree (depth first), expanded or not.
    TdxTreeListNode* GetNext() const;

    // ----- state ------------------------------------------------------------------------
    // The has-children flag: shows an expand button before the children exist.
    bool HasChildren() const { return m_hasChildren || !m_children.empty(); }
    void SetHasChildren(bool Value);
    bool Expanded() const { return m_expanded; }
    // Runs the control's expand/collapse checks and events; a refused change keeps the state.
    void SetExpanded(bool Value);
    void Expand(bool Recurse);
    void Collapse(bool Recurse);
    // Expands this node and every node below it.
    void FullExpand() { Expand(true); }
    // Every ancestor expanded (a root always is); a detached node is not visible.
    bool IsVisible() const;

    bool GetFocused() const;
    void SetFocused(bool Value);
    bool Focused() const { return GetFocused(); }
    bool Selected() const { return m_selected; }
    void SetSelected(bool Value);
    // Expands the ancestors and scrolls so that the node is on screen.
    void MakeVisible();
    // Display-order index (-1 when not in the display order).
    int AbsoluteIndex() const;

    // Takes the node out of its parent's list (the parent loses its
    // has-children state when the list empties) or out of the root list.
    // The node stays alive and owned by the caller until it is put back or
    // deleted, which must happen before the control goes away.
    void Detach();
    // Appends a detached node to the roots.
    void AddToRootList();
    // Moves a detached node under Parent (nullptr: the roots), before Before (nullptr: append).
    void AttachTo(TdxTreeListNode* Parent, TdxTreeListNode* Before);

    // ----- data through the control -----------------------------------------------------
    Variant GetValue(int Column) const;
    void SetValue(int Column, const Variant& Value);
    std::string GetString(int Column) const;
    void SetString(int Column, const std::string& Value);
    std::string Strings(int Column) const { return GetString(Column); }

    void* Data() const { return m_children.Data(); }
    void SetData(void* Value) { m_children.SetData(Value); }
    int ImageIndex() const { return m_children.Image(0); }
    void SetImageIndex(int Value);
    int SelectedIndex() const { return m_children.Image(1); }
    void SetSelectedIndex(int Value);
    int StateIndex() const { return m_children.Image(2); }
    void SetStateIndex(int Value);
    // The image shown now: the selected image while focused.
    int GetImageIndex() const;
    int GetStateIndex() const { return StateIndex(); }

protected:
    // The node class's extra for this node (see TdxTreeListNodeExtra); nullptr when none.
    TdxTreeListNodeExtra* Extra() const { return m_children.Extra(); }
    void SetExtra(std::unique_ptr<TdxTreeListNodeExtra> Value) { m_children.SetExtra(std::move(Value)); }
    // Text storage for text nodes; the plain node keeps none.
    virtual bool HasOwnStrings() const { return false; }
    virtual std::string OwnString(int /*Column*/) const { return {}; }
    virtual void SetOwnString(int /*Column*/, const std::string& /*Value*/) {}

private:
    friend class TCustomdxTreeList;
    friend class TdxTreeListTextNode;

    // The node whose children hold this one; nullptr for a detached node and the hidden root.
    TdxTreeListNode* Holder() const { return m_detached ? nullptr : m_parent; }
    // Out of any list, still hanging on Owner's hidden root so that it finds Owner.
    void BecomeDetached(TCustomdxTreeList* Owner);
    void InsertChildNode(TdxTreeListNode* Child, int At);   // At = -1 appends
    void RemoveChildNode(TdxTreeListNode* Child);
    void RenumberChildren() const;
    void SetExpandedBranch(bool Value);   // this node and all below it

    // The control's hidden root for roots and for detached nodes (m_detached);
    // nullptr for the hidden root and for a node of no control.
    TdxTreeListNode* m_parent{nullptr};
    TdxTreeListNodeChildren m_children;          // with the data and images
    mutable int m_index{-1};
    int m_absIndex{-1};                          // valid while the display list is current
    bool m_expanded : 1 {false};
    bool m_hasChildren : 1 {false};
    bool m_selected : 1 {false};
    mutable bool m_indexDirty : 1 {false};       // children's m_index need renumbering
    bool m_deleting : 1 {false};
    bool m_identified : 1 {false};               // has a number (see TCustomdxTreeList::NodeIdentity)
    bool m_detached : 1 {false};
    bool m_isRoot : 1 {false};                   // a control's hidden root
};

// A node that owns one string per column; values are its strings.
class TdxTreeListTextNode : public TdxTreeListNode {
public:
    using TdxTreeListNode::TdxTreeListNode;

protected:
    bool HasOwnStrings() const override { return true; }
    std::string OwnString(int Column) const override;
    void SetOwnString(int Column, const std::string& Value) override;

private:
    std::vector<std::string> m_strings;
};

// Makes Index a valid slot of a node's per-column list (texts, values).
// Rows are filled column by column: the first growth makes room for all
// ColumnCount columns at once.
template <class T>
void GrowToColumn(std::vector<T>& Slots, std::size_t Index, int ColumnCount)
{
    if (Index < Slots.size())
        return;
    if (Slots.capacity() <= Index)
        Slots.reserve(std::max(Index + 1, static_cast<std::size_t>(std::max(0, ColumnCount))));
    Slots.resize(Index + 1);
}

// A column's slot follows its column: taken out when the column left the list
// (To < 0; the later slots move down by one), else moved from From to To.
template <class T>
void MoveColumnSlot(std::vector<T>& Slots, int From, int To)
{
    if (From < 0)
        return;
    const auto from = static_cast<std::size_t>(From);
    if (To < 0) {
        if (from < Slots.size())
            Slots.erase(Slots.begin() + From);
        return;
    }
    const auto to = static_cast<std::size_t>(To);
    if (std::max(from, to) >= Slots.size()) {
        if (from >= Slots.size() && to >= Slots.size())
            return;   // both slots empty: nothing moves
        Slots.resize(std::max(from, to) + 1);
    }
    if (from < to)
        std::rotate(Slots.begin() + From, Slots.begin() + From + 1, Slots.begin() + To + 1);
    else
        std::rotate(Slots.begin() + To, Slots.begin() + From, Slots.begin() + From + 1);
}

// Orders two nodes by their place in the tree: an ancestor before its
// descendants, otherwise by the order of the branches they hang on.
int CompareNodesPosition(const TdxTreeListNode* A, const TdxTreeListNode* B);
// Three-way comparison (-1, 0, 1) that cannot overflow.
int CompareIntegers(int A, int B);

} // namespace qel
