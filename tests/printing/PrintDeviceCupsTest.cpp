// The printer device over the system's printers: the CUPS queues of a real
// (private) scheduler and the built-in PDF file printer.
#include "printing/PrintDevice.h"

#include "AbortAtPageBreak.h"
#include "TestSupport.h"
#include "platform/printers/CupsTestQueue.h"
#include "platform/printers/PdfFilePrinter.h"

#include <QRegularExpression>

#include <filesystem>

namespace qel {
namespace {

using test::CupsQueue;
using test::Queue;
using test::RunTool;

TEST_F(CupsQueue, DeviceListsTheQueuesAndThePdfPrinterLast)
{
    TdxPrintDevice device;
    TStringList* printers = device.Printers();
    ASSERT_GE(printers->Count(), 2);
    EXPECT_EQ(printers->Get(printers->Count() - 1), "PDF-Datei");
    EXPECT_EQ(device.PrinterInfo(printers->Count() - 1)->Port(), "PDF:");
    EXPECT_NE(printers->IndexOf(Queue), -1);
    EXPECT_EQ(device.GetDeviceName(), Queue);   // the scheduler's default
    EXPECT_EQ(device.PaperInfo(device.CurrentPaperIndex())->DMPaper(), 9);
    EXPECT_EQ(device.Papers()->Get(device.Papers()->Count() - 1), "Custom Size");
    EXPECT_GT(device.MaxCopies(), 1);
    EXPECT_TRUE(device.Capabilities().Contains(pcCopies));

    // The PDF printer: the paper table's papers and one automatic bin.
    device.SetPrinterIndex(printers->Count() - 1);
    EXPECT_EQ(device.GetDeviceName(), "PDF-Datei");
    EXPECT_EQ(device.DeviceMode()->PaperSize, 9);   // carried over, and its own default
    EXPECT_GE(device.Papers()->Count(), 100);
    EXPECT_NE(device.IndexOfPaper(70), -1);
    ASSERT_EQ(device.Bins()->Count(), 1);
    EXPECT_EQ(device.Bins()->Get(0), "Automatisch");
    EXPECT_EQ(device.BinCode(0), 7);
    EXPECT_TRUE(device.IsAutoSelectBin(0));
}

TEST_F(CupsQueue, DevicePrintsLandscapePagesWithoutTurningThem)
{
    TdxPrintDevice device;
    ASSERT_EQ(device.GetDeviceName(), Queue);
    ASSERT_TRUE(device.SetPaperByCode(9));
    device.SetOrientation(poLandscape);
    const std::string title = UniqueTitle("quer");
    device.SetTitle(title);
    ASSERT_GT(device.BeginDoc(), 0);
    EXPECT_GT(device.HorzRes(), device.VertRes());
    device.Canvas()->Font()->SetSize(14);
    device.Canvas()->TextOut(100, 100, "Quer gedruckte Matrix");
    device.NewPage();
    device.Canvas()->TextOut(100, 100, "Noch eine Seite");
    device.EndDoc();

    // The newest job of that title is ours.
    cups_job_t* jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, Queue, 0, CUPS_WHICHJOBS_ALL);
    int jobId = 0;
    for (int i = 0; i < n; ++i)
        if (jobs[i].title && title == jobs[i].title)
            jobId = std::max(jobId, jobs[i].id);
    cupsFreeJobs(n, jobs);
    ASSERT_GT(jobId, 0);
    EXPECT_EQ(JobInteger(jobId, "orientation-requested"), -1);
    const std::string file = WaitForOutput(title, jobId);
    ASSERT_FALSE(file.empty());
    const std::string info = RunTool("pdfinfo", {QString::fromStdString(file)});
    EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
    // The sheet is A4 as it lies in the printer; the landscape page is
    // turned onto it once, so its lines run up the sheet.
    EXPECT_NE(info.find("Page size:       595 x 842 pts (A4)"), std::string::npos) << info;
    const std::string text = RunTool("pdftotext", {QString::fromStdString(file), "-"});
    EXPECT_NE(text.find("Quer gedruckte Matrix"), std::string::npos) << text;
    EXPECT_NE(text.find("Noch eine Seite"), std::string::npos) << text;
    const QString boxes = QString::fromStdString(RunTool("pdftotext", {"-bbox", QString::fromStdString(file), "-"}));
    const QRegularExpression word(
        R"re(xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">Matrix<)re");
    const QRegularExpressionMatch m = word.match(boxes);
    ASSERT_TRUE(m.hasMatch()) << boxes.toStdString();
    const double width = m.captured(3).toDouble() - m.captured(1).toDouble();
    const double height = m.captured(4).toDouble() - m.captured(2).toDouble();
    EXPECT_GT(height, 2 * width) << boxes.toStdString();
}

TEST_F(CupsQueue, DeviceSendsThePrintToFileNameToTheJob)
{
    test::TempDir dir;
    TdxPrintDevice device;
    ASSERT_EQ(device.GetDeviceName(), Queue);
    const std::string title = UniqueTitle("datei");
    device.SetTitle(title);
    device.SetOutputFileName(dir.File("bericht.prn"));
    ASSERT_GT(device.BeginDoc(), 0);
    device.Canvas()->TextOut(100, 100, "Nur in der Datei");
    device.EndDoc();
    EXPECT_FALSE(AnyJobTitled(title));
    const std::string text = RunTool("pdftotext", {QString::fromStdString(dir.File("bericht.prn")), "-"});
    EXPECT_NE(text.find("Nur in der Datei"), std::string::npos) << text;
}

class CupsQueueAbort : public CupsQueue, public ::testing::WithParamInterface<test::TAbortPoint> {};

TEST_P(CupsQueueAbort, CancellingAtAPageBreakSendsNothingToTheQueue)
{
    TdxPrintDevice device;
    ASSERT_EQ(device.GetDeviceName(), Queue);
    const std::string title = UniqueTitle("abbruch");
    device.SetTitle(title);
    test::AbortAtTheFirstPageBreak(device, GetParam());
    EXPECT_FALSE(AnyJobTitled(title));
}

INSTANTIATE_TEST_SUITE_P(CupsQueue, CupsQueueAbort,
                         ::testing::Values(test::TAbortPoint::PostedCall, test::TAbortPoint::NewPageEvent),
                         test::AbortPointName);

} // namespace
} // namespace qel
