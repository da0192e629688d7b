#include "platform/fake/FakeWindowHost.h"

#include <algorithm>

namespace platform {

void FakeWindowHost::showModal(form::Window& window, form::Window& owner) {
    window.Form_Load();
    shown_.push_back({window.name(), owner.name()});
    open_.push_back(&window);
    if (const auto script = scripts_.find(window.name()); script != scripts_.end() && !window.unloaded())
        script->second(window);
    if (!window.unloaded()) window.Close();
    open_.erase(std::find(open_.begin(), open_.end(), &window));
}

void FakeWindowHost::closeModals() {
    const std::vector<form::Window*> open = open_;
    for (auto it = open.rbegin(); it != open.rend(); ++it) (*it)->Close();
}

}  // namespace platform
