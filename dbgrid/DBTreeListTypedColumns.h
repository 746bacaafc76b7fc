#pragma once
// One data-bound column class per kind of in-place editor. Each is a thin
// adapter: it keeps the editor's settings, copies them into the editor when
// editing starts (InitEditor), converts between the field and the editor's
// native value (FieldToEditor, EditorToField) and chooses the stand-alone
// editor of the grid's filter dialogs (NewFilterEditor).
#include "dbgrid/DBTreeListColumn.h"
#include "editors/BlobEdit.h"
#include "editors/EditButtons.h"
#include "editors/DropDownEdit.h"
#include "editors/SpinEdit.h"

#include <memory>
#include <string>
#include <vector>

namespace qel {

class TGraphic;
class TStrings;

enum TdxShowButtonStyle : std::uint8_t { sbDefault, sbAlways, sbNone };
enum TdxBlobKind : std::uint8_t { bkAuto, bkBlob, bkMemo, bkPict, bkOle };
enum TdxBlobPaintStyle : std::uint8_t { bpsDefault, bpsIcon, bpsText };

// The editor's empty date.
constexpr double NullEditDate = -700000.0;

class TdxDBTreeListDropDownColumn : public TdxDBTreeListColumn {
    QEL_CLASS(TdxDBTreeListDropDownColumn)
public:
    explicit TdxDBTreeListDropDownColumn(TComponent* AOwner) : TdxDBTreeListColumn(AOwner) {}

    int DropDownRows() const { return m_dropDownRows; }
    void SetDropDownRows(int Value) { m_dropDownRows = Value; Changed(); }
    int DropDownWidth() const { return m_dropDownWidth; }
    void SetDropDownWidth(int Value) { m_dropDownWidth = Value; Changed(); }
    TAlignment PopupAlignment() const { return m_popupAlignment; }
    void SetPopupAlignment(TAlignment Value) { m_popupAlignment = Value; Changed(); }
    TdxPopupBorder PopupBorder() const { return m_popupBorder; }
    void SetPopupBorder(TdxPopupBorder Value) { m_popupBorder = Value; Changed(); }
    TdxShowButtonStyle ShowButtonStyle() const { return m_showButtonStyle; }
    void SetShowButtonStyle(TdxShowButtonStyle Value) { m_showButtonStyle = Value; Changed(); }
    // Drawn on the drop-down button instead of the arrow; created on first read.
    TBitmap* ButtonGlyph();
    bool HasButtonGlyph() const { return m_buttonGlyph && !m_buttonGlyph->Empty(); }
    // nullptr frees the glyph; any other bitmap is copied.
    void SetButtonGlyph(const TBitmap* Value);
    // Whether a cell shows its button outside editing.
    bool IsButtonShown(bool ControlShowsButtons, bool RowFocused) const;
    void Assign(TPersistent* Source) override;
    void RestoreDefaults() override;

    TNotifyEvent OnEditButtonClick;

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;

private:
    int m_dropDownRows{7};
    int m_dropDownWidth{0};
    TAlignment m_popupAlignment{taLeftJustify};
    TdxPopupBorder m_popupBorder{pbDefault};
    TdxShowButtonStyle m_showButtonStyle{sbDefault};
    std::unique_ptr<TBitmap> m_buttonGlyph;
};

class TdxDBTreeListDateColumn : public TdxDBTreeListDropDownColumn {
    QEL_CLASS(TdxDBTreeListDateColumn)
public:
    explicit TdxDBTreeListDateColumn(TComponent* AOwner) : TdxDBTreeListDropDownColumn(AOwner) {}
    bool DateValidation() const { return m_dateValidation; }
    void SetDateValidation(bool Value) { m_dateValidation = Value; }
    bool SaveTime() const { return m_saveTime; }
    void SetSaveTime(bool Value) { m_saveTime = Value; }
    bool UseEditMask() const { return m_useEditMask; }
    void SetUseEditMask(bool Value) { m_useEditMask = Value; Changed(); }
    void Assign(TPersistent* Source) override;
    std::unique_ptr<TdxInplaceEdit> NewFilterEditor(TComponent* Owner) const override;
    void GetFilterEditText(TdxInplaceEdit* Editor, Variant& Value, std::string& Text) override;
    void SetFilterEditValue(TdxInplaceEdit* Editor, const Variant& Value) override;
    bool SameFieldValue(const Variant& Value) const override;

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;
    Variant FieldToEditor(TdxInplaceEdit* Editor) override;
    void EditorToField(TdxInplaceEdit* Editor) override;

private:
    bool m_dateValidation{false};
    bool m_saveTime{true};
    bool m_useEditMask{false};
};

// The button column's buttons: one ellipsis button that is the default to begin with.
class TdxColumnEditButtons : public TdxEditButtons {
    QEL_CLASS(TdxColumnEditButtons)
public:
    explicit TdxColumnEditButtons(TPersistent* Owner = nullptr);
    void RestoreDefaults();
};

// How the button column's default button looks: an ellipsis or the column's Glyph.
enum TdxEditButtonStyle : std::uint8_t { ebsEllipsis, ebsGlyph };

class TdxDBTreeListButtonColumn : public TdxDBTreeListDropDownColumn {
    QEL_CLASS(TdxDBTreeListButtonColumn)
public:
    explicit TdxDBTreeListButtonColumn(TComponent* AOwner);
    ~TdxDBTreeListButtonColumn() override;
    bool ButtonOnly() const { return m_buttonOnly; }
    void SetButtonOnly(bool Value) { m_buttonOnly = Value; Changed(); }
    // Any change of a button changes the column's layout.
    TdxColumnEditButtons* Buttons() const { return m_buttons.get(); }
    void SetButtons(TdxEditButtons* Value) { m_buttons->Assign(Value); }
    TdxEditButtonStyle EditButtonStyle() const { return m_editButtonStyle; }
    void SetEditButtonStyle(TdxEditButtonStyle Value);
    // Created on first read.
    TBitmap* Glyph();
    bool HasGlyph() const { return m_glyph && !m_glyph->Empty(); }
    // nullptr frees the glyph; any other bitmap is copied.
    void SetGlyph(const TBitmap* Value);
    std::uint16_t ClickKey() const { return m_clickKey; }
    void SetClickKey(std::uint16_t Value) { m_clickKey = Value; }
    bool HideEditCursor() const { return m_hideEditCursor; }
    void SetHideEditCursor(bool Value) { m_hideEditCursor = Value; }
    void Assign(TPersistent* Source) override;
    std::function<void(TObject* Sender, int AbsoluteIndex)> OnButtonClick;

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;

private:
    bool m_buttonOnly{false};
    std::unique_ptr<TdxColumnEditButtons> m_buttons;
    TChangeLink m_buttonsLink;
    TdxEditButtonStyle m_editButtonStyle{ebsEllipsis};
    std::unique_ptr<TBitmap> m_glyph;
    std::uint16_t m_clickKey{16397};   // Ctrl+Enter
    bool m_hideEditCursor{false};
};

class TdxDBTreeListPickColumn : public TdxDBTreeListDropDownColumn {
    QEL_CLASS(TdxDBTreeListPickColumn)
public:
    explicit TdxDBTreeListPickColumn(TComponent* AOwner) : TdxDBTreeListDropDownColumn(AOwner) {}
    std::vector<std::string>& Items() { return m_items; }
    const std::vector<std::string>& Items() const { return m_items; }
    bool ItemsSorted() const { return m_itemsSorted; }
    void SetItemsSorted(bool Value) { m_itemsSorted = Value; }
    bool DropDownListStyle() const { return m_dropDownListStyle; }
    void SetDropDownListStyle(bool Value) { m_dropDownListStyle = Value; }
    bool ImmediateDropDown() const { return m_immediateDropDown; }
    void SetImmediateDropDown(bool Value) { m_immediateDropDown = Value; }
    bool CanDeleteText() const { return m_canDeleteText; }
    void SetCanDeleteText(bool Value) { m_canDeleteText = Value; }
    bool Revertable() const { return m_revertable; }
    void SetRevertable(bool Value) { m_revertable = Value; }
    void Assign(TPersistent* Source) override;
    std::unique_ptr<TdxInplaceEdit> NewFilterEditor(TComponent* Owner) const override;

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;

    std::vector<std::string> m_items;
    bool m_itemsSorted{false};
    bool m_dropDownListStyle{false};
    bool m_immediateDropDown{true};
    bool m_canDeleteText{false};
    bool m_revertable{false};
};

class TdxDBTreeListMRUColumn : public TdxDBTreeListPickColumn {
    QEL_CLASS(TdxDBTreeListMRUColumn)
public:
    explicit TdxDBTreeListMRUColumn(TComponent* AOwner) : TdxDBTreeListPickColumn(AOwner) { m_immediateDropDown = false; }
    int MaxItemCount() const { return m_maxItemCount; }
    void SetMaxItemCount(int Value) { m_maxItemCount = Value; }
    bool ShowEllipsis() const { return m_showEllipsis; }
    void SetShowEllipsis(bool Value) { m_showEllipsis = Value; Changed(); }
    TNotifyEvent OnButtonClick;

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;
    // The editor keeps its most recently used entries in its list: take them over.
    void EditorToField(TdxInplaceEdit* Editor) override;

private:
    int m_maxItemCount{7};
    bool m_showEllipsis{true};
};

class TdxDBTreeListCalcColumn : public TdxDBTreeListDropDownColumn {
    QEL_CLASS(TdxDBTreeListCalcColumn)
public:
    explicit TdxDBTreeListCalcColumn(TComponent* AOwner) : TdxDBTreeListDropDownColumn(AOwner) {}
    bool BeepOnError() const { return m_beepOnError; }
    void SetBeepOnError(bool Value) { m_beepOnError = Value; }
    int Precision() const { return m_precision; }
    void SetPrecision(int Value) { m_precision = Value; }
    bool QuickClose() const { return m_quickClose; }
    void SetQuickClose(bool Value) { m_quickClose = Value; }
    bool ShowButtonFrame() const { return m_showButtonFrame; }
    void SetShowButtonFrame(bool Value) { m_showButtonFrame = Value; }

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;

private:
    bool m_beepOnError{true};
    int m_precision{13};
    bool m_quickClose{false};
    bool m_showButtonFrame{false};
};

class TdxDBTreeListSpinColumn : public TdxDBTreeListColumn {
    QEL_CLASS(TdxDBTreeListSpinColumn)
public:
    explicit TdxDBTreeListSpinColumn(TComponent* AOwner) : TdxDBTreeListColumn(AOwner) {}
    bool EditorEnabled() const { return m_editorEnabled; }
    void SetEditorEnabled(bool Value) { m_editorEnabled = Value; }
    double Increment() const { return m_increment; }
    void SetIncrement(double Value) { m_increment = Value; }
    // The assigned limit, else the bound field's own (0 without either).
    double MinValue() const;
    void SetMinValue(double Value) { m_minValue = Value; m_minAssigned = true; }
    double MaxValue() const;
    void SetMaxValue(double Value) { m_maxValue = Value; m_maxAssigned = true; }
    bool IsMinValueStored() const { return m_minAssigned; }
    bool IsMaxValueStored() const { return m_maxAssigned; }
    bool UseCtrlIncrement() const { return m_useCtrlIncrement; }
    void SetUseCtrlIncrement(bool Value) { m_useCtrlIncrement = Value; }
    std::unique_ptr<TdxInplaceEdit> NewFilterEditor(TComponent* Owner) const override;
    void GetFilterEditText(TdxInplaceEdit* Editor, Variant& Value, std::string& Text) override;
    void SetFilterEditValue(TdxInplaceEdit* Editor, const Variant& Value) override;

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;

private:
    bool m_editorEnabled{true};
    double m_increment{1.0};
    double m_minValue{0};
    double m_maxValue{0};
    bool m_minAssigned{false};
    bool m_maxAssigned{false};
    bool m_useCtrlIncrement{false};
};

class TdxDBTreeListTimeColumn : public TdxDBTreeListColumn {
    QEL_CLASS(TdxDBTreeListTimeColumn)
public:
    explicit TdxDBTreeListTimeColumn(TComponent* AOwner) : TdxDBTreeListColumn(AOwner) {}
    TdxTimeEditFormat TimeEditFormat() const { return m_timeEditFormat; }
    void SetTimeEditFormat(TdxTimeEditFormat Value) { m_timeEditFormat = Value; Changed(); }
    bool UseCtrlIncrement() const { return m_useCtrlIncrement; }
    void SetUseCtrlIncrement(bool Value) { m_useCtrlIncrement = Value; }
    std::unique_ptr<TdxInplaceEdit> NewFilterEditor(TComponent* Owner) const override;
    void GetFilterEditText(TdxInplaceEdit* Editor, Variant& Value, std::string& Text) override;

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;
    Variant FieldToEditor(TdxInplaceEdit* Editor) override;
    void EditorToField(TdxInplaceEdit* Editor) override;

private:
    TdxTimeEditFormat m_timeEditFormat{tfHourMinSec};
    bool m_useCtrlIncrement{false};
};

class TdxDBTreeListCurrencyColumn : public TdxDBTreeListColumn {
    QEL_CLASS(TdxDBTreeListCurrencyColumn)
public:
    explicit TdxDBTreeListCurrencyColumn(TComponent* AOwner) : TdxDBTreeListColumn(AOwner) {}
    int DecimalPlaces() const { return m_decimalPlaces; }
    void SetDecimalPlaces(int Value) { m_decimalPlaces = Value; Changed(); }
    const std::string& DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const std::string& Value) { m_displayFormat = Value; Changed(); }
    double MinValue() const;
    void SetMinValue(double Value) { m_minValue = Value; m_minAssigned = true; }
    double MaxValue() const;
    void SetMaxValue(double Value) { m_maxValue = Value; m_maxAssigned = true; }
    bool IsMinValueStored() const { return m_minAssigned; }
    bool IsMaxValueStored() const { return m_maxAssigned; }
    bool Nullable() const { return m_nullable; }
    void SetNullable(bool Value) { m_nullable = Value; }
    const std::string& NullString() const { return m_nullString; }
    void SetNullString(const std::string& Value) { m_nullString = Value; }
    bool UseThousandSeparator() const { return m_useThousandSeparator; }
    void SetUseThousandSeparator(bool Value) { m_useThousandSeparator = Value; Changed(); }
    std::unique_ptr<TdxInplaceEdit> NewFilterEditor(TComponent* Owner) const override;
    void GetFilterEditText(TdxInplaceEdit* Editor, Variant& Value, std::string& Text) override;
    void SetFilterEditValue(TdxInplaceEdit* Editor, const Variant& Value) override;

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;
    Variant FieldToEditor(TdxInplaceEdit* Editor) override;
    void EditorToField(TdxInplaceEdit* Editor) override;

private:
    int m_decimalPlaces{2};
    std::string m_displayFormat;
    double m_minValue{0};
    double m_maxValue{0};
    bool m_minAssigned{false};
    bool m_maxAssigned{false};
    bool m_nullable{true};
    std::string m_nullString;
    bool m_useThousandSeparator{false};
};

class TdxDBTreeListHyperLinkColumn : public TdxDBTreeListColumn {
    QEL_CLASS(TdxDBTreeListHyperLinkColumn)
public:
    explicit TdxDBTreeListHyperLinkColumn(TComponent* AOwner) : TdxDBTreeListColumn(AOwner) {}
    TColor EditBackgroundColor() const { return m_editBackgroundColor; }
    void SetEditBackgroundColor(TColor Value) { m_editBackgroundColor = Value; }
    TColor EditFontColor() const { return m_editFontColor; }
    void SetEditFontColor(TColor Value) { m_editFontColor = Value; Changed(); }
    bool SingleClick() const { return m_singleClick; }
    void SetSingleClick(bool Value) { m_singleClick = Value; Changed(); }
    std::uint16_t StartKey() const { return m_startKey; }
    void SetStartKey(std::uint16_t Value) { m_startKey = Value; }
    // For an HTML export the text becomes an anchor, escaped for its place.
    bool GetValueText(Variant& Value, bool HTML) const override;
    void PrepareViewData(TdxTreeListCellViewData& ViewData) const override;
    TNotifyEvent OnStartClick;

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;

private:
    TColor m_editBackgroundColor{clWindow};
    TColor m_editFontColor{clBlue};
    bool m_singleClick{false};
    std::uint16_t m_startKey{16397};
};

class TdxDBTreeListMemoColumn : public TdxDBTreeListColumn {
    QEL_CLASS(TdxDBTreeListMemoColumn)
public:
    explicit TdxDBTreeListMemoColumn(TComponent* AOwner) : TdxDBTreeListColumn(AOwner) {}
    // Characters shown in a cell; negative: the whole text.
    int MaxDisplayLength() const { return m_maxDisplayLength; }
    void SetMaxDisplayLength(int Value) { m_maxDisplayLength = Value; Changed(); }
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool Value) { m_wordWrap = Value; }
    bool WantReturns() const { return m_wantReturns; }
    void SetWantReturns(bool Value) { m_wantReturns = Value; }
    bool WantTabs() const { return m_wantTabs; }
    void SetWantTabs(bool Value) { m_wantTabs = Value; }
    bool HideScrollBars() const { return m_hideScrollBars; }
    void SetHideScrollBars(bool Value) { m_hideScrollBars = Value; }
    bool SelectionBar() const { return m_selectionBar; }
    void SetSelectionBar(bool Value) { m_selectionBar = Value; }
    bool IsBlobColumn() const override { return true; }
    bool IsMultiLine() const override { return true; }
    std::string GetFieldDisplayText() const override;

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;
    Variant FieldToEditor(TdxInplaceEdit* Editor) override;
    void EditorToField(TdxInplaceEdit* Editor) override;

private:
    int m_maxDisplayLength{255};
    bool m_wordWrap{true};
    bool m_wantReturns{true};
    bool m_wantTabs{false};
    bool m_hideScrollBars{true};
    bool m_selectionBar{false};
};

// The picture value that passes between a graphic editor and a blob field.
using TdxPictureValue = std::shared_ptr<const TGraphic>;

// Writes an editor value into a blob field: Null clears it, a string is
// stored as the field's bytes. A field that cannot hold it raises.
void AssignPictureFromVariant(const Variant& Value, TField* Field);
// Writes a picture (nullptr clears); a field that is no blob field raises.
void AssignPicture(const TdxPictureValue& Picture, TField* Field);
TdxBlobEditKind GetBlobKindOfField(TdxBlobKind BlobKind, const TField* Field);

class TdxDBTreeListBlobColumn : public TdxDBTreeListDropDownColumn {
    QEL_CLASS(TdxDBTreeListBlobColumn)
public:
    explicit TdxDBTreeListBlobColumn(TComponent* AOwner);
    TdxBlobKind BlobKind() const { return m_blobKind; }
    void SetBlobKind(TdxBlobKind Value) { m_blobKind = Value; Changed(); }
    TdxBlobPaintStyle BlobPaintStyle() const { return m_blobPaintStyle; }
    void SetBlobPaintStyle(TdxBlobPaintStyle Value) { m_blobPaintStyle = Value; Changed(); }
    int MaxDisplayLength() const { return m_maxDisplayLength; }
    void SetMaxDisplayLength(int Value) { m_maxDisplayLength = Value; Changed(); }
    int PopupWidth() const { return m_popupWidth; }
    void SetPopupWidth(int Value) { m_popupWidth = Value; }
    int PopupHeight() const { return m_popupHeight; }
    void SetPopupHeight(int Value) { m_popupHeight = Value; }
    int GetPopupHeight() const;
    bool AlwaysSaveText() const { return m_alwaysSaveText; }
    void SetAlwaysSaveText(bool Value) { m_alwaysSaveText = Value; }
    bool IsBlobColumn() const override { return true; }
    std::string GetFieldDisplayText() const override;
    std::function<void(TObject* Sender, int& Height)> OnGetPopupHeight;

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;
    void EditorToField(TdxInplaceEdit* Editor) override;

private:
    TdxBlobKind m_blobKind{bkAuto};
    TdxBlobPaintStyle m_blobPaintStyle{bpsIcon};
    int m_maxDisplayLength{255};
    int m_popupWidth{200};
    int m_popupHeight{140};
    bool m_alwaysSaveText{false};
};

class TdxDBTreeListGraphicColumn : public TdxDBTreeListColumn {
    QEL_CLASS(TdxDBTreeListGraphicColumn)
public:
    explicit TdxDBTreeListGraphicColumn(TComponent* AOwner) : TdxDBTreeListColumn(AOwner) {}
    bool Center() const { return m_center; }
    void SetCenter(bool Value) { m_center = Value; Changed(); }
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool Value) { m_stretch = Value; Changed(); }
    bool ShadowSelection() const { return m_shadowSelection; }
    void SetShadowSelection(bool Value) { m_shadowSelection = Value; }
    bool UsesFieldValue() const override { return true; }
    bool IsBlobColumn() const override { return true; }
    std::unique_ptr<TdxInplaceEdit> NewFilterEditor(TComponent*) const override { return nullptr; }

protected:
    std::unique_ptr<TdxInplaceEdit> NewInplaceEditor(TComponent* Owner) const override;
    void InitEditor(TdxInplaceEdit* Editor) override;
    Variant FieldToEditor(TdxInplaceEdit* Editor) override;
    void EditorToField(TdxInplaceEdit* Editor) override;

private:
    bool m_center{true};
    bool m_stretch{true};
    bool m_shadowSelection{true};
};

// Borrows another column per row: every cell-level operation is delegated
// to the column OnGetReferenceColumn returns (never the wrapper itself, and
// never a chain of wrappers that leads back).
class TdxDBTreeListWrapperColumn : public TdxDBTreeListColumn {
    QEL_CLASS(TdxDBTreeListWrapperColumn)
public:
    explicit TdxDBTreeListWrapperColumn(TComponent* AOwner) : TdxDBTreeListColumn(AOwner) {}

    // The row's reference column; nullptr when none (or when it would lead back here).
    TdxDBTreeListColumn* GetReferenceColumn(TdxTreeListNode* Node) const;

    TdxTreeListEditorFactory GetEditorClass() const override;
    void InitEditorValue(TdxTreeListInplaceEditor* Editor, const Variant& Value) override;
    Variant AssignEditorValue(TdxTreeListInplaceEditor* Editor) override;
    void PrepareViewData(TdxTreeListCellViewData& ViewData) const override;
    void DrawCell(TCanvas& Canvas, const TdxTreeListCellViewData& ViewData) const override;
    std::string GetFieldDisplayText() const override;
    bool SameFieldValue(const Variant& Value) const override;

    std::function<void(TObject* Sender, TdxTreeListNode* Node, TdxDBTreeListColumn*& Column)> OnGetReferenceColumn;

private:
    mutable int m_depth{0};
};

} // namespace qel
