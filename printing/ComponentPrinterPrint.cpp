// The component printer's print road: the print dialog, the page list and
// the print job, page by page on the printer device.
#include "printing/ComponentPrinter.h"

#include "platform/controls/Application.h"
#include "platform/core/FreeWatch.h"
#include "platform/core/Locale.h"
#include "printing/PrintDevice.h"
#include "printing/PrintUIUtils.h"
#include "printing/PrintUtils.h"

#include <algorithm>
#include <exception>

namespace qel {

namespace {

const char* const sPrinterBusy = "Printer is busy";
const char* const sPrinterError = "Printer has encountered error !";
// A start that failed on this port is the user cancelling the print-to-file name.
const char* const sFilePort = "FILE:";

// Whether the background covers the paper, so the page need not be made white first.
bool PaintsWholePage(TdxBackground& Background)
{
    switch (Background.Mode()) {
    case bmBrush: return Background.Brush()->Style() == bsSolid;
    case bmBrushBitmap: return Background.HasPicture();
    case bmPicture:
        return Background.HasPicture()
               && (Background.PictureMode() == ppmStretch || Background.PictureMode() == ppmTile);
    default: return false;
    }
}

std::vector<int> DecodedPages(const std::string& Pages)
{
    std::vector<int> pages;
    const Variant decoded = DecodePageRanges(Pages);
    if (decoded.IsArray())
        for (const Variant& page : decoded.Elements())
            pages.push_back(page.AsInteger());
    return pages;
}

} // namespace

struct TCustomdxComponentPrinter::TdxPrintJobParams {
    std::vector<int> Pages;      // 1-based, in the order listed
    bool AllPages = true;        // only then may the order become down then across
    bool Collate = false;
    int Copies = 1;
    TdxPrintPageNums PageNums = ppnAll;
    std::string OutputFileName;  // print to file: the output goes there
};

// One print job. What its end needs (the device, the settings to restore)
// it keeps itself, so it can still end cleanly when a handler freed the
// printer or the link meanwhile.
class TdxPrintJob {
public:
    using TParams = TCustomdxComponentPrinter::TdxPrintJobParams;

    TdxPrintJob(TCustomdxComponentPrinter& Printer, TBasedxReportLink& Link, const TParams& Params)
        : m_printer(Printer), m_link(Link), m_params(Params), m_device(dxPrintDevice()), m_watch{&Printer, &Link}
    {
    }

    // True when the document was handed over complete.
    bool Run();

private:
    bool PrinterGone() const { return m_watch.Freed(&m_printer); }
    bool LinkGone() const { return m_watch.Freed(&m_link); }
    // The loop stops: asked to, or what it prints went away, or the device job ended.
    bool Stopped() const
    {
        return PrinterGone() || LinkGone() || m_printer.m_abortPrinting || !m_link.Active() || !m_device->Printing();
    }
    bool CanStart();
    void Prepare();
    bool StartDocument();
    void PrintPages();
    bool NewPageEvents(int PageIndex);
    void DrawPage(int PageIndex);
    void Finish(bool Started, std::exception_ptr& Failure);
    void EndDocument(std::exception_ptr& Failure);
    void EndEvents();
    template <class Step>
    static void Keep(std::exception_ptr& Failure, Step AStep);

    TCustomdxComponentPrinter& m_printer;
    TBasedxReportLink& m_link;
    const TParams& m_params;
    TdxPrintDevice* m_device;
    TFreeWatch m_watch;
    std::vector<int> m_sequence;
    int m_total = 0;
    int m_printed = 0;
    bool m_beforePrinting = false;
    bool m_deviceSaved = false;
    int m_savedCopies = 0;
    bool m_savedCollate = false;
    bool m_delivered = false;
};

template <class Step>
void TdxPrintJob::Keep(std::exception_ptr& Failure, Step AStep)
{
    try {
        AStep();
    } catch (...) {
        if (!Failure)
            Failure = std::current_exception();
    }
}

bool TdxPrintJob::Run()
{
    if (!CanStart())
        return false;
    std::exception_ptr failure;
    bool started = false;
    Keep(failure, [&] {
        Prepare();
        if (m_watch.AnyFreed())
            return;
        started = StartDocument();
        if (started)
            PrintPages();
    });
    Finish(started, failure);
    if (failure)
        std::rethrow_exception(failure);
    return m_delivered;
}

bool TdxPrintJob::CanStart()
{
    if (!m_link.CanBuildReport())
        return false;
    // A page list that leaves nothing to print starts no job: no blank sheet.
    const TdxPageSequenceParams params{m_params.Pages, m_link.GetVisiblePageCount(), m_params.PageNums, 1, false};
    if (dxPageSequence(params).empty())
        return false;
    m_device->Refresh();
    if (m_device->Printing()) {
        m_printer.PrintDeviceProblem(m_printer.OnPrintDeviceBusy, sPrinterBusy);
        return false;
    }
    return m_link.CheckMargins() && !m_watch.AnyFreed();
}

void TdxPrintJob::Prepare()
{
    m_beforePrinting = true;
    m_link.DoBeforePrinting();
    if (m_watch.AnyFreed())
        return;
    m_printer.m_printing = true;
    m_printer.PrepareLink(&m_link, true);
    if (m_watch.AnyFreed())
        return;

    std::vector<int> pages = m_params.Pages;
    int across = 0;
    int down = 0;
    m_link.GetPageCounts(across, down);
    const int count = m_link.GetVisiblePageCount();
    if (m_params.AllPages && m_link.GetRealPrinterPage()->PageOrder() == poDownThenOver && across > 1 && down > 1) {
        std::vector<int> places;
        for (int v = 0; v < count; ++v)
            places.push_back(m_link.GetRealPageIndex(v));
        pages = dxPagesDownThenAcross(pages, places, across);
    }
    m_total = dxPrintProgressTotal(static_cast<int>(m_params.Pages.size()), m_params.Copies, m_params.PageNums);
    m_sequence = dxPageSequence({pages, count, m_params.PageNums, m_params.Copies, m_params.Collate});

    // Copies come from repeating pages: the device prints each page once.
    m_savedCopies = m_device->GetCopies();
    m_savedCollate = m_device->GetCollate();
    m_deviceSaved = true;
    m_device->SetCopies(1);
    m_device->SetCollate(false);
    m_link.GetRealPrinterPage()->ApplyToPrintDevice();
    m_device->SetTitle(m_printer.GetPrintTitle(&m_link));
}

bool TdxPrintJob::StartDocument()
{
    m_device->SetOutputFileName(m_params.OutputFileName);
    const bool started = m_device->BeginDoc() > 0;
    if (!started) {
        m_device->SetOutputFileName({});
        if (!PrinterGone() && m_device->GetPortName() != sFilePort)
            m_printer.PrintDeviceProblem(m_printer.OnPrintDeviceError, sPrinterError);
        return false;
    }
    // Started: the start events pair with the end events, even when the
    // job was aborted before its first page.
    if (PrinterGone() || LinkGone())
        return true;
    if (!m_printer.Fire(m_printer.OnStartPrint, &m_link, m_total))
        return true;
    std::unique_ptr<TdxEvent> event = std::make_unique<TdxPSPrintEvent>(&m_printer, 0, &m_link, m_total);
    dxPSPublishEvent(event);
    return true;
}

void TdxPrintJob::PrintPages()
{
    for (int page : m_sequence) {
        if (Stopped())
            return;
        // The report may have lost pages meanwhile (its print style went).
        if (page > m_link.GetVisiblePageCount())
            continue;
        if (m_printed > 0) {
            if (!NewPageEvents(page - 1) || Stopped())
                return;
            m_device->NewPage();
        }
        if (Application().Terminated())
            m_printer.AbortPrinting();
        if (Stopped())
            return;
        DrawPage(page - 1);
        ++m_printed;
    }
}

bool TdxPrintJob::NewPageEvents(int PageIndex)
{
    if (!m_printer.Fire(m_printer.OnNewPage, &m_link, PageIndex))
        return false;
    std::unique_ptr<TdxEvent> event = std::make_unique<TdxPSPrintEvent>(&m_printer, 1, &m_link, 0, PageIndex);
    dxPSPublishEvent(event);
    return !PrinterGone();
}

void TdxPrintJob::DrawPage(int PageIndex)
{
    TCanvas& canvas = *m_device->Canvas();
    const TRect paper = dxPaperRect(canvas.DeviceCaps());
    TdxBackground& background = *m_link.GetRealPrinterPage()->Background();
    if (!PaintsWholePage(background)) {
        canvas.Brush()->SetColor(clWhite);
        canvas.FillRect(paper);
    }
    background.Paint(canvas, paper);
    m_link.PaintPage(canvas, paper, PageIndex, PageIndex, 100);
}

void TdxPrintJob::Finish(bool Started, std::exception_ptr& Failure)
{
    if (Started)
        EndDocument(Failure);
    if (Started && !PrinterGone())
        Keep(Failure, [&] { EndEvents(); });
    if (m_deviceSaved && !m_device->Printing())
        Keep(Failure, [&] {
            m_device->SetCopies(m_savedCopies);
            m_device->SetCollate(m_savedCollate);
        });
    if (!PrinterGone()) {
        m_printer.m_printing = false;
        m_printer.m_abortPrinting = false;
        if (m_printer.m_preparedLink == &m_link)
            m_printer.m_preparedLink = nullptr;
    }
    if (m_beforePrinting && !LinkGone())
        Keep(Failure, [&] { m_link.DoAfterPrinting(); });
}

void TdxPrintJob::EndDocument(std::exception_ptr& Failure)
{
    if (!m_device->Printing())
        return;
    // A half document is never handed over.
    const bool abort = Failure || PrinterGone() || LinkGone() || m_printer.m_abortPrinting || !m_link.Active();
    Keep(Failure, [&] {
        if (abort) {
            m_device->Abort();
        } else {
            m_device->EndDoc();
            m_delivered = true;
        }
    });
}

void TdxPrintJob::EndEvents()
{
    TBasedxReportLink* link = LinkGone() ? nullptr : &m_link;
    if (!m_printer.Fire(m_printer.OnEndPrint, link))
        return;
    std::unique_ptr<TdxEvent> event = std::make_unique<TdxPSPrintEvent>(&m_printer, 2, link);
    dxPSPublishEvent(event);
}

// ============================================================================
// The printer's side

void TCustomdxComponentPrinter::Print(bool ShowDialog, TBasedxReportLink* Link)
{
    Print(ShowDialog, nullptr, Link);
}

bool TCustomdxComponentPrinter::Print(bool ShowDialog, TdxPrintDialogData* PrintDialogData, TBasedxReportLink* Link)
{
    TBasedxReportLink* link = SelectLink(Link);
    if (!link)
        return false;
    // An abort asked for while no job ran is not this job's: its own build
    // events may still abort it.
    if (!m_printing)
        m_abortPrinting = false;
    TPreparedScope prepared(*this, link);
    if (!prepared.Prepare(true))
        return false;
    if (ShowDialog)
        return PrintWithDialog(link, PrintDialogData);
    TdxPrintJobParams params;
    params.Pages = AllPages(link);
    return PrintJob(link, params);
}

std::vector<int> TCustomdxComponentPrinter::AllPages(TBasedxReportLink* Link) const
{
    // 1 to the page count; a report without pages has none (no "1-0" to refuse).
    std::vector<int> pages(static_cast<std::size_t>(std::max(0, Link->GetVisiblePageCount())));
    for (std::size_t i = 0; i < pages.size(); ++i)
        pages[i] = static_cast<int>(i) + 1;
    return pages;
}

bool TCustomdxComponentPrinter::PrintWithDialog(TBasedxReportLink* Link, TdxPrintDialogData* PrintDialogData)
{
    const auto& runner = dxComponentPrinterDialogRunners().PrintDialog;
    if (!runner)
        return false;
    TdxPrintDialogData data = PrintDialogData ? *PrintDialogData : TdxPrintDialogData{};
    const int pageCount = Link->GetVisiblePageCount();
    data.FileList = m_printFileList.get();
    data.MinRange = 1;
    data.MaxRange = pageCount;
    data.PrintToFile = m_printToFile;
    data.StyleManager = Link->StyleManager();

    TdxPrintDialogRequest request;
    request.Data = &data;
    request.Title = "Print";
    request.ButtonsVisible = {pdbPrinterProperties, pdbPreview, pdbPageSetup, pdbDefineStyles, pdbStyleOptions};
    request.ButtonsEnabled = request.ButtonsVisible;
    request.OptionsVisible = {pdoPrintToFile, pdoAllPages, pdoCurrentPage, pdoPageRange, pdoPrintStyles};
    request.OptionsEnabled = {pdoPrintToFile, pdoAllPages};
    if (pageCount > 0) {
        request.OptionsEnabled.Include(pdoCurrentPage);
        request.OptionsEnabled.Include(pdoPageRange);
    }
    TFreeWatch watch{this, Link};
    request.Events.OnPageSetup = [this, Link, &data, &watch](TObject*, bool& Done, void*, bool& PreviewBtnClicked) {
        bool print = false;
        Done = PageSetupEx(0, PreviewBtnClicked, print, Link);
        if (watch.AnyFreed())
            return;
        data.MaxRange = Link->GetVisiblePageCount();
        RefreshPreview();
    };
    const bool ok = runner(request);
    if (watch.AnyFreed())
        return false;
    m_printToFile = data.PrintToFile;
    if (PrintDialogData) {
        TdxPrintDialogData result = data;
        result.FileList = PrintDialogData->FileList;
        result.StyleManager = PrintDialogData->StyleManager;
        *PrintDialogData = result;
    }
    // The dialog's Preview button closes it with Cancel, a preview asked for
    // in its page setup with OK: either way the preview comes instead of printing.
    if (request.PreviewBtnClicked) {
        Preview(true, Link);
        return false;
    }
    if (!ok)
        return false;

    TdxPrintJobParams params;
    params.Collate = data.Collate;
    params.Copies = data.Copies;
    params.PageNums = static_cast<TdxPrintPageNums>(std::min<int>(data.PageNums, ppnOdd));
    params.AllPages = data.PageRanges == 0 || data.PageRanges == 3;
    // A page list the dialog could not have offered: refused before any job starts.
    if (!params.AllPages && pageCount == 0)
        throw EdxComponentPrinter(Format("Page numbers out of range (%d - %d)", {data.MinRange, data.MaxRange}));
    if (params.AllPages)
        params.Pages = AllPages(Link);
    else if (data.PageRanges == 1)
        params.Pages = {Link->CurrentPage()};
    else
        params.Pages = DecodedPages(data.Pages);
    if (data.PrintToFile)
        params.OutputFileName = data.FileName;
    return PrintJob(Link, params);
}

bool TCustomdxComponentPrinter::PrintJob(TBasedxReportLink* Link, const TdxPrintJobParams& Params)
{
    TdxPrintJob job(*this, *Link, Params);
    return job.Run();
}

std::string TCustomdxComponentPrinter::GetPrintTitle(TBasedxReportLink* Link)
{
    std::string title = m_printTitle;
    Fire(OnGetPrintTitle, Link, title);
    return title;
}

void TCustomdxComponentPrinter::PrintDeviceProblem(const TdxPrintDeviceProblemEvent& Event, const char* Text)
{
    bool done = false;
    if (Fire(Event, done) && !done)
        MessageError(Text);
}

TRect dxPaperRect(const TDeviceCaps& Caps)
{
    return {-Caps.PhysicalOffsetX, -Caps.PhysicalOffsetY, Caps.PhysicalWidth - Caps.PhysicalOffsetX,
            Caps.PhysicalHeight - Caps.PhysicalOffsetY};
}

} // namespace qel
