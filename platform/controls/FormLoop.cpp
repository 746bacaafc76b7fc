#include "platform/controls/FormLoop.h"

#include "platform/controls/Application.h"
#include "platform/controls/Messages.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

namespace qel {

bool RunFormLoop(TForm& Form, const std::function<bool()>& Done)
{
    const QPointer<QWidget> alive(Form.Widget());
    const auto running = [&] { return alive && Form.Showing() && !Done(); };
    Form.Show();
    const TApplication::TModalFormHook hook = Application().ModalFormHook();
    if (hook || Screen().Headless()) {
        if (hook)
            hook(Form);
        // What the script posted still runs; what it leaves open is cancelled.
        for (int round = 0; round < 3 && running(); ++round) {
            QCoreApplication::processEvents();
            ProcessPostedCalls();
        }
        return alive && Done();
    }
    while (running() && !Application().Terminated())
        Application().HandleMessage();
    return alive && Done();
}

} // namespace qel
