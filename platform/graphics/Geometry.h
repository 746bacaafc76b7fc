#pragma once
// Integer points, sizes and rectangles as the drawing code measures them:
// a rectangle's right and bottom edges are exclusive.
#include <algorithm>
#include <cmath>

namespace qel {

struct TPoint {
    int X = 0;
    int Y = 0;
    constexpr bool operator==(const TPoint&) const = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    constexpr bool operator==(const TSize&) const = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    // Empty also when inverted, as the platform's IsRectEmpty answers.
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr TPoint TopLeft() const { return {Left, Top}; }
    constexpr TPoint BottomRight() const { return {Right, Bottom}; }
    constexpr bool Contains(TPoint p) const
    {
        return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
    }
    constexpr bool operator==(const TRect&) const = default;
};

// A measured length or position in whole units: rounds half up and saturates
// far outside any device, so that absurd coordinates neither overflow nor
// make widths overflow.
inline int RoundToInt(double v)
{
    constexpr double kLimit = 1 << 29;
    const double r = std::floor(v + 0.5);
    if (!(r > -kLimit))
        return -(1 << 29);
    if (r > kLimit)
        return 1 << 29;
    return static_cast<int>(r);
}

constexpr TPoint Point(int x, int y) { return {x, y}; }
constexpr TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
constexpr TRect Bounds(int left, int top, int width, int height)
{
    return {left, top, left + width, top + height};
}

constexpr bool PtInRect(const TRect& r, TPoint p) { return r.Contains(p); }
constexpr bool IsRectEmpty(const TRect& r) { return r.IsEmpty(); }

constexpr void InflateRect(TRect& r, int dx, int dy)
{
    r.Left -= dx; r.Top -= dy; r.Right += dx; r.Bottom += dy;
}
constexpr void OffsetRect(TRect& r, int dx, int dy)
{
    r.Left += dx; r.Top += dy; r.Right += dx; r.Bottom += dy;
}
// Answers false and an empty (all zero) rectangle when the two do not meet.
constexpr bool IntersectRect(TRect& dst, const TRect& a, const TRect& b)
{
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top),
            std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    if (r.IsEmpty()) {
        dst = TRect{};
        return false;
    }
    dst = r;
    return true;
}
// The union ignores empty rectangles, as the platform does.
constexpr bool UnionRect(TRect& dst, const TRect& a, const TRect& b)
{
    if (a.IsEmpty()) { dst = b.IsEmpty() ? TRect{} : b; return !dst.IsEmpty(); }
    if (b.IsEmpty()) { dst = a; return true; }
    dst = TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top),
                std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
    return true;
}

} // namespace qel
