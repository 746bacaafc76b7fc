#pragma once
// Qt side of the controls: the per-control event filter that turns Qt
// events into the control's virtual handlers, the painted widget behind
// TGraphicControl/TCustomControl, and the conversions between Qt and the
// platform's keys, shift states, cursors and rectangles.
#include "platform/controls/Controls.h"

#include <QCursor>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <map>
#include <optional>

class QKeyEvent;
class QInputEvent;

namespace qel::detail {

inline QRect ToQRect(const TRect& R) { return QRect(R.Left, R.Top, R.Width(), R.Height()); }
inline TRect FromQRect(const QRect& R) { return Bounds(R.x(), R.y(), R.width(), R.height()); }
inline QString ToQString(const std::string& S) { return QString::fromStdString(S); }
inline std::string FromQString(const QString& S) { return S.toStdString(); }

TShiftState ShiftFromQt(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons = Qt::NoButton);
Qt::KeyboardModifiers QtModifiers(TShiftState Shift);
std::uint16_t VkFromQtKey(int Key, Qt::KeyboardModifiers Modifiers);
// The Qt key for a virtual key and the text a real key press would carry.
int QtKeyFromVk(std::uint16_t Vk);
QString KeyTextForVk(std::uint16_t Vk, TShiftState Shift);
// Standard cursors and the program's own ones (TScreen::SetCursorImage).
QCursor QtCursor(TCursor Cursor);
std::map<TCursor, QCursor>& CustomCursors();
// The scroll code of a Qt slider action; none for actions a scroll bar does not report.
std::optional<TScrollCode> ScrollCodeFromQt(int Action);

// Installed on the control's widget (and on inner widgets that take input).
class ControlBridge : public QObject {
public:
    explicit ControlBridge(TControl* Control) : m_control(Control) {}
    void Detach() { m_control = nullptr; }
    TControl* Control() const { return m_control; }
    void Watch(QWidget* W);
    // DeliverInputEvent: runs the control's handlers for one event.
    static void Deliver(TControl* Target, int Kind, TMouseButton Button, TShiftState Shift, TPoint P,
                        int WheelDelta, TPoint ScreenPos);
    // Gives the control's widget a typed character, past the control's own key
    // handlers (they have run). Control characters are the handlers' business
    // alone: a widget acts on them as keys, not as characters.
    static void InsertChar(TWinControl* Control, TKeyChar Ch);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    bool Filter(QObject* Watched, QEvent* Event);
    // The focus left Control for NewFocus (nullptr: another window or none).
    static void FocusLeft(TWinControl* Control, QWidget* NewFocus);
    bool HandleMouse(QWidget* W, QEvent* Event);
    static void Press(TControl* C, TMouseButton Button, TShiftState Shift, TPoint P);
    bool HandleKey(QWidget* W, QKeyEvent* Event);

    TControl* m_control;
    bool m_replaying{false};
};

// A widget that paints through its control's Paint().
class PaintWidget : public QWidget {
public:
    explicit PaintWidget(QWidget* Parent = nullptr) : QWidget(Parent) {}

protected:
    void paintEvent(QPaintEvent* Event) override;
};

// True when this event was already handed to a control (Qt passes ignored
// input events on to the parents).
bool AlreadyDispatched(const QInputEvent* Event);
void MarkDispatched(const QInputEvent* Event);

// Activates a window for the program itself; an activation that comes
// otherwise is the desktop's (a click on the window may follow at once).
void ActivateWindow(QWidget* Window);

// How many input events the input filters have swallowed so far.
unsigned SwallowedInputCount();

// Headless runs: where the simulated mouse input last was (GetCursorPos).
void SetVirtualCursorPos(TPoint P);

// Ensures the application-wide filter (input hooks) is installed.
void EnsureApplicationFilter();

} // namespace qel::detail
