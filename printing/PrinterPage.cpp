#include "printing/PrinterPage.h"

#include "platform/controls/Application.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/core/MathUtils.h"
#include "platform/core/PropertyRegistry.h"
#include "platform/core/Streaming.h"
#include "platform/core/Strings.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphics.h"
#include "printing/PaperTable.h"
#include "printing/detail/FontFiling.h"

#include <array>

namespace qel {

QEL_REGISTER_CLASS(TdxPointWrapper, TPersistent);
QEL_REGISTER_CLASS(TdxRectWrapper, TPersistent);
QEL_REGISTER_CLASS(TdxPrinterPageObject, TdxBaseObject);
QEL_REGISTER_CLASS(TCustomdxPageObject, TdxPrinterPageObject);
QEL_REGISTER_CLASS(TdxPageHeader, TCustomdxPageObject);
QEL_REGISTER_CLASS(TdxPageFooter, TCustomdxPageObject);
QEL_REGISTER_CLASS(TdxPrinterPage, TdxPrinterPageObject);

namespace {

int Clamp(int Value, int Lo, int Hi)
{
    if (Hi < Lo)
        return Value;
    if (Value < Lo)
        return Lo;
    if (Value > Hi)
        return Hi;
    return Value;
}

int InchesToMillimeters(int Value)
{
    return MulDiv(Value, 254, 10);
}

int MillimetersToInches(int Value)
{
    return MulDiv(Value, 10, 254);
}

TdxMeasurementUnits CheckedUnits(int Value, bool AllowDefault)
{
    if (Value < (AllowDefault ? muDefault : muInches) || Value > muMillimeters)
        throw EReadError("Invalid property value for MeasurementUnits");
    return static_cast<TdxMeasurementUnits>(Value);
}

const std::vector<std::string> g_alignYNames{"taTop", "taCenterY", "taBottom"};

const bool g_pageProperties = [] {
    TPropertyRegistrar<TdxPointWrapper>("TdxPointWrapper")
        .Integer("X", &TdxPointWrapper::X, &TdxPointWrapper::SetX, 0)
        .Integer("Y", &TdxPointWrapper::Y, &TdxPointWrapper::SetY, 0);
    // The sides, the header and the footer are always written: a new page's
    // margins and distances are not 0, so a 0 left out would read back as those.
    TPropertyRegistrar<TdxRectWrapper>("TdxRectWrapper")
        .Integer("Left", &TdxRectWrapper::Left, &TdxRectWrapper::SetLeft)
        .Integer("Top", &TdxRectWrapper::Top, &TdxRectWrapper::SetTop)
        .Integer("Right", &TdxRectWrapper::Right, &TdxRectWrapper::SetRight)
        .Integer("Bottom", &TdxRectWrapper::Bottom, &TdxRectWrapper::SetBottom);
    TPropertyRegistrar<TdxPrinterPageObject>("TdxPrinterPageObject")
        .Persistent("Background", &TdxPrinterPageObject::Background);
    TPropertyRegistrar<TCustomdxPageObject>("TCustomdxPageObject")
        .Enumeration("CenterTextAlignY", &TCustomdxPageObject::CenterTextAlignY,
                     &TCustomdxPageObject::SetCenterTextAlignY, g_alignYNames, taCenterY)
        .String("CenterTitle", [](const TCustomdxPageObject& O) { return O.CenterTitle()->Text(); },
                [](TCustomdxPageObject& O, const std::string& V) { O.CenterTitle()->SetText(V); })
        .Enumeration("LeftTextAlignY", &TCustomdxPageObject::LeftTextAlignY, &TCustomdxPageObject::SetLeftTextAlignY,
                     g_alignYNames, taCenterY)
        .String("LeftTitle", [](const TCustomdxPageObject& O) { return O.LeftTitle()->Text(); },
                [](TCustomdxPageObject& O, const std::string& V) { O.LeftTitle()->SetText(V); })
        .Enumeration("RightTextAlignY", &TCustomdxPageObject::RightTextAlignY,
                     &TCustomdxPageObject::SetRightTextAlignY, g_alignYNames, taCenterY)
        .String("RightTitle", [](const TCustomdxPageObject& O) { return O.RightTitle()->Text(); },
                [](TCustomdxPageObject& O, const std::string& V) { O.RightTitle()->SetText(V); })
        .DefineProperties([](TCustomdxPageObject& O, TFiler& F) { detail::DefineFontProperties(F, "Font", O.Font()); });
    TPropertyRegistrar<TdxPrinterPage>("TdxPrinterPage")
        .Boolean("CenterOnPageH", &TdxPrinterPage::CenterOnPageH, &TdxPrinterPage::SetCenterOnPageH, false)
        .Boolean("CenterOnPageV", &TdxPrinterPage::CenterOnPageV, &TdxPrinterPage::SetCenterOnPageV, false)
        .Integer("DMPaper", &TdxPrinterPage::DMPaper, &TdxPrinterPage::SetDMPaper, 1)
        .Integer("FitToPagesByTall", &TdxPrinterPage::FitToPagesByTall, &TdxPrinterPage::SetFitToPagesByTall, 1)
        .Integer("FitToPagesByWide", &TdxPrinterPage::FitToPagesByWide, &TdxPrinterPage::SetFitToPagesByWide, 1)
        .Integer("Footer", &TdxPrinterPage::Footer, &TdxPrinterPage::SetFooter)
        .Boolean("GrayShading", &TdxPrinterPage::GrayShading, &TdxPrinterPage::SetGrayShading, false)
        .Integer("Header", &TdxPrinterPage::Header, &TdxPrinterPage::SetHeader)
        .Persistent("Margins", &TdxPrinterPage::Margins)
        .Enumeration("MeasurementUnits", &TdxPrinterPage::MeasurementUnits, &TdxPrinterPage::SetMeasurementUnits,
                     {"muDefault", "muInches", "muMillimeters"}, muDefault)
        .Persistent("MinMargins", &TdxPrinterPage::MinMargins)
        .Enumeration("Orientation", &TdxPrinterPage::Orientation, &TdxPrinterPage::SetOrientation,
                     {"poPortrait", "poLandscape"}, poPortrait)
        .Persistent("PageFooter", &TdxPrinterPage::PageFooter)
        .Persistent("PageHeader", &TdxPrinterPage::PageHeader)
        .Enumeration("PageOrder", &TdxPrinterPage::PageOrder, &TdxPrinterPage::SetPageOrder,
                     {"poOverThenDown", "poDownThenOver"}, poOverThenDown)
        .Persistent("PageSize", &TdxPrinterPage::PageSize)
        .Integer("PaperSource", &TdxPrinterPage::PaperSource, &TdxPrinterPage::SetPaperSource, 7)
        .Boolean("ReverseTitlesOnEvenPages", &TdxPrinterPage::ReverseTitlesOnEvenPages,
                 &TdxPrinterPage::SetReverseTitlesOnEvenPages, false)
        .Integer("ScaleFactor", &TdxPrinterPage::ScaleFactor, &TdxPrinterPage::SetScaleFactor, 100)
        .Enumeration("ScaleMode", &TdxPrinterPage::ScaleMode, &TdxPrinterPage::SetScaleMode, {"smAdjust", "smFit"},
                     smAdjust)
        .DefineProperties([](TdxPrinterPage& P, TFiler& F) {
            F.DefineProperty(
                "_dxMeasurementUnits_", [&P](const Variant& V) { P.ReadMeasurementUnits(V.AsInteger()); },
                [&P] { return Variant(static_cast<std::int32_t>(P.MeasurementUnits())); }, true);
            F.DefineProperty(
                "_dxLastMU_", [&P](const Variant& V) { P.ReadLastMU(V.AsInteger()); },
                [&P] { return Variant(static_cast<std::int32_t>(P.LastMU())); }, true);
        });
    return true;
}();

std::unique_ptr<TdxPrinterPage>& DefaultPageHolder()
{
    static std::unique_ptr<TdxPrinterPage> page;
    return page;
}

} // namespace

TdxMeasurementUnits dxLocaleMeasurementUnits()
{
    return FormatSettings().MeasureMetric ? muMillimeters : muInches;
}

// ----- wrappers ------------------------------------------------------------------------------
void TdxPointWrapper::SetX(int Value)
{
    if (Value != m_point.X)
        Change({pwpX}, TPoint{Value, m_point.Y});
}

void TdxPointWrapper::SetY(int Value)
{
    if (Value != m_point.Y)
        Change({pwpY}, TPoint{m_point.X, Value});
}

void TdxPointWrapper::SetPoint(const TPoint& Value)
{
    if (!(Value == m_point))
        Change({pwpX, pwpY}, Value);
}

void TdxPointWrapper::Change(TdxPointWrapperParts Parts, TPoint NewValues)
{
    if (OnChanging)
        OnChanging(this, Parts, NewValues);
    if (m_hooks.Changing)
        m_hooks.Changing(Parts, NewValues);
    if (Parts.Contains(pwpX))
        m_point.X = NewValues.X;
    if (Parts.Contains(pwpY))
        m_point.Y = NewValues.Y;
    if (m_hooks.Changed)
        m_hooks.Changed(Parts);
    if (OnChange)
        OnChange(this, Parts);
}

void TdxPointWrapper::Assign(TPersistent* Source)
{
    if (!Source) {
        SetPoint(TPoint{0, 0});
        return;
    }
    if (auto* source = dynamic_cast<TdxPointWrapper*>(Source)) {
        SetPoint(source->m_point);
        return;
    }
    TPersistent::Assign(Source);
}

int TdxRectWrapper::Value(int Index) const
{
    switch (Index) {
    case 0: return m_rect.Left;
    case 1: return m_rect.Top;
    case 2: return m_rect.Right;
    case 3: return m_rect.Bottom;
    default: throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    }
}

namespace {
int& RectSide(TRect& R, int Index)
{
    switch (Index) {
    case 0: return R.Left;
    case 1: return R.Top;
    case 2: return R.Right;
    default: return R.Bottom;
    }
}
} // namespace

void TdxRectWrapper::SetValue(int Index, int Value)
{
    if (this->Value(Index) == Value)
        return;
    TRect r = m_rect;
    RectSide(r, Index) = Value;
    Change(TdxRectWrapperParts{static_cast<TdxRectWrapperPart>(Index)}, r);
}

void TdxRectWrapper::SetRect(const TRect& Value)
{
    if (Value.Left != m_rect.Left || Value.Top != m_rect.Top || Value.Right != m_rect.Right ||
        Value.Bottom != m_rect.Bottom)
        Change({rwpLeft, rwpTop, rwpRight, rwpBottom}, Value);
}

void TdxRectWrapper::Change(TdxRectWrapperParts Parts, TRect NewValues)
{
    if (OnChanging)
        OnChanging(this, Parts, NewValues);
    if (m_hooks.Changing)
        m_hooks.Changing(Parts, NewValues);
    for (int i = 0; i < 4; ++i)
        if (Parts.Contains(static_cast<TdxRectWrapperPart>(i)))
            RectSide(m_rect, i) = RectSide(NewValues, i);
    if (m_hooks.Changed)
        m_hooks.Changed(Parts);
    if (OnChange)
        OnChange(this, Parts);
}

void TdxRectWrapper::Assign(TPersistent* Source)
{
    if (!Source) {
        SetRect(TRect{0, 0, 0, 0});
        return;
    }
    if (auto* source = dynamic_cast<TdxRectWrapper*>(Source)) {
        SetRect(source->m_rect);
        return;
    }
    TPersistent::Assign(Source);
}

// ----- page objects --------------------------------------------------------------------------
TdxPrinterPageObject::TdxPrinterPageObject()
    : m_background(std::make_unique<TdxPageBackground>(
          this, [this](TdxPageBackground*, TdxBackgroundParams) { Changed(); }))
{
}

TdxPrinterPageObject::~TdxPrinterPageObject() = default;

void TdxPrinterPageObject::SetBackground(TdxBackground* Value)
{
    m_background->Assign(Value);
}

void TdxPrinterPageObject::DoAssign(TdxBaseObject* Source)
{
    TdxBaseObject::DoAssign(Source);
    if (auto* source = dynamic_cast<TdxPrinterPageObject*>(Source))
        m_background->Assign(source->m_background.get());
}

class TCustomdxPageObject::TOwnedStrings : public TStringList {
public:
    explicit TOwnedStrings(TCustomdxPageObject* Owner) : m_owner(Owner) {}

protected:
    void Changed() override
    {
        TStringList::Changed();
        if (UpdateCount() == 0)
            m_owner->Changed();
    }

private:
    TCustomdxPageObject* m_owner;
};

class TCustomdxPageObject::TOwnedFont : public TFont {
public:
    explicit TOwnedFont(TCustomdxPageObject* Owner) : m_owner(Owner) {}

protected:
    void Changed() override
    {
        TFont::Changed();
        if (m_owner)
            m_owner->Changed();
    }

private:
    friend class TCustomdxPageObject;
    TCustomdxPageObject* m_owner;
};

TCustomdxPageObject::TCustomdxPageObject(TdxPrinterPage* Page) : m_page(Page)
{
    for (auto& t : m_titles)
        t = std::make_unique<TOwnedStrings>(this);
    m_font = std::make_unique<TOwnedFont>(nullptr);
    m_font->SetName("Tahoma");
    m_font->m_owner = this;
}

TCustomdxPageObject::~TCustomdxPageObject()
{
    m_font->m_owner = nullptr;
}

TStrings* TCustomdxPageObject::LeftTitle() const
{
    return m_titles[0].get();
}

TStrings* TCustomdxPageObject::CenterTitle() const
{
    return m_titles[1].get();
}

TStrings* TCustomdxPageObject::RightTitle() const
{
    return m_titles[2].get();
}

void TCustomdxPageObject::SetLeftTitle(TStrings* Value)
{
    m_titles[0]->Assign(Value);
}

void TCustomdxPageObject::SetCenterTitle(TStrings* Value)
{
    m_titles[1]->Assign(Value);
}

void TCustomdxPageObject::SetRightTitle(TStrings* Value)
{
    m_titles[2]->Assign(Value);
}

TFont* TCustomdxPageObject::Font() const
{
    return m_font.get();
}

void TCustomdxPageObject::SetFont(TFont* Value)
{
    m_font->Assign(Value);
}

void TCustomdxPageObject::SetAlignY(int Index, TdxTextAlignY Value)
{
    if (m_alignY[Index] == Value)
        return;
    m_alignY[Index] = Value;
    Changed();
}

void TCustomdxPageObject::Changed()
{
    if (!IsLocked() && m_page)
        m_page->Changed();
}

void TCustomdxPageObject::LockUpdate(bool Locking)
{
    TdxPrinterPageObject::LockUpdate(Locking);
    if (!Locking)
        Changed();
}

void TCustomdxPageObject::DoAssign(TdxBaseObject* Source)
{
    TdxPrinterPageObject::DoAssign(Source);
    auto* source = dynamic_cast<TCustomdxPageObject*>(Source);
    if (!source)
        return;
    for (int i = 0; i < 3; ++i) {
        m_titles[i]->Assign(source->m_titles[i].get());
        m_alignY[i] = source->m_alignY[i];
    }
    m_font->Assign(source->m_font.get());
}

// ----- the page ------------------------------------------------------------------------------
TdxPrinterPage::TdxPrinterPage(TComponent* OwnerComponent) : m_ownerComponent(OwnerComponent)
{
    Init();
    RestoreDefaults();
}

TdxPrinterPage::TdxPrinterPage(TDefaultPageTag) : m_isDefaultPage(true)
{
    Init();
    SetDefaultValues();
}

TdxPrinterPage::~TdxPrinterPage() = default;

void TdxPrinterPage::Init()
{
    // The page keeps its lengths consistent through the wrappers' owner hooks.
    m_minMargins = std::make_unique<TdxRectWrapper>(TdxRectWrapper::TOwnerHooks{
        [this](TdxRectWrapperParts P, TRect& V) { MinMarginsChanging(P, V); },
        [this](TdxRectWrapperParts P) { MinMarginsChanged(P); }});
    m_margins = std::make_unique<TdxRectWrapper>(TdxRectWrapper::TOwnerHooks{
        [this](TdxRectWrapperParts P, TRect& V) { MarginsChanging(P, V); },
        [this](TdxRectWrapperParts P) { MarginsChanged(P); }});
    m_hfOffsets = std::make_unique<TdxRectWrapper>(TdxRectWrapper::TOwnerHooks{
        [this](TdxRectWrapperParts P, TRect& V) { HFChanging(P, V); }, [this](TdxRectWrapperParts P) { HFChanged(P); }});
    m_pageSize = std::make_unique<TdxPointWrapper>(TdxPointWrapper::TOwnerHooks{
        [this](TdxPointWrapperParts P, TPoint& V) { PageSizeChanging(P, V); },
        [this](TdxPointWrapperParts P) { PageSizeChanged(P); }});
    m_pageHeader = std::make_unique<TdxPageHeader>(this);
    m_pageFooter = std::make_unique<TdxPageFooter>(this);
    m_lastMU = GetRealMeasurementUnits();
    SetPageSizeFromPaper();
}

void TdxPrinterPage::SetDefaultValues()
{
    TUpdateScope<TdxBaseObject> scope(*this);
    TValueRestorer<bool> sizing(m_sizingFromPaper, true);
    m_measurementUnits = muDefault;
    m_lastMU = dxLocaleMeasurementUnits();
    m_orientation = poPortrait;
    m_dmPaper = 1;
    const bool inches = m_lastMU == muInches;
    TdxPapers& papers = dxPapers();
    const int row = papers.IndexOfDMPaper(1);
    const int w = row >= 0 ? papers.Items(row)->Width() : 2159;
    const int h = row >= 0 ? papers.Items(row)->Height() : 2794;
    m_pageSize->SetPoint(inches ? TPoint{MulDiv(w, 1000, 254), MulDiv(h, 1000, 254)} : TPoint{w * 100, h * 100});
    m_minMargins->SetRect(TRect{0, 0, 0, 0});
    const int margin = inches ? MillimetersToInches(12700) : 12700;
    const int distance = inches ? MillimetersToInches(6350) : 6350;
    m_margins->SetRect(TRect{margin, margin, margin, margin});
    m_hfOffsets->SetRect(TRect{0, distance, 0, distance});
}

TdxPrinterPage* TdxPrinterPage::DefaultPage()
{
    auto& page = DefaultPageHolder();
    if (!page)
        page.reset(new TdxPrinterPage(TDefaultPageTag{}));
    return page.get();
}

void TdxPrinterPage::RebuildDefaultPage()
{
    DefaultPage()->SetDefaultValues();
}

void TdxPrinterPage::RestoreDefaults()
{
    if (!m_isDefaultPage)
        Assign(DefaultPage());
}

bool TdxPrinterPage::IsOwnerLoading() const
{
    return m_streamLoading || (m_ownerComponent && m_ownerComponent->IsLoading());
}

// ----- setters -------------------------------------------------------------------------------
void TdxPrinterPage::SetScaleFactor(int Value)
{
    SetScaleValue(m_scaleFactor, Clamp(Value, 10, 500), smAdjust);
}

void TdxPrinterPage::SetFitToPagesByWide(int Value)
{
    SetScaleValue(m_fitToPagesByWide, Value, smFit);
}

void TdxPrinterPage::SetFitToPagesByTall(int Value)
{
    SetScaleValue(m_fitToPagesByTall, Value, smFit);
}

// Setting a value of a scale mode switches to that mode.
void TdxPrinterPage::SetScaleValue(int& Field, int Value, TdxScaleMode Mode)
{
    const bool changed = Value != Field;
    Field = Value;
    // As read: the stored ScaleMode decides the mode, whatever order the values come in.
    if (IsOwnerLoading())
        return;
    const bool modeChanged = m_scaleMode != Mode;
    m_scaleMode = Mode;
    if (changed || modeChanged)
        DoChange({ucScale});
}

void TdxPrinterPage::SetScaleMode(TdxScaleMode Value)
{
    if (m_scaleMode == Value)
        return;
    m_scaleMode = Value;
    if (!IsOwnerLoading())
        DoChange({ucScale});
}

void TdxPrinterPage::SetPaperSource(int Value)
{
    if (Value < 1)
        Value = 1;
    else if (Value >= 16 && Value <= 255)
        Value = 15;
    m_paperSource = Value;
}

void TdxPrinterPage::SetDMPaper(int Value)
{
    if (m_dmPaper == Value)
        return;
    m_dmPaper = Value;
    // While loading the stored page size stands; Loaded puts it in order.
    if (!IsOwnerLoading())
        SetPageSizeFromPaper();
}

void TdxPrinterPage::SetPageSizeFromPaper()
{
    int w = 0;
    int h = 0;
    TdxPapers& papers = dxPapers();
    const int row = papers.IndexOfDMPaper(m_dmPaper);
    if (row >= 0) {
        w = papers.Items(row)->Width();
        h = papers.Items(row)->Height();
    } else if (dxIsPrinterInstalled()) {
        TdxPrintDevice* device = dxPrintDevice();
        const int index = device->IndexOfPaper(m_dmPaper);
        if (index >= 0) {
            w = device->PaperInfo(index)->Width();
            h = device->PaperInfo(index)->Height();
        }
    }
    if (w <= 0 || h <= 0)
        return;
    const TPoint size = m_lastMU == muInches ? TPoint{MulDiv(w, 1000, 254), MulDiv(h, 1000, 254)}
                                             : TPoint{w * 100, h * 100};
    TValueRestorer<bool> sizing(m_sizingFromPaper, true);
    m_pageSize->SetPoint(size);
}

void TdxPrinterPage::SetOrientation(TdxPrinterOrientation Value)
{
    if (m_orientation == Value)
        return;
    m_orientation = Value;
    if (IsOwnerLoading() || m_assigning)
        return;
    TUpdateScope<TdxBaseObject> scope(*this);
    auto rotate = [Value](const TRect& R) {
        return Value == poLandscape ? TRect{R.Bottom, R.Left, R.Top, R.Right} : TRect{R.Top, R.Right, R.Bottom, R.Left};
    };
    m_minMargins->SetRect(rotate(m_minMargins->Rect()));
    m_margins->SetRect(rotate(m_margins->Rect()));
    FixMarginsAndDistances();
}

void TdxPrinterPage::SetMeasurementUnits(TdxMeasurementUnits Value)
{
    if (m_measurementUnits == Value)
        return;
    m_measurementUnits = Value;
    // While loading the values stay in the unit they were stored in (LastMU).
    if (IsOwnerLoading())
        return;
    const TdxMeasurementUnits real = GetRealMeasurementUnits();
    if (real == m_lastMU)
        return;
    const TdxMeasurementUnits from = m_lastMU;
    m_lastMU = real;
    TUpdateScope<TdxBaseObject> scope(*this);
    ConvertLengths(from, real);
}

void TdxPrinterPage::ReadMeasurementUnits(int Value)
{
    m_measurementUnits = CheckedUnits(Value, true);
}

void TdxPrinterPage::ReadLastMU(int Value)
{
    m_lastMU = CheckedUnits(Value, false);
}

TdxMeasurementUnits TdxPrinterPage::GetRealMeasurementUnits() const
{
    return m_measurementUnits != muDefault ? m_measurementUnits : dxLocaleMeasurementUnits();
}

void TdxPrinterPage::CheckLocaleUnits()
{
    if (m_measurementUnits != muDefault)
        return;
    const TdxMeasurementUnits locale = dxLocaleMeasurementUnits();
    if (locale == m_lastMU)
        return;
    const TdxMeasurementUnits from = m_lastMU;
    m_lastMU = locale;
    TUpdateScope<TdxBaseObject> scope(*this);
    ConvertLengths(from, locale);
}

void TdxPrinterPage::ConvertLengths(TdxMeasurementUnits From, TdxMeasurementUnits To)
{
    if (From == To)
        return;
    auto conv = To == muMillimeters ? InchesToMillimeters : MillimetersToInches;
    auto convRect = [conv](const TRect& R) { return TRect{conv(R.Left), conv(R.Top), conv(R.Right), conv(R.Bottom)}; };
    m_minMargins->SetRect(convRect(m_minMargins->Rect()));
    m_hfOffsets->SetRect(convRect(m_hfOffsets->Rect()));
    m_margins->SetRect(convRect(m_margins->Rect()));
    const TPoint size = m_pageSize->Point();
    m_pageSize->SetPoint(TPoint{conv(size.X), conv(size.Y)});
}

int TdxPrinterPage::GetHFOffset(int Index) const
{
    return m_hfOffsets->Value(Index);
}

void TdxPrinterPage::SetHFOffset(int Index, int Value)
{
    m_hfOffsets->SetValue(Index, Value < 0 ? 0 : Value);
}

// ----- loading -------------------------------------------------------------------------------
void TdxPrinterPage::BeginLoading()
{
    m_streamLoading = true;
}

void TdxPrinterPage::EndLoading()
{
    m_streamLoading = false;
    Loaded();
}

void TdxPrinterPage::Loaded()
{
    if (IsOwnerLoading())
        return;
    // The bracket's end clamps the values and announces them.
    TUpdateScope<TdxBaseObject> scope(*this);
    const TdxMeasurementUnits real = GetRealMeasurementUnits();
    if (real != m_lastMU) {
        const TdxMeasurementUnits from = m_lastMU;
        m_lastMU = real;
        ConvertLengths(from, real);
    }
}

// ----- notification --------------------------------------------------------------------------
void TdxPrinterPage::DoChange(TdxPageChangeKinds ChangedKinds)
{
    if (IsLocked())
        return;
    if (!(ChangedKinds - TdxPageChangeKinds{ucScale}).Empty() && OnChange)
        OnChange(this);
}

void TdxPrinterPage::LockUpdate(bool Locking)
{
    if (!Locking) {
        // Values written inside the bracket were not checked: check them all
        // once, over the final values. While the owner loads, Loaded does it.
        if (!IsOwnerLoading())
            ClampAll();
        DoChange(dxAllPageChangeKinds);
        if (OnUpdate)
            OnUpdate(this);
    }
    TdxBaseObject::LockUpdate(Locking);
}

void TdxPrinterPage::Changed()
{
    if (!IsLocked() && OnUpdate)
        OnUpdate(this);
}

// ----- consistency ---------------------------------------------------------------------------
TPoint TdxPrinterPage::GetRealPageSize() const
{
    const TPoint size = m_pageSize->Point();
    return m_orientation == poLandscape ? TPoint{size.Y, size.X} : size;
}

void TdxPrinterPage::SetRealPageSize(const TPoint& Value)
{
    m_pageSize->SetPoint(m_orientation == poLandscape ? TPoint{Value.Y, Value.X} : Value);
}

int TdxPrinterPage::GetMinUsefulSize() const
{
    return m_lastMU == muInches ? MillimetersToInches(50000) : 50000;
}

int TdxPrinterPage::ValidPageWidth() const
{
    return GetRealPageSize().X - GetMinUsefulSize();
}

int TdxPrinterPage::ValidPageHeight() const
{
    return GetRealPageSize().Y - GetMinUsefulSize();
}

void TdxPrinterPage::FixMinMargins()
{
    const int vpw = ValidPageWidth();
    const int vph = ValidPageHeight();
    m_minMargins->SetLeft(Clamp(m_minMargins->Left(), 0, vpw));
    m_minMargins->SetRight(vpw == 0 ? 0 : Clamp(m_minMargins->Right(), 0, vpw - m_minMargins->Left()));
    m_minMargins->SetTop(Clamp(m_minMargins->Top(), 0, vph));
    m_minMargins->SetBottom(vph == 0 ? 0 : Clamp(m_minMargins->Bottom(), 0, vph - m_minMargins->Top()));
}

void TdxPrinterPage::FixMarginsAndDistances()
{
    const int vpw = ValidPageWidth();
    const int vph = ValidPageHeight();
    SetHeader(Clamp(Header(), m_minMargins->Top(), vph - m_minMargins->Bottom()));
    SetFooter(Clamp(Footer(), m_minMargins->Bottom(), vph - Header()));
    m_margins->SetLeft(Clamp(m_margins->Left(), m_minMargins->Left(), vpw - m_minMargins->Right()));
    m_margins->SetRight(Clamp(m_margins->Right(), m_minMargins->Right(), vpw - m_margins->Left()));
    m_margins->SetTop(Clamp(m_margins->Top(), Header(), vph - Footer()));
    m_margins->SetBottom(Clamp(m_margins->Bottom(), Footer(), vph - Header()));
}

void TdxPrinterPage::ClampAll()
{
    TValueRestorer<bool> clamping(m_clamping, true);
    const int minSize = GetMinUsefulSize();
    const TPoint size = m_pageSize->Point();
    m_pageSize->SetPoint(TPoint{Max(size.X, minSize), Max(size.Y, minSize)});
    FixMinMargins();
    FixMarginsAndDistances();
}

void TdxPrinterPage::MinMarginsChanging(TdxRectWrapperParts Parts, TRect& NewValues)
{
    if (HandlersSuppressed() || IsOwnerLoading())
        return;
    const int vpw = ValidPageWidth();
    const int vph = ValidPageHeight();
    if (Parts.Contains(rwpLeft))
        NewValues.Left = Clamp(NewValues.Left, 0, vpw - NewValues.Right);
    if (Parts.Contains(rwpTop))
        NewValues.Top = Clamp(NewValues.Top, 0, vph - NewValues.Bottom);
    if (Parts.Contains(rwpRight))
        NewValues.Right = Clamp(NewValues.Right, 0, vpw - NewValues.Left);
    if (Parts.Contains(rwpBottom))
        NewValues.Bottom = Clamp(NewValues.Bottom, 0, vph - NewValues.Top);
}

void TdxPrinterPage::MinMarginsChanged(TdxRectWrapperParts Parts)
{
    if (HandlersSuppressed() || IsOwnerLoading())
        return;
    const TdxRectWrapper& mm = *m_minMargins;
    TdxRectWrapper& m = *m_margins;
    if (Parts.Contains(rwpLeft)) {
        m.SetLeft(Clamp(m.Left(), mm.Left(), ValidPageWidth()));
        m.SetRight(Clamp(m.Right(), mm.Right(), ValidPageWidth() - m.Left()));
    }
    if (Parts.Contains(rwpRight)) {
        m.SetRight(Clamp(m.Right(), mm.Right(), ValidPageWidth()));
        m.SetLeft(Clamp(m.Left(), mm.Left(), ValidPageWidth() - m.Right()));
    }
    if (Parts.Contains(rwpTop)) {
        SetHeader(Clamp(Header(), mm.Top(), ValidPageHeight()));
        SetFooter(Clamp(Footer(), mm.Bottom(), ValidPageHeight() - Header()));
        m.SetTop(Clamp(m.Top(), Header(), ValidPageHeight() - Footer()));
        m.SetBottom(Clamp(m.Bottom(), Footer(), ValidPageHeight() - Header()));
    }
    if (Parts.Contains(rwpBottom)) {
        SetFooter(Clamp(Footer(), mm.Bottom(), ValidPageHeight()));
        SetHeader(Clamp(Header(), mm.Top(), ValidPageHeight() - Footer()));
        m.SetBottom(Clamp(m.Bottom(), Footer(), ValidPageHeight() - Header()));
        m.SetTop(Clamp(m.Top(), Header(), ValidPageHeight() - Footer()));
    }
}

void TdxPrinterPage::MarginsChanging(TdxRectWrapperParts Parts, TRect& NewValues)
{
    if (HandlersSuppressed() || IsOwnerLoading())
        return;
    const int vpw = ValidPageWidth();
    const int vph = ValidPageHeight();
    if (Parts.Contains(rwpLeft))
        NewValues.Left = Clamp(NewValues.Left, m_minMargins->Left(), vpw - NewValues.Right);
    if (Parts.Contains(rwpTop))
        NewValues.Top = Clamp(NewValues.Top, Header(), vph - NewValues.Bottom);
    if (Parts.Contains(rwpRight))
        NewValues.Right = Clamp(NewValues.Right, m_minMargins->Right(), vpw - NewValues.Left);
    if (Parts.Contains(rwpBottom))
        NewValues.Bottom = Clamp(NewValues.Bottom, Footer(), vph - NewValues.Top);
}

void TdxPrinterPage::MarginsChanged(TdxRectWrapperParts Parts)
{
    if (HandlersSuppressed() || IsOwnerLoading())
        return;
    // The sides are the change kinds 0 .. 3.
    DoChange(TdxPageChangeKinds::FromBits(Parts.ToBits()));
}

void TdxPrinterPage::HFChanging(TdxRectWrapperParts Parts, TRect& NewValues)
{
    // Also skipped while loading: a distance read before the margins must
    // not be cut against margins that are not read yet.
    if (HandlersSuppressed() || IsOwnerLoading())
        return;
    if (Parts.Contains(rwpTop))
        NewValues.Top = Clamp(NewValues.Top, m_minMargins->Top(), ValidPageHeight() - m_margins->Bottom());
    if (Parts.Contains(rwpBottom))
        NewValues.Bottom = Clamp(NewValues.Bottom, m_minMargins->Bottom(), ValidPageHeight() - m_margins->Top());
}

void TdxPrinterPage::HFChanged(TdxRectWrapperParts /*Parts*/)
{
    if (HandlersSuppressed() || IsOwnerLoading())
        return;
    TUpdateScope<TdxBaseObject> scope(*this);
    FixMarginsAndDistances();
}

void TdxPrinterPage::PageSizeChanging(TdxPointWrapperParts Parts, TPoint& NewValues)
{
    if (IsOwnerLoading())
        return;
    const int minSize = GetMinUsefulSize();
    if (Parts.Contains(pwpX))
        NewValues.X = Max(NewValues.X, minSize);
    if (Parts.Contains(pwpY))
        NewValues.Y = Max(NewValues.Y, minSize);
}

void TdxPrinterPage::PageSizeChanged(TdxPointWrapperParts /*Parts*/)
{
    if (HandlersSuppressed() || IsOwnerLoading())
        return;
    TUpdateScope<TdxBaseObject> scope(*this);
    FixMinMargins();
    FixMarginsAndDistances();
    if (!m_sizingFromPaper) {
        const TPoint lo = GetPageSizeLoMetric();
        TdxPapers& papers = dxPapers();
        const int row = papers.IndexOfSize(lo.X, lo.Y);
        m_dmPaper = row >= 0 ? papers.Items(row)->DMPaper() : DMPAPER_USER;
    }
}

// ----- geometry ------------------------------------------------------------------------------
int TdxPrinterPage::ToLoMetric(int Value) const
{
    if (m_lastMU == muInches)
        Value = InchesToMillimeters(Value);
    return MulDiv(Value, 1, 100);
}

TPoint TdxPrinterPage::GetPageSizeLoMetric() const
{
    return TPoint{ToLoMetric(m_pageSize->X()), ToLoMetric(m_pageSize->Y())};
}

TPoint TdxPrinterPage::RealPageSizeLoMetric() const
{
    const TPoint size = GetRealPageSize();
    return TPoint{ToLoMetric(size.X), ToLoMetric(size.Y)};
}

TRect TdxPrinterPage::GetMarginsLoMetric() const
{
    const TRect& m = m_margins->Rect();
    return TRect{ToLoMetric(m.Left), ToLoMetric(m.Top), ToLoMetric(m.Right), ToLoMetric(m.Bottom)};
}

TRect TdxPrinterPage::GetMinMarginsLoMetric() const
{
    const TRect& m = m_minMargins->Rect();
    return TRect{ToLoMetric(m.Left), ToLoMetric(m.Top), ToLoMetric(m.Right), ToLoMetric(m.Bottom)};
}

int TdxPrinterPage::GetHeaderLoMetric() const
{
    return ToLoMetric(Header());
}

int TdxPrinterPage::GetFooterLoMetric() const
{
    return ToLoMetric(Footer());
}

TRect TdxPrinterPage::HeaderRect() const
{
    const TPoint size = GetRealPageSize();
    return TRect{m_margins->Left(), Header(), size.X - m_margins->Right(), m_margins->Top()};
}

TRect TdxPrinterPage::FooterRect() const
{
    const TPoint size = GetRealPageSize();
    return TRect{m_margins->Left(), size.Y - m_margins->Bottom(), size.X - m_margins->Right(), size.Y - Footer()};
}

TRect TdxPrinterPage::HeaderRectLoMetric() const
{
    const TRect r = HeaderRect();
    return TRect{ToLoMetric(r.Left), ToLoMetric(r.Top), ToLoMetric(r.Right), ToLoMetric(r.Bottom)};
}

TRect TdxPrinterPage::FooterRectLoMetric() const
{
    const TRect r = FooterRect();
    return TRect{ToLoMetric(r.Left), ToLoMetric(r.Top), ToLoMetric(r.Right), ToLoMetric(r.Bottom)};
}

TRect TdxPrinterPage::PageContentRectLoMetric() const
{
    const TPoint size = RealPageSizeLoMetric();
    const TRect m = GetMarginsLoMetric();
    return TRect{m.Left, m.Top, size.X - m.Right, size.Y - m.Bottom};
}

TRect TdxPrinterPage::PageContentRectPixels() const
{
    const TRect r = PageContentRectLoMetric();
    const int ppi = Screen().PixelsPerInch();
    return TRect{MulDiv(r.Left, ppi, 254), MulDiv(r.Top, ppi, 254), MulDiv(r.Right, ppi, 254),
                 MulDiv(r.Bottom, ppi, 254)};
}

// ----- printer -------------------------------------------------------------------------------
void TdxPrinterPage::GetPrinterMinMargins(int& Left, int& Right, int& Bottom, int& Top) const
{
    Left = Right = Bottom = Top = 0;
    if (!dxIsPrinterInstalled())
        return;
    TdxPrintDevice* device = dxPrintDevice();
    const int ppiX = device->GetDeviceCaps(LOGPIXELSX);
    const int ppiY = device->GetDeviceCaps(LOGPIXELSY);
    int x = ppiX > 0 ? MulDiv(device->GetPhysicalOffset(0), 1000, ppiX) : 0;
    int y = ppiY > 0 ? MulDiv(device->GetPhysicalOffset(1), 1000, ppiY) : 0;
    if (m_lastMU == muMillimeters) {
        x = InchesToMillimeters(x);
        y = InchesToMillimeters(y);
    }
    Left = Max(x, m_minMargins->Left());
    Right = Max(x, m_minMargins->Right());
    Top = Max(y, m_minMargins->Top());
    Bottom = Max(y, m_minMargins->Bottom());
}

bool TdxPrinterPage::ValidateMargins() const
{
    if (!dxIsPrinterInstalled())
        return true;
    TdxPrintDevice* device = dxPrintDevice();
    const int ppiX = device->GetDeviceCaps(LOGPIXELSX);
    const int ppiY = device->GetDeviceCaps(LOGPIXELSY);
    const int x = ppiX > 0 ? MulDiv(device->GetPhysicalOffset(0), 254, ppiX) : 0;
    const int y = ppiY > 0 ? MulDiv(device->GetPhysicalOffset(1), 254, ppiY) : 0;
    const TRect m = GetMarginsLoMetric();
    return !(m.Left < x || m.Right < x || m.Top < y || m.Bottom < y);
}

void TdxPrinterPage::ApplyToPrintDevice()
{
    TdxPrintDevice* device = dxPrintDevice();
    device->SetColor(m_grayShading ? 0 : 1);
    device->SetOrientation(m_orientation);
    device->SetPaperByCode(m_dmPaper);
    if (m_dmPaper >= DMPAPER_USER) {
        const int index = device->CurrentPaperIndex();
        if (index >= 0) {
            const TPoint size = GetPageSizeLoMetric();
            device->PaperInfo(index)->SetWidth(size.X);
            device->PaperInfo(index)->SetHeight(size.Y);
        }
    }
    device->SetBinByCode(m_paperSource);
}

// ----- assignment ----------------------------------------------------------------------------
void TdxPrinterPage::DoAssign(TdxBaseObject* Source)
{
    TdxPrinterPageObject::DoAssign(Source);
    auto* source = dynamic_cast<TdxPrinterPage*>(Source);
    if (!source)
        return;
    TValueRestorer<bool> assigning(m_assigning, true);
    m_centerOnPageH = source->m_centerOnPageH;
    m_centerOnPageV = source->m_centerOnPageV;
    SetDMPaper(source->m_dmPaper);
    m_grayShading = source->m_grayShading;
    SetMeasurementUnits(source->m_measurementUnits);
    // The source keeps its lengths in its own unit: bring them into this page's.
    const TdxMeasurementUnits from = source->m_lastMU;
    const TdxMeasurementUnits to = m_lastMU;
    auto len = [from, to](int Value) {
        if (from == to)
            return Value;
        return to == muMillimeters ? InchesToMillimeters(Value) : MillimetersToInches(Value);
    };
    auto lenRect = [&len](const TRect& R) { return TRect{len(R.Left), len(R.Top), len(R.Right), len(R.Bottom)}; };
    m_minMargins->SetRect(lenRect(source->m_minMargins->Rect()));
    m_margins->SetRect(lenRect(source->m_margins->Rect()));
    SetHeader(len(source->Header()));
    SetFooter(len(source->Footer()));
    if (source->m_dmPaper >= DMPAPER_USER) {
        const TPoint size = source->m_pageSize->Point();
        m_pageSize->SetPoint(TPoint{len(size.X), len(size.Y)});
    }
    SetOrientation(source->m_orientation);
    m_pageHeader->Assign(source->m_pageHeader.get());
    m_pageFooter->Assign(source->m_pageFooter.get());
    m_pageOrder = source->m_pageOrder;
    SetPaperSource(source->m_paperSource);
    m_reverseTitlesOnEvenPages = source->m_reverseTitlesOnEvenPages;
    SetScaleMode(source->m_scaleMode);
    if (source->m_scaleMode == smFit) {
        SetScaleFactor(source->m_scaleFactor);
        SetFitToPagesByWide(source->m_fitToPagesByWide);
        SetFitToPagesByTall(source->m_fitToPagesByTall);
    } else {
        SetFitToPagesByWide(source->m_fitToPagesByWide);
        SetFitToPagesByTall(source->m_fitToPagesByTall);
        SetScaleFactor(source->m_scaleFactor);
    }
    // While loading the setters keep the mode; the source's mode is the one to end with.
    m_scaleMode = source->m_scaleMode;
}

bool TdxPrinterPage::IsCompatibleWith(const TdxBaseObject* Source) const
{
    if (!TdxPrinterPageObject::IsCompatibleWith(Source))
        return false;
    auto* s = dynamic_cast<const TdxPrinterPage*>(Source);
    if (!s)
        return false;
    auto sameRect = [](const TRect& A, const TRect& B) {
        return A.Left == B.Left && A.Top == B.Top && A.Right == B.Right && A.Bottom == B.Bottom;
    };
    return Background()->IsCompatibleWith(s->Background()) && m_centerOnPageH == s->m_centerOnPageH &&
           m_centerOnPageV == s->m_centerOnPageV && m_pageOrder == s->m_pageOrder &&
           m_grayShading == s->m_grayShading && m_scaleFactor == s->m_scaleFactor &&
           m_reverseTitlesOnEvenPages == s->m_reverseTitlesOnEvenPages &&
           sameRect(m_margins->Rect(), s->m_margins->Rect()) &&
           sameRect(m_minMargins->Rect(), s->m_minMargins->Rect()) && m_pageSize->Point() == s->m_pageSize->Point() &&
           m_measurementUnits == s->m_measurementUnits && m_orientation == s->m_orientation &&
           m_dmPaper == s->m_dmPaper && m_paperSource == s->m_paperSource &&
           std::string(m_pageHeader->ClassName()) == s->m_pageHeader->ClassName() &&
           std::string(m_pageFooter->ClassName()) == s->m_pageFooter->ClassName() &&
           sameRect(m_hfOffsets->Rect(), s->m_hfOffsets->Rect());
}

} // namespace qel
