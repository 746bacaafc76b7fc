#pragma once
// The frame controls (check boxes, radio buttons, push buttons, scroll
// arrows, size grip) behind TCanvas::DrawFrameControl; see Glyphs.cpp.
#include "platform/graphics/Geometry.h"

namespace qel {
class TCanvas;
}

namespace qel::detail {

bool DrawFrameControl(TCanvas& Canvas, TRect& Rect, unsigned Type, unsigned State);

} // namespace qel::detail
