#include "platform/graphics/Glyphs.h"

#include "platform/graphics/detail/FrameControls.h"

#include <algorithm>
#include <cmath>

namespace qel {

namespace {

// A square of side min(w, h) centred in r.
TRect CenteredSquare(const TRect& r, int side)
{
    const int left = r.Left + (r.Width() - side) / 2;
    const int top = r.Top + (r.Height() - side) / 2;
    return {left, top, left + side, top + side};
}

// Paints cells of a 13 x 13 design grid scaled onto `box`.
class Grid {
public:
    Grid(TCanvas& c, const TRect& box) : m_canvas(c), m_box(box), m_unit(box.Width() / 13.0) {}

    int X(double gx) const { return m_box.Left + int(std::lround(gx * m_unit)); }
    int Y(double gy) const { return m_box.Top + int(std::lround(gy * m_unit)); }
    TRect Cells(double x0, double y0, double x1, double y1) const { return {X(x0), Y(y0), X(x1), Y(y1)}; }

    void Fill(const TRect& r, TColor color)
    {
        if (r.IsEmpty())
            return;
        m_canvas.Brush()->SetColor(color);
        m_canvas.FillRect(r);
    }
    void Fill(double x0, double y0, double x1, double y1, TColor color) { Fill(Cells(x0, y0, x1, y1), color); }
    // A one-cell ring: left/top in lt, right/bottom in rb.
    void Ring(double inset, TColor lt, TColor rb)
    {
        const double a = inset, b = 13 - inset;
        Fill(a, a, b - 1, a + 1, lt);
        Fill(a, a, a + 1, b - 1, lt);
        Fill(b - 1, a, b, b, rb);
        Fill(a, b - 1, b, b, rb);
    }

private:
    TCanvas& m_canvas;
    TRect m_box;
    double m_unit;
};

void CheckMark(Grid& g, TColor color)
{
    // Rows of the 7 x 7 check, as runs of grid columns.
    struct Run { int y, x0, x1; };
    static constexpr Run kRuns[] = {
        {3, 9, 10}, {4, 8, 10}, {5, 3, 4}, {5, 7, 10}, {6, 3, 5}, {6, 6, 9},
        {7, 3, 8},  {8, 4, 7},  {9, 5, 6},
    };
    for (const Run& r : kRuns)
        g.Fill(r.x0, r.y, r.x1, r.y + 1, color);
}

// A triangle of horizontal (or vertical) runs: `size` runs, the widest 2*size-1.
void Arrow(TCanvas& canvas, const TRect& r, unsigned dir, int size, TColor color, int dx = 0, int dy = 0)
{
    // dir: 0 up, 1 down, 2 left, 3 right
    const int cx = r.Left + r.Width() / 2 + dx;
    const int cy = r.Top + r.Height() / 2 + dy;
    canvas.Brush()->SetColor(color);
    for (int i = 0; i < size; ++i) {
        const int half = i; // run i has 2*i+1 cells
        switch (dir) {
        case 0: { const int y = cy - size / 2 + i; canvas.FillRect({cx - half, y, cx + half + 1, y + 1}); break; }
        case 1: { const int y = cy + (size - 1) / 2 - i; canvas.FillRect({cx - half, y, cx + half + 1, y + 1}); break; }
        case 2: { const int x = cx - size / 2 + i; canvas.FillRect({x, cy - half, x + 1, cy + half + 1}); break; }
        default: { const int x = cx + (size - 1) / 2 - i; canvas.FillRect({x, cy - half, x + 1, cy + half + 1}); break; }
        }
    }
}

} // namespace

void DrawCheckBoxGlyph(TCanvas& canvas, const TRect& r, TCheckBoxState state, bool flat, bool enabled,
                       bool pushed)
{
    const int side = std::min(r.Width(), r.Height());
    if (side <= 0)
        return;
    TCanvasStateSaver saver(canvas);
    Grid g(canvas, CenteredSquare(r, side));
    if (flat) {
        g.Ring(0, clBtnShadow, clBtnShadow);
        g.Fill(1, 1, 12, 12, (pushed || !enabled || state == cbGrayed) ? clBtnFace : clWindow);
    } else {
        g.Ring(0, clBtnShadow, clBtnHighlight);
        g.Ring(1, cl3DDkShadow, cl3DLight);
        g.Fill(2, 2, 11, 11, (pushed || !enabled || state == cbGrayed) ? clBtnFace : clWindow);
    }
    if (state == cbChecked)
        CheckMark(g, enabled ? clWindowText : clBtnShadow);
    else if (state == cbGrayed)
        CheckMark(g, clBtnShadow);
}

void DrawRadioGlyph(TCanvas& canvas, const TRect& r, bool checked, bool flat, bool enabled, bool pushed)
{
    const int side = std::min(r.Width(), r.Height());
    if (side <= 0)
        return;
    TCanvasStateSaver saver(canvas);
    const TRect box = CenteredSquare(r, side);
    Grid g(canvas, box);
    const int unit = std::max(1, int(std::lround(side / 13.0)));
    canvas.Pen()->SetWidth(unit);
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetMode(pmCopy);
    canvas.Pen()->SetColor(clBtnShadow);
    canvas.Brush()->SetColor((pushed || !enabled) ? clBtnFace : clWindow);
    canvas.Ellipse(g.Cells(0, 0, 12, 12));
    if (!flat) {
        canvas.Pen()->SetColor(cl3DDkShadow);
        canvas.Brush()->SetStyle(bsClear);
        canvas.Ellipse(g.Cells(1, 1, 11, 11));
    }
    if (checked) {
        canvas.Pen()->SetStyle(psClear);
        canvas.Brush()->SetColor(enabled ? clWindowText : clBtnShadow);
        canvas.Ellipse(g.Cells(4, 4, 9, 9));
    }
}

std::unique_ptr<TBitmap> CreateCheckBoxesBitmap()
{
    auto bmp = std::make_unique<TBitmap>(52, 39);
    TCanvas* c = bmp->Canvas();
    c->Brush()->SetColor(clBtnFace);
    c->FillRect({0, 0, 52, 39});
    auto cell = [](int col, int row) { return Bounds(col * 13, row * 13, 13, 13); };
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

std::unique_ptr<TBitmap> CreateCheckGlyphStrip(int count, bool flat)
{
    count = std::clamp(count, 1, 6);
    auto bmp = std::make_unique<TBitmap>(13 * count, 13);
    TCanvas* c = bmp->Canvas();
    c->Brush()->SetColor(clBtnFace);
    c->FillRect({0, 0, 13 * count, 13});
    static constexpr TCheckBoxState kStates[] = {cbUnchecked, cbChecked, cbGrayed};
    for (int i = 0; i < count; ++i)
        DrawCheckBoxGlyph(*c, Bounds(13 * i, 0, 13, 13), kStates[i % 3], flat, i < 3);
    return bmp;
}

void DrawSortArrow(TCanvas& canvas, const TRect& r, bool ascending, bool flat)
{
    const int unit = std::max(1, std::min(r.Width() / 8, r.Height() / 7));
    if (r.Width() <= 0 || r.Height() <= 0)
        return;
    TCanvasStateSaver saver(canvas);
    const int w = 8 * unit, h = 7 * unit;
    const int left = r.Left + (r.Width() - w) / 2;
    const int top = r.Top + (r.Height() - h) / 2;
    canvas.Pen()->SetWidth(unit > 1 ? unit : 1);
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetMode(pmCopy);
    const TColor shadow = clBtnShadow;
    const TColor light = flat ? clBtnShadow : clBtnHighlight;
    const int apexX = left + w / 2;
    if (ascending) {
        canvas.Pen()->SetColor(shadow);
        canvas.MoveTo(apexX - unit, top);
        canvas.LineTo(left, top + h);                 // left edge
        canvas.Pen()->SetColor(light);
        canvas.MoveTo(left, top + h - unit);
        canvas.LineTo(left + w, top + h - unit);      // bottom edge
        canvas.MoveTo(apexX, top);
        canvas.LineTo(left + w, top + h);             // right edge
    } else {
        canvas.Pen()->SetColor(shadow);
        canvas.MoveTo(left, top);
        canvas.LineTo(left + w, top);                 // top edge
        canvas.MoveTo(left, top);
        canvas.LineTo(apexX, top + h);                // left edge
        canvas.Pen()->SetColor(light);
        canvas.MoveTo(left + w - unit, top);
        canvas.LineTo(apexX, top + h);                // right edge
    }
}

void DrawDropDownArrow(TCanvas& canvas, const TRect& r, bool enabled)
{
    if (r.IsEmpty())
        return;
    TCanvasStateSaver saver(canvas);
    const int size = std::max(2, std::min(r.Width(), r.Height()) / 4);
    if (!enabled) {
        Arrow(canvas, r, 1, size, clBtnHighlight, 1, 1);
        Arrow(canvas, r, 1, size, clBtnShadow);
    } else {
        Arrow(canvas, r, 1, size, clBtnText);
    }
}

void DrawSizeGrip(TCanvas& canvas, const TRect& r)
{
    if (r.IsEmpty())
        return;
    TCanvasStateSaver saver(canvas);
    canvas.Pen()->SetWidth(1);
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetMode(pmCopy);
    const int R = r.Right, B = r.Bottom;
    const int limit = std::min(r.Width(), r.Height());
    for (int o = 2; o + 2 <= limit && o <= 12; o += 4) {
        const TColor colors[] = {clBtnShadow, clBtnShadow, clBtnHighlight};
        for (int k = 0; k < 3; ++k) {
            const int len = o + k;
            if (len > limit)
                break;
            canvas.Pen()->SetColor(colors[k]);
            canvas.MoveTo(R - len, B - 1);
            canvas.LineTo(R, B - 1 - len);
        }
    }
}

void DrawMessageIcon(TCanvas& canvas, const TRect& r, TMessageIcon icon)
{
    const int side = std::min(r.Width(), r.Height());
    if (side <= 0)
        return;
    TCanvasStateSaver saver(canvas);
    const TRect box = CenteredSquare(r, side);
    // Coordinates of a 32 x 32 design, scaled onto the box.
    const double unit = side / double(MessageIconSize);
    const auto X = [&](double gx) { return box.Left + int(std::lround(gx * unit)); };
    const auto Y = [&](double gy) { return box.Top + int(std::lround(gy * unit)); };
    const auto Cells = [&](double x0, double y0, double x1, double y1) { return TRect{X(x0), Y(y0), X(x1), Y(y1)}; };
    const auto Bar = [&](double x0, double y0, double x1, double y1, TColor color) {
        canvas.Brush()->SetStyle(bsSolid);
        canvas.Brush()->SetColor(color);
        canvas.FillRect(Cells(x0, y0, x1, y1));
    };
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetMode(pmCopy);
    canvas.Pen()->SetWidth(1);
    canvas.Brush()->SetStyle(bsSolid);

    const TColor blue = RGB(0x1E, 0x5A, 0xC8), darkBlue = RGB(0x10, 0x30, 0x78);
    switch (icon) {
    case miError:
        canvas.Pen()->SetColor(RGB(0x80, 0x00, 0x00));
        canvas.Brush()->SetColor(RGB(0xD0, 0x10, 0x10));
        canvas.Ellipse(Cells(1, 1, 31, 31));
        canvas.Pen()->SetColor(clWhite);
        canvas.Pen()->SetWidth(std::max(2, int(std::lround(3 * unit))));
        canvas.MoveTo(X(10), Y(10));
        canvas.LineTo(X(22), Y(22));
        canvas.MoveTo(X(22), Y(10));
        canvas.LineTo(X(10), Y(22));
        break;
    case miWarning:
        canvas.Pen()->SetColor(RGB(0x80, 0x60, 0x00));
        canvas.Brush()->SetColor(RGB(0xFF, 0xCC, 0x00));
        canvas.Polygon({{X(16), Y(2)}, {X(30), Y(28)}, {X(2), Y(28)}});
        Bar(14.5, 10, 17.5, 21, clBlack);
        Bar(14.5, 23, 17.5, 26, clBlack);
        break;
    case miInformation:
        canvas.Pen()->SetColor(darkBlue);
        canvas.Brush()->SetColor(blue);
        canvas.Ellipse(Cells(1, 1, 31, 31));
        Bar(14, 7, 18, 11, clWhite);
        Bar(14, 13, 18, 25, clWhite);
        break;
    case miQuestion: {
        canvas.Pen()->SetColor(darkBlue);
        canvas.Brush()->SetColor(blue);
        canvas.Ellipse(Cells(1, 1, 31, 31));
        canvas.Font()->SetName("Arial");
        canvas.Font()->SetStyle({fsBold});
        canvas.Font()->SetHeight(-std::max(1, int(std::lround(22 * unit))));
        canvas.Font()->SetColor(clWhite);
        canvas.Brush()->SetStyle(bsClear);
        TRect text = box;
        canvas.DrawText("?", text, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
        break;
    }
    }
}

namespace detail {

bool DrawFrameControl(TCanvas& canvas, TRect& rect, unsigned type, unsigned state)
{
    if (rect.IsEmpty())
        return false;
    const bool flat = state & (DFCS_FLAT | DFCS_MONO);
    const bool pushed = state & DFCS_PUSHED;
    const bool inactive = state & DFCS_INACTIVE;
    const bool checked = state & DFCS_CHECKED;
    if (type == DFC_BUTTON) {
        const unsigned kind = state & 0xFF;
        if (kind & DFCS_BUTTONPUSH) {
            TCanvasStateSaver saver(canvas);
            TRect r = rect;
            unsigned edge = pushed || checked ? EDGE_SUNKEN : EDGE_RAISED;
            canvas.DrawEdge(r, edge, BF_RECT | BF_MIDDLE | BF_ADJUST | (flat ? BF_FLAT : 0u));
            if (state & DFCS_ADJUSTRECT)
                rect = r;
            return true;
        }
        if (kind & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE)) {
            DrawRadioGlyph(canvas, rect, checked, flat, !inactive, pushed);
            return true;
        }
        TCheckBoxState cs = checked ? cbChecked : cbUnchecked;
        if ((kind & DFCS_BUTTON3STATE) && checked)
            cs = cbGrayed;
        DrawCheckBoxGlyph(canvas, rect, cs, flat, !inactive, pushed);
        return true;
    }
    if (type == DFC_SCROLL) {
        const unsigned kind = state & 0xFF;
        TCanvasStateSaver saver(canvas);
        if (kind == DFCS_SCROLLSIZEGRIP || kind == DFCS_SCROLLSIZEGRIPRIGHT) {
            canvas.Brush()->SetColor(clBtnFace);
            if (!(state & DFCS_TRANSPARENT))
                canvas.FillRect(rect);
            DrawSizeGrip(canvas, rect);
            return true;
        }
        TRect r = rect;
        if (pushed)
            canvas.DrawEdge(r, BDR_SUNKENOUTER, BF_RECT | BF_MIDDLE | BF_ADJUST | BF_FLAT);
        else
            canvas.DrawEdge(r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST | (flat ? BF_FLAT : 0u));
        unsigned dir = 1;
        switch (kind) {
        case DFCS_SCROLLUP: dir = 0; break;
        case DFCS_SCROLLLEFT: dir = 2; break;
        case DFCS_SCROLLRIGHT: dir = 3; break;
        default: dir = 1; break; // down and combo box
        }
        const int size = std::max(2, std::min(rect.Width(), rect.Height()) / 4);
        const int shift = pushed ? 1 : 0;
        if (inactive) {
            Arrow(canvas, rect, dir, size, clBtnHighlight, 1 + shift, 1 + shift);
            Arrow(canvas, rect, dir, size, clBtnShadow, shift, shift);
        } else {
            Arrow(canvas, rect, dir, size, clBtnText, shift, shift);
        }
        return true;
    }
    return false;
}

} // namespace detail

} // namespace qel
