#include "platform/controls/Shell.h"

#include "platform/controls/Application.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace qel {

namespace {
TShellOpenHook& Hook()
{
    static TShellOpenHook hook;
    return hook;
}
} // namespace

TShellOpenHook SetShellOpenHook(TShellOpenHook AHook)
{
    TShellOpenHook previous = std::move(Hook());
    Hook() = std::move(AHook);
    return previous;
}

bool ShellOpen(const std::string& Target)
{
    if (Target.empty())
        return false;
    if (Hook())
        return Hook()(Target);
    if (Screen().Headless())
        return false;
    const QString t = QString::fromStdString(Target);
    // A path that exists is a file; anything else is read as an address ("www.x.de" becomes http://).
    const QUrl url = QFileInfo::exists(t) ? QUrl::fromLocalFile(QFileInfo(t).absoluteFilePath()) : QUrl::fromUserInput(t);
    return url.isValid() && QDesktopServices::openUrl(url);
}

} // namespace qel
