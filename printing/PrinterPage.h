#pragma once
// TdxPrinterPage: the page settings of one print style or report link —
// paper, orientation, margins, the printer's minimum margins, header and
// footer distances, the page header and footer texts, the page background,
// scaling, page order and paper source. All lengths are integers in
// thousandths of the page's real unit (inch or millimetre). The page keeps
// the values consistent with each other after every change, answers the
// page geometry in tenths of a millimetre and in screen pixels, and writes
// its settings into the printer device before printing.
//
//   TdxPrinterPage page;                    // a copy of the default page
//   page.BeginUpdate();
//   page.Margins()->SetLeft(20000);         // inside a bracket nothing is checked ...
//   page.SetOrientation(poLandscape);
//   page.EndUpdate();                       // ... the end clamps once, then announces
//
// Loading: while the owner component is being read (or the page itself is
// read from a stream), lengths, the unit setting, the paper code and the
// scaling are stored as read; the owner calls Loaded() afterwards, which
// converts the lengths into the real unit once and clamps them, so the
// result does not depend on the order of the stored properties.
#include "platform/core/Component.h"
#include "platform/core/TSet.h"
#include "platform/graphics/Geometry.h"
#include "printing/Background.h"
#include "printing/BaseObject.h"
#include "printing/PrintDevice.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace qel {

class TFont;
class TStrings;
class TdxPrinterPage;

enum TdxMeasurementUnits : std::uint8_t { muDefault, muInches, muMillimeters };
enum TdxPageOrder : std::uint8_t { poOverThenDown, poDownThenOver };
enum TdxScaleMode : std::uint8_t { smAdjust, smFit };
enum TdxTextAlignY : std::uint8_t { taTop, taCenterY, taBottom };

// What changed on a page (kinds 0 .. 6): the four margins, the header and
// footer distances, and scaling (scale factor or fit-to-pages counts).
enum TdxPageChangeKind : std::uint8_t {
    ucMarginLeft, ucMarginTop, ucMarginRight, ucMarginBottom, ucMarginHeader, ucMarginFooter, ucScale
};
using TdxPageChangeKinds = TSet<TdxPageChangeKind>;
inline constexpr TdxPageChangeKinds dxAllPageChangeKinds{ucMarginLeft,   ucMarginTop,    ucMarginRight, ucMarginBottom,
                                                         ucMarginHeader, ucMarginFooter, ucScale};

// ----- point and rectangle wrappers ------------------------------------------------------
enum TdxPointWrapperPart : std::uint8_t { pwpX, pwpY };
using TdxPointWrapperParts = TSet<TdxPointWrapperPart>;

class TdxPointWrapper : public TPersistent {
    QEL_CLASS(TdxPointWrapper)
public:
    using TChangingEvent = std::function<void(TObject* Sender, TdxPointWrapperParts ChangedParts, TPoint& NewValues)>;
    using TChangeEvent = std::function<void(TObject* Sender, TdxPointWrapperParts ChangedParts)>;

    // The owner's hooks: Changing may hold the new values within its limits;
    // they run around the users' events (which stay free for users), so a
    // user's handler never cuts the owner off.
    struct TOwnerHooks {
        std::function<void(TdxPointWrapperParts ChangedParts, TPoint& NewValues)> Changing;
        std::function<void(TdxPointWrapperParts ChangedParts)> Changed;
    };

    TdxPointWrapper(int AX = 0, int AY = 0) : m_point{AX, AY} {}
    explicit TdxPointWrapper(TOwnerHooks Hooks) : m_hooks(std::move(Hooks)) {}

    int X() const { return m_point.X; }
    void SetX(int Value);
    int Y() const { return m_point.Y; }
    void SetY(int Value);
    TPoint Point() const { return m_point; }
    void SetPoint(const TPoint& Value);
    // From another point wrapper (all parts at once); nullptr sets both to 0.
    void Assign(TPersistent* Source) override;

    // The handler may change the new values.
    TChangingEvent OnChanging;
    TChangeEvent OnChange;

private:
    void Change(TdxPointWrapperParts Parts, TPoint NewValues);
    TPoint m_point;
    TOwnerHooks m_hooks;
};

enum TdxRectWrapperPart : std::uint8_t { rwpLeft, rwpTop, rwpRight, rwpBottom };
using TdxRectWrapperParts = TSet<TdxRectWrapperPart>;

class TdxRectWrapper : public TPersistent {
    QEL_CLASS(TdxRectWrapper)
public:
    using TChangingEvent = std::function<void(TObject* Sender, TdxRectWrapperParts ChangedParts, TRect& NewValues)>;
    using TChangeEvent = std::function<void(TObject* Sender, TdxRectWrapperParts ChangedParts)>;

    // The owner's hooks, as for the point wrapper.
    struct TOwnerHooks {
        std::function<void(TdxRectWrapperParts ChangedParts, TRect& NewValues)> Changing;
        std::function<void(TdxRectWrapperParts ChangedParts)> Changed;
    };

    TdxRectWrapper(int ALeft = 0, int ATop = 0, int ARight = 0, int ABottom = 0) : m_rect{ALeft, ATop, ARight, ABottom} {}
    explicit TdxRectWrapper(TOwnerHooks Hooks) : m_rect{0, 0, 0, 0}, m_hooks(std::move(Hooks)) {}

    int Left() const { return m_rect.Left; }
    void SetLeft(int Value) { SetValue(0, Value); }
    int Top() const { return m_rect.Top; }
    void SetTop(int Value) { SetValue(1, Value); }
    int Right() const { return m_rect.Right; }
    void SetRight(int Value) { SetValue(2, Value); }
    int Bottom() const { return m_rect.Bottom; }
    void SetBottom(int Value) { SetValue(3, Value); }
    // 0 Left, 1 Top, 2 Right, 3 Bottom.
    int Value(int Index) const;
    void SetValue(int Index, int Value);
    TRect Rect() const { return m_rect; }
    void SetRect(const TRect& Value);
    void Assign(TPersistent* Source) override;

    TChangingEvent OnChanging;
    TChangeEvent OnChange;

private:
    void Change(TdxRectWrapperParts Parts, TRect NewValues);
    TRect m_rect;
    TOwnerHooks m_hooks;
};

// ----- page objects --------------------------------------------------------------------
// A part of a page with a background; its changes feed its owner's change notification.
class TdxPrinterPageObject : public TdxBaseObject {
    QEL_CLASS(TdxPrinterPageObject)
public:
    using TOwnerNotify = std::function<void(TdxPrinterPageObject* Sender)>;
    ~TdxPrinterPageObject() override;

    TdxPageBackground* Background() const { return m_background.get(); }
    // Assigned, not replaced.
    void SetBackground(TdxBackground* Value);

protected:
    TdxPrinterPageObject();
    // Runs when the background (after its own OnChange) or a part of this object changed.
    virtual void Changed() {}
    void DoAssign(TdxBaseObject* Source) override;

private:
    std::unique_ptr<TdxPageBackground> m_background;
};

// Base of the page header and the page footer: three titles (left, centre,
// right), their vertical alignments and a font.
class TCustomdxPageObject : public TdxPrinterPageObject {
    QEL_CLASS(TCustomdxPageObject)
public:
    explicit TCustomdxPageObject(TdxPrinterPage* Page = nullptr);
    ~TCustomdxPageObject() override;

    TdxPrinterPage* Page() const { return m_page; }
    TStrings* LeftTitle() const;
    TStrings* CenterTitle() const;
    TStrings* RightTitle() const;
    void SetLeftTitle(TStrings* Value);
    void SetCenterTitle(TStrings* Value);
    void SetRightTitle(TStrings* Value);
    TdxTextAlignY LeftTextAlignY() const { return m_alignY[0]; }
    void SetLeftTextAlignY(TdxTextAlignY Value) { SetAlignY(0, Value); }
    TdxTextAlignY CenterTextAlignY() const { return m_alignY[1]; }
    void SetCenterTextAlignY(TdxTextAlignY Value) { SetAlignY(1, Value); }
    TdxTextAlignY RightTextAlignY() const { return m_alignY[2]; }
    void SetRightTextAlignY(TdxTextAlignY Value) { SetAlignY(2, Value); }
    TFont* Font() const;
    void SetFont(TFont* Value);

protected:
    void Changed() override;
    void DoAssign(TdxBaseObject* Source) override;
    // Releasing the lock counts as a change.
    void LockUpdate(bool Locking) override;

private:
    class TOwnedStrings;
    class TOwnedFont;
    void SetAlignY(int Index, TdxTextAlignY Value);

    TdxPrinterPage* m_page;
    std::unique_ptr<TOwnedStrings> m_titles[3];
    TdxTextAlignY m_alignY[3]{taCenterY, taCenterY, taCenterY};
    std::unique_ptr<TOwnedFont> m_font;
};

class TdxPageHeader : public TCustomdxPageObject {
    QEL_CLASS(TdxPageHeader)
public:
    using TCustomdxPageObject::TCustomdxPageObject;

protected:
    std::unique_ptr<TdxBaseObject> CreateNew() const override { return std::make_unique<TdxPageHeader>(); }
};

class TdxPageFooter : public TCustomdxPageObject {
    QEL_CLASS(TdxPageFooter)
public:
    using TCustomdxPageObject::TCustomdxPageObject;

protected:
    std::unique_ptr<TdxBaseObject> CreateNew() const override { return std::make_unique<TdxPageFooter>(); }
};

// ----- the page --------------------------------------------------------------------------
class TdxPrinterPage : public TdxPrinterPageObject {
    QEL_CLASS(TdxPrinterPage)
public:
    // A page with the values of the global default page. OwnerComponent is
    // the component the page belongs to (its loading state is the page's).
    explicit TdxPrinterPage(TComponent* OwnerComponent = nullptr);
    ~TdxPrinterPage() override;

    TComponent* OwnerComponent() const { return m_ownerComponent; }

    // ----- published properties
    bool CenterOnPageH() const { return m_centerOnPageH; }
    void SetCenterOnPageH(bool Value) { m_centerOnPageH = Value; }
    bool CenterOnPageV() const { return m_centerOnPageV; }
    void SetCenterOnPageV(bool Value) { m_centerOnPageV = Value; }
    int DMPaper() const { return m_dmPaper; }
    void SetDMPaper(int Value);
    int FitToPagesByTall() const { return m_fitToPagesByTall; }
    void SetFitToPagesByTall(int Value);
    int FitToPagesByWide() const { return m_fitToPagesByWide; }
    void SetFitToPagesByWide(int Value);
    int Header() const { return GetHFOffset(1); }
    void SetHeader(int Value) { SetHFOffset(1, Value); }
    int Footer() const { return GetHFOffset(3); }
    void SetFooter(int Value) { SetHFOffset(3, Value); }
    bool GrayShading() const { return m_grayShading; }
    void SetGrayShading(bool Value) { m_grayShading = Value; }
    TdxRectWrapper* Margins() const { return m_margins.get(); }
    void SetMargins(TdxRectWrapper* Value) { m_margins->Assign(Value); }
    TdxRectWrapper* MinMargins() const { return m_minMargins.get(); }
    void SetMinMargins(TdxRectWrapper* Value) { m_minMargins->Assign(Value); }
    TdxMeasurementUnits MeasurementUnits() const { return m_measurementUnits; }
    void SetMeasurementUnits(TdxMeasurementUnits Value);
    TdxPrinterOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TdxPrinterOrientation Value);
    TdxPageHeader* PageHeader() const { return m_pageHeader.get(); }
    void SetPageHeader(TdxPageHeader* Value) { m_pageHeader->Assign(Value); }
    TdxPageFooter* PageFooter() const { return m_pageFooter.get(); }
    void SetPageFooter(TdxPageFooter* Value) { m_pageFooter->Assign(Value); }
    TdxPageOrder PageOrder() const { return m_pageOrder; }
    void SetPageOrder(TdxPageOrder Value) { m_pageOrder = Value; }
    // Portrait width (X) and height (Y).
    TdxPointWrapper* PageSize() const { return m_pageSize.get(); }
    void SetPageSize(TdxPointWrapper* Value) { m_pageSize->Assign(Value); }
    int PaperSource() const { return m_paperSource; }
    void SetPaperSource(int Value);
    bool ReverseTitlesOnEvenPages() const { return m_reverseTitlesOnEvenPages; }
    void SetReverseTitlesOnEvenPages(bool Value) { m_reverseTitlesOnEvenPages = Value; }
    int ScaleFactor() const { return m_scaleFactor; }
    void SetScaleFactor(int Value);
    TdxScaleMode ScaleMode() const { return m_scaleMode; }
    void SetScaleMode(TdxScaleMode Value);

    // ----- units
    TdxMeasurementUnits GetRealMeasurementUnits() const;
    // The unit the values are kept in at the moment (streamed as "_dxLastMU_").
    TdxMeasurementUnits LastMU() const { return m_lastMU; }
    // With the locale's unit in force and changed, converts every length into it.
    void CheckLocaleUnits();

    // ----- geometry (page units unless said otherwise)
    TPoint GetRealPageSize() const;
    void SetRealPageSize(const TPoint& Value);
    int GetMinUsefulSize() const;
    int ValidPageWidth() const;
    int ValidPageHeight() const;
    TRect HeaderRect() const;
    TRect FooterRect() const;
    // Tenths of a millimetre.
    TPoint GetPageSizeLoMetric() const;
    TPoint RealPageSizeLoMetric() const;
    TRect GetMarginsLoMetric() const;
    TRect GetMinMarginsLoMetric() const;
    int GetHeaderLoMetric() const;
    int GetFooterLoMetric() const;
    static int GetMinUsefulSizeLoMetric() { return 500; }
    TRect HeaderRectLoMetric() const;
    TRect FooterRectLoMetric() const;
    TRect PageContentRectLoMetric() const;
    // In screen pixels.
    TRect PageContentRectPixels() const;
    // Page units to tenths of a millimetre.
    int ToLoMetric(int Value) const;

    // ----- printer
    void GetPrinterMinMargins(int& Left, int& Right, int& Bottom, int& Top) const;
    bool ValidateMargins() const;
    void ApplyToPrintDevice();

    // Copies the global default page.
    void RestoreDefaults();
    bool IsCompatibleWith(const TdxBaseObject* Source) const override;

    // The owner component calls it once it has been read: converts the
    // lengths read into the real unit, clamps them and announces the change.
    void Loaded();
    bool IsOwnerLoading() const;

    // For the streaming of "_dxMeasurementUnits_" and "_dxLastMU_": stored as read.
    void ReadMeasurementUnits(int Value);
    void ReadLastMU(int Value);

    TNotifyEvent OnChange;
    TNotifyEvent OnUpdate;

    // The global default page, created on first use; new pages copy it.
    static TdxPrinterPage* DefaultPage();
    // Rebuilds the default page's values from the locale (settings changed).
    static void RebuildDefaultPage();

protected:
    struct TDefaultPageTag {};
    explicit TdxPrinterPage(TDefaultPageTag);

    // Raises OnChange for any of the kinds 0 .. 5; nothing while locked.
    virtual void DoChange(TdxPageChangeKinds ChangedKinds);
    void DoAssign(TdxBaseObject* Source) override;
    std::unique_ptr<TdxBaseObject> CreateNew() const override { return std::make_unique<TdxPrinterPage>(); }
    // Releasing the lock clamps every value (unless the owner is loading), then announces.
    void LockUpdate(bool Locking) override;
    void Changed() override;
    void BeginLoading() override;
    void EndLoading() override;

private:
    friend class TCustomdxPageObject;
    void Init();
    void SetDefaultValues();
    int GetHFOffset(int Index) const;
    void SetHFOffset(int Index, int Value);
    void SetScaleValue(int& Field, int Value, TdxScaleMode Mode);
    bool HandlersSuppressed() const { return IsLocked() || m_clamping; }
    void ConvertLengths(TdxMeasurementUnits From, TdxMeasurementUnits To);
    void SetPageSizeFromPaper();
    void FixMinMargins();
    void FixMarginsAndDistances();
    void ClampAll();

    void MinMarginsChanging(TdxRectWrapperParts Parts, TRect& NewValues);
    void MinMarginsChanged(TdxRectWrapperParts Parts);
    void MarginsChanging(TdxRectWrapperParts Parts, TRect& NewValues);
    void MarginsChanged(TdxRectWrapperParts Parts);
    void HFChanging(TdxRectWrapperParts Parts, TRect& NewValues);
    void HFChanged(TdxRectWrapperParts Parts);
    void PageSizeChanging(TdxPointWrapperParts Parts, TPoint& NewValues);
    void PageSizeChanged(TdxPointWrapperParts Parts);

    TComponent* m_ownerComponent{nullptr};
    bool m_isDefaultPage{false};
    bool m_centerOnPageH{false};
    bool m_centerOnPageV{false};
    int m_dmPaper{1};
    int m_fitToPagesByTall{1};
    int m_fitToPagesByWide{1};
    bool m_grayShading{false};
    std::unique_ptr<TdxRectWrapper> m_margins;
    std::unique_ptr<TdxRectWrapper> m_minMargins;
    std::unique_ptr<TdxRectWrapper> m_hfOffsets;   // header at index 1, footer at index 3
    TdxMeasurementUnits m_measurementUnits{muDefault};
    TdxMeasurementUnits m_lastMU{muMillimeters};
    TdxPrinterOrientation m_orientation{poPortrait};
    std::unique_ptr<TdxPageHeader> m_pageHeader;
    std::unique_ptr<TdxPageFooter> m_pageFooter;
    TdxPageOrder m_pageOrder{poOverThenDown};
    std::unique_ptr<TdxPointWrapper> m_pageSize;
    int m_paperSource{7};
    bool m_reverseTitlesOnEvenPages{false};
    int m_scaleFactor{100};
    TdxScaleMode m_scaleMode{smAdjust};

    bool m_assigning{false};
    bool m_sizingFromPaper{false};
    bool m_clamping{false};
    bool m_streamLoading{false};
};

// The unit of the user's locale: millimetres on a metric locale, else inches.
TdxMeasurementUnits dxLocaleMeasurementUnits();

} // namespace qel
