#include "form/Accessible.h"

#include "form/Controls.h"

namespace form {

const char* tickWords(int value) {
    switch (value) {
        case 1:
            return "ticked";
        case 2:
            return "greyed";
        default:
            return "clear";
    }
}

Accessible accessibleOf(const Control& c) {
    Accessible a;
    if (c.decoration) {
        a.role = Role::Hidden;
        return a;
    }
    a.description = c.accessibleDescription();
    std::string caption;
    if (const auto* label = dynamic_cast<const Label*>(&c)) {
        a.role = Role::Label;
        caption = label->caption();
    } else if (const auto* tick = dynamic_cast<const TickBox*>(&c)) {
        a.role = Role::TickBox;
        caption = tick->caption();
        a.value = tickWords(tick->value());
    } else if (const auto* button = dynamic_cast<const Button*>(&c)) {
        a.role = Role::Button;
        caption = button->caption();
    } else if (const auto* text = dynamic_cast<const TextBox*>(&c)) {
        a.role = text->readOnly ? Role::ReadOnly : Role::Field;
        a.value = text->text();
    } else {
        a.role = Role::Picture;
    }
    a.name = c.accessibleName().empty() ? caption : c.accessibleName();
    if (!c.stateWords().empty()) {
        a.role = Role::Status;
        a.value = c.stateWords();
    }
    return a;
}

}  // namespace form
