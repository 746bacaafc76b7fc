#pragma once
// TField: one column of a dataset. The value lives in the dataset's current
// record; the field converts it to and from every representation (AsString,
// AsInteger, Text for editing, DisplayText for showing) and carries the
// presentation settings that the grid columns take their defaults from.
#include "platform/core/Component.h"
#include "platform/core/Variant.h"
#include "platform/data/DataSetTypes.h"

#include <functional>
#include <string>

namespace qel {

class TDataSet;

class TField : public TComponent {
    QEL_CLASS(TField)

public:
    explicit TField(TComponent* AOwner);
    ~TField() override;

    // --- identity ---------------------------------------------------------
    TDataSet* DataSet() const { return m_dataSet; }
    // Adds the field to a closed dataset's field list (nullptr removes it).
    // "Cannot perform this operation on an open dataset" when open.
    void SetDataSet(TDataSet* Value);
    const std::string& FieldName() const { return m_fieldName; }
    void SetFieldName(const std::string& Value);
    TFieldType DataType() const { return m_dataType; }
    TFieldKind FieldKind() const { return m_fieldKind; }
    void SetFieldKind(TFieldKind Value);
    bool Calculated() const { return m_fieldKind == fkCalculated; }
    bool Lookup() const { return m_fieldKind == fkLookup; }
    // 1-based position among the stored fields while open; 0 for calculated
    // and lookup fields.
    int FieldNo() const { return m_fieldNo; }
    // Position in the dataset's field list; setting it moves the field.
    int Index() const;
    void SetIndex(int Value);
    int Size() const { return m_size; }
    void SetSize(int Value);
    virtual bool IsBlob() const { return false; }

    // --- value --------------------------------------------------------------
    // Reading never raises: a field without a current record answers Null
    // (and 0, "", false from the typed getters). Writing needs the dataset
    // in edit or insert state; a value that does not fit the field's type
    // raises EConvertError and leaves the record unchanged.
    Variant Value() const;
    void SetValue(const Variant& Value);
    Variant AsVariant() const { return Value(); }
    void SetAsVariant(const Variant& Value) { SetValue(Value); }
    bool IsNull() const;
    void Clear() { SetValue(Variant::Null()); }

    virtual std::string AsString() const;
    virtual void SetAsString(const std::string& Value);
    virtual std::int32_t AsInteger() const;
    void SetAsInteger(std::int32_t Value) { SetValue(Variant(Value)); }
    virtual std::int64_t AsLargeInt() const;
    void SetAsLargeInt(std::int64_t Value) { SetValue(Variant(Value)); }
    virtual double AsFloat() const;
    void SetAsFloat(double Value) { SetValue(Variant(Value)); }
    virtual bool AsBoolean() const;
    void SetAsBoolean(bool Value) { SetValue(Variant(Value)); }
    virtual TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime Value) { SetValue(Variant::FromDate(Value)); }
    virtual Currency AsCurrency() const;
    void SetAsCurrency(Currency Value) { SetValue(Variant(Value)); }

    // --- text ---------------------------------------------------------------
    // Text is the edit text; both go through OnGetText when it is assigned.
    std::string Text() const { return GetTextThroughEvent(false); }
    void SetText(const std::string& Value);   // through OnSetText when assigned
    std::string EditText() const { return Text(); }
    void SetEditText(const std::string& Value) { SetText(Value); }
    std::string DisplayText() const { return GetTextThroughEvent(true); }

    std::function<void(TField* Sender, std::string& Text, bool DisplayText)> OnGetText;
    std::function<void(TField* Sender, const std::string& Text)> OnSetText;
    // After every successful write of the field's value.
    std::function<void(TField* Sender)> OnChange;

    // --- presentation -------------------------------------------------------
    // The field name when no label is set.
    std::string DisplayLabel() const { return m_displayLabel.empty() ? m_fieldName : m_displayLabel; }
    void SetDisplayLabel(const std::string& Value);
    std::string DisplayName() const { return DisplayLabel(); }
    int DisplayWidth() const { return m_displayWidth >= 0 ? m_displayWidth : DefaultDisplayWidth(); }
    void SetDisplayWidth(int Value);
    TAlignment Alignment() const { return m_alignmentSet ? m_alignment : DefaultAlignment(); }
    void SetAlignment(TAlignment Value);
    bool Visible() const { return m_visible; }
    void SetVisible(bool Value);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool Value);
    bool Required() const { return m_required; }
    void SetRequired(bool Value) { m_required = Value; }
    const std::string& EditMask() const { return m_editMask; }
    void SetEditMask(const std::string& Value);
    const std::string& Origin() const { return m_origin; }
    void SetOrigin(const std::string& Value) { m_origin = Value; }

    // Whether a typed character can belong to the field's text: any
    // character here, digits and signs (and the decimal separator and
    // exponent where they apply) for the numeric fields.
    virtual bool IsValidChar(char32_t Ch) const;
    // The field may be written: not read-only, the dataset can be modified,
    // and the field is stored (or is a lookup field whose key fields may be written).
    virtual bool CanModify() const;
    // Asks the links to focus the control showing this field.
    void FocusControl();

    // --- lookup definition --------------------------------------------------
    TDataSet* LookupDataSet() const { return m_lookupDataSet; }
    void SetLookupDataSet(TDataSet* Value);
    const std::string& LookupKeyFields() const { return m_lookupKeyFields; }
    void SetLookupKeyFields(const std::string& Value) { m_lookupKeyFields = Value; }
    const std::string& LookupResultField() const { return m_lookupResultField; }
    void SetLookupResultField(const std::string& Value) { m_lookupResultField = Value; }
    const std::string& KeyFields() const { return m_keyFields; }
    void SetKeyFields(const std::string& Value) { m_keyFields = Value; }

    // The text GetText would give if the field held Value (OnGetText left
    // out), into Text: for readers of records the field is not standing on.
    // False when the field's class does not make its text from the value
    // alone: then read the field on its record.
    virtual bool ValueText(const Variant& /*Value*/, bool /*DisplayText*/, std::string& /*Text*/) const
    {
        return false;
    }

    // --- for the dataset ----------------------------------------------------
    // Turns any Variant into the field's stored representation (Null for
    // Null, Empty or an empty string); EConvertError when it does not fit.
    virtual Variant ConvertValue(const Variant& Value) const;

protected:
    TField(TComponent* AOwner, TFieldType DataType, int Size);
    void SetDataType(TFieldType Value) { m_dataType = Value; }

    virtual std::string GetText(bool DisplayText) const;
    virtual int DefaultDisplayWidth() const { return 10; }
    virtual TAlignment DefaultAlignment() const { return taLeftJustify; }
    // The dataset's layout (true) or data (false) changed through a property.
    void PropertyChanged(bool LayoutAffected);
    [[noreturn]] void RangeError(const std::string& Value, const std::string& Lo, const std::string& Hi) const;

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TDataSet;
    std::string GetTextThroughEvent(bool Display) const;

    TDataSet* m_dataSet{nullptr};
    std::string m_fieldName;
    TFieldType m_dataType{ftUnknown};
    TFieldKind m_fieldKind{fkData};
    int m_fieldNo{0};
    int m_calcIndex{-1};     // slot among calculated and lookup values while open
    int m_size{0};
    std::string m_displayLabel;
    int m_displayWidth{-1};
    TAlignment m_alignment{taLeftJustify};
    bool m_alignmentSet{false};
    bool m_visible{true};
    bool m_readOnly{false};
    bool m_required{false};
    std::string m_editMask;
    std::string m_origin;
    TDataSet* m_lookupDataSet{nullptr};
    std::string m_lookupKeyFields;
    std::string m_lookupResultField;
    std::string m_keyFields;
};

} // namespace qel
