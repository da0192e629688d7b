#pragma once

#include <string>

namespace form {

class Control;

// What a screen reader is told of a control. A control's name (Control::name)
// is its identifier, for tests and tools; this is for people. Each view hands
// it to its system as it stands (AT-SPI through Qt, MSAA on Windows) and asks
// again when the control reports Property::Accessible or a change of its text
// or value.
enum class Role {
    Hidden,    // decoration: not in what a screen reader reads
    Label,     // static text
    Heading,   // a banner or column heading: never read as the window's description
    Button,    // push button
    TickBox,   // check box
    Field,     // editable text
    ReadOnly,  // read-only text, its value the text shown
    Status,    // a state shown as a colour, said in words (a slot's light)
    Picture,   // a picture that says something, or a control that shows one
};

struct Accessible {
    Role role = Role::Label;
    std::string name;         // what a person reads; never the identifier
    std::string value;        // a field's text, a status's words, a tick box's state words
    std::string description;  // more detail, such as why a slot could not start
    bool operator==(const Accessible&) const = default;
};

// The one rule for every control of every window:
// - a control marked as decoration is Hidden;
// - the name is the control's accessibleName where the window gave one, else
//   its caption (a label's, tick box's or button's), else its identifier never:
//   an unnamed control is named "" and a test finds it;
// - "{}" in an accessibleName stands for the caption as it is now, read in
//   sentence case ("{} autostart countdown" on "STOP": "Stop autostart
//   countdown"), so a name follows a caption that changes;
// - a tick box's state (ticked, clear, greyed) and a button's caption come from
//   the control itself; a text box is a Field, or ReadOnly when read-only, its
//   value its text, or the words it is read as (TextBox::readAs);
// - a label marked as a heading is a Heading;
// - a control with state words (setStateWords) is a Status, its value those words.
Accessible accessibleOf(const Control& control);

// The words a tick box's value is read as: "ticked", "clear", "greyed".
const char* tickWords(int value);

}  // namespace form
