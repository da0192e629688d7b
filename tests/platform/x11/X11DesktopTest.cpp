#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "X11Probe.h"
#include "platform/qt/LinuxPlatform.h"
#include "support/Poll.h"
#include "support/TestApp.h"

namespace {

bool haveDisplay() {
    return std::getenv("DISPLAY") != nullptr;
}

bool eventually(const std::function<bool()>& condition) {
    return testing_support::pollUntil(condition, std::chrono::seconds(3),
                                      [] { QCoreApplication::processEvents(); });
}

class X11Desktop : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveDisplay()) GTEST_SKIP() << "needs an X display (DISPLAY is unset)";
        testing_support::ensureApplication();
        if (!probe.connected()) GTEST_SKIP() << "cannot open the X display";
    }
    X11Probe probe;
    platform::LinuxPlatform host;
};

}  // namespace

TEST(X11DesktopMissing, WithoutAnX11DisplayTheCallsFailPolitely) {
    if (haveDisplay()) GTEST_SKIP() << "only meaningful without a display";
    testing_support::ensureApplication();  // a Qt platform that is not X11
    platform::LinuxPlatform host;
    const auto numLock = host.SendNumLock();
    EXPECT_FALSE(numLock.ok);
    EXPECT_EQ(numLock.error, "no X11 display");
    EXPECT_EQ(host.GetForegroundWindow(), 0u);
    EXPECT_EQ(host.SetTopMost(0, true).error, "no window");
    EXPECT_EQ(host.SetTopMost(1234, true).error, "no X11 display");
    for (const auto feature :
         {platform::DesktopFeature::KeyInjection, platform::DesktopFeature::WindowStacking}) {
        const auto usable = host.Available(feature);
        EXPECT_FALSE(usable.ok);
        EXPECT_EQ(usable.error, "this session does not run on X11 (display platform \"offscreen\")");
    }
}

TEST_F(X11Desktop, NumLockPressFlipsTheStateAndASecondRestoresIt) {
    const bool before = probe.numLockOn();
    const auto first = host.SendNumLock();
    ASSERT_TRUE(first.ok) << first.error;
    EXPECT_TRUE(eventually([&] { return probe.numLockOn() != before; }));
    ASSERT_TRUE(host.SendNumLock().ok);
    EXPECT_TRUE(eventually([&] { return probe.numLockOn() == before; }));
}

TEST_F(X11Desktop, TopMostIsSetAndClearedWithoutMovingTheWindow) {
    if (!probe.hasWindowManager()) GTEST_SKIP() << "needs a window manager";
    QWidget window;
    window.setWindowTitle(QStringLiteral("velmora top-most test"));
    window.setGeometry(120, 140, 240, 160);
    window.show();
    const auto id = static_cast<platform::WindowHandle>(window.winId());
    ASSERT_TRUE(eventually([&] { return host.GetForegroundWindow() == id; }))
        << "the shown window should become the active one";
    QCoreApplication::processEvents();
    const auto placed = probe.geometry(id);

    ASSERT_TRUE(host.SetTopMost(id, true).ok);
    EXPECT_TRUE(eventually([&] { return probe.keepsAbove(id); }));
    ASSERT_TRUE(host.SetTopMost(id, false).ok);
    EXPECT_TRUE(eventually([&] { return !probe.keepsAbove(id); }));
    EXPECT_EQ(probe.geometry(id), placed);

    EXPECT_EQ(host.SetTopMost(0, true).error, "no window");
}
