#include "platform/controls/Controls.h"

#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/controls/Messages.h"
#include "platform/controls/detail/ControlBridge.h"
#include "platform/controls/detail/ScrollBarStyle.h"
#include "platform/core/Guards.h"

#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QApplication>
#include <QScrollBar>
#include <QStyle>
#include <QPaintEvent>
#include <QVariant>
#include <QWindow>

#include <algorithm>

namespace qel {

namespace {

const char* const kControlProperty = "qelControl";
TControl* g_capture = nullptr;

// Keeps a painter on a small image so that a canvas can measure text outside painting.
struct MeasureDevice {
    QImage image{1, 1, QImage::Format_ARGB32_Premultiplied};
    QPainter painter{&image};
};

MeasureDevice& Measure()
{
    static MeasureDevice* device = new MeasureDevice;   // lives to the end of the program
    return *device;
}

} // namespace

// ===== TControl =====================================================================

TControl::TControl(TComponent* AOwner) : TControl(AOwner, new detail::PaintWidget) {}

TControl::TControl(TComponent* AOwner, QWidget* Widget) : TComponent(AOwner)
{
    Init(Widget);
}

void TControl::Init(QWidget* Widget)
{
    detail::EnsureApplicationFilter();
    m_widget = Widget;
    m_widget->setProperty(kControlProperty, QVariant::fromValue(static_cast<void*>(this)));
    m_widget->setAttribute(Qt::WA_NoMousePropagation);
    m_widget->hide();
    m_bridge = std::make_unique<detail::ControlBridge>(this);
    m_bridge->Watch(m_widget);
    m_font = std::make_unique<TFont>();
    m_fontLink.Connect(m_font->Changes(), [this](TObject*) {
        if (!m_applyingFont)
            m_parentFont = false;
        FontChanged();
    });
    FontChanged();
    m_lastWidth = m_widget->width();
    m_lastHeight = m_widget->height();
}

TControl::~TControl()
{
    Destroying();
    if (g_capture == this) {
        g_capture = nullptr;
        if (m_widget && !Screen().Headless())
            m_widget->releaseMouse();
    }
    if (m_parent)
        m_parent->RemoveControl(this);
    if (m_popupMenu)
        m_popupMenu->RemoveFreeNotification(this);
    detail::DiscardPosted(this);
    m_bridge->Detach();
    if (m_canvas)
        m_canvas->Detach();
    if (m_widget) {
        m_widget->setProperty(kControlProperty, QVariant());
        delete m_widget;
        m_widget = nullptr;
    }
}

TControl* TControl::FromWidget(const QObject* Object)
{
    for (const QObject* o = Object; o; o = o->parent()) {
        const QVariant v = o->property(kControlProperty);
        if (v.isValid()) {
            auto* c = static_cast<TControl*>(v.value<void*>());
            if (c)
                return c;
        }
        if (o->isWidgetType() && static_cast<const QWidget*>(o)->isWindow()) {
            // A top-level widget that is not a control (a menu, a dialog of Qt).
            const QWidget* w = static_cast<const QWidget*>(o);
            if (!w->parentWidget())
                return nullptr;
        }
    }
    return nullptr;
}

void TControl::SetParent(TWinControl* AParent)
{
    if (AParent == m_parent)
        return;
    for (TControl* p = AParent; p; p = p->m_parent)
        if (p == this)
            throw EInvalidOperation("A control cannot have itself or a child as its parent");
    if (m_parent)
        m_parent->RemoveControl(this);
    if (AParent)
        AParent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const { return m_parent; }

void TControl::SetParentComponent(TComponent* Value)
{
    if (auto* w = dynamic_cast<TWinControl*>(Value))
        SetParent(w);
}

// A parent with a border keeps its children's widgets inside it; positions are client coordinates.
int TControl::Left() const { return m_widget->geometry().x() - (m_parent ? m_parent->BorderInset() : 0); }
int TControl::Top() const { return m_widget->geometry().y() - (m_parent ? m_parent->BorderInset() : 0); }
int TControl::Width() const { return m_widget->geometry().width(); }
int TControl::Height() const { return m_widget->geometry().height(); }

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    AWidth = std::max(0, AWidth);
    AHeight = std::max(0, AHeight);
    const QRect old = m_widget->geometry();
    const int inset = m_parent ? m_parent->BorderInset() : 0;
    const QRect next(ALeft + inset, ATop + inset, AWidth, AHeight);
    if (old != next)
        m_widget->setGeometry(next);
    if (m_parent && m_align != alNone && !m_parent->m_aligning)
        m_parent->Realign();
    SizeChanged();
}

void TControl::SizeChanged()
{
    const int w = m_widget->width();
    const int h = m_widget->height();
    if (w == m_lastWidth && h == m_lastHeight)
        return;
    m_lastWidth = w;
    m_lastHeight = h;
    BoundsChanged();
    if (auto* win = dynamic_cast<TWinControl*>(this))
        win->Realign();
    Resize();
}

TRect TControl::ClientRect() const
{
    const QWidget* w = ClientWidget();
    return Rect(0, 0, w->width(), w->height());
}

void TControl::SetClientWidth(int Value) { SetWidth(Width() - ClientWidth() + Value); }
void TControl::SetClientHeight(int Value) { SetHeight(Height() - ClientHeight() + Value); }

TPoint TControl::ClientToScreen(TPoint P) const
{
    const int inset = BorderInset();
    const QPoint g = ClientWidget()->mapToGlobal(QPoint(P.X + inset, P.Y + inset));
    return {g.x(), g.y()};
}

TPoint TControl::ScreenToClient(TPoint P) const
{
    const int inset = BorderInset();
    const QPoint l = ClientWidget()->mapFromGlobal(QPoint(P.X, P.Y));
    return {l.x() - inset, l.y() - inset};
}

void TControl::SetAlign(TAlign Value)
{
    if (m_align == Value)
        return;
    m_align = Value;
    if (m_parent)
        m_parent->Realign();
}

void TControl::ApplyVisible()
{
    // A control without parent is not a window of its own; forms override.
    const bool show = m_visible && m_parent != nullptr;
    if (m_widget->isHidden() == show)
        m_widget->setVisible(show);
}

void TControl::SetVisible(bool Value)
{
    if (m_visible == Value)
        return;
    m_visible = Value;
    if (!Value && g_capture && (g_capture == this || (m_widget->isAncestorOf(g_capture->m_widget))))
        g_capture->LoseCapture();
    // A control that goes while it holds the focus hands it to its parent, as
    // on the platform; Qt would pass it on to the next control of the window.
    if (!Value && m_parent && !dynamic_cast<TForm*>(m_parent)) {
        QWidget* fw = m_widget->window()->focusWidget();
        if (fw && (fw == m_widget || m_widget->isAncestorOf(fw)) && m_parent->CanFocus())
            m_parent->SetFocus();
    }
    ApplyVisible();
    if (m_parent && m_align != alNone)
        m_parent->Realign();
    VisibleChanged();
}

bool TControl::Showing() const
{
    for (const TControl* c = this; c; c = c->m_parent) {
        if (!c->m_visible)
            return false;
        if (!c->m_parent)
            return dynamic_cast<const TForm*>(c) != nullptr && c->m_widget->isVisible();
    }
    return false;
}

void TControl::SetEnabled(bool Value)
{
    if (m_enabled == Value)
        return;
    m_enabled = Value;
    if (!Value && g_capture == this)
        LoseCapture();
    m_widget->setEnabled(Value);
    EnabledChanged();
}

void TControl::SetColor(TColor Value)
{
    m_parentColor = false;
    if (m_color == Value)
        return;
    m_color = Value;
    ColorChanged();
}

void TControl::SetParentColor(bool Value)
{
    m_parentColor = Value;
    if (Value)
        UpdateParentColor();
}

void TControl::UpdateParentColor()
{
    if (m_parentColor && m_parent && m_color != m_parent->Color()) {
        m_color = m_parent->Color();
        ColorChanged();
    }
}

void TControl::ColorChanged()
{
    ApplyColor();
    Invalidate();
    if (auto* win = dynamic_cast<TWinControl*>(this))
        for (TControl* c : win->m_controls)
            c->UpdateParentColor();
}

void TControl::ApplyColor()
{
    QPalette pal = m_widget->palette();
    pal.setColor(QPalette::Window, ToQColor(m_color));
    m_widget->setPalette(pal);
}

void TControl::SetParentFont(bool Value)
{
    m_parentFont = Value;
    if (Value)
        UpdateParentFont();
}

void TControl::UpdateParentFont()
{
    if (!m_parentFont || !m_parent || m_font->Equals(*m_parent->Font()))
        return;
    TValueRestorer applying(m_applyingFont, true);
    m_font->Assign(m_parent->Font());
}

void TControl::FontChanged()
{
    m_widget->setFont(m_font->QtFont());
    QPalette pal = m_widget->palette();
    const QColor c = ToQColor(m_font->Color());
    pal.setColor(QPalette::WindowText, c);
    pal.setColor(QPalette::Text, c);
    pal.setColor(QPalette::ButtonText, c);
    m_widget->setPalette(pal);
    Invalidate();
    if (auto* win = dynamic_cast<TWinControl*>(this))
        for (TControl* child : win->m_controls)
            child->UpdateParentFont();
}

void TControl::SetText(const std::string& Value)
{
    if (m_text == Value)
        return;
    m_text = Value;
    TextChanged();
    Invalidate();
}

void TControl::SetCursor(TCursor Value)
{
    m_cursor = Value;
    ApplyCursor();
}

void TControl::ApplyCursor()
{
    if (m_cursor == crDefault)
        m_widget->unsetCursor();
    else
        m_widget->setCursor(detail::QtCursor(m_cursor));
}

void TControl::SetHint(const std::string& Value)
{
    m_hint = Value;
    ApplyHint();
}

bool TControl::ShowHint() const
{
    if (m_parentShowHint && m_parent)
        return m_parent->ShowHint();
    return m_showHint;
}

void TControl::SetShowHint(bool Value)
{
    m_showHint = Value;
    m_parentShowHint = false;
    ApplyHint();
}

void TControl::SetParentShowHint(bool Value)
{
    m_parentShowHint = Value;
    ApplyHint();
}

void TControl::ApplyHint()
{
    const std::string shortHint = m_hint.substr(0, m_hint.find('|'));
    m_widget->setToolTip(ShowHint() ? detail::ToQString(shortHint) : QString());
    if (auto* win = dynamic_cast<TWinControl*>(this))
        for (TControl* c : win->m_controls)
            if (c->m_parentShowHint)
                c->ApplyHint();
}

void TControl::SetPopupMenu(TPopupMenu* Value)
{
    SetFreeNotified(m_popupMenu, Value);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_popupMenu)
        m_popupMenu = nullptr;
}

void TControl::Invalidate()
{
    if (m_widget)
        m_widget->update();
}

void TControl::InvalidateRect(const TRect& R)
{
    const int inset = BorderInset();
    ClientWidget()->update(detail::ToQRect(R).translated(inset, inset));
}

void TControl::Update()
{
    // The window's pending update request paints what was invalidated (and
    // only that, so a scrolled window paints just the uncovered strip).
    if (m_widget->isVisible())
        QCoreApplication::sendPostedEvents(m_widget->window(), QEvent::UpdateRequest);
}

void TControl::Repaint()
{
    if (m_widget->isVisible())
        m_widget->repaint();
}

void TControl::ScrollWindow(int DX, int DY, const TRect* Area)
{
    QWidget* w = ClientWidget();
    const int inset = BorderInset();
    if (Area) {
        w->scroll(DX, DY, detail::ToQRect(*Area).translated(inset, inset));
        return;
    }
    const TRect client = ClientRect();
    if (inset == 0 && client.Width() == w->width() && client.Height() == w->height()) {
        w->scroll(DX, DY);   // moves the children too
        return;
    }
    // A border or window scroll bars stand inside the widget: only the client area moves, with the child controls.
    w->scroll(DX, DY, detail::ToQRect(client).translated(inset, inset));
    if (auto* win = dynamic_cast<TWinControl*>(this))
        for (TControl* c : win->m_controls)
            c->Widget()->move(c->Widget()->x() + DX, c->Widget()->y() + DY);
}

TCanvas* TControl::Canvas()
{
    if (!m_canvas)
        m_canvas = std::make_unique<TCanvas>();
    if (!m_painting && !m_canvas->HandleAllocated()) {
        MeasureDevice& m = Measure();
        m_canvas->Attach(&m.painter, &m.image);
    }
    return m_canvas.get();
}

void TControl::PaintTo(void* Painter, const TRect& Clip)
{
    auto* painter = static_cast<QPainter*>(Painter);
    const int inset = BorderInset();
    if (inset == 0) {
        PaintWithCanvas(painter, Clip, [this] { Paint(); });
        return;
    }
    // Paint draws in client coordinates, inside the border; then the border around it.
    TRect clip = Clip;
    OffsetRect(clip, -inset, -inset);
    IntersectRect(clip, clip, ClientRect());
    if (!IsRectEmpty(clip)) {
        painter->save();
        Finally restore([painter] { painter->restore(); });
        painter->translate(inset, inset);
        PaintWithCanvas(painter, clip, [this] { Paint(); });
    }
    PaintWithCanvas(painter, Clip, [this] { PaintNonClient(); });
}

void TControl::PaintWithCanvas(QPainter* Painter, const TRect& Clip, const std::function<void()>& Body)
{
    if (!m_canvas)
        m_canvas = std::make_unique<TCanvas>();
    const bool wasPainting = m_painting;
    m_canvas->Detach();
    Painter->save();
    Painter->setClipRect(detail::ToQRect(Clip), Qt::IntersectClip);
    m_canvas->Attach(Painter, Painter->device());
    m_canvas->Font()->Assign(m_font.get());
    m_canvas->Brush()->SetColor(m_color);
    m_painting = true;
    Finally done([this, Painter, wasPainting] {
        m_painting = wasPainting;
        m_canvas->Detach();
        Painter->restore();
    });
    Body();
}

void TControl::WatchInputWidget(QWidget* W) { m_bridge->Watch(W); }

void TControl::SetOpaque(bool Value)
{
    m_widget->setAttribute(Qt::WA_OpaquePaintEvent, Value);
    m_widget->setAutoFillBackground(!Value);
}

void TControl::SetWindowRgn(const TRegion* Region)
{
    if (Region)
        m_widget->setMask(Region->Qt());
    else
        m_widget->clearMask();
}

bool TControl::GetWindowRgn(TRegion& Region) const
{
    const QRegion mask = m_widget->mask();
    if (mask.isEmpty())
        return false;
    Region = TRegion(mask);
    return true;
}

void TControl::BringToFront() { m_widget->raise(); }
void TControl::SendToBack() { m_widget->lower(); }

TControl* TControl::CaptureControl() { return g_capture; }

namespace {

// The desktop grabs the pointer only for a window on the screen: a capture
// taken while the window is still being shown (a popup that captures as it
// opens) is taken again once the window is there.
class GrabWhenExposed : public QObject {
public:
    GrabWhenExposed(QWidget* Widget, QWindow* Window) : QObject(Window), m_widget(Widget) { Window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Event->type() == QEvent::Expose && static_cast<QWindow*>(Watched)->isExposed()) {
            if (m_widget && QWidget::mouseGrabber() == m_widget)
                m_widget->grabMouse();
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> m_widget;
};

} // namespace

void TControl::SetCapture()
{
    if (g_capture == this)
        return;
    if (g_capture)
        g_capture->LoseCapture();
    g_capture = this;
    // The offscreen platform has no pointer to grab; the capture routing is ours anyway.
    if (!m_widget->isVisible() || Screen().Headless())
        return;
    m_widget->grabMouse();
    if (QWindow* window = m_widget->window()->windowHandle(); window && !window->isExposed())
        new GrabWhenExposed(m_widget, window);
}

void TControl::ReleaseCapture()
{
    if (g_capture != this)
        return;
    g_capture = nullptr;
    if (!Screen().Headless())
        m_widget->releaseMouse();
}

bool TControl::MouseCapture() const { return g_capture == this; }

void TControl::LoseCapture()
{
    if (g_capture != this)
        return;
    ReleaseCapture();
    MouseCaptureLost();
}

TForm* TControl::ParentForm() const { return GetParentForm(this); }

TForm* GetParentForm(const TControl* Control)
{
    const TControl* c = Control;
    while (c && c->Parent())
        c = c->Parent();
    return const_cast<TForm*>(dynamic_cast<const TForm*>(c));
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

std::intptr_t TControl::Perform(unsigned Msg, std::uintptr_t WParam, std::intptr_t LParam)
{
    TMessage m{Msg, WParam, LParam, 0};
    WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& /*Message*/) {}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    return handled;
}

void TControl::MouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TControl::MouseLeave()
{
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled)
{
    if (OnContextPopup)
        OnContextPopup(this, MousePos, Handled);
}

void TControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

bool TControl::DialogChar(TKeyChar) { return false; }

// Kinds: 0 down, 1 move, 2 up, 3 double click.
void TControl::HandleMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, TPoint P)
{
    switch (Kind) {
    case 0:
        if (Button == mbLeft)
            m_leftPressed = true;
        MouseDown(Button, Shift, P.X, P.Y);
        break;
    case 1:
        MouseMove(Shift, P.X, P.Y);
        break;
    case 2: {
        const bool click = Button == mbLeft && m_leftPressed && m_clickOnMouseUp
                           && ClientRect().Contains(P);
        if (Button == mbLeft)
            m_leftPressed = false;
        if (click)
            Click();
        MouseUp(Button, Shift, P.X, P.Y);
        break;
    }
    case 3:
        if (Button == mbLeft)
            m_leftPressed = true;
        DblClick();
        MouseDown(Button, Shift + TShiftState{ssDouble}, P.X, P.Y);
        break;
    default:
        break;
    }
}

// ===== TWinControl ==================================================================

TWinControl::TWinControl(TComponent* AOwner) : TWinControl(AOwner, new detail::PaintWidget) {}

TWinControl::TWinControl(TComponent* AOwner, QWidget* Widget, QWidget* Container)
    : TControl(AOwner, Widget), m_container(Container ? Container : Widget)
{
    ApplyTabStop();
}

TWinControl::~TWinControl()
{
    Destroying();
    // Children go first, as their widgets live inside ours.
    while (!m_controls.empty())
        delete m_controls.back();
}

TControl* TWinControl::Controls(int Index) const
{
    if (Index < 0 || Index >= ControlCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return m_controls[static_cast<std::size_t>(Index)];
}

bool TWinControl::ContainsControl(const TControl* Control) const
{
    for (const TControl* c = Control; c; c = c->Parent())
        if (c == this)
            return true;
    return false;
}

QWidget* TWinControl::ClientWidget() const { return m_container; }

void TWinControl::InsertControl(TControl* Control)
{
    Control->m_parent = this;
    m_controls.push_back(Control);
    if (auto* win = dynamic_cast<TWinControl*>(Control))
        m_tabList.push_back(win);
    const QRect g = Control->m_widget->geometry();
    Control->m_widget->setParent(m_container);
    Control->m_widget->setGeometry(g);
    Control->ApplyVisible();
    Control->UpdateParentFont();
    Control->UpdateParentColor();
    if (Control->m_parentShowHint)
        Control->ApplyHint();
    if (Control->m_align != alNone)
        Realign();
    ControlInserted(Control);
    TabChainChanged();
}

void TWinControl::RemoveControl(TControl* Control)
{
    auto it = std::find(m_controls.begin(), m_controls.end(), Control);
    if (it == m_controls.end())
        return;
    m_controls.erase(it);
    m_tabList.erase(std::remove(m_tabList.begin(), m_tabList.end(), Control), m_tabList.end());
    Control->m_parent = nullptr;
    if (TForm* form = ParentForm(); form && form->m_activeControl
                                    && (Control == form->m_activeControl
                                        || (dynamic_cast<TWinControl*>(Control)
                                            && static_cast<TWinControl*>(Control)->ContainsControl(form->m_activeControl))))
        form->m_activeControl = nullptr;
    if (!IsDestroying())
        ControlRemoved(Control);
    if (Control->m_widget && !IsDestroying()) {
        Control->m_widget->hide();
        Control->m_widget->setParent(nullptr);
    }
    if (Control->m_align != alNone && !IsDestroying())
        Realign();
}

bool TWinControl::Focused() const
{
    QWidget* fw = m_widget->window()->focusWidget();
    return fw && TControl::FromWidget(fw) == this;
}

bool TWinControl::CanFocus() const
{
    const TControl* c = this;
    for (; c; c = c->Parent()) {
        if (!c->Visible() || !c->Enabled())
            return false;
        if (!c->Parent())
            break;
    }
    const auto* form = dynamic_cast<const TForm*>(c);
    return form != nullptr && form->Widget()->isVisible();
}

void TWinControl::SetFocus()
{
    if (!CanFocus())
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    if (TForm* form = ParentForm())
        form->m_activeControl = this;
    m_widget->setFocus(Qt::OtherFocusReason);
}

void TWinControl::SetTabStop(bool Value)
{
    if (m_tabStop == Value)
        return;
    m_tabStop = Value;
    ApplyTabStop();
}

void TWinControl::ApplyTabStop()
{
    if (!AcceptsFocus())
        m_widget->setFocusPolicy(Qt::NoFocus);
    else
        m_widget->setFocusPolicy(m_tabStop ? Qt::StrongFocus : Qt::ClickFocus);
}

int TWinControl::TabOrder() const
{
    if (!Parent())
        return -1;
    const auto& list = Parent()->m_tabList;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value)
{
    TWinControl* p = Parent();
    if (!p)
        return;
    auto& list = p->m_tabList;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    Value = std::clamp(Value, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + Value, this);
    TabChainChanged();
}

std::vector<TWinControl*> TWinControl::TabList() const { return m_tabList; }

namespace {

void CollectTabOrder(const TWinControl* Parent, std::vector<TWinControl*>& Out)
{
    for (TWinControl* c : Parent->TabList()) {
        Out.push_back(c);
        CollectTabOrder(c, Out);
    }
}

} // namespace

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop) const
{
    std::vector<TWinControl*> order;
    CollectTabOrder(this, order);
    if (order.empty())
        return nullptr;
    if (!GoForward)
        std::reverse(order.begin(), order.end());
    auto start = std::find(order.begin(), order.end(), CurControl);
    const std::size_t n = order.size();
    std::size_t i = start == order.end() ? n - 1 : static_cast<std::size_t>(start - order.begin());
    for (std::size_t k = 0; k < n; ++k) {
        i = (i + 1) % n;
        TWinControl* c = order[i];
        if (c == CurControl)
            break;
        if (c->CanFocus() && c->AcceptsFocus() && (!CheckTabStop || c->TabStop()))
            return c;
    }
    return nullptr;
}

void TWinControl::SelectFirst()
{
    if (TWinControl* c = FindNextControl(nullptr, true, true))
        c->SetFocus();
}

void TWinControl::TabChainChanged()
{
    TForm* form = ParentForm();
    const TWinControl* root = form ? static_cast<const TWinControl*>(form) : this;
    std::vector<TWinControl*> order;
    CollectTabOrder(root, order);
    QWidget* prev = nullptr;
    for (TWinControl* c : order) {
        QWidget* w = c->Widget();
        if (w->focusPolicy() == Qt::NoFocus)
            continue;
        if (prev && prev->window() == w->window())
            QWidget::setTabOrder(prev, w);
        prev = w;
    }
}

void TWinControl::EnableAlign()
{
    if (m_alignLock > 0 && --m_alignLock == 0 && m_alignPending)
        Realign();
}

TRect TWinControl::AlignRect() const { return ClientRect(); }

void TWinControl::Realign()
{
    if (m_alignLock > 0) {
        m_alignPending = true;
        return;
    }
    if (m_aligning)
        return;
    m_alignPending = false;
    TValueRestorer aligning(m_aligning, true);
    TRect r = AlignRect();
    AlignControls(r);
}

void TWinControl::AlignControls(TRect& R)
{
    auto take = [this](TAlign Align) {
        std::vector<TControl*> list;
        for (TControl* c : m_controls)
            if (c->Align() == Align && c->Visible())
                list.push_back(c);
        auto key = [Align](const TControl* C) {
            switch (Align) {
            case alTop: return C->Top();
            case alBottom: return -(C->Top() + C->Height());
            case alLeft: return C->Left();
            case alRight: return -(C->Left() + C->Width());
            default: return 0;
            }
        };
        std::stable_sort(list.begin(), list.end(),
                         [&](const TControl* A, const TControl* B) { return key(A) < key(B); });
        return list;
    };
    for (TControl* c : take(alTop)) {
        const int h = c->Height();
        c->SetBounds(R.Left, R.Top, std::max(0, R.Width()), h);
        R.Top += h;
    }
    for (TControl* c : take(alBottom)) {
        const int h = c->Height();
        c->SetBounds(R.Left, R.Bottom - h, std::max(0, R.Width()), h);
        R.Bottom -= h;
    }
    for (TControl* c : take(alLeft)) {
        const int w = c->Width();
        c->SetBounds(R.Left, R.Top, w, std::max(0, R.Height()));
        R.Left += w;
    }
    for (TControl* c : take(alRight)) {
        const int w = c->Width();
        c->SetBounds(R.Right - w, R.Top, w, std::max(0, R.Height()));
        R.Right -= w;
    }
    for (TControl* c : take(alClient))
        c->SetBounds(R.Left, R.Top, std::max(0, R.Width()), std::max(0, R.Height()));
}

void TWinControl::ScrollBy(int DX, int DY)
{
    // ScrollWindow moves the children with the pixels.
    ScrollWindow(DX, DY);
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

void TWinControl::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (OnKeyDown)
        OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(std::uint16_t& Key, TShiftState Shift)
{
    if (OnKeyUp)
        OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(TKeyChar& Key)
{
    if (OnKeyPress)
        OnKeyPress(this, Key);
}

void TWinControl::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_KEYUP: {
        auto key = static_cast<std::uint16_t>(Message.WParam);
        if (Message.Msg == WM_KEYDOWN)
            KeyDown(key, {});
        else
            KeyUp(key, {});
        break;
    }
    case WM_CHAR: {
        // A character that arrives without a key: KeyPress first, then the widget takes what is left.
        auto ch = static_cast<TKeyChar>(Message.WParam);
        KeyPress(ch);
        if (ch && !IsDestroying())
            detail::ControlBridge::InsertChar(this, ch);
        break;
    }
    default:
        TControl::WndProc(Message);
        break;
    }
}

// ===== TCustomControl ===============================================================

// One window scroll bar: the platform's state is ours; the Qt bar only shows
// it and reports the user's actions.
struct TCustomControl::Bar {
    QScrollBar* Widget{nullptr};       // owned by the control's widget
    TScrollInfo Info;
    bool Shown{false};
    bool Enabled{true};
    bool Dragging{false};
};

struct TCustomControl::Bars {
    Bar Horz;
    Bar Vert;
    QWidget* Corner{nullptr};
    std::unique_ptr<QObject> ReleaseWatch;
    int ClientWidth{-1};
    int ClientHeight{-1};
};

namespace {

// Ends a press on a bar's arrow or track with scEndScroll, as the platform does.
class BarReleaseWatch : public QObject {
public:
    explicit BarReleaseWatch(std::function<void(QObject*)> Released) : m_released(std::move(Released)) {}

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Event->type() == QEvent::MouseButtonRelease)
            m_released(Watched);
        return false;
    }

private:
    std::function<void(QObject*)> m_released;
};

int ClampScrollPos(const TScrollInfo& I, int Pos)
{
    const int hi = std::max(I.Min, I.Max - std::max(I.Page - 1, 0));
    return std::clamp(Pos, I.Min, hi);
}

} // namespace

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner)
{
    Widget()->setAutoFillBackground(true);
    ApplyColor();
}

TCustomControl::~TCustomControl() = default;

TCustomControl::Bar* TCustomControl::BarOf(int Which) const
{
    if (!m_bars)
        return nullptr;
    if (Which == SB_HORZ)
        return &m_bars->Horz;
    if (Which == SB_VERT)
        return &m_bars->Vert;
    return nullptr;
}

TCustomControl::Bar& TCustomControl::EnsureBar(int Which)
{
    if (!m_bars) {
        m_bars = std::make_unique<Bars>();
        m_bars->ReleaseWatch = std::make_unique<BarReleaseWatch>([this](QObject* W) {
            for (Bar* b : {&m_bars->Horz, &m_bars->Vert})
                if (b->Widget == W && !b->Dragging && b->Shown && b->Enabled)
                    DoScroll(b == &m_bars->Horz ? sbHorizontal : sbVertical, scEndScroll, b->Info.Pos);
        });
        m_bars->Corner = new QWidget(Widget());
        m_bars->Corner->setAutoFillBackground(true);
        QPalette pal = m_bars->Corner->palette();
        pal.setColor(QPalette::Window, ToQColor(clBtnFace));
        m_bars->Corner->setPalette(pal);
        m_bars->Corner->hide();
    }
    Bar& b = Which == SB_HORZ ? m_bars->Horz : m_bars->Vert;
    if (!b.Widget) {
        const TScrollBarKind kind = Which == SB_HORZ ? sbHorizontal : sbVertical;
        b.Widget = new QScrollBar(Which == SB_HORZ ? Qt::Horizontal : Qt::Vertical, Widget());
        b.Widget->setFocusPolicy(Qt::NoFocus);
        b.Widget->setTracking(false);
        if (QStyle* look = detail::ScrollBarQtStyle(m_scrollBarStyle))
            b.Widget->setStyle(look);
        b.Widget->hide();
        b.Widget->installEventFilter(m_bars->ReleaseWatch.get());
        Bar* bp = &b;
        QObject::connect(b.Widget, &QAbstractSlider::actionTriggered, b.Widget, [this, bp, kind](int Action) {
            const int thumb = bp->Widget->sliderPosition();
            const std::optional<TScrollCode> code = detail::ScrollCodeFromQt(Action);
            if (!code)
                return;
            // The thumb follows a drag; anything else waits for the control to move it.
            if (*code != scTrack)
                bp->Widget->setSliderPosition(bp->Info.Pos);
            ScrollBarAction(kind, *code, thumb);
        });
        QObject::connect(b.Widget, &QAbstractSlider::sliderPressed, b.Widget, [bp] { bp->Dragging = true; });
        QObject::connect(b.Widget, &QAbstractSlider::sliderReleased, b.Widget, [this, bp, kind] {
            const int thumb = bp->Widget->sliderPosition();
            bp->Dragging = false;
            ScrollBarAction(kind, scPosition, thumb);
            if (bp->Widget)
                bp->Widget->setSliderPosition(bp->Info.Pos);
            ScrollBarAction(kind, scEndScroll);
        });
    }
    return b;
}

int TCustomControl::SetScrollInfo(int Which, const TScrollInfo& Info, bool DisableNoScroll)
{
    if (Which != SB_HORZ && Which != SB_VERT)
        return 0;
    Bar& b = EnsureBar(Which);
    TScrollInfo i = Info;
    if (i.Max < i.Min)
        i.Max = i.Min;
    i.Page = std::clamp(i.Page, 0, i.Max - i.Min + 1);
    i.Pos = ClampScrollPos(i, i.Pos);
    i.TrackPos = b.Info.TrackPos;
    b.Info = i;
    const bool needed = i.Page == 0 ? i.Max > i.Min : i.Page <= i.Max - i.Min;
    if (needed) {
        b.Shown = true;
        b.Enabled = true;
    } else if (DisableNoScroll) {
        b.Shown = true;
        b.Enabled = false;
    } else {
        b.Shown = false;
    }
    LayoutBars();
    return i.Pos;
}

TScrollInfo TCustomControl::GetScrollInfo(int Which) const
{
    const Bar* b = BarOf(Which);
    if (!b)
        return {};
    TScrollInfo i = b->Info;
    i.TrackPos = b->Dragging && b->Widget ? b->Widget->sliderPosition() : i.Pos;
    return i;
}

int TCustomControl::SetScrollPos(int Which, int Pos)
{
    if (Which != SB_HORZ && Which != SB_VERT)
        return 0;
    Bar& b = EnsureBar(Which);
    const int old = b.Info.Pos;
    b.Info.Pos = ClampScrollPos(b.Info, Pos);
    if (b.Widget && !b.Dragging)
        b.Widget->setSliderPosition(b.Info.Pos);
    return old;
}

void TCustomControl::ShowScrollBar(int Which, bool Show)
{
    if (Which != SB_HORZ && Which != SB_VERT)
        return;
    Bar& b = EnsureBar(Which);
    if (b.Shown == Show)
        return;
    b.Shown = Show;
    LayoutBars();
}

void TCustomControl::EnableScrollBar(int Which, bool Enable)
{
    if (Which != SB_HORZ && Which != SB_VERT)
        return;
    Bar& b = EnsureBar(Which);
    b.Enabled = Enable;
    if (b.Widget)
        b.Widget->setEnabled(Enable);
}

void TCustomControl::SetScrollBarStyle(TScrollBarStyle Value)
{
    if (Value == m_scrollBarStyle)
        return;
    m_scrollBarStyle = Value;
    if (!m_bars)
        return;
    QStyle* look = detail::ScrollBarQtStyle(Value);
    for (Bar* b : {&m_bars->Horz, &m_bars->Vert})
        if (b->Widget) {
            // Back to the application's style for the standard look.
            b->Widget->setStyle(look ? look : QApplication::style());
            b->Widget->update();
        }
}

bool TCustomControl::ScrollBarVisible(int Which) const
{
    const Bar* b = BarOf(Which);
    return b && b->Shown;
}

bool TCustomControl::ScrollBarEnabled(int Which) const
{
    const Bar* b = BarOf(Which);
    return b && b->Shown && b->Enabled;
}

TRect TCustomControl::ClientRect() const
{
    TRect r = TWinControl::ClientRect();
    const int inset = BorderInset();
    r.Right = std::max(r.Left, r.Right - 2 * inset);
    r.Bottom = std::max(r.Top, r.Bottom - 2 * inset);
    if (ScrollBarVisible(SB_VERT))
        r.Right = std::max(r.Left, r.Right - GetSystemMetrics(SM_CXVSCROLL));
    if (ScrollBarVisible(SB_HORZ))
        r.Bottom = std::max(r.Top, r.Bottom - GetSystemMetrics(SM_CYHSCROLL));
    return r;
}

void TCustomControl::SetBorderStyle(TBorderStyle Value)
{
    if (Value == m_borderStyle)
        return;
    const int old = BorderInset();
    m_borderStyle = Value;
    BorderChanged(old);
}

void TCustomControl::SetCtl3D(bool Value)
{
    if (Value == m_ctl3D)
        return;
    const int old = BorderInset();
    m_ctl3D = Value;
    BorderChanged(old);
}

int TCustomControl::BorderInset() const
{
    if (m_borderStyle == bsNone)
        return 0;
    return GetSystemMetrics(m_ctl3D ? SM_CXEDGE : SM_CXBORDER);
}

void TCustomControl::BorderChanged(int OldInset)
{
    const int delta = BorderInset() - OldInset;
    if (delta)
        for (int i = 0; i < ControlCount(); ++i) {
            QWidget* w = Controls(i)->Widget();
            w->move(w->x() + delta, w->y() + delta);
        }
    if (m_bars)
        LayoutBars();
    if (delta) {
        Realign();
        Resize();
    }
    Invalidate();
}

void TCustomControl::PaintNonClient()
{
    if (m_borderStyle == bsNone)
        return;
    TCanvas* canvas = Canvas();
    TRect r = Rect(0, 0, Width(), Height());
    if (m_ctl3D) {
        canvas->DrawEdge(r, EDGE_SUNKEN, BF_RECT);
    } else {
        canvas->Brush()->SetColor(clWindowFrame);
        canvas->FrameRect(r);
    }
}

void TCustomControl::ScrollBarAction(TScrollBarKind Kind, TScrollCode Code, int ThumbPos)
{
    const int which = Kind == sbHorizontal ? SB_HORZ : SB_VERT;
    const Bar* b = BarOf(which);
    if (!b || !b->Shown || !b->Enabled)
        return;
    const int pos = Code == scTrack || Code == scPosition ? ClampScrollPos(b->Info, ThumbPos) : b->Info.Pos;
    DoScroll(Kind, Code, pos);
}

void TCustomControl::BoundsChanged()
{
    LayoutBars();
}

void TCustomControl::LayoutBars()
{
    if (!m_bars)
        return;
    const TRect before = Rect(0, 0, m_bars->ClientWidth, m_bars->ClientHeight);
    const int w = Width();
    const int h = Height();
    const int inset = BorderInset();
    const TRect client = ClientRect();
    for (Bar* b : {&m_bars->Horz, &m_bars->Vert}) {
        if (!b->Widget)
            continue;
        b->Widget->setVisible(b->Shown);
        if (!b->Shown)
            continue;
        const TScrollInfo& i = b->Info;
        b->Widget->setRange(i.Min, std::max(i.Min, i.Max - std::max(i.Page - 1, 0)));
        b->Widget->setPageStep(std::max(i.Page, 1));
        b->Widget->setSingleStep(1);
        if (!b->Dragging)
            b->Widget->setSliderPosition(i.Pos);
        b->Widget->setEnabled(b->Enabled);
        // Inside the border, beside and below the client area.
        if (b == &m_bars->Vert)
            b->Widget->setGeometry(inset + client.Right, inset, w - 2 * inset - client.Right, client.Bottom);
        else
            b->Widget->setGeometry(inset, inset + client.Bottom, client.Right, h - 2 * inset - client.Bottom);
        b->Widget->raise();
    }
    const bool corner = m_bars->Horz.Shown && m_bars->Vert.Shown;
    m_bars->Corner->setVisible(corner);
    if (corner) {
        m_bars->Corner->setGeometry(inset + client.Right, inset + client.Bottom, w - 2 * inset - client.Right,
                                    h - 2 * inset - client.Bottom);
        m_bars->Corner->raise();
    }
    m_bars->ClientWidth = client.Width();
    m_bars->ClientHeight = client.Height();
    // A bar that comes or goes changes the client area: children realign, the control hears of it.
    if (before.Width() != client.Width() || before.Height() != client.Height()) {
        Realign();
        Invalidate();
    }
}

} // namespace qel
