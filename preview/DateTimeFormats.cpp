#include "preview/DateTimeFormats.h"

#include "platform/controls/StdCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "preview/detail/DialogLayout.h"
#include "printing/HeaderFooterFunctions.h"
#include "printing/PrintUIUtils.h"

namespace qel {

QEL_REGISTER_CLASS(TdxfmDateTimeFormats, TdxPSDialog);

using namespace detail;

namespace {

bool ValidIndex(int Index, const TStrings* List) { return List && Index >= 0 && Index < List->Count(); }

} // namespace

TdxfmDateTimeFormats::TdxfmDateTimeFormats(TComponent* AOwner)
    : TdxPSDialog(AOwner, "Date and Time", 400, 262), m_dateFormats(std::make_unique<TStringList>()),
      m_timeFormats(std::make_unique<TStringList>())
{
    CreateControls();
}

TdxfmDateTimeFormats::~TdxfmDateTimeFormats() { Destroying(); }

void TdxfmDateTimeFormats::CreateControls()
{
    const auto list = [this](TLabel*& Label, TListBox*& List, const char* Caption, int Left, int Width) {
        Label = Place<TLabel>(this, this, Left, 8, Width, 16);
        Label->SetCaption(Caption);
        List = Place<TListBox>(this, this, Left, 26, Width, 164);
        Label->SetFocusControl(List);
        List->OnClick = [this](TObject*) { SelectionChanged(); };
        List->OnDblClick = [this](TObject*) { btnOK->Click(); };
    };
    list(lblDateFormats, lbxDateFormats, "&Available Date Formats:", 8, 220);
    list(lblTimeFormats, lbxTimeFormats, "Available &Time Formats:", 236, 156);
    lbxDateFormats->SetName("lbxDateFormats");
    lbxTimeFormats->SetName("lbxTimeFormats");
    chbxAutoUpdate = Place<TCheckBox>(this, this, 8, 198, 220, 17);
    chbxAutoUpdate->SetName("chbxAutoUpdate");
    chbxAutoUpdate->SetCaption("&Update Automatically");
    chbxAutoUpdate->OnClick = [this](TObject*) { SelectionChanged(); };
    btnDefault = PlaceButton(this, this, "btnDefault", "&Default...", 8, 231, 75, 23);
    btnDefault->OnClick = [this](TObject*) { AskDefault(); };
}

void TdxfmDateTimeFormats::Load(const TdxDateTimeFormatsDlgData& Data)
{
    TValueRestorer<bool> loading(m_loading, true);
    if (Data.DateFormats)
        m_dateFormats->Assign(Data.DateFormats);
    if (Data.TimeFormats)
        m_timeFormats->Assign(Data.TimeFormats);
    m_dateFormatIndex = Data.DateFormatIndex;
    m_timeFormatIndex = Data.TimeFormatIndex;
    m_autoUpdate = Data.AutoUpdateDateTime;
    m_setAsDefault = false;
    m_modified = false;

    const TDateTime now = Now();
    lbxDateFormats->Clear();
    GetFormattedDateStrings(*m_dateFormats, *lbxDateFormats->Items(), now);
    lbxTimeFormats->Clear();
    GetFormattedTimeStrings(*m_timeFormats, *lbxTimeFormats->Items(), now);
    lbxDateFormats->SetItemIndex(m_dateFormatIndex);
    lbxTimeFormats->SetItemIndex(m_timeFormatIndex);
    chbxAutoUpdate->SetChecked(m_autoUpdate);
    btnDefault->SetVisible(Data.ShowAsDefaultButton);
    ArrangeButtons(dxDateTimeFormatsHelpContext);
    UpdateControls();
    SetActiveControl(lbxDateFormats);
}

void TdxfmDateTimeFormats::UpdateControls()
{
    btnDefault->SetEnabled(lbxDateFormats->ItemIndex() >= 0 && lbxTimeFormats->ItemIndex() >= 0);
}

void TdxfmDateTimeFormats::SelectionChanged()
{
    if (m_loading)
        return;
    m_dateFormatIndex = lbxDateFormats->ItemIndex();
    m_timeFormatIndex = lbxTimeFormats->ItemIndex();
    m_autoUpdate = chbxAutoUpdate->Checked();
    Changed();
    UpdateControls();
}

void TdxfmDateTimeFormats::AskDefault()
{
    const int date = lbxDateFormats->ItemIndex(), time = lbxTimeFormats->ItemIndex();
    if (date < 0 || time < 0)
        return;
    const std::string question = "Do you want to change the default date and time formats to match \"" +
                                 lbxDateFormats->Items()->Get(date) + "\"  - \"" + lbxTimeFormats->Items()->Get(time) +
                                 "\" ?";
    if (!MessageQuestion(question))
        return;
    m_setAsDefault = true;
    Changed();
}

void TdxfmDateTimeFormats::Store(TdxDateTimeFormatsDlgData& Data) const
{
    Data.DateFormatIndex = m_dateFormatIndex;
    Data.TimeFormatIndex = m_timeFormatIndex;
    Data.AutoUpdateDateTime = m_autoUpdate;
    Data.SetDateTimeFormatAsDefault = m_setAsDefault;
}

bool dxDateTimeFormatsDlg(TdxDateTimeFormatsDlgData& Data)
{
    if (!ValidIndex(Data.DateFormatIndex, Data.DateFormats) || !ValidIndex(Data.TimeFormatIndex, Data.TimeFormats))
        return false;
    return detail::RunDialog<TdxfmDateTimeFormats>(Data);
}

} // namespace qel
