#pragma once

#include "form/Controls.h"

// The look the program's windows share.
namespace model::look {

inline form::Font arialBold(double points) {
    return {"Arial", points, true, 0};
}

// The green-on-black title strips across the top of every window.
inline void banner(form::Label& label, form::Rect box) {
    label.box = box;
    label.font = arialBold(9.75);
    label.centred = true;
    label.setBackColour(form::colour::Black);
    label.setForeColour(form::colour::Green);
}

}  // namespace model::look
