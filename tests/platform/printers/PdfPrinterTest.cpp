#include "platform/printers/CupsPrinters.h"
#include "platform/printers/PdfFilePrinter.h"

#include "PdfTools.h"
#include "TestSupport.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include <filesystem>

namespace qel {
namespace {

std::vector<TPrinterPaper> SomePapers()
{
    return {TPrinterPaper{1, "Letter 8 1/2 x 11 in", 2159, 2794, 0, 0, 0, 0, ""},
            TPrinterPaper{9, "A4 210 x 297 mm", 2100, 2970, 0, 0, 0, 0, ""},
            TPrinterPaper{11, "A5 148 x 210 mm", 1480, 2100, 0, 0, 0, 0, ""}};
}

using test::RunTool;

TEST(PdfFilePrinter, IsOnePrinterWithTheTablePapersAndAnAutomaticBin)
{
    TPdfPrinterBackend backend(SomePapers());
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
    TPdfPrinterBackend backend(SomePapers());
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
    TPdfPrinterBackend backend(SomePapers());
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
    auto backend = CreateSystemPrinterBackend(SomePapers());
    const auto printers = backend->Printers();
    cupsSetServer(nullptr);
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].Name, "PDF-Datei");
    EXPECT_EQ(backend->DefaultPrinter(), "PDF-Datei");
    EXPECT_TRUE(backend->Status("PDF-Datei").IsDefault);
}

TEST(CupsFacts, MediaNamesSourcesAndStateReasonsMapToTheDeviceCodes)
{
    const auto papers = SomePapers();
    EXPECT_EQ(PaperCodeOfMedia("iso_a4_210x297mm", 2100, 2970, papers), 9);
    EXPECT_EQ(PaperCodeOfMedia("na_letter_8.5x11in", 2159, 2794, papers), 1);
    EXPECT_EQ(PaperCodeOfMedia("na_legal_8.5x14in", 2159, 3556, papers), 5);
    EXPECT_EQ(PaperCodeOfMedia("iso_a6_105x148mm", 1050, 1480, papers), 70);
    // A name of its own but a size the table knows.
    EXPECT_EQ(PaperCodeOfMedia("om_small-a5_148x210mm", 1481, 2100, papers), 11);
    EXPECT_EQ(PaperCodeOfMedia("custom_148.52x209.9mm_148.52x209.9mm", 1485, 2099, papers), 11);
    EXPECT_EQ(PaperCodeOfMedia("om_odd_123x456mm", 1230, 4560, papers), 0);

    EXPECT_EQ(BinCodeOfSource("auto"), 7);
    EXPECT_EQ(BinCodeOfSource("manual"), 4);
    EXPECT_EQ(BinCodeOfSource("tray-2"), 2);
    EXPECT_EQ(BinCodeOfSource("roll-1"), 0);

    EXPECT_EQ(StatusOfStateReasons(IPP_PSTATE_IDLE, "none"), 0u);
    EXPECT_EQ(StatusOfStateReasons(IPP_PSTATE_STOPPED, "paused"), std::uint32_t(PRINTER_STATUS_PAUSED));
    EXPECT_EQ(StatusOfStateReasons(IPP_PSTATE_IDLE, "media-empty-error,toner-low-report"),
              std::uint32_t(PRINTER_STATUS_PAPER_OUT | PRINTER_STATUS_ERROR | PRINTER_STATUS_TONER_LOW));
    EXPECT_EQ(StatusOfStateReasons(IPP_PSTATE_PROCESSING, "door-open-warning"),
              std::uint32_t(PRINTER_STATUS_PRINTING | PRINTER_STATUS_DOOR_OPEN));
}

TEST(CupsFacts, PapersAndBinsGetReadableNamesWithoutAMessageCatalogue)
{
    // Without catalogues CUPS answers a value's keyword as its name.
    const auto papers = SomePapers();
    EXPECT_EQ(PaperNameOfMedia("iso_a4_210x297mm", 9, "iso_a4_210x297mm", papers), "A4 210 x 297 mm");
    EXPECT_EQ(PaperNameOfMedia("iso_a4_210x297mm", 9, "A4", papers), "A4 210 x 297 mm") << "the table names its papers";
    EXPECT_EQ(PaperNameOfMedia("om_odd_123x456mm", 257, "Seltsam", papers), "Seltsam");
    EXPECT_EQ(PaperNameOfMedia("om_odd_123x456mm", 257, "om_odd_123x456mm", papers), "Odd 123 x 456 mm");
    EXPECT_EQ(PaperNameOfMedia("oe_photo-l_3.5x5in", 258, nullptr, papers), "Photo l 3.5 x 5 in");
    EXPECT_EQ(PaperNameOfMedia("custom_100x200mm_100x200mm", 259, "", papers), "100 x 200 mm");
    EXPECT_EQ(PaperNameOfMedia("Postcard.Fullbleed", 260, nullptr, papers), "Postcard.Fullbleed");

    EXPECT_EQ(BinNameOfSource("auto", "auto"), "Automatic");
    EXPECT_EQ(BinNameOfSource("manual", nullptr), "Manual feed");
    EXPECT_EQ(BinNameOfSource("tray-1", "tray-1"), "Tray 1");
    EXPECT_EQ(BinNameOfSource("tray-12", ""), "Tray 12");
    EXPECT_EQ(BinNameOfSource("large-capacity", "large-capacity"), "Large capacity");
    EXPECT_EQ(BinNameOfSource("by-pass-tray", "by-pass-tray"), "Bypass tray");
    EXPECT_EQ(BinNameOfSource("roll-2", "roll-2"), "Roll 2");
    EXPECT_EQ(BinNameOfSource("tray-1", "Fach 1"), "Fach 1") << "a catalogue's name wins";
}

} // namespace
} // namespace qel
