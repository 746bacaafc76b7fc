#pragma once
// The fill-effects pictures, painted in code: the texture sheet (bitmap
// resource 30007, 4 columns by 6 rows of 64 x 64 textures) and the pattern
// sheet (30008, 8 columns by 6 rows of 8 x 8 patterns in black on white).
// Picture number i lies in column i / 6, row i % 6 of its sheet, and its
// name is entry i of the name list.
#include <string>
#include <vector>

namespace qel::detail {

enum : int { dxTextureSheetResource = 30007, dxPatternSheetResource = 30008 };
inline constexpr int dxTextureColumns = 4, dxTextureRows = 6, dxTextureSize = 64;
inline constexpr int dxPatternColumns = 8, dxPatternRows = 6, dxPatternSize = 8;

// Registers both sheets once (later calls do nothing).
void RegisterFillEffectsResources();

const std::vector<std::string>& dxTextureNames();
const std::vector<std::string>& dxPatternNames();

} // namespace qel::detail
