#include "platform/controls/Messages.h"

#include "platform/controls/Application.h"
#include "platform/core/Guards.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <deque>

namespace qel {

namespace {

struct Posted {
    TControl* control{nullptr};
    bool isCall{false};
    std::function<void()> call;
    TMessage message;
};

std::deque<Posted>& Queue()
{
    static std::deque<Posted> queue;
    return queue;
}

detail::PendingCharScope* g_pendingChar = nullptr;

QEvent::Type RunPostedEvent()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// Each post puts one event into Qt's queue; each event runs the oldest entry,
// so posted calls keep their place among Qt's own posted events.
class Dispatcher : public QObject {
protected:
    void customEvent(QEvent* Event) override
    {
        if (Event->type() == RunPostedEvent())
            RunOne();
    }

public:
    static bool RunOne();
};

void Wake()
{
    static Dispatcher* dispatcher = nullptr;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    if (!dispatcher) {
        dispatcher = new Dispatcher;
        dispatcher->setParent(app);
    }
    QCoreApplication::postEvent(dispatcher, new QEvent(RunPostedEvent()));
}

bool Dispatcher::RunOne()
{
    auto& q = Queue();
    if (q.empty())
        return false;
    Posted p = std::move(q.front());
    q.pop_front();
    // Qt's event loop must not see an exception: it goes where the platform's loop sends it.
    try {
        if (p.isCall)
            p.call();
        else if (p.control)
            p.control->Perform(p.message.Msg, p.message.WParam, p.message.LParam);
    } catch (const std::exception& e) {
        Application().HandleException(e);
    }
    return true;
}

bool InRange(unsigned Msg, unsigned Min, unsigned Max)
{
    return (Min == 0 && Max == 0) || (Msg >= Min && Msg <= Max);
}

} // namespace

void PostCall(TControl* Control, std::function<void()> Call)
{
    Posted p;
    p.control = Control;
    p.isCall = true;
    p.call = std::move(Call);
    Queue().push_back(std::move(p));
    Wake();
}

void PostMessage(TControl* Control, unsigned Msg, std::uintptr_t WParam, std::intptr_t LParam)
{
    if (!Control)
        throw EInvalidOperation("A message needs a control to go to");
    Posted p;
    p.control = Control;
    p.message = TMessage{Msg, WParam, LParam, 0};
    Queue().push_back(std::move(p));
    Wake();
}

bool PeekMessage(TMessage& Msg, TControl* Control, unsigned FilterMin, unsigned FilterMax, bool Remove)
{
    // The character of the key being handled was queued before anything its handlers post.
    for (detail::PendingCharScope* s = g_pendingChar; s; s = s->m_outer) {
        if (s->m_removed || !s->m_control || !InRange(WM_CHAR, FilterMin, FilterMax))
            continue;
        if (Control && Control != s->m_control)
            continue;
        Msg = TMessage{WM_CHAR, static_cast<std::uintptr_t>(s->m_ch), 0, 0};
        if (Remove)
            s->m_removed = true;
        return true;
    }
    auto& q = Queue();
    for (auto it = q.begin(); it != q.end(); ++it) {
        if (it->isCall || !InRange(it->message.Msg, FilterMin, FilterMax))
            continue;
        if (Control && it->control != Control)
            continue;
        Msg = it->message;
        if (Remove)
            q.erase(it);
        return true;
    }
    return false;
}

int ProcessPostedCalls()
{
    int ran = 0;
    // A call that posts itself again and again would never let this return.
    for (int round = 0; round < 100000 && Dispatcher::RunOne(); ++round)
        ++ran;
    return ran;
}

int PostedCallCount() { return static_cast<int>(Queue().size()); }

namespace detail {

PendingCharScope::PendingCharScope(TWinControl* Control, TKeyChar Ch)
    : m_control(Control), m_ch(Ch), m_outer(g_pendingChar)
{
    g_pendingChar = this;
}

PendingCharScope::~PendingCharScope() { g_pendingChar = m_outer; }

void DiscardPosted(const TControl* Control)
{
    auto& q = Queue();
    for (auto it = q.begin(); it != q.end();)
        it = it->control == Control ? q.erase(it) : it + 1;
    for (PendingCharScope* s = g_pendingChar; s; s = s->m_outer)
        if (s->m_control == Control)
            s->m_control = nullptr;
}

} // namespace detail

} // namespace qel
