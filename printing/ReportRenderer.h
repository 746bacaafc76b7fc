#pragma once
// TdxPSReportRenderer: paints page N of a built report onto any canvas — the
// printer device, a PDF page, the preview control, the small page pictures.
// It learns the device only from the canvas (technology and pixels per
// inch), maps the report's units onto the page rectangle isotropically and
// draws the page header and footer, the title, the repeated cells and the
// rows of the page. The drawing operations below are what the cells draw
// themselves with.
//
//   link.Renderer()->RenderPage(canvas, pageRect, pageIndex, realPageIndex, 100);
//
// Whatever a custom-draw handler raises, the canvas's mapping, clip and
// drawing objects, the render info's lock and the item being drawn are put
// back before the error leaves.
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Graphics.h"
#include "printing/HeaderFooterFunctions.h"
#include "printing/ReportCells.h"

#include <memory>
#include <optional>
#include <string>

namespace qel {

class TBasedxReportLink;
class TBitmap;
class TCustomdxPageObject;
class TdxPSReportRenderInfo;
class TImageList;
struct TdxPageInfo;

class TdxPSReportRenderer {
public:
    explicit TdxPSReportRenderer(TBasedxReportLink* AReportLink);
    virtual ~TdxPSReportRenderer();
    TdxPSReportRenderer(const TdxPSReportRenderer&) = delete;
    TdxPSReportRenderer& operator=(const TdxPSReportRenderer&) = delete;

    TBasedxReportLink* ReportLink() const { return m_reportLink; }

    // Paints page RealPageIndex into PageRect (device pixels) of Canvas.
    // PageIndex is the index the caller shows (custom-draw handlers see it);
    // Zoom is the preview's zoom in percent.
    virtual void RenderPage(TCanvas& Canvas, const TRect& PageRect, int PageIndex, int RealPageIndex, int Zoom);

    // ----- per page: set while a page is drawn
    TCanvas* Canvas() const { return m_canvas; }
    // Report units per device pixel (even, at least 1), the line width and half of it.
    int PixelSize() const { return m_pixelSize; }
    int LineWidth() const { return m_lineWidth; }
    int HalfLineWidth() const { return m_lineWidth / 2; }
    bool IsPrinting() const { return m_isPrinter; }
    int DevicePixelsPerInch() const { return m_devicePPI; }
    int PageIndex() const { return m_pageIndex; }
    int RealPageIndex() const { return m_realPageIndex; }
    int Zoom() const { return m_zoom; }
    // Screen pixels in report units.
    int ScreenPixels(int Pixels) const;

    // ----- the drawing operations of the cells (logical units)
    void FillRect(TCanvas& Canvas, const TRect& Rect, TColor Color);
    void FillRgn(TCanvas& Canvas, const TRegion& Region, TColor Color);
    void FrameRect(TCanvas& Canvas, const TRect& Rect, TColor Color);
    // Strips of one line width, right, bottom, left, top, each taken off Rect.
    void DrawBorders(TCanvas& Canvas, TRect& Rect, TdxCellSides Sides, TdxCellEdgeStyle OuterStyle,
                     TdxCellEdgeStyle InnerStyle, TdxCellEdgeMode EdgeMode);
    void DrawText(TCanvas& Canvas, TRect Rect, bool EndEllipsis, bool Multiline, bool Opaque, TdxTextAlignY AlignY,
                  TdxTextAlignX AlignX, TColor Color, const TFont* Font, const std::string& Text, int Indent);
    void DrawCheck(TCanvas& Canvas, const TRect& Rect, bool Flat, bool Enabled, bool Checked);
    void DrawSortMark(TCanvas& Canvas, const TRect& Rect, TdxCellSortOrder SortOrder, bool Flat);
    void DrawImage(TCanvas& Canvas, const TRect& ImageRect, TColor Color, bool ItemTransparent, bool ImageTransparent,
                   const TGraphic* Graphic, int ImageIndex, const TImageList* ImageList, const TRect& ContentRect);
    // The clip region before (device units; nullopt: none), then intersected with Rect.
    std::optional<TRegion> SaveClip(TCanvas& Canvas, const TRect& Rect);
    void RestoreClip(TCanvas& Canvas, const std::optional<TRegion>& Saved);

    // Offers an item to the link's custom drawing; true when the link drew it.
    bool OfferCustomDraw(TCanvas& Canvas, TAbstractdxReportCellData& Item, const TRect& Rect);

    // The font an item draws with: its pool font, or the report's for -1 and
    // for an index past the pool.
    const TFont* ItemFont(int FontIndex) const;
    // A custom-draw handler's own font for the item being drawn (its font
    // index is then -1); it holds until that item is drawn.
    void SetCustomDrawFont(const TFont* Font) { m_customDrawFont = Font; }

    // Draws the cell's children and data items (the cell's own top-left at
    // the canvas origin), skipping what is not visible or outside Clip
    // (Clip in the cell's own coordinates).
    virtual void DrawCell(TCanvas& Canvas, TdxReportCell& Cell, const TRect& Clip);
    virtual void DrawReportTitle(TCanvas& Canvas, const TRect& Rect);
    virtual void DrawPageHeaderFooter(TCanvas& Canvas, TCustomdxPageObject& HF, int PageIndex, const TRect& Rect);

protected:
    virtual void PrepareRenderPage(TCanvas& Canvas, const TRect& PageRect);
    virtual void DrawPageContent(TCanvas& Canvas, const TdxPageInfo& Page);
    // One data item: custom drawing under a clone that is put back afterwards.
    void DrawDataItem(TCanvas& Canvas, TAbstractdxReportCellData& Item, const TRect& Rect);
    // The children of a repeated cell at Top, the page column starting at Left.
    void DrawRepeatedCell(TCanvas& Canvas, TdxReportCell& Cell, const TRect& Area, int Top, std::int64_t Left);
    void DrawLines(TCanvas& Canvas, const TRect& Rect, TStrings& Lines, TdxTextAlignX AlignX, TdxTextAlignY AlignY);
    void DrawGreyBar(TCanvas& Canvas, const TRect& Rect, const TFont* Font);
    // Selects a pooled brush or a font unless the canvas has it already.
    void UseBrush(TCanvas& Canvas, TColor Color);
    void UseFont(TCanvas& Canvas, const TFont& Font);

private:
    TBasedxReportLink* m_reportLink;
    TCanvas* m_canvas{nullptr};
    int m_devicePPI{96};
    bool m_isPrinter{false};
    TRect m_pageRect;
    int m_zoom{100};
    int m_pageIndex{0};
    int m_realPageIndex{0};
    int m_pixelSize{1};
    int m_lineWidth{1};
    int m_fontPixelsPerInch{9600};
    std::unique_ptr<TBrush> m_borderBrush;
    std::unique_ptr<TFont> m_reportFont;   // the report's font, prepared for the page
    const TFont* m_customDrawFont{nullptr};
    std::unique_ptr<TBitmap> m_halftone;   // the grey of unreadably small text
    TdxHFFunctionFormatObject m_formatObject;
};

} // namespace qel
