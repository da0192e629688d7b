#include "model/about/AboutWindow.h"

#include <string>

#include "model/about/DonationsWindow.h"
#include "model/main/Contact.h"
#include "model/main/Look.h"

namespace model {

AboutWindow::AboutWindow(form::Scheduler& scheduler, settings::Store& store, form::WindowHost& host)
    : form::Window("VELMORA_ABOUT", scheduler),
      store_(store),
      host_(host),
      flash_({&createTimer("DONATION_BUTTON_1_TIMER"), &createTimer("DONATION_BUTTON_2_TIMER"),
              &createTimer("DONATION_BUTTON_3_TIMER"), &createTimer("DONATION_BUTTON_4_TIMER"),
              &createTimer("DONATION_BUTTON_5_TIMER")},
             [this](form::Colour c) { DONATIONS_BACK_TEXTBOX.setBackColour(c); }) {
    caption = "VELMORA - ABOUT";
    clientWidth = 9870;
    clientHeight = 4650;
    layOut();
    DONATION_BUTTON_TIMER(1).setEnabled(true);  // armed; its interval comes with start-up
    OK_BUTTON.onClick = [this] { OK_BUTTON_Click(); };
    VELMORA_CREATOR.onDblClick = [this] { VELMORA_CREATOR_DblClick(); };
    DONATIONS_BUTTON.onClick = [this] { DONATIONS_BUTTON_Click(); };
}

void AboutWindow::layOut() {
    look::banner(VELMORA_TITLE_1, {120, 120, 2175, 360});
    look::banner(VELMORA_TITLE_2, {2400, 120, 2535, 360});
    look::banner(VELMORA_VERSION, {5040, 120, 2295, 345});
    look::banner(FREEWARE_LABEL, {7440, 120, 2295, 345});
    look::banner(RIVA_DEDICATION_LABEL, {120, 600, 4815, 375});
    look::banner(VELMORA_CREATOR, {5040, 600, 4695, 315});

    RIVA_PIC_PICBOX.box = {120, 1080, 4770, 2490};
    RIVA_PIC_PICBOX.tabIndex = 1;

    KNIGHTRIDER_WEBSITE_LINK.box = {5160, 1080, 4455, 375};
    KNIGHTRIDER_WEBSITE_LINK.font = {"Arial", 8.25, true};
    KNIGHTRIDER_WEBSITE_LINK.readOnly = true;
    KNIGHTRIDER_WEBSITE_LINK.centred = true;
    KNIGHTRIDER_WEBSITE_LINK.setText(std::string("KNIGHTRIDER: ") + contact::kFanSite + "\r\n");
    KNIGHTRIDER_WEBSITE_LINK.tabIndex = 0;

    // The text box lies beneath the button; its 120-twip margin round the
    // button is the flashing frame.
    DONATIONS_BACK_TEXTBOX.box = {5160, 1800, 4575, 735};
    // It only flashes: neither a Tab stop nor anything a reader reads.
    DONATIONS_BACK_TEXTBOX.tabIndex = -1;
    DONATIONS_BACK_TEXTBOX.decoration = true;
    DONATIONS_BUTTON.box = {5280, 1920, 4335, 495};
    DONATIONS_BUTTON.font = look::arialBold(9.75);
    DONATIONS_BUTTON.tabIndex = 3;

    OK_BUTTON.box = {6480, 2880, 1935, 615};
    OK_BUTTON.tabIndex = 2;
    OK_BUTTON.isDefault = true;

    // A double-click on the creator's name shows the address; the keyboard
    // reaches it last, as nothing else does what it does.
    VELMORA_CREATOR.tabIndex = 5;
    KNIGHTRIDER_WEBSITE_LINK.setAccessibleName("Fan site");
    RIVA_PIC_PICBOX.setAccessibleName("Picture: a night road under a row of red scanner lamps");
}

void AboutWindow::Form_Load() {
    place_.restore(*this);
    flash_.setIntervals();
}

void AboutWindow::Form_Unload() {
    place_.store(*this);
}

void AboutWindow::OK_BUTTON_Click() {
    syncGeometry();
    place_.store(*this);
    Close();  // unloading stores the position again
}

void AboutWindow::VELMORA_CREATOR_DblClick() {
    VELMORA_CREATOR.setCaption(contact::creatorOr(VELMORA_CREATOR.caption()));
}

void AboutWindow::DONATIONS_BUTTON_Click() {
    DonationsWindow donations(scheduler(), store_);
    host_.showModal(donations, *this);
}

}  // namespace model
