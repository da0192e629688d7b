#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

// The file's bytes; nothing for a file that cannot be read.
std::string readFile(const std::filesystem::path& file);
// Replaces the file with `bytes`, making its folders as needed.
void writeFile(const std::filesystem::path& file, const std::string& bytes);

}  // namespace testing_support
