#include "model/main/Announcements.h"

#include <cmath>

#include "form/TimeValue.h"

namespace model::announce {

namespace {

std::string slot(const SlotRow& row) {
    // The tick box reads "Task 7: Backup" where the slot has a name of its own.
    const std::string task = "Task " + std::to_string(row.n);
    const std::string& named = row.enable.accessibleName();
    return named.size() > task.size() + 2 ? task + " (" + named.substr(task.size() + 2) + ")" : task;
}

std::string closing(const MainForm& form) {
    if (!form.AUTOCLOSE_TICKBOX.ticked()) return {};
    const long seconds = std::lround(form.AUTOCLOSE_REMAINING / form::kOneSecond);
    return seconds == 1 ? " The window closes in 1 second."
                        : " The window closes in " + std::to_string(seconds) + " seconds.";
}

}  // namespace

std::string slotFailed(const SlotRow& row, const std::string& why) {
    return slot(row) + " " + row.light.stateWords() + (why.empty() ? "" : ": " + why);
}

std::string passFinished(const MainForm& form, const std::vector<int>& failed, int started, int skipped) {
    std::string s = failed.empty() ? "Pass finished: " : "Pass finished with errors: ";
    for (std::size_t i = 0; i < failed.size(); ++i) {
        const SlotRow& row = form.slot(failed[i]);
        s += (i ? ", task " : "task ") + std::to_string(row.n) +
             (row.failedAs == Light::CouldNotWatch ? " could not look for running programs" : " could not start");
    }
    if (!failed.empty()) s += "; ";
    s += std::to_string(started) + " started, " + std::to_string(skipped) + " skipped.";
    return s + closing(form);
}

std::string noPass(const MainForm& form) {
    return "No pass: task 1 is not ticked." + closing(form);
}

std::string loaded(int n, const std::string& caption) {
    const std::string task = "Task " + std::to_string(n) + " loaded";
    return caption.empty() ? task + ", no name" : task + ": " + caption;
}

}  // namespace model::announce
