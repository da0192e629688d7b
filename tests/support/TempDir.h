#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with its
// contents at the end of the scope.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmora-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& leaf) const { return (path_ / leaf).string(); }

    // Writes `content` to `leaf` (folders created as needed) with `mode`.
    std::string write(const std::string& leaf, const std::string& content,
                      std::filesystem::perms mode = std::filesystem::perms::owner_read |
                                                    std::filesystem::perms::owner_write) const {
        const auto file = path_ / leaf;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
        std::filesystem::permissions(file, mode);
        return file.string();
    }

private:
    std::filesystem::path path_;
};

inline constexpr auto kExecutable = std::filesystem::perms::owner_all;

}  // namespace testing_support
