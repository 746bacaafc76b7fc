#include "platform/data/Fields.h"

#include "platform/core/Locale.h"
#include "platform/core/Stream.h"
#include "platform/core/Utf8.h"
#include "platform/data/DataSet.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace qel {

namespace {

std::string TextOf(const Variant& V)
{
    if (V.IsArray())
        throw EConvertError("Could not convert variant of type (Array Variant) into type (String)");
    return V.AsString();
}

double ParseFloat(const std::string& Text)
{
    double d = 0;
    if (!TryStrToFloat(Trim(Text), d))
        throw EConvertError("'" + Text + "' is not a valid floating point value");
    return d;
}

bool IsDigit(char32_t C) { return C >= '0' && C <= '9'; }

bool IsIntegerChar(char32_t C) { return IsDigit(C) || C == '+' || C == '-'; }

// What every scalar field accepts: null, empty and blank text give no value; other text is
// trimmed and parsed by AFromText, any other variant converted by AFromValue.
template <class T, class FromText, class FromValue>
std::optional<T> ReadInput(const Variant& Value, FromText AFromText, FromValue AFromValue)
{
    if (Value.IsEmptyOrNull())
        return std::nullopt;
    if (!Value.IsString())
        return AFromValue(Value);
    const std::string s = Trim(TextOf(Value));
    if (s.empty())
        return std::nullopt;
    return AFromText(s);
}

std::optional<std::int64_t> ReadInteger(const Variant& Value)
{
    return ReadInput<std::int64_t>(
        Value, [](const std::string& S) { return StrToInt64(S); },
        [](const Variant& V) { return V.AsInt64(); });
}

// A MinValue and MaxValue both left at zero mean no range check.
template <class T>
bool OutsideSetRange(const T& V, const T& Lo, const T& Hi)
{
    return (Lo != T{} || Hi != T{}) && (V < Lo || V > Hi);
}

bool IntegerText(const TNumericField& Field, const Variant& V, bool DisplayText, std::string& Text)
{
    if (V.IsEmptyOrNull()) {
        Text.clear();
        return true;
    }
    const std::string& fmt = DisplayText ? Field.DisplayFormat() : Field.EditFormat();
    if (!fmt.empty()) {
        Text = FormatFloat(fmt, static_cast<double>(V.AsInt64()));
        return true;
    }
    Text = IntToStr(V.AsInt64());
    return true;
}

// GetText of a field whose text is made from its value alone.
std::string OwnValueText(const TField& Field, bool DisplayText)
{
    std::string text;
    Field.ValueText(Field.Value(), DisplayText, text);
    return text;
}

} // namespace

const char* FieldTypeName(TFieldType Type)
{
    static const char* const names[] = {
        "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean", "ftFloat",
        "ftCurrency", "ftBCD", "ftDate", "ftTime", "ftDateTime", "ftBytes", "ftVarBytes", "ftAutoInc",
        "ftBlob", "ftMemo", "ftGraphic", "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary",
        "ftCursor", "ftFixedChar", "ftWideString", "ftLargeint", "ftADT", "ftArray", "ftReference",
        "ftDataSet", "ftOraBlob", "ftOraClob", "ftVariant", "ftInterface", "ftIDispatch", "ftGuid"};
    return static_cast<unsigned>(Type) < std::size(names) ? names[Type] : "ftUnknown";
}

// --- strings ------------------------------------------------------------------

TStringField::TStringField(TComponent* AOwner, TFieldType Type) : TField(AOwner, Type, 20) {}

Variant TStringField::ConvertValue(const Variant& Value) const
{
    if (Value.IsEmptyOrNull())
        return Variant::Null();
    // A size of 0 or less sets no limit.
    std::string s = TextOf(Value);
    if (Size() > 0)
        s = Utf8Prefix(s, static_cast<std::size_t>(Size()));
    if (s.empty())
        return Variant::Null();
    return Variant(std::move(s));
}

Variant TWideStringField::ConvertValue(const Variant& Value) const
{
    const Variant v = TStringField::ConvertValue(Value);
    return v.IsNull() ? v : Variant::FromWideString(v.AsString());
}

// --- numbers ------------------------------------------------------------------

void TNumericField::SetDisplayFormat(const std::string& Value)
{
    if (m_displayFormat == Value)
        return;
    m_displayFormat = Value;
    PropertyChanged(false);
}

void TNumericField::SetEditFormat(const std::string& Value)
{
    if (m_editFormat == Value)
        return;
    m_editFormat = Value;
    PropertyChanged(false);
}

bool TNumericField::IsValidChar(char32_t Ch) const
{
    const char32_t dec = static_cast<unsigned char>(FormatSettings().DecimalSeparator);
    return IsDigit(Ch) || Ch == '+' || Ch == '-' || Ch == dec || Ch == 'e' || Ch == 'E';
}

TIntegerField::TIntegerField(TComponent* AOwner, TFieldType Type) : TNumericField(AOwner, Type, 0) {}

bool TIntegerField::IsValidChar(char32_t Ch) const { return IsIntegerChar(Ch); }

Variant TIntegerField::ConvertValue(const Variant& Value) const
{
    const std::optional<std::int64_t> read = ReadInteger(Value);
    if (!read)
        return Variant::Null();
    const std::int64_t i = *read;
    if (i < TypeMin() || i > TypeMax())
        RangeError(IntToStr(i), IntToStr(TypeMin()), IntToStr(TypeMax()));
    if (OutsideSetRange<std::int64_t>(i, m_min, m_max))
        RangeError(IntToStr(i), IntToStr(m_min), IntToStr(m_max));
    return Variant(static_cast<std::int32_t>(i));
}

std::string TIntegerField::GetText(bool DisplayText) const { return OwnValueText(*this, DisplayText); }

bool TIntegerField::ValueText(const Variant& Value, bool DisplayText, std::string& Text) const
{
    return IntegerText(*this, Value, DisplayText, Text);
}

Variant TSmallintField::ConvertValue(const Variant& Value) const
{
    const Variant v = TIntegerField::ConvertValue(Value);
    return v.IsNull() ? v : Variant::FromSmallint(static_cast<std::int16_t>(v.AsInteger()));
}

bool TLargeintField::IsValidChar(char32_t Ch) const { return IsIntegerChar(Ch); }

Variant TLargeintField::ConvertValue(const Variant& Value) const
{
    const std::optional<std::int64_t> read = ReadInteger(Value);
    if (!read)
        return Variant::Null();
    if (OutsideSetRange(*read, m_min, m_max))
        RangeError(IntToStr(*read), IntToStr(m_min), IntToStr(m_max));
    return Variant(*read);
}

std::string TLargeintField::GetText(bool DisplayText) const { return OwnValueText(*this, DisplayText); }

bool TLargeintField::ValueText(const Variant& Value, bool DisplayText, std::string& Text) const
{
    return IntegerText(*this, Value, DisplayText, Text);
}

TFloatField::TFloatField(TComponent* AOwner, TFieldType Type) : TNumericField(AOwner, Type, 0)
{
    m_currency = Type == ftCurrency;
}

TCurrencyField::TCurrencyField(TComponent* AOwner) : TFloatField(AOwner, ftCurrency) {}

void TFloatField::SetCurrency(bool Value)
{
    if (m_currency == Value)
        return;
    m_currency = Value;
    PropertyChanged(false);
}

void TFloatField::SetPrecision(int Value)
{
    Value = Value < 2 ? 2 : Value > 15 ? 15 : Value;
    if (m_precision == Value)
        return;
    m_precision = Value;
    PropertyChanged(false);
}

Variant TFloatField::ConvertValue(const Variant& Value) const
{
    const std::optional<double> read =
        ReadInput<double>(Value, ParseFloat, [](const Variant& V) { return V.AsDouble(); });
    if (!read)
        return Variant::Null();
    const double d = *read;
    if (!std::isfinite(d))
        throw EConvertError("Invalid floating point value for field '" + DisplayName() + "'");
    if (OutsideSetRange(d, m_min, m_max))
        RangeError(FloatToStr(d), FloatToStr(m_min), FloatToStr(m_max));
    return Variant(d);
}

std::string TFloatField::GetText(bool DisplayText) const { return OwnValueText(*this, DisplayText); }

bool TFloatField::ValueText(const Variant& Value, bool DisplayText, std::string& Text) const
{
    if (Value.IsEmptyOrNull()) {
        Text.clear();
        return true;
    }
    double d = Value.AsDouble();
    const std::string& fmt = DisplayText ? DisplayFormat() : EditFormat();
    if (!fmt.empty())
        Text = FormatFloat(fmt, d);
    else if (m_currency)
        Text = DisplayText ? CurrencyText(d) : FormatFloat("0.00", d);
    else {
        if (m_precision < 15) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.*g", m_precision, d);
            d = std::strtod(buf, nullptr);
        }
        Text.clear();
        AppendFloatGeneral(Text, d, 15);   // FloatToStr, into the caller's string
    }
    return true;
}

void TBCDField::SetCurrency(bool Value)
{
    if (m_currency == Value)
        return;
    m_currency = Value;
    PropertyChanged(false);
}

bool TBCDField::IsValidChar(char32_t Ch) const
{
    const char32_t dec = static_cast<unsigned char>(FormatSettings().DecimalSeparator);
    return IsDigit(Ch) || Ch == '+' || Ch == '-' || Ch == dec;
}

Variant TBCDField::ConvertValue(const Variant& Value) const
{
    const std::optional<Currency> read = ReadInput<Currency>(
        Value, [](const std::string& S) { return Currency::FromDouble(ParseFloat(S)); },
        [](const Variant& V) { return V.AsCurrency(); });
    if (!read)
        return Variant::Null();
    if (OutsideSetRange(*read, m_min, m_max))
        RangeError(CurrToStr(*read), CurrToStr(m_min), CurrToStr(m_max));
    return Variant(*read);
}

std::string TBCDField::GetText(bool DisplayText) const
{
    const Variant v = Value();
    if (v.IsEmptyOrNull())
        return {};
    const Currency c = v.AsCurrency();
    const std::string& fmt = DisplayText ? DisplayFormat() : EditFormat();
    if (!fmt.empty())
        return FormatCurr(fmt, c);
    if (m_currency)
        return DisplayText ? CurrencyText(c) : FormatCurr("0.00", c);
    return CurrToStr(c);
}

// --- Boolean ------------------------------------------------------------------

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner, ftBoolean, 0) {}

void TBooleanField::SetDisplayValues(const std::string& Value)
{
    const std::size_t semi = Value.find(';');
    const std::string t = semi == std::string::npos ? Value : Value.substr(0, semi);
    const std::string f = semi == std::string::npos ? std::string() : Value.substr(semi + 1);
    if (t.empty() && f.empty())
        throw EDatabaseError("'" + Value + "' is not a valid boolean display value");
    m_displayValues = Value;
    m_true = t;
    m_false = f;
    PropertyChanged(false);
}

Variant TBooleanField::ConvertValue(const Variant& Value) const
{
    if (Value.IsEmptyOrNull())
        return Variant::Null();
    if (!Value.IsString())
        return Variant(Value.AsBoolean());
    const std::string s = Trim(TextOf(Value));
    if (s.empty())
        return Variant::Null();
    auto matches = [&s](const std::string& Word) {
        return !Word.empty() && SameText(s, Word.substr(0, std::min(Word.size(), s.size())))
               && s.size() <= Word.size();
    };
    if (SameText(s, m_true))
        return Variant(true);
    if (SameText(s, m_false))
        return Variant(false);
    if (matches(m_true) && !matches(m_false))
        return Variant(true);
    if (matches(m_false) && !matches(m_true))
        return Variant(false);
    throw EConvertError("'" + s + "' is not a valid boolean value for field '" + DisplayName() + "'");
}

std::string TBooleanField::GetText(bool) const
{
    const Variant v = Value();
    if (v.IsEmptyOrNull())
        return {};
    return v.AsBoolean() ? m_true : m_false;
}

// --- dates and times ----------------------------------------------------------

void TDateTimeField::SetDisplayFormat(const std::string& Value)
{
    if (m_displayFormat == Value)
        return;
    m_displayFormat = Value;
    PropertyChanged(false);
}

Variant TDateTimeField::ConvertValue(const Variant& Value) const
{
    const std::optional<TDateTime> read = ReadInput<TDateTime>(
        Value,
        [this](const std::string& S) {
            return DataType() == ftDate ? StrToDate(S) : DataType() == ftTime ? StrToTime(S) : StrToDateTime(S);
        },
        [](const Variant& V) { return V.AsDate(); });
    if (!read)
        return Variant::Null();
    TDateTime d = *read;
    // Stored, such a value would make every later read of the text raise.
    int year = 0, month = 0, day = 0;
    try {
        DecodeDate(d, year, month, day);
    } catch (const EConvertError&) {
        throw EConvertError("Invalid date value for field '" + DisplayName() + "'");
    }
    if (DataType() == ftDate)
        d = std::trunc(d);
    else if (DataType() == ftTime)
        d = std::fabs(d - std::trunc(d));
    return Variant::FromDate(d);
}

std::string TDateTimeField::GetText(bool DisplayText) const { return OwnValueText(*this, DisplayText); }

bool TDateTimeField::ValueText(const Variant& Value, bool DisplayText, std::string& Text) const
{
    if (Value.IsEmptyOrNull()) {
        Text.clear();
        return true;
    }
    const TDateTime d = Value.AsDate();
    if (DisplayText && !m_displayFormat.empty())
        Text = FormatDateTime(m_displayFormat, d);
    else
        Text = DataType() == ftDate ? DateToStr(d) : DataType() == ftTime ? TimeToStr(d) : DateTimeToStr(d);
    return true;
}

// --- binary -------------------------------------------------------------------

Variant TBinaryField::ConvertValue(const Variant& Value) const
{
    if (Value.IsEmptyOrNull())
        return Variant::Null();
    std::string s = TextOf(Value);
    if (Size() > 0 && static_cast<int>(s.size()) > Size())
        s.resize(static_cast<std::size_t>(Size()));
    if (s.empty())
        return Variant::Null();
    return Variant(std::move(s));
}

std::string TBinaryField::GetText(bool) const
{
    return DataType() == ftBytes ? "(Bytes)" : "(VarBytes)";
}

void TBlobField::SetBlobType(TBlobType Value)
{
    if (Value < ftBlob || Value > ftTypedBinary)
        throw EDatabaseError(std::string("Invalid blob type ") + FieldTypeName(Value));
    if (DataSet() && DataSet()->Active())
        throw EDatabaseError("Cannot perform this operation on an open dataset");
    SetDataType(Value);
}

Variant TBlobField::ConvertValue(const Variant& Value) const
{
    if (Value.IsEmptyOrNull())
        return Variant::Null();
    std::string s = TextOf(Value);
    if (s.empty())
        return Variant::Null();
    return Variant(std::move(s));
}

std::string TBlobField::GetText(bool) const
{
    if (IsTextBlob())
        return AsString();
    const bool null = IsNull();
    const std::string word = DataType() == ftGraphic ? "GRAPHIC" : "BLOB";
    return "(" + (null ? AnsiLowerCase(word) : word) + ")";
}

void TBlobField::LoadFromStream(TStream& Stream)
{
    Stream.SetPosition(0);
    SetValue(Variant(Stream.ReadBytes(Stream.Size())));
}

void TBlobField::SaveToStream(TStream& Stream) const
{
    Stream.WriteBytes(IsNull() ? std::string() : AsString());
}

// --- factory ------------------------------------------------------------------

bool IsFieldTypeSupported(TFieldType Type)
{
    switch (Type) {
    case ftString: case ftFixedChar: case ftWideString: case ftSmallint: case ftInteger: case ftWord:
    case ftAutoInc: case ftLargeint: case ftBoolean: case ftFloat: case ftCurrency: case ftBCD:
    case ftDate: case ftTime: case ftDateTime: case ftBytes: case ftVarBytes: case ftBlob: case ftMemo:
    case ftGraphic: case ftFmtMemo: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary:
        return true;
    default:
        return false;
    }
}

TField* CreateFieldOfType(TFieldType Type, TComponent* AOwner)
{
    switch (Type) {
    case ftString: return new TStringField(AOwner);
    case ftFixedChar: {
        struct Fixed : TStringField { explicit Fixed(TComponent* O) : TStringField(O, ftFixedChar) {} };
        return new Fixed(AOwner);
    }
    case ftWideString: return new TWideStringField(AOwner);
    case ftSmallint: return new TSmallintField(AOwner);
    case ftInteger: return new TIntegerField(AOwner);
    case ftWord: return new TWordField(AOwner);
    case ftAutoInc: return new TAutoIncField(AOwner);
    case ftLargeint: return new TLargeintField(AOwner);
    case ftBoolean: return new TBooleanField(AOwner);
    case ftFloat: return new TFloatField(AOwner);
    case ftCurrency: return new TCurrencyField(AOwner);
    case ftBCD: return new TBCDField(AOwner);
    case ftDate: return new TDateField(AOwner);
    case ftTime: return new TTimeField(AOwner);
    case ftDateTime: return new TDateTimeField(AOwner);
    case ftBytes: return new TBytesField(AOwner);
    case ftVarBytes: return new TVarBytesField(AOwner);
    case ftMemo: return new TMemoField(AOwner);
    case ftGraphic: return new TGraphicField(AOwner);
    case ftBlob: case ftFmtMemo: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary: {
        auto* f = new TBlobField(AOwner);
        f->SetBlobType(Type);
        return f;
    }
    default:
        throw EDatabaseError(std::string("Field type ") + FieldTypeName(Type) + " is not supported");
    }
}

} // namespace qel
