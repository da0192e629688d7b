#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Platform.h"

namespace platform::posix {

// Counts the live processes of every user listed under `procRoot` (normally
// "/proc") that run the executable called `name` (see processMatches).
// Processes that end during the scan are skipped; only a table that cannot be
// opened at all is a failure.
ProcessQuery countMatchingProcesses(const std::string& procRoot, std::string_view name);

// Opens a process descriptor (pidfd) for `pid`, close-on-exec; -errno when
// the system refuses.
using PidfdOpener = int (*)(long pid);
int openPidfd(long pid);

// The same count, asked again and again (the Pause 4 Process watch polls once
// a second).
//
// A poll that finds the name holds every matching process by its pidfd, and
// later polls for that name only ask the held ones whether they still run
// (the pidfd turns readable when a process has ended) and still run that
// program; the whole table is read again only when none of them is left. The
// answer "is any running" is the scan's, since a held process that still
// matches would be counted by a scan too; the count, though, leaves out
// processes of the name started after the hold began. Where pidfd_open is
// refused (an old kernel, a sandbox), or for a table other than the system's
// own, every poll scans.
//
// A scan reads each process's short name, the one fact that shows an exec or
// a rename; the exe link and command line, which cost as much again, are read
// only for a process that is new, or whose short name changed, since they
// were last read. Those facts are also read afresh for a tenth of the
// processes each poll, so a change the short name does not show (an exec of a
// same-named program) is seen within ten polls. Held processes are checked by
// the same rules.
class ProcessTable {
public:
    explicit ProcessTable(std::string procRoot, PidfdOpener opener = openPidfd);
    ~ProcessTable();
    ProcessTable(const ProcessTable&) = delete;
    ProcessTable& operator=(const ProcessTable&) = delete;

    ProcessQuery count(std::string_view name);

    // How many processes are held now (0 while polls scan).
    std::size_t held() const { return held_.size(); }

    // What was learnt of one process in earlier polls.
    struct Known {
        std::string comm;
        bool exeRead = false, cmdlineRead = false;
        std::optional<std::string> exe, cmdline;
        unsigned seenInPass = 0;
    };

private:
    // A held process; its descriptor closes with it.
    struct Held {
        long pid;
        int fd;
        Held(long p, int f) : pid(p), fd(f) {}
        ~Held();
        Held(Held&& other) noexcept;
        Held& operator=(Held&& other) noexcept;
    };

    ProcessQuery scan(std::string_view name);
    // Drops the held processes that ended or no longer match; false when the
    // table cannot be opened.
    bool checkHeld(std::string_view name);
    void hold(const std::vector<long>& pids);

    std::string root_;
    PidfdOpener opener_;  // null: scan every time
    std::unordered_map<long, Known> known_;
    unsigned pass_ = 0;
    std::string heldName_;
    std::vector<Held> held_;
};

}  // namespace platform::posix
