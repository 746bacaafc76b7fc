#pragma once
// Nested event loops outside ShowModal: a control's mode that holds the
// mouse until a button or key ends it (the preview's auto-scroll), and a
// form that shows itself and pumps events until it has its answer (a
// drop-down chooser, a colour palette). Headless runs never wait for a
// person: tests drive such loops through posted calls, the test clock and
// the modal-form hook (Application.h).
//
//   SetCapture();
//   RunNestedLoop([&] { return !alive || m_mode == mmNone; });
//
//   const bool answered = RunFormLoop(*form, [&] { return form->Result() != 0; });
#include "platform/controls/Forms.h"

#include <functional>

namespace qel {

// Handles events until Done answers true or the application terminates.
// Headless it runs what is pending (posted calls, Qt's own events and what
// they post) and gives up once nothing is left, since nobody else can act.
// Answers Done().
bool RunNestedLoop(const std::function<bool()>& Done);

// Shows the form and runs the modal-form hook on it; then handles events
// until Done answers true or the form is hidden or freed. With a hook only
// what the script posted still runs: a form the script leaves running ends
// without an answer, as a modal form is cancelled. Answers Done(), false when
// the form was freed; Done is not asked after that. Hiding or freeing the form
// afterwards is the caller's business.
bool RunFormLoop(TForm& Form, const std::function<bool()>& Done);

} // namespace qel
