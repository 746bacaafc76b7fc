#pragma once
// A font as entries of a stored component: a platform object without
// published properties, written value by value (Prefix + "Name", "Height",
// "Style", "Color").
#include "platform/core/Streaming.h"
#include "platform/graphics/Graphics.h"

#include <string>

namespace qel::detail {

inline void DefineFontProperties(TFiler& Filer, const std::string& Prefix, TFont* Font)
{
    Filer.DefineProperty(
        Prefix + "Name", [Font](const Variant& V) { Font->SetName(V.AsString()); },
        [Font] { return Variant(Font->Name()); }, true);
    Filer.DefineProperty(
        Prefix + "Height", [Font](const Variant& V) { Font->SetHeight(V.AsInteger()); },
        [Font] { return Variant(static_cast<std::int32_t>(Font->Height())); }, true);
    Filer.DefineProperty(
        Prefix + "Style",
        [Font, Prefix](const Variant& V) {
            const int bits = V.AsInteger();
            if (bits < 0 || bits > 15)
                throw EReadError("Invalid property value for " + Prefix + "Style");
            Font->SetStyle(TFontStyles::FromBits(static_cast<std::uint64_t>(bits)));
        },
        [Font] { return Variant(static_cast<std::int32_t>(Font->Style().ToBits())); }, true);
    Filer.DefineProperty(
        Prefix + "Color", [Font](const Variant& V) { Font->SetColor(static_cast<TColor>(V.AsInteger())); },
        [Font] { return Variant(static_cast<std::int32_t>(Font->Color())); }, true);
}

} // namespace qel::detail
