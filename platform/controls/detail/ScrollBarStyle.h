#pragma once
// The Qt style that draws window scroll bars in the flat and ultra-flat looks
// (TCustomControl::SetScrollBarStyle). Geometry and behaviour come from the
// application's style; only the painting differs.
#include "platform/controls/Controls.h"

class QStyle;

namespace qel::detail {

// The style for a look: nullptr for the standard look (the widget keeps the
// application's style). The styles live as long as the application object.
QStyle* ScrollBarQtStyle(TScrollBarStyle Style);

} // namespace qel::detail
