// The main program's preview window on the access-matrix report: what it
// pictures without a display, and the print it starts from its "&Print..."
// command, read back by pdfinfo and pdftotext.
#include "demo/DemoConfig.h"
#include "demo/DemoData.h"
#include "demo/DemoPreview.h"
#include "platform/data/MemoryDataSet.h"
#include "platform/printers/PdfFilePrinter.h"
#include "preview/PreviewDialogs.h"

#include "TestSupport.h"
#include "printing/ComponentPrinterTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qel::test {
namespace {

TEST(DemoPreview, PicturesTheWindowAndPrintsFromItsPrintCommand)
{
    dxInstallPreviewDialogs();
    PrintDeviceScope<TPdfPrinterBackend> pdf([] { return std::make_unique<TPdfPrinterBackend>(TablePapers()); });
    TempDir out;
    std::unique_ptr<demo::TConfiguration> config(demo::MakeSampleConfiguration(32, 128));
    std::unique_ptr<TMemoryDataSet> matrix(demo::MakeAccessMatrix(*config, nullptr));
    TForm grid(nullptr);
    std::unique_ptr<demo::TAccessMatrixPreview> report = demo::MakeAccessMatrixPreview(config->Title(), *matrix, grid);
    const std::string printed = out.File("printed.pdf");
    demo::SaveAccessMatrixPreviewWindow(*report, out.Path().string(), printed);

    for (const char* picture : {"preview-window-100.png", "preview-window-page-width.png",
                                "preview-window-two-pages.png", "preview-window-four-pages.png",
                                "preview-window-building.png"})
        EXPECT_GT(std::filesystem::file_size(out.File(picture)), 5000u) << picture;
    // 128 connectors on landscape pages: four pages, the title on the first.
    ASSERT_EQ(PdfPageCount(printed), 4);
    const std::string first = RunTool("pdftotext", {"-f", "1", "-l", "1", QString::fromStdString(printed), "-"});
    EXPECT_NE(first.find("Zutrittsmatrix: " + config->Title()), std::string::npos);
    EXPECT_EQ(FooterNumbers(printed), (std::vector<int>{1, 2, 3, 4}));
    const std::string last = RunTool("pdftotext", {"-f", "4", "-l", "4", QString::fromStdString(printed), "-"});
    EXPECT_NE(last.find("Seite 4 von 4"), std::string::npos) << "the total, known once every page was cut";
    EXPECT_EQ(report->Printer->PreviewWindow(), nullptr) << "the window is closed again";
}

} // namespace
} // namespace qel::test
