#pragma once
// Popup columns and extended lookup columns. A popup column's editor drops
// down any control (TdxInplacePopupEdit); an extended lookup column's editor
// drops down a whole data-bound grid laid out from a stored grid layout,
// searches the lookup dataset while the user types and writes the chosen
// row's key back into the edited record.
#include "dbgrid/DBGrid.h"
#include "dbgrid/DBTreeListTypedColumns.h"
#include "editors/PopupEdit.h"
#include "platform/controls/Keyboard.h"

#include <memory>
#include <string>

namespace qel {

class TdxDBGridLayout;
class TdxInplaceExtLookupEdit;

// The grid an extended lookup editor drops down.
class TdxExtLookupDBGrid : public TdxDBGrid {
    QEL_CLASS(TdxExtLookupDBGrid)
public:
    TdxExtLookupDBGrid(TComponent* AOwner, TdxInplaceExtLookupEdit* Editor);

    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;

protected:
    void DblClick() override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    TdxInplaceExtLookupEdit* m_editor;
};

class TdxInplaceExtLookupEdit : public TdxInplacePopupEdit {
    QEL_CLASS(TdxInplaceExtLookupEdit)
public:
    explicit TdxInplaceExtLookupEdit(TComponent* AOwner);
    ~TdxInplaceExtLookupEdit() override;

    TdxExtLookupDBGrid* Grid() const { return m_grid.get(); }
    TdxDBGridLayout* DBGridLayout() const { return m_layout; }
    void SetDBGridLayout(TdxDBGridLayout* Value);
    // The field edited; a lookup field's definition drives search and write-back.
    TField* Field() const { return m_field; }
    void SetField(TField* Value);
    bool ChooseByDblClick() const { return m_chooseByDblClick; }
    void SetChooseByDblClick(bool Value) { m_chooseByDblClick = Value; }
    TShortCut ClearKey() const { return m_clearKey; }
    void SetClearKey(TShortCut Value) { m_clearKey = Value; }
    bool CanDeleteText() const { return m_canDeleteText; }
    void SetCanDeleteText(bool Value) { m_canDeleteText = Value; }
    const std::string& PickListField() const { return m_pickListField; }
    void SetPickListField(const std::string& Value) { m_pickListField = Value; }
    bool UseDefaultSettings() const { return m_useDefaultSettings; }
    void SetUseDefaultSettings(bool Value) { m_useDefaultSettings = Value; }
    bool Searching() const { return m_searching; }
    const std::string& SearchText() const { return m_searchText; }

    // Empties the value (AssignValue with nulls).
    virtual void ClearValue();
    // PickListField, or the grid's key field when empty.
    virtual std::string GetPickListField() const;
    // Lays the grid out from DBGridLayout; false without one.
    virtual bool ApplyGridLayout();
    // Writes the source row's key (nulls with Clear) into the edited record.
    virtual void AssignValue(bool Clear);

    bool CanModify() const override;
    bool IsDataLinkModified() const override;
    void SetEditingValue(const Variant& Value) override;
    void SetReadOnly(bool Value) override;
    void SetDefaultStyleValues() override;
    void KeyPress(TKeyChar& Key) override;

protected:
    friend class TdxExtLookupDBGrid;
    void DoEditKeyDown(std::uint16_t& Key, TShiftState Shift) override;
    // A lookup field drops down although its text is never typed.
    bool CanDropDown() const override;
    void DoInitPopup() override;
    void DoPopup() override;
    using TdxInplacePopupEdit::DoCloseUp;
    void DoCloseUp(std::string& Text, bool& Accept) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    bool IsLookupField() const;
    void EndSearch();
    // Locates the search text; answers whether a row matched.
    bool Search();
    // The dataset a chosen value comes from (nullptr: none).
    TDataSet* SourceDataSet() const;

    std::unique_ptr<TdxExtLookupDBGrid> m_grid;
    TdxDBGridLayout* m_layout{nullptr};
    TField* m_field{nullptr};
    bool m_chooseByDblClick{true};
    TShortCut m_clearKey{0};
    bool m_canDeleteText{false};
    std::string m_pickListField;
    bool m_useDefaultSettings{true};
    std::string m_searchText;
    bool m_searching{false};
    std::string m_lastTyped;
    bool m_assigning{false};
};

// A column whose editor shows a control in a popup.
class TdxDBTreeListPopupColumn : public TdxDBTreeListDropDownColumn {
    QEL_CLASS(TdxDBTreeListPopupColumn)
public:
    explicit TdxDBTreeListPopupColumn(TComponent* AOwner) : TdxDBTreeListDropDownColumn(AOwner) {}

    bool HideEditCursor() const { return m_hideEditCursor; }
    void SetHideEditCursor(bool Value) { m_hideEditCursor = Value; }
    bool PopupAutoSize() const { return m_popupAutoSize; }
    void SetPopupAutoSize(bool Value) { m_popupAutoSize = Value; }
    TControl* PopupControl() const { return m_popupControl; }
    void SetPopupControl(TControl* Value);
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
    // Raised to the minimum.
    int PopupHeight() const { return m_popupHeight; }
    void SetPopupHeight(int Value) { m_popupHeight = std::max(Value, m_popupMinHeight); }
    int PopupWidth() const { return m_popupWidth; }
    void SetPopupWidth(int Value) { m_popupWidth = std::max(Value, m_popupMinWidth); }
    // Negative values count as 0; the size is raised to a new minimum.
    int PopupMinHeight() const { return m_popupMinHeight; }
    void SetPopupMinHeight(int Value);
    int PopupMinWidth() const { return m_popupMinWidth; }
    void SetPopupMinWidth(int Value);

    void Assign(TPersistent* Source) override;
    void RestoreDefaults() override;

    TdxPopupCloseQueryEvent OnCloseQuery;
    TdxPopupCloseUpEvent OnCloseUp;
    TNotifyEvent OnInitPopup;
    TdxPopupEvent OnPopup;

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    bool m_hideEditCursor{false};
    bool m_popupAutoSize{true};
    TControl* m_popupControl{nullptr};
    TdxPopupEditFormBorderStyle m_formBorderStyle{pbsDialog};
    std::string m_formCaption;
    bool m_formClientEdge{false};
    bool m_formFlatBorder{true};
    bool m_formSizeable{true};
    int m_popupHeight{200};
    int m_popupMinHeight{100};
    int m_popupMinWidth{100};
    int m_popupWidth{250};
};

// A column whose editor drops down a grid over the lookup dataset.
class TdxDBTreeListExtLookupColumn : public TdxDBTreeListPopupColumn {
    QEL_CLASS(TdxDBTreeListExtLookupColumn)
public:
    explicit TdxDBTreeListExtLookupColumn(TComponent* AOwner);

    bool ChooseByDblClick() const { return m_chooseByDblClick; }
    void SetChooseByDblClick(bool Value) { m_chooseByDblClick = Value; }
    TShortCut ClearKey() const { return m_clearKey; }
    void SetClearKey(TShortCut Value) { m_clearKey = Value; }
    TdxDBGridLayout* DBGridLayout() const { return m_layout; }
    void SetDBGridLayout(TdxDBGridLayout* Value);
    bool CanDeleteText() const { return m_canDeleteText; }
    void SetCanDeleteText(bool Value) { m_canDeleteText = Value; }
    const std::string& PickListField() const { return m_pickListField; }
    void SetPickListField(const std::string& Value) { m_pickListField = Value; }
    bool UseDefaultSettings() const { return m_useDefaultSettings; }
    void SetUseDefaultSettings(bool Value) { m_useDefaultSettings = Value; }

    void Assign(TPersistent* Source) override;
    void RestoreDefaults() override;
    std::unique_ptr<TdxInplaceEdit> NewFilterEditor(TComponent* Owner) const override;
    void InitFilterEditor(TdxInplaceEdit* Editor) override;
    void GetFilterEditText(TdxInplaceEdit* Editor, Variant& Value, std::string& Text) override;
    void SetFilterEditValue(TdxInplaceEdit* Editor, const Variant& Value) override;

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;
    Variant FieldToEditor(TdxInplaceEdit* Editor) override;
    void EditorToField(TdxInplaceEdit* Editor) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    bool m_chooseByDblClick{true};
    TShortCut m_clearKey{0};
    TdxDBGridLayout* m_layout{nullptr};
    bool m_canDeleteText{false};
    std::string m_pickListField;
    bool m_useDefaultSettings{true};
};

class TdxDBGridPopupColumn : public TdxDBTreeListPopupColumn {
    QEL_CLASS(TdxDBGridPopupColumn)
public:
    explicit TdxDBGridPopupColumn(TComponent* AOwner) : TdxDBTreeListPopupColumn(AOwner) {}
};

class TdxDBGridExtLookupColumn : public TdxDBTreeListExtLookupColumn {
    QEL_CLASS(TdxDBGridExtLookupColumn)
public:
    explicit TdxDBGridExtLookupColumn(TComponent* AOwner) : TdxDBTreeListExtLookupColumn(AOwner) {}
};

} // namespace qel
