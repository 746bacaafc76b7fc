#include "preview/detail/PrintDialogResources.h"

#include "platform/controls/Forms.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Resources.h"
#include "preview/detail/PageSetupResources.h"
#include "printing/PrintGraphicUtils.h"


namespace qel::detail {

namespace {

constexpr const char* kImages = "dxPrintDialogImages";

// A printer with a sheet in it; a network printer stands on a cable, the
// default printer carries a check mark.
void Printer(TCanvas* C, bool Network, bool Default)
{
    C->Rectangle(4, 1, 12, 6);
    C->Brush()->SetColor(clSilver);
    C->Rectangle(1, 5, 15, 11);
    C->Brush()->SetColor(clWhite);
    C->Rectangle(4, 9, 12, 13);
    C->Pen()->SetColor(clLime);
    C->MoveTo(12, 7);
    C->LineTo(14, 7);
    if (Network) {
        C->Pen()->SetColor(clBlack);
        C->MoveTo(8, 13);
        C->LineTo(8, 15);
        C->MoveTo(3, 15);
        C->LineTo(14, 15);
    }
    if (Default) {
        C->Pen()->SetColor(clGreen);
        C->Pen()->SetWidth(2);
        C->Polyline({{1, 2}, {3, 4}, {6, 0}});
        C->Pen()->SetWidth(1);
    }
}

void Arrow(TCanvas* C, bool Down)
{
    C->Brush()->SetColor(clBlack);
    if (Down)
        C->Polygon({{4, 6}, {12, 6}, {8, 10}});
    else
        C->Polygon({{4, 10}, {12, 10}, {8, 6}});
}

// The icons: a printer, and a page with its margins.
std::unique_ptr<TBitmap> PrinterIcon()
{
    return PaintStrip(16, {[](TCanvas* C) { Printer(C, false, false); }});
}

std::unique_ptr<TBitmap> PageIcon()
{
    return PaintStrip(16, {[](TCanvas* C) {
        C->Rectangle(2, 0, 14, 16);
        C->Pen()->SetColor(clBlue);
        C->Brush()->SetStyle(bsClear);
        C->Rectangle(4, 2, 12, 14);
    }});
}

void Register()
{
    static const bool registered = [] {
        RegisterBitmapResource(kImages, [] {
            return PaintStrip(16, {[](TCanvas* C) { Printer(C, false, false); },
                              [](TCanvas* C) { Printer(C, true, false); },
                              [](TCanvas* C) { Printer(C, false, true); },
                              [](TCanvas* C) { Printer(C, true, true); }, PaintWarningSign,
                              [](TCanvas* C) { Arrow(C, true); }, [](TCanvas* C) { Arrow(C, false); }});
        });
        RegisterBitmapResource(dxPrintDialogIconResource, [] {
            auto icon = PrinterIcon();
            icon->SetTransparentColor(kPictureClear);
            return icon;
        });
        RegisterBitmapResource(dxPageSetupIconResource, [] {
            auto icon = PageIcon();
            icon->SetTransparentColor(kPictureClear);
            return icon;
        });
        return true;
    }();
    (void)registered;
}

} // namespace

std::unique_ptr<TImageList> CreatePrintDialogImages()
{
    Register();
    auto list = std::make_unique<TImageList>(16, 16);
    const std::unique_ptr<TBitmap> strip = LoadBitmapResource(kImages);
    list->AddMasked(strip.get(), kPictureClear);
    return list;
}

void SetFormIconResource(TForm& Form, int ResourceId)
{
    Register();
    const std::unique_ptr<TIcon> icon = CreateIconFromBitmapResource(ResourceId);
    Form.SetIcon(icon.get());
}

} // namespace qel::detail
