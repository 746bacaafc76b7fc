#pragma once
// Building blocks of the printing dialogs: controls placed at fixed
// positions, and the frame the small dialogs share (TdxPSDialog).
#include "platform/controls/Forms.h"

namespace qel {
class TButton;
}

namespace qel::detail {

template <class C>
C* Place(TWinControl* Parent, TComponent* Owner, int Left, int Top, int Width, int Height)
{
    auto* c = new C(Owner);
    c->SetParent(Parent);
    c->SetBounds(Left, Top, Width, Height);
    return c;
}

TButton* PlaceButton(TWinControl* Parent, TComponent* Owner, const char* Name, const char* Caption, int Left,
                     int Top, int Width = 92, int Height = 25);

} // namespace qel::detail
