#include "printing/ReportRenderInfo.h"

#include "platform/core/Guards.h"
#include "platform/core/MathUtils.h"
#include "printing/ReportLink.h"

#include <algorithm>

namespace qel {

namespace {

// Tenths of a millimetre to report units.
std::int64_t LoMetricToUnits(std::int64_t Value, int UnitsPerInch)
{
    return dxReportMulDiv(Value, UnitsPerInch, 254);
}

TRect LoMetricRectToUnits(const TRect& R, int UnitsPerInch)
{
    return {dxToCanvasCoord(LoMetricToUnits(R.Left, UnitsPerInch)), dxToCanvasCoord(LoMetricToUnits(R.Top, UnitsPerInch)),
            dxToCanvasCoord(LoMetricToUnits(R.Right, UnitsPerInch)),
            dxToCanvasCoord(LoMetricToUnits(R.Bottom, UnitsPerInch))};
}

void CollectRows(const TdxReportCell& Root, std::vector<TdxReportRow>& Rows)
{
    Rows.reserve(static_cast<std::size_t>(Root.CellCount()));
    const TRect64 root = Root.AbsoluteRect();
    for (int i = 0; i < Root.CellCount(); ++i) {
        const TRect64 b = Root.Cells(i)->BoundsRect64();
        Rows.push_back({root.Top + b.Top, root.Top + b.Bottom, root.Left + b.Left, root.Left + b.Right});
    }
}

} // namespace

TdxPSReportRenderInfo::TdxPSReportRenderInfo(TBasedxReportLink* AReportLink)
    : m_reportLink(AReportLink), m_reportFont(std::make_unique<TFont>())
{
}

TdxPSReportRenderInfo::~TdxPSReportRenderInfo() = default;

int TdxPSReportRenderInfo::GetUnitsPerInch() const
{
    return dxReportUnitsPerInch();
}

void TdxPSReportRenderInfo::PrepareReport(TdxReportCells& Cells, std::int64_t ReportWidth, std::int64_t ReportHeight)
{
    m_reportWidth = dxCheckReportExtent(ReportWidth);
    m_reportHeight = dxCheckReportExtent(ReportHeight);
    std::vector<TdxReportRow> rows;
    CollectRows(*Cells.Cells(), rows);
    m_rows.Assign(std::move(rows));
    m_horzDelimiters.clear();
    m_vertDelimiters.clear();
    if (m_reportLink->UseHorzDelimiters() || m_reportLink->UseVertDelimiters()) {
        m_reportLink->GetDelimiters(Cells, m_horzDelimiters, m_vertDelimiters);
        if (!m_reportLink->UseHorzDelimiters())
            m_horzDelimiters.clear();
        if (!m_reportLink->UseVertDelimiters())
            m_vertDelimiters.clear();
    }
    dxPrepareDelimiters(m_horzDelimiters, m_reportWidth);
    dxPrepareDelimiters(m_vertDelimiters, m_reportHeight);
    m_headerHasChildren = Cells.HeaderCellIfAny() && Cells.HeaderCellIfAny()->CellCount() > 0;
    m_footerHasChildren = Cells.FooterCellIfAny() && Cells.FooterCellIfAny()->CellCount() > 0;
}

void TdxPSReportRenderInfo::CalculatePageMetrics()
{
    ReadPageGeometry();
    m_zoomNumerator = 100;
    m_zoomDenominator = m_reportLink->GetRealScaleFactor();
}

void TdxPSReportRenderInfo::ReadPageGeometry()
{
    TdxPrinterPage* page = m_reportLink->GetRealPrinterPage();
    const int upi = GetUnitsPerInch();
    const TPoint paper = page->RealPageSizeLoMetric();
    m_paperWidth = LoMetricToUnits(paper.X, upi);
    m_paperHeight = LoMetricToUnits(paper.Y, upi);
    const TRect content = page->PageContentRectLoMetric();
    m_availableWidth = LoMetricToUnits(content.Width(), upi);
    m_availableHeight = LoMetricToUnits(content.Height(), upi);
}

std::int64_t TdxPSReportRenderInfo::TitleHeightAt(int Scale)
{
    TdxReportTitle* title = m_reportLink->ReportTitle();
    if (title->Mode() == tmNone || Scale <= 0)
        return 0;
    // The title is measured in screen pixels (at its drawn size) and kept in
    // report units that take that height on the paper at this scale.
    int height = 0;
    if (!title->Text().empty()) {
        TFont font;
        font.Assign(title->Font());
        if (title->AdjustOnReportScale())
            font.SetHeight(MulDiv(font.Height(), Scale, 100));
        TdxPrinterPage* page = m_reportLink->GetRealPrinterPage();
        const TRect pageRect = page->PageContentRectPixels();
        const unsigned align = title->TextAlignX() == taCenterX ? DT_CENTER
                               : title->TextAlignX() == taRight ? DT_RIGHT
                                                                : DT_LEFT;
        height = dxMeasureTextHeightPixels(font, title->Text(), pageRect.Width(), DT_WORDBREAK | align) + 4;
    }
    m_reportLink->MeasureTitleHeight(height);
    const TRect pageRect = m_reportLink->GetRealPrinterPage()->PageContentRectPixels();
    height = std::clamp(height, 0, std::max(0, pageRect.Height() / 2));
    return dxReportMulDiv(std::int64_t{height} * GetUnitsPerInch(), 100, std::int64_t{Scale} * 96);
}

void TdxPSReportRenderInfo::CalculateTitle()
{
    m_titleRect = {};
    m_titleHeight = 0;
    if (m_reportLink->ReportTitle()->Mode() == tmNone)
        return;
    m_titleHeight = TitleHeightAt(m_zoomDenominator);
    const std::int64_t width = dxReportMulDiv(m_availableWidth, 100, m_zoomDenominator);
    m_titleRect = {0, 0, dxToCanvasCoord(width), dxToCanvasCoord(m_titleHeight)};
}

void TdxPSReportRenderInfo::GetRepeatedCells()
{
    m_repeatedHeaderRect = {};
    m_repeatedFooterRect = {};
    TdxReportCells* cells = m_reportLink->ReportCells();
    if (!cells)
        return;
    if (m_reportLink->GetFootersOnEveryPage() && cells->FooterCellIfAny())
        m_repeatedFooterRect = cells->FooterCellIfAny()->BoundsRect();
    if (m_reportLink->GetHeadersOnEveryPage() && cells->HeaderCellIfAny())
        m_repeatedHeaderRect = cells->HeaderCellIfAny()->BoundsRect();
}

void TdxPSReportRenderInfo::CalculatePageHeaderFooter()
{
    TdxPrinterPage* page = m_reportLink->GetRealPrinterPage();
    const int upi = GetUnitsPerInch();
    m_pageHeaderRect = m_reportLink->ShowPageHeader() ? LoMetricRectToUnits(page->HeaderRectLoMetric(), upi) : TRect{};
    m_pageFooterRect = m_reportLink->ShowPageFooter() ? LoMetricRectToUnits(page->FooterRectLoMetric(), upi) : TRect{};
}

TdxPaginationInput TdxPSReportRenderInfo::MakeInputForFit(int Scale)
{
    ReadPageGeometry();
    GetRepeatedCells();
    return MakeInput(Scale, TitleHeightAt(Scale));
}

TdxPaginationInput TdxPSReportRenderInfo::MakeInput(int Scale, std::int64_t TitleHeight)
{
    TdxPaginationInput in;
    in.HorzDelimiters = m_horzDelimiters;
    in.VertDelimiters = m_vertDelimiters;
    in.ReportWidth = m_reportWidth;
    in.ReportHeight = m_reportHeight;
    in.AvailableWidth = m_availableWidth;
    in.AvailableHeight = m_availableHeight;
    in.Scale = Scale;
    in.TitleMode = m_reportLink->ReportTitle()->Mode();
    in.TitleHeight = TitleHeight;
    in.HeaderHeight = m_repeatedHeaderRect.Height();
    in.FooterHeight = m_repeatedFooterRect.Height();
    in.HeaderHasChildren = m_headerHasChildren;
    in.FooterHasChildren = m_footerHasChildren;
    TdxPrinterPage* page = m_reportLink->GetRealPrinterPage();
    in.MarkEmptyPages = m_reportLink->CanHaveEmptyPages() && page->ScaleMode() != smFit;
    in.Rows = &m_rows;
    in.ContentRectLoMetric = page->PageContentRectLoMetric();
    in.UnitsPerInch = GetUnitsPerInch();
    in.CenterOnPageH = page->CenterOnPageH();
    in.CenterOnPageV = page->CenterOnPageV();
    return in;
}

void TdxPSReportRenderInfo::RunCalculation()
{
    m_pending = false;
    // Stored fonts are copied, never changed.
    TdxReportCells* cells = m_reportLink->ReportCells();
    m_borderColor = cells ? cells->BorderColor() : clBlack;
    const int rootFont = cells ? cells->Cells()->FontIndex() : -1;
    TdxPSReportFontPool* pool = m_reportLink->FontPool();
    m_reportFont->Assign(rootFont >= 0 && rootFont < pool->Count() ? pool->Items(rootFont) : m_reportLink->Font());
    CalculatePageMetrics();
    // The pages follow the metrics: the title and scale may depend on a
    // measurement that raises; nothing stays half begun then.
    m_began = false;
    CalculateTitle();
    GetRepeatedCells();
    CalculatePageHeaderFooter();
    m_paginator.Begin(MakeInput(m_zoomDenominator, m_titleHeight));
    m_began = true;
}

void TdxPSReportRenderInfo::BeginCalculate()
{
    if (Locked()) {
        m_pending = true;
        return;
    }
    RunCalculation();
}

void TdxPSReportRenderInfo::Calculate()
{
    BeginCalculate();
    if (m_began && !Locked())
        m_paginator.Calculate();
}

bool TdxPSReportRenderInfo::CalculateNextPageRow()
{
    return m_began && m_paginator.Step();
}

void TdxPSReportRenderInfo::EnsurePageCut(int PageIndex)
{
    while (m_began && m_paginator.PagesCut() <= PageIndex && m_paginator.Step()) {
    }
}

void TdxPSReportRenderInfo::Unlock()
{
    if (m_lockCount > 0 && --m_lockCount == 0 && m_pending)
        m_reportLink->CalculateRenderInfo();
}

void TdxPSReportRenderInfo::Clear()
{
    m_paginator = TdxPaginator{};
    m_began = false;
    m_pending = false;
    m_rows.Clear();
    m_horzDelimiters.clear();
    m_vertDelimiters.clear();
    m_reportWidth = m_reportHeight = 0;
    m_titleRect = m_pageHeaderRect = m_pageFooterRect = m_repeatedHeaderRect = m_repeatedFooterRect = {};
    m_titleHeight = 0;
    m_zoomNumerator = m_zoomDenominator = 100;
}

int TdxPSReportRenderInfo::PageCount()
{
    if (m_began)
        m_paginator.Calculate();
    return m_paginator.PagesCut();
}

int TdxPSReportRenderInfo::PagesDown()
{
    PageCount();
    return m_paginator.Result().PagesDown;
}

int TdxPSReportRenderInfo::EmptyPageCount()
{
    PageCount();
    return m_paginator.Result().EmptyPageCount;
}

int TdxPSReportRenderInfo::NonEmptyPageCount()
{
    PageCount();
    return m_paginator.Result().NonEmptyPageCount();
}

const TdxPageInfo* TdxPSReportRenderInfo::Page(int PageIndex)
{
    if (PageIndex < 0)
        return nullptr;
    EnsurePageCut(PageIndex);
    const auto& pages = m_paginator.Result().Pages;
    return PageIndex < static_cast<int>(pages.size()) ? &pages[static_cast<std::size_t>(PageIndex)] : nullptr;
}

int TdxPSReportRenderInfo::GetRealPageIndex(int VisibleIndex, bool ShowEmptyPages)
{
    // Only the pages up to the one asked for need to be cut, unless the
    // index is past them (then the last page answers).
    const TdxPagination& r = m_paginator.Result();
    while (m_began && !m_paginator.Complete() && r.VisiblePageCount(ShowEmptyPages) <= VisibleIndex)
        m_paginator.Step();
    return r.RealPageIndex(VisibleIndex, ShowEmptyPages);
}

int TdxPSReportRenderInfo::GetVirtualPageIndex(int RealIndex)
{
    EnsurePageCut(RealIndex);
    return m_paginator.Result().VirtualPageIndex(RealIndex);
}

bool TdxPSReportRenderInfo::IsTitleOnPage(int PageIndex)
{
    const TdxPageInfo* page = Page(PageIndex);
    return page && page->HasTitle && !m_titleRect.IsEmpty();
}

} // namespace qel
