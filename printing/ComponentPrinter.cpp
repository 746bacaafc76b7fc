#include "printing/ComponentPrinter.h"

#include "platform/controls/Application.h"
#include "platform/controls/Clock.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Messages.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/FreeWatch.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/core/PropertyRegistry.h"
#include "platform/core/Stream.h"
#include "platform/core/Streaming.h"
#include "platform/storage/Registry.h"
#include "printing/EventSystem.h"
#include "printing/PSEngine.h"
#include "printing/PrintDevice.h"
#include "printing/ReportLinkRegistry.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace qel {

QEL_REGISTER_CLASS(TdxPreviewOptions, TdxBaseObject);
QEL_REGISTER_CLASS(TCustomdxComponentPrinter, TAbstractdxComponentPrinter);
QEL_REGISTER_CLASS(TdxComponentPrinter, TCustomdxComponentPrinter);

namespace {

const char* const sNoPreviewForm = "There is no registered preview form";
const char* const sPrintDialogFilesKey = "\\PrintDialogFiles";

int ClampToList(int Value, const TStrings* List)
{
    const int count = List ? List->Count() : 0;
    return std::clamp(Value, 0, std::max(0, count - 1));
}

std::string ListEntry(const TStrings* List, int Index)
{
    return List && Index >= 0 && Index < List->Count() ? List->Get(Index) : std::string();
}

// "File" followed by the index, in index order; other names after them.
std::vector<std::string> InFileOrder(std::vector<std::string> Names)
{
    auto index = [](const std::string& Name) {
        if (Name.size() <= 4 || !SameText(Name.substr(0, 4), "File"))
            return -1;
        int value = -1;
        return TryStrToInt(Name.substr(4), value) && value >= 0 ? value : -1;
    };
    std::stable_sort(Names.begin(), Names.end(), [&](const std::string& A, const std::string& B) {
        const int a = index(A);
        const int b = index(B);
        if ((a < 0) != (b < 0))
            return b < 0;
        return a < b;
    });
    return Names;
}

const bool g_registered = [] {
    TPropertyRegistrar<TdxPreviewOptions>("TdxPreviewOptions")
        .String("Caption", &TdxPreviewOptions::Caption, &TdxPreviewOptions::SetCaption,
                TdxPreviewOptions::DefaultCaption)
        .Set("EnableOptions", &TdxPreviewOptions::EnableOptions, &TdxPreviewOptions::SetEnableOptions,
             {"peoCanChangeMargins", "peoHelp", "peoPageBackground", "peoPageSetup", "peoPreferences", "peoPrint",
              "peoReportDesign"},
             TdxPreviewOptions::DefaultEnableOptions.ToBits())
        .Set("VisibleOptions", &TdxPreviewOptions::VisibleOptions, &TdxPreviewOptions::SetVisibleOptions,
             {"pvoHelp", "pvoPageBackground", "pvoPageSetup", "pvoPreferences", "pvoPrint", "pvoReportDesign",
              "pvoPrintStyles"},
             TdxPreviewOptions::DefaultVisibleOptions.ToBits())
        .Integer("HelpContext", &TdxPreviewOptions::HelpContext, &TdxPreviewOptions::SetHelpContext, 0)
        .Boolean("SavePosition", &TdxPreviewOptions::SavePosition, &TdxPreviewOptions::SetSavePosition, true)
        .Boolean("SaveZoomPosition", &TdxPreviewOptions::SaveZoomPosition, &TdxPreviewOptions::SetSaveZoomPosition,
                 true)
        .Enumeration("WindowState", &TdxPreviewOptions::WindowState, &TdxPreviewOptions::SetWindowState,
                     {"wsNormal", "wsMinimized", "wsMaximized"}, wsNormal)
        .DefineProperties([](TdxPreviewOptions& Options, TFiler& Filer) {
            Filer.DefineBinaryProperty(
                "PreviewBoundsRect",
                [&Options](TStream& S) {
                    // Left, top, right, bottom: 16 bytes.
                    TRect r;
                    r.Left = S.ReadLE<std::int32_t>();
                    r.Top = S.ReadLE<std::int32_t>();
                    r.Right = S.ReadLE<std::int32_t>();
                    r.Bottom = S.ReadLE<std::int32_t>();
                    Options.SetBoundsRect(r);
                },
                [&Options](TStream& S) {
                    const TRect r = Options.BoundsRect();
                    for (int v : {r.Left, r.Top, r.Right, r.Bottom})
                        S.WriteLE<std::int32_t>(v);
                },
                Options.BoundsStored());
        });
    TPropertyRegistrar<TCustomdxComponentPrinter>("TCustomdxComponentPrinter")
        .Boolean("AutoUpdateDateTime", &TCustomdxComponentPrinter::AutoUpdateDateTime,
                 &TCustomdxComponentPrinter::SetAutoUpdateDateTime, true)
        .Boolean("BeepAfterLongOperations", &TCustomdxComponentPrinter::BeepAfterLongOperations,
                 &TCustomdxComponentPrinter::SetBeepAfterLongOperations, true)
        .Component("CurrentLink", &TCustomdxComponentPrinter::CurrentLink, &TCustomdxComponentPrinter::SetCurrentLink)
        .Integer("DateFormat", &TCustomdxComponentPrinter::DateFormat, &TCustomdxComponentPrinter::SetDateFormat, 0)
        .Integer("LongOperationTime", &TCustomdxComponentPrinter::LongOperationTime,
                 &TCustomdxComponentPrinter::SetLongOperationTime, TCustomdxComponentPrinter::DefaultLongOperationTime)
        .Set("Options", &TCustomdxComponentPrinter::Options, &TCustomdxComponentPrinter::SetOptions,
             {"cpoAutoRebuildBeforePreview", "cpoAutoRebuildBeforePrint", "cpoGenerateReportProgressEvent",
              "cpoShowHourGlass"},
             dxDefaultComponentPrinterOptions.ToBits())
        .Boolean("OverWriteExistingFiles", &TCustomdxComponentPrinter::OverWriteExistingFiles,
                 &TCustomdxComponentPrinter::SetOverWriteExistingFiles, false)
        .Enumeration("PageNumberFormat", &TCustomdxComponentPrinter::PageNumberFormat,
                     &TCustomdxComponentPrinter::SetPageNumberFormat,
                     {"pnfNumeral", "pnfChars", "pnfUpperChars", "pnfRoman", "pnfUpperRoman"}, pnfNumeral)
        .Persistent("PreviewOptions", &TCustomdxComponentPrinter::PreviewOptions)
        .String("PrintTitle", &TCustomdxComponentPrinter::PrintTitle, &TCustomdxComponentPrinter::SetPrintTitle)
        .Integer("TimeFormat", &TCustomdxComponentPrinter::TimeFormat, &TCustomdxComponentPrinter::SetTimeFormat, 0);
    return true;
}();

} // namespace

// ============================================================================
// Preview options

TdxPreviewOptions::TdxPreviewOptions(TCustomdxComponentPrinter* APrinter)
    : m_printer(APrinter), m_bounds(Screen().WorkAreaRect())
{
}

TBasedxPreviewWindow* TdxPreviewOptions::Window() const
{
    return m_printer ? m_printer->PreviewWindow() : nullptr;
}

void TdxPreviewOptions::SetCaption(const std::string& Value)
{
    m_caption = Value;
    if (TBasedxPreviewWindow* window = Window())
        window->SetCaption(Value);
}

void TdxPreviewOptions::SetEnableOptions(TdxPreviewEnableOptions Value)
{
    m_enableOptions = Value;
    if (TBasedxPreviewWindow* window = Window())
        window->SetEnableOptions(Value);
}

void TdxPreviewOptions::SetVisibleOptions(TdxPreviewVisibleOptions Value)
{
    m_visibleOptions = Value;
    if (TBasedxPreviewWindow* window = Window())
        window->SetVisibleOptions(Value);
}

void TdxPreviewOptions::SetHelpContext(int Value)
{
    m_helpContext = Value;
    if (TBasedxPreviewWindow* window = Window())
        window->SetHelpContext(Value);
}

std::string TdxPreviewOptions::HelpFile() const
{
    return dxPSEngine()->HelpFile();
}

void TdxPreviewOptions::SetHelpFile(const std::string& Value)
{
    dxPSEngine()->SetHelpFile(Value);
    if (TBasedxPreviewWindow* window = Window())
        window->SetHelpFile(Value);
}

std::string TdxPreviewOptions::RegistryPath() const
{
    return dxPSEngine()->RegistryPath();
}

void TdxPreviewOptions::SetRegistryPath(const std::string& Value)
{
    dxPSEngine()->SetRegistryPath(Value);
}

void TdxPreviewOptions::SetLeft(int Value)
{
    OffsetRect(m_bounds, Value - m_bounds.Left, 0);
}

void TdxPreviewOptions::SetTop(int Value)
{
    OffsetRect(m_bounds, 0, Value - m_bounds.Top);
}

void TdxPreviewOptions::SetWidth(int Value)
{
    m_bounds.Right = m_bounds.Left + Value;
}

void TdxPreviewOptions::SetHeight(int Value)
{
    m_bounds.Bottom = m_bounds.Top + Value;
}

bool TdxPreviewOptions::BoundsStored() const
{
    return m_bounds != Screen().WorkAreaRect();
}

void TdxPreviewOptions::SetSaveZoomPosition(bool Value)
{
    m_saveZoomPosition = Value;
    if (TBasedxPreviewWindow* window = Window())
        window->SetSaveZoomPosition(Value);
}

void TdxPreviewOptions::SetWindowState(TWindowState Value)
{
    m_windowState = Value;
    if (TBasedxPreviewWindow* window = Window())
        window->SetWindowState(Value);
}

void TdxPreviewOptions::DoAssign(TdxBaseObject* Source)
{
    TdxBaseObject::DoAssign(Source);
    auto* source = dynamic_cast<TdxPreviewOptions*>(Source);
    if (!source)
        return;
    SetCaption(source->m_caption);
    SetEnableOptions(source->m_enableOptions);
    SetVisibleOptions(source->m_visibleOptions);
    SetHelpContext(source->m_helpContext);
    m_bounds = source->m_bounds;
    m_savePosition = source->m_savePosition;
    SetSaveZoomPosition(source->m_saveZoomPosition);
    SetWindowState(source->m_windowState);
}

// ============================================================================
// The printer: life

TCustomdxComponentPrinter::TCustomdxComponentPrinter(TComponent* AOwner)
    : TAbstractdxComponentPrinter(AOwner), m_previewOptions(std::make_unique<TdxPreviewOptions>(this)),
      m_printFileList(std::make_unique<TStringList>())
{
    // In place of a hidden window that hears the desktop's settings change.
    m_settingLink.Connect(Application().SettingChanges(), [this](TObject*) { SettingChanged(); });
}

TCustomdxComponentPrinter::~TCustomdxComponentPrinter()
{
    Destroying();
    m_settingLink.Disconnect();
    // A running print stops at its next check, which sees this printer gone.
    if (m_printing) {
        m_abortPrinting = true;
        TdxPrintDevice* device = dxPrintDeviceInstance(0);
        if (device && device->Printing())
            device->Abort();
    }
    // A long operation that a handler ended by freeing the printer gives the cursor back.
    if (m_longOperations > 0 && m_cursorSaved)
        Screen().SetCursor(m_savedCursor);
    DestroyPreview();
    DeleteAllLinks();
}

void TCustomdxComponentPrinter::Loaded()
{
    TAbstractdxComponentPrinter::Loaded();
    if (!m_currentLink && !m_links.empty())
        SetCurrentLink(m_links.front());
}

void TCustomdxComponentPrinter::SettingChanged()
{
    if (TdxPrintDevice* device = dxPrintDeviceInstance(0))
        device->Refresh();
}

// ============================================================================
// Links

TBasedxReportLink* TCustomdxComponentPrinter::AddLink(TComponent* Component)
{
    return CreateLink({}, Component, Owner());
}

TBasedxReportLink* TCustomdxComponentPrinter::CreateLink(const std::string& LinkClass, TComponent* Component,
                                                         TComponent* LinkOwner)
{
    std::string linkClass = LinkClass;
    if (Component) {
        linkClass = dxPSLinkClassByComponent(Component);
        if (linkClass.empty()) {
            if (dxPSIsDesignTime())
                throw EdxComponentPrinter("Component \"" + std::string(Component->ClassName())
                                          + "\" not supported by TdxComponentPrinter");
            return nullptr;
        }
    }
    if (linkClass.empty())
        return nullptr;
    std::unique_ptr<TComponent> made(TClassRegistry::Instance().Create(linkClass, LinkOwner));
    auto* link = dynamic_cast<TBasedxReportLink*>(made.get());
    if (!link)
        return nullptr;
    if (Component)
        link->SetComponent(Component);
    made.release();
    InsertLink(link);
    return link;
}

void TCustomdxComponentPrinter::InsertLink(TBasedxReportLink* Link)
{
    if (!Link || IndexOfLink(Link) >= 0)
        return;
    if (TAbstractdxComponentPrinter* previous = Link->ComponentPrinter())
        previous->RemoveLink(Link);
    m_links.push_back(Link);
    Link->SetComponentPrinter(this);
    if (!m_currentLink)
        SetCurrentLink(Link);
}

void TCustomdxComponentPrinter::RemoveLink(TBasedxReportLink* Link)
{
    const auto it = std::find(m_links.begin(), m_links.end(), Link);
    if (it == m_links.end())
        return;
    const bool destroying = IsDestroying();
    if (Link == m_currentLink && !destroying && IsPreviewShowing())
        DestroyPreview();
    const auto index = static_cast<std::size_t>(it - m_links.begin());
    m_links.erase(m_links.begin() + static_cast<std::ptrdiff_t>(index));
    if (Link->ComponentPrinter() == this)
        Link->SetComponentPrinter(nullptr);
    if (m_preparedLink == Link)
        m_preparedLink = nullptr;
    if (m_buildingLink == Link)
        m_buildingLink = nullptr;
    if (Link == m_currentLink) {
        m_currentLink = nullptr;
        if (!destroying) {
            if (!m_links.empty())
                m_currentLink = m_links[std::min(index, m_links.size() - 1)];
            UpdatePageInformation();
            if (!Fire(OnChangeCurrentLink))
                return;
        }
    }
    Fire(OnDeleteReportLink, Link);
}

void TCustomdxComponentPrinter::DeleteAllLinks()
{
    while (!m_links.empty()) {
        TBasedxReportLink* link = m_links.back();
        if (link == m_buildingLink || link->IsPainting()) {
            FreeLinkWhenIdle(link);
            continue;
        }
        RemoveLink(link);
        delete link;
    }
}

void TCustomdxComponentPrinter::FreeLinkWhenIdle(TBasedxReportLink* Link)
{
    RemoveLink(Link);
    // The link's own code is on the stack (building or drawing): it ends
    // without a printer, and the link goes after that unless its owner
    // freed it first.
    auto watch = std::make_shared<TFreeWatch>();
    watch->Watch(Link);
    PostCall(nullptr, [watch, Link] {
        if (!watch->Freed(Link))
            delete Link;
    });
}

TBasedxReportLink* TCustomdxComponentPrinter::ReportLink(int Index) const
{
    if (Index < 0 || Index >= LinkCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return m_links[static_cast<std::size_t>(Index)];
}

int TCustomdxComponentPrinter::IndexOfLink(const TBasedxReportLink* Link) const
{
    const auto it = std::find(m_links.begin(), m_links.end(), Link);
    return it == m_links.end() ? -1 : static_cast<int>(it - m_links.begin());
}

void TCustomdxComponentPrinter::MoveLink(TBasedxReportLink* Link, int NewIndex)
{
    const int from = IndexOfLink(Link);
    if (from < 0)
        return;
    const int to = std::clamp(NewIndex, 0, LinkCount() - 1);
    m_links.erase(m_links.begin() + from);
    m_links.insert(m_links.begin() + to, Link);
}

void TCustomdxComponentPrinter::SetCurrentLink(TBasedxReportLink* Link)
{
    if ((Link && IndexOfLink(Link) < 0) || Link == m_currentLink)
        return;
    if (IsPreviewShowing())
        DestroyPreview();
    m_currentLink = Link;
    UpdatePageInformation();
    Fire(OnChangeCurrentLink);
}

void TCustomdxComponentPrinter::UpdatePageInformation()
{
    TBasedxReportLink* link = m_currentLink;
    if (!link)
        return;
    TdxHFFunctionFormatObject& shared = dxHFFormatObject();
    shared.SetDateFormat(ListEntry(DateFormatList(), link->DateFormat()));
    shared.SetDateTime(link->DateTime());
    shared.SetPageNumberFormat(link->PageNumberFormat());
    shared.SetStartPageIndex(link->StartPageIndex());
    shared.SetTimeFormat(ListEntry(TimeFormatList(), link->TimeFormat()));
}

TBasedxReportLink* TCustomdxComponentPrinter::SelectLink(TBasedxReportLink* Link)
{
    if (Link && IndexOfLink(Link) >= 0)
        SetCurrentLink(Link);
    return Link && IndexOfLink(Link) < 0 ? nullptr : m_currentLink;
}

// ============================================================================
// Properties

void TCustomdxComponentPrinter::SetDateFormat(int Value)
{
    m_dateFormat = ClampToList(Value, DateFormatList());
    UpdatePageInformation();
}

void TCustomdxComponentPrinter::SetTimeFormat(int Value)
{
    m_timeFormat = ClampToList(Value, TimeFormatList());
    UpdatePageInformation();
}

void TCustomdxComponentPrinter::SetPageNumberFormat(TdxPageNumberFormat Value)
{
    m_pageNumberFormat = static_cast<TdxPageNumberFormat>(std::clamp<int>(Value, pnfNumeral, pnfUpperRoman));
    UpdatePageInformation();
}

void TCustomdxComponentPrinter::SetLongOperationTime(int Value)
{
    m_longOperationTime = std::max(0, Value);
}

// ============================================================================
// Long operations and build events

void TCustomdxComponentPrinter::BeginLongOperation()
{
    if (IsDestroying() || m_longOperations++ > 0)
        return;
    m_longOperationStart = GetTickCount();
    m_beepArmed = m_beepAfterLongOperations;
    m_cursorSaved = m_options.Contains(cpoShowHourGlass);
    if (m_cursorSaved) {
        m_savedCursor = Screen().Cursor();
        Screen().SetCursor(crHourGlass);
    }
}

void TCustomdxComponentPrinter::EndLongOperation()
{
    if (IsDestroying() || m_longOperations == 0 || --m_longOperations > 0)
        return;
    if (m_cursorSaved)
        Screen().SetCursor(m_savedCursor);
    m_cursorSaved = false;
    const std::uint32_t elapsed = GetTickCount() - m_longOperationStart;
    if (m_beepArmed && m_beepAfterLongOperations && elapsed > static_cast<std::uint32_t>(m_longOperationTime))
        MessageBeep(MB_OK);
}

bool TCustomdxComponentPrinter::BuildEventsWanted() const
{
    return !m_designing && !IsLoading() && m_options.Contains(cpoGenerateReportProgressEvent);
}

void TCustomdxComponentPrinter::BeginGenerateReport(TBasedxReportLink* Link)
{
    ++m_building;
    m_buildingLink = Link;
    if (BuildEventsWanted() && !Fire(OnStartGenerateReport, Link))
        return;
    std::unique_ptr<TdxEvent> event = std::make_unique<TdxPSBuildEvent>(this, 0, Link);
    dxPSPublishEvent(event);
}

void TCustomdxComponentPrinter::GenerateReportProgress(TBasedxReportLink* Link, double PercentDone)
{
    if (BuildEventsWanted() && !Fire(OnGenerateReportProgress, Link, PercentDone))
        return;
    std::unique_ptr<TdxEvent> event = std::make_unique<TdxPSBuildEvent>(this, 1, Link, PercentDone);
    dxPSPublishEvent(event);
}

void TCustomdxComponentPrinter::EndGenerateReport(TBasedxReportLink* Link)
{
    if (m_building > 0 && --m_building == 0)
        m_buildingLink = nullptr;
    if (BuildEventsWanted() && !Fire(OnEndGenerateReport, Link))
        return;
    std::unique_ptr<TdxEvent> event = std::make_unique<TdxPSBuildEvent>(this, 2, Link);
    dxPSPublishEvent(event);
}

// ============================================================================
// Preparing, preview, page setup, design

void TCustomdxComponentPrinter::PrepareLink(TBasedxReportLink* Link, bool ForPrint)
{
    if (!Link || Link == m_preparedLink || !Link->CanBuildReport())
        return;
    m_preparedLink = Link;
    const bool asked = m_options.Contains(ForPrint ? cpoAutoRebuildBeforePrint : cpoAutoRebuildBeforePreview);
    // A link that was never built needs a build as much as one whose settings changed.
    const bool needed = Link->RebuildNeeded() || !Link->Active();
    if (!IsPreviewShowing() && (m_designing || asked || needed))
        Link->Rebuild();
    else if (m_autoUpdateDateTime)
        Link->SetDateTime(Now());
}

void TCustomdxComponentPrinter::Preview(bool Modal, TBasedxReportLink* Link)
{
    TBasedxReportLink* link = SelectLink(Link);
    if (!link)
        return;
    if (m_previewWindow) {
        if (m_previewWindow->WindowState() == wsMinimized)
            m_previewWindow->SetWindowState(wsNormal);
        m_previewWindow->Show();
        m_previewWindow->BringToFront();
        return;
    }
    TPreparedScope prepared(*this, link);
    if (prepared.Prepare(false))
        ShowPreview(link, Modal);
}

void TCustomdxComponentPrinter::ShowPreview(TBasedxReportLink* Link, bool Modal)
{
    const std::string windowClass = dxPSPreviewWindowClass();
    if (windowClass.empty())
        throw EdxComponentPrinter(sNoPreviewForm);
    std::unique_ptr<TComponent> made(TClassRegistry::Instance().Create(windowClass, nullptr));
    auto* window = dynamic_cast<TBasedxPreviewWindow*>(made.get());
    if (!window)
        throw EdxComponentPrinter(sNoPreviewForm);
    TFreeWatch watch{this, Link, window};
    // Until it shows as a non-modal window, this call holds the window and
    // frees it on every way out; closing it meanwhile only makes it let go.
    Finally drop([&] {
        if (!watch.Freed(this))
            m_previewHeld = false;
        if (!watch.Freed(window))
            made.reset();
    });
    m_previewHeld = true;
    m_previewWindow = window;
    window->SetComponentPrinter(this);
    ApplyPreviewOptions(*window);
    m_previewing = true;
    if (!Fire(OnBeforePreview, Link) || m_previewWindow != window)
        return;
    window->SetShownModal(Modal);
    if (!Modal) {
        window->Show();
        m_previewHeld = false;
        drop.Dismiss();
        made.release();
        return;
    }
    window->ShowModal();
    if (!watch.Freed(this) && !watch.Freed(Link))
        Fire(OnAfterPreview, Link);
}

void TCustomdxComponentPrinter::ApplyPreviewOptions(TBasedxPreviewWindow& Window)
{
    const TdxPreviewOptions& options = *m_previewOptions;
    if (!dxPSIsDesignTime()) {
        Window.SetEnableOptions(options.EnableOptions());
        Window.SetVisibleOptions(options.VisibleOptions());
        Window.SetHelpContext(options.HelpContext());
        Window.SetHelpFile(options.HelpFile());
    }
    Window.SetCaption(options.Caption());
    Window.SetSaveZoomPosition(options.SaveZoomPosition());
}

void TCustomdxComponentPrinter::DestroyPreview()
{
    TBasedxPreviewWindow* window = m_previewWindow;
    if (!window)
        return;
    m_previewWindow = nullptr;
    m_previewing = false;
    window->SetComponentPrinter(nullptr);
    if (m_previewHeld) {
        // Preview is still running it (before it shows, or in its modal
        // loop): the loop ends and Preview frees it.
        if (window->Modal())
            window->Close();
        return;
    }
    window->Hide();
    // Freed after the event that asked for it: the window may be the one running it.
    window->Release();
    if (!IsDestroying())
        Fire(OnAfterPreview, m_currentLink);
}

void TCustomdxComponentPrinter::RefreshPreview()
{
    if (!m_previewWindow)
        return;
    m_previewWindow->SetPageCount(m_currentLink ? m_currentLink->GetVisiblePageCount() : 0);
    m_previewWindow->InvalidateAllPages();
}

void TCustomdxComponentPrinter::PreviewWindowDestroyed(TBasedxPreviewWindow* Window)
{
    if (!Window || Window != m_previewWindow)
        return;
    m_previewWindow = nullptr;
    m_previewing = false;
    if (!Window->ShownModal())
        Fire(OnAfterPreview, m_currentLink);
}

bool TCustomdxComponentPrinter::PageSetupEx(int ActivePageIndex, bool& PreviewBtnClicked, bool& PrintBtnClicked,
                                            TBasedxReportLink* Link)
{
    PreviewBtnClicked = false;
    PrintBtnClicked = false;
    TBasedxReportLink* link = SelectLink(Link);
    if (!link)
        return false;
    TFreeWatch watch{this, link};
    bool done = link->PageSetup(ActivePageIndex, &PreviewBtnClicked, &PrintBtnClicked);
    if (watch.AnyFreed())
        return done;
    Fire(OnPageSetup, link, done);
    return done;
}

bool TCustomdxComponentPrinter::PageSetup(TBasedxReportLink* Link)
{
    bool preview = false;
    bool print = false;
    TBasedxReportLink* link = SelectLink(Link);
    TFreeWatch watch{this, link};
    const bool result = PageSetupEx(0, preview, print, link);
    if (watch.AnyFreed() || !link)
        return result;
    if (preview)
        Preview(true, link);
    else if (print)
        Print(true, link);
    return result;
}

bool TCustomdxComponentPrinter::DesignReport(TBasedxReportLink* Link)
{
    TBasedxReportLink* link = SelectLink(Link);
    if (!link)
        return false;
    TFreeWatch watch{this};
    m_designing = true;
    Finally undesign([&] {
        if (!watch.Freed(this))
            m_designing = false;
    });
    return link->DesignReport();
}

void TCustomdxComponentPrinter::BeforeDesignReport(TBasedxReportLink* Link, TAbstractdxReportLinkDesignWindow* Window)
{
    Fire(OnBeforeDesignReport, Link, Window);
}

void TCustomdxComponentPrinter::DesignReportDone(TBasedxReportLink* Link, bool Done)
{
    TFreeWatch watch{Link};
    if (!Fire(OnDesignReport, Link, Done) || watch.Freed(Link))
        return;
    if (Done && Link->Component())
        Link->Rebuild();
}

void TCustomdxComponentPrinter::DoChangeComponent(TBasedxReportLink* Link)
{
    Fire(OnChangeComponent, Link);
}

// ============================================================================
// Custom drawing the printer's users set

bool TCustomdxComponentPrinter::DoCustomDrawPageHeaderOrFooter(TBasedxReportLink* Link, TCustomdxPageObject* HF,
                                                               TCanvas& Canvas, int PageIndex, const TRect& Rect,
                                                               int Numerator, int Denominator, bool& DefaultDrawText,
                                                               bool& DefaultDrawBackground)
{
    const TdxCustomDrawPageHeaderFooterEvent& handler =
        dynamic_cast<TdxPageHeader*>(HF) ? OnCustomDrawPageHeader : OnCustomDrawPageFooter;
    if (!handler)
        return false;
    TRect rect = Rect;
    Fire(handler, Link, Canvas, PageIndex, rect, Numerator, Denominator, DefaultDrawText, DefaultDrawBackground);
    return true;
}

bool TCustomdxComponentPrinter::DoCustomDrawReportTitle(TBasedxReportLink* Link, TCanvas& Canvas, const TRect& Rect,
                                                        int Numerator, int Denominator, TdxTextAlignX& AlignX,
                                                        TdxTextAlignY& AlignY, TColor& Color, TFont& Font, bool& Done)
{
    if (!OnCustomDrawReportTitle)
        return false;
    TRect rect = Rect;
    Fire(OnCustomDrawReportTitle, Link, Canvas, rect, Numerator, Denominator, AlignX, AlignY, Color, Font, Done);
    return true;
}

void TCustomdxComponentPrinter::DoMeasureReportTitle(TBasedxReportLink* Link, int& Height)
{
    Fire(OnMeasureReportTitle, Link, Height);
}

void TCustomdxComponentPrinter::DoCustomDrawPage(TBasedxReportLink* Link, TCanvas& Canvas, int PageIndex,
                                                 const TRect& Rect, int Numerator, int Denominator)
{
    Fire(OnCustomDrawPage, Link, Canvas, PageIndex, Rect, Numerator, Denominator);
}

// ============================================================================
// Settings store

void TCustomdxComponentPrinter::SaveToRegistry(const std::string& Path)
{
    TUpdateScope batch(SettingsStore());
    TRegistry registry;
    if (!registry.OpenKey("\\" + Path, true))
        return;
    registry.WriteBool("AutoUpdateDateTime", m_autoUpdateDateTime);
    registry.WriteInteger("DateFormat", m_dateFormat);
    registry.WriteInteger("TimeFormat", m_timeFormat);
    registry.WriteInteger("PageNumberFormat", m_pageNumberFormat);
    const std::string files = "\\" + Path + sPrintDialogFilesKey;
    registry.DeleteKey(files);
    if (!registry.OpenKey(files, true))
        return;
    for (int i = 0; i < m_printFileList->Count(); ++i)
        registry.WriteString("File" + std::to_string(i), m_printFileList->Get(i));
}

void TCustomdxComponentPrinter::LoadFromRegistry(const std::string& Path)
{
    // Read whole first: a value that cannot be read leaves the printer as it was.
    TRegistry registry;
    if (!registry.OpenKeyReadOnly("\\" + Path))
        return;
    auto read = [&registry](const char* Name, auto Reader) {
        return registry.ValueExists(Name) ? std::optional(Reader(Name)) : std::nullopt;
    };
    const auto autoUpdate = read("AutoUpdateDateTime", [&](const char* N) { return registry.ReadBool(N); });
    const auto dateFormat = read("DateFormat", [&](const char* N) { return registry.ReadInteger(N); });
    const auto timeFormat = read("TimeFormat", [&](const char* N) { return registry.ReadInteger(N); });
    const auto numbers = read("PageNumberFormat", [&](const char* N) { return registry.ReadInteger(N); });
    std::vector<std::string> files;
    if (registry.OpenKeyReadOnly("\\" + Path + sPrintDialogFilesKey))
        for (const std::string& name : InFileOrder(registry.ValueNames()))
            files.push_back(registry.ReadString(name));
    if (autoUpdate)
        SetAutoUpdateDateTime(*autoUpdate);
    if (dateFormat)
        SetDateFormat(*dateFormat);
    if (timeFormat)
        SetTimeFormat(*timeFormat);
    if (numbers)
        SetPageNumberFormat(static_cast<TdxPageNumberFormat>(std::clamp<int>(*numbers, pnfNumeral, pnfUpperRoman)));
    for (const std::string& file : files)
        m_printFileList->Add(file);
    m_registryLoaded = true;
}

// ============================================================================
// The published printer

TdxComponentPrinter::TdxComponentPrinter(TComponent* AOwner) : TCustomdxComponentPrinter(AOwner) {}

TdxComponentPrinter::~TdxComponentPrinter()
{
    const std::string root = dxPSEngine()->GetRegistryPath();
    if (dxPSIsDesignTime() || !RegistryLoaded() || root.empty())
        return;
    try {
        SaveToRegistry(root);
    } catch (const std::exception& E) {
        try {
            Application().HandleException(E);
        } catch (...) {
            // Nothing may leave a destructor.
        }
    }
}

void TdxComponentPrinter::Loaded()
{
    TCustomdxComponentPrinter::Loaded();
    const std::string root = dxPSEngine()->GetRegistryPath();
    if (!dxPSIsDesignTime() && !root.empty())
        LoadFromRegistry(root);
}

} // namespace qel
