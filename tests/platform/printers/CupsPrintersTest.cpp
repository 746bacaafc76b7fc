// Printing through the CUPS back end on a real scheduler's PDF queue.
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

} // namespace
} // namespace qel
