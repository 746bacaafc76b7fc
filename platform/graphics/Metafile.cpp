#include "platform/graphics/Metafile.h"

#include "platform/core/Exceptions.h"

#include <QPainter>
#include <QPicture>

#include <cmath>

namespace qel {

TMetafile::TMetafile() : m_picture(std::make_unique<QPicture>()) {}
TMetafile::~TMetafile() = default;

bool TMetafile::Empty() const
{
    return m_records.empty() && m_picture->isNull();
}

void TMetafile::SetWidth(int Width)
{
    m_width = std::max(0, Width);
    Changed();
}

void TMetafile::SetHeight(int Height)
{
    m_height = std::max(0, Height);
    Changed();
}

void TMetafile::Clear()
{
    m_picture = std::make_unique<QPicture>();
    m_records.clear();
    Changed();
}

void TMetafile::LoadFromStream(TStream&)
{
    throw EInvalidGraphic("Unsupported picture format");
}

void TMetafile::SaveToStream(TStream&) const
{
    throw EInvalidGraphic("Unsupported picture format");
}

void TMetafile::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TMetafile*>(Source);
    if (!src) {
        TGraphic::Assign(Source);
        return;
    }
    if (src == this)
        return;
    *m_picture = *src->m_picture;
    m_records = src->m_records;
    m_width = src->m_width;
    m_height = src->m_height;
    m_ppi = src->m_ppi;
    Changed();
}

void TMetafile::Draw(TCanvas& Canvas, const TRect& R) const
{
    QPainter* p = Canvas.Painter();
    if (!p)
        return;
    const TRect d = Canvas.LPtoDP(R);
    const int w = m_width > 0 ? m_width : m_picture->boundingRect().right() + 1;
    const int h = m_height > 0 ? m_height : m_picture->boundingRect().bottom() + 1;
    if (w <= 0 || h <= 0 || d.Width() == 0 || d.Height() == 0)
        return;
    const double sx = double(d.Width()) / w;
    const double sy = double(d.Height()) / h;
    p->save();
    p->translate(d.Left, d.Top);
    p->scale(sx, sy);
    p->drawPicture(0, 0, *m_picture);
    p->restore();
    // A recording target sees the replayed operations, scaled.
    for (const TCanvasRecord& rec : m_records) {
        auto X = [&](int V) { return d.Left + int(std::lround(V * sx)); };
        auto Y = [&](int V) { return d.Top + int(std::lround(V * sy)); };
        Canvas.Record(rec.Op.c_str(), TRect{X(rec.Rect.Left), Y(rec.Rect.Top), X(rec.Rect.Right), Y(rec.Rect.Bottom)},
                      rec.Text);
    }
}

// ----------------------------------------------------------------------------

TMetafileCanvas::TMetafileCanvas(TMetafile* Metafile, TCanvas* Reference)
    : m_metafile(Metafile), m_picture(std::make_unique<QPicture>())
{
    TDeviceCaps caps;
    caps.Technology = DT_METAFILE;
    const int ppi = Reference ? Reference->GetDeviceCaps(LOGPIXELSX) : (Metafile ? Metafile->PixelsPerInch() : 96);
    caps.LogPixelsX = caps.LogPixelsY = ppi > 0 ? ppi : 96;
    if (Metafile) {
        Metafile->SetPixelsPerInch(caps.LogPixelsX);
        caps.HorzRes = caps.PhysicalWidth = Metafile->Width();
        caps.VertRes = caps.PhysicalHeight = Metafile->Height();
        caps.HorzSize = int(std::lround(Metafile->Width() * 25.4 / caps.LogPixelsX));
        caps.VertSize = int(std::lround(Metafile->Height() * 25.4 / caps.LogPixelsY));
    }
    SetDeviceCaps(caps);
    m_ownPainter = std::make_unique<QPainter>();
    if (m_ownPainter->begin(m_picture.get()))
        PainterStarted(m_ownPainter.get(), m_picture.get());
}

TMetafileCanvas::~TMetafileCanvas()
{
    try {
        Finish();
    } catch (...) {
        // Nothing may escape a destructor; the recording is lost.
    }
}

void TMetafileCanvas::Finish()
{
    if (!m_ownPainter || !m_ownPainter->isActive())
        return;
    m_ownPainter->end();
    PainterEnded();
    if (m_metafile) {
        m_metafile->m_picture = std::move(m_picture);
        m_metafile->m_records = std::move(m_records);
        m_metafile->Changed();
    }
    m_picture = std::make_unique<QPicture>();
    m_records.clear();
}

void TMetafileCanvas::Record(const char* Op, const TRect& DeviceBounds, const std::string& Text)
{
    m_records.push_back({Op, DeviceBounds, Text});
}

TRect TMetafileCanvas::DeviceBounds() const
{
    if (m_metafile && m_metafile->Width() > 0 && m_metafile->Height() > 0)
        return {0, 0, m_metafile->Width(), m_metafile->Height()};
    // An unsized recording has no edge.
    return {-(1 << 24), -(1 << 24), 1 << 24, 1 << 24};
}

} // namespace qel
