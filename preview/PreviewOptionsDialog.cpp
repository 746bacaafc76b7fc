#include "preview/PreviewOptionsDialog.h"

#include "platform/controls/ComCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "preview/Preview.h"
#include "preview/detail/DialogLayout.h"
#include "printing/PrintControls.h"
#include "printing/PrinterPage.h"

namespace qel {

QEL_REGISTER_CLASS(TdxfmOptions, TdxPSDialog);

using namespace detail;

namespace {

constexpr int kRecordUnits = 3;   // default, inches, millimetres

// A captionless group holding a label and the editor it names.
TGroupBox* PlaceGroup(TWinControl* Parent, TComponent* Owner, int Top, int Height)
{
    return Place<TGroupBox>(Parent, Owner, 8, Top, 290, Height);
}

TLabel* PlaceLabel(TWinControl* Parent, TComponent* Owner, int Top, const char* Caption)
{
    auto* label = Place<TLabel>(Parent, Owner, 12, Top, 130, 16);
    label->SetCaption(Caption);
    return label;
}

} // namespace

TdxPreviewOptionsDlgData dxPreviewOptionsOf(const TCustomdxPreview& Preview)
{
    TdxPreviewOptionsDlgData data;
    data.SetMarginColor(Preview.MarginColor());
    data.SetMeasurementUnits(Preview.MeasurementUnits());
    data.SetShowMarginHintsWhileDragging(Preview.OptionsHint().Contains(pohShowOnDrag));
    data.SetShowMarginHints(Preview.OptionsHint().Contains(pohShowForMargins));
    data.SetShowMargins(Preview.OptionsView().Contains(povMargins));
    data.SetZoomOnMouseRoll(Preview.OptionsZoom().Contains(pozZoomOnMouseRoll));
    data.SetZoomStep(Preview.ZoomStep());
    return data;
}

void dxApplyPreviewOptions(const TdxPreviewOptionsDlgData& Data, TCustomdxPreview& Preview, TdxPrinterPage* Page)
{
    Preview.SetMarginColor(Data.MarginColor());
    const int units = Data.MeasurementUnits();
    if (units < kRecordUnits) {
        Preview.SetMeasurementUnits(static_cast<TdxPreviewMeasurementUnits>(units));
        if (Page)
            Page->SetMeasurementUnits(static_cast<TdxMeasurementUnits>(units));
    }
    TdxPreviewOptionsHint hints = Preview.OptionsHint();
    hints.Set(pohShowOnDrag, Data.ShowMarginHintsWhileDragging());
    hints.Set(pohShowForMargins, Data.ShowMarginHints());
    Preview.SetOptionsHint(hints);
    TdxPreviewOptionsView view = Preview.OptionsView();
    Preview.SetOptionsView(view.Set(povMargins, Data.ShowMargins()));
    Preview.Margins()->Gutter()->SetVisible(false);
    TdxPreviewOptionsZoom zoom = Preview.OptionsZoom();
    Preview.SetOptionsZoom(zoom.Set(pozZoomOnMouseRoll, Data.ZoomOnMouseRoll()));
    Preview.SetZoomStep(Data.ZoomStep());
}

TdxfmOptions::TdxfmOptions(TComponent* AOwner) : TdxPSDialog(AOwner, "Options", 330, 318)
{
    CreateControls();
}

TdxfmOptions::~TdxfmOptions() { Destroying(); }

void TdxfmOptions::CreateControls()
{
    PageControl = Place<TPageControl>(this, this, 8, 8, 314, 272);
    PageControl->SetName("PageControl");
    tshGeneral = new TTabSheet(this);
    tshGeneral->SetPageControl(PageControl);
    tshGeneral->SetCaption("&General");

    gbxShow = Place<TGroupBox>(tshGeneral, this, 8, 6, 290, 86);
    gbxShow->SetCaption(" &Show ");
    const auto check = [this](TWinControl* Parent, TCheckBox*& Box, const char* Name, const char* Caption, int Left,
                              int Top) {
        Box = Place<TCheckBox>(Parent, this, Left, Top, 240, 17);
        Box->SetName(Name);
        Box->SetCaption(Caption);
        Box->OnClick = [this](TObject*) { Changed(); };
    };
    check(gbxShow, chbxShowMargins, "chbxShowMargins", "&Margins ", 12, 20);
    check(gbxShow, chbxShowMarginsHints, "chbxShowMarginsHints", "Margins &Hints", 12, 40);
    check(gbxShow, chbxShowMarginsHintsWhileDragging, "chbxShowMarginsHintsWhileDragging",
          "Margins Hints While &Dragging", 28, 60);

    TGroupBox* units = PlaceGroup(tshGeneral, this, 98, 42);
    lblMeasurementUnits = PlaceLabel(units, this, 16, "Measurement &Units:");
    cbxMeasurementUnits = Place<TComboBox>(units, this, 150, 12, 128, 22);
    cbxMeasurementUnits->SetName("cbxMeasurementUnits");
    cbxMeasurementUnits->SetStyle(csDropDownList);
    for (const char* item : {"Default", "Inches", "Millimeters"})
        cbxMeasurementUnits->Items()->Add(item);
    cbxMeasurementUnits->OnChange = [this](TObject*) { Changed(); };

    TGroupBox* color = PlaceGroup(tshGeneral, this, 146, 42);
    lblMarginColor = PlaceLabel(color, this, 16, "Margins &Color:");
    ccbxMarginColor = Place<TdxPSColorCombo>(color, this, 150, 12, 128, 22);
    ccbxMarginColor->SetName("ccbxMarginColor");
    ccbxMarginColor->SetAutoColor(clWindowText);
    ccbxMarginColor->SetShowAutoColor(true);
    ccbxMarginColor->SetShowCustomColor(false);
    ccbxMarginColor->OnChange = [this](TObject*) { Changed(); };

    TGroupBox* zoom = PlaceGroup(tshGeneral, this, 194, 64);
    check(zoom, chbxZoomOnRoll, "chbxZoomOnRoll", "&Zoom on roll with IntelliMouse", 12, 12);
    lblZoomStep = PlaceLabel(zoom, this, 38, "Zoom Ste&p:");
    seZoomStep = Place<TdxPSSpinEdit>(zoom, this, 150, 34, 64, 22);
    seZoomStep->SetName("seZoomStep");
    seZoomStep->SetMaxValue(20);
    seZoomStep->SetMinValue(1);
    seZoomStep->SetLegendText("%");
    seZoomStep->OnChange = [this](TObject*) { Changed(); };

    // A click on a label opens its editor.
    const auto opens = [](TLabel* Label, TWinControl* Editor, TComboBox* List) {
        Label->SetFocusControl(Editor);
        Label->OnClick = [Editor, List](TObject*) {
            if (Editor->CanFocus())
                Editor->SetFocus();
            if (List)
                List->SetDroppedDown(true);
        };
    };
    opens(lblMeasurementUnits, cbxMeasurementUnits, cbxMeasurementUnits);
    opens(lblMarginColor, ccbxMarginColor, ccbxMarginColor);
    opens(lblZoomStep, seZoomStep, nullptr);
}

void TdxfmOptions::Load(const TdxPreviewOptionsDlgData& Data)
{
    TValueRestorer<bool> loading(m_loading, true);
    m_modified = false;
    m_loadedUnits = Data.MeasurementUnits();
    cbxMeasurementUnits->SetItemIndex(m_loadedUnits < kRecordUnits ? m_loadedUnits : 0);
    ccbxMarginColor->SetColorValue(Data.MarginColor());
    seZoomStep->SetValue(Data.ZoomStep());
    seZoomStep->SetDefaultValue(seZoomStep->Value());
    chbxShowMargins->SetChecked(Data.ShowMargins());
    chbxShowMarginsHints->SetChecked(Data.ShowMarginHints());
    chbxShowMarginsHintsWhileDragging->SetChecked(Data.ShowMarginHintsWhileDragging());
    chbxZoomOnRoll->SetChecked(Data.ZoomOnMouseRoll());
    chbxZoomOnRoll->SetEnabled(GetSystemMetrics(SM_MOUSEWHEELPRESENT) != 0);
    ArrangeButtons(dxPreviewOptionsHelpContext);
}

void TdxfmOptions::Store(TdxPreviewOptionsDlgData& Data) const
{
    const int units = cbxMeasurementUnits->ItemIndex();
    const bool unknownUnits = m_loadedUnits >= kRecordUnits;
    if (units >= 0 && !(unknownUnits && units == 0))
        Data.SetMeasurementUnits(units);
    Data.SetMarginColor(ccbxMarginColor->ColorValue());
    Data.SetZoomStep(seZoomStep->AsInteger());
    Data.SetShowMargins(chbxShowMargins->Checked());
    Data.SetShowMarginHints(chbxShowMarginsHints->Checked());
    Data.SetShowMarginHintsWhileDragging(chbxShowMarginsHintsWhileDragging->Checked());
    Data.SetZoomOnMouseRoll(chbxZoomOnRoll->Checked());
}

bool dxShowPreviewOptionsDlg(TdxPreviewOptionsDlgData* Data)
{
    return Data && detail::RunDialog<TdxfmOptions>(*Data);
}

} // namespace qel
