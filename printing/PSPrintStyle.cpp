#include "printing/PSPrintStyle.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Strings.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Resources.h"
#include "printing/HeaderFooterFunctions.h"
#include "printing/ReportLinkRegistry.h"

namespace qel {

QEL_REGISTER_CLASS(TdxPSPrintStyle, TBasedxPrintStyle);

namespace {

// The style's glyph: a small printed page.
const bool g_glyphRegistered = [] {
    RegisterBitmapResource(30021, [] {
        auto bmp = std::make_unique<TBitmap>(32, 32);
        TCanvas* c = bmp->Canvas();
        c->Brush()->SetColor(clWhite);
        c->FillRect({0, 0, 32, 32});
        c->Pen()->SetColor(clGray);
        c->Rectangle(7, 3, 25, 29);
        for (int y = 8; y < 26; y += 4) {
            c->MoveTo(10, y);
            c->LineTo(22, y);
        }
        return bmp;
    });
    return true;
}();

void Notify(const TNotifyEvent& Event, TObject* Sender)
{
    if (Event)
        Event(Sender);
}

} // namespace

TdxPSPrintStyle::TdxPSPrintStyle(TComponent* AOwner) : TBasedxPrintStyle(AOwner)
{
    SetStyleCaption("Standard Style");
    if (BitmapResourceExists("#30021"))
        SetStyleGlyph(LoadBitmapResource(30021).get());
}

void TdxPSPrintStyle::RestoreDefaults()
{
    TBasedxPrintStyle::RestoreDefaults();
    TdxHFFunctionLibrary* library = dxHFFunctionLibrary();
    if (!library)
        return;
    TdxPageFooter* footer = PrinterPage()->PageFooter();
    const int page = library->IndexOfClass<TdxHFPageNumberFunction>();
    if (page >= 0)
        footer->CenterTitle()->SetText(library->Functions(page)->TemplateString());
    const int date = library->IndexOfClass<TdxHFDateFunction>();
    if (date >= 0)
        footer->RightTitle()->SetText(library->Functions(date)->TemplateString());
}

void TdxPSPrintStyle::BeforePrinting()
{
    Notify(OnBeforePrinting, this);
}

void TdxPSPrintStyle::AfterPrinting()
{
    Notify(OnAfterPrinting, this);
}

void TdxPSPrintStyle::BeforeGenerating()
{
    Notify(OnBeforeGenerating, this);
}

void TdxPSPrintStyle::AfterGenerating()
{
    Notify(OnAfterGenerating, this);
}

void dxPSStartStandardStyle()
{
    dxSetDefaultPrintStyleClass("TdxPSPrintStyle");
}

void dxPSEndStandardStyle()
{
    if (dxDefaultPrintStyleClass() == "TdxPSPrintStyle")
        dxSetDefaultPrintStyleClass({});
    dxPSClearReportLinkRegistry();
}

} // namespace qel
