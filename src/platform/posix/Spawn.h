#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace platform::posix {

// What a command line asks to run, settled before anything is started so
// that every reason not to start is known up front.
struct LaunchPlan {
    std::string error;              // non-empty: nothing may be started
    std::string path;               // the file to execute
    std::vector<std::string> argv;  // argv[0] is the program as written
};

// Reads the command line (see splitCommandLine). When the whole text names an
// existing regular file, as a file chooser writes a path with blanks in it,
// that file is the program and it gets no arguments. A program name without
// '/' is looked up in `searchPath` (PATH syntax). A command longer than the
// system lets a program be given fails here with the limit it is over.
LaunchPlan planLaunch(std::string_view command, std::string_view searchPath);

// Starts the plan as a process of its own: a new session, not our child (no
// zombie is ever left), default signal handling, and no descriptor of ours
// but 0, 1 and 2. Returns only after the program was executed or failed to
// be; a failed exec is reported with the system's reason.
Result spawnDetached(const LaunchPlan& plan);

}  // namespace platform::posix
