#include "platform/controls/FormLoop.h"

#include "platform/controls/Application.h"
#include "platform/controls/Messages.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

namespace qel {

namespace {

// Runs what is pending until Done holds or two rounds in a row found nothing waiting.
bool RunPending(const std::function<bool()>& Done)
{
    for (int idle = 0; !Done() && idle < 2;) {
        idle = PostedCallCount() > 0 ? 0 : idle + 1;
        QCoreApplication::processEvents();
        ProcessPostedCalls();
    }
    return Done();
}

} // namespace

bool RunNestedLoop(const std::function<bool()>& Done)
{
    if (Screen().Headless())
        return RunPending(Done);
    while (!Done() && !Application().Terminated())
        Application().HandleMessage();
    return Done();
}

bool RunFormLoop(TForm& Form, const std::function<bool()>& Done)
{
    const QPointer<QWidget> alive(Form.Widget());
    const auto ended = [&] { return !alive || !Form.Showing() || Done(); };
    Form.Show();
    if (const TApplication::TModalFormHook hook = Application().ModalFormHook()) {
        hook(Form);
        RunPending(ended);
    } else {
        RunNestedLoop(ended);
    }
    return alive && Done();
}

} // namespace qel
