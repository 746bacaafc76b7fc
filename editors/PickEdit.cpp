#include "editors/PickEdit.h"

#include "editors/PopupListBox.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/core/Utf8.h"

namespace qel {

TdxInplacePickEdit::TdxInplacePickEdit(TComponent* AOwner)
    : TdxInplaceDropDownEdit(AOwner), m_items(std::make_unique<TStringList>())
{
}

TdxInplacePickEdit::~TdxInplacePickEdit() = default;

TStrings* TdxInplacePickEdit::Items() const
{
    return m_items.get();
}

void TdxInplacePickEdit::SetItemsSorted(bool Value)
{
    m_itemsSorted = Value;
    m_items->SetSorted(Value);
}

int TdxInplacePickEdit::FindItem(const std::string& Prefix) const
{
    const std::string p = AnsiLowerCase(Prefix);
    for (int i = 0; i < m_items->Count(); ++i)
        if (AnsiLowerCase(m_items->Get(i)).compare(0, p.size(), p) == 0)
            return i;
    return -1;
}

void TdxInplacePickEdit::SelectNextItem(int Direction)
{
    const int count = m_items->Count();
    if (count == 0 || Direction == 0)
        return;
    int i = m_items->IndexOf(Text());
    if (i < 0)
        i = Direction > 0 ? 0 : count - 1;
    else if (m_revertable)
        i = ((i + Direction) % count + count) % count;
    else
        i = std::max(0, std::min(i + Direction, count - 1));
    if (m_items->Get(i) == Text())
        return;
    SetText(m_items->Get(i));
    SelectAll();
    DoChange();
}

TControl* TdxInplacePickEdit::PopupContent(TWinControl* Parent)
{
    m_list = new TCustomdxPopupListBox(Parent);
    m_list->SetParent(Parent);
    m_list->SetAlign(alClient);
    m_list->OnItemClick = [this](TObject*) { CloseUp(true); };
    return m_list;
}

void TdxInplacePickEdit::DoInitPopup()
{
    m_list->SetFont(Font());
    m_list->SetBorderKind(PopupBorder());
    m_list->Items()->Assign(m_items.get());
    m_list->SetItemIndex(m_items->IndexOf(Text()));
}

TSize TdxInplacePickEdit::PopupSize()
{
    TSize s = TdxInplaceDropDownEdit::PopupSize();
    s.cy = m_list ? m_list->HeightForRows(DropDownRows()) : 0;
    return s;
}

void TdxInplacePickEdit::PopupKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (m_list && m_list->HandleKey(Key, Shift))
        Key = 0;
}

Variant TdxInplacePickEdit::PopupValue()
{
    if (m_list && m_list->ItemIndex() >= 0)
        return Variant(m_list->Items()->Get(m_list->ItemIndex()));
    return GetEditingValue();
}

void TdxInplacePickEdit::KeyPress(TKeyChar& Key)
{
    if (Key == 0x08 && m_dropDownListStyle) {
        Key = 0;   // Backspace was handled as a key
        return;
    }
    if (Key < 0x20 || (!m_dropDownListStyle && !DroppedDown() && !ImmediateDropDown())) {
        TdxInplaceDropDownEdit::KeyPress(Key);
        return;
    }
    // Typing is ours: the typed text completes to an item.
    TKeyChar ch = Key;
    TdxInplaceEdit::KeyPress(ch);   // the user's handler and the modify check
    Key = 0;
    if (!ch)
        return;
    const std::string text = Text();
    const std::string typed = Utf8Prefix(text, static_cast<std::size_t>(SelStart())) + KeyCharToUtf8(ch);
    const int found = FindItem(typed);
    const int typedLength = static_cast<int>(Utf8Length(typed));
    if (found >= 0) {
        const std::string item = m_items->Get(found);
        ChangeDisplayText(item, typedLength);
        SetSelection(typedLength, static_cast<int>(Utf8Length(item)) - typedLength);
    } else if (m_dropDownListStyle) {
        return;   // matches no item
    } else {
        const std::string rest = text.substr(Utf8Prefix(text, static_cast<std::size_t>(SelStart() + SelLength())).size());
        ChangeDisplayText(typed + rest, typedLength);
    }
    if (ImmediateDropDown() && !DroppedDown())
        DropDown();
    if (m_list && DroppedDown())
        m_list->SetItemIndex(found);
}

void TdxInplacePickEdit::DoEditKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (m_dropDownListStyle && (Key == VK_BACK || Key == VK_DELETE) && Shift.Empty()) {
        // A list-style text is an item or, when allowed, nothing.
        Key = 0;
        if (m_canDeleteText && CanModify() && !Text().empty()) {
            ChangeDisplayText("", 0);
            if (m_list && DroppedDown())
                m_list->SetItemIndex(-1);
        }
        return;
    }
    TdxInplaceDropDownEdit::DoEditKeyDown(Key, Shift);
}

// ===== TdxInplaceMRUEdit =============================================================

TdxInplaceMRUEdit::TdxInplaceMRUEdit(TComponent* AOwner) : TdxInplacePickEdit(AOwner)
{
    SetImmediateDropDown(false);
    LayoutEditWindow();
}

void TdxInplaceMRUEdit::SetMaxItemCount(int Value)
{
    m_maxItemCount = std::max(0, Value);
    while (m_maxItemCount > 0 && Items()->Count() > m_maxItemCount)
        Items()->Delete(Items()->Count() - 1);
}

void TdxInplaceMRUEdit::SetShowEllipsis(bool Value)
{
    m_showEllipsis = Value;
    LayoutEditWindow();
}

TdxEditButtonKind TdxInplaceMRUEdit::EditButtonKind(int Index) const
{
    return Index == 1 ? bkEllipsis : bkDown;
}

void TdxInplaceMRUEdit::EditButtonClick(int Index)
{
    if (Index == 1) {
        if (OnButtonClick)
            OnButtonClick(this);
        return;
    }
    TdxInplacePickEdit::EditButtonClick(Index);
}

void TdxInplaceMRUEdit::AddItem(const std::string& Text)
{
    if (Text.empty())
        return;
    TStrings* items = Items();
    TUpdateScope<TStrings> update(*items);
    const int at = items->IndexOf(Text);
    if (at >= 0)
        items->Delete(at);
    items->Insert(0, Text);
    while (m_maxItemCount > 0 && items->Count() > m_maxItemCount)
        items->Delete(items->Count() - 1);
}

void TdxInplaceMRUEdit::ValuePosted(const Variant& Value)
{
    AddItem(Trim(VarToStr(Value)));
}

} // namespace qel
