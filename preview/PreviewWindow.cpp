// The preview window: its parts, its settings, the link's page in the
// preview, closing, and the commands it offers the standard window.
#include "preview/PreviewWindow.h"

#include "platform/controls/Application.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Messages.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/core/MathUtils.h"
#include "platform/core/Strings.h"
#include "platform/storage/Registry.h"
#include "preview/ColorPalette.h"
#include "preview/PageChooser.h"
#include "preview/PreviewOptionsDialog.h"
#include "printing/ComponentPrinter.h"
#include "printing/HeaderFooterFunctions.h"
#include "printing/PSEngine.h"
#include "printing/PrintDevice.h"
#include "printing/PrintStyles.h"
#include "printing/PrintUIUtils.h"
#include "printing/ReportLink.h"

#include <algorithm>
#include <cstdlib>

namespace qel {

namespace {

const bool g_registered = [] {
    TClassRegistry::Instance().Register("TCustomdxPSPreviewWindow", "TBasedxPreviewWindow", [](TComponent* Owner) {
        return static_cast<TComponent*>(CreateForm<TCustomdxPSPreviewWindow>(Owner));
    });
    return true;
}();

const char* const sPreviewControlKey = "\\PreviewControl";

} // namespace

// ============================================================================
// The dialog runners

TdxPreviewWindowDialogRunners& dxPreviewWindowDialogRunners()
{
    static TdxPreviewWindowDialogRunners runners;
    return runners;
}

int dxMarginBarPanel(TdxPreviewMarginType Kind)
{
    switch (Kind) {
    case pmLeft: return 2;
    case pmTop: return 4;
    case pmRight: return 6;
    case pmBottom: return 8;
    case pmHeader: return 10;
    case pmFooter: return 12;
    default: return -1;
    }
}

// ============================================================================
// Construction

TCustomdxPSPreviewWindow::TCustomdxPSPreviewWindow(TComponent* AOwner) : TBasedxPreviewWindow(AOwner)
{
    SetKeyPreview(true);
    SetBounds(Left(), Top(), 800, 600);
}

TCustomdxPSPreviewWindow::~TCustomdxPSPreviewWindow()
{
    SaveSettings();
    // Nothing may reach the window through the event system while it goes.
    m_buildSubscriber.reset();
    if (m_printSubscriber)
        m_printSubscriber->SetEnabled(false);
    m_printSubscriber.reset();
    m_styleListSubscriber.reset();
}

void TCustomdxPSPreviewWindow::AfterConstruction()
{
    if (!m_preview) {
        m_saveZoomPosition = m_showMarginBar = m_showPageMargins = m_showStatusBar = true;
        m_zoomList = {{"500%", 500}, {"200%", 200}, {"150%", 150}, {"100%", 100}, {"75%", 75},
                      {"50%", 50},   {"25%", 25},   {"10%", 10},   {"Page Width", -1},
                      {"Whole Page", -1}, {"Two Pages", -1}, {"Four Pages", -1}, {"Widen to Source Width", -1}};
        TStringList templates;
        GetStandardHFFunctionTemplates(templates);
        for (int i = 0; i < templates.Count(); ++i)
            m_hfTemplates.push_back(templates.Get(i));
        CreateControls();
        LoadStrings();
    }
    TBasedxPreviewWindow::AfterConstruction();
}

void TCustomdxPSPreviewWindow::CreateControls()
{
    CreateStatusBar();
    CreatePreviewPane();
    CreatePreview();
    CreateMarginBar();
    CreateEventSubscribers();
    m_paginationTimer = new TTimer(this);
    m_paginationTimer->SetEnabled(false);
    m_paginationTimer->SetInterval(1);
    m_paginationTimer->OnTimer = [this](TObject*) { PaginationStep(); };
}

void TCustomdxPSPreviewWindow::CreateStatusBar()
{
    const bool flat = dxPSEngine()->FlatDialogs();
    m_statusBar = new TStatusBar(this);
    m_statusBar->SetName("StatusBar");
    m_statusBar->SetParent(this);
    m_statusBar->SetAlign(alBottom);
    m_statusBar->SetHeight(flat ? 22 : 20);
    m_statusBar->SetShowHint(true);
    struct Spec {
        TAlignment Alignment;
        TStatusPanelStyle Style;
        int Width;
    };
    const Spec specs[] = {{taRightJustify, psText, 40},     {taRightJustify, psOwnerDraw, 45},
                          {taCenter, psText, 20},           {taRightJustify, psOwnerDraw, 45},
                          {taLeftJustify, psText, 50},      {taLeftJustify, psOwnerDraw, 4},
                          {taRightJustify, psText, 80},     {taLeftJustify, psOwnerDraw, 150},
                          {taRightJustify, psText, 60},     {taLeftJustify, psOwnerDraw, 0}};
    for (const Spec& s : specs) {
        TStatusPanel* panel = m_statusBar->Panels()->Add();
        panel->SetAlignment(s.Alignment);
        panel->SetStyle(s.Style);
        panel->SetWidth(s.Width);
        panel->SetBevel(s.Style == psOwnerDraw && !flat ? pbLowered : pbNone);
    }
    m_statusBar->OnDrawPanel = [this](TStatusBar* Bar, TStatusPanel* Panel, const TRect& Rect) {
        DrawStatusPanel(Bar, Panel, Rect);
    };
    m_statusBar->OnDblClick = [this](TObject*) { DoStatusBarDblClick(m_statusBar->ScreenToClient(GetCursorPos())); };
    m_statusBar->OnMouseMove = [this](TObject*, TShiftState, int X, int Y) {
        const bool over = m_statusBar->PanelRect(spPaperSize).Contains({X, Y});
        const std::string hint = over ? "Double Click for Change Paper Size" : "";
        if (m_statusBar->Hint() != hint)
            m_statusBar->SetHint(hint);
    };
}

void TCustomdxPSPreviewWindow::CreatePreviewPane()
{
    m_previewPane = new TPanel(this);
    m_previewPane->SetName("pnlPreviewPane");
    m_previewPane->SetParent(this);
    m_previewPane->SetAlign(alClient);
    m_previewPane->SetBevelOuter(bvNone);
    m_previewPane->SetBevelInner(bvNone);
    m_previewPane->SetCaption("");
}

void TCustomdxPSPreviewWindow::CreatePreview()
{
    m_preview = new TdxPreview(this);
    m_preview->SetName("Preview");
    m_preview->SetParent(m_previewPane);
    m_preview->SetAlign(alClient);
    m_preview->SetLookAndFeel(dxPSEngine()->FlatDialogs() ? plfUltraFlat : plfStandard);
    if (IsWin9XOrWin32s()) {
        TdxPreviewOptionsBehavior behavior = m_preview->OptionsBehavior();
        behavior.Exclude(pobThumbTracking);
        m_preview->SetOptionsBehavior(behavior);
    }
    m_preview->Margins()->Gutter()->SetVisible(false);
    WirePreview();
}

void TCustomdxPSPreviewWindow::CreateMarginBar()
{
    const bool flat = dxPSEngine()->FlatDialogs();
    m_marginBar = new TStatusBar(this);
    m_marginBar->SetName("MarginBar");
    m_marginBar->SetParent(this);
    m_marginBar->SetAlign(alTop);
    m_marginBar->SetHeight(flat ? 22 : 20);
    m_marginBar->SetSizeGrip(false);
    const int captionWidths[] = {40, 40, 50, 60, 50, 50};
    TStatusPanel* title = m_marginBar->Panels()->Add();
    title->SetWidth(55);
    title->SetBevel(pbNone);
    for (int width : captionWidths) {
        TStatusPanel* caption = m_marginBar->Panels()->Add();
        caption->SetAlignment(taRightJustify);
        caption->SetWidth(width);
        caption->SetBevel(pbNone);
        TStatusPanel* value = m_marginBar->Panels()->Add();
        value->SetStyle(psOwnerDraw);
        value->SetWidth(70);
        value->SetBevel(flat ? pbNone : pbLowered);
    }
    TStatusPanel* rest = m_marginBar->Panels()->Add();
    rest->SetWidth(0);
    rest->SetBevel(pbNone);
    m_marginBar->OnDrawPanel = [this](TStatusBar* Bar, TStatusPanel* Panel, const TRect& Rect) {
        DrawMarginPanel(Bar, Panel, Rect);
    };
    m_marginBar->OnDblClick = [this](TObject*) { DoMarginBarDblClick(); };
}

void TCustomdxPSPreviewWindow::CreateEventSubscribers()
{
    m_buildSubscriber = std::make_unique<TdxPSBuildReportSubscriber>();
    m_buildSubscriber->OnStartGenerateReport = [this](TObject*, TBasedxReportLink* Link) {
        if (IsOwnLink(Link))
            BuildStarted();
    };
    m_buildSubscriber->OnGenerateReportProgress = [this](TObject*, TBasedxReportLink* Link, double Percent) {
        if (IsOwnLink(Link))
            BuildProgress(Percent);
    };
    m_buildSubscriber->OnEndGenerateReport = [this](TObject*, TBasedxReportLink* Link) {
        if (IsOwnLink(Link))
            BuildEnded();
    };
    m_printSubscriber = std::make_shared<TdxPSPrintReportSubscriber>();
    m_printSubscriber->OnStartPrint = [this](TObject*, TBasedxReportLink* Link, int PageCount) {
        if (IsOwnLink(Link))
            PrintStarted(PageCount);
    };
    m_printSubscriber->OnNewPage = [this](TObject*, TBasedxReportLink* Link, int PageIndex) {
        if (IsOwnLink(Link))
            PrintProgress(PageIndex);
    };
    // The end of a print whose link went meanwhile still ends the window's print state.
    m_printSubscriber->OnEndPrint = [this](TObject* Sender, TBasedxReportLink* Link) {
        if (IsOwnLink(Link) || (!Link && Sender == GetComponentPrinter()))
            PrintEnded();
    };
    m_styleListSubscriber = std::make_unique<TdxStyleListChangedSubscriber>();
    m_styleListSubscriber->OnStyleListChanged = [this](TObject* Sender) { StyleListChanged(Sender); };
}

void TCustomdxPSPreviewWindow::LoadStrings()
{
    const char* const status[] = {"Page:", "", "of", "", "Pages", "", "Paper Size", "", "Status", "Ready"};
    for (int i = 0; i < m_statusBar->Panels()->Count(); ++i)
        m_statusBar->Panels()->Items(i)->SetText(status[i]);
    const char* const margins[] = {"Margins", "Left:", "Top:", "Right:", "Bottom:", "Header:", "Footer:"};
    m_marginBar->Panels()->Items(0)->SetText(margins[0]);
    for (int i = 1; i <= 6; ++i)
        m_marginBar->Panels()->Items(2 * i - 1)->SetText(margins[i]);
}

void TCustomdxPSPreviewWindow::WirePreview()
{
    TdxPreview* p = m_preview;
    p->OnDrawPageContent = [this](TObject*, TCanvas& Canvas, const TRect& Rect, int PageIndex) {
        DrawPageContent(Canvas, PageIndex, Rect);
    };
    p->SetOnCalcPageCount([this](TObject*) {
        SyncPageCount();
        if (!m_preview->DraggingMargin())
            UpdateControls();
    });
    p->OnSelectedPageChanged = [this](TObject*, int) {
        SyncLinkCurrentPage();
        UpdateControls();
        m_statusBar->Invalidate();
    };
    p->OnSelectingPage = [this](TObject*, int PageIndex, bool& CanSelect) {
        TBasedxReportLink* link = ReportLink();
        if (link && link->ShowEmptyPages() && link->IsEmptyPage(PageIndex))
            CanSelect = false;
    };
    p->OnAfterDragMargin = [this](TObject*, TdxPreviewMargin* Margin) {
        DoAfterDragMargin(Margin);
        UpdateControls();
    };
    p->OnBeforeDragMargin = [this](TObject*, TdxPreviewMargin* Margin) {
        DoBeforeDragMargin(Margin);
        UpdateControls();
    };
    p->OnDragMargin = [this](TObject*, TdxPreviewMargin* Margin) { DoDragMargin(Margin); };
    p->OnMarginChanged = [this](TObject*, TdxPreviewMargin* Margin) { WriteBackMargin(Margin); };
    p->OnZoomFactorChanged = [this](TObject*) { DoZoomFactorChanged(); };
    p->OnZoomModeChanged = [this](TObject*) { DoZoomModeChanged(); };
    p->OnCanShowMarginHint = [this](TObject*, bool& CanShow) { CanShow = CanShowMarginHint(); };
    p->OnDblClick = [this](TObject*) { PreviewDblClick(); };
}

// ============================================================================
// The link and its state

TCustomdxComponentPrinter* TCustomdxPSPreviewWindow::Printer() const
{
    return dynamic_cast<TCustomdxComponentPrinter*>(GetComponentPrinter());
}

TBasedxReportLink* TCustomdxPSPreviewWindow::ReportLink() const
{
    TAbstractdxComponentPrinter* printer = GetComponentPrinter();
    return printer ? printer->CurrentLink() : nullptr;
}

bool TCustomdxPSPreviewWindow::IsOwnLink(const TBasedxReportLink* Link) const
{
    return Link && Link == ReportLink();
}

bool TCustomdxPSPreviewWindow::IsPrinting() const
{
    TCustomdxComponentPrinter* printer = Printer();
    return printer && printer->IsPrinting();
}

bool TCustomdxPSPreviewWindow::CanChangeMargins() const
{
    return ReportLink() && m_enableOptions.Contains(peoCanChangeMargins) && !IsPrinting() && !m_building;
}

bool TCustomdxPSPreviewWindow::CanPageSetup() const
{
    return ReportLink() && m_visibleOptions.Contains(pvoPageSetup) && m_enableOptions.Contains(peoPageSetup)
           && !IsPrinting();
}

bool TCustomdxPSPreviewWindow::CanPrint() const
{
    return ReportLink() && m_visibleOptions.Contains(pvoPrint) && m_enableOptions.Contains(peoPrint)
           && KnownPageCount() > 0 && !IsPrinting();
}

bool TCustomdxPSPreviewWindow::CanDesign() const
{
    TBasedxReportLink* link = ReportLink();
    return link && m_visibleOptions.Contains(pvoReportDesign) && m_enableOptions.Contains(peoReportDesign)
           && link->HasDesignWindow() && !IsPrinting() && !m_building;
}

bool TCustomdxPSPreviewWindow::IsPrintStylesShown() const
{
    TBasedxReportLink* link = ReportLink();
    return link && m_visibleOptions.Contains(pvoPrintStyles) && link->StyleManager();
}

std::string TCustomdxPSPreviewWindow::PrinterNameCaption()
{
    TdxPrintDevice* device = dxPrintDeviceInstance(0);
    std::string name;
    try {
        name = device ? device->GetDeviceName() : dxPrintDevice()->GetDeviceName();
    } catch (const std::exception&) {
        // No printer installed: no name to show.
    }
    return name.empty() ? std::string() : " (" + name + ")";
}

// ============================================================================
// TBasedxPreviewWindow

int TCustomdxPSPreviewWindow::GetSelectedPageIndex() const
{
    return m_preview ? m_preview->SelectedPageIndex() : 0;
}

TdxBackground* TCustomdxPSPreviewWindow::GetPageBackground() const
{
    return m_preview ? m_preview->PageBackground() : nullptr;
}

int TCustomdxPSPreviewWindow::GetPageCount() const
{
    return m_preview ? m_preview->PageCount() : 0;
}

TPoint TCustomdxPSPreviewWindow::GetZoomedPageSize() const
{
    return m_preview ? m_preview->ZoomedPageSize() : TPoint{0, 0};
}

int TCustomdxPSPreviewWindow::GetZoomFactor() const
{
    return m_preview ? m_preview->ZoomFactor() : 100;
}

void TCustomdxPSPreviewWindow::SetSelectedPageIndex(int Value)
{
    if (m_preview)
        m_preview->SetSelectedPageIndex(Value);
}

void TCustomdxPSPreviewWindow::SetPageBackground(TdxBackground* Value)
{
    if (!m_preview)
        return;
    m_preview->SetPageBackground(Value);
    UpdateControls();
}

void TCustomdxPSPreviewWindow::SetPageCount(int Value)
{
    if (m_preview)
        m_preview->SetPageCount(Value);
}

void TCustomdxPSPreviewWindow::SetEnableOptions(TdxPreviewEnableOptions Value)
{
    TBasedxReportLink* link = ReportLink();
    if (link && !link->HasDesignWindow())
        Value.Exclude(peoReportDesign);
    m_enableOptions = Value;
    UpdateControls();
}

void TCustomdxPSPreviewWindow::SetVisibleOptions(TdxPreviewVisibleOptions Value)
{
    m_visibleOptions = Value;
    UpdateControls();
}

void TCustomdxPSPreviewWindow::SetSaveZoomPosition(bool Value)
{
    m_saveZoomPosition = Value;
    if (!m_preview)
        return;
    TdxPreviewOptionsStore store = m_preview->OptionsStore();
    store.Set(posZoom, Value);
    m_preview->SetOptionsStore(store);
}

void TCustomdxPSPreviewWindow::SetZoomFactor(int Value)
{
    if (m_preview)
        m_preview->SetZoomFactor(Value);
}

void TCustomdxPSPreviewWindow::BeginUpdate()
{
    if (m_preview)
        m_preview->BeginUpdate();
    ++m_updateCount;
}

void TCustomdxPSPreviewWindow::CancelUpdate()
{
    if (m_updateCount <= 0)
        return;
    if (m_preview)
        m_preview->CancelUpdate();
    --m_updateCount;
}

void TCustomdxPSPreviewWindow::EndUpdate()
{
    if (m_updateCount <= 0)
        return;
    if (m_preview)
        m_preview->EndUpdate();
    if (--m_updateCount == 0)
        UpdateControls();
}

void TCustomdxPSPreviewWindow::GoToFirstPage()
{
    if (m_preview)
        m_preview->SelectFirstPage();
}

void TCustomdxPSPreviewWindow::GoToLastPage()
{
    if (m_preview)
        m_preview->SelectLastPage();
}

void TCustomdxPSPreviewWindow::GoToNextPage()
{
    if (m_preview)
        m_preview->SelectNextPage();
}

void TCustomdxPSPreviewWindow::GoToPrevPage()
{
    if (m_preview)
        m_preview->SelectPrevPage();
}

void TCustomdxPSPreviewWindow::SetComponentPrinter(TAbstractdxComponentPrinter* Value)
{
    TBasedxPreviewWindow::SetComponentPrinter(Value);
    if (!Value || !m_preview) {
        if (m_paginationTimer)
            m_paginationTimer->SetEnabled(false);
        return;
    }
    if (TCustomdxComponentPrinter* printer = Printer())
        SetSaveZoomPosition(printer->PreviewOptions()->SaveZoomPosition());
    InitializePreview();
    UpdateControls();
    m_marginsValid = ValidateMargins();
    TBasedxReportLink* link = ReportLink();
    StyleListChanged(link ? static_cast<TObject*>(link->StyleManager()) : nullptr);
}

// ============================================================================
// The link's page in the preview

void TCustomdxPSPreviewWindow::InitializePreview()
{
    TBasedxReportLink* link = ReportLink();
    if (!link || !m_preview)
        return;
    TdxPrinterPage* page = link->GetRealPrinterPage();
    // Locked: setting the preview from the page must not write back into it.
    BeginUpdate();
    Finally end([this] { EndUpdate(); });
    m_preview->SetMinUsefulSize({page->ToLoMetric(page->GetMinUsefulSize()),
                                 page->ToLoMetric(page->GetMinUsefulSize())});
    m_preview->SetOriginalPageSize(page->GetPageSizeLoMetric());
    m_preview->SetOrientation(page->Orientation() == poLandscape ? ppoLandscape : ppoPortrait);
    m_preview->SetMaxZoomFactor(500);
    m_preview->SetMinZoomFactor(10);
    m_preview->SetMinHeaderSize(0);
    m_preview->SetMinFooterSize(0);
    m_preview->SetMeasurementUnits(static_cast<TdxPreviewMeasurementUnits>(page->MeasurementUnits()));
    SetPreviewMargins(*page);
    m_preview->SetPageBackground(page->Background());
    if (!m_saveZoomPosition)
        m_preview->SetZoomFactor(100);
    RestartPagination();
}

void TCustomdxPSPreviewWindow::SetPreviewMargins(TdxPrinterPage& Page)
{
    TdxPreviewMargins& m = *m_preview->Margins();
    const TRect minimum = Page.GetMinMarginsLoMetric();
    const TRect margins = Page.GetMarginsLoMetric();
    m.Left()->SetMinValue(minimum.Left);
    m.Top()->SetMinValue(minimum.Top);
    m.Right()->SetMinValue(minimum.Right);
    m.Bottom()->SetMinValue(minimum.Bottom);
    m.Gutter()->SetVisible(false);
    // Every margin first goes to its minimum, so that none is held by a
    // neighbour that still has the last page's value; the page's own values
    // fit together.
    const TdxPreviewMarginType kinds[] = {pmLeft, pmTop, pmRight, pmBottom, pmHeader, pmFooter};
    for (TdxPreviewMarginType kind : kinds)
        m.Items(kind)->SetValue(m.Items(kind)->MinValue());
    const int values[] = {margins.Left, margins.Top, margins.Right, margins.Bottom, Page.GetHeaderLoMetric(),
                          Page.GetFooterLoMetric()};
    for (TdxPreviewMarginType kind : {pmHeader, pmFooter, pmLeft, pmTop, pmRight, pmBottom})
        m.Items(kind)->SetValue(values[kind == pmHeader ? 4 : kind == pmFooter ? 5 : kind]);
    m_preview->SetMinFooterSize(0);
    m_preview->SetMinHeaderSize(0);
}

void TCustomdxPSPreviewWindow::WriteBackMargin(TdxPreviewMargin* Margin)
{
    if (Locked() || !Margin)
        return;
    TBasedxReportLink* link = ReportLink();
    if (link && Margin->Kind() != pmGutter) {
        TdxPrinterPage* page = link->GetRealPrinterPage();
        // The page keeps its lengths in thousandths of its own unit.
        const int v = Margin->Value();
        const int value = page->LastMU() == muInches ? MulDiv(v, 1000, 254) : v * 100;
        TValueRestorer<bool> writing(m_writingMargin, true);
        switch (Margin->Kind()) {
        case pmLeft: page->Margins()->SetLeft(value); break;
        case pmTop: page->Margins()->SetTop(value); break;
        case pmRight: page->Margins()->SetRight(value); break;
        case pmBottom: page->Margins()->SetBottom(value); break;
        case pmHeader: page->SetHeader(value); break;
        case pmFooter: page->SetFooter(value); break;
        default: break;
        }
    }
    DoMarginChanged(Margin);
}

bool TCustomdxPSPreviewWindow::ValidateMargins()
{
    TBasedxReportLink* link = ReportLink();
    return !link || link->GetRealPrinterPage()->ValidateMargins();
}

// ============================================================================
// Settings

void TCustomdxPSPreviewWindow::SetShowMarginBar(bool Value)
{
    m_showMarginBar = Value;
    if (!m_loadingSettings)
        UpdateControls();
}

void TCustomdxPSPreviewWindow::SetShowStatusBar(bool Value)
{
    m_showStatusBar = Value;
    if (!m_loadingSettings)
        UpdateControls();
}

void TCustomdxPSPreviewWindow::SetShowPageMargins(bool Value)
{
    m_showPageMargins = Value;
    if (m_preview) {
        TdxPreviewOptionsView view = m_preview->OptionsView();
        view.Set(povMargins, Value);
        m_preview->SetOptionsView(view);
        m_preview->Margins()->Gutter()->SetVisible(false);
    }
    UpdateControls();
}

void TCustomdxPSPreviewWindow::SaveToRegistry(const std::string& Key)
{
    TBasedxPreviewWindow::SaveToRegistry(Key);
    if (m_preview)
        m_preview->SaveToRegistry(Key + sPreviewControlKey);
    TRegistry registry;
    if (!registry.OpenKey(Key, true))
        return;
    registry.WriteBool("MarginBar", m_showMarginBar);
    registry.WriteBool("StatusBar", m_showStatusBar);
}

void TCustomdxPSPreviewWindow::SaveSettings()
{
    if (m_settingsSaved || !m_preview || !StoresPlacement())
        return;
    m_settingsSaved = true;
    try {
        SaveToRegistry(GetPlacementKey(dxPSEngine()->GetRegistryPath()));
    } catch (const std::exception& E) {
        try {
            Application().HandleException(E);
        } catch (...) {
            // Nothing may leave a destructor.
        }
    }
}

void TCustomdxPSPreviewWindow::LoadFromRegistry(const std::string& Key)
{
    TBasedxPreviewWindow::LoadFromRegistry(Key);
    if (!m_preview)
        return;
    m_preview->LoadFromRegistry(Key + sPreviewControlKey);
    m_showPageMargins = m_preview->OptionsView().Contains(povMargins);
    TRegistry registry;
    if (!registry.OpenKeyReadOnly(Key))
        return;
    TValueRestorer<bool> loading(m_loadingSettings, true);
    if (registry.ValueExists("MarginBar"))
        SetShowMarginBar(registry.ReadBool("MarginBar"));
    if (registry.ValueExists("StatusBar"))
        SetShowStatusBar(registry.ReadBool("StatusBar"));
}

// ============================================================================
// Closing

void TCustomdxPSPreviewWindow::RunCommand(const std::function<void()>& Command)
{
    TFreeWatch watch{this};
    ++m_commandDepth;
    Finally done([this, &watch] {
        if (watch.Freed(this))
            return;
        if (--m_commandDepth == 0)
            CloseIfAsked();
    });
    Command();
}

void TCustomdxPSPreviewWindow::CloseIfAsked()
{
    if (m_closeWhenJobEnds && !m_building && !IsPrinting())
        Close();
}

bool TCustomdxPSPreviewWindow::CloseQuery()
{
    return CanClosePreview() && TBasedxPreviewWindow::CloseQuery();
}

bool TCustomdxPSPreviewWindow::CanClosePreview()
{
    if (!ReportLink() || m_closeWhenJobEnds)
        return true;
    const bool busy = m_building || IsPrinting();
    const bool terminating = Application().Terminated();
    if (busy && !terminating) {
        if (m_building)
            m_closeWhenJobEnds = true;
        else
            m_closeWhenJobEnds = MessageQuestion("Abort printing ?");
        if (m_closeWhenJobEnds)
            if (TCustomdxComponentPrinter* printer = Printer())
                printer->AbortPrinting();
    }
    return !busy || terminating;
}

void TCustomdxPSPreviewWindow::DoClose(TCloseAction& Action)
{
    TBasedxPreviewWindow::DoClose(Action);
    if (Action == caNone || Modal())
        return;
    // One of this window's commands is still running (a print whose loop
    // took the close): the window only hides, and closes itself once the
    // command returns.
    if (InCommand()) {
        m_closeWhenJobEnds = true;
        if (TCustomdxComponentPrinter* printer = Printer(); printer && printer->IsPrinting())
            printer->AbortPrinting();
        Action = caHide;
        return;
    }
    Action = caFree;
}

void TCustomdxPSPreviewWindow::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (Key == VK_ESCAPE && IsPrinting()) {
        if (TCustomdxComponentPrinter* printer = Printer())
            printer->AbortPrinting();
        Key = 0;
        return;
    }
    TBasedxPreviewWindow::KeyDown(Key, Shift);
}

void TCustomdxPSPreviewWindow::DoShow()
{
    TBasedxPreviewWindow::DoShow();
    PostMessage(this, WM_USER);
}

void TCustomdxPSPreviewWindow::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_USER) {
        // The owner-drawn value panels take the bar's font once the window shows.
        if (m_marginBar) {
            m_marginBar->Canvas()->Font()->Assign(m_marginBar->Font());
            m_marginBar->Invalidate();
        }
        return;
    }
    TBasedxPreviewWindow::WndProc(Message);
}

void TCustomdxPSPreviewWindow::Activate()
{
    TBasedxPreviewWindow::Activate();
    if (m_preview && m_preview->CanFocus())
        SetActiveControl(m_preview);
}

// ============================================================================
// Commands

void TCustomdxPSPreviewWindow::PageSetup(int ActivePage)
{
    TCustomdxComponentPrinter* printer = Printer();
    TBasedxReportLink* link = ReportLink();
    if (!printer || !link || !CanPageSetup())
        return;
    RunCommand([&] {
        bool preview = false;
        bool print = false;
        TFreeWatch watch{printer, link};
        const bool done = printer->PageSetupEx(ActivePage, preview, print, link);
        if (watch.AnyFreed() || GetComponentPrinter() != printer)
            return;
        if (done)
            InitializePreview();
        if (print && CanPrint())
            Print(true);
    });
}

void TCustomdxPSPreviewWindow::Print(bool ShowDialog)
{
    TCustomdxComponentPrinter* printer = Printer();
    TBasedxReportLink* link = ReportLink();
    if (!printer || !link)
        return;
    RunCommand([&] {
        TFreeWatch watch{printer, link};
        printer->Print(ShowDialog, nullptr, link);
        if (watch.AnyFreed() || GetComponentPrinter() != printer || m_building)
            return;
        // The printer leaves its printing state only after the print's end events.
        UpdateControls();
        if (ShowDialog)
            AfterPrintReport();
    });
}

void TCustomdxPSPreviewWindow::Design()
{
    TCustomdxComponentPrinter* printer = Printer();
    TBasedxReportLink* link = ReportLink();
    if (printer && link && CanDesign())
        RunCommand([&] { printer->DesignReport(link); });
}

void TCustomdxPSPreviewWindow::SetShowEmptyPages(bool Value)
{
    if (TBasedxReportLink* link = ReportLink()) {
        link->SetShowEmptyPages(Value);
        RestartPagination();
        m_preview->Invalidate();
    }
}

void TCustomdxPSPreviewWindow::SetShowPageHeader(bool Value)
{
    if (TBasedxReportLink* link = ReportLink()) {
        link->SetShowPageHeader(Value);
        RestartPagination();
        InvalidatePagesHeader();
    }
}

void TCustomdxPSPreviewWindow::SetShowPageFooter(bool Value)
{
    if (TBasedxReportLink* link = ReportLink()) {
        link->SetShowPageFooter(Value);
        RestartPagination();
        InvalidatePagesFooter();
    }
}

void TCustomdxPSPreviewWindow::SetShrinkToPageWidth(bool Value)
{
    if (TBasedxReportLink* link = ReportLink()) {
        link->SetShrinkToPageWidth(Value);
        RestartPagination();
        m_preview->Invalidate();
    }
}

void TCustomdxPSPreviewWindow::Preferences()
{
    const auto& runner = dxPreviewWindowDialogRunners().Options;
    if (!runner || !m_preview)
        return;
    TdxPreviewOptionsDlgData data = dxPreviewOptionsOf(*m_preview);
    bool accepted = false;
    RunCommand([&] { accepted = runner(data); });
    if (!accepted || !m_preview)
        return;
    TBasedxReportLink* link = ReportLink();
    // Units the record cannot carry stay on the preview and off the printer page.
    dxApplyPreviewOptions(data, *m_preview, link ? link->GetRealPrinterPage() : nullptr);
    SetShowPageMargins(data.ShowMargins());
}

void TCustomdxPSPreviewWindow::PageBackground(TPoint ScreenPos)
{
    TBasedxReportLink* link = ReportLink();
    if (!link || !m_preview || !m_enableOptions.Contains(peoPageBackground) || IsPrinting())
        return;
    bool chosen = false;
    RunCommand([&] { chosen = dxShowColorPalette(m_preview->PageBackground(), ScreenPos); });
    if (chosen && ReportLink() == link)
        link->GetRealPrinterPage()->SetBackground(m_preview->PageBackground());
}

void TCustomdxPSPreviewWindow::ZoomDialog()
{
    const auto& runner = dxPreviewWindowDialogRunners().Zoom;
    if (!runner || !m_preview)
        return;
    TdxPreviewZoomSettings settings = ZoomSettings();
    bool accepted = false;
    RunCommand([&] { accepted = runner(*m_preview, settings); });
    if (accepted && m_preview)
        ApplyZoomSettings(settings);
}

TdxPreviewZoomSettings TCustomdxPSPreviewWindow::ZoomSettings() const
{
    return m_preview ? dxPreviewZoomOf(*m_preview) : TdxPreviewZoomSettings{};
}

void TCustomdxPSPreviewWindow::ApplyZoomSettings(const TdxPreviewZoomSettings& Settings)
{
    if (m_preview)
        dxSetPreviewZoom(*m_preview, Settings);
}

void TCustomdxPSPreviewWindow::ZoomByText(const std::string& Text)
{
    if (!m_preview)
        return;
    const auto it = std::find_if(m_zoomList.begin(), m_zoomList.end(),
                                 [&](const TdxZoomListItem& I) { return SameText(I.Caption, Text); });
    if (it == m_zoomList.end()) {
        std::string number = Trim(Text);
        while (!number.empty() && number.back() == '%')
            number.pop_back();
        int factor = 0;
        if (!TryStrToInt(Trim(number), factor))
            return;
        ApplyZoomSettings({pzmNone, factor, 1, 1});
    } else {
        const int index = static_cast<int>(it - m_zoomList.begin());
        int across = 1;
        int down = 1;
        if (TBasedxReportLink* link = ReportLink())
            link->GetPageCounts(across, down);
        switch (index) {
        case 8: ApplyZoomSettings({pzmPageWidth, 0, 1, 1}); break;
        case 9: ApplyZoomSettings({pzmPages, 0, 1, 1}); break;
        case 10: ApplyZoomSettings({pzmPages, 0, 2, 1}); break;
        case 11: ApplyZoomSettings({pzmPages, 0, 2, 2}); break;
        case 12: ApplyZoomSettings({pzmPages, 0, std::max(1, across), 1}); break;
        default: ApplyZoomSettings({pzmNone, it->ZoomFactor, 1, 1}); break;
        }
    }
    m_lastZoomFactor = m_preview->ZoomFactor();
}

void TCustomdxPSPreviewWindow::MultiplePages(TControl* Anchor)
{
    if (!m_preview || !Anchor)
        return;
    // How many pages of the smallest zoom fit, to start the chooser with.
    const TPoint page = m_preview->PageSizePixels();
    const int minZoom = m_preview->MinZoomFactor();
    const int gap = 9 * minZoom / 100 + 4;
    const int pageWidth = MulDiv(page.X, minZoom, 100) + gap;
    const int pageHeight = MulDiv(page.Y, minZoom, 100) + gap;
    const TRect client = m_preview->ClientRect();
    const int columns = pageWidth > 0 ? std::max(1, (client.Width() - 2 * gap) / pageWidth) : 1;
    const int rows = pageHeight > 0 ? std::max(1, (client.Height() - 2 * gap) / pageHeight) : 1;
    int chosenColumns = std::min(columns, 3);
    int chosenRows = std::min(rows, 2);
    bool chosen = false;
    RunCommand([&] {
        chosen = dxChooseMultiplePages(nullptr, -1, Anchor->ClientToScreen({0, Anchor->Height()}), chosenRows,
                                       chosenColumns, std::max(rows, 1), std::max(columns, 1), Anchor->Height());
    });
    if (chosen && m_preview)
        ApplyZoomSettings({pzmPages, 0, chosenColumns, chosenRows});
}

void TCustomdxPSPreviewWindow::GoToPage(int PageNumber)
{
    TBasedxReportLink* link = ReportLink();
    int index = PageNumber;
    if (link && link->ShowEmptyPages()) {
        const TdxPagination& pages = link->RenderInfo()->Pagination();
        if (PageNumber >= 0 && PageNumber < pages.NonEmptyPageCount())
            index = pages.NonEmptyPages[static_cast<std::size_t>(PageNumber)];
    }
    SetSelectedPageIndex(index);
}

void TCustomdxPSPreviewWindow::PreviewDblClick()
{
    DoPreviewDblClick();
    if (!m_preview)
        return;
    TdxPreviewMargin* margin = nullptr;
    const TdxPreviewHitTests hit = m_preview->HitTest(m_preview->ScreenToClient(GetCursorPos()), &margin);
    if (hit.Contains(phtNoWhere) && CanDesign())
        Design();
    else if (margin && CanChangeMargins() && CanPageSetup())
        PageSetup(1);
}

void TCustomdxPSPreviewWindow::DoMarginBarDblClick()
{
    if (CanPageSetup())
        PageSetup(1);
}

void TCustomdxPSPreviewWindow::DoStatusBarDblClick(TPoint P)
{
    if (m_statusBar && m_statusBar->PanelRect(spPaperSize).Contains(P) && CanPageSetup())
        PageSetup(0);
}

} // namespace qel
