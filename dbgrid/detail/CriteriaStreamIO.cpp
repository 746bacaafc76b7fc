#include "dbgrid/detail/CriteriaStreamIO.h"

#include "platform/core/Encoding.h"
#include "platform/core/Extended.h"

#include <cmath>
#include <cstring>
#include <limits>

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

void WriteNarrowString(TStream& Stream, const std::string& Value)
{
    if (Value.size() <= 255) {
        WriteTag(Stream, tagShortString);
        Stream.WriteLE<std::uint8_t>(static_cast<std::uint8_t>(Value.size()));
        Stream.WriteBytes(Value);
    } else {
        WriteTag(Stream, tagLongString);
        WriteCountedString(Stream, Value);
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
        return Variant(ExtendedToDouble(reinterpret_cast<const std::uint8_t*>(bytes.data())));
    }
    case tagShortString:
        return Variant(ReadBytes(ReadByte()));
    case tagFalse:
        return Variant(false);
    case tagTrue:
        return Variant(true);
    case tagLongString:
        return Variant(ReadCountedString());
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
        // Beyond a billion days (or not a number) no date can be shown, so
        // such a value only comes from a damaged stream.
        if (!(std::fabs(d) < 1e9))
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
        // Not a type of the stream: kept numeric rather than turned into text,
        // exactly when it fits the integer tags, else as the extended float.
        const std::int64_t v = Value.AsInt64();
        if (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max())
            WriteInteger(Stream, v);
        else
            WriteExtended(Stream, static_cast<double>(v));
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
    case varOleStr: {
        const std::string units = Utf8ToUtf16LEBytes(Value.AsString());
        if (units.size() / 2 > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
            throw EWriteError(CriteriaWriteError);
        WriteTag(Stream, tagWideString);
        Stream.WriteLE<std::int32_t>(static_cast<std::int32_t>(units.size() / 2));
        Stream.WriteBytes(units);
        break;
    }
    case varString:
    default:
        // Any other type is stored as its text.
        WriteNarrowString(Stream, Value.AsString());
        break;
    }
}

} // namespace qel::detail
