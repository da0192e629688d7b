// The About and donations windows in virtual time: the flashing relays, the
// thank-you line's double-click, the stored place, and what goes on around
// them while they are open.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/about/AboutButton.h"
#include "model/about/AboutWindow.h"
#include "model/about/DonationsWindow.h"
#include "platform/fake/FakeWindowHost.h"
#include "support/Harness.h"

namespace {

using namespace form::colour;
using model::AboutWindow;
using model::DonationsWindow;
using Colours = std::vector<form::Colour>;

class AboutWindowsTest : public ::testing::Test {
protected:
    AboutWindowsTest() {
        h.load();
        aboutButton = std::make_unique<model::AboutButton>(*h.form, host);
    }
    // Clicks the main window's About button; `script` runs while About is open.
    void openAbout(std::function<void(AboutWindow&)> script) {
        host.whileOpen("VELMORA_ABOUT", [script](form::Window& w) { script(dynamic_cast<AboutWindow&>(w)); });
        h.form->ABOUT_BUTTON.click();
    }
    // Opens About, then the donations window from it.
    void openDonations(std::function<void(DonationsWindow&)> script) {
        host.whileOpen("DONATIONS_WINDOW",
                       [script](form::Window& w) { script(dynamic_cast<DonationsWindow&>(w)); });
        openAbout([](AboutWindow& about) { about.DONATIONS_BUTTON.click(); });
    }

    testing_support::Harness h;
    platform::FakeWindowHost host;
    std::unique_ptr<model::AboutButton> aboutButton;
};

// Samples `colour` 199 ms after opening and then every 200 ms, checking that
// exactly one step timer is enabled each time.
Colours sampleCycle(form::VirtualTime& vt, const std::function<form::Colour()>& colour,
                    const std::function<form::Timer&(int)>& timer) {
    Colours seen;
    for (int i = 0; i < 7; ++i) {
        vt.advance(i == 0 ? 199 : i == 1 ? 1 : 200);
        seen.push_back(colour());
        int enabled = 0;
        for (int k = 1; k <= 5; ++k) enabled += timer(k).enabled();
        EXPECT_EQ(enabled, 1) << "at sample " << i;
    }
    return seen;
}

TEST_F(AboutWindowsTest, BothRelaysShowTheFirstColourAfter200msAndCycleOnceASecond) {
    Colours frame, line;
    openAbout([&](AboutWindow& w) {
        frame = sampleCycle(
            h.vt, [&] { return w.DONATIONS_BACK_TEXTBOX.backColour(); },
            [&](int k) -> form::Timer& { return w.DONATION_BUTTON_TIMER(k); });
    });
    openDonations([&](DonationsWindow& w) {
        line = sampleCycle(
            h.vt, [&] { return w.THANKS_DONATIONS_MESSAGE_TEXTBOX.foreColour(); },
            [&](int k) -> form::Timer& { return w.DONATION_TEXT_TIMER(k); });
    });
    EXPECT_EQ(frame, (Colours{SystemWindow, Green, Red, Cyan, Magenta, Yellow, Green}));
    EXPECT_EQ(line, (Colours{Black, Green, Red, Cyan, Magenta, Yellow, Green}));
}

TEST_F(AboutWindowsTest, ThankYouLineDoubleClickStopsAndRestartsAtGreen) {
    openDonations([&](DonationsWindow& w) {
        form::TextBox& line = w.THANKS_DONATIONS_MESSAGE_TEXTBOX;
        // Within the first 200 ms the line is still black: the double-click
        // only re-arms step 1, which keeps its time.
        h.vt.advance(100);
        line.dblClick();
        h.vt.advance(100);
        EXPECT_EQ(line.foreColour(), Green) << "step 1 lost its time";

        // Stopped in the middle of the cycle: black, and it stays so.
        h.vt.advance(400);
        ASSERT_EQ(line.foreColour(), Cyan);
        line.dblClick();
        for (int k = 1; k <= 5; ++k) EXPECT_FALSE(w.DONATION_TEXT_TIMER(k).enabled()) << k;
        h.vt.advance(3000);
        EXPECT_EQ(line.foreColour(), Black);

        // Restarted: green 200 ms later, whichever step it stopped at.
        line.dblClick();
        Colours seen;
        for (int ms : {199, 1, 200}) {
            h.vt.advance(ms);
            seen.push_back(line.foreColour());
        }
        EXPECT_EQ(seen, (Colours{Black, Green, Red}));
    });
}

TEST_F(AboutWindowsTest, AboutFlashesOnUnderTheDonationsWindowAndTheMainTimersRun) {
    Colours about;
    std::string countdownBefore, countdownDuring;
    host.whileOpen("DONATIONS_WINDOW", [&](form::Window&) {
        auto& a = dynamic_cast<AboutWindow&>(*host.open().front());
        for (int i = 0; i < 5; ++i) {
            h.vt.advance(200);
            about.push_back(a.DONATIONS_BACK_TEXTBOX.backColour());
        }
        countdownDuring = h.form->AUTOSTART_TIMER_TEXTBOX.text();
    });
    openAbout([&](AboutWindow& w) {
        h.vt.advance(250);  // green; red is due at 400
        h.form->AUTOSTART_START_BUTTON.click();
        countdownBefore = h.form->AUTOSTART_TIMER_TEXTBOX.text();
        w.VELMORA_CREATOR.dblClick();
        w.DONATIONS_BUTTON.click();
    });
    EXPECT_EQ(about, (Colours{Red, Cyan, Magenta, Yellow, Green}));
    EXPECT_NE(countdownDuring, countdownBefore) << "the main window's countdown stood still";
    ASSERT_EQ(host.shown().size(), 2u);
    EXPECT_EQ(host.shown()[0].owner, "VELMORA_MAIN");
    EXPECT_EQ(host.shown()[1].owner, "VELMORA_ABOUT");
    // The next opening is a fresh window.
    openAbout([](AboutWindow& w) { EXPECT_EQ(w.VELMORA_CREATOR.caption(), "Created By BRANNIC"); });
}

// --- the stored place ----------------------------------------------------------

struct PlaceCase {
    const char* key;  // the geometry keys' short name
    const char* size;
    bool byOk;
};

void PrintTo(const PlaceCase& c, std::ostream* out) { *out << c.key << (c.byOk ? " by OK" : " by the close box"); }

class PlaceTest : public AboutWindowsTest, public ::testing::WithParamInterface<PlaceCase> {
protected:
    // Opens the case's window; `script` gets it and its OK button.
    void open(std::function<void(form::Window&, form::Button&)> script) {
        if (std::string(GetParam().key) == "ABOUT")
            openAbout([&](AboutWindow& w) { script(w, w.OK_BUTTON); });
        else
            openDonations([&](DonationsWindow& w) { script(w, w.OK_BUTTON); });
    }
    static std::string place(const form::Window& w) {
        return std::to_string(int(w.left)) + "," + std::to_string(int(w.top)) + " " +
               std::to_string(int(w.width)) + "x" + std::to_string(int(w.height));
    }
};

TEST_P(PlaceTest, OkWritesThePositionTwiceTheCloseBoxOnceAndTheSizeNever) {
    const PlaceCase& c = GetParam();
    const std::string key = c.key;
    std::vector<std::string> seen, written;
    // On an empty store it opens at the defaults; the user moves it (the view
    // reports where when the position is wanted) and closes it.
    open([&](form::Window& w, form::Button& ok) {
        seen.push_back(place(w));
        w.onSyncGeometry = [&w] {
            w.left = 2250;
            w.top = -1500;
        };
        h.backend.writes.clear();
        c.byOk ? ok.click() : w.Close();
        for (const auto& wr : h.backend.writes)
            if (wr.key.rfind(key + "-", 0) == 0) written.push_back(wr.key + "=" + wr.value);
    });
    std::vector<std::string> once{key + "-Left=2250", key + "-Top=-1500"}, expected = once;
    if (c.byOk) expected.insert(expected.end(), once.begin(), once.end());
    EXPECT_EQ(written, expected);

    // Reopened where it was left, still at the default size.
    open([&](form::Window& w, form::Button&) { seen.push_back(place(w)); });
    const std::string size = c.size;
    EXPECT_EQ(seen, (std::vector<std::string>{"1000,1000 " + size, "2250,-1500 " + size}));
    EXPECT_FALSE(h.stored(key + "-Width") || h.stored(key + "-Height"));
}

INSTANTIATE_TEST_SUITE_P(Windows, PlaceTest,
                         ::testing::Values(PlaceCase{"ABOUT", "9960x4125", true},
                                           PlaceCase{"ABOUT", "9960x4125", false},
                                           PlaceCase{"DONATIONS_WINDOW", "8880x6330", true},
                                           PlaceCase{"DONATIONS_WINDOW", "8880x6330", false}),
                         [](const auto& info) {
                             return std::string(info.param.key) + (info.param.byOk ? "_ByOk" : "_ByClose");
                         });

}  // namespace
