// The page setup form: taking the record, filling the controls from the
// edited style, refreshing them, the Page tab, the style name and closing.
#include "preview/PageSetupForm.h"

#include "platform/controls/Application.h"
#include "platform/controls/Buttons.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Locale.h"
#include "platform/core/Utf8.h"
#include "platform/graphics/ImageList.h"
#include "preview/Preview.h"
#include "preview/detail/PageSetupResources.h"
#include "printing/PrintControls.h"
#include "printing/PrintDevice.h"
#include "printing/PrintStyles.h"
#include "printing/PrintUIUtils.h"

#include <algorithm>
#include <cmath>

namespace qel {

namespace {

constexpr int kStyleCaptionLength = 31;

void SetEditable(TdxPSSpinEdit* Edit, bool Value)
{
    Edit->SetReadOnly(!Value);
    Edit->SetColor(Value ? clWindow : clBtnFace);
}

} // namespace

TdxPrinterPage* TdxfmPageSetupDialog::Page() const
{
    return m_style->PrinterPage();
}

int TdxfmPageSetupDialog::ToThousandths(double Value) const
{
    return static_cast<int>(std::lround(Value * 1000));
}

// ===== set-up from the record =================================================================

void TdxfmPageSetupDialog::SetupFromRecord(const TdxPageSetupDlgData& Data)
{
    TValueRestorer loading(m_loading, true);
    TBasedxPrintStyle* source = Data.PrintStyle;
    std::unique_ptr<TComponent> copy(TClassRegistry::Instance().Create(source->ClassName(), nullptr));
    if (dynamic_cast<TBasedxPrintStyle*>(copy.get()))
        m_style.reset(static_cast<TBasedxPrintStyle*>(copy.release()));
    else
        m_style = std::make_unique<TBasedxPrintStyle>(nullptr);
    m_style->Assign(source);
    SetFreeNotified(m_callerStyle, source);
    SetFreeNotified(m_manager, source->StyleManager());

    SetCaption(Data.Title);
    SetHelpContext(Data.HelpContext);
    if (Data.Events)
        m_events = *Data.Events;
    m_hfMode = Data.HFMode;
    m_buttonsEnabled = Data.ButtonsEnabled;
    m_buttonsVisible = Data.ButtonsVisible;
    m_optionsEnabled = Data.OptionsEnabled;
    m_optionsVisible = Data.OptionsVisible;

    btnOptions->SetVisible(m_buttonsVisible.Contains(psbStyleOptions));
    btnPrintPreview->SetVisible(m_buttonsVisible.Contains(psbPreview));
    btnPrint->SetVisible(m_buttonsVisible.Contains(psbPrint));
    ApplyOptionsVisible();
    ApplyEnabled();

    // The start tab: a hidden one gives the Page tab.
    const int start = std::clamp(Data.ActivePageIndex, 0, pgctrlMain->PageCount() - 1);
    pgctrlMain->SetActivePageIndex(pgctrlMain->Pages(start)->TabVisible() ? start : 0);

    if (source->BeingCloned())
        m_modified = true;
}

void TdxfmPageSetupDialog::ApplyOptionsVisible()
{
    const auto visible = [this](TdxPageSetupDlgOption O) { return m_optionsVisible.Contains(O); };
    if (!visible(psoStyleCaption) && pnlStyleName->Visible()) {
        const int height = pnlStyleName->Height();
        pnlStyleName->SetVisible(false);
        SetClientHeight(ClientHeight() - height);
    }
    // A hidden group leaves its room to the ones below it.
    gbxPrintOrder->SetVisible(visible(psoPageOrder));
    gbxShading->SetVisible(visible(psoShading));
    if (!gbxPrintOrder->Visible())
        gbxShading->SetTop(gbxPrintOrder->Top());

    gbxMargins->SetVisible(visible(psoMargins));
    btnFix->SetVisible(gbxMargins->Visible());
    btnRestoreOriginalMargins->SetVisible(gbxMargins->Visible());
    pnlHFMargins->SetVisible(gbxMargins->Visible() && visible(psoHFMargins));
    pnlCenterOnPage->SetVisible(visible(psoCenterOnPage));
    if (!gbxMargins->Visible())
        pnlCenterOnPage->SetTop(gbxMargins->Top());
    tshMargins->SetTabVisible(gbxMargins->Visible() || pnlCenterOnPage->Visible());
    TdxPreviewOptionsView view = prvMargins->OptionsView();
    view.Set(povMargins, gbxMargins->Visible());
    prvMargins->SetOptionsView(view);
    prvMargins->Margins()->Header()->SetVisible(pnlHFMargins->Visible());
    prvMargins->Margins()->Footer()->SetVisible(pnlHFMargins->Visible());

    const bool fonts = visible(psoHFFont);
    const bool backgrounds = visible(psoHFBackground);
    const bool texts = visible(psoHFText);
    for (TControl* c : std::initializer_list<TControl*>{btnHeaderFont, edHeaderFontInfo, btnFooterFont, edFooterFontInfo})
        c->SetVisible(fonts);
    for (TBitBtn* b : {btnHeaderBackground, btnFooterBackGround}) {
        b->SetVisible(backgrounds);
        if (!fonts)
            b->SetLeft(btnHeaderFont->Left());
    }
    pnlHeaderMemos->SetVisible(texts);
    pnlFooterMemos->SetVisible(texts);
    for (TMemo* m : {memHeaderCenter, memHeaderRight, memFooterCenter, memFooterRight})
        m->SetVisible(m_hfMode == hfmThreeSections);
    const bool parts = fonts || backgrounds || texts;
    pnlHeader->SetVisible(parts);
    pnlFooter->SetVisible(parts);
    gbxFunctions->SetVisible(visible(psoHFFunctions));
    gbxVertAlignment->SetVisible(visible(psoHFVertAlignment));
    chbxReverseOnEvenPages->SetVisible(visible(psoHFReverse));
    tshHeaderFooter->SetTabVisible(parts || gbxFunctions->Visible() || chbxReverseOnEvenPages->Visible());
    tshScaling->SetTabVisible(m_style->AllowChangeScale());
}

void TdxfmPageSetupDialog::ApplyEnabled()
{
    const auto enabled = [this](TdxPageSetupDlgOption O) { return m_optionsEnabled.Contains(O); };
    // A style made while its owner was designed keeps its name.
    const bool nameEditable = !(m_callerStyle && m_callerStyle->BuiltInStyle());
    edStyleName->SetReadOnly(!nameEditable);
    edStyleName->SetTabStop(nameEditable);
    edStyleName->SetColor(nameEditable ? clWindow : clBtnFace);
    lblStyleName->SetEnabled(nameEditable);

    lbxPaperType->SetEnabled(m_style->AllowChangePaper());
    rBtnPortrait->SetEnabled(m_style->AllowChangeOrientation());
    rBtnLandscape->SetEnabled(m_style->AllowChangeOrientation());
    gbxPrintOrder->SetEnabled(enabled(psoPageOrder));
    gbxShading->SetEnabled(enabled(psoShading));

    m_marginsEnabled = m_style->AllowChangeMargins() && enabled(psoMargins);
    const bool hfMargins = m_marginsEnabled && enabled(psoHFMargins);
    for (TLabel* l : {lblTop, lblBottom, lblLeft, lblRight})
        l->SetEnabled(m_marginsEnabled);
    for (TdxPSSpinEdit* e : {seTop, seBottom, seLeft, seRight})
        SetEditable(e, m_marginsEnabled);
    for (TLabel* l : {lblHeaderMargin, lblFooterMargin})
        l->SetEnabled(hfMargins);
    for (TdxPSSpinEdit* e : {seHeader, seFooter})
        SetEditable(e, hfMargins);
    TdxPreviewOptionsBehavior behavior = prvMargins->OptionsBehavior();
    behavior.Set(pobAllowDragMargins, m_marginsEnabled);
    prvMargins->SetOptionsBehavior(behavior);
    prvMargins->Margins()->Header()->SetEnabled(hfMargins);
    prvMargins->Margins()->Footer()->SetEnabled(hfMargins);
    pnlCenterOnPage->SetEnabled(enabled(psoCenterOnPage));

    btnHeaderFont->SetEnabled(enabled(psoHFFont));
    btnFooterFont->SetEnabled(enabled(psoHFFont));
    btnHeaderBackground->SetEnabled(enabled(psoHFBackground));
    btnFooterBackGround->SetEnabled(enabled(psoHFBackground));
    const bool texts = m_style->AllowChangeHFText() && enabled(psoHFText);
    for (TMemo* m : {memHeaderLeft, memHeaderCenter, memHeaderRight, memFooterLeft, memFooterCenter, memFooterRight}) {
        m->SetReadOnly(!texts);
        m->SetColor(texts ? clWindow : clBtnFace);
    }
    gbxFunctions->SetEnabled(enabled(psoHFFunctions));
    gbxVertAlignment->SetEnabled(enabled(psoHFVertAlignment));
    chbxReverseOnEvenPages->SetEnabled(enabled(psoHFReverse));
}

// ===== filling ========================================================================================

void TdxfmPageSetupDialog::FillControls()
{
    {
        TValueRestorer loading(m_loading, true);
        TdxPrinterPage* page = Page();
        FillPapers();
        FillPaperSources();
        if (lbxPaperType->Items()->Count() > 0)
            ChoosePaper();
        UpdateBackgroundGlyph(true);
        UpdateBackgroundGlyph(false);
        edStyleName->SetText(Utf8Prefix(m_style->StyleCaption(), kStyleCaptionLength));
        chbxShading->SetChecked(page->GrayShading());
        chbxCenterHorz->SetChecked(page->CenterOnPageH());
        chbxCenterVert->SetChecked(page->CenterOnPageV());
        (page->PageOrder() == poOverThenDown ? rbtnOverThenDown : rbtnDownThenOver)->SetChecked(true);
        (page->Orientation() == poPortrait ? rBtnPortrait : rBtnLandscape)->SetChecked(true);
        for (int tag = 0; tag < 6; ++tag)
            Memo(tag)->SetText(TitlePart(tag)->Text());
        SetFontInfoText(edHeaderFontInfo, page->PageHeader()->Font());
        SetFontInfoText(edFooterFontInfo, page->PageFooter()->Font());
        (page->ScaleMode() == smAdjust ? rbtnAdjustTo : rbtnFitTo)->SetChecked(true);
        seScaleFactor->SetValue(page->ScaleFactor());
        seFitToWide->SetValue(page->FitToPagesByWide());
        seFitToTall->SetValue(page->FitToPagesByTall());
        chbxReverseOnEvenPages->SetChecked(page->ReverseTitlesOnEvenPages());
        UpdatePaperSizeEdits();
        SetMarginBounds();
        LoadMargins();
        SetPreviewPages();
        PutMarginsIntoPreview();
        ArrangeButtons();
    }
    RefreshControls();
    if (pnlStyleName->Visible() && !edStyleName->ReadOnly())
        SetActiveControl(edStyleName);
    else if (pgctrlMain->ActivePage() == tshMargins)
        SetActiveControl(seTop);
    else if (pgctrlMain->ActivePage() == tshPage)
        SetActiveControl(lbxPaperType);
}

void TdxfmPageSetupDialog::RefreshControls()
{
    // A button the caller disabled stays disabled.
    btnPrintPreview->SetEnabled(m_buttonsEnabled.Contains(psbPreview));
    btnPrint->SetEnabled(m_buttonsEnabled.Contains(psbPrint));
    btnOptions->SetEnabled(m_buttonsEnabled.Contains(psbStyleOptions) && m_style->HasStyleOptionsDlg());
    btnFix->SetEnabled(m_invalidWarning || m_printableWarning);
    btnRestoreOriginalMargins->SetEnabled(m_marginsEnabled && m_marginsChanged);
}

void TdxfmPageSetupDialog::MarkModified()
{
    if (m_loading)
        return;
    m_modified = true;
    RefreshControls();
}

// ===== paper and source =====================================================================================

void TdxfmPageSetupDialog::FillPapers()
{
    TValueRestorer updating(m_paperListUpdating, true);
    TStringList papers;
    m_style->GetFilteredPapers(papers);
    TdxPrintDevice* device = dxPrintDevice();
    const bool custom = m_style->AllowCustomPaperSizes();
    m_papers.clear();
    TStrings* items = lbxPaperType->Items();
    {
        TUpdateScope<TStrings> scope(*items);
        items->Clear();
        for (int i = 0; i < papers.Count(); ++i) {
            const auto* paper = dynamic_cast<const TdxPaperInfo*>(papers.Objects(i));
            if (!paper || (!custom && paper->DMPaper() >= DMPAPER_FIRSTPRINTER))
                continue;
            m_papers.push_back({paper->DMPaper(), device->IsEnvelopePaper(device->IndexOfPaper(paper->DMPaper()))});
            items->Add(papers.Get(i));
        }
    }
    int selected = -1;
    for (std::size_t i = 0; i < m_papers.size() && selected < 0; ++i)
        if (m_papers[i].Code == Page()->DMPaper())
            selected = static_cast<int>(i);
    if (selected < 0 && custom)
        for (int i = 0; i < items->Count() && selected < 0; ++i)
            if (AnsiCompareText(items->Get(i), "Custom") == 0)
                selected = i;
    if (selected < 0 && !m_papers.empty())
        selected = 0;
    lbxPaperType->SetItemIndex(selected);
    lbxPaperType->SetEnabled(!m_papers.empty() && m_style->AllowChangePaper());
}

void TdxfmPageSetupDialog::FillPaperSources()
{
    TdxPrintDevice* device = dxPrintDevice();
    TStrings* items = cbxPaperSource->Items();
    m_bins.clear();
    {
        TUpdateScope<TStrings> scope(*items);
        items->Clear();
        TStringList* bins = device->Bins();
        for (int i = 0; i < bins->Count(); ++i) {
            m_bins.push_back({device->BinCode(i), device->IsAutoSelectBin(i)});
            items->Add(bins->Get(i));
        }
    }
    int selected = m_bins.empty() ? -1 : 0;
    for (std::size_t i = 0; i < m_bins.size(); ++i)
        if (m_bins[i].Code == Page()->PaperSource())
            selected = static_cast<int>(i);
    cbxPaperSource->SetItemIndex(selected);
    cbxPaperSource->SetEnabled(!m_bins.empty());
}

void TdxfmPageSetupDialog::ChoosePaper()
{
    const int i = lbxPaperType->ItemIndex();
    if (m_paperListUpdating || i < 0 || i >= static_cast<int>(m_papers.size()))
        return;
    Page()->SetDMPaper(m_papers[static_cast<std::size_t>(i)].Code);
    SetPreviewPages();
    UpdatePaperSizeEdits();
    SetMarginBounds();
    MarkModified();
}

void TdxfmPageSetupDialog::PaperSizeEdited()
{
    if (m_loading || !m_paperSizeEdited)
        return;
    m_paperSizeEdited = false;
    Page()->SetRealPageSize({ToThousandths(sePaperWidth->Value()), ToThousandths(sePaperHeight->Value())});
    SetPreviewPages();
    SetMarginBounds();
    UpdatePaperSizeEdits();
    TValueRestorer updating(m_paperListUpdating, true);
    int selected = -1;
    for (std::size_t i = 0; i < m_papers.size(); ++i)
        if (m_papers[i].Code == Page()->DMPaper())
            selected = static_cast<int>(i);
    lbxPaperType->SetItemIndex(selected);
}

void TdxfmPageSetupDialog::UpdatePaperSizeEdits()
{
    TValueRestorer loading(m_loading, true);
    TdxPrintDevice* device = dxPrintDevice();
    const double divisor = Page()->GetRealMeasurementUnits() == muInches ? 254.0 : 10.0;
    const bool landscape = Page()->Orientation() == poLandscape;
    const std::string legend = Page()->GetRealMeasurementUnits() == muInches ? "\"" : "mm";
    const TPoint size = Page()->GetRealPageSize();
    const struct {
        TdxPSSpinEdit* Edit;
        int Axis;
        int Value;
    } edits[] = {{sePaperWidth, landscape ? 1 : 0, size.X}, {sePaperHeight, landscape ? 0 : 1, size.Y}};
    for (const auto& e : edits) {
        e.Edit->SetLegendText(legend);
        e.Edit->SetMinValue(0);
        e.Edit->SetMaxValue(device->GetMaxExtent(e.Axis) / divisor);
        e.Edit->SetMinValue(device->GetMinExtent(e.Axis) / divisor);
        e.Edit->SetValue(e.Value / 1000.0);
        SetEditable(e.Edit, m_style->AllowCustomPaperSizes());
    }
}

void TdxfmPageSetupDialog::SetPreviewPages()
{
    TdxPrinterPage* page = Page();
    const TdxPreviewMeasurementUnits units = page->GetRealMeasurementUnits() == muInches ? pmuInches : pmuMillimeters;
    const TdxPreviewPaperOrientation orientation = page->Orientation() == poLandscape ? ppoLandscape : ppoPortrait;
    for (TdxPreview* p : {prvOrientation, prvMargins}) {
        p->SetMeasurementUnits(units);
        p->SetOriginalPageSize(page->GetPageSizeLoMetric());
        p->SetOrientation(orientation);
    }
}

void TdxfmPageSetupDialog::OrientationClicked(int Tag)
{
    if (m_loading)
        return;
    const TdxPrinterOrientation orientation = Tag == 1 ? poLandscape : poPortrait;
    if (Page()->Orientation() == orientation)
        return;
    WriteMarginsToPage();
    Page()->SetOrientation(orientation);
    SetPreviewPages();
    UpdatePaperSizeEdits();
    SetMarginBounds();
    LoadMargins();
    ValidateMargins();
    MarkModified();
}

void TdxfmPageSetupDialog::DrawPaperItem(int Index, const TRect& Rect, bool Selected)
{
    TCanvas* c = lbxPaperType->Canvas();
    c->FillRect(Rect);
    if (Index < 0 || Index >= static_cast<int>(m_papers.size()))
        return;
    const bool enabled = lbxPaperType->Enabled();
    const int image = m_papers[static_cast<std::size_t>(Index)].Envelope ? detail::psiEnvelope : detail::psiPaper;
    m_paperImages->Draw(c, Rect.Left + 2, Rect.Top + (Rect.Height() - m_paperImages->Height()) / 2, image, enabled);
    if (!enabled)
        c->Font()->SetColor(clGrayText);
    else if (!Selected)
        c->Font()->SetColor(clWindowText);
    TRect text{Rect.Left + m_paperImages->Width() + 6, Rect.Top, Rect.Right, Rect.Bottom};
    c->SetBkMode(TRANSPARENT);
    c->DrawText(lbxPaperType->Items()->Get(Index), text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TdxfmPageSetupDialog::DrawBinItem(int Index, const TRect& Rect, bool /*Selected*/)
{
    TCanvas* c = cbxPaperSource->Canvas();
    c->FillRect(Rect);
    if (Index < 0 || Index >= static_cast<int>(m_bins.size()))
        return;
    const int image = m_bins[static_cast<std::size_t>(Index)].Automatic ? detail::psiAutoBin : detail::psiBin;
    m_paperImages->Draw(c, Rect.Left + 2, Rect.Top + (Rect.Height() - m_paperImages->Height()) / 2, image,
                        cbxPaperSource->Enabled());
    TRect text{Rect.Left + m_paperImages->Width() + 6, Rect.Top, Rect.Right, Rect.Bottom};
    c->SetBkMode(TRANSPARENT);
    c->DrawText(cbxPaperSource->Items()->Get(Index), text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TdxfmPageSetupDialog::DrawPrintOrder()
{
    TCanvas* c = pbxPrintOrder->Canvas();
    const int image = rbtnOverThenDown->Checked() ? 0 : 1;
    m_pageOrderImages->Draw(c, (pbxPrintOrder->Width() - m_pageOrderImages->Width()) / 2,
                            (pbxPrintOrder->Height() - m_pageOrderImages->Height()) / 2, image,
                            gbxPrintOrder->Enabled());
}

// ===== style name, options, preview and print ========================================================

void TdxfmPageSetupDialog::StyleNameExited()
{
    if (m_loading || edStyleName->ReadOnly())
        return;
    m_style->SetStyleCaption(edStyleName->Text());
    auto* shared = m_manager ? dynamic_cast<TdxPageSetupDialog*>(m_manager->PageSetupDialog()) : nullptr;
    SetCaption(dxPageSetupTitle(shared ? shared->Title() : TdxPageSetupDialog::DefaultTitle, m_style->StyleCaption(),
                                true));
}

bool TdxfmPageSetupDialog::StyleNameIsUnique()
{
    if (!m_manager || edStyleName->ReadOnly() || !pnlStyleName->Visible())
        return true;
    const std::string name = edStyleName->Text();
    for (int i = 0; i < m_manager->Count(); ++i) {
        TBasedxPrintStyle* other = m_manager->Styles(i);
        if (other != m_callerStyle && other->StyleCaption() == name) {
            MessageWarning(Format("The style name \"%s\" already exists. Please supply another name.", {Variant(name)}));
            return false;
        }
    }
    return true;
}

void TdxfmPageSetupDialog::OptionsClicked()
{
    if (m_style->ShowOptionsDlg())
        MarkModified();
}

void TdxfmPageSetupDialog::PreviewOrPrintClicked(bool Print)
{
    MarkModified();
    (Print ? m_printPressed : m_previewPressed) = true;
    SetModalResult(mrOk);
}

// ===== showing and closing ===========================================================================

void TdxfmPageSetupDialog::DoShow()
{
    TCustomdxPSForm::DoShow();
    if (m_events.OnShow)
        m_events.OnShow(this);
}

void TdxfmPageSetupDialog::DoClose(TCloseAction& Action)
{
    if (m_events.OnClose)
        m_events.OnClose(this);
    TCustomdxPSForm::DoClose(Action);
}

bool TdxfmPageSetupDialog::CloseQuery()
{
    // A margin being dragged holds the mouse: no close until it is dropped.
    if (prvMargins->DraggingMargin())
        return false;
    if (ModalResult() == mrOk) {
        CommitActiveControl();
        if (!StyleNameIsUnique()) {
            m_previewPressed = m_printPressed = false;
            edStyleName->SetFocus();
            return false;
        }
        CheckMarginsOnClose();
        WriteMarginsToPage();
    }
    return TCustomdxPSForm::CloseQuery();
}

void TdxfmPageSetupDialog::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomdxPSForm::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == m_callerStyle)
        m_callerStyle = nullptr;
    if (AComponent == m_manager)
        m_manager = nullptr;
}

} // namespace qel
