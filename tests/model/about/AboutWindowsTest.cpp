// The About and donations windows in virtual time: flashing relays, the
// thank-you line's double-click, the stored place, and what goes on around
// them while they are open.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/Contact.h"
#include "model/about/AboutButton.h"
#include "model/about/AboutWindow.h"
#include "model/about/DonationsWindow.h"
#include "platform/fake/FakeWindowHost.h"
#include "support/Harness.h"

namespace {

using namespace form::colour;
using model::AboutWindow;
using model::DonationsWindow;

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

// Which timers of a relay are enabled, as their step numbers.
template <typename TimerOf>
std::vector<int> enabledSteps(TimerOf timer) {
    std::vector<int> on;
    for (int k = 1; k <= 5; ++k)
        if (timer(k).enabled()) on.push_back(k);
    return on;
}

// --- flashing ----------------------------------------------------------------

// Both relays: nothing for the first 200 ms, then green, red, cyan, magenta,
// yellow, 200 ms apart, and green again a second after the first green; one
// step timer enabled throughout.
struct FlashCase {
    const char* what;
    form::Colour before;
    form::Colour (*colour)(form::Window&);
    form::Timer& (*timer)(form::Window&, int);
};

const FlashCase kFlashCases[] = {
    {"About frame", SystemWindow,
     [](form::Window& w) { return dynamic_cast<AboutWindow&>(w).DONATIONS_BACK_TEXTBOX.backColour(); },
     [](form::Window& w, int k) -> form::Timer& {
         return dynamic_cast<AboutWindow&>(w).DONATION_BUTTON_TIMER(k);
     }},
    {"thank-you line", Black,
     [](form::Window& w) {
         return dynamic_cast<DonationsWindow&>(w).THANKS_DONATIONS_MESSAGE_TEXTBOX.foreColour();
     },
     [](form::Window& w, int k) -> form::Timer& {
         return dynamic_cast<DonationsWindow&>(w).DONATION_TEXT_TIMER(k);
     }},
};

TEST_F(AboutWindowsTest, EachRelayShowsItsFirstColourAfter200msAndCyclesOnceASecond) {
    for (const FlashCase& c : kFlashCases) {
        SCOPED_TRACE(c.what);
        std::vector<form::Colour> seen;
        auto watch = [&](form::Window& w) {
            EXPECT_EQ(enabledSteps([&](int k) -> form::Timer& { return c.timer(w, k); }),
                      std::vector<int>{1});
            h.vt.advance(199);
            seen.push_back(c.colour(w));
            for (int i = 0; i < 6; ++i) {
                h.vt.advance(i == 0 ? 1 : 200);
                seen.push_back(c.colour(w));
                EXPECT_EQ(enabledSteps([&](int k) -> form::Timer& { return c.timer(w, k); }).size(), 1u);
            }
        };
        if (c.before == SystemWindow)
            openAbout(watch);
        else
            openDonations(watch);
        EXPECT_EQ(seen, (std::vector<form::Colour>{c.before, Green, Red, Cyan, Magenta, Yellow, Green}));
    }
}

TEST_F(AboutWindowsTest, ThankYouLineDoubleClickStopsAndRestartsAtGreen) {
    openDonations([&](DonationsWindow& w) {
        form::TextBox& line = w.THANKS_DONATIONS_MESSAGE_TEXTBOX;
        auto steps = [&] {
            return enabledSteps([&](int k) -> form::Timer& { return w.DONATION_TEXT_TIMER(k); });
        };
        EXPECT_EQ(line.toolTip(), "!!! DOUBLE-CLICK TO STOP / START FLASHING TEXT !!!");

        // Within the first 200 ms the line is still black: the double-click
        // only re-arms step 1, which keeps its time.
        h.vt.advance(100);
        line.dblClick();
        EXPECT_EQ(steps(), std::vector<int>{1});
        h.vt.advance(100);
        EXPECT_EQ(line.foreColour(), Green) << "step 1 lost its time";

        // Stopped in the middle of the cycle: black, nothing armed.
        h.vt.advance(400);
        ASSERT_EQ(line.foreColour(), Cyan);
        line.dblClick();
        EXPECT_EQ(line.foreColour(), Black);
        EXPECT_TRUE(steps().empty());
        h.vt.advance(3000);
        EXPECT_EQ(line.foreColour(), Black);

        // Restarted: green 200 ms later, then on round the cycle.
        line.dblClick();
        h.vt.advance(199);
        EXPECT_EQ(line.foreColour(), Black);
        h.vt.advance(1);
        EXPECT_EQ(line.foreColour(), Green);
        h.vt.advance(200);
        EXPECT_EQ(line.foreColour(), Red);
    });
}

TEST_F(AboutWindowsTest, AboutKeepsFlashingUnderTheDonationsWindowAndTheMainTimersRun) {
    std::vector<form::Colour> aboutColours;
    std::string countdownBefore, countdownDuring;
    host.whileOpen("DONATIONS_WINDOW", [&](form::Window& w) {
        auto& about = dynamic_cast<AboutWindow&>(*host.open().front());
        for (int i = 0; i < 5; ++i) {
            h.vt.advance(200);
            aboutColours.push_back(about.DONATIONS_BACK_TEXTBOX.backColour());
        }
        countdownDuring = h.form->AUTOSTART_TIMER_TEXTBOX.text();
        w.Close();
    });
    openAbout([&](AboutWindow& about) {
        h.vt.advance(250);  // About shows green, step 2 due at 400
        h.form->AUTOSTART_START_BUTTON.click();
        countdownBefore = h.form->AUTOSTART_TIMER_TEXTBOX.text();
        about.DONATIONS_BUTTON.click();
    });
    EXPECT_EQ(aboutColours, (std::vector<form::Colour>{Red, Cyan, Magenta, Yellow, Green}))
        << "About's frame stops or skips while the donations window is open";
    EXPECT_NE(countdownDuring, countdownBefore) << "the main window's countdown stood still";
    ASSERT_EQ(host.shown().size(), 2u);
    EXPECT_EQ(host.shown()[0].owner, "VELMORA_MAIN");
    EXPECT_EQ(host.shown()[1].owner, "VELMORA_ABOUT");
}

// --- what a double-click changes, and a fresh window every time ---------------

TEST_F(AboutWindowsTest, DoubleClicksChangeOnlyTheirWindowAndEveryOpeningStartsAfresh) {
    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        openDonations([&](DonationsWindow& w) {
            EXPECT_EQ(w.CREATOR_TEXTBOX.text(), "Created By BRANNIC");
            EXPECT_EQ(w.row(0).address.backColour(), PaleYellow);
            w.CREATOR_TEXTBOX.dblClick();
            EXPECT_EQ(w.CREATOR_TEXTBOX.text(), model::contact::kCreatorEmail);

            // A highlighted address goes back when it loses the focus.
            w.row(0).address.dblClick();
            EXPECT_EQ(w.row(0).address.backColour(), PaleMagenta);
            EXPECT_EQ(w.row(0).address.foreColour(), Black);
            EXPECT_EQ(w.row(1).address.backColour(), PaleYellow);
            w.row(0).address.onLostFocus();
            w.row(1).address.dblClick();
            EXPECT_EQ(w.row(0).address.backColour(), PaleYellow);
            EXPECT_EQ(w.row(1).address.backColour(), PaleMagenta);
        });
        openAbout([&](AboutWindow& w) {
            EXPECT_EQ(w.VELMORA_CREATOR.caption(), "Created By BRANNIC");
            w.VELMORA_CREATOR.dblClick();
            EXPECT_EQ(w.VELMORA_CREATOR.caption(), model::contact::kCreatorEmail);
        });
    }
}

// --- the stored place ----------------------------------------------------------

struct PlaceCase {
    const char* key;  // the geometry keys' short name
    const char* size;
    bool byOk;
    int writesEach;  // how often Left and Top are each written
};

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
    // First opening on an empty store: the defaults. The user moves it (the
    // view reports where when the position is wanted) and closes it.
    open([&](form::Window& w, form::Button& ok) {
        seen.push_back(place(w));
        w.onSyncGeometry = [&w] {
            w.left = 2250;
            w.top = -1500;
        };
        h.backend.writes.clear();
        if (c.byOk)
            ok.click();
        else
            w.Close();
        EXPECT_TRUE(w.unloaded());
        for (const auto& wr : h.backend.writes)
            if (wr.key.rfind(key + "-", 0) == 0) written.push_back(wr.key + "=" + wr.value);
    });
    EXPECT_TRUE(host.open().empty());
    std::vector<std::string> expected;
    for (int i = 0; i < c.writesEach; ++i) {
        expected.push_back(key + "-Left=2250");
        expected.push_back(key + "-Top=-1500");
    }
    EXPECT_EQ(written, expected);

    // Reopened where it was left, still at the default size.
    open([&](form::Window& w, form::Button&) { seen.push_back(place(w)); });
    EXPECT_EQ(seen, (std::vector<std::string>{"1000,1000 " + std::string(c.size),
                                              "2250,-1500 " + std::string(c.size)}));
    EXPECT_FALSE(h.stored(key + "-Width").has_value());
    EXPECT_FALSE(h.stored(key + "-Height").has_value());
}

INSTANTIATE_TEST_SUITE_P(Windows, PlaceTest,
                         ::testing::Values(PlaceCase{"ABOUT", "9960x4125", true, 2},
                                           PlaceCase{"ABOUT", "9960x4125", false, 1},
                                           PlaceCase{"DONATIONS_WINDOW", "8880x6330", true, 2},
                                           PlaceCase{"DONATIONS_WINDOW", "8880x6330", false, 1}),
                         [](const auto& info) {
                             return std::string(info.param.key == std::string("ABOUT") ? "About"
                                                                                       : "Donations") +
                                    (info.param.byOk ? "ByOk" : "ByCloseBox");
                         });

TEST_F(AboutWindowsTest, StoredSizeKeysAreObeyedThoughNeverWritten) {
    h.seed("ABOUT-Width", "12000");
    h.seed("DONATIONS_WINDOW-Height", "7000");
    float aboutWidth = 0, donationsHeight = 0;
    host.whileOpen("DONATIONS_WINDOW", [&](form::Window& w) { donationsHeight = w.height; });
    openAbout([&](AboutWindow& w) {
        aboutWidth = w.width;
        w.DONATIONS_BUTTON.click();
    });
    EXPECT_EQ(aboutWidth, 12000);
    EXPECT_EQ(donationsHeight, 7000);
    EXPECT_EQ(h.stored("ABOUT-Width"), "12000");
}

}  // namespace
