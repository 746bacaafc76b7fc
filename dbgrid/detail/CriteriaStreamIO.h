#pragma once
// Field codecs of the criteria stream: counted strings and tagged Variant
// values. Reading checks every count and length against the bytes that
// remain before it allocates, so a corrupt stream fails with EReadError
// ("Stream-Read-Fehler") instead of reading garbage or exhausting memory.
//
// Narrow text in the stream is Windows-1252, as the format has always stored
// it. Text that code page cannot hold is never mangled: a narrow string
// operand goes under the wide-string tag instead, and DisplayValue and
// ColumnName, which have no tag, are stored as UTF-8 and recognised on
// reading as valid UTF-8 (the same rule the platform's INI reader follows).
#include "platform/core/Stream.h"
#include "platform/core/Variant.h"

#include <cstdint>
#include <string>

namespace qel::detail {

inline constexpr const char* CriteriaReadError = "Stream-Read-Fehler";
inline constexpr const char* CriteriaWriteError = "Stream-Write-Fehler";

[[noreturn]] void CriteriaReadFailed();

// Reads from a stream, never past its end.
class CriteriaReader {
public:
    explicit CriteriaReader(TStream& Stream) : m_stream(Stream) {}

    std::int64_t Remaining() { return m_stream.Remaining(); }
    // EReadError unless at least Count bytes remain.
    void Require(std::int64_t Count);

    std::uint8_t ReadByte();
    std::int32_t ReadInt32();
    std::string ReadBytes(std::int64_t Count);
    // int32 length + bytes; a negative length is corrupt.
    std::string ReadCountedString();
    // A counted DisplayValue or ColumnName, as our UTF-8.
    std::string ReadCountedText();
    Variant ReadTaggedValue();

    TStream& Stream() { return m_stream; }

private:
    template <class T> T Read();

    TStream& m_stream;
};

// int32 length + the bytes as they are; EWriteError beyond 2 GiB.
void WriteCountedString(TStream& Stream, const std::string& Value);
// A counted DisplayValue or ColumnName: Windows-1252 when that holds the
// text and cannot be mistaken for UTF-8 on reading, else UTF-8.
void WriteCountedText(TStream& Stream, const std::string& Value);
// EWriteError ("Stream-Write-Fehler") for an array; nothing written then.
void WriteTaggedValue(TStream& Stream, const Variant& Value);

// Dates a criteria holds: from 01.01.0001 to 31.12.9999, the days a filter
// text can write as a date (outside, no date can be shown, so such a value
// only comes from a damaged stream).
// Both bounds are exclusive: a day before 01.01.0001 and 01.01.10000 (the
// time of a day before 1899-12-30 counts away from zero).
inline constexpr double MinCriteriaDate = -693594.0;
inline constexpr double MaxCriteriaDate = 2958466.0;

// Why an operand cannot stand in a criteria (a date outside MinCriteriaDate
// .. MaxCriteriaDate, not a number, an infinite float: the reader refuses
// them and no filter text can hold them); nullptr when it can.
const char* CriteriaOperandFault(const Variant& Value);
// Whether a leaf of this kind can compare with the operand in a filter text:
// a comparison other than '=' needs a value (Empty and Null have no literal).
bool CriteriaOperandFitsKind(const Variant& Value, std::uint8_t OperatorKind);

} // namespace qel::detail
