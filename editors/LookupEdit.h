#pragma once
// TdxInplaceLookupEdit: a cell that stores a key but shows the text of the
// list dataset's row with that key (a customer number shown as the name).
// Bound either to a lookup field of the edited dataset (the field names the
// list dataset, its key and result fields) or to an explicit list source
// with a key and a list field; in filter mode it holds a key of its own.
// Typing searches the list incrementally, the popup is a data-aware list box.
//
// Showing a text never moves the list dataset: other views of that dataset
// (a second grid, a navigator) stay where they are while cells are painted.
// Texts are cached per key; the list link drops the cache whenever the list
// dataset opens, closes or changes its records.
#include "editors/DropDownEdit.h"
#include "editors/PopupListBox.h"
#include "platform/core/Variant.h"
#include "platform/data/DataLink.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TDataSet;
class TDataSource;
class TField;
class TdxInplaceLookupEdit;

// Tells its editor when the list dataset's records may have changed.
class TdxListSourceLink : public TDataLink {
public:
    explicit TdxListSourceLink(TdxInplaceLookupEdit* Editor) : m_editor(Editor) {}

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void RecordChanged(TField* Field) override;
    // Moving through the list changes no key's text.
    void DataSetScrolled(int /*Distance*/) override {}

private:
    TdxInplaceLookupEdit* m_editor;
};

// The popup list of a lookup editor: the list field's texts of the list
// dataset's records, each with its key. Filled without moving the dataset.
class TPopupDBLookupListBox : public TCustomdxPopupListBox {
    QEL_CLASS(TPopupDBLookupListBox)
public:
    explicit TPopupDBLookupListBox(TComponent* AOwner);

    // Reads the rows of DataSet: the texts of ListField, the values of KeyField.
    void Fill(TDataSet* DataSet, const std::string& KeyField, const std::string& ListField);
    int RecordCount() const { return static_cast<int>(m_keys.size()); }
    // The key of the selected row (Null when none is selected).
    Variant KeyValue() const;
    // Selects the row with that key (none when absent).
    void SetKeyValue(const Variant& Value);

    bool Shadow() const { return m_shadow; }
    void SetShadow(bool Value) { m_shadow = Value; }
    static constexpr int ShadowSize = 2;
    // Border width for layout: both sides of the border, and the shadow when shown.
    int LayoutBorderWidth() const;

private:
    std::vector<Variant> m_keys;
    bool m_shadow{false};
};

class TdxInplaceLookupEdit : public TdxInplaceDropDownEdit {
    QEL_CLASS(TdxInplaceLookupEdit)
public:
    explicit TdxInplaceLookupEdit(TComponent* AOwner);
    ~TdxInplaceLookupEdit() override;

    // ----- binding -------------------------------------------------------------
    TField* LookupField() const { return m_lookupField; }
    void SetLookupField(TField* Value);
    // True: a bound lookup field's own definition drives the lookup.
    bool FieldMode() const { return m_fieldMode; }
    void SetFieldMode(bool Value);
    TDataSource* ListSource() const;
    void SetListSource(TDataSource* Value);
    const std::string& KeyFieldName() const { return m_keyFieldName; }
    void SetKeyFieldName(const std::string& Value);
    // Empty: the key field is shown.
    const std::string& ListFieldName() const { return m_listFieldName; }
    void SetListFieldName(const std::string& Value);
    // The editor holds a key of its own (the filter dialogs).
    bool FilterMode() const { return m_filterMode; }
    void SetFilterMode(bool Value) { m_filterMode = Value; }

    // ----- value ---------------------------------------------------------------
    const Variant& KeyValue() const { return m_keyValue; }
    // Takes Value as the key, shows its text and ends any search.
    void SetKeyValue(const Variant& Value);
    // The text shown for Key; empty when no list row has it or Key is Null.
    // Never moves the list dataset.
    std::string DisplayTextOf(const Variant& Key);
    // Drops the cached texts and shows the current key's text again.
    void RefreshDisplayText();

    bool CanDeleteText() const { return m_canDeleteText; }
    void SetCanDeleteText(bool Value) { m_canDeleteText = Value; }
    // Shortcut that clears the value; 0: none.
    TShortCut ClearKey() const { return m_clearKey; }
    void SetClearKey(TShortCut Value) { m_clearKey = Value; }
    bool Searching() const { return m_searching; }
    const std::string& SearchText() const { return m_searchText; }
    TPopupDBLookupListBox* PopupList() const { return m_list; }

    Variant GetEditingValue() const override;
    void SetEditingValue(const Variant& Value) override;
    bool CanModify() const override;
    bool IsDataLinkModified() const override;
    void KeyPress(TKeyChar& Key) override;
    void SelectNextItem(int Direction) override;

protected:
    void DoEditKeyDown(std::uint16_t& Key, TShiftState Shift) override;
    bool CanDropDown() const override;
    TControl* PopupContent(TWinControl* Parent) override;
    void DoInitPopup() override;
    TSize PopupSize() override;
    void PopupKeyDown(std::uint16_t& Key, TShiftState Shift) override;
    Variant PopupValue() override;
    void ApplyPopupValue(const Variant& Value) override;
    void PopupHiding() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TdxListSourceLink;
    // What the lookup reads from, in either mode.
    struct TLookupSource {
        TDataSet* DataSet = nullptr;
        std::string KeyField;
        std::string ListField;
    };
    TLookupSource Source() const;
    // The list dataset is the edited dataset itself.
    bool IsCircular() const;
    // Takes Value as the user's choice (written to the key field in field mode).
    void EnterKeyValue(const Variant& Value);
    void ShowKeyText();
    void EndSearch();
    // Searches the list for m_searchText; answers whether a row matched.
    bool DoSearch();
    void ListChanged();

    TField* m_lookupField{nullptr};
    bool m_fieldMode{true};
    TdxListSourceLink m_listLink{this};
    std::unique_ptr<TDataSource> m_internalSource;   // the popup's source in field mode
    std::string m_keyFieldName;
    std::string m_listFieldName;
    Variant m_keyValue{Variant::Null()};
    bool m_filterMode{false};
    std::string m_searchText;
    bool m_searching{false};
    std::map<Variant, std::string> m_textCache;
    TPopupDBLookupListBox* m_list{nullptr};
    bool m_canDeleteText{false};
    TShortCut m_clearKey{0};
};

// The filter dialogs' lookup editor: a key of its own, no field.
class TCustomdxFilterLookupEdit : public TdxInplaceLookupEdit {
    QEL_CLASS(TCustomdxFilterLookupEdit)
public:
    explicit TCustomdxFilterLookupEdit(TComponent* AOwner) : TdxInplaceLookupEdit(AOwner) { SetFilterMode(true); }
};

} // namespace qel
