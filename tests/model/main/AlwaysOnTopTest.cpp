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

TEST(AlwaysOnTop, AModalWindowOfOursInTheForegroundIsLeftAboveTheMainWindow) {
    TopHarness h;
    constexpr platform::WindowHandle kSettings = 0x400099;
    h.form->ownsWindow = [](platform::WindowHandle w) { return w == kSettings; };
    h.platform.setForegroundWindow(kSettings);
    h.vt.advance(3000);
    EXPECT_TRUE(h.stacking().empty());
    h.platform.setForegroundWindow(0x600001);  // the user moved on to another program
    h.vt.advance(1000);
    EXPECT_EQ(h.stacking(),
              (std::vector<std::pair<platform::WindowHandle, bool>>{{0x600001, false}, {kMain, true}}));
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

// A feature the display cannot carry: said once, on the affected control's
// tooltip too, and its timers run on.
TEST(DesktopFeatures, AnUnavailableFeatureIsSaidOnceAndItsTimersRunOn) {
    struct Case {
        platform::DesktopFeature feature;
        std::string notice, idleLost;  // idleLost: said when the idle request is lost later
        form::Control& (*control)(model::MainForm&);
    };
    const std::vector<Case> cases = {
        {platform::DesktopFeature::KeyInjection,
         "NumLock keep-alive unavailable: not here; the session is kept from idling by the test inhibitor",
         "nothing keeps the session from idling (gone), so the screen may still lock",
         [](model::MainForm& f) -> form::Control& { return f.RIVA_START_BUTTON; }},
        {platform::DesktopFeature::WindowStacking, "Always On Top unavailable: not here", "",
         [](model::MainForm& f) -> form::Control& { return f.AlwaysOnTopTimer_TICKBOX; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.notice);
        Harness h;
        h.seed("RIVA_AUTOSTART_TICKBOX", "1");
        h.platform.setUnavailable(c.feature, "not here");
        h.platform.setForegroundWindow(0x600001);
        h.platform.failNumLock(c.feature == platform::DesktopFeature::KeyInjection, "not here");
        std::vector<std::string> notices;
        h.store = std::make_unique<settings::Store>(h.backend, h.section);
        h.form = std::make_unique<model::MainForm>(h.vt.scheduler, *h.store, h.section, h.platform);
        h.form->onNotice = [&](const std::string& n) { notices.push_back(n); };
        h.form->Form_Load();
        h.vt.advance(2 * 301'000 + 2000);  // two pulses, whose presses fail too
        EXPECT_EQ(notices, std::vector<std::string>{c.notice});
        EXPECT_EQ(c.control(*h.form).toolTip(), c.notice);
        EXPECT_EQ(h.platform.callsOf(Op::SendNumLock).size(), 4u);
        EXPECT_EQ(h.platform.callsOf(Op::SetTopMost).size(), 2u * 604);
        EXPECT_EQ(h.form->RIVA_BACKGROUND_LABEL.backColour(), form::colour::Black);
        h.platform.onAvailabilityChange(platform::DesktopFeature::KeepAwake,
                                        platform::Result::failure("gone"));
        EXPECT_EQ(notices.back(), c.idleLost.empty() ? c.notice : c.idleLost);
        EXPECT_EQ(notices.size(), c.idleLost.empty() ? 1u : 2u);
    }
}

}  // namespace
