#pragma once
// The checks on the preview's binary "Margins" records, shared by the margins
// robustness test and the margins fuzz harness: any bytes read or raise
// EReadError leaving the margins as they were; what reads keeps every
// margin's own limits, and writes back to bytes that read to the same.
#include "platform/core/Stream.h"
#include "preview/PreviewMargins.h"

#include <string>

namespace qel::fuzz {

inline std::string MarginsBytes(const TdxPreviewMargins& Margins)
{
    TStringStream s;
    Margins.WriteData(s);
    return s.DataString();
}

// Returns what broke, empty when nothing did.
inline std::string CheckMarginsRead(const std::string& Input, TdxPreviewMargins& Target)
{
    const std::string before = MarginsBytes(Target);
    try {
        TStringStream s(Input);
        Target.ReadData(s);
    } catch (const EReadError&) {
        return MarginsBytes(Target) == before ? std::string() : "a refused read changed the margins";
    } catch (const std::exception& e) {
        return std::string("not a read error: ") + e.what();
    }
    if (Input.size() != static_cast<std::size_t>(dxPreviewMarginCount * dxPreviewMarginRecordSize))
        return "data of another length was taken";
    for (int k = 0; k < dxPreviewMarginCount; ++k) {
        const TdxPreviewMargin* m = Target.Items(static_cast<TdxPreviewMarginType>(k));
        if (m->MinValue() < 0)
            return "a negative minimum";
        if (m->MaxValue() < -1)
            return "a maximum below -1";
        if (m->MaxValue() != -1 && m->MinValue() > m->MaxValue())
            return "a minimum above the maximum";
        if (m->Value() < m->MinValue() || (m->MaxValue() != -1 && m->Value() > m->MaxValue()))
            return "a value outside the margin's own limits";
    }
    const std::string written = MarginsBytes(Target);
    TdxPreviewMargins again;
    TStringStream s(written);
    again.ReadData(s);
    if (MarginsBytes(again) != written)
        return "the margins do not read back as written";
    return {};
}

} // namespace qel::fuzz
