#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::qt {

// One entry of the file dialog's type list.
struct DialogFilter {
    std::string nameFilter;        // "Description (patterns)", the dialog's form
    bool executablesOnly = false;  // list only files the user may execute
};

// Turns a "Description|pattern|Description|pattern" file-type filter into the
// dialog's entries: "Description (patterns)", shown with the patterns hidden,
// so the caption is the description as given, "Applications (*.exe)" and all.
// Patterns separated by ';' become blank-separated, and
// "*.*", which means every file where the filter comes from, becomes "*"
// (names without a dot included). Programs here carry no ".exe": an entry
// whose only pattern is "*.exe" lists every executable file instead. A text
// without '|' is taken to be in the dialog's ";;"-separated form already.
std::vector<DialogFilter> dialogFilters(std::string_view filter);

// The entries' name filters joined by ";;".
std::string toDialogFilters(std::string_view filter);

// Qt's file-open dialog over the active window, listing the filter's entries;
// the confirmed path, or nothing after a cancel or without a widget application.
std::optional<std::string> chooseFile(const std::string& title, const std::string& filter,
                                      const std::string& startFolder);

}  // namespace platform::qt
