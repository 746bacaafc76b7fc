#pragma once
// Driving controls without a person: synthesized key and mouse input that
// Qt delivers exactly as it delivers real input (filters, the control's
// handlers, the widget, propagation to the form), and pictures of forms and
// controls for a person to look at later.
#include "platform/controls/Controls.h"

#include <memory>
#include <string>

namespace qel {

class TBitmap;

// A key press and release sent to the focused control of the active form
// (the form itself when nothing has the focus). Posted calls run before each
// key, as the event loop runs them before input.
void SimulateKey(std::uint16_t Key, TShiftState Shift = {});
// The same after giving Target the focus, as a user would click it first.
void SimulateKey(TWinControl* Target, std::uint16_t Key, TShiftState Shift = {});
// Types the characters of Text (UTF-8) into the focused control of the active form.
void SimulateText(const std::string& Text);

// Mouse input at client coordinates of Control; while a control has the
// mouse captured, the events go to it (coordinates mapped), as real ones do.
// A right-button release that nobody swallowed is followed by a context-menu request.
void SimulateMouseDown(TControl* Control, TMouseButton Button, int X, int Y, TShiftState Shift = {});
void SimulateMouseUp(TControl* Control, TMouseButton Button, int X, int Y, TShiftState Shift = {});
void SimulateMouseMove(TControl* Control, int X, int Y, TShiftState Shift = {});
void SimulateClick(TControl* Control, int X, int Y, TMouseButton Button = mbLeft, TShiftState Shift = {});
void SimulateDblClick(TControl* Control, int X, int Y);
void SimulateWheel(TControl* Control, int WheelDelta, int X, int Y, TShiftState Shift = {});

// The control's picture as the screen shows it (children included).
std::unique_ptr<TBitmap> GrabControl(TControl* Control);
// Writes the picture as a PNG file (whole or not at all).
void SaveControlImage(TControl* Control, const std::string& FileName);

// The first control under Root whose caption (without '&', case-insensitive) is Caption.
TControl* FindControlByCaption(TWinControl* Root, const std::string& Caption);

} // namespace qel
