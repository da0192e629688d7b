#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace engine {

// Where a pass leaves its trace: one short line per slot started (or not),
// per Pause 4 Process wait begun and ended, and for the pass's result. The
// program writes the lines to standard error with the time, so a login
// session's journal keeps them; by default they go nowhere.
using PassLog = std::function<void(const std::string& line)>;

// What the countdowns need to know about the slots of the current pass.
struct RunRecord {
    // Slots that failed (launch or process query) since the autostart
    // countdown last started a pass, in the order they failed.
    std::vector<int> failedSlots;
    int started = 0;  // slots whose command was started
    int skipped = 0;  // slots passed over, not enabled
    PassLog log;

    bool anyFailed() const { return !failedSlots.empty(); }
    void failed(int n) {
        if (std::find(failedSlots.begin(), failedSlots.end(), n) == failedSlots.end())
            failedSlots.push_back(n);
    }
    void newPass() {
        failedSlots.clear();
        started = skipped = 0;
    }
    // One line, whatever the caption or command holds.
    void note(std::string line) const {
        if (!log) return;
        for (char& c : line)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
        log(line);
    }
};

}  // namespace engine
