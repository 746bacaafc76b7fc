// How the data items of the report cell tree draw themselves with the
// renderer's operations. Rectangles are in the parent cell's coordinates,
// report units.
#include "printing/ReportCells.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/ImageList.h"
#include "printing/PSEngine.h"
#include "printing/ReportRenderer.h"

#include <algorithm>

namespace qel {

bool TAbstractdxReportCellData::DrawFrame(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& Rect,
                                          TRect& Content)
{
    if (Renderer.OfferCustomDraw(Canvas, *this, Rect))
        return false;
    if (HasBorder()) {
        TRect r = Rect;
        Renderer.DrawBorders(Canvas, r, CellSides(), OuterEdgeStyle(), InnerEdgeStyle(), EdgeMode());
    }
    Content = GetInnerBounds(Rect, Renderer.LineWidth());
    return true;
}

void TAbstractdxReportCellData::DrawContent(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& Rect)
{
    TRect content;
    DrawFrame(Renderer, Canvas, Rect, content);
}

void TdxReportCellBox::DrawContent(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& Rect)
{
    TRect content;
    if (DrawFrame(Renderer, Canvas, Rect, content) && !Transparent())
        Renderer.FillRect(Canvas, content, Color());
}

// ----- text ------------------------------------------------------------------------------------------

TRect TdxReportCellText::GetTextBounds(const TdxPSReportRenderer& Renderer, const TRect& Content) const
{
    TRect r = Content;
    if (SortOrder() != csoNone)
        r.Right -= Renderer.ScreenPixels(16);
    return r;
}

void TdxReportCellText::DrawTextPart(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& Content)
{
    const TRect textRect = GetTextBounds(Renderer, Content);
    const std::string text = GetText();
    if (!text.empty())
        Renderer.DrawText(Canvas, textRect, EndEllipsis(), Multiline(), !Transparent(), TextAlignY(), TextAlignX(),
                          Color(), Renderer.ItemFont(FontIndex()), text, Indent());
    else if (!Transparent())
        Renderer.FillRect(Canvas, textRect, Color());
    if (SortOrder() != csoNone) {
        const TRect mark{Content.Right - Renderer.ScreenPixels(16), Content.Top, Content.Right, Content.Bottom};
        if (!Transparent())
            Renderer.FillRect(Canvas, mark, Color());
        Renderer.DrawSortMark(Canvas, mark, SortOrder(), !Is3D());
    }
}

void TdxReportCellText::DrawContent(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& Rect)
{
    TRect content;
    if (DrawFrame(Renderer, Canvas, Rect, content))
        DrawTextPart(Renderer, Canvas, content);
}

// ----- image container --------------------------------------------------------------------------------

TRect TdxReportCellImageContainer::GetImageBounds(const TdxPSReportRenderer& /*Renderer*/,
                                                  const TRect& /*Content*/) const
{
    return {};
}

void TdxReportCellImageContainer::DrawImagePart(TdxPSReportRenderer& /*Renderer*/, TCanvas& /*Canvas*/,
                                                const TRect& /*ImageRect*/, const TRect& /*Content*/)
{
}

void TdxReportCellImageContainer::DrawContent(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& Rect)
{
    TRect content;
    if (!DrawFrame(Renderer, Canvas, Rect, content))
        return;
    DrawTextPart(Renderer, Canvas, content);
    const TRect image = GetImageBounds(Renderer, content);
    if (HasImageToDraw())
        DrawImagePart(Renderer, Canvas, image, content);
    else if (!Transparent())
        Renderer.FillRect(Canvas, image, Color());
}

// ----- check ------------------------------------------------------------------------------------------

TRect TdxReportCellCheck::CheckRect(const TdxPSReportRenderer& Renderer, const TRect& Content) const
{
    const int w = Renderer.ScreenPixels(dxCheckWidth());
    const int h = Renderer.ScreenPixels(dxCheckHeight());
    const int line = Renderer.LineWidth();
    const int top = Content.Top + (Content.Height() - h) / 2;
    int left = Content.Left + (Content.Width() - w) / 2;
    if (CheckPos() == ccpLeft)
        left = Content.Left + line;
    else if (CheckPos() == ccpRight)
        left = Content.Right - line - w;
    return {left, top, left + w, top + h};
}

TRect TdxReportCellCheck::GetTextBounds(const TdxPSReportRenderer& Renderer, const TRect& Content) const
{
    TRect r = TdxReportCellImageContainer::GetTextBounds(Renderer, Content);
    const int room = Renderer.ScreenPixels(dxCheckWidth() + 1);
    switch (CheckPos()) {
    case ccpCenter:
        return {};
    case ccpLeft:
        r.Left += room;
        break;
    case ccpRight:
        r.Right -= room;
        break;
    }
    return r;
}

void TdxReportCellCheck::DrawCheckMark(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& Rect)
{
    Renderer.DrawCheck(Canvas, Rect, FlatBorder(), Enabled(), Checked());
}

void TdxReportCellCheck::DrawContent(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& Rect)
{
    TRect content;
    if (!DrawFrame(Renderer, Canvas, Rect, content))
        return;
    if (CheckPos() != ccpCenter)
        DrawTextPart(Renderer, Canvas, content);
    const TRect check = CheckRect(Renderer, content);
    if (!Transparent()) {
        const int line = Renderer.LineWidth();
        TRect behind = content;
        if (CheckPos() == ccpLeft)
            behind.Right = std::min(content.Right, content.Left + 2 * line + check.Width());
        else if (CheckPos() == ccpRight)
            behind.Left = std::max(content.Left, content.Right - 2 * line - check.Width());
        Renderer.FillRect(Canvas, behind, Color());
    }
    DrawCheckMark(Renderer, Canvas, check);
}

void TdxReportCellCheckImage::DrawCheckMark(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& Rect)
{
    const TdxCheckState state = State();
    if (!HasStateImage(state)) {
        TdxReportCellCheck::DrawCheckMark(Renderer, Canvas, Rect);
        return;
    }
    const int width = m_glyph->Width() / m_glyphCount;
    TBitmap part(width, m_glyph->Height());
    part.Canvas()->CopyRect({0, 0, width, m_glyph->Height()}, m_glyph->Canvas(),
                            {static_cast<int>(state) * width, 0, (static_cast<int>(state) + 1) * width,
                             m_glyph->Height()});
    part.SetTransparent(true);
    Canvas.StretchDraw(Rect, &part);
}

// ----- images -----------------------------------------------------------------------------------------

TSize TdxReportCellCustomImage::ImageSizeUnits(const TdxPSReportRenderer& Renderer) const
{
    const TSize s = ImageSize();
    return {Renderer.ScreenPixels(s.cx), Renderer.ScreenPixels(s.cy)};
}

TRect TdxReportCellCustomImage::GetImageBounds(const TdxPSReportRenderer& Renderer, const TRect& Content) const
{
    const TSize s = ImageSizeUnits(Renderer);
    const int left = Content.Left + (Content.Width() - s.cx) / 2;
    const int top = Content.Top + (Content.Height() - s.cy) / 2;
    return {left, top, left + s.cx, top + s.cy};
}

void TdxReportCellCustomImage::DrawImagePart(TdxPSReportRenderer& Renderer, TCanvas& Canvas, const TRect& ImageRect,
                                             const TRect& Content)
{
    Renderer.DrawImage(Canvas, ImageRect, Color(), Transparent(), ImageTransparent(), m_image.get(), m_imageIndex,
                       m_image ? nullptr : m_imageList, Content);
}

TRect TdxReportCellImage::GetImageBounds(const TdxPSReportRenderer& Renderer, const TRect& Content) const
{
    const TSize s = ImageSizeUnits(Renderer);
    const int line = Renderer.LineWidth();
    const int midX = Content.Left + (Content.Width() - s.cx) / 2;
    const int midY = Content.Top + (Content.Height() - s.cy) / 2;
    switch (m_imageLayout) {
    case cilImageLeft:
        return {Content.Left + line, midY, Content.Left + line + s.cx, midY + s.cy};
    case cilImageTop:
        return {midX, Content.Top + line, midX + s.cx, Content.Top + line + s.cy};
    case cilImageRight:
        return {Content.Right - line - s.cx, midY, Content.Right - line, midY + s.cy};
    case cilImageBottom:
        return {midX, Content.Bottom - line - s.cy, midX + s.cx, Content.Bottom - line};
    case cilImageCenter:
        break;
    }
    return {midX, midY, midX + s.cx, midY + s.cy};
}

TRect TdxReportCellImage::GetTextBounds(const TdxPSReportRenderer& Renderer, const TRect& Content) const
{
    TRect r = TdxReportCellCustomImage::GetTextBounds(Renderer, Content);
    if (!HasImage())
        return r;
    const TSize s = ImageSizeUnits(Renderer);
    const int line = Renderer.LineWidth();
    switch (m_imageLayout) {
    case cilImageLeft: r.Left += s.cx + 2 * line; break;
    case cilImageTop: r.Top += s.cy + 2 * line; break;
    case cilImageRight: r.Right -= s.cx + 2 * line; break;
    case cilImageBottom: r.Bottom -= s.cy + 2 * line; break;
    case cilImageCenter: break;
    }
    return r;
}

TRect TdxReportCellGraphic::GetImageBounds(const TdxPSReportRenderer& Renderer, const TRect& Content) const
{
    const TSize s = ImageSizeUnits(Renderer);
    if (s.cx <= 0 || s.cy <= 0)
        return {};
    switch (m_drawMode) {
    case gdmNone:
        return {Content.Left, Content.Top, Content.Left + s.cx, Content.Top + s.cy};
    case gdmCenter: {
        const int left = Content.Left + (Content.Width() - s.cx) / 2;
        const int top = Content.Top + (Content.Height() - s.cy) / 2;
        return {left, top, left + s.cx, top + s.cy};
    }
    case gdmStretch:
        return Content;
    case gdmStretchProportional: {
        // Fitted to the narrower dimension, centred.
        const double scale = std::min(double(Content.Width()) / s.cx, double(Content.Height()) / s.cy);
        const int w = static_cast<int>(s.cx * scale);
        const int h = static_cast<int>(s.cy * scale);
        const int left = Content.Left + (Content.Width() - w) / 2;
        const int top = Content.Top + (Content.Height() - h) / 2;
        return {left, top, left + w, top + h};
    }
    }
    return Content;
}

} // namespace qel
