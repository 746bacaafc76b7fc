#include "preview/ReportTitleProperties.h"

#include "platform/controls/ComCtrls.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "platform/storage/Registry.h"
#include "preview/detail/DialogLayout.h"
#include "printing/PrintControls.h"
#include "printing/PrintUIUtils.h"
#include "printing/ReportTitle.h"

#include <algorithm>

namespace qel {

QEL_REGISTER_CLASS(TdxfmReportTitleProperties, TdxPSDialog);

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
    : TdxPSDialog(AOwner, "Report Title", 352, 292), m_title(std::make_unique<TdxReportTitle>())
{
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
    memText->OnChange = [this](TObject*) { Edited(); };
    CreatePropertiesPage();

    btnRestoreDefaults = PlaceButton(this, this, "btnRestoreDefaults", "&Restore Defaults", 8, 261, 110, 23);
    btnRestoreDefaults->OnClick = [this](TObject*) { RestoreDefaults(); };
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
        box->OnChange = [this](TObject*) { Edited(); };
    for (TCheckBox* box : {chbxTransparent, chbxAdjustOnScale})
        box->OnClick = [this](TObject*) { Edited(); };
}

void TdxfmReportTitleProperties::LoadFromRegistry(const std::string& Key)
{
    TCustomdxPSForm::LoadFromRegistry(Key);
    TRegistry registry;
    if (registry.OpenKeyReadOnly(Key) && registry.ValueExists("ActivePage") &&
        registry.GetDataType("ActivePage") == rdInteger)
        m_activePage = registry.ReadInteger("ActivePage");
}

void TdxfmReportTitleProperties::Load(const TdxReportTitlePropertiesDlgData& Data)
{
    ArrangeButtons(Data.HelpContext);
    if (Data.ReportTitle)
        m_title->Assign(Data.ReportTitle);
    LoadControls();
}

void TdxfmReportTitleProperties::Store(TdxReportTitlePropertiesDlgData& Data) const
{
    if (Data.ReportTitle)
        Data.ReportTitle->Assign(m_title.get());
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
    ccbxColor->SetEnabled(!t.Transparent());
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

void TdxfmReportTitleProperties::Edited()
{
    if (m_loading)
        return;
    Changed();
    ccbxColor->SetEnabled(!chbxTransparent->Checked());
}

void TdxfmReportTitleProperties::ChooseFont()
{
    TFontDialog dialog(nullptr);
    dialog.SetFont(m_title->Font());
    if (!dialog.Execute())
        return;
    m_title->SetFont(dialog.Font());
    SetFontInfoText(edFont, m_title->Font());
    Changed();
}

void TdxfmReportTitleProperties::RestoreDefaults()
{
    m_title->RestoreDefaults();
    LoadControls();
    Changed();
}

bool TdxfmReportTitleProperties::Execute()
{
    PageControl->SetActivePageIndex(std::clamp(m_activePage, 0, PageControl->PageCount() - 1));
    m_modified = false;
    const bool changed = TdxPSDialog::Execute();
    detail::StoreDialogSettings(*this, [this](TRegistry& Registry) {
        Registry.WriteInteger("ActivePage", PageControl->ActivePageIndex());
    });
    if (changed)
        SaveControls();
    return changed;
}

bool dxReportTitlePropertiesDlg(TdxReportTitlePropertiesDlgData& Data)
{
    return Data.ReportTitle && detail::RunDialog<TdxfmReportTitleProperties>(Data);
}

} // namespace qel
