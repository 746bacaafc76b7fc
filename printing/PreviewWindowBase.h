#pragma once
// TBasedxPreviewWindow: what the component printer needs of a preview
// window. The standard preview window (the preview layer) fills it in; the
// component printer creates the class registered last
// (RegisterPreviewWindowClass) and hands itself to it.
#include "platform/graphics/Geometry.h"
#include "printing/PSForm.h"

#include <cstdint>

namespace qel {

class TAbstractdxComponentPrinter;
class TCanvas;
class TdxBackground;

enum TdxPreviewEnableOption : std::uint8_t {
    peoCanChangeMargins, peoHelp, peoPageBackground, peoPageSetup, peoPreferences, peoPrint, peoReportDesign
};
using TdxPreviewEnableOptions = TSet<TdxPreviewEnableOption>;
enum TdxPreviewVisibleOption : std::uint8_t {
    pvoHelp, pvoPageBackground, pvoPageSetup, pvoPreferences, pvoPrint, pvoReportDesign, pvoPrintStyles
};
using TdxPreviewVisibleOptions = TSet<TdxPreviewVisibleOption>;

class TBasedxPreviewWindow : public TCustomdxPSForm {
    QEL_CLASS(TBasedxPreviewWindow)
public:
    explicit TBasedxPreviewWindow(TComponent* AOwner);
    // Tells the component printer, which runs OnAfterPreview for a window
    // that was not modal and forgets it.
    ~TBasedxPreviewWindow() override;

    virtual int GetSelectedPageIndex() const = 0;
    virtual TdxBackground* GetPageBackground() const = 0;
    // Kept here: the window tells the printer when it goes, after the derived
    // window is gone. The printer closes its preview before it goes itself.
    virtual TAbstractdxComponentPrinter* GetComponentPrinter() const { return m_printer; }
    virtual int GetPageCount() const = 0;
    virtual TdxPreviewEnableOptions GetEnableOptions() const = 0;
    virtual TdxPreviewVisibleOptions GetVisibleOptions() const = 0;
    virtual bool GetSaveZoomPosition() const = 0;
    virtual TPoint GetZoomedPageSize() const = 0;
    virtual int GetZoomFactor() const = 0;
    virtual void SetSelectedPageIndex(int Value) = 0;
    virtual void SetPageBackground(TdxBackground* Value) = 0;
    virtual void SetComponentPrinter(TAbstractdxComponentPrinter* Value) { m_printer = Value; }
    virtual void SetPageCount(int Value) = 0;
    virtual void SetEnableOptions(TdxPreviewEnableOptions Value) = 0;
    virtual void SetVisibleOptions(TdxPreviewVisibleOptions Value) = 0;
    virtual void SetSaveZoomPosition(bool Value) = 0;
    virtual void SetZoomFactor(int Value) = 0;
    virtual void BeginUpdate() {}
    virtual void CancelUpdate() {}
    virtual void EndUpdate() {}
    virtual bool Locked() const { return false; }
    // Asks the component printer to draw the page, at the zoom.
    virtual void DrawPageContent(TCanvas& Canvas, int PageIndex, const TRect& Rect);
    virtual void GoToFirstPage() = 0;
    virtual void GoToLastPage() = 0;
    virtual void GoToNextPage() = 0;
    virtual void GoToPrevPage() = 0;
    virtual void InitializePreview() {}
    virtual void InvalidateContent() {}
    virtual void InvalidatePage(int /*PageIndex*/) {}
    virtual void InvalidateAllPages() {}
    virtual void InvalidatePagesContent() {}
    virtual void InvalidatePagesHeader() {}
    virtual void InvalidatePagesFooter() {}
    // Asks the component printer's design window to refresh.
    virtual void UpdateControls();

    // Whether the window was shown modally (set by the component printer).
    bool ShownModal() const { return m_shownModal; }
    void SetShownModal(bool Value) { m_shownModal = Value; }

private:
    TAbstractdxComponentPrinter* m_printer{nullptr};
    bool m_shownModal{false};
};

} // namespace qel
