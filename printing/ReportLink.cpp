#include "printing/ReportLink.h"

#include "platform/controls/Controls.h"
#include "platform/controls/Dialogs.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/FreeWatch.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/core/MathUtils.h"
#include "platform/core/PropertyRegistry.h"
#include "platform/core/Strings.h"
#include "printing/PSEngine.h"
#include "printing/PSPrintStyle.h"
#include "printing/PrintStyles.h"
#include "printing/ReportLinkDesignWindow.h"
#include "printing/ReportLinkRegistry.h"
#include "printing/detail/FontFiling.h"

#include <algorithm>

namespace qel {

QEL_REGISTER_CLASS(TdxReportLinkPrinterPage, TdxPrinterPage);
QEL_REGISTER_CLASS(TAbstractdxComponentPrinter, TComponent);
QEL_REGISTER_CLASS(TBasedxReportLink, TComponent);

namespace {

// What a stored link keeps. Activation read while loading waits for the end
// of loading; the component and the style manager are references by name.
const bool g_linkPropertiesRegistered = [] {
    TPropertyRegistrar<TBasedxReportLink>("TBasedxReportLink")
        .Boolean("Active", &TBasedxReportLink::Active, &TBasedxReportLink::SetActive, false)
        .Set("AssignedFormatValues", &TBasedxReportLink::AssignedFormatValues,
             &TBasedxReportLink::SetAssignedFormatValues, {"fvDate", "fvTime", "fvPageNumber"}, 0)
        .Color("Color", &TBasedxReportLink::Color, &TBasedxReportLink::SetColor, clWhite)
        .Component("Component", &TBasedxReportLink::Component, &TBasedxReportLink::SetComponent)
        .Integer("DateFormat", &TBasedxReportLink::DateFormat, &TBasedxReportLink::SetDateFormat, 0)
        .String("DesignerCaption", &TBasedxReportLink::DesignerCaption, &TBasedxReportLink::SetDesignerCaption,
                TBasedxReportLink::DefaultDesignerCaption)
        .Integer("DesignerHelpContext", &TBasedxReportLink::DesignerHelpContext,
                 &TBasedxReportLink::SetDesignerHelpContext, 0)
        .Boolean("FootersOnEveryPage", &TBasedxReportLink::FootersOnEveryPage,
                 &TBasedxReportLink::SetFootersOnEveryPage, false)
        .Boolean("HeadersOnEveryPage", &TBasedxReportLink::HeadersOnEveryPage,
                 &TBasedxReportLink::SetHeadersOnEveryPage, false)
        .Enumeration("PageNumberFormat", &TBasedxReportLink::PageNumberFormat,
                     &TBasedxReportLink::SetPageNumberFormat,
                     {"pnfNumeral", "pnfChars", "pnfUpperChars", "pnfRoman", "pnfUpperRoman"}, pnfNumeral)
        .Persistent("PrinterPage", &TBasedxReportLink::PrinterPage)
        .Persistent("ReportTitle", &TBasedxReportLink::ReportTitle)
        .Boolean("ScaleFonts", &TBasedxReportLink::ScaleFonts, &TBasedxReportLink::SetScaleFonts, true)
        .Boolean("ShowDesigner", &TBasedxReportLink::ShowDesigner, &TBasedxReportLink::SetShowDesigner, false)
        .Boolean("ShowEmptyPages", &TBasedxReportLink::ShowEmptyPages, &TBasedxReportLink::SetShowEmptyPages,
                 false)
        .Boolean("ShowPageFooter", &TBasedxReportLink::ShowPageFooter, &TBasedxReportLink::SetShowPageFooter, true)
        .Boolean("ShowPageHeader", &TBasedxReportLink::ShowPageHeader, &TBasedxReportLink::SetShowPageHeader, true)
        .Boolean("ShrinkToPageWidth", &TBasedxReportLink::ShrinkToPageWidth,
                 &TBasedxReportLink::SetShrinkToPageWidth, false)
        .Integer("StartPageIndex", &TBasedxReportLink::StartPageIndex, &TBasedxReportLink::SetStartPageIndex, 1)
        .Component("StyleManager", &TBasedxReportLink::StyleManager, &TBasedxReportLink::SetStyleManager)
        .Integer("TimeFormat", &TBasedxReportLink::TimeFormat, &TBasedxReportLink::SetTimeFormat, 0)
        .Boolean("Transparent", &TBasedxReportLink::Transparent, &TBasedxReportLink::SetTransparent, true)
        .Boolean("UseHorzDelimiters", &TBasedxReportLink::UseHorzDelimiters,
                 &TBasedxReportLink::SetUseHorzDelimiters, true)
        .Boolean("UseVertDelimiters", &TBasedxReportLink::UseVertDelimiters,
                 &TBasedxReportLink::SetUseVertDelimiters, true)
        .DefineProperties([](TBasedxReportLink& L, TFiler& F) { detail::DefineFontProperties(F, "Font", L.Font()); });
    return true;
}();

} // namespace

TdxReportLinkDialogRunners& dxReportLinkDialogRunners()
{
    static TdxReportLinkDialogRunners runners;
    return runners;
}

namespace {

int ClampIndex(int Value, const TStrings* List)
{
    const int count = List ? List->Count() : 0;
    return std::clamp(Value, 0, std::max(0, count - 1));
}

std::string ListEntry(TStrings* List, int Index)
{
    return List && Index >= 0 && Index < List->Count() ? List->Get(Index) : std::string();
}

void ConvertTree(TdxReportCell& Cell, int UnitsPerInch);

void ConvertItem(TdxReportVisualItem& Item, int UnitsPerInch)
{
    const TRect64 b = Item.BoundsRect64();
    auto units = [UnitsPerInch](std::int64_t V) { return dxPixelsToReportUnits(V, UnitsPerInch); };
    Item.SetBoundsRect64({dxToCanvasCoord(units(b.Left)), units(b.Top), dxToCanvasCoord(units(b.Right)),
                          units(b.Bottom)});
}

void ConvertTree(TdxReportCell& Cell, int UnitsPerInch)
{
    ConvertItem(Cell, UnitsPerInch);
    for (int i = 0; i < Cell.DataItemCount(); ++i)
        ConvertItem(*Cell.DataItems(i), UnitsPerInch);
    for (int i = 0; i < Cell.CellCount(); ++i)
        ConvertTree(*Cell.Cells(i), UnitsPerInch);
    Cell.Compact();
}

} // namespace

void TAbstractdxComponentPrinter::PaintPage(TCanvas& Canvas, int PageIndex, const TRect& PageRect, int Zoom)
{
    if (TBasedxReportLink* link = CurrentLink())
        link->PaintPage(Canvas, PageRect, PageIndex, PageIndex, Zoom);
}

// ----- the link's own printer page ------------------------------------------------------------------------

TdxReportLinkPrinterPage::TdxReportLinkPrinterPage(TBasedxReportLink* AReportLink)
    : TdxPrinterPage(AReportLink), m_reportLink(AReportLink)
{
}

void TdxReportLinkPrinterPage::DoChange(TdxPageChangeKinds ChangedKinds)
{
    TdxPrinterPage::DoChange(ChangedKinds);
    if (!IsLocked() && m_reportLink)
        m_reportLink->PageParamsChanged(this, ChangedKinds);
}

// ----- construction ---------------------------------------------------------------------------------------

TBasedxReportLink::TBasedxReportLink(TComponent* AOwner)
    : TComponent(AOwner), m_printerPage(std::make_unique<TdxReportLinkPrinterPage>(this)),
      m_reportTitle(std::make_unique<TdxReportTitle>(this)), m_font(std::make_unique<TFont>())
{
    SetDefaultFont();
    m_fontLink.Connect(m_font->Changes(), [this](TObject*) { m_rebuildNeeded = true; });
    m_dateTime = Now();
    m_subscriber = std::make_unique<TdxPageParamsChangedSubscriber>();
    m_subscriber->OnPageParamsChanged = [this](TBasedxPrintStyle* Style, TdxPageParamsUpdateCodes Codes) {
        PageParamsEvent(Style, Codes);
    };
}

TBasedxReportLink::~TBasedxReportLink()
{
    if (OnDestroy)
        OnDestroy(this);
    if (m_componentPrinter)
        m_componentPrinter->RemoveLink(this);
    m_componentPrinter = nullptr;
    FreeReport();
    m_subscriber.reset();
}

void TBasedxReportLink::SetDefaultFont()
{
    m_font->SetName("Times New Roman");
    m_font->SetSize(8);
    m_font->SetStyle({});
    m_font->SetColor(clWindowText);
    m_font->SetCharset(DEFAULT_CHARSET);
}

// ----- pools, render info, renderer ------------------------------------------------------------------------

TdxPSReportRenderInfo* TBasedxReportLink::RenderInfo()
{
    if (!m_renderInfo)
        m_renderInfo = CreateRenderInfo();
    return m_renderInfo.get();
}

TdxPSReportRenderer* TBasedxReportLink::Renderer()
{
    if (!m_renderer)
        m_renderer = CreateRenderer();
    return m_renderer.get();
}

std::unique_ptr<TdxPSReportRenderInfo> TBasedxReportLink::CreateRenderInfo()
{
    return std::make_unique<TdxPSReportRenderInfo>(this);
}

std::unique_ptr<TdxPSReportRenderer> TBasedxReportLink::CreateRenderer()
{
    return std::make_unique<TdxPSReportRenderer>(this);
}

TdxPSReportFontPool* TBasedxReportLink::FontPool()
{
    if (!m_fontPool)
        m_fontPool = std::make_unique<TdxPSReportFontPool>();
    return m_fontPool.get();
}

TdxPSReportBrushPool* TBasedxReportLink::BrushPool()
{
    if (!m_brushPool)
        m_brushPool = std::make_unique<TdxPSReportBrushPool>();
    return m_brushPool.get();
}

TdxPrinterPage* TBasedxReportLink::PrinterPage() const
{
    return m_printerPage.get();
}

void TBasedxReportLink::SetPrinterPage(TdxPrinterPage* Value)
{
    m_printerPage->Assign(Value);
}

TdxPrinterPage* TBasedxReportLink::GetRealPrinterPage() const
{
    if (m_styleManager && m_styleManager->CurrentStyle())
        return m_styleManager->CurrentStyle()->PrinterPage();
    return m_printerPage.get();
}

// ----- building -------------------------------------------------------------------------------------------

void TBasedxReportLink::SetActive(bool Value)
{
    if (IsLoading()) {
        m_activateAfterLoading = Value;
        return;
    }
    if (m_painting > 0) {
        m_pendingActive = Value;
        return;
    }
    if (Value == m_active)
        return;
    if (!Value) {
        FreeReport();
        m_active = false;
        return;
    }
    if (!CanBuildReport()) {
        m_active = false;
        throw EdxReportLink("Missing \"Component\" property");
    }
    // The brackets close on the printer that opened them, unless it was
    // freed meanwhile (then there is nothing left to close).
    TAbstractdxComponentPrinter* printer = m_componentPrinter;
    if (printer)
        printer->BeginLongOperation();
    Finally endLong([this, printer] {
        if (printer && printer == m_componentPrinter)
            printer->EndLongOperation();
    });
    if (printer)
        printer->BeginGenerateReport(this);
    Finally endBuild([this, printer] {
        if (printer && printer == m_componentPrinter)
            printer->EndGenerateReport(this);
    });
    RebuildReport();
    m_active = true;
    m_rebuildNeeded = false;
}

void TBasedxReportLink::ConstructReport(TdxReportCells& /*Cells*/)
{
    FontPool()->Clear();
    BrushPool()->Clear();
    FontPool()->Add(m_font.get());
    BrushPool()->GetBrush(m_color);
}

void TBasedxReportLink::ConvertToReportUnits(TdxReportCells& Cells)
{
    const int upi = RenderInfo()->GetUnitsPerInch();
    ConvertTree(*Cells.Cells(), upi);
    if (TdxReportCell* header = Cells.HeaderCellIfAny())
        ConvertTree(*header, upi);
    if (TdxReportCell* footer = Cells.FooterCellIfAny())
        ConvertTree(*footer, upi);
}

void TBasedxReportLink::RebuildReport()
{
    TBasedxPrintStyle* style = m_styleManager ? m_styleManager->CurrentStyle() : nullptr;
    DoBeforeGenerating(style);
    TValueRestorer building(m_building, true);
    // Built aside: a failed build leaves no half-made tree behind.
    auto cells = std::make_unique<TdxReportCells>(this);
    ConstructReport(*cells);
    // The component went away while the report was built.
    if (!CanBuildReport())
        throw EdxReportLink("Missing \"Component\" property");
    ConvertToReportUnits(*cells);
    const std::int64_t width = dxCheckReportExtent(cells->Cells()->Width());
    const std::int64_t height = dxCheckReportExtent(cells->Cells()->Height());
    RenderInfo()->Clear();
    RenderInfo()->PrepareReport(*cells, width, height);
    m_reportCells = std::move(cells);
    m_reportWidth = width;
    m_reportHeight = height;
    if (CanBuildReport())
        CalculateRenderInfo();
    if (!m_componentPrinter || m_componentPrinter->AutoUpdateDateTime())
        m_dateTime = Now();
    // A build event may have freed the style: only one still current hears the end.
    DoAfterGenerating(m_styleManager && m_styleManager->CurrentStyle() == style ? style : nullptr);
}

void TBasedxReportLink::FreeReport()
{
    if (m_painting > 0) {
        m_freePending = true;
        return;
    }
    m_reportCells.reset();
    m_reportWidth = m_reportHeight = 0;
    if (m_renderInfo)
        m_renderInfo->Clear();
}

void TBasedxReportLink::Rebuild()
{
    SetActive(false);
    SetActive(true);
}

void TBasedxReportLink::CalculateRenderInfo()
{
    if (!m_reportCells)
        return;
    RenderInfo()->BeginCalculate();
}

void TBasedxReportLink::Loaded()
{
    TComponent::Loaded();
    m_printerPage->Loaded();
    if (m_activateAfterLoading) {
        m_activateAfterLoading = false;
        SetActive(true);
    }
}

// ----- scale ----------------------------------------------------------------------------------------------

int TBasedxReportLink::GetRealScaleFactor()
{
    TdxPrinterPage* page = GetRealPrinterPage();
    if (page->ScaleMode() != smFit)
        return page->ScaleFactor();
    return FitScale(*page);
}

int TBasedxReportLink::FitScale(TdxPrinterPage& Page)
{
    const std::int64_t width = GetReportWidth();
    if (width <= 0)
        return 100;
    // Shrinking to the page width limits the width only; the page keeps its 1 x 1.
    const int across = m_shrinkToPageWidth ? 1 : Page.FitToPagesByWide();
    const int down = m_shrinkToPageWidth ? 0 : Page.FitToPagesByTall();
    if (across <= 0 && down <= 0)
        return Page.ScaleFactor();
    TdxPSReportRenderInfo* info = RenderInfo();
    const int upi = info->GetUnitsPerInch();
    const TRect content = Page.PageContentRectLoMetric();
    const std::int64_t availWidth = dxReportMulDiv(content.Width(), upi, 254);
    const std::int64_t availHeight = dxReportMulDiv(content.Height(), upi, 254);
    std::int64_t scale = 500;
    if (across > 0)
        scale = std::min(scale, dxReportMulDiv(availWidth * across, 100, width) - 1);
    const std::int64_t height = GetReportHeight();
    if (down > 0 && height > 0)
        scale = std::min(scale, dxReportMulDiv(availHeight * down, 100, height) - 1);
    int proportional = static_cast<int>(std::clamp<std::int64_t>(scale, 10, 500));
    if (!m_reportCells)
        return proportional;
    // Cuts fall on delimiters only, so the proportional scale may still give
    // more pages. Page counts are not monotone in the scale once repeated
    // cells are reserved: search downwards for the largest scale that fits.
    for (int s = proportional; s > 10; --s) {
        int a = 0;
        int d = 0;
        TdxPaginator::CountPages(info->MakeInputForFit(s), across, down, a, d);
        if ((across <= 0 || a <= across) && (down <= 0 || d <= down))
            return s;
    }
    return 10;
}

// ----- pages ----------------------------------------------------------------------------------------------

bool TBasedxReportLink::IsCurrentForPrinter() const
{
    return !m_componentPrinter || m_componentPrinter->CurrentLink() == this;
}

int TBasedxReportLink::GetPageCount()
{
    const int count = m_reportCells ? RenderInfo()->NonEmptyPageCount() : 0;
    if (IsCurrentForPrinter())
        dxHFFormatObject().SetTotalPages(count);
    return count;
}

int TBasedxReportLink::GetVisiblePageCount()
{
    if (!m_reportCells)
        return 0;
    return m_showEmptyPages ? RenderInfo()->PageCount() : RenderInfo()->NonEmptyPageCount();
}

int TBasedxReportLink::GetRealPageIndex(int VisibleIndex)
{
    return m_reportCells ? RenderInfo()->GetRealPageIndex(VisibleIndex, m_showEmptyPages) : -1;
}

int TBasedxReportLink::GetVirtualPageIndex(int RealIndex)
{
    return m_reportCells ? RenderInfo()->GetVirtualPageIndex(RealIndex) : 0;
}

bool TBasedxReportLink::IsEmptyPage(int Index)
{
    if (!m_reportCells)
        return true;
    const TdxPageInfo* page = RenderInfo()->Page(Index);
    return !page || page->IsEmpty;
}

void TBasedxReportLink::GetPageCounts(int& Across, int& Down)
{
    Across = m_reportCells ? RenderInfo()->PagesAcross() : 0;
    Down = m_reportCells ? RenderInfo()->PagesDown() : 0;
}

bool TBasedxReportLink::IsEmptyReport()
{
    return !m_reportCells || RenderInfo()->NonEmptyPageCount() == 0;
}

bool TBasedxReportLink::IsPaginationComplete()
{
    return !m_reportCells || RenderInfo()->IsComplete();
}

bool TBasedxReportLink::CalculateNextPageRow()
{
    return m_reportCells && RenderInfo()->CalculateNextPageRow();
}

void TBasedxReportLink::SetCurrentPage(int Value)
{
    m_currentPage = std::clamp(Value, 1, std::max(1, GetVisiblePageCount()));
}

void TBasedxReportLink::FillFormatObject(TdxHFFunctionFormatObject& Format, int RealPageIndex)
{
    TdxPSReportRenderInfo* info = RenderInfo();
    Format.SetCurrentPage(GetVirtualPageIndex(RealPageIndex) + 1);
    // Until every page is cut, the total is the count so far; the preview
    // repaints the pages showing it once pagination ends.
    Format.SetTotalPages(info->Pagination().NonEmptyPageCount());
    Format.SetStartPageIndex(m_startPageIndex);
    Format.SetPageNumberFormat(PageNumberFormat());
    Format.SetDateTime(m_dateTime);
    Format.SetDateFormat(ListEntry(DateFormatList(), DateFormat()));
    Format.SetTimeFormat(ListEntry(TimeFormatList(), TimeFormat()));
}

void TBasedxReportLink::PaintPage(TCanvas& Canvas, const TRect& PageRect, int PageIndex, int /*ContinuousPageIndex*/,
                                  int Zoom)
{
    if (!m_reportCells)
        return;
    const int real = GetRealPageIndex(PageIndex);
    if (real < 0)
        return;
    if (IsCurrentForPrinter())
        dxHFFormatObject().SetCurrentPage(GetVirtualPageIndex(real) + 1);
    ++m_painting;
    Finally done([this] { EndPainting(); });
    Renderer()->RenderPage(Canvas, PageRect, PageIndex, real, Zoom);
}

void TBasedxReportLink::EndPainting()
{
    if (--m_painting > 0)
        return;
    if (m_freePending) {
        m_freePending = false;
        FreeReport();
    }
    if (m_pendingActive) {
        const bool active = *m_pendingActive;
        m_pendingActive.reset();
        if (active && m_active)
            Rebuild();
        else
            SetActive(active);
    }
}

// ----- drawing hooks -------------------------------------------------------------------------------------

void TBasedxReportLink::DoCustomDrawItem(TCanvas& /*Canvas*/, TAbstractdxReportCellData& /*Item*/,
                                         const TRect& /*Rect*/, bool& /*Done*/)
{
}

void TBasedxReportLink::DrawPageHeaderFooter(TCustomdxPageObject& HF, TCanvas& Canvas, int PageIndex, TRect& Rect,
                                             bool& DefaultDrawText, bool& DefaultDrawBackground)
{
    const int upi = RenderInfo()->GetUnitsPerInch();
    if (m_componentPrinter)
        m_componentPrinter->DoCustomDrawPageHeaderOrFooter(this, &HF, Canvas, PageIndex, Rect, ScreenPixelsPerInch(),
                                                           upi, DefaultDrawText, DefaultDrawBackground);
    if (!DefaultDrawText && !DefaultDrawBackground)
        return;
    const TdxCustomDrawPageHFEvent& handler =
        dynamic_cast<TdxPageHeader*>(&HF) ? OnCustomDrawPageHeader : OnCustomDrawPageFooter;
    if (handler)
        handler(this, Canvas, PageIndex, Rect, ScreenPixelsPerInch(), upi, DefaultDrawText, DefaultDrawBackground);
}

bool TBasedxReportLink::DrawReportTitle(TCanvas& Canvas, TRect& Rect, TdxTextAlignX& AlignX, TdxTextAlignY& AlignY,
                                        TColor& Color, TFont& Font)
{
    const int upi = RenderInfo()->GetUnitsPerInch();
    bool done = false;
    if (m_componentPrinter)
        m_componentPrinter->DoCustomDrawReportTitle(this, Canvas, Rect, ScreenPixelsPerInch(), upi, AlignX, AlignY,
                                                    Color, Font, done);
    if (!done && OnCustomDrawReportLinkTitle)
        OnCustomDrawReportLinkTitle(this, Canvas, Rect, ScreenPixelsPerInch(), upi, AlignX, AlignY, Color, Font, done);
    return done;
}

void TBasedxReportLink::MeasureTitleHeight(int& Height)
{
    if (m_componentPrinter)
        m_componentPrinter->DoMeasureReportTitle(this, Height);
    if (OnMeasureReportLinkTitle)
        OnMeasureReportLinkTitle(this, Height);
}

void TBasedxReportLink::GetDelimiters(TdxReportCells& /*Cells*/, std::vector<std::int64_t>& /*HorzDelimiters*/,
                                      std::vector<std::int64_t>& /*VertDelimiters*/)
{
}

// ----- settings that change the pages ------------------------------------------------------------------

void TBasedxReportLink::PageParamsChanged(TdxPrinterPage* Page, TdxPageChangeKinds UpdateCodes)
{
    if (Page != GetRealPrinterPage() || !IsCurrentForPrinter() || UpdateCodes.Empty())
        return;
    CalculateRenderInfo();
    if (m_componentPrinter && m_componentPrinter->IsPreviewShowing())
        m_componentPrinter->RefreshPreview();
}

void TBasedxReportLink::PageParamsEvent(TBasedxPrintStyle* Style, TdxPageParamsUpdateCodes Codes)
{
    if (!Style || !m_styleManager || Style != m_styleManager->CurrentStyle())
        return;
    PageParamsChanged(Style->PrinterPage(), TdxPageChangeKinds::FromBits(Codes));
}

void TBasedxReportLink::SetShowPageFooter(bool Value)
{
    ChangeAndRecalculate(m_showPageFooter, Value);
}

void TBasedxReportLink::SetShowPageHeader(bool Value)
{
    ChangeAndRecalculate(m_showPageHeader, Value);
}

void TBasedxReportLink::SetShowEmptyPages(bool Value)
{
    if (CanHaveEmptyPages())
        ChangeAndRecalculate(m_showEmptyPages, Value);
    else
        m_showEmptyPages = Value;
}

void TBasedxReportLink::ChangeAndRecalculate(bool& Field, bool Value)
{
    if (Value == Field)
        return;
    Field = Value;
    CalculateRenderInfo();
}

template <class T>
void TBasedxReportLink::ChangeForRebuild(T& Field, T Value)
{
    if (Value == Field)
        return;
    Field = Value;
    m_rebuildNeeded = true;
}

void TBasedxReportLink::SetFootersOnEveryPage(bool Value)
{
    ChangeAndRecalculate(m_footersOnEveryPage, Value);
}

void TBasedxReportLink::SetHeadersOnEveryPage(bool Value)
{
    ChangeAndRecalculate(m_headersOnEveryPage, Value);
}

void TBasedxReportLink::SetScaleFonts(bool Value)
{
    m_scaleFonts = Value;
}

void TBasedxReportLink::SetUseHorzDelimiters(bool Value)
{
    ChangeForRebuild(m_useHorzDelimiters, Value);
}

void TBasedxReportLink::SetUseVertDelimiters(bool Value)
{
    ChangeForRebuild(m_useVertDelimiters, Value);
}

void TBasedxReportLink::SetColor(TColor Value)
{
    ChangeForRebuild(m_color, Value);
}

void TBasedxReportLink::SetFont(TFont* Value)
{
    m_font->Assign(Value);
    m_rebuildNeeded = true;
}

void TBasedxReportLink::SetTransparent(bool Value)
{
    ChangeForRebuild(m_transparent, Value);
}

void TBasedxReportLink::SetShrinkToPageWidth(bool Value)
{
    if (Value == m_shrinkToPageWidth)
        return;
    m_shrinkToPageWidth = Value;
    TdxPrinterPage* page = GetRealPrinterPage();
    {
        TUpdateScope<TdxPrinterPage> update(*page);
        if (Value) {
            page->SetFitToPagesByWide(1);
            page->SetFitToPagesByTall(1);
        } else {
            page->SetScaleMode(smAdjust);
        }
    }
    TAbstractdxComponentPrinter* printer = m_componentPrinter;
    if (printer)
        printer->BeginLongOperation();
    Finally endLong([this, printer] {
        if (printer && printer == m_componentPrinter)
            printer->EndLongOperation();
    });
    CalculateRenderInfo();
}

void TBasedxReportLink::SetStartPageIndex(int Value)
{
    m_startPageIndex = std::max(1, Value);
    if (IsCurrentForPrinter())
        dxHFFormatObject().SetStartPageIndex(m_startPageIndex);
}

void TBasedxReportLink::SetStyleManager(TdxPrintStyleManager* Value)
{
    if (!SetFreeNotified(m_styleManager, Value))
        return;
    CalculateRenderInfo();
}

void TBasedxReportLink::SetComponentPrinter(TAbstractdxComponentPrinter* Value)
{
    SetFreeNotified(m_componentPrinter, Value);
}

int TBasedxReportLink::Index() const
{
    return m_componentPrinter ? m_componentPrinter->IndexOfLink(this) : -1;
}

void TBasedxReportLink::SetIndex(int Value)
{
    if (!m_componentPrinter)
        return;
    m_componentPrinter->MoveLink(this, std::clamp(Value, 0, std::max(0, m_componentPrinter->LinkCount() - 1)));
}

bool TBasedxReportLink::IsCurrentLink() const
{
    return m_componentPrinter && m_componentPrinter->CurrentLink() == this;
}

void TBasedxReportLink::SetIsCurrentLink(bool Value)
{
    if (Value && m_componentPrinter)
        m_componentPrinter->SetCurrentLink(this);
}

void TBasedxReportLink::SetDateTime(TDateTime Value)
{
    m_dateTime = Value;
    if (IsCurrentForPrinter())
        dxHFFormatObject().SetDateTime(Value);
}

// ----- formats -------------------------------------------------------------------------------------------

int TBasedxReportLink::DateFormat() const
{
    if (m_assignedFormatValues.Contains(fvDate) || !m_componentPrinter)
        return m_dateFormat;
    return m_componentPrinter->DateFormat();
}

int TBasedxReportLink::TimeFormat() const
{
    if (m_assignedFormatValues.Contains(fvTime) || !m_componentPrinter)
        return m_timeFormat;
    return m_componentPrinter->TimeFormat();
}

TdxPageNumberFormat TBasedxReportLink::PageNumberFormat() const
{
    if (m_assignedFormatValues.Contains(fvPageNumber) || !m_componentPrinter)
        return m_pageNumberFormat;
    return m_componentPrinter->PageNumberFormat();
}

void TBasedxReportLink::FormatChanged(TdxAssignedFormatValue Kind)
{
    bool differs = true;
    if (m_componentPrinter) {
        switch (Kind) {
        case fvDate: differs = m_dateFormat != m_componentPrinter->DateFormat(); break;
        case fvTime: differs = m_timeFormat != m_componentPrinter->TimeFormat(); break;
        case fvPageNumber: differs = m_pageNumberFormat != m_componentPrinter->PageNumberFormat(); break;
        }
    }
    m_assignedFormatValues.Set(Kind, differs);
    if (!IsCurrentForPrinter())
        return;
    TdxHFFunctionFormatObject& shared = dxHFFormatObject();
    shared.SetDateFormat(ListEntry(DateFormatList(), DateFormat()));
    shared.SetTimeFormat(ListEntry(TimeFormatList(), TimeFormat()));
    shared.SetPageNumberFormat(PageNumberFormat());
}

void TBasedxReportLink::SetDateFormat(int Value)
{
    m_dateFormat = ClampIndex(Value, DateFormatList());
    FormatChanged(fvDate);
}

void TBasedxReportLink::SetTimeFormat(int Value)
{
    m_timeFormat = ClampIndex(Value, TimeFormatList());
    FormatChanged(fvTime);
}

void TBasedxReportLink::SetPageNumberFormat(TdxPageNumberFormat Value)
{
    m_pageNumberFormat = Value;
    FormatChanged(fvPageNumber);
}

void TBasedxReportLink::SetAssignedFormatValues(TdxAssignedFormatValues Value)
{
    m_assignedFormatValues = Value;
    if (!m_componentPrinter)
        return;
    if (m_dateFormat == m_componentPrinter->DateFormat())
        m_assignedFormatValues.Exclude(fvDate);
    if (m_timeFormat == m_componentPrinter->TimeFormat())
        m_assignedFormatValues.Exclude(fvTime);
    if (m_pageNumberFormat == m_componentPrinter->PageNumberFormat())
        m_assignedFormatValues.Exclude(fvPageNumber);
}

// ----- component --------------------------------------------------------------------------------------

void TBasedxReportLink::SetComponent(TComponent* Value)
{
    if (IsLoading()) {
        SetFreeNotified(m_component, Value);
        return;
    }
    if (Value == m_component)
        return;
    if (m_componentPrinter && m_componentPrinter->IsPreviewShowing())
        m_componentPrinter->DestroyPreview();
    if (!Value) {
        SetActive(false);
        m_component = nullptr;
    } else {
        CheckComponent(Value);
        const bool rebuild = m_active || m_activateAfterLoading;
        SetFreeNotified(m_component, Value);
        if (rebuild) {
            m_active = false;
            FreeReport();
            SetActive(true);
        }
        if (!m_componentPrinter || !m_componentPrinter->AutoUpdateDateTime())
            m_dateTime = Now();
    }
    if (OnChangeComponent)
        OnChangeComponent(this);
    if (m_componentPrinter) {
        m_componentPrinter->DoChangeComponent(this);
        m_componentPrinter->DesignerRefresh();
    }
}

void TBasedxReportLink::CheckComponent(TComponent* Value)
{
    const std::string linkClass = dxPSLinkClassByComponent(Value);
    if (!linkClass.empty() && !SameText(linkClass, ClassName()) && !dxPSIsDesignTime())
        throw EdxReportLink("Component \"" + std::string(Value->ClassName()) + "\" not supported by TdxComponentPrinter");
}

void TBasedxReportLink::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == m_component) {
        m_component = nullptr;
        FreeReport();
        m_active = false;
    }
    if (AComponent == m_styleManager) {
        m_styleManager = nullptr;
        CalculateRenderInfo();
    }
    if (AComponent == m_componentPrinter)
        m_componentPrinter = nullptr;
}

void TBasedxReportLink::DoAfterPrinting()
{
    if (m_styleManager && m_styleManager->CurrentStyle())
        m_styleManager->CurrentStyle()->AfterPrinting();
}

void TBasedxReportLink::DoBeforePrinting()
{
    if (m_styleManager && m_styleManager->CurrentStyle())
        m_styleManager->CurrentStyle()->BeforePrinting();
}

void TBasedxReportLink::DoBeforeGenerating(TBasedxPrintStyle* Style)
{
    if (auto* standard = dynamic_cast<TdxPSPrintStyle*>(Style))
        standard->BeforeGenerating();
}

void TBasedxReportLink::DoAfterGenerating(TBasedxPrintStyle* Style)
{
    if (auto* standard = dynamic_cast<TdxPSPrintStyle*>(Style))
        standard->AfterGenerating();
}

bool TBasedxReportLink::IsSupportedStyle(TBasedxPrintStyle* Style)
{
    if (m_styleManager && Style == m_styleManager->CurrentStyle())
        return true;
    bool supported = true;
    if (OnFilterStyle)
        OnFilterStyle(this, Style, supported);
    return supported;
}

bool TBasedxReportLink::HasDesignWindow() const
{
    return !dxPSDesignWindowClassByLinkClass(ClassName()).empty();
}

void TBasedxReportLink::RestoreDefaults()
{
    m_color = clWhite;
    SetDefaultFont();
    m_transparent = true;
    m_scaleFonts = true;
    m_showEmptyPages = false;
    m_footersOnEveryPage = false;
    m_headersOnEveryPage = false;
    m_useHorzDelimiters = true;
    m_useVertDelimiters = true;
    m_showPageHeader = true;
    m_showPageFooter = true;
    m_shrinkToPageWidth = false;
    m_startPageIndex = 1;
    m_reportTitle->RestoreDefaults();
    m_printerPage->RestoreDefaults();
    m_rebuildNeeded = true;
}

void TBasedxReportLink::RestoreFromOriginal()
{
    if (m_component)
        InternalRestoreFromOriginal();
}

void TBasedxReportLink::InternalRestoreFromOriginal()
{
    if (auto* control = dynamic_cast<TControl*>(m_component)) {
        SetColor(control->Color());
        SetFont(control->Font());
    }
}

void TBasedxReportLink::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TBasedxReportLink*>(Source)) {
        if (src == this)
            return;
        SetColor(src->m_color);
        SetDateFormat(src->m_dateFormat);
        SetFont(src->m_font.get());
        m_footersOnEveryPage = src->m_footersOnEveryPage;
        m_headersOnEveryPage = src->m_headersOnEveryPage;
        SetPageNumberFormat(src->m_pageNumberFormat);
        SetPrinterPage(src->m_printerPage.get());
        SetReportTitle(src->m_reportTitle.get());
        m_scaleFonts = src->m_scaleFonts;
        m_showEmptyPages = src->m_showEmptyPages;
        m_showPageFooter = src->m_showPageFooter;
        m_showPageHeader = src->m_showPageHeader;
        m_shrinkToPageWidth = src->m_shrinkToPageWidth;
        SetTimeFormat(src->m_timeFormat);
        SetTransparent(src->m_transparent);
        m_assignedFormatValues = src->m_assignedFormatValues;
        CalculateRenderInfo();
        return;
    }
    if (auto* style = dynamic_cast<TBasedxPrintStyle*>(Source)) {
        SetPrinterPage(style->PrinterPage());
        return;
    }
    TComponent::Assign(Source);
}

void TBasedxReportLink::AssignTo(TPersistent* Dest)
{
    if (auto* style = dynamic_cast<TBasedxPrintStyle*>(Dest)) {
        style->SetPrinterPage(m_printerPage.get());
        return;
    }
    TComponent::AssignTo(Dest);
}

// ----- dialogs ----------------------------------------------------------------------------------------

bool TBasedxReportLink::ShowDateTimeFormatsDlg()
{
    const auto& runner = dxReportLinkDialogRunners().DateTimeFormats;
    if (!runner)
        return false;
    TdxDateTimeFormatsDlgData data;
    data.DateFormats = DateFormatList();
    data.TimeFormats = TimeFormatList();
    data.DateFormatIndex = DateFormat();
    data.TimeFormatIndex = TimeFormat();
    data.AutoUpdateDateTime = m_componentPrinter ? m_componentPrinter->AutoUpdateDateTime() : true;
    // Only a printer keeps defaults.
    data.ShowAsDefaultButton = m_componentPrinter != nullptr;
    if (!runner(data))
        return false;
    if (m_componentPrinter) {
        m_componentPrinter->SetAutoUpdateDateTime(data.AutoUpdateDateTime);
        if (data.SetDateTimeFormatAsDefault) {
            m_componentPrinter->SetDateFormat(data.DateFormatIndex);
            m_componentPrinter->SetTimeFormat(data.TimeFormatIndex);
        }
    }
    SetDateFormat(data.DateFormatIndex);
    SetTimeFormat(data.TimeFormatIndex);
    return true;
}

bool TBasedxReportLink::ShowPageNumberFormatsDlg()
{
    const auto& runner = dxReportLinkDialogRunners().PageNumberFormat;
    if (!runner)
        return false;
    TdxPageNumberFormatDlgData data;
    data.PageNumberFormats = PageNumberFormatList();
    data.PageNumberFormatIndex = PageNumberFormat();
    data.StartPageIndex = m_startPageIndex;
    data.ShowAsDefaultButton = m_componentPrinter != nullptr;
    if (!runner(data))
        return false;
    const auto format =
        static_cast<TdxPageNumberFormat>(std::clamp(data.PageNumberFormatIndex, 0, int(pnfUpperRoman)));
    if (m_componentPrinter && data.SetPageNumberFormatAsDefault)
        m_componentPrinter->SetPageNumberFormat(format);
    SetPageNumberFormat(format);
    return true;
}

bool TBasedxReportLink::ShowTitlePropertiesDlg()
{
    const auto& runner = dxReportLinkDialogRunners().ReportTitle;
    if (!runner || !CanChangeTitle())
        return false;
    TdxReportTitle copy;
    copy.Assign(m_reportTitle.get());
    if (!runner(copy, m_designerHelpContext))
        return false;
    m_reportTitle->Assign(&copy);
    return true;
}

bool TBasedxReportLink::PageSetup(int ActivePageIndex, bool* PreviewBtnClicked, bool* PrintBtnClicked)
{
    if (m_styleManager && m_styleManager->CurrentStyle())
        return m_styleManager->CurrentStyle()->PageSetup(ActivePageIndex, PreviewBtnClicked, PrintBtnClicked);
    TdxPSPrintStyle style(nullptr);
    style.SetPrinterPage(m_printerPage.get());
    if (!style.PageSetup(ActivePageIndex, PreviewBtnClicked, PrintBtnClicked))
        return false;
    m_printerPage->Assign(style.PrinterPage());
    return true;
}

void TBasedxReportLink::DefinePrintStylesDlg()
{
    if (!m_styleManager)
        return;
    bool preview = false;
    bool print = false;
    m_styleManager->DefinePrintStylesDlg(&preview, &print);
    if (!m_componentPrinter)
        return;
    if (preview)
        m_componentPrinter->Preview(true, this);
    else if (print)
        m_componentPrinter->Print(true, this);
}

bool TBasedxReportLink::BuildPageSetupMenu(TComponent* Root, bool IncludeDefineItem)
{
    const auto& runner = dxReportLinkDialogRunners().PageSetupMenu;
    if (!runner || !Root)
        return false;
    // A filter handler may free the link, the manager or styles already listed.
    TFreeWatch watch{this, m_styleManager};
    TdxPrintStyleManager* manager = m_styleManager;
    std::vector<TBasedxPrintStyle*> supported;
    for (int i = 0; manager && i < manager->Count(); ++i) {
        TBasedxPrintStyle* style = manager->Styles(i);
        watch.Watch(style);
        const bool accepted = IsSupportedStyle(style);
        if (watch.Freed(this))
            return false;
        if (watch.Freed(manager))
            manager = nullptr;
        else if (accepted)
            supported.push_back(style);
    }
    TStringList styles;
    for (TBasedxPrintStyle* style : supported)
        if (!watch.Freed(style) && m_styleManager && m_styleManager->IndexOfStyle(style) >= 0)
            styles.AddObject(style->StyleCaption(), style);

    // The menu may outlive the link: its items then do nothing.
    auto linkWatch = std::make_shared<TFreeWatch>();
    linkWatch->Watch(this);
    TBasedxReportLink* self = this;
    const TNotifyEvent defineStyles = [linkWatch, self](TObject*) {
        if (!linkWatch->Freed(self))
            self->DefinePrintStylesDlg();
    };
    const TdxPrintStylePickedEvent picked = [linkWatch, self](TBasedxPrintStyle* Style) {
        if (!linkWatch->Freed(self))
            self->PageSetupMenuStylePicked(Style);
    };
    // The current style's own item is checked, none without a current style.
    runner(Root, defineStyles, picked, m_styleManager ? m_styleManager->CurrentStyle() : nullptr, styles,
           IncludeDefineItem);
    return true;
}

void TBasedxReportLink::PageSetupMenuStylePicked(TBasedxPrintStyle* Style)
{
    // The menu may be older than the manager the link has now.
    if (!Style || !m_styleManager || m_styleManager->IndexOfStyle(Style) < 0)
        return;
    TFreeWatch watch{this};
    m_styleManager->SetCurrentStyle(Style);
    bool preview = false;
    bool print = false;
    if (watch.AnyFreed())
        return;
    PageSetup(0, &preview, &print);
    if (watch.AnyFreed() || !m_componentPrinter)
        return;
    if (preview)
        m_componentPrinter->Preview(true, this);
    else if (print)
        m_componentPrinter->Print(true, this);
}

bool TBasedxReportLink::DesignReport()
{
    const auto& runner = dxReportLinkDialogRunners().DesignWindow;
    const std::string windowClass = dxPSDesignWindowClassByLinkClass(ClassName());
    TClassRegistry& classes = TClassRegistry::Instance();
    if (!runner || windowClass.empty() || !classes.IsRegistered(windowClass))
        return false;
    // The settings as they were, in a link of the same class where it can be made.
    std::unique_ptr<TComponent> kept;
    try {
        kept.reset(classes.Create(ClassName(), nullptr));
    } catch (const EClassNotFound&) {
    }
    auto* copy = dynamic_cast<TBasedxReportLink*>(kept.get());
    if (!copy) {
        kept = std::make_unique<TBasedxReportLink>(nullptr);
        copy = static_cast<TBasedxReportLink*>(kept.get());
    }
    copy->Assign(this);
    std::unique_ptr<TComponent> form(classes.Create(windowClass, nullptr));
    auto* window = dynamic_cast<TAbstractdxReportLinkDesignWindow*>(form.get());
    if (!window)
        return false;
    window->SetReportLink(this);
    // A handler may free the link while its window is open: from then on
    // nothing of it is touched, and the design counts as not accepted.
    // (Asked by a plain pointer: a freed link's own pointer is not converted.)
    TFreeWatch watch{this};
    const TComponent* self = this;
    if (m_componentPrinter)
        m_componentPrinter->BeforeDesignReport(this, window);
    if (watch.Freed(self))
        return false;
    const bool accepted = runner(*window);
    if (watch.Freed(self))
        return false;
    if (m_componentPrinter)
        m_componentPrinter->DesignReportDone(this, accepted);
    if (watch.Freed(self))
        return false;
    if (!accepted && !window->Applied())
        Assign(copy);
    return accepted;
}

bool TBasedxReportLink::CheckMargins()
{
    if (GetRealPrinterPage()->ValidateMargins())
        return true;
    return MessageDlg("One or more margins are set outside the printable area of the page.\r\nDo you want to continue ?",
                      mtConfirmation, {mbYes, mbNo}, 0) == mrYes;
}

} // namespace qel
