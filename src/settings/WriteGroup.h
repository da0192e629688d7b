#pragma once

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
class WriteGroup {
public:
    explicit WriteGroup(Store& store);
    ~WriteGroup();
    WriteGroup(const WriteGroup&) = delete;
    WriteGroup& operator=(const WriteGroup&) = delete;

private:
    Store& store_;
};

}  // namespace settings
