#include "form/Accessible.h"

#include <algorithm>
#include <cctype>

#include "form/Controls.h"

namespace form {

namespace {

// "STOP" reads "Stop" inside a longer name; a caption in mixed case stays.
std::string sentenceCase(std::string s) {
    const auto isLower = [](char c) { return std::islower(static_cast<unsigned char>(c)) != 0; };
    if (std::any_of(s.begin(), s.end(), isLower)) return s;
    for (std::size_t i = 1; i < s.size(); ++i)
        s[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
    return s;
}

std::string nameOf(const std::string& given, const std::string& caption) {
    if (given.empty()) return caption;
    const std::size_t at = given.find("{}");
    if (at == std::string::npos) return given;
    return given.substr(0, at) + sentenceCase(caption) + given.substr(at + 2);
}

}  // namespace

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
        a.role = label->heading ? Role::Heading : Role::Label;
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
        a.value = text->spokenText();
    } else {
        a.role = Role::Picture;
    }
    a.name = nameOf(c.accessibleName(), caption);
    if (!c.stateWords().empty()) {
        a.role = Role::Status;
        a.value = c.stateWords();
    }
    return a;
}

}  // namespace form
