// The preview window's bars (margin values, page numbers, paper size, the
// status with its progress bar), the link's build and print progress, the
// page count while pagination goes on, and what repaints after a change.
#include "preview/PreviewWindow.h"

#include "platform/controls/Application.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Messages.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "printing/ComponentPrinter.h"
#include "printing/HeaderFooterFunctions.h"
#include "printing/PSEngine.h"
#include "printing/ReportLink.h"

#include <algorithm>

namespace qel {

namespace {

bool ShowsTotalPages(const TCustomdxPageObject& HF)
{
    static const std::string total = TdxHFTotalPagesFunction().TemplateString();
    for (const TStrings* title : {HF.LeftTitle(), HF.CenterTitle(), HF.RightTitle()})
        for (int i = 0; i < title->Count(); ++i)
            if (title->Get(i).find(total) != std::string::npos)
                return true;
    return false;
}

// A colour a quarter of the way from C to white: the flat look's progress bar.
TColor Lighter(TColor C)
{
    const TColor rgb = ColorToRGB(C);
    auto up = [](int V) { return V + (255 - V) / 4; };
    return RGB(up(GetRValue(rgb)), up(GetGValue(rgb)), up(GetBValue(rgb)));
}

} // namespace

// ============================================================================
// Controls

void TCustomdxPSPreviewWindow::UpdateControls()
{
    if (Locked() || !m_preview || !m_marginBar)
        return;
    // The preview is not repainted by what this changes.
    BeginUpdate();
    Finally cancel([this] { CancelUpdate(); });
    const bool canChangeMargins = CanChangeMargins();
    TdxPreviewOptionsBehavior behavior = m_preview->OptionsBehavior();
    behavior.Set(pobAllowDragMargins, canChangeMargins);
    m_preview->SetOptionsBehavior(behavior);
    UpdateStatusPanels();
    RefreshMarginBar();
    m_marginBar->SetVisible(m_showMarginBar);
    m_statusBar->SetVisible(m_showStatusBar);
    m_marginBar->SetShowHint(canChangeMargins);
    TBasedxPreviewWindow::UpdateControls();
}

void TCustomdxPSPreviewWindow::UpdateStatusPanels()
{
    TBasedxReportLink* link = ReportLink();
    TStatusPanels& panels = *m_statusBar->Panels();
    const int selected = m_preview->SelectedPageIndex();
    int current = 0;
    if (link && selected >= 0)
        current = PaginationComplete() ? link->CurrentPage() : link->GetVirtualPageIndex(selected) + 1;
    panels.Items(spPage)->SetText(link && KnownPageCount() > 0 ? IntToStr(current) : "");
    int count = KnownPageCount();
    if (link && PaginationComplete())
        count = link->GetPageCount();
    panels.Items(spPageCount)->SetText(link ? IntToStr(count) : "");
    panels.Items(spPaperSize)->SetText(m_preview->PageSizeText());
    RepaintStatusText();
}

void TCustomdxPSPreviewWindow::RefreshMarginBar(TdxPreviewMargin* Margin)
{
    if (!m_marginBar || !m_preview)
        return;
    for (TdxPreviewMarginType kind : {pmLeft, pmTop, pmRight, pmBottom, pmHeader, pmFooter}) {
        TdxPreviewMargin* m = m_preview->Margins()->Items(kind);
        if (Margin && Margin != m)
            continue;
        const int panel = dxMarginBarPanel(kind);
        m_marginBar->Panels()->Items(panel)->SetText(
            PreviewUnitText(m->DisplayValue(), m_preview->MeasurementUnits()));
        m_marginBar->InvalidateRect(m_marginBar->PanelRect(panel));
    }
}

std::string TCustomdxPSPreviewWindow::StatusText() const
{
    if (m_building)
        return Format("Building report: Completed %d%%", {m_progressValue});
    if (IsPrinting())
        return Format("Printing report: Completed %d page(s). Press ESC to abort...", {m_progressValue});
    if (ReportLink() && !m_marginsValid)
        return "One or more margins are set outside the printable area of the page";
    return "Ready";
}

void TCustomdxPSPreviewWindow::RepaintStatusText()
{
    if (!m_statusBar)
        return;
    TStatusPanel* panel = m_statusBar->Panels()->Items(spStatus);
    panel->SetText(StatusText());
    m_statusBar->InvalidateRect(m_statusBar->PanelRect(spStatus));
}

void TCustomdxPSPreviewWindow::DrawStatusPanel(TStatusBar* Bar, TStatusPanel* Panel, const TRect& Rect)
{
    TCanvas& c = *Bar->Canvas();
    const bool flat = dxPSEngine()->FlatDialogs();
    const int index = Panel->Index();
    if (index == spStatus) {
        DrawStatusText(Rect);
    } else {
        c.Brush()->SetColor(clBtnFace);
        c.FillRect(Rect);
        if (index != spSeparator) {
            TRect r = Rect;
            InflateRect(r, -2, 0);
            c.SetBkMode(TRANSPARENT);
            c.Font()->SetColor(clWindowText);
            const unsigned align = Panel->Alignment() == taRightJustify ? DT_RIGHT : DT_LEFT;
            c.DrawText(Panel->Text(), r, align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
    }
    if (flat) {
        c.Brush()->SetColor(clBtnShadow);
        c.FrameRect(Rect);
    }
}

void TCustomdxPSPreviewWindow::DrawStatusText(const TRect& Rect)
{
    TCanvas& c = *m_statusBar->Canvas();
    const bool flat = dxPSEngine()->FlatDialogs();
    TRect r = Rect;
    const bool busy = m_building || IsPrinting();
    const bool warning = !busy && ReportLink() && !m_marginsValid;
    c.Brush()->SetColor(warning ? clInfoBk : clBtnFace);
    c.FillRect(r);
    TRect bar = r;
    bar.Right = bar.Left;
    if (busy) {
        if (!flat)
            c.DrawEdge(r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        bar = r;
        bar.Right = bar.Left + static_cast<int>(std::clamp(m_progressFraction, 0.0, 1.0) * r.Width());
        c.Brush()->SetColor(flat ? Lighter(clHighlight) : clHighlight);
        c.FillRect(bar);
    }
    c.SetBkMode(TRANSPARENT);
    TRect text = r;
    InflateRect(text, -2, 0);
    const std::string status = StatusText();
    const unsigned format = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
    // The text stays readable across the bar: the part over the filled
    // share takes the highlight's text colour, the rest the window text.
    const TRect parts[2] = {bar, TRect{bar.Right, r.Top, r.Right, r.Bottom}};
    const TColor colors[2] = {flat ? clWindowText : clHighlightText, clWindowText};
    for (int i = 0; i < 2; ++i) {
        if (parts[i].Right <= parts[i].Left)
            continue;
        const int saved = c.SaveDC();
        c.IntersectClipRect(parts[i]);
        c.Font()->SetColor(colors[i]);
        TRect t = text;
        c.DrawText(status, t, format);
        c.RestoreDC(saved);
    }
}

void TCustomdxPSPreviewWindow::DrawMarginPanel(TStatusBar* Bar, TStatusPanel* Panel, const TRect& Rect)
{
    TCanvas& c = *Bar->Canvas();
    TdxPreviewMargin* dragged = m_preview ? m_preview->DraggingMargin() : nullptr;
    const bool highlighted = dragged && dxMarginBarPanel(dragged->Kind()) == Panel->Index();
    c.Brush()->SetColor(highlighted ? clHighlight : clBtnFace);
    c.FillRect(Rect);
    c.SetBkMode(TRANSPARENT);
    c.Font()->SetColor(highlighted ? clHighlightText : clWindowText);
    TRect r = Rect;
    r.Right -= 2;
    c.DrawText(Panel->Text(), r, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (dxPSEngine()->FlatDialogs()) {
        c.Brush()->SetColor(clBtnShadow);
        c.FrameRect(Rect);
    }
}

// ============================================================================
// Margins on the bar

void TCustomdxPSPreviewWindow::DoMarginChanged(TdxPreviewMargin* Margin)
{
    if (m_preview && !m_preview->DraggingMargin())
        RefreshMarginBar(Margin);
}

void TCustomdxPSPreviewWindow::DoBeforeDragMargin(TdxPreviewMargin* Margin)
{
    RefreshMarginBar(Margin);
}

void TCustomdxPSPreviewWindow::DoDragMargin(TdxPreviewMargin* Margin)
{
    RefreshMarginBar(Margin);
}

void TCustomdxPSPreviewWindow::DoAfterDragMargin(TdxPreviewMargin* Margin)
{
    RefreshMarginBar(Margin);
    const bool wasValid = m_marginsValid;
    m_marginsValid = ValidateMargins();
    if (wasValid && !m_marginsValid)
        MessageBeep(MB_OK);
    RepaintStatusText();
}

// ============================================================================
// Progress

void TCustomdxPSPreviewWindow::ResetProgress()
{
    m_progressValue = 0;
    m_progressFraction = 0;
    m_statusBar->SetSizeGrip(false);
    RepaintStatusText();
}

void TCustomdxPSPreviewWindow::BuildStarted()
{
    m_building = true;
    m_paginationTimer->SetEnabled(false);
    SetPageCount(0);
    m_preview->Invalidate();
    ResetProgress();
    UpdateControls();
}

void TCustomdxPSPreviewWindow::BuildProgress(double Percent)
{
    m_progressValue = static_cast<int>(Percent);
    m_progressFraction = Percent / 100;
    RepaintStatusText();
}

void TCustomdxPSPreviewWindow::BuildEnded()
{
    m_building = false;
    m_statusBar->SetSizeGrip(true);
    RestartPagination();
    UpdateControls();
    CloseIfAsked();
}

void TCustomdxPSPreviewWindow::PrintStarted(int PageCount)
{
    m_printPageCount = PageCount;
    UpdateControls();
    ResetProgress();
}

void TCustomdxPSPreviewWindow::PrintProgress(int PageIndex)
{
    m_progressValue = PageIndex;
    // A print of no pages (an even half of one page) has no progress to show.
    m_progressFraction = m_printPageCount > 0 ? static_cast<double>(PageIndex) / m_printPageCount : 0;
    RepaintStatusText();
    // The print loop runs on this thread: between pages the window repaints
    // and hears Esc and the close button. The window may go meanwhile; the
    // subscriber running this stays until the event is over.
    std::shared_ptr<TdxPSPrintReportSubscriber> running = m_printSubscriber;
    TFreeWatch watch{this};
    Application().ProcessMessages();
    if (watch.Freed(this))
        PostCall(nullptr, [running] {});
}

void TCustomdxPSPreviewWindow::PrintEnded()
{
    m_statusBar->SetSizeGrip(true);
    // The printer clears its printing state after the end events.
    PostCall(this, [this] {
        UpdateControls();
        if (!InCommand())
            CloseIfAsked();
    });
    UpdateControls();
}

// ============================================================================
// Pagination while the window shows

int TCustomdxPSPreviewWindow::KnownPageCount() const
{
    TBasedxReportLink* link = ReportLink();
    if (!link || !link->ReportCells())
        return 0;
    if (link->IsPaginationComplete())
        return link->GetVisiblePageCount();
    return link->RenderInfo()->Pagination().VisiblePageCount(link->ShowEmptyPages());
}

bool TCustomdxPSPreviewWindow::PaginationComplete() const
{
    TBasedxReportLink* link = ReportLink();
    return !link || link->IsPaginationComplete();
}

void TCustomdxPSPreviewWindow::RestartPagination()
{
    TBasedxReportLink* link = ReportLink();
    if (!link || !m_preview || m_building)
        return;
    // The first page row now, so the first page can be painted at once.
    if (!link->IsPaginationComplete() && link->RenderInfo()->PagesCutSoFar() == 0
        && !link->CalculateNextPageRow() && !link->IsPaginationComplete()) {
        // Nothing began to cut (no pages): count what there is.
        SyncPageCount();
        return;
    }
    SyncPageCount();
    if (link->IsPaginationComplete())
        PaginationDone();
    else
        m_paginationTimer->SetEnabled(true);
}

void TCustomdxPSPreviewWindow::PaginationStep()
{
    TBasedxReportLink* link = ReportLink();
    if (!link || m_building) {
        m_paginationTimer->SetEnabled(false);
        return;
    }
    const int target = link->RenderInfo()->PagesCutSoFar() + PagesPerPaginationStep;
    while (link->RenderInfo()->PagesCutSoFar() < target && link->CalculateNextPageRow()) {
    }
    SyncPageCount();
    if (link->IsPaginationComplete() || link->RenderInfo()->PagesCutSoFar() < target)
        PaginationDone();
}

void TCustomdxPSPreviewWindow::PaginationDone()
{
    m_paginationTimer->SetEnabled(false);
    TBasedxReportLink* link = ReportLink();
    if (!link)
        return;
    // Publishes the total the header and footer functions show.
    link->GetPageCount();
    SyncPageCount();
    SyncLinkCurrentPage();
    TdxPrinterPage* page = link->GetRealPrinterPage();
    if (link->ShowPageHeader() && ShowsTotalPages(*page->PageHeader()))
        InvalidatePagesHeader();
    if (link->ShowPageFooter() && ShowsTotalPages(*page->PageFooter()))
        InvalidatePagesFooter();
    UpdateControls();
}

void TCustomdxPSPreviewWindow::SyncPageCount()
{
    if (!m_preview || !ReportLink())
        return;
    m_preview->SetPageCount(KnownPageCount());
    if (!Locked())
        UpdateStatusPanels();
}

void TCustomdxPSPreviewWindow::SyncLinkCurrentPage()
{
    TBasedxReportLink* link = ReportLink();
    // The link's page numbers count every page: they wait for the last one.
    if (!link || !m_preview || !link->IsPaginationComplete())
        return;
    const int selected = m_preview->SelectedPageIndex();
    if (selected >= 0)
        link->SetCurrentPage(selected + 1);
}

// ============================================================================
// Repainting parts of the pages

std::vector<TRect> TCustomdxPSPreviewWindow::VisiblePageRects() const
{
    std::vector<TRect> rects;
    if (!m_preview)
        return rects;
    const int first = m_preview->FirstVisiblePageIndex();
    const int last = m_preview->LastVisiblePageIndex();
    if (first < 0)
        return rects;
    for (int i = first; i <= last; ++i)
        rects.push_back(m_preview->PageBounds(i));
    return rects;
}

void TCustomdxPSPreviewWindow::InvalidateBands(const std::function<TRect(const TRect& Page)>& Band)
{
    for (const TRect& page : VisiblePageRects())
        m_preview->InvalidateRect(Band(page));
}

void TCustomdxPSPreviewWindow::InvalidateContent()
{
    if (m_preview)
        m_preview->Invalidate();
}

void TCustomdxPSPreviewWindow::InvalidatePage(int PageIndex)
{
    if (!m_preview || PageIndex < m_preview->FirstVisiblePageIndex() || PageIndex > m_preview->LastVisiblePageIndex())
        return;
    m_preview->InvalidateRect(m_preview->PageBounds(PageIndex));
}

void TCustomdxPSPreviewWindow::InvalidateAllPages()
{
    // A margin written back moves the content, not the bands around it.
    if (m_writingMargin) {
        InvalidatePagesContent();
        return;
    }
    InvalidateBands([](const TRect& Page) { return Page; });
}

void TCustomdxPSPreviewWindow::InvalidatePagesContent()
{
    const TdxPreviewMargins& m = *m_preview->Margins();
    const TdxPreview& p = *m_preview;
    InvalidateBands([&](const TRect& Page) {
        return TRect{Page.Left + p.ValueToPixels(m.Left()->Value()), Page.Top + p.ValueToPixels(m.Top()->Value()),
                     Page.Right - p.ValueToPixels(m.Right()->Value()),
                     Page.Bottom - p.ValueToPixels(m.Bottom()->Value())};
    });
}

void TCustomdxPSPreviewWindow::InvalidatePagesHeader()
{
    const TdxPreviewMargins& m = *m_preview->Margins();
    const TdxPreview& p = *m_preview;
    InvalidateBands([&](const TRect& Page) {
        return TRect{Page.Left + p.ValueToPixels(m.Left()->Value()), Page.Top + p.ValueToPixels(m.Header()->Value()),
                     Page.Right - p.ValueToPixels(m.Right()->Value()), Page.Top + p.ValueToPixels(m.Top()->Value())};
    });
}

void TCustomdxPSPreviewWindow::InvalidatePagesFooter()
{
    const TdxPreviewMargins& m = *m_preview->Margins();
    const TdxPreview& p = *m_preview;
    InvalidateBands([&](const TRect& Page) {
        return TRect{Page.Left + p.ValueToPixels(m.Left()->Value()),
                     Page.Bottom - p.ValueToPixels(m.Bottom()->Value()),
                     Page.Right - p.ValueToPixels(m.Right()->Value()),
                     Page.Bottom - p.ValueToPixels(m.Footer()->Value())};
    });
}

} // namespace qel
