#pragma once
// The program under test on the X server of this test process: waiting for
// it to take in real input, and where its controls are on the screen.
#include "XSession.h"

#include "platform/controls/Controls.h"

#include <chrono>
#include <functional>
#include <memory>

namespace qel {
class TForm;
}

namespace qel::test {

// The server of this process and the test's connection to it (made by the main).
TXServer& XServer();
TXClient& XInput();

// Runs the program's event loop until Condition holds or the time is up;
// answers Condition().
bool WaitUntil(const std::function<bool()>& Condition, std::chrono::milliseconds Timeout = kXTimeout);
// Waits until the program has handled every event the server sent it so
// far (the test's input and what followed from it). Fails the test when the
// program stops taking events in.
void Settle();
// Waits until Form is on the screen and has the keyboard focus.
bool WaitUntilActive(TForm& Form);
// The screen position of a client point of Control.
TPoint OnScreen(const TControl* Control, int X, int Y);
// Clicks a client point of Control and waits until the program has handled it.
void ClickAt(const TControl* Control, int X, int Y);
// The X window of a form, or of any control that is a window of its own (a
// hint, an overlay), and the form's title as the window manager shows it.
std::uint32_t XWindowOf(const TControl& Control);
std::string XTitleOf(const TForm& Form);

// Runs Script once Condition holds, from whichever event loop runs then: a
// mode or a menu that runs its own loop until the user ends it is driven
// from inside that loop. Asked until the object goes.
class TScriptWhen {
public:
    TScriptWhen(std::function<bool()> Condition, std::function<void()> Script);
    ~TScriptWhen();
    TScriptWhen(const TScriptWhen&) = delete;
    TScriptWhen& operator=(const TScriptWhen&) = delete;
    bool Ran() const { return m_ran; }

private:
    struct Timer;
    std::unique_ptr<Timer> m_timer;
    bool m_ran{false};
};

} // namespace qel::test
