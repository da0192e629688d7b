#pragma once
// A test's task list: commands that start the marker program in the ways a
// user's slots start programs, what they left in the marker log, and the
// stored keys of all twenty slots.

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Markers.h"

namespace testing_support {

using Settings = std::map<std::string, std::string>;

class Tasks : public MarkerLog {
public:
    // Copies `marker` (the marker program) into `folder`, where its log is too.
    Tasks(const std::filesystem::path& folder, const std::filesystem::path& marker);

    // The marker program under "<folder>/velmora test/", as a user types such
    // a path: unquoted on Windows, whose search finds it, quoted elsewhere.
    std::string withBlanks(const std::string& name, const std::string& words = "") const;
    // A script (a batch file on Windows, a shell script elsewhere) that starts
    // the marker program with its first word and "from-script".
    std::string script(const std::string& name) const;
    // The marker program under the file name `exe`, staying `ms` milliseconds:
    // a process of its own name for Pause 4 Process to wait on.
    std::string staying(const std::string& exe, const std::string& name, int ms) const;
    // A program that does not exist, with a word after it.
    std::string missing() const;

private:
    std::filesystem::path folder_, tool_;
};

// A slot of a stored task list: its command and the process name Pause 4
// Process waits for ("" for no wait).
struct Slot {
    Slot(std::string command, std::string waitFor = "", bool enabled = true)
        : command(std::move(command)), waitFor(std::move(waitFor)), enabled(enabled) {}
    std::string command;
    std::string waitFor;
    bool enabled;
};

// The 47 keys the main window writes when it closes, on every system.
std::vector<std::string> shutdownKeys();

// The stored keys of all twenty slots: the given ones as given, the others
// unticked and empty.
Settings taskList(const std::vector<std::pair<int, Slot>>& slots);

}  // namespace testing_support
