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

TImageList::TImageList(int Width, int Height, TComponent* AOwner) : TComponent(AOwner)
{
    SetSize(Width, Height);
}

TImageList::~TImageList() = default;

void TImageList::SetWidth(int Width) { SetSize(Width, m_height); }
void TImageList::SetHeight(int Height) { SetSize(m_width, Height); }

void TImageList::SetSize(int Width, int Height)
{
    Width = std::max(1, Width);
    Height = std::max(1, Height);
    if (Width == m_width && Height == m_height)
        return;
    if (static_cast<long long>(Width) * Height > MaxBitmapPixels)
        throw EOutOfResources("Out of Resources");
    m_width = Width;
    m_height = Height;
    m_images.clear();
    Change();
}

void TImageList::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EInvalidOperation("Invalid ImageList Index");
}

void TImageList::AddEntry(const QImage& Rgba, int At)
{
    auto e = std::make_unique<Entry>();
    e->image = QImage(m_width, m_height, QImage::Format_ARGB32);
    e->image.fill(Qt::transparent);
    QPainter p(&e->image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, Rgba);
    p.end();
    m_images.insert(m_images.begin() + At, std::move(e));
}

int TImageList::Add(const TBitmap* Image, const TBitmap* Mask)
{
    if (!Image || Image->Empty())
        return -1;
    QImage src = Image->Image().convertToFormat(QImage::Format_ARGB32);
    if (Mask && !Mask->Empty() && m_masked) {
        const QImage& m = Mask->Image();
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

int TImageList::AddMasked(const TBitmap* Image, TColor MaskColor)
{
    if (!Image || Image->Empty())
        return -1;
    if (!m_masked)
        return Add(Image, nullptr);
    const auto mask = Image->CreateMask(MaskColor);
    return Add(Image, mask.get());
}

int TImageList::AddIcon(const TIcon* Icon)
{
    if (!Icon || Icon->Empty())
        return -1;
    const QImage scaled = Icon->Image().scaled(m_width, m_height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    AddEntry(scaled, Count());
    Change();
    return Count() - 1;
}

void TImageList::Replace(int Index, const TBitmap* Image, const TBitmap* Mask)
{
    CheckIndex(Index);
    if (!Image || Image->Empty())
        return;
    TImageList tmp(m_width, m_height);
    tmp.SetMasked(m_masked);
    tmp.Add(Image, Mask);
    m_images[std::size_t(Index)] = std::move(tmp.m_images.front());
    Change();
}

void TImageList::Delete(int Index)
{
    CheckIndex(Index);
    m_images.erase(m_images.begin() + Index);
    Change();
}

void TImageList::Clear()
{
    if (m_images.empty())
        return;
    m_images.clear();
    Change();
}

void TImageList::Move(int CurIndex, int NewIndex)
{
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    if (CurIndex == NewIndex)
        return;
    auto e = std::move(m_images[std::size_t(CurIndex)]);
    m_images.erase(m_images.begin() + CurIndex);
    m_images.insert(m_images.begin() + NewIndex, std::move(e));
    Change();
}

void TImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) const
{
    Draw(Canvas, X, Y, Index, dsNormal, itImage, Enabled);
}

void TImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, TDrawingStyle, TImageType Type,
                      bool Enabled) const
{
    if (!Canvas || Index < 0 || Index >= Count())
        return;
    QPainter* p = Canvas->Painter();
    if (!p)
        return;
    const QImage& img = m_images[std::size_t(Index)]->image;
    const TRect d = Canvas->LPtoDP(TRect{X, Y, X + m_width, Y + m_height});
    const QRect target(std::min(d.Left, d.Right), std::min(d.Top, d.Bottom), std::abs(d.Width()),
                       std::abs(d.Height()));
    if (target.isEmpty())
        return;
    if (Type == itMask) {
        QImage mask(img.size(), QImage::Format_ARGB32);
        for (int yy = 0; yy < img.height(); ++yy)
            for (int xx = 0; xx < img.width(); ++xx)
                mask.setPixel(xx, yy, qAlpha(img.pixel(xx, yy)) >= 128 ? 0xFF000000 : 0xFFFFFFFF);
        p->drawImage(target, mask);
        return;
    }
    if (Enabled) {
        p->drawImage(target, img);
        return;
    }
    // Greyed: the shape is every visible pixel that is not white; it is drawn
    // in the highlight colour one pixel down-right, then in the shadow colour.
    auto shape = [&](TColor Color) {
        QImage s(img.size(), QImage::Format_ARGB32);
        const QRgb c = ToQColor(Color).rgb();
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

void TImageList::GetBitmap(int Index, TBitmap* Image) const
{
    if (!Image || Index < 0 || Index >= Count())
        return;
    Image->SetSize(m_width, m_height);
    TCanvas* c = Image->Canvas();
    c->Brush()->SetColor(m_bkColor == clNone ? clWhite : m_bkColor);
    c->FillRect(TRect{0, 0, m_width, m_height});
    Draw(c, 0, 0, Index, true);
}

void TImageList::GetMask(int Index, TBitmap* Mask) const
{
    if (!Mask || Index < 0 || Index >= Count())
        return;
    Mask->SetSize(m_width, m_height);
    Draw(Mask->Canvas(), 0, 0, Index, dsNormal, itMask, true);
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
