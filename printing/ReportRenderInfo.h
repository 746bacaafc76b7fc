#pragma once
// TdxPSReportRenderInfo: the pages of a built report under its link's
// printer page, scale, title and repeated cells. A thin layer over the
// paginator (Pagination.h): it reads the page geometry and the title from
// the link, hands them to the paginator as plain data and answers from its
// result. Pages are cut on demand, page row by page row, so the first page
// can be painted before the last one is cut.
//
//   info.BeginCalculate();          // metrics, title, repeated cells, breaks across
//   info.EnsurePageCut(0);          // the first page row
//   info.PageCount();               // cuts the rest
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Graphics.h"
#include "printing/Pagination.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace qel {

class TBasedxReportLink;
class TdxReportCells;

class TdxPSReportRenderInfo {
public:
    explicit TdxPSReportRenderInfo(TBasedxReportLink* AReportLink);
    virtual ~TdxPSReportRenderInfo();
    TdxPSReportRenderInfo(const TdxPSReportRenderInfo&) = delete;
    TdxPSReportRenderInfo& operator=(const TdxPSReportRenderInfo&) = delete;

    TBasedxReportLink* ReportLink() const { return m_reportLink; }
    // 9,600 report units per inch (960 on the old systems).
    virtual int GetUnitsPerInch() const;

    // ----- what a build leaves: the rows of the root and the delimiters
    // Reads the root rows (in 64 bits), asks the link for its delimiters and
    // prepares both lists. Called after every build.
    void PrepareReport(TdxReportCells& Cells, std::int64_t ReportWidth, std::int64_t ReportHeight);
    std::vector<std::int64_t>& HorzDelimiters() { return m_horzDelimiters; }
    std::vector<std::int64_t>& VertDelimiters() { return m_vertDelimiters; }
    const TdxReportRowIndex& Rows() const { return m_rows; }

    // ----- pagination
    // Metrics, title and repeated cells; the breaks across. No page row is cut yet.
    // While a page is being drawn the call is remembered and runs when drawing ends.
    void BeginCalculate();
    // BeginCalculate and every page row.
    void Calculate();
    // Cuts the next page row; false when every page is cut (or nothing began).
    bool CalculateNextPageRow();
    // Cuts page rows until the page exists (or none is left).
    void EnsurePageCut(int PageIndex);
    bool IsCalculated() const { return m_began; }
    bool IsComplete() const { return m_paginator.Complete(); }
    void Clear();

    // Drawing holds the render info: a recalculation asked for meanwhile is
    // remembered and run when the outermost drawing ends.
    void Lock() { ++m_lockCount; }
    void Unlock();
    bool Locked() const { return m_lockCount > 0; }
    bool RecalculationPending() const { return m_pending; }

    // ----- answers; counts cut every page first
    int PageCount();
    int PagesAcross() const { return m_paginator.Result().PagesAcross; }
    int PagesDown();
    int EmptyPageCount();
    int NonEmptyPageCount();
    int PagesCutSoFar() const { return m_paginator.PagesCut(); }
    // The page with that index, cut first when needed; nullptr past the end.
    const TdxPageInfo* Page(int PageIndex);
    const TdxPagination& Pagination() const { return m_paginator.Result(); }
    // The page shown at a visible position (see TdxPagination), -1 without pages.
    int GetRealPageIndex(int VisibleIndex, bool ShowEmptyPages);
    int GetVirtualPageIndex(int RealIndex);
    bool IsTitleOnPage(int PageIndex);
    bool HeaderFooterFit() const { return m_paginator.Result().HeaderFooterFit; }

    // Report units: the paper, the room inside the margins (paper units).
    std::int64_t PaperWidth() const { return m_paperWidth; }
    std::int64_t PaperHeight() const { return m_paperHeight; }
    std::int64_t AvailableWidth() const { return m_availableWidth; }
    std::int64_t AvailableHeight() const { return m_availableHeight; }
    // Unscaled report units.
    const TRect& TitleRect() const { return m_titleRect; }
    std::int64_t TitleHeight() const { return m_titleHeight; }
    int ZoomNumerator() const { return m_zoomNumerator; }
    int ZoomDenominator() const { return m_zoomDenominator; }
    // Paper units; empty when the link does not show them.
    const TRect& PageHeaderRect() const { return m_pageHeaderRect; }
    const TRect& PageFooterRect() const { return m_pageFooterRect; }
    // The repeated cells' bounds; empty when the link does not repeat them.
    const TRect& RepeatedHeaderRect() const { return m_repeatedHeaderRect; }
    const TRect& RepeatedFooterRect() const { return m_repeatedFooterRect; }
    TColor BorderColor() const { return m_borderColor; }
    // The root cell's font (or the link's), a copy.
    TFont* ReportFont() const { return m_reportFont.get(); }

    // The plain-data input of pagination at a scale with a title of that height.
    TdxPaginationInput MakeInput(int Scale, std::int64_t TitleHeight);
    // The same from the page as it is now, the title measured for the scale:
    // what the search for a fit-to-pages scale tries.
    TdxPaginationInput MakeInputForFit(int Scale);
    // The title's height in unscaled report units at a scale, 0 without title.
    std::int64_t TitleHeightAt(int Scale);

protected:
    virtual void CalculatePageMetrics();
    virtual void CalculateTitle();
    virtual void GetRepeatedCells();
    virtual void CalculatePageHeaderFooter();

private:
    void RunCalculation();
    void ReadPageGeometry();

    TBasedxReportLink* m_reportLink;
    std::unique_ptr<TFont> m_reportFont;
    TColor m_borderColor{clBlack};
    std::vector<std::int64_t> m_horzDelimiters;
    std::vector<std::int64_t> m_vertDelimiters;
    TdxReportRowIndex m_rows;
    std::int64_t m_reportWidth{0};
    std::int64_t m_reportHeight{0};
    bool m_headerHasChildren{false};
    bool m_footerHasChildren{false};
    TdxPaginator m_paginator;
    bool m_began{false};

    std::int64_t m_paperWidth{0};
    std::int64_t m_paperHeight{0};
    std::int64_t m_availableWidth{0};
    std::int64_t m_availableHeight{0};
    TRect m_titleRect;
    std::int64_t m_titleHeight{0};
    int m_zoomNumerator{100};
    int m_zoomDenominator{100};
    TRect m_pageHeaderRect;
    TRect m_pageFooterRect;
    TRect m_repeatedHeaderRect;
    TRect m_repeatedFooterRect;

    int m_lockCount{0};
    bool m_pending{false};
};

} // namespace qel
