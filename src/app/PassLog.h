#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "engine/RunRecord.h"

namespace app {

// One line of the pass's trace as a program writes it:
// "<name>: HH:MM:SS <line>\n", at local time `when`.
std::string passLogLine(const std::string& name, std::time_t when, const std::string& line);

// A trace that hands each line, stamped with the time and the program's name,
// to `write` in one piece, so that lines of two copies cannot interleave.
// Where the text goes (standard error, say) is the program's business.
engine::PassLog passLogTo(std::function<void(const std::string& text)> write, std::string name);

}  // namespace app
