#include "TaskList.h"

namespace testing_support {

Settings taskList(const std::vector<std::pair<int, Slot>>& slots) {
    Settings s;
    const auto store = [&](int n, const Slot& task) {
        const std::string slot = "TASK_" + std::to_string(n);
        s[slot + "_ENABLE_TICKBOX"] = task.enabled ? "1" : "0";
        s[slot + "_PAUSE_TICKBOX"] = task.waitFor.empty() ? "0" : "1";
        s[slot + "_CMD"] = task.command;
        s[slot + "_PROCESS_NAME_TEXTBOX"] = task.waitFor;
    };
    for (int n = 1; n <= 20; ++n) store(n, Slot("", "", false));
    for (const auto& [n, task] : slots) store(n, task);
    return s;
}

}  // namespace testing_support
