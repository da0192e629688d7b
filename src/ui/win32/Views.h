#pragma once

#include "ui/win32/Win32WindowHost.h"

namespace ui::win32 {

// Registers on the program's host the secondary windows that need more than
// a plain form window with a fixed single border: the frame of the
// all-settings window and the views with a picture.
void registerViews(Win32WindowHost& host);

}  // namespace ui::win32
