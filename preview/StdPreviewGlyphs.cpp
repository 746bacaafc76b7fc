// The preview window's tool bar pictures, drawn on a 16-unit grid at any
// size: pages, a printer, a magnifier and arrows.
#include "preview/StdPreview.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"

#include <cmath>
#include <vector>

namespace qel {

namespace {

constexpr TColor kMask = RGB(255, 0, 255);

class TGlyphPen {
public:
    TGlyphPen(TCanvas& Canvas, int Left, int Size, bool Disabled)
        : c(Canvas), m_left(Left), m_scale(Size / 16.0), m_disabled(Disabled)
    {
    }

    int X(double V) const { return m_left + static_cast<int>(std::lround(V * m_scale)); }
    int Y(double V) const { return static_cast<int>(std::lround(V * m_scale)); }
    TColor Ink(TColor C) const { return m_disabled ? RGB(160, 160, 160) : C; }

    void Box(double L, double T, double R, double B, TColor Fill, TColor Line = clBlack)
    {
        c.Brush()->SetColor(Ink(Fill));
        c.Pen()->SetColor(Ink(Line));
        c.Rectangle(X(L), Y(T), X(R), Y(B));
    }
    void Line(double X1, double Y1, double X2, double Y2, TColor Color = clBlack)
    {
        c.Pen()->SetColor(Ink(Color));
        c.MoveTo(X(X1), Y(Y1));
        c.LineTo(X(X2), Y(Y2));
    }
    void Shape(const std::vector<std::pair<double, double>>& Points, TColor Fill)
    {
        std::vector<TPoint> p;
        for (const auto& [x, y] : Points)
            p.push_back({X(x), Y(y)});
        c.Brush()->SetColor(Ink(Fill));
        c.Pen()->SetColor(Ink(Fill));
        c.Polygon(p);
    }
    void Round(double L, double T, double R, double B, TColor Fill, TColor Line = clBlack)
    {
        c.Brush()->SetColor(Ink(Fill));
        c.Pen()->SetColor(Ink(Line));
        c.Ellipse(X(L), Y(T), X(R), Y(B));
    }
    // A page with lines of text.
    void Page(double L, double T, double R, double B)
    {
        Box(L, T, R, B, clWhite);
        for (double y = T + 2.5; y < B - 1.5; y += 2)
            Line(L + 1.5, y, R - 1.5, y, RGB(0, 0, 160));
    }
    void ArrowLeft(double X0, double Y0) { Shape({{X0, Y0}, {X0 + 4, Y0 - 4}, {X0 + 4, Y0 + 4}}, RGB(0, 0, 128)); }
    void ArrowRight(double X0, double Y0) { Shape({{X0, Y0}, {X0 - 4, Y0 - 4}, {X0 - 4, Y0 + 4}}, RGB(0, 0, 128)); }
    void Magnifier()
    {
        Round(1, 1, 11, 11, RGB(200, 230, 255));
        c.Pen()->SetWidth(2);
        Line(10, 10, 14.5, 14.5);
        c.Pen()->SetWidth(1);
    }

    TCanvas& c;

private:
    int m_left;
    double m_scale;
    bool m_disabled;
};

void DrawGlyph(TGlyphPen& g, TdxPreviewGlyph Glyph)
{
    const TColor navy = RGB(0, 0, 128);
    switch (Glyph) {
    case pgDesign:
        g.Page(2, 1, 12, 15);
        g.Shape({{8, 13}, {14, 5}, {15.5, 6.5}, {9.5, 14.5}}, RGB(220, 160, 0));
        break;
    case pgPrint:
    case pgPrintDialog:
        g.Box(4, 1, 12, 7, clWhite);
        g.Box(1, 6, 15, 12, RGB(192, 192, 192));
        g.Box(4, 10, 12, 15, clWhite);
        g.Line(12, 8, 14, 8, RGB(0, 160, 0));
        if (Glyph == pgPrintDialog)
            g.Box(5, 2.5, 11, 4, RGB(0, 0, 160), RGB(0, 0, 160));
        break;
    case pgPageSetup:
        g.Box(2, 1, 14, 15, clWhite);
        g.Box(4, 3, 12, 13, clWhite, RGB(0, 0, 200));
        break;
    case pgBackground:
        g.Box(2, 1, 14, 15, RGB(255, 240, 120));
        g.Box(4, 4, 12, 12, RGB(120, 200, 255), RGB(0, 100, 200));
        break;
    case pgShrinkToPageWidth:
        g.Page(4, 1, 12, 15);
        g.ArrowRight(4, 8);
        g.ArrowLeft(12, 8);
        break;
    case pgZoom100:
        g.Magnifier();
        g.Line(6, 3.5, 6, 8.5, navy);
        g.Line(5, 4.5, 6, 3.5, navy);
        break;
    case pgPageWidth:
        g.Page(1, 3, 15, 15);
        g.Line(1, 1, 15, 1, navy);
        break;
    case pgOnePage: g.Page(4, 1, 12, 15); break;
    case pgTwoPages:
        g.Page(0.5, 2, 7.5, 14);
        g.Page(8.5, 2, 15.5, 14);
        break;
    case pgFourPages:
        for (double x : {1.0, 8.5})
            for (double y : {0.5, 8.5})
                g.Box(x, y, x + 6.5, y + 7, clWhite);
        break;
    case pgMultiplePages:
        for (double x : {0.5, 5.5, 10.5})
            for (double y : {1.5, 8.5})
                g.Box(x, y, x + 5, y + 6, clWhite);
        break;
    case pgWidenToSourceWidth:
        g.Page(4, 1, 12, 15);
        g.ArrowLeft(0, 8);
        g.ArrowRight(16, 8);
        break;
    case pgFirstPage:
        g.Box(2, 3, 4, 13, navy, navy);
        g.ArrowLeft(5, 8);
        g.ArrowLeft(10, 8);
        break;
    case pgPrevPage:
        g.ArrowLeft(4, 8);
        g.ArrowLeft(9, 8);
        break;
    case pgNextPage:
        g.ArrowRight(12, 8);
        g.ArrowRight(7, 8);
        break;
    case pgLastPage:
        g.ArrowRight(11, 8);
        g.ArrowRight(6, 8);
        g.Box(12, 3, 14, 13, navy, navy);
        break;
    case pgHelp:
        g.Round(1, 1, 15, 15, RGB(255, 255, 200), navy);
        g.Line(6, 5, 8, 3.5, navy);
        g.Line(8, 3.5, 10, 5, navy);
        g.Line(10, 5, 8, 8.5, navy);
        g.Line(8, 8.5, 8, 10, navy);
        g.Box(7.5, 11.5, 8.5, 12.5, navy, navy);
        break;
    case pgClose:
        g.Box(3, 1, 12, 15, RGB(160, 100, 40));
        g.Box(9, 7, 10.5, 9, RGB(255, 220, 0), RGB(255, 220, 0));
        break;
    case pgZoom: g.Magnifier(); break;
    default: break;
    }
}

} // namespace

void dxFillPreviewGlyphs(TImageList& List, int Size, bool Disabled)
{
    List.SetSize(Size, Size);
    TBitmap strip(Size * pgGlyphCount, Size);
    TCanvas& c = *strip.Canvas();
    c.Brush()->SetColor(kMask);
    c.FillRect({0, 0, Size * pgGlyphCount, Size});
    for (int i = 0; i < pgGlyphCount; ++i) {
        TGlyphPen pen(c, i * Size, Size, Disabled);
        DrawGlyph(pen, static_cast<TdxPreviewGlyph>(i));
    }
    List.AddMasked(&strip, kMask);
}

} // namespace qel
