#pragma once

#include <functional>
#include <string>

namespace app {

// Writes to the program's standard error handle when it was started with one
// (its error output redirected to a file or pipe, or a console it shares). A
// program started from the desktop has none: then this returns an empty
// function and nothing is written anywhere.
// The writer blocks while the output takes nothing; it answers false when the
// output is gone. Give it to a TraceOutput.
std::function<bool(const std::string& text)> standardErrorWriter();

}  // namespace app
