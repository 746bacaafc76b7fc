#pragma once
// A real CUPS scheduler for printer tests: a private one started by
// tools/cups-test-server.sh with a PDF queue, QEL_PDF, whose output the
// tests read back with pdfinfo and pdftotext. The queue writes into a folder
// of this run's own (another run's jobs may have the same numbers); a test's
// files are removed when it ends. Where no scheduler can be started the
// tests of this fixture fail and say why.
#include "platform/printers/PrinterBackend.h"

#include "PdfTools.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QThread>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace qel::test {

inline const char* const Queue = "QEL_PDF";
// A user without an account: the cups-pdf driver writes such users' jobs to
// its anonymous directory, named after the job's title and number.
inline const char* const JobUser = "qel-cups-test";
// Longest wait for the queue to finish a job.
constexpr int JobTimeoutMs = 90000;

inline std::string ScriptPath()
{
    const char* data = std::getenv("QEL_TEST_DATA");
    const std::filesystem::path tests = data ? std::filesystem::path(data)
                                             : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    return (tests.parent_path() / "tools" / "cups-test-server.sh").string();
}


inline std::vector<TPrinterPaper> TablePapers()
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
        for (const std::string& file : s_written)
            std::filesystem::remove(file);
        s_written.clear();
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
                if (!file.empty()) {
                    s_written.push_back(file);
                    return file;
                }
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

    static inline std::string s_error;
    static inline std::string s_socket;
    static inline std::string s_outDir;
    static inline std::vector<std::string> s_written;   // removed when the test ends
};

} // namespace qel::test
