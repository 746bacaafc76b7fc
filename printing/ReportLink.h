#pragma once
// TBasedxReportLink: connects one source component (a grid, a tree list) to
// printing. A concrete link fills the report cell tree in ConstructReport
// (in screen pixels) and names its delimiters; the base converts the tree to
// report units, pages it (TdxPSReportRenderInfo) and paints its pages
// (TdxPSReportRenderer), and keeps the page settings, the title, the report
// font and colour, the page numbering and the formats of dates, times and
// page numbers.
//
//   TMyLink link(owner);               // a concrete link
//   link.SetComponent(grid);
//   link.SetActive(true);              // builds; EdxReportLink when it cannot
//   link.PaintPage(canvas, pageRect, 0, 0, 100);
//
// The component printer that holds links is reached through
// TAbstractdxComponentPrinter, which it implements.
#include "platform/core/Component.h"
#include "platform/core/Events.h"
#include "platform/core/TSet.h"
#include "platform/core/Variant.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Graphics.h"
#include "printing/EventSystem.h"
#include "printing/HeaderFooterFunctions.h"
#include "printing/PrinterPage.h"
#include "printing/ReportCells.h"
#include "printing/ReportRenderInfo.h"
#include "printing/ReportRenderer.h"
#include "printing/ReportTitle.h"
#include "printing/ReportUnits.h"

#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TBasedxPrintStyle;
class TBasedxReportLink;
class TCanvas;
class TdxPrintStyleManager;
class TPopupMenu;
class TForm;
class TStrings;
class TAbstractdxReportLinkDesignWindow;
class TBasedxPreviewWindow;

enum TdxAssignedFormatValue : std::uint8_t { fvDate, fvTime, fvPageNumber };
using TdxAssignedFormatValues = TSet<TdxAssignedFormatValue>;

// ----- the component printer, as a link sees it ---------------------------------------------------
// The component printer implements these; a link without one behaves as its
// own current link with the defaults below.
class TAbstractdxComponentPrinter : public TComponent {
    QEL_CLASS(TAbstractdxComponentPrinter)
public:
    using TComponent::TComponent;

    virtual bool AutoUpdateDateTime() const { return true; }
    virtual int DateFormat() const { return 0; }
    virtual int TimeFormat() const { return 0; }
    virtual TdxPageNumberFormat PageNumberFormat() const { return pnfNumeral; }
    virtual void SetAutoUpdateDateTime(bool /*Value*/) {}
    virtual void SetDateFormat(int /*Value*/) {}
    virtual void SetTimeFormat(int /*Value*/) {}
    virtual void SetPageNumberFormat(TdxPageNumberFormat /*Value*/) {}

    virtual TBasedxReportLink* CurrentLink() const { return nullptr; }
    virtual void SetCurrentLink(TBasedxReportLink* /*Link*/) {}
    virtual int LinkCount() const { return 0; }
    virtual int IndexOfLink(const TBasedxReportLink* /*Link*/) const { return -1; }
    virtual void MoveLink(TBasedxReportLink* /*Link*/, int /*NewIndex*/) {}
    // The printer forgets a link that is being freed.
    virtual void RemoveLink(TBasedxReportLink* /*Link*/) {}

    // The build bracket: hourglass and build events (start, progress, end).
    virtual void BeginGenerateReport(TBasedxReportLink* /*Link*/) {}
    virtual void GenerateReportProgress(TBasedxReportLink* /*Link*/, double /*PercentDone*/) {}
    virtual void EndGenerateReport(TBasedxReportLink* /*Link*/) {}
    // The long-operation bracket.
    virtual void BeginLongOperation() {}
    virtual void EndLongOperation() {}

    virtual bool IsPreviewShowing() const { return false; }
    virtual void DestroyPreview() {}
    // The open preview re-reads its pages and repaints.
    virtual void RefreshPreview() {}
    virtual void DesignerRefresh() {}
    // A preview window is going away (OnAfterPreview unless it was modal).
    virtual void PreviewWindowDestroyed(TBasedxPreviewWindow* /*Window*/) {}
    // Paints a page of the current link for the preview.
    virtual void PaintPage(TCanvas& Canvas, int PageIndex, const TRect& PageRect, int Zoom);
    // What follows a Preview or Print button of a dialog a link ran.
    virtual void Preview(bool /*Modal*/, TBasedxReportLink* /*Link*/) {}
    virtual void Print(bool /*ShowDialog*/, TBasedxReportLink* /*Link*/) {}
    virtual bool IsDesigning() const { return false; }
    virtual void DoChangeComponent(TBasedxReportLink* /*Link*/) {}

    // Custom drawing the printer's users set; each answers whether it ran.
    virtual bool DoCustomDrawPageHeaderOrFooter(TBasedxReportLink* /*Link*/, TCustomdxPageObject* /*HF*/,
                                                TCanvas& /*Canvas*/, int /*PageIndex*/, const TRect& /*Rect*/,
                                                int /*Numerator*/, int /*Denominator*/, bool& /*DefaultDrawText*/,
                                                bool& /*DefaultDrawBackground*/)
    {
        return false;
    }
    virtual bool DoCustomDrawReportTitle(TBasedxReportLink* /*Link*/, TCanvas& /*Canvas*/, const TRect& /*Rect*/,
                                         int /*Numerator*/, int /*Denominator*/, TdxTextAlignX& /*AlignX*/,
                                         TdxTextAlignY& /*AlignY*/, TColor& /*Color*/, TFont& /*Font*/,
                                         bool& /*Done*/)
    {
        return false;
    }
    virtual void DoMeasureReportTitle(TBasedxReportLink* /*Link*/, int& /*Height*/) {}
    virtual void DoCustomDrawPage(TBasedxReportLink* /*Link*/, TCanvas& /*Canvas*/, int /*PageIndex*/,
                                  const TRect& /*Rect*/, int /*Numerator*/, int /*Denominator*/)
    {
    }
    // The design window's outcome (OnDesignReport, rebuild when done).
    virtual void BeforeDesignReport(TBasedxReportLink* /*Link*/, TAbstractdxReportLinkDesignWindow* /*Window*/) {}
    virtual void DesignReportDone(TBasedxReportLink* /*Link*/, bool /*Done*/) {}
};

// ----- the dialogs a link runs ------------------------------------------------------------------------
// They belong to the preview layer, which installs them when it starts;
// without one a call does nothing and answers false.
struct TdxDateTimeFormatsDlgData {
    bool AutoUpdateDateTime{true};
    int DateFormatIndex{0};
    TStrings* DateFormats{nullptr};
    bool ShowAsDefaultButton{false};
    bool SetDateTimeFormatAsDefault{false};   // out: the choice also becomes the printer's
    int TimeFormatIndex{0};
    TStrings* TimeFormats{nullptr};
};

struct TdxPageNumberFormatDlgData {
    TStrings* PageNumberFormats{nullptr};
    int PageNumberFormatIndex{0};
    int StartPageIndex{1};
    bool ShowAsDefaultButton{false};
    bool SetPageNumberFormatAsDefault{false};   // out
};

using TdxPrintStylePickedEvent = std::function<void(TBasedxPrintStyle* Style)>;

struct TdxReportLinkDialogRunners {
    std::function<bool(TdxDateTimeFormatsDlgData& Data)> DateTimeFormats;
    std::function<bool(TdxPageNumberFormatDlgData& Data)> PageNumberFormat;
    // The report title dialog on a copy of the title.
    std::function<bool(TdxReportTitle& Title, int HelpContext)> ReportTitle;
    // Runs a report design window made for a link; true when accepted.
    std::function<bool(TAbstractdxReportLinkDesignWindow& Window)> DesignWindow;
    // Fills Root (a menu item) with one radio item per style of Styles (the
    // list's objects, in order), the current style's item checked, and the
    // define-styles item when asked for; StylePicked hears which style an
    // item stood for when it is clicked.
    std::function<void(TComponent* Root, const TNotifyEvent& DefineStylesClick,
                       const TdxPrintStylePickedEvent& StylePicked, TBasedxPrintStyle* CurrentStyle,
                       const TStrings& Styles, bool AddDefineStylesItem)>
        PageSetupMenu;
};
TdxReportLinkDialogRunners& dxReportLinkDialogRunners();

using TdxCustomDrawPageHFEvent =
    std::function<void(TObject* Sender, TCanvas& Canvas, int PageIndex, TRect& Rect, int Numerator, int Denominator,
                       bool& DefaultDrawText, bool& DefaultDrawBackground)>;
using TdxCustomDrawReportLinkTitleEvent =
    std::function<void(TObject* Sender, TCanvas& Canvas, TRect& Rect, int Numerator, int Denominator,
                       TdxTextAlignX& AlignX, TdxTextAlignY& AlignY, TColor& Color, TFont& Font, bool& Done)>;
using TdxFilterStyleEvent = std::function<void(TBasedxReportLink* Sender, TBasedxPrintStyle* Style, bool& Supported)>;
using TdxMeasureReportLinkTitleEvent = std::function<void(TBasedxReportLink* Sender, int& Height)>;

// ----- the link's own printer page ------------------------------------------------------------------------
class TdxReportLinkPrinterPage : public TdxPrinterPage {
    QEL_CLASS(TdxReportLinkPrinterPage)
public:
    explicit TdxReportLinkPrinterPage(TBasedxReportLink* AReportLink = nullptr);
    TBasedxReportLink* ReportLink() const { return m_reportLink; }

protected:
    // Unless locked, the link hears of every change with the kinds.
    void DoChange(TdxPageChangeKinds ChangedKinds) override;
    std::unique_ptr<TdxBaseObject> CreateNew() const override
    {
        return std::make_unique<TdxReportLinkPrinterPage>();
    }

private:
    TBasedxReportLink* m_reportLink;
};

// ----- the link -------------------------------------------------------------------------------------------
class TBasedxReportLink : public TComponent {
    QEL_CLASS(TBasedxReportLink)
public:
    static constexpr const char* DefaultDesignerCaption = "Report Designer";

    explicit TBasedxReportLink(TComponent* AOwner);
    // Runs OnDestroy, leaves the component printer, deactivates.
    ~TBasedxReportLink() override;

    // ----- published properties
    bool Active() const { return m_active; }
    TComponent* Component() const { return m_component; }
    TdxAssignedFormatValues AssignedFormatValues() const { return m_assignedFormatValues; }
    void SetAssignedFormatValues(TdxAssignedFormatValues Value);
    int DateFormat() const;
    void SetDateFormat(int Value);
    int TimeFormat() const;
    void SetTimeFormat(int Value);
    TdxPageNumberFormat PageNumberFormat() const;
    void SetPageNumberFormat(TdxPageNumberFormat Value);
    TDateTime DateTime() const { return m_dateTime; }
    void SetDateTime(TDateTime Value);
    const std::string& DesignerCaption() const { return m_designerCaption; }
    void SetDesignerCaption(const std::string& Value) { m_designerCaption = Value; }
    int DesignerHelpContext() const { return m_designerHelpContext; }
    void SetDesignerHelpContext(int Value) { m_designerHelpContext = Value; }
    // The link's own page; in force when no print style is current.
    TdxPrinterPage* PrinterPage() const;
    void SetPrinterPage(TdxPrinterPage* Value);
    TdxReportTitle* ReportTitle() const { return m_reportTitle.get(); }
    void SetReportTitle(TdxReportTitle* Value) { m_reportTitle->Assign(Value); }
    TdxReportTitleMode ReportTitleMode() const { return m_reportTitle->Mode(); }
    void SetReportTitleMode(TdxReportTitleMode Value) { m_reportTitle->SetMode(Value); }
    const std::string& ReportTitleText() const { return m_reportTitle->Text(); }
    void SetReportTitleText(const std::string& Value) { m_reportTitle->SetText(Value); }
    bool ShowDesigner() const { return m_showDesigner; }
    void SetShowDesigner(bool Value) { m_showDesigner = Value; }
    bool ShowPageFooter() const { return m_showPageFooter; }
    void SetShowPageFooter(bool Value);
    bool ShowPageHeader() const { return m_showPageHeader; }
    void SetShowPageHeader(bool Value);
    bool ShrinkToPageWidth() const { return m_shrinkToPageWidth; }
    void SetShrinkToPageWidth(bool Value);
    int StartPageIndex() const { return m_startPageIndex; }
    void SetStartPageIndex(int Value);
    TdxPrintStyleManager* StyleManager() const { return m_styleManager; }
    void SetStyleManager(TdxPrintStyleManager* Value);
    // Position in the component printer's list (-1 without one) and selection there.
    int Index() const;
    void SetIndex(int Value);
    bool IsCurrentLink() const;
    void SetIsCurrentLink(bool Value);

    // ----- other state
    TColor Color() const { return m_color; }
    virtual void SetColor(TColor Value);
    // "Times New Roman", 8 points.
    TFont* Font() const { return m_font.get(); }
    virtual void SetFont(TFont* Value);
    bool Transparent() const { return m_transparent; }
    virtual void SetTransparent(bool Value);
    // False keeps text at its point size whatever the scale.
    bool ScaleFonts() const { return m_scaleFonts; }
    void SetScaleFonts(bool Value);
    bool ShowEmptyPages() const { return m_showEmptyPages; }
    void SetShowEmptyPages(bool Value);
    bool FootersOnEveryPage() const { return m_footersOnEveryPage; }
    void SetFootersOnEveryPage(bool Value);
    bool HeadersOnEveryPage() const { return m_headersOnEveryPage; }
    void SetHeadersOnEveryPage(bool Value);
    bool UseHorzDelimiters() const { return m_useHorzDelimiters; }
    void SetUseHorzDelimiters(bool Value);
    bool UseVertDelimiters() const { return m_useVertDelimiters; }
    void SetUseVertDelimiters(bool Value);
    // 1-based; clamped to the visible pages (1 with none).
    int CurrentPage() const { return m_currentPage; }
    void SetCurrentPage(int Value);
    TAbstractdxComponentPrinter* ComponentPrinter() const { return m_componentPrinter; }
    // Joins (or leaves) a component printer: the printer keeps the list and calls this.
    void SetComponentPrinter(TAbstractdxComponentPrinter* Value);
    bool RebuildNeeded() const { return m_rebuildNeeded; }
    std::int64_t ReportWidth() const { return m_reportWidth; }
    std::int64_t ReportHeight() const { return m_reportHeight; }
    TdxReportCells* ReportCells() const { return m_reportCells.get(); }
    TdxPSReportRenderInfo* RenderInfo();
    TdxPSReportRenderer* Renderer();
    TdxPSReportFontPool* FontPool();
    TdxPSReportBrushPool* BrushPool();
    bool IsPainting() const { return m_painting > 0; }
    // The page in force: the current print style's page, else the link's own.
    TdxPrinterPage* GetRealPrinterPage() const;

    // ----- pages
    // Non-empty pages (published to the shared page information when current).
    int GetPageCount();
    // All pages with ShowEmptyPages, else the non-empty ones.
    int GetVisiblePageCount();
    int GetRealPageIndex(int VisibleIndex);
    int GetVirtualPageIndex(int RealIndex);
    // Indices outside the pages count as empty.
    bool IsEmptyPage(int Index);
    virtual void GetPageCounts(int& Across, int& Down);
    virtual bool IsEmptyReport();
    // Pagination is stepped: these cut page rows on demand.
    bool IsPaginationComplete();
    bool CalculateNextPageRow();
    // Recalculates the pages (deferred while a page is drawn).
    void CalculateRenderInfo();
    // The values a page's header and footer show: its number, the total so
    // far, the first number, the number style, date and time.
    void FillFormatObject(TdxHFFunctionFormatObject& Format, int RealPageIndex);
    // Paints the page shown at PageIndex (a visible index) into PageRect.
    virtual void PaintPage(TCanvas& Canvas, const TRect& PageRect, int PageIndex, int ContinuousPageIndex, int Zoom);

    // ----- virtual operations
    // The scale in force: the printer page's, or in fit-to-pages mode the
    // largest that puts the report on the pages asked for (10 .. 500).
    virtual int GetRealScaleFactor();
    virtual void SetActive(bool Value);
    virtual void SetComponent(TComponent* Value);
    virtual void DoAfterPrinting();
    virtual void DoBeforePrinting();
    virtual bool CanBuildReport() const { return m_component != nullptr; }
    virtual bool CanHaveEmptyPages() const { return m_canHaveEmptyPages; }
    virtual std::int64_t GetReportHeight() const { return m_reportHeight; }
    virtual std::int64_t GetReportWidth() const { return m_reportWidth; }
    virtual void RestoreDefaults();
    virtual bool GetFootersOnEveryPage() const { return m_footersOnEveryPage; }
    virtual bool GetHeadersOnEveryPage() const { return m_headersOnEveryPage; }
    virtual bool IsItemCustomDrawn(const TAbstractdxReportCellData& /*Item*/) const { return false; }
    // Appends the link's own delimiters (report units, any order).
    virtual void GetDelimiters(TdxReportCells& Cells, std::vector<std::int64_t>& HorzDelimiters,
                               std::vector<std::int64_t>& VertDelimiters);
    virtual void PageParamsChanged(TdxPrinterPage* Page, TdxPageChangeKinds UpdateCodes);
    virtual bool CanChangeTitle() const { return true; }
    virtual void DrawPageHeaderFooter(TCustomdxPageObject& HF, TCanvas& Canvas, int PageIndex, TRect& Rect,
                                      bool& DefaultDrawText, bool& DefaultDrawBackground);
    // Answers true when a handler drew the title.
    virtual bool DrawReportTitle(TCanvas& Canvas, TRect& Rect, TdxTextAlignX& AlignX, TdxTextAlignY& AlignY,
                                 TColor& Color, TFont& Font);
    virtual void MeasureTitleHeight(int& Height);
    virtual bool IsSupportedStyle(TBasedxPrintStyle* Style);
    virtual bool HasDesignWindow() const;
    virtual void ClearReport() { SetActive(false); }
    virtual void Rebuild();
    virtual void RestoreDefaultsAll() { RestoreDefaults(); }
    virtual void RestoreFromOriginal();

    // ----- dialogs and design
    bool ShowDateTimeFormatsDlg();
    bool ShowPageNumberFormatsDlg();
    bool ShowTitlePropertiesDlg();
    // Page setup on the style in force (a temporary standard style holding
    // the link's own page when there is no manager, assigned back on OK).
    bool PageSetup(int ActivePageIndex = 0, bool* PreviewBtnClicked = nullptr, bool* PrintBtnClicked = nullptr);
    // The style manager's Define Print Styles dialog; a Preview or Print
    // pressed there follows through the component printer.
    void DefinePrintStylesDlg();
    // Fills Root (a menu item) with the style manager's styles that
    // IsSupportedStyle accepts, the current style checked, and the
    // define-styles item when asked for. Picking a style makes it current and
    // runs page setup, which a Preview or Print pressed there follows through
    // the component printer. False when no menu builder is installed.
    bool BuildPageSetupMenu(TComponent* Root, bool IncludeDefineItem = true);
    // The design window registered for the link's class; true when accepted.
    // When it was neither accepted nor applied the link gets its settings back.
    bool DesignReport();
    // When the printer page's margins lie outside the printable area, asks
    // whether to go on; false means do not print.
    bool CheckMargins();

    // From another link the settings listed in the class; from a print
    // style its printer page.
    void Assign(TPersistent* Source) override;
    void Loaded() override;

    TNotifyEvent OnChangeComponent;
    TdxCustomDrawPageHFEvent OnCustomDrawPageFooter;
    TdxCustomDrawPageHFEvent OnCustomDrawPageHeader;
    TdxCustomDrawReportLinkTitleEvent OnCustomDrawReportLinkTitle;
    TNotifyEvent OnDestroy;
    TdxFilterStyleEvent OnFilterStyle;
    TdxMeasureReportLinkTitleEvent OnMeasureReportLinkTitle;

protected:
    // The concrete link builds the cells in screen pixels here; the base
    // empties the pools and adds the link's font and colour.
    virtual void ConstructReport(TdxReportCells& Cells);
    // Called for an item IsItemCustomDrawn accepts; Done when the link drew it.
    virtual void DoCustomDrawItem(TCanvas& Canvas, TAbstractdxReportCellData& Item, const TRect& Rect, bool& Done);
    virtual void InternalRestoreFromOriginal();
    virtual std::unique_ptr<TdxPSReportRenderInfo> CreateRenderInfo();
    virtual std::unique_ptr<TdxPSReportRenderer> CreateRenderer();
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void AssignTo(TPersistent* Dest) override;
    // Refuses a component the link registry gives to another link class.
    virtual void CheckComponent(TComponent* Value);
    // The print style's generating events around a build.
    virtual void DoBeforeGenerating(TBasedxPrintStyle* Style);
    virtual void DoAfterGenerating(TBasedxPrintStyle* Style);
    void SetCanHaveEmptyPages(bool Value) { m_canHaveEmptyPages = Value; }
    // A setting of a concrete link changed what a build makes.
    void LinkModified() { m_rebuildNeeded = true; }
    // The build steps after ConstructReport; a build that fails leaves nothing behind.
    virtual void RebuildReport();
    // The cells and the render info go; the link keeps its settings.
    void FreeReport();

private:
    friend class TdxPSReportRenderer;
    friend class TdxReportLinkPrinterPage;
    void ConvertToReportUnits(TdxReportCells& Cells);
    void UpdatePageInformation();
    bool IsCurrentForPrinter() const;
    void FormatChanged(TdxAssignedFormatValue Kind);
    int FitScale(TdxPrinterPage& Page);
    void ActivateAfterLoading();
    void PageParamsEvent(TBasedxPrintStyle* Style, TdxPageParamsUpdateCodes Codes);
    void PageSetupMenuStylePicked(TBasedxPrintStyle* Style);
    void EndPainting();
    void SetDefaultFont();
    // A setting that moves the page breaks, and one that needs a new build.
    void ChangeAndRecalculate(bool& Field, bool Value);
    template <class T>
    void ChangeForRebuild(T& Field, T Value);

    bool m_active{false};
    bool m_activateAfterLoading{false};
    TComponent* m_component{nullptr};
    TdxAssignedFormatValues m_assignedFormatValues;
    int m_dateFormat{0};
    int m_timeFormat{0};
    TdxPageNumberFormat m_pageNumberFormat{pnfNumeral};
    TDateTime m_dateTime{0};
    std::string m_designerCaption{DefaultDesignerCaption};
    int m_designerHelpContext{0};
    std::unique_ptr<TdxReportLinkPrinterPage> m_printerPage;
    std::unique_ptr<TdxReportTitle> m_reportTitle;
    bool m_showDesigner{false};
    bool m_showPageFooter{true};
    bool m_showPageHeader{true};
    bool m_shrinkToPageWidth{false};
    int m_startPageIndex{1};
    TdxPrintStyleManager* m_styleManager{nullptr};

    TColor m_color{clWhite};
    std::unique_ptr<TFont> m_font;
    TChangeLink m_fontLink;
    bool m_transparent{true};
    bool m_scaleFonts{true};
    bool m_showEmptyPages{false};
    bool m_footersOnEveryPage{false};
    bool m_headersOnEveryPage{false};
    bool m_useHorzDelimiters{true};
    bool m_useVertDelimiters{true};
    bool m_canHaveEmptyPages{false};
    int m_currentPage{1};
    TAbstractdxComponentPrinter* m_componentPrinter{nullptr};
    bool m_rebuildNeeded{false};
    std::int64_t m_reportWidth{0};
    std::int64_t m_reportHeight{0};
    std::unique_ptr<TdxReportCells> m_reportCells;
    std::unique_ptr<TdxPSReportRenderInfo> m_renderInfo;
    std::unique_ptr<TdxPSReportRenderer> m_renderer;
    std::unique_ptr<TdxPSReportFontPool> m_fontPool;
    std::unique_ptr<TdxPSReportBrushPool> m_brushPool;
    std::unique_ptr<TdxPageParamsChangedSubscriber> m_subscriber;
    int m_painting{0};
    bool m_building{false};
    // Asked for while a page is drawn: applied when drawing ends, so the
    // cells being drawn stay alive meanwhile.
    std::optional<bool> m_pendingActive;
    bool m_freePending{false};
};

} // namespace qel
