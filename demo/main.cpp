// The main program: shows the layers at work on a sample installation of 32
// boxes and 128 connectors. It streams the configuration to a file and back,
// saves a picture of the box settings dialog, mirrors the access matrix into
// an in-memory dataset, prints it through the grid report link into PDF
// files, shows it in the data-bound grid (pictures plain and grouped) and as
// report pages in the standard preview window (pictures at several zooms,
// while building, and a print from it to PDF), and pictures the print dialog
// and prints through it to PDF as a person would; with a display both windows
// stay open until the grid window is closed. Output goes to the folder given
// as the first argument (default "out").
#include "demo/DemoConfig.h"
#include "demo/DemoData.h"
#include "demo/DemoDialogs.h"
#include "demo/DemoForm.h"
#include "demo/DemoExports.h"
#include "demo/DemoGrid.h"
#include "demo/DemoPageSetup.h"
#include "demo/DemoPreview.h"
#include "demo/DemoPrintDialog.h"
#include "demo/DemoReport.h"
#include "printing/DBGridReportLink.h"

#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Locale.h"
#include "platform/core/Stream.h"
#include "platform/core/Streaming.h"
#include "platform/printers/PdfFilePrinter.h"
#include "preview/PreviewDialogs.h"

#include <QApplication>

#include <cstdio>
#include <filesystem>
#include <memory>

using namespace qel;
using namespace qel::demo;

namespace {

void StreamConfiguration(TConfiguration& Config, const std::string& FileName)
{
    SafeWriteFile(FileName, [&](TStream& S) { WriteComponent(S, &Config); });
    TFileStream in(FileName, fmOpenRead);
    std::unique_ptr<TComponent> copy(ReadComponent(in, nullptr, nullptr));
    auto* read = dynamic_cast<TConfiguration*>(copy.get());
    if (!read || read->ComponentCount() != Config.ComponentCount() || read->Title() != Config.Title())
        throw Exception("the configuration read back differs from the one written");
    std::printf("Configuration \"%s\": %d records streamed to %s (%lld bytes) and read back\n",
                read->Title().c_str(), read->ComponentCount(), FileName.c_str(),
                static_cast<long long>(std::filesystem::file_size(FileName)));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The printing units' start-up: the report links of the grid and the
    // tree list, and the preview layer's windows and dialogs.
    dxRegisterDBGridReportLink();
    dxRegisterTreeListReportLink();
    dxInstallPreviewDialogs();
    const std::filesystem::path outDir = argc > 1 ? argv[1] : "out";
    try {
        std::filesystem::create_directories(outDir);
        std::unique_ptr<TConfiguration> config(MakeSampleConfiguration(32, 128));

        StreamConfiguration(*config, (outDir / "configuration.qelc").string());

        auto* firstBox = dynamic_cast<TBoxRecord*>(config->FindComponent("Box1"));
        const std::string png = (outDir / "box-dialog.png").string();
        SaveBoxDialogPicture(png, *firstBox);
        std::printf("Box settings dialog pictured in %s\n", png.c_str());

        std::unique_ptr<TMemoryDataSet> matrix(MakeAccessMatrix(*config, nullptr));
        matrix->SetFilter("[Box3] = True");
        matrix->SetFiltered(true);
        std::printf("Access matrix: %d connectors, %d of them assigned to box 3\n",
                    matrix->StoredRecordCount(), matrix->RecordCount());
        matrix->SetFiltered(false);

        const std::string pdf = (outDir / "access-matrix.pdf").string();
        const TReportFacts report = WriteAccessMatrixReport(*matrix, pdf);
        std::printf("Access matrix report printed to %s: %d pages (%d across, %d down), A4 at 100 %%\n",
                    pdf.c_str(), report.Pages, report.PagesAcross, report.PagesDown);
        const std::string fitted = (outDir / "access-matrix-one-page-wide.pdf").string();
        const TReportFacts narrow = WriteAccessMatrixReport(*matrix, fitted, true);
        std::printf("Access matrix report fitted to one page wide printed to %s: %d pages\n", fitted.c_str(),
                    narrow.Pages);

        const std::string plain = (outDir / "access-matrix-grid.png").string();
        const std::string grouped = (outDir / "access-matrix-grid-grouped.png").string();
        const std::string filtered = (outDir / "access-matrix-grid-filtered.png").string();
        std::unique_ptr<TForm> window = MakeAccessMatrixWindow(*matrix, plain, grouped, filtered);
        std::printf("Access matrix grid pictured in %s (plain), %s (grouped by port, with summaries) and %s "
                    "(filtered to box 3)\n",
                    plain.c_str(), grouped.c_str(), filtered.c_str());
        WriteAccessMatrixExports(*window, outDir.string());
        std::unique_ptr<TAccessMatrixPreview> preview = MakeAccessMatrixPreview(config->Title(), *window);
        const std::string printed = (outDir / "access-matrix-preview-print.pdf").string();
        // The preview window cannot be pictured without showing it: with a display it only opens.
        if (Screen().Headless()) {
            SaveAccessMatrixPreviewWindow(*preview, outDir.string(), printed);
            std::printf("Access matrix report in the preview window pictured in %s (100 %%, page width, two and four "
                        "pages, while building) and printed from it to %s\n",
                        (outDir / "preview-window-*.png").string().c_str(), printed.c_str());
        }
        SaveDialogPictures(outDir.string());
        std::printf("Colour palette, fill effects (three pages) and Define Print Styles pictured in %s\n",
                    outDir.string().c_str());
        SavePageSetupPictures(outDir.string());
        std::printf("Page setup pictured in %s (page, margins, header and footer, scaling, margins warning)\n",
                    (outDir / "page-setup-*.png").string().c_str());
        SavePrintDialogPictures(*preview, outDir.string());
        std::printf("Print dialog pictured in %s (styles panel closed and open)\n",
                    (outDir / "print-dialog*.png").string().c_str());
        // Printing through the dialog shows it: only without a display.
        if (Screen().Headless()) {
            TPrintDialogSteps steps;
            steps.Printer = PdfPrinterName;
            steps.Pages = "1,3";
            steps.Copies = 2;
            steps.Collate = true;
            steps.FileName = (outDir / "access-matrix-print-dialog.pdf").string();
            if (!PrintThroughPrintDialog(*preview, steps))
                throw Exception("printing through the print dialog did not print");
            std::printf("Access matrix report printed through the print dialog to %s: pages %s, %d copies, collated\n",
                        steps.FileName.c_str(), steps.Pages.c_str(), steps.Copies);
        }
        // With a display the windows appear now that they are complete, and
        // the program ends when the main window is closed.
        if (!Screen().Headless()) {
            Application().SetMainForm(window.get());
            preview->Preview();
            window->Show();   // last, so that it has the focus
            app.exec();
            Application().SetMainForm(nullptr);
        }
        preview.reset();
        window.reset();
        dxUnregisterTreeListReportLink();
        dxUnregisterDBGridReportLink();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qeldemo: %s\n", e.what());
        return 1;
    }
    return 0;
}
