#include "printing/Background.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/MathUtils.h"
#include "platform/core/PropertyRegistry.h"
#include "platform/core/Stream.h"
#include "platform/core/Streaming.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "printing/PrintGraphicUtils.h"

#include <algorithm>
#include <cstdint>

namespace qel {

QEL_REGISTER_CLASS(TdxBackground, TdxBaseObject);
QEL_REGISTER_CLASS(TdxPageBackground, TdxBackground);

namespace {

const bool g_backgroundProperties = [] {
    TPropertyRegistrar<TdxBackground>("TdxBackground")
        .Color("BkColor", &TdxBackground::BkColor, &TdxBackground::SetBkColor, clWhite)
        .Boolean("Effects", &TdxBackground::Effects, &TdxBackground::SetEffects)
        .Enumeration("Mode", &TdxBackground::Mode, &TdxBackground::SetMode,
                     {"bmNone", "bmBrush", "bmBrushBitmap", "bmPicture"}, bmNone)
        .Enumeration("PictureMode", &TdxBackground::PictureMode, &TdxBackground::SetPictureMode,
                     {"ppmCenter", "ppmStretch", "ppmTile", "ppmProportional"}, ppmCenter)
        .DefineProperties([](TdxBackground& B, TFiler& F) {
            // The brush and the picture are platform objects without published
            // properties: the brush as two simple values, the picture as its BMP bytes.
            F.DefineProperty(
                "BrushColor", [&B](const Variant& V) { B.Brush()->SetColor(static_cast<TColor>(V.AsInteger())); },
                [&B] { return Variant(static_cast<std::int32_t>(B.Brush()->Color())); }, true);
            F.DefineProperty(
                "BrushStyle",
                [&B](const Variant& V) {
                    const int style = V.AsInteger();
                    if (style < bsSolid || style > bsDiagCross)
                        throw EReadError("Invalid property value for BrushStyle");
                    B.Brush()->SetStyle(static_cast<TBrushStyle>(style));
                },
                [&B] { return Variant(static_cast<std::int32_t>(B.Brush()->Style())); }, true);
            F.DefineBinaryProperty(
                "PictureData", [&B](TStream& S) { B.Picture()->LoadFromStream(S); },
                [&B](TStream& S) { B.Picture()->SaveToStream(S); }, B.HasPicture());
        });
    return true;
}();

TdxBackgroundSetupProc& SetupProc()
{
    static TdxBackgroundSetupProc proc;
    return proc;
}

bool IsHatched(const TBrush& Brush)
{
    return Brush.Style() > bsClear;
}

bool IsPrinter(TCanvas& Canvas)
{
    return Canvas.GetDeviceCaps(TECHNOLOGY) == DT_RASPRINTER;
}

// Printers and recordings draw every cell; the screen only what is visible.
bool DrawsEverything(TCanvas& Canvas)
{
    const int technology = Canvas.GetDeviceCaps(TECHNOLOGY);
    return technology == DT_RASPRINTER || technology == DT_METAFILE;
}

} // namespace

// The owned brush and picture tell the background of their changes.
class TdxBackground::TOwnedBrush : public TBrush {
public:
    explicit TOwnedBrush(TdxBackground* Owner) : m_owner(Owner) {}

protected:
    void Changed() override
    {
        TBrush::Changed();
        m_owner->DoChange({bpBrush});
    }

private:
    TdxBackground* m_owner;
};

class TdxBackground::TOwnedPicture : public TBitmap {
public:
    explicit TOwnedPicture(TdxBackground* Owner) : m_owner(Owner) {}

protected:
    void Changed() override
    {
        TBitmap::Changed();
        if (m_owner)
            m_owner->DoChange({bpPicture});
    }

private:
    friend class TdxBackground;
    TdxBackground* m_owner;
};

TdxBackground::TdxBackground() : m_brush(std::make_unique<TOwnedBrush>(this)) {}

TdxBackground::~TdxBackground()
{
    m_freeLinks.Notify(this);
    if (m_picture)
        m_picture->m_owner = nullptr;
}

TBrush* TdxBackground::Brush() const
{
    return m_brush.get();
}

void TdxBackground::SetBrush(const TBrush* Value)
{
    if (Value)
        m_brush->Assign(const_cast<TBrush*>(Value));
}

void TdxBackground::SetBkColor(TColor Value)
{
    if (m_bkColor == Value)
        return;
    m_bkColor = Value;
    DoChange({bpBkColor});
}

void TdxBackground::SetMode(TdxBackgroundMode Value)
{
    if (m_mode == Value)
        return;
    m_mode = Value;
    DoChange({bpMode});
}

void TdxBackground::SetPictureMode(TdxPicturePaintMode Value)
{
    if (m_pictureMode == Value)
        return;
    m_pictureMode = Value;
    DoChange({bpPictureMode});
}

TBitmap* TdxBackground::Picture()
{
    if (!m_picture)
        m_picture = std::make_unique<TOwnedPicture>(this);
    return m_picture.get();
}

bool TdxBackground::HasPicture() const
{
    return m_picture && !m_picture->Empty();
}

void TdxBackground::SetPicture(const TGraphic* Value)
{
    if (Value && !Value->Empty())
        Picture()->Assign(const_cast<TGraphic*>(Value));
    else if (HasPicture())
        Picture()->SetSize(0, 0);
}

bool TdxBackground::HasVisibleChange(TdxBackgroundParams K) const
{
    if (K.Contains(bpMode))
        return true;
    switch (m_mode) {
    case bmBrush:
        return K.Contains(bpBrush) || (K.Contains(bpBkColor) && IsHatched(*m_brush));
    case bmBrushBitmap:
        return K.Contains(bpPicture);
    case bmPicture:
        return K.Contains(bpPictureMode) || K.Contains(bpPicture);
    case bmNone:
        break;
    }
    return false;
}

void TdxBackground::DoChange(TdxBackgroundParams ChangedParams)
{
    if (IsLocked())
        return;
    m_lastChangeVisible = HasVisibleChange(ChangedParams);
    if (OnChange)
        OnChange(this, ChangedParams);
}

void TdxBackground::LockUpdate(bool Locking)
{
    if (!Locking)
        DoChange(dxAllBackgroundParams);
    TdxBaseObject::LockUpdate(Locking);
}

void TdxBackground::DoApply()
{
    if (OnApply)
        OnApply(this);
}

void TdxBackground::DoAssign(TdxBaseObject* Source)
{
    TdxBaseObject::DoAssign(Source);
    auto* source = dynamic_cast<TdxBackground*>(Source);
    if (!source)
        return;
    SetBkColor(source->BkColor());
    SetBrush(source->Brush());
    SetEffects(source->Effects());
    SetMode(source->Mode());
    SetPictureMode(source->PictureMode());
    SetPicture(source->HasPicture() ? source->Picture() : nullptr);
}

bool TdxBackground::IsCompatibleWith(const TdxBaseObject* Source) const
{
    if (!TdxBaseObject::IsCompatibleWith(Source))
        return false;
    auto* source = dynamic_cast<const TdxBackground*>(Source);
    if (!source)
        return false;
    const TBitmap* mine = HasPicture() ? m_picture.get() : nullptr;
    const TBitmap* theirs = source->HasPicture() ? source->m_picture.get() : nullptr;
    return m_bkColor == source->m_bkColor && AreBrushesEqual(m_brush.get(), source->m_brush.get()) &&
           m_mode == source->m_mode && m_pictureMode == source->m_pictureMode && AreBitmapsEqual(mine, theirs);
}

TdxBackgroundSetupProc TdxBackground::SetSetupProc(TdxBackgroundSetupProc Proc)
{
    TdxBackgroundSetupProc previous = std::move(SetupProc());
    SetupProc() = std::move(Proc);
    return previous;
}

bool TdxBackground::Setup()
{
    const TdxBackgroundSetupProc& proc = SetupProc();
    if (!proc)
        return false;
    // The dialog may see the background freed (its owner went while it was open).
    bool freed = false;
    TChangeLink freeLink(m_freeLinks, [&](TObject*) { freed = true; });
    const bool changed = proc(*this) && !freed;
    if (changed)
        DoApply();
    return changed;
}

// ----- painting ---------------------------------------------------------------------------

void TdxBackground::DoPaint(TCanvas& Canvas, const TRect& Rect, int Stage)
{
    if (OnPaint)
        OnPaint(this, Canvas, Rect, Stage);
}

void TdxBackground::DoCustomDraw(TCanvas& Canvas, const TRect& Rect, bool& Done, int Stage)
{
    if (OnCustomDraw)
        OnCustomDraw(this, Canvas, Rect, Done, Stage);
    if (!Done)
        DoPaint(Canvas, Rect, Stage);
}

void TdxBackground::PaintEx(TCanvas& Canvas, const TRect& Rect, int Divisor, int Multiplier)
{
    bool done = false;
    DoCustomDraw(Canvas, Rect, done, 0);
    if (done)
        return;
    switch (m_mode) {
    case bmNone:
        break;
    case bmBrush:
        PaintBrush(Canvas, Rect);
        break;
    case bmBrushBitmap:
        if (HasPicture() && !FillWithPictureBrush(Canvas, Rect))
            DrawPicture(Canvas, Rect, ppmTile, Divisor, Multiplier);
        break;
    case bmPicture:
        if (!HasPicture())
            break;
        if (m_pictureMode == ppmTile && FillWithPictureBrush(Canvas, Rect))
            break;
        DrawPicture(Canvas, Rect, m_pictureMode, Divisor, Multiplier);
        break;
    }
    done = false;
    DoCustomDraw(Canvas, Rect, done, 1);
}

void TdxBackground::PaintBrush(TCanvas& Canvas, const TRect& Rect)
{
    if (m_brush->Style() == bsClear || Rect.IsEmpty())
        return;
    TCanvasStateSaver saver(Canvas);
    if (!IsHatched(*m_brush)) {
        Canvas.SetBrush(m_brush.get());
        Canvas.FillRect(Rect);
        return;
    }
    if (IsPrinter(Canvas)) {
        PaintHatchOnPrinter(Canvas, Rect);
        return;
    }
    // The hatch lies on the background colour, as it prints.
    Canvas.SetBrush(m_brush.get());
    Canvas.SetBkMode(OPAQUE);
    Canvas.SetBkColor(m_bkColor);
    Canvas.FillRect(Rect);
}

void TdxBackground::PaintHatchOnPrinter(TCanvas& Canvas, const TRect& Rect)
{
    // Printer drivers differ in how they render hatch brushes: one 8 x 8 cell
    // of the hatch on the background colour, repeated as a pattern brush in a
    // single fill (clipped to the rectangle by the fill itself).
    TBitmap cell(8, 8);
    TCanvas* c = cell.Canvas();
    c->Brush()->SetColor(m_bkColor);
    c->FillRect(TRect{0, 0, 8, 8});
    c->SetBrush(m_brush.get());
    c->SetBkMode(OPAQUE);
    c->SetBkColor(m_bkColor);
    c->FillRect(TRect{0, 0, 8, 8});
    TBrush pattern;
    pattern.SetBitmap(&cell);
    Canvas.SetBrush(&pattern);
    Canvas.FillRect(Rect);
}

bool TdxBackground::FillWithPictureBrush(TCanvas& Canvas, const TRect& Rect)
{
    const TBitmap* picture = m_picture.get();
    if (!picture || picture->Width() >= 9 || picture->Height() >= 9 || IsPrinter(Canvas))
        return false;
    TCanvasStateSaver saver(Canvas);
    TBrush pattern;
    pattern.SetBitmap(picture);
    Canvas.SetBrush(&pattern);
    Canvas.FillRect(Rect);
    return true;
}

void TdxBackground::DrawCell(TCanvas& Canvas, const TRect& Cell, bool AlwaysVisible)
{
    if (!AlwaysVisible && !Canvas.RectVisible(Cell))
        return;
    if (Cell.Width() == m_picture->Width() && Cell.Height() == m_picture->Height())
        Canvas.Draw(Cell.Left, Cell.Top, m_picture.get());
    else
        Canvas.StretchDraw(Cell, m_picture.get());
}

void TdxBackground::DrawPicture(TCanvas& Canvas, const TRect& Rect, TdxPicturePaintMode Mode, int Divisor,
                                int Multiplier)
{
    if (!HasPicture() || Rect.IsEmpty())
        return;
    const int pw = m_picture->Width();
    const int ph = m_picture->Height();
    if (Divisor <= 0 || Multiplier <= 0)
        Divisor = Multiplier = 1;
    // A scaled cell is at least one unit, so tiny scales never divide by zero.
    const int sw = std::max(1, MulDiv(pw, Multiplier, Divisor));
    const int sh = std::max(1, MulDiv(ph, Multiplier, Divisor));
    const int rw = Rect.Width();
    const int rh = Rect.Height();
    const bool always = DrawsEverything(Canvas);
    switch (Mode) {
    case ppmCenter: {
        const int left = Rect.Left + (rw - sw) / 2;
        const int top = Rect.Top + (rh - sh) / 2;
        DrawCell(Canvas, TRect{left, top, left + sw, top + sh}, always);
        break;
    }
    case ppmStretch:
        DrawCell(Canvas, Rect, always);
        break;
    case ppmTile: {
        TCanvasStateSaver saver(Canvas);
        Canvas.IntersectClipRect(Rect);
        // Only the cells over the clip box: whatever lies outside never shows,
        // and a tiny cell on a large page stays cheap.
        const TRect clip = Canvas.ClipRect();
        const TRect area{std::max(Rect.Left, clip.Left), std::max(Rect.Top, clip.Top),
                         std::min(Rect.Right, clip.Right), std::min(Rect.Bottom, clip.Bottom)};
        if (area.IsEmpty())
            break;
        const int firstCol = (area.Left - Rect.Left) / sw;
        const int firstRow = (area.Top - Rect.Top) / sh;
        const int lastCol = std::min(rw / sw, (area.Right - Rect.Left) / sw);
        const int lastRow = std::min(rh / sh, (area.Bottom - Rect.Top) / sh);
        for (int row = firstRow; row <= lastRow; ++row)
            for (int col = firstCol; col <= lastCol; ++col) {
                const int left = Rect.Left + col * sw;
                const int top = Rect.Top + row * sh;
                DrawCell(Canvas, TRect{left, top, left + sw, top + sh}, always);
            }
        break;
    }
    case ppmProportional: {
        TRect box = Rect;
        if (static_cast<std::int64_t>(rw) * ph >= static_cast<std::int64_t>(rh) * pw) {
            const int w = MulDiv(pw, rh, ph);
            box.Left = Rect.Left + (rw - w) / 2;
            box.Right = box.Left + w;
        } else {
            const int h = MulDiv(ph, rw, pw);
            box.Top = Rect.Top + (rh - h) / 2;
            box.Bottom = box.Top + h;
        }
        if (!box.IsEmpty())
            DrawCell(Canvas, box, always);
        break;
    }
    }
}

// ===== TdxPageBackground ===================================================================

void TdxPageBackground::DoChange(TdxBackgroundParams ChangedParams)
{
    TdxBackground::DoChange(ChangedParams);
    if (!IsLocked() && m_ownerChanged)
        m_ownerChanged(this, ChangedParams);
}

} // namespace qel
