#include "model/about/AboutButton.h"

#include "model/about/AboutWindow.h"

namespace model {

AboutButton::AboutButton(MainForm& form, form::WindowHost& host) : form_(form), host_(host) {
    form_.ABOUT_BUTTON.onClick = [this] { ABOUT_BUTTON_Click(); };
}

AboutButton::~AboutButton() {
    form_.ABOUT_BUTTON.onClick = nullptr;
}

void AboutButton::ABOUT_BUTTON_Click() {
    AboutWindow about(form_.scheduler(), form_.store(), host_);
    host_.showModal(about, form_);
}

}  // namespace model
