#include "preview/ReportTitleProperties.h"

#include "platform/controls/ComCtrls.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "platform/storage/Registry.h"
#include "preview/detail/DialogLayout.h"
#include "printing/PSEngine.h"
#include "printing/PrintControls.h"
#include "printing/PrintUIUtils.h"
#include "printing/ReportTitle.h"

#include <algorithm>

namespace qel {

QEL_REGISTER_CLASS(TdxfmReportTitleProperties, TCustomdxPSForm);

using namespace detail;

namespace {

TComboBox* PlaceList(TWinControl* Parent, TComponent* Owner, int Left, int Top, int Width,
                     std::initializer_list<const char*> Items)
{
    auto* box = Place<TComboBox>(Parent, Owner, Left, Top, Width, 22);
    box->SetStyle(csDropDownList);
    for (const char* item : Items)
        box->Items()->Add(item);
    return box;
}

TLabel* PlaceLabel(TWinControl* Parent, TComponent* Owner, int Left, int Top, const char* Caption,
                   TWinControl* Focus)
{
    auto* label = Place<TLabel>(Parent, Owner, Left, Top, 80, 16);
    label->SetCaption(Caption);
    label->SetFocusControl(Focus);
    return label;
}

} // namespace

TdxfmReportTitleProperties::TdxfmReportTitleProperties(TComponent* AOwner)
    : TCustomdxPSForm(AOwner), m_title(std::make_unique<TdxReportTitle>())
{
    SetCaption("Report Title");
    SetBorderStyle(bsDialog);
    SetBorderIcons({biSystemMenu});
    SetPosition(poScreenCenter);
    SetClientWidth(352);
    SetClientHeight(292);
    CreateControls();
}

TdxfmReportTitleProperties::~TdxfmReportTitleProperties() { Destroying(); }

void TdxfmReportTitleProperties::CreateControls()
{
    PageControl = Place<TPageControl>(this, this, 8, 8, 336, 242);
    PageControl->SetName("PageControl");
    tshText = new TTabSheet(this);
    tshText->SetPageControl(PageControl);
    tshText->SetCaption("&Text");
    tshProperties = new TTabSheet(this);
    tshProperties->SetPageControl(PageControl);
    tshProperties->SetCaption("&Properties");

    memText = Place<TMemo>(tshText, this, 8, 8, 312, 196);
    memText->SetName("memText");
    memText->SetScrollBars(ssVertical);
    memText->OnChange = [this](TObject*) { Changed(); };
    CreatePropertiesPage();

    btnRestoreDefaults = PlaceButton(this, this, "btnRestoreDefaults", "&Restore Defaults", 8, 261, 110, 23);
    btnRestoreDefaults->OnClick = [this](TObject*) { RestoreDefaults(); };
    const TDialogButtons buttons = CreateDialogButtons(*this);
    btnOK = buttons.OK;
    btnCancel = buttons.Cancel;
    btnHelp = buttons.Help;
}

void TdxfmReportTitleProperties::CreatePropertiesPage()
{
    TTabSheet* page = tshProperties;
    cbxMode = PlaceList(page, this, 96, 10, 140, {"None", "On First Page", "On Every Top Page"});
    cbxMode->SetName("cbxMode");
    lblMode = PlaceLabel(page, this, 8, 14, "&Mode:", cbxMode);

    ccbxColor = Place<TdxPSColorCombo>(page, this, 96, 40, 128, 22);
    ccbxColor->SetName("ccbxColor");
    ccbxColor->SetColorTypes({ctPure});
    ccbxColor->SetAutoColor(clWhite);
    ccbxColor->SetShowAutoColor(true);
    lblColor = PlaceLabel(page, this, 8, 44, "Co&lor:", ccbxColor);
    chbxTransparent = Place<TCheckBox>(page, this, 232, 42, 96, 17);
    chbxTransparent->SetName("chbxTransparent");
    chbxTransparent->SetCaption("&Transparent");

    edFont = Place<TEdit>(page, this, 8, 72, 216, 22);
    edFont->SetName("edFont");
    edFont->SetReadOnly(true);
    edFont->SetColor(clBtnFace);
    btnFont = PlaceButton(page, this, "btnFont", "Fo&nt...", 232, 71, 88, 23);
    btnFont->OnClick = [this](TObject*) { ChooseFont(); };
    chbxAdjustOnScale = Place<TCheckBox>(page, this, 8, 104, 228, 17);
    chbxAdjustOnScale->SetName("chbxAdjustOnScale");
    chbxAdjustOnScale->SetCaption("&Adjust on Scale");

    gbxAlignment = Place<TGroupBox>(page, this, 8, 130, 320, 76);
    gbxAlignment->SetCaption("Alignment");
    cbxTextAlignX = PlaceList(gbxAlignment, this, 96, 18, 140, {"Left", "Center", "Right"});
    cbxTextAlignX->SetName("cbxTextAlignX");
    lblTextAlignX = PlaceLabel(gbxAlignment, this, 10, 22, "Hori&zontally", cbxTextAlignX);
    cbxTextAlignY = PlaceList(gbxAlignment, this, 96, 46, 140, {"Top", "Center", "Bottom"});
    cbxTextAlignY->SetName("cbxTextAlignY");
    lblTextAlignY = PlaceLabel(gbxAlignment, this, 10, 50, "&Vertically", cbxTextAlignY);

    for (TComboBox* box : {cbxMode, static_cast<TComboBox*>(ccbxColor), cbxTextAlignX, cbxTextAlignY})
        box->OnChange = [this](TObject*) { Changed(); };
    for (TCheckBox* box : {chbxTransparent, chbxAdjustOnScale})
        box->OnClick = [this](TObject*) { Changed(); };
}

void TdxfmReportTitleProperties::LoadFromRegistry(const std::string& Key)
{
    TCustomdxPSForm::LoadFromRegistry(Key);
    TRegistry registry;
    if (registry.OpenKeyReadOnly(Key) && registry.ValueExists("ActivePage") &&
        registry.GetDataType("ActivePage") == rdInteger)
        m_activePage = registry.ReadInteger("ActivePage");
}

void TdxfmReportTitleProperties::StoreSettings()
{
    if (!StoresPlacement())
        return;
    try {
        TRegistry registry;
        if (registry.OpenKey(GetPlacementKey(dxPSEngine()->GetRegistryPath()), true))
            registry.WriteInteger("ActivePage", PageControl->ActivePageIndex());
    } catch (const std::exception& E) {
        Application().HandleException(E);
    }
}

void TdxfmReportTitleProperties::Load(TdxReportTitle* Source)
{
    if (Source)
        m_title->Assign(Source);
    LoadControls();
}

void TdxfmReportTitleProperties::LoadControls()
{
    TValueRestorer<bool> loading(m_loading, true);
    const TdxReportTitle& t = *m_title;
    chbxAdjustOnScale->SetChecked(t.AdjustOnReportScale());
    ccbxColor->SetColorValue(t.Color());
    SetFontInfoText(edFont, t.Font());
    cbxMode->SetItemIndex(t.Mode());
    memText->SetText(t.Text());
    cbxTextAlignX->SetItemIndex(t.TextAlignX());
    cbxTextAlignY->SetItemIndex(t.TextAlignY());
    chbxTransparent->SetChecked(t.Transparent());
    UpdateControls();
}

void TdxfmReportTitleProperties::SaveControls()
{
    TdxReportTitle& t = *m_title;
    TUpdateScope<TdxReportTitle> update(t);
    t.SetAdjustOnReportScale(chbxAdjustOnScale->Checked());
    t.SetColor(ccbxColor->ColorValue());
    t.SetMode(static_cast<TdxReportTitleMode>(std::max(cbxMode->ItemIndex(), 0)));
    t.SetText(memText->Text());
    t.SetTextAlignX(static_cast<TdxTextAlignX>(std::max(cbxTextAlignX->ItemIndex(), 0)));
    t.SetTextAlignY(static_cast<TdxTextAlignY>(std::max(cbxTextAlignY->ItemIndex(), 0)));
    t.SetTransparent(chbxTransparent->Checked());
}

void TdxfmReportTitleProperties::UpdateControls()
{
    ccbxColor->SetEnabled(!chbxTransparent->Checked());
    ArrangeButtonRow(*this, {btnOK, btnCancel, btnHelp}, {btnHelp, btnCancel, btnOK}, ClientWidth() - 8, 261, 6);
}

void TdxfmReportTitleProperties::Changed()
{
    if (m_loading)
        return;
    m_modified = true;
    UpdateControls();
}

void TdxfmReportTitleProperties::ChooseFont()
{
    TFontDialog dialog(nullptr);
    dialog.SetFont(m_title->Font());
    if (!dialog.Execute())
        return;
    m_title->SetFont(dialog.Font());
    SetFontInfoText(edFont, m_title->Font());
    m_modified = true;
}

void TdxfmReportTitleProperties::RestoreDefaults()
{
    m_title->RestoreDefaults();
    LoadControls();
    m_modified = true;
}

bool TdxfmReportTitleProperties::Execute()
{
    PageControl->SetActivePageIndex(std::clamp(m_activePage, 0, PageControl->PageCount() - 1));
    m_modified = false;
    const bool ok = ShowModal() == mrOk;
    StoreSettings();
    if (!ok || !m_modified)
        return false;
    SaveControls();
    return true;
}

bool dxReportTitlePropertiesDlg(TdxReportTitlePropertiesDlgData& Data)
{
    if (!Data.ReportTitle)
        return false;
    const std::unique_ptr<TdxfmReportTitleProperties> form(CreateForm<TdxfmReportTitleProperties>(nullptr));
    form->SetHelpContext(Data.HelpContext);
    form->Load(Data.ReportTitle);
    if (!form->Execute())
        return false;
    Data.ReportTitle->Assign(form->ReportTitle());
    return true;
}

} // namespace qel
