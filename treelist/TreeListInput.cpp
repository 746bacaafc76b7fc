// Keys, mouse, header drag and sizing, the in-place editor host, timers and
// the customizing state of the tree list.
#include "treelist/TreeList.h"

#include "platform/controls/Clock.h"
#include "platform/core/Utf8.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Region.h"
#include "treelist/CustomizeForm.h"
#include "treelist/TreeListColumn.h"

#include <algorithm>
#include <cstdlib>

namespace qel {

namespace {
constexpr int DragThreshold = 4;    // pixels the pointer moves before a header press becomes a drag
} // namespace

// ----- editing ---------------------------------------------------------------------------------

bool TCustomdxTreeList::IsColumnEditable(int Column) const
{
    if (Column < 0 || Column >= GetColumnCount() || !IsColumnShown(Column) || IsColumnReadOnly(Column))
        return false;
    TdxTreeListColumn* c = GetColumnObject(Column);
    return c && !c->DisableEditor() && static_cast<bool>(c->GetEditorClass());
}

bool TCustomdxTreeList::CanShowEditor() const
{
    return m_focused && m_options.Contains(aoEditing) && !m_options.Contains(aoRowSelect) && !IsGroupRow(m_focused) &&
           IsColumnEditable(m_focusedColumn);
}

void TCustomdxTreeList::ShowEditor()
{
    if (m_editing || m_lockUpdate > 0 || !CanShowEditor())
        return;
    HideEditor();   // an editor left open by CloseEditor
    bool allow = true;
    if (OnEditing)
        OnEditing(this, m_focused, m_focusedColumn, allow);
    if (!allow)
        return;
    TdxTreeListColumn* column = GetColumnObject(m_focusedColumn);
    std::unique_ptr<TdxTreeListInplaceEditor> editor = column->GetEditorClass()();
    if (!editor)
        return;
    m_focused->MakeVisible();
    const TRect r = GetCellRect(m_focused, m_focusedColumn);
    if (r.IsEmpty())
        return;
    column->InitEditProperties(editor.get());
    column->InitEditorValue(editor.get(), GetNodeValue(m_focused, m_focusedColumn));
    m_editor = std::move(editor);
    m_editing = true;
    m_editor->Show(this, r);
    m_editor->SetFocus();
    DoBeginEditing();
    InvalidateNode(m_focused);
}

void TCustomdxTreeList::WriteEditorValue(const Variant& Value)
{
    if (!m_focused || m_focusedColumn < 0)
        return;
    SetNodeValue(m_focused, m_focusedColumn, Value);
    if (OnEdited)
        OnEdited(this);
}

void TCustomdxTreeList::HideEditor()
{
    if (!m_editor)
        return;
    if (m_editing) {
        // The editor posts its value, as the container's own hide does.
        m_editor->ValidateEdit();   // an incomplete value keeps the editor open
        TdxTreeListColumn* column = GetColumnObject(m_focusedColumn);
        WriteEditorValue(column ? column->AssignEditorValue(m_editor.get()) : m_editor->GetEditingValue());
        m_editing = false;
        DoEndEditing();
    }
    DiscardEditor();
    InvalidateNode(m_focused);
}

void TCustomdxTreeList::DiscardEditor()
{
    // Taken out before it hides: hiding moves the focus, and the editor's exit
    // comes back through HideEditor while this call is still running.
    std::unique_ptr<TdxTreeListInplaceEditor> editor = std::move(m_editor);
    if (editor)
        editor->Hide();
}

void TCustomdxTreeList::CloseEditor()
{
    // Posts and ends the editing state; the editor stays where it is until hidden.
    if (!m_editing || !m_editor)
        return;
    m_editor->ValidateEdit();
    TdxTreeListColumn* column = GetColumnObject(m_focusedColumn);
    WriteEditorValue(column ? column->AssignEditorValue(m_editor.get()) : m_editor->GetEditingValue());
    m_editing = false;
    DoEndEditing();
}

void TCustomdxTreeList::ShowEditorAfterFocusChange()
{
    const bool pending = m_showEditorPending;
    m_showEditorPending = false;
    if (pending && m_options.Contains(aoImmediateEditor))
        ShowEditor();
}

void TCustomdxTreeList::EditorKeyDown(TdxInplaceEdit* Editor, std::uint16_t& Key, TShiftState Shift)
{
    if (!m_editing) {
        TCustomdxContainer::EditorKeyDown(Editor, Key, Shift);
        return;
    }
    // The tree list's own keys: Enter, Esc and the moves between cells.
    KeyDown(Key, Shift);
}

void TCustomdxTreeList::EditorExit(TdxInplaceEdit*)
{
    HideEditor();
}

void TCustomdxTreeList::EditorPostValue(TdxInplaceEdit*, const Variant& Value)
{
    if (m_editing)
        WriteEditorValue(Value);
}

// ----- focus moves ---------------------------------------------------------------------------------

void TCustomdxTreeList::FocusNodeAndColumn(TdxTreeListNode* Node, int Column, TShiftState Shift, bool Mouse)
{
    if (!Node)
        return;
    if (IsMultiSelect()) {
        BeginSelection();
        Finally done([this] { EndSelection(); });
        if (Shift.Contains(ssShift)) {
            if (!m_anchor)
                m_anchor = m_focused ? m_focused : Node;
            if (!Shift.Contains(ssCtrl))
                ClearSelection();
            SelectRange(m_anchor, Node);
        } else if (Shift.Contains(ssCtrl)) {
            if (Mouse)
                SelectNode(Node, !Node->Selected());
            m_anchor = Node;
        } else {
            ClearSelection();
            SelectNode(Node, true);
            m_anchor = Node;
        }
    }
    SetFocusedNode(Node);
    if (Column >= 0)
        SetFocusedColumn(Column);
    ShowEditorAfterFocusChange();
}

void TCustomdxTreeList::MoveFocus(int Delta, TShiftState Shift)
{
    const int count = GetAbsoluteCount();
    if (count == 0)
        return;
    int index = GetAbsoluteIndex(m_focused);
    index = index < 0 ? 0 : std::clamp(index + Delta, 0, count - 1);
    TdxTreeListNode* node = GetAbsoluteNode(index);
    FocusNodeAndColumn(node, m_focusedColumn, Shift, false);
    // A key move shows its row, also one that was focused but scrolled away.
    if (node == m_focused)
        node->MakeVisible();
}

// ----- keyboard --------------------------------------------------------------------------------------

void TCustomdxTreeList::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    TCustomdxContainer::KeyDown(Key, Shift);
    if (Key == 0)
        return;
    if (Key == VK_ESCAPE && IsColumnDragging()) {
        EndColumnDrag(false);
        Key = 0;
        return;
    }
    const bool ctrl = Shift.Contains(ssCtrl);
    const int page = std::max(1, CalcRectInfo().VisibleRowCount - 1);
    const int visibleColumns = GetVisibleColumnCount();
    int columnPos = -1;
    for (int n = 0; n < visibleColumns; ++n)
        if (GetVisibleColumn(n) == m_focusedColumn)
            columnPos = n;
    auto focusColumnAt = [&](int N) {
        if (visibleColumns > 0)
            SetFocusedColumn(GetVisibleColumn(std::clamp(N, 0, visibleColumns - 1)));
    };
    if (IsSearching()) {
        if (Key == VK_ESCAPE) {
            EndSearch();
            Key = 0;
            return;
        }
        if (Key == VK_BACK) {
            if (!m_searchText.empty()) {
                // Less one whole character.
                const std::string t = Utf8PrefixByBytes(m_searchText, m_searchText.size() - 1);
                m_searchText.clear();
                if (!t.empty())
                    SearchAppend(t);
            }
            Key = 0;
            return;
        }
        if (ctrl && (Key == VK_UP || Key == VK_DOWN)) {
            SearchNext(Key == VK_DOWN);
            Key = 0;
            return;
        }
        if (Key != VK_SHIFT && Key != VK_CONTROL && Key != VK_MENU)
            EndSearch();
    }
    if (m_editing) {
        switch (Key) {
        case VK_ESCAPE:
            // Cancel: the editor goes without posting.
            m_editing = false;
            DiscardEditor();
            DoEndEditing();
            Key = 0;
            return;
        case VK_RETURN:
            HideEditor();
            if (m_optionsEx.Contains(aoEnterThrough))
                focusColumnAt(columnPos + 1);
            Key = 0;
            return;
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_TAB:
            HideEditor();
            break;
        default:
            return;   // the editor takes the key
        }
    }
    switch (Key) {
    case VK_UP: MoveFocus(-1, Shift); break;
    case VK_DOWN: MoveFocus(1, Shift); break;
    case VK_PRIOR: MoveFocus(-page, Shift); break;
    case VK_NEXT: MoveFocus(page, Shift); break;
    case VK_HOME:
        if (ctrl || m_options.Contains(aoRowSelect) || visibleColumns == 0)
            MoveFocus(-GetAbsoluteCount(), Shift);
        else
            focusColumnAt(0);
        break;
    case VK_END:
        if (ctrl || m_options.Contains(aoRowSelect) || visibleColumns == 0)
            MoveFocus(GetAbsoluteCount(), Shift);
        else
            focusColumnAt(visibleColumns - 1);
        break;
    case VK_LEFT:
        if (m_options.Contains(aoRowSelect) || columnPos <= 0 || ctrl) {
            if (m_focused && m_focused->Expanded() && m_focused->HasChildren())
                m_focused->SetExpanded(false);
            else if (m_focused && m_focused->Parent())
                FocusNodeAndColumn(m_focused->Parent(), m_focusedColumn, {}, false);
        } else {
            focusColumnAt(columnPos - 1);
        }
        break;
    case VK_RIGHT:
        if (m_options.Contains(aoRowSelect) || columnPos >= visibleColumns - 1 || ctrl) {
            if (m_focused && !m_focused->Expanded() && m_focused->HasChildren())
                m_focused->SetExpanded(true);
            else if (m_focused && m_focused->Expanded() && m_focused->GetCount() > 0)
                FocusNodeAndColumn(m_focused->GetFirstChild(), m_focusedColumn, {}, false);
        } else {
            focusColumnAt(columnPos + 1);
        }
        break;
    case VK_ADD:
        if (m_focused)
            m_focused->SetExpanded(true);
        break;
    case VK_SUBTRACT:
        if (m_focused)
            m_focused->SetExpanded(false);
        break;
    case VK_MULTIPLY:
        if (m_focused)
            m_focused->Expand(true);
        break;
    case VK_TAB:
        if (!m_options.Contains(aoTabs) || visibleColumns == 0)
            return;
        if (Shift.Contains(ssShift)) {
            if (columnPos > 0)
                focusColumnAt(columnPos - 1);
            else if (m_options.Contains(aoTabThrough) && GetAbsoluteIndex(m_focused) > 0) {
                MoveFocus(-1, {});
                focusColumnAt(visibleColumns - 1);
            }
        } else {
            if (columnPos < visibleColumns - 1)
                focusColumnAt(columnPos + 1);
            else if (m_options.Contains(aoTabThrough) && GetAbsoluteIndex(m_focused) < GetAbsoluteCount() - 1) {
                MoveFocus(1, {});
                focusColumnAt(0);
            }
        }
        break;
    case VK_RETURN:
        if (m_optionsEx.Contains(aoEnterShowEditor))
            ShowEditor();
        break;
    case VK_F2:
        ShowEditor();
        break;
    case VK_SPACE:
        if (ctrl && IsMultiSelect() && m_focused) {
            SelectNode(m_focused, !m_focused->Selected());
            m_anchor = m_focused;
        } else {
            return;
        }
        break;
    default:
        return;
    }
    Key = 0;
}

void TCustomdxTreeList::KeyPress(TKeyChar& Key)
{
    TCustomdxContainer::KeyPress(Key);
    if (Key == 0 || m_editing)
        return;
    if (Key < 32 || Key == 127)
        return;
    if (!IsSearching() && m_optionsEx.Contains(aoAutoSearch) && m_focusedColumn >= 0)
        StartSearch(m_focusedColumn);
    if (IsSearching()) {
        SearchAppend(KeyCharToUtf8(Key));
        Key = 0;
        return;
    }
    if (m_options.Contains(aoImmediateEditor) && CanShowEditor()) {
        // Typing starts the editor with the typed character.
        ShowEditor();
        if (m_editor)
            m_editor->TypeChar(Key);
        Key = 0;
    }
}

// ----- mouse ----------------------------------------------------------------------------------------------

void TCustomdxTreeList::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (CanFocus() && !Focused()) {
        try {
            SetFocus();
        } catch (const EInvalidOperation&) {
            // Not on a shown form: the click still works on the rows.
        }
    }
    const THitInfo hit = GetHitInfo(X, Y);
    if (Button == mbLeft) {
        switch (hit.Kind) {
        case htButton:
            HideEditor();
            hit.Node->SetExpanded(!hit.Node->Expanded());
            break;
        case htColumnEdge:
            HideEditor();
            m_sizingColumn = hit.Column;
            m_sizingStartX = X;
            m_sizingStartWidth = GetColumnDisplayWidth(hit.Column);
            SetCapture();
            break;
        case htBandEdge:
            HideEditor();
            m_sizingBand = hit.Band;
            m_sizingStartX = X;
            m_sizingStartWidth = GetBandWidth(hit.Band);
            SetCapture();
            break;
        case htBand:
            if (m_optionsEx.Contains(aoBandMoving) && CanBandBeDragged(hit.Band)) {
                HideEditor();
                m_dragBandFrom = hit.Band;
                m_bandPressPoint = {X, Y};
                SetCapture();
            }
            break;
        case htColumn:
            HideEditor();
            m_pressedColumn = hit.Column;
            if (m_options.Contains(aoColumnMoving) && CanColumnBeDragged(hit.Column))
                BeginColumnDrag(hit.Column, X, Y);
            SetCapture();
            Invalidate();
            break;
        case htLabel:
        case htIndent:
        case htIcon:
        case htStateIcon:
        case htPreview:
        case htRowFooter:
        case htIndicator: {
            const bool wasFocusedCell = hit.Node == m_focused && hit.Column >= 0 && hit.Column == m_focusedColumn;
            FocusNodeAndColumn(hit.Node, hit.Column >= 0 ? hit.Column : m_focusedColumn, Shift, true);
            if (Shift.Contains(ssDouble)) {
                m_clickTimer->SetEnabled(false);
                if (hit.Node->HasChildren() && hit.Kind != htLabel)
                    hit.Node->SetExpanded(!hit.Node->Expanded());
                else if (hit.Node->HasChildren() && !CanShowEditor())
                    hit.Node->SetExpanded(!hit.Node->Expanded());
            } else if (hit.Kind == htLabel) {
                if (m_options.Contains(aoImmediateEditor) && !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl))
                    ShowEditor();
                else if (wasFocusedCell && CanShowEditor() && !WaitsForDblClick())
                    ShowEditor();
                else if (wasFocusedCell && CanShowEditor()) {
                    // A second click within the double-click time is a double click, not an edit.
                    m_clickTimer->SetInterval(GetDoubleClickTime());
                    m_clickTimer->SetEnabled(true);
                }
            }
            break;
        }
        default:
            break;
        }
    }
    TCustomdxContainer::MouseDown(Button, Shift, X, Y);
}

void TCustomdxTreeList::MouseMove(TShiftState Shift, int X, int Y)
{
    if (m_sizingColumn >= 0) {
        SetColumnWidth(m_sizingColumn,
                       std::max(GetColumnMinWidth(m_sizingColumn), m_sizingStartWidth + X - m_sizingStartX));
    } else if (m_sizingBand >= 0) {
        SetBandWidth(m_sizingBand, std::max(GetBandMinWidth(m_sizingBand), m_sizingStartWidth + X - m_sizingStartX));
    } else if (m_dragColumn >= 0) {
        if (m_dragStarted || std::abs(X - m_dragStart.X) > DragThreshold || std::abs(Y - m_dragStart.Y) > DragThreshold)
            DragColumnTo(X, Y);
    } else {
        const TdxTreeListHitTest kind = GetHitTestAt(X, Y);
        SetCursor(kind == htColumnEdge || kind == htBandEdge ? crHSplit : crDefault);
    }
    TCustomdxContainer::MouseMove(Shift, X, Y);
}

void TCustomdxTreeList::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        if (m_dragBandFrom >= 0) {
            const int from = m_dragBandFrom;
            m_dragBandFrom = -1;
            ReleaseCapture();
            if (std::abs(X - m_bandPressPoint.X) > DragThreshold) {
                // Dropped over a band: it takes that band's place.
                const int x0 = RowsOriginX();
                int to = X < x0 ? 0 : GetVisibleBandCount() - 1;
                for (int b = 0; b < GetVisibleBandCount(); ++b)
                    if (X >= x0 + GetBandLeft(b) && X < x0 + GetBandLeft(b) + GetBandWidth(b))
                        to = b;
                if (to != from)
                    MoveBandTo(from, to);
            }
        } else if (m_sizingColumn >= 0 || m_sizingBand >= 0) {
            m_sizingColumn = m_sizingBand = -1;
            ReleaseCapture();
        } else if (m_dragColumn >= 0 && m_dragStarted) {
            EndColumnDrag(true);
        } else if (m_pressedColumn >= 0) {
            const int column = m_pressedColumn;
            m_pressedColumn = -1;
            m_dragColumn = -1;
            ReleaseCapture();
            Invalidate();
            const THitInfo hit = GetHitInfo(X, Y);
            if (hit.Kind == htColumn && hit.Column == column) {
                DoColumnClick(column);
                HeaderClickSort(column, Shift);
            }
        }
    }
    TCustomdxContainer::MouseUp(Button, Shift, X, Y);
}

void TCustomdxTreeList::DoColumnClick(int Column)
{
    if (OnColumnClick)
        OnColumnClick(this, Column);
}

void TCustomdxTreeList::HeaderClickSort(int Column, TShiftState Shift)
{
    if (m_options.Contains(aoAutoSort))
        ToggleColumnSort(Column, Shift.Contains(ssShift) && m_optionsEx.Contains(aoMultiSort));
}

void TCustomdxTreeList::DblClick()
{
    m_clickTimer->SetEnabled(false);
    TCustomdxContainer::DblClick();
}

bool TCustomdxTreeList::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomdxContainer::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    HideEditor();
    SetTopIndex(std::max(0, GetTopIndex()) - WheelDelta / 120 * 3);
    return true;
}

void TCustomdxTreeList::DoExit()
{
    HideEditor();
    StopTimers();
    EndSearch();
    if (m_dragColumn >= 0)
        EndColumnDrag(false);
    TCustomdxContainer::DoExit();
}

// ----- header drag --------------------------------------------------------------------------------------

void TCustomdxTreeList::BeginColumnDrag(int Column, int X, int Y)
{
    m_dragColumn = Column;
    m_dragStarted = false;
    m_dragStart = {X, Y};
    m_dragPoint = {X, Y};
    m_dragTarget = hdtNone;
}

int TCustomdxTreeList::FindDropPlace(int X, int Y, int& Band, int& Row, int& Pos) const
{
    const int bands = GetVisibleBandCount();
    if (bands == 0)
        return 0;
    const int x0 = RowsOriginX();
    Band = bands - 1;
    if (X < x0)
        Band = 0;
    for (int b = 0; b < bands; ++b) {
        const int left = x0 + GetBandLeft(b);
        if (X >= left && X < left + GetBandWidth(b)) {
            Band = b;
            break;
        }
    }
    const TdxTreeListRectInfo info = CalcRectInfo();
    const int rows = std::max(1, GetBandRowCount(Band));
    Row = 0;
    int y = info.Header.Top;
    for (int r = 0; r < rows; ++r) {
        const int h = GetHeaderRowHeight() * CalcHeaderCells(Band, r);
        if (Y >= y)
            Row = r;
        y += h;
    }
    const auto& hl = HeaderLayout();
    const int n = GetBandRowColumnCount(Band, Row);
    Pos = n;
    for (int p = 0; p < n; ++p) {
        const int c = GetHeaderColumnIndex(Band, Row, p);
        const auto i = static_cast<std::size_t>(c);
        const int mid = x0 + hl.ColLeft[i] + hl.ColWidth[i] / 2;
        if (X < mid) {
            Pos = p;
            break;
        }
    }
    return 1;
}

void TCustomdxTreeList::DragColumnTo(int X, int Y)
{
    if (m_dragColumn < 0)
        return;
    m_dragStarted = true;
    m_dragPoint = {X, Y};
    m_dragTarget = hdtNone;
    m_dragClaim = {};
    const TdxTreeListRectInfo info = CalcRectInfo();
    const TRect headerZone = Rect(info.Client.Left, info.Header.Top - GetHeaderRowHeight(), info.Client.Right,
                                  info.Header.Bottom + GetHeaderRowHeight());
    if (m_customizing && CustomizingRect().Contains({X, Y})) {
        m_dragTarget = hdtCustomizing;
    } else if (DoColumnDragOver(m_dragColumn, {X, Y}, m_dragClaim)) {
        // Ahead of the header zone, which reaches a row above the header.
        m_dragTarget = hdtClaimed;
    } else if (m_showHeader && headerZone.Contains({X, Y})) {
        if (FindDropPlace(X, Y, m_dragBand, m_dragRow, m_dragPos))
            m_dragTarget = hdtHeader;
    } else if (m_customizing || m_optionsEx.Contains(aoExtCustomizing)) {
        m_dragTarget = hdtRemove;
    }
    if (m_dragTarget != hdtClaimed)
        m_dragClaim = {};
    ShowDragCursor(m_dragClaim.Cursor);
    UpdateDragOverlays();
    Invalidate();
}

void TCustomdxTreeList::UpdateDragOverlays()
{
    if (!IsColumnDragging()) {
        m_dragImage.reset();
        m_dragArrows.reset();
        return;
    }
    const TPoint pointer = ClientToScreen(m_dragPoint);
    if (!m_dragImage) {
        // The header's picture, grabbed where the pointer pressed it.
        TRect h = GetHeaderRect(m_dragColumn);
        if (h.IsEmpty())
            h = Bounds(m_dragStart.X, m_dragStart.Y, std::max(20, GetColumnWidth(m_dragColumn)), GetHeaderRowHeight());
        TBitmap image(h.Width(), h.Height());
        image.Canvas()->SetFont(m_headerFont.get());
        const TdxTreeListColumn* column = GetColumnObject(m_dragColumn);
        PaintHeaderButton(*image.Canvas(), Rect(0, 0, h.Width(), h.Height()), GetColumnCaption(m_dragColumn),
                          GetColumnHeaderAlignment(m_dragColumn), GetColumnSorted(m_dragColumn), EffectiveHeaderColor(),
                          false, column ? column->HeaderGlyph() : nullptr);
        m_dragImage = std::make_unique<TOverlayWindow>(nullptr);
        m_dragImage->SetImage(&image);
        m_dragImage->SetHotSpot({std::clamp(m_dragStart.X - h.Left, 0, h.Width() - 1),
                                 std::clamp(m_dragStart.Y - h.Top, 0, h.Height() - 1)});
        m_dragImage->ShowAt(pointer);
    } else {
        m_dragImage->MoveTo(pointer);
    }
    const TRect a = DragArrowsRect();
    if (a.IsEmpty()) {
        m_dragArrows.reset();
        return;
    }
    // Two red arrows above and below the drop place; the window's shape is the arrows alone.
    constexpr int W = 9, Tip = 6;
    const int height = a.Height() + 2 * Tip;
    if (!m_dragArrows || m_dragArrows->Height() != height) {
        TBitmap image(W, height);
        image.Canvas()->Brush()->SetColor(clRed);
        image.Canvas()->FillRect(Rect(0, 0, W, height));
        m_dragArrows = std::make_unique<TOverlayWindow>(nullptr);
        m_dragArrows->SetImage(&image);
        const TRegion shape = TRegion::Combined(TRegion::CreatePolygon({{0, 0}, {W, 0}, {W / 2, Tip}}),
                                                TRegion::CreatePolygon({{0, height}, {W, height}, {W / 2, height - Tip}}),
                                                RGN_OR);
        m_dragArrows->SetWindowRgn(&shape);
        m_dragArrows->SetHotSpot({W / 2, Tip});
    }
    m_dragArrows->ShowAt(ClientToScreen({(a.Left + a.Right) / 2, a.Top}));
}

void TCustomdxTreeList::ShowDragCursor(TCursor Value)
{
    // The control's own cursor comes back when the claimed area no longer asks for another.
    if (Value != crDefault) {
        if (!m_dragCursorShown) {
            m_cursorBeforeDrag = Cursor();
            m_dragCursorShown = true;
        }
        SetCursor(Value);
    } else if (m_dragCursorShown) {
        m_dragCursorShown = false;
        SetCursor(m_cursorBeforeDrag);
    }
}

TRect TCustomdxTreeList::DragArrowsRect() const
{
    if (!IsColumnDragging())
        return {};
    if (m_dragTarget == hdtClaimed)
        return m_dragClaim.Arrows;
    if (m_dragTarget != hdtHeader)
        return {};
    const TdxTreeListRectInfo info = CalcRectInfo();
    const auto& hl = HeaderLayout();
    const int x0 = RowsOriginX();
    const int n = GetBandRowColumnCount(m_dragBand, m_dragRow);
    int x;
    if (m_dragPos < n) {
        x = x0 + hl.ColLeft[static_cast<std::size_t>(GetHeaderColumnIndex(m_dragBand, m_dragRow, m_dragPos))];
    } else if (n > 0) {
        const auto i = static_cast<std::size_t>(GetHeaderColumnIndex(m_dragBand, m_dragRow, n - 1));
        x = x0 + hl.ColLeft[i] + hl.ColWidth[i];
    } else {
        x = x0 + GetBandLeft(m_dragBand);
    }
    int top = info.Header.Top;
    for (int r = 0; r < m_dragRow; ++r)
        top += GetHeaderRowHeight() * CalcHeaderCells(m_dragBand, r);
    const int bottom = top + GetHeaderRowHeight() * CalcHeaderCells(m_dragBand, m_dragRow);
    return Rect(x - 4, top, x + 5, bottom);
}

void TCustomdxTreeList::EndColumnDrag(bool Accept)
{
    const int column = m_dragColumn;
    const TdxHeaderDragTarget target = m_dragTarget;
    const bool started = m_dragStarted;
    m_dragColumn = -1;
    m_dragStarted = false;
    m_dragTarget = hdtNone;
    m_pressedColumn = -1;
    ShowDragCursor(crDefault);
    m_dragClaim = {};
    UpdateDragOverlays();
    if (MouseCapture())
        ReleaseCapture();
    Invalidate();
    if (!Accept || !started || column < 0)
        return;
    switch (target) {
    case hdtCustomizing:
    case hdtRemove:
        // The last visible column stays: a tree list without columns shows nothing to drag back.
        if (GetVisibleColumnCount() > 1 || !IsColumnShown(column))
            SetColumnVisible(column, false);
        break;
    case hdtHeader:
        if (!IsColumnShown(column))
            SetColumnVisible(column, true);
        MoveColumnTo(column, m_dragBand, m_dragRow, m_dragPos);
        if (OnColumnMoved)
            OnColumnMoved(this, column);
        break;
    case hdtClaimed:   // the subclass that claimed the area drops there
    case hdtNone:
        break;
    }
}

// ----- customizing ------------------------------------------------------------------------------------------

void TCustomdxTreeList::ColumnsCustomizing()
{
    m_customizing = true;
    if (!m_customizeForm) {
        m_customizeForm = new TdxTreeListCustomizeForm(this, this);
        m_customizeForm->FreeNotification(this);
        const TPoint at = ClientToScreen({ClientWidth() - m_customizeForm->Width(), ClientHeight() / 3});
        m_customizeForm->SetBounds(at.X, at.Y, m_customizeForm->Width(), m_customizeForm->Height());
    }
    m_customizeForm->RefreshColumns();
    m_customizeForm->Show();
}

void TCustomdxTreeList::EndColumnsCustomizing()
{
    m_customizing = false;
    m_customizingRect = {};
    delete m_customizeForm;
    m_customizeForm = nullptr;
}

TRect TCustomdxTreeList::CustomizingRect() const
{
    if (!m_customizingRect.IsEmpty() || !m_customizeForm || !m_customizeForm->Visible())
        return m_customizingRect;
    const TPoint topLeft = ScreenToClient({m_customizeForm->Left(), m_customizeForm->Top()});
    return Bounds(topLeft.X, topLeft.Y, m_customizeForm->Width(), m_customizeForm->Height());
}

std::vector<int> TCustomdxTreeList::HiddenColumns() const
{
    std::vector<int> hidden;
    for (int c = 0; c < GetColumnCount(); ++c)
        if (!IsColumnShown(c))
            hidden.push_back(c);
    return hidden;
}

void TCustomdxTreeList::ShowColumnAt(int Column, int VisibleBand, int Row, int Position)
{
    TUpdateScope<TCustomdxTreeList> scope(*this);
    SetColumnVisible(Column, true);
    MoveColumnTo(Column, VisibleBand, Row, Position);
}

// ----- timers -------------------------------------------------------------------------------------------------

void TCustomdxTreeList::ClickTimerElapsed()
{
    m_clickTimer->SetEnabled(false);
    if (CanShowEditor())
        ShowEditor();
}

void TCustomdxTreeList::ExpandTimerElapsed()
{
    m_expandTimer->SetEnabled(false);
    TdxTreeListNode* node = m_expandCandidate;
    m_expandCandidate = nullptr;
    if (node && node->HasChildren() && !node->Expanded())
        node->SetExpanded(true);
}

void TCustomdxTreeList::StopTimers()
{
    m_clickTimer->SetEnabled(false);
    m_expandTimer->SetEnabled(false);
    m_expandCandidate = nullptr;
}

void TCustomdxTreeList::DragOverNode(TdxTreeListNode* Node)
{
    if (Node == m_expandCandidate)
        return;
    m_expandTimer->SetEnabled(false);
    m_expandCandidate = nullptr;
    if (!Node || !m_optionsEx.Contains(aoDragExpand) || !Node->HasChildren() || Node->Expanded())
        return;
    m_expandCandidate = Node;
    m_expandTimer->SetInterval(static_cast<unsigned>(std::max(1, m_waitForExpandNodeTime)));
    m_expandTimer->SetEnabled(true);
}

} // namespace qel
