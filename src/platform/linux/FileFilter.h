#pragma once

#include <string>
#include <string_view>

namespace platform::linux_backend {

// Turns a "Description|pattern|Description|pattern" file-type filter into the
// ";;"-separated "Description (patterns)" form of the file dialog. Patterns
// separated by ';' become blank-separated, and "*.*", which means every file
// where the filter comes from, becomes "*" (names without a dot included). A
// text without '|' is taken to be in the dialog's form already.
std::string toDialogFilters(std::string_view filter);

}  // namespace platform::linux_backend
