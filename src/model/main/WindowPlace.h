#pragma once

#include <string>

#include "form/Window.h"
#include "settings/Keys.h"
#include "settings/Store.h"

namespace model {

// A stored outer size below the layout's would cut controls off, and 0 or a
// negative number from a damaged store leaves a sliver nobody can use (the
// size keys are never written, so it would stay that way): the layout's size
// is the least a window opens at. A larger size is the user's to choose.
float usableSize(float stored, float layout);

// Where a window sits: it reads its four geometry keys ("<NAME>-Left", -Top,
// -Width, -Height) when it opens, and stores only its left and top, as one
// change of the settings file, when it closes: where its view knows them.
class WindowPlace {
public:
    WindowPlace(settings::Store& store, const std::string& shortName);

    // Sets the window's left, top, width and height from the store (the size
    // never below the key's default, which is the layout's) and tells its view.
    void restore(form::Window& window) const;
    void store(const form::Window& window) const;

private:
    settings::Store& store_;
    settings::keys::WindowKeys keys_;
};

}  // namespace model
