#include "editors/BlobEdit.h"

#include "editors/GraphicEdit.h"
#include "platform/controls/Messages.h"
#include "platform/core/Locale.h"
#include "platform/core/Utf8.h"

namespace qel {

TdxInplaceBlobEdit::TdxInplaceBlobEdit(TComponent* AOwner) : TdxInplaceDropDownEdit(AOwner)
{
    EditWindow()->SetReadOnly(true);   // the value is edited in the popup
    m_value = Variant::Null();
}

TdxInplaceBlobEdit::~TdxInplaceBlobEdit() = default;

void TdxInplaceBlobEdit::SetBlobKind(TdxBlobEditKind Value)
{
    m_blobKind = Value;
    ShowValue();
}

void TdxInplaceBlobEdit::ShowValue()
{
    std::string shown;
    switch (m_blobKind) {
    case bekMemo: {
        const std::string text = VarToStr(m_value);
        shown = text.substr(0, text.find_first_of("\r\n"));
        break;
    }
    case bekPict: shown = m_value.IsNull() ? "" : "(GRAPHIC)"; break;
    case bekOle: shown = m_value.IsNull() ? "" : "(OLE)"; break;
    default: shown = m_value.IsNull() ? "" : "(BLOB)"; break;
    }
    SetText(shown);
}

Variant TdxInplaceBlobEdit::GetEditingValue() const
{
    return m_value;
}

void TdxInplaceBlobEdit::SetEditingValue(const Variant& Value)
{
    m_value = Value.IsEmptyOrNull() ? Variant::Null() : Variant(VarToStr(Value));
    ShowValue();
}

bool TdxInplaceBlobEdit::CanDropDown() const
{
    return (m_blobKind == bekMemo || m_blobKind == bekPict) && Enabled();
}

TControl* TdxInplaceBlobEdit::PopupContent(TWinControl* Parent)
{
    m_popupParent = Parent;
    return nullptr;   // made per kind in DoInitPopup
}

void TdxInplaceBlobEdit::DoInitPopup()
{
    if (m_blobKind == bekMemo) {
        if (!m_memo) {
            m_memo = new TMemo(m_popupParent);
            m_memo->SetParent(m_popupParent);
            m_memo->SetAlign(alClient);
        }
        m_memo->SetVisible(true);
        m_memo->SetScrollBars(m_memoScrollBars);
        m_memo->SetWordWrap(m_memoWordWrap);
        m_memo->SetWantReturns(m_memoWantReturns);
        m_memo->SetWantTabs(m_memoWantTabs);
        m_memo->SetReadOnly(!CanModify());
        m_memo->SetText(VarToStr(m_value));
        m_memo->SetSelStart(static_cast<int>(Utf8Length(m_memo->Text())));
        if (m_picture)
            m_picture->SetVisible(false);
    } else {
        if (!m_picture) {
            m_picture = new TdxInplaceGraphicEdit(m_popupParent);
            m_picture->SetParent(m_popupParent);
            m_picture->SetAlign(alClient);
        }
        m_picture->SetVisible(true);
        m_picture->SetReadOnly(!CanModify());
        try {
            m_picture->SetEditingValue(m_value);
        } catch (const std::exception&) {
            m_picture->SetEditingValue(Variant::Null());   // bytes that are no picture show as none
        }
        m_picture->SetModified(false);
        if (m_memo)
            m_memo->SetVisible(false);
    }
}

TSize TdxInplaceBlobEdit::PopupSize()
{
    return {m_popupWidth, m_popupHeight};
}

void TdxInplaceBlobEdit::PopupKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (Key == VK_RETURN && Shift == TShiftState{ssCtrl}) {
        Key = 0;
        CloseUp(true);
        return;
    }
    if (m_blobKind == bekPict && m_picture) {
        // The picture's own keys: copy, paste, cut, delete.
        m_picture->KeyDown(Key, Shift);
        return;
    }
    if (!m_memo || m_memo->ReadOnly() || !Shift.Empty())
        return;
    const int start = m_memo->SelStart(), length = m_memo->SelLength();
    const int size = static_cast<int>(Utf8Length(m_memo->Text()));
    switch (Key) {
    case VK_LEFT: m_memo->SetSelStart(std::max(0, start - 1)); break;
    case VK_RIGHT: m_memo->SetSelStart(std::min(size, start + length + 1)); break;
    case VK_HOME: m_memo->SetSelStart(0); break;
    case VK_END: m_memo->SetSelStart(size); break;
    case VK_BACK:
        if (length == 0 && start > 0) {
            m_memo->SetSelStart(start - 1);
            m_memo->SetSelLength(1);
        }
        m_memo->SetSelText("");
        break;
    case VK_DELETE:
        if (length == 0)
            m_memo->SetSelLength(1);
        m_memo->SetSelText("");
        break;
    default:
        return;
    }
    Key = 0;
}

bool TdxInplaceBlobEdit::PopupKeyPress(TKeyChar Key)
{
    if (!m_memo || m_blobKind != bekMemo)
        return true;
    if (m_memo->ReadOnly())
        return true;
    if (m_memoMaxLength > 0 && static_cast<int>(Utf8Length(m_memo->Text())) >= m_memoMaxLength)
        return true;
    std::string typed = KeyCharToUtf8(Key);
    if (m_memoCharCase == ecUpperCase)
        typed = AnsiUpperCase(typed);
    else if (m_memoCharCase == ecLowerCase)
        typed = AnsiLowerCase(typed);
    std::size_t pos = 0;
    m_memo->Perform(WM_CHAR, Utf8Next(typed, pos));
    return true;
}

Variant TdxInplaceBlobEdit::PopupValue()
{
    if (m_blobKind == bekMemo && m_memo) {
        const std::string text = m_memo->Text();
        return text.empty() ? Variant::Null() : Variant(text);
    }
    if (m_blobKind == bekPict && m_picture)
        return m_picture->GetEditingValue();
    return m_value;
}

void TdxInplaceBlobEdit::ApplyPopupValue(const Variant& Value)
{
    const bool changed = Value != m_value;
    if (!changed && !m_alwaysSaveText)
        return;
    SetEditingValue(Value);
    DoChange();
}

void TdxInplaceBlobEdit::DoEditKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    // Enter starts a new line in an open memo that wants returns.
    if (DroppedDown() && Key == VK_RETURN && Shift.Empty() && m_blobKind == bekMemo && m_memoWantReturns) {
        Key = 0;
        if (m_memo && !m_memo->ReadOnly())
            m_memo->SetSelText("\r\n");
        return;
    }
    TdxInplaceDropDownEdit::DoEditKeyDown(Key, Shift);
}

} // namespace qel
