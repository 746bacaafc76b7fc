#include "XSession.h"

#include <algorithm>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>
#include <xcb/xtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <sched.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qel::test {

namespace {

template <class T>
using XReply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
XReply<T> Reply(T* R)
{
    return XReply<T>(R, &std::free);
}

// The window manager's settings: new windows take the focus, a click focuses
// and raises, Alt+F4 closes, as on a desktop.
const char* const kOpenboxConfig = R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy></placement>
  <desktops><number>1</number></desktops>
  <keyboard><keybind key="A-F4"><action name="Close"/></keybind></keyboard>
</openbox_config>
)";

int Remaining(std::chrono::steady_clock::time_point Deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

} // namespace

// ----- processes ------------------------------------------------------------------------

pid_t StartProcess(const std::string& Program, const std::vector<std::string>& Args,
                   const std::vector<std::string>& Environment)
{
    std::vector<std::string> argStore{Program};
    argStore.insert(argStore.end(), Args.begin(), Args.end());
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("cannot start " + Program + ": " + std::strerror(errno));
    if (pid == 0) {
        // The child never outlives the test, even when the test crashes.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        for (const std::string& e : Environment)
            ::putenv(::strdup(e.c_str()));
        std::vector<char*> argv;
        for (std::string& a : argStore)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(Program.c_str(), argv.data());
        ::_exit(127);
    }
    return pid;
}

int WaitForExit(pid_t Child, std::chrono::milliseconds Timeout)
{
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, Child, 0));
    if (fd >= 0) {
        pollfd p{fd, POLLIN, 0};
        while (::poll(&p, 1, static_cast<int>(Timeout.count())) < 0 && errno == EINTR) {
        }
        ::close(fd);
    }
    int status = 0;
    if (::waitpid(Child, &status, WNOHANG) == Child)
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ::kill(Child, SIGKILL);
    ::waitpid(Child, &status, 0);
    return -1;
}

// ----- the server ---------------------------------------------------------------------------

TXServer::TXServer()
{
    StartServer();
    try {
        StartWindowManager();
    } catch (...) {
        ::kill(m_server, SIGTERM);
        WaitForExit(m_server);
        throw;
    }
}

TXServer::~TXServer()
{
    for (pid_t p : {m_windowManager, m_server}) {
        if (p <= 0)
            continue;
        ::kill(p, SIGTERM);
        WaitForExit(p);
    }
}

void TXServer::StartServer()
{
    // The server picks a free display number and writes it to this pipe once
    // it accepts connections.
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot make a pipe");
    const int writeEnd = ::fcntl(fds[1], F_DUPFD, 3);   // without close-on-exec, for the server
    ::close(fds[1]);
    m_server = StartProcess("/usr/bin/Xvfb",
                            {"-displayfd", std::to_string(writeEnd), "-screen", "0", "1600x1000x24", "-nolisten",
                             "tcp", "-noreset"},
                            {});
    ::close(writeEnd);
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + kXTimeout;
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        if (::poll(&p, 1, Remaining(deadline)) <= 0)
            break;
        char buf[16];
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n <= 0)
            break;
        number.append(buf, static_cast<std::size_t>(n));
        if (number.find('\n') != std::string::npos)
            break;
    }
    ::close(fds[0]);
    if (number.empty() || number.find('\n') == std::string::npos) {
        ::kill(m_server, SIGTERM);
        WaitForExit(m_server);
        throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
    }
    m_display = ":" + number.substr(0, number.find('\n'));
}

void TXServer::StartWindowManager()
{
    const std::string home = m_home.Path().string();
    const std::string config = m_home.File("openbox-rc.xml");
    WriteFileBytes(config, kOpenboxConfig);
    m_windowManager = StartProcess("/usr/bin/openbox", {"--config-file", config, "--sm-disable"},
                                   {"DISPLAY=" + m_display, "HOME=" + home, "XDG_CONFIG_HOME=" + home + "/config",
                                    "XDG_CACHE_HOME=" + home + "/cache", "XDG_DATA_HOME=" + home + "/data"});
    // Ready once it has announced itself on the root window.
    TXClient x(m_display);
    if (!x.WaitFor([&] { return x.WindowManagerRunning(); }))
        throw std::runtime_error("openbox did not start (is the openbox package installed?)");
}

// ----- the test's connection ---------------------------------------------------------------

TXClient::TXClient(const std::string& Display)
{
    int screen = 0;
    m_c = xcb_connect(Display.c_str(), &screen);
    if (xcb_connection_has_error(m_c)) {
        xcb_disconnect(m_c);
        throw std::runtime_error("cannot connect to the X server " + Display);
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_c));
    for (int i = 0; i < screen; ++i)
        xcb_screen_next(&it);
    m_root = it.data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_c, m_root, XCB_CW_EVENT_MASK, &mask);
    m_marker = Atom("_QEL_TEST_MARK");
    Reply(xcb_xfixes_query_version_reply(m_c, xcb_xfixes_query_version(m_c, 4, 0), nullptr));
}

TXClient::~TXClient() { xcb_disconnect(m_c); }

std::uint32_t TXClient::Atom(const char* Name)
{
    auto r = Reply(xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, std::strlen(Name), Name), nullptr));
    return r ? r->atom : 0;
}

void TXClient::Fake(std::uint8_t Type, std::uint8_t Detail, int X, int Y)
{
    xcb_test_fake_input(m_c, Type, Detail, XCB_CURRENT_TIME, Type == XCB_MOTION_NOTIFY ? m_root : XCB_NONE,
                        static_cast<std::int16_t>(X), static_cast<std::int16_t>(Y), 0);
    xcb_flush(m_c);
}

// The server queues faked input and handles it later than the request: each
// step waits until the server's state shows it done, so the program gets the
// events before anything the test asks for afterwards.
void TXClient::AwaitState(const std::function<bool()>& Done, const char* What)
{
    const auto deadline = std::chrono::steady_clock::now() + kXTimeout;
    while (!Done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            throw std::runtime_error(std::string("the X server did not handle the input: ") + What);
        ::sched_yield();
    }
}

bool TXClient::PointerIs(int X, int Y, std::uint16_t ButtonMask)
{
    auto r = Reply(xcb_query_pointer_reply(m_c, xcb_query_pointer(m_c, m_root), nullptr));
    return r && r->root_x == X && r->root_y == Y && (r->mask & 0x1f00) == ButtonMask;
}

bool TXClient::ButtonsAre(std::uint16_t ButtonMask)
{
    auto r = Reply(xcb_query_pointer_reply(m_c, xcb_query_pointer(m_c, m_root), nullptr));
    return r && (r->mask & 0x1f00) == ButtonMask;
}

bool TXClient::KeyIsDown(std::uint8_t Keycode)
{
    auto r = Reply(xcb_query_keymap_reply(m_c, xcb_query_keymap(m_c), nullptr));
    return r && (r->keys[Keycode / 8] & (1 << (Keycode % 8))) != 0;
}

namespace {
std::uint16_t ButtonMask(int Button) { return static_cast<std::uint16_t>(XCB_BUTTON_MASK_1 << (Button - 1)); }
} // namespace

void TXClient::MoveTo(int X, int Y)
{
    Fake(XCB_MOTION_NOTIFY, 0, X, Y);
    AwaitState([&] { return PointerIs(X, Y, m_buttons); }, "motion");
}

void TXClient::Press(int Button)
{
    m_buttons |= ButtonMask(Button);
    Fake(XCB_BUTTON_PRESS, static_cast<std::uint8_t>(Button));
    AwaitState([&] { return ButtonsAre(m_buttons); }, "button press");
}

void TXClient::Release(int Button)
{
    m_buttons &= static_cast<std::uint16_t>(~ButtonMask(Button));
    Fake(XCB_BUTTON_RELEASE, static_cast<std::uint8_t>(Button));
    AwaitState([&] { return ButtonsAre(m_buttons); }, "button release");
}

void TXClient::Click(int X, int Y, int Button)
{
    MoveTo(X, Y);
    Press(Button);
    Release(Button);
}

void TXClient::Wheel(int X, int Y, int Notches, std::initializer_list<std::uint32_t> Modifiers)
{
    MoveTo(X, Y);
    std::vector<std::uint8_t> held;
    for (std::uint32_t m : Modifiers)
        KeyDown(held.emplace_back(Keycode(m)));
    for (int i = 0; i < std::abs(Notches); ++i)
        Click(X, Y, Notches > 0 ? 4 : 5);
    for (auto it = held.rbegin(); it != held.rend(); ++it)
        KeyUp(*it);
}

void TXClient::Drag(int FromX, int FromY, int ToX, int ToY, int Steps, int Button)
{
    MoveTo(FromX, FromY);
    Press(Button);
    Steps = std::max(1, Steps);
    for (int i = 1; i <= Steps; ++i)
        MoveTo(FromX + (ToX - FromX) * i / Steps, FromY + (ToY - FromY) * i / Steps);
    Release(Button);
}

std::uint8_t TXClient::Keycode(std::uint32_t Keysym)
{
    const xcb_setup_t* setup = xcb_get_setup(m_c);
    const std::uint8_t first = setup->min_keycode;
    const int count = setup->max_keycode - first + 1;
    auto r = Reply(xcb_get_keyboard_mapping_reply(m_c, xcb_get_keyboard_mapping(m_c, first, count), nullptr));
    if (!r)
        throw std::runtime_error("cannot read the keyboard mapping");
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(r.get());
    const int perCode = r->keysyms_per_keycode;
    for (int code = 0; code < count; ++code)
        for (int i = 0; i < perCode && i < 2; ++i)
            if (syms[code * perCode + i] == Keysym)
                return static_cast<std::uint8_t>(first + code);
    throw std::runtime_error("no key for keysym " + std::to_string(Keysym));
}

void TXClient::Key(std::uint32_t Keysym, std::initializer_list<std::uint32_t> Modifiers)
{
    std::vector<std::uint8_t> codes;
    for (std::uint32_t m : Modifiers)
        codes.push_back(Keycode(m));
    codes.push_back(Keycode(Keysym));
    for (std::uint8_t c : codes)
        KeyDown(c);
    for (auto it = codes.rbegin(); it != codes.rend(); ++it)
        KeyUp(*it);
}

void TXClient::KeyDown(std::uint8_t Keycode)
{
    Fake(XCB_KEY_PRESS, Keycode);
    AwaitState([&] { return KeyIsDown(Keycode); }, "key press");
}

void TXClient::KeyUp(std::uint8_t Keycode)
{
    Fake(XCB_KEY_RELEASE, Keycode);
    AwaitState([&] { return !KeyIsDown(Keycode); }, "key release");
}

void TXClient::Type(const std::string& Text)
{
    for (char c : Text) {
        if (c >= 'A' && c <= 'Z')
            Key(static_cast<std::uint32_t>(c - 'A' + 'a'), {XK_Shift_L});
        else
            Key(static_cast<unsigned char>(c));
    }
}

void TXClient::Sync() { Reply(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr)); }

std::uint32_t TXClient::FocusWindow()
{
    auto r = Reply(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
    return r ? r->focus : 0;
}

void TXClient::Mark(std::uint32_t Window, std::uint32_t Value)
{
    xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, Window, m_marker, XCB_ATOM_CARDINAL, 32, 1, &Value);
    xcb_flush(m_c);
}

// ----- what the screen shows ------------------------------------------------------------

std::uint32_t TXClient::Pixel(int X, int Y)
{
    auto r = Reply(xcb_get_image_reply(
        m_c, xcb_get_image(m_c, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, static_cast<std::int16_t>(X),
                           static_cast<std::int16_t>(Y), 1, 1, ~0u),
        nullptr));
    if (!r || xcb_get_image_data_length(r.get()) < 4)
        throw std::runtime_error("cannot read the screen");
    std::uint32_t v = 0;
    std::memcpy(&v, xcb_get_image_data(r.get()), 4);
    return v & 0xffffff;
}

TXCursorImage TXClient::CursorImage()
{
    auto r = Reply(xcb_xfixes_get_cursor_image_reply(m_c, xcb_xfixes_get_cursor_image(m_c), nullptr));
    if (!r)
        throw std::runtime_error("cannot read the pointer's picture");
    TXCursorImage image{r->width, r->height, r->xhot, r->yhot, {}};
    const std::uint32_t* pixels = xcb_xfixes_get_cursor_image_cursor_image(r.get());
    image.Pixels.assign(pixels, pixels + xcb_xfixes_get_cursor_image_cursor_image_length(r.get()));
    return image;
}

bool TXClient::PointerGrabbed()
{
    auto r = Reply(xcb_grab_pointer_reply(m_c,
                                          xcb_grab_pointer(m_c, 0, m_root, 0, XCB_GRAB_MODE_ASYNC,
                                                           XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE,
                                                           XCB_CURRENT_TIME),
                                          nullptr));
    if (!r)
        throw std::runtime_error("cannot ask for the pointer");
    if (r->status != XCB_GRAB_STATUS_SUCCESS)
        return true;
    xcb_ungrab_pointer(m_c, XCB_CURRENT_TIME);
    Sync();
    return false;
}

// ----- windows ------------------------------------------------------------------------------

TXRect TXClient::Geometry(std::uint32_t Window)
{
    auto g = Reply(xcb_get_geometry_reply(m_c, xcb_get_geometry(m_c, Window), nullptr));
    auto t = Reply(xcb_translate_coordinates_reply(m_c, xcb_translate_coordinates(m_c, Window, m_root, 0, 0),
                                                   nullptr));
    if (!g || !t)
        return {};
    return {t->dst_x, t->dst_y, g->width, g->height};
}

std::vector<std::uint32_t> TXClient::Stacking()
{
    auto r = Reply(xcb_query_tree_reply(m_c, xcb_query_tree(m_c, m_root), nullptr));
    if (!r)
        return {};
    const xcb_window_t* children = xcb_query_tree_children(r.get());
    return {children, children + xcb_query_tree_children_length(r.get())};
}

bool TXClient::Holds(std::uint32_t Window, std::uint32_t Inner)
{
    for (std::uint32_t w = Inner; w && w != m_root;) {
        if (w == Window)
            return true;
        auto r = Reply(xcb_query_tree_reply(m_c, xcb_query_tree(m_c, w), nullptr));
        w = r ? r->parent : 0;
    }
    return false;
}

bool TXClient::WindowManagerRunning()
{
    const std::uint32_t check = Atom("_NET_SUPPORTING_WM_CHECK");
    auto r = Reply(xcb_get_property_reply(m_c, xcb_get_property(m_c, 0, m_root, check, XCB_ATOM_WINDOW, 0, 1),
                                          nullptr));
    return r && xcb_get_property_value_length(r.get()) == 4;
}

void TXClient::WatchManagedWindows()
{
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_c, m_root, XCB_CW_EVENT_MASK, &mask);
    Sync();
}

std::string TXClient::Title(std::uint32_t Window)
{
    for (std::uint32_t name : {Atom("_NET_WM_NAME"), static_cast<std::uint32_t>(XCB_ATOM_WM_NAME)}) {
        auto r = Reply(xcb_get_property_reply(m_c, xcb_get_property(m_c, 0, Window, name, XCB_GET_PROPERTY_TYPE_ANY,
                                                                    0, 1024),
                                              nullptr));
        if (r && xcb_get_property_value_length(r.get()) > 0)
            return std::string(static_cast<const char*>(xcb_get_property_value(r.get())),
                               static_cast<std::size_t>(xcb_get_property_value_length(r.get())));
    }
    return {};
}

void TXClient::ReadEvents()
{
    while (xcb_generic_event_t* e = xcb_poll_for_event(m_c)) {
        // The window manager frames every top-level window that a program shows.
        if ((e->response_type & 0x7f) == XCB_REPARENT_NOTIFY) {
            const auto* r = reinterpret_cast<const xcb_reparent_notify_event_t*>(e);
            if (r->event == m_root && r->parent != m_root) {
                m_managed.push_back(Title(r->window));
                m_managedWindows.push_back(r->window);
            }
        }
        std::free(e);
    }
}

std::vector<std::string> TXClient::ManagedTitles()
{
    ReadEvents();
    return m_managed;
}

std::uint32_t TXClient::ManagedWindow(const std::string& Title)
{
    ReadEvents();
    for (std::uint32_t window : m_managedWindows)
        if (this->Title(window) == Title)
            return window;
    return 0;
}

bool TXClient::WaitFor(const std::function<bool()>& Done, std::chrono::milliseconds Timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + Timeout;
    for (;;) {
        ReadEvents();
        if (Done())
            return true;
        if (xcb_connection_has_error(m_c) || Remaining(deadline) == 0)
            return false;
        pollfd p{xcb_get_file_descriptor(m_c), POLLIN, 0};
        ::poll(&p, 1, Remaining(deadline));
    }
}

} // namespace qel::test
