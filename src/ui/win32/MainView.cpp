#include "ui/win32/MainView.h"

#include <cstdint>

namespace ui::win32 {

MainView::MainView(model::MainForm& form) : FormView(form, nullptr, kMainFrame), form_(form) {
    buildControls();
    form.windowHandle = [this]() -> platform::WindowHandle {
        return static_cast<platform::WindowHandle>(reinterpret_cast<std::uintptr_t>(hwnd()));
    };
    // Any window of this process: a modal window over this one, or the file
    // chooser one of them shows.
    form.ownsWindow = [](platform::WindowHandle handle) {
        const auto window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
        DWORD process = 0;
        return handle != 0 && IsWindowVisible(window) && GetWindowThreadProcessId(window, &process) != 0 &&
               process == GetCurrentProcessId();
    };
}

MainView::~MainView() {
    form_.windowHandle = nullptr;
    form_.ownsWindow = nullptr;
}

}  // namespace ui::win32
