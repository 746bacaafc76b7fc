#include "platform/graphics/Glyphs.h"

#include "platform/graphics/detail/FrameControls.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <tuple>

namespace qel {

namespace {

// A square of side min(w, h) centred in R.
TRect CenteredSquare(const TRect& R, int Side)
{
    const int left = R.Left + (R.Width() - Side) / 2;
    const int top = R.Top + (R.Height() - Side) / 2;
    return {left, top, left + Side, top + Side};
}

// Paints cells of a 13 x 13 design grid scaled onto `Box`.
class Grid {
public:
    Grid(TCanvas& C, const TRect& Box) : m_canvas(C), m_box(Box), m_unit(Box.Width() / 13.0) {}

    int X(double Gx) const { return m_box.Left + int(std::lround(Gx * m_unit)); }
    int Y(double Gy) const { return m_box.Top + int(std::lround(Gy * m_unit)); }
    TRect Cells(double X0, double Y0, double X1, double Y1) const { return {X(X0), Y(Y0), X(X1), Y(Y1)}; }

    void Fill(const TRect& R, TColor Color)
    {
        if (R.IsEmpty())
            return;
        m_canvas.Brush()->SetColor(Color);
        m_canvas.FillRect(R);
    }
    void Fill(double X0, double Y0, double X1, double Y1, TColor Color) { Fill(Cells(X0, Y0, X1, Y1), Color); }
    // A one-cell ring: left/top in Lt, right/bottom in Rb.
    void Ring(double Inset, TColor Lt, TColor Rb)
    {
        const double a = Inset, b = 13 - Inset;
        Fill(a, a, b - 1, a + 1, Lt);
        Fill(a, a, a + 1, b - 1, Lt);
        Fill(b - 1, a, b, b, Rb);
        Fill(a, b - 1, b, b, Rb);
    }

private:
    TCanvas& m_canvas;
    TRect m_box;
    double m_unit;
};

void CheckMark(Grid& G, TColor Color)
{
    // Rows of the 7 x 7 check, as runs of grid columns.
    struct Run { int y, x0, x1; };
    static constexpr Run kRuns[] = {
        {3, 9, 10}, {4, 8, 10}, {5, 3, 4}, {5, 7, 10}, {6, 3, 5}, {6, 6, 9},
        {7, 3, 8},  {8, 4, 7},  {9, 5, 6},
    };
    for (const Run& r : kRuns)
        G.Fill(r.x0, r.y, r.x1, r.y + 1, Color);
}

// A triangle of horizontal (or vertical) runs: `Size` runs, the widest 2*size-1.
void Arrow(TCanvas& Canvas, const TRect& R, unsigned Dir, int Size, TColor Color, int Dx = 0, int Dy = 0)
{
    // dir: 0 up, 1 down, 2 left, 3 right
    const int cx = R.Left + R.Width() / 2 + Dx;
    const int cy = R.Top + R.Height() / 2 + Dy;
    Canvas.Brush()->SetColor(Color);
    for (int i = 0; i < Size; ++i) {
        const int half = i; // run i has 2*i+1 cells
        switch (Dir) {
        case 0: { const int y = cy - Size / 2 + i; Canvas.FillRect({cx - half, y, cx + half + 1, y + 1}); break; }
        case 1: { const int y = cy + (Size - 1) / 2 - i; Canvas.FillRect({cx - half, y, cx + half + 1, y + 1}); break; }
        case 2: { const int x = cx - Size / 2 + i; Canvas.FillRect({x, cy - half, x + 1, cy + half + 1}); break; }
        default: { const int x = cx + (Size - 1) / 2 - i; Canvas.FillRect({x, cy - half, x + 1, cy + half + 1}); break; }
        }
    }
}

} // namespace

void DrawCheckBoxGlyph(TCanvas& Canvas, const TRect& R, TCheckBoxState State, bool Flat, bool Enabled,
                       bool Pushed)
{
    const int side = std::min(R.Width(), R.Height());
    if (side <= 0)
        return;
    TCanvasStateSaver saver(Canvas);
    Grid g(Canvas, CenteredSquare(R, side));
    if (Flat) {
        g.Ring(0, clBtnShadow, clBtnShadow);
        g.Fill(1, 1, 12, 12, (Pushed || !Enabled || State == cbGrayed) ? clBtnFace : clWindow);
    } else {
        g.Ring(0, clBtnShadow, clBtnHighlight);
        g.Ring(1, cl3DDkShadow, cl3DLight);
        g.Fill(2, 2, 11, 11, (Pushed || !Enabled || State == cbGrayed) ? clBtnFace : clWindow);
    }
    if (State == cbChecked)
        CheckMark(g, Enabled ? clWindowText : clBtnShadow);
    else if (State == cbGrayed)
        CheckMark(g, clBtnShadow);
}

void DrawRadioGlyph(TCanvas& Canvas, const TRect& R, bool Checked, bool Flat, bool Enabled, bool Pushed)
{
    const int side = std::min(R.Width(), R.Height());
    if (side <= 0)
        return;
    TCanvasStateSaver saver(Canvas);
    const TRect box = CenteredSquare(R, side);
    Grid g(Canvas, box);
    const int unit = std::max(1, int(std::lround(side / 13.0)));
    Canvas.Pen()->SetWidth(unit);
    Canvas.Pen()->SetStyle(psSolid);
    Canvas.Pen()->SetMode(pmCopy);
    Canvas.Pen()->SetColor(clBtnShadow);
    Canvas.Brush()->SetColor((Pushed || !Enabled) ? clBtnFace : clWindow);
    Canvas.Ellipse(g.Cells(0, 0, 12, 12));
    if (!Flat) {
        Canvas.Pen()->SetColor(cl3DDkShadow);
        Canvas.Brush()->SetStyle(bsClear);
        Canvas.Ellipse(g.Cells(1, 1, 11, 11));
    }
    if (Checked) {
        Canvas.Pen()->SetStyle(psClear);
        Canvas.Brush()->SetColor(Enabled ? clWindowText : clBtnShadow);
        Canvas.Ellipse(g.Cells(4, 4, 9, 9));
    }
}

std::unique_ptr<TBitmap> CreateCheckBoxesBitmap()
{
    auto bmp = std::make_unique<TBitmap>(52, 39);
    TCanvas* c = bmp->Canvas();
    c->Brush()->SetColor(clBtnFace);
    c->FillRect({0, 0, 52, 39});
    auto cell = [](int Col, int Row) { return Bounds(Col * 13, Row * 13, 13, 13); };
    DrawCheckBoxGlyph(*c, cell(0, 0), cbUnchecked, false);
    DrawCheckBoxGlyph(*c, cell(1, 0), cbChecked, false);
    DrawCheckBoxGlyph(*c, cell(2, 0), cbUnchecked, false, true, true);
    DrawCheckBoxGlyph(*c, cell(3, 0), cbChecked, false, true, true);
    DrawRadioGlyph(*c, cell(0, 1), false, false);
    DrawRadioGlyph(*c, cell(1, 1), true, false);
    DrawRadioGlyph(*c, cell(2, 1), false, false, true, true);
    DrawRadioGlyph(*c, cell(3, 1), true, false, true, true);
    DrawCheckBoxGlyph(*c, cell(0, 2), cbGrayed, false);
    DrawCheckBoxGlyph(*c, cell(1, 2), cbGrayed, false, true, true);
    DrawCheckBoxGlyph(*c, cell(2, 2), cbUnchecked, false, false);
    DrawCheckBoxGlyph(*c, cell(3, 2), cbChecked, false, false);
    return bmp;
}

std::unique_ptr<TBitmap> CreateCheckGlyphStrip(int Count, bool Flat)
{
    Count = std::clamp(Count, 1, 6);
    auto bmp = std::make_unique<TBitmap>(13 * Count, 13);
    TCanvas* c = bmp->Canvas();
    c->Brush()->SetColor(clBtnFace);
    c->FillRect({0, 0, 13 * Count, 13});
    static constexpr TCheckBoxState kStates[] = {cbUnchecked, cbChecked, cbGrayed};
    for (int i = 0; i < Count; ++i)
        DrawCheckBoxGlyph(*c, Bounds(13 * i, 0, 13, 13), kStates[i % 3], Flat, i < 3);
    return bmp;
}

void DrawSortArrow(TCanvas& Canvas, const TRect& R, bool Ascending, bool Flat)
{
    const int unit = std::max(1, std::min(R.Width() / 8, R.Height() / 7));
    if (R.Width() <= 0 || R.Height() <= 0)
        return;
    TCanvasStateSaver saver(Canvas);
    const int w = 8 * unit, h = 7 * unit;
    const int left = R.Left + (R.Width() - w) / 2;
    const int top = R.Top + (R.Height() - h) / 2;
    Canvas.Pen()->SetWidth(unit > 1 ? unit : 1);
    Canvas.Pen()->SetStyle(psSolid);
    Canvas.Pen()->SetMode(pmCopy);
    const TColor shadow = clBtnShadow;
    const TColor light = Flat ? clBtnShadow : clBtnHighlight;
    const int apexX = left + w / 2;
    if (Ascending) {
        Canvas.Pen()->SetColor(shadow);
        Canvas.MoveTo(apexX - unit, top);
        Canvas.LineTo(left, top + h);                 // left edge
        Canvas.Pen()->SetColor(light);
        Canvas.MoveTo(left, top + h - unit);
        Canvas.LineTo(left + w, top + h - unit);      // bottom edge
        Canvas.MoveTo(apexX, top);
        Canvas.LineTo(left + w, top + h);             // right edge
    } else {
        Canvas.Pen()->SetColor(shadow);
        Canvas.MoveTo(left, top);
        Canvas.LineTo(left + w, top);                 // top edge
        Canvas.MoveTo(left, top);
        Canvas.LineTo(apexX, top + h);                // left edge
        Canvas.Pen()->SetColor(light);
        Canvas.MoveTo(left + w - unit, top);
        Canvas.LineTo(apexX, top + h);                // right edge
    }
}

void DrawDropDownArrow(TCanvas& Canvas, const TRect& R, bool Enabled)
{
    if (R.IsEmpty())
        return;
    TCanvasStateSaver saver(Canvas);
    const int size = std::max(2, std::min(R.Width(), R.Height()) / 4);
    if (!Enabled) {
        Arrow(Canvas, R, 1, size, clBtnHighlight, 1, 1);
        Arrow(Canvas, R, 1, size, clBtnShadow);
    } else {
        Arrow(Canvas, R, 1, size, clBtnText);
    }
}

void DrawSizeGrip(TCanvas& Canvas, const TRect& ARect)
{
    if (ARect.IsEmpty())
        return;
    TCanvasStateSaver saver(Canvas);
    Canvas.Pen()->SetWidth(1);
    Canvas.Pen()->SetStyle(psSolid);
    Canvas.Pen()->SetMode(pmCopy);
    const int R = ARect.Right, B = ARect.Bottom;
    const int limit = std::min(ARect.Width(), ARect.Height());
    for (int o = 2; o + 2 <= limit && o <= 12; o += 4) {
        const TColor colors[] = {clBtnShadow, clBtnShadow, clBtnHighlight};
        for (int k = 0; k < 3; ++k) {
            const int len = o + k;
            if (len > limit)
                break;
            Canvas.Pen()->SetColor(colors[k]);
            Canvas.MoveTo(R - len, B - 1);
            Canvas.LineTo(R, B - 1 - len);
        }
    }
}

void DrawMessageIcon(TCanvas& Canvas, const TRect& R, TMessageIcon Icon)
{
    const int side = std::min(R.Width(), R.Height());
    if (side <= 0)
        return;
    TCanvasStateSaver saver(Canvas);
    const TRect box = CenteredSquare(R, side);
    // Coordinates of a 32 x 32 design, scaled onto the box.
    const double unit = side / double(MessageIconSize);
    const auto X = [&](double Gx) { return box.Left + int(std::lround(Gx * unit)); };
    const auto Y = [&](double Gy) { return box.Top + int(std::lround(Gy * unit)); };
    const auto Cells = [&](double X0, double Y0, double X1, double Y1) { return TRect{X(X0), Y(Y0), X(X1), Y(Y1)}; };
    const auto Bar = [&](double X0, double Y0, double X1, double Y1, TColor Color) {
        Canvas.Brush()->SetStyle(bsSolid);
        Canvas.Brush()->SetColor(Color);
        Canvas.FillRect(Cells(X0, Y0, X1, Y1));
    };
    Canvas.Pen()->SetStyle(psSolid);
    Canvas.Pen()->SetMode(pmCopy);
    Canvas.Pen()->SetWidth(1);
    Canvas.Brush()->SetStyle(bsSolid);

    const TColor blue = RGB(0x1E, 0x5A, 0xC8), darkBlue = RGB(0x10, 0x30, 0x78);
    switch (Icon) {
    case miError:
        Canvas.Pen()->SetColor(RGB(0x80, 0x00, 0x00));
        Canvas.Brush()->SetColor(RGB(0xD0, 0x10, 0x10));
        Canvas.Ellipse(Cells(1, 1, 31, 31));
        Canvas.Pen()->SetColor(clWhite);
        Canvas.Pen()->SetWidth(std::max(2, int(std::lround(3 * unit))));
        Canvas.MoveTo(X(10), Y(10));
        Canvas.LineTo(X(22), Y(22));
        Canvas.MoveTo(X(22), Y(10));
        Canvas.LineTo(X(10), Y(22));
        break;
    case miWarning:
        Canvas.Pen()->SetColor(RGB(0x80, 0x60, 0x00));
        Canvas.Brush()->SetColor(RGB(0xFF, 0xCC, 0x00));
        Canvas.Polygon({{X(16), Y(2)}, {X(30), Y(28)}, {X(2), Y(28)}});
        Bar(14.5, 10, 17.5, 21, clBlack);
        Bar(14.5, 23, 17.5, 26, clBlack);
        break;
    case miInformation:
        Canvas.Pen()->SetColor(darkBlue);
        Canvas.Brush()->SetColor(blue);
        Canvas.Ellipse(Cells(1, 1, 31, 31));
        Bar(14, 7, 18, 11, clWhite);
        Bar(14, 13, 18, 25, clWhite);
        break;
    case miQuestion: {
        Canvas.Pen()->SetColor(darkBlue);
        Canvas.Brush()->SetColor(blue);
        Canvas.Ellipse(Cells(1, 1, 31, 31));
        Canvas.Font()->SetName("Arial");
        Canvas.Font()->SetStyle({fsBold});
        Canvas.Font()->SetHeight(-std::max(1, int(std::lround(22 * unit))));
        Canvas.Font()->SetColor(clWhite);
        Canvas.Brush()->SetStyle(bsClear);
        TRect text = box;
        Canvas.DrawText("?", text, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
        break;
    }
    }
}

namespace {

// A check box is some twenty filled rectangles; a page of a report can hold
// thousands. Each look at each device size is drawn once into a picture,
// and every further check box of that look is that picture: one image on a
// page, which a PDF keeps once and refers to. The look includes the system
// colours it is drawn in, so a change of them makes new pictures.
struct TCheckGlyphLook {
    int Side;
    TCheckBoxState State;
    bool Flat, Enabled, Pushed;
    std::array<TColor, 7> Colors;
    auto Tie() const { return std::tie(Side, State, Flat, Enabled, Pushed, Colors); }
    bool operator<(const TCheckGlyphLook& O) const { return Tie() < O.Tie(); }
};

// Larger check boxes (a preview zoomed far in) are drawn directly.
constexpr int MaxCachedCheckSide = 256;
constexpr std::size_t MaxCachedCheckLooks = 64;

void DrawCheckBoxFromPicture(TCanvas& Canvas, const TRect& R, TCheckBoxState State, bool Flat, bool Enabled,
                             bool Pushed)
{
    const int side = std::min(R.Width(), R.Height());
    if (side <= 0)
        return;
    const TRect box = CenteredSquare(R, side);
    TRect device = Canvas.LPtoDP(box);
    const int deviceSide = std::min(std::abs(device.Width()), std::abs(device.Height()));
    if (deviceSide <= 0 || deviceSide > MaxCachedCheckSide) {
        DrawCheckBoxGlyph(Canvas, R, State, Flat, Enabled, Pushed);
        return;
    }
    static std::map<TCheckGlyphLook, std::unique_ptr<TBitmap>> pictures;
    const TCheckGlyphLook look{deviceSide, State, Flat, Enabled, Pushed,
                               {ColorToRGB(clBtnShadow), ColorToRGB(clBtnHighlight), ColorToRGB(cl3DDkShadow),
                                ColorToRGB(cl3DLight), ColorToRGB(clBtnFace), ColorToRGB(clWindow),
                                ColorToRGB(clWindowText)}};
    auto it = pictures.find(look);
    if (it == pictures.end()) {
        if (pictures.size() >= MaxCachedCheckLooks)
            pictures.clear();
        auto picture = std::make_unique<TBitmap>(deviceSide, deviceSide);
        DrawCheckBoxGlyph(*picture->Canvas(), {0, 0, deviceSide, deviceSide}, State, Flat, Enabled, Pushed);
        it = pictures.emplace(look, std::move(picture)).first;
    }
    Canvas.DrawPartPicture(box, it->second.get());
}

} // namespace

namespace detail {

bool DrawFrameControl(TCanvas& Canvas, TRect& Rect, unsigned Type, unsigned State)
{
    if (Rect.IsEmpty())
        return false;
    const bool flat = State & (DFCS_FLAT | DFCS_MONO);
    const bool pushed = State & DFCS_PUSHED;
    const bool inactive = State & DFCS_INACTIVE;
    const bool checked = State & DFCS_CHECKED;
    if (Type == DFC_BUTTON) {
        const unsigned kind = State & 0xFF;
        if (kind & DFCS_BUTTONPUSH) {
            TCanvasStateSaver saver(Canvas);
            TRect r = Rect;
            unsigned edge = pushed || checked ? EDGE_SUNKEN : EDGE_RAISED;
            Canvas.DrawEdge(r, edge, BF_RECT | BF_MIDDLE | BF_ADJUST | (flat ? BF_FLAT : 0u));
            if (State & DFCS_ADJUSTRECT)
                Rect = r;
            return true;
        }
        if (kind & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE)) {
            DrawRadioGlyph(Canvas, Rect, checked, flat, !inactive, pushed);
            return true;
        }
        TCheckBoxState cs = checked ? cbChecked : cbUnchecked;
        if ((kind & DFCS_BUTTON3STATE) && checked)
            cs = cbGrayed;
        DrawCheckBoxFromPicture(Canvas, Rect, cs, flat, !inactive, pushed);
        return true;
    }
    if (Type == DFC_SCROLL) {
        const unsigned kind = State & 0xFF;
        TCanvasStateSaver saver(Canvas);
        if (kind == DFCS_SCROLLSIZEGRIP || kind == DFCS_SCROLLSIZEGRIPRIGHT) {
            Canvas.Brush()->SetColor(clBtnFace);
            if (!(State & DFCS_TRANSPARENT))
                Canvas.FillRect(Rect);
            DrawSizeGrip(Canvas, Rect);
            return true;
        }
        TRect r = Rect;
        if (pushed)
            Canvas.DrawEdge(r, BDR_SUNKENOUTER, BF_RECT | BF_MIDDLE | BF_ADJUST | BF_FLAT);
        else
            Canvas.DrawEdge(r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST | (flat ? BF_FLAT : 0u));
        unsigned dir = 1;
        switch (kind) {
        case DFCS_SCROLLUP: dir = 0; break;
        case DFCS_SCROLLLEFT: dir = 2; break;
        case DFCS_SCROLLRIGHT: dir = 3; break;
        default: dir = 1; break; // down and combo box
        }
        const int size = std::max(2, std::min(Rect.Width(), Rect.Height()) / 4);
        const int shift = pushed ? 1 : 0;
        if (inactive) {
            Arrow(Canvas, Rect, dir, size, clBtnHighlight, 1 + shift, 1 + shift);
            Arrow(Canvas, Rect, dir, size, clBtnShadow, shift, shift);
        } else {
            Arrow(Canvas, Rect, dir, size, clBtnText, shift, shift);
        }
        return true;
    }
    return false;
}

} // namespace detail

} // namespace qel
