#pragma once

#include <windows.h>

#include <vector>

#include "form/Placement.h"

namespace ui::win32 {

// The DPI the window is shown at: its monitor's where the system tells
// (Windows 10 1607 and later), else the desktop's.
int dpiOf(HWND hwnd);

// Every monitor of the desktop, the primary first.
std::vector<form::Screen> screens();

}  // namespace ui::win32
