#pragma once
// TdxPSDialog: the frame of the small printing dialogs. A fixed dialog
// border centred on the screen; "OK", "Cancel" and "&Help" (btnOK,
// btnCancel, btnHelp) at the bottom right, Help showing exactly when the
// dialog has a help context (with the help border icon) and the others
// moving one place right without it; the loading flag under which the
// controls are filled, and the modified flag that only OK after a change
// turns into a true answer. Each dialog is run on its caller's record by
// RunDialog: it shows the record, and copies the result back on a true answer.
#include "printing/PSForm.h"

#include <functional>
#include <memory>

namespace qel {

class TButton;
class TRegistry;

class TdxPSDialog : public TCustomdxPSForm {
    QEL_CLASS(TdxPSDialog)
public:
    TdxPSDialog(TComponent* AOwner, const std::string& Caption, int ClientWidth, int ClientHeight);

    // Shows the dialog; true when it closed with OK after a change.
    virtual bool Execute();
    bool Modified() const { return m_modified; }

    TButton* btnOK{nullptr};
    TButton* btnCancel{nullptr};
    TButton* btnHelp{nullptr};

protected:
    // Takes the help context and lays out the button row by it.
    void ArrangeButtons(int HelpContext);
    // Marks the dialog modified, unless it is filling its controls.
    void Changed();

    bool m_loading{false};
    bool m_modified{false};
};

namespace detail {

// Writes a dialog's own values under its layout key when it has closed (its
// placement is written when it is freed). A settings error is reported,
// never raised.
void StoreDialogSettings(const TCustomdxPSForm& Form, const std::function<void(TRegistry&)>& Write);

// Creates the dialog, shows Record in it (Load), and on a true answer copies
// the result back (Store).
template <class Dialog, class Record>
bool RunDialog(Record& Data)
{
    const std::unique_ptr<Dialog> dialog(CreateForm<Dialog>(nullptr));
    dialog->Load(Data);
    if (!dialog->Execute())
        return false;
    dialog->Store(Data);
    return true;
}

} // namespace detail

} // namespace qel
