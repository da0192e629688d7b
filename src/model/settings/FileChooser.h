#pragma once

#include <optional>
#include <string>

#include "platform/Platform.h"

namespace model {

// The settings window's file chooser: it remembers the last path confirmed
// in it for as long as its window is open, and after a cancel answers with
// that path (or "" when nothing was confirmed yet).
class FileChooser {
public:
    explicit FileChooser(platform::Platform& platform) : platform_(platform) {}

    std::string title, filter, defaultExtension, startFolder;

    // Shows the chooser; returns the file name it holds when it closes.
    const std::string& show();
    const std::string& fileName() const { return fileName_; }

private:
    platform::Platform& platform_;
    std::string fileName_;
};

}  // namespace model
