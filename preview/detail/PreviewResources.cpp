#include "preview/detail/PreviewResources.h"

#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Resources.h"

#include <cmath>
#include <map>
#include <memory>

namespace qel::detail {

namespace {

constexpr TColor kSeeThrough = clFuchsia;

// An arrow head pointing along (DX, DY) (each -1, 0 or 1) with its tip Reach pixels from the centre.
void ArrowHead(TCanvas* C, TPoint Centre, int DX, int DY, int Reach, int Size)
{
    const double len = std::sqrt(double(DX * DX + DY * DY));
    const double ux = DX / len, uy = DY / len;
    const TPoint tip{Centre.X + int(std::lround(ux * Reach)), Centre.Y + int(std::lround(uy * Reach))};
    const double bx = tip.X - ux * Size, by = tip.Y - uy * Size;
    C->Polygon({tip, {int(std::lround(bx - uy * Size)), int(std::lround(by + ux * Size))},
                {int(std::lround(bx + uy * Size)), int(std::lround(by - ux * Size))}});
}

std::unique_ptr<TBitmap> NewPicture(int Size, TColor Background)
{
    auto bmp = std::make_unique<TBitmap>(Size, Size);
    TCanvas* c = bmp->Canvas();
    c->Brush()->SetColor(Background);
    c->FillRect(Rect(0, 0, Size, Size));
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetColor(clBlack);
    return bmp;
}

// The auto-scroll marks: arrows for the directions that scroll around a dot.
void ScrollMarks(TCanvas* C, TPoint Centre, bool Horz, bool Vert, int Reach, int Size)
{
    C->Ellipse(Centre.X - 2, Centre.Y - 2, Centre.X + 3, Centre.Y + 3);
    if (Horz) {
        ArrowHead(C, Centre, -1, 0, Reach, Size);
        ArrowHead(C, Centre, 1, 0, Reach, Size);
    }
    if (Vert) {
        ArrowHead(C, Centre, 0, -1, Reach, Size);
        ArrowHead(C, Centre, 0, 1, Reach, Size);
    }
}

std::unique_ptr<TBitmap> Indicator(bool Horz, bool Vert)
{
    auto bmp = NewPicture(28, clWindow);
    ScrollMarks(bmp->Canvas(), {14, 14}, Horz, Vert, 12, 5);
    return bmp;
}

struct CursorPicture {
    int Id;
    TPoint HotSpot;
    void (*Paint)(TCanvas*);
};

void MarginCursor(TCanvas* C, bool Vertical)
{
    const TPoint c{16, 16};
    if (Vertical) {
        C->FillRect(Rect(15, 6, 17, 27));
        ArrowHead(C, c, -1, 0, 10, 4);
        ArrowHead(C, c, 1, 0, 10, 4);
        C->FillRect(Rect(8, 16, 25, 17));
    } else {
        C->FillRect(Rect(6, 15, 27, 17));
        ArrowHead(C, c, 0, -1, 10, 4);
        ArrowHead(C, c, 0, 1, 10, 4);
        C->FillRect(Rect(16, 8, 17, 25));
    }
}

void Magnifier(TCanvas* C, bool Plus)
{
    C->Brush()->SetColor(clWhite);
    C->Pen()->SetWidth(2);
    C->Ellipse(3, 3, 20, 20);
    C->MoveTo(18, 18);
    C->LineTo(28, 28);
    C->Pen()->SetWidth(1);
    C->Brush()->SetColor(clBlack);
    C->FillRect(Rect(7, 11, 17, 13));
    if (Plus)
        C->FillRect(Rect(11, 7, 13, 17));
}

void DirectionCursor(TCanvas* C, int DX, int DY)
{
    C->Ellipse(14, 14, 19, 19);
    ArrowHead(C, {16, 16}, DX, DY, 14, 6);
}

const CursorPicture kCursors[] = {
    {crdxPreviewVertMargin, {16, 16}, [](TCanvas* C) { MarginCursor(C, true); }},
    {crdxPreviewHorzMargin, {16, 16}, [](TCanvas* C) { MarginCursor(C, false); }},
    {crdxPreviewZoomIn, {11, 11}, [](TCanvas* C) { Magnifier(C, true); }},
    {crdxPreviewZoomOut, {11, 11}, [](TCanvas* C) { Magnifier(C, false); }},
    {crdxPreviewScrollBoth, {16, 16}, [](TCanvas* C) { ScrollMarks(C, {16, 16}, true, true, 14, 5); }},
    {crdxPreviewScrollHorz, {16, 16}, [](TCanvas* C) { ScrollMarks(C, {16, 16}, true, false, 14, 5); }},
    {crdxPreviewScrollVert, {16, 16}, [](TCanvas* C) { ScrollMarks(C, {16, 16}, false, true, 14, 5); }},
    {crdxPreviewScrollUp, {16, 16}, [](TCanvas* C) { DirectionCursor(C, 0, -1); }},
    {crdxPreviewScrollRight, {16, 16}, [](TCanvas* C) { DirectionCursor(C, 1, 0); }},
    {crdxPreviewScrollDown, {16, 16}, [](TCanvas* C) { DirectionCursor(C, 0, 1); }},
    {crdxPreviewScrollLeft, {16, 16}, [](TCanvas* C) { DirectionCursor(C, -1, 0); }},
    {crdxPreviewScrollUpRight, {16, 16}, [](TCanvas* C) { DirectionCursor(C, 1, -1); }},
    {crdxPreviewScrollUpLeft, {16, 16}, [](TCanvas* C) { DirectionCursor(C, -1, -1); }},
    {crdxPreviewScrollDownRight, {16, 16}, [](TCanvas* C) { DirectionCursor(C, 1, 1); }},
    {crdxPreviewScrollDownLeft, {16, 16}, [](TCanvas* C) { DirectionCursor(C, -1, 1); }},
};

int g_users = 0;
std::map<int, TCursor>& Loaded()
{
    static std::map<int, TCursor> loaded;
    return loaded;
}

void RegisterPictures()
{
    RegisterBitmapResource(crdxPreviewIndicatorBoth, [] { return Indicator(true, true); });
    RegisterBitmapResource(crdxPreviewIndicatorHorz, [] { return Indicator(true, false); });
    RegisterBitmapResource(crdxPreviewIndicatorVert, [] { return Indicator(false, true); });
    for (const CursorPicture& p : kCursors)
        RegisterBitmapResource(p.Id, [Paint = p.Paint] {
            auto bmp = NewPicture(32, kSeeThrough);
            Paint(bmp->Canvas());
            bmp->SetTransparentColor(kSeeThrough);
            return bmp;
        });
}

void ClearCursors()
{
    for (const auto& [id, index] : Loaded())
        Screen().ClearCursorImage(index);
    Loaded().clear();
}

} // namespace

void AcquirePreviewResources()
{
    if (g_users++ > 0)
        return;
    try {
        RegisterPictures();
        int next = 100;
        for (const CursorPicture& p : kCursors) {
            while (next < 32768 && Screen().CursorDefined(static_cast<TCursor>(next)))
                ++next;
            if (next >= 32768)
                throw EOutOfResources("Out of Resources");
            const std::unique_ptr<TBitmap> picture = LoadBitmapResource(p.Id);
            Screen().SetCursorImage(static_cast<TCursor>(next), *picture, p.HotSpot.X, p.HotSpot.Y);
            Loaded()[p.Id] = static_cast<TCursor>(next);
        }
    } catch (...) {
        ClearCursors();
        --g_users;
        throw;
    }
}

void ReleasePreviewResources()
{
    if (g_users == 0 || --g_users > 0)
        return;
    ClearCursors();
}

TCursor PreviewCursor(int ResourceId)
{
    const auto it = Loaded().find(ResourceId);
    return it == Loaded().end() ? crDefault : it->second;
}

} // namespace qel::detail
