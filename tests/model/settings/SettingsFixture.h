#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/settings/SettingsForm.h"
#include "model/settings/SettingsWindows.h"
#include "model/settings/SingleSettingsForm.h"
#include "platform/fake/FakeWindowHost.h"
#include "support/Harness.h"

namespace settingstest {

inline constexpr const char* kSingle = "VELMORA_SINGLE_SETTINGS_WINDOW";
inline constexpr const char* kAll = "VELMORA_SETTINGS";

// The main window with its engine and its ways into the settings windows, on
// virtual time (from 0), a scripted platform and an in-memory store.
struct Rig {
    Rig() {
        h.load();
        windows = std::make_unique<model::SettingsWindows>(*h.form, host, h.platform);
    }

    // Presses "Settings" on the main window; `script` runs while the
    // single-task window is open, which then closes by its close box unless
    // the script closed it.
    void withSingle(const std::function<void(model::SingleSettingsForm&)>& script) {
        host.whileOpen(kSingle,
                       [script](form::Window& w) { script(static_cast<model::SingleSettingsForm&>(w)); });
        h.form->SETTINGS_BUTTON.click();
    }
    // Opens the all-settings window through the single-task one.
    void withAll(const std::function<void(model::SettingsForm&)>& script) {
        host.whileOpen(kAll, [script](form::Window& w) { script(static_cast<model::SettingsForm&>(w)); });
        withSingle([](model::SingleSettingsForm& single) { single.VIEW_ALL_SETTINGS_BUTTON.click(); });
    }

    // key=value of every write since the last clear, in order.
    std::vector<std::string> writes() const {
        std::vector<std::string> out;
        for (const auto& w : h.backend.writes) out.push_back(w.key + "=" + w.value);
        return out;
    }

    testing_support::Harness h;
    platform::FakeWindowHost host;
    std::unique_ptr<model::SettingsWindows> windows;
};

struct SettingsFixture : ::testing::Test {
    Rig rig;
    testing_support::Harness& h = rig.h;
    platform::FakeWindowHost& host = rig.host;
    void withSingle(const std::function<void(model::SingleSettingsForm&)>& script) { rig.withSingle(script); }
    void withAll(const std::function<void(model::SettingsForm&)>& script) { rig.withAll(script); }
    std::vector<std::string> writes() const { return rig.writes(); }
};

// Everything the main window shows or holds, by control name, for checking
// that an action changed nothing else.
inline std::map<std::string, std::string> snapshot(model::MainForm& form) {
    std::map<std::string, std::string> s;
    for (form::Control* c : form.controls()) {
        std::string v = std::to_string(c->backColour()) + "/" + std::to_string(c->foreColour()) + "/" +
                        std::to_string(c->enabled());
        if (auto* t = dynamic_cast<form::TextBox*>(c)) v += "/" + t->text();
        if (auto* l = dynamic_cast<form::Label*>(c)) v += "/" + l->caption();
        if (auto* b = dynamic_cast<form::Button*>(c)) v += "/" + b->caption();
        if (auto* t = dynamic_cast<form::TickBox*>(c))
            v += "/" + t->caption() + "/" + std::to_string(t->value());
        s[c->name()] = v;
    }
    for (int n = 1; n <= model::kSlots; ++n) {
        const model::SlotRow& row = form.slot(n);
        s["cmd" + std::to_string(n)] = row.command;
        s["proc" + std::to_string(n)] = row.processName;
        s["timers" + std::to_string(n)] =
            std::to_string(row.mainTimer.enabled()) + std::to_string(row.watcherTimer.enabled());
    }
    s["AUTOCLOSE_TIMER"] = std::to_string(form.AUTOCLOSE_TIMER.enabled());
    s["AUTOSTART_TIMER"] = std::to_string(form.AUTOSTART_TIMER.enabled());
    return s;
}

}  // namespace settingstest
