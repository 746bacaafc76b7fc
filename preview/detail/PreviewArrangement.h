#pragma once
// Where the preview's pages are: pages of one size in rows and columns with
// a gap between them, placed at an offset and scrolled. Every answer comes
// from a page's row and column, so no query walks the pages.
#include "platform/graphics/Geometry.h"

namespace qel::detail {

struct TPreviewArrangement {
    int PageCount = 0;
    int Columns = 1;
    int Rows = 0;
    int PageWidth = 0;    // zoomed, pixels
    int PageHeight = 0;
    int Gap = 13;
    int LeftOffset = 0;   // where column 0 and row 0 start before scrolling
    int TopOffset = 0;
    int ScrollX = 0;
    int ScrollY = 0;

    TRect PageRect(int Index) const;
    // The page widened by 2 pixels to the left and top and Gap - 2 to the
    // right and bottom: frames tile the plane, so a point is in one at most.
    TRect FrameRect(int Index) const;
    // The page whose frame holds P, else -1.
    int PageAt(TPoint P) const;

    // The columns and rows whose pages (Frames: frames) meet R, or lie wholly
    // inside it (Whole); false when there are none.
    struct Span {
        int FirstColumn, LastColumn, FirstRow, LastRow;
    };
    bool SpanOf(const TRect& R, bool Frames, bool Whole, Span& Out) const;
    // The first and last page (in index order) meeting R or wholly inside it; -1 when none.
    int FirstIn(const TRect& R, bool Whole) const;
    int LastIn(const TRect& R, bool Whole) const;
};

} // namespace qel::detail
