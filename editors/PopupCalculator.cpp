#include "editors/PopupCalculator.h"

#include "platform/core/Locale.h"

#include <cmath>

namespace qel {

namespace {
// The button rows, left to right; '~' is the sign, '\b' back, 'C' clear.
const char32_t kButtons[5][4] = {
    {U'C', U'\b', U'%', U'/'},
    {U'7', U'8', U'9', U'*'},
    {U'4', U'5', U'6', U'-'},
    {U'1', U'2', U'3', U'+'},
    {U'0', U'~', U',', U'='},
};

std::string ButtonCaption(char32_t K)
{
    switch (K) {
    case U'\b': return "<-";
    case U'~': return "±";
    case U',': return std::string(1, FormatSettings().DecimalSeparator);
    default: return std::string(1, static_cast<char>(K));
    }
}
} // namespace

double TdxCalcEngine::Value() const
{
    double v = 0;
    std::string text = m_display;
    if (!text.empty() && text.back() == FormatSettings().DecimalSeparator)
        text.pop_back();   // "12," while the decimals are being typed
    return !m_error && TryStrToFloat(text, v) ? v : 0;
}

void TdxCalcEngine::Show(double Value)
{
    if (!std::isfinite(Value)) {
        m_error = true;
        m_display = "Error";
        return;
    }
    m_display = FloatToStrGeneral(Value, m_precision);
    if (m_display.find('E') != std::string::npos && std::fabs(Value) >= 1) {
        m_error = true;
        m_display = "Error";
    }
}

void TdxCalcEngine::SetValue(double Value)
{
    Clear();
    Show(Value);
    if (m_error)
        Clear();
}

void TdxCalcEngine::Clear()
{
    m_display = "0";
    m_operand = 0;
    m_operator = 0;
    m_startNew = true;
    m_error = false;
}

void TdxCalcEngine::Evaluate()
{
    const double v = Value();
    switch (m_operator) {
    case U'+': Show(m_operand + v); break;
    case U'-': Show(m_operand - v); break;
    case U'*': Show(m_operand * v); break;
    case U'/':
        if (v == 0) {
            m_error = true;
            m_display = "Error";
        } else {
            Show(m_operand / v);
        }
        break;
    default: break;
    }
    m_operator = 0;
}

bool TdxCalcEngine::Input(char32_t Key)
{
    const char decimal = FormatSettings().DecimalSeparator;
    if (Key == U'C' || Key == U'c') {
        Clear();
        return true;
    }
    if (m_error)
        return Key >= U'0' && Key <= U'9' ? (Clear(), Input(Key)) : false;
    if (Key >= U'0' && Key <= U'9') {
        if (m_startNew || m_display == "0")
            m_display.clear();
        m_startNew = false;
        // Significant digits are limited to the precision.
        int digits = 0;
        for (char c : m_display)
            digits += c >= '0' && c <= '9' ? 1 : 0;
        if (digits >= m_precision)
            return true;
        m_display += static_cast<char>(Key);
        return true;
    }
    if (Key == U'.' || Key == U',') {
        if (m_startNew) {
            m_display = "0";
            m_startNew = false;
        }
        if (m_display.find(decimal) == std::string::npos)
            m_display += decimal;
        return true;
    }
    if (Key == U'\b') {
        if (!m_startNew) {
            m_display.pop_back();
            if (m_display.empty() || m_display == "-")
                m_display = "0";
        }
        return true;
    }
    if (Key == U'~') {
        if (m_display != "0")
            m_display = m_display[0] == '-' ? m_display.substr(1) : "-" + m_display;
        return true;
    }
    if (Key == U'%') {
        // A percentage of the first operand (200 + 10 % gives 220).
        Show(m_operator ? m_operand * Value() / 100 : Value() / 100);
        m_startNew = true;
        return true;
    }
    if (Key == U'+' || Key == U'-' || Key == U'*' || Key == U'/' || Key == U'=') {
        if (m_operator && !m_startNew)
            Evaluate();
        else if (m_operator && Key == U'=')
            Evaluate();
        if (m_error)
            return true;
        m_operand = Value();
        m_operator = Key == U'=' ? 0 : Key;
        m_startNew = true;
        return true;
    }
    return false;
}

// ===== TdxPopupCalculator ============================================================

TdxPopupCalculator::TdxPopupCalculator(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetColor(clBtnFace);
    SetTabStop(false);
    m_buttonHeight = std::max(22, Canvas()->TextHeight("0") + 8);
    m_displayHeight = m_buttonHeight + 2;
    const TSize s = CalcSize();
    SetBounds(0, 0, s.cx, s.cy);
}

TSize TdxPopupCalculator::CalcSize() const
{
    return {4 * (m_buttonWidth + 2) + 6, m_displayHeight + 5 * (m_buttonHeight + 2) + 8};
}

TRect TdxPopupCalculator::ButtonRect(char32_t Key) const
{
    if (Key == U'.')
        Key = U',';
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 4; ++col)
            if (kButtons[row][col] == Key)
                return Bounds(4 + col * (m_buttonWidth + 2), 4 + m_displayHeight + 2 + row * (m_buttonHeight + 2),
                              m_buttonWidth, m_buttonHeight);
    return TRect{};
}

bool TdxPopupCalculator::HandleChar(char32_t Key)
{
    if (Key == U'\r')
        Key = U'=';
    const bool used = m_engine.Input(Key);
    if (used) {
        Invalidate();
        if (Key == U'=' && OnResult)
            OnResult(this);
    }
    return used;
}

bool TdxPopupCalculator::HandleKey(std::uint16_t Key, TShiftState Shift)
{
    if (!Shift.Empty())
        return false;
    switch (Key) {
    case VK_BACK: return HandleChar(U'\b');
    case VK_DELETE: return HandleChar(U'C');
    case VK_F9: return HandleChar(U'~');
    default: return false;
    }
}

void TdxPopupCalculator::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    for (const auto& row : kButtons)
        for (char32_t k : row)
            if (ButtonRect(k).Contains({X, Y})) {
                HandleChar(k);
                return;
            }
}

void TdxPopupCalculator::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    c->DrawEdge(r, EDGE_RAISED, BF_RECT);
    TRect display = Bounds(4, 4, 4 * (m_buttonWidth + 2) - 2, m_displayHeight);
    c->Brush()->SetColor(clWindow);
    c->FillRect(display);
    c->DrawEdge(display, EDGE_SUNKEN, BF_RECT);
    c->SetBkMode(TRANSPARENT);
    c->Font()->SetColor(clWindowText);
    TRect text = display;
    InflateRect(text, -4, 0);
    c->DrawText(m_engine.Display(), text, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    for (const auto& row : kButtons)
        for (char32_t k : row) {
            TRect b = ButtonRect(k);
            if (m_showButtonFrame)
                c->DrawEdge(b, EDGE_RAISED, BF_RECT);
            c->Font()->SetColor(k == U'C' || k == U'\b' ? clMaroon : clBtnText);
            c->DrawText(ButtonCaption(k), b, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
}

} // namespace qel
