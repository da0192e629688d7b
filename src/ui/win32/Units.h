#pragma once

#include <optional>
#include <string>

#include "form/Control.h"

// Conversions between the models' fonts, colours and texts and the system's,
// with no window system call, so they can be checked on their own. Twips and
// pixels are form::toPx's.
namespace ui::win32 {

// The LOGFONT height (negative: character height) for `points` at `dpi`,
// rounding as MulDiv does; fractional sizes such as 8.25 count in tenths.
int fontHeight(double points, int dpi);

// A font weight for CreateFontW: the form's own, else bold or regular.
int fontWeight(const form::Font& font);

// The GetSysColor index a palette colour stands for; none for a fixed colour.
std::optional<int> systemColourIndex(form::Colour colour);

// A caption shown exactly as typed on a button or tick box, where a single
// '&' would mark a keyboard shortcut and vanish.
std::wstring literalCaption(const std::wstring& caption);

// A text for a one-line box that only shows it: line breaks and other
// control characters read as blanks, as one line has no room for a break.
std::wstring singleLine(std::wstring text);

}  // namespace ui::win32
