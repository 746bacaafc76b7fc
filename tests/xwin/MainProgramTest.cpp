// The main program itself on the X server: what it shows when it starts, and
// that closing its window ends it.
#include "XTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace qel::test {

TEST(MainProgram, ShowsOnlyItsFinishedWindowsAndEndsWhenTheGridIsClosed)
{
    using namespace std::chrono_literals;
    TempDir out;
    TXClient x(XServer().Display());
    x.WatchManagedWindows();
    const pid_t program = StartProcess(QEL_DEMO_PROGRAM, {out.Path().string()},
                                       {"DISPLAY=" + XServer().Display(), "QT_QPA_PLATFORM=xcb",
                                        "XDG_CONFIG_HOME=" + out.File("config"),
                                        "LSAN_OPTIONS=suppressions=" QEL_LSAN_SUPPRESSIONS});
    // Its pictures are made without any window on the screen; it shows the
    // grid, focused, and the report preview, each with its caption in the title bar.
    const bool shown = x.WaitFor([&] { return x.Title(x.FocusWindow()) == "Zutrittsmatrix"; }, 120s);
    EXPECT_TRUE(shown);
    std::vector<std::string> titles = x.ManagedTitles();
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(titles, (std::vector<std::string>{"Seitenansicht - Zutrittsmatrix", "Zutrittsmatrix"}));
    if (shown)
        x.Key(XK_F4, {XK_Alt_L});   // the window manager closes the focused window
    EXPECT_EQ(WaitForExit(program, 60s), 0) << "the program ends with its window";
}

} // namespace qel::test
