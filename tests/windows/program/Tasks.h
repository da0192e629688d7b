#pragma once
// The programs a test's slots start, and what they leave behind: the marker
// tool (also under a path with blanks and under a name of its own for
// Pause 4 Process to wait on) appends "NAME MS WORDS" to one log.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "Driver.h"

namespace drive {

struct Marker {
    std::string name;
    std::int64_t ms = 0;
    std::string words;
};

class Tasks {
public:
    explicit Tasks(const fs::path& folder);

    // The marker tool at "<folder>\velmora test\marker tool.exe", unquoted.
    std::string withBlanks(const std::string& name, const std::string& words = "") const;
    // A batch file that starts the marker tool.
    std::string batch(const std::string& name) const;
    // The marker tool as `exe` (a file name of its own), staying `ms` milliseconds.
    std::string staying(const std::string& exe, const std::string& name, int ms) const;
    // A program that does not exist.
    std::string missing() const;

    std::vector<Marker> markers() const;
    std::string names() const;  // "A B C" in the order they were written
    std::int64_t at(const std::string& name) const;

private:
    fs::path folder_, tool_, log_;
};

// A task list: slot number to command, P-4-P process name ("" for none);
// the other slots are stored unticked.
struct Slot {
    Slot(std::string command, std::string waitFor = "", bool enabled = true)
        : command(std::move(command)), waitFor(std::move(waitFor)), enabled(enabled) {}
    std::string command;
    std::string waitFor;
    bool enabled;
};
Settings taskList(const std::vector<std::pair<int, Slot>>& slots);

}  // namespace drive
