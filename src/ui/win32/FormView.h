#pragma once

#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <functional>
#include <memory>
#include <vector>

#include "form/Accessible.h"
#include "form/Window.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/Names.h"

namespace ui::win32 {

// A kind of top-level window: its window class and its fixed frame.
struct Frame {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

// The main window: fixed single border, system menu and minimise button.
extern const Frame kMainFrame;
// A secondary window: fixed single border and system menu only.
extern const Frame kSecondaryFrame;
// A secondary window with a fixed dialog frame.
extern const Frame kDialogFrame;

struct ControlView;
class Announcer;

// The Win32 view of one window model: a system control per model control at
// its twip box, the window's lines, and the window itself (caption, fixed
// outer size and position in twips). The model is the truth; this renders it,
// touches only the controls whose state changed, and forwards the user's
// clicks, double-clicks (or Enter and Space on the control), edits and the
// close box to the model. Each control answers a screen reader with the
// model's words (form/Accessible.h).
class FormView {
public:
    FormView(form::Window& window, HWND owner, const Frame& frame);
    virtual ~FormView();
    FormView(const FormView&) = delete;
    FormView& operator=(const FormView&) = delete;

    HWND hwnd() const { return hwnd_; }
    form::Window& model() { return window_; }
    int dpi() const { return dpi_; }

    // Creates the controls' windows. Call once, after construction.
    void buildControls();
    // Shows the window and gives the focus to the first in keyboard order.
    void show(int showCommand = SW_SHOWNORMAL);

    // Shut-down, once: records the window's position in the model and runs
    // its unload; then tells onClosed. The close box runs it.
    void unload();
    std::function<void()> onClosed;
    // Runs before a close's shut-down (the host closes the windows this one owns).
    std::function<void()> beforeClose;
    // Sees every message of the window first; true when it handled it.
    std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)> messageHook;
    // Escape closes the window as its close box would (dialogs).
    bool escapeCloses = false;

    // Paints what is pending now, for a handler about to block the thread.
    void paintNow();

    // The view behind a top-level window of this program, or nullptr.
    static FormView* fromHwnd(HWND hwnd);

protected:
    // Creates the window of a control kind the generic view does not know
    // (a picture box, say); nullptr leaves the control without a view.
    virtual HWND createOther(form::Control& control, DWORD style, int id);
    // Paints a picture over a button after the system has drawn it; true if
    // the button has one.
    virtual bool paintButtonPicture(form::Control& control, HDC dc, const RECT& client);

    HINSTANCE instance() const;
    FontCache& fonts() { return fonts_; }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT controlMessage(ControlView& view, WNDPROC system, UINT message, WPARAM wParam, LPARAM lParam);
    // A screen reader has asked about this window: from now on it is told of changes.
    void noteAccessed();
    // Tells a screen reader that has asked what changed of the control.
    void tellReader(ControlView& view, form::Property property);
    // From now on the window's announcements go to the system.
    void listen();

    HWND createControl(ControlView& view, int id);
    void refresh(ControlView& view, form::Property property);
    void showText(ControlView& view);
    void showValue(ControlView& view);
    void showToolTip(ControlView& view);
    void command(ControlView& view, int code);
    void edited(ControlView& view);
    void showDefault(ControlView* focused);
    LRESULT defaultId() const;
    LRESULT customDraw(ControlView& view, NMCUSTOMDRAW& draw);
    LRESULT colours(HWND control, HDC dc, UINT message, WPARAM wParam, LPARAM lParam);
    void paintLines(HDC dc);
    void layOutControls();
    void uncoverFields();
    void applyWindow();
    void recordPosition();
    void detach();
    void nameAll();
    void removeNames();
    ControlView* viewOf(HWND control) const;

    form::Window& window_;
    HWND hwnd_ = nullptr;
    HWND tooltip_ = nullptr;
    HWND lastFocus_ = nullptr;
    ControlView* defaultButton_ = nullptr;  // the layout's default button, if any
    int dpi_ = 96;
    POINT restored_{};  // outer top-left while not minimised
    bool unloaded_ = false;
    bool updating_ = false;  // the view itself is setting a control's text
    bool named_ = false;     // the windows carry their names
    bool accessed_ = false;  // a screen reader has asked about the window
    std::vector<std::unique_ptr<ControlView>> views_;
    std::unique_ptr<Announcer> announcer_;  // once a reader may listen
    FontCache fonts_;
    BrushCache brushes_;
};

}  // namespace ui::win32
