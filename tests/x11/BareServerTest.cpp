// A bare X server that resets whenever its last client leaves, as a kiosk
// session's does, with no window manager: every start must reach its window,
// and the program says once that always-on-top cannot work there.

#include <gtest/gtest.h>

#include <signal.h>

#include <fstream>
#include <thread>

#include "Support.h"

namespace x11test {
namespace {

// Qt's X connection is up once its event reader thread exists. Until then the
// test keeps off the server: a connection of its own would hold the server
// from resetting, which is the very thing under test.
bool waitForQtConnection(Program& program, Millis timeout) {
    const fs::path tasks = fs::path("/proc") / std::to_string(program.pid()) / "task";
    bool connected = false;
    testing_support::pollUntil(
        [&] {
            std::error_code ec;
            for (const auto& task : fs::directory_iterator(tasks, ec))
                connected = connected || readFile(task.path() / "comm") == "QXcbEventQueue\n";
            return connected || !program.running();
        },
        timeout, {}, 5ms);
    return connected;
}

TEST(BareServer, FiftyStartsAllReachTheirWindowAndSayOnceWhyAlwaysOnTopIsOff) {
    const std::string display = fixtureDisplay();
    ASSERT_FALSE(display.empty()) << "no display: run through ctest so the fixture starts Xvfb";
    TempFolder tmp{"bare"};
    const fs::path exe = installCopy(tmp.path(), "kiosk");
    const fs::path config = tmp.path() / "config";
    int reached = 0;
    for (int start = 1; start <= 50; ++start) {
        SCOPED_TRACE(start);
        const fs::path output = tmp.path() / ("output-" + std::to_string(start) + ".txt");
        Program program(
            exe, {{"DISPLAY", display}, {"QT_QPA_PLATFORM", "xcb"}, {"XDG_CONFIG_HOME", config.string()}},
            output);
        if (!waitForQtConnection(program, 10s)) {
            const auto status = program.waitExit(5s);
            ADD_FAILURE() << "start " << start << " ended before Qt connected ("
                          << (status ? describeStatus(*status) : "still running") << "):\n"
                          << program.output();
            continue;
        }
        {
            XSession x(display);
            ASSERT_TRUE(x.ok());
            if (!x.waitForTopLevel(program.pid(), "VELMORA - kiosk", 10s)) {
                ADD_FAILURE() << "start " << start << ": no window within 10 s:\n" << program.output();
                continue;
            }
        }
        program.signal(SIGTERM);
        const auto status = program.waitExit(10s);
        ASSERT_TRUE(status) << "start " << start << " did not end on SIGTERM";
        EXPECT_EQ(describeStatus(*status), "exit 0") << program.output();
        if (start == 1) {
            const std::string said = program.output();
            const std::string line =
                "velmora: Always On Top unavailable: no EWMH window manager is running\n";
            EXPECT_NE(said.find(line), std::string::npos) << said;
            EXPECT_EQ(said.find(line), said.rfind(line)) << "said more than once:\n" << said;
            EXPECT_EQ(said.find("NumLock"), std::string::npos) << "Xvfb has XTest:\n" << said;
        }
        ++reached;
    }
    EXPECT_EQ(reached, 50);
}

}  // namespace
}  // namespace x11test
