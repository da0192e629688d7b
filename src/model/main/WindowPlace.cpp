#include "model/main/WindowPlace.h"

#include "settings/Values.h"
#include "settings/WriteGroup.h"

namespace model {

float usableSize(float stored, float layout) {
    return stored >= layout ? stored : layout;  // NaN too gets the layout's
}

WindowPlace::WindowPlace(settings::Store& store, const std::string& shortName)
    : store_(store), keys_(settings::keys::windowKeys(shortName)) {}

void WindowPlace::restore(form::Window& window) const {
    const auto size = [this](const std::string& key) {
        const float layout = settings::parseGeometry(settings::keys::info(key).defaultText).value_or(0);
        return usableSize(store_.getGeometry(key, layout), layout);
    };
    window.left = store_.getGeometry(keys_.left);
    window.top = store_.getGeometry(keys_.top);
    window.width = size(keys_.width);
    window.height = size(keys_.height);
    window.windowChanged();
}

void WindowPlace::store(const form::Window& window) const {
    // A place the view was never told is not stored: the stored one stays.
    if (!window.positionKnown) return;
    const settings::WriteGroup group(store_);  // left and top as one change
    store_.saveGeometry(keys_.left, window.left);
    store_.saveGeometry(keys_.top, window.top);
}

}  // namespace model
