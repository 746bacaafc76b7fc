#pragma once
#include "platform/controls/Forms.h"
#include "platform/data/DataSet.h"

#include <memory>
#include <string>

namespace qel {
class TBasedxReportLink;
class TdxComponentPrinter;
class TdxfmStdPreview;
} // namespace qel

namespace qel::demo {

// The access-matrix report on a component printer: the printer and its link
// belong to Owner. The standard preview window shows it (Preview).
struct TAccessMatrixPreview {
    std::unique_ptr<TComponent> Owner;
    TdxComponentPrinter* Printer = nullptr;
    TBasedxReportLink* Link = nullptr;

    // Opens the standard preview window (not modal) and answers it.
    TdxfmStdPreview* Preview();
};

// The report of the grid window's access matrix through the grid's own
// report link, titled Title.
std::unique_ptr<TAccessMatrixPreview> MakeAccessMatrixPreview(const std::string& Title, TForm& GridWindow);

// Without showing anything: the preview window's pictures in OutDir
// (preview-window-100.png, -page-width.png, -two-pages.png, -four-pages.png,
// -building.png) and a print started from its "&Print..." command into
// PdfFile on the PDF file printer. The window is closed again.
void SaveAccessMatrixPreviewWindow(TAccessMatrixPreview& Report, const std::string& OutDir,
                                   const std::string& PdfFile);

// Prints from the window's "&Print..." command to PdfFile on the PDF file
// printer, acting in the print dialog: all pages, to that file.
void PrintFromPreviewWindow(TdxfmStdPreview& Window, const std::string& PdfFile);

} // namespace qel::demo
