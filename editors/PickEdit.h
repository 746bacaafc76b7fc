#pragma once
// TdxInplacePickEdit: a drop-down list of texts to pick from, with
// incremental matching while typing; TdxInplaceMRUEdit keeps the most
// recently posted texts at the top of its list.
#include "editors/DropDownEdit.h"

namespace qel {

class TCustomdxPopupListBox;
class TStringList;

class TdxInplacePickEdit : public TdxInplaceDropDownEdit {
    QEL_CLASS(TdxInplacePickEdit)
public:
    explicit TdxInplacePickEdit(TComponent* AOwner);
    ~TdxInplacePickEdit() override;

    TStrings* Items() const;
    bool ItemsSorted() const { return m_itemsSorted; }
    void SetItemsSorted(bool Value);
    // The text is always one of the items: typing completes to the first
    // item that starts with what was typed, and refuses what matches none.
    bool DropDownListStyle() const { return m_dropDownListStyle; }
    void SetDropDownListStyle(bool Value) { m_dropDownListStyle = Value; }
    // With DropDownListStyle, Delete and Backspace may empty the text.
    bool CanDeleteText() const { return m_canDeleteText; }
    void SetCanDeleteText(bool Value) { m_canDeleteText = Value; }
    // Stepping past the last item goes on at the first, and back.
    bool Revertable() const { return m_revertable; }
    void SetRevertable(bool Value) { m_revertable = Value; }

    // The previous or next item after the current text.
    void SelectNextItem(int Direction) override;
    void KeyPress(TKeyChar& Key) override;
    // The list while it is dropped down (nullptr before the first drop-down).
    TCustomdxPopupListBox* PopupList() const { return m_list; }

protected:
    TControl* PopupContent(TWinControl* Parent) override;
    void DoInitPopup() override;
    TSize PopupSize() override;
    void PopupKeyDown(std::uint16_t& Key, TShiftState Shift) override;
    Variant PopupValue() override;
    void DoEditKeyDown(std::uint16_t& Key, TShiftState Shift) override;
    // The first item starting with Prefix (case-insensitive), -1 when none.
    int FindItem(const std::string& Prefix) const;

private:
    std::unique_ptr<TStringList> m_items;
    TCustomdxPopupListBox* m_list{nullptr};
    bool m_itemsSorted{false};
    bool m_dropDownListStyle{false};
    bool m_canDeleteText{false};
    bool m_revertable{false};
};

class TdxInplaceMRUEdit : public TdxInplacePickEdit {
    QEL_CLASS(TdxInplaceMRUEdit)
public:
    explicit TdxInplaceMRUEdit(TComponent* AOwner);

    // The list keeps at most this many texts (0: no limit).
    int MaxItemCount() const { return m_maxItemCount; }
    void SetMaxItemCount(int Value);
    // An ellipsis button beside the drop-down button, which fires OnButtonClick.
    bool ShowEllipsis() const { return m_showEllipsis; }
    void SetShowEllipsis(bool Value);
    // Puts Text at the top of the list (moving it there when it is in the list).
    void AddItem(const std::string& Text);

    int EditButtonCount() const override { return m_showEllipsis ? 2 : 1; }
    void EditButtonClick(int Index) override;

    TNotifyEvent OnButtonClick;

protected:
    TdxEditButtonKind EditButtonKind(int Index) const override;
    void ValuePosted(const Variant& Value) override;

private:
    int m_maxItemCount{7};
    bool m_showEllipsis{true};
};

} // namespace qel
