#include "editors/MemoEdit.h"

#include "editors/detail/EditWindow.h"
#include "platform/core/Guards.h"
#include "platform/core/Utf8.h"

namespace qel {

TdxInplaceMemoEdit::TdxInplaceMemoEdit(TComponent* AOwner) : TdxInplaceEdit(AOwner)
{
    m_memo = new detail::TdxMemoWindow(this, this);
    m_memo->SetParent(this);
    m_memo->SetBorderStyle(bsNone);
    m_memo->SetParentColor(true);
    m_memo->SetAlign(alClient);
    SetBounds(0, 0, 185, 89);
}

std::string TdxInplaceMemoEdit::Text() const
{
    return m_memo->Text();
}

void TdxInplaceMemoEdit::SetText(const std::string& Value)
{
    TValueRestorer<bool> setting(m_settingText, true);
    m_memo->SetText(Value);
}

void TdxInplaceMemoEdit::SetReadOnly(bool Value)
{
    TdxInplaceEdit::SetReadOnly(Value);
    m_memo->SetReadOnly(Value);
}

void TdxInplaceMemoEdit::SetSelection(int Start, int Length)
{
    m_memo->SetSelStart(Start);
    m_memo->SetSelLength(Length);
}

void TdxInplaceMemoEdit::EditWindowChanged()
{
    if (!m_settingText)
        DoChange();
}

void TdxInplaceMemoEdit::BoundsChanged()
{
    TdxInplaceEdit::BoundsChanged();
    const int b = BorderWidth();
    m_memo->SetBounds(b, b, std::max(0, Width() - 2 * b), std::max(0, Height() - 2 * b));
}

bool TdxInplaceMemoEdit::IsEditorKey(std::uint16_t Key, TShiftState Shift) const
{
    if (Shift.Contains(ssAlt))
        return false;
    switch (Key) {
    case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT:
        return !Shift.Contains(ssCtrl);
    case VK_RETURN:
        return WantReturns() && Shift.Empty();
    case VK_TAB:
        return WantTabs() && Shift.Empty();
    default:
        return TdxInplaceEdit::IsEditorKey(Key, Shift);
    }
}

void TdxInplaceMemoEdit::KeyPress(TKeyChar& Key)
{
    TdxInplaceEdit::KeyPress(Key);
    if ((Key == 0x0D || Key == 0x0A) && !WantReturns())
        Key = 0;
    if (Key >= 0x20 && m_maxLength > 0 && SelLength() == 0 && static_cast<int>(Utf8Length(Text())) >= m_maxLength)
        Key = 0;
}

} // namespace qel
