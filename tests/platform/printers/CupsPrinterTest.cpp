// Printing through a real CUPS scheduler: a private one started by
// tools/cups-test-server.sh with a PDF queue, QEL_PDF, whose output the
// tests read back with pdfinfo and pdftotext. Where no scheduler can be
// started these tests fail and say why.
#include "platform/printers/CupsPrinters.h"

#include "TestSupport.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QThread>

#include <unistd.h>

#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <set>

namespace qel {
namespace {

const char* const Queue = "QEL_PDF";
// A user without an account: the cups-pdf driver writes such users' jobs to
// its anonymous directory, named after the job's title and number.
const char* const JobUser = "qel-cups-test";
// Longest wait for the queue to finish a job.
constexpr int JobTimeoutMs = 90000;

std::string ScriptPath()
{
    const char* data = std::getenv("QEL_TEST_DATA");
    const std::filesystem::path tests = data ? std::filesystem::path(data)
                                             : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    return (tests.parent_path() / "tools" / "cups-test-server.sh").string();
}

std::string RunTool(const char* program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return p.readAllStandardOutput().toStdString();
}

std::vector<TPrinterPaper> TablePapers()
{
    return {TPrinterPaper{1, "Letter 8 1/2 x 11 in", 2159, 2794, 0, 0, 0, 0, ""},
            TPrinterPaper{9, "A4 210 x 297 mm", 2100, 2970, 0, 0, 0, 0, ""},
            TPrinterPaper{11, "A5 148 x 210 mm", 1480, 2100, 0, 0, 0, 0, ""}};
}

class CupsQueue : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        QProcess p;
        p.start("bash", {QString::fromStdString(ScriptPath()), "start"});
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            s_error = "No CUPS scheduler could be started for the printer tests (" + ScriptPath()
                      + "): " + p.readAllStandardError().toStdString();
            return;
        }
        const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n');
        for (const QString& line : lines) {
            if (line.startsWith("CUPS_SERVER="))
                s_socket = line.mid(12).toStdString();
            else if (line.startsWith("QEL_CUPS_PDF_OUT="))
                s_outDir = line.mid(17).toStdString();
        }
        if (s_socket.empty() || s_outDir.empty())
            s_error = "The CUPS test scheduler script did not name its socket and output directory";
    }

    void SetUp() override
    {
        if (!s_error.empty())
            FAIL() << s_error;
        cupsSetServer(s_socket.c_str());
        cupsSetUser(JobUser);
    }
    void TearDown() override
    {
        cupsSetServer(nullptr);
        cupsSetUser(nullptr);
    }

    // A title no other job of any run shares.
    static std::string UniqueTitle(const char* what)
    {
        static int counter = 0;
        return std::string("qeltest_") + what + "_" + std::to_string(::getpid()) + "_" + std::to_string(++counter)
               + "_" + std::to_string(QDateTime::currentMSecsSinceEpoch() % 1000000);
    }

    // The driver names the file after the title (which it may lengthen with
    // the document's own) and the job number.
    static std::string OutputOf(const std::string& title, int jobId)
    {
        const std::string suffix = "-job_" + std::to_string(jobId) + ".pdf";
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(s_outDir, error)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(title, 0) == 0 && name.size() >= suffix.size()
                && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                return entry.path().string();
        }
        return {};
    }

    // Polls until the queue has finished the job and its file is there.
    static std::string WaitForOutput(const std::string& title, int jobId)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < JobTimeoutMs) {
            const ipp_jstate_t state = JobState(jobId);
            if (state == IPP_JSTATE_COMPLETED) {
                const std::string file = OutputOf(title, jobId);
                if (!file.empty())
                    return file;
            }
            if (state == IPP_JSTATE_ABORTED || state == IPP_JSTATE_CANCELED || state == IPP_JSTATE_STOPPED) {
                ADD_FAILURE() << "the queue gave up job " << jobId << " (state " << state
                              << "); the cups-pdf driver needs the scheduler to run as root";
                return {};
            }
            QThread::msleep(100);
        }
        ADD_FAILURE() << "no output of job " << jobId << " in " << s_outDir;
        return {};
    }

    static ipp_jstate_t JobState(int jobId)
    {
        cups_job_t* jobs = nullptr;
        const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, Queue, 0, CUPS_WHICHJOBS_ALL);
        ipp_jstate_t state = IPP_JSTATE_PENDING;
        bool found = false;
        for (int i = 0; i < n; ++i)
            if (jobs[i].id == jobId) {
                state = jobs[i].state;
                found = true;
            }
        cupsFreeJobs(n, jobs);
        return found ? state : IPP_JSTATE_CANCELED;
    }

    static bool AnyJobTitled(const std::string& title)
    {
        cups_job_t* jobs = nullptr;
        const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, Queue, 0, CUPS_WHICHJOBS_ALL);
        bool found = false;
        for (int i = 0; i < n; ++i)
            if (jobs[i].title && title == jobs[i].title)
                found = true;
        cupsFreeJobs(n, jobs);
        return found;
    }

    static int JobInteger(int jobId, const char* name)
    {
        ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
        const std::string uri = "ipp://localhost/jobs/" + std::to_string(jobId);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
        ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
        int value = -1;
        if (ipp_attribute_t* attr = response ? ippFindAttribute(response, name, IPP_TAG_INTEGER) : nullptr)
            value = ippGetInteger(attr, 0);
        ippDelete(response);
        return value;
    }

    static std::string JobKeyword(int jobId, const char* name)
    {
        ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
        const std::string uri = "ipp://localhost/jobs/" + std::to_string(jobId);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
        ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
        std::string value;
        if (ipp_attribute_t* attr = response ? ippFindAttribute(response, name, IPP_TAG_ZERO) : nullptr)
            if (const char* s = ippGetString(attr, 0, nullptr))
                value = s;
        ippDelete(response);
        return value;
    }

    static std::string s_error;
    static std::string s_socket;
    static std::string s_outDir;
};

std::string CupsQueue::s_error;
std::string CupsQueue::s_socket;
std::string CupsQueue::s_outDir;

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
    EXPECT_NE(find(9)->Name, "");
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
    std::filesystem::remove(file);
}

TEST_F(CupsQueue, ACancelledJobLeavesNothing)
{
    TCupsPrinterBackend backend(TablePapers());
    TDeviceMode mode;
    ASSERT_TRUE(backend.DefaultDeviceMode(Queue, mode));
    const std::string aborted = UniqueTitle("abgebrochen");
    {
        auto job = backend.StartDoc(Queue, mode, TDocInfo{aborted, ""});
        TCanvas canvas;
        job->StartPage(mode);
        job->BindCanvas(canvas);
        canvas.TextOut(200, 200, "nie gedruckt");
        job->Abort();
    }
    const std::string dropped = UniqueTitle("verworfen");
    {
        auto job = backend.StartDoc(Queue, mode, TDocInfo{dropped, ""});
        job->StartPage(mode);
    }
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
    TDeviceMode mode;
    ASSERT_TRUE(backend.DefaultDeviceMode(Queue, mode));
    const std::string title = UniqueTitle("datei");
    auto job = backend.StartDoc(Queue, mode, TDocInfo{title, dir.File("ausgabe.prn")});
    TCanvas canvas;
    job->StartPage(mode);
    job->BindCanvas(canvas);
    canvas.TextOut(200, 200, "In die Datei");
    job->EndDoc();
    EXPECT_EQ(job->JobId(), 0);
    EXPECT_FALSE(AnyJobTitled(title));
    const std::string text = RunTool("pdftotext", {QString::fromStdString(dir.File("ausgabe.prn")), "-"});
    EXPECT_NE(text.find("In die Datei"), std::string::npos) << text;
}

} // namespace
} // namespace qel
