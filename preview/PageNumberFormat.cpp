#include "preview/PageNumberFormat.h"

#include "platform/controls/StdCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "preview/PSValueEdit.h"
#include "preview/detail/DialogLayout.h"
#include "printing/PrintUIUtils.h"

namespace qel {

QEL_REGISTER_CLASS(TdxfmPageNumberFormat, TdxPSDialog);

using namespace detail;

TdxfmPageNumberFormat::TdxfmPageNumberFormat(TComponent* AOwner)
    : TdxPSDialog(AOwner, "Page Number Format", 330, 118)
{
    CreateControls();
}

TdxfmPageNumberFormat::~TdxfmPageNumberFormat() { Destroying(); }

void TdxfmPageNumberFormat::CreateControls()
{
    lblPageNumberingFormat = Place<TLabel>(this, this, 8, 15, 90, 16);
    lblPageNumberingFormat->SetCaption("Number &Format:");
    cbxPageNumberingFormat = Place<TComboBox>(this, this, 100, 11, 222, 22);
    cbxPageNumberingFormat->SetName("cbxPageNumberingFormat");
    cbxPageNumberingFormat->SetStyle(csDropDownList);
    cbxPageNumberingFormat->OnChange = [this](TObject*) { FormatChanged(); };
    lblPageNumberingFormat->SetFocusControl(cbxPageNumberingFormat);

    lblStartAt = Place<TLabel>(this, this, 8, 49, 90, 16);
    lblStartAt->SetCaption("Start &At:");
    sePageNumber = Place<TdxPSValueEdit>(this, this, 100, 45, 100, 22);
    sePageNumber->SetName("sePageNumber");
    sePageNumber->SetMaxValue(10000);
    sePageNumber->SetValue(1);
    sePageNumber->OnChange = [this](TObject*) { Changed(); };
    sePageNumber->OnExit = [this](TObject*) { m_startPageIndex = sePageNumber->AsInteger(); };
    lblStartAt->SetFocusControl(sePageNumber);

    btnDefault = PlaceButton(this, this, "btnDefault", "&Default...", 8, 87, 75, 23);
    btnDefault->OnClick = [this](TObject*) { AskDefault(); };
}

void TdxfmPageNumberFormat::Load(const TdxPageNumberFormatDlgData& Data)
{
    TValueRestorer<bool> loading(m_loading, true);
    cbxPageNumberingFormat->Items()->Clear();
    if (Data.PageNumberFormats)
        cbxPageNumberingFormat->Items()->Assign(Data.PageNumberFormats);
    m_formatIndex = Data.PageNumberFormatIndex;
    m_startPageIndex = Data.StartPageIndex;
    m_setAsDefault = false;
    m_modified = false;
    cbxPageNumberingFormat->SetItemIndex(m_formatIndex);
    sePageNumber->SetIntValueType(static_cast<TdxPageNumberFormat>(m_formatIndex));
    sePageNumber->SetValue(m_startPageIndex);
    btnDefault->SetVisible(Data.ShowAsDefaultButton);
    ArrangeButtons(dxPageNumberFormatHelpContext);
    SetActiveControl(cbxPageNumberingFormat);
}

void TdxfmPageNumberFormat::FormatChanged()
{
    if (m_loading)
        return;
    m_formatIndex = cbxPageNumberingFormat->ItemIndex();
    {
        // The number stays; only its text changes.
        TValueRestorer<bool> loading(m_loading, true);
        sePageNumber->SetIntValueType(static_cast<TdxPageNumberFormat>(m_formatIndex));
    }
    Changed();
}

void TdxfmPageNumberFormat::AskDefault()
{
    const int index = cbxPageNumberingFormat->ItemIndex();
    if (index < 0)
        return;
    if (!MessageQuestion("Do you want to change the default Page numbering format to match \"" +
                         cbxPageNumberingFormat->Items()->Get(index) + "\" ?"))
        return;
    m_setAsDefault = true;
    Changed();
}

bool TdxfmPageNumberFormat::Execute()
{
    const bool changed = TdxPSDialog::Execute();
    // OK pressed by Enter in the number leaves it without an exit.
    if (changed)
        m_startPageIndex = sePageNumber->AsInteger();
    return changed;
}

void TdxfmPageNumberFormat::Store(TdxPageNumberFormatDlgData& Data) const
{
    Data.PageNumberFormatIndex = m_formatIndex;
    Data.StartPageIndex = m_startPageIndex;
    Data.SetPageNumberFormatAsDefault = m_setAsDefault;
}

bool dxPageNumberFormatDlg(TdxPageNumberFormatDlgData& Data)
{
    const TStrings* formats = Data.PageNumberFormats;
    const int index = Data.PageNumberFormatIndex;
    if (!formats || index < 0 || index >= formats->Count() || index > pnfUpperRoman)
        return false;
    return detail::RunDialog<TdxfmPageNumberFormat>(Data);
}

} // namespace qel
