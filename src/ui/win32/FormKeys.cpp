#include "ui/win32/FormView.h"

#include "ui/win32/Accessibility.h"
#include "ui/win32/ControlView.h"

// The controls' own messages the view takes part in: keys, double-clicks,
// focus marks and a screen reader's questions.
namespace ui::win32 {

namespace {

// The control with the focus, as its messages tell: only it paints a mark.
HWND g_focused = nullptr;

}  // namespace

LRESULT CALLBACK FormView::controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const Adopted* found = adopted(hwnd);
    if (!found) return DefWindowProcW(hwnd, message, wParam, lParam);
    const Adopted entry = *found;
    const WNDPROC system = entry.system;
    if (message == WM_SETFOCUS) g_focused = hwnd;
    if (message == WM_KILLFOCUS && g_focused == hwnd) g_focused = nullptr;
    if (message == WM_NCDESTROY) forget(hwnd);
    // Most messages, paints above all, go straight on.
    if (message == WM_PAINT && g_focused != hwnd)
        return CallWindowProcW(system, hwnd, message, wParam, lParam);
    switch (message) {
        case WM_GETOBJECT:
        case WM_GETDLGCODE:
        case WM_KEYDOWN:
        case WM_CHAR:
        case WM_LBUTTONDBLCLK:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_PAINT:
            if (auto* form = reinterpret_cast<FormView*>(GetWindowLongPtrW(GetParent(hwnd), GWLP_USERDATA)))
                if (form->viewOf(hwnd) == entry.view)
                    return form->controlMessage(*entry.view, system, message, wParam, lParam);
            break;
        default:
            break;
    }
    return CallWindowProcW(system, hwnd, message, wParam, lParam);
}

namespace {

// A control that does something on a double-click (or a click, for a label)
// does it on Space, and on Enter where no default button takes Enter, when it
// has the focus: the keyboard's way to it. A field's Space is a character, so
// only a read-only box takes it.
bool actsOnKeys(const ControlView& view) {
    if (view.kind == Kind::TextBox) {
        const auto& box = static_cast<const form::TextBox&>(view.control);
        return box.readOnly && box.onDblClick;
    }
    if (view.kind == Kind::Label) {
        const auto& label = static_cast<const form::Label&>(view.control);
        return label.onDblClick || label.onClick;
    }
    return false;
}

// Enter and Space, as keys and as their characters ('\r' and ' ').
bool isActionKey(WPARAM key) {
    return key == VK_RETURN || key == VK_SPACE;
}

// A label, a picture or a read-only box shows no focus of its own (a box's
// caret and selection are hard to see in a slot's light): the view marks it.
bool marksFocus(const ControlView& view) {
    return view.kind == Kind::Label || view.kind == Kind::Other ||
           (view.kind == Kind::TextBox && static_cast<const form::TextBox&>(view.control).readOnly);
}

}  // namespace

LRESULT FormView::controlMessage(ControlView& view, WNDPROC system, UINT message, WPARAM wParam,
                                 LPARAM lParam) {
    const HWND hwnd = view.hwnd;
    auto passOn = [&] { return CallWindowProcW(system, hwnd, message, wParam, lParam); };
    switch (message) {
        case WM_GETOBJECT:
            noteAccessed();
            if (const LRESULT object = accessibleObject(hwnd, wParam, lParam)) return object;
            break;
        case WM_GETDLGCODE: {
            // Enter stays the default button's (OK) where the window has one
            // that can be pressed, as in any dialog; elsewhere the box takes it.
            LRESULT code = passOn();
            const auto* key = reinterpret_cast<const MSG*>(lParam);
            if (key && (key->message == WM_KEYDOWN || key->message == WM_CHAR) && key->wParam == VK_RETURN &&
                actsOnKeys(view) &&
                !(defaultButton_ && IsWindowVisible(defaultButton_->hwnd) &&
                  IsWindowEnabled(defaultButton_->hwnd)))
                code |= DLGC_WANTMESSAGE;
            return code;
        }
        case WM_KEYDOWN:
            if (isActionKey(wParam) && actsOnKeys(view)) {
                if (lParam & (1 << 30)) return 0;  // a key held down acts once
                if (view.kind == Kind::TextBox) {
                    static_cast<form::TextBox&>(view.control).dblClick();
                } else if (auto& label = static_cast<form::Label&>(view.control); label.onDblClick) {
                    label.dblClick();
                } else {
                    label.click();
                }
                return 0;
            }
            break;
        case WM_CHAR:
            // A read-only box would beep at the keys' characters.
            if (isActionKey(wParam) && actsOnKeys(view)) return 0;
            break;
        case WM_LBUTTONDBLCLK: {
            // An edit box tells its parent of no double-click; the box first
            // selects the word under the pointer, as it always does.
            const LRESULT result = passOn();
            if (view.kind == Kind::TextBox) static_cast<form::TextBox&>(view.control).dblClick();
            return result;
        }
        case WM_SETFOCUS:
        case WM_KILLFOCUS: {
            const LRESULT result = passOn();
            if (marksFocus(view)) InvalidateRect(hwnd, nullptr, TRUE);
            // The focus leaves the box only when it moves on within the
            // window; another window coming to the front keeps it here.
            const auto next = reinterpret_cast<HWND>(wParam);
            if (message == WM_KILLFOCUS && view.kind == Kind::TextBox && next && IsChild(hwnd_, next)) {
                auto& box = static_cast<form::TextBox&>(view.control);
                if (box.onLostFocus) box.onLostFocus();
            }
            return result;
        }
        case WM_PAINT: {
            if (!marksFocus(view)) break;
            // The mark is drawn over what this paint renews and nowhere else,
            // as it inverts what lies under it.
            const HRGN renewed = CreateRectRgn(0, 0, 0, 0);
            GetUpdateRgn(hwnd, renewed, FALSE);
            const LRESULT result = passOn();
            RECT client{};
            GetClientRect(hwnd, &client);
            if (HDC dc = GetDC(hwnd)) {
                SelectClipRgn(dc, renewed);
                DrawFocusRect(dc, &client);
                ReleaseDC(hwnd, dc);
            }
            DeleteObject(renewed);
            return result;
        }
        default:
            break;
    }
    return passOn();
}

}  // namespace ui::win32
