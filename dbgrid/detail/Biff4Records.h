#pragma once
// Record writers of the BIFF4 worksheet stream: one function per record,
// each writing the whole record (type, length, data, little-endian) to a
// stream. Texts arrive in UTF-8 and are written in Windows-1252 ('?' for
// characters outside it). The order of the records is the exporter's business.
#include "platform/core/Stream.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qel::biff4 {

using TXFBytes = std::array<std::uint8_t, 12>;

// Texts of a LABEL and names of a FONT hold at most this many bytes.
inline constexpr std::size_t MaxTextLength = 255;
// A worksheet has this many rows and columns.
inline constexpr int MaxRows = 65536;
inline constexpr int MaxColumns = 256;
// The number formats the fixed XFs name, by position (BIFF4 finds formats by position).
const std::vector<std::string>& BuiltInFormats();

void WriteBOF(TStream& Stream);
void WriteCodePage(TStream& Stream);                                  // 1252
void WriteFormat(TStream& Stream, const std::string& Format);
void WriteGuts(TStream& Stream);
// Entries are 0x00BBGGRR values of colour indexes 8, 9, ...
void WritePalette(TStream& Stream, const std::vector<std::uint32_t>& Colors);
void WriteFont(TStream& Stream, int HeightTwips, std::uint16_t Options, std::uint16_t ColorIndex,
               const std::string& Name);
void WriteXF(TStream& Stream, const TXFBytes& Data);
void WriteColInfo(TStream& Stream, int Column, int Width, int XF);   // width clamped to 16 bits
// Rows and columns used: [0, RowLimit) x [0, ColumnLimit).
void WriteDimensions(TStream& Stream, int RowLimit, int ColumnLimit);
void WriteBlank(TStream& Stream, int Row, int Column, int XF);
void WriteLabel(TStream& Stream, int Row, int Column, int XF, const std::string& Text);  // cut to 255 bytes
void WriteNumber(TStream& Stream, int Row, int Column, int XF, double Value);
// RK when Value fits the 30-bit integer range of an RK, else NUMBER.
void WriteInteger(TStream& Stream, int Row, int Column, int XF, std::int64_t Value);
enum class TFormulaFunction { Sum, Min, Max, Count, Average };
// A formula over one column's rows [FirstRow, LastRow] (at most MaxFormulaRow: the
// reference keeps 14 bits of row), with result 0.
inline constexpr int MaxFormulaRow = 0x3FFF;
void WriteFormula(TStream& Stream, int Row, int Column, int XF, int FirstRow, int LastRow, int SourceColumn,
                  TFormulaFunction Function);
void WriteEOF(TStream& Stream);

} // namespace qel::biff4
