#include "platform/graphics/Region.h"

#include <QPolygon>
#include <QRegion>

namespace qel {

namespace {
QRect ToQRect(const TRect& r)
{
    return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}
} // namespace

TRegion::TRegion() : m_region(std::make_unique<QRegion>()) {}
TRegion::~TRegion() = default;
TRegion::TRegion(const TRegion& other) : m_region(std::make_unique<QRegion>(*other.m_region)) {}
TRegion::TRegion(const QRegion& region) : m_region(std::make_unique<QRegion>(region)) {}

TRegion& TRegion::operator=(const TRegion& other)
{
    if (this != &other)
        *m_region = *other.m_region;
    return *this;
}

TRegion::TRegion(TRegion&& other) noexcept : m_region(std::make_unique<QRegion>())
{
    m_region->swap(*other.m_region);
}

TRegion& TRegion::operator=(TRegion&& other) noexcept
{
    m_region->swap(*other.m_region);
    return *this;
}

TRegion TRegion::CreateRect(const TRect& r)
{
    if (r.IsEmpty())
        return TRegion();
    return TRegion(QRegion(ToQRect(r)));
}

TRegion TRegion::CreateEllipse(const TRect& r)
{
    if (r.IsEmpty())
        return TRegion();
    return TRegion(QRegion(ToQRect(r), QRegion::Ellipse));
}

TRegion TRegion::CreatePolygon(const std::vector<TPoint>& points)
{
    QPolygon poly;
    for (const TPoint& p : points)
        poly << QPoint(p.X, p.Y);
    return TRegion(QRegion(poly, Qt::OddEvenFill));
}

void TRegion::Combine(const TRegion& a, const TRegion& b, TRegionCombine mode)
{
    switch (mode) {
    case RGN_AND: *m_region = a.m_region->intersected(*b.m_region); break;
    case RGN_OR: *m_region = a.m_region->united(*b.m_region); break;
    case RGN_XOR: *m_region = a.m_region->xored(*b.m_region); break;
    case RGN_DIFF: *m_region = a.m_region->subtracted(*b.m_region); break;
    case RGN_COPY: *m_region = *a.m_region; break;
    }
}

TRegion TRegion::Combined(const TRegion& a, const TRegion& b, TRegionCombine mode)
{
    TRegion r;
    r.Combine(a, b, mode);
    return r;
}

bool TRegion::IsEmpty() const { return m_region->isEmpty(); }

TRect TRegion::BoundingBox() const
{
    const QRect b = m_region->boundingRect();
    if (b.isEmpty())
        return TRect{};
    return TRect{b.left(), b.top(), b.left() + b.width(), b.top() + b.height()};
}

bool TRegion::Contains(TPoint p) const { return m_region->contains(QPoint(p.X, p.Y)); }

bool TRegion::RectIn(const TRect& r) const
{
    return !r.IsEmpty() && m_region->intersects(ToQRect(r));
}

void TRegion::Offset(int dx, int dy) { m_region->translate(dx, dy); }

std::vector<TRect> TRegion::Rects() const
{
    std::vector<TRect> out;
    for (const QRect& q : *m_region)
        out.push_back(TRect{q.left(), q.top(), q.left() + q.width(), q.top() + q.height()});
    return out;
}

bool TRegion::operator==(const TRegion& other) const { return *m_region == *other.m_region; }

} // namespace qel
