#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "form/Control.h"

namespace form {

using Handler = std::function<void()>;

// A caption on the window; labels take no focus.
class Label : public Control {
public:
    Label(Window& window, std::string name, std::string caption = {}) : Control(window, std::move(name)) {
        caption_ = std::move(caption);
    }
    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& c) { set(caption_, c, Property::Text); }

    Handler onClick;
    Handler onDblClick;
    void click() {
        if (enabled() && onClick) onClick();
    }
    void dblClick() {
        if (onDblClick) onDblClick();
    }

    // The field this label captions: a reader names the field by it and does
    // not read it again as the window's description.
    const Control* labelFor = nullptr;
    // A banner or column heading: read as a heading where the reader walks,
    // never as what the window is about.
    bool heading = false;

private:
    std::string caption_;
};

class TextBox : public Control {
public:
    TextBox(Window& window, std::string name, std::string text = {});

    const std::string& text() const { return text_; }
    void setText(const std::string& t) { set(text_, t, Property::Text); }

    bool readOnly = false;
    // Texts a reader says in words rather than as shown ("-- --": "not
    // counting"); see spokenText().
    std::vector<std::pair<std::string, std::string>> readAs;
    const std::string& spokenText() const;

    Handler onDblClick;
    Handler onLostFocus;
    void dblClick() {
        if (onDblClick) onDblClick();
    }

private:
    std::string text_;
};

// Value 0 clear, 1 ticked, 2 greyed. Setting the value from code runs the
// click handler whenever the value changes, exactly as a user's click.
class TickBox : public Control {
public:
    TickBox(Window& window, std::string name, std::string caption = {}) : Control(window, std::move(name)) {
        caption_ = std::move(caption);
    }

    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& c) { set(caption_, c, Property::Text); }

    std::int16_t value() const { return value_; }
    bool ticked() const { return value_ == 1; }
    void setValue(std::int16_t v);

    // A user's click ticks a box that is not ticked (greyed included) and clears a ticked one.
    void click() { setValue(value_ == 1 ? 0 : 1); }

    Handler onClick;

private:
    std::string caption_;
    std::int16_t value_ = 0;
};

class Button : public Control {
public:
    Button(Window& window, std::string name, std::string caption = {}) : Control(window, std::move(name)) {
        caption_ = std::move(caption);
    }
    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& c) { set(caption_, c, Property::Text); }

    Handler onClick;
    void click() {
        if (enabled() && onClick) onClick();
    }

    // The button Enter presses while no other button has the focus, as a
    // dialog's OK is.
    bool isDefault = false;

private:
    std::string caption_;
};

// Decoration: a straight line in twips.
struct Line {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    Colour colour = colour::SystemWindowText;
    int width = 1;
};

}  // namespace form
