#pragma once
// TCustomdxPreview / TdxPreview: a control that shows blank pages of one size
// in rows and columns, zooms and scrolls them, selects a page and lets the
// user drag its margins. It knows nothing of reports: the owner sets the page
// count, size, orientation and margins and draws each page's content in
// OnDrawPageContent.
//
// Pages are arithmetic: a page's rectangle, the page at a point and the
// visible pages come from its row and column, painting visits only the rows
// and columns that meet the clip box, and a page count of any size costs
// nothing per page. Everything on the screen is drawn in Paint; the dragged
// margin line, the hints and the auto-scroll indicator are windows of their
// own (overlay and hint windows).
#include "platform/controls/Controls.h"
#include "platform/controls/HintWindow.h"
#include "platform/core/ChangeLink.h"
#include "platform/core/TSet.h"
#include "preview/PreviewMargins.h"
#include "printing/Background.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qel {

class TBitmap;
class TCustomdxPreview;
class TOverlayWindow;
class TTimer;
namespace detail {
struct TPreviewArrangement;
}

enum TdxPreviewLookAndFeel : std::uint8_t { plfStandard, plfFlat, plfUltraFlat };
enum TdxPreviewOptionBehavior : std::uint8_t {
    pobAllowDragMargins, pobHotTrack, pobKeyNavigation, pobStoreInRegistry, pobThumbTracking
};
using TdxPreviewOptionsBehavior = TSet<TdxPreviewOptionBehavior>;
enum TdxPreviewOptionHint : std::uint8_t { pohShowForMargins, pohShowOnDrag, pohShowOnScroll };
using TdxPreviewOptionsHint = TSet<TdxPreviewOptionHint>;
enum TdxPreviewOptionStore : std::uint8_t { posZoom };
using TdxPreviewOptionsStore = TSet<TdxPreviewOptionStore>;
enum TdxPreviewOptionView : std::uint8_t {
    povAutoHideScrollBars, povDefaultDrawPageBackground, povMargins, povPageSelection
};
using TdxPreviewOptionsView = TSet<TdxPreviewOptionView>;
enum TdxPreviewOptionZoom : std::uint8_t { pozZoomOnClick, pozZoomOnMouseRoll };
using TdxPreviewOptionsZoom = TSet<TdxPreviewOptionZoom>;
enum TdxPreviewPaperOrientation : std::uint8_t { ppoPortrait, ppoLandscape };
enum TdxPreviewZoomMode : std::uint8_t { pzmNone, pzmPageWidth, pzmPages };

// What lies under a point: nothing, a page (its frame), and the margin of the
// selected page under it.
enum TdxPreviewHitTestItem : std::uint8_t {
    phtNoWhere, phtPage, phtMarginLeft, phtMarginTop, phtMarginRight, phtMarginBottom, phtGutter, phtHeader,
    phtFooter
};
using TdxPreviewHitTests = TSet<TdxPreviewHitTestItem>;

using TdxMarginEvent = std::function<void(TObject* Sender, TdxPreviewMargin* Margin)>;
using TdxCanShowMarginHintEvent = std::function<void(TObject* Sender, bool& CanShow)>;
using TdxPageBackgroundDrawEvent =
    std::function<void(TObject* Sender, TCanvas& Canvas, const TRect& Rect, int PageIndex)>;
using TdxDrawPageContentEvent =
    std::function<void(TObject* Sender, TCanvas& ACanvas, const TRect& ARect, int PageIndex)>;
using TdxGetPageNumberHintEvent =
    std::function<void(TObject* Sender, int AStartPage, int AEndPage, std::string& HintString)>;
using TdxPreviewPageEvent = std::function<void(TObject* Sender, int PageIndex)>;
using TdxSelectingPageEvent = std::function<void(TObject* Sender, int PageIndex, bool& CanSelect)>;

// The background of the preview's pages: a centred picture at another zoom
// than 100 % is drawn scaled to the zoom and clipped to the page, never
// through a bitmap the size of the whole scaled picture.
class TdxPreviewPageBackground : public TdxBackground {
    QEL_CLASS(TdxPreviewPageBackground)
public:
    explicit TdxPreviewPageBackground(TCustomdxPreview* Preview = nullptr) : m_preview(Preview) {}
    TCustomdxPreview* Preview() const { return m_preview; }

    void PaintEx(TCanvas& Canvas, const TRect& Rect, int Divisor, int Multiplier) override;

protected:
    void DoChange(TdxBackgroundParams ChangedParams) override;
    std::unique_ptr<TdxBaseObject> CreateNew() const override { return std::make_unique<TdxPreviewPageBackground>(); }

private:
    TCustomdxPreview* m_preview;
};

// The margin and page-number hints: a raised edge around the text in the
// tooltip colours. It never shrinks while shown, so a changing value does not
// make it flicker.
class TdxPreviewHintWindow : public THintWindow {
    QEL_CLASS(TdxPreviewHintWindow)
public:
    explicit TdxPreviewHintWindow(TComponent* AOwner);

    // Shows Text with its top-left corner at the anchor moved by Offset (the
    // offset may depend on the window's size: it gets the size to come),
    // kept inside the screen.
    void ShowHint(TPoint Anchor, const std::string& Text, const std::function<TPoint(TSize Size)>& Offset);
    TPoint Anchor() const { return m_anchor; }

protected:
    void Paint() override;

private:
    TPoint m_anchor{};
};

class TCustomdxPreview : public TCustomControl {
    QEL_CLASS(TCustomdxPreview)
public:
    explicit TCustomdxPreview(TComponent* AOwner);
    ~TCustomdxPreview() override;

    // ----- pages ------------------------------------------------------------------------
    int PageCount() const { return m_pageCount; }
    void SetPageCount(int Value);
    // -1 when none is selected.
    int SelectedPageIndex() const { return m_selected; }
    void SetSelectedPageIndex(int Value);
    void SelectFirstPage();
    void SelectLastPage();
    void SelectNextPage();
    void SelectPrevPage();
    // Scrolls the page's frame into the client area.
    void MakeVisible(int PageIndex);

    // The page whose frame holds the client point, else -1.
    int PageIndexFromPoint(TPoint P) const;
    // Pages meeting the client area, and pages wholly inside it; -1 when none.
    int FirstVisiblePageIndex() const;
    int LastVisiblePageIndex() const;
    int FirstCompletelyVisiblePageIndex() const;
    int LastCompletelyVisiblePageIndex() const;
    // Client coordinates, scrolled; empty outside 0 .. PageCount - 1.
    TRect PageBounds(int Index) const;
    // The page widened by 2 pixels to the left and top and gap - 2 to the right and bottom.
    TRect PageFrameBounds(int Index) const;
    // What lies under a client point; Margin gets the margin under it (or nullptr).
    TdxPreviewHitTests HitTest(TPoint P, TdxPreviewMargin** Margin = nullptr) const;

    // ----- page geometry ------------------------------------------------------------------
    // Portrait size in tenths of a millimetre; each axis at least MinUsefulSize.
    TPoint OriginalPageSize() const { return m_originalPageSize; }
    void SetOriginalPageSize(TPoint Value);
    TdxPreviewPaperOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TdxPreviewPaperOrientation Value);
    // After orientation, tenths of a millimetre.
    TPoint PageSize() const;
    // On the screen at 100 % and at the current zoom.
    TPoint PageSizePixels() const;
    TPoint ZoomedPageSize() const;
    // The space between pages: ZoomFactor * 9 / 100 + 4 pixels.
    int Gap() const { return m_gap; }
    // The smallest area inside the margins, tenths of a millimetre.
    TPoint MinUsefulSize() const { return m_minUsefulSize; }
    void SetMinUsefulSize(TPoint Value);
    int MinHeaderSize() const { return m_minHeaderSize; }
    void SetMinHeaderSize(int Value);
    int MinFooterSize() const { return m_minFooterSize; }
    void SetMinFooterSize(int Value);
    TdxPreviewMargins* Margins() const { return m_margins.get(); }
    void SetMargins(TdxPreviewMargins* Value) { m_margins->Assign(Value); }

    // The one conversion between page lengths and screen pixels at the
    // current zoom (LOGPIXELSX for both directions, MulDiv rounding).
    int ValueToPixels(int Value) const;
    int PixelsToValue(int Pixels) const;
    // The page the margins are drawn on: the selected page, else page 0; empty without pages.
    TRect MarginsPageRect() const;
    // "21 cm x 29,7 cm" in the measurement units, from OriginalPageSize.
    std::string PageSizeText() const;

    // ----- zoom ------------------------------------------------------------------------------
    int ZoomFactor() const { return m_zoomFactor; }
    void SetZoomFactor(int Value);
    int MinZoomFactor() const { return m_minZoomFactor; }
    void SetMinZoomFactor(int Value);
    int MaxZoomFactor() const { return m_maxZoomFactor; }
    void SetMaxZoomFactor(int Value);
    int ZoomStep() const { return m_zoomStep; }
    void SetZoomStep(int Value) { m_zoomStep = std::max(1, Value); }
    TdxPreviewZoomMode ZoomMode() const { return m_zoomMode; }
    void SetZoomMode(TdxPreviewZoomMode Value);
    int PageXCount() const { return m_pageXCount; }
    void SetPageXCount(int Value);
    int PageYCount() const { return m_pageYCount; }
    void SetPageYCount(int Value);
    void SetPageXYCount(int X, int Y);
    void ZoomIn() { SetZoomFactor(m_zoomFactor + m_zoomStep); }
    void ZoomOut() { SetZoomFactor(m_zoomFactor - m_zoomStep); }
    // Columns and rows of the current layout.
    int ColumnCount() const { return m_columns; }
    int RowCount() const { return m_rows; }
    TPoint ScrollPos() const { return {m_scrollX, m_scrollY}; }

    // ----- appearance and options -------------------------------------------------------------
    TdxPreviewLookAndFeel LookAndFeel() const { return m_lookAndFeel; }
    void SetLookAndFeel(TdxPreviewLookAndFeel Value);
    TScrollStyle ScrollBars() const { return m_scrollBars; }
    void SetScrollBars(TScrollStyle Value);
    TColor MarginColor() const { return m_marginColor; }
    void SetMarginColor(TColor Value);
    TdxPreviewMeasurementUnits MeasurementUnits() const { return m_measurementUnits; }
    void SetMeasurementUnits(TdxPreviewMeasurementUnits Value) { m_measurementUnits = Value; }
    TdxPreviewOptionsBehavior OptionsBehavior() const { return m_optionsBehavior; }
    void SetOptionsBehavior(TdxPreviewOptionsBehavior Value);
    TdxPreviewOptionsHint OptionsHint() const { return m_optionsHint; }
    void SetOptionsHint(TdxPreviewOptionsHint Value) { m_optionsHint = Value; }
    TdxPreviewOptionsStore OptionsStore() const { return m_optionsStore; }
    void SetOptionsStore(TdxPreviewOptionsStore Value) { m_optionsStore = Value; }
    TdxPreviewOptionsView OptionsView() const { return m_optionsView; }
    void SetOptionsView(TdxPreviewOptionsView Value);
    TdxPreviewOptionsZoom OptionsZoom() const { return m_optionsZoom; }
    void SetOptionsZoom(TdxPreviewOptionsZoom Value) { m_optionsZoom = Value; }
    TdxPreviewPageBackground* PageBackground() const { return m_pageBackground.get(); }
    // Copies the given background.
    void SetPageBackground(TdxBackground* Value);

    // ----- updates --------------------------------------------------------------------------
    void BeginUpdate() { ++m_updateCount; }
    void CancelUpdate();
    void EndUpdate();
    bool IsUpdateLocked() const { return m_updateCount > 0; }

    // ----- settings store -------------------------------------------------------------------
    const std::string& RegistryPath() const { return m_registryPath; }
    void SetRegistryPath(const std::string& Value) { m_registryPath = Value; }
    // A key that cannot be opened leaves everything as it was.
    void LoadFromRegistry(const std::string& Key);
    void SaveToRegistry(const std::string& Key);
    void Loaded() override;

    // ----- what the user is doing ----------------------------------------------------------------
    TdxPreviewMargin* DraggingMargin() const { return m_dragMargin; }
    bool AutoScrolling() const { return m_autoScroll != nullptr; }
    // The windows of the hints, the dragged margin line and the auto-scroll
    // indicator while they exist (nullptr otherwise).
    TdxPreviewHintWindow* MarginHintWindow() const { return m_marginHint; }
    TdxPreviewHintWindow* PageNumberHintWindow() const { return m_pageNumberHint; }
    TOverlayWindow* MarginDragLine() const { return m_dragLine; }
    TOverlayWindow* AutoScrollIndicator() const;
    // The text of the page-number hint for the pages meeting the client area.
    std::string PageNumberHintText() { return GetPageNumberHint(FirstVisiblePageIndex(), LastVisiblePageIndex()); }
    // Hides both hints and stops their timers.
    void HideAllHints();
    // What Paint draws of the client area inside Clip, onto any canvas in
    // client coordinates (pictures, recording canvases).
    void PaintTo(TCanvas& Canvas, const TRect& Clip);

    void SetOnCalcPageCount(TNotifyEvent Value);
    // A one-pixel border in the flat looks.
    int BorderInset() const override;

    TdxMarginEvent OnAfterDragMargin;
    TdxMarginEvent OnBeforeDragMargin;
    TdxMarginEvent OnDragMargin;
    TdxMarginEvent OnMarginChanged;
    TdxCanShowMarginHintEvent OnCanShowMarginHint;
    TdxPageBackgroundDrawEvent OnDrawPageBackground;
    TdxDrawPageContentEvent OnDrawPageContent;
    TdxGetPageNumberHintEvent OnGetPageNumberHint;
    TdxPreviewPageEvent OnSelectedPageChanged;
    TdxPreviewPageEvent OnSelectedPageChanging;
    TdxSelectingPageEvent OnSelectingPage;
    TNotifyEvent OnZoomFactorChanged;
    TNotifyEvent OnZoomModeChanged;
    const TNotifyEvent& OnCalcPageCount() const { return m_onCalcPageCount; }

protected:
    virtual void DoDrawPageContent(TCanvas& Canvas, const TRect& Rect, int PageIndex);
    virtual void DoDragMargin(TdxPreviewMargin* Margin);
    virtual void DoZoomFactorChanged();
    virtual void DoZoomModeChanged();
    virtual bool DoCanShowMarginHint();
    virtual std::string GetPageNumberHint(int StartPage, int EndPage);
    virtual void DrawPageBackground(TCanvas& Canvas, const TRect& Rect, int PageIndex);
    virtual void DrawPage(TCanvas& Canvas, const TRect& Rect, bool Selected);
    virtual bool DoSelectingPage(int PageIndex);
    virtual void DoAfterDragMargin(TdxPreviewMargin* Margin);
    virtual void DoBeforeDragMargin(TdxPreviewMargin* Margin);
    virtual void DoCalcPageCount();
    virtual void DoSelectedPageChanging(int PageIndex);
    virtual void DoSelectedPageChanged(int PageIndex);

    void Paint() override;
    void PaintNonClient() override;
    void Resize() override;
    void DoScroll(TScrollBarKind Kind, TScrollCode Code, int Pos) override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void MouseCaptureLost() override;
    void DoExit() override;
    bool WantsTabKey() const override { return false; }

private:
    friend class TdxPreviewMargin;
    friend class TdxPreviewPageBackground;
    class TAutoScroll;
    enum TZoomSource : std::uint8_t { zsUser, zsLayout, zsToggle };

    // ----- layout (Preview.cpp) -----
    detail::TPreviewArrangement Arrange(int ScrollX, int ScrollY) const;
    // Fixes where the pages go for the layout just computed.
    void Place();
    void Layout();
    void FitZoom();
    void ApplyZoomFactor(int Value, TZoomSource Source);
    void UpdateScrollBars();
    int ScrollExtentX() const;
    int ScrollExtentY() const;
    bool CanHScroll() const;
    bool CanVScroll() const;
    // Moves the view; Scroll false repaints instead of moving the pixels.
    void SetScrollPosition(int X, int Y, bool Scroll = true);
    void ScrollByLines(int DX, int DY);
    void ToggleZoom(bool ZoomIn);
    void SetPageCounts(int X, int Y);
    int HeaderFooterRoom(int OtherSize) const;
    void SelectPage(int Index, bool Asked);
    void RevalidateSelection(int OldIndex);
    void InvalidatePageRing(int Index);
    void InvalidateMargins(int Index);
    void InvalidateVisiblePages();
    void DoMarginChanged(TdxPreviewMargin* Margin);
    void MarginsChanged();
    void InvalidateMarginLine(TdxPreviewMargin* Margin);
    void RotateMargins(TdxPreviewPaperOrientation To);

    // ----- painting (PreviewPaint.cpp) -----
    void DrawMargins(TCanvas& Canvas);

    // ----- input (PreviewInput.cpp) -----
    void BeginDrag(TdxPreviewMargin* Margin, int X, int Y);
    void MoveDrag(int X, int Y);
    void EndDrag();
    void ShowDragLine();
    void UpdateCursor(int X, int Y);
    void RestartMarginHintTimer(int X, int Y);
    void MarginHintTimerFired();
    void MarginHintCheck();
    void ShowMarginHint(TdxPreviewMargin* Margin, TPoint ScreenPos);
    void ShowPageNumberHint(int TrackPos);
    bool ParentFormActive() const;
    void StartAutoScroll(int X, int Y);

    std::shared_ptr<int> m_alive{std::make_shared<int>(0)};

    // pages and selection
    int m_pageCount{0};
    int m_selected{-1};
    // page
    TPoint m_originalPageSize{2100, 2970};
    TdxPreviewPaperOrientation m_orientation{ppoPortrait};
    TPoint m_minUsefulSize{500, 500};
    int m_minHeaderSize{127};
    int m_minFooterSize{127};
    std::unique_ptr<TdxPreviewMargins> m_margins;
    std::unique_ptr<TdxPreviewPageBackground> m_pageBackground;
    // zoom and layout
    int m_zoomFactor{100};
    int m_minZoomFactor{10};
    int m_maxZoomFactor{500};
    int m_zoomStep{10};
    TdxPreviewZoomMode m_zoomMode{pzmNone};
    int m_pageXCount{1};
    int m_pageYCount{1};
    int m_gap{13};
    int m_columns{1};
    int m_rows{0};
    TPoint m_placedPage{};
    int m_placedGap{13};
    TPoint m_placedOffset{};
    int m_totalWidth{0};
    int m_totalHeight{0};
    int m_scrollX{0};
    int m_scrollY{0};
    bool m_zoomedIn{true};
    int m_savedZoomFactor{50};
    TdxPreviewZoomMode m_savedZoomMode{pzmNone};
    int m_updateCount{0};
    bool m_layingOut{false};
    // appearance and options
    TdxPreviewLookAndFeel m_lookAndFeel{plfStandard};
    TScrollStyle m_scrollBars{ssBoth};
    TColor m_marginColor{clWindowText};
    TdxPreviewMeasurementUnits m_measurementUnits{pmuDefault};
    TdxPreviewOptionsBehavior m_optionsBehavior{pobAllowDragMargins, pobKeyNavigation, pobThumbTracking};
    TdxPreviewOptionsHint m_optionsHint{pohShowForMargins, pohShowOnDrag, pohShowOnScroll};
    TdxPreviewOptionsStore m_optionsStore{posZoom};
    TdxPreviewOptionsView m_optionsView{povAutoHideScrollBars, povDefaultDrawPageBackground, povMargins,
                                        povPageSelection};
    TdxPreviewOptionsZoom m_optionsZoom{pozZoomOnClick};
    std::string m_registryPath;
    TNotifyEvent m_onCalcPageCount;
    // input
    TPoint m_lastMousePos{INT_MAX, INT_MAX};
    TdxPreviewMargin* m_dragMargin{nullptr};
    int m_dragOffset{0};
    int m_dragStart{0};
    TOverlayWindow* m_dragLine{nullptr};
    TdxPreviewHintWindow* m_marginHint{nullptr};
    TdxPreviewHintWindow* m_pageNumberHint{nullptr};
    std::unique_ptr<TTimer> m_hintShowTimer;
    std::unique_ptr<TTimer> m_hintCheckTimer;
    std::uint32_t m_hintShownAt{0};
    std::unique_ptr<TAutoScroll> m_autoScroll;
    TChangeLink m_settingChanges;
};

class TdxPreview : public TCustomdxPreview {
    QEL_CLASS(TdxPreview)
public:
    explicit TdxPreview(TComponent* AOwner) : TCustomdxPreview(AOwner) {}
};

// ----- a preview's zoom as one value ----------------------------------------------------------
struct TdxPreviewZoomSettings {
    TdxPreviewZoomMode Mode = pzmNone;
    int ZoomFactor = 100;
    int Columns = 1;
    int Rows = 1;
    bool operator==(const TdxPreviewZoomSettings&) const = default;
};
TdxPreviewZoomSettings dxPreviewZoomOf(const TCustomdxPreview& Preview);
// Sets a zoom by its mode: the factor in pzmNone, the fitted width, or the
// page grid in pzmPages; what the other modes carry is ignored. (Setting
// the grid or the factor on their own would switch the mode again.)
void dxSetPreviewZoom(TCustomdxPreview& Preview, const TdxPreviewZoomSettings& Settings);

} // namespace qel
