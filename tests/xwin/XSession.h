#pragma once
// A private X server for one test process, and the test's own connection to
// it. The server is Xvfb on a display number it picks itself (several test
// runs share a machine), with the openbox window manager, so windows are
// framed, placed, focused and closed as on a desktop. Input is real: key and
// button events made by the server through its XTest extension.
#include "TestSupport.h"

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

struct xcb_connection_t;

namespace qel::test {

// How long a test waits for the server, the window manager or the program
// before it fails: generous, since only a broken step ever waits that long.
inline constexpr std::chrono::milliseconds kXTimeout{20000};

// Xvfb and openbox, started in the constructor and stopped in the destructor;
// both also end with the process that started them. Throws
// std::runtime_error when either cannot start.
class TXServer {
public:
    TXServer();
    ~TXServer();
    TXServer(const TXServer&) = delete;
    TXServer& operator=(const TXServer&) = delete;

    // ":N", for DISPLAY.
    const std::string& Display() const { return m_display; }
    // A folder for the window manager's and the program's settings and caches.
    const TempDir& Home() const { return m_home; }

private:
    void StartServer();
    void StartWindowManager();

    TempDir m_home;
    std::string m_display;
    pid_t m_server{-1};
    pid_t m_windowManager{-1};
};

// X keysyms the tests type.
enum : std::uint32_t {
    XK_Tab = 0xff09, XK_Return = 0xff0d, XK_Escape = 0xff1b, XK_Home = 0xff50, XK_Left = 0xff51,
    XK_Up = 0xff52, XK_Right = 0xff53, XK_Down = 0xff54, XK_Prior = 0xff55, XK_Next = 0xff56, XK_End = 0xff57,
    XK_Menu = 0xff67, XK_F2 = 0xffbf, XK_F4 = 0xffc1, XK_F10 = 0xffc7, XK_Shift_L = 0xffe1, XK_Control_L = 0xffe3,
    XK_Alt_L = 0xffe9, XK_space = 0x20
};

// A rectangle on the screen as the server sees it.
struct TXRect {
    int X = 0, Y = 0, Width = 0, Height = 0;
    bool operator==(const TXRect&) const = default;
};

// The pointer's picture as the server shows it: premultiplied ARGB, row by row.
struct TXCursorImage {
    int Width = 0, Height = 0, HotX = 0, HotY = 0;
    std::vector<std::uint32_t> Pixels;
};

class TXClient {
public:
    explicit TXClient(const std::string& Display);
    ~TXClient();
    TXClient(const TXClient&) = delete;
    TXClient& operator=(const TXClient&) = delete;

    // ----- real input (screen coordinates) -------------------------------------------
    // Moves the pointer; buttons pressed with Press stay down (a drag).
    void MoveTo(int X, int Y);
    void Click(int X, int Y, int Button = 1);
    void Press(int Button = 1);
    void Release(int Button = 1);
    // The buttons held down with Press (XCB_BUTTON_MASK_1 << (Button - 1)).
    std::uint16_t HeldButtons() const { return m_buttons; }
    // Turns the wheel at the point by Notches, away from the user when
    // positive, with the modifier keys held.
    void Wheel(int X, int Y, int Notches, std::initializer_list<std::uint32_t> Modifiers = {});
    // Presses Button at (FromX, FromY), moves in Steps even steps to (ToX, ToY)
    // with it held, and releases it there.
    void Drag(int FromX, int FromY, int ToX, int ToY, int Steps = 4, int Button = 1);
    // The key with the modifier keys held (XK_Shift_L, XK_Control_L, XK_Alt_L).
    void Key(std::uint32_t Keysym, std::initializer_list<std::uint32_t> Modifiers = {});
    // Letters, digits and spaces.
    void Type(const std::string& Text);
    // Waits until the server has handled everything sent so far.
    void Sync();

    // ----- what the screen shows ---------------------------------------------------------
    // The colour of a screen pixel, 0xRRGGBB.
    std::uint32_t Pixel(int X, int Y);
    TXCursorImage CursorImage();
    // Whether some client holds the pointer grabbed (a grab of the test's
    // own, tried and dropped at once, says so).
    bool PointerGrabbed();

    // ----- windows --------------------------------------------------------------------
    bool WindowManagerRunning();
    // The window's place on the screen, without the window manager's frame.
    TXRect Geometry(std::uint32_t Window);
    // The top-level windows from the bottom of the stack to the top (a frame
    // of the window manager stands for the window it holds).
    std::vector<std::uint32_t> Stacking();
    // Whether Window is, or holds, Inner.
    bool Holds(std::uint32_t Window, std::uint32_t Inner);
    // The window with the keyboard focus.
    std::uint32_t FocusWindow();
    // Sets a property of Window to Value: the program sees it after every
    // event sent before (see MarkerAtom).
    void Mark(std::uint32_t Window, std::uint32_t Value);
    std::uint32_t MarkerAtom() const { return m_marker; }
    // From now on, notes every window the window manager takes over (every
    // top-level window a program shows).
    void WatchManagedWindows();
    // The window's title as the window manager reads it.
    std::string Title(std::uint32_t Window);
    // The titles of the windows taken over so far, in order.
    std::vector<std::string> ManagedTitles();
    // The program's window with that title among those taken over; 0 when none.
    std::uint32_t ManagedWindow(const std::string& Title);
    // Reads the server's events until Done holds or the time is up; answers Done().
    bool WaitFor(const std::function<bool()>& Done, std::chrono::milliseconds Timeout = kXTimeout);

private:
    std::uint32_t Atom(const char* Name);
    std::uint8_t Keycode(std::uint32_t Keysym);
    void AwaitState(const std::function<bool()>& Done, const char* What);
    bool PointerIs(int X, int Y, std::uint16_t ButtonMask);
    bool ButtonsAre(std::uint16_t ButtonMask);
    bool KeyIsDown(std::uint8_t Keycode);
    void KeyDown(std::uint8_t Keycode);
    void KeyUp(std::uint8_t Keycode);
    void Fake(std::uint8_t Type, std::uint8_t Detail, int X = 0, int Y = 0);
    void ReadEvents();

    xcb_connection_t* m_c{nullptr};
    std::uint32_t m_root{0};
    std::uint32_t m_marker{0};
    std::uint16_t m_buttons{0};   // the buttons held down with Press
    std::vector<std::string> m_managed;
    std::vector<std::uint32_t> m_managedWindows;
};

// Runs Program with Args and Environment (NAME=value, added to this process's
// own) as a child that ends with this process.
pid_t StartProcess(const std::string& Program, const std::vector<std::string>& Args,
                   const std::vector<std::string>& Environment);
// Waits for Child to end; answers its exit status, or -1 when it was still
// running at the timeout (it is killed then) or died of a signal.
int WaitForExit(pid_t Child, std::chrono::milliseconds Timeout = kXTimeout);

} // namespace qel::test
