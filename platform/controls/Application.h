#pragma once
// The process-wide application and screen objects: title, event
// processing, exception display, message boxes; screen size and work area
// (a fixed virtual screen when running headless), pixels per inch, the
// screen cursor, the active form and control, and the list of forms. Also
// the hooks through which tests drive modal forms.
#include "platform/controls/Clock.h"
#include "platform/controls/Controls.h"
#include "platform/core/ChangeLink.h"

#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace qel {

class TForm;
class TBitmap;

// MessageBox flags and answers (the platform's values).
inline constexpr unsigned MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2,
    MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4, MB_RETRYCANCEL = 0x5, MB_ICONHAND = 0x10,
    MB_ICONERROR = 0x10, MB_ICONSTOP = 0x10, MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30,
    MB_ICONWARNING = 0x30, MB_ICONASTERISK = 0x40, MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON1 = 0x0, MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200;
inline constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;
using THelpEvent = std::function<void(TObject* Sender, int HelpContext)>;

class TApplication : public TComponent {
    QEL_CLASS(TApplication)
public:
    TApplication();
    ~TApplication() override;

    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& Value) { m_title = Value; }
    std::string ExeName() const;
    TForm* MainForm() const { return m_mainForm; }
    void SetMainForm(TForm* Value);

    // Handles every pending event and returns.
    void ProcessMessages();
    // Waits for at least one event and handles what is pending.
    void HandleMessage();
    // Ends the event loop the program runs (and every modal loop); closing the
    // main form does this.
    void Terminate();
    bool Terminated() const { return m_terminated; }
    void ResetTerminated() { m_terminated = false; }

    // Reports an exception: OnException when assigned, else a message box
    // with its text; EAbort is silent.
    void HandleException(const std::exception& E);
    // A message box with the platform's MB_* flags; answers IDOK, IDCANCEL...
    int MessageBox(const std::string& Text, const std::string& Caption, unsigned Flags = MB_OK);
    // Shows help for a context (OnHelp; nothing without it).
    void HelpContext(int Context);

    TExceptionEvent OnException;
    THelpEvent OnHelp;

    // ----- notifications ------------------------------------------------------------
    // The desktop's settings changed (locale, colours, fonts): OnSettingChange,
    // then every link of SettingChanges() (grids and print styles rebuild their
    // defaults). The platform raises it; tests call it to act as the desktop.
    void SettingChange();
    TChangeLinks& SettingChanges() { return m_settingChanges; }
    // Whether a window of the program has the desktop's focus. A change runs
    // OnActivate or OnDeactivate, then the links of ActivationChanges() (open
    // popups close on deactivation). The platform sets it from the desktop
    // (headless runs leave it to the program); tests set it to act as the desktop.
    bool Active() const { return m_active; }
    void SetActive(bool Value);
    TChangeLinks& ActivationChanges() { return m_activationChanges; }

    TNotifyEvent OnSettingChange;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

    // ----- automation -------------------------------------------------------------
    // Runs when a form is about to enter its modal loop (visible, focused).
    // It drives the form like a user (sets values, presses buttons). A form
    // the hook leaves open is cancelled, so a test never waits for a person.
    using TModalFormHook = std::function<void(TForm& Form)>;
    // Installs Hook and answers the previous one.
    TModalFormHook SetModalFormHook(TModalFormHook Hook);
    const TModalFormHook& ModalFormHook() const { return m_modalHook; }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::string m_title;
    TForm* m_mainForm{nullptr};
    bool m_terminated{false};
    TModalFormHook m_modalHook;
    bool m_active{true};
    TChangeLinks m_settingChanges;
    TChangeLinks m_activationChanges;
};

TApplication& Application();

// Installs a modal-form hook for a scope and restores the previous one.
class TModalFormHookScope {
public:
    explicit TModalFormHookScope(TApplication::TModalFormHook Hook)
        : m_previous(Application().SetModalFormHook(std::move(Hook))) {}
    ~TModalFormHookScope() { Application().SetModalFormHook(std::move(m_previous)); }
    TModalFormHookScope(const TModalFormHookScope&) = delete;
    TModalFormHookScope& operator=(const TModalFormHookScope&) = delete;

private:
    TApplication::TModalFormHook m_previous;
};

class TScreen {
public:
    // Screen size in pixels; headless runs answer the virtual screen.
    int Width() const;
    int Height() const;
    TRect WorkAreaRect() const;
    int WorkAreaLeft() const { return WorkAreaRect().Left; }
    int WorkAreaTop() const { return WorkAreaRect().Top; }
    int WorkAreaWidth() const { return WorkAreaRect().Width(); }
    int WorkAreaHeight() const { return WorkAreaRect().Height(); }
    int PixelsPerInch() const;
    // True on Qt's offscreen or minimal platform.
    bool Headless() const;
    // The virtual screen of headless runs (1280 x 1024, work area the whole
    // screen, 96 pixels per inch by default).
    void SetVirtualScreen(int AWidth, int AHeight, const TRect* WorkArea = nullptr, int PixelsPerInch = 96);

    // The desktop's small interface font (status bars, hints): its name and
    // point size go into Font. Answers false, leaving Font alone, when the
    // desktop names none of its own (always when headless).
    bool GetStatusBarFont(TFont& Font) const;

    // The cursor for the whole application; crDefault lets each control show its own.
    TCursor Cursor() const { return m_cursor; }
    void SetCursor(TCursor Value);

    // Cursors of the program's own (index >= 100, as the platform's cursor
    // table): an image with its hot spot; the pixels of a fixed transparent
    // colour of the bitmap (TBitmap::SetTransparentColor) are see-through.
    // A cleared index is free again.
    void SetCursorImage(TCursor Index, const TBitmap& Image, int HotX, int HotY);
    void ClearCursorImage(TCursor Index);
    bool CursorDefined(TCursor Index) const;

    TForm* ActiveForm() const { return m_activeForm; }
    TWinControl* ActiveControl() const;
    int FormCount() const { return static_cast<int>(m_forms.size()); }
    TForm* Forms(int Index) const;

    TNotifyEvent OnActiveFormChange;

    // For TForm: keeps the list and the active form.
    void AddForm(TForm* Form);
    void RemoveForm(TForm* Form);
    void SetActiveForm(TForm* Form);

private:
    int m_width{1280};
    int m_height{1024};
    TRect m_workArea{0, 0, 1280, 1024};
    int m_ppi{96};
    TCursor m_cursor{crDefault};
    std::vector<TForm*> m_forms;
    TForm* m_activeForm{nullptr};
};

TScreen& Screen();

// Sets the screen cursor for a scope (the hourglass during long work) and
// restores the previous one, also on an exception.
class TCursorGuard {
public:
    explicit TCursorGuard(TCursor Cursor) : m_saved(Screen().Cursor()) { Screen().SetCursor(Cursor); }
    ~TCursorGuard() { Screen().SetCursor(m_saved); }
    TCursorGuard(const TCursorGuard&) = delete;
    TCursorGuard& operator=(const TCursorGuard&) = delete;

private:
    TCursor m_saved;
};

// System metrics (the platform's SM_* indexes) with the classic look's values
// at 96 pixels per inch; the screen size follows TScreen. This system offers no
// network printer connection, so SM_NETWORK answers 0. SM_MOUSEWHEELPRESENT
// is 1 when a pointing device reports a wheel, and 1 headless, where no
// device can be asked and what depends on a wheel must still be reachable.
// Unknown indexes answer 0.
enum : int {
    SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CXBORDER = 5,
    SM_CYBORDER = 6, SM_CXICON = 11, SM_CYICON = 12, SM_CYVSCROLL = 20, SM_CXHSCROLL = 21,
    SM_CXEDGE = 45, SM_CYEDGE = 46, SM_CXSMICON = 49, SM_CYSMICON = 50, SM_NETWORK = 63,
    SM_CXDRAG = 68, SM_CYDRAG = 69, SM_MOUSEWHEELPRESENT = 75
};
int GetSystemMetrics(int Index);

// The mouse pointer in screen coordinates. Headless runs keep a virtual
// pointer that the simulated mouse input moves too.
TPoint GetCursorPos();
void SetCursorPos(int X, int Y);

} // namespace qel
