// The page setup form's Margins tab: limits, validation, the warning pane,
// Fix and Restore Original, the margins preview and the checks on closing.
#include "preview/PageSetupForm.h"

#include "platform/controls/Application.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/MathUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "preview/Preview.h"
#include "preview/detail/PageSetupResources.h"
#include "printing/PrintControls.h"
#include "printing/PrintDevice.h"
#include "printing/PrintStyles.h"

#include <utility>

namespace qel {

namespace {

const char* const kInvalidWarning = "One or more margins has invalid values";
const char* const kOutsideWarning = "One or more margins are set outside the printable area of the page";
const char* const kInvalidQuestion =
    "One or more margins are set to the invalid values.\r\nChoose the Fix button to correct this problem.\r\n"
    "Choose the Restore button to restore original values.";
const char* const kOutsideQuestion = "One or more margins are set outside the printable area of the page.\r\n"
                                     "Choose the Fix button to increase the appropriate margins.";

// The spin edit of each margin kind of the preview (the gutter has none).
constexpr TdxPageSetupMargin kMarginOfKind[dxPreviewMarginCount] = {psmLeft,  psmTop,    psmRight, psmBottom,
                                                                    psmLeft,  psmHeader, psmFooter};

TdxPageSetupMarginValues FromPage(const TdxPrinterPage& Page)
{
    TdxPageSetupMarginValues v;
    const TRect m = Page.Margins()->Rect();
    v[psmHeader] = Page.Header() / 1000.0;
    v[psmFooter] = Page.Footer() / 1000.0;
    v[psmTop] = m.Top / 1000.0;
    v[psmBottom] = m.Bottom / 1000.0;
    v[psmLeft] = m.Left / 1000.0;
    v[psmRight] = m.Right / 1000.0;
    return v;
}

} // namespace

TdxPSSpinEdit* TdxfmPageSetupDialog::MarginEdit(TdxPageSetupMargin Margin) const
{
    switch (Margin) {
    case psmHeader: return seHeader;
    case psmFooter: return seFooter;
    case psmTop: return seTop;
    case psmBottom: return seBottom;
    case psmLeft: return seLeft;
    default: return seRight;
    }
}

TdxPageSetupMarginValues TdxfmPageSetupDialog::ShownMargins() const
{
    TdxPageSetupMarginValues v;
    for (int i = 0; i < dxPageSetupMarginCount; ++i)
        v.Values[static_cast<std::size_t>(i)] = MarginEdit(static_cast<TdxPageSetupMargin>(i))->Value();
    return v;
}

TdxPageSetupPageExtent TdxfmPageSetupDialog::PageExtent() const
{
    const TdxPrinterPage* page = Page();
    const TPoint size = page->GetRealPageSize();
    const TRect border = page->MinMargins()->Rect();
    return {size.X / 1000.0,       size.Y / 1000.0,      page->GetMinUsefulSize() / 1000.0, border.Left / 1000.0,
            border.Top / 1000.0,   border.Right / 1000.0, border.Bottom / 1000.0};
}

void TdxfmPageSetupDialog::SetMarginBounds()
{
    TValueRestorer loading(m_loading, true);
    const auto bounds = dxPageSetupMarginBounds(PageExtent());
    const std::string legend = Page()->GetRealMeasurementUnits() == muInches ? "\"" : "mm";
    for (int i = 0; i < dxPageSetupMarginCount; ++i) {
        TdxPSSpinEdit* e = MarginEdit(static_cast<TdxPageSetupMargin>(i));
        e->SetLegendText(legend);
        e->SetMinValue(0);
        e->SetMaxValue(bounds[static_cast<std::size_t>(i)].Max);
        e->SetMinValue(bounds[static_cast<std::size_t>(i)].Min);
    }
}

void TdxfmPageSetupDialog::LoadMargins()
{
    SetShownMargins(FromPage(*Page()));
}

void TdxfmPageSetupDialog::SetShownMargins(const TdxPageSetupMarginValues& Values)
{
    TValueRestorer loading(m_loading, true);
    for (int i = 0; i < dxPageSetupMarginCount; ++i)
        MarginEdit(static_cast<TdxPageSetupMargin>(i))->SetValue(Values.Values[static_cast<std::size_t>(i)]);
}

void TdxfmPageSetupDialog::WriteMarginsToPage()
{
    const TdxPageSetupMarginValues v = ShownMargins();
    TdxPrinterPage* page = Page();
    TUpdateScope<TdxPrinterPage> scope(*page);
    page->SetHeader(ToThousandths(v[psmHeader]));
    page->SetFooter(ToThousandths(v[psmFooter]));
    page->Margins()->SetRect({ToThousandths(v[psmLeft]), ToThousandths(v[psmTop]), ToThousandths(v[psmRight]),
                              ToThousandths(v[psmBottom])});
}

std::optional<TdxPageSetupOffsets> TdxfmPageSetupDialog::PrinterOffsets() const
{
    if (!dxIsPrinterInstalled())
        return std::nullopt;
    TdxPrintDevice* device = dxPrintDevice();
    const int ppiX = device->GetDeviceCaps(LOGPIXELSX);
    const int ppiY = device->GetDeviceCaps(LOGPIXELSY);
    const double scale = Page()->GetRealMeasurementUnits() == muMillimeters ? 25.4 : 1.0;
    TdxPageSetupOffsets o;
    o.X = ppiX > 0 ? device->GetPhysicalOffset(0) * scale / ppiX : 0;
    o.Y = ppiY > 0 ? device->GetPhysicalOffset(1) * scale / ppiY : 0;
    return o;
}

TdxPageSetupBorder TdxfmPageSetupDialog::PrinterBorder() const
{
    // The printer's offsets as exactly as the printable check reads them, so
    // that a raised margin passes it; the page's own border where wider.
    const TdxPageSetupOffsets o = PrinterOffsets().value_or(TdxPageSetupOffsets{});
    const TdxPageSetupPageExtent page = PageExtent();
    return {std::max(o.X, page.MinLeft), std::max(o.Y, page.MinTop), std::max(o.X, page.MinRight),
            std::max(o.Y, page.MinBottom)};
}

void TdxfmPageSetupDialog::ValidateMargins()
{
    if (m_loading || m_validating || IsDestroying())
        return;
    TValueRestorer validating(m_validating, true);
    const TdxPageSetupMarginValues values = ShownMargins();
    const bool valid = !dxPageSetupInvalidMargin(values, PageExtent());
    SetWarnings(!valid, !dxPageSetupMarginsPrintable(values, PrinterOffsets()));
    if (valid)
        PutMarginsIntoPreview();
    // Margins that do not fit the page are not drawn.
    TdxPreviewOptionsView view = prvMargins->OptionsView();
    view.Set(povMargins, valid && gbxMargins->Visible());
    prvMargins->SetOptionsView(view);
    RefreshControls();
}

void TdxfmPageSetupDialog::SetWarnings(bool Invalid, bool Outside)
{
    const bool invalidOn = Invalid && !m_invalidWarning;
    const bool outsideOn = Outside && !m_printableWarning;
    m_invalidWarning = Invalid;
    m_printableWarning = Outside;
    if (!Invalid && !Outside) {
        m_warningText.clear();
        bmaWarning->SetState(false);
        return;
    }
    std::string text = m_warningText;
    if (invalidOn)
        text = kInvalidWarning;
    else if (outsideOn)
        text = kOutsideWarning;
    else if (!Invalid)
        text = kOutsideWarning;
    else if (!Outside)
        text = kInvalidWarning;
    if ((invalidOn || outsideOn) && !bmaWarning->State()) {
        // No beep for a check the user started from OK, Cancel or the tabs.
        TWinControl* focus = ActiveControl();
        if (focus != btnOK && focus != btnCancel && focus != pgctrlMain)
            MessageBeep(0);
    }
    if (text != m_warningText)
        ShowWarning(text);
    bmaWarning->SetState(true);
}

void TdxfmPageSetupDialog::ShowWarning(const std::string& Text)
{
    m_warningText = Text;
    TBitmap bmp(std::max(1, bmaWarning->Width()), std::max(1, bmaWarning->Height()));
    detail::PaintWarningPane(bmp, *m_paperImages, detail::psiWarning, Font(), Text);
    bmaWarning->SetBitmap(&bmp);
}

void TdxfmPageSetupDialog::FixMargins()
{
    ApplyFix(m_printableWarning);
}

void TdxfmPageSetupDialog::ApplyFix(bool Printable)
{
    TdxPageSetupMarginValues values = ShownMargins();
    values = Printable ? dxPageSetupRaiseToBorder(values, PrinterBorder())
                       : dxPageSetupClampMargins(values, PageExtent());
    SetShownMargins(values);
    MarkModified();
    // A margin raised to the printer's border may now break the rules.
    ValidateMargins();
}

void TdxfmPageSetupDialog::RestoreOriginalMargins()
{
    if (!m_callerStyle)
        return;
    SetShownMargins(FromPage(*m_callerStyle->PrinterPage()));
    MarkModified();
    ValidateMargins();
}

void TdxfmPageSetupDialog::MarginEdited()
{
    if (m_loading || m_validating)
        return;
    m_marginsChanged = true;
    MarkModified();
}

void TdxfmPageSetupDialog::AnswerInvalidMargins()
{
    MessageBeep(0);
    switch (MessageFixRestoreClose(kInvalidQuestion)) {
    case mrYes: ApplyFix(false); break;
    case mrNo: RestoreOriginalMargins(); break;
    default: break;
    }
}

void TdxfmPageSetupDialog::MarginsTabChanging(bool& AllowChange)
{
    if (m_loading || pgctrlMain->ActivePage() != tshMargins)
        return;
    // A value typed just now counts, though the focus stays in its edit.
    CommitActiveControl();
    const std::optional<TdxPageSetupMargin> failing = dxPageSetupInvalidMargin(ShownMargins(), PageExtent());
    if (!failing)
        return;
    AllowChange = false;
    AnswerInvalidMargins();
    if (TdxPSSpinEdit* e = MarginEdit(*failing); e->CanFocus())
        e->SetFocus();
}

void TdxfmPageSetupDialog::CheckMarginsOnClose()
{
    bool fixed = false;
    if (!dxPageSetupMarginsPrintable(ShownMargins(), PrinterOffsets())) {
        MessageBeep(0);
        if (MessageFixIgnore(kOutsideQuestion) == mrYes) {
            ApplyFix(true);
            fixed = true;
        }
    }
    if (!fixed && dxPageSetupInvalidMargin(ShownMargins(), PageExtent()))
        AnswerInvalidMargins();
}

void TdxfmPageSetupDialog::PutMarginsIntoPreview()
{
    const TdxPageSetupMarginValues v = ShownMargins();
    const bool inches = Page()->GetRealMeasurementUnits() == muInches;
    const auto loMetric = [&](double Value) {
        const int thousandths = ToThousandths(Value);
        return inches ? MulDiv(thousandths, 254, 1000) : thousandths / 100;
    };
    TdxPreviewMargins* margins = prvMargins->Margins();
    // Shrinking margins first, so that no growing one meets a neighbour's old value.
    for (int pass = 0; pass < 2; ++pass)
        for (int k = 0; k < dxPreviewMarginCount; ++k) {
            if (k == pmGutter)
                continue;
            TdxPreviewMargin* m = margins->Items(static_cast<TdxPreviewMarginType>(k));
            const int value = loMetric(v[kMarginOfKind[k]]);
            if ((pass == 0) == (value < m->Value()))
                m->SetValue(value);
        }
}

void TdxfmPageSetupDialog::MarginDragged(TdxPreviewMargin* Margin)
{
    if (Margin->Kind() == pmGutter)
        return;
    const double divisor = Page()->GetRealMeasurementUnits() == muInches ? 254.0 : 10.0;
    const TdxPageSetupMargin margin = kMarginOfKind[Margin->Kind()];
    {
        TValueRestorer loading(m_loading, true);
        TdxPSSpinEdit* e = MarginEdit(margin);
        e->SetValue(Margin->Value() / divisor);
        // A header dragged past Top takes Top with it, a footer Bottom.
        if (margin == psmHeader && seTop->Value() < e->Value())
            seTop->SetValue(e->Value());
        if (margin == psmFooter && seBottom->Value() < e->Value())
            seBottom->SetValue(e->Value());
    }
    m_marginsChanged = true;
    MarkModified();
    ValidateMargins();
}

void TdxfmPageSetupDialog::DrawMarginsPreviewPage(TCanvas& Canvas, const TRect& PageRect)
{
    const TdxPreviewMargins* m = prvMargins->Margins();
    const auto at = [](const TdxPreviewMargin* Margin) { return Margin->ValueToPixel(Margin->Value()); };
    TRect page = PageRect;
    TRect content{at(m->Left()), at(m->Top()), at(m->Right()), at(m->Bottom())};
    TRect header{content.Left, at(m->Header()), content.Right, content.Top};
    TRect footer{content.Left, content.Bottom, content.Right, at(m->Footer())};
    if (m_events.OnCustomDrawPreview)
        m_events.OnCustomDrawPreview(this, m_style.get(), Canvas, page, content, header, footer);
    else
        DrawDefaultPreviewContent(m_style.get(), Canvas, content);
}

void TdxfmPageSetupDialog::CommitActiveControl()
{
    // What the control takes on leaving, as OK by Enter does not leave it.
    TWinControl* focus = ActiveControl();
    if (auto* edit = dynamic_cast<TdxPSSpinEdit*>(focus); edit && edit->OnExit)
        edit->OnExit(edit);
    else if (auto* memo = dynamic_cast<TMemo*>(focus))
        CommitMemo(memo);
    else if (focus == edStyleName)
        StyleNameExited();
}

} // namespace qel
