#pragma once
// Opening a document or a link with the desktop's program for it (a browser
// for a web address, the mail program for "mailto:", the viewer of a file).
// Production hands the target to the desktop (xdg-open); tests install a hook
// that records the request instead, and a headless run without a hook opens
// nothing, so no test ever starts a browser.
//
//   std::vector<std::string> opened;
//   TShellOpenHookScope hook([&](const std::string& Target) { opened.push_back(Target); return true; });
#include <functional>
#include <string>

namespace qel {

// Answers whether the target was handed over (false for an empty target, or
// when the desktop refused it).
bool ShellOpen(const std::string& Target);

// Answers whether it handled the target; installed hooks replace the desktop.
using TShellOpenHook = std::function<bool(const std::string& Target)>;
// Installs Hook and answers the previous one (nullptr: the desktop).
TShellOpenHook SetShellOpenHook(TShellOpenHook AHook);

class TShellOpenHookScope {
public:
    explicit TShellOpenHookScope(TShellOpenHook Hook) : m_previous(SetShellOpenHook(std::move(Hook))) {}
    ~TShellOpenHookScope() { SetShellOpenHook(std::move(m_previous)); }
    TShellOpenHookScope(const TShellOpenHookScope&) = delete;
    TShellOpenHookScope& operator=(const TShellOpenHookScope&) = delete;

private:
    TShellOpenHook m_previous;
};

} // namespace qel
