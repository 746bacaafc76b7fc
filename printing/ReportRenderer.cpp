#include "printing/ReportRenderer.h"

#include "platform/core/Guards.h"
#include "platform/core/MathUtils.h"
#include "platform/core/Strings.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "printing/PSEngine.h"
#include "printing/ReportLink.h"

#include <algorithm>

namespace qel {

namespace {

TRect Inflated(TRect R, int D)
{
    InflateRect(R, D, D);
    return R;
}

bool RectsMeet(const TRect& A, const TRect& B)
{
    return std::max(A.Left, B.Left) < std::min(A.Right, B.Right) && std::max(A.Top, B.Top) < std::min(A.Bottom, B.Bottom);
}

TRect Shifted(TRect R, int Dx, int Dy)
{
    OffsetRect(R, Dx, Dy);
    return R;
}

unsigned AlignXFlags(TdxTextAlignX AlignX)
{
    return AlignX == taCenterX ? DT_CENTER : AlignX == taRight ? DT_RIGHT : DT_LEFT;
}

// A font copy whose height is in logical units of PixelsPerInch, its point size kept.
void PrepareFont(TFont& Font, const TFont& Source, int PixelsPerInch)
{
    Font.SetPixelsPerInch(Source.PixelsPerInch());
    Font.Assign(const_cast<TFont*>(&Source));
    const int points = Font.Size();
    Font.SetPixelsPerInch(PixelsPerInch);
    Font.SetHeight(-MulDiv(points, PixelsPerInch, 72));
}

void SelectFont(TCanvas& Canvas, const TFont& Font)
{
    // Same resolution on both sides: the height is taken as it is.
    Canvas.Font()->SetPixelsPerInch(Font.PixelsPerInch());
    Canvas.SetFont(const_cast<TFont*>(&Font));
}

} // namespace

TdxPSReportRenderer::TdxPSReportRenderer(TBasedxReportLink* AReportLink) : m_reportLink(AReportLink) {}

TdxPSReportRenderer::~TdxPSReportRenderer() = default;

int TdxPSReportRenderer::ScreenPixels(int Pixels) const
{
    return MulDiv(Pixels, m_reportLink->RenderInfo()->GetUnitsPerInch(), 96);
}

const TFont* TdxPSReportRenderer::ItemFont(int FontIndex) const
{
    TdxPSReportFontPool* pool = m_reportLink->FontPool();
    if (FontIndex >= 0 && FontIndex < pool->Count())
        return pool->Items(FontIndex);
    if (FontIndex < 0 && m_customDrawFont)
        return m_customDrawFont;
    return m_reportFont.get();
}

// ----- the page ---------------------------------------------------------------------------------------

void TdxPSReportRenderer::RenderPage(TCanvas& Canvas, const TRect& PageRect, int PageIndex, int RealPageIndex,
                                     int Zoom)
{
    TdxPSReportRenderInfo* info = m_reportLink->RenderInfo();
    const TdxPageInfo* found = info->Page(RealPageIndex);
    if (!found || PageRect.IsEmpty())
        return;
    // A copy: a handler that asks for the page count cuts more pages meanwhile.
    const TdxPageInfo page = *found;
    m_pageRect = PageRect;
    m_zoom = Zoom;
    m_pageIndex = PageIndex;
    m_realPageIndex = RealPageIndex;
    {
        info->Lock();
        Finally unlock([info] { info->Unlock(); });
        TCanvasStateSaver saver(Canvas);
        Finally drop([this] {
            m_borderBrush.reset();
            m_reportFont.reset();
            m_canvas = nullptr;
        });
        m_canvas = &Canvas;
        PrepareRenderPage(Canvas, PageRect);

        const int scale = info->ZoomDenominator();
        auto toLogical = [scale](const TRect& R) {
            return TRect{MulDiv(R.Left, 100, scale), MulDiv(R.Top, 100, scale), MulDiv(R.Right, 100, scale),
                         MulDiv(R.Bottom, 100, scale)};
        };
        // The page in force is asked each time: a handler may free the style that holds it.
        const TRect header = toLogical(info->PageHeaderRect());
        if (!header.IsEmpty() && (m_isPrinter || Canvas.RectVisible(header)))
            DrawPageHeaderFooter(Canvas, *m_reportLink->GetRealPrinterPage()->PageHeader(), PageIndex, header);
        const TRect footer = toLogical(info->PageFooterRect());
        if (!footer.IsEmpty() && (m_isPrinter || Canvas.RectVisible(footer)))
            DrawPageHeaderFooter(Canvas, *m_reportLink->GetRealPrinterPage()->PageFooter(), PageIndex, footer);
        if (!info->TitleRect().IsEmpty() && page.HasTitle) {
            const TRect title = Shifted(info->TitleRect(), dxToCanvasCoord(page.TitleOffsetX),
                                        dxToCanvasCoord(page.TitleOffsetY));
            if (Canvas.RectVisible(title))
                DrawReportTitle(Canvas, title);
        }
        DrawPageContent(Canvas, page);
    }
    if (TAbstractdxComponentPrinter* printer = m_reportLink->ComponentPrinter())
        printer->DoCustomDrawPage(m_reportLink, Canvas, PageIndex, PageRect, 100, info->ZoomDenominator());
}

void TdxPSReportRenderer::PrepareRenderPage(TCanvas& Canvas, const TRect& PageRect)
{
    TdxPSReportRenderInfo* info = m_reportLink->RenderInfo();
    const int scale = info->ZoomDenominator();
    const int upi = info->GetUnitsPerInch();
    const int windowWidth = dxToCanvasCoord(dxReportMulDiv(info->PaperWidth(), 100, scale));
    const int windowHeight = dxToCanvasCoord(dxReportMulDiv(info->PaperHeight(), 100, scale));
    Canvas.SetMapMode(MM_ISOTROPIC);
    Canvas.SetWindowOrg(0, 0);
    Canvas.SetWindowExt(std::max(1, windowWidth), std::max(1, windowHeight));
    Canvas.SetViewportExt(PageRect.Width(), PageRect.Height());
    Canvas.SetViewportOrg(PageRect.Left, PageRect.Top);
    m_devicePPI = Canvas.GetDeviceCaps(LOGPIXELSX);
    if (m_devicePPI <= 0)
        m_devicePPI = 96;
    m_isPrinter = Canvas.GetDeviceCaps(TECHNOLOGY) == DT_RASPRINTER;
    const int viewport = std::max(1, std::abs(Canvas.ViewportExt().cx));
    m_pixelSize = std::max(1, (std::max(1, windowWidth) / viewport) & ~1);
    if (m_isPrinter)
        m_lineWidth = std::max(1, MulDiv(m_pixelSize, m_devicePPI, 72 * 2));
    else
        m_lineWidth = m_pixelSize * (m_zoom > 100 ? m_zoom / 100 : 1);
    // Text at its point size when the link does not scale fonts.
    m_fontPixelsPerInch = upi;
    if (!m_reportLink->ScaleFonts() && scale != 100)
        m_fontPixelsPerInch = MulDiv(upi, 100, scale);
    m_reportLink->FontPool()->PrepareFonts(m_fontPixelsPerInch);
    m_reportFont = std::make_unique<TFont>();
    PrepareFont(*m_reportFont, *info->ReportFont(), m_fontPixelsPerInch);
    m_borderBrush = std::make_unique<TBrush>();
    m_borderBrush->SetColor(info->BorderColor());
    Canvas.SetBkMode(TRANSPARENT);
    UseFont(Canvas, *m_reportFont);
}

void TdxPSReportRenderer::DrawPageContent(TCanvas& Canvas, const TdxPageInfo& Page)
{
    TdxReportCells* cells = m_reportLink->ReportCells();
    if (!cells)
        return;
    const int half = HalfLineWidth();
    Canvas.OffsetWindowOrg(-dxToCanvasCoord(Page.OffsetX), -dxToCanvasCoord(Page.OffsetY));
    const int width = dxToCanvasCoord(Page.Bounds.Width());
    const int height = dxToCanvasCoord(Page.Bounds.Height());
    int y = 0;
    if (Page.HasHeader && cells->HeaderCellIfAny()) {
        TdxReportCell& header = *cells->HeaderCellIfAny();
        const int h = dxToCanvasCoord(header.Height());
        DrawRepeatedCell(Canvas, header, TRect{-2 * half, y - half, width, y + h}, y, Page.Bounds.Left);
        y += h;
    }
    if (Page.RunCount > 0) {
        // The rows between the breaks, clipped to them: a row that crosses a
        // break shows its part on each page.
        const TRect area{-2 * half, y - half, width, y + height + half};
        const auto saved = SaveClip(Canvas, area);
        TdxReportCell& root = *cells->Cells();
        const TRect64 rootRect = root.AbsoluteRect();
        const auto& runs = m_reportLink->RenderInfo()->Pagination().Runs;
        for (int k = 0; k < Page.RunCount; ++k) {
            const TdxRowRun run = runs[static_cast<std::size_t>(Page.FirstRun + k)];
            for (int i = run.First; i <= run.Last; ++i) {
                TdxReportCell& row = *root.Cells(i);
                const TRect64 b = row.BoundsRect64();
                const int dx = dxToCanvasCoord(rootRect.Left + b.Left - Page.Bounds.Left);
                const int dy = dxToCanvasCoord(rootRect.Top + b.Top - Page.Bounds.Top) + y;
                const TRect rowRect{dx, dy, dx + row.Width(), dy + dxToCanvasCoord(row.Height())};
                if (!Canvas.RectVisible(Inflated(rowRect, half)))
                    continue;
                Canvas.OffsetWindowOrg(-dx, -dy);
                DrawCell(Canvas, row, Shifted(area, -dx, -dy));
                Canvas.OffsetWindowOrg(dx, dy);
            }
        }
        RestoreClip(Canvas, saved);
    }
    y += height;
    if (Page.HasFooter && cells->FooterCellIfAny()) {
        TdxReportCell& footer = *cells->FooterCellIfAny();
        const int h = dxToCanvasCoord(footer.Height());
        DrawRepeatedCell(Canvas, footer, TRect{-2 * half, y, width, y + h + half}, y, Page.Bounds.Left);
    }
}

void TdxPSReportRenderer::DrawRepeatedCell(TCanvas& Canvas, TdxReportCell& Cell, const TRect& Area, int Top,
                                           std::int64_t Left)
{
    const auto saved = SaveClip(Canvas, Area);
    for (int i = 0; i < Cell.CellCount(); ++i) {
        TdxReportCell& child = *Cell.Cells(i);
        const int dx = dxToCanvasCoord(Cell.Left() + child.Left() - Left);
        const int dy = Top + dxToCanvasCoord(child.Top());
        const TRect r{dx, dy, dx + child.Width(), dy + dxToCanvasCoord(child.Height())};
        if (!RectsMeet(r, Area) || !Canvas.RectVisible(Inflated(r, HalfLineWidth())))
            continue;
        Canvas.OffsetWindowOrg(-dx, -dy);
        DrawCell(Canvas, child, Shifted(Area, -dx, -dy));
        Canvas.OffsetWindowOrg(dx, dy);
    }
    RestoreClip(Canvas, saved);
}

// ----- cells ---------------------------------------------------------------------------------------------

void TdxPSReportRenderer::DrawCell(TCanvas& Canvas, TdxReportCell& Cell, const TRect& Clip)
{
    TRect r{0, 0, Cell.Width(), dxToCanvasCoord(Cell.Height())};
    if (Cell.HasBorder())
        DrawBorders(Canvas, r, Cell.CellSides(), Cell.OuterEdgeStyle(), Cell.InnerEdgeStyle(), Cell.EdgeMode());
    if (!Cell.Transparent())
        FillRect(Canvas, r, Cell.Color());
    // Clipping to the cell changes nothing while everything in it lies
    // inside; setting a clip region costs, so only cells that need one get it.
    const TRect own{0, 0, Cell.Width(), dxToCanvasCoord(Cell.Height())};
    bool overflows = false;
    auto inside = [&own](const TRect& B) {
        return B.Left >= own.Left && B.Top >= own.Top && B.Right <= own.Right && B.Bottom <= own.Bottom;
    };
    for (int i = 0; i < Cell.CellCount() && !overflows; ++i)
        overflows = !inside(Cell.Cells(i)->BoundsRect());
    for (int i = 0; i < Cell.DataItemCount() && !overflows; ++i)
        overflows = !inside(Cell.DataItems(i)->BoundsRect());
    std::optional<std::optional<TRegion>> saved;
    if (overflows)
        saved = SaveClip(Canvas, r);
    const int half = HalfLineWidth();
    for (int i = 0; i < Cell.CellCount(); ++i) {
        TdxReportCell& child = *Cell.Cells(i);
        const TRect b = child.BoundsRect();
        if (!RectsMeet(b, Clip) || !Canvas.RectVisible(Inflated(b, half)))
            continue;
        Canvas.OffsetWindowOrg(-b.Left, -b.Top);
        DrawCell(Canvas, child, Shifted(Clip, -b.Left, -b.Top));
        Canvas.OffsetWindowOrg(b.Left, b.Top);
    }
    for (int i = Cell.DataItemCount(); i-- > 0;) {
        TAbstractdxReportCellData& item = *Cell.DataItems(i);
        const TRect b = item.BoundsRect();
        if (!RectsMeet(b, Clip) || !Canvas.RectVisible(Inflated(b, half)))
            continue;
        // An item of the page column to the left reaches the page only by
        // the strip kept for its right border line: the line, but no text
        // that a reader of the page would find there.
        if (b.Right <= Clip.Left + 2 * half) {
            TRect r = b;
            if (item.HasBorder())
                DrawBorders(Canvas, r, item.CellSides(), item.OuterEdgeStyle(), item.InnerEdgeStyle(), item.EdgeMode());
            continue;
        }
        DrawDataItem(Canvas, item, b);
    }
    if (saved)
        RestoreClip(Canvas, *saved);
}

void TdxPSReportRenderer::DrawDataItem(TCanvas& Canvas, TAbstractdxReportCellData& Item, const TRect& Rect)
{
    if (!m_reportLink->IsItemCustomDrawn(Item)) {
        Item.DrawContent(*this, Canvas, Rect);
        return;
    }
    // The handler may change the item to draw it differently; it is put back
    // exactly, whatever the handler does or raises.
    std::unique_ptr<TdxReportItem> clone(Item.Clone(nullptr));
    const std::uint32_t format = Item.Format();
    Finally restore([&] {
        m_customDrawFont = nullptr;
        Item.Assign(clone.get());
        Item.SetFormat(format);
        UseFont(Canvas, *ItemFont(Item.FontIndex()));
        Canvas.SetBkColor(Item.Color());
    });
    Item.DrawContent(*this, Canvas, Rect);
}

bool TdxPSReportRenderer::OfferCustomDraw(TCanvas& Canvas, TAbstractdxReportCellData& Item, const TRect& Rect)
{
    if (!m_reportLink->IsItemCustomDrawn(Item))
        return false;
    bool done = false;
    m_reportLink->DoCustomDrawItem(Canvas, Item, Rect, done);
    return done;
}

// ----- drawing operations ---------------------------------------------------------------------------

void TdxPSReportRenderer::UseBrush(TCanvas& Canvas, TColor Color)
{
    // Selecting a brush is not free: the canvas keeps the pooled one while it matches.
    const TColor rgb = ColorToRGB(Color);
    TBrush* current = Canvas.Brush();
    if (current->Style() == bsSolid && !current->HasPattern() && current->Color() == rgb)
        return;
    Canvas.SetBrush(m_reportLink->BrushPool()->GetBrush(rgb));
}

void TdxPSReportRenderer::UseFont(TCanvas& Canvas, const TFont& Font)
{
    const TFont& current = *Canvas.Font();
    if (current.PixelsPerInch() == Font.PixelsPerInch() && current.Equals(Font))
        return;
    SelectFont(Canvas, Font);
}

void TdxPSReportRenderer::FillRect(TCanvas& Canvas, const TRect& Rect, TColor Color)
{
    if (Rect.IsEmpty())
        return;
    UseBrush(Canvas, Color);
    Canvas.FillRect(Rect);
}

void TdxPSReportRenderer::FillRgn(TCanvas& Canvas, const TRegion& Region, TColor Color)
{
    Canvas.FillRgn(Region, ColorToRGB(Color));
}

void TdxPSReportRenderer::FrameRect(TCanvas& Canvas, const TRect& Rect, TColor Color)
{
    const int w = m_lineWidth;
    FillRect(Canvas, {Rect.Left, Rect.Top, Rect.Right, Rect.Top + w}, Color);
    FillRect(Canvas, {Rect.Left, Rect.Bottom - w, Rect.Right, Rect.Bottom}, Color);
    FillRect(Canvas, {Rect.Left, Rect.Top + w, Rect.Left + w, Rect.Bottom - w}, Color);
    FillRect(Canvas, {Rect.Right - w, Rect.Top + w, Rect.Right, Rect.Bottom - w}, Color);
}

void TdxPSReportRenderer::DrawBorders(TCanvas& Canvas, TRect& Rect, TdxCellSides Sides, TdxCellEdgeStyle OuterStyle,
                                      TdxCellEdgeStyle InnerStyle, TdxCellEdgeMode EdgeMode)
{
    const int w = m_lineWidth;
    auto pass = [&](TColor TopLeft, TColor BottomRight, bool UseBorderBrush) {
        // The strips of one colour are filled together: one operation a cell.
        TRect strips[4];
        TColor colors[4];
        int n = 0;
        auto strip = [&](TdxCellSide Side, const TRect& R, TColor Color) {
            if (!Sides.Contains(Side))
                return;
            strips[n] = R;
            colors[n++] = UseBorderBrush ? m_borderBrush->Color() : Color;
            switch (Side) {
            case csRight: Rect.Right -= w; break;
            case csBottom: Rect.Bottom -= w; break;
            case csLeft: Rect.Left += w; break;
            case csTop: Rect.Top += w; break;
            }
        };
        strip(csRight, {Rect.Right - w, Rect.Top, Rect.Right, Rect.Bottom}, BottomRight);
        strip(csBottom, {Rect.Left, Rect.Bottom - w, Rect.Right, Rect.Bottom}, BottomRight);
        strip(csLeft, {Rect.Left, Rect.Top, Rect.Left + w, Rect.Bottom}, TopLeft);
        strip(csTop, {Rect.Left, Rect.Top, Rect.Right, Rect.Top + w}, TopLeft);
        for (int i = 0; i < n;) {
            int j = i + 1;
            while (j < n && colors[j] == colors[i])
                ++j;
            UseBrush(Canvas, colors[i]);
            Canvas.FillRects(strips + i, j - i);
            i = j;
        }
    };
    if (EdgeMode != cem3D) {
        pass(clBlack, clBlack, true);
        return;
    }
    if (OuterStyle == cesSunken)
        pass(clWindowText, clBtnHighlight, false);
    else if (OuterStyle == cesRaised)
        pass(clBtnFace, clWindowText, false);
    if (InnerStyle == cesSunken)
        pass(OuterStyle == cesSunken ? clBtnShadow : clWindowText, clBtnFace, false);
    else if (InnerStyle == cesRaised)
        pass(clBtnHighlight, OuterStyle == cesRaised ? clBtnShadow : clWindowText, false);
}

void TdxPSReportRenderer::DrawGreyBar(TCanvas& Canvas, const TRect& Rect, const TFont* Font)
{
    if (Rect.IsEmpty())
        return;
    if (Font && Font->Style().Contains(fsBold)) {
        FillRect(Canvas, Rect, clBtnShadow);
        return;
    }
    if (!m_halftone) {
        // A 4 x 4 pattern of button shadow and window, alternating by pixel.
        m_halftone = std::make_unique<TBitmap>(8, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                m_halftone->SetPixel(x, y, ((x + y) & 1) ? ColorToRGB(clWindow) : ColorToRGB(clBtnShadow));
    }
    TBrush brush;
    brush.SetBitmap(m_halftone.get());
    Canvas.SetBrush(&brush);
    Canvas.FillRect(Rect);
}

void TdxPSReportRenderer::DrawText(TCanvas& Canvas, TRect Rect, bool EndEllipsis, bool Multiline, bool Opaque,
                                   TdxTextAlignY AlignY, TdxTextAlignX AlignX, TColor Color, const TFont* Font,
                                   const std::string& Text, int Indent)
{
    if (Rect.IsEmpty())
        return;
    if (!Font)
        Font = m_reportFont.get();
    UseFont(Canvas, *Font);
    const int margin = ScreenPixels(2);
    const int indent = ScreenPixels(Indent);
    if (!EndEllipsis && !Multiline) {
        const TSize size = Canvas.TextExtent(Text);
        const bool readable = size.cy > 4 * m_pixelSize;
        int x = Rect.Left + margin + indent;
        if (AlignX == taCenterX)
            x = Rect.Left + indent + (Rect.Width() - indent - size.cx) / 2;
        else if (AlignX == taRight)
            x = Rect.Right - size.cx - margin;
        x = std::max(x, Rect.Left + margin + indent);
        int y = Rect.Top + margin;
        if (AlignY == taCenterY)
            y = Rect.Top + (Rect.Height() - size.cy) / 2;
        else if (AlignY == taBottom)
            y = Rect.Bottom - size.cy - margin;
        y = std::max(y, Rect.Top + margin / 2);
        TRect clip = Rect;
        if (x + size.cx > Rect.Right) {
            clip.Right -= margin;
            if (Opaque)
                FillRect(Canvas, {clip.Right, Rect.Top, Rect.Right, Rect.Bottom}, Color);
        }
        if (y + size.cy > Rect.Bottom) {
            clip.Bottom -= margin / 2;
            if (Opaque)
                FillRect(Canvas, {Rect.Left, clip.Bottom, clip.Right, Rect.Bottom}, Color);
        }
        const TRect box{x, y, x + size.cx, y + size.cy};
        if (!readable) {
            if (Opaque)
                FillRect(Canvas, clip, Color);
            TRect bar;
            if (IntersectRect(bar, box, clip))
                DrawGreyBar(Canvas, bar, Font);
            return;
        }
        const bool fits = box.Left >= clip.Left && box.Right <= clip.Right && box.Top >= clip.Top &&
                          box.Bottom <= clip.Bottom;
        unsigned options = fits ? 0u : unsigned(ETO_CLIPPED);
        if (Opaque) {
            options |= ETO_OPAQUE;
            Canvas.SetBkColor(ColorToRGB(Color));
        }
        Canvas.SetBkMode(TRANSPARENT);
        Canvas.ExtTextOut(x, y, options, &clip, Text);
        return;
    }
    if (Opaque)
        FillRect(Canvas, Rect, Color);
    TRect r = Rect;
    r.Left += margin + indent;
    r.Right -= margin;
    unsigned format = DT_NOPREFIX | AlignXFlags(AlignX);
    if (EndEllipsis)
        format |= DT_END_ELLIPSIS;
    if (Multiline) {
        r.Top += margin;
        r.Bottom -= margin;
        format |= DT_WORDBREAK | DT_EXPANDTABS;
        TRect measured{r.Left, 0, r.Right, 0};
        Canvas.DrawText(Text, measured, format | DT_CALCRECT);
        const int h = measured.Height();
        if (AlignY == taCenterY)
            r.Top = std::max(r.Top, r.Top + (r.Height() - h) / 2);
        else if (AlignY == taBottom)
            r.Top = std::max(r.Top, r.Bottom - h);
        if (h <= r.Bottom - r.Top)
            format |= DT_NOCLIP;
    } else {
        format |= DT_SINGLELINE;
        format |= AlignY == taCenterY ? DT_VCENTER : AlignY == taBottom ? DT_BOTTOM : DT_TOP;
    }
    if (r.IsEmpty())
        return;
    const int lineHeight = std::max(1, Canvas.TextHeight("Hg"));
    if (lineHeight <= 4 * m_pixelSize) {
        TRect measured = r;
        Canvas.DrawText(Text, measured, format | DT_CALCRECT);
        for (int top = r.Top; top < std::min(r.Bottom, r.Top + measured.Height()); top += lineHeight)
            DrawGreyBar(Canvas, {r.Left, top, std::min(r.Right, measured.Right), top + lineHeight / 2}, Font);
        return;
    }
    Canvas.SetBkMode(TRANSPARENT);
    Canvas.DrawText(Text, r, format);
}

void TdxPSReportRenderer::DrawCheck(TCanvas& Canvas, const TRect& Rect, bool Flat, bool Enabled, bool Checked)
{
    TRect r = Rect;
    unsigned state = DFCS_BUTTONCHECK | DFCS_TRANSPARENT;
    if (Flat)
        state |= DFCS_FLAT;
    if (Checked)
        state |= DFCS_CHECKED;
    if (!Enabled)
        state |= DFCS_BUTTON3STATE | DFCS_INACTIVE;
    Canvas.DrawFrameControl(r, DFC_BUTTON, state);
}

void TdxPSReportRenderer::DrawSortMark(TCanvas& Canvas, const TRect& Rect, TdxCellSortOrder SortOrder, bool Flat)
{
    if (SortOrder == csoNone || Rect.IsEmpty())
        return;
    const int w = ScreenPixels(8);
    const int h = ScreenPixels(7);
    const int left = Rect.Left + (Rect.Width() - w) / 2;
    const int top = Rect.Top + (Rect.Height() - h) / 2;
    const bool up = SortOrder == csoUp;
    const TPoint apex{left + w / 2, up ? top : top + h};
    const TPoint baseLeft{left, up ? top + h : top};
    const TPoint baseRight{left + w, up ? top + h : top};
    Canvas.Pen()->SetWidth(m_lineWidth);
    Canvas.Pen()->SetColor(clBtnShadow);
    Canvas.Polyline({baseRight, baseLeft, apex});
    Canvas.Pen()->SetColor(Flat ? clBtnShadow : clBtnHighlight);
    Canvas.Polyline({apex, baseRight});
}

void TdxPSReportRenderer::DrawImage(TCanvas& Canvas, const TRect& ImageRect, TColor Color, bool ItemTransparent,
                                    bool ImageTransparent, const TGraphic* Graphic, int ImageIndex,
                                    const TImageList* ImageList, const TRect& ContentRect)
{
    // The picture drawn: the list's image in a work bitmap, or a transparent
    // copy of the item's own (which is never changed by drawing).
    std::unique_ptr<TGraphic> work;
    if (ImageList && ImageIndex >= 0 && ImageIndex < ImageList->Count()) {
        auto bitmap = std::make_unique<TBitmap>(ImageList->Width(), ImageList->Height());
        const TColor back = ImageList->Masked() ? TColor(0x101010) : clWhite;
        bitmap->Canvas()->Brush()->SetColor(back);
        bitmap->Canvas()->FillRect({0, 0, bitmap->Width(), bitmap->Height()});
        ImageList->Draw(bitmap->Canvas(), 0, 0, ImageIndex);
        if (ImageList->Masked())
            bitmap->SetTransparentColor(back);
        work = std::move(bitmap);
    } else if (Graphic && ImageTransparent && !Graphic->Transparent()) {
        work.reset(Graphic->NewOfSameClass());
        work->Assign(const_cast<TGraphic*>(Graphic));
    }
    if (work) {
        if (ImageTransparent)
            work->SetTransparent(true);
        Graphic = work.get();
    }
    if (!Graphic || Graphic->Empty())
        return;
    if (!ItemTransparent) {
        if (ImageTransparent) {
            FillRect(Canvas, ContentRect, Color);
        } else {
            FillRect(Canvas, {ContentRect.Left, ContentRect.Top, ContentRect.Right, ImageRect.Top}, Color);
            FillRect(Canvas, {ContentRect.Left, ImageRect.Bottom, ContentRect.Right, ContentRect.Bottom}, Color);
            FillRect(Canvas, {ContentRect.Left, ImageRect.Top, ImageRect.Left, ImageRect.Bottom}, Color);
            FillRect(Canvas, {ImageRect.Right, ImageRect.Top, ContentRect.Right, ImageRect.Bottom}, Color);
        }
    }
    const bool larger = ImageRect.Width() > ContentRect.Width() || ImageRect.Height() > ContentRect.Height();
    std::optional<std::optional<TRegion>> saved;
    if (larger)
        saved = SaveClip(Canvas, ContentRect);
    Canvas.StretchDraw(ImageRect, Graphic);
    if (saved)
        RestoreClip(Canvas, *saved);
}

std::optional<TRegion> TdxPSReportRenderer::SaveClip(TCanvas& Canvas, const TRect& Rect)
{
    std::optional<TRegion> saved;
    TRegion region;
    if (Canvas.GetClipRgn(region))
        saved = std::move(region);
    Canvas.IntersectClipRect(Rect);
    return saved;
}

void TdxPSReportRenderer::RestoreClip(TCanvas& Canvas, const std::optional<TRegion>& Saved)
{
    Canvas.SelectClipRgn(Saved ? &*Saved : nullptr);
}

// ----- title, page header and footer ------------------------------------------------------------------

void TdxPSReportRenderer::DrawReportTitle(TCanvas& Canvas, const TRect& Rect)
{
    TdxReportTitle* title = m_reportLink->ReportTitle();
    TdxPSReportRenderInfo* info = m_reportLink->RenderInfo();
    const int upi = info->GetUnitsPerInch();
    // Natural size unless the title scales with the report. A copy: the
    // stored font never takes a device size.
    const int ppi = title->AdjustOnReportScale() ? upi : MulDiv(upi, 100, info->ZoomDenominator());
    TFont font;
    PrepareFont(font, *title->Font(), ppi);
    TdxTextAlignX alignX = title->TextAlignX();
    TdxTextAlignY alignY = title->TextAlignY();
    TColor color = title->Color();
    TRect r = Rect;
    if (m_reportLink->DrawReportTitle(Canvas, r, alignX, alignY, color, font))
        return;
    if (!title->Transparent())
        FillRect(Canvas, r, color);
    if (title->Text().empty())
        return;
    SelectFont(Canvas, font);
    Canvas.SetBkMode(TRANSPARENT);
    const unsigned format = DT_WORDBREAK | DT_NOPREFIX | AlignXFlags(alignX);
    TRect measured{r.Left, 0, r.Right, 0};
    Canvas.DrawText(title->Text(), measured, format | DT_CALCRECT);
    TRect text = r;
    if (alignY == taCenterY)
        text.Top = std::max(r.Top, r.Top + (r.Height() - measured.Height()) / 2);
    else if (alignY == taBottom)
        text.Top = std::max(r.Top, r.Bottom - measured.Height());
    Canvas.DrawText(title->Text(), text, format);
}

void TdxPSReportRenderer::DrawLines(TCanvas& Canvas, const TRect& Rect, TStrings& Lines, TdxTextAlignX AlignX,
                                    TdxTextAlignY AlignY)
{
    const int count = Lines.Count();
    if (count == 0)
        return;
    const int lineHeight = Canvas.TextHeight("Hg");
    const int block = count * lineHeight;
    int top = Rect.Top;
    if (AlignY == taCenterY)
        top = Rect.Top + (Rect.Height() - block) / 2;
    else if (AlignY == taBottom)
        top = Rect.Top + Rect.Height() - block;
    top = std::max(top, Rect.Top);
    for (int i = 0; i < count; ++i) {
        const std::string line = Lines.Get(i);
        if (line.empty())
            continue;
        const int y = top + i * lineHeight;
        const int w = Canvas.TextWidth(line);
        int x = Rect.Left;
        if (w < Rect.Width()) {
            if (AlignX == taCenterX)
                x = Rect.Left + (Rect.Width() - w) / 2;
            else if (AlignX == taRight)
                x = Rect.Right - w;
        }
        const TRect lineRect{x, y, x + w, y + lineHeight};
        if (Canvas.RectVisible(lineRect))
            Canvas.TextOut(x, y, line);
        // A later part never paints over an earlier one.
        Canvas.ExcludeClipRect(lineRect);
    }
}

void TdxPSReportRenderer::DrawPageHeaderFooter(TCanvas& Canvas, TCustomdxPageObject& HF, int PageIndex,
                                               const TRect& Rect)
{
    TdxPSReportRenderInfo* info = m_reportLink->RenderInfo();
    // The stored font is copied and sized for the device at the scale.
    TFont font;
    PrepareFont(font, *HF.Font(), MulDiv(info->GetUnitsPerInch(), 100, info->ZoomDenominator()));
    SelectFont(Canvas, font);
    Canvas.SetBkMode(TRANSPARENT);
    const auto saved = SaveClip(Canvas, Rect);
    bool defaultText = true;
    bool defaultBackground = true;
    TRect r = Rect;
    m_reportLink->DrawPageHeaderFooter(HF, Canvas, PageIndex, r, defaultText, defaultBackground);
    TdxPrinterPage* page = m_reportLink->GetRealPrinterPage();
    if (&HF != page->PageHeader() && &HF != page->PageFooter()) {
        // The handler freed the style that held this header or footer.
        RestoreClip(Canvas, saved);
        return;
    }
    if (defaultBackground && HF.Background())
        HF.Background()->Paint(Canvas, r);
    if (defaultText) {
        SelectFont(Canvas, font);
        Canvas.SetBkMode(TRANSPARENT);
        // Parts swap on even printed page numbers, as [Page #] shows them.
        const int number = m_reportLink->GetVirtualPageIndex(m_realPageIndex) + m_reportLink->StartPageIndex();
        const bool reverse = m_reportLink->GetRealPrinterPage()->ReverseTitlesOnEvenPages() && number % 2 == 0;
        m_reportLink->FillFormatObject(m_formatObject, m_realPageIndex);
        TdxHFFunctionLibrary* library = dxHFFunctionLibrary();
        auto expand = [&](TStrings* Source, TStringList& Target) {
            Target.Clear();
            for (int i = 0; i < Source->Count(); ++i) {
                const std::string line = library ? library->Process(Source->Get(i), &m_formatObject) : Source->Get(i);
                TStringList split;
                split.SetText(line);
                for (int k = 0; k < std::max(1, split.Count()); ++k)
                    Target.Add(split.Count() ? split.Get(k) : std::string());
            }
        };
        TStringList lines;
        expand(reverse ? HF.RightTitle() : HF.LeftTitle(), lines);
        DrawLines(Canvas, r, lines, taLeft, reverse ? HF.RightTextAlignY() : HF.LeftTextAlignY());
        expand(reverse ? HF.LeftTitle() : HF.RightTitle(), lines);
        DrawLines(Canvas, r, lines, taRight, reverse ? HF.LeftTextAlignY() : HF.RightTextAlignY());
        expand(HF.CenterTitle(), lines);
        DrawLines(Canvas, r, lines, taCenterX, HF.CenterTextAlignY());
    }
    RestoreClip(Canvas, saved);
}

} // namespace qel
