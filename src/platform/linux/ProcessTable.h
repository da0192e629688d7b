#pragma once

#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace platform::linux_backend {

// Counts the live processes of every user listed under `procRoot` (normally
// "/proc") that run the executable called `name` (see processMatches).
// Processes that end during the scan are skipped; only a table that cannot be
// opened at all is a failure.
ProcessQuery countMatchingProcesses(const std::string& procRoot, std::string_view name);

}  // namespace platform::linux_backend
