#include "form/Controls.h"

namespace form {

TextBox::TextBox(std::string name, std::string text) : Control(std::move(name)) {
    text_ = std::move(text);
    setBackColour(colour::SystemWindow);
    setForeColour(colour::SystemWindowText);
    tabIndex = 0;
}

void TickBox::setValue(std::int16_t v) {
    if (v == value_) return;
    set(value_, v, Property::Value);
    if (onClick) onClick();
}

}  // namespace form
