#include "ui/win32/Desktop.h"

namespace ui::win32 {

namespace {

BOOL CALLBACK addScreen(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    const auto box = [](const RECT& r) {
        return form::PixelBox{r.left, r.top, r.right - r.left, r.bottom - r.top};
    };
    auto& screens = *reinterpret_cast<std::vector<form::Screen>*>(list);
    const form::Screen screen{box(info.rcMonitor), box(info.rcWork)};
    // The primary first: a window lost off every monitor goes there.
    if (info.dwFlags & MONITORINFOF_PRIMARY)
        screens.insert(screens.begin(), screen);
    else
        screens.push_back(screen);
    return TRUE;
}

}  // namespace

int dpiOf(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && hwnd) {
        const UINT dpi = getDpiForWindow(hwnd);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

std::vector<form::Screen> screens() {
    std::vector<form::Screen> list;
    EnumDisplayMonitors(nullptr, nullptr, addScreen, reinterpret_cast<LPARAM>(&list));
    return list;
}

}  // namespace ui::win32
