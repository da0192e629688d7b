#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>

#include "form/Control.h"

namespace ui::win32 {

// A GDI object deleted when it goes out of scope.
struct DeleteGdiObject {
    void operator()(void* object) const { DeleteObject(static_cast<HGDIOBJ>(object)); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, DeleteGdiObject>;
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, DeleteGdiObject>;
using UniquePen = std::unique_ptr<std::remove_pointer_t<HPEN>, DeleteGdiObject>;

// The colour as the screen shows it now: a fixed colour as it is, a palette
// colour as the desktop paints that role.
COLORREF toColorRef(form::Colour colour);

// One font object per face, size, weight and DPI, freed with the cache (the
// window that uses them).
class FontCache {
public:
    HFONT font(const form::Font& font, int dpi);

private:
    std::map<std::tuple<std::string, int, int>, UniqueFont> fonts_;  // face, height, weight
};

// One solid brush per colour, made on first use rather than per paint
// message. Palette colours use the system's own brushes, which are not freed.
class BrushCache {
public:
    HBRUSH brush(form::Colour colour);

private:
    std::map<COLORREF, UniqueBrush> brushes_;
};

}  // namespace ui::win32
