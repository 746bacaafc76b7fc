#include "platform/graphics/Region.h"

#include <QPolygon>
#include <QRegion>

namespace qel {

namespace {
QRect ToQRect(const TRect& R)
{
    return QRect(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top);
}
} // namespace

TRegion::TRegion() : m_region(std::make_unique<QRegion>()) {}
TRegion::~TRegion() = default;
TRegion::TRegion(const TRegion& Other) : m_region(std::make_unique<QRegion>(*Other.m_region)) {}
TRegion::TRegion(const QRegion& Region) : m_region(std::make_unique<QRegion>(Region)) {}

TRegion& TRegion::operator=(const TRegion& Other)
{
    if (this != &Other)
        *m_region = *Other.m_region;
    return *this;
}

TRegion::TRegion(TRegion&& Other) noexcept : m_region(std::make_unique<QRegion>())
{
    m_region->swap(*Other.m_region);
}

TRegion& TRegion::operator=(TRegion&& Other) noexcept
{
    m_region->swap(*Other.m_region);
    return *this;
}

TRegion TRegion::CreateRect(const TRect& R)
{
    if (R.IsEmpty())
        return TRegion();
    return TRegion(QRegion(ToQRect(R)));
}

TRegion TRegion::CreateEllipse(const TRect& R)
{
    if (R.IsEmpty())
        return TRegion();
    return TRegion(QRegion(ToQRect(R), QRegion::Ellipse));
}

TRegion TRegion::CreatePolygon(const std::vector<TPoint>& Points)
{
    QPolygon poly;
    for (const TPoint& p : Points)
        poly << QPoint(p.X, p.Y);
    return TRegion(QRegion(poly, Qt::OddEvenFill));
}

void TRegion::Combine(const TRegion& A, const TRegion& B, TRegionCombine Mode)
{
    switch (Mode) {
    case RGN_AND: *m_region = A.m_region->intersected(*B.m_region); break;
    case RGN_OR: *m_region = A.m_region->united(*B.m_region); break;
    case RGN_XOR: *m_region = A.m_region->xored(*B.m_region); break;
    case RGN_DIFF: *m_region = A.m_region->subtracted(*B.m_region); break;
    case RGN_COPY: *m_region = *A.m_region; break;
    }
}

TRegion TRegion::Combined(const TRegion& A, const TRegion& B, TRegionCombine Mode)
{
    TRegion r;
    r.Combine(A, B, Mode);
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

bool TRegion::Contains(TPoint P) const { return m_region->contains(QPoint(P.X, P.Y)); }

bool TRegion::RectIn(const TRect& R) const
{
    return !R.IsEmpty() && m_region->intersects(ToQRect(R));
}

void TRegion::Offset(int Dx, int Dy) { m_region->translate(Dx, Dy); }

std::vector<TRect> TRegion::Rects() const
{
    std::vector<TRect> out;
    for (const QRect& q : *m_region)
        out.push_back(TRect{q.left(), q.top(), q.left() + q.width(), q.top() + q.height()});
    return out;
}

bool TRegion::operator==(const TRegion& Other) const { return *m_region == *Other.m_region; }

} // namespace qel
