// The page setup form's Header\Footer and Scaling tabs.
#include "preview/PageSetupForm.h"

#include "platform/controls/Buttons.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/Keyboard.h"
#include "platform/graphics/Bitmap.h"
#include "preview/ColorPalette.h"
#include "printing/PrintControls.h"
#include "printing/PrintDevice.h"
#include "printing/PrintStyles.h"
#include "printing/PrintUIUtils.h"

namespace qel {

TCustomdxPageObject* TdxfmPageSetupDialog::PageObject(bool Header) const
{
    return Header ? static_cast<TCustomdxPageObject*>(Page()->PageHeader()) : Page()->PageFooter();
}

TStrings* TdxfmPageSetupDialog::TitlePart(int Tag) const
{
    TCustomdxPageObject* object = PageObject(Tag < 3);
    switch (Tag % 3) {
    case 0: return object->LeftTitle();
    case 1: return object->CenterTitle();
    default: return object->RightTitle();
    }
}

TMemo* TdxfmPageSetupDialog::Memo(int Tag) const
{
    TMemo* const memos[] = {memHeaderLeft, memHeaderCenter, memHeaderRight,
                            memFooterLeft, memFooterCenter, memFooterRight};
    return Tag >= 0 && Tag < 6 ? memos[Tag] : nullptr;
}

void TdxfmPageSetupDialog::SetToolBarsEnabled(bool Value)
{
    tbPredefined->SetEnabled(Value && m_optionsEnabled.Contains(psoHFFunctions));
    tbVertAlignment->SetEnabled(Value && m_optionsEnabled.Contains(psoHFVertAlignment));
}

void TdxfmPageSetupDialog::MemoEntered(TMemo* Memo)
{
    m_activeMemo = Memo;
    SetToolBarsEnabled(true);
    const TCustomdxPageObject* object = PageObject(Memo->Tag() < 3);
    const TdxTextAlignY align = Memo->Tag() % 3 == 0   ? object->LeftTextAlignY()
                                : Memo->Tag() % 3 == 1 ? object->CenterTextAlignY()
                                                       : object->RightTextAlignY();
    TToolButton* const buttons[] = {tbtnAlignTop, tbtnAlignCenter, tbtnAlignBottom};
    buttons[align]->SetDown(true);
}

void TdxfmPageSetupDialog::CommitMemo(TMemo* Memo)
{
    if (Memo != this->Memo(Memo->Tag()))
        return;
    TitlePart(Memo->Tag())->SetText(Memo->Text());
}

void TdxfmPageSetupDialog::MemoExited(TMemo* Memo)
{
    CommitMemo(Memo);
    // The tool bars serve the memos: going from one memo to another keeps them.
    const TWinControl* next = Screen().ActiveControl();
    for (int tag = 0; tag < 6; ++tag)
        if (next == this->Memo(tag))
            return;
    m_activeMemo = nullptr;
    SetToolBarsEnabled(false);
}

void TdxfmPageSetupDialog::AlignYClicked(int Tag)
{
    if (!m_activeMemo)
        return;
    TCustomdxPageObject* object = PageObject(m_activeMemo->Tag() < 3);
    const auto align = static_cast<TdxTextAlignY>(Tag);
    switch (m_activeMemo->Tag() % 3) {
    case 0: object->SetLeftTextAlignY(align); break;
    case 1: object->SetCenterTextAlignY(align); break;
    default: object->SetRightTextAlignY(align); break;
    }
    MarkModified();
}

void TdxfmPageSetupDialog::FunctionClicked(int Tag)
{
    if (!m_activeMemo || m_activeMemo->ReadOnly() || Tag < 0 || Tag >= m_functionTemplates->Count())
        return;
    m_activeMemo->SetSelText(m_functionTemplates->Get(Tag));
}

void TdxfmPageSetupDialog::FontClicked(bool Header)
{
    TCustomdxPageObject* object = PageObject(Header);
    TFontDialog dialog(nullptr);
    dialog.SetFont(object->Font());
    dialog.SetDevice(dxIsPrinterInstalled() ? fdPrinter : fdScreen);
    TFontDialogOptions options = dialog.Options();
    options.Include(fdScalableOnly);
    dialog.SetOptions(options);
    if (!dialog.Execute())
        return;
    object->SetFont(dialog.Font());
    SetFontInfoText(Header ? edHeaderFontInfo : edFooterFontInfo, object->Font());
    MarkModified();
}

void TdxfmPageSetupDialog::BackgroundClicked(bool Header)
{
    TBitBtn* button = Header ? btnHeaderBackground : btnFooterBackGround;
    TdxColorPaletteOptions options;
    options.NoFillCaption = "&No Fill";
    if (!dxShowColorPalette(PageObject(Header)->Background(), button->ClientToScreen({0, button->Height()}), &options))
        return;
    UpdateBackgroundGlyph(Header);
    MarkModified();
}

void TdxfmPageSetupDialog::UpdateBackgroundGlyph(bool Header)
{
    TdxBackground* background = PageObject(Header)->Background();
    TBitmap glyph(60, 16);
    TCanvas* c = glyph.Canvas();
    const TRect all = Rect(0, 0, glyph.Width(), glyph.Height());
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(all);
    const TRect swatch = Rect(1, 1, glyph.Width() - 1, glyph.Height() - 1);
    const auto caption = [&](const std::string& Text) {
        c->Font()->Assign(Font());
        c->SetBkMode(TRANSPARENT);
        TRect r = swatch;
        c->DrawText(Text, r, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    };
    switch (background->Mode()) {
    case bmNone: caption("[" + StripHotkey("&No Fill") + "]"); break;
    case bmPicture: caption("(" + StripHotkey("P&icture") + ")"); break;
    default: background->Paint(*c, swatch); break;
    }
    c->Brush()->SetColor(clBtnShadow);
    c->FrameRect(swatch);
    (Header ? btnHeaderBackground : btnFooterBackGround)->SetGlyph(&glyph);
}

// ===== scaling ===================================================================================

void TdxfmPageSetupDialog::ScaleModeClicked(int Tag)
{
    if (m_loading)
        return;
    Page()->SetScaleMode(Tag == 0 ? smAdjust : smFit);
    TdxPSSpinEdit* target = Tag == 0 ? seScaleFactor : seFitToWide->Enabled() ? seFitToWide : seFitToTall;
    if (target->CanFocus())
        target->SetFocus();
    MarkModified();
}

void TdxfmPageSetupDialog::ScaleEdited(TdxPSSpinEdit* Edit)
{
    if (m_loading)
        return;
    const bool adjust = Edit == seScaleFactor;
    {
        // Checked without moving the focus out of the edit being typed in.
        TValueRestorer loading(m_loading, true);
        (adjust ? rbtnAdjustTo : rbtnFitTo)->SetChecked(true);
    }
    Page()->SetScaleMode(adjust ? smAdjust : smFit);
    MarkModified();
}

void TdxfmPageSetupDialog::ScaleExited(TdxPSSpinEdit* Edit)
{
    if (m_loading)
        return;
    // Writing a value also chooses its mode: an edit passed over without a
    // change leaves the mode the user chose.
    TdxPrinterPage* page = Page();
    const int value = Edit->AsInteger();
    if (Edit == seScaleFactor && value != page->ScaleFactor())
        page->SetScaleFactor(value);
    else if (Edit == seFitToWide && value != page->FitToPagesByWide())
        page->SetFitToPagesByWide(value);
    else if (Edit == seFitToTall && value != page->FitToPagesByTall())
        page->SetFitToPagesByTall(value);
}

} // namespace qel
