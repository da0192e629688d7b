#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

using Settings = std::map<std::string, std::string>;

// A slot of a stored task list: its command and the process name Pause 4
// Process waits for ("" for no wait).
struct Slot {
    Slot(std::string command, std::string waitFor = "", bool enabled = true)
        : command(std::move(command)), waitFor(std::move(waitFor)), enabled(enabled) {}
    std::string command;
    std::string waitFor;
    bool enabled;
};

// The stored keys of all twenty slots: the given ones as given, the others
// unticked and empty.
Settings taskList(const std::vector<std::pair<int, Slot>>& slots);

}  // namespace testing_support
