#include "form/Window.h"

namespace form {

Window::~Window() {
    for (Timer* t : timers_) scheduler_.release(*t);
}

Timer& Window::createTimer(std::string name) {
    Timer& t = scheduler_.create(std::move(name));
    timers_.push_back(&t);
    return t;
}

void Window::Close() {
    if (unloaded_) return;
    if (onCloseRequested) {
        onCloseRequested();
        if (unloaded_) return;
    }
    unload();
}

void Window::unload() {
    if (unloaded_) return;
    unloaded_ = true;
    syncGeometry();
    Form_Unload();
    stopTimers();
}

void Window::stopTimers() {
    for (Timer* t : timers_) t->setEnabled(false);
}

}  // namespace form
