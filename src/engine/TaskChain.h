#pragma once

#include <array>
#include <string>

#include "engine/RunRecord.h"
#include "model/main/MainForm.h"
#include "platform/Platform.h"

namespace engine {

// The launch chain and the Pause 4 Process watch: a relay of per-slot timers.
// Slot n's tick launches or skips the slot, then passes the turn to slot n+1
// (slot 20: to the autoclose countdown), or to its own watcher, which passes
// it on once no process of the slot's name is running.
class TaskChain {
public:
    TaskChain(model::MainForm& form, platform::Platform& platform, RunRecord& record);

    void TASK_MAIN_TIMER_Timer(int n);
    void TASK_WATCHER_TIMER_Timer(int n);
    bool IsProcessRunning(const std::string& name);

private:
    form::Timer& successor(int n);
    // Enables the successor; after slot 20 the pass is over and says how it went.
    void passOn(int n);
    std::string slotName(const model::SlotRow& row) const;
    // Paints the light and says it in words; a slot whose launch or query
    // failed in this visit shows magenta in place of cyan or green, and keeps
    // saying why.
    void paint(model::SlotRow& row, form::Colour colour, model::Light words, const std::string& detail = {});
    void fail(model::SlotRow& row, model::Light words, const std::string& reason, const std::string& why);

    model::MainForm& form_;
    platform::Platform& platform_;
    RunRecord& record_;
    std::array<bool, model::kSlots> failed_{};  // per slot, for the current visit
    std::string lastQueryError_;
};

}  // namespace engine
