#include "ui/win32/ControlView.h"

#include <unordered_map>

#include "platform/win32text/WideText.h"
#include "ui/win32/Units.h"

namespace ui::win32 {

namespace {

std::unordered_map<HWND, Adopted> g_adopted;

const std::string& textOf(const ControlView& view) {
    static const std::string none;
    switch (view.kind) {
        case Kind::Label:
            return static_cast<form::Label&>(view.control).caption();
        case Kind::TextBox:
            return static_cast<form::TextBox&>(view.control).text();
        case Kind::TickBox:
            return static_cast<form::TickBox&>(view.control).caption();
        case Kind::Button:
            return static_cast<form::Button&>(view.control).caption();
        default:
            return none;
    }
}

}  // namespace

Kind kindOf(form::Control& control) {
    if (dynamic_cast<form::Label*>(&control)) return Kind::Label;
    if (dynamic_cast<form::TextBox*>(&control)) return Kind::TextBox;
    if (dynamic_cast<form::TickBox*>(&control)) return Kind::TickBox;
    if (dynamic_cast<form::Button*>(&control)) return Kind::Button;
    return Kind::Other;
}

std::wstring shownText(const ControlView& view) {
    std::wstring text = platform::toWide(textOf(view));
    if (view.kind == Kind::Button || view.kind == Kind::TickBox) text = literalCaption(text);
    if (view.kind == Kind::TextBox && static_cast<const form::TextBox&>(view.control).readOnly)
        text = singleLine(text);
    return text;
}

std::wstring windowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

void adopt(ControlView& view, WNDPROC proc) {
    g_adopted[view.hwnd] = {reinterpret_cast<WNDPROC>(
                                SetWindowLongPtrW(view.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc))),
                            &view};
}

const Adopted* adopted(HWND control) {
    const auto found = g_adopted.find(control);
    return found == g_adopted.end() ? nullptr : &found->second;
}

void forget(HWND control) {
    g_adopted.erase(control);
}

}  // namespace ui::win32
