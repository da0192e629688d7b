#include "ui/win32/FormView.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>

#include "form/Placement.h"
#include "platform/win32text/WideText.h"
#include "ui/win32/Accessibility.h"
#include "ui/win32/Units.h"

namespace ui::win32 {

const Frame kMainFrame{L"VelmoraMainWindow", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0};
// Secondary windows are pop-ups over their owners, as dialogs are.
const Frame kSecondaryFrame{L"VelmoraWindow", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0};
const Frame kDialogFrame{L"VelmoraWindow", WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME};

enum class Kind { Label, TextBox, TickBox, Button, Other };

struct ControlView {
    form::Control& control;
    Kind kind;
    HWND hwnd = nullptr;
    bool hasTip = false;
    bool threeState = false;  // a tick box made BS_AUTO3STATE to show the greyed value
    form::Accessible said{};  // what a screen reader was last told, once one asks
};

namespace {

constexpr int kFirstId = 100;  // clear of IDOK and IDCANCEL, which the dialog keys send

// Each control's own procedure, by window, and the control with the focus,
// as its messages tell. Kept here rather than asked of the system, which
// would cost a call to the window manager per control at each start and per
// paint; the views live on the one thread that runs the windows.
std::unordered_map<HWND, WNDPROC> g_systemProcs;
HWND g_focused = nullptr;

Kind kindOf(form::Control& control) {
    if (dynamic_cast<form::Label*>(&control)) return Kind::Label;
    if (dynamic_cast<form::TextBox*>(&control)) return Kind::TextBox;
    if (dynamic_cast<form::TickBox*>(&control)) return Kind::TickBox;
    if (dynamic_cast<form::Button*>(&control)) return Kind::Button;
    return Kind::Other;
}

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

// The text as the control shows it.
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

void setName(HWND hwnd, const std::string& name) {
    const ATOM atom = GlobalAddAtomW(platform::toWide(name).c_str());
    if (atom != 0) SetPropW(hwnd, kNameProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom)));
}

void removeName(HWND hwnd) {
    const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(RemovePropW(hwnd, kNameProperty)));
    if (atom != 0) GlobalDeleteAtom(atom);
}

// The DPI the window is shown at: its monitor's where the system tells
// (Windows 10 1607 and later), else the desktop's.
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

// Every monitor of the desktop, the primary first.
std::vector<form::Screen> screens() {
    std::vector<form::Screen> list;
    EnumDisplayMonitors(nullptr, nullptr, addScreen, reinterpret_cast<LPARAM>(&list));
    return list;
}

void registerClass(const wchar_t* name, WNDPROC proc, HINSTANCE instance) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, name, &existing)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    // The program's icon is resource 1 of the executable.
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hIconSm =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

}  // namespace

FormView::FormView(form::Window& window, HWND owner, const Frame& frame) : window_(window) {
    registerClass(frame.className, windowProc, instance());
    dpi_ = dpiOf(nullptr);
    hwnd_ = CreateWindowExW(frame.exStyle | WS_EX_CONTROLPARENT, frame.className,
                            platform::toWide(window_.caption).c_str(), frame.style | WS_CLIPCHILDREN,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                            instance(), this);
    if (!hwnd_) return;
    dpi_ = dpiOf(hwnd_);
    window_.onWindowChanged = [this] { applyWindow(); };
    window_.onSyncGeometry = [this] { recordPosition(); };
    window_.onCloseRequested = [this] {
        if (hwnd_) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
        unload();  // in case the window is gone already
    };
    applyWindow();
}

FormView::~FormView() {
    window_.onWindowChanged = nullptr;
    window_.onSyncGeometry = nullptr;
    window_.onCloseRequested = nullptr;
    detach();
    if (hwnd_) DestroyWindow(hwnd_);
}

HINSTANCE FormView::instance() const {
    return GetModuleHandleW(nullptr);
}

FormView* FormView::fromHwnd(HWND hwnd) {
    if (!hwnd) return nullptr;
    wchar_t name[32] = {};
    if (!GetClassNameW(hwnd, name, 32)) return nullptr;
    const std::wstring cls(name);
    if (cls != kMainFrame.className && cls != kSecondaryFrame.className) return nullptr;
    if (GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId()) return nullptr;
    return reinterpret_cast<FormView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void FormView::buildControls() {
    if (!hwnd_ || !views_.empty()) return;
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance(), nullptr);

    // The dialog keys walk the controls in the order of their windows, so
    // those that take the focus come first, in keyboard order. The rest follow
    // with later controls above earlier ones (a lamp over its background).
    std::vector<form::Control*> all = window_.controls();
    std::vector<form::Control*> order;
    std::copy_if(all.begin(), all.end(), std::back_inserter(order), [](auto* c) { return c->tabIndex >= 0; });
    std::stable_sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });
    std::copy_if(all.rbegin(), all.rend(), std::back_inserter(order),
                 [](auto* c) { return c->tabIndex < 0; });

    // A control's id is its place in views_ (after kFirstId): viewOf finds it
    // by the id the window carries anyway.
    for (form::Control* control : order) {
        views_.push_back(std::make_unique<ControlView>(ControlView{*control, kindOf(*control)}));
        ControlView* v = views_.back().get();
        if (!createControl(*v, kFirstId + static_cast<int>(views_.size()) - 1)) {
            views_.pop_back();
            continue;
        }
        control->setObserver([this, v](form::Property p) { refresh(*v, p); });
        if (v->kind == Kind::Button && static_cast<form::Button*>(control)->isDefault) defaultButton_ = v;
    }
}

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
    g_systemProcs[view.hwnd] = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(view.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProc)));
    if (named_) setName(view.hwnd, c.name());
    SendMessageW(view.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.font(c.font, dpi_)), FALSE);
    if (view.kind == Kind::TickBox) showValue(view);
    showToolTip(view);
    return view.hwnd;
}

HWND FormView::createOther(form::Control&, DWORD, int) {
    return nullptr;
}

bool FormView::paintButtonPicture(form::Control&, HDC, const RECT&) {
    return false;
}

ControlView* FormView::viewOf(HWND control) const {
    if (!control || GetParent(control) != hwnd_) return nullptr;
    const auto index = static_cast<std::size_t>(GetDlgCtrlID(control) - kFirstId);
    if (index >= views_.size() || views_[index]->hwnd != control) return nullptr;
    return views_[index].get();
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
    // Once a screen reader has asked about this window, it hears what changed.
    if (accessed_ && (property == form::Property::Text || property == form::Property::Value ||
                      property == form::Property::Accessible)) {
        form::Accessible now = form::accessibleOf(c);
        announce(view.hwnd, view.said, now, c.accessibleName().empty(), property == form::Property::Text);
        view.said = std::move(now);
    }
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

LRESULT FormView::customDraw(ControlView& view, NMCUSTOMDRAW& draw) {
    if (view.kind != Kind::Button) return CDRF_DODEFAULT;
    if (draw.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYPOSTPAINT;
    if (draw.dwDrawStage == CDDS_POSTPAINT) {
        RECT client{};
        GetClientRect(view.hwnd, &client);
        paintButtonPicture(view.control, draw.hdc, client);
    }
    return CDRF_DODEFAULT;
}

LRESULT FormView::colours(HWND control, HDC dc, UINT message, WPARAM wParam, LPARAM lParam) {
    const ControlView* view = viewOf(control);
    if (!view) return DefWindowProcW(hwnd_, message, wParam, lParam);
    const form::Control& c = view->control;
    // Disabled text keeps the system's grey.
    if (c.enabled()) SetTextColor(dc, toColorRef(c.foreColour()));
    SetBkColor(dc, toColorRef(c.backColour()));
    return reinterpret_cast<LRESULT>(brushes_.brush(c.backColour()));
}

void FormView::paintLines(HDC dc) {
    for (const form::Line& line : window_.lines) {
        LOGBRUSH brush{BS_SOLID, toColorRef(line.colour), 0};
        const int width = std::max(1, form::scalePx(line.width, dpi_));
        UniquePen pen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, static_cast<DWORD>(width),
                                   &brush, 0, nullptr));
        if (!pen) continue;
        const HGDIOBJ old = SelectObject(dc, pen.get());
        MoveToEx(dc, form::toPx(line.x1, dpi_), form::toPx(line.y1, dpi_), nullptr);
        LineTo(dc, form::toPx(line.x2, dpi_), form::toPx(line.y2, dpi_));
        SelectObject(dc, old);
    }
}

void FormView::layOutControls() {
    for (const auto& view : views_) {
        const form::PixelBox at = form::toPx(view->control.box, dpi_);
        SetWindowPos(view->hwnd, nullptr, at.left, at.top, at.width, at.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(view->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.font(view->control.font, dpi_)),
                     TRUE);
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void FormView::applyWindow() {
    if (!hwnd_) return;
    SetWindowTextW(hwnd_, platform::toWide(window_.caption).c_str());
    const form::PixelBox frame = form::placeWindow(window_, screens(), dpi_);
    SetWindowPos(hwnd_, nullptr, frame.left, frame.top, frame.width, frame.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    restored_ = {frame.left, frame.top};
}

void FormView::recordPosition() {
    if (!hwnd_) return;
    POINT outer = restored_;
    RECT rect{};
    if (!IsIconic(hwnd_) && GetWindowRect(hwnd_, &rect)) outer = {rect.left, rect.top};
    form::recordPosition(window_, outer.x, outer.y, dpi_);
}

void FormView::show(int showCommand) {
    if (!hwnd_) return;
    ShowWindow(hwnd_, showCommand);
    // The first in keyboard order has the focus when the window opens.
    for (const auto& view : views_)
        if (view->control.tabIndex >= 0 && IsWindowVisible(view->hwnd) && IsWindowEnabled(view->hwnd)) {
            SetFocus(view->hwnd);
            break;
        }
    UpdateWindow(hwnd_);
}

void FormView::unload() {
    if (unloaded_) return;
    unloaded_ = true;
    window_.unload();
    if (onClosed) std::exchange(onClosed, nullptr)();
}

void FormView::paintNow() {
    if (!hwnd_ || !IsWindowVisible(hwnd_)) return;
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
}

void FormView::nameAll() {
    if (named_) return;
    named_ = true;
    setName(hwnd_, window_.name());
    for (const auto& view : views_)
        if (view->hwnd) setName(view->hwnd, view->control.name());
}

void FormView::removeNames() {
    if (!named_) return;
    named_ = false;
    for (const auto& view : views_)
        if (view->hwnd) removeName(view->hwnd);
    removeName(hwnd_);
}

void FormView::detach() {
    for (const auto& view : views_) view->control.setObserver({});
}

LRESULT CALLBACK FormView::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<FormView*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (self->messageHook) {
        LRESULT result = 0;
        if (self->messageHook(message, wParam, lParam, result)) return result;
    }
    return self->handle(message, wParam, lParam);
}

LRESULT FormView::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    // Registered messages are numbered from 0xC000; ours is only looked up
    // once one arrives.
    if (message >= 0xC000) {
        static const UINT nameMessage = RegisterWindowMessageW(kNameMessage);
        if (message == nameMessage) {
            nameAll();
            return TRUE;
        }
    }
    switch (message) {
        case WM_COMMAND: {
            // Enter comes from the dialog keys as the command of the button
            // it presses, which need not name the button's window.
            const auto control = lParam ? reinterpret_cast<HWND>(lParam) : GetDlgItem(hwnd_, LOWORD(wParam));
            if (ControlView* view = viewOf(control)) {
                command(*view, HIWORD(wParam));
                return 0;
            }
            // Escape, through the dialog keys.
            if (!control && LOWORD(wParam) == IDCANCEL && escapeCloses) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
            return 0;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->code == NM_CUSTOMDRAW)
                if (ControlView* view = viewOf(header->hwndFrom))
                    return customDraw(*view, *reinterpret_cast<NMCUSTOMDRAW*>(lParam));
            break;
        }
        case DM_GETDEFID:
            // The dialog keys ask which button Enter presses.
            return defaultId();
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            return colours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam), message, wParam,
                           lParam);
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            paintLines(dc);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_ACTIVATE:
            // As a dialog does: the focus comes back to where it was when the
            // window is active again (DefWindowProc gives it to the window,
            // which hands it on below).
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
            }
            break;
        case WM_SETFOCUS: {
            HWND to = lastFocus_ && IsWindow(lastFocus_) && IsWindowEnabled(lastFocus_) &&
                              IsWindowVisible(lastFocus_)
                          ? lastFocus_
                          : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
            if (to) SetFocus(to);
            return 0;
        }
        case WM_WINDOWPOSCHANGED: {
            RECT rect{};
            if (!IsIconic(hwnd_) && GetWindowRect(hwnd_, &rect)) restored_ = {rect.left, rect.top};
            break;
        }
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            layOutControls();
            return 0;
        }
        case WM_CLOSE:
            if (beforeClose) beforeClose();
            unload();
            return 0;
        case WM_GETOBJECT:
            // The window's own object is the system's; its controls answer for themselves.
            noteAccessed();
            break;
        case WM_DESTROY:
            // The controls still exist here, and their names must go before they do.
            removeNames();
            break;
        case WM_NCDESTROY:
            detach();
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            tooltip_ = nullptr;
            for (const auto& view : views_) view->hwnd = nullptr;
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK FormView::controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto found = g_systemProcs.find(hwnd);
    if (found == g_systemProcs.end()) return DefWindowProcW(hwnd, message, wParam, lParam);
    const WNDPROC system = found->second;
    if (message == WM_SETFOCUS) g_focused = hwnd;
    if (message == WM_KILLFOCUS && g_focused == hwnd) g_focused = nullptr;
    if (message == WM_NCDESTROY) g_systemProcs.erase(found);
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
                if (ControlView* view = form->viewOf(hwnd))
                    return form->controlMessage(*view, system, message, wParam, lParam);
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
            if (const LRESULT object = accessibleObject(hwnd, wParam, lParam, describe)) return object;
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

void FormView::noteAccessed() {
    if (accessed_) return;
    accessed_ = true;
    for (const auto& view : views_) view->said = form::accessibleOf(view->control);
}

bool FormView::describe(HWND control, form::Accessible& out) {
    auto* form = reinterpret_cast<FormView*>(GetWindowLongPtrW(GetParent(control), GWLP_USERDATA));
    const ControlView* view = form ? form->viewOf(control) : nullptr;
    if (!view) return false;
    out = form::accessibleOf(view->control);
    return true;
}

}  // namespace ui::win32
