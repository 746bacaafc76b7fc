#include "dbgrid/detail/Biff4Records.h"

#include "platform/core/Encoding.h"

#include <algorithm>
#include <cstring>

namespace qel::biff4 {

namespace {

// Gathers one record's data, then writes type, length and data in one piece.
class TRecord {
public:
    explicit TRecord(std::uint16_t Type) : m_type(Type) {}
    TRecord& U8(unsigned Value)
    {
        m_data.push_back(static_cast<char>(Value & 0xFF));
        return *this;
    }
    TRecord& U16(unsigned Value) { return U8(Value).U8(Value >> 8); }
    TRecord& U32(std::uint32_t Value) { return U16(Value & 0xFFFF).U16(Value >> 16); }
    TRecord& F64(double Value)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &Value, sizeof bits);
        return U32(static_cast<std::uint32_t>(bits)).U32(static_cast<std::uint32_t>(bits >> 32));
    }
    TRecord& Bytes(const std::string& Value)
    {
        m_data += Value;
        return *this;
    }
    void WriteTo(TStream& Stream) const
    {
        std::string head;
        head += static_cast<char>(m_type & 0xFF);
        head += static_cast<char>(m_type >> 8);
        head += static_cast<char>(m_data.size() & 0xFF);
        head += static_cast<char>(m_data.size() >> 8);
        Stream.WriteBytes(head + m_data);
    }

private:
    std::uint16_t m_type;
    std::string m_data;
};

std::string Ansi(const std::string& Text)
{
    std::string a = Utf8ToCp1252(Text);
    if (a.size() > MaxTextLength)
        a.resize(MaxTextLength);
    return a;
}

TRecord Cell(std::uint16_t Type, int Row, int Column, int XF)
{
    TRecord r(Type);
    r.U16(static_cast<unsigned>(Row)).U16(static_cast<unsigned>(Column)).U16(static_cast<unsigned>(XF));
    return r;
}

} // namespace

const std::vector<std::string>& BuiltInFormats()
{
    // Positions 0..33: the built-in list of the format, with the comma,
    // currency and percent formats the style XFs name at 13 and 30..33.
    static const std::vector<std::string> formats = {
        "General", "0", "0.00", "#,##0", "#,##0.00", "#,##0 \"\xE2\x82\xAC\";-#,##0 \"\xE2\x82\xAC\"",
        "#,##0 \"\xE2\x82\xAC\";[Red]-#,##0 \"\xE2\x82\xAC\"", "#,##0.00 \"\xE2\x82\xAC\";-#,##0.00 \"\xE2\x82\xAC\"",
        "#,##0.00 \"\xE2\x82\xAC\";[Red]-#,##0.00 \"\xE2\x82\xAC\"", "0%", "0.00%", "0.00E+00", "# ?/?", "0%",
        "dd.mm.yyyy", "dd. mmm yy", "dd. mmm", "mmm yy", "h:mm AM/PM", "h:mm:ss AM/PM", "hh:mm", "hh:mm:ss",
        "dd.mm.yyyy hh:mm", "mm:ss", "[h]:mm:ss", "mm:ss.0", "##0.0E+0", "@", "# ?\?/?\?", "0.0",
        "#,##0 \"\xE2\x82\xAC\"", "#,##0", "#,##0.00 \"\xE2\x82\xAC\"", "#,##0.00"};
    return formats;
}

void WriteBOF(TStream& Stream) { TRecord(0x0409).U16(0).U16(0x0010).U16(0).WriteTo(Stream); }

void WriteCodePage(TStream& Stream) { TRecord(0x0042).U16(1252).WriteTo(Stream); }

void WriteFormat(TStream& Stream, const std::string& Format)
{
    const std::string a = Ansi(Format);
    TRecord(0x041E).U16(0).U8(static_cast<unsigned>(a.size())).Bytes(a).WriteTo(Stream);
}

void WriteGuts(TStream& Stream) { TRecord(0x0080).U32(0).U32(0).WriteTo(Stream); }

void WritePalette(TStream& Stream, const std::vector<std::uint32_t>& Colors)
{
    TRecord r(0x0092);
    r.U16(static_cast<unsigned>(Colors.size()));
    for (std::uint32_t c : Colors)
        r.U8(c).U8(c >> 8).U8(c >> 16).U8(0);
    r.WriteTo(Stream);
}

void WriteFont(TStream& Stream, int HeightTwips, std::uint16_t Options, std::uint16_t ColorIndex,
               const std::string& Name)
{
    const std::string a = Ansi(Name);
    TRecord(0x0231)
        .U16(static_cast<unsigned>(std::clamp(HeightTwips, 0, 0xFFFF)))
        .U16(Options)
        .U16(ColorIndex)
        .U8(static_cast<unsigned>(a.size()))
        .Bytes(a)
        .WriteTo(Stream);
}

void WriteXF(TStream& Stream, const TXFBytes& Data)
{
    TRecord r(0x0443);
    for (std::uint8_t b : Data)
        r.U8(b);
    r.WriteTo(Stream);
}

void WriteColInfo(TStream& Stream, int Column, int Width, int XF)
{
    TRecord(0x007D)
        .U16(static_cast<unsigned>(Column))
        .U16(static_cast<unsigned>(Column))
        .U16(static_cast<unsigned>(std::clamp(Width, 0, 0xFFFF)))
        .U16(static_cast<unsigned>(XF))
        .U16(0)
        .U16(0)
        .WriteTo(Stream);
}

void WriteDimensions(TStream& Stream, int RowLimit, int ColumnLimit)
{
    TRecord(0x0200)
        .U16(0)
        .U16(static_cast<unsigned>(std::clamp(RowLimit, 0, 0xFFFF)))
        .U16(0)
        .U16(static_cast<unsigned>(std::clamp(ColumnLimit, 0, 0xFF)))
        .U16(0)
        .WriteTo(Stream);
}

void WriteBlank(TStream& Stream, int Row, int Column, int XF) { Cell(0x0201, Row, Column, XF).WriteTo(Stream); }

void WriteLabel(TStream& Stream, int Row, int Column, int XF, const std::string& Text)
{
    const std::string a = Ansi(Text);
    Cell(0x0204, Row, Column, XF).U16(static_cast<unsigned>(a.size())).Bytes(a).WriteTo(Stream);
}

void WriteNumber(TStream& Stream, int Row, int Column, int XF, double Value)
{
    Cell(0x0203, Row, Column, XF).F64(Value).WriteTo(Stream);
}

void WriteInteger(TStream& Stream, int Row, int Column, int XF, std::int64_t Value)
{
    constexpr std::int64_t lo = -(std::int64_t{1} << 29), hi = (std::int64_t{1} << 29) - 1;
    if (Value < lo || Value > hi) {
        WriteNumber(Stream, Row, Column, XF, static_cast<double>(Value));
        return;
    }
    const auto rk = static_cast<std::uint32_t>(static_cast<std::int32_t>(Value) * 4 + 2);
    Cell(0x027E, Row, Column, XF).U32(rk).WriteTo(Stream);
}

void WriteFormula(TStream& Stream, int Row, int Column, int XF, int FirstRow, int LastRow, int SourceColumn,
                  TFormulaFunction Function)
{
    TRecord r = Cell(0x0406, Row, Column, XF);
    r.U32(0).U32(0).U16(0x0003).U16(11);
    r.U8(0x25)
        .U16(static_cast<unsigned>(FirstRow) | 0xC000u)
        .U16(static_cast<unsigned>(LastRow) | 0xC000u)
        .U8(static_cast<unsigned>(SourceColumn))
        .U8(static_cast<unsigned>(SourceColumn));
    switch (Function) {
    case TFormulaFunction::Sum: r.U8(0x19).U8(0x10).U16(0); break;
    case TFormulaFunction::Min: r.U8(0x42).U8(0x01).U16(6); break;
    case TFormulaFunction::Max: r.U8(0x42).U8(0x01).U16(7); break;
    case TFormulaFunction::Count: r.U8(0x42).U8(0x01).U16(169); break;
    case TFormulaFunction::Average: r.U8(0x42).U8(0x01).U16(5); break;
    }
    r.WriteTo(Stream);
}

void WriteEOF(TStream& Stream) { TRecord(0x000A).WriteTo(Stream); }

} // namespace qel::biff4
