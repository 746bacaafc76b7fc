#include "platform/graphics/Canvas.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/detail/FrameControls.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QRegion>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace qel {

struct TCanvas::Impl {
    QTransform base;                  // the attached painter's own transform
    std::optional<QRegion> baseClip;  // the attached painter's own clip
};

struct TCanvas::SavedState {
    std::unique_ptr<TFont> font;
    std::unique_ptr<TPen> pen;
    std::unique_ptr<TBrush> brush;
    int bkMode;
    TColor bkColor;
    TPoint penPos;
    TPoint brushOrigin;
    MapState map;
    std::optional<TRegion> clip;
};

namespace {

QRect Q(const TRect& R) { return QRect(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top); }

// Narrows the painter's clip to `R` (see ApplyClip for why clipping is switched on first).
void IntersectPainterClip(QPainter* P, const QRect& R)
{
    if (!P->hasClipping()) {
        P->setClipping(true);
        P->setClipRect(R, Qt::ReplaceClip);
    } else {
        P->setClipRect(R, Qt::IntersectClip);
    }
}

TRect Normalized(TRect R)
{
    if (R.Left > R.Right)
        std::swap(R.Left, R.Right);
    if (R.Top > R.Bottom)
        std::swap(R.Top, R.Bottom);
    return R;
}

bool HasRasterOps(QPainter* P)
{
    return P->paintEngine() && P->paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
}

// Applies the pen mode; answers false when nothing is to be drawn (pmNop).
bool ApplyRop(QPainter* P, TPenMode Mode, QColor& Color)
{
    QPainter::CompositionMode cm = QPainter::CompositionMode_SourceOver;
    switch (Mode) {
    case pmBlack: Color = Qt::black; break;
    case pmWhite: Color = Qt::white; break;
    case pmNop: return false;
    case pmCopy: break;
    case pmNotCopy: Color = QColor(255 - Color.red(), 255 - Color.green(), 255 - Color.blue()); break;
    case pmNot: cm = QPainter::RasterOp_NotDestination; break;
    case pmXor: cm = QPainter::RasterOp_SourceXorDestination; break;
    case pmNotXor: cm = QPainter::RasterOp_NotSourceXorDestination; break;
    case pmMerge: cm = QPainter::RasterOp_SourceOrDestination; break;
    case pmMask: cm = QPainter::RasterOp_SourceAndDestination; break;
    case pmNotMerge: cm = QPainter::RasterOp_NotSourceAndNotDestination; break;
    case pmNotMask: cm = QPainter::RasterOp_NotSourceOrNotDestination; break;
    case pmMergePenNot: cm = QPainter::RasterOp_SourceOrNotDestination; break;
    case pmMaskPenNot: cm = QPainter::RasterOp_SourceAndNotDestination; break;
    case pmMergeNotPen: cm = QPainter::RasterOp_NotSourceOrDestination; break;
    case pmMaskNotPen: cm = QPainter::RasterOp_NotSourceAndDestination; break;
    }
    if (cm != QPainter::CompositionMode_SourceOver) {
        // Devices without raster operations (PDF, recordings) draw a plain copy.
        if (!HasRasterOps(P))
            cm = QPainter::CompositionMode_SourceOver;
    }
    P->setCompositionMode(cm);
    return true;
}

// Qt's hatch patterns for the platform's brush styles.
Qt::BrushStyle HatchStyle(TBrushStyle S)
{
    switch (S) {
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
    }
}

// Splits UTF-8 into a QString.
QString QS(const std::string& S) { return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size())); }

// Integer cell metrics the way the platform reports them.
struct CellMetrics {
    int ascent;
    int descent;
    int height;
    double aveCharWidth;
};

CellMetrics Metrics(const QFont& F)
{
    QFontMetricsF fm(F);
    CellMetrics m;
    m.ascent = RoundToInt(fm.ascent());
    m.descent = RoundToInt(fm.descent());
    m.height = m.ascent + m.descent;
    m.aveCharWidth = fm.averageCharWidth();
    if (m.aveCharWidth <= 0)
        m.aveCharWidth = fm.horizontalAdvance(QLatin1Char('x'));
    return m;
}

// The UTF-16 units of a QString, as the text layout reads them.
std::u16string_view U16(const QString& S)
{
    return std::u16string_view(reinterpret_cast<const char16_t*>(S.utf16()), std::size_t(S.size()));
}

QString FromU16(std::u16string_view S)
{
    return QString(reinterpret_cast<const QChar*>(S.data()), qsizetype(S.size()));
}

} // namespace

// ============================================================================
// Construction and targets

TCanvas::TCanvas()
    : m_font(std::make_unique<TFont>()), m_pen(std::make_unique<TPen>()),
      m_brush(std::make_unique<TBrush>()), m_impl(std::make_unique<Impl>())
{
    m_brushLink.Connect(m_brush->Changes(), [this](TObject*) { BrushChanged(); });
}

TCanvas::TCanvas(QPainter* Painter, QPaintDevice* Device) : TCanvas()
{
    Attach(Painter, Device);
}

// An attached painter may already be gone when the canvas is freed, so the
// destructor leaves it alone; callers Detach while it is alive.
TCanvas::~TCanvas() = default;

void TCanvas::Attach(QPainter* Painter, QPaintDevice* Device)
{
    Detach();
    // A new painter is a new device context: a clip region, mapping or saved
    // state left by the last one (a control's previous paint) must not narrow
    // or shift this one. Font, pen and brush are the canvas's own and stay.
    m_clip.reset();
    m_map = {};
    m_saved.clear();
    m_device = Device ? Device : (Painter ? Painter->device() : nullptr);
    if (!Painter || !Painter->isActive())
        return;
    Painter->save();
    m_attached = true;
    m_painter = Painter;
    m_impl->base = Painter->worldTransform();
    if (Painter->hasClipping())
        m_impl->baseClip = Painter->clipRegion();
    else
        m_impl->baseClip.reset();
    if (!m_capsFixed && m_device) {
        switch (m_device->devType()) {
        case QInternal::Printer: m_caps.Technology = DT_RASPRINTER; break;
        case QInternal::Picture: m_caps.Technology = DT_METAFILE; break;
        default: m_caps.Technology = DT_RASDISPLAY; break;
        }
        m_caps.LogPixelsX = m_device->logicalDpiX() > 0 ? m_device->logicalDpiX() : 96;
        m_caps.LogPixelsY = m_device->logicalDpiY() > 0 ? m_device->logicalDpiY() : 96;
    }
    PainterStarted(Painter, m_device);
}

void TCanvas::Detach()
{
    if (m_attached) {
        if (m_painter && m_painter->isActive())
            m_painter->restore();
        m_attached = false;
        m_painter = nullptr;
        m_device = nullptr;
        m_impl->base = QTransform();
        m_impl->baseClip.reset();
    }
}

void TCanvas::PainterStarted(QPainter* Painter, QPaintDevice* Device)
{
    m_painter = Painter;
    if (Device)
        m_device = Device;
    if (!m_attached)
        m_impl->base = Painter->worldTransform();
    Painter->setRenderHint(QPainter::Antialiasing, false);
    Painter->setRenderHint(QPainter::TextAntialiasing, true);
    Painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    ApplyClip();
}

void TCanvas::PainterEnded()
{
    m_painter = nullptr;
}

bool TCanvas::HandleAllocated()
{
    return Ready() != nullptr;
}

QPainter* TCanvas::Ready()
{
    if (!m_painter)
        m_painter = AcquirePainter();
    if (!m_painter || !m_painter->isActive())
        return nullptr;
    // An empty clip region hides everything; Qt would treat it as no clip.
    if (m_clip && m_clip->IsEmpty())
        return nullptr;
    m_painter->setTransform(m_impl->base);
    m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_painter->setOpacity(1.0);
    return m_painter;
}

QPainter* TCanvas::Painter()
{
    return Ready();
}

TRect TCanvas::DeviceBounds() const
{
    if (!m_device)
        return TRect{};
    return TRect{0, 0, m_device->width(), m_device->height()};
}

void TCanvas::Record(const char*, const TRect&, const std::string&) {}
void TCanvas::Changing()
{
    if (OnChanging)
        OnChanging(this);
}
void TCanvas::Changed()
{
    if (OnChange)
        OnChange(this);
}

// ============================================================================
// Background and colours

void TCanvas::BrushChanged()
{
    // Selecting a brush sets the background the way the platform's canvas does.
    if (m_brush->Style() == bsSolid && !m_brush->HasPattern()) {
        m_bkMode = OPAQUE;
        m_bkColor = m_brush->Color();
    } else {
        m_bkMode = TRANSPARENT;
    }
}

int TCanvas::SetBkMode(int Mode)
{
    const int old = m_bkMode;
    if (Mode == TRANSPARENT || Mode == OPAQUE)
        m_bkMode = Mode;
    return old;
}

TColor TCanvas::SetBkColor(TColor Color)
{
    const TColor old = m_bkColor;
    m_bkColor = Color;
    return old;
}

TColor TCanvas::SetTextColor(TColor Color)
{
    const TColor old = m_font->Color();
    m_font->SetColor(Color);
    return old;
}

// ============================================================================
// Mapping

double TCanvas::ScaleX() const
{
    return m_map.Mode == MM_TEXT ? 1.0 : double(m_map.VpExt.cx) / double(m_map.WndExt.cx);
}

double TCanvas::ScaleY() const
{
    return m_map.Mode == MM_TEXT ? 1.0 : double(m_map.VpExt.cy) / double(m_map.WndExt.cy);
}

int TCanvas::SetMapMode(int Mode)
{
    const int old = m_map.Mode;
    if (Mode != MM_TEXT && Mode != MM_ISOTROPIC && Mode != MM_ANISOTROPIC)
        return 0;
    m_map.Mode = Mode;
    if (Mode == MM_TEXT) {
        m_map.WndExt = {1, 1};
        m_map.VpExt = {1, 1};
    } else if (Mode == MM_ISOTROPIC) {
        FixIsotropic();
    }
    return old;
}

void TCanvas::FixIsotropic()
{
    // Both axes use the smaller ratio; the viewport extent gives way, keeping its sign.
    if (m_map.Mode != MM_ISOTROPIC || m_map.WndExt.cx == 0 || m_map.WndExt.cy == 0)
        return;
    const double xdim = std::fabs(double(m_map.VpExt.cx) / m_map.WndExt.cx);
    const double ydim = std::fabs(double(m_map.VpExt.cy) / m_map.WndExt.cy);
    if (xdim == ydim || xdim == 0 || ydim == 0)
        return;
    if (xdim > ydim) {
        const int minimum = m_map.VpExt.cx >= 0 ? 1 : -1;
        m_map.VpExt.cx = RoundToInt(m_map.VpExt.cx * (ydim / xdim));
        if (m_map.VpExt.cx == 0)
            m_map.VpExt.cx = minimum;
    } else {
        const int minimum = m_map.VpExt.cy >= 0 ? 1 : -1;
        m_map.VpExt.cy = RoundToInt(m_map.VpExt.cy * (xdim / ydim));
        if (m_map.VpExt.cy == 0)
            m_map.VpExt.cy = minimum;
    }
}

void TCanvas::SetWindowExt(int Cx, int Cy)
{
    // Extents only count in the scalable modes, and never zero.
    if (m_map.Mode == MM_TEXT || Cx == 0 || Cy == 0)
        return;
    m_map.WndExt = {Cx, Cy};
    FixIsotropic();
}

void TCanvas::SetViewportExt(int Cx, int Cy)
{
    if (m_map.Mode == MM_TEXT || Cx == 0 || Cy == 0)
        return;
    m_map.VpExt = {Cx, Cy};
    FixIsotropic();
}

void TCanvas::SetWindowOrg(int X, int Y) { m_map.WndOrg = {X, Y}; }
void TCanvas::SetViewportOrg(int X, int Y) { m_map.VpOrg = {X, Y}; }
void TCanvas::OffsetWindowOrg(int Dx, int Dy) { m_map.WndOrg.X += Dx; m_map.WndOrg.Y += Dy; }
void TCanvas::OffsetViewportOrg(int Dx, int Dy) { m_map.VpOrg.X += Dx; m_map.VpOrg.Y += Dy; }

QPointF TCanvas::DevPointF(double Lx, double Ly) const
{
    return QPointF((Lx - m_map.WndOrg.X) * ScaleX() + m_map.VpOrg.X,
                   (Ly - m_map.WndOrg.Y) * ScaleY() + m_map.VpOrg.Y);
}

TPoint TCanvas::LPtoDP(TPoint P) const
{
    const QPointF d = DevPointF(P.X, P.Y);
    return {RoundToInt(d.x()), RoundToInt(d.y())};
}

TPoint TCanvas::DPtoLP(TPoint P) const
{
    return {RoundToInt((P.X - m_map.VpOrg.X) / ScaleX() + m_map.WndOrg.X),
            RoundToInt((P.Y - m_map.VpOrg.Y) / ScaleY() + m_map.WndOrg.Y)};
}

TRect TCanvas::LPtoDP(const TRect& R) const
{
    const TPoint a = LPtoDP(R.TopLeft());
    const TPoint b = LPtoDP(R.BottomRight());
    return {a.X, a.Y, b.X, b.Y};
}

TRect TCanvas::DPtoLP(const TRect& R) const
{
    const TPoint a = DPtoLP(R.TopLeft());
    const TPoint b = DPtoLP(R.BottomRight());
    return {a.X, a.Y, b.X, b.Y};
}

void TCanvas::LPtoDP(TPoint* Points, int Count) const
{
    for (int i = 0; i < Count; ++i)
        Points[i] = LPtoDP(Points[i]);
}

void TCanvas::DPtoLP(TPoint* Points, int Count) const
{
    for (int i = 0; i < Count; ++i)
        Points[i] = DPtoLP(Points[i]);
}

int TCanvas::DevLen(int Logical, bool Horizontal) const
{
    return RoundToInt(std::fabs(Logical * (Horizontal ? ScaleX() : ScaleY())));
}

TRect TCanvas::DevRectNormalized(const TRect& Logical) const
{
    return Normalized(LPtoDP(Logical));
}

TRect TCanvas::DevRectOriented(const TRect& Logical) const
{
    // An axis the mapping flips is turned back, so a rectangle that is
    // proper in logical units is proper in device units; an inverted one stays inverted.
    TRect d = LPtoDP(Logical);
    if (ScaleX() < 0)
        std::swap(d.Left, d.Right);
    if (ScaleY() < 0)
        std::swap(d.Top, d.Bottom);
    return d;
}

// ============================================================================
// Device capabilities

void TCanvas::RefreshCaps() const
{
    if (m_capsFixed)
        return;
    const TRect b = DeviceBounds();
    m_caps.HorzRes = m_caps.PhysicalWidth = b.Width();
    m_caps.VertRes = m_caps.PhysicalHeight = b.Height();
    m_caps.PhysicalOffsetX = m_caps.PhysicalOffsetY = 0;
    m_caps.HorzSize = m_caps.LogPixelsX > 0 ? RoundToInt(b.Width() * 25.4 / m_caps.LogPixelsX) : 0;
    m_caps.VertSize = m_caps.LogPixelsY > 0 ? RoundToInt(b.Height() * 25.4 / m_caps.LogPixelsY) : 0;
}

int TCanvas::GetDeviceCaps(int Index) const
{
    RefreshCaps();
    switch (Index) {
    case TECHNOLOGY: return m_caps.Technology;
    case HORZSIZE: return m_caps.HorzSize;
    case VERTSIZE: return m_caps.VertSize;
    case HORZRES: return m_caps.HorzRes;
    case VERTRES: return m_caps.VertRes;
    case BITSPIXEL: return m_caps.BitsPixel;
    case LOGPIXELSX: return m_caps.LogPixelsX;
    case LOGPIXELSY: return m_caps.LogPixelsY;
    case PHYSICALWIDTH: return m_caps.PhysicalWidth;
    case PHYSICALHEIGHT: return m_caps.PhysicalHeight;
    case PHYSICALOFFSETX: return m_caps.PhysicalOffsetX;
    case PHYSICALOFFSETY: return m_caps.PhysicalOffsetY;
    default: return 0;
    }
}

// ============================================================================
// Clipping

std::optional<TRegion> TCanvas::EffectiveClip() const
{
    if (m_clip && m_impl->baseClip)
        return TRegion(m_clip->Qt().intersected(*m_impl->baseClip));
    if (m_clip)
        return m_clip;
    if (m_impl->baseClip)
        return TRegion(*m_impl->baseClip);
    return std::nullopt;
}

void TCanvas::ApplyClip()
{
    if (!m_painter || !m_painter->isActive())
        return;
    m_painter->setTransform(m_impl->base);
    if (auto clip = EffectiveClip()) {
        // The raster engine ignores a new region that replaces a clip switched
        // off by setClipping(false); switching it on first avoids that.
        if (!m_painter->hasClipping())
            m_painter->setClipping(true);
        m_painter->setClipRegion(clip->Qt());
    } else {
        m_painter->setClipping(false);
    }
}

int TCanvas::IntersectClipRect(const TRect& R)
{
    const TRegion rect = TRegion::CreateRect(DevRectOriented(R));
    if (m_clip)
        m_clip = TRegion::Combined(*m_clip, rect, RGN_AND);
    else
        m_clip = rect;
    ApplyClip();
    return m_clip->IsEmpty() ? 1 : 2;
}

int TCanvas::ExcludeClipRect(const TRect& R)
{
    const TRegion rect = TRegion::CreateRect(DevRectOriented(R));
    const TRegion current = m_clip ? *m_clip : TRegion::CreateRect(DeviceBounds());
    m_clip = TRegion::Combined(current, rect, RGN_DIFF);
    ApplyClip();
    return m_clip->IsEmpty() ? 1 : 2;
}

int TCanvas::SelectClipRgn(const TRegion* Region)
{
    if (Region)
        m_clip = *Region;
    else
        m_clip.reset();
    ApplyClip();
    return m_clip && m_clip->IsEmpty() ? 1 : 2;
}

int TCanvas::ExtSelectClipRgn(const TRegion* Region, TRegionCombine Mode)
{
    if (Mode == RGN_COPY || !Region)
        return SelectClipRgn(Mode == RGN_COPY ? Region : nullptr);
    const TRegion current = m_clip ? *m_clip : TRegion::CreateRect(DeviceBounds());
    m_clip = TRegion::Combined(current, *Region, Mode);
    ApplyClip();
    return m_clip->IsEmpty() ? 1 : 2;
}

bool TCanvas::GetClipRgn(TRegion& Region) const
{
    if (!m_clip)
        return false;
    Region = *m_clip;
    return true;
}

TRect TCanvas::ClipRect()
{
    TRect box = DeviceBounds();
    if (auto clip = EffectiveClip()) {
        TRect b = clip->BoundingBox();
        if (!box.IsEmpty())
            IntersectRect(b, b, box);
        box = b;
    }
    return Normalized(DPtoLP(box));
}

bool TCanvas::RectVisible(const TRect& R)
{
    const TRect d = Normalized(LPtoDP(R));
    if (d.IsEmpty())
        return false;
    if (auto clip = EffectiveClip())
        return clip->RectIn(d);
    const TRect b = DeviceBounds();
    TRect dummy;
    return b.IsEmpty() || IntersectRect(dummy, b, d);
}

bool TCanvas::PtVisible(int X, int Y)
{
    const TPoint d = LPtoDP(TPoint{X, Y});
    if (auto clip = EffectiveClip())
        return clip->Contains(d);
    const TRect b = DeviceBounds();
    return b.IsEmpty() || b.Contains(d);
}

// ============================================================================
// Saved states

int TCanvas::SaveDC()
{
    SavedState s;
    s.font = std::make_unique<TFont>();
    s.font->SetPixelsPerInch(m_font->PixelsPerInch());
    s.font->Assign(m_font.get());
    s.pen = std::make_unique<TPen>();
    s.pen->Assign(m_pen.get());
    s.brush = std::make_unique<TBrush>();
    s.brush->Assign(m_brush.get());
    s.bkMode = m_bkMode;
    s.bkColor = m_bkColor;
    s.penPos = m_penPos;
    s.brushOrigin = m_brushOrigin;
    s.map = m_map;
    s.clip = m_clip;
    m_saved.push_back(std::move(s));
    return static_cast<int>(m_saved.size());
}

bool TCanvas::RestoreDC(int Level)
{
    const int count = static_cast<int>(m_saved.size());
    if (Level < 0)
        Level = count + 1 + Level;
    if (Level < 1 || Level > count)
        return false;
    SavedState s = std::move(m_saved[static_cast<std::size_t>(Level - 1)]);
    m_saved.resize(static_cast<std::size_t>(Level - 1));
    m_font->SetPixelsPerInch(s.font->PixelsPerInch());
    m_font->Assign(s.font.get());
    m_pen->Assign(s.pen.get());
    m_brush->Assign(s.brush.get());
    m_bkMode = s.bkMode;
    m_bkColor = s.bkColor;
    m_penPos = s.penPos;
    m_brushOrigin = s.brushOrigin;
    m_map = s.map;
    m_clip = std::move(s.clip);
    ApplyClip();
    return true;
}

TCanvasStateSaver::TCanvasStateSaver(TCanvas& Canvas) : m_canvas(Canvas), m_level(Canvas.SaveDC()) {}

TCanvasStateSaver::~TCanvasStateSaver()
{
    m_canvas.RestoreDC(m_level);
}

// ============================================================================
// Shapes

namespace {

struct PenSetup {
    bool visible = false;
    int width = 1;       // device pixels
    bool insideFrame = false;
};

QPen MakeQPen(const TPen& Pen, const QColor& Color, int DevWidth)
{
    QPen q(Color);
    if (DevWidth <= 1) {
        q.setWidth(1);
        q.setCosmetic(true);
        // A flat cap leaves the end point out, as the platform's lines do.
        q.setCapStyle(Qt::FlatCap);
        q.setJoinStyle(Qt::MiterJoin);
        switch (Pen.Style()) {
        case psDash: q.setDashPattern({18, 6}); break;
        case psDot: q.setDashPattern({3, 3}); break;
        case psDashDot: q.setDashPattern({9, 6, 3, 6}); break;
        case psDashDotDot: q.setDashPattern({9, 3, 3, 3, 3, 3}); break;
        default: break;
        }
    } else {
        // Wide pens are always solid on the platform.
        q.setWidth(DevWidth);
        q.setCapStyle(Qt::RoundCap);
        q.setJoinStyle(Qt::RoundJoin);
    }
    return q;
}

// The points in device units, and the box that holds them.
QPolygon DevPolygon(const TCanvas& Canvas, const std::vector<TPoint>& Points, TRect& Bounds)
{
    QPolygon poly;
    Bounds = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (const TPoint& lp : Points) {
        const TPoint d = Canvas.LPtoDP(lp);
        poly << QPoint(d.X, d.Y);
        Bounds = {std::min(Bounds.Left, d.X), std::min(Bounds.Top, d.Y), std::max(Bounds.Right, d.X),
                  std::max(Bounds.Bottom, d.Y)};
    }
    return poly;
}

// What fills a shape's interior: the pattern bitmap, or the colour in the brush's hatch.
QBrush ShapeBrush(const TBrush& Brush)
{
    return Brush.HasPattern() ? QBrush(Brush.Bitmap()->Image())
                              : QBrush(ToQColor(Brush.Color()), HatchStyle(Brush.Style()));
}

} // namespace

int TCanvas::DevPenWidth() const
{
    return m_pen->Width() <= 1 ? 1 : std::max(1, DevLen(m_pen->Width(), true));
}

void TCanvas::MoveTo(int X, int Y)
{
    m_penPos = {X, Y};
}

void TCanvas::LineTo(int X, int Y)
{
    const TPoint from = m_penPos;
    m_penPos = {X, Y};
    QPainter* p = Ready();
    if (!p || m_pen->Style() == psClear)
        return;
    const TPoint a = LPtoDP(from);
    const TPoint b = LPtoDP(TPoint{X, Y});
    Record("LineTo", Normalized(TRect{a.X, a.Y, b.X, b.Y}), {});
    if (a == b)
        return;
    QColor color = ToQColor(m_pen->Color());
    if (!ApplyRop(p, m_pen->Mode(), color))
        return;
    p->setPen(MakeQPen(*m_pen, color, DevPenWidth()));
    p->drawLine(QPoint(a.X, a.Y), QPoint(b.X, b.Y));
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvas::Polyline(const std::vector<TPoint>& Points)
{
    QPainter* p = Ready();
    if (!p || Points.size() < 2 || m_pen->Style() == psClear)
        return;
    TRect bounds;
    const QPolygon poly = DevPolygon(*this, Points, bounds);
    Record("Polyline", bounds, {});
    QColor color = ToQColor(m_pen->Color());
    if (!ApplyRop(p, m_pen->Mode(), color))
        return;
    p->setPen(MakeQPen(*m_pen, color, DevPenWidth()));
    p->setBrush(Qt::NoBrush);
    p->drawPolyline(poly);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvas::Polygon(const std::vector<TPoint>& Points)
{
    QPainter* p = Ready();
    if (!p || Points.size() < 2)
        return;
    TRect bounds;
    const QPolygon poly = DevPolygon(*this, Points, bounds);
    Record("Polygon", bounds, {});
    QColor penColor = ToQColor(m_pen->Color());
    if (!ApplyRop(p, m_pen->Mode(), penColor))
        return;
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addPolygon(poly);
    path.closeSubpath();
    // Brush first, then the outline on top.
    if (m_brush->Style() != bsClear || m_brush->HasPattern()) {
        if (m_brush->Style() != bsSolid && !m_brush->HasPattern() && m_bkMode == OPAQUE)
            p->fillPath(path, ToQColor(m_bkColor));
        p->setBrushOrigin(m_brushOrigin.X, m_brushOrigin.Y);
        p->fillPath(path, ShapeBrush(*m_brush));
    }
    if (m_pen->Style() != psClear) {
        p->setPen(MakeQPen(*m_pen, penColor, DevPenWidth()));
        p->setBrush(Qt::NoBrush);
        p->drawPolygon(poly);
    }
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvas::DrawShape(const char* Op, const TRect& Logical, bool Ellipse)
{
    QPainter* p = Ready();
    if (!p)
        return;
    const TRect d = DevRectNormalized(Logical);
    Record(Op, d, {});
    if (d.Width() < 1 || d.Height() < 1)
        return;
    QColor penColor = ToQColor(m_pen->Color());
    if (!ApplyRop(p, m_pen->Mode(), penColor))
        return;
    const bool hasPen = m_pen->Style() != psClear;
    const int w = hasPen ? DevPenWidth() : 0;
    const bool hasBrush = m_brush->Style() != bsClear || m_brush->HasPattern();

    QBrush brush(Qt::NoBrush);
    if (hasBrush)
        brush = ShapeBrush(*m_brush);
    p->setBrushOrigin(m_brushOrigin.X, m_brushOrigin.Y);
    const bool hatchBackground = hasBrush && !m_brush->HasPattern() && m_brush->Style() != bsSolid &&
                                 m_bkMode == OPAQUE;
    if (!Ellipse) {
        // Interior inside the pen, the outline on the outermost pixels: the
        // rectangle covers exactly left..right-1, top..bottom-1.
        QRect inner(d.Left + w, d.Top + w, d.Width() - 2 * w, d.Height() - 2 * w);
        if (hasBrush && inner.width() > 0 && inner.height() > 0) {
            if (hatchBackground)
                p->fillRect(inner, ToQColor(m_bkColor));
            p->fillRect(inner, brush);
        }
        if (hasPen) {
            if (w == 1) {
                p->setPen(MakeQPen(*m_pen, penColor, 1));
                p->setBrush(Qt::NoBrush);
                p->drawRect(QRect(d.Left, d.Top, d.Width() - 1, d.Height() - 1));
            } else {
                QRegion frame(Q(d));
                frame -= QRegion(inner);
                for (const QRect& r : frame)
                    p->fillRect(r, penColor);
            }
        }
    } else {
        QRect box(d.Left, d.Top, d.Width() - 1, d.Height() - 1);
        if (hasBrush) {
            QPainterPath path;
            path.addEllipse(QRectF(box));
            if (hatchBackground)
                p->fillPath(path, ToQColor(m_bkColor));
            p->fillPath(path, brush);
        }
        if (hasPen) {
            QPen pen = MakeQPen(*m_pen, penColor, w);
            p->setPen(pen);
            p->setBrush(Qt::NoBrush);
            if (w > 1)
                box.adjust(w / 2, w / 2, -(w - 1) / 2, -(w - 1) / 2);
            p->drawEllipse(box);
        }
    }
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2)
{
    DrawShape("Rectangle", TRect{X1, Y1, X2, Y2}, false);
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2)
{
    DrawShape("Ellipse", TRect{X1, Y1, X2, Y2}, true);
}

void TCanvas::FillRect(const TRect& R)
{
    QPainter* p = Ready();
    if (!p)
        return;
    const TRect d = DevRectOriented(R);
    Record("FillRect", d, {});
    if (d.IsEmpty() || (m_brush->Style() == bsClear && !m_brush->HasPattern()))
        return;
    // The common case, a solid colour, needs no region: reports fill
    // hundreds of thousands of cell borders.
    if (m_brush->Style() == bsSolid && !m_brush->HasPattern()) {
        p->fillRect(Q(d), ToQColor(m_brush->Color()));
        return;
    }
    FillRgn(TRegion::CreateRect(d));
}

void TCanvas::FillRects(const TRect* Rects, int Count)
{
    if (!(m_brush->Style() == bsSolid && !m_brush->HasPattern())) {
        for (int i = 0; i < Count; ++i)
            FillRect(Rects[i]);
        return;
    }
    QPainter* p = Ready();
    if (!p)
        return;
    QRect device[8];
    QVector<QRect> more;
    int n = 0;
    for (int i = 0; i < Count; ++i) {
        const TRect d = DevRectOriented(Rects[i]);
        Record("FillRect", d, {});
        if (d.IsEmpty())
            continue;
        if (n < 8)
            device[n++] = Q(d);
        else
            more.push_back(Q(d));
    }
    if (n == 0)
        return;
    p->setPen(Qt::NoPen);
    p->setBrush(ToQColor(m_brush->Color()));
    p->drawRects(device, n);
    if (!more.isEmpty())
        p->drawRects(more);
}

void TCanvas::FillRgn(const TRegion& Region)
{
    QPainter* p = Ready();
    if (!p || Region.IsEmpty())
        return;
    if (m_brush->Style() == bsClear && !m_brush->HasPattern())
        return;
    p->setBrushOrigin(m_brushOrigin.X, m_brushOrigin.Y);
    if (m_brush->Style() == bsSolid && !m_brush->HasPattern()) {
        for (const QRect& r : Region.Qt())
            p->fillRect(r, ToQColor(m_brush->Color()));
        return;
    }
    QPainterPath path;
    path.addRegion(Region.Qt());
    if (m_brush->HasPattern()) {
        p->fillPath(path, QBrush(m_brush->Bitmap()->Image()));
    } else {
        if (m_bkMode == OPAQUE)
            for (const QRect& r : Region.Qt())
                p->fillRect(r, ToQColor(m_bkColor));
        p->fillPath(path, QBrush(ToQColor(m_brush->Color()), HatchStyle(m_brush->Style())));
    }
}

void TCanvas::FillRgn(const TRegion& Region, TColor Color)
{
    QPainter* p = Ready();
    if (!p)
        return;
    Record("FillRgn", Region.BoundingBox(), {});
    const QColor c = ToQColor(Color);
    for (const QRect& r : Region.Qt())
        p->fillRect(r, c);
}

void TCanvas::FrameRect(const TRect& R)
{
    QPainter* p = Ready();
    if (!p)
        return;
    const TRect d = DevRectOriented(R);
    Record("FrameRect", d, {});
    if (d.IsEmpty())
        return;
    const int wx = std::max(1, DevLen(1, true));
    const int wy = std::max(1, DevLen(1, false));
    QRegion frame(Q(d));
    frame -= QRegion(d.Left + wx, d.Top + wy, d.Width() - 2 * wx, d.Height() - 2 * wy);
    if (m_brush->Style() == bsClear && !m_brush->HasPattern()) {
        // A clear brush frames in its colour, as a solid one would.
        for (const QRect& q : frame)
            p->fillRect(q, ToQColor(m_brush->Color()));
        return;
    }
    FillRgn(TRegion(frame));
}

void TCanvas::DrawFocusRect(const TRect& R)
{
    QPainter* p = Ready();
    if (!p)
        return;
    const TRect d = DevRectOriented(R);
    Record("DrawFocusRect", d, {});
    if (d.IsEmpty() || !HasRasterOps(p))
        return;
    // Every other pixel of the frame, inverted: drawing it again removes it.
    QPolygon pts;
    auto add = [&](int X, int Y) {
        if (((X + Y) & 1) == 0)
            pts << QPoint(X, Y);
    };
    for (int x = d.Left; x < d.Right; ++x)
        add(x, d.Top);
    if (d.Bottom - 1 > d.Top)
        for (int x = d.Left; x < d.Right; ++x)
            add(x, d.Bottom - 1);
    for (int y = d.Top + 1; y < d.Bottom - 1; ++y)
        add(d.Left, y);
    if (d.Right - 1 > d.Left)
        for (int y = d.Top + 1; y < d.Bottom - 1; ++y)
            add(d.Right - 1, y);
    p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen pen(Qt::white);
    pen.setWidth(1);
    pen.setCosmetic(true);
    p->setPen(pen);
    p->drawPoints(pts);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvas::InvertRect(const TRect& R)
{
    QPainter* p = Ready();
    if (!p)
        return;
    const TRect d = DevRectOriented(R);
    Record("InvertRect", d, {});
    if (d.IsEmpty() || !HasRasterOps(p))
        return;
    p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p->fillRect(Q(d), Qt::white);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// ============================================================================
// Text

void TCanvas::DrawRun(QPainter* P, const QFont& Font, double Lx, double Ly, const QString& S,
                      int Underline, double TabWidth, const std::vector<int>* Dx)
{
    if (S.isEmpty())
        return;
    const QPointF origin = DevPointF(Lx, Ly);
    // Text is never mirrored, whatever the direction of the mapping.
    const QTransform t(std::fabs(ScaleX()), 0, 0, std::fabs(ScaleY()), origin.x(), origin.y());
    P->setTransform(t * m_impl->base);
    P->setFont(Font);
    const QColor color = ToQColor(m_font->Color());
    P->setPen(color);
    const CellMetrics m = Metrics(Font);
    QFontMetricsF fm(Font);
    const double baseline = m.ascent;
    if (Dx) {
        double x = 0;
        for (qsizetype i = 0; i < S.size(); ++i) {
            P->drawText(QPointF(x, baseline), QString(S[i]));
            x += i < qsizetype(Dx->size()) ? (*Dx)[std::size_t(i)] : fm.horizontalAdvance(S[i]);
        }
    } else if (TabWidth > 0 && S.contains(QLatin1Char('\t'))) {
        double x = 0;
        qsizetype start = 0;
        for (;;) {
            const qsizetype tab = S.indexOf(QLatin1Char('\t'), start);
            const QString part = S.mid(start, tab < 0 ? -1 : tab - start);
            P->drawText(QPointF(x, baseline), part);
            x += fm.horizontalAdvance(part);
            if (tab < 0)
                break;
            x = (std::floor(x / TabWidth + 1e-9) + 1) * TabWidth;
            start = tab + 1;
        }
    } else {
        P->drawText(QPointF(0, baseline), S);
    }
    if (Underline >= 0 && Underline < S.size()) {
        const double x0 = TabbedWidth(U16(S).substr(0, std::size_t(Underline)), TabWidth, TFontTextMetrics(Font));
        const double w = fm.horizontalAdvance(S[Underline]);
        const double lw = std::max(1.0, fm.lineWidth());
        P->fillRect(QRectF(x0, baseline + std::max(1.0, fm.underlinePos()), w, lw), color);
    }
    P->setTransform(m_impl->base);
}

int TCanvas::TextWidth(const std::string& Text)
{
    return TextExtent(Text).cx;
}

int TCanvas::TextHeight(const std::string& Text)
{
    return TextExtent(Text).cy;
}

TSize TCanvas::TextExtent(const std::string& Text)
{
    const QFont f = m_font->QtFont();
    QFontMetricsF fm(f);
    return {RoundToInt(fm.horizontalAdvance(QS(Text))), Metrics(f).height};
}

void TCanvas::TextOut(int X, int Y, const std::string& Text)
{
    ExtTextOut(X, Y, 0, nullptr, Text);
    m_penPos = {X + TextWidth(Text), Y};
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const std::string& Text)
{
    unsigned options = ETO_CLIPPED;
    if (m_brush->Style() != bsClear)
        options |= ETO_OPAQUE;
    ExtTextOut(X, Y, options, &R, Text);
}

void TCanvas::ExtTextOut(int X, int Y, unsigned Options, const TRect* Rect, const std::string& Text,
                         const std::vector<int>* Dx)
{
    QPainter* p = Ready();
    if (!p)
        return;
    const QFont f = m_font->QtFont();
    const QString s = QS(Text);
    const CellMetrics m = Metrics(f);
    QFontMetricsF fm(f);
    int width = 0;
    if (Dx) {
        for (qsizetype i = 0; i < s.size(); ++i)
            width += i < qsizetype(Dx->size()) ? (*Dx)[std::size_t(i)] : RoundToInt(fm.horizontalAdvance(s[i]));
    } else {
        width = RoundToInt(fm.horizontalAdvance(s));
    }
    const TRect textBox{X, Y, X + width, Y + m.height};
    Record("TextOut", DevRectNormalized(textBox), Text);
    p->save();
    if (Rect && (Options & ETO_OPAQUE)) {
        const TRect d = DevRectOriented(*Rect);
        if (!d.IsEmpty())
            p->fillRect(Q(d), ToQColor(m_bkColor));
    }
    if (Rect && (Options & ETO_CLIPPED)) {
        const TRect d = DevRectOriented(*Rect);
        if (d.IsEmpty()) {
            p->restore();
            return;
        }
        IntersectPainterClip(p, Q(d));
    }
    if (m_bkMode == OPAQUE && !(Rect && (Options & ETO_OPAQUE))) {
        const TRect d = DevRectNormalized(textBox);
        p->fillRect(Q(d), ToQColor(m_bkColor));
    }
    DrawRun(p, f, X, Y, s, -1, 0, Dx);
    p->restore();
}

int TCanvas::DrawText(const std::string& Text, TRect& Rect, unsigned Format)
{
    const QFont f = m_font->QtFont();
    const TDrawTextLayout layout = LayoutText(Text, Rect, Format, TFontTextMetrics(f));
    if (Format & DT_CALCRECT) {
        Rect.Right = layout.Bounds.Right;
        Rect.Bottom = layout.Bounds.Bottom;
        return layout.Height;
    }
    if (layout.Lines.empty())
        return layout.Height;
    QPainter* p = Ready();
    if (!p)
        return layout.Height;
    Record("DrawText", DevRectNormalized(Rect), Text);
    p->save();
    if (!(Format & DT_NOCLIP)) {
        const TRect d = DevRectOriented(Rect);
        if (d.IsEmpty()) {
            p->restore();
            return layout.Height;
        }
        IntersectPainterClip(p, Q(d));
    }
    for (const TTextLine& l : layout.Lines) {
        const int w = RoundToInt(l.Width);
        if (m_bkMode == OPAQUE && !l.Text.empty())
            p->fillRect(Q(DevRectNormalized(TRect{l.X, l.Y, l.X + w, l.Y + layout.LineHeight})), ToQColor(m_bkColor));
        DrawRun(p, f, l.X, l.Y, FromU16(l.Text), l.Underline, layout.TabWidth, nullptr);
    }
    p->restore();
    return layout.Height;
}

TFontTextMetrics::TFontTextMetrics(const TFont& Font) : TFontTextMetrics(Font.QtFont()) {}

TFontTextMetrics::TFontTextMetrics(const QFont& Font) : m_metrics(std::make_unique<QFontMetricsF>(Font))
{
    const CellMetrics m = Metrics(Font);
    m_lineHeight = m.height;
    m_aveCharWidth = m.aveCharWidth;
}

TFontTextMetrics::~TFontTextMetrics() = default;

double TFontTextMetrics::RunWidth(std::u16string_view Run) const
{
    return m_metrics->horizontalAdvance(QString::fromRawData(reinterpret_cast<const QChar*>(Run.data()), qsizetype(Run.size())));
}

// ============================================================================
// 3-D edges and frame controls

bool TCanvas::DrawEdge(TRect& Rect, unsigned Edge, unsigned Flags)
{
    if (Flags & BF_DIAGONAL)
        return true;   // diagonal edges are not used by the components
    const bool mono = Flags & BF_MONO;
    const bool flat = Flags & BF_FLAT;
    const unsigned outer = Edge & BDR_OUTER;
    const unsigned inner = Edge & BDR_INNER;

    // Left/top and right/bottom colours of the outer and inner line.
    TColor outerLT = clNone, outerRB = clNone, innerLT = clNone, innerRB = clNone;
    if (mono) {
        if (outer) outerLT = outerRB = clWindowFrame;
        if (inner) innerLT = innerRB = clWindow;
    } else if (flat) {
        if (outer) outerLT = outerRB = clBtnShadow;
        if (inner) innerLT = innerRB = clBtnFace;
    } else {
        if (outer & BDR_RAISEDOUTER) { outerLT = cl3DLight; outerRB = cl3DDkShadow; }
        else if (outer & BDR_SUNKENOUTER) { outerLT = clBtnShadow; outerRB = clBtnHighlight; }
        if (inner & BDR_RAISEDINNER) { innerLT = clBtnHighlight; innerRB = clBtnShadow; }
        else if (inner & BDR_SUNKENINNER) { innerLT = cl3DDkShadow; innerRB = cl3DLight; }
    }

    TRect r = Rect;
    auto fill = [&](const TRect& Strip, TColor C) {
        QPainter* p = Ready();
        if (!p || C == clNone)
            return;
        const TRect d = DevRectOriented(Strip);
        if (!d.IsEmpty())
            p->fillRect(Q(d), ToQColor(C));
    };
    auto line = [&](TColor Lt, TColor Rb) {
        if (Lt == clNone && Rb == clNone)
            return;
        if (r.IsEmpty())
            return;
        // Left and top first; right and bottom own the far corners.
        if (Flags & BF_TOP) fill({r.Left, r.Top, r.Right - 1, r.Top + 1}, Lt);
        if (Flags & BF_LEFT) fill({r.Left, r.Top, r.Left + 1, r.Bottom - 1}, Lt);
        if (Flags & BF_RIGHT) fill({r.Right - 1, r.Top, r.Right, r.Bottom}, Rb);
        if (Flags & BF_BOTTOM) fill({r.Left, r.Bottom - 1, r.Right, r.Bottom}, Rb);
        if (Flags & BF_LEFT) ++r.Left;
        if (Flags & BF_TOP) ++r.Top;
        if (Flags & BF_RIGHT) --r.Right;
        if (Flags & BF_BOTTOM) --r.Bottom;
    };
    Record("DrawEdge", DevRectNormalized(Rect), {});
    line(outerLT, outerRB);
    line(innerLT, innerRB);
    if ((Flags & BF_MIDDLE) && !r.IsEmpty())
        fill(r, mono ? clWindow : clBtnFace);
    if (Flags & BF_ADJUST)
        Rect = r;
    return true;
}

bool TCanvas::DrawFrameControl(TRect& Rect, unsigned Type, unsigned State)
{
    Record("DrawFrameControl", DevRectNormalized(Rect), {});
    return detail::DrawFrameControl(*this, Rect, Type, State);
}

// ============================================================================
// Images and pixels

void TCanvas::Draw(int X, int Y, const TGraphic* Graphic)
{
    if (!Graphic || Graphic->Empty())
        return;
    StretchDraw(TRect{X, Y, X + Graphic->Width(), Y + Graphic->Height()}, Graphic);
}

void TCanvas::StretchDraw(const TRect& R, const TGraphic* Graphic)
{
    if (!Graphic || Graphic->Empty() || !Ready())
        return;
    Record("StretchDraw", DevRectNormalized(R), Graphic->ClassName());
    Graphic->Draw(*this, R);
}

void TCanvas::DrawPartPicture(const TRect& R, const TGraphic* Graphic)
{
    if (!Graphic || Graphic->Empty() || !Ready())
        return;
    Graphic->Draw(*this, R);
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Source, const TRect& Src)
{
    QPainter* p = Ready();
    if (!p || !Source)
        return;
    Source->Ready();
    QImage* img = Source->DeviceImage();
    const TRect s = Normalized(Source->LPtoDP(Src));
    const TRect d = LPtoDP(Dest);
    Record("CopyRect", Normalized(d), {});
    if (!img || s.IsEmpty() || d.Width() == 0 || d.Height() == 0)
        return;
    QImage piece = img->copy(Q(s));
    const bool mirrorX = d.Width() < 0, mirrorY = d.Height() < 0;
    if (mirrorX || mirrorY)
        piece = piece.mirrored(mirrorX, mirrorY);
    p->setCompositionMode(QPainter::CompositionMode_Source);
    p->drawImage(Q(Normalized(d)), piece);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

TColor TCanvas::Pixels(int X, int Y)
{
    Ready();
    QImage* img = DeviceImage();
    const TPoint d = LPtoDP(TPoint{X, Y});
    if (!img || !img->valid(d.X, d.Y) || !PtVisible(X, Y))
        return CLR_INVALID;
    return FromQColor(QColor::fromRgb(img->pixel(d.X, d.Y)));
}

void TCanvas::SetPixels(int X, int Y, TColor Color)
{
    QPainter* p = Ready();
    if (!p)
        return;
    const TPoint d = LPtoDP(TPoint{X, Y});
    p->fillRect(QRect(d.X, d.Y, 1, 1), ToQColor(Color));
}

TSize CheckBoxGlyphSize()
{
    return {13, 13};
}

} // namespace qel
