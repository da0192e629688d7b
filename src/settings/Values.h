#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace settings {

// Geometry: twips as decimal text of a single-precision number, written in
// the shortest form that reads back to the same number ("1815", "-120", "0.5").
std::optional<float> parseGeometry(std::string_view text);
std::string formatGeometry(float twips);

// Tick: "0" clear, "1" ticked, "2" greyed. Anything else does not parse.
std::optional<std::int16_t> parseTick(std::string_view text);
std::string formatTick(std::int16_t value);

}  // namespace settings
