// Every test binary starts one Qt application on the offscreen platform, so
// painting, fonts and widgets work without a display. The user's
// configuration directory points into a temporary folder, so no test can
// touch the real settings store.
#include "TestSupport.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qel::test::TempDir config;
    ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
