#pragma once

#include <optional>
#include <string>

namespace platform::windows_backend {

// Turns a "Description|pattern|Description|pattern" file-type filter into the
// file dialog's form: each part ending in a NUL, the whole in two. A last
// description without a pattern is left out, as the dialog would misread it.
std::wstring dialogFilter(const std::string& filter);

// The system's file-open dialog over the active window; the confirmed path,
// or nothing after a cancel or when the dialog cannot open. When the dialog's
// library cannot be loaded, a message box says so and why.
std::optional<std::string> chooseFile(const std::string& title, const std::string& filter,
                                      const std::string& defaultExtension, const std::string& startFolder);

}  // namespace platform::windows_backend
