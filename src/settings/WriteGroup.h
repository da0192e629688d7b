#pragma once

#include <string>

#include "settings/Store.h"

namespace settings {

// Saves that belong together (a shut-down, a window's "Save") reach the
// settings file as one change: while a group lives, every save through its
// store is held, reads through the store see the held values, and when the
// outermost group ends all of them are written in one replace. Groups nest;
// an inner group's saves wait for the outermost one.
//
//     {
//         settings::WriteGroup group(store);
//         store.save("MAIN-Left", ...);
//         store.save("MAIN-Top", ...);
//     }  // one write here
//
// end() writes at once and says whether the outermost group's write worked,
// for a window that must tell the user when a save failed.
class WriteGroup {
public:
    explicit WriteGroup(Store& store);
    ~WriteGroup();
    WriteGroup(const WriteGroup&) = delete;
    WriteGroup& operator=(const WriteGroup&) = delete;

    // Ends the group now (the destructor then does nothing). An inner group
    // always answers success: its saves are written by the outermost one.
    platform::Result end();

private:
    Store& store_;
    bool ended_ = false;
};

// What a window says when a save failed: the backend's reason, in a sentence.
std::string saveFailure(const std::string& reason);

// Why a shut-down's save failed: the backend's reason without what it says
// of the rest of the session (its note), as the session is over then.
std::string shutdownFailureReason(const platform::Result& failed);
// What the program says of that once its window is gone: the changes are lost.
std::string lostAtShutdown(const std::string& reason);

}  // namespace settings
