#pragma once
// Colours, fonts, pens and brushes: the drawing objects a canvas selects.
// A TColor is 0x00BBGGRR; 0x80000000 + n is the system colour n, resolved
// through one fixed theme table (the classic grey look).
#include "platform/core/ChangeLink.h"
#include "platform/core/Component.h"
#include "platform/core/Events.h"
#include "platform/core/TSet.h"

#include <cstdint>
#include <memory>
#include <string>

class QColor;
class QFont;
class QImage;

namespace qel {

using TColor = std::int32_t;

inline constexpr TColor SystemColor(int Index) { return TColor(0x80000000u | unsigned(Index)); }

// System colour indexes (the platform's COLOR_* values).
enum : int {
    COLOR_SCROLLBAR = 0, COLOR_BACKGROUND = 1, COLOR_ACTIVECAPTION = 2, COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4, COLOR_WINDOW = 5, COLOR_WINDOWFRAME = 6, COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8, COLOR_CAPTIONTEXT = 9, COLOR_ACTIVEBORDER = 10, COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12, COLOR_HIGHLIGHT = 13, COLOR_HIGHLIGHTTEXT = 14, COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16, COLOR_GRAYTEXT = 17, COLOR_BTNTEXT = 18, COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20, COLOR_3DDKSHADOW = 21, COLOR_3DLIGHT = 22, COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24, COLOR_HOTLIGHT = 26, COLOR_GRADIENTACTIVECAPTION = 27,
    COLOR_GRADIENTINACTIVECAPTION = 28, COLOR_MENUHILIGHT = 29, COLOR_MENUBAR = 30,
    COLOR_ENDCOLORS = 30
};

inline constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
inline constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
inline constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
inline constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
inline constexpr TColor clMenu = SystemColor(COLOR_MENU);
inline constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
inline constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
inline constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
inline constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
inline constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
inline constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
inline constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
inline constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
inline constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
inline constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
inline constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
inline constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
inline constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
inline constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
inline constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
inline constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
inline constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
inline constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
inline constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
inline constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
inline constexpr TColor clHotLight = SystemColor(COLOR_HOTLIGHT);
inline constexpr TColor clGradientActiveCaption = SystemColor(COLOR_GRADIENTACTIVECAPTION);
inline constexpr TColor clGradientInactiveCaption = SystemColor(COLOR_GRADIENTINACTIVECAPTION);
inline constexpr TColor clMenuHighlight = SystemColor(COLOR_MENUHILIGHT);
inline constexpr TColor clMenuBar = SystemColor(COLOR_MENUBAR);

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clLtGray = clSilver;
inline constexpr TColor clDkGray = clGray;
inline constexpr TColor clWhite = 0xFFFFFF;
// The unset colour; wherever a real colour is needed it resolves to black.
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;
// What reading a pixel outside the device answers.
inline constexpr TColor CLR_INVALID = TColor(0xFFFFFFFFu);

inline constexpr TColor RGB(int R, int G, int B)
{
    return TColor((unsigned(R) & 0xFF) | ((unsigned(G) & 0xFF) << 8) | ((unsigned(B) & 0xFF) << 16));
}
inline constexpr int GetRValue(TColor C) { return int(unsigned(C) & 0xFF); }
inline constexpr int GetGValue(TColor C) { return int((unsigned(C) >> 8) & 0xFF); }
inline constexpr int GetBValue(TColor C) { return int((unsigned(C) >> 16) & 0xFF); }

// The theme table's RGB value of system colour `Index` (0 for unknown indexes).
TColor GetSysColor(int Index);
// System colours become their theme RGB; clNone and clDefault become black;
// anything else keeps its low 24 bits.
TColor ColorToRGB(TColor Color);
bool IsSystemColor(TColor Color);
// The name of a listed colour ("clBtnFace"), or "$00BBGGRR" for others.
std::string ColorToString(TColor Color);
// Accepts the names ColorToString gives and numbers ("$FF", "255"); EConvertError otherwise.
TColor StringToColor(const std::string& Text);

// ---------------------------------------------------------------------------
enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed };
using TFontCharset = std::uint8_t;
inline constexpr TFontCharset ANSI_CHARSET = 0;
inline constexpr TFontCharset DEFAULT_CHARSET = 1;
inline constexpr TFontCharset SYMBOL_CHARSET = 2;
inline constexpr TFontCharset OEM_CHARSET = 255;

// The family the font name maps to on this system: "Arial" -> Liberation Sans,
// "Times New Roman" -> Liberation Serif, "Courier New" -> Liberation Mono,
// "MS Sans Serif"/"Tahoma" and unknown names -> the sans family.
std::string MapFontFamily(const std::string& Name);
// Pixels per inch of the screen the fonts default to (96).
int ScreenPixelsPerInch();

class TFont : public TPersistent {
    QEL_CLASS(TFont)
public:
    TFont();
    ~TFont() override;

    const std::string& Name() const { return m_name; }
    void SetName(const std::string& Name);
    // Point size; for a positive (cell) height it is negative, as the platform answers.
    int Size() const;
    void SetSize(int Points);
    // Negative: character height; positive: cell height (ascent + descent), in pixels
    // of PixelsPerInch (or logical units of the canvas it is selected into).
    int Height() const { return m_height; }
    void SetHeight(int Height);
    TFontStyles Style() const { return m_style; }
    void SetStyle(TFontStyles Style);
    TColor Color() const { return m_color; }
    void SetColor(TColor Color);
    TFontCharset Charset() const { return m_charset; }
    void SetCharset(TFontCharset Charset);
    TFontPitch Pitch() const { return m_pitch; }
    void SetPitch(TFontPitch Pitch);
    // Changing it keeps Height; Size is read against it.
    int PixelsPerInch() const { return m_pixelsPerInch; }
    void SetPixelsPerInch(int Ppi);

    // From another font: name, height, style, charset, pitch, colour; when the
    // pixels per inch differ, the point size is kept instead of the height.
    void Assign(TPersistent* Source) override;
    bool Equals(const TFont& Other) const;

    // The Qt font for a pixel height (|Height| or the cell height), unhinted.
    // Qt escape hatch: platform/ only; components measure and draw text
    // through TCanvas.
    QFont QtFont() const;
    QFont QtFontForPixelHeight(int Height) const;

    // Owners listen here (change links); OnChange is the user's.
    TChangeLinks& Changes() { return m_changes; }
    TNotifyEvent OnChange;

protected:
    // Tells the links, then OnChange.
    virtual void Changed();

private:
    std::string m_name{"MS Sans Serif"};
    int m_height{-11};
    TFontStyles m_style{};
    TColor m_color{clWindowText};
    TFontCharset m_charset{DEFAULT_CHARSET};
    TFontPitch m_pitch{fpDefault};
    int m_pixelsPerInch{96};
    TChangeLinks m_changes;
};

// ---------------------------------------------------------------------------
enum TPenStyle : std::uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode : std::uint8_t {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

class TPen : public TPersistent {
    QEL_CLASS(TPen)
public:
    TPen() = default;

    TColor Color() const { return m_color; }
    void SetColor(TColor Color);
    // In logical units; 0 and 1 both draw one device pixel wide.
    int Width() const { return m_width; }
    void SetWidth(int Width);
    TPenStyle Style() const { return m_style; }
    void SetStyle(TPenStyle Style);
    TPenMode Mode() const { return m_mode; }
    void SetMode(TPenMode Mode);

    void Assign(TPersistent* Source) override;

    // Owners listen here (change links); OnChange is the user's.
    TChangeLinks& Changes() { return m_changes; }
    TNotifyEvent OnChange;

protected:
    // Tells the links, then OnChange.
    virtual void Changed();

private:
    TColor m_color{clBlack};
    int m_width{1};
    TPenStyle m_style{psSolid};
    TPenMode m_mode{pmCopy};
    TChangeLinks m_changes;
};

// ---------------------------------------------------------------------------
enum TBrushStyle : std::uint8_t {
    bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross
};

class TBitmap;

class TBrush : public TPersistent {
    QEL_CLASS(TBrush)
public:
    TBrush();
    ~TBrush() override;

    TColor Color() const { return m_color; }
    void SetColor(TColor Color);    // a bsClear brush becomes bsSolid, as the platform does
    TBrushStyle Style() const { return m_style; }
    void SetStyle(TBrushStyle Style);
    // A pattern brush: the brush keeps its own copy of the bitmap (the top-left
    // 8x8 pixels are the pattern); nullptr removes the pattern.
    const TBitmap* Bitmap() const { return m_bitmap.get(); }
    void SetBitmap(const TBitmap* Bitmap);
    bool HasPattern() const { return m_bitmap != nullptr; }

    void Assign(TPersistent* Source) override;

    // Owners listen here (change links); OnChange is the user's.
    TChangeLinks& Changes() { return m_changes; }
    TNotifyEvent OnChange;

protected:
    // Tells the links, then OnChange.
    virtual void Changed();

private:
    TColor m_color{clWhite};
    TBrushStyle m_style{bsSolid};
    std::unique_ptr<TBitmap> m_bitmap;
    TChangeLinks m_changes;
};

// Qt colour of a TColor (system colours resolved, clNone black). Qt escape
// hatch: platform/ only.
QColor ToQColor(TColor Color);
TColor FromQColor(const QColor& Color);

} // namespace qel
