// The preview's keys and mouse: selection, zoom toggling, scrolling, margin
// drags, the margin and page-number hints, and the auto-scroll mode of the
// middle button.
#include "preview/Preview.h"

#include "platform/controls/Application.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/FormLoop.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Messages.h"
#include "platform/controls/Menus.h"
#include "platform/controls/OverlayWindow.h"
#include "platform/graphics/Canvas.h"
#include "preview/detail/PreviewArrangement.h"
#include "preview/detail/PreviewAutoScroll.h"
#include "preview/detail/PreviewResources.h"

#include <algorithm>

namespace qel {

// ===== keys ==========================================================================

void TCustomdxPreview::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    const bool ctrl = Shift.Contains(ssCtrl);
    const bool navigate = m_optionsBehavior.Contains(pobKeyNavigation);
    const bool grid = m_columns > 1 && m_selected >= 0;
    const int column = m_selected >= 0 ? m_selected % m_columns : 0;
    const int row = m_selected >= 0 ? m_selected / m_columns : 0;
    switch (Key) {
    case VK_LEFT:
        if (!navigate)
            break;
        if (!ctrl && grid && column > 0)
            SelectPrevPage();
        else if ((ctrl || m_columns == 1) && CanHScroll())
            ScrollByLines(-1, 0);
        break;
    case VK_RIGHT:
        if (!navigate)
            break;
        if (!ctrl && grid && column < m_columns - 1)
            SelectNextPage();
        else if ((ctrl || m_columns == 1) && CanHScroll())
            ScrollByLines(1, 0);
        break;
    case VK_UP:
        if (!navigate)
            break;
        if (!ctrl && grid && row > 0)
            SetSelectedPageIndex(m_selected - m_columns);
        else if ((ctrl || m_columns == 1) && CanVScroll())
            ScrollByLines(0, -1);
        break;
    case VK_DOWN:
        if (!navigate)
            break;
        if (!ctrl && grid && row < m_rows - 1)
            SetSelectedPageIndex(m_selected + m_columns);
        else if ((ctrl || m_columns == 1) && CanVScroll())
            ScrollByLines(0, 1);
        break;
    case VK_PRIOR:
        if (!ctrl)
            SelectPrevPage();
        else if (CanVScroll())
            ScrollByLines(0, -2);
        break;
    case VK_NEXT:
        if (!ctrl)
            SelectNextPage();
        else if (CanVScroll())
            ScrollByLines(0, 2);
        break;
    case VK_HOME: SelectFirstPage(); break;
    case VK_END: SelectLastPage(); break;
    case VK_RETURN:
        HideAllHints();
        if (m_selected >= 0 && !m_dragMargin)
            ToggleZoom(!m_zoomedIn);
        break;
    case VK_ADD:
        HideAllHints();
        if (ctrl)
            ZoomIn();
        else if (!m_zoomedIn)
            ToggleZoom(true);
        break;
    case VK_SUBTRACT:
        HideAllHints();
        if (ctrl)
            ZoomOut();
        else if (m_zoomedIn)
            ToggleZoom(false);
        break;
    case VK_ESCAPE:
        if (MouseCapture()) {
            ReleaseCapture();
            EndDrag();
            Key = 0;
            return;
        }
        break;
    case VK_MENU:
        if (!m_dragMargin)
            HideAllHints();
        break;
    case VK_APPS:
        if (PopupMenu())
            HideAllHints();
        break;
    default: break;
    }
    TCustomControl::KeyDown(Key, Shift);
}

// ===== mouse =========================================================================

bool TCustomdxPreview::ParentFormActive() const
{
    const TForm* form = ParentForm();
    return form && form->Active() && Application().Active();
}

void TCustomdxPreview::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const TPoint p{X, Y};
    // The click that activated the window only activates it.
    if (const TForm* form = ParentForm(); form && form->ClickActivating() && PageIndexFromPoint(p) >= 0) {
        if (CanFocus())
            SetFocus();
        return;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (m_dragMargin && Button != mbLeft) {
        ReleaseCapture();
        EndDrag();
        return;
    }
    if (Button == mbRight)
        HideAllHints();
    if (Button == mbLeft) {
        if (CanFocus() && !Focused())
            SetFocus();
        const int page = PageIndexFromPoint(p);
        if (page < 0)
            return;
        if (page != m_selected) {
            SetSelectedPageIndex(page);
            return;
        }
        TdxPreviewMargin* margin = nullptr;
        HitTest(p, &margin);
        if (margin && m_optionsBehavior.Contains(pobAllowDragMargins) && !Shift.Contains(ssDouble))
            BeginDrag(margin, X, Y);
        else if (m_optionsZoom.Contains(pozZoomOnClick))
            ToggleZoom(!m_zoomedIn);
        UpdateCursor(X, Y);
    } else if (Button == mbMiddle && !m_dragMargin && (CanHScroll() || CanVScroll())) {
        // The mode's loop runs once this press has been handled, so that
        // whatever the loop frees is no longer in the middle of being told of it.
        PostCall(this, [this, p] { StartAutoScroll(p.X, p.Y); });
    }
}

void TCustomdxPreview::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    if (m_lastMousePos == TPoint{X, Y})
        return;
    m_lastMousePos = {X, Y};
    if (m_dragMargin) {
        MoveDrag(X, Y);
        return;
    }
    RestartMarginHintTimer(X, Y);
    if (m_optionsBehavior.Contains(pobHotTrack) && ParentFormActive()) {
        const int page = PageIndexFromPoint({X, Y});
        if (page >= 0)
            SetSelectedPageIndex(page);
    }
    UpdateCursor(X, Y);
}

void TCustomdxPreview::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || !m_dragMargin)
        return;
    TdxPreviewMargin* margin = m_dragMargin;
    const int at = margin->IsVertical() ? X : Y;
    if (at != m_dragStart) {
        margin->SetDragPos(at - m_dragOffset);
        const int value = margin->PixelToValue(margin->DragPos());
        margin->EndDrag();
        margin->SetValue(value);
    }
    ReleaseCapture();
    EndDrag();
}

bool TCustomdxPreview::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    if (m_dragMargin) {
        const TPoint p = ScreenToClient(MousePos);
        MouseUp(mbLeft, Shift, p.X, p.Y);
    }
    HideAllHints();
    if (m_optionsZoom.Contains(pozZoomOnMouseRoll) || Shift.Contains(ssCtrl)) {
        if (WheelDelta < 0)
            ZoomOut();
        else
            ZoomIn();
    } else if (CanVScroll()) {
        ScrollByLines(0, WheelDelta < 0 ? 1 : -1);
    }
    return true;
}

void TCustomdxPreview::MouseCaptureLost()
{
    EndDrag();
    if (m_autoScroll)
        PostCall(nullptr, [] {});   // wakes the mode's loop, which sees the capture gone
}

void TCustomdxPreview::DoExit()
{
    HideAllHints();
    TCustomControl::DoExit();
}

void TCustomdxPreview::UpdateCursor(int X, int Y)
{
    TdxPreviewMargin* margin = m_dragMargin;
    const TdxPreviewHitTests hits = margin ? TdxPreviewHitTests{phtPage} : HitTest({X, Y}, &margin);
    TCursor cursor = crDefault;
    if (margin)
        cursor = detail::PreviewCursor(margin->IsVertical() ? detail::crdxPreviewVertMargin
                                                            : detail::crdxPreviewHorzMargin);
    else if (hits.Contains(phtPage) && PageIndexFromPoint({X, Y}) == m_selected
             && m_optionsZoom.Contains(pozZoomOnClick))
        cursor = detail::PreviewCursor(m_zoomedIn ? detail::crdxPreviewZoomOut : detail::crdxPreviewZoomIn);
    SetCursor(cursor);
}

// ===== margin drag ===================================================================

void TCustomdxPreview::BeginDrag(TdxPreviewMargin* Margin, int X, int Y)
{
    DoBeforeDragMargin(Margin);
    const int at = Margin->IsVertical() ? X : Y;
    m_dragMargin = Margin;
    m_dragStart = at;
    m_dragOffset = at - Margin->ValueToPixel(Margin->Value());
    if (!m_optionsHint.Contains(pohShowOnDrag)) {
        delete m_marginHint;
        m_marginHint = nullptr;
    }
    SetCapture();
    MoveDrag(X, Y);
}

void TCustomdxPreview::MoveDrag(int X, int Y)
{
    TdxPreviewMargin* margin = m_dragMargin;
    if (!margin->SetDragPos((margin->IsVertical() ? X : Y) - m_dragOffset))
        return;
    ShowDragLine();
    if (m_optionsHint.Contains(pohShowOnDrag)) {
        // The hint rides on the line, at the pointer's place along it.
        TPoint anchor = ClientToScreen({X, Y});
        const TPoint line = ClientToScreen({margin->DragPos(), margin->DragPos()});
        (margin->IsVertical() ? anchor.X : anchor.Y) = margin->IsVertical() ? line.X : line.Y;
        ShowMarginHint(margin, anchor);
    }
    DoDragMargin(margin);
}

void TCustomdxPreview::ShowDragLine()
{
    if (!m_dragLine) {
        m_dragLine = new TOverlayWindow(nullptr);
        m_dragLine->OnPaint = [this](TObject*) {
            // Dots in the margin colour on the page colour, as the line on the page.
            TCanvas* c = m_dragLine->Canvas();
            c->Brush()->SetColor(clWindow);
            c->FillRect(m_dragLine->ClientRect());
            for (int i = 0; i < std::max(m_dragLine->Width(), m_dragLine->Height()); i += 2)
                c->SetPixels(m_dragLine->Width() > 1 ? i : 0, m_dragLine->Height() > 1 ? i : 0, m_marginColor);
        };
    }
    // The line across the page, cut to what the control shows of it.
    TRect line = m_dragMargin->LineRect();
    if (!IntersectRect(line, line, ClientRect())) {
        m_dragLine->HideOverlay();
        return;
    }
    const TPoint at = ClientToScreen({line.Left, line.Top});
    m_dragLine->SetBounds(at.X, at.Y, line.Width(), line.Height());
    m_dragLine->ShowAt(at);
    m_dragLine->Invalidate();
}

void TCustomdxPreview::EndDrag()
{
    TdxPreviewMargin* margin = m_dragMargin;
    if (!margin)
        return;
    m_dragMargin = nullptr;
    margin->EndDrag();
    delete m_dragLine;
    m_dragLine = nullptr;
    delete m_marginHint;
    m_marginHint = nullptr;
    m_lastMousePos = {INT_MAX, INT_MAX};
    if (MouseCapture())
        ReleaseCapture();
    if (!IsDestroying()) {
        Invalidate();
        DoAfterDragMargin(margin);
    }
}

// ===== hints =========================================================================

void TCustomdxPreview::HideAllHints()
{
    if (m_hintShowTimer)
        m_hintShowTimer->SetEnabled(false);
    if (m_hintCheckTimer)
        m_hintCheckTimer->SetEnabled(false);
    delete m_marginHint;
    m_marginHint = nullptr;
    delete m_pageNumberHint;
    m_pageNumberHint = nullptr;
}

void TCustomdxPreview::RestartMarginHintTimer(int X, int Y)
{
    if (m_hintShowTimer->Enabled()) {
        m_hintShowTimer->SetEnabled(false);
    } else if (m_marginHint) {
        m_hintCheckTimer->SetEnabled(false);
        delete m_marginHint;
        m_marginHint = nullptr;
    }
    TdxPreviewMargin* margin = nullptr;
    HitTest({X, Y}, &margin);
    if (margin && m_optionsHint.Contains(pohShowForMargins) && ParentFormActive() && DoCanShowMarginHint())
        m_hintShowTimer->SetEnabled(true);
}

void TCustomdxPreview::MarginHintTimerFired()
{
    m_hintShowTimer->SetEnabled(false);
    TdxPreviewMargin* margin = nullptr;
    const TPoint pointer = GetCursorPos();
    HitTest(ScreenToClient(pointer), &margin);
    if (!margin || (margin->Dragging() && !m_optionsHint.Contains(pohShowOnDrag)))
        return;
    ShowMarginHint(margin, pointer);
    m_hintShownAt = GetTickCount();
    m_hintCheckTimer->SetEnabled(true);
}

void TCustomdxPreview::MarginHintCheck()
{
    if (ParentFormActive() && GetTickCount() - m_hintShownAt < 10001)
        return;
    m_hintCheckTimer->SetEnabled(false);
    delete m_marginHint;
    m_marginHint = nullptr;
}

void TCustomdxPreview::ShowMarginHint(TdxPreviewMargin* Margin, TPoint ScreenPos)
{
    if (!m_marginHint)
        m_marginHint = new TdxPreviewHintWindow(nullptr);
    const TdxPreviewMarginType kind = Margin->Kind();
    m_marginHint->ShowHint(ScreenPos, PreviewMarginHintText(*Margin, m_measurementUnits), [kind](TSize Size) {
        switch (kind) {
        case pmLeft:
        case pmGutter: return TPoint{-(Size.cx + 5), 5};
        case pmTop:
        case pmHeader: return TPoint{5, -(Size.cy + 5)};
        default: return TPoint{5, 5};
        }
    });
}

std::string TCustomdxPreview::GetPageNumberHint(int StartPage, int EndPage)
{
    std::string text = "Page:  " + std::to_string(StartPage + 1);
    if (EndPage != StartPage)
        text += " - " + std::to_string(EndPage + 1);
    if (OnGetPageNumberHint)
        OnGetPageNumberHint(this, StartPage, EndPage, text);
    return text;
}

void TCustomdxPreview::ShowPageNumberHint(int TrackPos)
{
    const detail::TPreviewArrangement a =
        Arrange(m_scrollX, std::clamp(TrackPos, 0, std::max(0, ScrollExtentY() - ClientHeight())));
    const std::string text = GetPageNumberHint(a.FirstIn(ClientRect(), false), a.LastIn(ClientRect(), false));
    if (!m_pageNumberHint)
        m_pageNumberHint = new TdxPreviewHintWindow(nullptr);
    m_pageNumberHint->ShowHint(GetCursorPos(), text, [](TSize Size) {
        return TPoint{-(Size.cx + GetSystemMetrics(SM_CXVSCROLL)), 0};
    });
}

// ===== auto-scroll ===================================================================

TOverlayWindow* TCustomdxPreview::AutoScrollIndicator() const
{
    return m_autoScroll ? m_autoScroll->Indicator() : nullptr;
}

void TCustomdxPreview::StartAutoScroll(int X, int Y)
{
    if (m_autoScroll || m_dragMargin || !(CanHScroll() || CanVScroll()))
        return;
    HideAllHints();
    const std::weak_ptr<int> alive = m_alive;
    m_autoScroll = std::make_unique<TAutoScroll>(*this, TPoint{X, Y});
    RunNestedLoop([&] { return alive.expired() || m_autoScroll->Ended(); });
    if (alive.expired())
        return;
    m_autoScroll.reset();
}

} // namespace qel
