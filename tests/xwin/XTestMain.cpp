// The window tests run on Qt's xcb platform against a private X server with
// a window manager, started here for this test process alone.
#include "XTestSupport.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

// Allocations that libraries below Qt's xcb platform keep for the life of the
// process (read by LeakSanitizer in sanitizer builds, unused otherwise).
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace qel::test {

namespace {
TXServer* g_server = nullptr;
TXClient* g_client = nullptr;
} // namespace

TXServer& XServer() { return *g_server; }
TXClient& XInput() { return *g_client; }

} // namespace qel::test

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no server.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    std::unique_ptr<qel::test::TXServer> server;
    std::unique_ptr<qel::test::TXClient> client;
    try {
        server = std::make_unique<qel::test::TXServer>();
        client = std::make_unique<qel::test::TXClient>(server->Display());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "No X server for the window tests: %s\n", e.what());
        return 1;
    }
    qel::test::g_server = server.get();
    qel::test::g_client = client.get();
    ::setenv("DISPLAY", server->Display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::setenv("XDG_CONFIG_HOME", server->Home().File("config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", server->Home().File("cache").c_str(), 1);
    int result = 0;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    return result;
}
