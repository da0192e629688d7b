#include "ui/win32/Views.h"

namespace ui::win32 {

void registerViews(Win32WindowHost& host) {
    host.setViewFactory("VELMORA_SETTINGS", [](form::Window& window, HWND owner) {
        return std::make_unique<FormView>(window, owner, kDialogFrame);
    });
}

}  // namespace ui::win32
