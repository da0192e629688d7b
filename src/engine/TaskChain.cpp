#include "engine/TaskChain.h"

#include "model/main/Announcements.h"

namespace engine {

using namespace form::colour;

TaskChain::TaskChain(model::MainForm& form, platform::Platform& platform, RunRecord& record)
    : form_(form), platform_(platform), record_(record) {
    for (int n = 1; n <= model::kSlots; ++n) {
        form_.slot(n).mainTimer.onTick = [this, n] { TASK_MAIN_TIMER_Timer(n); };
        form_.slot(n).watcherTimer.onTick = [this, n] { TASK_WATCHER_TIMER_Timer(n); };
    }
}

form::Timer& TaskChain::successor(int n) {
    return n < model::kSlots ? form_.slot(n + 1).mainTimer : form_.AUTOCLOSE_TIMER;
}

void TaskChain::passOn(int n) {
    successor(n).setEnabled(true);
    if (n < model::kSlots) return;
    std::string line = "pass finished";
    if (record_.anyFailed()) {
        line += record_.failedSlots.size() == 1 ? " with errors (slot " : " with errors (slots ";
        for (std::size_t i = 0; i < record_.failedSlots.size(); ++i)
            line += (i ? ", " : "") + std::to_string(record_.failedSlots[i]);
        line += ")";
    }
    record_.note(line + ": " + std::to_string(record_.started) + " started, " +
                 std::to_string(record_.skipped) + " skipped");
    if (form_.announcing())
        form_.announce(
            model::announce::passFinished(form_, record_.failedSlots, record_.started, record_.skipped));
}

std::string TaskChain::slotName(const model::SlotRow& row) const {
    return "slot " + std::to_string(row.n) + " \"" + row.enable.caption() + "\"";
}

void TaskChain::paint(model::SlotRow& row, form::Colour colour, model::Light words,
                      const std::string& detail) {
    if (failed_[static_cast<std::size_t>(row.n - 1)] && (colour == Cyan || colour == Green)) {
        row.light.setBackColour(Magenta);
        return;
    }
    row.light.setBackColour(colour);
    row.tell(words, detail);
}

void TaskChain::fail(model::SlotRow& row, model::Light words, const std::string& reason,
                     const std::string& why) {
    const bool first = !failed_[static_cast<std::size_t>(row.n - 1)];
    failed_[static_cast<std::size_t>(row.n - 1)] = true;
    record_.failed(row.n);
    row.light.setToolTip(reason + why);
    row.light.setBackColour(Magenta);
    row.tell(words, why);
    // Once per visit: a query that keeps failing would say it every second.
    if (first && form_.announcing()) form_.announce(model::announce::slotFailed(row, why));
}

void TaskChain::TASK_MAIN_TIMER_Timer(int n) {
    model::SlotRow& row = form_.slot(n);
    if (!row.enable.ticked()) {
        paint(row, Red, model::Light::Skipped);
        row.mainTimer.setEnabled(false);
        ++record_.skipped;
        passOn(n);
        return;
    }
    // A new visit: forget what an earlier pass left.
    failed_[static_cast<std::size_t>(n - 1)] = false;
    row.light.setToolTip("");
    paint(row, Cyan, model::Light::Started);
    const platform::Result launched = platform_.LaunchCommand(row.command, platform::kNormalFocus);
    if (launched.ok) {
        ++record_.started;
        record_.note(slotName(row) + " started: " + row.command);
    } else {
        fail(row, model::Light::CouldNotStart, "Could not start: ", launched.error);
        record_.note(slotName(row) + " could not start: " + launched.error);
    }
    platform_.Sleep(1000);
    if (row.pause.ticked()) {
        record_.note(slotName(row) + " P-4-P: waiting until no \"" + row.processName + "\" runs");
        // Slot 1 shows green while it waits; the others stay cyan until the wait ends.
        paint(row, n == 1 ? Green : Cyan, model::Light::WaitingForProgram, row.processName);
        row.watcherTimer.setEnabled(true);
        row.mainTimer.setEnabled(false);
        return;
    }
    passOn(n);
    row.mainTimer.setEnabled(false);
    paint(row, Green, model::Light::Started);
}

void TaskChain::TASK_WATCHER_TIMER_Timer(int n) {
    model::SlotRow& row = form_.slot(n);
    const bool running = IsProcessRunning(row.processName);
    if (!lastQueryError_.empty())
        fail(row, model::Light::CouldNotWatch, "Could not look for running processes: ", lastQueryError_);
    row.pause.setBackColour(Green);
    if (running) return;
    record_.note(slotName(row) + " P-4-P: " +
                 (lastQueryError_.empty()
                      ? "no \"" + row.processName + "\" runs any more"
                      : "could not look for running processes (" + lastQueryError_ + ")") +
                 ", going on");
    paint(row, Green, model::Light::Started);
    passOn(n);
    row.watcherTimer.setEnabled(false);
}

bool TaskChain::IsProcessRunning(const std::string& name) {
    // A query that cannot run counts as no process, so the list goes on;
    // the caller shows why.
    const platform::ProcessQuery q = platform_.CountProcesses(name);
    lastQueryError_ = q.ok ? std::string() : (q.error.empty() ? "unknown error" : q.error);
    return q.ok && q.count > 0;
}

}  // namespace engine
