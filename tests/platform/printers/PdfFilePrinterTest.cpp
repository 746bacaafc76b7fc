// The built-in PDF file printer.
#include "platform/printers/CupsPrinters.h"
#include "platform/printers/PdfFilePrinter.h"

#include "PdfTools.h"
#include "TestSupport.h"
#include "platform/printers/CupsTestQueue.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include <filesystem>

namespace qel {
namespace {

using test::RunTool;
using test::TablePapers;

TEST(PdfFilePrinter, IsOnePrinterWithTheTablePapersAndAnAutomaticBin)
{
    TPdfPrinterBackend backend(TablePapers());
    const auto printers = backend.Printers();
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].Name, "PDF-Datei");
    EXPECT_EQ(printers[0].Port, "PDF:");
    EXPECT_EQ(backend.DefaultPrinter(), "PDF-Datei");
    ASSERT_EQ(backend.Papers("PDF-Datei")->size(), 3u);
    const auto bins = *backend.Bins("PDF-Datei");
    ASSERT_EQ(bins.size(), 1u);
    EXPECT_EQ(bins[0].Code, 7);
    EXPECT_EQ(bins[0].Name, "Automatisch");
    TDeviceMode mode;
    ASSERT_TRUE(backend.DefaultDeviceMode("PDF-Datei", mode));
    EXPECT_EQ(mode.PaperSize, 9);
    EXPECT_EQ(mode.DefaultSource, 7);
    EXPECT_FALSE(backend.DefaultDeviceMode("anderer", mode));
    EXPECT_FALSE(backend.Papers("anderer"));
}

TEST(PdfFilePrinter, WritesSearchableTextOnPagesLaidOutInTheirOrientation)
{
    test::TempDir dir;
    const std::string file = dir.File("bericht.pdf");
    TPdfPrinterBackend backend(TablePapers());
    TDeviceMode mode;
    backend.DefaultDeviceMode("PDF-Datei", mode);
    auto job = backend.StartDoc("PDF-Datei", mode, TDocInfo{"Bericht", file});
    TCanvas canvas;
    job->StartPage(mode);
    job->BindCanvas(canvas);
    EXPECT_EQ(canvas.GetDeviceCaps(LOGPIXELSX), 600);
    canvas.TextOut(300, 300, "Zutritt erlaubt");
    job->EndPage();
    mode.Orientation = DMORIENT_LANDSCAPE;
    mode.PaperSize = 11;
    job->StartPage(mode);
    job->BindCanvas(canvas);
    EXPECT_GT(canvas.GetDeviceCaps(HORZRES), canvas.GetDeviceCaps(VERTRES));
    canvas.TextOut(300, 300, "Zweite Seite");
    job->EndPage();
    EXPECT_FALSE(std::filesystem::exists(file));   // nothing before the end
    job->EndDoc();
    ASSERT_TRUE(std::filesystem::exists(file));

    const std::string info = RunTool("pdfinfo", {"-f", "1", "-l", "2", QString::fromStdString(file)});
    EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
    EXPECT_NE(info.find("Page    1 size:  595 x 842 pts"), std::string::npos) << info;
    EXPECT_NE(info.find("Page    2 size:  595 x 420 pts"), std::string::npos) << info;
    const std::string text = RunTool("pdftotext", {QString::fromStdString(file), "-"});
    EXPECT_NE(text.find("Zutritt erlaubt"), std::string::npos) << text;
    EXPECT_NE(text.find("Zweite Seite"), std::string::npos) << text;
}

TEST(PdfFilePrinter, AJobWithoutAFileAsksAndACancelledOrDroppedJobWritesNothing)
{
    test::TempDir dir;
    TPdfPrinterBackend backend(TablePapers());
    TDeviceMode mode;
    backend.DefaultDeviceMode("PDF-Datei", mode);
    std::string asked;
    backend.Printer().AskFileName = [&](const std::string& title) -> std::optional<std::string> {
        asked = title;
        return std::nullopt;
    };
    EXPECT_THROW(backend.StartDoc("PDF-Datei", mode, TDocInfo{"Liste", ""}), EPrinter);
    EXPECT_EQ(asked, "Liste");

    backend.Printer().AskFileName = [&](const std::string&) -> std::optional<std::string> {
        return dir.File("gewaehlt.pdf");
    };
    {
        auto job = backend.StartDoc("PDF-Datei", mode, TDocInfo{"Liste", ""});
        job->StartPage(mode);
        job->EndPage();
    }   // dropped
    EXPECT_FALSE(std::filesystem::exists(dir.File("gewaehlt.pdf")));
    auto job = backend.StartDoc("PDF-Datei", mode, TDocInfo{"Liste", ""});
    job->StartPage(mode);
    job->Abort();
    EXPECT_THROW(job->EndDoc(), EPrinter);
    EXPECT_FALSE(std::filesystem::exists(dir.File("gewaehlt.pdf")));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(PdfFilePrinter, IsTheDefaultWhenCupsHasNoPrinters)
{
    test::TempDir dir;
    cupsSetServer(dir.File("kein-server.sock").c_str());
    auto backend = CreateSystemPrinterBackend(TablePapers());
    const auto printers = backend->Printers();
    cupsSetServer(nullptr);
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].Name, "PDF-Datei");
    EXPECT_EQ(backend->DefaultPrinter(), "PDF-Datei");
    EXPECT_TRUE(backend->Status("PDF-Datei").IsDefault);
}

} // namespace
} // namespace qel
