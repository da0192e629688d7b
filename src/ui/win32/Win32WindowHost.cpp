#include "ui/win32/Win32WindowHost.h"

#include <algorithm>

#include "platform/win32text/WideText.h"

namespace ui::win32 {

int runMessages(const std::function<bool()>& done) {
    MSG msg;
    while (!done()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return static_cast<int>(msg.wParam);
        }
        if (got < 0) return 1;
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (FormView::fromHwnd(root) && IsDialogMessageW(root, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

void Win32WindowHost::addWindow(FormView& view) {
    windows_.push_back(&view);
    // The main window closing (by the user, the program or the session)
    // takes the windows it owns with it, the newest first, each storing its place.
    view.beforeClose = [this] { closeModals(); };
}

void Win32WindowHost::setViewFactory(const std::string& windowName, ViewFactory factory) {
    factories_[windowName] = std::move(factory);
}

FormView* Win32WindowHost::viewOf(form::Window& window) const {
    for (FormView* m : modals_)
        if (&m->model() == &window) return m;
    for (FormView* w : windows_)
        if (&w->model() == &window) return w;
    return nullptr;
}

void Win32WindowHost::showModal(form::Window& window, form::Window& owner) {
    window.Form_Load();
    FormView* ownerView = viewOf(owner);
    HWND ownerHwnd = ownerView ? ownerView->hwnd() : nullptr;
    const auto factory = factories_.find(window.name());
    std::unique_ptr<FormView> view = factory != factories_.end()
                                         ? factory->second(window, ownerHwnd)
                                         : std::make_unique<FormView>(window, ownerHwnd, kSecondaryFrame);
    view->buildControls();
    view->escapeCloses = true;
    FormView* shown = view.get();
    view->onClosed = [ownerHwnd, shown] {
        // The owner takes input again before this one goes, so that the
        // system hands the activation back to it rather than another program.
        if (ownerHwnd) EnableWindow(ownerHwnd, TRUE);
        if (shown->hwnd()) ShowWindow(shown->hwnd(), SW_HIDE);
    };
    modals_.push_back(shown);
    if (ownerHwnd) EnableWindow(ownerHwnd, FALSE);
    view->show();
    runMessages([&window] { return window.unloaded(); });
    // Leaving by the program's quit rather than a close still unloads.
    view->unload();
    modals_.erase(std::find(modals_.begin(), modals_.end(), shown));
}

void Win32WindowHost::showMessage(form::Window& owner, const std::string& text) {
    // The system's own box runs its own loop, which delivers every timer too.
    FormView* ownerView = viewOf(owner);
    HWND ownerHwnd = ownerView ? ownerView->hwnd() : nullptr;
    if (ownerHwnd && !IsWindow(ownerHwnd)) ownerHwnd = nullptr;  // the main window after it closed
    MessageBoxW(ownerHwnd, platform::toWide(text).c_str(), L"VELMORA", MB_OK | MB_ICONWARNING);
}

void Win32WindowHost::closeModals() {
    // Closing one lets its owner's loop finish later; each close only asks.
    const std::vector<FormView*> open = modals_;
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        if ((*it)->hwnd())
            SendMessageW((*it)->hwnd(), WM_CLOSE, 0, 0);
        else
            (*it)->unload();
}

}  // namespace ui::win32
