#pragma once
// Helpers shared by the control tests.
#include "platform/controls/Controls.h"

namespace qel::test {

// A child control of Parent with the given bounds.
template <class C>
C* Make(TWinControl* Parent, int Left, int Top, int Width, int Height)
{
    auto* c = new C(Parent);
    c->SetParent(Parent);
    c->SetBounds(Left, Top, Width, Height);
    return c;
}

} // namespace qel::test
