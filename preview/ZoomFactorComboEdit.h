#pragma once
// The zoom box of the preview window's tool bar: a flat edit with a
// drop-down button at its right edge and a drop-down list of zoom entries,
// each with a picture and an enabled flag. The list opens below the box (or
// above it at the screen's foot) by the button, Alt+Down, Alt+Up or F4;
// while it is open Up and Down move in it, Enter takes the highlighted entry
// and Esc closes it unchanged. With the list closed Esc brings back the text
// the box had when it got the focus. Choosing an entry, Enter and leaving
// the box raise OnApply with the text.
#include "editors/PopupListBox.h"
#include "platform/controls/PopupWindow.h"
#include "platform/controls/StdCtrls.h"

#include <string>
#include <vector>

namespace qel {

class TImageList;
class TdxZoomFactorComboEdit;

struct TdxZoomBoxItem {
    std::string Text;
    int ImageIndex = -1;
    bool Enabled = true;
};

// The list inside the drop-down: a disabled entry can be neither
// highlighted by the mouse nor clicked.
class TdxPopupBox : public TCustomdxPopupListBox {
    QEL_CLASS(TdxPopupBox)
public:
    explicit TdxPopupBox(TdxZoomFactorComboEdit* Box);

protected:
    void DrawItem(int Index, const TRect& R, TOwnerDrawState State) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    TdxZoomFactorComboEdit* m_box;
};

class TdxZoomFactorComboEdit : public TCustomControl {
    QEL_CLASS(TdxZoomFactorComboEdit)
public:
    explicit TdxZoomFactorComboEdit(TComponent* AOwner);
    ~TdxZoomFactorComboEdit() override;

    std::string Text() const override;
    void SetText(const std::string& Value) override;

    const std::vector<TdxZoomBoxItem>& Items() const { return m_items; }
    void SetItems(std::vector<TdxZoomBoxItem> Value);
    void SetItemEnabled(int Index, bool Value);
    // Clamped to -1 .. count - 1; an entry's text becomes the box's text.
    int ItemIndex() const { return m_itemIndex; }
    void SetItemIndex(int Value);
    // At least 1.
    int DropDownCount() const { return m_dropDownCount; }
    void SetDropDownCount(int Value);
    TImageList* Images() const { return m_images; }
    void SetImages(TImageList* Value);
    TImageList* DisabledImages() const { return m_disabledImages; }
    void SetDisabledImages(TImageList* Value);
    bool Flat() const { return m_flat; }
    void SetFlat(bool Value);

    bool DroppedDown() const;
    void DropDown();
    // Accept takes the highlighted enabled entry.
    void CloseUp(bool Accept);
    // The list while it is open (its highlight is the entry Enter takes).
    TdxPopupBox* List() const { return m_list; }
    TEdit* Edit() const { return m_edit; }
    // The drop-down button, client coordinates.
    TRect ButtonRect() const;

    // The text to apply: an entry chosen, Enter, or the box left.
    std::function<void(TObject* Sender, const std::string& Text)> OnApply;
    // The list closed (by a choice or not).
    TNotifyEvent OnCloseUp;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void BoundsChanged() override;
    void EnabledChanged() override;
    bool AcceptsFocus() const override { return false; }

private:
    friend class TdxPopupBox;
    void EditKeyDown(std::uint16_t& Key, TShiftState Shift);
    void ItemClicked();
    void Apply();
    void LayoutEdit();

    TEdit* m_edit{nullptr};
    TPopupWindow* m_popup{nullptr};
    TdxPopupBox* m_list{nullptr};
    std::vector<TdxZoomBoxItem> m_items;
    int m_itemIndex{-1};
    int m_dropDownCount{8};
    TImageList* m_images{nullptr};
    TImageList* m_disabledImages{nullptr};
    bool m_flat{true};
    std::string m_textOnEnter;
};

} // namespace qel
