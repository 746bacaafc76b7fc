// Painting the preview: the pages that meet the clip box, their frames,
// backgrounds, contents and the selected page's margins; the page background
// and the hint window.
#include "preview/Preview.h"

#include "platform/controls/Application.h"
#include "platform/core/ClassRegistry.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Region.h"
#include "preview/detail/PreviewArrangement.h"

#include <algorithm>
#include <vector>

namespace qel {

QEL_REGISTER_CLASS(TdxPreviewPageBackground, TdxBackground);
QEL_REGISTER_CLASS(TdxPreviewHintWindow, THintWindow);

// ===== the control ===================================================================

void TCustomdxPreview::Paint()
{
    TCanvas& canvas = *Canvas();
    PaintTo(canvas, canvas.ClipRect());
}

void TCustomdxPreview::PaintTo(TCanvas& Canvas, const TRect& Clip)
{
    TCanvasStateSaver keep(Canvas);
    Canvas.IntersectClipRect(Clip);
    if (m_pageCount == 0) {
        const TRect client = ClientRect();
        Canvas.Brush()->SetColor(Color());
        Canvas.FillRect(client);
        Canvas.Brush()->SetStyle(bsClear);
        Canvas.Font()->Assign(Font());
        TRect r = client;
        Canvas.DrawText("[No pages]", r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    const detail::TPreviewArrangement a = Arrange(m_scrollX, m_scrollY);
    const int clientHeight = ClientHeight();
    TRegion background = TRegion::CreateRect(Clip);
    std::vector<int> painted;
    detail::TPreviewArrangement::Span s{};
    if (a.SpanOf(Clip, true, false, s))
        for (int row = s.FirstRow; row <= s.LastRow; ++row)
            for (int column = s.FirstColumn; column <= s.LastColumn; ++column) {
                const int i = row * a.Columns + column;
                if (i >= m_pageCount)
                    break;
                const TRect frame = a.FrameRect(i);
                if (frame.Top >= clientHeight)
                    continue;
                background.Combine(background, TRegion::CreateRect(frame), RGN_DIFF);
                const TRect page = a.PageRect(i);
                // Each step gets the canvas as the paint began.
                if (Canvas.RectVisible(page)) {
                    painted.push_back(i);
                    TCanvasStateSaver keep(Canvas);
                    DrawPageBackground(Canvas, page, i);
                }
                TCanvasStateSaver keep(Canvas);
                DrawPage(Canvas, page, i == m_selected);
            }
    Canvas.FillRgn(background, Color());
    for (int i : painted) {
        const TRect page = a.PageRect(i);
        {
            TCanvasStateSaver keep(Canvas);
            Canvas.IntersectClipRect(page);
            DoDrawPageContent(Canvas, page, i);
        }
        if (i == m_selected && m_optionsView.Contains(povMargins))
            DrawMargins(Canvas);
    }
}

void TCustomdxPreview::DrawPageBackground(TCanvas& Canvas, const TRect& Rect, int PageIndex)
{
    if (OnDrawPageBackground) {
        OnDrawPageBackground(this, Canvas, Rect, PageIndex);
        return;
    }
    if (!m_optionsView.Contains(povDefaultDrawPageBackground))
        return;
    const TdxPreviewPageBackground& b = *m_pageBackground;
    if (b.Mode() == bmNone
        || (b.Mode() == bmPicture && (b.PictureMode() == ppmCenter || b.PictureMode() == ppmProportional))) {
        Canvas.Brush()->SetColor(clWindow);
        Canvas.FillRect(Rect);
    }
    if (b.Mode() != bmNone)
        m_pageBackground->Paint(Canvas, Rect);
}

void TCustomdxPreview::DrawPage(TCanvas& Canvas, const TRect& Rect, bool Selected)
{
    const TRect frame = qel::Rect(Rect.Left - 2, Rect.Top - 2, Rect.Right + m_gap - 2, Rect.Bottom + m_gap - 2);
    const auto fill = [&](TRect R, TColor Color) {
        if (IntersectRect(R, R, frame)) {
            Canvas.Brush()->SetColor(Color);
            Canvas.FillRect(R);
        }
    };
    // The ring around the page, then its frame (two for the selected page) and the shadow.
    fill(qel::Rect(frame.Left, frame.Top, frame.Right, Rect.Top), Color());
    fill(qel::Rect(frame.Left, Rect.Bottom, frame.Right, frame.Bottom), Color());
    fill(qel::Rect(frame.Left, Rect.Top, Rect.Left, Rect.Bottom), Color());
    fill(qel::Rect(Rect.Right, Rect.Top, frame.Right, Rect.Bottom), Color());
    const bool highlight = Selected && m_optionsView.Contains(povPageSelection);
    TRect outline = Rect;
    InflateRect(outline, 1, 1);
    Canvas.Brush()->SetColor(highlight ? clHighlight : clWindowFrame);
    Canvas.FrameRect(outline);
    if (highlight) {
        InflateRect(outline, 1, 1);
        Canvas.FrameRect(outline);
    }
    fill(qel::Rect(outline.Right, outline.Top + 2, outline.Right + 2, outline.Bottom + 2), clWindowText);
    fill(qel::Rect(outline.Left + 2, outline.Bottom, outline.Right + 2, outline.Bottom + 2), clWindowText);
}

namespace {

// The dashes of a line drawn with the one-pixel dotted pen (three pixels on,
// three off from the start, the end point left out) from Start to End along
// one axis, those between ClipStart and ClipEnd.
template <class MakeRect>
void AddDots(std::vector<TRect>& Dots, int Start, int End, int ClipStart, int ClipEnd, MakeRect Make)
{
    constexpr int on = 3, period = 6;
    const int last = std::min(End, ClipEnd);
    for (int at = Start + std::max(0, (ClipStart - Start) / period * period); at < last; at += period)
        Dots.push_back(Make(at, std::min(at + on, End)));
}

} // namespace

void TCustomdxPreview::DrawMargins(TCanvas& Canvas)
{
    // The dotted lines as filled dashes in one operation: the same pixels as
    // the dotted pen's, which costs far more to draw.
    TCanvasStateSaver keep(Canvas);
    Canvas.Brush()->SetStyle(bsSolid);
    Canvas.Brush()->SetColor(m_marginColor);
    const TRect page = MarginsPageRect();
    const TRect clip = Canvas.ClipRect();
    std::vector<TRect> dots;
    for (int k = 0; k < dxPreviewMarginCount; ++k) {
        const TdxPreviewMargin* m = m_margins->Items(static_cast<TdxPreviewMarginType>(k));
        if (!m->Visible())
            continue;
        const int at = m->ValueToPixel(m->Value());
        if (m->IsVertical()) {
            if (at >= clip.Left && at < clip.Right)
                AddDots(dots, page.Top, page.Bottom, clip.Top, clip.Bottom,
                        [at](int A, int B) { return qel::Rect(at, A, at + 1, B); });
        } else if (at >= clip.Top && at < clip.Bottom) {
            AddDots(dots, page.Left, page.Right, clip.Left, clip.Right,
                    [at](int A, int B) { return qel::Rect(A, at, B, at + 1); });
        }
    }
    Canvas.FillRects(dots.data(), static_cast<int>(dots.size()));
}

// ===== page background ===============================================================

void TdxPreviewPageBackground::PaintEx(TCanvas& Canvas, const TRect& Rect, int Divisor, int Multiplier)
{
    const int zoom = m_preview ? m_preview->ZoomFactor() : 100;
    if (Mode() != bmPicture || PictureMode() != ppmCenter || zoom == 100 || !HasPicture()) {
        TdxBackground::PaintEx(Canvas, Rect, Divisor, Multiplier);
        return;
    }
    // The picture at the zoom, centred and clipped to the page: only the part
    // that shows is drawn, however large the zoomed picture would be.
    TBitmap* picture = Picture();
    const int w = static_cast<int>(static_cast<long long>(picture->Width()) * zoom / 100);
    const int h = static_cast<int>(static_cast<long long>(picture->Height()) * zoom / 100);
    const int left = Rect.Left + (Rect.Width() - w) / 2, top = Rect.Top + (Rect.Height() - h) / 2;
    TCanvasStateSaver keep(Canvas);
    Canvas.IntersectClipRect(Rect);
    Canvas.StretchDraw(qel::Rect(left, top, left + w, top + h), picture);
}

void TdxPreviewPageBackground::DoChange(TdxBackgroundParams ChangedParams)
{
    TdxBackground::DoChange(ChangedParams);
    if (m_preview)
        m_preview->InvalidateVisiblePages();
}

// ===== hint window ===================================================================

TdxPreviewHintWindow::TdxPreviewHintWindow(TComponent* AOwner) : THintWindow(AOwner) {}

void TdxPreviewHintWindow::ShowHint(TPoint Anchor, const std::string& Text,
                                    const std::function<TPoint(TSize Size)>& Offset)
{
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    TRect r = Rect(0, 0, 0, 0);
    canvas->DrawText(Text, r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    int w = r.Width() + 6, h = r.Height() + 6;
    const bool shown = Visible();
    // A shown hint never shrinks, so a changing value does not make it flicker.
    if (shown) {
        w = std::max(w, Width());
        h = std::max(h, Height());
    }
    m_anchor = Anchor;
    const TPoint offset = Offset({w, h});
    const TRect screen = Rect(0, 0, Screen().Width(), Screen().Height());
    const int x = std::clamp(Anchor.X + offset.X, screen.Left, std::max(screen.Left, screen.Right - w));
    const int y = std::clamp(Anchor.Y + offset.Y, screen.Top, std::max(screen.Top, screen.Bottom - h));
    if (shown && (w != Width() || h != Height()))
        SetVisible(false);
    SetCaption(Text);
    SetBounds(x, y, w, h);
    SetVisible(true);
    if (!Screen().Headless())
        BringToFront();
    Invalidate();
}

void TdxPreviewHintWindow::Paint()
{
    TCanvas* canvas = Canvas();
    TRect r = ClientRect();
    canvas->Brush()->SetColor(clInfoBk);
    canvas->FillRect(r);
    canvas->DrawEdge(r, BDR_RAISEDOUTER, BF_RECT);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->Assign(Font());
    canvas->Font()->SetColor(clInfoText);
    canvas->TextOut(2, 2, Caption());
}

} // namespace qel
