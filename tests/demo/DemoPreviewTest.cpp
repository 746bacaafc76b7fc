// The main program's preview window on the access-matrix report: what it
// pictures without a display, and the print it starts from its "&Print..."
// command, read back by pdfinfo and pdftotext.
#include "demo/DemoPreview.h"
#include "platform/printers/PdfFilePrinter.h"

#include "AccessMatrixReportFixture.h"
#include "TestSupport.h"
#include "printing/ComponentPrinterTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qel::test {
namespace {

TEST(DemoPreview, PicturesTheWindowAndPrintsFromItsPrintCommand)
{
    PrintDeviceScope<TPdfPrinterBackend> pdf([] { return std::make_unique<TPdfPrinterBackend>(TablePapers()); });
    AccessMatrixReportFixture f(32, 128);
    const TempDir& out = f.out;
    demo::TAccessMatrixPreview* report = f.report.get();
    const std::string printed = out.File("printed.pdf");
    demo::SaveAccessMatrixPreviewWindow(*report, out.Path().string(), printed);

    for (const char* picture : {"preview-window-100.png", "preview-window-page-width.png",
                                "preview-window-two-pages.png", "preview-window-four-pages.png",
                                "preview-window-building.png"})
        EXPECT_GT(std::filesystem::file_size(out.File(picture)), 5000u) << picture;
    // Every page the grid's link cuts, the title on the first, each page's
    // number and the total in its footer.
    const int pages = report->Link->GetPageCount();
    ASSERT_GT(pages, 1);
    ASSERT_EQ(PdfPageCount(printed), pages);
    const std::string first = RunTool("pdftotext", {"-f", "1", "-l", "1", QString::fromStdString(printed), "-"});
    EXPECT_NE(first.find("Zutrittsmatrix: " + f.config->Title()), std::string::npos);
    for (int i = 1; i <= pages; ++i) {
        const QString n = QString::number(i);
        const std::string text = RunTool("pdftotext", {"-f", n, "-l", n, QString::fromStdString(printed), "-"});
        EXPECT_NE(text.find("Page " + std::to_string(i) + " of " + std::to_string(pages)), std::string::npos)
            << "the total, known once every page was cut";
    }
    EXPECT_EQ(report->Printer->PreviewWindow(), nullptr) << "the window is closed again";
}

} // namespace
} // namespace qel::test
