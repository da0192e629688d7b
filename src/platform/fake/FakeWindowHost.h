#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "form/Window.h"

namespace platform {

// A window host for tests. Showing a window runs its start-up, then the
// script the test gave for that window's name (clicks, edits, virtual time
// passing: the window is open meanwhile), then closes it as its close box
// would unless the script closed it.
class FakeWindowHost final : public form::WindowHost {
public:
    using Script = std::function<void(form::Window&)>;

    void whileOpen(const std::string& windowName, Script script) { scripts_[windowName] = std::move(script); }

    void showModal(form::Window& window, form::Window& owner) override;
    void closeModals() override;
    void showMessage(form::Window& owner, const std::string& text) override {
        messages_.push_back({text, owner.name()});
    }

    // Names of the windows shown so far, in order, with their owners.
    struct Shown {
        std::string window, owner;
    };
    const std::vector<Shown>& shown() const { return shown_; }
    // The messages shown so far (text, owner), in order.
    const std::vector<Shown>& messages() const { return messages_; }
    void clearShown() { shown_.clear(); }
    // The windows open now, the newest last.
    const std::vector<form::Window*>& open() const { return open_; }

private:
    std::map<std::string, Script> scripts_;
    std::vector<Shown> shown_;
    std::vector<Shown> messages_;
    std::vector<form::Window*> open_;
};

}  // namespace platform
