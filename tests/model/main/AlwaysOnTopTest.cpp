#include <gtest/gtest.h>

#include <vector>

#include "support/Harness.h"

using platform::FakePlatform;
using testing_support::Harness;
using Op = FakePlatform::Op;

namespace {

constexpr platform::WindowHandle kMain = 0x400007;

struct TopHarness : Harness {
    explicit TopHarness(const char* storedTick = nullptr) {
        if (storedTick) seed("AlwaysOnTopTimer_TICKBOX", storedTick);
        load();
        form->windowHandle = [this] {
            ++handleAsked;
            return kMain;
        };
        platform.clearCalls();
    }
    std::vector<std::pair<platform::WindowHandle, bool>> stacking() const {
        std::vector<std::pair<platform::WindowHandle, bool>> s;
        for (const auto& c : platform.callsOf(Op::SetTopMost))
            s.emplace_back(static_cast<platform::WindowHandle>(c.number), c.on);
        return s;
    }
    int handleAsked = 0;
};

TEST(AlwaysOnTop, EachTickPutsOurWindowAboveAnyOtherForegroundWindow) {
    struct Case {
        platform::WindowHandle foreground;
        std::vector<std::pair<platform::WindowHandle, bool>> expected;
        int handleAsked;
    };
    const std::vector<Case> cases = {
        {kMain, {}, 1},  // ours has the focus: nothing is sent
        {0x600001, {{0x600001, false}, {kMain, true}}, 2},
        {0, {{0, false}, {kMain, true}}, 2},  // no foreground window at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.foreground);
        TopHarness h;
        h.platform.setForegroundWindow(c.foreground);
        h.vt.advance(999);
        EXPECT_TRUE(h.platform.calls().empty()) << "nothing before the first second";
        h.vt.advance(1);
        EXPECT_EQ(h.stacking(), c.expected);
        EXPECT_EQ(h.handleAsked, c.handleAsked) << "the handle is asked for at each use";
        EXPECT_EQ(h.platform.callsOf(Op::GetForegroundWindow).size(), c.expected.empty() ? 1u : 2u);
    }
}

TEST(AlwaysOnTop, ClearingTheTickStopsPollingAndKeepsOurPlaceTickingResumes) {
    TopHarness h;
    h.platform.setForegroundWindow(0x600001);
    h.vt.advance(1000);
    ASSERT_TRUE(h.platform.isTopMost(kMain));
    h.form->AlwaysOnTopTimer_TICKBOX.click();
    EXPECT_FALSE(h.form->AlwaysOnTopTimer.enabled());
    h.platform.clearCalls();
    h.vt.advance(10'000);
    EXPECT_TRUE(h.platform.calls().empty());
    EXPECT_TRUE(h.platform.isTopMost(kMain));
    h.form->AlwaysOnTopTimer_TICKBOX.click();
    h.vt.advance(1000);
    EXPECT_EQ(h.stacking().size(), 2u);
}

TEST(AlwaysOnTop, StartUpFollowsTheStoredTick) {
    for (const char* stored : {"0", "1"}) {
        SCOPED_TRACE(stored);
        TopHarness h(stored);
        h.platform.setForegroundWindow(0x600001);
        h.vt.advance(3000);
        EXPECT_EQ(h.form->AlwaysOnTopTimer.enabled(), std::string(stored) == "1");
        EXPECT_EQ(h.stacking().size(), std::string(stored) == "1" ? 6u : 0u);
    }
}

TEST(AlwaysOnTop, WithoutAWindowManagerTheTickBoxSaysWhyAndTheTimerRuns) {
    Harness h;
    std::vector<std::string> notices;
    h.platform.setUnavailable(platform::DesktopFeature::WindowStacking, "no EWMH window manager is running");
    h.store = std::make_unique<settings::Store>(h.backend, h.section);
    h.form = std::make_unique<model::MainForm>(h.vt.scheduler, *h.store, h.section, h.platform);
    h.form->onNotice = [&](const std::string& n) { notices.push_back(n); };
    h.form->Form_Load();
    h.vt.advance(5000);
    EXPECT_EQ(notices,
              std::vector<std::string>{"Always On Top unavailable: no EWMH window manager is running"});
    EXPECT_EQ(h.form->AlwaysOnTopTimer_TICKBOX.toolTip(), notices.at(0));
    EXPECT_EQ(h.form->RIVA_START_BUTTON.toolTip(), "");
    EXPECT_TRUE(h.form->AlwaysOnTopTimer.enabled());
}

}  // namespace
