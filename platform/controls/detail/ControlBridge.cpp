#include "platform/controls/detail/ControlBridge.h"

#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"
#include "platform/controls/InputFilter.h"
#include "platform/controls/Menus.h"
#include "platform/controls/Messages.h"
#include "platform/core/Guards.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QShortcutEvent>
#include <QStyleHints>
#include <QWheelEvent>

#include <exception>
#include <utility>
#include <map>
#include <memory>

namespace qel::detail {

// ----- conversions ---------------------------------------------------------------

TShiftState ShiftFromQt(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons)
{
    TShiftState s;
    if (Modifiers & Qt::ShiftModifier) s.Include(ssShift);
    if (Modifiers & Qt::ControlModifier) s.Include(ssCtrl);
    if (Modifiers & Qt::AltModifier) s.Include(ssAlt);
    if (Buttons & Qt::LeftButton) s.Include(ssLeft);
    if (Buttons & Qt::RightButton) s.Include(ssRight);
    if (Buttons & Qt::MiddleButton) s.Include(ssMiddle);
    return s;
}

Qt::KeyboardModifiers QtModifiers(TShiftState Shift)
{
    Qt::KeyboardModifiers m;
    if (Shift.Contains(ssShift)) m |= Qt::ShiftModifier;
    if (Shift.Contains(ssCtrl)) m |= Qt::ControlModifier;
    if (Shift.Contains(ssAlt)) m |= Qt::AltModifier;
    return m;
}

namespace {

struct KeyPair {
    int qt;
    std::uint16_t vk;
};

const KeyPair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB}, {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Clear, VK_CLEAR}, {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT}, {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE}, {Qt::Key_CapsLock, VK_CAPITAL}, {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE}, {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END}, {Qt::Key_Home, VK_HOME}, {Qt::Key_Left, VK_LEFT}, {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT}, {Qt::Key_Down, VK_DOWN}, {Qt::Key_Select, VK_SELECT},
    {Qt::Key_Print, VK_SNAPSHOT}, {Qt::Key_Insert, VK_INSERT}, {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Help, VK_HELP}, {Qt::Key_Meta, VK_LWIN}, {Qt::Key_Menu, VK_APPS},
    {Qt::Key_NumLock, VK_NUMLOCK}, {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Plus, VK_OEM_PLUS}, {Qt::Key_Comma, VK_OEM_COMMA}, {Qt::Key_Minus, VK_OEM_MINUS},
    {Qt::Key_Period, VK_OEM_PERIOD}, {Qt::Key_Semicolon, VK_OEM_1}, {Qt::Key_Slash, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3}, {Qt::Key_BracketLeft, VK_OEM_4}, {Qt::Key_Backslash, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6}, {Qt::Key_Apostrophe, VK_OEM_7}, {Qt::Key_Less, VK_OEM_102},
    {Qt::Key_Asterisk, VK_MULTIPLY},
};

} // namespace

std::uint16_t VkFromQtKey(int Key, Qt::KeyboardModifiers Modifiers)
{
    if (Modifiers & Qt::KeypadModifier) {
        if (Key >= Qt::Key_0 && Key <= Qt::Key_9)
            return std::uint16_t(VK_NUMPAD0 + (Key - Qt::Key_0));
        switch (Key) {
        case Qt::Key_Asterisk: return VK_MULTIPLY;
        case Qt::Key_Plus: return VK_ADD;
        case Qt::Key_Minus: return VK_SUBTRACT;
        case Qt::Key_Period:
        case Qt::Key_Comma: return VK_DECIMAL;
        case Qt::Key_Slash: return VK_DIVIDE;
        default: break;
        }
    }
    if (Key >= Qt::Key_A && Key <= Qt::Key_Z)
        return std::uint16_t('A' + (Key - Qt::Key_A));
    if (Key >= Qt::Key_0 && Key <= Qt::Key_9)
        return std::uint16_t('0' + (Key - Qt::Key_0));
    if (Key >= Qt::Key_F1 && Key <= Qt::Key_F24)
        return std::uint16_t(VK_F1 + (Key - Qt::Key_F1));
    for (const KeyPair& p : kKeys)
        if (p.qt == Key)
            return p.vk;
    // Shifted digits and letters with accents arrive as their character.
    if (Key >= 0xC0 && Key <= 0xFF)
        return 0;
    return 0;
}

int QtKeyFromVk(std::uint16_t Vk)
{
    if (Vk >= 'A' && Vk <= 'Z')
        return Qt::Key_A + (Vk - 'A');
    if (Vk >= '0' && Vk <= '9')
        return Qt::Key_0 + (Vk - '0');
    if (Vk >= VK_F1 && Vk <= VK_F24)
        return Qt::Key_F1 + (Vk - VK_F1);
    if (Vk >= VK_NUMPAD0 && Vk <= VK_NUMPAD9)
        return Qt::Key_0 + (Vk - VK_NUMPAD0);
    switch (Vk) {
    case VK_ADD: return Qt::Key_Plus;
    case VK_SUBTRACT: return Qt::Key_Minus;
    case VK_DECIMAL: return Qt::Key_Period;
    case VK_DIVIDE: return Qt::Key_Slash;
    default: break;
    }
    for (const KeyPair& p : kKeys)
        if (p.vk == Vk)
            return p.qt;
    return Qt::Key_unknown;
}

QString KeyTextForVk(std::uint16_t Vk, TShiftState Shift)
{
    // Alt combinations carry no character, as system keys do on the platform.
    if (Shift.Contains(ssAlt))
        return {};
    const bool ctrl = Shift.Contains(ssCtrl);
    if (Vk >= 'A' && Vk <= 'Z') {
        if (ctrl)
            return QString(QChar(char16_t(Vk - 'A' + 1)));
        return QString(QChar(char16_t(Shift.Contains(ssShift) ? Vk : Vk + 32)));
    }
    if (ctrl)
        return {};
    if (Vk >= '0' && Vk <= '9' && !Shift.Contains(ssShift))
        return QString(QChar(char16_t(Vk)));
    if (Vk >= VK_NUMPAD0 && Vk <= VK_NUMPAD9)
        return QString(QChar(char16_t('0' + Vk - VK_NUMPAD0)));
    switch (Vk) {
    case VK_SPACE: return QStringLiteral(" ");
    case VK_RETURN: return QStringLiteral("\r");
    case VK_ESCAPE: return QString(QChar(char16_t(27)));
    case VK_BACK: return QString(QChar(char16_t(8)));
    case VK_TAB: return QStringLiteral("\t");
    case VK_OEM_PLUS: case VK_ADD: return QStringLiteral("+");
    case VK_OEM_MINUS: case VK_SUBTRACT: return QStringLiteral("-");
    case VK_OEM_COMMA: return QStringLiteral(",");
    case VK_OEM_PERIOD: case VK_DECIMAL: return QStringLiteral(".");
    case VK_MULTIPLY: return QStringLiteral("*");
    case VK_DIVIDE: return QStringLiteral("/");
    default: return {};
    }
}

std::optional<TScrollCode> ScrollCodeFromQt(int Action)
{
    switch (Action) {
    case QAbstractSlider::SliderSingleStepAdd: return scLineDown;
    case QAbstractSlider::SliderSingleStepSub: return scLineUp;
    case QAbstractSlider::SliderPageStepAdd: return scPageDown;
    case QAbstractSlider::SliderPageStepSub: return scPageUp;
    case QAbstractSlider::SliderToMinimum: return scTop;
    case QAbstractSlider::SliderToMaximum: return scBottom;
    case QAbstractSlider::SliderMove: return scTrack;
    default: return std::nullopt;
    }
}

QCursor QtCursor(TCursor Cursor)
{
    if (Cursor > 0) {
        auto it = CustomCursors().find(Cursor);
        return it != CustomCursors().end() ? it->second : QCursor(Qt::ArrowCursor);
    }
    switch (Cursor) {
    case crNone: return QCursor(Qt::BlankCursor);
    case crCross: return QCursor(Qt::CrossCursor);
    case crIBeam: return QCursor(Qt::IBeamCursor);
    case crSizeNESW: return QCursor(Qt::SizeBDiagCursor);
    case crSizeNS: return QCursor(Qt::SizeVerCursor);
    case crSizeNWSE: return QCursor(Qt::SizeFDiagCursor);
    case crSizeWE: return QCursor(Qt::SizeHorCursor);
    case crUpArrow: return QCursor(Qt::UpArrowCursor);
    case crHourGlass: case crSQLWait: return QCursor(Qt::WaitCursor);
    case crDrag: case crMultiDrag: return QCursor(Qt::DragCopyCursor);
    case crNoDrop: case crNo: return QCursor(Qt::ForbiddenCursor);
    case crHSplit: return QCursor(Qt::SplitHCursor);
    case crVSplit: return QCursor(Qt::SplitVCursor);
    case crAppStart: return QCursor(Qt::BusyCursor);
    case crHelp: return QCursor(Qt::WhatsThisCursor);
    case crHandPoint: case crHyperlink: return QCursor(Qt::PointingHandCursor);
    case crSizeAll: return QCursor(Qt::SizeAllCursor);
    default: return QCursor(Qt::ArrowCursor);
    }
}

// ----- dispatch bookkeeping ------------------------------------------------------

namespace {

// Qt hands an input event that a widget ignores on to its parents (a copy for
// mouse events); a stage handles each real event once. The desktop's events
// reach a window first and are counted there: two events alike in every
// field (wheel notches within one millisecond) are still two.
quint64 g_windowInputCount = 0;

struct Sighting {
    QEvent::Type type{QEvent::None};
    quint64 timestamp{0};
    quint64 windowInput{0};
    int key{0};
    QPointF global;
    int buttons{0};
    bool valid{false};
    bool operator==(const Sighting&) const = default;
};

bool IsInput(QEvent::Type T)
{
    switch (T) {
    case QEvent::KeyPress: case QEvent::KeyRelease: case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick: case QEvent::MouseMove:
    case QEvent::Wheel: return true;
    default: return false;
    }
}

Sighting Describe(const QInputEvent* E)
{
    Sighting s;
    s.type = E->type();
    s.timestamp = E->timestamp();
    s.windowInput = g_windowInputCount;
    s.valid = true;
    if (E->type() == QEvent::KeyPress || E->type() == QEvent::KeyRelease) {
        const auto* k = static_cast<const QKeyEvent*>(E);
        s.key = k->key() ^ int(k->modifiers());
    } else if (const auto* m = dynamic_cast<const QSinglePointEvent*>(E)) {
        s.global = m->globalPosition();
        s.buttons = int(m->buttons()) | (int(m->button()) << 8);
    }
    return s;
}

bool FirstSight(const QInputEvent* E, Sighting& Last)
{
    const Sighting s = Describe(E);
    if (Last == s)
        return false;
    Last = s;
    return true;
}

Sighting g_controlSighting;
Sighting g_filterSighting;

// A desktop that activates a window on a click does so before the program
// sees the press: the window it activated, when, and how many input events
// the program had seen by then.
struct DesktopActivation {
    QPointer<QWidget> window;
    quint64 windowInput{0};
    QElapsedTimer since;
};
DesktopActivation g_desktopActivation;
bool g_programActivates = false;

void NoteDesktopActivation(QWidget* Window)
{
    g_desktopActivation.window = Window;
    g_desktopActivation.windowInput = g_windowInputCount;
    g_desktopActivation.since.start();
}

// Whether the press being handled is the one the desktop activated the window
// for: nothing else reached the program in between, and it came at once.
bool PressActivatedByDesktop(QWidget* Window)
{
    DesktopActivation& a = g_desktopActivation;
    const bool it = a.window == Window && g_windowInputCount == a.windowInput + 1
                    && a.since.elapsed() <= QGuiApplication::styleHints()->mouseDoubleClickInterval();
    a.window = nullptr;
    return it;
}

bool IsFocusTarget(QWidget* W)
{
    QWidget* window = W->window();
    QWidget* fw = window->focusWidget();
    return fw ? fw == W : W == window;
}

TMouseButton ButtonOf(Qt::MouseButton B, bool& Ok)
{
    Ok = true;
    switch (B) {
    case Qt::LeftButton: return mbLeft;
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: Ok = false; return mbLeft;
    }
}

QPoint ToClientWidget(TControl* C, QWidget* W, QPointF Local, QPointF Global)
{
    QWidget* client = C->ClientWidget();
    const QPoint local = Local.toPoint();
    if (W == client)
        return local;
    if (client->isAncestorOf(W))
        return W->mapTo(client, local);
    if (W->isAncestorOf(client))
        return client->mapFrom(W, local);
    return client->mapFromGlobal(Global.toPoint());
}

// Client coordinates start inside the control's border.
QPoint ToClient(TControl* C, QWidget* W, QPointF Local, QPointF Global)
{
    const int inset = C->BorderInset();
    return ToClientWidget(C, W, Local, Global) - QPoint(inset, inset);
}

} // namespace

bool AlreadyDispatched(const QInputEvent* Event)
{
    return g_controlSighting == Describe(Event);
}

void MarkDispatched(const QInputEvent* Event) { g_controlSighting = Describe(Event); }

// ----- the per-control filter ----------------------------------------------------

void ControlBridge::Watch(QWidget* W)
{
    W->installEventFilter(this);
    W->setMouseTracking(true);
}

bool ControlBridge::eventFilter(QObject* Watched, QEvent* Event)
{
    // Qt's event loop must not see an exception: a handler's failure goes to
    // the application, and the event counts as handled.
    try {
        return Filter(Watched, Event);
    } catch (const std::exception& e) {
        Application().HandleException(e);
        return true;
    }
}

bool ControlBridge::Filter(QObject* Watched, QEvent* Event)
{
    TControl* c = m_control;
    if (!c || c->IsDestroying() || !Watched->isWidgetType())
        return false;
    auto* w = static_cast<QWidget*>(Watched);
    switch (Event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        return HandleMouse(w, Event);
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return HandleKey(w, static_cast<QKeyEvent*>(Event));
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        auto* win = dynamic_cast<TWinControl*>(c);
        const auto reason = static_cast<QFocusEvent*>(Event)->reason();
        if (!win || w != c->Widget() || reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
        if (Event->type() == QEvent::FocusIn) {
            if (TForm* form = win->ParentForm(); form && form != win)
                form->FocusChanged(win);
            // Back from its own child: the control never exited.
            if (std::exchange(win->m_focusInChild, false))
                return false;
            win->DoEnter();
        } else {
            FocusLeft(win, QApplication::focusWidget());
        }
        return false;
    }
    case QEvent::Resize:
        if (w == c->Widget())
            c->SizeChanged();
        return false;
    case QEvent::Enter:
        if (w == c->Widget())
            c->MouseEnter();
        return false;
    case QEvent::Leave:
        if (w == c->Widget())
            c->MouseLeave();
        return false;
    case QEvent::Hide:
        if (TControl* cap = TControl::CaptureControl(); cap && w == c->Widget()
                                                        && (cap == c || w->isAncestorOf(cap->Widget())))
            cap->LoseCapture();
        return false;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        if (auto* form = dynamic_cast<TForm*>(c); form && w == c->Widget()) {
            if (Event->type() == QEvent::WindowActivate) {
                if (!g_programActivates && (!form->Active() || !Application().Active()))
                    NoteDesktopActivation(w);
                Screen().SetActiveForm(form);
            }
            else if (Screen().ActiveForm() == form && !Screen().Headless())
                Screen().SetActiveForm(nullptr);
        }
        return false;
    case QEvent::ContextMenu: {
        auto* ce = static_cast<QContextMenuEvent*>(Event);
        const bool keyboard = ce->reason() == QContextMenuEvent::Keyboard;
        const QPoint p = ToClient(c, w, ce->pos(), ce->globalPos());
        TPoint mousePos = keyboard ? TPoint{-1, -1} : TPoint{p.x(), p.y()};
        bool handled = false;
        c->DoContextPopup(mousePos, handled);
        if (handled)
            return true;
        if (TPopupMenu* menu = c->PopupMenu(); menu && menu->AutoPopup()) {
            menu->SetPopupComponent(c);
            const QPoint g = keyboard ? c->ClientWidget()->mapToGlobal(QPoint(0, 0)) : ce->globalPos();
            menu->Popup(g.x(), g.y());
            return true;
        }
        return false;
    }
    case QEvent::Shortcut: {
        // Qt's own mnemonic of a caption: the form decides which control takes it.
        auto* se = static_cast<QShortcutEvent*>(Event);
        if (se->key().isEmpty())
            return false;
        const int k = se->key()[0].key();
        if (k < Qt::Key_Space || k > 0xFFFF)
            return false;
        if (TForm* form = c->ParentForm()) {
            const QString ch = QString(QChar(char16_t(k))).toLower();
            form->DispatchAccelerator(ch.toUcs4().value(0));
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

void ControlBridge::FocusLeft(TWinControl* Control, QWidget* NewFocus)
{
    const auto contains = [NewFocus](TWinControl* C) {
        return NewFocus && (NewFocus == C->Widget() || C->Widget()->isAncestorOf(NewFocus));
    };
    // Focus moving into a control's own child (an in-place editor) is no exit.
    if (contains(Control)) {
        Control->m_focusInChild = true;
        return;
    }
    const QPointer<QWidget> alive(Control->Widget());
    Control->DoExit();
    // The parents that handed the focus on to their child leave with it, up to
    // the one that holds the new focus.
    for (TWinControl* p = alive ? Control->Parent() : nullptr; p && !dynamic_cast<TForm*>(p) && !contains(p);) {
        TWinControl* next = p->Parent();
        const QPointer<QWidget> parentAlive(p->Widget());
        if (std::exchange(p->m_focusInChild, false))
            p->DoExit();
        p = parentAlive ? next : nullptr;
    }
}

void ControlBridge::Deliver(TControl* Target, int Kind, TMouseButton Button, TShiftState Shift, TPoint P,
                            int WheelDelta, TPoint ScreenPos)
{
    if (Kind == 4)
        Target->DoMouseWheel(Shift, WheelDelta, ScreenPos);
    else
        Target->HandleMouseEvent(Kind, Button, Shift, P);
}

void ControlBridge::Press(TControl* C, TMouseButton Button, TShiftState Shift, TPoint P)
{
    // A press on an inactive window activates it first; the control hears
    // that this press did (TForm::ClickActivating).
    TForm* form = C->ParentForm();
    const bool activating = form && form->m_showing
                            && (!form->Active() || !Application().Active() || PressActivatedByDesktop(form->Widget()));
    if (!activating) {
        C->HandleMouseEvent(0, Button, Shift, P);
        return;
    }
    Application().SetActive(true);
    Screen().SetActiveForm(form);
    const QPointer<QWidget> alive(form->Widget());   // the handler may free the form
    form->m_clickActivating = true;
    Finally done([&] {
        if (alive)
            form->m_clickActivating = false;
    });
    C->HandleMouseEvent(0, Button, Shift, P);
}

bool ControlBridge::HandleMouse(QWidget* W, QEvent* Event)
{
    auto* ie = static_cast<QInputEvent*>(Event);
    if (!FirstSight(ie, g_controlSighting))
        return false;
    TControl* c = m_control;
    if (!c->Enabled())
        return false;
    if (Event->type() == QEvent::Wheel) {
        auto* we = static_cast<QWheelEvent*>(Event);
        const QPoint g = we->globalPosition().toPoint();
        return c->DoMouseWheel(ShiftFromQt(we->modifiers(), we->buttons()), we->angleDelta().y(), {g.x(), g.y()});
    }
    auto* me = static_cast<QMouseEvent*>(Event);
    const QPoint p = ToClient(c, W, me->position(), me->globalPosition());
    const TShiftState shift = ShiftFromQt(me->modifiers(), me->buttons());
    bool ok = true;
    switch (Event->type()) {
    case QEvent::MouseButtonPress: {
        const TMouseButton b = ButtonOf(me->button(), ok);
        if (ok)
            Press(c, b, shift, {p.x(), p.y()});
        break;
    }
    case QEvent::MouseButtonRelease: {
        const TMouseButton b = ButtonOf(me->button(), ok);
        if (ok)
            c->HandleMouseEvent(2, b, shift, {p.x(), p.y()});
        break;
    }
    case QEvent::MouseButtonDblClick: {
        const TMouseButton b = ButtonOf(me->button(), ok);
        if (ok)
            c->HandleMouseEvent(3, b, shift, {p.x(), p.y()});
        break;
    }
    default:
        c->HandleMouseEvent(1, mbLeft, shift, {p.x(), p.y()});
        break;
    }
    return false;
}

void ControlBridge::InsertChar(TWinControl* Control, TKeyChar Ch)
{
    if (Ch < 0x20 || Ch == 0x7F || Ch > 0x10FFFF)
        return;
    QWidget* w = Control->Widget();
    const char32_t c32 = Ch;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUcs4(&c32, 1));
    ControlBridge* bridge = Control->m_bridge.get();
    const QPointer<QWidget> alive(w);   // the widget may free its control
    bridge->m_replaying = true;
    Finally done([&] {
        if (alive)
            bridge->m_replaying = false;
    });
    QCoreApplication::sendEvent(w, &press);
}

bool ControlBridge::HandleKey(QWidget* W, QKeyEvent* Event)
{
    if (m_replaying || !IsFocusTarget(W) || W != m_control->Widget())
        return false;
    if (!FirstSight(Event, g_controlSighting))
        return false;
    auto* win = dynamic_cast<TWinControl*>(m_control);
    if (!win)
        return false;
    TForm* form = win->ParentForm();
    const bool preview = form && form != win && form->KeyPreview();
    std::uint16_t key = VkFromQtKey(Event->key(), Event->modifiers());
    const TShiftState shift = ShiftFromQt(Event->modifiers());
    if (Event->type() == QEvent::KeyRelease) {
        if (key) {
            if (preview) {
                form->KeyUp(key, shift);
                if (!key)
                    return true;
            }
            win->KeyUp(key, shift);
            if (!key)
                return true;
        }
        return false;
    }
    if (key && form && form->IsShortCut(key, shift))
        return true;
    // Tab walks the form's tab order (TabOrder, TabStop), as the platform's dialog keys do.
    if (key == VK_TAB && form && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt) && !win->WantsTabKey()) {
        TWinControl* next = form->FindNextControl(win == form ? nullptr : win, !shift.Contains(ssShift), true);
        if (next && next != win)
            next->SetFocus();
        return true;
    }
    // As on the platform, the key's character is already queued when KeyDown
    // runs: a handler that sets the key to 0 stops the key's own action, not
    // the character. Only taking the character out of the queue (PeekMessage
    // with remove) keeps it from KeyPress.
    const QString text = Event->text();
    const bool alt = Event->modifiers() & Qt::AltModifier;
    TKeyChar ch = text.isEmpty() || alt ? 0 : TKeyChar(text.toUcs4().value(0));
    PendingCharScope pending(win, ch);
    const QPointer<QWidget> alive(W);   // a handler may free the control
    bool keyTaken = false;
    if (key) {
        if (preview) {
            form->KeyDown(key, shift);
            keyTaken = key == 0;
        }
        if (!keyTaken && alive) {
            win->KeyDown(key, shift);
            keyTaken = key == 0;
        }
    }
    if (!alive)
        return true;
    if (!ch)
        return keyTaken;
    if (!pending.Pending())
        return true;
    const TKeyChar original = ch;
    if (preview)
        form->KeyPress(ch);
    if (ch && alive)
        win->KeyPress(ch);
    if (!alive || ch == 0)
        return true;
    if (keyTaken) {
        // The key's action was taken away; the character still goes in.
        InsertChar(win, ch);
        return true;
    }
    if (ch != original) {
        // The handler replaced the character: the widget gets the new one.
        char32_t c32 = ch;
        QKeyEvent replacement(Event->type(), Event->key(), Event->modifiers(), QString::fromUcs4(&c32, 1),
                              Event->isAutoRepeat(), Event->count());
        replacement.setTimestamp(Event->timestamp());
        m_replaying = true;
        Finally done([&] {
            if (alive)
                m_replaying = false;
        });
        QCoreApplication::sendEvent(W, &replacement);
        return true;
    }
    return false;
}

// ----- painted widget ------------------------------------------------------------

void PaintWidget::paintEvent(QPaintEvent* Event)
{
    TControl* c = TControl::FromWidget(this);
    if (!c || c->Widget() != this || c->IsDestroying())
        return;
    QPainter painter(this);
    try {
        c->PaintTo(&painter, FromQRect(Event->rect()));
    } catch (const std::exception&) {
        // Not shown from inside the paint event: a message there would paint
        // again. The application hears of it once the event is over.
        PostCall(nullptr, [e = std::current_exception()] { std::rethrow_exception(e); });
    }
}

// ----- the application-wide filter (input hooks) ---------------------------------

namespace {

struct FilterEntry {
    TInputFilterHandle handle;
    std::shared_ptr<TInputFilter> filter;
};

std::vector<FilterEntry>& Filters()
{
    static std::vector<FilterEntry> filters;
    return filters;
}

unsigned g_swallowed = 0;

class AppFilter : public QObject {
protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Watched == QCoreApplication::instance()) {
            const QEvent::Type t = Event->type();
            if ((t == QEvent::LocaleChange || t == QEvent::ThemeChange || t == QEvent::ApplicationFontChange
                 || t == QEvent::ApplicationPaletteChange)
                && !Screen().Headless())
                Application().SettingChange();
            return false;
        }
        if (Watched->isWindowType() && IsInput(Event->type()))
            ++g_windowInputCount;
        if (Filters().empty() || !Watched->isWidgetType())
            return false;
        TInputEvent ev;
        switch (Event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto* k = static_cast<QKeyEvent*>(Event);
            ev.Kind = Event->type() == QEvent::KeyPress ? iekKeyDown : iekKeyUp;
            ev.Key = VkFromQtKey(k->key(), k->modifiers());
            ev.Shift = ShiftFromQt(k->modifiers());
            ev.AutoRepeat = k->isAutoRepeat();
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            auto* m = static_cast<QMouseEvent*>(Event);
            ev.Kind = Event->type() == QEvent::MouseButtonPress     ? iekMouseDown
                      : Event->type() == QEvent::MouseButtonRelease ? iekMouseUp
                      : Event->type() == QEvent::MouseButtonDblClick ? iekMouseDblClick
                                                                     : iekMouseMove;
            bool ok = true;
            ev.Button = ButtonOf(m->button(), ok);
            ev.Shift = ShiftFromQt(m->modifiers(), m->buttons());
            const QPoint g = m->globalPosition().toPoint();
            ev.ScreenPos = {g.x(), g.y()};
            break;
        }
        case QEvent::ContextMenu: {
            auto* ce = static_cast<QContextMenuEvent*>(Event);
            ev.Kind = iekContextMenu;
            ev.Shift = ShiftFromQt(ce->modifiers());
            ev.ScreenPos = ce->reason() == QContextMenuEvent::Keyboard ? TPoint{-1, -1}
                                                                       : TPoint{ce->globalPos().x(), ce->globalPos().y()};
            break;
        }
        case QEvent::Wheel: {
            auto* wh = static_cast<QWheelEvent*>(Event);
            ev.Kind = iekMouseWheel;
            ev.WheelDelta = wh->angleDelta().y();
            ev.Shift = ShiftFromQt(wh->modifiers(), wh->buttons());
            const QPoint g = wh->globalPosition().toPoint();
            ev.ScreenPos = {g.x(), g.y()};
            break;
        }
        default:
            return false;
        }
        if (!FirstSight(static_cast<QInputEvent*>(Event), g_filterSighting))
            return false;
        ev.Target = TControl::FromWidget(Watched);
        if (ev.Target && ev.Kind != iekKeyDown && ev.Kind != iekKeyUp)
            ev.ClientPos = ev.Target->ScreenToClient(ev.ScreenPos);
        // Newest first; a copy, so a filter may remove itself while it runs.
        const std::vector<FilterEntry> filters = Filters();
        for (auto it = filters.rbegin(); it != filters.rend(); ++it)
            if ((*it->filter)(ev)) {
                ++g_swallowed;
                return true;
            }
        return false;
    }
};

} // namespace

unsigned SwallowedInputCount() { return g_swallowed; }

void ActivateWindow(QWidget* Window)
{
    TValueRestorer<bool> program(g_programActivates, true);
    QApplication::setActiveWindow(Window);
}

void EnsureApplicationFilter()
{
    static AppFilter* filter = nullptr;
    if (!filter && QCoreApplication::instance()) {
        filter = new AppFilter;
        filter->setParent(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(filter);
        // Headless runs have no desktop that activates the program: tests do it.
        if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()); gui && !Screen().Headless())
            QObject::connect(gui, &QGuiApplication::applicationStateChanged, filter,
                             [](Qt::ApplicationState State) { Application().SetActive(State == Qt::ApplicationActive); });
    }
}

} // namespace qel::detail

namespace qel {

TInputFilterHandle InstallInputFilter(TInputFilter Filter)
{
    static TInputFilterHandle next = 0;
    detail::EnsureApplicationFilter();
    detail::Filters().push_back({++next, std::make_shared<TInputFilter>(std::move(Filter))});
    return next;
}

void DeliverInputEvent(const TInputEvent& Event)
{
    TControl* c = Event.Target;
    if (!c || c->IsDestroying() || !c->Enabled())
        return;
    switch (Event.Kind) {
    case iekKeyDown:
    case iekKeyUp:
        if (auto* win = dynamic_cast<TWinControl*>(c)) {
            std::uint16_t key = Event.Key;
            if (Event.Kind == iekKeyDown)
                win->KeyDown(key, Event.Shift);
            else
                win->KeyUp(key, Event.Shift);
        }
        return;
    case iekMouseDown: detail::ControlBridge::Deliver(c, 0, Event.Button, Event.Shift, Event.ClientPos, 0, {}); return;
    case iekMouseMove: detail::ControlBridge::Deliver(c, 1, Event.Button, Event.Shift, Event.ClientPos, 0, {}); return;
    case iekMouseUp: detail::ControlBridge::Deliver(c, 2, Event.Button, Event.Shift, Event.ClientPos, 0, {}); return;
    case iekMouseDblClick:
        detail::ControlBridge::Deliver(c, 3, Event.Button, Event.Shift, Event.ClientPos, 0, {});
        return;
    case iekMouseWheel:
        detail::ControlBridge::Deliver(c, 4, Event.Button, Event.Shift, Event.ClientPos, Event.WheelDelta,
                                       Event.ScreenPos);
        return;
    case iekContextMenu: return;
    }
}

void RemoveInputFilter(TInputFilterHandle Handle)
{
    auto& f = detail::Filters();
    f.erase(std::remove_if(f.begin(), f.end(), [Handle](const auto& E) { return E.handle == Handle; }), f.end());
}

} // namespace qel
