#pragma once

#include <string>

namespace platform {

// UTF-8 inside the program, UTF-16 at every Windows call. Invalid UTF-8 bytes
// and unpaired UTF-16 halves become U+FFFD rather than cutting the text short.
std::wstring toWide(const std::string& utf8);
std::string toUtf8(const std::wstring& utf16);

}  // namespace platform
