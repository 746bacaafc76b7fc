#include "printing/PrintUIUtils.h"

#include "platform/controls/Application.h"
#include "platform/controls/Controls.h"
#include "platform/controls/Dialogs.h"
#include "printing/PrintGraphicUtils.h"

namespace qel {

void SetFontInfoText(TControl* AControl, const TFont* AFont)
{
    if (AControl == nullptr)
        return;
    AControl->SetCaption(FontToText(AFont));
    if (AFont == nullptr)
        return;
    // Compared as shown, so a white font on a clWindow control is caught too.
    const bool invisible = ColorToRGB(AFont->Color()) == ColorToRGB(AControl->Color());
    AControl->Font()->SetColor(invisible ? clWindowText : AFont->Color());
}

TRect GetWorkArea()
{
    return Screen().WorkAreaRect();
}

void MessageError(const std::string& AText)
{
    MessageBeep(MB_ICONEXCLAMATION);
    Application().MessageBox(AText, Application().Title(), MB_OK | MB_ICONSTOP);
}

void MessageWarning(const std::string& AText)
{
    MessageBeep(MB_ICONEXCLAMATION);
    Application().MessageBox(AText, Application().Title(), MB_OK | MB_ICONEXCLAMATION);
}

bool MessageQuestion(const std::string& AText)
{
    MessageBeep(MB_ICONQUESTION);
    return Application().MessageBox(AText, Application().Title(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

} // namespace qel
