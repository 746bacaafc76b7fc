// Posted calls and messages, PeekMessage on pending messages, and the
// application's notifications.
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Guards.h"
#include "platform/graphics/Bitmap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qel {
namespace {

// A control that logs the messages it gets.
class TLogControl : public TCustomControl {
public:
    explicit TLogControl(TComponent* AOwner, std::vector<std::string>& Log) : TCustomControl(AOwner), m_log(Log) {}

protected:
    void WndProc(TMessage& Message) override
    {
        if (Message.Msg >= WM_USER) {
            m_log.push_back(Name() + ":" + std::to_string(Message.Msg - WM_USER) + "/"
                            + std::to_string(Message.WParam));
            Message.Result = 42;
            return;
        }
        TCustomControl::WndProc(Message);
    }

private:
    std::vector<std::string>& m_log;
};

TEST(PostedCalls, RunAfterTheCurrentEventInOrder)
{
    ProcessPostedCalls();
    std::vector<std::string> log;
    TLogControl control(nullptr, log);
    control.SetName("c");
    PostCall(&control, [&] {
        log.push_back("call1");
        PostCall(nullptr, [&] { log.push_back("posted by call1"); });
    });
    PostMessage(&control, WM_USER + 1, 7);
    PostCall(nullptr, [&] { log.push_back("app call"); });
    EXPECT_TRUE(log.empty()) << "nothing runs inside the event that posts";
    EXPECT_EQ(PostedCallCount(), 3);
    Application().ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"call1", "c:1/7", "app call", "posted by call1"}));
    EXPECT_EQ(PostedCallCount(), 0);
    EXPECT_EQ(control.Perform(WM_USER + 2, 1), 42) << "Perform hands the message over at once";
}

TEST(PostedCalls, NothingRunsForAControlFreedBeforehand)
{
    std::vector<std::string> log;
    auto* doomed = new TLogControl(nullptr, log);
    TLogControl survivor(nullptr, log);
    survivor.SetName("s");
    PostCall(doomed, [&] { log.push_back("call on a freed control"); });
    PostMessage(doomed, WM_USER, 1);
    PostMessage(&survivor, WM_USER, 2);
    delete doomed;
    EXPECT_EQ(PostedCallCount(), 1);
    Application().ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"s:0/2"}));
}

TEST(PostedCalls, AnExceptionGoesToTheApplicationAndTheQueueGoesOn)
{
    std::vector<std::string> errors;
    TValueRestorer<TExceptionEvent> handler(Application().OnException,
                                            [&](TObject*, const std::exception& e) { errors.push_back(e.what()); });
    bool after = false;
    PostCall(nullptr, [] { throw EInvalidOperation("posted failure"); });
    PostCall(nullptr, [&] { after = true; });
    Application().ProcessMessages();
    EXPECT_EQ(errors, (std::vector<std::string>{"posted failure"}));
    EXPECT_TRUE(after);
}

// What Qt delivers (input, paint) never hands an exception back to Qt's loop:
// the application hears of it, after the paint event for a paint.
TEST(PostedCalls, HandlerExceptionsFromQtEventsGoToTheApplication)
{
    struct TFailing : TCustomControl {
        using TCustomControl::TCustomControl;
        bool failPaint = false;
        void MouseDown(TMouseButton, TShiftState, int, int) override { throw EInvalidOperation("press failure"); }
        void Paint() override
        {
            if (failPaint)
                throw EInvalidOperation("paint failure");
        }
    };
    std::vector<std::string> errors;
    TValueRestorer<TExceptionEvent> handler(Application().OnException,
                                            [&](TObject*, const std::exception& e) { errors.push_back(e.what()); });
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    auto* c = new TFailing(&form);
    c->SetParent(&form);
    c->SetBounds(0, 0, 100, 50);
    form.Show();
    SimulateMouseDown(c, mbLeft, 5, 5);
    EXPECT_EQ(errors, (std::vector<std::string>{"press failure"}));
    SimulateMouseUp(c, mbLeft, 5, 5);

    errors.clear();
    c->failPaint = true;
    EXPECT_NE(GrabControl(c), nullptr);
    EXPECT_TRUE(errors.empty());   // not from inside the paint
    Application().ProcessMessages();
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.front(), "paint failure");
}

TEST(PostedCalls, PeekLooksAtAndRemovesPendingMessages)
{
    std::vector<std::string> log;
    TLogControl a(nullptr, log), b(nullptr, log);
    a.SetName("a");
    b.SetName("b");
    PostMessage(&a, WM_CHAR, 'x');
    PostMessage(&b, WM_CHAR, 'y');
    PostMessage(&a, WM_USER + 5, 1);
    TMessage m;
    ASSERT_TRUE(PeekMessage(m, &b, WM_CHAR, WM_CHAR, false));
    EXPECT_EQ(m.WParam, std::uintptr_t('y'));
    EXPECT_EQ(PostedCallCount(), 3) << "looking does not take it out";
    ASSERT_TRUE(PeekMessage(m, &a, WM_CHAR, WM_CHAR, true));
    EXPECT_EQ(m.WParam, std::uintptr_t('x'));
    EXPECT_FALSE(PeekMessage(m, &a, WM_CHAR, WM_CHAR, true)) << "removed once";
    ASSERT_TRUE(PeekMessage(m, nullptr, WM_USER, WM_USER + 10, false));
    EXPECT_EQ(m.Msg, WM_USER + 5);
    ASSERT_TRUE(PeekMessage(m, nullptr, 0, 0, false));
    EXPECT_EQ(m.Msg, WM_CHAR) << "no filter: the oldest";
    Application().ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"a:5/1"}));
    EXPECT_FALSE(PeekMessage(m, nullptr, 0, 0, false));
}

TEST(PostedCalls, APostedCharacterIsTypedIntoTheControl)
{
    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    std::string pressed;
    edit->OnKeyPress = [&](TObject*, TKeyChar& Key) {
        pressed += KeyCharToUtf8(Key);
        if (Key == U'q')
            Key = 0;
    };
    PostMessage(edit, WM_CHAR, U'ä');
    PostMessage(edit, WM_CHAR, U'q');
    PostMessage(edit, WM_CHAR, U'1');
    PostMessage(edit, WM_CHAR, 8);   // a control character reaches KeyPress only
    Application().ProcessMessages();
    EXPECT_EQ(pressed, "äq1\b");
    EXPECT_EQ(edit->Text(), "ä1");
}

TEST(PostedCalls, AManualClockRunsPostedCallsAfterEachTimer)
{
    TManualClockScope clock(0);
    std::vector<std::string> log;
    TTimer timer(nullptr);
    timer.SetInterval(10);
    timer.OnTimer = [&](TObject*) {
        log.push_back("timer@" + std::to_string(GetTickCount()));
        PostCall(nullptr, [&] { log.push_back("posted@" + std::to_string(GetTickCount())); });
    };
    clock.Advance(20);
    EXPECT_EQ(log, (std::vector<std::string>{"timer@10", "posted@10", "timer@20", "posted@20"}));
}

TEST(ApplicationNotifications, SettingChangeReachesTheEventAndEveryLink)
{
    std::vector<std::string> log;
    TValueRestorer<TNotifyEvent> user(Application().OnSettingChange, [&](TObject*) { log.push_back("user"); });
    TChangeLink grid(Application().SettingChanges(), [&](TObject*) { log.push_back("grid"); });
    {
        TChangeLink styles(Application().SettingChanges(), [&](TObject*) { log.push_back("styles"); });
        Application().SettingChange();
    }
    // A user who replaces the event cuts nobody off.
    Application().OnSettingChange = [&](TObject*) { log.push_back("other user"); };
    Application().SettingChange();
    EXPECT_EQ(log, (std::vector<std::string>{"user", "grid", "styles", "other user", "grid"}));
}

TEST(ApplicationNotifications, ActivationChangesAreReportedOnce)
{
    ASSERT_TRUE(Application().Active());
    std::vector<std::string> log;
    TValueRestorer<TNotifyEvent> onActivate(Application().OnActivate, [&](TObject*) { log.push_back("activate"); });
    TValueRestorer<TNotifyEvent> onDeactivate(Application().OnDeactivate,
                                              [&](TObject*) { log.push_back("deactivate"); });
    TChangeLink link(Application().ActivationChanges(), [&](TObject*) {
        log.push_back(Application().Active() ? "link: active" : "link: inactive");
    });
    Application().SetActive(false);
    Application().SetActive(false);
    Application().SetActive(true);
    EXPECT_EQ(log, (std::vector<std::string>{"deactivate", "link: inactive", "activate", "link: active"}));
}

} // namespace
} // namespace qel
