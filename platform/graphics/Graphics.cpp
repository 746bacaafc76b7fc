#include "platform/graphics/Graphics.h"

#include "platform/core/Exceptions.h"
#include "platform/core/MathUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/detail/FontCache.h"

#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <map>

namespace qel {

namespace {

// The classic grey theme, indexed by COLOR_*.
constexpr std::array<TColor, COLOR_ENDCOLORS + 1> kSysColors = {
    RGB(192, 192, 192), // 0 scroll bar
    RGB(0, 128, 128),   // 1 background
    RGB(0, 0, 128),     // 2 active caption
    RGB(128, 128, 128), // 3 inactive caption
    RGB(192, 192, 192), // 4 menu
    RGB(255, 255, 255), // 5 window
    RGB(0, 0, 0),       // 6 window frame
    RGB(0, 0, 0),       // 7 menu text
    RGB(0, 0, 0),       // 8 window text
    RGB(255, 255, 255), // 9 caption text
    RGB(192, 192, 192), // 10 active border
    RGB(192, 192, 192), // 11 inactive border
    RGB(128, 128, 128), // 12 app workspace
    RGB(0, 0, 128),     // 13 highlight
    RGB(255, 255, 255), // 14 highlight text
    RGB(192, 192, 192), // 15 button face
    RGB(128, 128, 128), // 16 button shadow
    RGB(128, 128, 128), // 17 grey text
    RGB(0, 0, 0),       // 18 button text
    RGB(192, 192, 192), // 19 inactive caption text
    RGB(255, 255, 255), // 20 button highlight
    RGB(0, 0, 0),       // 21 3-D dark shadow
    RGB(223, 223, 223), // 22 3-D light
    RGB(0, 0, 0),       // 23 info text
    RGB(255, 255, 225), // 24 info background
    RGB(0, 0, 0),       // 25 (unused)
    RGB(0, 0, 255),     // 26 hot light
    RGB(16, 132, 208),  // 27 gradient active caption
    RGB(181, 181, 181), // 28 gradient inactive caption
    RGB(0, 0, 128),     // 29 menu highlight
    RGB(192, 192, 192), // 30 menu bar
};

struct NamedColor {
    TColor color;
    const char* name;
};

constexpr NamedColor kColorNames[] = {
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
    {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
    {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
    {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
    {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"}, {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"}, {clWindow, "clWindow"}, {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"}, {clWindowText, "clWindowText"}, {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"}, {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"}, {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"}, {clBtnFace, "clBtnFace"}, {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"}, {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"}, {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"}, {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"}, {clNone, "clNone"}, {clDefault, "clDefault"},
};

bool EqualsNoCase(const std::string& A, const std::string& B)
{
    return A.size() == B.size() &&
           std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
               return std::tolower(static_cast<unsigned char>(X)) ==
                      std::tolower(static_cast<unsigned char>(Y));
           });
}

} // namespace

TColor GetSysColor(int Index)
{
    if (Index < 0 || Index > COLOR_ENDCOLORS)
        return 0;
    return kSysColors[static_cast<std::size_t>(Index)];
}

bool IsSystemColor(TColor Color)
{
    return (static_cast<std::uint32_t>(Color) & 0xFF000000u) == 0x80000000u;
}

TColor ColorToRGB(TColor Color)
{
    if (IsSystemColor(Color))
        return GetSysColor(int(static_cast<std::uint32_t>(Color) & 0xFFu));
    if (Color == clNone || Color == clDefault)
        return clBlack;
    return TColor(static_cast<std::uint32_t>(Color) & 0x00FFFFFFu);
}

std::string ColorToString(TColor Color)
{
    for (const auto& n : kColorNames)
        if (n.color == Color)
            return n.name;
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(Color));
    return buf;
}

TColor StringToColor(const std::string& Text)
{
    for (const auto& n : kColorNames)
        if (EqualsNoCase(Text, n.name))
            return n.color;
    if (!Text.empty()) {
        const bool hex = Text[0] == '$';
        const std::string digits = hex ? Text.substr(1) : Text;
        const bool negative = !hex && !digits.empty() && digits[0] == '-';
        if (!digits.empty() && digits.size() <= 10) {
            try {
                std::size_t used = 0;
                long long v = std::stoll(digits, &used, hex ? 16 : 10);
                if (used == digits.size() && v >= (negative ? -2147483648LL : 0) && v <= 0xFFFFFFFFLL)
                    return TColor(static_cast<std::uint32_t>(v));
            } catch (const std::exception&) {
            }
        }
    }
    throw EConvertError("'" + Text + "' is not a valid integer value");
}

QColor ToQColor(TColor Color)
{
    const TColor c = ColorToRGB(Color);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TColor FromQColor(const QColor& Color)
{
    return RGB(Color.red(), Color.green(), Color.blue());
}

// ----------------------------------------------------------------------------
// Fonts

std::string MapFontFamily(const std::string& Name)
{
    return detail::FontCache::Instance().Family(Name);
}

int ScreenPixelsPerInch()
{
    return 96;
}

TFont::TFont() = default;
TFont::~TFont() = default;

void TFont::SetName(const std::string& Name)
{
    if (Name.empty() || Name == m_name)
        return;
    m_name = Name;
    Changed();
}

int TFont::Size() const
{
    return -MulDiv(m_height, 72, m_pixelsPerInch);
}

void TFont::SetSize(int Points)
{
    SetHeight(-MulDiv(Points, m_pixelsPerInch, 72));
}

void TFont::SetHeight(int Height)
{
    if (Height == m_height)
        return;
    m_height = Height;
    Changed();
}

void TFont::SetStyle(TFontStyles Style)
{
    if (Style == m_style)
        return;
    m_style = Style;
    Changed();
}

void TFont::SetColor(TColor Color)
{
    if (Color == m_color)
        return;
    m_color = Color;
    Changed();
}

void TFont::SetCharset(TFontCharset Charset)
{
    if (Charset == m_charset)
        return;
    m_charset = Charset;
    Changed();
}

void TFont::SetPitch(TFontPitch Pitch)
{
    if (Pitch == m_pitch)
        return;
    m_pitch = Pitch;
    Changed();
}

void TFont::SetPixelsPerInch(int Ppi)
{
    // A zero resolution would make every size conversion divide by zero.
    m_pixelsPerInch = Ppi > 0 ? Ppi : 96;
}

void TFont::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TFont*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    if (src == this)
        return;
    m_name = src->m_name;
    m_height = src->m_height;
    m_style = src->m_style;
    m_charset = src->m_charset;
    m_pitch = src->m_pitch;
    m_color = src->m_color;
    if (m_pixelsPerInch != src->m_pixelsPerInch)
        m_height = -MulDiv(src->Size(), m_pixelsPerInch, 72);
    Changed();
}

bool TFont::Equals(const TFont& Other) const
{
    return m_name == Other.m_name && m_height == Other.m_height && m_style == Other.m_style &&
           m_color == Other.m_color && m_charset == Other.m_charset && m_pitch == Other.m_pitch;
}

QFont TFont::QtFont() const
{
    return QtFontForPixelHeight(m_height);
}

QFont TFont::QtFontForPixelHeight(int Height) const
{
    return detail::FontCache::Instance().Font(m_name, Height, m_style.Contains(fsBold),
                                              m_style.Contains(fsItalic), m_style.Contains(fsUnderline),
                                              m_style.Contains(fsStrikeOut), m_pitch == fpFixed);
}

void TFont::Changed()
{
    if (!m_changes.Notify(this))
        return;
    if (OnChange)
        OnChange(this);
}

// ----------------------------------------------------------------------------
// Pens

void TPen::SetColor(TColor Color)
{
    if (Color == m_color)
        return;
    m_color = Color;
    Changed();
}

void TPen::SetWidth(int Width)
{
    if (Width < 0)
        Width = 0;
    if (Width == m_width)
        return;
    m_width = Width;
    Changed();
}

void TPen::SetStyle(TPenStyle Style)
{
    if (Style == m_style)
        return;
    m_style = Style;
    Changed();
}

void TPen::SetMode(TPenMode Mode)
{
    if (Mode == m_mode)
        return;
    m_mode = Mode;
    Changed();
}

void TPen::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TPen*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    if (src == this)
        return;
    m_color = src->m_color;
    m_width = src->m_width;
    m_style = src->m_style;
    m_mode = src->m_mode;
    Changed();
}

void TPen::Changed()
{
    if (!m_changes.Notify(this))
        return;
    if (OnChange)
        OnChange(this);
}

// ----------------------------------------------------------------------------
// Brushes

TBrush::TBrush() = default;
TBrush::~TBrush() = default;

void TBrush::SetColor(TColor Color)
{
    if (Color == m_color && m_style != bsClear)
        return;
    m_color = Color;
    if (m_style == bsClear)
        m_style = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle Style)
{
    if (Style == m_style && !m_bitmap)
        return;
    m_style = Style;
    m_bitmap.reset();
    Changed();
}

void TBrush::SetBitmap(const TBitmap* Bitmap)
{
    if (Bitmap && !Bitmap->Empty()) {
        auto copy = std::make_unique<TBitmap>();
        const QImage& img = Bitmap->Image();
        copy->SetImage(img.copy(0, 0, std::min(img.width(), 8), std::min(img.height(), 8)));
        m_bitmap = std::move(copy);
    } else {
        m_bitmap.reset();
    }
    Changed();
}

void TBrush::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TBrush*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    if (src == this)
        return;
    m_color = src->m_color;
    m_style = src->m_style;
    m_bitmap.reset();
    if (src->m_bitmap) {
        m_bitmap = std::make_unique<TBitmap>();
        m_bitmap->SetImage(src->m_bitmap->Image());
    }
    Changed();
}

void TBrush::Changed()
{
    if (!m_changes.Notify(this))
        return;
    if (OnChange)
        OnChange(this);
}

} // namespace qel
