#pragma once
// The typed field classes and the factory that picks one for a field type.
#include "platform/data/Field.h"

#include <memory>

namespace qel {

class TStream;

class TStringField : public TField {
    QEL_CLASS(TStringField)
public:
    explicit TStringField(TComponent* AOwner) : TStringField(AOwner, ftString) {}
    // Longer texts are cut to Size characters (never inside a UTF-8 sequence).
    Variant ConvertValue(const Variant& Value) const override;
    bool FixedChar() const { return DataType() == ftFixedChar; }
protected:
    TStringField(TComponent* AOwner, TFieldType Type);
    int DefaultDisplayWidth() const override { return Size(); }
};

class TWideStringField : public TStringField {
    QEL_CLASS(TWideStringField)
public:
    explicit TWideStringField(TComponent* AOwner) : TStringField(AOwner, ftWideString) {}
    Variant ConvertValue(const Variant& Value) const override;
};

// Integer and floating fields: formats for showing and editing, right aligned.
class TNumericField : public TField {
    QEL_CLASS(TNumericField)
public:
    const std::string& DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const std::string& Value);
    const std::string& EditFormat() const { return m_editFormat; }
    void SetEditFormat(const std::string& Value);
    bool IsValidChar(char32_t Ch) const override;
protected:
    TNumericField(TComponent* AOwner, TFieldType Type, int Size) : TField(AOwner, Type, Size) {}
    TAlignment DefaultAlignment() const override { return taRightJustify; }
private:
    std::string m_displayFormat;
    std::string m_editFormat;
};

class TIntegerField : public TNumericField {
    QEL_CLASS(TIntegerField)
public:
    explicit TIntegerField(TComponent* AOwner) : TIntegerField(AOwner, ftInteger) {}
    // 0 and 0 mean no range check; otherwise a value outside raises EConvertError.
    std::int32_t MinValue() const { return m_min; }
    void SetMinValue(std::int32_t Value) { m_min = Value; }
    std::int32_t MaxValue() const { return m_max; }
    void SetMaxValue(std::int32_t Value) { m_max = Value; }
    Variant ConvertValue(const Variant& Value) const override;
    bool IsValidChar(char32_t Ch) const override;
    bool ValueText(const Variant& Value, bool DisplayText, std::string& Text) const override;
protected:
    TIntegerField(TComponent* AOwner, TFieldType Type);
    std::string GetText(bool DisplayText) const override;
    int DefaultDisplayWidth() const override { return 11; }
    virtual std::int64_t TypeMin() const { return INT32_MIN; }
    virtual std::int64_t TypeMax() const { return INT32_MAX; }
private:
    std::int32_t m_min{0};
    std::int32_t m_max{0};
};

class TSmallintField : public TIntegerField {
    QEL_CLASS(TSmallintField)
public:
    explicit TSmallintField(TComponent* AOwner) : TIntegerField(AOwner, ftSmallint) {}
    Variant ConvertValue(const Variant& Value) const override;
protected:
    int DefaultDisplayWidth() const override { return 6; }
    std::int64_t TypeMin() const override { return INT16_MIN; }
    std::int64_t TypeMax() const override { return INT16_MAX; }
};

class TWordField : public TIntegerField {
    QEL_CLASS(TWordField)
public:
    explicit TWordField(TComponent* AOwner) : TIntegerField(AOwner, ftWord) {}
protected:
    int DefaultDisplayWidth() const override { return 5; }
    std::int64_t TypeMin() const override { return 0; }
    std::int64_t TypeMax() const override { return UINT16_MAX; }
};

// Filled by the dataset with the next number when a record is posted without one.
class TAutoIncField : public TIntegerField {
    QEL_CLASS(TAutoIncField)
public:
    explicit TAutoIncField(TComponent* AOwner) : TIntegerField(AOwner, ftAutoInc) {}
};

class TLargeintField : public TNumericField {
    QEL_CLASS(TLargeintField)
public:
    explicit TLargeintField(TComponent* AOwner) : TNumericField(AOwner, ftLargeint, 0) {}
    std::int64_t MinValue() const { return m_min; }
    void SetMinValue(std::int64_t Value) { m_min = Value; }
    std::int64_t MaxValue() const { return m_max; }
    void SetMaxValue(std::int64_t Value) { m_max = Value; }
    Variant ConvertValue(const Variant& Value) const override;
    bool IsValidChar(char32_t Ch) const override;
    bool ValueText(const Variant& Value, bool DisplayText, std::string& Text) const override;
protected:
    std::string GetText(bool DisplayText) const override;
    int DefaultDisplayWidth() const override { return 15; }
private:
    std::int64_t m_min{0};
    std::int64_t m_max{0};
};

class TFloatField : public TNumericField {
    QEL_CLASS(TFloatField)
public:
    explicit TFloatField(TComponent* AOwner) : TFloatField(AOwner, ftFloat) {}
    // Shown as money (two decimals and the currency sign) when no format is set.
    bool IsCurrency() const { return m_currency; }
    void SetCurrency(bool Value);
    // Significant digits of the default text.
    int Precision() const { return m_precision; }
    void SetPrecision(int Value);
    double MinValue() const { return m_min; }
    void SetMinValue(double Value) { m_min = Value; }
    double MaxValue() const { return m_max; }
    void SetMaxValue(double Value) { m_max = Value; }
    Variant ConvertValue(const Variant& Value) const override;
    bool ValueText(const Variant& Value, bool DisplayText, std::string& Text) const override;
protected:
    TFloatField(TComponent* AOwner, TFieldType Type);
    std::string GetText(bool DisplayText) const override;
private:
    bool m_currency{false};
    int m_precision{15};
    double m_min{0};
    double m_max{0};
};

class TCurrencyField : public TFloatField {
    QEL_CLASS(TCurrencyField)
public:
    explicit TCurrencyField(TComponent* AOwner);
};

// Fixed-point decimal kept as Currency (four decimals).
class TBCDField : public TNumericField {
    QEL_CLASS(TBCDField)
public:
    explicit TBCDField(TComponent* AOwner) : TNumericField(AOwner, ftBCD, 4) {}
    bool IsCurrency() const { return m_currency; }
    void SetCurrency(bool Value);
    int Precision() const { return m_precision; }
    void SetPrecision(int Value) { m_precision = Value; }
    Currency MinValue() const { return m_min; }
    void SetMinValue(Currency Value) { m_min = Value; }
    Currency MaxValue() const { return m_max; }
    void SetMaxValue(Currency Value) { m_max = Value; }
    Variant ConvertValue(const Variant& Value) const override;
    bool IsValidChar(char32_t Ch) const override;
protected:
    std::string GetText(bool DisplayText) const override;
private:
    bool m_currency{false};
    int m_precision{0};
    Currency m_min{};
    Currency m_max{};
};

class TBooleanField : public TField {
    QEL_CLASS(TBooleanField)
public:
    explicit TBooleanField(TComponent* AOwner);
    // "True;False": the texts for true and false; text is read back by them
    // (case-insensitive, or a leading part of one).
    const std::string& DisplayValues() const { return m_displayValues; }
    void SetDisplayValues(const std::string& Value);
    Variant ConvertValue(const Variant& Value) const override;
    // The text for true or false, so that SetAsString reads it back.
    std::string AsString() const override { return GetText(false); }
protected:
    std::string GetText(bool DisplayText) const override;
    int DefaultDisplayWidth() const override { return 5; }
private:
    std::string m_displayValues{"True;False"};
    std::string m_true{"True"};
    std::string m_false{"False"};
};

class TDateTimeField : public TField {
    QEL_CLASS(TDateTimeField)
public:
    explicit TDateTimeField(TComponent* AOwner) : TDateTimeField(AOwner, ftDateTime) {}
    const std::string& DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const std::string& Value);
    // A value the date functions cannot show (NaN, beyond any calendar)
    // raises EConvertError.
    Variant ConvertValue(const Variant& Value) const override;
    // By the field's type: a date field gives only the date, a time field
    // only the time.
    std::string AsString() const override { return GetText(false); }
    bool ValueText(const Variant& Value, bool DisplayText, std::string& Text) const override;
protected:
    TDateTimeField(TComponent* AOwner, TFieldType Type) : TField(AOwner, Type, 0) {}
    std::string GetText(bool DisplayText) const override;
    int DefaultDisplayWidth() const override { return 18; }
private:
    std::string m_displayFormat;
};

class TDateField : public TDateTimeField {
    QEL_CLASS(TDateField)
public:
    explicit TDateField(TComponent* AOwner) : TDateTimeField(AOwner, ftDate) {}
protected:
    int DefaultDisplayWidth() const override { return 10; }
};

class TTimeField : public TDateTimeField {
    QEL_CLASS(TTimeField)
public:
    explicit TTimeField(TComponent* AOwner) : TDateTimeField(AOwner, ftTime) {}
protected:
    int DefaultDisplayWidth() const override { return 10; }
};

// Raw bytes; Value and AsString carry them unchanged.
class TBinaryField : public TField {
    QEL_CLASS(TBinaryField)
public:
    Variant ConvertValue(const Variant& Value) const override;
protected:
    TBinaryField(TComponent* AOwner, TFieldType Type, int Size) : TField(AOwner, Type, Size) {}
    std::string GetText(bool DisplayText) const override;
};

class TBytesField : public TBinaryField {
    QEL_CLASS(TBytesField)
public:
    explicit TBytesField(TComponent* AOwner) : TBinaryField(AOwner, ftBytes, 16) {}
};

class TVarBytesField : public TBinaryField {
    QEL_CLASS(TVarBytesField)
public:
    explicit TVarBytesField(TComponent* AOwner) : TBinaryField(AOwner, ftVarBytes, 16) {}
};

// Binary large objects; memo kinds hold text. Read and written whole, or
// through the dataset's CreateBlobStream.
class TBlobField : public TField {
    QEL_CLASS(TBlobField)
public:
    explicit TBlobField(TComponent* AOwner) : TBlobField(AOwner, ftBlob) {}
    bool IsBlob() const override { return true; }
    TBlobType BlobType() const { return DataType(); }
    void SetBlobType(TBlobType Value);
    std::int64_t BlobSize() const { return static_cast<std::int64_t>(AsString().size()); }
    bool Modified() const { return false; }
    void LoadFromStream(TStream& Stream);   // the stream's whole contents from its start
    void SaveToStream(TStream& Stream) const;
    Variant ConvertValue(const Variant& Value) const override;
protected:
    TBlobField(TComponent* AOwner, TFieldType Type) : TField(AOwner, Type, 0) {}
    std::string GetText(bool DisplayText) const override;
    bool IsTextBlob() const { return DataType() == ftMemo || DataType() == ftFmtMemo || DataType() == ftOraClob; }
};

class TMemoField : public TBlobField {
    QEL_CLASS(TMemoField)
public:
    explicit TMemoField(TComponent* AOwner) : TBlobField(AOwner, ftMemo) {}
};

class TGraphicField : public TBlobField {
    QEL_CLASS(TGraphicField)
public:
    explicit TGraphicField(TComponent* AOwner) : TBlobField(AOwner, ftGraphic) {}
};

// Creates a field of the class for Type, owned by AOwner (ftFmtMemo and the
// other blob kinds give a TBlobField with that BlobType). EDatabaseError
// "Field type ftADT is not supported" for a type without a field class.
TField* CreateFieldOfType(TFieldType Type, TComponent* AOwner);
bool IsFieldTypeSupported(TFieldType Type);

} // namespace qel
