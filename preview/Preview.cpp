// The preview's state: pages, page size and orientation, zoom, the layout of
// pages in rows and columns, scrolling and selection.
#include "preview/Preview.h"

#include "platform/controls/Application.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/OverlayWindow.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "platform/core/MathUtils.h"
#include "preview/detail/PreviewArrangement.h"
#include "preview/detail/PreviewAutoScroll.h"
#include "preview/detail/PreviewResources.h"

#include <algorithm>

namespace qel {

QEL_REGISTER_CLASS(TCustomdxPreview, TCustomControl);
QEL_REGISTER_CLASS(TdxPreview, TCustomdxPreview);

namespace {

// Lines scrolled by the keys, the wheel and the bars' arrows.
constexpr int kLineSize = 30;

TColor UltraFlatShade(TColor Color)
{
    const TColor rgb = ColorToRGB(Color);
    const auto lift = [](int C) { return C + (255 - C) / 4; };
    return RGB(lift(GetRValue(rgb)), lift(GetGValue(rgb)), lift(GetBValue(rgb)));
}

} // namespace

// ===== construction ================================================================

TCustomdxPreview::TCustomdxPreview(TComponent* AOwner) : TCustomControl(AOwner)
{
    detail::AcquirePreviewResources();
    m_margins = std::make_unique<TdxPreviewMargins>(this);
    m_pageBackground = std::make_unique<TdxPreviewPageBackground>(this);
    m_hintShowTimer = std::make_unique<TTimer>(nullptr);
    m_hintShowTimer->SetEnabled(false);
    m_hintShowTimer->SetInterval(500);
    m_hintShowTimer->OnTimer = [this](TObject*) { MarginHintTimerFired(); };
    m_hintCheckTimer = std::make_unique<TTimer>(nullptr);
    m_hintCheckTimer->SetEnabled(false);
    m_hintCheckTimer->SetInterval(500);
    m_hintCheckTimer->OnTimer = [this](TObject*) { MarginHintCheck(); };
    // The desktop's colours changed: margin lines in a system colour follow.
    m_settingChanges.Connect(Application().SettingChanges(), [this](TObject*) {
        if (static_cast<unsigned>(m_marginColor) & 0x80000000u)
            InvalidateMargins(m_selected);
    });
    InitColor(clBtnShadow);
    SetTabStop(false);
    SetOpaque(true);
    SetBorderStyle(bsSingle);
    SetBounds(Left(), Top(), 320, 460);
}

TCustomdxPreview::~TCustomdxPreview()
{
    Destroying();
    if (!m_registryPath.empty() && m_optionsBehavior.Contains(pobStoreInRegistry)) {
        try {
            SaveToRegistry(m_registryPath);
        } catch (const std::exception& e) {
            Application().HandleException(e);
        }
    }
    m_alive.reset();
    m_autoScroll.reset();
    EndDrag();
    HideAllHints();
    m_hintShowTimer.reset();
    m_hintCheckTimer.reset();
    detail::ReleasePreviewResources();
}

void TCustomdxPreview::Loaded()
{
    TCustomControl::Loaded();
    DoCalcPageCount();
    if (m_optionsBehavior.Contains(pobStoreInRegistry) && !m_registryPath.empty())
        LoadFromRegistry(m_registryPath);
}

void TCustomdxPreview::SetOnCalcPageCount(TNotifyEvent Value)
{
    m_onCalcPageCount = std::move(Value);
    if (IsLoading())
        return;
    DoCalcPageCount();
    Invalidate();
}

// ===== virtual notifications ========================================================

void TCustomdxPreview::DoDrawPageContent(TCanvas& Canvas, const TRect& Rect, int PageIndex)
{
    if (OnDrawPageContent)
        OnDrawPageContent(this, Canvas, Rect, PageIndex);
}

void TCustomdxPreview::DoDragMargin(TdxPreviewMargin* Margin)
{
    if (OnDragMargin)
        OnDragMargin(this, Margin);
}

void TCustomdxPreview::DoZoomFactorChanged()
{
    if (OnZoomFactorChanged)
        OnZoomFactorChanged(this);
}

void TCustomdxPreview::DoZoomModeChanged()
{
    if (OnZoomModeChanged)
        OnZoomModeChanged(this);
}

bool TCustomdxPreview::DoCanShowMarginHint()
{
    bool can = true;
    if (OnCanShowMarginHint)
        OnCanShowMarginHint(this, can);
    return can;
}

bool TCustomdxPreview::DoSelectingPage(int PageIndex)
{
    bool can = true;
    if (OnSelectingPage)
        OnSelectingPage(this, PageIndex, can);
    return can;
}

void TCustomdxPreview::DoAfterDragMargin(TdxPreviewMargin* Margin)
{
    if (OnAfterDragMargin)
        OnAfterDragMargin(this, Margin);
}

void TCustomdxPreview::DoBeforeDragMargin(TdxPreviewMargin* Margin)
{
    if (OnBeforeDragMargin)
        OnBeforeDragMargin(this, Margin);
}

void TCustomdxPreview::DoCalcPageCount()
{
    if (m_updateCount == 0 && m_onCalcPageCount)
        m_onCalcPageCount(this);
}

void TCustomdxPreview::DoSelectedPageChanging(int PageIndex)
{
    if (OnSelectedPageChanging)
        OnSelectedPageChanging(this, PageIndex);
}

void TCustomdxPreview::DoSelectedPageChanged(int PageIndex)
{
    if (OnSelectedPageChanged)
        OnSelectedPageChanged(this, PageIndex);
}

void TCustomdxPreview::DoMarginChanged(TdxPreviewMargin* Margin)
{
    if (OnMarginChanged)
        OnMarginChanged(this, Margin);
    // The page margins and the gutter change the room for content, so the pages.
    if (Margin->Kind() <= pmGutter)
        DoCalcPageCount();
}

void TCustomdxPreview::MarginsChanged()
{
    if (!IsUpdateLocked())
        Invalidate();
}

// ===== updates =======================================================================

void TCustomdxPreview::CancelUpdate()
{
    if (m_updateCount > 0)
        --m_updateCount;
}

void TCustomdxPreview::EndUpdate()
{
    if (m_updateCount == 0)
        return;
    if (--m_updateCount == 0 && !IsLoading()) {
        DoCalcPageCount();
        Invalidate();
    }
}

// ===== pages and page size ===========================================================

void TCustomdxPreview::SetPageCount(int Value)
{
    Value = std::max(Value, 0);
    if (Value == m_pageCount)
        return;
    m_pageCount = Value;
    if (IsDestroying())
        return;
    RevalidateSelection(m_selected);
    Layout();
}

TPoint TCustomdxPreview::PageSize() const
{
    return m_orientation == ppoLandscape ? TPoint{m_originalPageSize.Y, m_originalPageSize.X} : m_originalPageSize;
}

TPoint TCustomdxPreview::PageSizePixels() const
{
    const int ppi = Screen().PixelsPerInch();
    const TPoint size = PageSize();
    return {MulDiv(size.X, ppi, 254), MulDiv(size.Y, ppi, 254)};
}

TPoint TCustomdxPreview::ZoomedPageSize() const
{
    const TPoint px = PageSizePixels();
    return {MulDiv(px.X, m_zoomFactor, 100), MulDiv(px.Y, m_zoomFactor, 100)};
}

int TCustomdxPreview::ValueToPixels(int Value) const
{
    return MulDiv(MulDiv(Value, Screen().PixelsPerInch(), 254), m_zoomFactor, 100);
}

int TCustomdxPreview::PixelsToValue(int Pixels) const
{
    return MulDiv(MulDiv(Pixels, 100, m_zoomFactor), 254, Screen().PixelsPerInch());
}

std::string TCustomdxPreview::PageSizeText() const
{
    return PreviewUnitText(m_originalPageSize.X, m_measurementUnits) + " x " +
           PreviewUnitText(m_originalPageSize.Y, m_measurementUnits);
}

void TCustomdxPreview::SetOriginalPageSize(TPoint Value)
{
    Value.X = std::max(Value.X, m_minUsefulSize.X);
    Value.Y = std::max(Value.Y, m_minUsefulSize.Y);
    if (Value == m_originalPageSize)
        return;
    m_originalPageSize = Value;
    // The margins keep to the new page.
    for (int k = 0; k < dxPreviewMarginCount; ++k)
        m_margins->Items(static_cast<TdxPreviewMarginType>(k))->SetValue(
            m_margins->Items(static_cast<TdxPreviewMarginType>(k))->Value());
    Layout();
}

void TCustomdxPreview::SetMinUsefulSize(TPoint Value)
{
    const TPoint page = PageSize();
    const int L = m_margins->Left()->Value(), R = m_margins->Right()->Value(), G = m_margins->Gutter()->Value();
    const int T = m_margins->Top()->Value(), B = m_margins->Bottom()->Value();
    Value.X = std::clamp(Value.X, 0, std::max(0, page.X - L - G - R));
    Value.Y = std::clamp(Value.Y, 0, std::max(0, page.Y - T - B));
    m_minUsefulSize = Value;
}

int TCustomdxPreview::HeaderFooterRoom(int OtherSize) const
{
    // The page height less the useful area, the header, the footer and the other's room.
    return PageSize().Y - m_minUsefulSize.Y - OtherSize - m_margins->Footer()->Value() - m_margins->Header()->Value();
}

void TCustomdxPreview::SetMinHeaderSize(int Value)
{
    // The floor of 0 comes last: a page without room gives no size, not a negative one.
    m_minHeaderSize = std::max(std::min(Value, HeaderFooterRoom(m_minFooterSize)), 0);
    TdxPreviewMargin* top = m_margins->Top();
    top->SetValue(std::max(top->Value(), m_minHeaderSize + m_margins->Header()->Value()));
}

void TCustomdxPreview::SetMinFooterSize(int Value)
{
    m_minFooterSize = std::max(std::min(Value, HeaderFooterRoom(m_minHeaderSize)), 0);
    TdxPreviewMargin* bottom = m_margins->Bottom();
    bottom->SetValue(std::max(bottom->Value(), m_minFooterSize + m_margins->Footer()->Value()));
}

void TCustomdxPreview::RotateMargins(TdxPreviewPaperOrientation To)
{
    TdxPreviewMargins& m = *m_margins;
    const int L = m.Left()->Value(), T = m.Top()->Value(), R = m.Right()->Value(), B = m.Bottom()->Value();
    // Straight into the fields: the rotated set is valid for the rotated page,
    // which the setters below confirm once the page has turned.
    if (To == ppoLandscape) {
        m.Left()->m_value = B;
        m.Top()->m_value = L;
        m.Right()->m_value = T;
        m.Bottom()->m_value = R;
    } else {
        m.Left()->m_value = T;
        m.Top()->m_value = R;
        m.Right()->m_value = B;
        m.Bottom()->m_value = L;
    }
}

void TCustomdxPreview::SetOrientation(TdxPreviewPaperOrientation Value)
{
    if (Value == m_orientation)
        return;
    BeginUpdate();
    {
        Finally end([this] { EndUpdate(); });
        RotateMargins(Value);
        m_orientation = Value;
        for (int k = 0; k < dxPreviewMarginCount; ++k) {
            TdxPreviewMargin* margin = m_margins->Items(static_cast<TdxPreviewMarginType>(k));
            margin->SetValue(margin->Value());
        }
        Layout();
    }
}

// ===== zoom ==========================================================================

void TCustomdxPreview::SetZoomFactor(int Value) { ApplyZoomFactor(Value, zsUser); }

void TCustomdxPreview::ApplyZoomFactor(int Value, TZoomSource Source)
{
    Value = std::min(std::max(Value, m_minZoomFactor), m_maxZoomFactor);
    if (Value == m_zoomFactor)
        return;
    m_zoomFactor = Value;
    // A zoom set directly ends the fitted modes.
    if (Source != zsLayout)
        m_zoomMode = pzmNone;
    if (Source != zsToggle)
        m_zoomedIn = Value >= 100;
    m_gap = Value * 9 / 100 + 4;
    if (Source != zsLayout) {
        if (m_zoomMode == pzmNone)
            Layout();
        else if (!IsUpdateLocked())
            Invalidate();
    }
    DoZoomFactorChanged();
}

void TCustomdxPreview::SetMinZoomFactor(int Value)
{
    Value = std::min(std::max(Value, 10), m_maxZoomFactor);
    m_minZoomFactor = Value;
    if (m_zoomFactor < Value)
        SetZoomFactor(Value);
}

void TCustomdxPreview::SetMaxZoomFactor(int Value)
{
    Value = std::max(Value, m_minZoomFactor);
    m_maxZoomFactor = Value;
    if (m_zoomFactor > Value)
        SetZoomFactor(Value);
}

void TCustomdxPreview::SetZoomMode(TdxPreviewZoomMode Value)
{
    if (Value == m_zoomMode)
        return;
    m_zoomMode = Value;
    Layout();
    DoZoomModeChanged();
}

void TCustomdxPreview::SetPageXCount(int Value) { SetPageCounts(Value, m_pageYCount); }
void TCustomdxPreview::SetPageYCount(int Value) { SetPageCounts(m_pageXCount, Value); }

void TCustomdxPreview::SetPageCounts(int X, int Y)
{
    m_pageXCount = std::max(X, 1);
    m_pageYCount = std::max(Y, 1);
    // Either count switches to the pages mode, whose layout they are.
    if (m_zoomMode != pzmPages)
        SetZoomMode(pzmPages);
    else
        Layout();
}

void TCustomdxPreview::SetPageXYCount(int X, int Y)
{
    BeginUpdate();
    Finally end([this] { EndUpdate(); });
    SetPageXCount(X);
    SetPageYCount(Y);
}

void TCustomdxPreview::ToggleZoom(bool ZoomIn)
{
    if (ZoomIn && !m_zoomedIn) {
        m_savedZoomFactor = m_zoomFactor;
        m_savedZoomMode = m_zoomMode;
        m_zoomedIn = true;
        ApplyZoomFactor(100, zsToggle);
    } else if (m_zoomedIn) {
        if (m_zoomFactor == 100) {
            m_zoomedIn = false;
            SetZoomMode(m_savedZoomMode);
            ApplyZoomFactor(m_savedZoomFactor, zsToggle);
        } else {
            ApplyZoomFactor(100, zsToggle);
        }
    }
    Update();
}

// ===== layout ========================================================================

detail::TPreviewArrangement TCustomdxPreview::Arrange(int ScrollX, int ScrollY) const
{
    // As the last layout placed them: between a change and its layout the
    // pages are where the screen shows them.
    detail::TPreviewArrangement a;
    a.PageCount = m_pageCount;
    a.Columns = m_columns;
    a.Rows = m_rows;
    a.PageWidth = m_placedPage.X;
    a.PageHeight = m_placedPage.Y;
    a.Gap = m_placedGap;
    a.LeftOffset = m_placedOffset.X;
    a.TopOffset = m_placedOffset.Y;
    a.ScrollX = ScrollX;
    a.ScrollY = ScrollY;
    return a;
}

void TCustomdxPreview::Place()
{
    m_placedPage = ZoomedPageSize();
    m_placedGap = m_gap;
    const TRect client = ClientRect();
    // With bars that come and go, pages are centred as if the bar were there
    // whenever they would still fit beside it, so they do not jump.
    const bool autoHide = m_optionsView.Contains(povAutoHideScrollBars);
    const auto offset = [&](int Total, int Client, int Bar) {
        const int widened = autoHide ? Total + Bar : Total;
        const int total = widened <= Client ? widened : Total;
        int at = total <= Client ? (Client + 2 * m_gap - total) / 2 : m_gap;
        if (m_zoomFactor == m_minZoomFactor)
            at = std::max(at, m_gap);
        return at;
    };
    m_placedOffset = {offset(m_totalWidth, client.Width(), GetSystemMetrics(SM_CXVSCROLL)),
                      offset(m_totalHeight, client.Height(), GetSystemMetrics(SM_CYHSCROLL))};
}

void TCustomdxPreview::FitZoom()
{
    const TPoint px = PageSizePixels();
    const int cw = ClientWidth(), ch = ClientHeight();
    if (m_zoomMode == pzmPageWidth) {
        ApplyZoomFactor(MulDiv(cw, 100, px.X + 26), zsLayout);
    } else if (m_zoomMode == pzmPages) {
        const auto fit = [this](int Client, int Page, int Count) {
            int z = m_minZoomFactor;
            for (int n = Count; n >= 1; --n) {
                z = MulDiv(Client - 4 * (n + 1), 100, n * (Page + 9) + 9);
                if (z >= m_minZoomFactor)
                    break;
            }
            return std::max(z, m_minZoomFactor);
        };
        ApplyZoomFactor(std::min(fit(cw, px.X, m_pageXCount), fit(ch, px.Y, m_pageYCount)), zsLayout);
    }
}

void TCustomdxPreview::Layout()
{
    if (m_layingOut)
        return;
    TValueRestorer<bool> busy(m_layingOut, true);
    const detail::TPreviewArrangement before = Arrange(m_scrollX, m_scrollY);
    const TRect clientBefore = ClientRect();
    const int first = before.FirstIn(clientBefore, true);
    int selected = first;
    if (m_selected >= 0 && before.FirstIn(clientBefore, false) <= m_selected && m_selected <= before.LastIn(clientBefore, false))
        selected = m_selected;

    // Bars that come or go change the client area, and with it the fit; a
    // few rounds settle it.
    for (int round = 0; round < 3; ++round) {
        const TRect client = ClientRect();
        FitZoom();
        const TPoint px = PageSizePixels();
        const TPoint zoomed = ZoomedPageSize();
        int columns = 1;
        if (m_zoomMode == pzmPages)
            columns = (MulDiv(client.Width(), 100, m_zoomFactor) - 13) / (px.X + 13);
        else if (m_zoomMode == pzmNone)
            columns = (client.Width() - m_gap) / (zoomed.X + m_gap);
        // At least one column, also without pages: rows are counted by it.
        columns = std::clamp(columns, 1, std::max(m_pageCount, 1));
        if (m_zoomMode == pzmPages)
            columns = std::min(columns, m_pageXCount);
        m_columns = columns;
        m_rows = (m_pageCount + columns - 1) / columns;
        m_totalWidth = m_pageCount == 0 || m_zoomMode == pzmPageWidth ? client.Width()
                                                                       : (zoomed.X + m_gap) * columns + m_gap;
        m_totalHeight = (zoomed.Y + m_gap) * m_rows + m_gap;
        UpdateScrollBars();
        if (ClientRect() == client)
            break;
    }
    Place();
    SetScrollPosition(m_scrollX, m_scrollY, false);
    if (first >= 0 && first < m_pageCount)
        MakeVisible(first);
    if (selected != first && selected >= 0 && selected < m_pageCount)
        MakeVisible(selected);
    UpdateScrollBars();
    if (!IsUpdateLocked())
        Invalidate();
}

int TCustomdxPreview::ScrollExtentX() const
{
    return m_zoomMode == pzmPages ? m_totalWidth - m_gap : m_totalWidth;
}

int TCustomdxPreview::ScrollExtentY() const
{
    return m_zoomMode == pzmPages ? m_totalHeight - m_gap : m_totalHeight;
}

bool TCustomdxPreview::CanHScroll() const
{
    return m_zoomMode != pzmPageWidth && ScrollExtentX() > ClientWidth()
           && !(m_zoomMode == pzmPages && m_pageXCount == 1 && m_pageYCount == 1);
}

bool TCustomdxPreview::CanVScroll() const { return ScrollExtentY() > ClientHeight(); }

void TCustomdxPreview::UpdateScrollBars()
{
    const bool horz = m_scrollBars == ssHorizontal || m_scrollBars == ssBoth;
    const bool vert = m_scrollBars == ssVertical || m_scrollBars == ssBoth;
    const bool keep = !m_optionsView.Contains(povAutoHideScrollBars);
    const auto set = [&] {
        if (horz)
            SetScrollInfo(SB_HORZ, {0, ScrollExtentX() - 1, ClientWidth(), m_scrollX, 0}, keep);
        if (vert)
            SetScrollInfo(SB_VERT, {0, ScrollExtentY() - 1, ClientHeight(), m_scrollY, 0}, keep);
    };
    if (!horz)
        ShowScrollBar(SB_HORZ, false);
    if (!vert)
        ShowScrollBar(SB_VERT, false);
    set();
    // Each bar takes room from the other: set both again with the final client area.
    if (!keep && horz && vert)
        set();
}

void TCustomdxPreview::SetScrollPosition(int X, int Y, bool Scroll)
{
    X = std::clamp(X, 0, std::max(0, ScrollExtentX() - ClientWidth()));
    Y = std::clamp(Y, 0, std::max(0, ScrollExtentY() - ClientHeight()));
    const int dx = X - m_scrollX, dy = Y - m_scrollY;
    if (!dx && !dy)
        return;
    m_scrollX = X;
    m_scrollY = Y;
    if (dx)
        SetScrollPos(SB_HORZ, X);
    if (dy)
        SetScrollPos(SB_VERT, Y);
    if (Scroll && !m_layingOut && !IsUpdateLocked())
        ScrollWindow(-dx, -dy);
    else if (!IsUpdateLocked())
        Invalidate();
}

void TCustomdxPreview::ScrollByLines(int DX, int DY)
{
    SetScrollPosition(m_scrollX + DX * kLineSize, m_scrollY + DY * kLineSize);
}

void TCustomdxPreview::MakeVisible(int PageIndex)
{
    if (PageIndex < 0 || PageIndex >= m_pageCount)
        return;
    const TRect frame = PageFrameBounds(PageIndex);
    const auto shift = [](int Lo, int Hi, int Extent) {
        int d = Hi > Extent ? Hi - Extent : 0;
        if (Lo - d < 0)
            d = Lo;
        return d;
    };
    SetScrollPosition(m_scrollX + shift(frame.Left, frame.Right, ClientWidth()),
                      m_scrollY + shift(frame.Top, frame.Bottom, ClientHeight()));
}

void TCustomdxPreview::Resize()
{
    Layout();
    TCustomControl::Resize();
}

void TCustomdxPreview::DoScroll(TScrollBarKind Kind, TScrollCode Code, int Pos)
{
    const bool horz = Kind == sbHorizontal;
    const int at = horz ? m_scrollX : m_scrollY;
    const int page = horz ? ClientWidth() : ClientHeight();
    int to = at;
    switch (Code) {
    case scLineUp: to = at - kLineSize; break;
    case scLineDown: to = at + kLineSize; break;
    case scPageUp: to = at - page; break;
    case scPageDown: to = at + page; break;
    case scTop: to = 0; break;
    case scBottom: to = horz ? ScrollExtentX() : ScrollExtentY(); break;
    case scPosition:
        if (!m_optionsBehavior.Contains(pobThumbTracking))
            to = Pos;
        break;
    case scTrack:
        if (m_optionsBehavior.Contains(pobThumbTracking))
            to = Pos;
        if (!horz && m_optionsHint.Contains(pohShowOnScroll) && m_rows > 1)
            ShowPageNumberHint(Pos);
        break;
    case scEndScroll:
        if (m_pageNumberHint) {
            delete m_pageNumberHint;
            m_pageNumberHint = nullptr;
        }
        break;
    }
    if (horz)
        SetScrollPosition(to, m_scrollY);
    else
        SetScrollPosition(m_scrollX, to);
}

// ===== page queries ==================================================================

TRect TCustomdxPreview::PageBounds(int Index) const
{
    if (Index < 0 || Index >= m_pageCount)
        return {};
    return Arrange(m_scrollX, m_scrollY).PageRect(Index);
}

TRect TCustomdxPreview::PageFrameBounds(int Index) const
{
    if (Index < 0 || Index >= m_pageCount)
        return {};
    return Arrange(m_scrollX, m_scrollY).FrameRect(Index);
}

int TCustomdxPreview::PageIndexFromPoint(TPoint P) const { return Arrange(m_scrollX, m_scrollY).PageAt(P); }

int TCustomdxPreview::FirstVisiblePageIndex() const { return Arrange(m_scrollX, m_scrollY).FirstIn(ClientRect(), false); }
int TCustomdxPreview::LastVisiblePageIndex() const { return Arrange(m_scrollX, m_scrollY).LastIn(ClientRect(), false); }
int TCustomdxPreview::FirstCompletelyVisiblePageIndex() const
{
    return Arrange(m_scrollX, m_scrollY).FirstIn(ClientRect(), true);
}
int TCustomdxPreview::LastCompletelyVisiblePageIndex() const
{
    return Arrange(m_scrollX, m_scrollY).LastIn(ClientRect(), true);
}

TRect TCustomdxPreview::MarginsPageRect() const
{
    if (m_pageCount == 0)
        return {};
    return PageBounds(m_selected >= 0 ? m_selected : 0);
}

TdxPreviewHitTests TCustomdxPreview::HitTest(TPoint P, TdxPreviewMargin** Margin) const
{
    if (Margin)
        *Margin = nullptr;
    if (!ClientRect().Contains(P))
        return {};
    const int page = PageIndexFromPoint(P);
    if (page < 0)
        return {phtNoWhere};
    TdxPreviewHitTests hits{phtPage};
    if (page != m_selected)
        return hits;
    // Footer first, gutter last: the left margin wins where it lies on the gutter.
    static constexpr TdxPreviewMarginType order[] = {pmFooter, pmHeader, pmBottom, pmRight, pmTop, pmLeft, pmGutter};
    for (TdxPreviewMarginType kind : order) {
        TdxPreviewMargin* m = m_margins->Items(kind);
        if (!m->Visible() || !m->Enabled())
            continue;
        TRect r = m->LineRect();
        if (m->IsVertical())
            InflateRect(r, 3, 0);
        else
            InflateRect(r, 0, 3);
        if (r.Contains(P)) {
            hits.Include(static_cast<TdxPreviewHitTestItem>(int(phtMarginLeft) + int(kind)));
            if (Margin)
                *Margin = m;
            break;
        }
    }
    return hits;
}

// ===== selection =====================================================================

void TCustomdxPreview::SetSelectedPageIndex(int Value) { SelectPage(Value, false); }

void TCustomdxPreview::SelectPage(int Index, bool Asked)
{
    Index = std::min(std::max(Index, -1), m_pageCount - 1);
    if (Index == m_selected)
        return;
    if (Index >= 0 && !Asked && !DoSelectingPage(Index))
        return;
    DoSelectedPageChanging(Index);
    InvalidatePageRing(m_selected);
    InvalidateMargins(m_selected);
    m_selected = Index;
    InvalidatePageRing(m_selected);
    InvalidateMargins(m_selected);
    MakeVisible(Index);
    DoSelectedPageChanged(Index);
}

void TCustomdxPreview::SelectNextPage()
{
    for (int i = m_selected + 1; i < m_pageCount; ++i) {
        SetSelectedPageIndex(i);
        if (m_selected == i)
            return;
    }
}

void TCustomdxPreview::SelectPrevPage()
{
    for (int i = m_selected - 1; i >= 0; --i) {
        SetSelectedPageIndex(i);
        if (m_selected == i)
            return;
    }
}

void TCustomdxPreview::SelectFirstPage()
{
    for (int i = 0; i < m_pageCount && m_selected != i; ++i) {
        SetSelectedPageIndex(i);
        if (m_selected == i)
            return;
    }
}

void TCustomdxPreview::SelectLastPage()
{
    for (int i = m_pageCount - 1; i >= 0 && m_selected != i; --i) {
        SetSelectedPageIndex(i);
        if (m_selected == i)
            return;
    }
}

void TCustomdxPreview::RevalidateSelection(int OldIndex)
{
    for (int i = std::min(OldIndex, m_pageCount - 1); i >= 0; --i)
        if (DoSelectingPage(i)) {
            if (i != m_selected)
                SelectPage(i, true);
            return;
        }
    for (int i = 0; i < m_pageCount; ++i)
        if (DoSelectingPage(i)) {
            SelectPage(i, true);
            return;
        }
    SelectPage(-1, true);
}

void TCustomdxPreview::InvalidatePageRing(int Index)
{
    if (Index < 0 || Index >= m_pageCount || IsUpdateLocked())
        return;
    const TRect frame = PageFrameBounds(Index);
    const TRect page = PageBounds(Index);
    InvalidateRect(Rect(frame.Left, frame.Top, frame.Right, page.Top));
    InvalidateRect(Rect(frame.Left, page.Bottom, frame.Right, frame.Bottom));
    InvalidateRect(Rect(frame.Left, page.Top, page.Left, page.Bottom));
    InvalidateRect(Rect(page.Right, page.Top, frame.Right, page.Bottom));
}

void TCustomdxPreview::InvalidateMargins(int Index)
{
    if (Index < 0 || Index != m_selected || IsUpdateLocked() || !m_optionsView.Contains(povMargins))
        return;
    for (int k = 0; k < dxPreviewMarginCount; ++k)
        InvalidateMarginLine(m_margins->Items(static_cast<TdxPreviewMarginType>(k)));
}

void TCustomdxPreview::InvalidateMarginLine(TdxPreviewMargin* Margin)
{
    if (IsUpdateLocked() || m_pageCount == 0)
        return;
    const int at = Margin->ValueToPixel(Margin->Value());
    const TRect page = MarginsPageRect();
    InvalidateRect(Margin->IsVertical() ? Rect(at, page.Top, at + 1, page.Bottom)
                                        : Rect(page.Left, at, page.Right, at + 1));
}

void TCustomdxPreview::InvalidateVisiblePages()
{
    if (!IsUpdateLocked())
        Invalidate();
}

// ===== appearance and options ========================================================

int TCustomdxPreview::BorderInset() const
{
    if (BorderStyle() != bsNone && m_lookAndFeel != plfStandard)
        return 1;
    return TCustomControl::BorderInset();
}

void TCustomdxPreview::PaintNonClient()
{
    if (BorderStyle() == bsNone || m_lookAndFeel == plfStandard) {
        TCustomControl::PaintNonClient();
        return;
    }
    TRect r = Rect(0, 0, Width(), Height());
    Canvas()->DrawEdge(r, BDR_SUNKENOUTER, m_lookAndFeel == plfUltraFlat ? BF_RECT | BF_FLAT : BF_RECT);
}

void TCustomdxPreview::SetLookAndFeel(TdxPreviewLookAndFeel Value)
{
    if (Value == m_lookAndFeel)
        return;
    const int oldInset = BorderInset();
    const TColor shade = UltraFlatShade(clBtnShadow);
    if (Value == plfUltraFlat && Color() == clBtnShadow)
        SetColor(shade);
    else if (m_lookAndFeel == plfUltraFlat && Color() == shade)
        SetColor(clBtnShadow);
    m_lookAndFeel = Value;
    SetScrollBarStyle(Value == plfStandard ? sbsStandard : Value == plfFlat ? sbsFlat : sbsUltraFlat);
    BorderChanged(oldInset);
    Layout();
}

void TCustomdxPreview::SetScrollBars(TScrollStyle Value)
{
    if (Value == m_scrollBars)
        return;
    m_scrollBars = Value;
    Layout();
}

void TCustomdxPreview::SetMarginColor(TColor Value)
{
    if (Value == m_marginColor)
        return;
    m_marginColor = Value;
    InvalidateMargins(m_selected);
}

void TCustomdxPreview::SetOptionsBehavior(TdxPreviewOptionsBehavior Value)
{
    const bool drag = Value.Contains(pobAllowDragMargins);
    const bool changed = drag != m_optionsBehavior.Contains(pobAllowDragMargins);
    m_optionsBehavior = Value;
    if (changed)
        for (int k = 0; k < dxPreviewMarginCount; ++k)
            m_margins->Items(static_cast<TdxPreviewMarginType>(k))->SetEnabled(drag);
}

void TCustomdxPreview::SetOptionsView(TdxPreviewOptionsView Value)
{
    const TdxPreviewOptionsView old = m_optionsView;
    m_optionsView = Value;
    if (old.Contains(povMargins) != Value.Contains(povMargins))
        for (int k = 0; k < dxPreviewMarginCount; ++k)
            m_margins->Items(static_cast<TdxPreviewMarginType>(k))->SetVisible(Value.Contains(povMargins));
    if (old.Contains(povAutoHideScrollBars) != Value.Contains(povAutoHideScrollBars))
        Layout();
    if (old.Contains(povDefaultDrawPageBackground) != Value.Contains(povDefaultDrawPageBackground)
        || old.Contains(povPageSelection) != Value.Contains(povPageSelection))
        InvalidateVisiblePages();
}

void TCustomdxPreview::SetPageBackground(TdxBackground* Value)
{
    if (Value)
        m_pageBackground->Assign(Value);
}

TdxPreviewZoomSettings dxPreviewZoomOf(const TCustomdxPreview& Preview)
{
    return {Preview.ZoomMode(), Preview.ZoomFactor(), Preview.PageXCount(), Preview.PageYCount()};
}

void dxSetPreviewZoom(TCustomdxPreview& Preview, const TdxPreviewZoomSettings& Settings)
{
    switch (Settings.Mode) {
    case pzmNone:
        Preview.SetZoomFactor(Settings.ZoomFactor);
        // An unchanged factor leaves a fitted mode in force.
        Preview.SetZoomMode(pzmNone);
        break;
    case pzmPageWidth: Preview.SetZoomMode(pzmPageWidth); break;
    case pzmPages: Preview.SetPageXYCount(Settings.Columns, Settings.Rows); break;
    }
}

} // namespace qel
