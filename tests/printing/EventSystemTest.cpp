#include "printing/EventSystem.h"

#include "platform/controls/Application.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace qel {
namespace {

int g_liveEvents = 0;

class ProbeEvent : public TdxEvent {
    QEL_CLASS(ProbeEvent)
public:
    explicit ProbeEvent(TObject* Sender) : TdxEvent(Sender) { ++g_liveEvents; }
    ~ProbeEvent() override { --g_liveEvents; }
};

class OtherEvent : public ProbeEvent {
    QEL_CLASS(OtherEvent)
public:
    using ProbeEvent::ProbeEvent;
};

// Records its calls into a shared log and runs an action of the test.
class ProbeSubscriber : public TdxEventSubscriber {
public:
    ProbeSubscriber(std::string Name, std::vector<std::string>& Log)
        : TdxEventSubscriber({dxEventClass<ProbeEvent>(), dxEventClass<ProbeEvent>()}), name(std::move(Name)), log(Log) {}
    void HandleEvent(TdxEvent& Event) override
    {
        log.push_back(name);
        if (action)
            action(Event);
    }
    std::string name;
    std::vector<std::string>& log;
    std::function<void(TdxEvent&)> action;
};

struct EventSystemTest : ::testing::Test {
    std::vector<std::string> log;
    std::vector<std::string> errors;
    TExceptionEvent previousHandler = Application().OnException;
    EventSystemTest()
    {
        Application().OnException = [this](TObject*, const std::exception& E) { errors.push_back(E.what()); };
    }
    ~EventSystemTest() override { Application().OnException = previousHandler; }

    void Publish(std::unique_ptr<TdxEvent> e = std::make_unique<ProbeEvent>(nullptr))
    {
        dxPSPublishEvent(e);
        EXPECT_EQ(e, nullptr) << "the caller's reference is cleared";
        EXPECT_EQ(g_liveEvents, 0) << "the event is freed";
    }
};

TEST_F(EventSystemTest, DeliversInSubscriptionOrderUntilHandled)
{
    ProbeSubscriber a("a", log), b("b", log), c("c", log), d("d", log);
    EXPECT_EQ(a.EventClasses().size(), 1u) << "a class is kept once";
    EXPECT_TRUE(a.Active());
    Publish();
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c", "d"}));

    // Handled stops delivery; a disabled subscriber is skipped before the flag is looked at.
    log.clear();
    b.SetEnabled(false);
    b.action = [](TdxEvent& e) { e.SetHandled(true); };
    c.action = [](TdxEvent& e) { e.SetHandled(true); };
    Publish();
    EXPECT_EQ(log, (std::vector<std::string>{"a", "c"}));

    // Exact classes only: a derived event class reaches nobody who lists the base.
    log.clear();
    Publish(std::make_unique<OtherEvent>(nullptr));
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(TdxPSEventSystem::Instance()->HasEventClass(dxEventClass<OtherEvent>()));
}

TEST_F(EventSystemTest, AFailingHandlerIsReportedAndDeliveryGoesOn)
{
    ProbeSubscriber a("a", log), b("b", log);
    a.action = [](TdxEvent&) { throw EInvalidOperation("handler failed"); };
    Publish();
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(errors, (std::vector<std::string>{"handler failed"}));
}

TEST_F(EventSystemTest, SubscribersRemovedDuringDeliveryAreNeitherSkippedNorOverrun)
{
    auto a = std::make_unique<ProbeSubscriber>("a", log);
    auto b = std::make_unique<ProbeSubscriber>("b", log);
    auto c = std::make_unique<ProbeSubscriber>("c", log);
    auto d = std::make_unique<ProbeSubscriber>("d", log);
    // a closes itself (a preview window going away) and c: b still gets the event, c never.
    a->action = [&](TdxEvent&) {
        c.reset();
        a.reset();
    };
    Publish();
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "d"}));

    // Subscribing during delivery takes effect from the next event on.
    log.clear();
    std::unique_ptr<ProbeSubscriber> late;
    b->action = [&](TdxEvent&) {
        if (!late)
            late = std::make_unique<ProbeSubscriber>("late", log);
    };
    Publish();
    EXPECT_EQ(log, (std::vector<std::string>{"b", "d"}));
    log.clear();
    Publish();
    EXPECT_EQ(log, (std::vector<std::string>{"b", "d", "late"}));
}

TEST_F(EventSystemTest, EventsWithoutSubscribersAndUnregisteredEventsAreFreed)
{
    Publish();
    std::unique_ptr<TdxEvent> none;
    dxPSPublishEvent(none);
    EXPECT_EQ(g_liveEvents, 0);
}

TEST_F(EventSystemTest, PrintingSubscribersDispatchByStage)
{
    TObject sender;
    auto* link = reinterpret_cast<TBasedxReportLink*>(&sender);
    std::vector<std::string> calls;
    TdxPSBuildReportSubscriber build;
    build.OnStartGenerateReport = [&](TObject* s, TBasedxReportLink* l) {
        calls.push_back(s == &sender && l == link ? "build start" : "?");
    };
    build.OnGenerateReportProgress = [&](TObject*, TBasedxReportLink*, double p) {
        calls.push_back("progress " + std::to_string(static_cast<int>(p)));
    };
    // No end handler: skipped.
    TdxPSPrintReportSubscriber print;
    print.OnStartPrint = [&](TObject*, TBasedxReportLink*, int n) { calls.push_back("pages " + std::to_string(n)); };
    print.OnNewPage = [&](TObject*, TBasedxReportLink*, int i) { calls.push_back("page " + std::to_string(i)); };
    print.OnEndPrint = [&](TObject*, TBasedxReportLink*) { calls.push_back("print end"); };
    TdxPageParamsChangedSubscriber params;
    params.OnPageParamsChanged = [&](TBasedxPrintStyle*, TdxPageParamsUpdateCodes codes) {
        calls.push_back("codes " + std::to_string(codes));
    };
    TdxStyleListChangedSubscriber styles;
    styles.OnStyleListChanged = [&](TObject* s) { calls.push_back(s == &sender ? "styles" : "?"); };

    Publish(std::make_unique<TdxPSBuildEvent>(&sender, 0, link));
    Publish(std::make_unique<TdxPSBuildEvent>(&sender, 1, link, 40.0));
    Publish(std::make_unique<TdxPSBuildEvent>(&sender, 2, link));
    Publish(std::make_unique<TdxPSPrintEvent>(&sender, 0, link, 3));
    Publish(std::make_unique<TdxPSPrintEvent>(&sender, 1, link, 0, 2));
    Publish(std::make_unique<TdxPSPrintEvent>(&sender, 2, link));
    Publish(std::make_unique<TdxSMPageParamsChangedEvent>(&sender, nullptr, 0x41));
    Publish(std::make_unique<TdxSMStyleListChangedEvent>(&sender));
    EXPECT_EQ(calls, (std::vector<std::string>{"build start", "progress 40", "pages 3", "page 2", "print end",
                                               "codes 65", "styles"}));
}

TEST_F(EventSystemTest, AccessCodesAndShutdownOrder)
{
    EXPECT_EQ(test::MessageOf<EdxEventSystem>([] { TdxPSEventSystem::GetInstance(3); }),
              "Illegal AccessCode 3 in GetInstance");

    // A subscriber that outlives the event system (program end) leaves quietly.
    auto sub = std::make_unique<ProbeSubscriber>("a", log);
    delete TdxPSEventSystem::GetInstance(0);
    EXPECT_EQ(TdxPSEventSystem::GetInstance(0), nullptr);
    EXPECT_FALSE(sub->Active());
    sub.reset();

    // The next use creates a fresh system.
    ProbeSubscriber b("b", log);
    EXPECT_EQ(TdxPSEventSystem::Instance()->SubscriberCount(), 1);
    Publish();
    EXPECT_EQ(log, (std::vector<std::string>{"b"}));
}

} // namespace
} // namespace qel
