#include "preview/detail/PreviewArrangement.h"

#include <algorithm>

namespace qel::detail {

namespace {

int FloorDiv(int A, int B) { return A >= 0 ? A / B : -((-A + B - 1) / B); }
int CeilDiv(int A, int B) { return -FloorDiv(-A, B); }

} // namespace

TRect TPreviewArrangement::PageRect(int Index) const
{
    const int column = Index % Columns, row = Index / Columns;
    const int left = LeftOffset - ScrollX + (PageWidth + Gap) * column;
    const int top = TopOffset - ScrollY + (PageHeight + Gap) * row;
    return Rect(left, top, left + PageWidth, top + PageHeight);
}

TRect TPreviewArrangement::FrameRect(int Index) const
{
    const TRect r = PageRect(Index);
    return Rect(r.Left - 2, r.Top - 2, r.Right + Gap - 2, r.Bottom + Gap - 2);
}

int TPreviewArrangement::PageAt(TPoint P) const
{
    if (PageCount == 0)
        return -1;
    const int x = P.X - (LeftOffset - ScrollX - 2), y = P.Y - (TopOffset - ScrollY - 2);
    if (x < 0 || y < 0)
        return -1;
    const int column = x / (PageWidth + Gap), row = y / (PageHeight + Gap);
    if (column >= Columns || row >= Rows)
        return -1;
    const int index = row * Columns + column;
    return index < PageCount ? index : -1;
}

bool TPreviewArrangement::SpanOf(const TRect& R, bool Frames, bool Whole, Span& Out) const
{
    if (PageCount == 0 || R.IsEmpty())
        return false;
    // Along one axis: items start at Origin + Pitch * i and are Size long.
    const auto span = [&](int Lo, int Hi, int Origin, int Size, int Pitch, int Count, int& First, int& Last) {
        if (Whole) {
            First = CeilDiv(Lo - Origin, Pitch);
            Last = FloorDiv(Hi - Origin - Size, Pitch);
        } else {
            First = FloorDiv(Lo - Origin - Size, Pitch) + 1;
            Last = CeilDiv(Hi - Origin, Pitch) - 1;
        }
        First = std::max(First, 0);
        Last = std::min(Last, Count - 1);
        return First <= Last;
    };
    const int pitchX = PageWidth + Gap, pitchY = PageHeight + Gap;
    const int originX = LeftOffset - ScrollX - (Frames ? 2 : 0), originY = TopOffset - ScrollY - (Frames ? 2 : 0);
    const int sizeX = Frames ? pitchX : PageWidth, sizeY = Frames ? pitchY : PageHeight;
    return span(R.Left, R.Right, originX, sizeX, pitchX, Columns, Out.FirstColumn, Out.LastColumn)
           && span(R.Top, R.Bottom, originY, sizeY, pitchY, Rows, Out.FirstRow, Out.LastRow);
}

int TPreviewArrangement::FirstIn(const TRect& R, bool Whole) const
{
    Span s{};
    if (!SpanOf(R, false, Whole, s))
        return -1;
    const int index = s.FirstRow * Columns + s.FirstColumn;
    return index < PageCount ? index : -1;
}

int TPreviewArrangement::LastIn(const TRect& R, bool Whole) const
{
    Span s{};
    if (!SpanOf(R, false, Whole, s))
        return -1;
    // Only the last row can be short.
    for (int row = s.LastRow; row >= s.FirstRow; --row) {
        const int index = std::min(row * Columns + s.LastColumn, PageCount - 1);
        if (index >= row * Columns + s.FirstColumn)
            return index;
    }
    return -1;
}

} // namespace qel::detail
