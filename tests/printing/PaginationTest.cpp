#include "printing/Pagination.h"

#include "printing/ReportUnits.h"

#include <gtest/gtest.h>

#include <random>

namespace qel {
namespace {

using Breaks = std::vector<std::int64_t>;

// An input that owns its delimiters and rows.
struct Layout {
    Breaks Horz;
    Breaks Vert;
    TdxReportRowIndex Rows;
    TdxPaginationInput In;

    Layout(Breaks H, std::int64_t Width, Breaks V, std::int64_t Height)
        : Horz(std::move(H)), Vert(std::move(V))
    {
        dxPrepareDelimiters(Horz, Width);
        dxPrepareDelimiters(Vert, Height);
        In.ReportWidth = Width;
        In.ReportHeight = Height;
        In.AvailableWidth = Width;
        In.AvailableHeight = Height;
        Bind();
    }
    void Bind()
    {
        In.HorzDelimiters = Horz;
        In.VertDelimiters = Vert;
        In.Rows = &Rows;
    }
    // Full-width rows of equal height, their edges as vertical delimiters.
    static Layout Rowed(int Count, std::int64_t RowHeight, std::int64_t Width)
    {
        Breaks v;
        std::vector<TdxReportRow> rows;
        for (int i = 0; i < Count; ++i) {
            rows.push_back({i * RowHeight, (i + 1) * RowHeight, 0, Width});
            v.push_back((i + 1) * RowHeight);
        }
        Layout l({}, Width, v, Count * RowHeight);
        l.Rows.Assign(rows);
        return l;
    }
    TdxPagination Run()
    {
        Bind();
        TdxPaginator p;
        p.Begin(In);
        p.Calculate();
        return p.Result();
    }
};

// ----- breaks ------------------------------------------------------------------------------------------

TEST(PaginationBreaks, CutsOnTheLastDelimiterThatFitsAtTheScale)
{
    struct Case {
        const char* Why;
        Breaks Delimiters;
        std::int64_t Size;
        std::int64_t Room;
        int Scale;
        Breaks Expected;
    };
    const Case cases[] = {
        {"the last delimiter is no break when the rest fits", {500, 1000, 1500}, 1600, 700, 100, {0, 500, 1000, 1600}},
        {"twice as much fits at scale 50", {500, 1000, 1500}, 1600, 700, 50, {0, 1000, 1600}},
        {"no delimiter fits: cut at the page edge", {}, 2000, 700, 100, {0, 700, 1400, 2000}},
        // 303 and 304 take 100 on the paper (rounded), 305 takes 101; behind
        // a cut the edge falls at 303 report units (100 * 100 / 33).
        {"rounding at scale 33", {300, 303, 304, 305}, 1000, 100, 33, {0, 304, 305, 608, 911, 1000}},
        {"no room at all still moves one unit on", {}, 3, 0, 100, {0, 1, 2, 3}},
        {"negative room too", {2}, 3, -50, 100, {0, 1, 2, 3}},
        {"a zero-width report has no page columns", {}, 0, 700, 100, {}},
        {"delimiters past the report are ignored", {400, 2500}, 1000, 500, 100, {0, 400, 900, 1000}},
    };
    for (const Case& c : cases) {
        Layout l(c.Delimiters, c.Size, {100}, 100);
        l.In.AvailableWidth = c.Room;
        l.In.Scale = c.Scale;
        EXPECT_EQ(l.Run().XBreaks, c.Expected) << c.Why;
        // The vertical axis cuts the same way.
        Layout v({}, 100, c.Delimiters, c.Size);
        v.In.AvailableHeight = c.Room;
        v.In.Scale = c.Scale;
        const TdxPagination r = v.Run();
        EXPECT_EQ(r.YBreaks, c.Expected) << c.Why << " (down)";
        EXPECT_EQ(r.PagesDown, std::max<int>(0, static_cast<int>(c.Expected.size()) - 1)) << c.Why;
    }
}

TEST(PaginationBreaks, DelimitersAreSortedOnlyWhenTheyArriveOutOfOrder)
{
    Breaks inOrder{100, 200, 200, 300};
    dxPrepareDelimiters(inOrder, 400);
    EXPECT_EQ(inOrder, (Breaks{0, 100, 200, 300, 400}));
    Breaks shuffled{300, -5, 100, 900, 200, 100};
    dxPrepareDelimiters(shuffled, 400);
    EXPECT_EQ(shuffled, (Breaks{0, 100, 200, 300, 400}));
}

TEST(PaginationBreaks, PageCountsAloneAgreeWithTheWholePagination)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        const int rows = 1 + static_cast<int>(rng() % 60);
        Layout l = Layout::Rowed(rows, 50 + rng() % 200, 300 + rng() % 3000);
        l.Horz.clear();
        for (int x = 0; x < 6; ++x)
            l.Horz.push_back(rng() % l.In.ReportWidth);
        dxPrepareDelimiters(l.Horz, l.In.ReportWidth);
        l.In.AvailableWidth = 200 + rng() % 1500;
        l.In.AvailableHeight = 300 + rng() % 2000;
        l.In.Scale = 10 + static_cast<int>(rng() % 491);
        l.In.TitleMode = static_cast<TdxReportTitleMode>(rng() % 3);
        l.In.TitleHeight = rng() % 400;
        l.In.HeaderHeight = rng() % 300;
        l.In.FooterHeight = rng() % 300;
        const TdxPagination whole = l.Run();
        int across = 0;
        int down = 0;
        TdxPaginator::CountPages(l.In, 0, 0, across, down);
        EXPECT_EQ(across, whole.PagesAcross) << "round " << round;
        EXPECT_EQ(down, whole.PagesDown) << "round " << round;
        // Every page row moves on and the last one ends the report.
        for (std::size_t i = 1; i < whole.YBreaks.size(); ++i)
            EXPECT_LT(whole.YBreaks[i - 1], whole.YBreaks[i]);
        EXPECT_EQ(whole.YBreaks.back(), l.In.ReportHeight);
        // Limits stop counting just past them.
        TdxPaginator::CountPages(l.In, 1, 1, across, down);
        EXPECT_LE(across, 2);
        EXPECT_LE(down, 2);
    }
}

// ----- repeated cells and title --------------------------------------------------------------------

struct RowFlags {
    std::int64_t Top;
    std::int64_t Bottom;
    bool Header;
    bool Footer;
    bool operator==(const RowFlags&) const = default;
};

std::vector<RowFlags> PageRows(const TdxPagination& R)
{
    std::vector<RowFlags> out;
    for (int row = 0; row < R.PagesDown; ++row) {
        const TdxPageInfo& p = R.Pages[static_cast<std::size_t>(row * R.PagesAcross)];
        out.push_back({p.Bounds.Top, p.Bounds.Bottom, p.HasHeader, p.HasFooter});
    }
    return out;
}

void PrintTo(const RowFlags& F, std::ostream* Os)
{
    *Os << "{" << F.Top << ".." << F.Bottom << (F.Header ? " H" : "") << (F.Footer ? " F" : "") << "}";
}

TEST(PaginationRepeatedCells, ReservationAndDrawingAgree)
{
    struct Case {
        const char* Why;
        std::int64_t Header, Footer, Title;
        int Rows;
        bool Fit;
        std::vector<RowFlags> Expected;
    };
    // Rows of 100 on a page with 1000 of room; the title on every top page.
    const Case cases[] = {
        {"fit: every row reserves and draws both; the first the title too", 150, 100, 200, 25, true,
         {{0, 500, true, true}, {500, 1200, true, true}, {1200, 1900, true, true}, {1900, 2500, true, true}}},
        {"no fit: the first row keeps the header, later rows the footer, drawn at the bottom only", 400, 300, 350, 25,
         false,
         {{0, 200, true, false}, {200, 900, false, false}, {900, 1600, false, false}, {1600, 2300, false, false},
          {2300, 2500, false, true}}},
        {"exactly full is no fit", 500, 300, 200, 12, false,
         {{0, 300, true, false}, {300, 1000, false, false}, {1000, 1200, false, true}}},
        {"one page row without fit draws no footer", 400, 300, 350, 2, false, {{0, 200, true, false}}},
        {"a header taller than the page is neither reserved nor drawn", 1200, 100, 200, 20, false,
         {{0, 800, false, false}, {800, 1700, false, false}, {1700, 2000, false, true}}},
        {"a footer taller than the page is never reserved", 100, 1100, 200, 20, false,
         {{0, 700, true, false}, {700, 1700, false, false}, {1700, 2000, false, false}}},
    };
    for (const Case& c : cases) {
        Layout l = Layout::Rowed(c.Rows, 100, 500);
        l.In.AvailableHeight = 1000;
        l.In.AvailableWidth = 500;
        l.In.HeaderHeight = c.Header;
        l.In.FooterHeight = c.Footer;
        l.In.TitleHeight = c.Title;
        l.In.TitleMode = tmOnEveryTopPage;
        const TdxPagination r = l.Run();
        EXPECT_EQ(r.HeaderFooterFit, c.Fit) << c.Why;
        EXPECT_EQ(PageRows(r), c.Expected) << c.Why;
    }
}

TEST(PaginationRepeatedCells, HalfScaleHalvesWhatTheCellsTake)
{
    Layout l = Layout::Rowed(40, 100, 500);
    l.In.AvailableHeight = 1000;
    l.In.AvailableWidth = 500;
    l.In.HeaderHeight = 300;
    l.In.FooterHeight = 300;
    l.In.Scale = 50;
    // 1000 of paper hold 2000 of report; header and footer take 600 of it.
    const TdxPagination r = l.Run();
    ASSERT_GE(r.YBreaks.size(), 3u);
    EXPECT_EQ(r.YBreaks[1], 1400);
    EXPECT_EQ(r.YBreaks[2], 2800);
}

TEST(PaginationRepeatedCells, TitleOnlyWhereItsModeSaysAndAPageThatCannotHoldItStillMovesOn)
{
    Layout l = Layout::Rowed(10, 100, 900);
    l.Horz = {300, 600};
    dxPrepareDelimiters(l.Horz, 900);
    l.In.AvailableWidth = 300;
    l.In.AvailableHeight = 400;
    l.In.TitleHeight = 100;
    l.In.TitleMode = tmOnEveryTopPage;
    TdxPagination r = l.Run();
    ASSERT_EQ(r.PagesAcross, 3);
    for (int i = 0; i < r.PageCount(); ++i)
        EXPECT_EQ(r.Pages[static_cast<std::size_t>(i)].HasTitle, i < 3) << i;
    l.In.TitleMode = tmOnFirstPage;
    r = l.Run();
    for (int i = 0; i < r.PageCount(); ++i)
        EXPECT_EQ(r.Pages[static_cast<std::size_t>(i)].HasTitle, i == 0) << i;
    EXPECT_EQ(r.YBreaks[1], 300);   // the whole first row keeps the title's room
    l.In.TitleMode = tmNone;
    EXPECT_EQ(l.Run().YBreaks[1], 400);

    // A title taller than the page: the first row still advances.
    l.In.TitleMode = tmOnEveryTopPage;
    l.In.TitleHeight = 600;
    r = l.Run();
    EXPECT_EQ(r.YBreaks[1], 1);
    EXPECT_EQ(r.YBreaks.back(), 1000);
}

// ----- pages, rows and empty marks -------------------------------------------------------------------

TEST(PaginationPages, RowsAndEmptyPagesComeFromTheAreaBetweenTheBreaks)
{
    // Three page columns of 300; rows: 0-100 across, 100-200 in the first
    // column only, nothing from 200 to 600, then 600-700 across.
    Layout l({300, 600}, 900, {100, 200, 600}, 700);
    l.Rows.Assign({{0, 100, 0, 900}, {100, 200, 0, 300}, {600, 700, 0, 900}});
    l.In.AvailableWidth = 300;
    l.In.AvailableHeight = 200;
    l.In.MarkEmptyPages = true;
    for (std::int64_t repeated : {0, 40}) {
        // Repeated cells must not widen the area a page takes its rows from.
        l.In.HeaderHeight = l.In.FooterHeight = repeated;
        const TdxPagination r = l.Run();
        SCOPED_TRACE(repeated);
        ASSERT_EQ(r.PagesAcross, 3);
        ASSERT_EQ(r.PageCount(), 3 * r.PagesDown);
        std::vector<int> empty;
        for (int i = 0; i < r.PageCount(); ++i)
            if (r.Pages[static_cast<std::size_t>(i)].IsEmpty)
                empty.push_back(i);
        // Every row is listed exactly once over all pages of its column.
        std::vector<int> seen(3, 0);
        for (const TdxPageInfo& p : r.Pages)
            for (int k = 0; k < p.RunCount; ++k) {
                const TdxRowRun run = r.Runs[static_cast<std::size_t>(p.FirstRun + k)];
                for (int row = run.First; row <= run.Last; ++row)
                    ++seen[static_cast<std::size_t>(row)];
            }
        EXPECT_EQ(seen, (std::vector<int>{3, 1, 3}));
        EXPECT_EQ(r.EmptyPageCount, static_cast<int>(empty.size()));
        EXPECT_EQ(r.NonEmptyPageCount() + r.EmptyPageCount, r.PageCount());
        // Pages wholly in the gap are empty.
        const std::int64_t gapTop = 200;
        for (int i = 0; i < r.PageCount(); ++i) {
            const TdxPageInfo& p = r.Pages[static_cast<std::size_t>(i)];
            if (p.Bounds.Top >= gapTop && p.Bounds.Bottom <= 600) {
                EXPECT_TRUE(p.IsEmpty) << "page " << i;
            }
        }
    }
    l.In.HeaderHeight = l.In.FooterHeight = 0;
    const TdxPagination r = l.Run();
    EXPECT_EQ(r.YBreaks, (Breaks{0, 200, 400, 600, 700}));
    EXPECT_EQ(r.NonEmptyPages, (std::vector<int>{0, 1, 2, 9, 10, 11}));
    ASSERT_EQ(r.Pages[0].RunCount, 1);
    EXPECT_EQ(r.Runs[static_cast<std::size_t>(r.Pages[0].FirstRun)], (TdxRowRun{0, 1}));
    EXPECT_EQ(r.Runs[static_cast<std::size_t>(r.Pages[1].FirstRun)], (TdxRowRun{0, 0}));
    // Visible pages skip the empty ones; past the end names the last.
    EXPECT_EQ(r.VisiblePageCount(false), 6);
    EXPECT_EQ(r.VisiblePageCount(true), 12);
    EXPECT_EQ(r.RealPageIndex(3, false), 9);
    EXPECT_EQ(r.RealPageIndex(40, false), 11);
    EXPECT_EQ(r.RealPageIndex(4, true), 4);
    // Numbers count non-empty pages; an empty page repeats its neighbour's.
    EXPECT_EQ(r.VirtualPageIndex(9), 3);
    EXPECT_EQ(r.VirtualPageIndex(4), 2);
    EXPECT_EQ(r.VirtualPageIndex(2), 2);
}

TEST(PaginationPages, RowsOutOfTopOrderAreFoundThroughASortedIndex)
{
    TdxReportRowIndex rows;
    rows.Assign({{600, 700, 0, 100}, {0, 100, 0, 100}, {100, 200, 0, 100}, {150, 650, 0, 100}});
    EXPECT_FALSE(rows.InTopOrder());
    std::vector<TdxRowRun> runs;
    EXPECT_TRUE(rows.FindRuns({0, 0, 100, 200}, runs));
    EXPECT_EQ(runs, (std::vector<TdxRowRun>{{1, 3}}));
    runs.clear();
    EXPECT_TRUE(rows.FindRuns({0, 620, 100, 640}, runs));
    EXPECT_EQ(runs, (std::vector<TdxRowRun>{{0, 0}, {3, 3}}));
    EXPECT_FALSE(rows.AnyMeets({0, 700, 100, 900}));
    EXPECT_FALSE(rows.AnyMeets({100, 0, 200, 900}));   // beside every row
    rows.Assign({{0, 100, 0, 100}, {100, 200, 0, 100}});
    EXPECT_TRUE(rows.InTopOrder());
}

TEST(PaginationPages, AReportWithoutRowsHasOnePageOnlyWhenBothRepeatedCellsHaveChildren)
{
    for (bool header : {false, true})
        for (bool footer : {false, true}) {
            Layout l({}, 0, {}, 0);
            l.In.AvailableWidth = 700;
            l.In.AvailableHeight = 900;
            l.In.HeaderHeight = 100;
            l.In.FooterHeight = 100;
            l.In.HeaderHasChildren = header;
            l.In.FooterHasChildren = footer;
            l.In.MarkEmptyPages = true;
            const TdxPagination r = l.Run();
            if (!(header && footer)) {
                EXPECT_EQ(r.PageCount(), 0);
                continue;
            }
            ASSERT_EQ(r.PageCount(), 1);
            EXPECT_TRUE(r.XBreaks.empty());
            EXPECT_EQ(r.Pages[0].Bounds, (TRect64{0, 0, 700, 900}));
            EXPECT_TRUE(r.Pages[0].HasHeader);
            EXPECT_TRUE(r.Pages[0].HasFooter);
            EXPECT_FALSE(r.Pages[0].IsEmpty);
            EXPECT_EQ(r.VisiblePageCount(false), 1);
        }
    Layout noHeight({}, 500, {}, 0);
    EXPECT_EQ(noHeight.Run().PageCount(), 0);
}

TEST(PaginationPages, OffsetsPlaceTheContentInsideTheMarginsAndCentreIt)
{
    Layout l = Layout::Rowed(4, 100, 600);
    l.In.UnitsPerInch = 9600;
    l.In.ContentRectLoMetric = {254, 508, 2000, 2500};   // one inch and two inches in
    l.In.AvailableWidth = 1000;
    l.In.AvailableHeight = 1000;
    l.In.TitleMode = tmOnEveryTopPage;
    l.In.TitleHeight = 200;
    l.In.Scale = 50;
    TdxPagination r = l.Run();
    ASSERT_EQ(r.PageCount(), 1);
    const TdxPageInfo& p = r.Pages[0];
    // Margins are paper lengths: at half scale they take twice the report units.
    EXPECT_EQ(p.OffsetX, 19200);
    EXPECT_EQ(p.TitleOffsetX, 19200);
    EXPECT_EQ(p.TitleOffsetY, 38400);
    EXPECT_EQ(p.OffsetY, 38400 + 200);
    l.In.CenterOnPageH = true;
    l.In.CenterOnPageV = true;
    r = l.Run();
    // Across: 1000 of paper, the page's 600 take 300: 700 spare, half of it is 350 paper = 700 report.
    EXPECT_EQ(r.Pages[0].OffsetX, 19200 + 700);
    // Down: the title takes 100 of the paper (not 200), the rows 200: 700 spare -> 700 report.
    EXPECT_EQ(r.Pages[0].OffsetY, 38400 + 200 + 700);
}

TEST(PaginationPages, SteppingCutsPageRowsInOrderBeforeTheEnd)
{
    Layout l = Layout::Rowed(100, 100, 900);
    l.Horz = {300, 600};
    dxPrepareDelimiters(l.Horz, 900);
    l.In.AvailableWidth = 300;
    l.In.AvailableHeight = 1000;
    l.In.MarkEmptyPages = true;
    l.Bind();
    TdxPaginator p;
    p.Begin(l.In);
    EXPECT_EQ(p.PagesCut(), 0);
    EXPECT_FALSE(p.Complete());
    ASSERT_TRUE(p.Step());
    EXPECT_EQ(p.PagesCut(), 3);
    EXPECT_EQ(p.Result().Pages[2].Bounds, (TRect64{600, 0, 900, 1000}));
    EXPECT_FALSE(p.Result().Pages[2].IsBottomPage);
    p.Calculate();
    EXPECT_TRUE(p.Complete());
    EXPECT_FALSE(p.Step());
    EXPECT_EQ(p.PagesCut(), 30);
    EXPECT_TRUE(p.Result().Pages.back().IsBottomPage);
}

TEST(PaginationPages, AReportPastTheLimitIsRefused)
{
    Layout l = Layout::Rowed(2, 100, 100);
    l.In.ReportHeight = dxMaxReportExtent + 1;
    l.Bind();
    TdxPaginator p;
    EXPECT_THROW(p.Begin(l.In), EdxReportLink);
    // Past 2^31 but inside the limit: a million rows of 2,100 units.
    Layout big = Layout::Rowed(1'000'000, 2100, 80000);
    big.In.AvailableWidth = 80000;
    big.In.AvailableHeight = 100000;
    const TdxPagination r = big.Run();
    EXPECT_EQ(r.YBreaks.back(), 2'100'000'000LL);
    EXPECT_EQ(r.PagesDown, (1'000'000 + 46) / 47);
    EXPECT_EQ(r.Pages.back().Bounds.Bottom, 2'100'000'000LL);
}

} // namespace
} // namespace qel
