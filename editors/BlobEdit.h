#pragma once
// TdxInplaceBlobEdit: a large value (a memo text or a picture) edited in a
// popup. The cell shows the memo's first line or the kind of the value; the
// popup holds a memo (Ctrl+Enter takes the text, Esc leaves it) or a picture
// (Ctrl+V, Delete). A blob of another kind has no popup.
#include "editors/DropDownEdit.h"

namespace qel {

class TdxInplaceGraphicEdit;
class TMemo;

enum TdxBlobEditKind : std::uint8_t { bekBlob, bekMemo, bekPict, bekOle };

class TdxInplaceBlobEdit : public TdxInplaceDropDownEdit {
    QEL_CLASS(TdxInplaceBlobEdit)
public:
    explicit TdxInplaceBlobEdit(TComponent* AOwner);
    ~TdxInplaceBlobEdit() override;

    TdxBlobEditKind BlobKind() const { return m_blobKind; }
    void SetBlobKind(TdxBlobEditKind Value);
    // The memo text is written back even when unchanged.
    bool AlwaysSaveText() const { return m_alwaysSaveText; }
    void SetAlwaysSaveText(bool Value) { m_alwaysSaveText = Value; }
    // Typing opens the popup.
    bool ImmediatePopup() const { return ImmediateDropDown(); }
    void SetImmediatePopup(bool Value) { SetImmediateDropDown(Value); }
    int PopupWidth() const { return m_popupWidth; }
    void SetPopupWidth(int Value) { m_popupWidth = std::max(16, Value); }
    int PopupHeight() const { return m_popupHeight; }
    void SetPopupHeight(int Value) { m_popupHeight = std::max(16, Value); }
    bool SizeablePopup() const { return m_sizeablePopup; }
    void SetSizeablePopup(bool Value) { m_sizeablePopup = Value; }
    // Memo settings of the popup.
    TEditCharCase MemoCharCase() const { return m_memoCharCase; }
    void SetMemoCharCase(TEditCharCase Value) { m_memoCharCase = Value; }
    int MemoMaxLength() const { return m_memoMaxLength; }
    void SetMemoMaxLength(int Value) { m_memoMaxLength = std::max(0, Value); }
    TScrollStyle MemoScrollBars() const { return m_memoScrollBars; }
    void SetMemoScrollBars(TScrollStyle Value) { m_memoScrollBars = Value; }
    bool MemoWantReturns() const { return m_memoWantReturns; }
    void SetMemoWantReturns(bool Value) { m_memoWantReturns = Value; }
    bool MemoWantTabs() const { return m_memoWantTabs; }
    void SetMemoWantTabs(bool Value) { m_memoWantTabs = Value; }
    bool MemoWordWrap() const { return m_memoWordWrap; }
    void SetMemoWordWrap(bool Value) { m_memoWordWrap = Value; }

    // The memo text, or a picture's bytes, as a string; Null when empty.
    Variant GetEditingValue() const override;
    void SetEditingValue(const Variant& Value) override;

    TMemo* PopupMemo() const { return m_memo; }
    TdxInplaceGraphicEdit* PopupPicture() const { return m_picture; }

protected:
    bool CanDropDown() const override;
    void DoEditKeyDown(std::uint16_t& Key, TShiftState Shift) override;
    TControl* PopupContent(TWinControl* Parent) override;
    void DoInitPopup() override;
    TSize PopupSize() override;
    void PopupKeyDown(std::uint16_t& Key, TShiftState Shift) override;
    bool PopupKeyPress(TKeyChar Key) override;
    Variant PopupValue() override;
    void ApplyPopupValue(const Variant& Value) override;

private:
    void ShowValue();

    TdxBlobEditKind m_blobKind{bekMemo};
    Variant m_value;
    TMemo* m_memo{nullptr};
    TdxInplaceGraphicEdit* m_picture{nullptr};
    TWinControl* m_popupParent{nullptr};
    bool m_alwaysSaveText{false};
    int m_popupWidth{200};
    int m_popupHeight{140};
    bool m_sizeablePopup{true};
    TEditCharCase m_memoCharCase{ecNormal};
    int m_memoMaxLength{0};
    TScrollStyle m_memoScrollBars{ssBoth};
    bool m_memoWantReturns{true};
    bool m_memoWantTabs{true};
    bool m_memoWordWrap{true};
};

} // namespace qel
