#pragma once

#include <cstddef>
#include <ctime>
#include <functional>
#include <string>

#include "engine/RunRecord.h"

namespace app {

// Longer lines of the trace are cut there, as a command may be very long.
inline constexpr std::size_t kLongestTraceLine = 2000;

// One line of the pass's trace as a program writes it:
// "<name>: HH:MM:SS <line>\n", at local time `when`; a line longer than
// kLongestTraceLine bytes is cut at a character's start and says how long it was.
std::string passLogLine(const std::string& name, std::time_t when, const std::string& line);

// A trace that hands each line, stamped with the time and the program's name,
// to `write` in one piece, so that lines of two copies cannot interleave.
// Where the text goes (standard error, say) is the program's business.
engine::PassLog passLogTo(std::function<void(const std::string& text)> write, std::string name);

}  // namespace app
