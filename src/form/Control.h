#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace form {

class Window;

// 24-bit colour 0x00BBGGRR. Values with the high bit set stand for a colour
// of the desktop's palette rather than a fixed one.
using Colour = std::uint32_t;

namespace colour {
inline constexpr Colour Black = 0x000000;
inline constexpr Colour Red = 0x0000FF;
inline constexpr Colour Green = 0x00FF00;
inline constexpr Colour Yellow = 0x00FFFF;
inline constexpr Colour Cyan = 0xFFFF00;
inline constexpr Colour Magenta = 0xFF00FF;
inline constexpr Colour White = 0xFFFFFF;
inline constexpr Colour PaleMagenta = 0xFF80FF;
inline constexpr Colour PaleYellow = 0xC0FFFF;
inline constexpr Colour PaleGreen = 0x80FF80;
// Palette colours: whatever the desktop uses for these roles.
inline constexpr Colour SystemWindow = 0x80000005;      // text box background
inline constexpr Colour SystemWindowText = 0x80000008;  // text box text
inline constexpr Colour SystemButtonFace = 0x8000000F;  // label and tick box background
inline constexpr Colour SystemButtonText = 0x80000012;  // label and tick box text

constexpr bool isSystem(Colour c) {
    return (c & 0x80000000u) != 0;
}
}  // namespace colour

// Box in twips, relative to the window's client area.
struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

struct Font {
    std::string family = "MS Sans Serif";
    double points = 8.25;
    bool bold = false;
    int weight = 0;  // 0: the weight that `bold` implies; else 100..900
    bool operator==(const Font&) const = default;
};

// What changed, so a view touches only what it must.
// Accessible: the accessible name, description or state words changed (see
// form/Accessible.h).
enum class Property { Text, BackColour, ForeColour, Value, Enabled, ToolTip, Visible, Accessible };

// State shared by every control: a name, a place, a font, colours and the
// flags a window needs. Setters notify the view only on a real change.
// Constructing a control declares it on its window, which shows its controls
// in the order they were declared (later ones above earlier ones); a control
// lives as long as its window.
class Control {
public:
    Control(Window& window, std::string name);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }

    Rect box;
    Font font;
    int tabIndex = -1;  // -1: does not take the focus
    bool centred = false;

    Colour backColour() const { return back_; }
    void setBackColour(Colour c) { set(back_, c, Property::BackColour); }
    Colour foreColour() const { return fore_; }
    void setForeColour(Colour c) { set(fore_, c, Property::ForeColour); }
    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { set(enabled_, on, Property::Enabled); }
    bool visible() const { return visible_; }
    void setVisible(bool on) { set(visible_, on, Property::Visible); }
    const std::string& toolTip() const { return toolTip_; }
    void setToolTip(const std::string& t) { set(toolTip_, t, Property::ToolTip); }

    // For people rather than tools (form/Accessible.h). The name replaces the
    // caption where the caption alone does not say what the control is ("P-4-P"
    // twenty times); state words say what a colour shows; decoration is left
    // out of what a screen reader reads.
    const std::string& accessibleName() const { return accessibleName_; }
    void setAccessibleName(const std::string& n) { set(accessibleName_, n, Property::Accessible); }
    const std::string& accessibleDescription() const { return accessibleDescription_; }
    void setAccessibleDescription(const std::string& d) { set(accessibleDescription_, d, Property::Accessible); }
    const std::string& stateWords() const { return stateWords_; }
    void setStateWords(const std::string& w) { set(stateWords_, w, Property::Accessible); }
    bool decoration = false;

    // One listener, the view. Called after the value has changed.
    void setObserver(std::function<void(Property)> observer) { observer_ = std::move(observer); }

protected:
    template <typename T>
    void set(T& field, const T& value, Property p) {
        if (field == value) return;
        field = value;
        if (observer_) observer_(p);
    }

private:
    std::string name_;
    Colour back_ = colour::SystemButtonFace;
    Colour fore_ = colour::SystemButtonText;
    bool enabled_ = true;
    bool visible_ = true;
    std::string toolTip_;
    std::string accessibleName_;
    std::string accessibleDescription_;
    std::string stateWords_;
    std::function<void(Property)> observer_;
};

}  // namespace form
