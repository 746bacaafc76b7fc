#pragma once
// Helpers of the printing dialogs that need the application, the screen or
// a control: font captions on controls, the work area and message boxes.
#include "platform/graphics/Geometry.h"

#include <string>

namespace qel {

class TControl;
class TFont;

// Shows FontToText in the control's caption, coloured with the font colour,
// or the window-text colour when that would not show on the control's colour.
void SetFontInfoText(TControl* Control, const TFont* Font);

// The desktop work area (the virtual screen's when running headless).
TRect GetWorkArea();

// The application's message box with its title: stop icon, exclamation icon,
// or a Yes/No question answering true on Yes.
void MessageError(const std::string& Text);
void MessageWarning(const std::string& Text);
bool MessageQuestion(const std::string& Text);

} // namespace qel
