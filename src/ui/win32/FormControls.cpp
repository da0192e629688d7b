#include "ui/win32/FormView.h"

#include "form/Pixels.h"
#include "platform/win32text/WideText.h"
#include "ui/win32/ControlView.h"

// The view's side of each control: made from its model, kept up to date with
// it, and its notifications handed back.
namespace ui::win32 {

HWND FormView::createControl(ControlView& view, int id) {
    const form::Control& c = view.control;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    if (c.visible()) style |= WS_VISIBLE;
    if (!c.enabled()) style |= WS_DISABLED;
    if (c.tabIndex >= 0) style |= WS_TABSTOP;
    const wchar_t* cls = nullptr;
    DWORD exStyle = 0;
    switch (view.kind) {
        case Kind::Label:
            cls = L"STATIC";
            style |= SS_NOTIFY | SS_NOPREFIX | (c.centred ? SS_CENTER : SS_LEFT);
            break;
        case Kind::TextBox:
            cls = L"EDIT";
            exStyle = WS_EX_CLIENTEDGE;
            style |= ES_AUTOHSCROLL | (c.centred ? ES_CENTER : ES_LEFT);
            if (static_cast<const form::TextBox&>(c).readOnly) style |= ES_READONLY;
            break;
        case Kind::TickBox:
            cls = L"BUTTON";
            style |= BS_AUTOCHECKBOX;
            break;
        case Kind::Button:
            cls = L"BUTTON";
            // Told of the focus, so that the default look can follow it.
            style |= BS_NOTIFY |
                     (static_cast<const form::Button&>(c).isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
            break;
        case Kind::Other:
            view.hwnd = createOther(view.control, style, id);
            break;
    }
    if (cls) {
        // Made with its text rather than given it afterwards: one change less
        // for each of the controls.
        const form::PixelBox at = form::toPx(c.box, dpi_);
        view.hwnd = CreateWindowExW(exStyle, cls, shownText(view).c_str(), style, at.left, at.top, at.width,
                                    at.height, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                    instance(), nullptr);
    }
    if (!view.hwnd) return nullptr;
    // Every control answers a screen reader and the keys through the view.
    // Unlike a subclass with a property of its own, this costs no look-up in
    // the window manager per message.
    adopt(view, controlProc);
    if (named_) setName(view.hwnd, c.name());
    SendMessageW(view.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.font(c.font, dpi_)), FALSE);
    if (view.kind == Kind::TickBox) showValue(view);
    showToolTip(view);
    return view.hwnd;
}

void FormView::refresh(ControlView& view, form::Property property) {
    if (!view.hwnd) return;
    const form::Control& c = view.control;
    switch (property) {
        case form::Property::Text:
            showText(view);
            break;
        case form::Property::Value:
            showValue(view);
            break;
        case form::Property::BackColour:
        case form::Property::ForeColour:
            InvalidateRect(view.hwnd, nullptr, TRUE);
            break;
        case form::Property::Enabled:
            EnableWindow(view.hwnd, c.enabled());
            break;
        case form::Property::Visible:
            ShowWindow(view.hwnd, c.visible() ? SW_SHOWNOACTIVATE : SW_HIDE);
            break;
        case form::Property::ToolTip:
            showToolTip(view);
            break;
        case form::Property::Accessible:
            break;
    }
    tellReader(view, property);
}

void FormView::showText(ControlView& view) {
    const std::wstring text = shownText(view);
    // Skip our own echo while the user types, or the caret would jump.
    if (windowText(view.hwnd) == text) return;
    updating_ = true;
    SetWindowTextW(view.hwnd, text.c_str());
    updating_ = false;
}

void FormView::showValue(ControlView& view) {
    const auto value = static_cast<form::TickBox&>(view.control).value();
    // Only a three-state box shows the greyed state. The style changes (and
    // redraws the box) only when the greyed value comes or goes.
    if ((value == 2) != view.threeState) {
        view.threeState = value == 2;
        SendMessageW(view.hwnd, BM_SETSTYLE, view.threeState ? BS_AUTO3STATE : BS_AUTOCHECKBOX, TRUE);
    }
    SendMessageW(view.hwnd, BM_SETCHECK,
                 value == 1   ? BST_CHECKED
                 : value == 2 ? BST_INDETERMINATE
                              : BST_UNCHECKED,
                 0);
}

void FormView::showToolTip(ControlView& view) {
    if (!tooltip_) return;
    std::wstring text = platform::toWide(view.control.toolTip());
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(view.hwnd);
    tool.lpszText = text.data();
    if (text.empty()) {
        if (view.hasTip) SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        view.hasTip = false;
    } else if (view.hasTip) {
        SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    } else {
        view.hasTip = SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
    }
}

void FormView::command(ControlView& view, int code) {
    switch (view.kind) {
        case Kind::Button:
            if (code == BN_CLICKED) static_cast<form::Button&>(view.control).click();
            if (code == BN_SETFOCUS || code == BN_KILLFOCUS)
                showDefault(code == BN_SETFOCUS ? &view : nullptr);
            break;
        case Kind::TickBox:
            if (code == BN_CLICKED) {
                static_cast<form::TickBox&>(view.control).click();
                // The model reports a change itself; this covers a handler
                // that put the value back, which the box must not contradict.
                if (view.hwnd) showValue(view);
            }
            break;
        case Kind::Label:
            if (code == STN_CLICKED) static_cast<form::Label&>(view.control).click();
            if (code == STN_DBLCLK) static_cast<form::Label&>(view.control).dblClick();
            break;
        case Kind::TextBox:
            if (code == EN_CHANGE && !updating_) edited(view);
            break;
        case Kind::Other:
            break;
    }
}

// As in a dialog, a push button with the focus is the one Enter presses and
// looks it; while none has it, the window's default button is, if it has one.
void FormView::showDefault(ControlView* focused) {
    for (const auto& view : views_) {
        if (view->kind != Kind::Button || !view->hwnd) continue;
        const bool isDefault = focused ? view.get() == focused : view.get() == defaultButton_;
        const LONG_PTR type = GetWindowLongPtrW(view->hwnd, GWL_STYLE) & BS_TYPEMASK;
        if ((type == BS_DEFPUSHBUTTON) != isDefault)
            SendMessageW(view->hwnd, BM_SETSTYLE, BS_NOTIFY | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                         TRUE);
    }
}

LRESULT FormView::defaultId() const {
    const HWND focus = GetFocus();
    const ControlView* focused = viewOf(focus);
    const ControlView* pressed = focused && focused->kind == Kind::Button ? focused : defaultButton_;
    if (!pressed || !pressed->hwnd || !IsWindowVisible(pressed->hwnd) || !IsWindowEnabled(pressed->hwnd))
        return 0;
    return MAKELRESULT(GetDlgCtrlID(pressed->hwnd), DC_HASDEFID);
}

void FormView::edited(ControlView& view) {
    static_cast<form::TextBox&>(view.control).setText(platform::toUtf8(windowText(view.hwnd)));
}

}  // namespace ui::win32
