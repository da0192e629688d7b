#pragma once

#include "form/Window.h"
#include "model/main/MainForm.h"

namespace model {

// The main window's "About" button: shows a fresh About window modally over
// the main window. The main window knows nothing of the About windows, so
// this attaches the handler from here.
class AboutButton {
public:
    AboutButton(MainForm& form, form::WindowHost& host);
    ~AboutButton();
    AboutButton(const AboutButton&) = delete;
    AboutButton& operator=(const AboutButton&) = delete;

    void ABOUT_BUTTON_Click();

private:
    MainForm& form_;
    form::WindowHost& host_;
};

}  // namespace model
