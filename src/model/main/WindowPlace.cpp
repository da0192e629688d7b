#include "model/main/WindowPlace.h"

#include "settings/Keys.h"
#include "settings/WriteGroup.h"

namespace model {

float usableSize(float stored, float layout) {
    return stored >= layout ? stored : layout;  // NaN too gets the layout's
}

WindowPlace::WindowPlace(settings::Store& store, const std::string& shortName, float defaultWidth,
                         float defaultHeight)
    : store_(store), defaultWidth_(defaultWidth), defaultHeight_(defaultHeight) {
    const settings::keys::WindowKeys keys = settings::keys::windowKeys(shortName);
    left_ = keys.left;
    top_ = keys.top;
    width_ = keys.width;
    height_ = keys.height;
}

void WindowPlace::restore(form::Window& window) const {
    window.left = store_.getGeometry(left_, 1000);
    window.top = store_.getGeometry(top_, 1000);
    window.width = usableSize(store_.getGeometry(width_, defaultWidth_), defaultWidth_);
    window.height = usableSize(store_.getGeometry(height_, defaultHeight_), defaultHeight_);
    window.windowChanged();
}

void WindowPlace::store(const form::Window& window) const {
    const settings::WriteGroup group(store_);  // left and top as one change
    store_.saveGeometry(left_, window.left);
    store_.saveGeometry(top_, window.top);
}

}  // namespace model
