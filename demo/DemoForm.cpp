#include "demo/DemoForm.h"

#include "platform/controls/Automation.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Locale.h"

namespace qel::demo {

namespace {

TEdit* AddLabelledEdit(TWinControl* Parent, int Top, const std::string& Caption, const std::string& Text)
{
    auto* label = new TLabel(Parent->Owner());
    label->SetParent(Parent);
    label->SetBounds(12, Top + 3, 90, 17);
    label->SetCaption(Caption);
    auto* edit = new TEdit(Parent->Owner());
    edit->SetParent(Parent);
    edit->SetBounds(108, Top, 150, 22);
    edit->SetText(Text);
    label->SetFocusControl(edit);
    return edit;
}

} // namespace

void SaveBoxDialogPicture(const std::string& FileName, TBoxRecord& Box)
{
    TForm form(nullptr);
    form.SetCaption("QEL-Box " + IntToStr(Box.Number()) + " bearbeiten");
    form.SetBorderStyle(bsDialog);
    form.SetClientWidth(300);
    form.SetClientHeight(300);

    auto* group = new TGroupBox(&form);
    group->SetParent(&form);
    group->SetBounds(8, 8, 284, 148);
    group->SetCaption("&Netzwerk");
    AddLabelledEdit(group, 22, "&IP-Adresse:", Box.IPAddress());
    AddLabelledEdit(group, 52, "&Maske:", "255.255.255.0");
    AddLabelledEdit(group, 82, "&Gateway:", "192.168.10.1");
    AddLabelledEdit(group, 112, "&Titel:", Box.Title());

    auto* numberLabel = new TLabel(&form);
    numberLabel->SetParent(&form);
    numberLabel->SetBounds(20, 171, 90, 17);
    numberLabel->SetCaption("Box-&Nummer:");
    auto* number = new TComboBox(&form);
    number->SetParent(&form);
    number->SetBounds(116, 168, 80, 22);
    number->SetStyle(csDropDownList);
    for (int i = 1; i <= 32; ++i)
        number->Items()->Add(IntToStr(i));
    number->SetItemIndex(Box.Number() - 1);
    numberLabel->SetFocusControl(number);

    auto* active = new TCheckBox(&form);
    active->SetParent(&form);
    active->SetBounds(20, 200, 200, 20);
    active->SetCaption("Box ist &aktiv");
    active->SetChecked(true);
    auto* clock = new TCheckBox(&form);
    clock->SetParent(&form);
    clock->SetBounds(20, 222, 240, 20);
    clock->SetCaption("&Uhrzeit beim Senden stellen");

    auto* ok = new TButton(&form);
    ok->SetParent(&form);
    ok->SetBounds(130, 250, 75, 25);
    ok->SetCaption("OK");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    auto* cancel = new TButton(&form);
    cancel->SetParent(&form);
    cancel->SetBounds(214, 250, 75, 25);
    cancel->SetCaption("Abbrechen");
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);

    auto* status = new TStatusBar(&form);
    status->SetParent(&form);
    status->SetAlign(alBottom);
    status->Panels()->Add()->SetText(Box.IPAddress());
    status->Panels()->Items(0)->SetWidth(120);
    status->Panels()->Add()->SetText("Nicht gesendet");

    // Pictured without being shown: the window never appears on a screen.
    SaveControlImage(&form, FileName);
}

} // namespace qel::demo
