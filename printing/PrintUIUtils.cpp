#include "printing/PrintUIUtils.h"

#include "platform/controls/Application.h"
#include "platform/controls/Controls.h"
#include "platform/controls/Dialogs.h"
#include "printing/PrintGraphicUtils.h"

namespace qel {

void SetFontInfoText(TControl* Control, const TFont* Font)
{
    if (Control == nullptr)
        return;
    Control->SetCaption(FontToText(Font));
    if (Font == nullptr)
        return;
    // Compared as shown, so a white font on a clWindow control is caught too.
    const bool invisible = ColorToRGB(Font->Color()) == ColorToRGB(Control->Color());
    Control->Font()->SetColor(invisible ? clWindowText : Font->Color());
}

TRect GetWorkArea()
{
    return Screen().WorkAreaRect();
}

void MessageError(const std::string& Text)
{
    MessageBeep(MB_ICONEXCLAMATION);
    Application().MessageBox(Text, Application().Title(), MB_OK | MB_ICONSTOP);
}

void MessageWarning(const std::string& Text)
{
    MessageBeep(MB_ICONEXCLAMATION);
    Application().MessageBox(Text, Application().Title(), MB_OK | MB_ICONEXCLAMATION);
}

bool MessageQuestion(const std::string& Text)
{
    MessageBeep(MB_ICONQUESTION);
    return Application().MessageBox(Text, Application().Title(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

} // namespace qel
