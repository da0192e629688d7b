#include "settings/Values.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace settings {
namespace {

// Blanks around a number are tolerated: a hand-edited store often has them.
std::string_view trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// from_chars rejects a leading '+', which a person editing the store may type.
std::string_view dropPlus(std::string_view text) {
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') return text.substr(1);
    return text;
}

}  // namespace

std::optional<float> parseGeometry(std::string_view text) {
    text = dropPlus(trimBlanks(text));
    if (text.empty()) return std::nullopt;
    float value = 0.0F;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (ec != std::errc{} || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string formatGeometry(float twips) {
    if (twips == 0.0F) return "0";  // also for -0, which would read as "-0"
    // Fixed notation keeps whole numbers free of exponents ("10000000000",
    // not "1e+10"); without a precision it is still the shortest round-trip form.
    char buffer[64];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, twips, std::chars_format::fixed);
    if (ec != std::errc{}) return std::to_string(twips);
    return std::string(buffer, ptr);
}

std::optional<std::int16_t> parseTick(std::string_view text) {
    text = dropPlus(trimBlanks(text));
    if (text.empty()) return std::nullopt;
    std::int16_t value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc{} || ptr != end || value < 0 || value > 2) return std::nullopt;
    return value;
}

std::string formatTick(std::int16_t value) {
    return std::to_string(value);
}

}  // namespace settings
