#pragma once
// TCustomdxPSPreviewWindow: the form that shows the pages of the component
// printer's current link in a page preview, with a margin bar above it and a
// status bar below. It follows the link's build and print progress, keeps
// the link's printer page and the preview's margins in step, and keeps its
// settings under the form's layout key. The commands (menus, tool bar, zoom
// box) belong to the standard preview window; this class offers them as
// plain operations.
//
// Pages are painted only by the link's page routine, through the component
// printer. The window shows pages while the link is still cutting them: it
// steps pagination on a timer, raising the page count as page rows are cut,
// and repaints the header and footer bands that show the total once the
// last page is known.
//
//   printer->Preview(false, link);        // the registered preview window class
//   window->ZoomByText("150");            // 150 %
//   window->Print(true);                  // the print dialog, then the job
#include "platform/controls/ComCtrls.h"
#include "platform/core/FreeWatch.h"
#include "preview/Preview.h"
#include "printing/EventSystem.h"
#include "printing/PreviewWindowBase.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TBasedxReportLink;
class TCustomdxComponentPrinter;
class TdxPrinterPage;
class TPanel;
class TTimer;
struct TdxPreviewOptionsDlgData;

// The preferences and zoom dialogs run through these; without one the
// command does nothing.
struct TdxPreviewWindowDialogRunners {
    // True when the user changed the record and accepted it.
    std::function<bool(TdxPreviewOptionsDlgData& Data)> Options;
    // The zoom dialog on the window's preview, which it leaves as it is:
    // true when the user accepted a change, with the chosen zoom in Settings.
    std::function<bool(const TCustomdxPreview& Preview, TdxPreviewZoomSettings& Settings)> Zoom;
};
TdxPreviewWindowDialogRunners& dxPreviewWindowDialogRunners();

// ----- the window ------------------------------------------------------------------------------
// Status bar panels and the value panels of the margin bar.
enum : int {
    spPageCaption = 0, spPage = 1, spOf = 2, spPageCount = 3, spPages = 4, spSeparator = 5, spPaperCaption = 6,
    spPaperSize = 7, spStatusCaption = 8, spStatus = 9
};
int dxMarginBarPanel(TdxPreviewMarginType Kind);

struct TdxZoomListItem {
    std::string Caption;
    int ZoomFactor;   // -1 for the fitted zooms
};

class TCustomdxPSPreviewWindow : public TBasedxPreviewWindow {
    QEL_CLASS(TCustomdxPSPreviewWindow)
public:
    static constexpr TdxPreviewEnableOptions DefaultEnableOptions{
        peoCanChangeMargins, peoPageBackground, peoPageSetup, peoPreferences, peoPrint, peoReportDesign};
    static constexpr TdxPreviewVisibleOptions DefaultVisibleOptions{
        pvoPageBackground, pvoPageSetup, pvoPreferences, pvoPrint, pvoReportDesign, pvoPrintStyles};
    // Page rows cut per step of the pagination timer.
    static constexpr int PagesPerPaginationStep = 64;

    explicit TCustomdxPSPreviewWindow(TComponent* AOwner);
    ~TCustomdxPSPreviewWindow() override;

    // Builds the controls, then loads the stored settings.
    void AfterConstruction() override;

    // ----- TBasedxPreviewWindow
    int GetSelectedPageIndex() const override;
    TdxBackground* GetPageBackground() const override;
    int GetPageCount() const override;
    TdxPreviewEnableOptions GetEnableOptions() const override { return m_enableOptions; }
    TdxPreviewVisibleOptions GetVisibleOptions() const override { return m_visibleOptions; }
    bool GetSaveZoomPosition() const override { return m_saveZoomPosition; }
    TPoint GetZoomedPageSize() const override;
    int GetZoomFactor() const override;
    void SetSelectedPageIndex(int Value) override;
    void SetPageBackground(TdxBackground* Value) override;
    void SetComponentPrinter(TAbstractdxComponentPrinter* Value) override;
    void SetPageCount(int Value) override;
    void SetEnableOptions(TdxPreviewEnableOptions Value) override;
    void SetVisibleOptions(TdxPreviewVisibleOptions Value) override;
    void SetSaveZoomPosition(bool Value) override;
    void SetZoomFactor(int Value) override;
    void BeginUpdate() override;
    void CancelUpdate() override;
    void EndUpdate() override;
    bool Locked() const override { return m_updateCount != 0; }
    void GoToFirstPage() override;
    void GoToLastPage() override;
    void GoToNextPage() override;
    void GoToPrevPage() override;
    void InitializePreview() override;
    void InvalidateContent() override;
    void InvalidatePage(int PageIndex) override;
    void InvalidateAllPages() override;
    void InvalidatePagesContent() override;
    void InvalidatePagesHeader() override;
    void InvalidatePagesFooter() override;
    void UpdateControls() override;

    // ----- parts
    TdxPreview* Preview() const { return m_preview; }
    TStatusBar* StatusBar() const { return m_statusBar; }
    TStatusBar* MarginBar() const { return m_marginBar; }
    TPanel* PreviewPane() const { return m_previewPane; }
    // The component printer's current link; nullptr without one.
    TBasedxReportLink* ReportLink() const;
    TCustomdxComponentPrinter* Printer() const;
    const std::vector<TdxZoomListItem>& ZoomList() const { return m_zoomList; }
    // The template texts of the standard header and footer functions.
    const std::vector<std::string>& HFTemplates() const { return m_hfTemplates; }

    // ----- settings
    bool ShowMarginBar() const { return m_showMarginBar; }
    void SetShowMarginBar(bool Value);
    bool ShowStatusBar() const { return m_showStatusBar; }
    void SetShowStatusBar(bool Value);
    bool ShowPageMargins() const { return m_showPageMargins; }
    void SetShowPageMargins(bool Value);

    // ----- states
    bool IsBuilding() const { return m_building; }
    bool IsPrinting() const;
    bool CanChangeMargins() const;
    bool CanPageSetup() const;
    bool CanPrint() const;
    bool CanDesign() const;
    bool IsPrintStylesShown() const;
    bool CloseWhenJobEnds() const { return m_closeWhenJobEnds; }
    // The pages the link has cut so far (all of them once pagination ends).
    int KnownPageCount() const;
    bool PaginationComplete() const;
    // What the status panel says, and how much of its progress bar is filled.
    std::string StatusText() const;
    double ProgressFraction() const { return m_progressFraction; }
    // The caption text of descendants: " (printer name)", or "".
    static std::string PrinterNameCaption();

    // ----- commands
    // Page setup on a tab (0 first, 1 margins), then a print when its Print button was pressed.
    void PageSetup(int ActivePage);
    void Print(bool ShowDialog);
    void Design();
    void SetShowEmptyPages(bool Value);
    void SetShowPageHeader(bool Value);
    void SetShowPageFooter(bool Value);
    void SetShrinkToPageWidth(bool Value);
    void Preferences();
    // The colour palette at a screen point on the preview's background.
    void PageBackground(TPoint ScreenPos);
    void ZoomDialog();
    // Applies a zoom by its mode: a factor in pzmNone, the page grid in pzmPages.
    void ApplyZoomSettings(const TdxPreviewZoomSettings& Settings);
    TdxPreviewZoomSettings ZoomSettings() const;
    // An entry of the zoom list, or a number with or without "%" signs;
    // other text is ignored.
    void ZoomByText(const std::string& Text);
    // The page chooser under Anchor.
    void MultiplePages(TControl* Anchor);
    // A 0-based page number that skips empty pages.
    void GoToPage(int PageNumber);
    void DoMarginBarDblClick();
    void DoStatusBarDblClick(TPoint P);

protected:
    virtual bool CanClosePreview();
    virtual void CreateControls();
    virtual void CreateEventSubscribers();
    virtual void CreateMarginBar();
    virtual void CreatePreview();
    virtual void CreatePreviewPane();
    virtual void CreateStatusBar();
    virtual void AfterPrintReport() {}
    virtual void DoAfterDragMargin(TdxPreviewMargin* Margin);
    virtual void DoBeforeDragMargin(TdxPreviewMargin* Margin);
    virtual void DoPreviewDblClick() {}
    virtual void DoDragMargin(TdxPreviewMargin* Margin);
    virtual void DoMarginChanged(TdxPreviewMargin* Margin);
    virtual void DoZoomFactorChanged() {}
    virtual void DoZoomModeChanged() {}
    virtual bool CanShowMarginHint() { return true; }
    virtual void LoadStrings();
    virtual void StyleListChanged(TObject* /*Sender*/) {}
    virtual bool ValidateMargins();

    bool CloseQuery() override;
    void DoClose(TCloseAction& Action) override;
    void DoShow() override;
    void Activate() override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void WndProc(TMessage& Message) override;
    void LoadFromRegistry(const std::string& Key) override;
    void SaveToRegistry(const std::string& Key) override;

    // Runs a command that may run dialogs and loops: while one runs, a close
    // only hides the window, which closes itself once the command returns.
    void RunCommand(const std::function<void()>& Command);
    bool InCommand() const { return m_commandDepth > 0; }
    // Writes the settings under the form's layout key now: the form's own
    // destructor no longer reaches the overrides that add to them. Each
    // window class's destructor calls it; only the first call writes.
    void SaveSettings();
    bool LoadingSettings() const { return m_loadingSettings; }
    // The link of an event is this window's link.
    bool IsOwnLink(const TBasedxReportLink* Link) const;
    void RepaintStatusText();
    void RefreshMarginBar(TdxPreviewMargin* Margin = nullptr);
    // The page count follows the pages cut so far and pagination goes on in steps.
    void RestartPagination();

private:
    void WirePreview();
    void SetPreviewMargins(TdxPrinterPage& Page);
    void WriteBackMargin(TdxPreviewMargin* Margin);
    void SyncPageCount();
    void PaginationStep();
    void PaginationDone();
    void SyncLinkCurrentPage();
    void DrawStatusPanel(TStatusBar* Bar, TStatusPanel* Panel, const TRect& Rect);
    void DrawMarginPanel(TStatusBar* Bar, TStatusPanel* Panel, const TRect& Rect);
    void DrawStatusText(const TRect& Rect);
    void UpdateStatusPanels();
    void ResetProgress();
    void BuildStarted();
    void BuildProgress(double Percent);
    void BuildEnded();
    void PrintStarted(int PageCount);
    void PrintProgress(int PageIndex);
    void PrintEnded();
    void PreviewDblClick();
    void CloseIfAsked();
    std::vector<TRect> VisiblePageRects() const;
    void InvalidateBands(const std::function<TRect(const TRect& Page)>& Band);

    TdxPreviewEnableOptions m_enableOptions{DefaultEnableOptions};
    TdxPreviewVisibleOptions m_visibleOptions{DefaultVisibleOptions};
    std::vector<TdxZoomListItem> m_zoomList;
    std::vector<std::string> m_hfTemplates;
    int m_lastZoomFactor{100};
    bool m_saveZoomPosition{true};
    bool m_showMarginBar{true};
    bool m_showPageMargins{true};
    bool m_showStatusBar{true};
    int m_updateCount{0};
    bool m_closeWhenJobEnds{false};
    bool m_marginsValid{true};
    bool m_loadingSettings{false};
    bool m_settingsSaved{false};
    int m_commandDepth{0};
    // Progress: percent while building, page while printing.
    bool m_building{false};
    int m_progressValue{0};
    int m_printPageCount{0};
    double m_progressFraction{0};
    // Set while a margin is written back: the page's change repaints only the content.
    bool m_writingMargin{false};

    TStatusBar* m_statusBar{nullptr};
    TPanel* m_previewPane{nullptr};
    TdxPreview* m_preview{nullptr};
    TStatusBar* m_marginBar{nullptr};
    TTimer* m_paginationTimer{nullptr};
    std::unique_ptr<TdxPSBuildReportSubscriber> m_buildSubscriber;
    // Shared: a print step that lets the window's messages run keeps it until the step returns.
    std::shared_ptr<TdxPSPrintReportSubscriber> m_printSubscriber;
    std::unique_ptr<TdxStyleListChangedSubscriber> m_styleListSubscriber;
};

} // namespace qel
