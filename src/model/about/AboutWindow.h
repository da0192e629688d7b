#pragma once

#include <vector>

#include "form/Controls.h"
#include "form/Window.h"
#include "model/about/FlashRelay.h"
#include "model/about/PictureBox.h"
#include "model/main/WindowPlace.h"
#include "settings/Store.h"

namespace model {

// VELMORA_ABOUT: the product's name, version, creator and dedication, a
// picture, the fan site's address, and a donations button in a frame that
// flashes for as long as the window is open. Created afresh for every showing.
class AboutWindow : public form::Window {
public:
    AboutWindow(form::Scheduler& scheduler, settings::Store& store, form::WindowHost& host);

    form::Label VELMORA_TITLE_1{*this, "VELMORA_TITLE_1", "TARNHOLT"};
    form::Label VELMORA_TITLE_2{*this, "VELMORA_TITLE_2", "VELMORA"};
    form::Label VELMORA_VERSION{*this, "VELMORA_VERSION", "Version 1.1"};
    form::Label FREEWARE_LABEL{*this, "FREEWARE_LABEL", "!!! FREEWARE !!!"};
    form::Label RIVA_DEDICATION_LABEL{*this, "RIVA_DEDICATION_LABEL",
                                      "RIVA HEARTBEAT - DEDICATED TO R.I.V.A."};
    form::Label VELMORA_CREATOR{*this, "VELMORA_CREATOR", "Created By BRANNIC"};
    PictureBox RIVA_PIC_PICBOX{*this, "RIVA_PIC_PICBOX"};
    form::TextBox KNIGHTRIDER_WEBSITE_LINK{*this, "KNIGHTRIDER_WEBSITE_LINK"};
    form::TextBox DONATIONS_BACK_TEXTBOX{*this, "DONATIONS_BACK_TEXTBOX"};
    form::Button DONATIONS_BUTTON{*this, "DONATIONS_BUTTON", "!!! DONATIONS ALWAYS APPRECIATED !!!"};
    form::Button OK_BUTTON{*this, "OK_BUTTON", "OK"};

    // DONATION_BUTTON_1_TIMER .. DONATION_BUTTON_5_TIMER.
    form::Timer& DONATION_BUTTON_TIMER(int k) { return flash_.timer(k); }

    void Form_Load() override;
    void Form_Unload() override;
    void OK_BUTTON_Click();
    void VELMORA_CREATOR_DblClick();
    void DONATIONS_BUTTON_Click();
    void DONATION_BUTTON_TIMER_Timer(int k) { flash_.step(k); }

private:
    void layOut();

    settings::Store& store_;
    WindowPlace place_{store_, "ABOUT"};
    form::WindowHost& host_;
    FlashRelay flash_;
};

}  // namespace model
