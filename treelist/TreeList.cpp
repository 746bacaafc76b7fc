#include "treelist/TreeList.h"

#include "editors/InplaceEdit.h"

#include "platform/core/Locale.h"
#include "treelist/CustomizeForm.h"
#include "platform/graphics/ImageList.h"

#include <algorithm>

namespace qel {

TCustomdxTreeList::TCustomdxTreeList(TComponent* AOwner)
    : TCustomdxContainer(AOwner),
      m_root(std::make_unique<TdxTreeListNode>(nullptr)),
      m_bandFont(std::make_unique<TFont>()),
      m_headerFont(std::make_unique<TFont>()),
      m_previewFont(std::make_unique<TFont>())
{
    // Nodes find their control through the root.
    m_root->m_isRoot = true;
    m_root->m_children.SetControl(this);
    m_previewFont->SetColor(clBlue);
    InitColor(clWindow);
    m_clickTimer = new TTimer(this);
    m_clickTimer->SetEnabled(false);
    m_clickTimer->OnTimer = [this](TObject*) { ClickTimerElapsed(); };
    m_expandTimer = new TTimer(this);
    m_expandTimer->SetEnabled(false);
    m_expandTimer->OnTimer = [this](TObject*) { ExpandTimerElapsed(); };
    SetTabStop(true);
    SetOpaque(true);
}

TCustomdxTreeList::~TCustomdxTreeList()
{
    m_dragImage.reset();
    m_dragArrows.reset();
    m_editor.reset();
    m_clearing = true;
    m_lockUpdate = 1;   // nothing repaints or relayouts while the nodes go
    // The nodes are freed while the control's members they report to still exist.
    m_root.reset();
}

// ----- update lock ----------------------------------------------------------------------

void TCustomdxTreeList::BeginUpdate()
{
    if (m_lockUpdate == 0)
        HideEditor();
    ++m_lockUpdate;
    ++m_selectionLock;
}

void TCustomdxTreeList::EndUpdate()
{
    if (m_lockUpdate == 0)
        return;
    --m_lockUpdate;
    if (m_lockUpdate > 0) {
        --m_selectionLock;
        return;
    }
    // The selection lock closes even when the layout step fails.
    Finally closeSelection([this] { EndSelection(); });
    LayoutChanged();
}

void TCustomdxTreeList::LayoutChanged()
{
    m_headerLayout.Valid = false;
    if (m_customizeForm)
        m_customizeForm->RefreshColumns();
    if (m_lockUpdate > 0)
        return;
    m_measured = false;
    m_topIndex = ClampTopIndex(m_topIndex);
    // A wider window or narrower columns leave less to scroll.
    m_leftCoord = ClampLeftCoord(m_leftCoord);
    UpdateScrollBars();
    if (m_editor && m_editing && m_focused) {
        const TRect r = GetCellRect(m_focused, m_focusedColumn);
        if (r.IsEmpty())
            HideEditor();
        else
            m_editor->SetBounds(r);
    }
    Invalidate();
}

// ----- nodes ----------------------------------------------------------------------------

TdxTreeListNode* TCustomdxTreeList::CreateNode()
{
    return new TdxTreeListNode(this);
}

TdxTreeListNode* TCustomdxTreeList::Add()
{
    return Insert(nullptr);
}

TdxTreeListNode* TCustomdxTreeList::Insert(TdxTreeListNode* Before)
{
    if (Before && Before->Holder() != m_root.get())
        throw EInvaliddxTreeListOperation("The node is not a root node of this tree list");
    TdxTreeListNode* node = CreateNode();
    m_root->InsertChildNode(node, Before ? Before->GetIndex() : -1);
    return node;
}

void TCustomdxTreeList::ClearNodes()
{
    TUpdateScope<TCustomdxTreeList> scope(*this);
    ClearSelection();
    {
        TValueRestorer<bool> clearing(m_clearing, true);
        TdxTreeListNode* old = m_focused;
        m_focused = nullptr;
        m_anchor = nullptr;
        m_expandCandidate = nullptr;
        auto& roots = m_root->m_children.Edit();
        m_root->m_deleting = true;
        Finally done([&] { m_root->m_deleting = false; });
        while (!roots.empty()) {
            TdxTreeListNode* n = roots.back();
            roots.pop_back();
            delete n;   // it sees the root deleting: it leaves the list alone
        }
        m_root->m_indexDirty = false;
        if (old)
            DoChangeNode(old, nullptr);
    }
    m_display.clear();
    m_displayValid = true;
    m_topIndex = 0;
}

int TCustomdxTreeList::GetCount() const
{
    return m_root->GetCount();
}

TdxTreeListNode* TCustomdxTreeList::GetItem(int Index) const
{
    return m_root->GetItem(Index);
}

int TCustomdxTreeList::GetNodeCount() const
{
    int n = 0;
    for (TdxTreeListNode* p = GetItem(0); p; p = p->GetNext())
        ++n;
    return n;
}

std::uint64_t TCustomdxTreeList::NodeIdentity(const TdxTreeListNode* Node)
{
    if (!Node)
        return 0;
    CheckNodeOwner(Node);
    auto* node = const_cast<TdxTreeListNode*>(Node);
    node->m_identified = true;
    return m_nodeIdentities.Publish(node);
}

void TCustomdxTreeList::NodeRemoved(TdxTreeListNode* Node, bool Deleted)
{
    NoteRemoval();
    if (Deleted && Node->m_identified) {
        m_nodeIdentities.Withdraw(Node);
        Node->m_identified = false;
    }
    if (Node->m_selected) {
        Node->m_selected = false;
        auto it = std::find(m_selection.begin(), m_selection.end(), Node);
        if (it != m_selection.end())
            m_selection.erase(it);
        SelectionChanged();
    }
    if (Node == m_anchor)
        m_anchor = nullptr;
    if (Node == m_expandCandidate)
        m_expandCandidate = nullptr;
    if (Node == m_focused) {
        HideEditor();
        m_focused = nullptr;
        if (!m_clearing)
            DoChangeNode(Node, nullptr);
    }
    m_displayValid = false;
    if (Deleted && !IsDestroying())
        DoDeletion(Node);
}

void TCustomdxTreeList::ReplaceChildren(TdxTreeListNode* Parent, const std::vector<TdxTreeListNode*>& Children,
                                        std::vector<std::unique_ptr<TdxTreeListNode>>& Removed)
{
    TdxTreeListNode* target = Parent ? Parent : m_root.get();
    CheckNodeOwner(target);
    // Every present child is marked leaving (-1), every child in the list staying
    // (its new index); a detached node in the list must not hang above Parent.
    for (TdxTreeListNode* c : target->m_children)
        c->m_index = -1;
    for (std::size_t i = 0; i < Children.size(); ++i) {
        TdxTreeListNode* c = Children[i];
        if (!c || c->Owner() != this || (c->Holder() && c->Holder() != target) || c->m_index >= 0 ||
            c == target || target->HasAsParent(c)) {
            for (std::size_t k = 0; k < i; ++k)
                Children[k]->m_index = -1;
            target->m_indexDirty = true;
            throw EInvaliddxTreeListOperation("The node cannot become a child of this node");
        }
        c->m_index = static_cast<int>(i);
    }
    const std::size_t first = Removed.size();
    Removed.reserve(first + static_cast<std::size_t>(std::count_if(
                                target->m_children.begin(), target->m_children.end(),
                                [](const TdxTreeListNode* C) { return C->m_index < 0; })));
    for (TdxTreeListNode* c : target->m_children)
        if (c->m_index < 0) {
            c->BecomeDetached(this);
            Removed.emplace_back(c);
        }
    target->m_children.Edit() = Children;
    target->m_indexDirty = false;
    for (TdxTreeListNode* c : Children) {
        c->m_parent = target;
        c->m_detached = false;
    }
    if (target->m_children.empty() && target != m_root.get())
        target->m_hasChildren = false;
    // The selection gives up the leaving nodes (and their subtrees) in one pass.
    std::vector<TdxTreeListNode*> leaving;
    for (std::size_t i = first; i < Removed.size(); ++i)
        leaving.push_back(Removed[i].get());
    bool deselected = false;
    for (std::size_t i = 0; i < leaving.size(); ++i) {
        TdxTreeListNode* n = leaving[i];
        deselected = deselected || n->m_selected;
        n->m_selected = false;
        if (i >= Removed.size() - first)   // below a leaving node
            continue;
        std::vector<TdxTreeListNode*> stack(n->m_children.begin(), n->m_children.end());
        while (!stack.empty()) {
            TdxTreeListNode* d = stack.back();
            stack.pop_back();
            leaving.push_back(d);
            stack.insert(stack.end(), d->m_children.begin(), d->m_children.end());
        }
    }
    if (deselected) {
        std::erase_if(m_selection, [](const TdxTreeListNode* N) { return !N->m_selected; });
        SelectionChanged();
    }
    for (TdxTreeListNode* n : leaving)
        NodeRemoved(n, false);
    DisplayChanged();
}

void TCustomdxTreeList::DoDeletion(TdxTreeListNode* Node)
{
    if (OnDeletion)
        OnDeletion(this, Node);
}

void TCustomdxTreeList::DisplayChanged()
{
    // The display order and the scroll bars are brought up to date when next
    // asked (or painted), so adding nodes one by one stays linear.
    m_displayValid = false;
    m_scrollBarsDirty = true;
    if (m_lockUpdate == 0 && !m_clearing)
        Invalidate();
}

void TCustomdxTreeList::InvalidateNode(TdxTreeListNode* Node)
{
    if (!Node || m_lockUpdate > 0)
        return;
    if (!m_displayValid) {
        Invalidate();
        return;
    }
    const TRect r = GetNodeRect(Node);
    if (!r.IsEmpty())
        InvalidateRect(r);
}

void TCustomdxTreeList::FitChildList(TdxTreeListNode* Node)
{
    (Node ? Node : m_root.get())->m_children.Fit();
}

void TCustomdxTreeList::EnsureDisplay() const
{
    if (!m_displayValid)
        RebuildDisplay();
}

namespace {

// Calls Visit for every node shown, in display order (a node shows when
// every ancestor is expanded).
template <class F>
void WalkShownNodes(const TdxTreeListNode* Root, F&& Visit)
{
    std::vector<std::pair<const TdxTreeListNode*, int>> stack;
    stack.emplace_back(Root, 0);
    while (!stack.empty()) {
        auto& [node, next] = stack.back();
        if (next >= node->Count()) {
            stack.pop_back();
            continue;
        }
        TdxTreeListNode* child = node->Items(next++);
        Visit(child);
        if (child->Expanded() && child->Count() > 0)
            stack.emplace_back(child, 0);
    }
}

} // namespace

void TCustomdxTreeList::RebuildDisplay() const
{
    // The list is made at its exact size: grown by doubling, a list of a
    // million rows would leave the heap megabytes of freed smaller copies,
    // and one that shrank a lot gives its room back.
    std::size_t shown = 0;
    WalkShownNodes(m_root.get(), [&shown](TdxTreeListNode*) { ++shown; });
    if (m_display.capacity() < shown || m_display.capacity() / 2 > shown + 1024) {
        std::vector<TdxTreeListNode*> exact;
        exact.reserve(shown);
        m_display.swap(exact);
    }
    m_display.clear();
    WalkShownNodes(m_root.get(), [this](TdxTreeListNode* Node) {
        Node->m_absIndex = static_cast<int>(m_display.size());
        m_display.push_back(Node);
    });
    m_displayValid = true;
}

int TCustomdxTreeList::GetAbsoluteCount() const
{
    EnsureDisplay();
    return static_cast<int>(m_display.size());
}

int TCustomdxTreeList::GetAbsoluteIndex(const TdxTreeListNode* Node) const
{
    if (!Node || Node->Owner() != this)
        return -1;
    EnsureDisplay();
    const int i = Node->m_absIndex;
    if (i >= 0 && i < static_cast<int>(m_display.size()) && m_display[static_cast<std::size_t>(i)] == Node)
        return i;
    return -1;
}

TdxTreeListNode* TCustomdxTreeList::GetAbsoluteNode(int Index) const
{
    EnsureDisplay();
    if (Index < 0 || Index >= static_cast<int>(m_display.size()))
        return nullptr;
    return m_display[static_cast<std::size_t>(Index)];
}

TdxTreeListNode* TCustomdxTreeList::GetNextVisibleNode(const TdxTreeListNode* Node) const
{
    const int i = GetAbsoluteIndex(Node);
    return i < 0 ? nullptr : GetAbsoluteNode(i + 1);
}

TdxTreeListNode* TCustomdxTreeList::GetPrevVisibleNode(const TdxTreeListNode* Node) const
{
    const int i = GetAbsoluteIndex(Node);
    return i < 0 ? nullptr : GetAbsoluteNode(i - 1);
}

void TCustomdxTreeList::FullExpand()
{
    TUpdateScope<TCustomdxTreeList> scope(*this);
    for (int i = 0; i < GetCount(); ++i)
        GetItem(i)->Expand(true);
}

void TCustomdxTreeList::FullCollapse()
{
    TUpdateScope<TCustomdxTreeList> scope(*this);
    for (int i = 0; i < GetCount(); ++i)
        GetItem(i)->Collapse(true);
}

bool TCustomdxTreeList::CanExpand(TdxTreeListNode* Node)
{
    bool allow = true;
    if (OnExpanding)
        OnExpanding(this, Node, allow);
    return allow;
}

bool TCustomdxTreeList::CanCollapse(TdxTreeListNode* Node)
{
    bool allow = true;
    if (OnCollapsing)
        OnCollapsing(this, Node, allow);
    return allow;
}

void TCustomdxTreeList::DoExpanded(TdxTreeListNode* Node)
{
    if (OnExpanded)
        OnExpanded(this, Node);
}

void TCustomdxTreeList::DoCollapsed(TdxTreeListNode* Node)
{
    if (OnCollapsed)
        OnCollapsed(this, Node);
}

bool TCustomdxTreeList::SetNodeExpanded(TdxTreeListNode* Node, bool Value)
{
    if (Node->m_expanded == Value)
        return true;
    if (Value ? !CanExpand(Node) : !CanCollapse(Node))
        return false;
    if (!Value && m_focused && m_focused->HasAsParent(Node)) {
        // The focus cannot stay on a row that disappears.
        SetFocusedNode(Node);
    }
    Node->m_expanded = Value;
    if (Node->IsVisible() || !Node->Parent())
        DisplayChanged();
    if (Value)
        DoExpanded(Node);
    else
        DoCollapsed(Node);
    return true;
}

void TCustomdxTreeList::CheckNodeOwner(const TdxTreeListNode* Node) const
{
    if (Node && Node->Owner() != this)
        throw EInvaliddxTreeListOperation("The node belongs to another tree list");
}

// ----- focus --------------------------------------------------------------------------------

void TCustomdxTreeList::SetFocusedNode(TdxTreeListNode* Node)
{
    CheckNodeOwner(Node);
    if (Node == m_focused)
        return;
    ChangeFocus(Node);
}

void TCustomdxTreeList::ChangeFocus(TdxTreeListNode* Node)
{
    const bool wasEditing = m_editing;
    HideEditor();
    TdxTreeListNode* old = m_focused;
    if (old)
        InvalidateNode(old);
    m_focused = Node;
    if (Node) {
        Node->MakeVisible();
        InvalidateNode(Node);
    }
    m_pendingFocusRepaint = m_lockUpdate > 0;
    DoChangeNode(old, Node);
    if (wasEditing)
        m_showEditorPending = true;
}

void TCustomdxTreeList::DoChangeNode(TdxTreeListNode* OldNode, TdxTreeListNode* Node)
{
    if (OnChangeNode)
        OnChangeNode(this, OldNode, Node);
}

void TCustomdxTreeList::SetFocusedColumn(int Column)
{
    if (Column < -1 || Column >= GetColumnCount())
        Column = -1;
    if (Column == m_focusedColumn)
        return;
    const bool wasEditing = m_editing;
    HideEditor();
    m_focusedColumn = Column;
    if (m_focused)
        InvalidateNode(m_focused);
    if (OnChangeColumn)
        OnChangeColumn(this, Column);
    if (wasEditing)
        m_showEditorPending = true;
}

void TCustomdxTreeList::InvalidatePendingFocusRow()
{
    if (!m_pendingFocusRepaint || m_lockUpdate > 0)
        return;
    m_pendingFocusRepaint = false;
    if (m_focused)
        InvalidateNode(m_focused);
}

// ----- selection ----------------------------------------------------------------------------

void TCustomdxTreeList::BeginSelection()
{
    ++m_selectionLock;
}

void TCustomdxTreeList::EndSelection()
{
    if (m_selectionLock > 0)
        --m_selectionLock;
    if (m_selectionLock == 0 && m_selectionChanged) {
        m_selectionChanged = false;
        DoSelectionChanged();
    }
}

void TCustomdxTreeList::SelectionChanged()
{
    m_selectionChanged = true;
    if (m_selectionLock == 0 && !m_clearing) {
        m_selectionChanged = false;
        DoSelectionRepaint();
        DoSelectionChanged();
    }
}

void TCustomdxTreeList::DoSelectionChanged()
{
    if (OnSelectionChanged && !IsDestroying())
        OnSelectionChanged(this);
}

TdxTreeListNode* TCustomdxTreeList::GetSelectedItem(int Index) const
{
    if (Index < 0 || Index >= static_cast<int>(m_selection.size()))
        return nullptr;
    return m_selection[static_cast<std::size_t>(Index)];
}

void TCustomdxTreeList::ClearSelection()
{
    if (m_selection.empty())
        return;
    for (TdxTreeListNode* n : m_selection)
        n->m_selected = false;
    m_selection.clear();
    SelectionChanged();
}

void TCustomdxTreeList::SelectNode(TdxTreeListNode* Node, bool Select)
{
    if (!Node)
        return;
    CheckNodeOwner(Node);
    if (Node->m_selected == Select)
        return;
    if (Select && !IsNodeSelectable(Node))
        return;
    Node->m_selected = Select;
    if (Select) {
        m_selection.push_back(Node);
    } else {
        auto it = std::find(m_selection.begin(), m_selection.end(), Node);
        if (it != m_selection.end())
            m_selection.erase(it);
    }
    SelectionChanged();
}

void TCustomdxTreeList::SelectRange(TdxTreeListNode* From, TdxTreeListNode* To)
{
    int a = GetAbsoluteIndex(From);
    int b = GetAbsoluteIndex(To);
    if (a < 0 || b < 0)
        return;
    if (a > b)
        std::swap(a, b);
    BeginSelection();
    Finally done([this] { EndSelection(); });
    for (int i = a; i <= b; ++i)
        SelectNode(GetAbsoluteNode(i), true);
}

void TCustomdxTreeList::SelectAll()
{
    if (GetAbsoluteCount() > 0)
        SelectRange(GetAbsoluteNode(0), GetAbsoluteNode(GetAbsoluteCount() - 1));
}

int TCustomdxTreeList::CompareIndexes(const TdxTreeListNode* A, const TdxTreeListNode* B) const
{
    return CompareNodesPosition(A, B);
}

void TCustomdxTreeList::ClearSelectionAnchor()
{
    m_anchor = nullptr;
    m_pressedColumn = -1;
    m_clickTimer->SetEnabled(false);
}

bool TCustomdxTreeList::IsInvertSelect() const
{
    return m_optionsEx.Contains(aoInvertSelect) && !m_options.Contains(aoRowSelect);
}

// ----- sorting ------------------------------------------------------------------------------------

void TCustomdxTreeList::ClearSorting()
{
    m_sortedColumns.clear();
}

void TCustomdxTreeList::AddSortedColumn(int Column)
{
    if (std::find(m_sortedColumns.begin(), m_sortedColumns.end(), Column) == m_sortedColumns.end())
        m_sortedColumns.push_back(Column);
}

void TCustomdxTreeList::RemoveSortedColumn(int Column)
{
    m_sortedColumns.erase(std::remove(m_sortedColumns.begin(), m_sortedColumns.end(), Column),
                          m_sortedColumns.end());
}

int TCustomdxTreeList::CompareSortValues(const Variant& A, const Variant& B, TdxTreeListColumnSort Dir) const
{
    int c;
    if (A.IsString() && B.IsString())
        c = m_options.Contains(aoCaseInsensitive) ? AnsiCompareText(A.AsString(), B.AsString())
                                                  : AnsiCompareStr(A.AsString(), B.AsString());
    else
        c = Variant::Compare(A, B);
    c = (c > 0) - (c < 0);
    return Dir == csUp ? -c : c;
}

int TCustomdxTreeList::CompareNodes(TdxTreeListNode* A, TdxTreeListNode* B) const
{
    for (int column : m_sortedColumns) {
        const TdxTreeListColumnSort dir = GetColumnSorted(column);
        if (dir == csNone)
            continue;
        if (const int c = CompareSortValues(GetNodeValue(A, column), GetNodeValue(B, column), dir))
            return c;
    }
    return 0;
}

void TCustomdxTreeList::SortChildren(std::vector<TdxTreeListNode*>& List)
{
    if (!ComparesByValues(List)) {
        std::stable_sort(List.begin(), List.end(),
                         [this](TdxTreeListNode* A, TdxTreeListNode* B) { return CompareNodes(A, B) < 0; });
        return;
    }
    // Each node's values are read once, into one block in list order; the
    // comparisons then touch no node.
    std::vector<std::pair<int, TdxTreeListColumnSort>> columns;
    for (int column : m_sortedColumns)
        if (const TdxTreeListColumnSort dir = GetColumnSorted(column); dir != csNone)
            columns.emplace_back(column, dir);
    if (columns.empty())
        return;
    const std::size_t width = columns.size();
    std::vector<Variant> keys;
    keys.reserve(List.size() * width);
    for (TdxTreeListNode* node : List)
        for (const auto& [column, dir] : columns)
            keys.push_back(GetNodeValue(node, column));
    std::vector<std::uint32_t> order(List.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<std::uint32_t>(i);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t A, std::uint32_t B) {
        for (std::size_t k = 0; k < width; ++k)
            if (const int c = CompareSortValues(keys[A * width + k], keys[B * width + k], columns[k].second))
                return c < 0;
        return false;
    });
    std::vector<TdxTreeListNode*> sorted;
    sorted.reserve(List.size());
    for (std::uint32_t i : order)
        sorted.push_back(List[i]);
    List.swap(sorted);
}

void TCustomdxTreeList::SortNodes()
{
    if (!HasNodeOrder())
        return;
    std::vector<TdxTreeListNode*> stack{m_root.get()};
    while (!stack.empty()) {
        TdxTreeListNode* n = stack.back();
        stack.pop_back();
        if (n->m_children.size() > 1) {
            SortChildren(n->m_children.Edit());
            n->m_indexDirty = true;
        }
        for (TdxTreeListNode* c : n->m_children)
            stack.push_back(c);
    }
    DisplayChanged();
}

// ----- incremental search -------------------------------------------------------------------------

void TCustomdxTreeList::StartSearch(int Column)
{
    if (Column < 0 || Column >= GetColumnCount())
        return;
    HideEditor();
    m_searchColumn = Column;
    m_searchText.clear();
    SetFocusedColumn(Column);
}

void TCustomdxTreeList::EndSearch()
{
    m_searchColumn = -1;
    m_searchText.clear();
}

static bool StartsWithText(const std::string& Text, const std::string& Prefix)
{
    if (Prefix.size() > Text.size())
        return false;
    return AnsiCompareText(Text.substr(0, Prefix.size()), Prefix) == 0;
}

bool TCustomdxTreeList::SearchAppend(const std::string& Text)
{
    if (m_searchColumn < 0)
        return false;
    const std::string wanted = m_searchText + Text;
    const int count = GetAbsoluteCount();
    const int start = std::max(0, GetAbsoluteIndex(m_focused));
    for (int k = 0; k < count; ++k) {
        TdxTreeListNode* n = GetAbsoluteNode((start + k) % count);
        if (StartsWithText(GetCellText(n, m_searchColumn), wanted)) {
            m_searchText = wanted;
            SetFocusedNode(n);
            return true;
        }
    }
    return false;
}

bool TCustomdxTreeList::SearchNext(bool Forward)
{
    if (m_searchColumn < 0 || m_searchText.empty())
        return false;
    const int count = GetAbsoluteCount();
    const int start = GetAbsoluteIndex(m_focused);
    for (int k = 1; k < count; ++k) {
        const int i = Forward ? start + k : start - k;
        if (i < 0 || i >= count)
            break;
        TdxTreeListNode* n = GetAbsoluteNode(i);
        if (StartsWithText(GetCellText(n, m_searchColumn), m_searchText)) {
            SetFocusedNode(n);
            return true;
        }
    }
    return false;
}

// ----- values -----------------------------------------------------------------------------------

Variant TCustomdxTreeList::GetNodeValue(const TdxTreeListNode* Node, int Column) const
{
    return Variant(GetNodeString(Node, Column));
}

void TCustomdxTreeList::SetNodeValue(TdxTreeListNode* Node, int Column, const Variant& Value)
{
    SetNodeString(Node, Column, Value.IsEmptyOrNull() ? std::string() : Value.AsString());
}

std::string TCustomdxTreeList::GetNodeString(const TdxTreeListNode* Node, int Column) const
{
    return Node ? Node->OwnString(Column) : std::string();
}

void TCustomdxTreeList::SetNodeString(TdxTreeListNode* Node, int Column, const std::string& Value)
{
    if (!Node)
        return;
    Node->SetOwnString(Column, Value);
    InvalidateNode(Node);
}

std::string TCustomdxTreeList::GetCellText(TdxTreeListNode* Node, int Column) const
{
    return GetNodeString(Node, Column);
}

// ----- row footers and footer ----------------------------------------------------------------

bool TCustomdxTreeList::IsLevelFooter(int Level) const
{
    bool result = false;
    if (OnIsLevelFooter)
        OnIsLevelFooter(const_cast<TCustomdxTreeList*>(this), Level, result);
    return result;
}

int TCustomdxTreeList::GetRowFooterCountOfNode(TdxTreeListNode* Node) const
{
    // Footers close after the last visible row of a group: the node is the
    // last child of its parent (and has no expanded children of its own);
    // each ancestor whose last descendant in display order is this node closes too.
    if (!Node || !m_showRowFooter)
        return 0;
    if (Node->Expanded() && Node->GetCount() > 0)
        return 0;
    int count = 0;
    const TdxTreeListNode* n = Node;
    while (n->Parent() && n->IsLast()) {
        if (IsLevelFooter(n->Parent()->GetLevel()))
            ++count;
        n = n->Parent();
    }
    return count;
}

int TCustomdxTreeList::GetRowFooterCount(TdxTreeListNode* Node) const
{
    return GetRowFooterCountOfNode(Node);
}

int TCustomdxTreeList::GetRowFooterLevel(TdxTreeListNode* Node, int FooterIndex) const
{
    if (!Node || FooterIndex < 0 || FooterIndex >= GetRowFooterCount(Node))
        return -1;
    int k = 0;
    const TdxTreeListNode* n = Node;
    while (n->Parent() && n->IsLast()) {
        const int level = n->Parent()->GetLevel();
        if (IsLevelFooter(level)) {
            if (k == FooterIndex)
                return level;
            ++k;
        }
        n = n->Parent();
    }
    return -1;
}

TAlignment TCustomdxTreeList::GetRowFooterCellAlignment(TdxTreeListNode*, int Column, int) const
{
    return GetColumnAlignmentByIndex(Column);
}

void TCustomdxTreeList::GetRowFooterCellText(TdxTreeListNode* Node, int Column, int FooterIndex,
                                             std::string& Text) const
{
    Text.clear();
    if (OnGetFooterCellText)
        OnGetFooterCellText(const_cast<TCustomdxTreeList*>(this), Node, Column, FooterIndex, Text);
}

bool TCustomdxTreeList::IsRowFooterCellAssigned(TdxTreeListNode*, int, int) const
{
    return false;
}

bool TCustomdxTreeList::IsExistRowFooterCell(TdxTreeListNode* Node, int Column, int FooterIndex) const
{
    bool exist = false;
    if (OnIsExistRowFooterCell)
        OnIsExistRowFooterCell(const_cast<TCustomdxTreeList*>(this), Node, Column, FooterIndex, exist);
    return exist;
}

bool TCustomdxTreeList::IsExistFooterCell(int Column) const
{
    bool exist = false;
    if (OnIsExistFooterCell)
        OnIsExistFooterCell(const_cast<TCustomdxTreeList*>(this), Column, exist);
    return exist;
}

std::string TCustomdxTreeList::GetFooterCellText(int Column) const
{
    std::string text;
    if (OnGetFooterCellText)
        OnGetFooterCellText(const_cast<TCustomdxTreeList*>(this), nullptr, Column, -1, text);
    return text;
}

// ----- overridable queries ----------------------------------------------------------------------

std::string TCustomdxTreeList::GetGroupRowText(TdxTreeListNode* Node) const
{
    const int column = GetVisibleColumn(0);
    return column < 0 ? std::string() : GetCellText(Node, column);
}

void TCustomdxTreeList::GetLevelColor(int Level, TColor& Color) const
{
    if (OnGetLevelColor)
        OnGetLevelColor(const_cast<TCustomdxTreeList*>(this), Level, Color);
}

std::string TCustomdxTreeList::GetPreviewText(TdxTreeListNode* Node) const
{
    std::string text;
    if (OnGetPreviewText)
        OnGetPreviewText(const_cast<TCustomdxTreeList*>(this), Node, text);
    return text;
}

TColor TCustomdxTreeList::GetRowColor(TColor Color) const
{
    return Color == clNone ? clWindow : Color;
}

TColor TCustomdxTreeList::EffectiveGridLineColor() const
{
    if (m_gridLineColor != clNone)
        return m_gridLineColor;
    return m_lookAndFeel == lfStandard ? clSilver : clBtnShadow;
}

// ----- look -------------------------------------------------------------------------------------

#define QEL_LOOK_SETTER(Name, member)                     \
    void TCustomdxTreeList::Set##Name(decltype(member) Value) \
    {                                                     \
        if (member == Value)                              \
            return;                                       \
        member = Value;                                   \
        LayoutChanged();                                  \
    }

QEL_LOOK_SETTER(PaintStyle, m_paintStyle)
QEL_LOOK_SETTER(LookAndFeel, m_lookAndFeel)
QEL_LOOK_SETTER(ShowBands, m_showBands)
QEL_LOOK_SETTER(ShowHeader, m_showHeader)
QEL_LOOK_SETTER(ShowFooter, m_showFooter)
QEL_LOOK_SETTER(ShowRowFooter, m_showRowFooter)
QEL_LOOK_SETTER(ShowGrid, m_showGrid)
QEL_LOOK_SETTER(ShowPreviewGrid, m_showPreviewGrid)
QEL_LOOK_SETTER(ShowIndicator, m_showIndicator)
QEL_LOOK_SETTER(ShowLines, m_showLines)
QEL_LOOK_SETTER(ShowButtons, m_showButtons)
QEL_LOOK_SETTER(ShowRoot, m_showRoot)
QEL_LOOK_SETTER(HideSelection, m_hideSelection)
QEL_LOOK_SETTER(HideFocusRect, m_hideFocusRect)
QEL_LOOK_SETTER(BandColor, m_bandColor)
QEL_LOOK_SETTER(HeaderColor, m_headerColor)
QEL_LOOK_SETTER(GroupNodeColor, m_groupNodeColor)
QEL_LOOK_SETTER(GroupNodeTextColor, m_groupNodeTextColor)
QEL_LOOK_SETTER(RowFooterColor, m_rowFooterColor)
QEL_LOOK_SETTER(GridLineColor, m_gridLineColor)
QEL_LOOK_SETTER(HighlightColor, m_highlightColor)
QEL_LOOK_SETTER(HighlightTextColor, m_highlightTextColor)
#undef QEL_LOOK_SETTER

void TCustomdxTreeList::SetOptions(TdxTreeListOptions Value)
{
    if (m_options == Value)
        return;
    const bool wasMulti = m_options.Contains(aoMultiSelect);
    m_options = Value;
    if (wasMulti && !Value.Contains(aoMultiSelect))
        ClearSelection();
    LayoutChanged();
}

void TCustomdxTreeList::SetOptionsEx(TdxTreeListOptionsEx Value)
{
    if (m_optionsEx == Value)
        return;
    m_optionsEx = Value;
    LayoutChanged();
}

void TCustomdxTreeList::SetPreviewLines(int Value)
{
    Value = std::clamp(Value, 0, dxMaxTreeListLength);
    if (m_previewLines == Value)
        return;
    m_previewLines = Value;
    LayoutChanged();
}

void TCustomdxTreeList::SetIndentDesc(int Value)
{
    Value = std::clamp(Value, 0, dxMaxTreeListLength);
    if (m_indentDesc == Value)
        return;
    m_indentDesc = Value;
    LayoutChanged();
}

void TCustomdxTreeList::SetHeaderPanelRowCount(int Value)
{
    Value = std::clamp(Value, 1, dxMaxHeaderPanelRowCount);
    if (m_headerPanelRowCount == Value)
        return;
    m_headerPanelRowCount = Value;
    LayoutChanged();
}

void TCustomdxTreeList::SetDefaultRowHeight(int Value)
{
    Value = std::clamp(Value, 0, dxMaxTreeListLength);
    if (m_defaultRowHeight == Value)
        return;
    m_defaultRowHeight = Value;
    LayoutChanged();
}

void TCustomdxTreeList::SetIndicatorWidth(int Value)
{
    Value = std::clamp(Value, MinIndicatorWidth, dxMaxTreeListLength);
    if (m_indicatorWidth == Value)
        return;
    m_indicatorWidth = Value;
    LayoutChanged();
}

void TCustomdxTreeList::SetImages(TImageList* Value)
{
    if (!SetFreeNotified(m_images, Value))
        return;
    LayoutChanged();
}

void TCustomdxTreeList::SetStateImages(TImageList* Value)
{
    if (!SetFreeNotified(m_stateImages, Value))
        return;
    LayoutChanged();
}

void TCustomdxTreeList::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomdxContainer::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == m_images)
        m_images = nullptr;
    if (AComponent == m_stateImages)
        m_stateImages = nullptr;
    if (AComponent == m_customizeForm) {
        m_customizeForm = nullptr;
        m_customizing = false;
    }
}

void TCustomdxTreeList::SetBandFont(TFont* Value)
{
    m_bandFont->Assign(Value);
    LayoutChanged();
}

void TCustomdxTreeList::SetHeaderFont(TFont* Value)
{
    m_headerFont->Assign(Value);
    LayoutChanged();
}

void TCustomdxTreeList::SetPreviewFont(TFont* Value)
{
    m_previewFont->Assign(Value);
    LayoutChanged();
}

void TCustomdxTreeList::FontChanged()
{
    TCustomdxContainer::FontChanged();
    LayoutChanged();
}

void TCustomdxTreeList::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root)
{
    TCustomControl::GetChildren(
        [&](TComponent* Child) {
            // Nor is the editor of the cell being edited.
            if (Child != m_clickTimer && Child != m_expandTimer && !dynamic_cast<TdxInplaceEdit*>(Child))
                Proc(Child);
        },
        Root);
}

} // namespace qel
