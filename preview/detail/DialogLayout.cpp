#include "preview/detail/DialogLayout.h"

#include "platform/controls/StdCtrls.h"

namespace qel::detail {

TButton* PlaceButton(TWinControl* Parent, TComponent* Owner, const char* Name, const char* Caption, int Left,
                     int Top, int Width, int Height)
{
    auto* b = Place<TButton>(Parent, Owner, Left, Top, Width, Height);
    b->SetName(Name);
    b->SetCaption(Caption);
    return b;
}

} // namespace qel::detail
