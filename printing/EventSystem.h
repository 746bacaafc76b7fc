#pragma once
// The printing system's publish/subscribe list: the component printer and
// the style manager publish events, open preview windows and dialogs
// subscribe to the exact event classes they handle.
//
//   auto sub = std::make_unique<TdxPSBuildReportSubscriber>();
//   sub->OnProgress = [](TObject*, TBasedxReportLink*, double percent) { ... };
//   std::unique_ptr<TdxEvent> e = std::make_unique<TdxPSBuildEvent>(printer, 1, link, 40.0);
//   dxPSPublishEvent(e);   // delivered in subscription order, freed, e cleared
//
// Delivery walks a snapshot of the subscriber list and checks before each
// call that the subscriber is still subscribed, so a handler that frees
// another subscriber (a preview window closing) never makes delivery skip
// or overrun.
#include "platform/core/Exceptions.h"
#include "platform/core/Object.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <typeindex>
#include <vector>

namespace qel {

class TBasedxPrintStyle;
class TBasedxReportLink;

QEL_DECLARE_EXCEPTION(EdxEventSystem, Exception);

class TdxEvent;
class TdxEventSubscriber;

// An event class is told apart by its exact C++ type.
using TdxEventClass = std::type_index;
template <class E>
TdxEventClass dxEventClass()
{
    return TdxEventClass(typeid(E));
}

class TdxEvent : public TObject {
    QEL_CLASS(TdxEvent)
public:
    // The event's class joins the event system's class list when the event is
    // published (a constructor cannot see the class being constructed).
    explicit TdxEvent(TObject* Sender);

    TObject* Sender() const { return m_sender; }
    bool Handled() const { return m_handled; }
    void SetHandled(bool Value) { m_handled = Value; }
    bool Registered() const { return m_registered; }
    TdxEventClass EventClass() const { return TdxEventClass(typeid(*this)); }

private:
    TObject* m_sender;
    bool m_handled{false};
    bool m_registered{false};
};

class TdxEventSubscriber : public TObject {
    QEL_CLASS(TdxEventSubscriber)
public:
    // Keeps each class once and enters itself at the end of the subscriber list.
    explicit TdxEventSubscriber(std::initializer_list<TdxEventClass> EventClasses);
    // Leaves the subscriber list (when the event system still exists).
    ~TdxEventSubscriber() override;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool Value) { m_enabled = Value; }
    bool Active() const { return m_active; }
    const std::vector<TdxEventClass>& EventClasses() const { return m_eventClasses; }
    bool HandlesClass(TdxEventClass Class) const;

    virtual void HandleEvent(TdxEvent& Event) = 0;

private:
    friend class TdxPSEventSystem;
    std::vector<TdxEventClass> m_eventClasses;
    bool m_enabled{true};
    bool m_active{false};
};

class TdxPSEventSystem : public TObject {
    QEL_CLASS(TdxPSEventSystem)
public:
    // 0: the instance or nullptr; 1: the instance, created when there is none;
    // 2: forgets the instance. Other codes raise EdxEventSystem.
    static TdxPSEventSystem* GetInstance(int AccessCode);
    static TdxPSEventSystem* Instance() { return GetInstance(1); }

    // Takes every subscriber out of the list (last first) without freeing it.
    ~TdxPSEventSystem() override;

    // Delivers Event to the enabled subscribers that list its exact class, in
    // subscription order, until one sets Handled; an exception of a handler
    // goes to the application's exception handler and delivery goes on. The
    // event is freed in every case and Event is cleared.
    void Publish(std::unique_ptr<TdxEvent>& Event);

    int EventClassCount() const { return static_cast<int>(m_eventClasses.size()); }
    bool HasEventClass(TdxEventClass Class) const;
    int SubscriberCount() const { return static_cast<int>(m_subscribers.size()); }
    TdxEventSubscriber* Subscribers(int Index) const;
    bool IsSubscribed(const TdxEventSubscriber* Subscriber) const;

    void RegisterEventClass(TdxEventClass Class);
    void Subscribe(TdxEventSubscriber* Subscriber);
    void Unsubscribe(TdxEventSubscriber* Subscriber);

private:
    TdxPSEventSystem() = default;
    std::vector<TdxEventClass> m_eventClasses;
    std::vector<TdxEventSubscriber*> m_subscribers;
};

// Hands a new event to the event system, which delivers and frees it.
void dxPSPublishEvent(std::unique_ptr<TdxEvent>& Event);

// ----- printing-system events ----------------------------------------------------------
class TdxSMStyleListChangedEvent : public TdxEvent {
    QEL_CLASS(TdxSMStyleListChangedEvent)
public:
    using TdxEvent::TdxEvent;
};

// The page parameters that changed (the page change kinds 0 .. 6 as bits).
using TdxPageParamsUpdateCodes = std::uint8_t;

class TdxSMPageParamsChangedEvent : public TdxEvent {
    QEL_CLASS(TdxSMPageParamsChangedEvent)
public:
    TdxSMPageParamsChangedEvent(TObject* Sender, TBasedxPrintStyle* PrintStyle, TdxPageParamsUpdateCodes UpdateCodes)
        : TdxEvent(Sender), m_printStyle(PrintStyle), m_updateCodes(UpdateCodes) {}
    TBasedxPrintStyle* PrintStyle() const { return m_printStyle; }
    TdxPageParamsUpdateCodes UpdateCodes() const { return m_updateCodes; }

private:
    TBasedxPrintStyle* m_printStyle;
    TdxPageParamsUpdateCodes m_updateCodes;
};

class TdxComponentPrinterEvent : public TdxEvent {
    QEL_CLASS(TdxComponentPrinterEvent)
public:
    using TdxEvent::TdxEvent;
};

// Stage 0 start, 1 progress, 2 end.
class TdxPSBuildEvent : public TdxComponentPrinterEvent {
    QEL_CLASS(TdxPSBuildEvent)
public:
    TdxPSBuildEvent(TObject* Sender, int Stage, TBasedxReportLink* ReportLink, double PercentDone = 0)
        : TdxComponentPrinterEvent(Sender), m_stage(Stage), m_reportLink(ReportLink), m_percentDone(PercentDone) {}
    int Stage() const { return m_stage; }
    TBasedxReportLink* ReportLink() const { return m_reportLink; }
    double PercentDone() const { return m_percentDone; }

private:
    int m_stage;
    TBasedxReportLink* m_reportLink;
    double m_percentDone;
};

// Stage 0 start (PageCount), 1 new page (PageIndex), 2 end.
class TdxPSPrintEvent : public TdxComponentPrinterEvent {
    QEL_CLASS(TdxPSPrintEvent)
public:
    TdxPSPrintEvent(TObject* Sender, int Stage, TBasedxReportLink* ReportLink, int PageCount = 0, int PageIndex = 0)
        : TdxComponentPrinterEvent(Sender), m_stage(Stage), m_reportLink(ReportLink), m_pageCount(PageCount),
          m_pageIndex(PageIndex) {}
    int Stage() const { return m_stage; }
    TBasedxReportLink* ReportLink() const { return m_reportLink; }
    int PageCount() const { return m_pageCount; }
    int PageIndex() const { return m_pageIndex; }

private:
    int m_stage;
    TBasedxReportLink* m_reportLink;
    int m_pageCount;
    int m_pageIndex;
};

// ----- subscribers --------------------------------------------------------------------------
// Each handles one event class and calls the handlers its owner set; a
// handler that is not set is skipped.
class TdxStyleListChangedSubscriber : public TdxEventSubscriber {
    QEL_CLASS(TdxStyleListChangedSubscriber)
public:
    TdxStyleListChangedSubscriber() : TdxEventSubscriber({dxEventClass<TdxSMStyleListChangedEvent>()}) {}
    void HandleEvent(TdxEvent& Event) override;
    std::function<void(TObject* Sender)> OnStyleListChanged;
};

class TdxPageParamsChangedSubscriber : public TdxEventSubscriber {
    QEL_CLASS(TdxPageParamsChangedSubscriber)
public:
    TdxPageParamsChangedSubscriber() : TdxEventSubscriber({dxEventClass<TdxSMPageParamsChangedEvent>()}) {}
    void HandleEvent(TdxEvent& Event) override;
    std::function<void(TBasedxPrintStyle* PrintStyle, TdxPageParamsUpdateCodes UpdateCodes)> OnPageParamsChanged;
};

class TdxPSBuildReportSubscriber : public TdxEventSubscriber {
    QEL_CLASS(TdxPSBuildReportSubscriber)
public:
    TdxPSBuildReportSubscriber() : TdxEventSubscriber({dxEventClass<TdxPSBuildEvent>()}) {}
    void HandleEvent(TdxEvent& Event) override;
    std::function<void(TObject* Sender, TBasedxReportLink* ReportLink)> OnStartGenerateReport;
    std::function<void(TObject* Sender, TBasedxReportLink* ReportLink, double PercentDone)> OnGenerateReportProgress;
    std::function<void(TObject* Sender, TBasedxReportLink* ReportLink)> OnEndGenerateReport;
};

class TdxPSPrintReportSubscriber : public TdxEventSubscriber {
    QEL_CLASS(TdxPSPrintReportSubscriber)
public:
    TdxPSPrintReportSubscriber() : TdxEventSubscriber({dxEventClass<TdxPSPrintEvent>()}) {}
    void HandleEvent(TdxEvent& Event) override;
    std::function<void(TObject* Sender, TBasedxReportLink* ReportLink, int PageCount)> OnStartPrint;
    std::function<void(TObject* Sender, TBasedxReportLink* ReportLink, int PageIndex)> OnNewPage;
    std::function<void(TObject* Sender, TBasedxReportLink* ReportLink)> OnEndPrint;
};

} // namespace qel
