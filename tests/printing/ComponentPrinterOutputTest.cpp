// The access matrix printed by the component printer on real printers: the
// built-in PDF file printer and a CUPS queue with the PDF driver on the
// private scheduler. pdfinfo counts the pages and pdftotext reads each
// page's footer number, which gives the order the pages came out in.
#include "printing/ComponentPrinter.h"

#include "platform/controls/Dialogs.h"
#include "platform/printers/PdfFilePrinter.h"

#include "AccessMatrixGridLink.h"
#include "ComponentPrinterTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <regex>
#include <ostream>
#include <string>
#include <vector>

namespace qel {
namespace {

using test::AccessMatrix;
using test::DialogAnswer;

struct OutputCase {
    const char* Name;
    bool WithDialog;
    DialogAnswer Answer;
    AccessMatrix Matrix;
    bool DownThenAcross;
    std::vector<int> Footers;   // the page numbers in the order printed
};

void PrintTo(const OutputCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

DialogAnswer Odd(const char* Pages)
{
    return test::PageList(Pages, ppnOdd);
}

DialogAnswer Even(const char* Pages)
{
    return test::PageList(Pages, ppnEven);
}

// The grid prints about 52 connectors a page: 250 connectors give 5 pages,
// 130 give 3; 80 connectors by 16 boxes are 2 pages wide and 2 tall.
const OutputCase g_cases[] = {
    {"all_pages", false, {}, {250, 8}, false, {1, 2, 3, 4, 5}},
    {"page_list", true, test::PageList("1,3-4"), {250, 8}, false, {1, 3, 4}},
    {"odd_pages_of_2_5", true, Odd("2-5"), {250, 8}, false, {3, 5}},
    {"even_pages_of_2_5", true, Even("2-5"), {250, 8}, false, {2, 4}},
    {"two_copies_collated", true, test::AllPages(2, true), {130, 8}, false, {1, 2, 3, 1, 2, 3}},
    {"two_copies_not_collated", true, test::AllPages(2, false), {130, 8}, false, {1, 1, 2, 2, 3, 3}},
    {"down_then_across", false, {}, {80, 16}, true, {1, 3, 2, 4}},
};

std::string CaseName(const ::testing::TestParamInfo<OutputCase>& Info)
{
    return Info.param.Name;
}

// The matrix link of a case on a printer of its own; prints it, to File
// through the dialog when the case uses the dialog and File is given.
struct MatrixPrint {
    TComponent owner{nullptr};
    TdxComponentPrinter* printer = new TdxComponentPrinter(&owner);
    TdxDBGridReportLink* link;

    explicit MatrixPrint(const OutputCase& Case) : link(test::MakeAccessMatrixGridLink(*printer, &owner, Case.Matrix))
    {
        if (Case.DownThenAcross)
            link->PrinterPage()->SetPageOrder(poDownThenOver);
    }

    bool Print(const OutputCase& Case, const std::string& File)
    {
        if (!Case.WithDialog)
            return printer->Print(false, nullptr, link);
        DialogAnswer answer = Case.Answer;
        answer.PrintToFile = !File.empty();
        answer.FileName = File;
        test::DialogScope dialog(answer);
        return printer->Print(true, nullptr, link);
    }

    // Aborts at the break to page 3.
    void AbortAfterPageTwo()
    {
        printer->OnNewPage = [this](TObject*, TBasedxReportLink*, int PageIndex) {
            if (PageIndex == 2)
                printer->AbortPrinting();
        };
    }
};

// ----- the PDF file printer -------------------------------------------------------------------------------

// The built-in PDF file printer as the process-wide device; the answers of
// its save dialog are the test's.
class PdfFilePrinterScope : public test::PrintDeviceScope<TPdfPrinterBackend> {
public:
    PdfFilePrinterScope()
        : PrintDeviceScope([] { return std::make_unique<TPdfPrinterBackend>(test::TablePapers()); })
    {
    }
    // The file a job without print-to-file name goes to.
    void AnswerFileName(const std::string& File)
    {
        Backend->Printer().AskFileName = [File](const std::string&) { return std::optional<std::string>(File); };
    }
    // The save dialog cancelled.
    void AnswerNoFileName()
    {
        Backend->Printer().AskFileName = [](const std::string&) { return std::optional<std::string>(); };
    }
};

class ComponentPrinterPdf : public ::testing::TestWithParam<OutputCase> {
protected:
    PdfFilePrinterScope pdf;
    test::TempDir dir;
};

TEST_P(ComponentPrinterPdf, PrintsThePagesInOrder)
{
    const OutputCase& c = GetParam();
    MatrixPrint job(c);
    const std::string file = dir.File("matrix.pdf");
    pdf.AnswerFileName(file);
    ASSERT_TRUE(job.Print(c, c.WithDialog ? file : std::string()));
    EXPECT_EQ(test::PdfPageCount(file), static_cast<int>(c.Footers.size()));
    EXPECT_EQ(test::FooterNumbers(file), c.Footers);
}

INSTANTIATE_TEST_SUITE_P(Matrix, ComponentPrinterPdf, ::testing::ValuesIn(g_cases), CaseName);

// What comes out is the grid's report: the column headers on every page
// and each connector's row once, in order.
TEST(ComponentPrinterPdfFile, ThePagesHoldTheGridsRowsOnceUnderItsHeaders)
{
    PdfFilePrinterScope pdf;
    test::TempDir dir;
    MatrixPrint job(g_cases[4]);
    const std::string file = dir.File("matrix.pdf");
    pdf.AnswerFileName(file);
    ASSERT_TRUE(job.Print(g_cases[0], {}));
    ASSERT_EQ(test::PdfPageCount(file), 3);
    std::vector<int> connectors;
    static const std::regex title("Tür (\\d+)");
    for (int page = 1; page <= 3; ++page) {
        const std::string text = test::PdfPageText(file, page);
        EXPECT_NE(text.find("Connector"), std::string::npos) << page;
        for (std::sregex_iterator it(text.begin(), text.end(), title), end; it != end; ++it)
            connectors.push_back(std::stoi((*it)[1]));
    }
    std::vector<int> expected(130);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(connectors, expected);
}

TEST(ComponentPrinterPdfFile, AnAbortAfterPageTwoWritesNoFileAndTheDialogsNameIsUsed)
{
    PdfFilePrinterScope pdf;
    test::TempDir dir;
    MatrixPrint job(g_cases[0]);
    job.AbortAfterPageTwo();
    const std::string aborted = dir.File("abgebrochen.pdf");
    pdf.AnswerFileName(aborted);
    EXPECT_FALSE(job.Print(g_cases[0], {}));
    EXPECT_FALSE(std::filesystem::exists(aborted));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));

    // Print to file through the dialog: the PDF lands at the chosen name.
    job.printer->OnNewPage = nullptr;
    const std::string chosen = dir.File("zutritt.prn");
    pdf.AnswerFileName(dir.File("nicht-hier.pdf"));
    ASSERT_TRUE(job.Print(g_cases[1], chosen));
    EXPECT_EQ(test::FooterNumbers(chosen), (std::vector<int>{1, 3, 4}));
    EXPECT_FALSE(std::filesystem::exists(dir.File("nicht-hier.pdf")));
    // A PDF that cannot be written is reported as the device's error; so
    // is a job whose file was never chosen (the printer's port is not "FILE:").
    EXPECT_THROW(job.Print(g_cases[1], dir.File("fehlt/zutritt.prn")), EdxPrintDevice);
    std::vector<std::string> messages;
    TMessageDlgHookScope hook([&](const TMessageDlgParams& Params) {
        messages.push_back(Params.Text);
        return mrOk;
    });
    pdf.AnswerNoFileName();
    EXPECT_FALSE(job.Print(g_cases[0], {}));
    EXPECT_EQ(messages, std::vector<std::string>{"Printer has encountered error !"});
}

// ----- a CUPS queue ----------------------------------------------------------------------------------------

class CupsPrinting : public test::CupsQueue {
protected:
    void SetUp() override
    {
        test::CupsQueue::SetUp();
        dxPrintDeviceInstance(2);   // the system's printers, on this scheduler
    }
    void TearDown() override
    {
        dxPrintDeviceInstance(2);
        test::CupsQueue::TearDown();
    }

    // The newest job of that title (0: none).
    static int JobTitled(const std::string& Title)
    {
        cups_job_t* jobs = nullptr;
        const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, test::Queue, 0, CUPS_WHICHJOBS_ALL);
        int id = 0;
        for (int i = 0; i < n; ++i)
            if (jobs[i].title && Title == jobs[i].title)
                id = std::max(id, jobs[i].id);
        cupsFreeJobs(n, jobs);
        return id;
    }

    // The completed jobs as lpstat lists them ("QEL_PDF-12 ...", one a line).
    static std::string CompletedJobs()
    {
        return test::RunTool("lpstat", {"-h", QString::fromStdString(s_socket), "-W", "completed", "-o",
                                        QString::fromUtf8(test::Queue)});
    }
};

class ComponentPrinterCups : public CupsPrinting, public ::testing::WithParamInterface<OutputCase> {};

TEST_P(ComponentPrinterCups, PrintsThePagesInOrder)
{
    const OutputCase& c = GetParam();
    MatrixPrint job(c);
    ASSERT_EQ(dxPrintDevice()->GetDeviceName(), test::Queue);
    const std::string title = UniqueTitle(c.Name);
    job.printer->SetPrintTitle(title);
    ASSERT_TRUE(job.Print(c, {}));
    const int id = JobTitled(title);
    ASSERT_GT(id, 0);
    const std::string file = WaitForOutput(title, id);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(test::PdfPageCount(file), static_cast<int>(c.Footers.size()));
    EXPECT_EQ(test::FooterNumbers(file), c.Footers);
    EXPECT_NE(CompletedJobs().find(std::string(test::Queue) + "-" + std::to_string(id) + " "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Matrix, ComponentPrinterCups, ::testing::ValuesIn(g_cases), CaseName);

TEST_F(CupsPrinting, AnAbortAfterPageTwoLeavesNoCompletedJob)
{
    MatrixPrint job(g_cases[0]);
    ASSERT_EQ(dxPrintDevice()->GetDeviceName(), test::Queue);
    const std::string title = UniqueTitle("abbruch");
    job.printer->SetPrintTitle(title);
    job.AbortAfterPageTwo();
    EXPECT_FALSE(job.Print(g_cases[0], {}));
    const int id = JobTitled(title);
    EXPECT_EQ(id, 0) << "no job reaches the queue";
    const std::string completed = CompletedJobs();
    if (id > 0) {
        EXPECT_EQ(completed.find(std::string(test::Queue) + "-" + std::to_string(id) + " "), std::string::npos);
    }
    EXPECT_TRUE(OutputOf(title, id).empty());
}

} // namespace
} // namespace qel
