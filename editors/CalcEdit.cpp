#include "editors/CalcEdit.h"

#include "platform/core/Locale.h"

namespace qel {

TdxInplaceCalcEdit::TdxInplaceCalcEdit(TComponent* AOwner) : TdxInplaceDropDownEdit(AOwner)
{
    SetAlignment(taRightJustify);
}

TControl* TdxInplaceCalcEdit::PopupContent(TWinControl* Parent)
{
    m_calculator = new TdxPopupCalculator(Parent);
    m_calculator->SetParent(Parent);
    m_calculator->SetAlign(alClient);
    m_calculator->OnResult = [this](TObject*) {
        if (m_quickClose)
            CloseUp(true);
    };
    return m_calculator;
}

void TdxInplaceCalcEdit::DoInitPopup()
{
    m_calculator->SetFont(Font());
    m_calculator->SetShowButtonFrame(m_showButtonFrame || m_buttonStyle == bsStandard);
    m_calculator->Engine().SetPrecision(m_precision);
    double v = 0;
    if (!TryStrToFloat(Trim(Text()), v))
        v = 0;
    m_calculator->Engine().SetValue(v);
    m_calculator->Invalidate();
}

TSize TdxInplaceCalcEdit::PopupSize()
{
    return m_calculator ? m_calculator->CalcSize() : TSize{};
}

void TdxInplaceCalcEdit::PopupKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (m_calculator && m_calculator->HandleKey(Key, Shift))
        Key = 0;
}

bool TdxInplaceCalcEdit::PopupKeyPress(TKeyChar Key)
{
    if (!m_calculator)
        return false;
    if (!m_calculator->HandleChar(Key))
        ++m_refused;
    return true;   // no character reaches the text while the calculator is open
}

void TdxInplaceCalcEdit::DoCloseUp(Variant& Value, bool& Accept)
{
    if (Accept && m_calculator) {
        m_calculator->Engine().Input(U'=');   // a pending operation completes
        Value = PopupValue();
        if (m_calculator->Engine().Error())
            Accept = false;
    }
    TdxInplaceDropDownEdit::DoCloseUp(Value, Accept);
}

Variant TdxInplaceCalcEdit::PopupValue()
{
    if (!m_calculator)
        return GetEditingValue();
    return Variant(m_calculator->Engine().Display());
}

} // namespace qel
