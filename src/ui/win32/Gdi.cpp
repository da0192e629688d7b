#include "ui/win32/Gdi.h"

#include "platform/win32text/WideText.h"
#include "ui/win32/Units.h"

namespace ui::win32 {

COLORREF toColorRef(form::Colour colour) {
    if (const auto index = systemColourIndex(colour)) return GetSysColor(*index);
    return static_cast<COLORREF>(colour & 0xFFFFFF);
}

HFONT FontCache::font(const form::Font& font, int dpi) {
    const int height = fontHeight(font.points, dpi);
    const int weight = fontWeight(font);
    auto& slot = fonts_[{font.family, height, weight}];
    if (!slot) {
        const std::wstring face = platform::toWide(font.family).substr(0, LF_FACESIZE - 1);
        slot.reset(CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
    }
    return slot ? slot.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HBRUSH BrushCache::brush(form::Colour colour) {
    if (const auto index = systemColourIndex(colour)) return GetSysColorBrush(*index);
    const COLORREF rgb = toColorRef(colour);
    auto& slot = brushes_[rgb];
    if (!slot) slot.reset(CreateSolidBrush(rgb));
    return slot ? slot.get() : GetSysColorBrush(COLOR_WINDOW);
}

}  // namespace ui::win32
