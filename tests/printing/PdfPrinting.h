#pragma once
// Printing a built report into a PDF file through the PDF file printer's
// back end, page by page as the print loop does.
#include "platform/printers/PdfFilePrinter.h"
#include "printing/ReportLink.h"

#include <string>
#include <vector>

namespace qel::test {

inline std::vector<TPrinterPaper> Papers()
{
    return {TPrinterPaper{9, "A4 210 x 297 mm", 2100, 2970, 0, 0, 0, 0, ""}};
}

inline TDeviceMode PdfMode(TPdfPrinterBackend& Backend, TdxPrinterOrientation Orientation)
{
    TDeviceMode mode;
    Backend.DefaultDeviceMode(PdfPrinterName, mode);
    mode.PaperSize = 9;
    mode.Orientation = Orientation == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    return mode;
}

// The whole paper relative to the printable origin, as the print loop paints it.
inline TRect PaperRect(const TDeviceCaps& Caps)
{
    return {-Caps.PhysicalOffsetX, -Caps.PhysicalOffsetY, Caps.PhysicalWidth - Caps.PhysicalOffsetX,
            Caps.PhysicalHeight - Caps.PhysicalOffsetY};
}

inline void PrintToPdf(TBasedxReportLink& Link, const std::string& File)
{
    TPdfPrinterBackend backend(Papers());
    const TDeviceMode mode = PdfMode(backend, Link.GetRealPrinterPage()->Orientation());
    auto job = backend.StartDoc(PdfPrinterName, mode, TDocInfo{"Bericht", File});
    const int pages = Link.GetPageCount();
    for (int i = 0; i < pages; ++i) {
        job->StartPage(mode);
        TCanvas canvas;
        job->BindCanvas(canvas);
        Link.PaintPage(canvas, PaperRect(canvas.DeviceCaps()), i, i, 100);
        job->EndPage();
    }
    job->EndDoc();
}

} // namespace qel::test
