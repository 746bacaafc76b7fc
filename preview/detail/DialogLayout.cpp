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

TDialogButtons CreateDialogButtons(TForm& Form)
{
    TDialogButtons b;
    b.OK = PlaceButton(&Form, &Form, "btnOK", "OK", 0, 0, 75, 23);
    b.OK->SetDefault(true);
    b.OK->SetModalResult(mrOk);
    b.Cancel = PlaceButton(&Form, &Form, "btnCancel", "Cancel", 0, 0, 75, 23);
    b.Cancel->SetCancel(true);
    b.Cancel->SetModalResult(mrCancel);
    b.Help = PlaceButton(&Form, &Form, "btnHelp", "&Help", 0, 0, 75, 23);
    return b;
}

void ArrangeButtonRow(TForm& Form, const TDialogButtons& Dialog, std::initializer_list<TButton*> RightToLeft,
                      int Right, int Top, int Gap)
{
    const bool help = Form.HelpContext() != 0;
    Dialog.Help->SetVisible(help);
    TBorderIcons icons = Form.BorderIcons();
    Form.SetBorderIcons(icons.Set(biHelp, help));
    int x = Right;
    for (TButton* b : RightToLeft) {
        if (b == Dialog.Help && !help)
            continue;
        x -= b->Width();
        b->SetBounds(x, Top, b->Width(), b->Height());
        x -= Gap;
    }
}

} // namespace qel::detail
