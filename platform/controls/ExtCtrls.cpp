#include "platform/controls/ExtCtrls.h"

#include "platform/controls/detail/ControlBridge.h"
#include "platform/graphics/Bitmap.h"

#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace qel {

namespace {

// Top and left in TopColor, bottom and right in BottomColor, Width times,
// shrinking the rectangle each time.
void Frame3D(TCanvas* Canvas, TRect& R, TColor TopColor, TColor BottomColor, int Width)
{
    for (int i = 0; i < Width && R.Width() > 0 && R.Height() > 0; ++i) {
        Canvas->Brush()->SetColor(TopColor);
        Canvas->FillRect(Rect(R.Left, R.Top, R.Right, R.Top + 1));
        Canvas->FillRect(Rect(R.Left, R.Top, R.Left + 1, R.Bottom));
        Canvas->Brush()->SetColor(BottomColor);
        Canvas->FillRect(Rect(R.Left, R.Bottom - 1, R.Right, R.Bottom));
        Canvas->FillRect(Rect(R.Right - 1, R.Top, R.Right, R.Bottom));
        InflateRect(R, -1, -1);
    }
}

} // namespace

// ===== TPanel =========================================================================

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
    ApplyTabStop();
    SetClickOnMouseUp(true);
    SetBounds(0, 0, 185, 41);
}

void TPanel::SetBevelInner(TBevelCut Value) { m_bevelInner = Value; Realign(); Invalidate(); }
void TPanel::SetBevelOuter(TBevelCut Value) { m_bevelOuter = Value; Realign(); Invalidate(); }
void TPanel::SetBevelWidth(int Value) { m_bevelWidth = std::max(1, Value); Realign(); Invalidate(); }
void TPanel::SetBorderWidth(int Value) { m_borderWidth = std::max(0, Value); Realign(); Invalidate(); }
void TPanel::SetAlignment(TAlignment Value) { m_alignment = Value; Invalidate(); }

TRect TPanel::AlignRect() const
{
    TRect r = ClientRect();
    int inset = m_borderWidth;
    if (m_bevelOuter != bvNone) inset += m_bevelWidth;
    if (m_bevelInner != bvNone) inset += m_bevelWidth;
    InflateRect(r, -inset, -inset);
    return r;
}

void TPanel::Paint()
{
    TCanvas* canvas = Canvas();
    TRect r = ClientRect();
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(r);
    if (m_bevelOuter != bvNone) {
        const bool raised = m_bevelOuter == bvRaised;
        Frame3D(canvas, r, raised ? clBtnHighlight : clBtnShadow, raised ? clBtnShadow : clBtnHighlight, m_bevelWidth);
    }
    Frame3D(canvas, r, Color(), Color(), m_borderWidth);
    if (m_bevelInner != bvNone) {
        const bool raised = m_bevelInner == bvRaised;
        Frame3D(canvas, r, raised ? clBtnHighlight : clBtnShadow, raised ? clBtnShadow : clBtnHighlight, m_bevelWidth);
    }
    if (!Caption().empty()) {
        canvas->Brush()->SetStyle(bsClear);
        canvas->Font()->Assign(Font());
        unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
        if (m_alignment == taCenter) flags |= DT_CENTER;
        if (m_alignment == taRightJustify) flags |= DT_RIGHT;
        canvas->DrawText(Caption(), r, flags);
    }
}

// ===== TBevel =========================================================================

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    Widget()->setAutoFillBackground(false);
    SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape Value) { m_shape = Value; Invalidate(); }
void TBevel::SetStyle(TBevelStyle Value) { m_style = Value; Invalidate(); }

void TBevel::Paint()
{
    TCanvas* canvas = Canvas();
    const TColor c1 = m_style == bsLowered ? clBtnShadow : clBtnHighlight;
    const TColor c2 = m_style == bsLowered ? clBtnHighlight : clBtnShadow;
    const int w = Width();
    const int h = Height();
    auto line = [canvas](TColor C, int X1, int Y1, int X2, int Y2) {
        canvas->Brush()->SetColor(C);
        canvas->FillRect(Rect(X1, Y1, X2, Y2));
    };
    switch (m_shape) {
    case bsBox: {
        TRect r = ClientRect();
        Frame3D(canvas, r, c1, c2, 1);
        break;
    }
    case bsFrame: {
        TRect outer = Rect(0, 0, w - 1, h - 1);
        TRect inner = Rect(1, 1, w, h);
        Frame3D(canvas, inner, c2, c2, 1);
        Frame3D(canvas, outer, c1, c1, 1);
        break;
    }
    case bsTopLine: line(c1, 0, 0, w, 1); line(c2, 0, 1, w, 2); break;
    case bsBottomLine: line(c1, 0, h - 2, w, h - 1); line(c2, 0, h - 1, w, h); break;
    case bsLeftLine: line(c1, 0, 0, 1, h); line(c2, 1, 0, 2, h); break;
    case bsRightLine: line(c1, w - 2, 0, w - 1, h); line(c2, w - 1, 0, w, h); break;
    case bsSpacer: break;
    }
}

// ===== TPaintBox ======================================================================

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner)
{
    SetClickOnMouseUp(true);
    SetParentColor(true);
    SetBounds(0, 0, 105, 105);
}

void TPaintBox::Paint()
{
    if (OnPaint)
        OnPaint(this);
}

// ===== TScrollBox =====================================================================

namespace {

QScrollBar* BarOf(QWidget* Area, bool Horizontal)
{
    auto* a = static_cast<QAbstractScrollArea*>(Area);
    return Horizontal ? a->horizontalScrollBar() : a->verticalScrollBar();
}

} // namespace

int TControlScrollBar::Position() const { return BarOf(m_area, m_horizontal)->value(); }
void TControlScrollBar::SetPosition(int Value) { BarOf(m_area, m_horizontal)->setValue(Value); }

int TControlScrollBar::Range() const
{
    QScrollBar* b = BarOf(m_area, m_horizontal);
    return b->maximum() + b->pageStep();
}

bool TControlScrollBar::Tracking() const { return BarOf(m_area, m_horizontal)->hasTracking(); }
void TControlScrollBar::SetTracking(bool Value) { BarOf(m_area, m_horizontal)->setTracking(Value); }

bool TControlScrollBar::Visible() const
{
    auto* a = static_cast<QAbstractScrollArea*>(m_area);
    return (m_horizontal ? a->horizontalScrollBarPolicy() : a->verticalScrollBarPolicy()) != Qt::ScrollBarAlwaysOff;
}

void TControlScrollBar::SetVisible(bool Value)
{
    auto* a = static_cast<QAbstractScrollArea*>(m_area);
    const Qt::ScrollBarPolicy p = Value ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    if (m_horizontal)
        a->setHorizontalScrollBarPolicy(p);
    else
        a->setVerticalScrollBarPolicy(p);
}

namespace {

QScrollArea* MakeScrollArea()
{
    auto* area = new QScrollArea;
    area->setWidgetResizable(false);
    auto* inner = new detail::PaintWidget;
    inner->resize(0, 0);
    area->setWidget(inner);
    return area;
}

} // namespace

TScrollBox::TScrollBox(TComponent* AOwner)
    : TWinControl(AOwner, MakeScrollArea())
{
    auto* area = static_cast<QScrollArea*>(Widget());
    SetContainer(area->widget());
    m_horz = std::make_unique<TControlScrollBar>(area, true);
    m_vert = std::make_unique<TControlScrollBar>(area, false);
    WatchInputWidget(area->viewport());
    ApplyTabStop();
    SetBounds(0, 0, 185, 41);
}

TScrollBox::~TScrollBox()
{
    Destroying();
}

void TScrollBox::SetBorderStyle(TBorderStyle Value)
{
    m_borderStyle = Value;
    static_cast<QScrollArea*>(Widget())->setFrameShape(Value == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
}

TRect TScrollBox::AlignRect() const
{
    const QWidget* vp = static_cast<QScrollArea*>(Widget())->viewport();
    return Rect(0, 0, vp->width(), vp->height());
}

void TScrollBox::AlignControls(TRect& R)
{
    TWinControl::AlignControls(R);
    UpdateContentSize();
}

void TScrollBox::UpdateContentSize()
{
    auto* area = static_cast<QScrollArea*>(Widget());
    int w = area->viewport()->width();
    int h = area->viewport()->height();
    int cw = 0;
    int ch = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!c->Visible())
            continue;
        cw = std::max(cw, c->Left() + c->Width());
        ch = std::max(ch, c->Top() + c->Height());
    }
    area->widget()->resize(std::max(w, cw), std::max(h, ch));
}

void TScrollBox::ScrollInView(TControl* Control)
{
    if (Control && ContainsControl(Control))
        static_cast<QScrollArea*>(Widget())->ensureWidgetVisible(Control->Widget(), 0, 0);
}

// ===== TSpeedButton ===================================================================

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), m_glyph(std::make_unique<TBitmap>())
{
    SetClickOnMouseUp(true);
    SetBounds(0, 0, 23, 22);
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetFlat(bool Value) { m_flat = Value; Invalidate(); }
void TSpeedButton::SetLayout(TButtonLayout Value) { m_layout = Value; Invalidate(); }
void TSpeedButton::SetMargin(int Value) { m_margin = Value; Invalidate(); }
void TSpeedButton::SetSpacing(int Value) { m_spacing = Value; Invalidate(); }
void TSpeedButton::SetNumGlyphs(int Value) { m_numGlyphs = std::clamp(Value, 1, 4); Invalidate(); }

void TSpeedButton::SetGlyph(const TBitmap* Value)
{
    if (Value)
        m_glyph->Assign(const_cast<TBitmap*>(Value));
    else
        m_glyph = std::make_unique<TBitmap>();
    if (!m_glyph->Empty() && m_glyph->Height() > 0 && m_glyph->Width() % m_glyph->Height() == 0)
        m_numGlyphs = std::clamp(m_glyph->Width() / m_glyph->Height(), 1, 4);
    Invalidate();
}

void TSpeedButton::SetGroupIndex(int Value)
{
    m_groupIndex = Value;
    if (Value == 0 && m_down) {
        m_down = false;
        Invalidate();
    }
}

void TSpeedButton::SetAllowAllUp(bool Value)
{
    m_allowAllUp = Value;
    if (Parent())
        for (int i = 0; i < Parent()->ControlCount(); ++i)
            if (auto* b = dynamic_cast<TSpeedButton*>(Parent()->Controls(i)); b && b->m_groupIndex == m_groupIndex && m_groupIndex != 0)
                b->m_allowAllUp = Value;
}

void TSpeedButton::SetDown(bool Value)
{
    if (m_groupIndex == 0)
        Value = false;
    if (Value == m_down)
        return;
    if (m_down && !m_allowAllUp)
        return;
    m_down = Value;
    if (Value && Parent())
        for (int i = 0; i < Parent()->ControlCount(); ++i)
            if (auto* b = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
                b && b != this && b->m_groupIndex == m_groupIndex && b->m_down) {
                b->m_down = false;
                b->Invalidate();
            }
    Invalidate();
}

void TSpeedButton::Click()
{
    if (!Enabled())
        return;
    if (m_groupIndex != 0) {
        if (!m_down)
            SetDown(true);
        else if (m_allowAllUp)
            SetDown(false);
    }
    TGraphicControl::Click();
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && Enabled()) {
        m_pressed = true;
        Invalidate();
    }
    TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && m_pressed) {
        m_pressed = false;
        Invalidate();
    }
    TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TSpeedButton::MouseEnter()
{
    m_hot = true;
    if (m_flat)
        Invalidate();
    TGraphicControl::MouseEnter();
}

void TSpeedButton::MouseLeave()
{
    m_hot = false;
    if (m_flat)
        Invalidate();
    TGraphicControl::MouseLeave();
}

bool TSpeedButton::DialogChar(TKeyChar Ch)
{
    if (IsAccel(Ch, Caption()) && Enabled() && Visible()) {
        Click();
        return true;
    }
    return false;
}

void TSpeedButton::Paint()
{
    TCanvas* canvas = Canvas();
    TRect r = ClientRect();
    const bool sunken = m_pressed || m_down;
    if (!m_flat) {
        canvas->DrawFrameControl(r, DFC_BUTTON, DFCS_BUTTONPUSH | (sunken ? unsigned(DFCS_PUSHED) : 0u));
    } else {
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(r);
        if (sunken || (m_hot && Enabled())) {
            TRect edge = r;
            canvas->DrawEdge(edge, sunken ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        }
    }
    const int offset = sunken ? 1 : 0;
    // The glyph part for the state: up, disabled, pressed, down.
    int part = 0;
    if (!Enabled() && m_numGlyphs > 1) part = 1;
    else if (m_pressed && m_numGlyphs > 2) part = 2;
    else if (m_down && m_numGlyphs > 3) part = 3;
    int gw = 0;
    int gh = 0;
    TBitmap image;
    if (!m_glyph->Empty()) {
        gw = m_glyph->Width() / m_numGlyphs;
        gh = m_glyph->Height();
        image.SetImage(m_glyph->Image().copy(part * gw, 0, gw, gh));
        image.SetTransparent(true);
    }
    canvas->Font()->Assign(Font());
    if (!Enabled())
        canvas->Font()->SetColor(clGrayText);
    const std::string caption = Caption();
    TRect textRect = Rect(0, 0, r.Width(), 0);
    if (!caption.empty())
        canvas->DrawText(caption, textRect, DT_CALCRECT | DT_SINGLELINE);
    const int tw = caption.empty() ? 0 : textRect.Width();
    const int th = caption.empty() ? 0 : textRect.Height();
    const int spacing = (gw > 0 && tw > 0) ? m_spacing : 0;
    const bool horizontal = m_layout == blGlyphLeft || m_layout == blGlyphRight;
    const int totalW = horizontal ? gw + spacing + tw : std::max(gw, tw);
    const int totalH = horizontal ? std::max(gh, th) : gh + spacing + th;
    int x = (r.Width() - totalW) / 2 + offset;
    int y = (r.Height() - totalH) / 2 + offset;
    int gx = x, gy = y + (totalH - gh) / 2, tx = x + gw + spacing, ty = y + (totalH - th) / 2;
    switch (m_layout) {
    case blGlyphRight: tx = x; gx = x + tw + spacing; break;
    case blGlyphTop: gx = x + (totalW - gw) / 2; gy = y; tx = x + (totalW - tw) / 2; ty = y + gh + spacing; break;
    case blGlyphBottom: tx = x + (totalW - tw) / 2; ty = y; gx = x + (totalW - gw) / 2; gy = y + th + spacing; break;
    default: break;
    }
    if (gw > 0)
        canvas->Draw(gx, gy, &image);
    if (!caption.empty()) {
        canvas->Brush()->SetStyle(bsClear);
        canvas->TextOut(tx, ty, StripHotkey(caption));
    }
}

// ===== TTimer =========================================================================

TTimer::TTimer(TComponent* AOwner)
    : TComponent(AOwner), m_timer(std::make_unique<TClockTimer>([this] {
          if (!IsDestroying())
              Timer();
      }))
{
    Update();
}

TTimer::~TTimer()
{
    Destroying();
    m_timer->Stop();
}

void TTimer::SetInterval(unsigned Value)
{
    m_interval = Value;
    Update();
}

void TTimer::SetEnabled(bool Value)
{
    m_enabled = Value;
    Update();
}

void TTimer::Update()
{
    m_timer->Stop();
    if (m_enabled && m_interval > 0)
        m_timer->Start(m_interval);
}

void TTimer::Timer()
{
    if (OnTimer)
        OnTimer(this);
}

} // namespace qel
