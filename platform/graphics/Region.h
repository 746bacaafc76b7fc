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
    TRegion(const TRegion& other);
    TRegion& operator=(const TRegion& other);
    TRegion(TRegion&&) noexcept;
    TRegion& operator=(TRegion&&) noexcept;

    static TRegion CreateRect(const TRect& r);   // inverted or empty rectangles give an empty region
    static TRegion CreateEllipse(const TRect& r);
    static TRegion CreatePolygon(const std::vector<TPoint>& points);

    // this := a <mode> b; RGN_COPY copies a.
    void Combine(const TRegion& a, const TRegion& b, TRegionCombine mode);
    static TRegion Combined(const TRegion& a, const TRegion& b, TRegionCombine mode);

    bool IsEmpty() const;
    TRect BoundingBox() const;
    bool Contains(TPoint p) const;
    bool RectIn(const TRect& r) const;          // any part of r inside
    void Offset(int dx, int dy);
    std::vector<TRect> Rects() const;
    bool operator==(const TRegion& other) const;

    // Qt escape hatch: platform/ only.
    const QRegion& Qt() const { return *m_region; }
    explicit TRegion(const QRegion& region);

private:
    std::unique_ptr<QRegion> m_region;
};

} // namespace qel
