#pragma once
// A form that shows itself and pumps events until it has its answer (a
// drop-down chooser, a colour palette) instead of running ShowModal. The
// modal-form hook (Application.h) drives it as it drives modal forms, so a
// test scripts it and a headless run never waits for a person:
//
//   form->SetCapture();
//   const bool answered = RunFormLoop(*form, [&] { return form->Result() != 0; });
//
// Shows the form and runs the modal-form hook on it; then pumps events
// until Done answers true, the form is hidden or freed, or the application
// terminates. Answers Done() at the end; false when the form was freed, and
// false when the hook left the form running or a headless run has no hook
// (nobody could answer). Hiding or freeing the form afterwards is the
// caller's business; Done must not touch a freed form.
#include "platform/controls/Forms.h"

#include <functional>

namespace qel {

bool RunFormLoop(TForm& Form, const std::function<bool()>& Done);

} // namespace qel
