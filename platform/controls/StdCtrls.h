#pragma once
// The standard controls the dialogs are built from, each a thin wrapper of
// the matching Qt widget: labels, buttons, check and radio boxes, edits,
// memos, combo and list boxes, group boxes and scroll bars.
#include "platform/controls/Controls.h"
#include "platform/core/Strings.h"

#include <memory>

namespace qel {

enum TTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom };

// Owner-draw state of an item.
enum TOwnerDrawStateItem : std::uint8_t {
    odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight, odInactive,
    odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, int Index, int& Height)>;

// ----- TLabel ------------------------------------------------------------------------
class TLabel : public TGraphicControl {
    QEL_CLASS(TLabel)
public:
    explicit TLabel(TComponent* AOwner);

    TWinControl* FocusControl() const { return m_focusControl; }
    void SetFocusControl(TWinControl* Value);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment Value);
    TTextLayout Layout() const { return m_layout; }
    void SetLayout(TTextLayout Value);
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool Value);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool Value);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool Value);
    bool ShowAccelChar() const { return m_showAccelChar; }
    void SetShowAccelChar(bool Value);

protected:
    void Paint() override;
    void TextChanged() override { AdjustBounds(); }
    void FontChanged() override;
    bool DialogChar(TKeyChar Ch) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    unsigned DrawTextFlags() const;
    void AdjustBounds();

private:
    TWinControl* m_focusControl{nullptr};
    TAlignment m_alignment{taLeftJustify};
    TTextLayout m_layout{tlTop};
    bool m_wordWrap{false};
    bool m_autoSize{true};
    bool m_transparent{false};
    bool m_showAccelChar{true};
};

// ----- TButton -----------------------------------------------------------------------
class TButton : public TWinControl {
    QEL_CLASS(TButton)
public:
    explicit TButton(TComponent* AOwner);

    // Enter presses the Default button, Esc the Cancel button.
    bool Default() const { return m_default; }
    void SetDefault(bool Value);
    bool Cancel() const { return m_cancel; }
    void SetCancel(bool Value) { m_cancel = Value; }
    // Clicking sets the parent form's ModalResult to this (when not mrNone).
    TModalResult ModalResult() const { return m_modalResult; }
    void SetModalResult(TModalResult Value) { m_modalResult = Value; }

    void Click() override;

protected:
    void TextChanged() override;
    bool DialogChar(TKeyChar Ch) override;
    bool HandleDialogKey(std::uint16_t Key, TShiftState Shift) override;

private:
    bool m_default{false};
    bool m_cancel{false};
    TModalResult m_modalResult{mrNone};
};

// ----- TCheckBox ---------------------------------------------------------------------
class TCheckBox : public TWinControl {
    QEL_CLASS(TCheckBox)
public:
    explicit TCheckBox(TComponent* AOwner);

    TCheckBoxState State() const { return m_state; }
    // A change runs OnClick, whoever makes it.
    void SetState(TCheckBoxState Value);
    bool Checked() const { return m_state == cbChecked; }
    void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
    bool AllowGrayed() const { return m_allowGrayed; }
    void SetAllowGrayed(bool Value);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment Value);

    // The next state a click gives: unchecked, (grayed,) checked, unchecked.
    virtual void Toggle();

protected:
    void TextChanged() override;
    bool DialogChar(TKeyChar Ch) override;

private:
    friend class detail::ControlBridge;
    TCheckBoxState m_state{cbUnchecked};
    bool m_allowGrayed{false};
    TAlignment m_alignment{taRightJustify};
    bool m_updating{false};
};

// ----- TRadioButton -------------------------------------------------------------------
class TRadioButton : public TWinControl {
    QEL_CLASS(TRadioButton)
public:
    explicit TRadioButton(TComponent* AOwner);

    bool Checked() const { return m_checked; }
    // Checking unchecks the other radio buttons of the same parent and runs OnClick.
    void SetChecked(bool Value);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment Value);

protected:
    void TextChanged() override;
    bool DialogChar(TKeyChar Ch) override;

private:
    void SyncFromWidget();
    bool m_checked{false};
    TAlignment m_alignment{taRightJustify};
    bool m_updating{false};
};

// ----- TEdit -------------------------------------------------------------------------
enum TEditCharCase : std::uint8_t { ecNormal, ecUpperCase, ecLowerCase };

class TEdit : public TWinControl {
    QEL_CLASS(TEdit)
public:
    explicit TEdit(TComponent* AOwner);

    std::string Text() const override;
    void SetText(const std::string& Value) override;
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int Value);        // 0: no limit
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    char PasswordChar() const { return m_passwordChar; }
    void SetPasswordChar(char Value);
    bool AutoSelect() const { return m_autoSelect; }
    void SetAutoSelect(bool Value) { m_autoSelect = Value; }
    TEditCharCase CharCase() const { return m_charCase; }
    void SetCharCase(TEditCharCase Value);
    bool Modified() const;
    void SetModified(bool Value);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment Value);

    // Selection in characters.
    int SelStart() const;
    void SetSelStart(int Value);
    int SelLength() const;
    void SetSelLength(int Value);
    std::string SelText() const;
    void SetSelText(const std::string& Value);
    void SelectAll();
    void ClearSelection();
    void Clear() { SetText(""); }
    void CutToClipboard();
    void CopyToClipboard();
    void PasteFromClipboard();

    // In-place editing (a grid cell hosts the editor): bsNone leaves the
    // frame off so the text sits at the cell's edge; bsSingle (the default)
    // draws it. The caret hides and shows as the platform's HideCaret and
    // ShowCaret do: it stays hidden while the hides outnumber the shows.
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    void HideCaret();
    void ShowCaret();
    bool CaretVisible() const { return m_caretHides == 0; }

    // Runs for every change of the text, by the user or by SetText.
    TNotifyEvent OnChange;

protected:
    virtual void Change();
    void DoEnter() override;
    void ApplyColor() override;

private:
    int m_maxLength{0};
    char m_passwordChar{0};
    bool m_autoSelect{true};
    TEditCharCase m_charCase{ecNormal};
    TAlignment m_alignment{taLeftJustify};
    TBorderStyle m_borderStyle{bsSingle};
    int m_caretHides{0};
};

// ----- TMemo -------------------------------------------------------------------------
class TMemo : public TWinControl {
    QEL_CLASS(TMemo)
public:
    explicit TMemo(TComponent* AOwner);
    ~TMemo() override;

    // The lines of the text; changing them changes the text.
    TStrings* Lines() const { return m_lines.get(); }
    void SetLines(TStrings* Value) { m_lines->Assign(Value); }
    std::string Text() const override;
    void SetText(const std::string& Value) override;
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool Value);
    TScrollStyle ScrollBars() const { return m_scrollBars; }
    void SetScrollBars(TScrollStyle Value);
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    bool WantReturns() const { return m_wantReturns; }
    void SetWantReturns(bool Value) { m_wantReturns = Value; }
    bool WantTabs() const { return m_wantTabs; }
    void SetWantTabs(bool Value);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment Value) { m_alignment = Value; }
    int SelStart() const;
    void SetSelStart(int Value);
    int SelLength() const;
    void SetSelLength(int Value);
    // The selected text; setting it replaces the selection (inserts at the caret).
    std::string SelText() const;
    void SetSelText(const std::string& Value);
    void SelectAll();
    void Clear() { SetText(""); }

    // In-place editing (a grid cell hosts the editor): bsNone leaves the
    // frame off so the text sits at the cell's edge; bsSingle (the default)
    // draws it. The caret hides and shows as the platform's HideCaret and
    // ShowCaret do: it stays hidden while the hides outnumber the shows.
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    void HideCaret();
    void ShowCaret();
    bool CaretVisible() const { return m_caretHides == 0; }

    TNotifyEvent OnChange;

protected:
    virtual void Change();
    void ApplyColor() override;
    bool WantsTabKey() const override { return m_wantTabs; }

private:
    std::unique_ptr<TStrings> m_lines;
    bool m_wordWrap{true};
    TScrollStyle m_scrollBars{ssNone};
    bool m_wantReturns{true};
    bool m_wantTabs{false};
    TAlignment m_alignment{taLeftJustify};
    TBorderStyle m_borderStyle{bsSingle};
    int m_caretHides{0};
    bool m_trailingBreak{false};
};

// ----- TComboBox ---------------------------------------------------------------------
enum TComboBoxStyle : std::uint8_t { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TComboBox : public TWinControl {
    QEL_CLASS(TComboBox)
public:
    explicit TComboBox(TComponent* AOwner);
    ~TComboBox() override;

    TComboBoxStyle Style() const { return m_style; }
    void SetStyle(TComboBoxStyle Value);
    // The list; each line can carry an object.
    TStrings* Items() const { return m_items.get(); }
    void SetItems(TStrings* Value) { m_items->Assign(Value); }
    int ItemIndex() const;
    void SetItemIndex(int Value);          // -1 clears the selection
    std::string Text() const override;
    void SetText(const std::string& Value) override;
    bool DroppedDown() const;
    void SetDroppedDown(bool Value);
    int DropDownCount() const { return m_dropDownCount; }
    void SetDropDownCount(int Value);
    int ItemHeight() const { return m_itemHeight; }
    void SetItemHeight(int Value);
    bool Sorted() const { return m_sorted; }
    void SetSorted(bool Value);
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int Value);
    int SelStart() const;
    void SetSelStart(int Value);
    int SelLength() const;
    void SetSelLength(int Value);
    void SelectAll();
    void Clear();

    // OnChange: the user changed the text or picked an item; OnClick: the
    // user picked an item; OnDropDown: the list is about to open.
    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

    // Owner drawing, for the platform layer: paints item Index into Rect.
    virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
    virtual void MeasureItem(int Index, int& Height);
    bool OwnerDraw() const { return m_style == csOwnerDrawFixed || m_style == csOwnerDrawVariable; }
    // Qt side: DrawItem with Canvas() on Painter, brush and font set for the state.
    void PaintItem(QPainter* Painter, int Index, const TRect& Rect, TOwnerDrawState State);

protected:
    virtual void Change();
    virtual void DropDown();
    virtual void CloseUp();
    void ApplyColor() override;

private:
    friend class detail::ControlBridge;
    friend class ComboWidgetAccess;
    void ApplyStyle();
    TComboBoxStyle m_style{csDropDown};
    std::unique_ptr<TStrings> m_items;
    int m_dropDownCount{8};
    int m_itemHeight{16};
    bool m_sorted{false};
    int m_maxLength{0};
};

// ----- TListBox ----------------------------------------------------------------------
enum TListBoxStyle : std::uint8_t { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };

class TListBox : public TWinControl {
    QEL_CLASS(TListBox)
public:
    explicit TListBox(TComponent* AOwner);
    ~TListBox() override;

    TListBoxStyle Style() const { return m_style; }
    void SetStyle(TListBoxStyle Value);
    TStrings* Items() const { return m_items.get(); }
    void SetItems(TStrings* Value) { m_items->Assign(Value); }
    int ItemIndex() const;
    void SetItemIndex(int Value);
    bool MultiSelect() const { return m_multiSelect; }
    void SetMultiSelect(bool Value);
    bool ExtendedSelect() const { return m_extendedSelect; }
    void SetExtendedSelect(bool Value);
    bool Selected(int Index) const;        // EListError out of range
    void SetSelected(int Index, bool Value);
    int SelCount() const;
    int TopIndex() const;
    void SetTopIndex(int Value);
    int ItemHeight() const { return m_itemHeight; }
    void SetItemHeight(int Value);
    bool Sorted() const { return m_sorted; }
    void SetSorted(bool Value);
    // The item at a client point; -1 when none (Existing false: the index a new item would get).
    int ItemAtPos(TPoint Pos, bool Existing) const;
    TRect ItemRect(int Index) const;
    void Clear();

    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

    virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
    virtual void MeasureItem(int Index, int& Height);
    bool OwnerDraw() const { return m_style != lbStandard; }
    void PaintItem(QPainter* Painter, int Index, const TRect& Rect, TOwnerDrawState State);

protected:
    void ApplyColor() override;

private:
    friend class detail::ControlBridge;
    void ApplySelectionMode();
    TListBoxStyle m_style{lbStandard};
    std::unique_ptr<TStrings> m_items;
    bool m_multiSelect{false};
    bool m_extendedSelect{true};
    int m_itemHeight{16};
    bool m_sorted{false};
    bool m_updating{false};
};

// ----- TGroupBox ---------------------------------------------------------------------
class TGroupBox : public TWinControl {
    QEL_CLASS(TGroupBox)
public:
    explicit TGroupBox(TComponent* AOwner);

protected:
    TRect AlignRect() const override;
    void TextChanged() override;
    bool DialogChar(TKeyChar Ch) override;
    bool AcceptsFocus() const override { return false; }
};

// ----- TScrollBar --------------------------------------------------------------------
using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

class TScrollBar : public TWinControl {
    QEL_CLASS(TScrollBar)
public:
    explicit TScrollBar(TComponent* AOwner);

    TScrollBarKind Kind() const { return m_kind; }
    void SetKind(TScrollBarKind Value);
    int Min() const { return m_min; }
    int Max() const { return m_max; }
    int Position() const { return m_position; }
    int PageSize() const { return m_pageSize; }
    void SetMin(int Value) { SetParams(m_position, Value, m_max); }
    void SetMax(int Value) { SetParams(m_position, m_min, Value); }
    void SetPosition(int Value) { SetParams(Value, m_min, m_max); }
    void SetPageSize(int Value);
    // Clamps the position into the range; raises EInvalidOperation
    // "Scroll bar property out of range" when Max < Min.
    void SetParams(int APosition, int AMin, int AMax);
    int SmallChange() const { return m_smallChange; }
    void SetSmallChange(int Value);
    int LargeChange() const { return m_largeChange; }
    void SetLargeChange(int Value);
    // A flat look (no 3-D edges), for the preview's scroll bars.
    bool Flat() const { return m_flat; }
    void SetFlat(bool Value);

    TNotifyEvent OnChange;
    TScrollEvent OnScroll;

    // As a user action would: OnScroll with the code, then the position it leaves.
    void Scroll(TScrollCode ScrollCode, int& ScrollPos);

protected:
    virtual void Change();

private:
    void ApplyRange();
    TScrollBarKind m_kind{sbHorizontal};
    int m_min{0};
    int m_max{100};
    int m_position{0};
    int m_pageSize{0};
    int m_smallChange{1};
    int m_largeChange{1};
    bool m_flat{false};
    bool m_updating{false};
};

} // namespace qel
