// The group panel above the header: one header-style button per group
// column, dragging headers onto it to group and group buttons off it to
// ungroup, and the slide that opens or shuts it.
#include "dbgrid/DBGrid.h"

#include "platform/graphics/Canvas.h"

#include <algorithm>
#include <cstdlib>

namespace qel {

namespace {

constexpr int PanelMargin = 8;
constexpr int ButtonWidth = 100;
constexpr int ButtonPitch = 104;
// A pressed group button becomes a drag once the pointer leaves this square.
constexpr int GroupDragThreshold = 5;
constexpr unsigned SlideInterval = 10;   // ms between two slide steps
constexpr std::uint32_t SlideLimit = 400; // ms a slide may take at most

} // namespace

// ----- layout -----------------------------------------------------------------------------------------

int TCustomdxDBGrid::GroupPanelFullHeight() const
{
    const int h = GetHeaderRowHeight();
    // With no group columns this is h - h div 2 + 16: the panel keeps that height then.
    return (GroupColumnCount() - 1) * (h / 2) + h + 2 * PanelMargin;
}

int TCustomdxDBGrid::GetGroupPanelHeight() const
{
    if (IsGroupPanelSliding())
        return m_slideShown;
    return m_showGroupPanel ? GroupPanelFullHeight() : 0;
}

TRect TCustomdxDBGrid::GetGroupButtonRect(int Index) const
{
    if (Index < 0 || Index >= GroupColumnCount() || !m_showGroupPanel)
        return {};
    const int h = GetHeaderRowHeight();
    const int top = CalcRectInfo().GroupPanel.Top;
    return Bounds(PanelMargin + ButtonPitch * Index, top + PanelMargin + (h / 2) * Index, ButtonWidth, h);
}

TdxDBTreeListColumn* TCustomdxDBGrid::GetGroupColumnAt(TPoint Point) const
{
    if (!m_showGroupPanel || !CalcRectInfo().GroupPanel.Contains(Point))
        return nullptr;
    for (int i = 0; i < GroupColumnCount(); ++i)
        if (GetGroupButtonRect(i).Contains(Point))
            return GetGroupColumn(i);
    return nullptr;
}

int TCustomdxDBGrid::GetGroupDropIndex(int X) const
{
    for (int i = 0; i < GroupColumnCount(); ++i)
        if (PanelMargin + ButtonPitch * i + ButtonWidth / 2 > X)
            return i;
    return GroupColumnCount();
}

TRect TCustomdxDBGrid::GroupDropArrowsRect(int Index) const
{
    // Like the header's arrows: at the left edge of the button the column goes
    // in front of, after the last button, or where the first button would be.
    const int count = GroupColumnCount();
    TRect b;
    int x;
    if (count == 0) {
        const int h = GetHeaderRowHeight();
        b = Bounds(PanelMargin, CalcRectInfo().GroupPanel.Top + PanelMargin, ButtonWidth, h);
        x = b.Left;
    } else if (Index < count) {
        b = GetGroupButtonRect(std::max(Index, 0));
        x = b.Left;
    } else {
        b = GetGroupButtonRect(count - 1);
        x = b.Right;
    }
    return Rect(x - 4, b.Top, x + 5, b.Bottom);
}

bool TCustomdxDBGrid::DoColumnDragOver(int Column, TPoint Point, TdxHeaderDropPlace& Place)
{
    if (!m_showGroupPanel || !CalcRectInfo().GroupPanel.Contains(Point))
        return false;
    TdxDBTreeListColumn* column = Column >= 0 ? GetColumn(Column) : nullptr;
    // A grouped column only moves along the panel; any other must be allowed to group.
    m_groupDropAllowed = column && (column->GroupIndex() >= 0 || CanGroupByColumn(column));
    Place.Arrows = GroupDropArrowsRect(GetGroupDropIndex(Point.X));
    if (!m_groupDropAllowed)
        Place.Cursor = crNoDrop;
    return true;
}

void TCustomdxDBGrid::DoColumnClick(int Column)
{
    if (OnColumnClick)
        if (TdxDBTreeListColumn* column = GetColumn(Column))
            OnColumnClick(this, column);
    TCustomdxDBTreeListControl::DoColumnClick(Column);
}

// ----- grouping -----------------------------------------------------------------------------------------

bool TCustomdxDBGrid::AddGroupColumn(int Index, TdxDBTreeListColumn* Column)
{
    // Asked once; the answer holds for the whole grouping.
    if (!CanGroupByColumn(Column) || !DoAddGroupColumn(Column))
        return false;
    const int at = std::clamp(Index, 0, GroupColumnCount());
    if (Column->Sorted() == csNone)
        Column->SetSorted(csDown);
    // The grouped column leaves the header, unless the options keep it there;
    // dragging its button back shows it again.
    if (Column->Visible() && GetVisibleColumnCount() > 1
        && !OptionsCustomize().Contains(edgoNotHideColumn)) {
        Column->SetVisible(false);
        if (OnHideColumn)
            OnHideColumn(this, Column);
    }
    Regroup(Column, at, false);
    return true;
}

void TCustomdxDBGrid::RemoveGroupColumn(int Index)
{
    TdxDBTreeListColumn* column = GetGroupColumn(Index);
    if (!column)
        return;
    column->SetSorted(csNone);
    RegroupColumn(column, -1);
    if (!column->Visible()) {
        column->SetVisible(true);
        if (OnShowColumn)
            OnShowColumn(this, column);
    }
}

bool TCustomdxDBGrid::DoEndDragGroupColumn(TdxDBTreeListColumn* Column, int GroupIndex)
{
    bool allow = true;
    if (OnEndDragGroupColumn)
        OnEndDragGroupColumn(this, Column, GroupIndex, allow);
    return allow;
}

// ----- showing and hiding -------------------------------------------------------------------------

void TCustomdxDBGrid::SetShowGroupPanel(bool Value)
{
    if (Value == m_showGroupPanel)
        return;
    const bool slide = HandleAllocated() && Showing() && !IsUpdating() && !IsControlLoading() &&
                       !ComponentState().Contains(csDesigning) && !IsColumnDragging() && !IsColumnSizing();
    const int full = GroupPanelFullHeight();
    m_showGroupPanel = Value;
    if (!slide || full <= 0) {
        if (m_slideTimer)
            m_slideTimer->Stop();
        LayoutChanged();
        return;
    }
    HideEditor();
    if (!m_slideTimer)
        m_slideTimer = std::make_unique<TClockTimer>([this] { SlideStep(); });
    // A slide under way turns round from where it stands.
    const bool wasSliding = m_slideTimer->Active();
    m_slideOpening = Value;
    if (!wasSliding)
        m_slideShown = Value ? 0 : full;
    const int below = std::max(0, ClientHeight() - CalcRectInfo().Header.Bottom);
    m_slideStep = std::max(1, below / 256);
    m_slideStart = GetTickCount();
    m_slideTimer->Start(SlideInterval);
    LayoutChanged();
}

void TCustomdxDBGrid::SlideStep()
{
    const int full = GroupPanelFullHeight();
    const int scrolled = m_slideOpening ? m_slideShown : full - m_slideShown;
    const int remaining = full - scrolled;
    const bool late = GetTickCount() - m_slideStart >= SlideLimit;
    if (remaining <= 0 || late) {
        m_slideTimer->Stop();
        m_slideShown = m_slideOpening ? full : 0;
        LayoutChanged();
        return;
    }
    const int step = std::min(m_slideStep, remaining);
    m_slideShown += m_slideOpening ? step : -step;
    if (scrolled + step > 20)
        ++m_slideStep;
    if (scrolled + step >= full) {
        m_slideTimer->Stop();
        m_slideShown = m_slideOpening ? full : 0;
    }
    LayoutChanged();
}

// ----- painting ------------------------------------------------------------------------------------------

void TCustomdxDBGrid::PaintGroupPanel(TCanvas& Canvas, const TRect& Rect)
{
    if (IsGroupPanelSliding()) {
        // The band uncovered so far; the buttons come with the full height.
        Canvas.Brush()->SetColor(m_slideOpening ? clBtnShadow : Color());
        Canvas.FillRect(Rect);
        return;
    }
    Canvas.Brush()->SetColor(m_groupPanelColor);
    Canvas.FillRect(Rect);
    Canvas.Font()->Assign(HeaderFont());
    const int count = GroupColumnCount();
    if (count == 0) {
        Canvas.SetBkMode(TRANSPARENT);
        Canvas.Font()->SetColor(m_groupPanelFontColor);
        const int h = GetHeaderRowHeight();
        TRect text = Bounds(Rect.Left + PanelMargin, Rect.Top + PanelMargin, Rect.Width() - 2 * PanelMargin, h);
        Canvas.DrawText(GroupPanelEmptyText, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        return;
    }
    for (int i = 0; i < count; ++i) {
        TdxDBTreeListColumn* column = GetGroupColumn(i);
        const TRect b = GetGroupButtonRect(i);
        DrawHeaderButton(Canvas, b, column->Caption(), taLeftJustify, LookAndFeel(), EffectiveHeaderColor(),
                         column == m_pendingGroupColumn);
        if (i + 1 < count) {
            // From the middle of the bottom edge 3 pixels down, then across to the next button.
            const TRect next = GetGroupButtonRect(i + 1);
            Canvas.Pen()->SetColor(clBtnText);
            const int x = (b.Left + b.Right) / 2;
            Canvas.MoveTo(x, b.Bottom);
            Canvas.LineTo(x, b.Bottom + 3);
            Canvas.LineTo(next.Left + 1, b.Bottom + 3);
        }
    }
}

// ----- mouse -----------------------------------------------------------------------------------------------

void TCustomdxDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    CloseFilterDropDown();
    m_pendingGroupColumn = nullptr;
    if (Button == mbLeft && FilterMouseDown(X, Y))
        return;
    if (GroupColumnCount() > 0 && GetHitTestAt(X, Y) == htGroupPanel) {
        TdxDBTreeListColumn* column = GetGroupColumnAt({X, Y});
        if (column && Button == mbLeft && CanColumnBeDragged(column->GetColumnIndex())) {
            HideEditor();
            m_pendingGroupColumn = column;
            m_groupPressPoint = {X, Y};
            SetCapture();
            Invalidate();
        }
        Shift.Exclude(ssDouble);
    }
    TCustomdxDBTreeListControl::MouseDown(Button, Shift, X, Y);
}

void TCustomdxDBGrid::MouseMove(TShiftState Shift, int X, int Y)
{
    if (m_pendingGroupColumn && !IsColumnDragging() &&
        (std::abs(X - m_groupPressPoint.X) > GroupDragThreshold ||
         std::abs(Y - m_groupPressPoint.Y) > GroupDragThreshold)) {
        m_groupDragColumn = m_pendingGroupColumn;
        BeginColumnDrag(m_pendingGroupColumn->GetColumnIndex(), m_groupPressPoint.X, m_groupPressPoint.Y);
        DragColumnTo(X, Y);
    }
    TCustomdxDBTreeListControl::MouseMove(Shift, X, Y);
}

void TCustomdxDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TdxDBTreeListColumn* pending = m_pendingGroupColumn;
    m_pendingGroupColumn = nullptr;
    if (pending && Button == mbLeft && !IsColumnDragging()) {
        // A press without a drag is a click: it turns the group order round.
        if (MouseCapture())
            ReleaseCapture();
        Invalidate();
        if (MaySortByClick(pending))
            pending->SetSorted(pending->Sorted() == csUp ? csDown : csUp);
    } else if (pending && IsColumnDragging()) {
        DragColumnTo(X, Y);   // the tree list ends the drag where the button was let go
    }
    TCustomdxDBTreeListControl::MouseUp(Button, Shift, X, Y);
}

void TCustomdxDBGrid::EndColumnDrag(bool Accept)
{
    // A column the drag brings into the header (from the group panel or the
    // customizing window) is announced.
    const int index = DragColumn();
    TdxDBTreeListColumn* column = index >= 0 && IsColumnDragging() ? GetColumn(index) : nullptr;
    const bool wasShown = column && IsColumnShown(index);
    EndGridColumnDrag(Accept);
    if (!Accept || !column || wasShown || !OnShowHeader)
        return;
    for (int i = 0; i < GetColumnCount(); ++i)   // the drop's handlers may have freed it
        if (GetColumn(i) == column && IsColumnShown(i)) {
            OnShowHeader(this, column);
            return;
        }
}

void TCustomdxDBGrid::EndGridColumnDrag(bool Accept)
{
    TdxDBTreeListColumn* fromGroup = m_groupDragColumn;
    m_groupDragColumn = nullptr;
    // A cancelled drag of a group button leaves no press behind: its release is no click.
    m_pendingGroupColumn = nullptr;
    const int index = DragColumn();
    TdxDBTreeListColumn* column = index >= 0 ? GetColumn(index) : nullptr;
    if (!Accept || !IsColumnDragging() || !column) {
        TCustomdxDBTreeListControl::EndColumnDrag(Accept);
        return;
    }
    const TPoint p = DragPoint();
    if (DragTarget() == hdtClaimed) {
        // The drop goes where the arrows stood, and only where the cursor allowed it.
        const bool allowed = m_groupDropAllowed;
        TCustomdxDBTreeListControl::EndColumnDrag(false);
        if (!allowed)
            return;
        const bool grouped = column->GroupIndex() >= 0;
        int target = GetGroupDropIndex(p.X);
        if (grouped) {
            // Its own button leaves the row first.
            if (target > column->GroupIndex())
                --target;
            target = std::min(target, GroupColumnCount() - 1);
        }
        if (!DoEndDragGroupColumn(column, target))
            return;
        if (grouped)
            RegroupColumn(column, target);
        else
            AddGroupColumn(target, column);
        return;
    }
    if (fromGroup == column && column->GroupIndex() >= 0) {
        const TdxHeaderDragTarget dropped = DragTarget();
        const bool wasHidden = !column->Visible();
        if (dropped == hdtHeader) {
            // Back among the headers, where it was dropped.
            RemoveGroupColumn(column->GroupIndex());
            TCustomdxDBTreeListControl::EndColumnDrag(true);
            return;
        }
        TCustomdxDBTreeListControl::EndColumnDrag(false);
        RemoveGroupColumn(column->GroupIndex());
        if (wasHidden && dropped == hdtCustomizing && GetVisibleColumnCount() > 1) {
            column->SetVisible(false);
            if (OnHideColumn)
                OnHideColumn(this, column);
        }
        if (!column->Visible() && OnHideHeader)
            OnHideHeader(this, column);
        return;
    }
    TCustomdxDBTreeListControl::EndColumnDrag(Accept);
}

} // namespace qel
