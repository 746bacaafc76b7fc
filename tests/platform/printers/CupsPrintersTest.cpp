// Printing through the CUPS back end on a real scheduler's PDF queue, and
// how CUPS media, sources and state reasons map to the device codes.
#include "platform/printers/CupsPrinters.h"

#include "TestSupport.h"
#include "platform/printers/CupsTestQueue.h"

#include <algorithm>
#include <set>

namespace qel {
namespace {

using test::CupsQueue;
using test::Queue;
using test::RunTool;
using test::TablePapers;

// A job on the queue's own settings with one page of Text, not ended yet.
std::unique_ptr<TPrintJob> StartOnePage(TPrinterBackend& Backend, const std::string& Title, const std::string& Text,
                                        const std::string& Output = "")
{
    TDeviceMode mode;
    EXPECT_TRUE(Backend.DefaultDeviceMode(Queue, mode));
    auto job = Backend.StartDoc(Queue, mode, TDocInfo{Title, Output});
    TCanvas canvas;
    job->StartPage(mode);
    job->BindCanvas(canvas);
    canvas.TextOut(200, 200, Text);
    job->UnbindCanvas(canvas);
    return job;
}

TEST_F(CupsQueue, ListsTheQueueWithItsPapersAndLimits)
{
    TCupsPrinterBackend backend(TablePapers());
    const auto printers = backend.Printers();
    const auto it = std::find_if(printers.begin(), printers.end(), [](const TPrinterInfo& p) { return p.Name == Queue; });
    ASSERT_NE(it, printers.end());
    EXPECT_NE(it->Driver, "");
    EXPECT_EQ(it->Comment, "PDF queue for tests");
    EXPECT_EQ(backend.DefaultPrinter(), Queue);
    const TPrinterStatus status = backend.Status(Queue);
    EXPECT_TRUE(status.IsDefault);
    EXPECT_FALSE(status.IsNetwork);
    EXPECT_EQ(status.Status & PRINTER_STATUS_PAUSED, 0u);

    const auto papers = backend.Papers(Queue);
    ASSERT_TRUE(papers);
    auto find = [&](int code) {
        return std::find_if(papers->begin(), papers->end(), [&](const TPrinterPaper& p) { return p.Code == code; });
    };
    ASSERT_NE(find(9), papers->end());
    EXPECT_EQ(find(9)->Width, 2100);
    EXPECT_EQ(find(9)->Height, 2970);
    EXPECT_EQ(find(9)->Media.rfind("iso_a4_210x297mm", 0), 0u) << find(9)->Media;
    EXPECT_EQ(find(9)->Name, "A4 210 x 297 mm");   // the paper table's name
    ASSERT_NE(find(1), papers->end());
    EXPECT_EQ(find(1)->Width, 2159);
    ASSERT_NE(find(8), papers->end());   // A3, known by its standard name
    ASSERT_NE(find(11), papers->end());  // A5, known by its size in whole points
    EXPECT_EQ(find(11)->Width, 1480);
    // Every code stands for one paper only.
    std::set<int> codes;
    for (const TPrinterPaper& p : *papers)
        EXPECT_TRUE(codes.insert(p.Code).second) << p.Code << " " << p.Name;

    TDeviceMode mode;
    ASSERT_TRUE(backend.DefaultDeviceMode(Queue, mode));
    EXPECT_EQ(mode.PaperSize, 9);   // the queue's default media is A4
    EXPECT_EQ(mode.Orientation, DMORIENT_PORTRAIT);
    const TPrinterLimits limits = backend.Limits(Queue);
    EXPECT_GT(limits.MaxCopies, 1);
    EXPECT_TRUE(mode.Fields & DM_COPIES);
    EXPECT_FALSE(backend.DefaultDeviceMode("QEL_NO_SUCH_QUEUE", mode));
    EXPECT_FALSE(backend.Papers("QEL_NO_SUCH_QUEUE"));
}

TEST_F(CupsQueue, PrintsATwoPageJobWithCopiesAsSearchablePdf)
{
    TCupsPrinterBackend backend(TablePapers());
    TDeviceMode mode;
    ASSERT_TRUE(backend.DefaultDeviceMode(Queue, mode));
    mode.Copies = 2;
    mode.Collate = DMCOLLATE_TRUE;
    mode.Fields |= DM_COPIES | DM_COLLATE;
    const std::string title = UniqueTitle("zwei");
    auto job = backend.StartDoc(Queue, mode, TDocInfo{title, ""});
    TCanvas canvas;
    job->StartPage(mode);
    job->BindCanvas(canvas);
    canvas.TextOut(200, 200, "Erste Seite der Matrix");
    job->EndPage();
    job->StartPage(mode);
    job->BindCanvas(canvas);
    canvas.TextOut(200, 200, "Zweite Seite der Matrix");
    job->EndPage();
    EXPECT_EQ(job->JobId(), 0);   // the queue sees nothing before the end
    EXPECT_FALSE(AnyJobTitled(title));
    job->EndDoc();
    const int jobId = job->JobId();
    ASSERT_GT(jobId, 0);
    EXPECT_EQ(JobInteger(jobId, "copies"), 2);
    EXPECT_EQ(JobKeyword(jobId, "multiple-document-handling"), "separate-documents-collated-copies");
    // Pages come laid out; the queue is never asked to turn them.
    EXPECT_EQ(JobInteger(jobId, "orientation-requested"), -1);

    const std::string file = WaitForOutput(title, jobId);
    ASSERT_FALSE(file.empty());
    const std::string info = RunTool("pdfinfo", {QString::fromStdString(file)});
    EXPECT_NE(info.find("Page size:       595 x 842 pts (A4)"), std::string::npos) << info;
    // Two collated copies of the two pages.
    EXPECT_NE(info.find("Pages:           4"), std::string::npos) << info;
    const QStringList pages =
        QString::fromStdString(RunTool("pdftotext", {QString::fromStdString(file), "-"})).split('\f');
    ASSERT_GE(pages.size(), 4);
    EXPECT_TRUE(pages[0].contains("Erste Seite der Matrix")) << pages[0].toStdString();
    EXPECT_TRUE(pages[1].contains("Zweite Seite der Matrix")) << pages[1].toStdString();
    EXPECT_TRUE(pages[2].contains("Erste Seite der Matrix")) << pages[2].toStdString();
    EXPECT_TRUE(pages[3].contains("Zweite Seite der Matrix")) << pages[3].toStdString();
}

TEST_F(CupsQueue, JobsAreWrittenIntoAFolderOfThisRunsOwn)
{
    // Another run's scheduler numbers its jobs from 1 as well: a shared
    // folder would hand a test the other run's file of the same number.
    const char* dir = std::getenv("QEL_CUPS_DIR");
    const std::string own = dir ? dir : "/tmp/qel-cups-" + std::to_string(::getuid());
    EXPECT_EQ(s_outDir, (std::filesystem::path(own) / "pdf").string());
    TCupsPrinterBackend backend(TablePapers());
    const std::string title = UniqueTitle("eigen");
    auto job = StartOnePage(backend, title, "Nur dieser Lauf");
    job->EndDoc();
    const std::string file = WaitForOutput(title, job->JobId());
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(std::filesystem::path(file).parent_path(), std::filesystem::path(s_outDir));
    EXPECT_NE(RunTool("pdftotext", {QString::fromStdString(file), "-"}).find("Nur dieser Lauf"), std::string::npos);
}

TEST_F(CupsQueue, ACancelledJobLeavesNothing)
{
    TCupsPrinterBackend backend(TablePapers());
    const std::string aborted = UniqueTitle("abgebrochen");
    StartOnePage(backend, aborted, "nie gedruckt")->Abort();
    const std::string dropped = UniqueTitle("verworfen");
    StartOnePage(backend, dropped, "nie gedruckt");   // destroyed without an end
    EXPECT_FALSE(AnyJobTitled(aborted));
    EXPECT_FALSE(AnyJobTitled(dropped));
    for (const auto& entry : std::filesystem::directory_iterator(s_outDir)) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(name.find(aborted), std::string::npos) << name;
        EXPECT_EQ(name.find(dropped), std::string::npos) << name;
    }
}

TEST_F(CupsQueue, PrintingToAFileWritesTheDocumentThereInsteadOfTheQueue)
{
    test::TempDir dir;
    TCupsPrinterBackend backend(TablePapers());
    const std::string title = UniqueTitle("datei");
    auto job = StartOnePage(backend, title, "In die Datei", dir.File("ausgabe.prn"));
    job->EndDoc();
    EXPECT_EQ(job->JobId(), 0);
    EXPECT_FALSE(AnyJobTitled(title));
    const std::string text = RunTool("pdftotext", {QString::fromStdString(dir.File("ausgabe.prn")), "-"});
    EXPECT_NE(text.find("In die Datei"), std::string::npos) << text;
}

TEST(CupsFacts, MediaNamesSourcesAndStateReasonsMapToTheDeviceCodes)
{
    const auto papers = TablePapers();
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
    const auto papers = TablePapers();
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
