#pragma once

#include <string>
#include <vector>

#include "support/Harness.h"

namespace testing_support {

using Op = platform::FakePlatform::Op;

// Starts a pass as the autostart countdown does, at virtual time 0, and
// watches when the autoclose timer gets enabled.
struct ChainHarness : Harness {
    void enableSlots(std::initializer_list<int> slots, const std::string& prefix = "cmd-") {
        for (int n : slots) {
            form->slot(n).enable.setValue(1);
            form->slot(n).command = prefix + std::to_string(n);
        }
    }
    void startPass() { form->slot(1).mainTimer.setEnabled(true); }

    // Runs until AUTOCLOSE_TIMER is enabled; returns the virtual time then, or -1.
    form::Millis runUntilAutoclose(form::Millis limit = 600'000) {
        return vt.runUntil([&] { return form->AUTOCLOSE_TIMER.enabled(); }, limit) ? vt.now() : -1;
    }

    std::vector<form::Millis> launchTimes() const {
        std::vector<form::Millis> t;
        for (const auto& c : platform.callsOf(Op::LaunchCommand)) t.push_back(c.at);
        return t;
    }
    std::vector<std::string> launched() const {
        std::vector<std::string> t;
        for (const auto& c : platform.callsOf(Op::LaunchCommand)) t.push_back(c.text);
        return t;
    }
    form::Colour light(int n) const { return form->slot(n).light.backColour(); }
};

}  // namespace testing_support
