#include "printing/EventSystem.h"

#include "platform/controls/Application.h"
#include "platform/core/Locale.h"

#include <algorithm>

namespace qel {

namespace {

// Plain pointer, constant-initialised: it can still be read while static
// objects are being destroyed, so late subscribers find no event system
// instead of a destroyed one.
TdxPSEventSystem* g_eventSystem = nullptr;

// Frees the event system at program end when nobody did before.
struct EventSystemFinalizer {
    ~EventSystemFinalizer() { delete g_eventSystem; }
} g_eventSystemFinalizer;

} // namespace

// ===== TdxEvent ==========================================================================

TdxEvent::TdxEvent(TObject* Sender) : m_sender(Sender), m_registered(true) {}

// ===== TdxEventSubscriber ================================================================

TdxEventSubscriber::TdxEventSubscriber(std::initializer_list<TdxEventClass> EventClasses)
{
    for (const TdxEventClass& c : EventClasses)
        if (!HandlesClass(c))
            m_eventClasses.push_back(c);
    TdxPSEventSystem::Instance()->Subscribe(this);
}

TdxEventSubscriber::~TdxEventSubscriber()
{
    // At shutdown the event system may already be gone.
    if (TdxPSEventSystem* system = TdxPSEventSystem::GetInstance(0))
        system->Unsubscribe(this);
    m_eventClasses.clear();
}

bool TdxEventSubscriber::HandlesClass(TdxEventClass Class) const
{
    return std::find(m_eventClasses.begin(), m_eventClasses.end(), Class) != m_eventClasses.end();
}

// ===== TdxPSEventSystem ==================================================================

TdxPSEventSystem* TdxPSEventSystem::GetInstance(int AccessCode)
{
    switch (AccessCode) {
    case 0:
        return g_eventSystem;
    case 1:
        if (!g_eventSystem)
            g_eventSystem = new TdxPSEventSystem;
        return g_eventSystem;
    case 2:
        g_eventSystem = nullptr;
        return nullptr;
    default:
        throw EdxEventSystem(Format("Illegal AccessCode %d in GetInstance", {AccessCode}));
    }
}

TdxPSEventSystem::~TdxPSEventSystem()
{
    while (!m_eventClasses.empty())
        m_eventClasses.pop_back();
    while (!m_subscribers.empty()) {
        m_subscribers.back()->m_active = false;
        m_subscribers.pop_back();
    }
    if (g_eventSystem == this)
        GetInstance(2);
}

bool TdxPSEventSystem::HasEventClass(TdxEventClass Class) const
{
    return std::find(m_eventClasses.begin(), m_eventClasses.end(), Class) != m_eventClasses.end();
}

TdxEventSubscriber* TdxPSEventSystem::Subscribers(int Index) const
{
    if (Index < 0 || Index >= SubscriberCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return m_subscribers[static_cast<std::size_t>(Index)];
}

bool TdxPSEventSystem::IsSubscribed(const TdxEventSubscriber* Subscriber) const
{
    return std::find(m_subscribers.begin(), m_subscribers.end(), Subscriber) != m_subscribers.end();
}

void TdxPSEventSystem::RegisterEventClass(TdxEventClass Class)
{
    if (!HasEventClass(Class))
        m_eventClasses.push_back(Class);
}

void TdxPSEventSystem::Subscribe(TdxEventSubscriber* Subscriber)
{
    if (!Subscriber || IsSubscribed(Subscriber))
        return;
    m_subscribers.push_back(Subscriber);
    Subscriber->m_active = true;
}

void TdxPSEventSystem::Unsubscribe(TdxEventSubscriber* Subscriber)
{
    const auto it = std::find(m_subscribers.begin(), m_subscribers.end(), Subscriber);
    if (it == m_subscribers.end())
        return;
    m_subscribers.erase(it);
    Subscriber->m_active = false;
}

void TdxPSEventSystem::Publish(std::unique_ptr<TdxEvent>& Event)
{
    // The event lives only for this call, whatever happens in the handlers.
    const std::unique_ptr<TdxEvent> event = std::move(Event);
    if (!event || !event->Registered())
        return;
    RegisterEventClass(event->EventClass());
    const std::vector<TdxEventSubscriber*> snapshot = m_subscribers;
    for (TdxEventSubscriber* subscriber : snapshot) {
        // A handler may have freed later subscribers: only those still listed are called.
        if (!IsSubscribed(subscriber) || !subscriber->HandlesClass(event->EventClass()) || !subscriber->Enabled())
            continue;
        try {
            subscriber->HandleEvent(*event);
        } catch (const std::exception& E) {
            Application().HandleException(E);
        }
        if (event->Handled())
            break;
    }
}

void dxPSPublishEvent(std::unique_ptr<TdxEvent>& Event)
{
    if (!Event)
        return;
    TdxPSEventSystem::Instance()->Publish(Event);
}

// ===== subscribers =========================================================================

void TdxStyleListChangedSubscriber::HandleEvent(TdxEvent& Event)
{
    if (dynamic_cast<TdxSMStyleListChangedEvent*>(&Event) && OnStyleListChanged)
        OnStyleListChanged(Event.Sender());
}

void TdxPageParamsChangedSubscriber::HandleEvent(TdxEvent& Event)
{
    if (auto* e = dynamic_cast<TdxSMPageParamsChangedEvent*>(&Event); e && OnPageParamsChanged)
        OnPageParamsChanged(e->PrintStyle(), e->UpdateCodes());
}

void TdxPSBuildReportSubscriber::HandleEvent(TdxEvent& Event)
{
    auto* e = dynamic_cast<TdxPSBuildEvent*>(&Event);
    if (!e)
        return;
    switch (e->Stage()) {
    case 0:
        if (OnStartGenerateReport)
            OnStartGenerateReport(e->Sender(), e->ReportLink());
        break;
    case 1:
        if (OnGenerateReportProgress)
            OnGenerateReportProgress(e->Sender(), e->ReportLink(), e->PercentDone());
        break;
    case 2:
        if (OnEndGenerateReport)
            OnEndGenerateReport(e->Sender(), e->ReportLink());
        break;
    default:
        break;
    }
}

void TdxPSPrintReportSubscriber::HandleEvent(TdxEvent& Event)
{
    auto* e = dynamic_cast<TdxPSPrintEvent*>(&Event);
    if (!e)
        return;
    switch (e->Stage()) {
    case 0:
        if (OnStartPrint)
            OnStartPrint(e->Sender(), e->ReportLink(), e->PageCount());
        break;
    case 1:
        if (OnNewPage)
            OnNewPage(e->Sender(), e->ReportLink(), e->PageIndex());
        break;
    case 2:
        if (OnEndPrint)
            OnEndPrint(e->Sender(), e->ReportLink());
        break;
    default:
        break;
    }
}

} // namespace qel
