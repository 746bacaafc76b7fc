#include "platform/controls/Keyboard.h"

#include "platform/core/Locale.h"

#include <QList>
#include <QString>

namespace qel {

std::string KeyCharToUtf8(TKeyChar Ch)
{
    if (Ch == 0)
        return {};
    char32_t c = Ch;
    return QString::fromUcs4(&c, 1).toStdString();
}

TShortCut ShortCut(std::uint16_t Key, TShiftState Shift)
{
    if ((Key & 0xFF00) != 0)
        return scNone;
    TShortCut result = Key;
    if (Shift.Contains(ssShift)) result |= scShift;
    if (Shift.Contains(ssCtrl)) result |= scCtrl;
    if (Shift.Contains(ssAlt)) result |= scAlt;
    return result;
}

void ShortCutToKey(TShortCut ShortCut, std::uint16_t& Key, TShiftState& Shift)
{
    Key = ShortCut & 0xFF;
    Shift = {};
    if (ShortCut & scShift) Shift.Include(ssShift);
    if (ShortCut & scCtrl) Shift.Include(ssCtrl);
    if (ShortCut & scAlt) Shift.Include(ssAlt);
}

std::string KeyName(std::uint16_t Key)
{
    switch (Key) {
    case VK_BACK: return "BkSp";
    case VK_TAB: return "Tab";
    case VK_ESCAPE: return "Esc";
    case VK_RETURN: return "Enter";
    case VK_SPACE: return "Space";
    case VK_PRIOR: return "PgUp";
    case VK_NEXT: return "PgDn";
    case VK_END: return "End";
    case VK_HOME: return "Home";
    case VK_LEFT: return "Left";
    case VK_UP: return "Up";
    case VK_RIGHT: return "Right";
    case VK_DOWN: return "Down";
    case VK_INSERT: return "Ins";
    case VK_DELETE: return "Del";
    case VK_PAUSE: return "Pause";
    case VK_APPS: return "Apps";
    case VK_MULTIPLY: return "Num *";
    case VK_ADD: return "Num +";
    case VK_SUBTRACT: return "Num -";
    case VK_DECIMAL: return "Num Del";
    case VK_DIVIDE: return "Num /";
    case VK_OEM_PLUS: return "+";
    case VK_OEM_COMMA: return ",";
    case VK_OEM_MINUS: return "-";
    case VK_OEM_PERIOD: return ".";
    // The punctuation keys by their US-layout character, as the key bridge maps them.
    case VK_OEM_1: return ";";
    case VK_OEM_2: return "/";
    case VK_OEM_3: return "`";
    case VK_OEM_4: return "[";
    case VK_OEM_5: return "\\";
    case VK_OEM_6: return "]";
    case VK_OEM_7: return "'";
    default: break;
    }
    if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z'))
        return std::string(1, char(Key));
    if (Key >= VK_F1 && Key <= VK_F24)
        return "F" + std::to_string(Key - VK_F1 + 1);
    if (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9)
        return "Num " + std::to_string(Key - VK_NUMPAD0);
    return {};
}

std::string ShortCutToText(TShortCut ShortCut)
{
    std::string name = KeyName(ShortCut & 0xFF);
    if (name.empty())
        return {};
    std::string result;
    if (ShortCut & scShift) result += "Shift+";
    if (ShortCut & scCtrl) result += "Ctrl+";
    if (ShortCut & scAlt) result += "Alt+";
    return result + name;
}

TShortCut TextToShortCut(const std::string& Text)
{
    TShortCut modifiers = 0;
    std::size_t pos = 0;
    // Modifiers may come in any order; the key name follows the last '+'.
    for (;;) {
        if (StartsWithNoCase(Text, pos, "Shift+")) { modifiers |= scShift; pos += 6; }
        else if (StartsWithNoCase(Text, pos, "Ctrl+")) { modifiers |= scCtrl; pos += 5; }
        else if (StartsWithNoCase(Text, pos, "Alt+")) { modifiers |= scAlt; pos += 4; }
        else break;
    }
    const std::string rest = Text.substr(pos);
    if (rest.empty())
        return scNone;
    for (std::uint16_t key = 8; key <= 255; ++key) {
        const std::string name = KeyName(key);
        if (!name.empty() && SameNoCase(name, rest))
            return TShortCut(key | modifiers);
    }
    return scNone;
}

TKeyChar GetHotkey(const std::string& Caption)
{
    const QString s = QString::fromStdString(Caption);
    for (qsizetype i = 0; i + 1 < s.size(); ++i) {
        if (s[i] != u'&')
            continue;
        if (s[i + 1] == u'&') {
            ++i;
            continue;
        }
        QString ch = s.mid(i + 1, s[i + 1].isHighSurrogate() ? 2 : 1).toLower();
        const auto ucs = ch.toUcs4();
        return ucs.isEmpty() ? 0 : ucs.front();
    }
    return 0;
}

std::string StripHotkey(const std::string& Caption)
{
    std::string result;
    result.reserve(Caption.size());
    for (std::size_t i = 0; i < Caption.size(); ++i) {
        if (Caption[i] == '&') {
            if (i + 1 < Caption.size() && Caption[i + 1] == '&') {
                result += '&';
                ++i;
            }
            continue;
        }
        result += Caption[i];
    }
    return result;
}

bool IsAccel(TKeyChar Ch, const std::string& Caption)
{
    if (Ch == 0)
        return false;
    const TKeyChar hot = GetHotkey(Caption);
    if (hot == 0)
        return false;
    char32_t c = Ch;
    const auto lower = QString::fromUcs4(&c, 1).toLower().toUcs4();
    return !lower.isEmpty() && lower.front() == hot;
}

} // namespace qel
