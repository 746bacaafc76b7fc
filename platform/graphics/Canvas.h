#pragma once
// TCanvas: the platform's drawing surface over a QPainter. Coordinates are
// integer logical units; the mapping mode (window/viewport extents and
// origins) turns them into device pixels. Right and bottom edges are
// exclusive, LineTo leaves out its end point, and clip regions are in device
// units, as on the platform.
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Region.h"
#include "platform/graphics/TextLayout.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPainter;
class QPaintDevice;
class QImage;
class QString;
class QFont;
class QPointF;
class QFontMetricsF;

namespace qel {

class TGraphic;

// ----- DrawText formats -------------------------------------------------------
enum : unsigned {
    DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_TABSTOP = 0x80,
    DT_NOCLIP = 0x100, DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800,
    DT_INTERNAL = 0x1000, DT_EDITCONTROL = 0x2000, DT_PATH_ELLIPSIS = 0x4000, DT_END_ELLIPSIS = 0x8000,
    DT_MODIFYSTRING = 0x10000, DT_RTLREADING = 0x20000, DT_WORD_ELLIPSIS = 0x40000,
    DT_HIDEPREFIX = 0x100000
};

// ----- ExtTextOut options -----------------------------------------------------
enum : unsigned { ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4 };

// ----- Background modes -------------------------------------------------------
enum : int { TRANSPARENT = 1, OPAQUE = 2 };

// ----- DrawEdge ----------------------------------------------------------------
enum : unsigned {
    BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4, BDR_SUNKENINNER = 0x8,
    BDR_OUTER = 0x3, BDR_INNER = 0xC, BDR_RAISED = 0x5, BDR_SUNKEN = 0xA,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER, EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER, EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER
};
enum : unsigned {
    BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8,
    BF_TOPLEFT = BF_TOP | BF_LEFT, BF_TOPRIGHT = BF_TOP | BF_RIGHT,
    BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT, BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT,
    BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
    BF_DIAGONAL = 0x10, BF_MIDDLE = 0x800, BF_SOFT = 0x1000, BF_ADJUST = 0x2000,
    BF_FLAT = 0x4000, BF_MONO = 0x8000
};

// ----- DrawFrameControl ------------------------------------------------------
enum : unsigned { DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4 };
enum : unsigned {
    // DFC_BUTTON
    DFCS_BUTTONCHECK = 0x0, DFCS_BUTTONRADIOIMAGE = 0x1, DFCS_BUTTONRADIOMASK = 0x2,
    DFCS_BUTTONRADIO = 0x4, DFCS_BUTTON3STATE = 0x8, DFCS_BUTTONPUSH = 0x10,
    // DFC_SCROLL
    DFCS_SCROLLUP = 0x0, DFCS_SCROLLDOWN = 0x1, DFCS_SCROLLLEFT = 0x2, DFCS_SCROLLRIGHT = 0x3,
    DFCS_SCROLLCOMBOBOX = 0x5, DFCS_SCROLLSIZEGRIP = 0x8, DFCS_SCROLLSIZEGRIPRIGHT = 0x10,
    // states
    DFCS_INACTIVE = 0x100, DFCS_PUSHED = 0x200, DFCS_CHECKED = 0x400, DFCS_TRANSPARENT = 0x800,
    DFCS_HOT = 0x1000, DFCS_ADJUSTRECT = 0x2000, DFCS_FLAT = 0x4000, DFCS_MONO = 0x8000
};

// ----- Mapping modes ----------------------------------------------------------
enum : int { MM_TEXT = 1, MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8 };

// ----- Device capabilities -------------------------------------------------------
enum : int {
    TECHNOLOGY = 2, HORZSIZE = 4, VERTSIZE = 6, HORZRES = 8, VERTRES = 10, BITSPIXEL = 12,
    LOGPIXELSX = 88, LOGPIXELSY = 90, PHYSICALWIDTH = 110, PHYSICALHEIGHT = 111,
    PHYSICALOFFSETX = 112, PHYSICALOFFSETY = 113
};
enum : int { DT_PLOTTER = 0, DT_RASDISPLAY = 1, DT_RASPRINTER = 2, DT_METAFILE = 5 };

// What GetDeviceCaps answers; derived from the paint device unless a target
// (a printer) sets its own.
struct TDeviceCaps {
    int Technology = DT_RASDISPLAY;
    int LogPixelsX = 96, LogPixelsY = 96;
    int HorzRes = 0, VertRes = 0;            // printable area, pixels
    int PhysicalWidth = 0, PhysicalHeight = 0; // whole page, pixels
    int PhysicalOffsetX = 0, PhysicalOffsetY = 0;
    int HorzSize = 0, VertSize = 0;          // printable area, millimetres
    int BitsPixel = 32;
};

// One drawing operation as a recording canvas keeps it: the operation name
// ("TextOut", "FillRect", ...), its bounds in device units and its text.
struct TCanvasRecord {
    std::string Op;
    TRect Rect;
    std::string Text;
};

enum TCheckBoxState : std::uint8_t { cbUnchecked, cbChecked, cbGrayed };

class TCanvas : public TPersistent {
    QEL_CLASS(TCanvas)
public:
    TCanvas();
    // Draws through a painter the caller owns and keeps active (a widget while
    // painting, a printer page); the painter's transform and clip at Attach are
    // the canvas's device space and outer clip. Detach (which restores the
    // painter's state) before the painter goes away. Qt escape hatch: the
    // painter and device constructor and Attach are for platform/ only.
    TCanvas(QPainter* Painter, QPaintDevice* Device);
    ~TCanvas() override;

    void Attach(QPainter* Painter, QPaintDevice* Device);
    void Detach();
    // True when drawing reaches a device; without one every operation is a no-op.
    bool HandleAllocated();

    // ----- drawing objects ---------------------------------------------------
    TFont* Font() { return m_font.get(); }
    void SetFont(TFont* Font) { m_font->Assign(Font); }
    TPen* Pen() { return m_pen.get(); }
    void SetPen(TPen* Pen) { m_pen->Assign(Pen); }
    TBrush* Brush() { return m_brush.get(); }
    void SetBrush(TBrush* Brush) { m_brush->Assign(Brush); }

    // Background for text and hatches: a brush change sets OPAQUE with the brush
    // colour for a solid brush and TRANSPARENT otherwise; these override it.
    int BkMode() const { return m_bkMode; }
    int SetBkMode(int Mode);                 // answers the previous mode
    TColor BkColor() const { return m_bkColor; }
    TColor SetBkColor(TColor Color);         // answers the previous colour
    // The text colour is the font's colour.
    TColor TextColor() const { return m_font->Color(); }
    TColor SetTextColor(TColor Color);

    TPoint PenPos() const { return m_penPos; }
    void SetPenPos(TPoint P) { m_penPos = P; }
    // Device-unit origin of pattern and hatch brushes.
    TPoint BrushOrigin() const { return m_brushOrigin; }
    void SetBrushOrigin(TPoint P) { m_brushOrigin = P; }

    // ----- shapes ---------------------------------------------------------------
    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Ellipse(const TRect& R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
    void Polygon(const std::vector<TPoint>& Points);
    void Polyline(const std::vector<TPoint>& Points);
    void FillRect(const TRect& R);            // with the brush, no outline
    // As FillRect for each, in one drawing operation (a PDF page gets one fill).
    void FillRects(const TRect* Rects, int Count);
    void FrameRect(const TRect& R);           // one device pixel, in the brush colour
    void FillRgn(const TRegion& Region);      // device units, with the brush
    void FillRgn(const TRegion& Region, TColor Color);
    void DrawFocusRect(const TRect& R);       // dotted, XOR: drawing it twice removes it
    void InvertRect(const TRect& R);

    // ----- text -------------------------------------------------------------------
    void TextOut(int X, int Y, const std::string& Text);
    void TextRect(const TRect& R, int X, int Y, const std::string& Text);
    int TextWidth(const std::string& Text);
    int TextHeight(const std::string& Text);
    TSize TextExtent(const std::string& Text);
    // Text at (X, Y) (top-left of the cell); ETO_OPAQUE fills `Rect` with the
    // background colour, ETO_CLIPPED clips to it. `Dx` gives per-character advances.
    void ExtTextOut(int X, int Y, unsigned Options, const TRect* Rect, const std::string& Text,
                    const std::vector<int>* Dx = nullptr);
    // The platform's DrawText: answers the height of the text drawn; with
    // DT_CALCRECT it draws nothing and sets rect's right and bottom. The
    // layout is LayoutText's (TextLayout.h) with the font's TFontTextMetrics.
    int DrawText(const std::string& Text, TRect& Rect, unsigned Format);

    // ----- 3-D and frame controls ------------------------------------------------
    bool DrawEdge(TRect& Rect, unsigned Edge, unsigned Flags);
    bool DrawFrameControl(TRect& Rect, unsigned Type, unsigned State);

    // ----- images -------------------------------------------------------------------
    void Draw(int X, int Y, const TGraphic* Graphic);
    void StretchDraw(const TRect& R, const TGraphic* Graphic);
    // A picture that draws part of an operation recorded already (a frame
    // control's glyph): recordings see the operation, not the picture.
    void DrawPartPicture(const TRect& R, const TGraphic* Graphic);
    void CopyRect(const TRect& Dest, TCanvas* Source, const TRect& Src);
    TColor Pixels(int X, int Y);
    void SetPixels(int X, int Y, TColor Color);

    // ----- state --------------------------------------------------------------------
    int SaveDC();                              // answers the saved level
    bool RestoreDC(int Level);                 // -1: the last saved state

    // ----- clipping -------------------------------------------------------------------
    int IntersectClipRect(const TRect& R);     // logical units
    int ExcludeClipRect(const TRect& R);       // logical units
    // Replaces the clip region (device units); nullptr removes clipping.
    int SelectClipRgn(const TRegion* Region);
    int ExtSelectClipRgn(const TRegion* Region, TRegionCombine Mode);
    // Answers false when there is no clip region; otherwise sets `Region`.
    bool GetClipRgn(TRegion& Region) const;
    TRect ClipRect();                          // clip box, logical units
    bool RectVisible(const TRect& R);          // logical units
    bool PtVisible(int X, int Y);

    // ----- mapping ---------------------------------------------------------------------
    int MapMode() const { return m_map.Mode; }
    int SetMapMode(int Mode);                 // answers the previous mode
    TSize WindowExt() const { return m_map.WndExt; }
    TSize ViewportExt() const { return m_map.VpExt; }
    TPoint WindowOrg() const { return m_map.WndOrg; }
    TPoint ViewportOrg() const { return m_map.VpOrg; }
    void SetWindowExt(int Cx, int Cy);
    void SetViewportExt(int Cx, int Cy);
    void SetWindowOrg(int X, int Y);
    void SetViewportOrg(int X, int Y);
    void OffsetWindowOrg(int Dx, int Dy);
    void OffsetViewportOrg(int Dx, int Dy);
    TPoint LPtoDP(TPoint P) const;
    TPoint DPtoLP(TPoint P) const;
    TRect LPtoDP(const TRect& R) const;
    TRect DPtoLP(const TRect& R) const;
    void LPtoDP(TPoint* Points, int Count) const;
    void DPtoLP(TPoint* Points, int Count) const;

    // ----- device --------------------------------------------------------------------------
    int GetDeviceCaps(int Index) const;
    const TDeviceCaps& DeviceCaps() const { RefreshCaps(); return m_caps; }
    void SetDeviceCaps(const TDeviceCaps& Caps) { m_caps = Caps; m_capsFixed = true; }
    // The painter with the canvas's clip applied and an identity world transform
    // over device pixels; nullptr without a device.
    // Qt escape hatch: platform/ only; components draw through TCanvas so that
    // recording canvases, PDF pages and printers see everything.
    QPainter* Painter();
    QPaintDevice* Device() const { return m_device; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    // A canvas that creates its painter on demand (a bitmap) overrides this.
    virtual QPainter* AcquirePainter() { return m_painter; }
    // Ends an on-demand painter; the canvas state stays and the next
    // operation begins a new one.
    virtual void ReleasePainter() {}
    // Recording canvases see each drawing operation; bounds in device units.
    virtual void Record(const char* Op, const TRect& DeviceBounds, const std::string& Text);
    // Called by on-demand targets once their painter is begun.
    void PainterStarted(QPainter* Painter, QPaintDevice* Device);
    void PainterEnded();
    // The device's image when it is one (for reading pixels), else nullptr.
    virtual QImage* DeviceImage() { return nullptr; }
    // The device's whole area in device units (no clip region means this).
    virtual TRect DeviceBounds() const;
    virtual void Changing();
    virtual void Changed();

    friend class TBitmap;
    friend class TMetafile;
    friend class TCanvasStateSaver;

public:
    struct MapState {
        int Mode = MM_TEXT;
        TPoint WndOrg{0, 0};
        TSize WndExt{1, 1};
        TPoint VpOrg{0, 0};
        TSize VpExt{1, 1};
    };

private:
    struct SavedState;
    struct Impl;

    QPainter* Ready();                        // painter prepared for device-space drawing, or nullptr
    void ApplyClip();
    void FixIsotropic();
    void BrushChanged();
    double ScaleX() const;
    double ScaleY() const;
    int DevLen(int Logical, bool Horizontal) const;
    int DevPenWidth() const;                  // device pixels of the pen, at least 1
    TRect DevRectNormalized(const TRect& Logical) const;
    TRect DevRectOriented(const TRect& Logical) const;
    void RefreshCaps() const;
    void DrawShape(const char* Op, const TRect& Logical, bool Ellipse);
    // One line of text with its cell's top-left at logical (Lx, Ly); `Underline`
    // marks an accelerator character; tabs expand to multiples of TabWidth (> 0).
    void DrawRun(QPainter* P, const QFont& Font, double Lx, double Ly, const QString& S,
                 int Underline, double TabWidth, const std::vector<int>* Dx);
    QPointF DevPointF(double Lx, double Ly) const;
    std::optional<TRegion> EffectiveClip() const;

    std::unique_ptr<TFont> m_font;
    std::unique_ptr<TPen> m_pen;
    std::unique_ptr<TBrush> m_brush;
    TChangeLink m_brushLink;
    QPainter* m_painter{nullptr};
    QPaintDevice* m_device{nullptr};
    bool m_attached{false};                   // Attach saved the painter's state
    std::unique_ptr<Impl> m_impl;             // base transform and clip of an attached painter
    mutable TDeviceCaps m_caps;
    bool m_capsFixed{false};
    TPoint m_brushOrigin{};
    MapState m_map;
    std::optional<TRegion> m_clip;            // device units
    int m_bkMode{OPAQUE};
    TColor m_bkColor{clWhite};
    TPoint m_penPos{};
    std::vector<SavedState> m_saved;
};

// Saves the canvas's state (drawing objects, mapping, clip, background) and
// restores it when leaving the scope, also on an exception.
class TCanvasStateSaver {
public:
    explicit TCanvasStateSaver(TCanvas& Canvas);
    ~TCanvasStateSaver();
    TCanvasStateSaver(const TCanvasStateSaver&) = delete;
    TCanvasStateSaver& operator=(const TCanvasStateSaver&) = delete;

private:
    TCanvas& m_canvas;
    int m_level;
};

// A font measured as the canvas measures it: line height from the rounded
// ascent and descent, advances without hinting.
class TFontTextMetrics : public TTextMetrics {
public:
    explicit TFontTextMetrics(const TFont& Font);
    explicit TFontTextMetrics(const QFont& Font);   // Qt escape hatch: platform/ only
    ~TFontTextMetrics() override;
    TFontTextMetrics(const TFontTextMetrics&) = delete;
    TFontTextMetrics& operator=(const TFontTextMetrics&) = delete;

    double RunWidth(std::u16string_view Run) const override;
    int LineHeight() const override { return m_lineHeight; }
    double AveCharWidth() const override { return m_aveCharWidth; }

private:
    std::unique_ptr<QFontMetricsF> m_metrics;
    int m_lineHeight = 0;
    double m_aveCharWidth = 0;
};

// Size of the built-in check-box glyph (13 x 13).
TSize CheckBoxGlyphSize();

} // namespace qel
