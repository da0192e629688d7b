#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "form/Window.h"
#include "ui/win32/FormView.h"

namespace ui::win32 {

// Runs the thread's messages until `done` says so or the program quits (the
// quit is posted again for the loop outside). Keys go through the dialog
// keys (Tab, Escape, Space) of the program's window they are meant for.
// Returns the quit's exit code, or 0 when `done`.
int runMessages(const std::function<bool()>& done);

// Shows window models as Win32 windows. A window whose name has a view of its
// own registered gets that view; any other a plain FormView. A modal window
// disables its owner and runs its own message loop until it closes, so every
// timer keeps ticking.
class Win32WindowHost final : public form::WindowHost {
public:
    using ViewFactory = std::function<std::unique_ptr<FormView>(form::Window& window, HWND owner)>;

    // A long-lived window (the main window) that may own modal windows. When
    // it closes, the modal windows still open close first.
    void addWindow(FormView& view);

    void setViewFactory(const std::string& windowName, ViewFactory factory);

    void showModal(form::Window& window, form::Window& owner) override;
    void closeModals() override;
    void showMessage(form::Window& owner, const std::string& text) override;

    // The modal windows open now, the newest last.
    const std::vector<FormView*>& modals() const { return modals_; }

private:
    FormView* viewOf(form::Window& window) const;

    std::map<std::string, ViewFactory> factories_;
    std::vector<FormView*> windows_;  // long-lived ones
    std::vector<FormView*> modals_;   // open modal views, newest last
};

}  // namespace ui::win32
