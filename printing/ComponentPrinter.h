#pragma once
// TCustomdxComponentPrinter (published as TdxComponentPrinter): what the
// program talks to when it prints. It keeps a list of report links, one of
// them current, and runs preview, page setup, report design and print on a
// link; it runs the print job page by page on the printer device, brackets
// long operations with the hourglass and an optional beep, publishes the
// build and print events, keeps the preview window and stores its formats
// and the remembered print-to-file names in the settings store.
//
//   auto* printer = new TdxComponentPrinter(form);
//   TBasedxReportLink* link = printer->AddLink(grid);   // the link class registered for the grid
//   printer->Preview(true, link);                       // the registered preview window, modal
//   printer->Print(false, nullptr, link);               // all pages, no dialog
//
// A print job walks a page sequence computed first as plain data
// (PrintPageSequence.h) and draws each page with the link's page routine.
#include "platform/core/ChangeLink.h"
#include "platform/core/Exceptions.h"
#include "platform/core/FreeWatch.h"
#include "platform/core/Strings.h"
#include "platform/core/TSet.h"
#include "printing/BaseObject.h"
#include "printing/PreviewWindowBase.h"
#include "printing/PrintDialogData.h"
#include "printing/PrintPageSequence.h"
#include "printing/ReportLink.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TCustomdxComponentPrinter;

QEL_DECLARE_EXCEPTION(EdxComponentPrinter, Exception);

enum TdxComponentPrinterOption : std::uint8_t {
    cpoAutoRebuildBeforePreview, cpoAutoRebuildBeforePrint, cpoGenerateReportProgressEvent, cpoShowHourGlass
};
using TdxComponentPrinterOptions = TSet<TdxComponentPrinterOption>;
inline constexpr TdxComponentPrinterOptions dxDefaultComponentPrinterOptions{
    cpoAutoRebuildBeforePreview, cpoAutoRebuildBeforePrint, cpoGenerateReportProgressEvent, cpoShowHourGlass};

// ----- preview options --------------------------------------------------------------------------------
// How the preview window looks; every setter reaches the open window.
class TdxPreviewOptions : public TdxBaseObject {
    QEL_CLASS(TdxPreviewOptions)
public:
    static constexpr const char* DefaultCaption = "Print Preview";
    static constexpr TdxPreviewEnableOptions DefaultEnableOptions{
        peoCanChangeMargins, peoPageBackground, peoPageSetup, peoPreferences, peoPrint, peoReportDesign};
    static constexpr TdxPreviewVisibleOptions DefaultVisibleOptions{
        pvoPageBackground, pvoPageSetup, pvoPreferences, pvoPrint, pvoReportDesign, pvoPrintStyles};

    // The bounds start as the desktop's work area.
    explicit TdxPreviewOptions(TCustomdxComponentPrinter* APrinter = nullptr);

    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& Value);
    TdxPreviewEnableOptions EnableOptions() const { return m_enableOptions; }
    void SetEnableOptions(TdxPreviewEnableOptions Value);
    TdxPreviewVisibleOptions VisibleOptions() const { return m_visibleOptions; }
    void SetVisibleOptions(TdxPreviewVisibleOptions Value);
    int HelpContext() const { return m_helpContext; }
    void SetHelpContext(int Value);
    // Shared with every printing form: the engine's.
    std::string HelpFile() const;
    void SetHelpFile(const std::string& Value);
    // The root of every printing setting: the engine's.
    std::string RegistryPath() const;
    void SetRegistryPath(const std::string& Value);
    int Left() const { return m_bounds.Left; }
    void SetLeft(int Value);
    int Top() const { return m_bounds.Top; }
    void SetTop(int Value);
    int Width() const { return m_bounds.Width(); }
    void SetWidth(int Value);
    int Height() const { return m_bounds.Height(); }
    void SetHeight(int Value);
    TRect BoundsRect() const { return m_bounds; }
    void SetBoundsRect(const TRect& Value) { m_bounds = Value; }
    // The bounds are streamed ("PreviewBoundsRect") only when they differ from the work area.
    bool BoundsStored() const;
    bool SavePosition() const { return m_savePosition; }
    void SetSavePosition(bool Value) { m_savePosition = Value; }
    bool SaveZoomPosition() const { return m_saveZoomPosition; }
    void SetSaveZoomPosition(bool Value);
    TWindowState WindowState() const { return m_windowState; }
    void SetWindowState(TWindowState Value);

    TCustomdxComponentPrinter* ComponentPrinter() const { return m_printer; }

protected:
    void DoAssign(TdxBaseObject* Source) override;
    std::unique_ptr<TdxBaseObject> CreateNew() const override { return std::make_unique<TdxPreviewOptions>(); }

private:
    TBasedxPreviewWindow* Window() const;

    TCustomdxComponentPrinter* m_printer;
    std::string m_caption{DefaultCaption};
    TdxPreviewEnableOptions m_enableOptions{DefaultEnableOptions};
    TdxPreviewVisibleOptions m_visibleOptions{DefaultVisibleOptions};
    int m_helpContext{0};
    TRect m_bounds;
    bool m_savePosition{true};
    bool m_saveZoomPosition{true};
    TWindowState m_windowState{wsNormal};
};

// The whole paper relative to the printable area's origin: where a print job paints a page.
TRect dxPaperRect(const TDeviceCaps& Caps);

// ----- events -----------------------------------------------------------------------------------------
using TdxReportLinkNotifyEvent = std::function<void(TObject* Sender, TBasedxReportLink* ReportLink)>;
using TdxBeforeDesignReportEvent = std::function<void(TObject* Sender, TBasedxReportLink* ReportLink,
                                                      TAbstractdxReportLinkDesignWindow* DesignWindow)>;
using TdxCustomDrawPageEvent = std::function<void(TObject* Sender, TBasedxReportLink* ReportLink, TCanvas& Canvas,
                                                  int PageIndex, const TRect& Rect, int Numerator, int Denominator)>;
using TdxCustomDrawPageHeaderFooterEvent =
    std::function<void(TObject* Sender, TBasedxReportLink* ReportLink, TCanvas& Canvas, int PageIndex, TRect& Rect,
                       int Numerator, int Denominator, bool& DefaultDrawText, bool& DefaultDrawBackground)>;
using TdxCustomDrawReportTitleEvent =
    std::function<void(TObject* Sender, TBasedxReportLink* ReportLink, TCanvas& Canvas, TRect& Rect, int Numerator,
                       int Denominator, TdxTextAlignX& TextAlignX, TdxTextAlignY& TextAlignY, TColor& Color,
                       TFont& Font, bool& Done)>;
using TdxReportLinkDoneEvent = std::function<void(TObject* Sender, TBasedxReportLink* ReportLink, bool& Done)>;
using TdxGenerateReportProgressEvent =
    std::function<void(TObject* Sender, TBasedxReportLink* ReportLink, double PercentDone)>;
using TdxGetPrintTitleEvent = std::function<void(TObject* Sender, TBasedxReportLink* ReportLink, std::string& Title)>;
using TdxMeasureReportTitleEvent = std::function<void(TObject* Sender, TBasedxReportLink* ReportLink, int& Height)>;
using TdxNewPageEvent = std::function<void(TObject* Sender, TBasedxReportLink* ReportLink, int PageIndex)>;
using TdxPrintDeviceProblemEvent = std::function<void(TObject* Sender, bool& Done)>;
using TdxStartPrintEvent = std::function<void(TObject* Sender, TBasedxReportLink* ReportLink, int PageCount)>;

// ----- the printer -------------------------------------------------------------------------------------
class TCustomdxComponentPrinter : public TAbstractdxComponentPrinter {
    QEL_CLASS(TCustomdxComponentPrinter)
public:
    static constexpr int DefaultLongOperationTime = 5000;

    explicit TCustomdxComponentPrinter(TComponent* AOwner);
    // Closes an open preview (aborting a running print) and frees the links.
    ~TCustomdxComponentPrinter() override;

    // ----- links
    // A link of the class registered for the component's class, owned by
    // this printer's owner; nullptr for a component no link prints.
    TBasedxReportLink* AddLink(TComponent* Component);
    // LinkClass is used when Component is nullptr. An unsupported component
    // raises EdxComponentPrinter at design time and yields nullptr at run time.
    TBasedxReportLink* CreateLink(const std::string& LinkClass, TComponent* Component, TComponent* LinkOwner);
    // The link joins the list (once); the first becomes current.
    void InsertLink(TBasedxReportLink* Link);
    // The link leaves the list; a current link that leaves is replaced by
    // the one now at its index.
    void RemoveLink(TBasedxReportLink* Link) override;
    // Frees the links, the last first.
    void DeleteAllLinks();
    int LinkCount() const override { return static_cast<int>(m_links.size()); }
    TBasedxReportLink* ReportLink(int Index) const;
    int IndexOfLink(const TBasedxReportLink* Link) const override;
    void MoveLink(TBasedxReportLink* Link, int NewIndex) override;
    TBasedxReportLink* CurrentLink() const override { return m_currentLink; }
    // Only a link of the list (or nullptr); closes an open preview.
    void SetCurrentLink(TBasedxReportLink* Link) override;
    int CurrentLinkIndex() const { return IndexOfLink(m_currentLink); }

    // ----- published properties
    bool AutoUpdateDateTime() const override { return m_autoUpdateDateTime; }
    void SetAutoUpdateDateTime(bool Value) override { m_autoUpdateDateTime = Value; }
    bool BeepAfterLongOperations() const { return m_beepAfterLongOperations; }
    void SetBeepAfterLongOperations(bool Value) { m_beepAfterLongOperations = Value; }
    // Clamped to the format lists.
    int DateFormat() const override { return m_dateFormat; }
    void SetDateFormat(int Value) override;
    int TimeFormat() const override { return m_timeFormat; }
    void SetTimeFormat(int Value) override;
    TdxPageNumberFormat PageNumberFormat() const override { return m_pageNumberFormat; }
    void SetPageNumberFormat(TdxPageNumberFormat Value) override;
    // Milliseconds; negative becomes 0.
    int LongOperationTime() const { return m_longOperationTime; }
    void SetLongOperationTime(int Value);
    TdxComponentPrinterOptions Options() const { return m_options; }
    void SetOptions(TdxComponentPrinterOptions Value) { m_options = Value; }
    bool OverWriteExistingFiles() const { return m_overWriteExistingFiles; }
    void SetOverWriteExistingFiles(bool Value) { m_overWriteExistingFiles = Value; }
    TdxPreviewOptions* PreviewOptions() const { return m_previewOptions.get(); }
    void SetPreviewOptions(TdxPreviewOptions* Value) { m_previewOptions->Assign(Value); }
    const std::string& PrintTitle() const { return m_printTitle; }
    void SetPrintTitle(const std::string& Value) { m_printTitle = Value; }
    // The remembered print-to-file names, most recent first.
    TStrings* PrintFileList() const { return m_printFileList.get(); }

    // ----- operations (Link nullptr: the current link)
    // Shows the registered preview window; a second call while a non-modal
    // one is open brings that one to the front. Raises EdxComponentPrinter
    // "There is no registered preview form" when no class is registered.
    void Preview(bool Modal, TBasedxReportLink* Link) override;
    // The link's page setup; a Preview or Print pressed there follows.
    bool PageSetup(TBasedxReportLink* Link = nullptr);
    // The link's page setup without follow-up.
    bool PageSetupEx(int ActivePageIndex, bool& PreviewBtnClicked, bool& PrintBtnClicked,
                     TBasedxReportLink* Link = nullptr);
    // The design window registered for the link's class; true when accepted.
    bool DesignReport(TBasedxReportLink* Link = nullptr);
    void Print(bool ShowDialog, TBasedxReportLink* Link) override;
    // Prints with the print dialog (PrintDialogData: its starting values,
    // and its results afterwards) or all pages without it. True when a print
    // job ran; false when the dialog was cancelled, a preview was asked for
    // instead, or nothing was to be printed.
    bool Print(bool ShowDialog, TdxPrintDialogData* PrintDialogData, TBasedxReportLink* Link);
    // The running print job stops before its next page and is aborted.
    void AbortPrinting() { m_abortPrinting = true; }

    // Values under Path: "AutoUpdateDateTime", "DateFormat", "TimeFormat",
    // "PageNumberFormat", and the file names under Path + "\PrintDialogFiles".
    void LoadFromRegistry(const std::string& Path);
    void SaveToRegistry(const std::string& Path);

    // ----- state
    bool IsPreviewing() const { return m_previewing; }
    bool IsPrinting() const { return m_printing; }
    bool IsDesigning() const override { return m_designing; }
    bool IsBuilding() const { return m_building > 0; }
    bool IsAborting() const { return m_abortPrinting; }
    TBasedxPreviewWindow* PreviewWindow() const { return m_previewWindow; }
    int LongOperationCount() const { return m_longOperations; }

    // ----- what the links and the preview window call
    void BeginGenerateReport(TBasedxReportLink* Link) override;
    void GenerateReportProgress(TBasedxReportLink* Link, double PercentDone) override;
    void EndGenerateReport(TBasedxReportLink* Link) override;
    void BeginLongOperation() override;
    void EndLongOperation() override;
    bool IsPreviewShowing() const override { return m_previewWindow != nullptr; }
    void DestroyPreview() override;
    void RefreshPreview() override;
    void PreviewWindowDestroyed(TBasedxPreviewWindow* Window) override;
    void DoChangeComponent(TBasedxReportLink* Link) override;
    bool DoCustomDrawPageHeaderOrFooter(TBasedxReportLink* Link, TCustomdxPageObject* HF, TCanvas& Canvas,
                                        int PageIndex, const TRect& Rect, int Numerator, int Denominator,
                                        bool& DefaultDrawText, bool& DefaultDrawBackground) override;
    bool DoCustomDrawReportTitle(TBasedxReportLink* Link, TCanvas& Canvas, const TRect& Rect, int Numerator,
                                 int Denominator, TdxTextAlignX& AlignX, TdxTextAlignY& AlignY, TColor& Color,
                                 TFont& Font, bool& Done) override;
    void DoMeasureReportTitle(TBasedxReportLink* Link, int& Height) override;
    void DoCustomDrawPage(TBasedxReportLink* Link, TCanvas& Canvas, int PageIndex, const TRect& Rect, int Numerator,
                          int Denominator) override;
    void BeforeDesignReport(TBasedxReportLink* Link, TAbstractdxReportLinkDesignWindow* Window) override;
    void DesignReportDone(TBasedxReportLink* Link, bool Done) override;

    // After loading the first link becomes current when none is.
    void Loaded() override;

    TdxReportLinkNotifyEvent OnAfterPreview;
    TdxReportLinkNotifyEvent OnBeforePreview;
    TdxBeforeDesignReportEvent OnBeforeDesignReport;
    TdxReportLinkNotifyEvent OnChangeComponent;
    TNotifyEvent OnChangeCurrentLink;
    TdxCustomDrawPageEvent OnCustomDrawPage;
    TdxCustomDrawPageHeaderFooterEvent OnCustomDrawPageFooter;
    TdxCustomDrawPageHeaderFooterEvent OnCustomDrawPageHeader;
    TdxCustomDrawReportTitleEvent OnCustomDrawReportTitle;
    TdxReportLinkNotifyEvent OnDeleteReportLink;
    TdxReportLinkDoneEvent OnDesignReport;
    TdxReportLinkNotifyEvent OnEndGenerateReport;
    TdxReportLinkNotifyEvent OnEndPrint;
    TdxGenerateReportProgressEvent OnGenerateReportProgress;
    TdxGetPrintTitleEvent OnGetPrintTitle;
    TdxMeasureReportTitleEvent OnMeasureReportTitle;
    TdxNewPageEvent OnNewPage;
    TdxReportLinkDoneEvent OnPageSetup;
    TdxPrintDeviceProblemEvent OnPrintDeviceBusy;
    TdxPrintDeviceProblemEvent OnPrintDeviceError;
    TdxReportLinkNotifyEvent OnStartGenerateReport;
    TdxStartPrintEvent OnStartPrint;

protected:
    // Whether the settings were read (after loading or by LoadFromRegistry):
    // only then are they written back when the printer goes.
    bool RegistryLoaded() const { return m_registryLoaded; }

private:
    friend class TdxPrintJob;
    struct TdxPrintJobParams;

    // The link an operation works on: Link when it is one of the list (it
    // becomes current), else the current link.
    TBasedxReportLink* SelectLink(TBasedxReportLink* Link);
    // Rebuilds the link or renews its date, once per operation.
    void PrepareLink(TBasedxReportLink* Link, bool ForPrint);
    // The outermost operation on a link (preview, print) prepares it and
    // forgets the preparation when it ends; true when the printer and the
    // link are still there afterwards.
    class TPreparedScope;
    bool PrintWithDialog(TBasedxReportLink* Link, TdxPrintDialogData* PrintDialogData);
    bool PrintJob(TBasedxReportLink* Link, const TdxPrintJobParams& Params);
    std::vector<int> AllPages(TBasedxReportLink* Link) const;
    std::string GetPrintTitle(TBasedxReportLink* Link);
    bool BuildEventsWanted() const;
    void UpdatePageInformation();
    void ShowPreview(TBasedxReportLink* Link, bool Modal);
    void ApplyPreviewOptions(TBasedxPreviewWindow& Window);
    // The device's problem goes to the event; unless it handled it, Text is shown as an error.
    void PrintDeviceProblem(const TdxPrintDeviceProblemEvent& Event, const char* Text);
    // A link being built or drawn when the printer goes is freed once that is over.
    void FreeLinkWhenIdle(TBasedxReportLink* Link);
    void SettingChanged();
    // Runs an event of this printer when it is set; false when the handler freed the printer.
    template <class Handler, class... Args>
    bool Fire(const Handler& Event, Args&&... AArgs)
    {
        if (!Event)
            return true;
        TFreeWatch watch{this};
        // A copy: the handler may free the printer, and with it the event it runs from.
        const Handler handler = Event;
        handler(this, std::forward<Args>(AArgs)...);
        return !watch.Freed(this);
    }

    std::vector<TBasedxReportLink*> m_links;
    TBasedxReportLink* m_currentLink{nullptr};
    bool m_autoUpdateDateTime{true};
    bool m_beepAfterLongOperations{true};
    int m_dateFormat{0};
    int m_timeFormat{0};
    TdxPageNumberFormat m_pageNumberFormat{pnfNumeral};
    int m_longOperationTime{DefaultLongOperationTime};
    TdxComponentPrinterOptions m_options{dxDefaultComponentPrinterOptions};
    bool m_overWriteExistingFiles{false};
    std::unique_ptr<TdxPreviewOptions> m_previewOptions;
    std::string m_printTitle;
    std::unique_ptr<TStringList> m_printFileList;
    bool m_printToFile{false};   // the print dialog's last choice

    TBasedxPreviewWindow* m_previewWindow{nullptr};
    bool m_previewHeld{false};   // Preview still runs the window (before it shows, or modal)
    bool m_previewing{false};
    bool m_printing{false};
    bool m_designing{false};
    int m_building{0};
    TBasedxReportLink* m_buildingLink{nullptr};
    TBasedxReportLink* m_preparedLink{nullptr};
    bool m_abortPrinting{false};
    int m_longOperations{0};
    std::uint32_t m_longOperationStart{0};
    bool m_beepArmed{false};
    bool m_cursorSaved{false};
    TCursor m_savedCursor{crDefault};
    bool m_registryLoaded{false};
    TChangeLink m_settingLink;
};

class TCustomdxComponentPrinter::TPreparedScope {
public:
    TPreparedScope(TCustomdxComponentPrinter& Printer, TBasedxReportLink* Link)
        : m_printer(Printer), m_link(Link), m_watch{&Printer, Link}, m_outer(!Printer.m_preparedLink)
    {
    }
    ~TPreparedScope()
    {
        if (m_outer && !m_watch.Freed(&m_printer))
            m_printer.m_preparedLink = nullptr;
    }
    TPreparedScope(const TPreparedScope&) = delete;
    TPreparedScope& operator=(const TPreparedScope&) = delete;

    bool Prepare(bool ForPrint)
    {
        m_printer.PrepareLink(m_link, ForPrint);
        return !m_watch.AnyFreed();
    }

private:
    TCustomdxComponentPrinter& m_printer;
    TBasedxReportLink* m_link;
    TFreeWatch m_watch;
    bool m_outer;
};

class TdxComponentPrinter : public TCustomdxComponentPrinter {
    QEL_CLASS(TdxComponentPrinter)
public:
    explicit TdxComponentPrinter(TComponent* AOwner);
    // Writes the settings back under the engine's root when they were read;
    // a failure goes to the application's error handler.
    ~TdxComponentPrinter() override;
    // Reads the settings under the engine's root.
    void Loaded() override;
};

} // namespace qel
