#include "ui/win32/FormView.h"

#include "ui/win32/Accessibility.h"
#include "ui/win32/ControlView.h"

#include <utility>

// What a screen reader is told of a form window's changes, once one has asked.
namespace ui::win32 {

void FormView::noteAccessed() {
    if (accessed_) return;
    accessed_ = true;
    for (const auto& view : views_) view->said = form::accessibleOf(view->control);
}

void FormView::tellReader(ControlView& view, form::Property property) {
    if (!accessed_ || !(property == form::Property::Text || property == form::Property::Value ||
                        property == form::Property::Accessible))
        return;
    const form::Control& c = view.control;
    form::Accessible now = form::accessibleOf(c);
    announce(view.hwnd, view.said, now, c.accessibleName().empty(), property == form::Property::Text);
    view.said = std::move(now);
}

}  // namespace ui::win32
