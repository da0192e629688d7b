#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/Platform.h"

namespace platform::linux_backend {

// Counts the live processes of every user listed under `procRoot` (normally
// "/proc") that run the executable called `name` (see processMatches).
// Processes that end during the scan are skipped; only a table that cannot be
// opened at all is a failure.
ProcessQuery countMatchingProcesses(const std::string& procRoot, std::string_view name);

// The same count, asked again and again (the Pause 4 Process watch polls once
// a second). Every poll reads each process's short name, the one fact that
// shows an exec or a rename; the exe link and command line, which cost as
// much again, are read only for a process that is new, or whose short name
// changed, since they were last read. Those facts are also read afresh for a
// tenth of the processes each poll, so a change the short name does not show
// (an exec of a same-named program) is seen within ten polls.
class ProcessTable {
public:
    explicit ProcessTable(std::string procRoot);
    ~ProcessTable();
    ProcessTable(const ProcessTable&) = delete;
    ProcessTable& operator=(const ProcessTable&) = delete;

    ProcessQuery count(std::string_view name);

    // What was learnt of one process in earlier polls.
    struct Known {
        std::string comm;
        bool exeRead = false, cmdlineRead = false;
        std::optional<std::string> exe, cmdline;
        unsigned seenInPass = 0;
    };

private:
    std::string root_;
    std::unordered_map<long, Known> known_;
    unsigned pass_ = 0;
};

}  // namespace platform::linux_backend
