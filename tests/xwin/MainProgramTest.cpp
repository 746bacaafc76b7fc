// The main program itself on the X server: what it shows when it starts, and
// that closing its window ends it.
#include "XTestSupport.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <set>

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
    // The real preview window shows the report's page, not an empty frame.
    const std::uint32_t preview = x.ManagedWindow("Seitenansicht - Zutrittsmatrix");
    ASSERT_NE(preview, 0u);
    std::set<unsigned> colours;
    const bool painted = x.WaitFor([&] {
        const QImage image = QGuiApplication::primaryScreen()->grabWindow(preview).toImage();
        colours.clear();
        for (int y = 0; y < image.height(); y += 3)
            for (int px = 0; px < image.width(); px += 3)
                colours.insert(image.pixel(px, y));
        return colours.size() > 8;
    }, 30s);
    EXPECT_TRUE(painted) << colours.size() << " colours in the preview window";
    if (shown)
        x.Key(XK_F4, {XK_Alt_L});   // the window manager closes the focused window
    EXPECT_EQ(WaitForExit(program, 60s), 0) << "the program ends with its window";
}

} // namespace qel::test
