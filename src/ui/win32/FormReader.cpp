#include "ui/win32/FormView.h"

#include <memory>
#include <string>
#include <utility>

#include "ui/win32/Accessibility.h"
#include "ui/win32/Announcer.h"
#include "ui/win32/ControlView.h"

// What a screen reader is told of a form window's changes, once one has asked.
namespace ui::win32 {

void FormView::noteAccessed() {
    if (accessed_) return;
    accessed_ = true;
    for (const auto& view : views_) view->said = form::accessibleOf(view->control);
    listen();
}

void FormView::listen() {
    if (announcer_ || !hwnd_) return;
    announcer_ = std::make_unique<Announcer>(hwnd_);
    window_.onAnnounce = [this](const std::string& sentence) { announcer_->say(sentence); };
}

void FormView::tellReader(ControlView& view, form::Property property) {
    if (!accessed_ || !(property == form::Property::Text || property == form::Property::Value ||
                        property == form::Property::Accessible))
        return;
    const form::Control& c = view.control;
    form::Accessible now = form::accessibleOf(c);
    announce(view.hwnd, view.said, now, property == form::Property::Text);
    view.said = std::move(now);
}

}  // namespace ui::win32
