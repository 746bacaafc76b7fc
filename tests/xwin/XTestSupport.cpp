#include "XTestSupport.h"

#include "platform/controls/Forms.h"

#include <gtest/gtest.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include <memory>

namespace qel::test {

namespace {

// Counts the markers the test sets (TXClient::Mark): the program has read
// every event the server sent before one when it sees that one.
class MarkerFilter : public QAbstractNativeEventFilter {
public:
    explicit MarkerFilter(std::uint32_t Atom) : m_atom(Atom) {}
    unsigned Seen() const { return m_seen; }

    bool nativeEventFilter(const QByteArray& Type, void* Message, qintptr*) override
    {
        if (Type != "xcb_generic_event_t")
            return false;
        const auto* e = static_cast<const xcb_generic_event_t*>(Message);
        if ((e->response_type & 0x7f) == XCB_PROPERTY_NOTIFY
            && reinterpret_cast<const xcb_property_notify_event_t*>(e)->atom == m_atom)
            ++m_seen;
        return false;
    }

private:
    std::uint32_t m_atom;
    unsigned m_seen{0};
};

struct Marking {
    std::unique_ptr<MarkerFilter> filter;
    std::unique_ptr<QWidget> window;   // an unmapped window of the program that carries the markers
    unsigned sent{0};
};

Marking& Markers()
{
    static Marking m;
    if (!m.filter) {
        m.filter = std::make_unique<MarkerFilter>(XInput().MarkerAtom());
        QCoreApplication::instance()->installNativeEventFilter(m.filter.get());
        m.window = std::make_unique<QWidget>();
        m.window->winId();
    }
    return m;
}

// The buttons the program holds down, as the server's masks.
std::uint16_t QtButtons()
{
    const Qt::MouseButtons b = QGuiApplication::mouseButtons();
    return static_cast<std::uint16_t>((b & Qt::LeftButton ? XCB_BUTTON_MASK_1 : 0)
                                      | (b & Qt::MiddleButton ? XCB_BUTTON_MASK_2 : 0)
                                      | (b & Qt::RightButton ? XCB_BUTTON_MASK_3 : 0));
}

// Sends what the program has asked of the server so far (windows shown,
// pixels painted), so that the test's own connection sees it.
void FlushToServer()
{
    if (auto* x = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        xcb_flush(x->connection());
}

} // namespace

bool WaitUntil(const std::function<bool()>& Condition, std::chrono::milliseconds Timeout)
{
    // The tick only wakes the loop so that the deadline is seen.
    QTimer tick;
    tick.start(10);
    const auto deadline = std::chrono::steady_clock::now() + Timeout;
    for (;;) {
        FlushToServer();
        if (Condition())
            break;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void Settle()
{
    Marking& m = Markers();
    XInput().Sync();
    const unsigned mark = ++m.sent;
    XInput().Mark(static_cast<std::uint32_t>(m.window->winId()), mark);
    ASSERT_TRUE(WaitUntil([&] { return m.filter->Seen() >= mark; })) << "the program takes no more events in";
    // The window manager holds a press on a window until it has focused and
    // raised it, and lets it through later than the marker: the program has
    // it once its buttons are the test's.
    ASSERT_TRUE(WaitUntil([] { return QtButtons() == XInput().HeldButtons(); }))
        << "the program does not get the buttons the test pressed or released";
    // What the events posted runs in the loop's next pass.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    FlushToServer();
}

std::uint32_t XWindowOf(const TControl& Control)
{
    const auto window = static_cast<std::uint32_t>(Control.Widget()->winId());
    FlushToServer();
    return window;
}

struct TScriptWhen::Timer {
    QTimer timer;
};

TScriptWhen::TScriptWhen(std::function<bool()> Condition, std::function<void()> Script)
    : m_timer(std::make_unique<Timer>())
{
    QTimer& t = m_timer->timer;
    QObject::connect(&t, &QTimer::timeout, [this, &t, Condition = std::move(Condition), Script = std::move(Script)] {
        if (m_ran || !Condition())
            return;
        // Once only, also when the script runs a loop of its own in which the timer fires again.
        m_ran = true;
        t.stop();
        Script();
    });
    t.start(10);
}

TScriptWhen::~TScriptWhen() = default;

std::string XTitleOf(const TForm& Form) { return XInput().Title(XWindowOf(Form)); }

bool WaitUntilActive(TForm& Form)
{
    const std::uint32_t window = XWindowOf(Form);
    return WaitUntil([&] { return Form.Widget()->isActiveWindow() && XInput().FocusWindow() == window; });
}

TPoint OnScreen(const TControl* Control, int X, int Y) { return Control->ClientToScreen({X, Y}); }

void ClickAt(const TControl* Control, int X, int Y)
{
    const TPoint p = OnScreen(Control, X, Y);
    XInput().Click(p.X, p.Y);
    Settle();
}

} // namespace qel::test
