#include "printing/PrintStyles.h"

#include "platform/controls/Application.h"
#include "platform/controls/Messages.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "platform/core/PropertyRegistry.h"
#include "platform/core/Stream.h"
#include "platform/core/Streaming.h"
#include "platform/core/Strings.h"
#include "platform/core/Utf8.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/ImageList.h"
#include "printing/EventSystem.h"
#include "printing/PSEngine.h"
#include "printing/PaperTable.h"
#include "printing/PrintUtils.h"

#include <filesystem>
#include <utility>
#include <limits>

namespace qel {

QEL_REGISTER_CLASS(TdxPrintStylePrinterPage, TdxPrinterPage);
QEL_REGISTER_CLASS(TBasedxPrintStyle, TComponent);
QEL_REGISTER_CLASS(TdxPrintStyleManager, TComponent);

namespace {

// Captions of style copies are kept to this many characters.
constexpr std::size_t MaxCloneCaptionLength = 31;
// What the glyphs and backgrounds of one style file may decode together: as
// much as one picture may hold, so a small file cannot ask for gigabytes.
constexpr long long MaxStyleFilePixels = MaxBitmapPixels;

const bool g_styleProperties = [] {
    TPropertyRegistrar<TBasedxPrintStyle>("TBasedxPrintStyle")
        .Boolean("AllowChangeHFText", &TBasedxPrintStyle::AllowChangeHFText, &TBasedxPrintStyle::SetAllowChangeHFText,
                 true)
        .Boolean("AllowChangeMargins", &TBasedxPrintStyle::AllowChangeMargins,
                 &TBasedxPrintStyle::SetAllowChangeMargins, true)
        .Boolean("AllowChangeOrientation", &TBasedxPrintStyle::AllowChangeOrientation,
                 &TBasedxPrintStyle::SetAllowChangeOrientation, true)
        .Boolean("AllowChangePaper", &TBasedxPrintStyle::AllowChangePaper, &TBasedxPrintStyle::SetAllowChangePaper,
                 true)
        .Boolean("AllowChangeScale", &TBasedxPrintStyle::AllowChangeScale, &TBasedxPrintStyle::SetAllowChangeScale,
                 true)
        .Boolean("AllowCustomPaperSizes", &TBasedxPrintStyle::AllowCustomPaperSizes,
                 &TBasedxPrintStyle::SetAllowCustomPaperSizes, true)
        .String("Description", &TBasedxPrintStyle::Description, &TBasedxPrintStyle::SetDescription)
        .Integer("ImageIndex", &TBasedxPrintStyle::ImageIndex, &TBasedxPrintStyle::SetImageIndex, -1)
        .Persistent("PrinterPage", &TBasedxPrintStyle::PrinterPage)
        .Boolean("ShowPageSetupDlg", &TBasedxPrintStyle::ShowPageSetupDlg, &TBasedxPrintStyle::SetShowPageSetupDlg,
                 false)
        .String("StyleCaption", &TBasedxPrintStyle::StyleCaption, &TBasedxPrintStyle::SetStyleCaption)
        .DefineProperties([](TBasedxPrintStyle& S, TFiler& F) {
            F.DefineProperty(
                "BuiltInStyle", [&S](const Variant& V) { S.SetBuiltInStyle(V.AsBoolean()); },
                [&S] { return Variant(S.BuiltInStyle()); }, true);
            F.DefineBinaryProperty(
                "StyleGlyphData", [&S](TStream& Stream) { S.StyleGlyph()->LoadFromStream(Stream); },
                [&S](TStream& Stream) { S.StyleGlyph()->SaveToStream(Stream); }, !S.StyleGlyph()->Empty());
        });
    TPropertyRegistrar<TdxPrintStyleManager>("TdxPrintStyleManager")
        .Boolean("AutoSave", &TdxPrintStyleManager::AutoSave, &TdxPrintStyleManager::SetAutoSave, false)
        .String("CloneStyleCaptionPrefix", &TdxPrintStyleManager::CloneStyleCaptionPrefix,
                &TdxPrintStyleManager::SetCloneStyleCaptionPrefix,
                TdxPrintStyleManager::DefaultCloneStyleCaptionPrefix)
        .Integer("HelpContext", &TdxPrintStyleManager::HelpContext, &TdxPrintStyleManager::SetHelpContext, 0)
        .Component("Images", &TdxPrintStyleManager::Images, &TdxPrintStyleManager::SetImages)
        .Component("PageSetupDialog", &TdxPrintStyleManager::PageSetupDialog,
                   &TdxPrintStyleManager::SetPageSetupDialog)
        .String("StorageName", &TdxPrintStyleManager::StorageName, &TdxPrintStyleManager::SetStorageName)
        .String("Title", &TdxPrintStyleManager::Title, &TdxPrintStyleManager::SetTitle,
                TdxPrintStyleManager::DefaultTitle)
        .Integer("Version", &TdxPrintStyleManager::Version, &TdxPrintStyleManager::SetVersion, 0);
    return true;
}();

std::string& DefaultStyleClass()
{
    static std::string name = "TBasedxPrintStyle";
    return name;
}

bool IsPrintStyleClass(const std::string& Name)
{
    return TClassRegistry::Instance().InheritsFrom(Name, "TBasedxPrintStyle");
}

std::string CutCaption(const std::string& Caption)
{
    return Utf8Prefix(Caption, MaxCloneCaptionLength);
}

// The simple published values Source holds other than its defaults (those a
// stream of it holds) go to Target.
void TakeStoredValues(TObject* Target, TObject* Source)
{
    for (const TPropInfo* info : GetPropList(Source)) {
        if (info->IsReadOnly() || !IsStoredProp(Source, *info))
            continue;
        switch (info->Kind) {
        case pkPersistent:
        case pkCollection: break;
        case pkComponent: info->SetObj(Target, dynamic_cast<TComponent*>(info->GetObj(Source))); break;
        case pkFloat: info->SetFloat(Target, info->GetFloat(Source)); break;
        case pkString:
        case pkBinary: info->SetStr(Target, info->GetStr(Source)); break;
        case pkVariant: info->SetVar(Target, info->GetVar(Source)); break;
        default: info->SetOrd(Target, info->GetOrd(Source)); break;
        }
    }
}

} // namespace

TdxPrintStyleDialogRunners& dxPrintStyleDialogRunners()
{
    static TdxPrintStyleDialogRunners runners;
    return runners;
}

const std::string& dxDefaultPrintStyleClass()
{
    return DefaultStyleClass();
}

void dxSetDefaultPrintStyleClass(const std::string& ClassName)
{
    DefaultStyleClass() = ClassName.empty() ? std::string("TBasedxPrintStyle") : ClassName;
}

std::string dxFormatCloneCaption(const std::string& Prefix, int Number)
{
    return ReplaceSubStr(Prefix, "%d", std::to_string(Number));
}

// ----- the style's page ---------------------------------------------------------------------------
TdxPrintStylePrinterPage::TdxPrintStylePrinterPage(TBasedxPrintStyle* Style)
    : TdxPrinterPage(Style), m_style(Style)
{
}

void TdxPrintStylePrinterPage::DoChange(TdxPageChangeKinds ChangedKinds)
{
    TdxPrinterPage::DoChange(ChangedKinds);
    if (!IsLocked() && m_style && m_style->IsCurrentStyle())
        m_style->StyleChanged(ChangedKinds);
}

// ----- style ----------------------------------------------------------------------------------------
TBasedxPrintStyle::TBasedxPrintStyle(TComponent* AOwner)
    : TComponent(AOwner), m_printerPage(std::make_unique<TdxPrintStylePrinterPage>(this)),
      m_styleGlyph(std::make_unique<TBitmap>()), m_builtInStyle(dxPSIsDesignTime())
{
}

TBasedxPrintStyle::~TBasedxPrintStyle()
{
    DoDestroy();
    if (m_styleManager) {
        // The owner frees its styles before the manager: save while they are all there.
        if (m_styleManager->IsDestroying() && m_styleManager->m_autoSave)
            m_styleManager->SaveToStorage();
        SetStyleManager(nullptr);
    }
}

void TBasedxPrintStyle::DoDestroy()
{
    if (OnDestroy)
        OnDestroy(this);
}

int TBasedxPrintStyle::Index() const
{
    return m_styleManager ? m_styleManager->IndexOfStyle(this) : -1;
}

void TBasedxPrintStyle::SetIndex(int Value)
{
    if (m_styleManager)
        m_styleManager->MoveStyle(this, Value);
}

bool TBasedxPrintStyle::IsCurrentStyle() const
{
    return m_styleManager && m_styleManager->CurrentStyle() == this;
}

void TBasedxPrintStyle::SetIsCurrentStyle(bool Value)
{
    if (Value && m_styleManager && !ComponentState().Contains(csReading))
        m_styleManager->SetCurrentStyle(this);
}

void TBasedxPrintStyle::SetStyleCaption(const std::string& Value)
{
    if (m_styleCaption != Value)
        m_styleCaption = Value;
}

void TBasedxPrintStyle::SetStyleGlyph(TBitmap* Value)
{
    m_styleGlyph->Assign(Value);
}

void TBasedxPrintStyle::SetStyleManager(TdxPrintStyleManager* Value)
{
    if (m_styleManager == Value)
        return;
    if (m_styleManager)
        m_styleManager->RemoveStyle(this);
    m_styleManager = Value;
    if (m_styleManager)
        m_styleManager->InsertStyle(this);
}

TComponent* TBasedxPrintStyle::GetParentComponent() const
{
    return m_styleManager;
}

void TBasedxPrintStyle::SetParentComponent(TComponent* Value)
{
    SetStyleManager(dynamic_cast<TdxPrintStyleManager*>(Value));
}

void TBasedxPrintStyle::Assign(TPersistent* Source)
{
    auto* source = dynamic_cast<TBasedxPrintStyle*>(Source);
    if (!source) {
        TComponent::Assign(Source);
        return;
    }
    if (source == this)
        return;
    SetAllowChangeHFText(source->AllowChangeHFText());
    SetAllowChangeMargins(source->AllowChangeMargins());
    SetAllowChangeOrientation(source->AllowChangeOrientation());
    SetAllowChangePaper(source->AllowChangePaper());
    SetAllowChangeScale(source->AllowChangeScale());
    SetAllowCustomPaperSizes(source->AllowCustomPaperSizes());
    SetDescription(source->Description());
    SetImageIndex(source->ImageIndex());
    SetPrinterPage(source->PrinterPage());
    SetStyleGlyph(source->StyleGlyph());
    SetStyleCaption(source->StyleCaption());
}

void TBasedxPrintStyle::RestoreDefaults()
{
    m_printerPage->RestoreDefaults();
}

bool TBasedxPrintStyle::DoFilterPaper(TdxPaperInfo* Paper)
{
    bool accept = true;
    if (OnFilterPaper)
        OnFilterPaper(this, Paper, accept);
    // The style's own paper is always offered.
    return accept || (Paper && Paper->DMPaper() == m_printerPage->DMPaper());
}

void TBasedxPrintStyle::GetFilteredPapers(TStrings& Strings)
{
    TUpdateScope<TStrings> scope(Strings);
    TdxPrintDevice* device = dxPrintDevice();
    const int count = device->Papers()->Count();
    for (int i = 0; i < count; ++i) {
        TdxPaperInfo* paper = device->PaperInfo(i);
        if (!DoFilterPaper(paper))
            continue;
        if (paper->DMPaper() == DMPAPER_USER) {
            const TPoint size = m_printerPage->GetPageSizeLoMetric();
            paper->SetWidth(size.X);
            paper->SetHeight(size.Y);
        }
        Strings.AddObject(paper->Name(), paper);
    }
}

bool TBasedxPrintStyle::PageSetup(int ActivePageIndex, bool* PreviewBtnClicked, bool* PrintBtnClicked)
{
    const auto& runner = dxPrintStyleDialogRunners().PageSetup;
    if (!runner)
        return false;
    return runner(*this, m_styleManager ? m_styleManager->PageSetupDialog() : nullptr, ActivePageIndex,
                  PreviewBtnClicked, PrintBtnClicked);
}

bool TBasedxPrintStyle::HasStyleOptionsDlg() const
{
    const auto& has = dxPrintStyleDialogRunners().HasOptionsEditor;
    return has && dxPrintStyleDialogRunners().ShowOptionsEditor && has(ClassName());
}

bool TBasedxPrintStyle::ShowOptionsDlg()
{
    if (!HasStyleOptionsDlg())
        return false;
    std::unique_ptr<TComponent> component(TClassRegistry::Instance().Create(ClassName(), nullptr));
    auto* copy = dynamic_cast<TBasedxPrintStyle*>(component.get());
    if (!copy)
        return false;
    copy->Assign(this);
    bool modified = false;
    const bool ok = dxPrintStyleDialogRunners().ShowOptionsEditor(*copy, modified);
    if (ok && modified)
        Assign(copy);
    return ok;
}

void TBasedxPrintStyle::StyleChanged(TdxPageChangeKinds ChangedKinds)
{
    if (m_styleManager)
        m_styleManager->PageParamsChanged(this, ChangedKinds);
}

void TBasedxPrintStyle::Loaded()
{
    TComponent::Loaded();
    m_printerPage->Loaded();
}

// ----- manager --------------------------------------------------------------------------------------
TdxPrintStyleManager::TdxPrintStyleManager(TComponent* AOwner) : TComponent(AOwner)
{
    m_settingLink.Connect(Application().SettingChanges(), [this](TObject*) { SettingChanged(); });
}

TdxPrintStyleManager::~TdxPrintStyleManager()
{
    Destroying();
    if (m_autoSave)
        SaveToStorage();
    FreeStyles();
}

void TdxPrintStyleManager::SaveToStorage()
{
    // A manager that never finished loading (a reader's scratch copy) has nothing to save.
    if (m_saved || dxPSIsDesignTime() || IsLoading())
        return;
    m_saved = true;
    // Runs from destructors: a failure is reported, never raised.
    try {
        SaveToFile(m_storageName);
    } catch (const std::exception& E) {
        Application().HandleException(E);
    }
}

void TdxPrintStyleManager::SetImages(TImageList* Value)
{
    SetFreeNotified(m_images, Value);
}

void TdxPrintStyleManager::SetPageSetupDialog(TComponent* Value)
{
    SetFreeNotified(m_pageSetupDialog, Value);
}

void TdxPrintStyleManager::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == m_images)
        m_images = nullptr;
    if (AComponent == m_pageSetupDialog)
        m_pageSetupDialog = nullptr;
}

TBasedxPrintStyle* TdxPrintStyleManager::Styles(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return m_styles[static_cast<std::size_t>(Index)];
}

int TdxPrintStyleManager::IndexOfStyle(const TBasedxPrintStyle* Style) const
{
    for (std::size_t i = 0; i < m_styles.size(); ++i)
        if (m_styles[i] == Style)
            return static_cast<int>(i);
    return -1;
}

int TdxPrintStyleManager::CurrentStyleIndex() const
{
    return IndexOfStyle(m_currentStyle);
}

void TdxPrintStyleManager::SetCurrentStyleIndex(int Value)
{
    // An empty list has no style to make current (a file without styles).
    if (m_styles.empty())
        return;
    if (Value < 0)
        Value = 0;
    if (Value > Count() - 1)
        Value = Count() - 1;
    SetCurrentStyle(m_styles[static_cast<std::size_t>(Value)]);
}

void TdxPrintStyleManager::SetCurrentStyle(TBasedxPrintStyle* Value)
{
    if (Value == m_currentStyle || !Value || IndexOfStyle(Value) < 0)
        return;
    m_currentStyle = Value;
    PageParamsChanged(Value, dxAllPageChangeKinds);
    CurrentStyleChanged();
}

void TdxPrintStyleManager::BeginUpdate()
{
    ++m_updateCount;
}

void TdxPrintStyleManager::EndUpdate()
{
    if (m_updateCount == 0)
        return;
    if (--m_updateCount == 0) {
        StyleListChanged();
        CurrentStyleChanged();
    }
}

bool TdxPrintStyleManager::CanNotify() const
{
    return m_updateCount == 0 && !IsLoading() && !IsDestroying();
}

void TdxPrintStyleManager::StyleListChanged()
{
    if (!CanNotify())
        return;
    if (OnStyleListChanged)
        OnStyleListChanged(this);
    std::unique_ptr<TdxEvent> event = std::make_unique<TdxSMStyleListChangedEvent>(this);
    dxPSPublishEvent(event);
}

void TdxPrintStyleManager::CurrentStyleChanged()
{
    if (CanNotify() && OnChangeCurrentStyle)
        OnChangeCurrentStyle(this);
}

void TdxPrintStyleManager::PageParamsChanged(TBasedxPrintStyle* Style, TdxPageChangeKinds ChangedKinds)
{
    if (!CanNotify())
        return;
    std::unique_ptr<TdxEvent> event = std::make_unique<TdxSMPageParamsChangedEvent>(
        this, Style, static_cast<TdxPageParamsUpdateCodes>(ChangedKinds.ToBits()));
    dxPSPublishEvent(event);
}

void TdxPrintStyleManager::InsertStyle(TBasedxPrintStyle* Style)
{
    m_styles.push_back(Style);
    if (m_styles.size() == 1)
        SetCurrentStyle(Style);
    StyleListChanged();
}

void TdxPrintStyleManager::RemoveStyle(TBasedxPrintStyle* Style)
{
    const int index = IndexOfStyle(Style);
    if (index < 0)
        return;
    m_styles.erase(m_styles.begin() + index);
    if (m_currentStyle == Style) {
        m_currentStyle = nullptr;
        if (m_styles.empty())
            CurrentStyleChanged();
        else
            SetCurrentStyle(m_styles[static_cast<std::size_t>(Min(index, Count() - 1))]);
    }
    StyleListChanged();
}

void TdxPrintStyleManager::MoveStyle(TBasedxPrintStyle* Style, int NewIndex)
{
    const int index = IndexOfStyle(Style);
    if (index < 0)
        return;
    NewIndex = Max(0, Min(NewIndex, Count() - 1));
    if (NewIndex == index)
        return;
    m_styles.erase(m_styles.begin() + index);
    m_styles.insert(m_styles.begin() + NewIndex, Style);
    StyleListChanged();
}

void TdxPrintStyleManager::FreeStyles()
{
    while (!m_styles.empty())
        delete m_styles.back();
}

void TdxPrintStyleManager::Clear()
{
    TUpdateScope<TdxPrintStyleManager> scope(*this);
    FreeStyles();
}

void TdxPrintStyleManager::Delete(int Index)
{
    delete Styles(Index);
}

bool TdxPrintStyleManager::HasNonBuiltInStyles() const
{
    for (const TBasedxPrintStyle* style : m_styles)
        if (!style->BuiltInStyle())
            return true;
    return false;
}

void TdxPrintStyleManager::DeleteNonBuiltInStyles()
{
    TUpdateScope<TdxPrintStyleManager> scope(*this);
    for (int i = Count() - 1; i >= 0; --i)
        if (!m_styles[static_cast<std::size_t>(i)]->BuiltInStyle())
            delete m_styles[static_cast<std::size_t>(i)];
}

TBasedxPrintStyle* TdxPrintStyleManager::AddStyle(const std::string& StyleClassName)
{
    const std::string name = StyleClassName.empty() ? dxDefaultPrintStyleClass() : StyleClassName;
    if (!IsPrintStyleClass(name))
        return nullptr;
    std::unique_ptr<TComponent> component(TClassRegistry::Instance().Create(name, Owner()));
    auto* style = dynamic_cast<TBasedxPrintStyle*>(component.get());
    if (!style)
        return nullptr;
    component.release();
    style->SetStyleManager(this);
    return style;
}

TBasedxPrintStyle* TdxPrintStyleManager::BeginClone(int Index)
{
    if (Index < -1 || Index >= Count())
        return nullptr;
    TBasedxPrintStyle* source = Index >= 0 ? Styles(Index) : nullptr;
    const std::string cls = source ? std::string(source->ClassName()) : dxDefaultPrintStyleClass();
    BeginUpdate();
    TBasedxPrintStyle* style = nullptr;
    try {
        style = AddStyle(cls);
        if (style) {
            MoveStyle(style, Index + 1);
            style->m_beingCloned = true;
            if (source) {
                style->Assign(source);
                style->SetStyleCaption(UniqueCaption(source, style));
            }
        }
    } catch (...) {
        delete style;
        EndUpdate();
        throw;
    }
    if (!style)
        EndUpdate();
    return style;
}

void TdxPrintStyleManager::EndClone(TBasedxPrintStyle* Style)
{
    EndUpdate();
    if (Style)
        Style->m_beingCloned = false;
}

std::string TdxPrintStyleManager::UniqueCaption(const TBasedxPrintStyle* Source, const TBasedxPrintStyle* Clone) const
{
    auto isUnique = [this, Clone](const std::string& Caption) {
        for (const TBasedxPrintStyle* style : m_styles)
            if (style != Clone && style->StyleCaption() == Caption)
                return false;
        return true;
    };
    const std::string& caption = Source->StyleCaption();
    // First the prefix without its number place: "Copy of Standard".
    std::string candidate = m_cloneStyleCaptionPrefix + caption;
    for (const char* pattern : {"(%d) ", "(%d)", "%d ", "%d"}) {
        const std::size_t pos = candidate.find(pattern);
        if (pos != std::string::npos) {
            candidate.erase(pos, std::char_traits<char>::length(pattern));
            break;
        }
    }
    candidate = CutCaption(candidate);
    if (isUnique(candidate))
        return candidate;
    // Then numbered: "Copy (2) of Standard", ... Only the prefix's number
    // place is filled: a "%" in the caption is text.
    const std::string base = CutCaption(m_cloneStyleCaptionPrefix + caption);
    for (int n = 2;; ++n) {
        candidate = CutCaption(dxFormatCloneCaption(m_cloneStyleCaptionPrefix, n) + caption);
        if (candidate == base || isUnique(candidate) || n == std::numeric_limits<int>::max())
            return candidate;
    }
}

void TdxPrintStyleManager::DefinePrintStylesDlg(bool* PreviewBtnClicked, bool* PrintBtnClicked)
{
    if (PreviewBtnClicked)
        *PreviewBtnClicked = false;
    if (PrintBtnClicked)
        *PrintBtnClicked = false;
    if (const auto& runner = dxPrintStyleDialogRunners().DefinePrintStyles)
        runner(*this, m_title, m_helpContext, PreviewBtnClicked, PrintBtnClicked);
    // Announced after the current event, once the dialog's window is gone.
    PostCall(nullptr, [alive = std::weak_ptr<int>(m_alive), this] {
        if (alive.expired())
            return;
        StyleListChanged();
        CurrentStyleChanged();
    });
}

// ----- settings change ------------------------------------------------------------------------------
void TdxPrintStyleManager::SettingChanged()
{
    TdxPrinterPage::RebuildDefaultPage();
    for (TBasedxPrintStyle* style : m_styles)
        style->PrinterPage()->CheckLocaleUnits();
}

// ----- streaming ------------------------------------------------------------------------------------
void TdxPrintStyleManager::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* /*Root*/)
{
    for (TBasedxPrintStyle* style : m_styles)
        Proc(style);
}

void TdxPrintStyleManager::Loaded()
{
    TComponent::Loaded();
    if (m_autoSave && !dxPSIsDesignTime() && !m_streaming)
        LoadFromFile(m_storageName);
}

void TdxPrintStyleManager::SaveToStream(TStream& Stream)
{
    TValueRestorer<bool> streaming(m_streaming, true);
    Stream.WriteLE<std::int32_t>(m_version);
    Stream.WriteLE<std::int32_t>(CurrentStyleIndex());
    WriteComponent(Stream, this);
}

void TdxPrintStyleManager::TakeStylesFrom(TdxPrintStyleManager& Source)
{
    m_styles = std::exchange(Source.m_styles, {});
    Source.m_currentStyle = nullptr;
    // The styles belong to the manager's owner, as those it adds do; one
    // whose name the owner has already stays the manager's.
    TComponent* owner = Owner() ? Owner() : this;
    for (TBasedxPrintStyle* style : m_styles) {
        style->m_styleManager = this;
        const bool nameFree = style->Name().empty() || !owner->FindComponent(style->Name());
        (nameFree ? owner : this)->InsertComponent(style);
    }
}

void TdxPrintStyleManager::LoadFromStream(TStream& Stream)
{
    std::int32_t index = -1;
    std::unique_ptr<TdxPrintStyleManager> scratch;
    try {
        if (Stream.Remaining() < 4)
            throw EReadError("Stream-Read-Fehler");
        if (Stream.ReadLE<std::int32_t>() != m_version)
            return;
        if (Stream.Remaining() < 4)
            throw EReadError("Stream-Read-Fehler");
        index = Stream.ReadLE<std::int32_t>();
        // The file is read once, into a scratch manager: a damaged file never
        // touches these styles, and its pictures decode within one budget.
        // The scratch manager sits with the owner, so references to the
        // owner's components resolve.
        scratch = std::make_unique<TdxPrintStyleManager>(Owner());
        scratch->m_streaming = true;
        scratch->m_saved = true;   // whatever AutoSave it reads, it never writes
        TPictureDecodeBudget budget(MaxStyleFilePixels);
        TReadOptions once;
        once.NewTarget = true;
        ReadComponent(Stream, scratch.get(), nullptr, nullptr, once);
    } catch (const std::exception& E) {
        Application().HandleException(E);
        return;
    }

    // Then what was read moves in; nothing here reads or fails.
    TUpdateScope<TdxPrintStyleManager> update(*this);
    TValueRestorer<bool> streaming(m_streaming, true);
    FreeStyles();
    TakeStoredValues(this, scratch.get());
    TakeStylesFrom(*scratch);
    m_currentStyle = nullptr;
    SetCurrentStyleIndex(index);
}

void TdxPrintStyleManager::LoadFromFile(const std::string& FileName)
{
    if (FileName.empty())
        return;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(FileName, ec))
        return;
    std::unique_ptr<TFileStream> stream;
    try {
        stream = std::make_unique<TFileStream>(FileName, fmOpenRead | fmShareDenyWrite);
    } catch (const std::exception& E) {
        Application().HandleException(E);
        return;
    }
    LoadFromStream(*stream);
}

void TdxPrintStyleManager::SaveToFile(const std::string& FileName)
{
    if (!ValidateFileName(FileName))
        return;
    SafeWriteFile(FileName, [this](TStream& Stream) { SaveToStream(Stream); });
}

// ----- drawing -------------------------------------------------------------------------------------
namespace {
constexpr int StyleGlyphCellSize = 32;
constexpr int StyleTextIndent = 4;
constexpr int LatticeStepX = 15;
constexpr int LatticeStepY = 7;
} // namespace

void DrawPrintStyleListItem(TBasedxPrintStyle* Style, TCanvas& Canvas, const TRect& Rect, bool Selected,
                            bool BoldCurrent)
{
    Canvas.Brush()->SetColor(Selected ? clHighlight : clWindow);
    Canvas.FillRect(Rect);
    if (!Style)
        return;
    const TRect cell{Rect.Left, Rect.Top, Rect.Left + StyleGlyphCellSize, Rect.Top + StyleGlyphCellSize};
    TdxPrintStyleManager* manager = Style->StyleManager();
    TImageList* images = manager ? manager->Images() : nullptr;
    if (images && Style->ImageIndex() >= 0 && Style->ImageIndex() < images->Count()) {
        images->Draw(&Canvas, cell.Left + (StyleGlyphCellSize - images->Width()) / 2,
                     cell.Top + (StyleGlyphCellSize - images->Height()) / 2, Style->ImageIndex());
    } else if (!Style->StyleGlyph()->Empty()) {
        TBitmap* glyph = Style->StyleGlyph();
        glyph->SetTransparent(true);
        Canvas.Draw(cell.Left + (StyleGlyphCellSize - glyph->Width()) / 2,
                    cell.Top + (StyleGlyphCellSize - glyph->Height()) / 2, glyph);
    }
    TFontStyles fontStyle = Canvas.Font()->Style();
    if (BoldCurrent && Style->IsCurrentStyle())
        fontStyle.Include(fsBold);
    Canvas.Font()->SetStyle(fontStyle);
    if (Selected)
        Canvas.Font()->SetColor(clHighlightText);
    const int oldMode = Canvas.SetBkMode(TRANSPARENT);
    TRect text{cell.Right + StyleTextIndent, Rect.Top, Rect.Right, Rect.Bottom};
    const std::string& caption = Style->StyleCaption();
    if (Canvas.TextWidth(caption) <= text.Width())
        Canvas.DrawText(caption, text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    else
        Canvas.DrawText(caption, text, DT_WORDBREAK | DT_NOPREFIX);
    Canvas.SetBkMode(oldMode);
}

void DrawDefaultPreviewContent(TBasedxPrintStyle* Style, TCanvas& Canvas, const TRect& Rect)
{
    const int cellsX = (Rect.Width() - 1) / LatticeStepX;
    const int cellsY = (Rect.Height() - 1) / LatticeStepY;
    if (cellsX <= 0 || cellsY <= 0)
        return;
    const int width = cellsX * LatticeStepX + 1;
    const int height = cellsY * LatticeStepY + 1;
    TdxPrinterPage* page = Style ? Style->PrinterPage() : nullptr;
    const int left = Rect.Left + (page && page->CenterOnPageH() ? (Rect.Width() - width) / 2 : 0);
    const int top = Rect.Top + (page && page->CenterOnPageV() ? (Rect.Height() - height) / 2 : 0);
    Canvas.Brush()->SetColor(clBtnFace);
    for (int i = 0; i <= cellsX; ++i) {
        const TRect line{left + i * LatticeStepX, top, left + i * LatticeStepX + 1, top + height};
        if (Canvas.RectVisible(line))
            Canvas.FillRect(line);
    }
    for (int j = 0; j <= cellsY; ++j) {
        const TRect line{left, top + j * LatticeStepY, left + width, top + j * LatticeStepY + 1};
        if (Canvas.RectVisible(line))
            Canvas.FillRect(line);
    }
}

} // namespace qel
