#pragma once

#include <optional>
#include <string>

#include "platform/Platform.h"

namespace model {

// The settings window's file chooser.
class FileChooser {
public:
    explicit FileChooser(platform::Platform& platform) : platform_(platform) {}

    std::string title, filter, defaultExtension, startFolder;

    // Shows the chooser; returns the file the user confirmed, or nothing after
    // a cancel, so that a cancel never takes away what the field holds.
    std::optional<std::string> show();

private:
    platform::Platform& platform_;
};

}  // namespace model
