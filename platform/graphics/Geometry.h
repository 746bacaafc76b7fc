#pragma once
// Integer points, sizes and rectangles as the drawing code measures them:
// a rectangle's right and bottom edges are exclusive.
#include <algorithm>
#include <cmath>
#include <cstdint>

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
    constexpr bool Contains(TPoint P) const
    {
        return P.X >= Left && P.X < Right && P.Y >= Top && P.Y < Bottom;
    }
    constexpr bool operator==(const TRect&) const = default;
};

// Far outside any device: lengths and positions computed from stored values
// are held within +-MaxCoord, so that adding or subtracting two of them, or
// taking a rectangle's width, never overflows.
inline constexpr int MaxCoord = 1 << 29;

// A length or position computed in 64 bits, saturated at +-MaxCoord.
constexpr int ClampCoord(long long V)
{
    return V > MaxCoord ? MaxCoord : V < -MaxCoord ? -MaxCoord : static_cast<int>(V);
}

// A rectangle whose positions can pass the 32-bit range: a report of a
// million rows measured in report units is taller than 2^31. Drawing code
// takes such positions relative to one page before they reach a canvas.
struct TRect64 {
    std::int64_t Left = 0;
    std::int64_t Top = 0;
    std::int64_t Right = 0;
    std::int64_t Bottom = 0;

    constexpr std::int64_t Width() const { return Right - Left; }
    constexpr std::int64_t Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    // True when the two share an area (touching edges do not count).
    constexpr bool Meets(const TRect64& O) const
    {
        return std::max(Left, O.Left) < std::min(Right, O.Right) && std::max(Top, O.Top) < std::min(Bottom, O.Bottom);
    }
    constexpr bool operator==(const TRect64&) const = default;
};

// A measured length or position in whole units: rounds half up and saturates
// at +-MaxCoord, so that absurd coordinates neither overflow nor make widths
// overflow.
inline int RoundToInt(double V)
{
    const double r = std::floor(V + 0.5);
    if (!(r > -MaxCoord))
        return -MaxCoord;
    if (r > MaxCoord)
        return MaxCoord;
    return static_cast<int>(r);
}

constexpr TPoint Point(int X, int Y) { return {X, Y}; }
constexpr TRect Rect(int Left, int Top, int Right, int Bottom) { return {Left, Top, Right, Bottom}; }
constexpr TRect Bounds(int Left, int Top, int Width, int Height)
{
    return {Left, Top, Left + Width, Top + Height};
}

constexpr bool PtInRect(const TRect& R, TPoint P) { return R.Contains(P); }
constexpr bool IsRectEmpty(const TRect& R) { return R.IsEmpty(); }

constexpr void InflateRect(TRect& R, int Dx, int Dy)
{
    R.Left -= Dx; R.Top -= Dy; R.Right += Dx; R.Bottom += Dy;
}
constexpr void OffsetRect(TRect& R, int Dx, int Dy)
{
    R.Left += Dx; R.Top += Dy; R.Right += Dx; R.Bottom += Dy;
}
// Answers false and an empty (all zero) rectangle when the two do not meet.
constexpr bool IntersectRect(TRect& Dst, const TRect& A, const TRect& B)
{
    TRect r{std::max(A.Left, B.Left), std::max(A.Top, B.Top),
            std::min(A.Right, B.Right), std::min(A.Bottom, B.Bottom)};
    if (r.IsEmpty()) {
        Dst = TRect{};
        return false;
    }
    Dst = r;
    return true;
}
// The union ignores empty rectangles, as the platform does.
constexpr bool UnionRect(TRect& Dst, const TRect& A, const TRect& B)
{
    if (A.IsEmpty()) { Dst = B.IsEmpty() ? TRect{} : B; return !Dst.IsEmpty(); }
    if (B.IsEmpty()) { Dst = A; return true; }
    Dst = TRect{std::min(A.Left, B.Left), std::min(A.Top, B.Top),
                std::max(A.Right, B.Right), std::max(A.Bottom, B.Bottom)};
    return true;
}

} // namespace qel
