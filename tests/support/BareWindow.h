#pragma once

#include <string>

#include "form/Window.h"

namespace testing_support {

// A window with nothing to load or save, for what every window does.
struct BareWindow : form::Window {
    explicit BareWindow(form::Scheduler& s, std::string name = "TEST_WINDOW")
        : form::Window(std::move(name), s) {}
    void Form_Load() override {}
    void Form_Unload() override {}
};

}  // namespace testing_support
