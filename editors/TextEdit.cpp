#include "editors/TextEdit.h"

#include "editors/ViewData.h"
#include "editors/detail/EditWindow.h"
#include "platform/controls/Application.h"
#include "platform/core/Guards.h"
#include "platform/core/Utf8.h"

namespace qel {

// ===== TdxInplaceTextEdit ==========================================================

TdxInplaceTextEdit::TdxInplaceTextEdit(TComponent* AOwner) : TdxInplaceEdit(AOwner)
{
    m_edit = new detail::TdxEditWindow(this, this);
    m_edit->SetParent(this);
    m_edit->SetBorderStyle(bsNone);   // the editor draws its own border (none in a cell)
    m_edit->SetParentColor(true);
    SetBounds(0, 0, 121, 21);
    LayoutEditWindow();
}

TdxInplaceTextEdit::~TdxInplaceTextEdit() = default;

std::string TdxInplaceTextEdit::Text() const
{
    return m_edit->Text();
}

void TdxInplaceTextEdit::SetText(const std::string& Value)
{
    SetDisplayText(Value);
}

std::string TdxInplaceTextEdit::DisplayText() const
{
    return m_edit->Text();
}

void TdxInplaceTextEdit::SetDisplayText(const std::string& Value)
{
    TValueRestorer<bool> setting(m_settingText, true);
    m_edit->SetText(Value);
}

void TdxInplaceTextEdit::ChangeDisplayText(const std::string& Value, int Caret)
{
    SetDisplayText(Value);
    m_edit->SetSelStart(Caret);
    m_edit->SetSelLength(0);
    DoChange();
}

void TdxInplaceTextEdit::EditWindowChanged()
{
    if (!m_settingText)
        DoChange();
}

void TdxInplaceTextEdit::SetAlignment(TAlignment Value)
{
    m_alignment = Value;
    m_edit->SetAlignment(Value);
}

void TdxInplaceTextEdit::SetMaxLength(int Value)
{
    m_maxLength = std::max(0, Value);
    m_edit->SetMaxLength(m_maxLength);
}

TEditCharCase TdxInplaceTextEdit::CharCase() const
{
    return m_edit->CharCase();
}

void TdxInplaceTextEdit::SetCharCase(TEditCharCase Value)
{
    m_edit->SetCharCase(Value);
}

char TdxInplaceTextEdit::PasswordChar() const
{
    return m_edit->PasswordChar();
}

void TdxInplaceTextEdit::SetPasswordChar(char Value)
{
    m_edit->SetPasswordChar(Value);
}

void TdxInplaceTextEdit::SetReadOnly(bool Value)
{
    TdxInplaceEdit::SetReadOnly(Value);
    m_edit->SetReadOnly(Value);
}

void TdxInplaceTextEdit::SetSelection(int Start, int Length)
{
    m_edit->SetSelStart(Start);
    m_edit->SetSelLength(Length);
}

int TdxInplaceTextEdit::SelStart() const
{
    return m_edit->SelStart();
}

int TdxInplaceTextEdit::SelLength() const
{
    return m_edit->SelLength();
}

std::string TdxInplaceTextEdit::SelText() const
{
    return m_edit->SelText();
}

void TdxInplaceTextEdit::SelectAll()
{
    m_edit->SelectAll();
}

TWinControl* TdxInplaceTextEdit::FocusWindow()
{
    return m_edit;
}

TRect TdxInplaceTextEdit::EditRect()
{
    TRect r = ClientRect();
    const int b = BorderWidth();
    InflateRect(r, -b, -b);
    r.Right -= ButtonsWidth();
    return r;
}

int TdxInplaceTextEdit::EditButtonWidth(int) const
{
    return GetSystemMetrics(SM_CXVSCROLL);
}

int TdxInplaceTextEdit::ButtonsWidth() const
{
    int w = 0;
    for (int i = 0; i < EditButtonCount(); ++i)
        if (EditButtonVisible(i))
            w += EditButtonWidth(i);
    return std::min(w, std::max(0, ClientRect().Width() - 2 * BorderWidth()));
}

TRect TdxInplaceTextEdit::EditButtonRect(int Index) const
{
    const int b = BorderWidth();
    TRect c = ClientRect();
    InflateRect(c, -b, -b);
    int right = c.Right;
    for (int i = EditButtonCount() - 1; i >= 0; --i) {
        if (!EditButtonVisible(i))
            continue;
        const int w = EditButtonWidth(i);
        if (i == Index)
            return Rect(std::max(c.Left, right - w), c.Top, right, c.Bottom);
        right -= w;
    }
    return TRect{};
}

int TdxInplaceTextEdit::EditButtonAt(TPoint P) const
{
    for (int i = 0; i < EditButtonCount(); ++i)
        if (EditButtonVisible(i) && EditButtonRect(i).Contains(P))
            return i;
    return -1;
}

void TdxInplaceTextEdit::PaintEditButton(int Index, const TRect& R, bool Pressed)
{
    DrawEditButton(*Canvas(), R, Style()->ButtonStyle(), EditButtonKind(Index), EditButtonGlyph(Index),
                   EditButtonEnabled(Index), Pressed);
}

void TdxInplaceTextEdit::Paint()
{
    TdxInplaceEdit::Paint();
    for (int i = 0; i < EditButtonCount(); ++i)
        if (EditButtonVisible(i)) {
            const TRect r = EditButtonRect(i);
            if (!r.IsEmpty())
                PaintEditButton(i, r, i == m_pressedButton);
        }
}

void TdxInplaceTextEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TdxInplaceEdit::MouseDown(Button, Shift, X, Y);
    const int i = Button == mbLeft ? EditButtonAt({X, Y}) : -1;
    if (i >= 0 && EditButtonEnabled(i)) {
        m_pressedButton = i;
        Invalidate();
    }
}

void TdxInplaceTextEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TdxInplaceEdit::MouseUp(Button, Shift, X, Y);
    const int pressed = m_pressedButton;
    m_pressedButton = -1;
    if (pressed < 0)
        return;
    Invalidate();
    if (Button == mbLeft && EditButtonAt({X, Y}) == pressed) {
        try {
            EditButtonClick(pressed);
        } catch (const std::exception& e) {
            Application().HandleException(e);
        }
    }
}

void TdxInplaceTextEdit::LayoutEditWindow()
{
    if (!m_edit)
        return;
    TRect r = EditRect();
    if (r.Right < r.Left)
        r.Right = r.Left;
    if (r.Bottom < r.Top)
        r.Bottom = r.Top;
    m_edit->SetBoundsRect(r);
    Invalidate();
}

void TdxInplaceTextEdit::BoundsChanged()
{
    TdxInplaceEdit::BoundsChanged();
    LayoutEditWindow();
}

void TdxInplaceTextEdit::FontChanged()
{
    TdxInplaceEdit::FontChanged();
    LayoutEditWindow();
}

void TdxInplaceTextEdit::ColorChanged()
{
    TdxInplaceEdit::ColorChanged();
    Invalidate();
}

void TdxInplaceTextEdit::StyleChanged()
{
    LayoutEditWindow();
}

// ===== TdxInplaceMaskEdit ==========================================================

TdxInplaceMaskEdit::TdxInplaceMaskEdit(TComponent* AOwner) : TdxInplaceTextEdit(AOwner) {}

void TdxInplaceMaskEdit::SetEditMask(const std::string& Value)
{
    if (Value == m_mask.Mask())
        return;
    const std::string value = Text();
    m_mask = TEditMask(Value);
    EditWindow()->SetMaxLength(IsMasked() ? m_mask.Length() : MaxLength());
    SetText(value);
}

int TdxInplaceMaskEdit::GetTextLength() const
{
    if (!IsMasked())
        return static_cast<int>(Utf8Length(DisplayText()));
    return m_mask.FilledCount(DisplayText());
}

std::string TdxInplaceMaskEdit::Text() const
{
    return IsMasked() ? m_mask.ValueText(DisplayText()) : DisplayText();
}

void TdxInplaceMaskEdit::SetText(const std::string& Value)
{
    SetDisplayText(IsMasked() ? m_mask.FormatText(Value) : Value);
}

void TdxInplaceMaskEdit::ValidateEdit()
{
    if (!IsMasked() || !Modified())
        return;
    const std::string display = DisplayText();
    if (m_ignoreMaskBlank && m_mask.FilledCount(display) == 0)
        return;
    int pos = -1;
    if (!m_mask.Validate(display, pos)) {
        SetSelection(pos, 0);
        throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
    }
}

void TdxInplaceMaskEdit::KeyPress(TKeyChar& Key)
{
    TdxInplaceTextEdit::KeyPress(Key);
    if (!IsMasked() || !Key)
        return;
    // The mask decides every character; control characters were handled as keys.
    if (Key >= 0x20 && Key != 0x7F) {
        std::string display = DisplayText();
        int caret = SelStart();
        if (m_mask.TypeChar(display, caret, SelLength(), Key))
            ChangeDisplayText(display, caret);
    }
    Key = 0;
}

void TdxInplaceMaskEdit::DoEditKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    TdxInplaceTextEdit::DoEditKeyDown(Key, Shift);
    if (!IsMasked() || (Key != VK_BACK && Key != VK_DELETE) || Shift.Contains(ssAlt))
        return;
    const std::uint16_t key = Key;
    Key = 0;
    if (!CanModify())
        return;
    std::string display = DisplayText();
    int caret = SelStart();
    if (key == VK_BACK)
        m_mask.Backspace(display, caret, SelLength());
    else
        m_mask.DeleteChars(display, caret, SelLength());
    if (display != DisplayText())
        ChangeDisplayText(display, caret);
    else
        SetSelection(caret, 0);
}

void TdxInplaceMaskEdit::EditWindowChanged()
{
    // Pasted text or a cut selection: the display text follows the mask again.
    if (IsMasked() && !SettingText()) {
        const std::string display = DisplayText();
        const std::string fixed = m_mask.FormatText(m_mask.ValueText(display));
        if (fixed != display && Utf8Length(display) != static_cast<std::size_t>(m_mask.Length())) {
            const int caret = SelStart();
            SetDisplayText(fixed);
            SetSelection(caret, 0);
        }
    }
    TdxInplaceTextEdit::EditWindowChanged();
}

} // namespace qel
