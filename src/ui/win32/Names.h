#pragma once

#include <windows.h>

#include <string>

namespace ui::win32 {

// The property that carries each window's model name (a global atom), so
// that tests and tools find a control by the name the model gives it. A
// window and its controls are named when the window is first sent the
// registered message below, so a start that nobody inspects costs nothing.
inline constexpr const wchar_t* kNameProperty = L"VelmoraName";
inline constexpr const wchar_t* kNameMessage = L"VelmoraNameControls";

// Gives a window its model name; takes it away again, as the window goes.
void setName(HWND hwnd, const std::string& name);
void removeName(HWND hwnd);

}  // namespace ui::win32
