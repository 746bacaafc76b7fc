// Nested loops and forms that run their own loop until they have an answer,
// driven by posted calls and by the modal-form hook as modal forms are:
// answers set by the script, by posted calls and by timers; a script that
// leaves the form running, a headless run without a script, and a form freed
// or hidden inside the loop.
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/FormLoop.h"
#include "platform/controls/Messages.h"

#include <gtest/gtest.h>

#include <memory>

namespace qel {
namespace {

// A form that answers through a field, as a drop-down chooser does.
class AnsweringForm : public TForm {
public:
    AnsweringForm() : TForm(nullptr) { SetBounds(10, 10, 120, 80); }
    int Answer = 0;
};

TEST(FormLoop, TheScriptPostedCallsAndTimersAnswer)
{
    AnsweringForm form;
    bool visibleInScript = false;
    {
        TModalFormHookScope hook([&](TForm& F) {
            visibleInScript = F.Showing();
            static_cast<AnsweringForm&>(F).Answer = 1;
        });
        EXPECT_TRUE(RunFormLoop(form, [&] { return form.Answer != 0; }));
    }
    EXPECT_TRUE(visibleInScript);
    form.Hide();

    // Work the script posts runs before the loop gives up.
    form.Answer = 0;
    {
        TModalFormHookScope hook([&](TForm& F) { PostCall(&F, [&] { form.Answer = 2; }); });
        EXPECT_TRUE(RunFormLoop(form, [&] { return form.Answer != 0; }));
    }
    EXPECT_EQ(form.Answer, 2);
    form.Hide();

    // Time passes on the test clock only.
    form.Answer = 0;
    TManualClockScope clock;
    TTimer timer(nullptr);
    timer.SetInterval(500);
    timer.OnTimer = [&](TObject*) { form.Answer = 3; };
    {
        TModalFormHookScope hook([&](TForm&) { clock.Advance(499); });
        EXPECT_FALSE(RunFormLoop(form, [&] { return form.Answer != 0; })) << "one millisecond short";
    }
    {
        TModalFormHookScope hook([&](TForm&) { clock.Advance(1); });
        EXPECT_TRUE(RunFormLoop(form, [&] { return form.Answer != 0; }));
    }
    form.Hide();
}

TEST(FormLoop, NobodyToAnswerEndsWithoutAnAnswer)
{
    AnsweringForm form;
    int checks = 0;
    {
        TModalFormHookScope hook([](TForm&) {});
        EXPECT_FALSE(RunFormLoop(form, [&] { ++checks; return false; }));
    }
    EXPECT_GT(checks, 0);
    form.Hide();
    // Headless without a script: the loop gives up at once.
    ASSERT_TRUE(Screen().Headless());
    TModalFormHookScope none(nullptr);
    EXPECT_FALSE(RunFormLoop(form, [] { return false; }));
    form.Hide();
}

TEST(FormLoop, ANestedLoopRunsWhatIsPostedUntilDoneOrNothingIsLeft)
{
    int step = 0;
    // Each step posts the next one, as a script inside a mode would.
    PostCall(nullptr, [&] {
        step = 1;
        PostCall(nullptr, [&] { step = 2; });
    });
    EXPECT_TRUE(RunNestedLoop([&] { return step == 2; }));
    EXPECT_EQ(PostedCallCount(), 0);

    // Headless, with nothing left to run, nobody can end it: it gives up.
    EXPECT_FALSE(RunNestedLoop([] { return false; }));
}

TEST(FormLoop, AFormFreedOrHiddenInsideTheLoopEndsIt)
{
    auto* form = new AnsweringForm;
    bool asked = false;
    {
        TModalFormHookScope hook([](TForm& F) { delete &F; });
        EXPECT_FALSE(RunFormLoop(*form, [&] { asked = true; return false; }));
    }
    EXPECT_FALSE(asked) << "nothing asks a freed form";

    AnsweringForm hidden;
    TModalFormHookScope hook([](TForm& F) {
        static_cast<AnsweringForm&>(F).Answer = 4;
        F.Hide();
    });
    EXPECT_TRUE(RunFormLoop(hidden, [&] { return hidden.Answer != 0; })) << "answered, then hid itself";
}

} // namespace
} // namespace qel
