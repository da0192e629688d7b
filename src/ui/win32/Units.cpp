#include "ui/win32/Units.h"

#include <algorithm>
#include <cmath>

namespace ui::win32 {

int fontHeight(double points, int dpi) {
    if (!std::isfinite(points) || points <= 0) return 0;  // 0: the face's default size
    // MulDiv(tenths, dpi, 720): halves round away from zero.
    const long long tenths = std::llround(std::min(points, 1000.0) * 10);
    return -static_cast<int>((tenths * dpi * 2 + 720) / 1440);
}

int fontWeight(const form::Font& font) {
    if (font.weight > 0) return std::clamp(font.weight, 100, 900);
    return font.bold ? 700 : 400;
}

std::optional<int> systemColourIndex(form::Colour colour) {
    if (!form::colour::isSystem(colour)) return std::nullopt;
    return static_cast<int>(colour & 0xFF);
}

std::wstring literalCaption(const std::wstring& caption) {
    std::wstring out;
    out.reserve(caption.size());
    for (wchar_t c : caption) {
        out += c;
        if (c == L'&') out += L'&';
    }
    return out;
}

std::wstring singleLine(std::wstring text) {
    for (wchar_t& c : text)
        if (c < L' ' && c != L'\t') c = L' ';
    return text;
}

}  // namespace ui::win32
