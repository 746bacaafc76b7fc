#pragma once
// Where a popup opens: below its owner when it fits, above it when it does
// not, and always inside the work area of the screen.
#include "platform/graphics/Geometry.h"

namespace qel {

// P is the popup's wanted top-left (usually the owner's bottom-left corner in
// screen coordinates) and OwnerHeight the height of the owner above P. The
// popup keeps P when it fits; when it would leave the bottom of WorkArea it
// flips above the owner (P.Y - OwnerHeight - Height) if it fits there, else
// it goes to the side with more room; it is moved left to stay inside the
// right edge, and finally never starts left of or above the work area.
TPoint AdjustPopupPosition(TPoint P, int Width, int Height, int OwnerHeight, const TRect& WorkArea);
// The same within the screen's work area.
TPoint AdjustPopupPosition(TPoint P, int Width, int Height, int OwnerHeight);

} // namespace qel
