// The heartbeat's NumLock pulse on a real X server: the window's model, engine
// and view as the program builds them, on the real clock, with key presses
// through XTest and the keyboard state read back through XKB on a connection
// of the test's own.

#include <gtest/gtest.h>

#include <QApplication>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <tuple>

#include "../platform/x11/X11Probe.h"
#include "app/linux/QtSchedulerDriver.h"
#include "engine/Engine.h"
#include "form/Clock.h"
#include "form/Scheduler.h"
#include "form/TimeValue.h"
#include "model/main/MainForm.h"
#include "platform/fake/MemorySettingsBackend.h"
#include "platform/qt/LinuxPlatform.h"
#include "settings/Store.h"
#include "support/Files.h"
#include "support/Poll.h"
#include "ui/qt/main/MainWindow.h"

namespace {

// Runs the event loop until `done` holds or `timeout` has passed.
bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    return testing_support::pollUntil(
        done, timeout, [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); },
        std::chrono::milliseconds(2));
}

// The main window as the program builds it, shown, on the real clock.
struct Rig {
    int argc = 1;
    char name[8] = "velmora";
    char* argv[2] = {name, nullptr};
    QApplication application{argc, argv};
    platform::MemorySettingsBackend backend;
    settings::Store store{backend, "velmora"};
    form::RealClock clock;
    form::Scheduler scheduler{clock, 15};
    platform::LinuxPlatform host;
    model::MainForm form{scheduler, store, "velmora", host};
    std::vector<std::string> notices;
    engine::Engine engine{form, host};
    ui::qt::MainWindow window{form};
    app::QtSchedulerDriver driver{scheduler};
    Rig() {
        form.onNotice = [this](const std::string& n) { notices.push_back(n); };
        form.Form_Load();
        window.show();
    }
};

TEST(NumLockPulse, AFirstPressFlipsNumLockAndTheCompletePulseLeavesItAsItWas) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run through ctest, which starts the display";
    Rig rig;
    auto [form, host, window, notices] = std::tie(rig.form, rig.host, rig.window, rig.notices);
    EXPECT_TRUE(notices.empty()) << notices.front();

    X11Probe probe;
    ASSERT_TRUE(probe.connected());
    ASSERT_TRUE(host.Available(platform::DesktopFeature::KeyInjection).ok);
    for (const int round : {1, 2}) {  // from either NumLock state
        SCOPED_TRACE(round);
        const bool before = probe.numLockOn();
        // Two seconds before expiry rather than five minutes.
        form.HEARTBEAT_REMAINING = 2 * form::kOneSecond;
        if (form.RIVA_START_BUTTON.caption() == "START") form.RIVA_START_BUTTON.click();
        const auto backdrop = [&] { return form.RIVA_BACKGROUND_LABEL.backColour(); };
        ASSERT_TRUE(pumpUntil([&] { return backdrop() == form::colour::Green; }, std::chrono::seconds(5)));
        EXPECT_TRUE(pumpUntil([&] { return probe.numLockOn() != before; }, std::chrono::milliseconds(600)))
            << "the first press did not flip NumLock";
        ASSERT_TRUE(pumpUntil([&] { return backdrop() == form::colour::Black; }, std::chrono::seconds(2)));
        EXPECT_TRUE(pumpUntil([&] { return probe.numLockOn() == before; }, std::chrono::seconds(1)))
            << "NumLock was left changed after the pulse";
        EXPECT_EQ(form.HEARTBEAT_COUNTDOWN_TEXTBOX.text().substr(0, 5), "00:05");
        if (round == 1) {
            ASSERT_TRUE(host.SendNumLock().ok);
            ASSERT_TRUE(pumpUntil([&] { return probe.numLockOn() != before; }, std::chrono::seconds(1)));
        }
    }
    // The display is shared: leave NumLock as the test found it.
    host.SendNumLock();
    window.unload();
}

// The same window in a headless sway through Xwayland (on_sway.sh): the
// presses go to the compositor by its virtual keyboard, so the session that
// swayidle saw go idle resumes at the first press; NumLock, seen through
// Xwayland, flips and ends as it was.
TEST(OnSway, ThePulseResumesAnIdleSessionAndLeavesNumLockAsItWas) {
    const char* idleLog = std::getenv("VELMORA_IDLE_LOG");
    ASSERT_NE(idleLog, nullptr) << "run through on_sway.sh";
    Rig rig;
    auto& form = rig.form;
    X11Probe probe;
    ASSERT_TRUE(probe.connected());
    auto idle = [&](const char* last) {
        const std::string log = testing_support::readFile(idleLog);
        return log.size() >= std::strlen(last) && log.ends_with(last);
    };
    ASSERT_TRUE(pumpUntil([&] { return idle("idle\n"); }, std::chrono::seconds(10)));
    const bool before = probe.numLockOn();
    form.HEARTBEAT_REMAINING = 2 * form::kOneSecond;
    form.RIVA_START_BUTTON.click();  // the way is chosen now
    ASSERT_TRUE(pumpUntil([&] { return form.RIVA_BACKGROUND_LABEL.backColour() == form::colour::Green; },
                          std::chrono::seconds(5)));
    EXPECT_TRUE(pumpUntil([&] { return idle("resumed\n"); }, std::chrono::seconds(1)));
    EXPECT_TRUE(pumpUntil([&] { return probe.numLockOn() != before; }, std::chrono::milliseconds(600)));
    ASSERT_TRUE(pumpUntil([&] { return form.RIVA_BACKGROUND_LABEL.backColour() == form::colour::Black; },
                          std::chrono::seconds(2)));
    EXPECT_TRUE(pumpUntil([&] { return probe.numLockOn() == before; }, std::chrono::seconds(1)));
    for (const std::string& notice : rig.notices)
        EXPECT_EQ(notice.find("NumLock"), std::string::npos) << notice;
    rig.window.unload();
}

}  // namespace
