#pragma once
// What the component printer tests share: the access matrix as a report
// (one row per connector, one column per box, the page number in every
// footer), a minimal preview window that records what it is given, the
// process-wide printer device over a scripted back end, and a fixture with
// a printer and the matrix link.
//
// The matrix link here is hand-made (MakeAccessMatrixLink): the print
// loop's tests count its builds, hear its progress row by row, pick the page
// count through its row count (none at all included) and make a row or a
// page fail, which the grid's link does not let them do. The tests of what
// comes out of a real printer print the matrix as the application does,
// through a grid and its report link (AccessMatrixGridLink.h).
#include "printing/ComponentPrinter.h"

#include "platform/controls/Application.h"
#include "platform/core/ClassRegistry.h"
#include "platform/printers/ScriptedPrinters.h"
#include "printing/PrintDevice.h"
#include "printing/ReportLinkRegistry.h"

#include "ReportTestLink.h"
#include "PdfTools.h"
#include "platform/printers/CupsTestQueue.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace qel::test {

// The component a matrix link prints.
class TMatrixSource : public TComponent {
    QEL_CLASS(TMatrixSource)
public:
    using TComponent::TComponent;
};

// The test link under a class name of its own, so the link registry can name it.
class TMatrixTestLink : public TReportTestLink {
    QEL_CLASS(TMatrixTestLink)
public:
    using TReportTestLink::TReportTestLink;
};


struct AccessMatrix {
    int Connectors = 300;
    int Boxes = 8;   // one page wide; 16 make two
};

// The footer's text on page N: "Seite N".
inline const char* const MatrixFooter = "Seite [Page #]";

// The page settings of the matrix: A4 portrait, 12.7 mm margins, the page
// number centred in the footer.
inline void ShapeMatrixPage(TBasedxReportLink& Link)
{
    TdxPrinterPage* page = Link.PrinterPage();
    page->SetMeasurementUnits(muMillimeters);
    page->SetDMPaper(9);
    page->PageFooter()->CenterTitle()->SetText(MatrixFooter);
}

// Shapes the hand-made link as the access matrix: the connector's title and
// one column per box ("X" where it opens), 21 pixels a row (300 connectors:
// 7 pages; 80 by 16 boxes: two pages wide and two tall).
inline void ShapeAccessMatrix(TReportTestLink& Link, const AccessMatrix& Matrix)
{
    Link.Shape.Rows = Matrix.Connectors;
    Link.Shape.RowHeight = 21;
    Link.Shape.ColumnWidths = {200};
    for (int b = 0; b < Matrix.Boxes; ++b)
        Link.Shape.ColumnWidths.push_back(40);
    Link.Shape.Text = [](int Row, int Column) {
        if (Column == 0)
            return "Tür " + std::to_string(Row + 1);
        return (Row + Column) % 3 == 0 ? std::string("X") : std::string();
    };
    ShapeMatrixPage(Link);
}

// A hand-made matrix link for Source, joined to Printer.
inline TReportTestLink* MakeAccessMatrixLink(TCustomdxComponentPrinter& Printer, TComponent* Owner,
                                             TComponent* Source, const AccessMatrix& Matrix = {})
{
    auto* link = new TMatrixTestLink(Owner);
    ShapeAccessMatrix(*link, Matrix);
    link->SetComponent(Source);
    Printer.InsertLink(link);
    return link;
}

// The page number each page's footer shows, page by page, as pdftotext
// reads them one page at a time (-1 for a page without one).
inline std::vector<int> FooterNumbers(const std::string& PdfFile)
{
    std::vector<int> numbers;
    const int pages = PdfPageCount(PdfFile);
    for (int i = 1; i <= pages; ++i) {
        const QString n = QString::number(i);
        const std::string text = RunTool("pdftotext", {"-f", n, "-l", n, QString::fromStdString(PdfFile), "-"});
        std::smatch m;
        static const std::regex footer("Seite\\s+(\\d+)");
        numbers.push_back(std::regex_search(text, m, footer) ? std::stoi(m[1]) : -1);
    }
    return numbers;
}

// The print dialog's answer: what the user chose in it.
using DialogAnswer = TdxPrintDialogData;

inline DialogAnswer AllPages(int Copies = 1, bool Collate = false)
{
    DialogAnswer a;
    a.Copies = Copies;
    a.Collate = Collate;
    return a;
}

inline DialogAnswer PageList(const std::string& Pages, TdxPrintPageNums PageNums = ppnAll)
{
    DialogAnswer a;
    a.PageRanges = 2;
    a.Pages = Pages;
    a.PageNums = PageNums;
    return a;
}

inline DialogAnswer CurrentPage()
{
    DialogAnswer a;
    a.PageRanges = 1;
    return a;
}

inline DialogAnswer ToFile(const std::string& File)
{
    DialogAnswer a;
    a.PrintToFile = true;
    a.FileName = File;
    return a;
}

// The print dialog closes with OK and the answer for a scope; what the
// printer gave it (file list, range, style manager) stays.
struct DialogScope {
    explicit DialogScope(DialogAnswer Answer)
    {
        dxComponentPrinterDialogRunners().PrintDialog = [Answer](TdxPrintDialogRequest& Request) {
            const TdxPrintDialogData given = *Request.Data;
            *Request.Data = Answer;
            Request.Data->FileList = given.FileList;
            Request.Data->MinRange = given.MinRange;
            Request.Data->MaxRange = given.MaxRange;
            Request.Data->StyleManager = given.StyleManager;
            return true;
        };
    }
    ~DialogScope() { dxComponentPrinterDialogRunners() = {}; }
    DialogScope(const DialogScope&) = delete;
    DialogScope& operator=(const DialogScope&) = delete;
};

// A preview window that shows nothing and records what it is given.
class TRecordingPreviewWindow : public TBasedxPreviewWindow {
    QEL_CLASS(TRecordingPreviewWindow)
public:
    explicit TRecordingPreviewWindow(TComponent* AOwner) : TBasedxPreviewWindow(AOwner) { ++Made; }
    ~TRecordingPreviewWindow() override { ++Freed; }

    static inline int Made = 0;
    static inline int Freed = 0;
    // Runs when the window is shown (modal or not).
    static inline std::function<void(TRecordingPreviewWindow&)> OnShown;

    int GetSelectedPageIndex() const override { return 0; }
    TdxBackground* GetPageBackground() const override { return nullptr; }
    int GetPageCount() const override { return PageCount; }
    TdxPreviewEnableOptions GetEnableOptions() const override { return EnableOptions; }
    TdxPreviewVisibleOptions GetVisibleOptions() const override { return VisibleOptions; }
    bool GetSaveZoomPosition() const override { return SaveZoom; }
    TPoint GetZoomedPageSize() const override { return {}; }
    int GetZoomFactor() const override { return 100; }
    void SetSelectedPageIndex(int) override {}
    void SetPageBackground(TdxBackground*) override {}
    void SetPageCount(int Value) override { PageCount = Value; }
    void SetEnableOptions(TdxPreviewEnableOptions Value) override { EnableOptions = Value; }
    void SetVisibleOptions(TdxPreviewVisibleOptions Value) override { VisibleOptions = Value; }
    void SetSaveZoomPosition(bool Value) override { SaveZoom = Value; }
    void SetZoomFactor(int) override {}
    void GoToFirstPage() override {}
    void GoToLastPage() override {}
    void GoToNextPage() override {}
    void GoToPrevPage() override {}
    void InvalidateAllPages() override { ++Invalidated; }

    int PageCount = -1;
    TdxPreviewEnableOptions EnableOptions;
    TdxPreviewVisibleOptions VisibleOptions;
    bool SaveZoom = false;
    int Invalidated = 0;

protected:
    void DoShow() override
    {
        TBasedxPreviewWindow::DoShow();
        if (OnShown)
            OnShown(*this);
    }
};

inline const bool g_matrixClassesRegistered =
    RegisterClass<TMatrixSource>("TMatrixSource", "TComponent")
    && RegisterClass<TMatrixTestLink>("TMatrixTestLink", "TBasedxReportLink")
    && RegisterClass<TRecordingPreviewWindow>("TRecordingPreviewWindow", "TBasedxPreviewWindow");

// The recording window is the registered preview window for a scope; a
// modal one that the test leaves open is cancelled.
struct PreviewWindowScope {
    TModalFormHookScope modal{[](TForm&) {}};

    PreviewWindowScope()
    {
        TRecordingPreviewWindow::Made = TRecordingPreviewWindow::Freed = 0;
        TRecordingPreviewWindow::OnShown = nullptr;
        RegisterPreviewWindowClass("TRecordingPreviewWindow");
    }
    ~PreviewWindowScope()
    {
        UnregisterPreviewWindowClass("TRecordingPreviewWindow");
        TRecordingPreviewWindow::OnShown = nullptr;
        Application().ProcessMessages();   // windows released meanwhile go
    }
};

// The process-wide printer device over a back end of the test's, for a scope.
template <class TBackend>
struct PrintDeviceScope {
    explicit PrintDeviceScope(std::function<std::unique_ptr<TBackend>()> Make)
    {
        dxPrintDeviceInstance(2);
        dxSetPrintDeviceBackendFactory([this, Make] {
            std::unique_ptr<TBackend> backend = Make();
            Backend = backend.get();
            return backend;
        });
        dxPrintDevice()->Printers();
    }
    ~PrintDeviceScope()
    {
        dxPrintDeviceInstance(2);
        dxSetPrintDeviceBackendFactory({});
    }
    PrintDeviceScope(const PrintDeviceScope&) = delete;
    PrintDeviceScope& operator=(const PrintDeviceScope&) = delete;

    TBackend* Backend = nullptr;
};

// A scripted back end with one printer, "Laser".
inline std::unique_ptr<TScriptedPrinterBackend> LaserPrinter()
{
    auto backend = std::make_unique<TScriptedPrinterBackend>();
    backend->List.push_back(TScriptedPrinterBackend::MakePrinter("Laser"));
    backend->Default = "Laser";
    return backend;
}

// A printer with the hand-made matrix link over the scripted device; the
// printer records the pages it draws, in order (0-based).
struct ComponentPrinterFixture : ::testing::Test {
    PrintDeviceScope<TScriptedPrinterBackend> printers{LaserPrinter};
    TComponent owner{nullptr};
    TMatrixSource* source = new TMatrixSource(&owner);
    TdxComponentPrinter* printer = new TdxComponentPrinter(&owner);
    TReportTestLink* link = MakeAccessMatrixLink(*printer, &owner, source);
    std::vector<int> drawn;

    void SetUp() override
    {
        ASSERT_TRUE(g_matrixClassesRegistered);
        printer->OnCustomDrawPage = [this](TObject*, TBasedxReportLink*, TCanvas&, int PageIndex, const TRect&, int,
                                           int) { drawn.push_back(PageIndex); };
    }
    void TearDown() override { Application().ProcessMessages(); }

    TScriptedJob* LastJob() const
    {
        return printers.Backend->Jobs.empty() ? nullptr : printers.Backend->Jobs.back().get();
    }
};

} // namespace qel::test
