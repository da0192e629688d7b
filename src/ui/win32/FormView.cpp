#include "ui/win32/FormView.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>

#include "form/Placement.h"
#include "platform/win32text/WideText.h"
#include "ui/win32/Announcer.h"
#include "ui/win32/ControlView.h"
#include "ui/win32/Desktop.h"

namespace ui::win32 {

const Frame kMainFrame{L"VelmoraMainWindow", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0};
// Secondary windows are pop-ups over their owners, as dialogs are.
const Frame kSecondaryFrame{L"VelmoraWindow", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0};
const Frame kDialogFrame{L"VelmoraWindow", WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME};

namespace {

constexpr int kFirstId = 100;  // clear of IDOK and IDCANCEL, which the dialog keys send

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
    // A label that captions a field comes just before it, as in a dialog:
    // the system and screen readers name a field by the text before it.
    for (form::Control* control : all) {
        const auto* label = dynamic_cast<form::Label*>(control);
        if (!label || !label->labelFor || label->tabIndex >= 0) continue;
        order.erase(std::find(order.begin(), order.end(), control));
        order.insert(std::find(order.begin(), order.end(), label->labelFor), control);
    }

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
    uncoverFields();
    if (screenReaderRuns()) listen();
}

// A label now lies above its field and would hide the field's edge where
// their boxes meet: that part stays the field's, as before.
void FormView::uncoverFields() {
    for (const auto& label : views_) {
        const auto* caption = dynamic_cast<const form::Label*>(&label->control);
        if (!caption || !caption->labelFor) continue;
        const auto field = std::find_if(views_.begin(), views_.end(),
                                        [&](const auto& v) { return &v->control == caption->labelFor; });
        RECT l{}, f{};
        if (field == views_.end() || !GetWindowRect(label->hwnd, &l) || !GetWindowRect((*field)->hwnd, &f))
            continue;
        const HRGN shown = CreateRectRgn(0, 0, l.right - l.left, l.bottom - l.top);
        const HRGN covered =
            CreateRectRgn(f.left - l.left, f.top - l.top, f.right - l.left, f.bottom - l.top);
        CombineRgn(shown, shown, covered, RGN_DIFF);
        DeleteObject(covered);
        // The window owns the region from here on.
        if (!SetWindowRgn(label->hwnd, shown, TRUE)) DeleteObject(shown);
    }
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

void FormView::layOutControls() {
    for (const auto& view : views_) {
        const form::PixelBox at = form::toPx(view->control.box, dpi_);
        SetWindowPos(view->hwnd, nullptr, at.left, at.top, at.width, at.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(view->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.font(view->control.font, dpi_)),
                     TRUE);
    }
    uncoverFields();
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
    if (announcer_) window_.onAnnounce = nullptr;
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
        case WM_SETTINGCHANGE:
            // A screen reader that starts later says so to every window.
            if (wParam == SPI_SETSCREENREADER && screenReaderRuns()) listen();
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

}  // namespace ui::win32
