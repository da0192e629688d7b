#include "form/Controls.h"

#include "form/Window.h"

namespace form {

Control::Control(Window& window, std::string name) : name_(std::move(name)) {
    window.controls_.push_back(this);
}

TextBox::TextBox(Window& window, std::string name, std::string text) : Control(window, std::move(name)) {
    text_ = std::move(text);
    setBackColour(colour::SystemWindow);
    setForeColour(colour::SystemWindowText);
    tabIndex = 0;
}

const std::string& TextBox::spokenText() const {
    for (const auto& [shown, words] : readAs)
        if (shown == text_) return words;
    return text_;
}

void TickBox::setValue(std::int16_t v) {
    if (v == value_) return;
    set(value_, v, Property::Value);
    if (onClick) onClick();
}

}  // namespace form
