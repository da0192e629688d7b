#include "model/about/DonationsWindow.h"

#include "model/main/Contact.h"

namespace model {

namespace {

using form::colour::Black;
using form::colour::Green;

// The currency rows, top to bottom, 600 twips apart.
struct Currency {
    const char* code;
    int top;
    int tabIndex;
    const char* wallet;
};
constexpr std::array<Currency, DonationsWindow::kCurrencies> kCurrencyRows{{
    {"BTC", 1560, 1, wallets::kBTC},
    {"NMC", 2160, 2, wallets::kNMC},
    {"LTC", 2760, 3, wallets::kLTC},
    {"DASH", 3360, 4, wallets::kDASH},
    {"VTC", 3960, 5, wallets::kVTC},
}};

// A text box whose text cannot be edited, centred.
void readOnlyBox(form::TextBox& t, form::Rect r, form::Font f) {
    t.box = r;
    t.font = std::move(f);
    t.readOnly = true;
    t.centred = true;
}

}  // namespace

CurrencyRow::CurrencyRow(form::Window& window, const std::string& code, int top, int tabIndex,
                         const std::string& wallet)
    : name(window, code + "_NAME_LABEL", code), address(window, code + "_DONATION_ADDRESS_TEXTBOX", wallet) {
    name.box = {960, top, 1095, 375};
    name.font = {"Arial", 14.25, false};
    name.centred = true;
    name.setBackColour(form::colour::PaleYellow);
    name.setForeColour(Black);
    readOnlyBox(address, {2160, top, 5655, 405}, {"Arial", 12, true});
    address.setBackColour(form::colour::PaleYellow);
    address.setForeColour(Black);
    address.tabIndex = tabIndex;
    address.setAccessibleName(code + " address");
    name.labelFor = &address;
}

DonationsWindow::DonationsWindow(form::Scheduler& scheduler, settings::Store& store)
    : form::Window("DONATIONS_WINDOW", scheduler),
      store_(store),
      flash_({&createTimer("DONATION_TEXT_1_TIMER"), &createTimer("DONATION_TEXT_2_TIMER"),
              &createTimer("DONATION_TEXT_3_TIMER"), &createTimer("DONATION_TEXT_4_TIMER"),
              &createTimer("DONATION_TEXT_5_TIMER")},
             [this](form::Colour c) { THANKS_DONATIONS_MESSAGE_TEXTBOX.setForeColour(c); }) {
    caption = "!!! DONATIONS ALWAYS APPRECIATED - BRANNIC - TARNHOLT !!! :)";
    clientWidth = 8790;
    clientHeight = 7140;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const Currency& c = kCurrencyRows[i];
        rows_[i] = std::make_unique<CurrencyRow>(*this, c.code, c.top, c.tabIndex, c.wallet);
        CurrencyRow& r = *rows_[i];
        r.address.onDblClick = [this, &r] { DONATION_ADDRESS_TEXTBOX_DblClick(r); };
        r.address.onLostFocus = [this, &r] { DONATION_ADDRESS_TEXTBOX_LostFocus(r); };
    }
    layOut();
    DONATION_TEXT_TIMER(1).setEnabled(true);  // armed; its interval comes with start-up
    OK_BUTTON.onClick = [this] { OK_BUTTON_Click(); };
    CREATOR_TEXTBOX.onDblClick = [this] { CREATOR_TEXTBOX_DblClick(); };
    THANKS_DONATIONS_MESSAGE_TEXTBOX.onDblClick = [this] { THANKS_DONATIONS_MESSAGE_TEXTBOX_DblClick(); };
}

void DonationsWindow::layOut() {
    auto banner = [](form::TextBox& t, form::Rect r, form::Font f) {
        readOnlyBox(t, r, std::move(f));
        t.setBackColour(Black);
        t.setForeColour(Green);
    };
    banner(TARNHOLT_TITLE_TEXTBOX, {120, 120, 4215, 435}, {"MS Serif", 13.5, true});
    banner(TARNHOLT_WEBSITE_TEXTBOX, {4440, 120, 4215, 450}, {"Arial", 14.25, true});
    TARNHOLT_WEBSITE_TEXTBOX.setText(contact::kMakerWebsite);
    banner(CREATOR_TEXTBOX, {480, 600, 7815, 405}, {"Arial", 12, true});

    readOnlyBox(THANKS_DONATIONS_MESSAGE_TEXTBOX, {1320, 1080, 6135, 345}, {"Arial Black", 9.75, true, 900});
    THANKS_DONATIONS_MESSAGE_TEXTBOX.setBackColour(form::colour::PaleGreen);
    THANKS_DONATIONS_MESSAGE_TEXTBOX.setForeColour(Black);
    THANKS_DONATIONS_MESSAGE_TEXTBOX.setToolTip("!!! DOUBLE-CLICK TO STOP / START FLASHING TEXT !!!");

    banner(THANKS_TARNHOLT_SOFTWARE_TEXTBOX, {840, 4560, 7095, 480}, {"Arial", 14.25, true});

    TARNHOLT_TITLE_TEXTBOX.setAccessibleName("Maker");
    TARNHOLT_WEBSITE_TEXTBOX.setAccessibleName("Maker's web site");
    CREATOR_TEXTBOX.setAccessibleName("Creator");
    THANKS_DONATIONS_MESSAGE_TEXTBOX.setAccessibleName("Thank-you line");
    THANKS_DONATIONS_MESSAGE_TEXTBOX.setAccessibleDescription(
        "Space or a double-click stops or starts its flashing");
    THANKS_TARNHOLT_SOFTWARE_TEXTBOX.setAccessibleName("Thanks");

    OK_BUTTON.box = {3360, 5280, 2055, 495};
    OK_BUTTON.tabIndex = 0;  // has the focus when the window opens
    OK_BUTTON.isDefault = true;

    // The other boxes take the focus when clicked (so that an address box
    // loses it), after the addresses in the keyboard order.
    int next = kCurrencies + 1;
    for (form::TextBox* t : {&TARNHOLT_TITLE_TEXTBOX, &TARNHOLT_WEBSITE_TEXTBOX, &CREATOR_TEXTBOX,
                             &THANKS_DONATIONS_MESSAGE_TEXTBOX, &THANKS_TARNHOLT_SOFTWARE_TEXTBOX})
        t->tabIndex = next++;
}

void DonationsWindow::Form_Load() {
    place_.restore(*this);
    flash_.setIntervals();
}

void DonationsWindow::Form_Unload() {
    place_.store(*this);
}

void DonationsWindow::OK_BUTTON_Click() {
    syncGeometry();
    place_.store(*this);
    Close();  // unloading stores the position again
}

void DonationsWindow::CREATOR_TEXTBOX_DblClick() {
    CREATOR_TEXTBOX.setText(contact::creatorOr(CREATOR_TEXTBOX.text()));
}

void DonationsWindow::DONATION_ADDRESS_TEXTBOX_DblClick(CurrencyRow& row) {
    row.address.setForeColour(Black);
    row.address.setBackColour(form::colour::PaleMagenta);
}

void DonationsWindow::DONATION_ADDRESS_TEXTBOX_LostFocus(CurrencyRow& row) {
    row.address.setForeColour(Black);
    row.address.setBackColour(form::colour::PaleYellow);
}

// Running or stopped is the line's colour: black only while stopped (and
// before the first step).
void DonationsWindow::THANKS_DONATIONS_MESSAGE_TEXTBOX_DblClick() {
    if (THANKS_DONATIONS_MESSAGE_TEXTBOX.foreColour() != Black) {
        flash_.stop();
        THANKS_DONATIONS_MESSAGE_TEXTBOX.setForeColour(Black);
    } else {
        DONATION_TEXT_TIMER(1).setEnabled(true);
    }
}

}  // namespace model
