#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

// Splits a command line into program and arguments without any shell:
// blanks (space, tab) separate words, double quotes group a word and are
// removed ("" is an empty argument). Nothing is expanded: $HOME, * and ~
// stay as typed. A quote left open runs to the end of the text.
std::vector<std::string> splitCommandLine(std::string_view text);

// The text without leading and trailing blanks and line breaks.
std::string_view trimBlanks(std::string_view text);

}  // namespace platform::posix
