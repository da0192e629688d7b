#pragma once

#include "model/pictures/Drawing.h"
#include "ui/win32/FormView.h"
#include "ui/win32/Win32WindowHost.h"

namespace ui::win32 {

// VELMORA_ABOUT's view: a plain form window plus its picture box, a sunken
// box that paints the About picture.
class AboutView : public FormView {
public:
    AboutView(form::Window& window, HWND owner);

protected:
    HWND createOther(form::Control& control, DWORD style, int id) override;

private:
    static LRESULT CALLBACK pictureProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    model::pictures::Drawing picture_;
};

// The single-task settings window: a plain window but for its browse button,
// which shows a small document picture instead of a caption.
class SingleSettingsView : public FormView {
public:
    SingleSettingsView(form::Window& window, HWND owner) : FormView(window, owner, kSecondaryFrame) {}

protected:
    bool paintButtonPicture(form::Control& control, HDC dc, const RECT& client) override;
};

// Registers on the program's host the secondary windows that need more than
// a plain form window with a fixed single border: the frame of the
// all-settings window and the views with a picture.
void registerViews(Win32WindowHost& host);

}  // namespace ui::win32
