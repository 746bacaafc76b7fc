#pragma once
// The preview's pictures, painted in code: the auto-scroll indicators
// (bitmap resources 30023 both directions, 30024 horizontal, 30025 vertical)
// and the cursors 30030-30044 (margins, zoom, auto-scroll directions). The
// cursors take the first free places of the screen's cursor table from 100
// upwards while any preview exists, and are cleared with the last one.
#include "platform/controls/Controls.h"

namespace qel::detail {

enum : int {
    crdxPreviewIndicatorBoth = 30023, crdxPreviewIndicatorHorz = 30024, crdxPreviewIndicatorVert = 30025,
    crdxPreviewVertMargin = 30030, crdxPreviewHorzMargin = 30031, crdxPreviewZoomIn = 30032,
    crdxPreviewZoomOut = 30033, crdxPreviewScrollBoth = 30034, crdxPreviewScrollHorz = 30035,
    crdxPreviewScrollVert = 30036, crdxPreviewScrollUp = 30037, crdxPreviewScrollRight = 30038,
    crdxPreviewScrollDown = 30039, crdxPreviewScrollLeft = 30040, crdxPreviewScrollUpRight = 30041,
    crdxPreviewScrollUpLeft = 30042, crdxPreviewScrollDownRight = 30043, crdxPreviewScrollDownLeft = 30044
};

// The first preview registers the pictures and the cursors; EOutOfResources
// "Out of Resources" when the cursor table has no free place below 32768.
void AcquirePreviewResources();
void ReleasePreviewResources();
// The screen cursor of a cursor resource (30030-30044); crDefault when not loaded.
TCursor PreviewCursor(int ResourceId);

} // namespace qel::detail
