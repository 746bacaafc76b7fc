#include "treelist/TreeListNode.h"

#include "treelist/TreeList.h"

#include <algorithm>

namespace qel {

TdxTreeListNode::TdxTreeListNode(TCustomdxTreeList* Owner) : m_owner(Owner) {}

TdxTreeListNode::~TdxTreeListNode()
{
    m_deleting = true;
    // Children first, so each leaves no trace in the control before this node does.
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        TdxTreeListNode* child = *it;
        child->m_parent = nullptr;
        delete child;
    }
    m_children.clear();
    if (m_parent) {
        if (!m_parent->m_deleting)
            m_parent->RemoveChildNode(this);
        m_parent = nullptr;
    }
    if (m_owner && m_owner->m_root.get() != this)
        m_owner->NodeRemoved(this);
}

TdxTreeListNode* TdxTreeListNode::Parent() const
{
    return (m_parent && !(m_owner && m_parent == m_owner->m_root.get())) ? m_parent : nullptr;
}

int TdxTreeListNode::GetLevel() const
{
    int level = 0;
    for (const TdxTreeListNode* p = Parent(); p; p = p->Parent())
        ++level;
    return level;
}

TdxTreeListNode* TdxTreeListNode::GetItem(int Index) const
{
    if (Index < 0 || Index >= GetCount())
        return nullptr;
    return m_children[static_cast<std::size_t>(Index)];
}

TdxTreeListNode* TdxTreeListNode::AddChild()
{
    return InsertChild(nullptr);
}

TdxTreeListNode* TdxTreeListNode::InsertChild(TdxTreeListNode* Sibling)
{
    if (Sibling && Sibling->m_parent != this)
        throw EInvaliddxTreeListOperation("The node is not a child of this node");
    TdxTreeListNode* node = m_owner->CreateNode();
    InsertChildNode(node, Sibling ? Sibling->GetIndex() : -1);
    return node;
}

void TdxTreeListNode::DeleteChildren()
{
    if (m_children.empty())
        return;
    TUpdateScope<TCustomdxTreeList> scope(*m_owner);
    while (!m_children.empty())
        delete m_children.back();
    m_hasChildren = false;
}

void TdxTreeListNode::InsertChildNode(TdxTreeListNode* Child, int At)
{
    Child->m_parent = this;
    if (At < 0 || At >= GetCount()) {
        m_children.Edit().push_back(Child);
        if (!m_indexDirty)
            Child->m_index = GetCount() - 1;
    } else {
        m_children.Edit().insert(m_children.Edit().begin() + At, Child);
        m_indexDirty = true;
    }
    if (!m_owner)
        return;
    const bool isRoot = this == m_owner->m_root.get();
    if (isRoot && m_owner->m_displayValid && Child == m_children.back() && !Child->m_expanded) {
        // A root appended at the end: the display order grows by one row.
        Child->m_absIndex = static_cast<int>(m_owner->m_display.size());
        m_owner->m_display.push_back(Child);
        m_owner->m_scrollBarsDirty = true;
        if (m_owner->m_lockUpdate == 0)
            m_owner->Invalidate();
    } else if (isRoot || m_expanded) {
        m_owner->DisplayChanged();
    } else if (m_owner->m_lockUpdate == 0) {
        m_owner->Invalidate();   // the expand button may appear
    }
}

void TdxTreeListNode::RemoveChildNode(TdxTreeListNode* Child)
{
    // With stale indexes the child is found by address: renumbering every
    // sibling per removal made removing many children quadratic.
    int i = Child->m_index;
    if (m_indexDirty) {
        const auto it = std::find(m_children.begin(), m_children.end(), Child);
        i = it == m_children.end() ? -1 : static_cast<int>(it - m_children.begin());
    }
    if (i >= 0 && i < GetCount() && m_children[static_cast<std::size_t>(i)] == Child) {
        m_children.Edit().erase(m_children.Edit().begin() + i);
        if (i != GetCount())
            m_indexDirty = true;
    }
    Child->m_index = -1;
    if (m_children.empty() && m_parent)
        m_hasChildren = false;
    if (m_owner)
        m_owner->DisplayChanged();
}

void TdxTreeListNode::RenumberChildren() const
{
    if (!m_indexDirty)
        return;
    for (std::size_t i = 0; i < m_children.size(); ++i)
        m_children[i]->m_index = static_cast<int>(i);
    m_indexDirty = false;
}

int TdxTreeListNode::GetIndex() const
{
    if (!m_parent)
        return -1;
    m_parent->RenumberChildren();
    return m_index;
}

bool TdxTreeListNode::IsLast() const
{
    return m_parent && GetIndex() == m_parent->GetCount() - 1;
}

bool TdxTreeListNode::HasAsParent(const TdxTreeListNode* Node) const
{
    if (!Node)
        return false;
    for (const TdxTreeListNode* p = Parent(); p; p = p->Parent())
        if (p == Node)
            return true;
    return false;
}

TdxTreeListNode* TdxTreeListNode::GetNextSibling() const
{
    return m_parent ? m_parent->GetItem(GetIndex() + 1) : nullptr;
}

TdxTreeListNode* TdxTreeListNode::GetPrevSibling() const
{
    return m_parent ? m_parent->GetItem(GetIndex() - 1) : nullptr;
}

TdxTreeListNode* TdxTreeListNode::GetNext() const
{
    if (!m_children.empty())
        return m_children.front();
    for (const TdxTreeListNode* n = this; n && n->m_parent; n = n->m_parent) {
        if (TdxTreeListNode* s = n->GetNextSibling())
            return s;
    }
    return nullptr;
}

void TdxTreeListNode::SetHasChildren(bool Value)
{
    if (m_hasChildren == Value)
        return;
    m_hasChildren = Value;
    if (m_owner)
        m_owner->Invalidate();
}

void TdxTreeListNode::SetExpanded(bool Value)
{
    if (m_owner)
        m_owner->SetNodeExpanded(this, Value);
}

void TdxTreeListNode::Expand(bool Recurse)
{
    if (Recurse)
        SetExpandedBranch(true);
    else
        SetExpanded(true);
}

void TdxTreeListNode::Collapse(bool Recurse)
{
    if (Recurse)
        SetExpandedBranch(false);
    else
        SetExpanded(false);
}

// Expands only the nodes that have children; collapses every node.
void TdxTreeListNode::SetExpandedBranch(bool Value)
{
    TUpdateScope<TCustomdxTreeList> scope(*m_owner);
    // Iterative, so a deep tree cannot exhaust the stack.
    std::vector<TdxTreeListNode*> stack{this};
    while (!stack.empty()) {
        TdxTreeListNode* n = stack.back();
        stack.pop_back();
        if (!Value || n->HasChildren())
            n->SetExpanded(Value);
        for (TdxTreeListNode* c : n->m_children)
            stack.push_back(c);
    }
}

bool TdxTreeListNode::IsVisible() const
{
    if (!m_parent)
        return false;
    for (const TdxTreeListNode* p = m_parent; p && p->m_parent; p = p->m_parent)
        if (!p->m_expanded)
            return false;
    // Detached subtrees have a parent chain that ends outside the control.
    const TdxTreeListNode* top = this;
    while (top->m_parent)
        top = top->m_parent;
    return m_owner && top == m_owner->m_root.get();
}

bool TdxTreeListNode::GetFocused() const
{
    return m_owner && m_owner->GetFocusedNode() == this;
}

void TdxTreeListNode::SetFocused(bool Value)
{
    if (!m_owner)
        return;
    if (Value)
        m_owner->SetFocusedNode(this);
    else if (GetFocused())
        m_owner->SetFocusedNode(nullptr);
}

void TdxTreeListNode::SetSelected(bool Value)
{
    if (m_owner)
        m_owner->SelectNode(this, Value);
}

void TdxTreeListNode::MakeVisible()
{
    if (!m_owner)
        return;
    {
        TUpdateScope<TCustomdxTreeList> scope(*m_owner);
        for (TdxTreeListNode* p = Parent(); p; p = p->Parent())
            p->SetExpanded(true);
    }
    m_owner->MakeNodeVisible(this);
}

int TdxTreeListNode::AbsoluteIndex() const
{
    return m_owner ? m_owner->GetAbsoluteIndex(this) : -1;
}

void TdxTreeListNode::Detach()
{
    if (!m_parent)
        return;
    TdxTreeListNode* parent = m_parent;
    parent->RemoveChildNode(this);
    m_parent = nullptr;
    if (m_owner) {
        // A detached subtree leaves the display order, the selection and the focus.
        std::vector<TdxTreeListNode*> stack{this};
        while (!stack.empty()) {
            TdxTreeListNode* n = stack.back();
            stack.pop_back();
            m_owner->NodeRemoved(n, false);
            for (TdxTreeListNode* c : n->m_children)
                stack.push_back(c);
        }
    }
}

void TdxTreeListNode::AddToRootList()
{
    AttachTo(nullptr, nullptr);
}

void TdxTreeListNode::AttachTo(TdxTreeListNode* Parent, TdxTreeListNode* Before)
{
    if (m_parent)
        throw EInvaliddxTreeListOperation("The node is not detached");
    if (Parent == this || (Parent && Parent->HasAsParent(this)))
        throw EInvaliddxTreeListOperation("A node cannot be moved below itself");
    TdxTreeListNode* target = Parent ? Parent : m_owner->m_root.get();
    if (Before && Before->m_parent != target)
        throw EInvaliddxTreeListOperation("The node is not a child of this node");
    target->InsertChildNode(this, Before ? Before->GetIndex() : -1);
}

Variant TdxTreeListNode::GetValue(int Column) const
{
    return m_owner ? m_owner->GetNodeValue(this, Column) : Variant::Null();
}

void TdxTreeListNode::SetValue(int Column, const Variant& Value)
{
    if (m_owner)
        m_owner->SetNodeValue(this, Column, Value);
}

std::string TdxTreeListNode::GetString(int Column) const
{
    return m_owner ? m_owner->GetNodeString(this, Column) : OwnString(Column);
}

void TdxTreeListNode::SetString(int Column, const std::string& Value)
{
    if (m_owner)
        m_owner->SetNodeString(this, Column, Value);
    else
        SetOwnString(Column, Value);
}

void TdxTreeListNode::SetImageIndex(int Value)
{
    m_children.SetImage(0, Value);
    if (m_owner)
        m_owner->Invalidate();
}

void TdxTreeListNode::SetSelectedIndex(int Value)
{
    m_children.SetImage(1, Value);
    if (m_owner)
        m_owner->Invalidate();
}

void TdxTreeListNode::SetStateIndex(int Value)
{
    m_children.SetImage(2, Value);
    if (m_owner)
        m_owner->Invalidate();
}

int TdxTreeListNode::GetImageIndex() const
{
    return (GetFocused() && SelectedIndex() >= 0) ? SelectedIndex() : ImageIndex();
}

// ----- text node ---------------------------------------------------------------------

std::string TdxTreeListTextNode::OwnString(int Column) const
{
    if (Column < 0 || Column >= static_cast<int>(m_strings.size()))
        return {};
    return m_strings[static_cast<std::size_t>(Column)];
}

void TdxTreeListTextNode::SetOwnString(int Column, const std::string& Value)
{
    if (Column < 0 || (Value.empty() && Column >= static_cast<int>(m_strings.size())))
        return;
    GrowToColumn(m_strings, static_cast<std::size_t>(Column), Owner() ? Owner()->GetColumnCount() : 0);
    m_strings[static_cast<std::size_t>(Column)] = Value;
}

// ----- helpers -----------------------------------------------------------------------------

int CompareIntegers(int A, int B)
{
    return (A > B) - (A < B);
}

int CompareNodesPosition(const TdxTreeListNode* A, const TdxTreeListNode* B)
{
    if (A == B)
        return 0;
    if (!A)
        return -1;
    if (!B)
        return 1;
    int la = A->GetLevel();
    int lb = B->GetLevel();
    // Bring the deeper node up to the other's level; meeting the other means an ancestor.
    const TdxTreeListNode* a = A;
    const TdxTreeListNode* b = B;
    while (la > lb) {
        a = a->Parent();
        --la;
    }
    while (lb > la) {
        b = b->Parent();
        --lb;
    }
    if (a == b)
        return CompareIntegers(A->GetLevel(), B->GetLevel());
    while (a->Parent() != b->Parent()) {
        a = a->Parent();
        b = b->Parent();
    }
    return CompareIntegers(a->GetIndex(), b->GetIndex());
}

} // namespace qel
