#pragma once
// Building blocks of the printing dialogs: controls placed at fixed
// positions, and the OK, Cancel and Help row with its rule: Help shows
// exactly when the form has a help context (with the help border icon), and
// without it the buttons left of it move one place right.
#include "platform/controls/Forms.h"

#include <initializer_list>

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

// "OK" (default, mrOk), "Cancel" (cancel, mrCancel) and "&Help", named
// btnOK, btnCancel and btnHelp; the form's base wires Help to its help topic.
struct TDialogButtons {
    TButton* OK{nullptr};
    TButton* Cancel{nullptr};
    TButton* Help{nullptr};
};
TDialogButtons CreateDialogButtons(TForm& Form);

// Lays Buttons out in a row from the right edge leftwards (Right is the
// right end, Gap between them), the first being Help when it is Buttons.Help.
void ArrangeButtonRow(TForm& Form, const TDialogButtons& Dialog, std::initializer_list<TButton*> RightToLeft,
                      int Right, int Top, int Gap);

} // namespace qel::detail
