#include "editors/PopupPosition.h"

#include "platform/controls/Application.h"

namespace qel {

TPoint AdjustPopupPosition(TPoint P, int Width, int Height, int OwnerHeight, const TRect& WorkArea)
{
    Width = std::max(0, Width);
    Height = std::max(0, Height);
    OwnerHeight = std::max(0, OwnerHeight);
    TPoint r = P;
    if (r.Y + Height > WorkArea.Bottom) {
        const int above = P.Y - OwnerHeight - Height;
        const int roomBelow = WorkArea.Bottom - P.Y;
        const int roomAbove = P.Y - OwnerHeight - WorkArea.Top;
        if (above >= WorkArea.Top || roomAbove > roomBelow)
            r.Y = above;
        else
            r.Y = WorkArea.Bottom - Height;
    }
    if (r.X + Width > WorkArea.Right)
        r.X = WorkArea.Right - Width;
    r.X = std::max(r.X, WorkArea.Left);
    r.Y = std::max(r.Y, WorkArea.Top);
    return r;
}

TPoint AdjustPopupPosition(TPoint P, int Width, int Height, int OwnerHeight)
{
    return AdjustPopupPosition(P, Width, Height, OwnerHeight, Screen().WorkAreaRect());
}

} // namespace qel
