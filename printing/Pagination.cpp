#include "printing/Pagination.h"

#include "printing/ReportUnits.h"

#include <algorithm>
#include <numeric>

namespace qel {

namespace {

// A report length on the paper, and back.
std::int64_t Scaled(std::int64_t Length, int Scale)
{
    return dxReportMulDiv(Length, Scale, 100);
}

std::int64_t Unscaled(std::int64_t Length, int Scale)
{
    return dxReportMulDiv(Length, 100, Scale);
}

// The end of the page that starts at Start with Room paper units: the last
// delimiter that fits, or, when none does, the page edge itself, but always
// at least one unit on. Final when the page reaches Size.
std::int64_t CutPage(std::span<const std::int64_t> Delimiters, std::int64_t Size, std::int64_t Start,
                     std::int64_t Room, int Scale, bool& Final)
{
    const auto first = std::upper_bound(Delimiters.begin(), Delimiters.end(), Start);
    const auto past = std::partition_point(
        first, Delimiters.end(), [&](std::int64_t D) { return Scaled(D - Start, Scale) <= Room; });
    std::int64_t cut;
    if (past == Delimiters.end())
        cut = Size;
    else if (past != first)
        cut = *(past - 1);
    else
        cut = std::clamp(Start + Unscaled(Room, Scale), Start + 1, *past);
    cut = std::min(cut, Size);
    Final = cut >= Size;
    return cut;
}

std::vector<std::int64_t> CutAxis(std::span<const std::int64_t> Delimiters, std::int64_t Size, std::int64_t Room,
                                  int Scale, int Limit)
{
    std::vector<std::int64_t> breaks;
    if (Size <= 0)
        return breaks;
    breaks.push_back(0);
    bool final = false;
    while (!final) {
        breaks.push_back(CutPage(Delimiters, Size, breaks.back(), Room, Scale, final));
        if (Limit > 0 && static_cast<int>(breaks.size()) - 1 > Limit)
            break;
    }
    return breaks;
}

} // namespace

// ----- rows ------------------------------------------------------------------------------------------

void TdxReportRowIndex::Assign(std::vector<TdxReportRow> Rows)
{
    m_rows = std::move(Rows);
    m_order.clear();
    const bool inOrder = std::is_sorted(m_rows.begin(), m_rows.end(),
                                        [](const TdxReportRow& A, const TdxReportRow& B) { return A.Top < B.Top; });
    if (!inOrder) {
        m_order.resize(m_rows.size());
        std::iota(m_order.begin(), m_order.end(), 0);
        std::stable_sort(m_order.begin(), m_order.end(), [this](int A, int B) {
            return m_rows[static_cast<std::size_t>(A)].Top < m_rows[static_cast<std::size_t>(B)].Top;
        });
    }
    m_maxBottom.resize(m_rows.size());
    std::int64_t most = INT64_MIN;
    for (std::size_t p = 0; p < m_rows.size(); ++p) {
        most = std::max(most, RowAt(p).Bottom);
        m_maxBottom[p] = most;
    }
}

const TdxReportRow& TdxReportRowIndex::RowAt(std::size_t Position) const
{
    return m_order.empty() ? m_rows[Position] : m_rows[static_cast<std::size_t>(m_order[Position])];
}

bool TdxReportRowIndex::Meets(const TdxReportRow& Row, const TRect64& Bounds)
{
    return Row.Top < Bounds.Bottom && Row.Bottom > Bounds.Top && Row.Left < Bounds.Right && Row.Right > Bounds.Left;
}

void TdxReportRowIndex::Candidates(const TRect64& Bounds, std::size_t& First, std::size_t& Last) const
{
    // Rows before First end above the page; rows from Last on start below it.
    First = static_cast<std::size_t>(std::upper_bound(m_maxBottom.begin(), m_maxBottom.end(), Bounds.Top) -
                                     m_maxBottom.begin());
    std::size_t lo = First;
    std::size_t hi = m_rows.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (RowAt(mid).Top < Bounds.Bottom)
            lo = mid + 1;
        else
            hi = mid;
    }
    Last = lo;
}

bool TdxReportRowIndex::AnyMeets(const TRect64& Bounds) const
{
    std::size_t first = 0;
    std::size_t last = 0;
    Candidates(Bounds, first, last);
    for (std::size_t p = first; p < last; ++p)
        if (Meets(RowAt(p), Bounds))
            return true;
    return false;
}

bool TdxReportRowIndex::FindRuns(const TRect64& Bounds, std::vector<TdxRowRun>& Runs) const
{
    std::size_t first = 0;
    std::size_t last = 0;
    Candidates(Bounds, first, last);
    const std::size_t before = Runs.size();
    auto add = [&Runs, before](int Index) {
        if (Runs.size() > before && Runs.back().Last + 1 == Index)
            Runs.back().Last = Index;
        else
            Runs.push_back({Index, Index});
    };
    if (m_order.empty()) {
        for (std::size_t p = first; p < last; ++p)
            if (Meets(m_rows[p], Bounds))
                add(static_cast<int>(p));
    } else {
        std::vector<int> meeting;
        for (std::size_t p = first; p < last; ++p)
            if (Meets(RowAt(p), Bounds))
                meeting.push_back(m_order[p]);
        std::sort(meeting.begin(), meeting.end());
        for (int index : meeting)
            add(index);
    }
    return Runs.size() > before;
}

void dxPrepareDelimiters(std::vector<std::int64_t>& Delimiters, std::int64_t Size)
{
    std::erase_if(Delimiters, [Size](std::int64_t D) { return D < 0 || D > Size; });
    Delimiters.insert(Delimiters.begin(), 0);
    Delimiters.push_back(Size);
    // Links append their delimiters in order; then the list is only checked.
    if (!std::is_sorted(Delimiters.begin(), Delimiters.end()))
        std::sort(Delimiters.begin(), Delimiters.end());
    Delimiters.erase(std::unique(Delimiters.begin(), Delimiters.end()), Delimiters.end());
}

// ----- the result ------------------------------------------------------------------------------------

int TdxPagination::VisiblePageCount(bool ShowEmptyPages) const
{
    return ShowEmptyPages ? PageCount() : NonEmptyPageCount();
}

int TdxPagination::RealPageIndex(int VisibleIndex, bool ShowEmptyPages) const
{
    const int count = VisiblePageCount(ShowEmptyPages);
    if (count == 0)
        return -1;
    const int visible = std::clamp(VisibleIndex, 0, count - 1);
    return ShowEmptyPages ? visible : NonEmptyPages[static_cast<std::size_t>(visible)];
}

int TdxPagination::VirtualPageIndex(int RealIndex) const
{
    if (EmptyPageCount == 0)
        return RealIndex;
    const auto upTo = std::upper_bound(NonEmptyPages.begin(), NonEmptyPages.end(), RealIndex) - NonEmptyPages.begin();
    return std::max<int>(0, static_cast<int>(upTo) - 1);
}

// ----- the paginator ---------------------------------------------------------------------------------

bool TdxPaginator::Fits(const TdxPaginationInput& In)
{
    const std::int64_t title = In.TitleMode != tmNone ? Scaled(In.TitleHeight, In.Scale) : 0;
    return Scaled(In.HeaderHeight, In.Scale) + Scaled(In.FooterHeight, In.Scale) + title < In.AvailableHeight;
}

// The room of page row Row and which repeated cells it reserves. With fit,
// every row reserves the header and the footer (and the first the title).
// Without fit the first row reserves the title and, when they fit together,
// the header; later rows reserve the footer when it fits. The same strict
// comparison decides reservation and drawing, so a cell is drawn only where
// room was kept for it.
TdxPaginator::TRowRoom TdxPaginator::RowRoom(const TdxPaginationInput& In, int Row, bool Fit)
{
    const std::int64_t avail = In.AvailableHeight;
    const std::int64_t header = Scaled(In.HeaderHeight, In.Scale);
    const std::int64_t footer = Scaled(In.FooterHeight, In.Scale);
    const std::int64_t title = Row == 0 && In.TitleMode != tmNone ? Scaled(In.TitleHeight, In.Scale) : 0;
    TRowRoom r;
    if (Fit) {
        r = {avail - title - header - footer, true, true};
    } else if (Row == 0) {
        r.Header = title + header < avail;
        r.Room = avail - title - (r.Header ? header : 0);
    } else {
        r.Footer = footer < avail;
        r.Room = avail - (r.Footer ? footer : 0);
    }
    if (r.Room <= 0)
        r = {avail - title, false, false};
    return r;
}

void TdxPaginator::Begin(const TdxPaginationInput& Input)
{
    m_in = Input;
    if (m_in.Scale <= 0)
        m_in.Scale = 100;
    dxCheckReportExtent(m_in.ReportWidth);
    dxCheckReportExtent(m_in.ReportHeight);
    m_result = TdxPagination{};
    m_start = 0;
    m_result.XBreaks = CutAxis(m_in.HorzDelimiters, m_in.ReportWidth, m_in.AvailableWidth, m_in.Scale, 0);
    m_result.PagesAcross = std::max(0, static_cast<int>(m_result.XBreaks.size()) - 1);
    m_result.HeaderFooterFit = Fits(m_in);
    const bool noRowsPage = m_result.PagesAcross == 0 && m_in.ReportHeight <= 0 && m_in.HeaderHasChildren &&
                            m_in.FooterHasChildren;
    if (noRowsPage)
        m_result.PagesAcross = 1;
    else if (m_result.PagesAcross == 0 || m_in.ReportHeight <= 0)
        m_result.Complete = true;
}

bool TdxPaginator::Step()
{
    if (m_result.Complete)
        return false;
    const int row = m_result.PagesDown;
    const TRowRoom room = RowRoom(m_in, row, m_result.HeaderFooterFit);
    if (m_result.XBreaks.empty()) {
        // No rows, but header and footer: one page over the whole available area.
        AddPageRow(0, Unscaled(m_in.AvailableHeight, m_in.Scale), true, room, true);
        m_result.PagesDown = 1;
        m_result.Complete = true;
        return true;
    }
    bool final = false;
    const std::int64_t end = CutPage(m_in.VertDelimiters, m_in.ReportHeight, m_start, room.Room, m_in.Scale, final);
    if (m_result.YBreaks.empty())
        m_result.YBreaks.push_back(0);
    m_result.YBreaks.push_back(end);
    AddPageRow(m_start, end, final, room, false);
    m_start = end;
    ++m_result.PagesDown;
    m_result.Complete = final;
    return true;
}

void TdxPaginator::Calculate()
{
    while (Step()) {
    }
}

void TdxPaginator::AddPageRow(std::int64_t Top, std::int64_t Bottom, bool Last, const TRowRoom& Room, bool NoRows)
{
    const int across = m_result.PagesAcross;
    const int row = m_result.PagesDown;
    for (int column = 0; column < across; ++column) {
        const int index = row * across + column;
        TdxPageInfo page;
        if (NoRows)
            page.Bounds = {0, Top, Unscaled(m_in.AvailableWidth, m_in.Scale), Bottom};
        else
            page.Bounds = {m_result.XBreaks[static_cast<std::size_t>(column)], Top,
                           m_result.XBreaks[static_cast<std::size_t>(column) + 1], Bottom};
        page.IsTopPage = row == 0;
        page.IsBottomPage = Last;
        page.HasTitle = m_in.TitleMode == tmOnEveryTopPage ? index < across : m_in.TitleMode == tmOnFirstPage && index == 0;
        const bool fit = m_result.HeaderFooterFit;
        page.HasHeader = m_in.HeaderHeight > 0 && Room.Header && (fit || page.IsTopPage);
        page.HasFooter = m_in.FooterHeight > 0 && Room.Footer && (fit || page.IsBottomPage);
        page.FirstRun = static_cast<int>(m_result.Runs.size());
        const bool hasRows = m_in.Rows && m_in.Rows->FindRuns(page.Bounds, m_result.Runs);
        page.RunCount = static_cast<int>(m_result.Runs.size()) - page.FirstRun;
        // The page that exists for the repeated cells of a report without rows is not empty.
        page.IsEmpty = m_in.MarkEmptyPages && !hasRows && !NoRows;
        if (page.IsEmpty)
            ++m_result.EmptyPageCount;
        else
            m_result.NonEmptyPages.push_back(index);
        SetOffsets(page);
        m_result.Pages.push_back(page);
    }
}

void TdxPaginator::SetOffsets(TdxPageInfo& Page) const
{
    const int scale = m_in.Scale;
    auto toUnits = [&](int LoMetric) {
        return dxReportMulDiv(std::int64_t{LoMetric} * m_in.UnitsPerInch, 100, std::int64_t{scale} * 254);
    };
    const std::int64_t left = toUnits(m_in.ContentRectLoMetric.Left);
    const std::int64_t top = toUnits(m_in.ContentRectLoMetric.Top);
    Page.OffsetX = left;
    if (Page.HasTitle)
        Page.TitleOffsetX = left;
    if (m_in.CenterOnPageH) {
        const std::int64_t used = Scaled(Page.Bounds.Width(), scale);
        if (m_in.AvailableWidth > used)
            Page.OffsetX += dxReportMulDiv(m_in.AvailableWidth - used, 100, 2 * std::int64_t{scale});
    }
    Page.OffsetY = top;
    if (Page.HasTitle) {
        Page.TitleOffsetY = top;
        Page.OffsetY += m_in.TitleHeight;
    }
    if (m_in.CenterOnPageV) {
        // The title is a report length: on the paper it takes its scaled height.
        const std::int64_t avail = m_in.AvailableHeight - (Page.HasTitle ? Scaled(m_in.TitleHeight, scale) : 0);
        const std::int64_t used = Scaled(Page.Bounds.Height() + (Page.HasHeader ? m_in.HeaderHeight : 0) +
                                             (Page.HasFooter ? m_in.FooterHeight : 0),
                                         scale);
        if (avail > used)
            Page.OffsetY += dxReportMulDiv(avail - used, 100, 2 * std::int64_t{scale});
    }
}

void TdxPaginator::CountPages(const TdxPaginationInput& Input, int MaxAcross, int MaxDown, int& Across, int& Down)
{
    TdxPaginationInput in = Input;
    if (in.Scale <= 0)
        in.Scale = 100;
    const auto x = CutAxis(in.HorzDelimiters, in.ReportWidth, in.AvailableWidth, in.Scale, MaxAcross);
    Across = std::max(0, static_cast<int>(x.size()) - 1);
    Down = 0;
    if (Across == 0 || in.ReportHeight <= 0) {
        const bool noRowsPage = Across == 0 && in.ReportHeight <= 0 && in.HeaderHasChildren && in.FooterHasChildren;
        Across = Down = noRowsPage ? 1 : 0;
        return;
    }
    const bool fit = Fits(in);
    std::int64_t start = 0;
    bool final = false;
    while (!final) {
        start = CutPage(in.VertDelimiters, in.ReportHeight, start, RowRoom(in, Down, fit).Room, in.Scale, final);
        ++Down;
        if (MaxDown > 0 && Down > MaxDown)
            break;
    }
}

} // namespace qel
