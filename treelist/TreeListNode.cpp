#include "treelist/TreeListNode.h"

#include "treelist/TreeList.h"

#include <algorithm>

namespace qel {

TdxTreeListNode::TdxTreeListNode(TCustomdxTreeList* Owner)
{
    // Until a parent takes it, a new node hangs on its control's root as a detached node does.
    BecomeDetached(Owner);
}

TdxTreeListNode::~TdxTreeListNode()
{
    m_deleting = true;
    // Found while the links up are whole: the children find it through this node.
    TCustomdxTreeList* owner = Owner();
    // Children first, so each leaves no trace in the control before this node does.
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it)
        delete *it;   // it sees this node deleting: it leaves the list alone
    m_children.clear();
    if (TdxTreeListNode* holder = Holder(); holder && !holder->m_deleting)
        holder->RemoveChildNode(this);
    m_parent = nullptr;
    if (owner && !m_isRoot)
        owner->NodeRemoved(this);
}

TCustomdxTreeList* TdxTreeListNode::Owner() const
{
    const TdxTreeListNode* top = this;
    while (top->m_parent)
        top = top->m_parent;
    return top->m_isRoot ? top->m_children.Control() : nullptr;
}

void TdxTreeListNode::BecomeDetached(TCustomdxTreeList* Owner)
{
    m_parent = Owner ? Owner->m_root.get() : nullptr;
    m_detached = m_parent != nullptr;
}

TdxTreeListNode* TdxTreeListNode::Parent() const
{
    return (m_detached || !m_parent || m_parent->m_isRoot) ? nullptr : m_parent;
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
    if (Sibling && Sibling->Holder() != this)
        throw EInvaliddxTreeListOperation("The node is not a child of this node");
    TdxTreeListNode* node = Owner()->CreateNode();
    InsertChildNode(node, Sibling ? Sibling->GetIndex() : -1);
    return node;
}

void TdxTreeListNode::DeleteChildren()
{
    if (m_children.empty())
        return;
    TUpdateScope<TCustomdxTreeList> scope(*Owner());
    while (!m_children.empty())
        delete m_children.back();
    m_hasChildren = false;
}

void TdxTreeListNode::InsertChildNode(TdxTreeListNode* Child, int At)
{
    Child->m_parent = this;
    Child->m_detached = false;
    if (At < 0 || At >= GetCount()) {
        m_children.Edit().push_back(Child);
        if (!m_indexDirty)
            Child->m_index = GetCount() - 1;
    } else {
        m_children.Edit().insert(m_children.Edit().begin() + At, Child);
        m_indexDirty = true;
    }
    TCustomdxTreeList* owner = Owner();
    if (!owner)
        return;
    if (m_isRoot && owner->m_displayValid && Child == m_children.back() && !Child->m_expanded) {
        // A root appended at the end: the display order grows by one row.
        Child->m_absIndex = static_cast<int>(owner->m_display.size());
        owner->m_display.push_back(Child);
        owner->m_scrollBarsDirty = true;
        if (owner->m_lockUpdate == 0)
            owner->Invalidate();
    } else if (m_isRoot || m_expanded) {
        owner->DisplayChanged();
    } else if (owner->m_lockUpdate == 0) {
        owner->Invalidate();   // the expand button may appear
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
    if (m_children.empty() && Holder())
        m_hasChildren = false;
    if (TCustomdxTreeList* owner = Owner())
        owner->DisplayChanged();
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
    TdxTreeListNode* holder = Holder();
    if (!holder)
        return -1;
    holder->RenumberChildren();
    return m_index;
}

bool TdxTreeListNode::IsLast() const
{
    return Holder() && GetIndex() == Holder()->GetCount() - 1;
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
    return Holder() ? Holder()->GetItem(GetIndex() + 1) : nullptr;
}

TdxTreeListNode* TdxTreeListNode::GetPrevSibling() const
{
    return Holder() ? Holder()->GetItem(GetIndex() - 1) : nullptr;
}

TdxTreeListNode* TdxTreeListNode::GetNext() const
{
    if (!m_children.empty())
        return m_children.front();
    for (const TdxTreeListNode* n = this; n && n->Holder(); n = n->Holder()) {
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
    if (TCustomdxTreeList* owner = Owner())
        owner->Invalidate();
}

void TdxTreeListNode::SetExpanded(bool Value)
{
    if (TCustomdxTreeList* owner = Owner())
        owner->SetNodeExpanded(this, Value);
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
    TUpdateScope<TCustomdxTreeList> scope(*Owner());
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
    if (!Holder())
        return false;
    for (const TdxTreeListNode* p = Holder(); p && p->Holder(); p = p->Holder())
        if (!p->m_expanded)
            return false;
    // Detached subtrees have a chain of holders that ends outside the control.
    const TdxTreeListNode* top = this;
    while (top->Holder())
        top = top->Holder();
    return top->m_isRoot;
}

bool TdxTreeListNode::GetFocused() const
{
    const TCustomdxTreeList* owner = Owner();
    return owner && owner->GetFocusedNode() == this;
}

void TdxTreeListNode::SetFocused(bool Value)
{
    TCustomdxTreeList* owner = Owner();
    if (!owner)
        return;
    if (Value)
        owner->SetFocusedNode(this);
    else if (GetFocused())
        owner->SetFocusedNode(nullptr);
}

void TdxTreeListNode::SetSelected(bool Value)
{
    if (TCustomdxTreeList* owner = Owner())
        owner->SelectNode(this, Value);
}

void TdxTreeListNode::MakeVisible()
{
    TCustomdxTreeList* owner = Owner();
    if (!owner)
        return;
    {
        TUpdateScope<TCustomdxTreeList> scope(*owner);
        for (TdxTreeListNode* p = Parent(); p; p = p->Parent())
            p->SetExpanded(true);
    }
    owner->MakeNodeVisible(this);
}

int TdxTreeListNode::AbsoluteIndex() const
{
    const TCustomdxTreeList* owner = Owner();
    return owner ? owner->GetAbsoluteIndex(this) : -1;
}

void TdxTreeListNode::Detach()
{
    TdxTreeListNode* parent = Holder();
    if (!parent)
        return;
    TCustomdxTreeList* owner = Owner();
    parent->RemoveChildNode(this);
    BecomeDetached(owner);
    if (owner) {
        // A detached subtree leaves the display order, the selection and the focus.
        std::vector<TdxTreeListNode*> stack{this};
        while (!stack.empty()) {
            TdxTreeListNode* n = stack.back();
            stack.pop_back();
            owner->NodeRemoved(n, false);
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
    if (Holder())
        throw EInvaliddxTreeListOperation("The node is not detached");
    if (Parent == this || (Parent && Parent->HasAsParent(this)))
        throw EInvaliddxTreeListOperation("A node cannot be moved below itself");
    TdxTreeListNode* target = Parent ? Parent : Owner()->m_root.get();
    if (Before && Before->Holder() != target)
        throw EInvaliddxTreeListOperation("The node is not a child of this node");
    target->InsertChildNode(this, Before ? Before->GetIndex() : -1);
}

Variant TdxTreeListNode::GetValue(int Column) const
{
    const TCustomdxTreeList* owner = Owner();
    return owner ? owner->GetNodeValue(this, Column) : Variant::Null();
}

void TdxTreeListNode::SetValue(int Column, const Variant& Value)
{
    if (TCustomdxTreeList* owner = Owner())
        owner->SetNodeValue(this, Column, Value);
}

std::string TdxTreeListNode::GetString(int Column) const
{
    const TCustomdxTreeList* owner = Owner();
    return owner ? owner->GetNodeString(this, Column) : OwnString(Column);
}

void TdxTreeListNode::SetString(int Column, const std::string& Value)
{
    if (TCustomdxTreeList* owner = Owner())
        owner->SetNodeString(this, Column, Value);
    else
        SetOwnString(Column, Value);
}

void TdxTreeListNode::SetImageIndex(int Value)
{
    m_children.SetImage(0, Value);
    if (TCustomdxTreeList* owner = Owner())
        owner->Invalidate();
}

void TdxTreeListNode::SetSelectedIndex(int Value)
{
    m_children.SetImage(1, Value);
    if (TCustomdxTreeList* owner = Owner())
        owner->Invalidate();
}

void TdxTreeListNode::SetStateIndex(int Value)
{
    m_children.SetImage(2, Value);
    if (TCustomdxTreeList* owner = Owner())
        owner->Invalidate();
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
