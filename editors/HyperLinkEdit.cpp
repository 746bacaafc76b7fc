#include "editors/HyperLinkEdit.h"

#include "platform/controls/Shell.h"
#include "platform/core/Locale.h"

namespace qel {

TdxInplaceHyperLinkEdit::TdxInplaceHyperLinkEdit(TComponent* AOwner) : TdxInplaceTextEdit(AOwner)
{
    SetColor(clWindow);
    SetEditFontColor(clBlue);
    Font()->SetStyle(Font()->Style() + TFontStyles{fsUnderline});
}

TColor TdxInplaceHyperLinkEdit::EditFontColor() const
{
    return Font()->Color();
}

void TdxInplaceHyperLinkEdit::SetEditFontColor(TColor Value)
{
    Font()->SetColor(Value);
}

void TdxInplaceHyperLinkEdit::SetSingleClick(bool Value)
{
    m_singleClick = Value;
    EditWindow()->SetCursor(Value ? TCursor(-1140) : crIBeam);   // the hyperlink hand
}

bool TdxInplaceHyperLinkEdit::Start()
{
    bool handled = false;
    if (OnStartClick)
        OnStartClick(this, handled);
    if (handled)
        return true;
    const std::string link = Trim(Text());
    return !link.empty() && ShellOpen(link);
}

void TdxInplaceHyperLinkEdit::DoEditKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (m_startKey != scNone && ShortCut(Key, Shift) == m_startKey) {
        Key = 0;
        Start();
        return;
    }
    TdxInplaceTextEdit::DoEditKeyDown(Key, Shift);
}

void TdxInplaceHyperLinkEdit::KeyPress(TKeyChar& Key)
{
    if (Key == 0x0A)
        Key = 0;   // the character of Ctrl+Enter
    TdxInplaceTextEdit::KeyPress(Key);
}

void TdxInplaceHyperLinkEdit::EditWindowClick(bool Double)
{
    if (Double || m_singleClick)
        Start();
}

} // namespace qel
