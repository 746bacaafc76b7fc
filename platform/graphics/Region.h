#pragma once
// Regions in device units, as the platform's clip regions are.
#include "platform/graphics/Geometry.h"

#include <memory>
#include <vector>

class QRegion;

namespace qel {

// Combine modes (the platform's RGN_* values).
enum TRegionCombine : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };

class TRegion {
public:
    TRegion();                                  // empty
    ~TRegion();
    TRegion(const TRegion& Other);
    TRegion& operator=(const TRegion& Other);
    TRegion(TRegion&&) noexcept;
    TRegion& operator=(TRegion&&) noexcept;

    static TRegion CreateRect(const TRect& R);   // inverted or empty rectangles give an empty region
    static TRegion CreateEllipse(const TRect& R);
    static TRegion CreatePolygon(const std::vector<TPoint>& Points);

    // this := A <Mode> B; RGN_COPY copies A.
    void Combine(const TRegion& A, const TRegion& B, TRegionCombine Mode);
    static TRegion Combined(const TRegion& A, const TRegion& B, TRegionCombine Mode);

    bool IsEmpty() const;
    TRect BoundingBox() const;
    bool Contains(TPoint P) const;
    bool RectIn(const TRect& R) const;          // any part of r inside
    void Offset(int Dx, int Dy);
    std::vector<TRect> Rects() const;
    bool operator==(const TRegion& Other) const;

    // Qt escape hatch: platform/ only.
    const QRegion& Qt() const { return *m_region; }
    explicit TRegion(const QRegion& Region);

private:
    std::unique_ptr<QRegion> m_region;
};

} // namespace qel
