#include "dbgrid/detail/CriteriaStreamIO.h"

#include "platform/core/Encoding.h"
#include "platform/core/Extended.h"
#include "platform/core/Utf8.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace qel::detail {

namespace {

// Value tags of the stream.
enum : std::uint8_t {
    tagNull = 0,
    tagInt8 = 2,
    tagInt16 = 3,
    tagInt32 = 4,
    tagExtended = 5,
    tagShortString = 6,
    tagFalse = 8,
    tagTrue = 9,
    tagLongString = 12,
    tagEmpty = 13,
    tagSingle = 15,
    tagCurrency = 16,
    tagDate = 17,
    tagWideString = 18,
};

void WriteTag(TStream& Stream, std::uint8_t Tag)
{
    Stream.WriteLE<std::uint8_t>(Tag);
}

void WriteInteger(TStream& Stream, std::int64_t Value)
{
    if (Value >= -128 && Value <= 127) {
        WriteTag(Stream, tagInt8);
        Stream.WriteLE<std::int8_t>(static_cast<std::int8_t>(Value));
    } else if (Value >= -32768 && Value <= 32767) {
        WriteTag(Stream, tagInt16);
        Stream.WriteLE<std::int16_t>(static_cast<std::int16_t>(Value));
    } else {
        WriteTag(Stream, tagInt32);
        Stream.WriteLE<std::int32_t>(static_cast<std::int32_t>(Value));
    }
}

void WriteExtended(TStream& Stream, double Value)
{
    WriteTag(Stream, tagExtended);
    const auto bytes = DoubleToExtended(Value);
    Stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

// The extended format's 64-bit mantissa holds every Int64 exactly, where a
// double would round beyond 2^53.
void WriteExtendedInt64(TStream& Stream, std::int64_t Value)
{
    WriteTag(Stream, tagExtended);
    std::array<std::uint8_t, 10> bytes{};
    if (Value != 0) {
        const bool negative = Value < 0;
        const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(Value) : static_cast<std::uint64_t>(Value);
        const int shift = std::countl_zero(magnitude);
        const std::uint64_t mantissa = magnitude << shift;
        const unsigned signExponent = static_cast<unsigned>(63 - shift + 16383) | (negative ? 0x8000u : 0u);
        for (std::size_t i = 0; i < 8; ++i)
            bytes[i] = static_cast<std::uint8_t>(mantissa >> (8 * i));
        bytes[8] = static_cast<std::uint8_t>(signExponent & 0xFF);
        bytes[9] = static_cast<std::uint8_t>(signExponent >> 8);
    }
    Stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

// A whole number that fits an Int64 but not a double exactly (as written by
// WriteExtendedInt64); nullopt for everything a double reads back exactly.
std::optional<std::int64_t> WholeBeyondDouble(const std::uint8_t* Bytes)
{
    std::uint64_t mantissa = 0;
    for (std::size_t i = 0; i < 8; ++i)
        mantissa |= static_cast<std::uint64_t>(Bytes[i]) << (8 * i);
    const unsigned signExponent = Bytes[8] | (static_cast<unsigned>(Bytes[9]) << 8);
    const int exponent = static_cast<int>(signExponent & 0x7FFF) - 16383;
    // Below 2^53 every whole number is an exact double.
    if (exponent < 53 || exponent > 62 || (mantissa >> 63) == 0)
        return std::nullopt;
    const int fractionBits = 63 - exponent;
    if ((mantissa & ((std::uint64_t{1} << fractionBits) - 1)) != 0)
        return std::nullopt;
    const std::uint64_t magnitude = mantissa >> fractionBits;
    if (std::bit_width(magnitude) - std::countr_zero(magnitude) <= 53)
        return std::nullopt;
    const auto value = static_cast<std::int64_t>(magnitude);   // below 2^63
    return (signExponent & 0x8000) ? -value : value;
}

bool HasHighByte(const std::string& Text)
{
    return std::any_of(Text.begin(), Text.end(), [](char C) { return (static_cast<unsigned char>(C) & 0x80) != 0; });
}

// The Windows-1252 bytes of a text, or nullopt when the code page cannot hold it.
std::optional<std::string> ToCp1252(const std::string& Utf8)
{
    std::string bytes = Utf8ToCp1252(Utf8);
    if (Cp1252ToUtf8(bytes) != Utf8)
        return std::nullopt;
    return bytes;
}

void WriteWideString(TStream& Stream, const std::string& Utf8)
{
    const std::string units = Utf8ToUtf16LEBytes(Utf8);
    if (units.size() / 2 > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EWriteError(CriteriaWriteError);
    WriteTag(Stream, tagWideString);
    Stream.WriteLE<std::int32_t>(static_cast<std::int32_t>(units.size() / 2));
    Stream.WriteBytes(units);
}

// Tag 6 or 12 with the Windows-1252 bytes; text the code page cannot hold
// goes under the wide-string tag so that nothing is lost.
void WriteNarrowString(TStream& Stream, const std::string& Utf8)
{
    const std::optional<std::string> bytes = ToCp1252(Utf8);
    if (!bytes) {
        WriteWideString(Stream, Utf8);
    } else if (bytes->size() <= 255) {
        WriteTag(Stream, tagShortString);
        Stream.WriteLE<std::uint8_t>(static_cast<std::uint8_t>(bytes->size()));
        Stream.WriteBytes(*bytes);
    } else {
        WriteTag(Stream, tagLongString);
        WriteCountedString(Stream, *bytes);
    }
}

} // namespace

void CriteriaReadFailed()
{
    throw EReadError(CriteriaReadError);
}

void CriteriaReader::Require(std::int64_t Count)
{
    if (Count < 0 || Count > m_stream.Remaining())
        CriteriaReadFailed();
}

template <class T> T CriteriaReader::Read()
{
    Require(sizeof(T));
    unsigned char b[sizeof(T)];
    if (m_stream.Read(b, sizeof(T)) != static_cast<std::int64_t>(sizeof(T)))
        CriteriaReadFailed();
    T v{};
    // The stream is little-endian; assemble byte by byte whatever the host order.
    using U = std::make_unsigned_t<T>;
    U u = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        u |= static_cast<U>(static_cast<U>(b[i]) << (8 * i));
    v = static_cast<T>(u);
    return v;
}

std::uint8_t CriteriaReader::ReadByte()
{
    return Read<std::uint8_t>();
}

std::int32_t CriteriaReader::ReadInt32()
{
    return Read<std::int32_t>();
}

std::string CriteriaReader::ReadBytes(std::int64_t Count)
{
    Require(Count);
    std::string bytes(static_cast<std::size_t>(Count), '\0');
    if (Count > 0 && m_stream.Read(bytes.data(), Count) != Count)
        CriteriaReadFailed();
    return bytes;
}

std::string CriteriaReader::ReadCountedString()
{
    return ReadBytes(ReadInt32());
}

std::string CriteriaReader::ReadCountedText()
{
    std::string bytes = ReadCountedString();
    return HasHighByte(bytes) && IsValidUtf8(bytes) ? bytes : Cp1252ToUtf8(bytes);
}

Variant CriteriaReader::ReadTaggedValue()
{
    switch (ReadByte()) {
    case tagNull:
        return Variant::Null();
    case tagInt8:
        return Variant::FromSmallint(static_cast<std::int8_t>(ReadByte()));
    case tagInt16:
        return Variant::FromSmallint(Read<std::int16_t>());
    case tagInt32:
        return Variant(static_cast<int>(ReadInt32()));
    case tagExtended: {
        const std::string bytes = ReadBytes(10);
        const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
        if (const std::optional<std::int64_t> whole = WholeBeyondDouble(b))
            return Variant(*whole);
        return Variant(ExtendedToDouble(b));
    }
    case tagShortString:
        return Variant(Cp1252ToUtf8(ReadBytes(ReadByte())));
    case tagFalse:
        return Variant(false);
    case tagTrue:
        return Variant(true);
    case tagLongString:
        return Variant(Cp1252ToUtf8(ReadCountedString()));
    case tagEmpty:
        return Variant();
    case tagSingle: {
        const auto bits = Read<std::uint32_t>();
        float f;
        static_assert(sizeof(f) == sizeof(bits));
        std::memcpy(&f, &bits, sizeof(f));
        return Variant::FromSingle(f);
    }
    case tagCurrency:
        return Variant(Currency::FromInt64(Read<std::int64_t>()));
    case tagDate: {
        const auto bits = Read<std::uint64_t>();
        double d;
        static_assert(sizeof(d) == sizeof(bits));
        std::memcpy(&d, &bits, sizeof(d));
        if (!(d > MinCriteriaDate && d < MaxCriteriaDate))
            CriteriaReadFailed();
        return Variant::FromDate(d);
    }
    case tagWideString: {
        const std::int64_t chars = ReadInt32();
        if (chars < 0)
            CriteriaReadFailed();
        return Variant::FromWideString(Utf16LEBytesToUtf8(ReadBytes(chars * 2)));
    }
    default:
        CriteriaReadFailed();
    }
}

void WriteCountedString(TStream& Stream, const std::string& Value)
{
    if (Value.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EWriteError(CriteriaWriteError);
    Stream.WriteLE<std::int32_t>(static_cast<std::int32_t>(Value.size()));
    Stream.WriteBytes(Value);
}

void WriteCountedText(TStream& Stream, const std::string& Value)
{
    const std::optional<std::string> bytes = ToCp1252(Value);
    // Windows-1252 bytes that happen to form valid UTF-8 would be taken for
    // UTF-8 on reading, so such text is stored as UTF-8 right away.
    if (bytes && !(HasHighByte(*bytes) && IsValidUtf8(*bytes)))
        WriteCountedString(Stream, *bytes);
    else
        WriteCountedString(Stream, Value);
}

void WriteTaggedValue(TStream& Stream, const Variant& Value)
{
    if (Value.IsArray())
        throw EWriteError(CriteriaWriteError);
    switch (Value.VarType()) {
    case varEmpty:
        WriteTag(Stream, tagEmpty);
        break;
    case varNull:
        WriteTag(Stream, tagNull);
        break;
    case varSmallint:
    case varInteger:
    case varByte:
        WriteInteger(Stream, Value.AsInteger());
        break;
    case varInt64: {
        // Not a type of the stream: kept numeric rather than turned into text
        // (a text operand never equals a number), under the integer tags when
        // it fits them, else as the exact extended float.
        const std::int64_t v = Value.AsInt64();
        if (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max())
            WriteInteger(Stream, v);
        else
            WriteExtendedInt64(Stream, v);
        break;
    }
    case varSingle: {
        WriteTag(Stream, tagSingle);
        Stream.WriteLE<float>(static_cast<float>(Value.AsDouble()));
        break;
    }
    case varDouble:
        WriteExtended(Stream, Value.AsDouble());
        break;
    case varCurrency: {
        WriteTag(Stream, tagCurrency);
        Stream.WriteLE<std::int64_t>(Value.AsCurrency().Value);
        break;
    }
    case varDate:
        WriteTag(Stream, tagDate);
        Stream.WriteLE<double>(Value.AsDate());
        break;
    case varBoolean:
        WriteTag(Stream, Value.AsBoolean() ? tagTrue : tagFalse);
        break;
    case varOleStr:
        WriteWideString(Stream, Value.AsString());
        break;
    case varString:
    default:
        // Any other type is stored as its text.
        WriteNarrowString(Stream, Value.AsString());
        break;
    }
}

const char* CriteriaOperandFault(const Variant& Value)
{
    switch (Value.VarType()) {
    case varDate:
        return Value.AsDate() > MinCriteriaDate && Value.AsDate() < MaxCriteriaDate
                   ? nullptr
                   : "a date before 01.01.0001 or after 31.12.9999";
    case varSingle:
    case varDouble:
        return std::isfinite(Value.AsDouble()) ? nullptr : "a number that is infinite or not a number";
    default:
        return nullptr;
    }
}

bool CriteriaOperandFitsKind(const Variant& Value, std::uint8_t OperatorKind)
{
    return OperatorKind <= 1 || !Value.IsEmptyOrNull();
}

} // namespace qel::detail
