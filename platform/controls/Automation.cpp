#include "platform/controls/Automation.h"

#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Messages.h"
#include "platform/controls/detail/ControlBridge.h"
#include "platform/core/Stream.h"
#include "platform/graphics/Bitmap.h"

#include <QApplication>
#include <QBuffer>
#include <QContextMenuEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QWheelEvent>

namespace qel {

namespace {

// Synthesized events get timestamps of their own, so that no two look alike.
quint64 NextTimestamp()
{
    static quint64 stamp = 1'000'000'000;
    return ++stamp;
}

Qt::MouseButtons g_buttons;

QWidget* KeyTarget()
{
    TForm* form = Screen().ActiveForm();
    QWidget* window = form ? form->Widget() : QApplication::activeWindow();
    if (!window)
        return nullptr;
    QWidget* fw = window->focusWidget();
    return fw ? fw : window;
}

void SendKeyEvent(QWidget* W, QEvent::Type Type, std::uint16_t Key, TShiftState Shift, const QString& Text)
{
    Qt::KeyboardModifiers mods = detail::QtModifiers(Shift);
    if (Key >= VK_NUMPAD0 && Key <= VK_DIVIDE)
        mods |= Qt::KeypadModifier;
    int qtKey = detail::QtKeyFromVk(Key);
    if (Key == VK_TAB && Shift.Contains(ssShift))
        qtKey = Qt::Key_Backtab;
    QKeyEvent e(Type, qtKey, mods, Text);
    e.setTimestamp(NextTimestamp());
    QApplication::sendEvent(W, &e);
}

Qt::MouseButton QtButton(TMouseButton B)
{
    switch (B) {
    case mbRight: return Qt::RightButton;
    case mbMiddle: return Qt::MiddleButton;
    default: return Qt::LeftButton;
    }
}

struct Target {
    QWidget* widget;
    QPoint local;
    QPoint global;
};

Target Locate(TControl* Control, int X, int Y)
{
    // Client coordinates start inside the control's border.
    const int inset = Control->BorderInset();
    X += inset;
    Y += inset;
    if (TControl* cap = TControl::CaptureControl(); cap && cap != Control) {
        const QPoint g = Control->ClientWidget()->mapToGlobal(QPoint(X, Y));
        return {cap->Widget(), cap->Widget()->mapFromGlobal(g), g};
    }
    QWidget* base = Control->Widget();
    QWidget* client = Control->ClientWidget();
    const QPoint inBase = client == base ? QPoint(X, Y) : client->mapTo(base, QPoint(X, Y));
    const QPoint global = base->mapToGlobal(inBase);
    QWidget* child = base->childAt(inBase);
    // The innermost widget under the point gets it, as a real click would.
    QWidget* w = child ? child : base;
    return {w, w->mapFrom(base, inBase), global};
}

// Answers whether an input filter swallowed the event.
bool SendMouse(QEvent::Type Type, TControl* Control, TMouseButton Button, int X, int Y, TShiftState Shift)
{
    const Target t = Locate(Control, X, Y);
    const Qt::MouseButton b = Type == QEvent::MouseMove ? Qt::NoButton : QtButton(Button);
    if (Type == QEvent::MouseButtonPress || Type == QEvent::MouseButtonDblClick)
        g_buttons |= b;
    if (Type == QEvent::MouseButtonRelease)
        g_buttons &= ~b;
    detail::SetVirtualCursorPos({t.global.x(), t.global.y()});
    const QPointF scene = t.widget->mapTo(t.widget->window(), t.local);
    QMouseEvent e(Type, QPointF(t.local), scene, QPointF(t.global), b,
                  Type == QEvent::MouseButtonRelease ? g_buttons : (g_buttons | b), detail::QtModifiers(Shift));
    e.setTimestamp(NextTimestamp());
    const unsigned before = detail::SwallowedInputCount();
    QApplication::sendEvent(t.widget, &e);
    return detail::SwallowedInputCount() != before;
}

} // namespace

void SimulateKey(std::uint16_t Key, TShiftState Shift)
{
    // Posted calls run before input, as the event loop takes them first.
    ProcessPostedCalls();
    QWidget* w = KeyTarget();
    if (!w)
        throw EInvalidOperation("There is no active form to send keys to");
    const QString text = detail::KeyTextForVk(Key, Shift);
    SendKeyEvent(w, QEvent::KeyPress, Key, Shift, text);
    // The press may have closed or freed the target.
    if (QWidget* now = KeyTarget())
        SendKeyEvent(now, QEvent::KeyRelease, Key, Shift, text);
}

void SimulateKey(TWinControl* Target, std::uint16_t Key, TShiftState Shift)
{
    if (Target && !Target->Focused())
        Target->SetFocus();
    SimulateKey(Key, Shift);
}

void SimulateText(const std::string& Text)
{
    const QString s = detail::ToQString(Text);
    for (const uint ch : s.toUcs4()) {
        ProcessPostedCalls();
        QWidget* w = KeyTarget();
        if (!w)
            throw EInvalidOperation("There is no active form to send keys to");
        const char32_t c = ch;
        const QString t = QString::fromUcs4(&c, 1);
        int key = Qt::Key_unknown;
        if (ch < 0x80 && std::isalnum(static_cast<int>(ch)))
            key = std::toupper(static_cast<int>(ch));
        else if (ch == ' ')
            key = Qt::Key_Space;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, t);
        press.setTimestamp(NextTimestamp());
        QApplication::sendEvent(w, &press);
        if (QWidget* now = KeyTarget()) {
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, t);
            release.setTimestamp(NextTimestamp());
            QApplication::sendEvent(now, &release);
        }
    }
}

void SimulateMouseDown(TControl* Control, TMouseButton Button, int X, int Y, TShiftState Shift)
{
    SendMouse(QEvent::MouseButtonPress, Control, Button, X, Y, Shift);
}

void SimulateMouseUp(TControl* Control, TMouseButton Button, int X, int Y, TShiftState Shift)
{
    const Target t = Locate(Control, X, Y);
    const bool swallowed = SendMouse(QEvent::MouseButtonRelease, Control, Button, X, Y, Shift);
    if (Button == mbRight && !swallowed && t.widget) {
        QContextMenuEvent ce(QContextMenuEvent::Mouse, t.local, t.global, detail::QtModifiers(Shift));
        QApplication::sendEvent(t.widget, &ce);
    }
}

void SimulateMouseMove(TControl* Control, int X, int Y, TShiftState Shift)
{
    SendMouse(QEvent::MouseMove, Control, mbLeft, X, Y, Shift);
}

void SimulateClick(TControl* Control, int X, int Y, TMouseButton Button, TShiftState Shift)
{
    SimulateMouseDown(Control, Button, X, Y, Shift);
    SimulateMouseUp(Control, Button, X, Y, Shift);
}

void SimulateDblClick(TControl* Control, int X, int Y)
{
    SendMouse(QEvent::MouseButtonPress, Control, mbLeft, X, Y, {});
    SendMouse(QEvent::MouseButtonRelease, Control, mbLeft, X, Y, {});
    SendMouse(QEvent::MouseButtonDblClick, Control, mbLeft, X, Y, {});
    SendMouse(QEvent::MouseButtonRelease, Control, mbLeft, X, Y, {});
}

void SimulateWheel(TControl* Control, int WheelDelta, int X, int Y, TShiftState Shift)
{
    const Target t = Locate(Control, X, Y);
    QWheelEvent e(QPointF(t.local), QPointF(t.global), QPoint(), QPoint(0, WheelDelta), g_buttons,
                  detail::QtModifiers(Shift), Qt::NoScrollPhase, false);
    e.setTimestamp(NextTimestamp());
    QApplication::sendEvent(t.widget, &e);
}

std::unique_ptr<TBitmap> GrabControl(TControl* Control)
{
    QWidget* w = Control->Widget();
    const QImage image = w->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetImage(image);
    return bitmap;
}

void SaveControlImage(TControl* Control, const std::string& FileName)
{
    const QImage image = Control->Widget()->grab().toImage();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        throw EWriteError("Cannot write the picture of " + Control->Name());
    SafeWriteFile(FileName, [&](TStream& S) { S.WriteBuffer(bytes.constData(), bytes.size()); });
}

TControl* FindControlByCaption(TWinControl* Root, const std::string& Caption)
{
    if (!Root)
        return nullptr;
    const QString wanted = detail::ToQString(StripHotkey(Caption));
    for (int i = 0; i < Root->ControlCount(); ++i) {
        TControl* c = Root->Controls(i);
        if (QString::compare(detail::ToQString(StripHotkey(c->Caption())), wanted, Qt::CaseInsensitive) == 0)
            return c;
        if (auto* win = dynamic_cast<TWinControl*>(c))
            if (TControl* found = FindControlByCaption(win, Caption))
                return found;
    }
    return nullptr;
}

} // namespace qel
