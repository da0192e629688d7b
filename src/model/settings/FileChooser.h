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

    std::string DialogTitle, Filter, DefaultExt, InitDir;

    // Shows the chooser; returns the file name it holds when it closes.
    const std::string& ShowOpen();
    const std::string& FileName() const { return fileName_; }

private:
    platform::Platform& platform_;
    std::string fileName_;
};

}  // namespace model
