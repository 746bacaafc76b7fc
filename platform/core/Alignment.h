#pragma once
// Horizontal text alignment: fields, columns and controls all speak it.
#include <cstdint>

namespace qel {

enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };

} // namespace qel
