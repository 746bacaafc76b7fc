#include "preview/detail/PageSetupResources.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Resources.h"

#include <functional>

namespace qel::detail {

namespace {

constexpr const char* kPapers = "dxPageSetupPapers";
constexpr const char* kPageOrder = "dxPageSetupPageOrder";
constexpr const char* kAlignY = "dxPageSetupAlignY";

void Sheet(TCanvas* C)
{
    C->Polygon({{3, 1}, {10, 1}, {13, 4}, {13, 15}, {3, 15}});
    C->Polyline({{10, 1}, {10, 4}, {13, 4}});
    for (int y = 7; y <= 12; y += 2) {
        C->MoveTo(5, y);
        C->LineTo(11, y);
    }
}

void Envelope(TCanvas* C)
{
    C->Rectangle(1, 4, 15, 13);
    C->Polyline({{1, 4}, {8, 9}, {15, 4}});
}

void Bin(TCanvas* C, bool Automatic)
{
    C->Brush()->SetColor(clBtnFace);
    C->Polygon({{1, 8}, {15, 8}, {13, 14}, {3, 14}});
    C->Brush()->SetColor(clWhite);
    C->Rectangle(4, 3, 12, 9);
    if (Automatic) {
        C->Brush()->SetColor(clGreen);
        C->Pen()->SetColor(clGreen);
        C->Polygon({{7, 10}, {11, 10}, {9, 13}});
    }
}

// Four numbered pages and the path through them.
void PageOrder(TCanvas* C, bool OverThenDown)
{
    const TRect pages[4] = {Rect(4, 4, 20, 22), Rect(28, 4, 44, 22), Rect(4, 26, 20, 44), Rect(28, 26, 44, 44)};
    // Over then down numbers across first; down then over down first.
    const int order[4] = {0, OverThenDown ? 1 : 2, OverThenDown ? 2 : 1, 3};
    for (int i = 0; i < 4; ++i)
        C->Rectangle(pages[order[i]]);
    C->Pen()->SetColor(clBlue);
    C->Pen()->SetWidth(2);
    std::vector<TPoint> path;
    for (int i = 0; i < 4; ++i) {
        const TRect& r = pages[order[i]];
        path.push_back({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
    }
    C->Polyline(path);
    C->Pen()->SetWidth(1);
    C->Brush()->SetColor(clBlue);
    const TPoint end = path.back();
    C->Ellipse(end.X - 3, end.Y - 3, end.X + 4, end.Y + 4);
}

// Three text lines at the top, middle or bottom of a frame.
void AlignY(TCanvas* C, int Where)
{
    C->Brush()->SetColor(clWhite);
    C->Rectangle(1, 1, 15, 15);
    const int top = Where == 0 ? 3 : Where == 1 ? 6 : 9;
    C->Brush()->SetColor(clBlack);
    for (int i = 0; i < 3; ++i)
        C->FillRect(Rect(3, top + i * 2, 13, top + i * 2 + 1));
}

void Register()
{
    static const bool registered = [] {
        RegisterBitmapResource(kPapers, [] {
            return PaintStrip(16, {Sheet, Envelope, [](TCanvas* C) { Bin(C, false); }, [](TCanvas* C) { Bin(C, true); },
                              PaintWarningSign});
        });
        RegisterBitmapResource(kPageOrder, [] {
            return PaintStrip(48, {[](TCanvas* C) { PageOrder(C, true); }, [](TCanvas* C) { PageOrder(C, false); }});
        });
        RegisterBitmapResource(kAlignY, [] {
            return PaintStrip(16, {[](TCanvas* C) { AlignY(C, 0); }, [](TCanvas* C) { AlignY(C, 1); },
                              [](TCanvas* C) { AlignY(C, 2); }});
        });
        return true;
    }();
    (void)registered;
}

std::unique_ptr<TImageList> Images(const char* Name, int Size)
{
    Register();
    auto list = std::make_unique<TImageList>(Size, Size);
    const std::unique_ptr<TBitmap> strip = LoadBitmapResource(Name);
    list->AddMasked(strip.get(), kPictureClear);
    return list;
}

} // namespace

std::unique_ptr<TBitmap> PaintStrip(int Size, const std::vector<TCellPainter>& Cells)
{
    auto bmp = std::make_unique<TBitmap>(Size * static_cast<int>(Cells.size()), Size);
    TCanvas* c = bmp->Canvas();
    c->Brush()->SetColor(kPictureClear);
    c->FillRect(Rect(0, 0, bmp->Width(), bmp->Height()));
    for (std::size_t i = 0; i < Cells.size(); ++i) {
        c->SetWindowOrg(-Size * static_cast<int>(i), 0);
        c->Pen()->SetColor(clBlack);
        c->Brush()->SetColor(clWhite);
        Cells[i](c);
    }
    c->SetWindowOrg(0, 0);
    return bmp;
}

void PaintWarningSign(TCanvas* C)
{
    C->Brush()->SetColor(clYellow);
    C->Polygon({{8, 1}, {15, 14}, {1, 14}});
    C->Brush()->SetColor(clBlack);
    C->FillRect(Rect(7, 5, 9, 10));
    C->FillRect(Rect(7, 11, 9, 13));
}

void PaintWarningPane(TBitmap& Pane, const TImageList& Images, int WarningImage, TFont* Font,
                      const std::string& Text)
{
    TCanvas* c = Pane.Canvas();
    const TRect all = Rect(0, 0, Pane.Width(), Pane.Height());
    c->Brush()->SetColor(clInfoBk);
    c->FillRect(all);
    c->Brush()->SetColor(clWindowFrame);
    c->FrameRect(all);
    Images.Draw(c, 6, 6, WarningImage);
    c->Font()->Assign(Font);
    c->Font()->SetColor(clInfoText);
    c->SetBkMode(TRANSPARENT);
    TRect text{6 + Images.Width() + 6, 5, Pane.Width() - 5, Pane.Height() - 4};
    c->DrawText(Text, text, DT_WORDBREAK | DT_NOPREFIX);
}

std::unique_ptr<TImageList> CreatePageSetupPaperImages()
{
    return Images(kPapers, 16);
}

std::unique_ptr<TImageList> CreatePageSetupPageOrderImages()
{
    return Images(kPageOrder, 48);
}

std::unique_ptr<TImageList> CreatePageSetupAlignYImages()
{
    return Images(kAlignY, 16);
}

} // namespace qel::detail
