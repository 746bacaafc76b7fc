#pragma once
// TdxInplacePopupEdit: shows any control (PopupControl) in a popup while the
// editor is dropped down. The control moves into the popup when it opens
// and back to its own parent, hidden, when it closes; its size then is
// remembered as PopupWidth/PopupHeight. Keys go on to the control while it
// is shown (the popup never takes the focus from the editor).
#include "editors/DropDownEdit.h"

#include <functional>

namespace qel {

enum TdxPopupEditFormBorderStyle : std::uint8_t { pbsDialog, pbsSingle, pbsSizeable, pbsSysPanel };

class TdxInplacePopupEdit;

// The frame around a popup editor's control: border, caption and, when the
// popup is sizeable, a size grip that the mouse drags.
class TdxPopupEditFrame : public TCustomControl {
    QEL_CLASS(TdxPopupEditFrame)
public:
    TdxPopupEditFrame(TComponent* AOwner, TdxInplacePopupEdit* Editor);

    // Where the control goes, in frame coordinates.
    TRect ControlRect() const;
    // The grip in the bottom-right corner (empty when not sizeable).
    TRect GripRect() const;
    int CaptionHeight() const;
    // Outer size for a control of the given size.
    TSize SizeFor(int ControlWidth, int ControlHeight) const;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool AcceptsFocus() const override { return false; }
    void BoundsChanged() override;

private:
    TdxInplacePopupEdit* m_editor;
    bool m_sizing{false};
    TPoint m_start;
    TSize m_startSize;
};

using TdxPopupCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TdxPopupCloseUpEvent = std::function<void(TObject* Sender, std::string& Text, bool& Accept)>;
using TdxPopupEvent = std::function<void(TObject* Sender, const std::string& Text)>;

class TdxInplacePopupEdit : public TdxInplaceDropDownEdit {
    QEL_CLASS(TdxInplacePopupEdit)
public:
    explicit TdxInplacePopupEdit(TComponent* AOwner);
    ~TdxInplacePopupEdit() override;

    TControl* PopupControl() const { return m_popupControl; }
    // The editor itself or one of its parents is refused (the setting stays).
    void SetPopupControl(TControl* Value);
    // Raised to the minimum.
    int PopupHeight() const { return m_popupHeight; }
    void SetPopupHeight(int Value);
    int PopupWidth() const { return m_popupWidth; }
    void SetPopupWidth(int Value);
    // Negative values count as 0; the size is raised to a new minimum.
    int PopupMinHeight() const { return m_popupMinHeight; }
    void SetPopupMinHeight(int Value);
    int PopupMinWidth() const { return m_popupMinWidth; }
    void SetPopupMinWidth(int Value);
    // The popup takes the control's own size instead of PopupWidth/PopupHeight.
    bool PopupAutoSize() const { return m_popupAutoSize; }
    void SetPopupAutoSize(bool Value) { m_popupAutoSize = Value; }
    // No caret in the text while the popup is open.
    bool HideEditCursor() const { return m_hideEditCursor; }
    void SetHideEditCursor(bool Value) { m_hideEditCursor = Value; }
    TdxPopupEditFormBorderStyle PopupFormBorderStyle() const { return m_formBorderStyle; }
    void SetPopupFormBorderStyle(TdxPopupEditFormBorderStyle Value) { m_formBorderStyle = Value; }
    const std::string& PopupFormCaption() const { return m_formCaption; }
    void SetPopupFormCaption(const std::string& Value) { m_formCaption = Value; }
    bool PopupFormClientEdge() const { return m_formClientEdge; }
    void SetPopupFormClientEdge(bool Value) { m_formClientEdge = Value; }
    bool PopupFormFlatBorder() const { return m_formFlatBorder; }
    void SetPopupFormFlatBorder(bool Value) { m_formFlatBorder = Value; }
    bool PopupFormSizeable() const { return m_formSizeable; }
    void SetPopupFormSizeable(bool Value) { m_formSizeable = Value; }

    TdxPopupCloseQueryEvent OnCloseQuery;
    // The text the popup leaves, and whether it is taken.
    TdxPopupCloseUpEvent OnCloseUp;
    TNotifyEvent OnInitPopup;
    TdxPopupEvent OnPopup;

    // The frame while the popup has been shown once (nullptr before).
    TdxPopupEditFrame* Frame() const { return m_frame; }

protected:
    friend class TdxPopupEditFrame;
    // Remembers the control's size as PopupHeight/PopupWidth, then fires OnCloseUp.
    virtual void DoCloseUp(std::string& Text, bool& Accept);
    void DoCloseUp(Variant& Value, bool& Accept) override;
    // Fires OnInitPopup.
    void DoInitPopup() override;
    // Fires OnPopup with the edit text.
    void DoPopup() override;
    bool CanCloseUp(bool Accept) override;
    void PopupHiding() override;
    TSize PopupSize() override;
    void PopupKeyDown(std::uint16_t& Key, TShiftState Shift) override;
    bool PopupKeyPress(TKeyChar Key) override;
    Variant PopupValue() override { return Variant(Text()); }
    TControl* PopupContent(TWinControl* Parent) override;
    // The frame was dragged to a new outer size.
    void FrameSized(TSize Size);
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Border of the popup frame around the control.
    int FrameWidth() const;

private:
    TControl* m_popupControl{nullptr};
    TdxPopupEditFrame* m_frame{nullptr};
    bool m_caretHidden{false};
    TWinControl* m_savedParent{nullptr};
    TRect m_savedBounds;
    TAlign m_savedAlign{alNone};
    int m_popupHeight{200};
    int m_popupWidth{250};
    int m_popupMinHeight{100};
    int m_popupMinWidth{100};
    bool m_popupAutoSize{true};
    bool m_hideEditCursor{false};
    TdxPopupEditFormBorderStyle m_formBorderStyle{pbsDialog};
    std::string m_formCaption;
    bool m_formClientEdge{false};
    bool m_formFlatBorder{true};
    bool m_formSizeable{true};
};

} // namespace qel
