#pragma once

#include <functional>
#include <string>

namespace app {

// Writes to the program's standard error handle when it was started with one
// (its error output redirected to a file or pipe, or a console it shares). A
// program started from the desktop has none: then this returns an empty
// function and nothing is written anywhere.
std::function<void(const std::string& text)> standardErrorWriter();

}  // namespace app
