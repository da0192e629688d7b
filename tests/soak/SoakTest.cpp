// A day of the program's life in virtual time: an hourly pass over twenty
// slots restarted by START, waits for a process, the heartbeat and scanner,
// always on top with another program in front, and the secondary windows
// opened and closed. Nothing may pile up: memory at the end stays within 1%
// of what it was after the first hour, and every pass runs to the end. Under the sanitizer build this also
// runs every handler of the day under AddressSanitizer.

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <string>

#include "form/TimeValue.h"
#include "model/about/AboutButton.h"
#include "model/about/AboutWindow.h"
#include "model/about/DonationsWindow.h"
#include "model/settings/SettingsForm.h"
#include "model/settings/SettingsWindows.h"
#include "model/settings/SingleSettingsForm.h"
#include "platform/fake/FakeWindowHost.h"
#include "support/Harness.h"

#if defined(__SANITIZE_ADDRESS__)
#define VELMORA_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_ASAN 1
#endif
#endif

#ifdef VELMORA_ASAN
// Declared here: GCC ships no <sanitizer/allocator_interface.h>, though its
// ASan runtime has the function as clang's does.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {

std::size_t heapInUse() {
#if defined(VELMORA_ASAN)
    return __sanitizer_get_current_allocated_bytes();
#elif defined(_WIN32)
    std::size_t used = 0;
    _HEAPINFO entry{};
    while (_heapwalk(&entry) == _HEAPOK)
        if (entry._useflag == _USEDENTRY) used += entry._size;
    return used;
#else
    return mallinfo2().uordblks;
#endif
}

constexpr form::Millis kHour = 3'600'000;
constexpr platform::WindowHandle kMain = 0x400007, kOther = 0x600001;

class Soak : public ::testing::Test {
protected:
    Soak() {
        for (const char* tick : {"AUTOSTART_TICKBOX", "AlwaysOnTopTimer_TICKBOX", "RIVA_AUTOSTART_TICKBOX"})
            h.seed(tick, "1");
        for (int n = 1; n <= model::kSlots; ++n) {
            h.seed("TASK_" + std::to_string(n) + "_ENABLE_TICKBOX", "1");
            h.seed("TASK_" + std::to_string(n) + "_CMD", "/usr/bin/true slot " + std::to_string(n));
        }
        for (int n : {5, 12}) {
            h.seed("TASK_" + std::to_string(n) + "_PAUSE_TICKBOX", "1");
            h.seed("TASK_" + std::to_string(n) + "_PROCESS_NAME_TEXTBOX", "backup-job");
        }
        h.load();
        h.form->windowHandle = [] { return kMain; };
        about = std::make_unique<model::AboutButton>(*h.form, host);
        settingsWindows = std::make_unique<model::SettingsWindows>(*h.form, host, h.platform);
        // The same texts saved back: a day of saves that change nothing stored.
        host.whileOpen("VELMORA_SINGLE_SETTINGS_WINDOW", [this](form::Window& w) {
            auto& single = dynamic_cast<model::SingleSettingsForm&>(w);
            single.loadButton(hourNow % model::kSlots + 1).click();
            single.SAVE_BUTTON.click();
            h.vt.advance(1'000);
            single.VIEW_ALL_SETTINGS_BUTTON.click();
            single.OK_BUTTON.click();
        });
        host.whileOpen("VELMORA_SETTINGS", [this](form::Window& w) {
            auto& all = dynamic_cast<model::SettingsForm&>(w);
            all.SAVE_BUTTON.click();
            h.vt.advance(2'000);
            all.CANCEL_BUTTON.click();
        });
        host.whileOpen("VELMORA_ABOUT", [this](form::Window& w) {
            h.vt.advance(2'000);
            dynamic_cast<model::AboutWindow&>(w).DONATIONS_BUTTON.click();
            h.vt.advance(1'000);
            dynamic_cast<model::AboutWindow&>(w).OK_BUTTON.click();
        });
        host.whileOpen("DONATIONS_WINDOW", [this](form::Window& w) {
            auto& d = dynamic_cast<model::DonationsWindow&>(w);
            d.THANKS_DONATIONS_MESSAGE_TEXTBOX.dblClick();
            h.vt.advance(3'000);
        });
    }

    // One hour: a pass started by START (the first comes from the autostart
    // tick), a process to wait for, another program in front for a while,
    // and the About windows opened and closed.
    void hour(int n) {
        hourNow = n;
        const form::Millis start = h.vt.now();
        auto& startButton = h.form->AUTOSTART_START_BUTTON;
        if (n > 0) {
            h.form->AUTOSTART_TIMER_TEXTBOX.dblClick();  // back to 11 seconds
            startButton.click();
        }
        h.platform.setProcessCountUntil("backup-job", 1, start + 30'000);
        h.platform.setForegroundWindow(kOther);
        h.vt.advance(10 * 60'000);
        h.platform.setForegroundWindow(kMain);
        h.form->ABOUT_BUTTON.click();
        // The pass is over: STOP leaves the countdown and frees "Settings".
        if (startButton.caption() == "STOP") startButton.click();
        h.form->SETTINGS_BUTTON.click();
        h.vt.runUntil(start + kHour);
        // What the fakes record for checking is not the program's memory.
        windowsShown += host.shown().size();
        host.clearShown();
        h.platform.clearCalls();
        h.backend.reads.clear();
        h.backend.writes.clear();
    }

    testing_support::Harness h;
    platform::FakeWindowHost host;
    std::unique_ptr<model::AboutButton> about;
    std::unique_ptr<model::SettingsWindows> settingsWindows;
    int hourNow = 0;
    std::size_t windowsShown = 0;
};

TEST_F(Soak, ADayOfHourlyPassesLeavesMemoryFlatAndEveryPassComplete) {
    hour(0);
    const std::size_t afterFirstHour = heapInUse();
    for (int n = 1; n < 24; ++n) {
        hour(n);
        EXPECT_EQ(h.form->LAST_RUN_TEXTBOX.text(), "AUTOSTART - MANUAL STOP") << "hour " << n;
        for (int s = 1; s <= model::kSlots; ++s)
            ASSERT_EQ(h.form->slot(s).light.backColour(), form::colour::Green)
                << "hour " << n << " slot " << s;
    }
    const std::size_t atEnd = heapInUse();
    EXPECT_LE(atEnd, afterFirstHour + afterFirstHour / 100)
        << "heap after the first hour " << afterFirstHour << " bytes, after a day " << atEnd;
    EXPECT_EQ(windowsShown, 96u) << "About, donations and both settings windows each hour";
    EXPECT_EQ(h.form->RIVA_START_BUTTON.caption(), "STOP") << "the scanner ran all day";
}

}  // namespace
