#pragma once

#include <functional>
#include <string>

#include "engine/Engine.h"
#include "form/Clock.h"
#include "form/Scheduler.h"
#include "form/Window.h"
#include "model/about/AboutButton.h"
#include "model/main/MainForm.h"
#include "model/settings/SettingsWindows.h"
#include "platform/Platform.h"
#include "platform/SettingsBackend.h"
#include "settings/Store.h"

namespace app {

// What every VELMORA program is, whatever its toolkit: the task list's store,
// the timers' scheduler, the main window's model with its engine, and the
// About and settings windows, shown through the program's window host.
//
// An entry point builds its settings backend, platform, clock and window host,
// then a Program, then the views of program.form(), and calls load() last.
class Program {
public:
    struct Parts {
        platform::SettingsBackend& settings;
        platform::Platform& platform;
        const form::Clock& clock;
        form::WindowHost& windows;
        // What the program was started as: a copy started as velmora-work
        // keeps a task list of its own.
        std::string executableName;
        // The pass's trace, one call per line (see passLogTo).
        engine::PassLog passLog;
        // A desktop feature the display cannot carry, said once.
        std::function<void(const std::string& text)> notice;
    };

    explicit Program(Parts parts);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    model::MainForm& form() { return form_; }
    form::Scheduler& scheduler() { return scheduler_; }

    // The main window's start-up: it may start the autostart countdown and
    // paint, so the views must be attached by now.
    void load() { form_.Form_Load(); }

private:
    settings::Store store_;
    form::Scheduler scheduler_;
    model::MainForm form_;
    // Before Form_Load: start-up runs its tick handlers.
    engine::Engine engine_;
    model::AboutButton aboutButton_;
    model::SettingsWindows settingsWindows_;
};

}  // namespace app
