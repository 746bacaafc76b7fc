#include "platform/graphics/ImageList.h"

#include "platform/core/Exceptions.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

namespace qel {

struct TImageList::Entry {
    QImage image;   // ARGB32; alpha 0 where the mask is transparent
};

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner) {}

TImageList::TImageList(int width, int height, TComponent* AOwner) : TComponent(AOwner)
{
    SetSize(width, height);
}

TImageList::~TImageList() = default;

void TImageList::SetWidth(int width) { SetSize(width, m_height); }
void TImageList::SetHeight(int height) { SetSize(m_width, height); }

void TImageList::SetSize(int width, int height)
{
    width = std::max(1, width);
    height = std::max(1, height);
    if (width == m_width && height == m_height)
        return;
    if (static_cast<long long>(width) * height > MaxBitmapPixels)
        throw EOutOfResources("Out of Resources");
    m_width = width;
    m_height = height;
    m_images.clear();
    Change();
}

void TImageList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw EInvalidOperation("Invalid ImageList Index");
}

void TImageList::AddEntry(const QImage& rgba, int at)
{
    auto e = std::make_unique<Entry>();
    e->image = QImage(m_width, m_height, QImage::Format_ARGB32);
    e->image.fill(Qt::transparent);
    QPainter p(&e->image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, rgba);
    p.end();
    m_images.insert(m_images.begin() + at, std::move(e));
}

int TImageList::Add(const TBitmap* image, const TBitmap* mask)
{
    if (!image || image->Empty())
        return -1;
    QImage src = image->Image().convertToFormat(QImage::Format_ARGB32);
    if (mask && !mask->Empty() && m_masked) {
        const QImage& m = mask->Image();
        for (int y = 0; y < src.height(); ++y) {
            QRgb* line = reinterpret_cast<QRgb*>(src.scanLine(y));
            for (int x = 0; x < src.width(); ++x)
                if (m.valid(x, y) && (m.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF)
                    line[x] = 0;
        }
    }
    const int first = Count();
    // A strip wider than one image adds one image per full width.
    const int n = std::max(1, src.width() / m_width);
    for (int i = 0; i < n; ++i)
        AddEntry(src.copy(i * m_width, 0, m_width, m_height), Count());
    Change();
    return first;
}

int TImageList::AddMasked(const TBitmap* image, TColor maskColor)
{
    if (!image || image->Empty())
        return -1;
    if (!m_masked)
        return Add(image, nullptr);
    const auto mask = image->CreateMask(maskColor);
    return Add(image, mask.get());
}

int TImageList::AddIcon(const TIcon* icon)
{
    if (!icon || icon->Empty())
        return -1;
    const QImage scaled = icon->Image().scaled(m_width, m_height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    AddEntry(scaled, Count());
    Change();
    return Count() - 1;
}

void TImageList::Replace(int index, const TBitmap* image, const TBitmap* mask)
{
    CheckIndex(index);
    if (!image || image->Empty())
        return;
    TImageList tmp(m_width, m_height);
    tmp.SetMasked(m_masked);
    tmp.Add(image, mask);
    m_images[std::size_t(index)] = std::move(tmp.m_images.front());
    Change();
}

void TImageList::Delete(int index)
{
    CheckIndex(index);
    m_images.erase(m_images.begin() + index);
    Change();
}

void TImageList::Clear()
{
    if (m_images.empty())
        return;
    m_images.clear();
    Change();
}

void TImageList::Move(int curIndex, int newIndex)
{
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    if (curIndex == newIndex)
        return;
    auto e = std::move(m_images[std::size_t(curIndex)]);
    m_images.erase(m_images.begin() + curIndex);
    m_images.insert(m_images.begin() + newIndex, std::move(e));
    Change();
}

void TImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) const
{
    Draw(canvas, x, y, index, dsNormal, itImage, enabled);
}

void TImageList::Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle, TImageType type,
                      bool enabled) const
{
    if (!canvas || index < 0 || index >= Count())
        return;
    QPainter* p = canvas->Painter();
    if (!p)
        return;
    const QImage& img = m_images[std::size_t(index)]->image;
    const TRect d = canvas->LPtoDP(TRect{x, y, x + m_width, y + m_height});
    const QRect target(std::min(d.Left, d.Right), std::min(d.Top, d.Bottom), std::abs(d.Width()),
                       std::abs(d.Height()));
    if (target.isEmpty())
        return;
    if (type == itMask) {
        QImage mask(img.size(), QImage::Format_ARGB32);
        for (int yy = 0; yy < img.height(); ++yy)
            for (int xx = 0; xx < img.width(); ++xx)
                mask.setPixel(xx, yy, qAlpha(img.pixel(xx, yy)) >= 128 ? 0xFF000000 : 0xFFFFFFFF);
        p->drawImage(target, mask);
        return;
    }
    if (enabled) {
        p->drawImage(target, img);
        return;
    }
    // Greyed: the shape is every visible pixel that is not white; it is drawn
    // in the highlight colour one pixel down-right, then in the shadow colour.
    auto shape = [&](TColor color) {
        QImage s(img.size(), QImage::Format_ARGB32);
        const QRgb c = ToQColor(color).rgb();
        for (int yy = 0; yy < img.height(); ++yy) {
            const QRgb* in = reinterpret_cast<const QRgb*>(img.constScanLine(yy));
            QRgb* out = reinterpret_cast<QRgb*>(s.scanLine(yy));
            for (int xx = 0; xx < img.width(); ++xx)
                out[xx] = (qAlpha(in[xx]) >= 128 && (in[xx] & 0xFFFFFF) != 0xFFFFFF) ? c : 0;
        }
        return s;
    };
    const int ox = std::max(1, target.width() / std::max(1, m_width));
    const int oy = std::max(1, target.height() / std::max(1, m_height));
    p->drawImage(target.translated(ox, oy), shape(clBtnHighlight));
    p->drawImage(target, shape(clBtnShadow));
}

void TImageList::GetBitmap(int index, TBitmap* image) const
{
    if (!image || index < 0 || index >= Count())
        return;
    image->SetSize(m_width, m_height);
    TCanvas* c = image->Canvas();
    c->Brush()->SetColor(m_bkColor == clNone ? clWhite : m_bkColor);
    c->FillRect(TRect{0, 0, m_width, m_height});
    Draw(c, 0, 0, index, true);
}

void TImageList::GetMask(int index, TBitmap* mask) const
{
    if (!mask || index < 0 || index >= Count())
        return;
    mask->SetSize(m_width, m_height);
    Draw(mask->Canvas(), 0, 0, index, dsNormal, itMask, true);
}

void TImageList::EndUpdate()
{
    if (m_updateCount > 0 && --m_updateCount == 0 && m_changedInUpdate) {
        m_changedInUpdate = false;
        Change();
    }
}

void TImageList::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TImageList*>(Source);
    if (!src) {
        TComponent::Assign(Source);
        return;
    }
    if (src == this)
        return;
    m_width = src->m_width;
    m_height = src->m_height;
    m_masked = src->m_masked;
    m_bkColor = src->m_bkColor;
    m_images.clear();
    for (const auto& e : src->m_images)
        m_images.push_back(std::make_unique<Entry>(*e));
    Change();
}

void TImageList::Change()
{
    if (m_updateCount > 0) {
        m_changedInUpdate = true;
        return;
    }
    if (!m_changes.Notify(this))
        return;
    if (OnChange)
        OnChange(this);
}

} // namespace qel
