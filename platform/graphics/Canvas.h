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
    TCanvas(QPainter* painter, QPaintDevice* device);
    ~TCanvas() override;

    void Attach(QPainter* painter, QPaintDevice* device);
    void Detach();
    // True when drawing reaches a device; without one every operation is a no-op.
    bool HandleAllocated();

    // ----- drawing objects ---------------------------------------------------
    TFont* Font() { return m_font.get(); }
    void SetFont(TFont* font) { m_font->Assign(font); }
    TPen* Pen() { return m_pen.get(); }
    void SetPen(TPen* pen) { m_pen->Assign(pen); }
    TBrush* Brush() { return m_brush.get(); }
    void SetBrush(TBrush* brush) { m_brush->Assign(brush); }

    // Background for text and hatches: a brush change sets OPAQUE with the brush
    // colour for a solid brush and TRANSPARENT otherwise; these override it.
    int BkMode() const { return m_bkMode; }
    int SetBkMode(int mode);                 // answers the previous mode
    TColor BkColor() const { return m_bkColor; }
    TColor SetBkColor(TColor color);         // answers the previous colour
    // The text colour is the font's colour.
    TColor TextColor() const { return m_font->Color(); }
    TColor SetTextColor(TColor color);

    TPoint PenPos() const { return m_penPos; }
    void SetPenPos(TPoint p) { m_penPos = p; }
    // Device-unit origin of pattern and hatch brushes.
    TPoint BrushOrigin() const { return m_brushOrigin; }
    void SetBrushOrigin(TPoint p) { m_brushOrigin = p; }

    // ----- shapes ---------------------------------------------------------------
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void Polygon(const std::vector<TPoint>& points);
    void Polyline(const std::vector<TPoint>& points);
    void FillRect(const TRect& r);            // with the brush, no outline
    void FrameRect(const TRect& r);           // one device pixel, in the brush colour
    void FillRgn(const TRegion& region);      // device units, with the brush
    void FillRgn(const TRegion& region, TColor color);
    void DrawFocusRect(const TRect& r);       // dotted, XOR: drawing it twice removes it
    void InvertRect(const TRect& r);

    // ----- text -------------------------------------------------------------------
    void TextOut(int x, int y, const std::string& text);
    void TextRect(const TRect& r, int x, int y, const std::string& text);
    int TextWidth(const std::string& text);
    int TextHeight(const std::string& text);
    TSize TextExtent(const std::string& text);
    // Text at (x, y) (top-left of the cell); ETO_OPAQUE fills `rect` with the
    // background colour, ETO_CLIPPED clips to it. `dx` gives per-character advances.
    void ExtTextOut(int x, int y, unsigned options, const TRect* rect, const std::string& text,
                    const std::vector<int>* dx = nullptr);
    // The platform's DrawText: answers the height of the text drawn; with
    // DT_CALCRECT it draws nothing and sets rect's right and bottom. The
    // layout is LayoutText's (TextLayout.h) with the font's TFontTextMetrics.
    int DrawText(const std::string& text, TRect& rect, unsigned format);

    // ----- 3-D and frame controls ------------------------------------------------
    bool DrawEdge(TRect& rect, unsigned edge, unsigned flags);
    bool DrawFrameControl(TRect& rect, unsigned type, unsigned state);

    // ----- images -------------------------------------------------------------------
    void Draw(int x, int y, const TGraphic* graphic);
    void StretchDraw(const TRect& r, const TGraphic* graphic);
    void CopyRect(const TRect& dest, TCanvas* source, const TRect& src);
    TColor Pixels(int x, int y);
    void SetPixels(int x, int y, TColor color);

    // ----- state --------------------------------------------------------------------
    int SaveDC();                              // answers the saved level
    bool RestoreDC(int level);                 // -1: the last saved state

    // ----- clipping -------------------------------------------------------------------
    int IntersectClipRect(const TRect& r);     // logical units
    int ExcludeClipRect(const TRect& r);       // logical units
    // Replaces the clip region (device units); nullptr removes clipping.
    int SelectClipRgn(const TRegion* region);
    int ExtSelectClipRgn(const TRegion* region, TRegionCombine mode);
    // Answers false when there is no clip region; otherwise sets `region`.
    bool GetClipRgn(TRegion& region) const;
    TRect ClipRect();                          // clip box, logical units
    bool RectVisible(const TRect& r);          // logical units
    bool PtVisible(int x, int y);

    // ----- mapping ---------------------------------------------------------------------
    int MapMode() const { return m_map.Mode; }
    int SetMapMode(int mode);                 // answers the previous mode
    TSize WindowExt() const { return m_map.WndExt; }
    TSize ViewportExt() const { return m_map.VpExt; }
    TPoint WindowOrg() const { return m_map.WndOrg; }
    TPoint ViewportOrg() const { return m_map.VpOrg; }
    void SetWindowExt(int cx, int cy);
    void SetViewportExt(int cx, int cy);
    void SetWindowOrg(int x, int y);
    void SetViewportOrg(int x, int y);
    void OffsetWindowOrg(int dx, int dy);
    void OffsetViewportOrg(int dx, int dy);
    TPoint LPtoDP(TPoint p) const;
    TPoint DPtoLP(TPoint p) const;
    TRect LPtoDP(const TRect& r) const;
    TRect DPtoLP(const TRect& r) const;
    void LPtoDP(TPoint* points, int count) const;
    void DPtoLP(TPoint* points, int count) const;

    // ----- device --------------------------------------------------------------------------
    int GetDeviceCaps(int index) const;
    const TDeviceCaps& DeviceCaps() const { RefreshCaps(); return m_caps; }
    void SetDeviceCaps(const TDeviceCaps& caps) { m_caps = caps; m_capsFixed = true; }
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
    virtual void Record(const char* op, const TRect& deviceBounds, const std::string& text);
    // Called by on-demand targets once their painter is begun.
    void PainterStarted(QPainter* painter, QPaintDevice* device);
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
    int DevLen(int logical, bool horizontal) const;
    int DevPenWidth() const;                  // device pixels of the pen, at least 1
    TRect DevRectNormalized(const TRect& logical) const;
    TRect DevRectOriented(const TRect& logical) const;
    void RefreshCaps() const;
    void DrawShape(const char* op, const TRect& logical, bool ellipse);
    // One line of text with its cell's top-left at logical (lx, ly); `underline`
    // marks an accelerator character; tabs expand to multiples of tabWidth (> 0).
    void DrawRun(QPainter* p, const QFont& font, double lx, double ly, const QString& s,
                 int underline, double tabWidth, const std::vector<int>* dx);
    QPointF DevPointF(double lx, double ly) const;
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
    explicit TCanvasStateSaver(TCanvas& canvas);
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
