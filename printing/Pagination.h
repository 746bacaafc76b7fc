#pragma once
// Pagination as plain data: from the positions where a report may be cut
// (delimiters), the room on the paper, the scale, the title and the repeated
// header and footer, it computes the page breaks along both axes, the pages
// with their flags, bounds and offsets, the runs of rows each page draws and
// which pages are empty. No canvas and no link are involved, so every table
// can be checked by hand.
//
//   TdxPaginationInput in;                  // delimiters, sizes, scale, title, header, footer
//   TdxPaginator p;
//   p.Begin(in);
//   p.Step();                               // the first page row: its pages can be painted now
//   p.Calculate();                          // the rest
//   const TdxPagination& r = p.Result();    // XBreaks, YBreaks, Pages, Runs, ...
//
// Units: report lengths (delimiters, report size, title, header and footer
// heights, page bounds and offsets) are unscaled report units; the room on
// the paper (AvailableWidth, AvailableHeight) is in paper units, which are
// report units at scale 100. A length L takes L * Scale / 100 on the paper.
// Every page advances by at least one report unit, so a page that cannot
// hold anything never stops pagination.
#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <span>
#include <vector>

namespace qel {

enum TdxReportTitleMode : std::uint8_t { tmNone, tmOnFirstPage, tmOnEveryTopPage };

// One root row of a report: its absolute rectangle.
struct TdxReportRow {
    std::int64_t Top = 0;
    std::int64_t Bottom = 0;
    std::int64_t Left = 0;
    std::int64_t Right = 0;
};

// A run of consecutive root rows drawn on one page (first and last index).
struct TdxRowRun {
    int First = 0;
    int Last = 0;
    constexpr bool operator==(const TdxRowRun&) const = default;
};

// The root rows of a report and what finding a page's rows takes. Links
// append rows top-down: the order is checked once and the rows of a page are
// then found by binary search; for any other order an index sorted by top is
// built once.
class TdxReportRowIndex {
public:
    void Assign(std::vector<TdxReportRow> Rows);
    void Clear() { Assign({}); }
    int Count() const { return static_cast<int>(m_rows.size()); }
    const TdxReportRow& Row(int Index) const { return m_rows[static_cast<std::size_t>(Index)]; }
    bool InTopOrder() const { return m_order.empty(); }
    // Appends the runs of rows whose rectangles meet Bounds, in index order;
    // answers whether any row meets it.
    bool FindRuns(const TRect64& Bounds, std::vector<TdxRowRun>& Runs) const;
    bool AnyMeets(const TRect64& Bounds) const;

private:
    // The range of positions (in top order) whose rows may meet Bounds.
    void Candidates(const TRect64& Bounds, std::size_t& First, std::size_t& Last) const;
    const TdxReportRow& RowAt(std::size_t Position) const;
    static bool Meets(const TdxReportRow& Row, const TRect64& Bounds);

    std::vector<TdxReportRow> m_rows;
    std::vector<int> m_order;                 // empty when the rows are in top order
    std::vector<std::int64_t> m_maxBottom;    // largest bottom so far, in top order
};

// Adds 0 and Size, drops positions outside 0 .. Size, and sorts (a list that
// arrives in order is only checked) and removes duplicates.
void dxPrepareDelimiters(std::vector<std::int64_t>& Delimiters, std::int64_t Size);

struct TdxPaginationInput {
    std::span<const std::int64_t> HorzDelimiters;   // prepared: sorted, distinct, 0 .. ReportWidth
    std::span<const std::int64_t> VertDelimiters;   // prepared: sorted, distinct, 0 .. ReportHeight
    std::int64_t ReportWidth = 0;
    std::int64_t ReportHeight = 0;
    std::int64_t AvailableWidth = 0;    // paper units
    std::int64_t AvailableHeight = 0;   // paper units
    int Scale = 100;                    // percent
    TdxReportTitleMode TitleMode = tmNone;
    std::int64_t TitleHeight = 0;       // unscaled; 0 without a title
    std::int64_t HeaderHeight = 0;      // the repeated header cell, unscaled; 0 when not repeated
    std::int64_t FooterHeight = 0;      // the repeated footer cell, unscaled; 0 when not repeated
    // A report without rows still gets one page when both repeated cells have children.
    bool HeaderHasChildren = false;
    bool FooterHasChildren = false;
    bool MarkEmptyPages = false;
    const TdxReportRowIndex* Rows = nullptr;
    // Where the content starts on the paper: the printer page's rectangle
    // inside the margins, tenths of a millimetre, and the centring options.
    TRect ContentRectLoMetric;
    int UnitsPerInch = 9600;
    bool CenterOnPageH = false;
    bool CenterOnPageV = false;
};

struct TdxPageInfo {
    TRect64 Bounds;                 // the part of the report between the breaks
    std::int64_t OffsetX = 0;       // where the page's content (header cell first) starts on the paper
    std::int64_t OffsetY = 0;
    std::int64_t TitleOffsetX = 0;
    std::int64_t TitleOffsetY = 0;
    int FirstRun = 0;               // into TdxPagination::Runs
    int RunCount = 0;
    bool IsTopPage = false;
    bool IsBottomPage = false;
    bool IsEmpty = false;
    bool HasTitle = false;
    bool HasHeader = false;         // draws the repeated header cell
    bool HasFooter = false;         // draws the repeated footer cell
};

struct TdxPagination {
    std::vector<std::int64_t> XBreaks;
    std::vector<std::int64_t> YBreaks;
    int PagesAcross = 0;
    int PagesDown = 0;              // page rows cut so far
    std::vector<TdxPageInfo> Pages; // page i: column i % PagesAcross, row i / PagesAcross
    std::vector<TdxRowRun> Runs;
    std::vector<int> NonEmptyPages; // indices of the pages that are not empty, in order
    int EmptyPageCount = 0;
    bool HeaderFooterFit = true;
    bool Complete = false;

    int PageCount() const { return static_cast<int>(Pages.size()); }
    int NonEmptyPageCount() const { return static_cast<int>(NonEmptyPages.size()); }
    // All pages when ShowEmptyPages, else the non-empty ones.
    int VisiblePageCount(bool ShowEmptyPages) const;
    // The page shown at a visible position: with ShowEmptyPages the same
    // index; otherwise the n-th non-empty page, the last one past the end.
    // -1 without pages.
    int RealPageIndex(int VisibleIndex, bool ShowEmptyPages) const;
    // The 0-based page number a page prints: non-empty pages are counted,
    // an empty page repeats its neighbour's number.
    int VirtualPageIndex(int RealIndex) const;
};

class TdxPaginator {
public:
    // Computes the breaks across and the first page row's room; no row is cut yet.
    void Begin(const TdxPaginationInput& Input);
    // Cuts the next page row with its pages, flags, offsets, runs and empty
    // marks; false when there is nothing left to cut.
    bool Step();
    // Steps to the end.
    void Calculate();
    bool Complete() const { return m_result.Complete; }
    int PagesCut() const { return m_result.PageCount(); }
    const TdxPagination& Result() const { return m_result; }
    TdxPagination& Result() { return m_result; }

    // The page counts of a layout without building pages, each counting
    // stopped once past its limit (limits of 0 or less are no limits).
    static void CountPages(const TdxPaginationInput& Input, int MaxAcross, int MaxDown, int& Across, int& Down);

private:
    struct TRowRoom {
        std::int64_t Room = 0;
        bool Header = false;
        bool Footer = false;
    };
    static TRowRoom RowRoom(const TdxPaginationInput& Input, int Row, bool Fit);
    static bool Fits(const TdxPaginationInput& Input);
    void AddPageRow(std::int64_t Top, std::int64_t Bottom, bool Last, const TRowRoom& Room, bool NoRows);
    void SetOffsets(TdxPageInfo& Page) const;

    TdxPaginationInput m_in;
    TdxPagination m_result;
    std::int64_t m_start{0};
};

} // namespace qel
