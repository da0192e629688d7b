#include "settings/WriteGroup.h"

namespace settings {

WriteGroup::WriteGroup(Store& store) : store_(store) {
    store_.beginGroup();
}

WriteGroup::~WriteGroup() {
    if (!ended_) store_.endGroup();
}

platform::Result WriteGroup::end() {
    if (ended_) return platform::Result::success();
    ended_ = true;
    return store_.endGroup();
}

std::string saveFailure(const std::string& reason) {
    return "The settings could not be saved: " + reason + ".";
}

}  // namespace settings
