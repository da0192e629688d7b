#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "form/Controls.h"
#include "form/Window.h"
#include "model/about/FlashRelay.h"
#include "model/main/WindowPlace.h"
#include "settings/Store.h"

namespace model {

// One currency row of the donations window: its name label and the box that
// shows its wallet address (BTC_NAME_LABEL, BTC_DONATION_ADDRESS_TEXTBOX, ...).
struct CurrencyRow {
    CurrencyRow(form::Window& window, const std::string& code, int top, int tabIndex,
                const std::string& wallet);
    form::Label name;
    form::TextBox address;
};

// DONATIONS_WINDOW: one wallet address per currency under a thank-you line
// that flashes until double-clicked. Opened from the About window, created
// afresh for every showing.
class DonationsWindow : public form::Window {
public:
    static constexpr int kCurrencies = 5;

    DonationsWindow(form::Scheduler& scheduler, settings::Store& store);

    form::TextBox TARNHOLT_TITLE_TEXTBOX{*this, "TARNHOLT_TITLE_TEXTBOX", "TARNHOLT\r\n SOFTWARE"};
    form::TextBox TARNHOLT_WEBSITE_TEXTBOX{*this, "TARNHOLT_WEBSITE_TEXTBOX"};
    form::TextBox CREATOR_TEXTBOX{*this, "CREATOR_TEXTBOX", "Created By BRANNIC"};
    form::TextBox THANKS_DONATIONS_MESSAGE_TEXTBOX{*this, "THANKS_DONATIONS_MESSAGE_TEXTBOX",
                                                   "!!! DONATIONS ALWAYS APPRECIATED !!!"};
    form::TextBox THANKS_TARNHOLT_SOFTWARE_TEXTBOX{*this, "THANKS_TARNHOLT_SOFTWARE_TEXTBOX",
                                                   "Thanks for using TARNHOLT Software !!! :)"};
    form::Button OK_BUTTON{*this, "OK_BUTTON", "OK"};

    // The currency rows top to bottom: BTC, NMC, LTC, DASH, VTC at [0..4].
    CurrencyRow& row(int i) { return *rows_.at(static_cast<std::size_t>(i)); }

    // DONATION_TEXT_1_TIMER .. DONATION_TEXT_5_TIMER.
    form::Timer& DONATION_TEXT_TIMER(int k) { return flash_.timer(k); }

    void Form_Load() override;
    void Form_Unload() override;
    void OK_BUTTON_Click();
    void CREATOR_TEXTBOX_DblClick();
    void DONATION_ADDRESS_TEXTBOX_DblClick(CurrencyRow& row);
    void DONATION_ADDRESS_TEXTBOX_LostFocus(CurrencyRow& row);
    void DONATION_TEXT_TIMER_Timer(int k) { flash_.step(k); }
    void THANKS_DONATIONS_MESSAGE_TEXTBOX_DblClick();

private:
    void layOut();

    settings::Store& store_;
    WindowPlace place_{store_, "DONATIONS_WINDOW"};
    std::array<std::unique_ptr<CurrencyRow>, kCurrencies> rows_;
    FlashRelay flash_;
};

}  // namespace model
