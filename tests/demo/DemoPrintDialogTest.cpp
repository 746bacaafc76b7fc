// The main program's print through the print dialog: pages "1,3", two
// copies collated, to a file on the PDF file printer, read back by pdfinfo
// and pdftotext; and its pictures of the dialog.
#include "demo/DemoPreview.h"
#include "demo/DemoPrintDialog.h"
#include "platform/printers/PdfFilePrinter.h"
#include "printing/ReportLink.h"

#include "PdfTools.h"
#include "AccessMatrixReportFixture.h"
#include "TestSupport.h"
#include "printing/ComponentPrinterTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qel::test {
namespace {

TEST(DemoPrintDialog, PrintsTheChosenPagesTwiceInOrderIntoTheFile)
{
    PrintDeviceScope<TPdfPrinterBackend> pdf([] { return std::make_unique<TPdfPrinterBackend>(TablePapers()); });
    AccessMatrixReportFixture f(32, 128);
    const TempDir& out = f.out;
    demo::TAccessMatrixPreview* report = f.report.get();

    demo::SavePrintDialogPictures(*report, out.Path().string());
    for (const char* picture : {"print-dialog.png", "print-dialog-styles.png"})
        EXPECT_GT(std::filesystem::file_size(out.File(picture)), 3000u) << picture;
    EXPECT_GT(std::filesystem::file_size(out.File("print-dialog-styles.png")),
              std::filesystem::file_size(out.File("print-dialog.png")))
        << "the open styles panel shows more";

    demo::TPrintDialogSteps steps;
    steps.Printer = PdfPrinterName;
    steps.Pages = "1,3";
    steps.Copies = 2;
    steps.Collate = true;
    steps.FileName = out.File("access-matrix-print-dialog.pdf");
    ASSERT_TRUE(demo::PrintThroughPrintDialog(*report, steps));
    const int pages = report->Link->GetPageCount();
    ASSERT_GE(pages, 3);
    ASSERT_EQ(PdfPageCount(steps.FileName), 4);
    const int expected[] = {1, 3, 1, 3};
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 1);
        const std::string text = RunTool("pdftotext", {"-f", n, "-l", n, QString::fromStdString(steps.FileName), "-"});
        EXPECT_NE(text.find("Page " + std::to_string(expected[i]) + " of " + std::to_string(pages)),
                  std::string::npos)
            << "sheet " << i + 1 << " is report page " << expected[i];
    }

    // A second run of the program replaces the first run's file.
    steps.Pages = "2";
    steps.Copies = 1;
    ASSERT_TRUE(demo::PrintThroughPrintDialog(*report, steps)) << "the file of the last run is in the way";
    EXPECT_EQ(PdfPageCount(steps.FileName), 1);
}

} // namespace
} // namespace qel::test
