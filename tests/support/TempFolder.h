#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

// A fresh folder of the test's own under the system's temporary folder,
// removed with everything in it at the end of the scope, even where a test
// took permissions away.
class TempFolder {
public:
    explicit TempFolder(const std::string& stem = "velmora");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& leaf) const { return (path_ / leaf).string(); }

    // Writes `content` to `leaf` (folders made as needed) with `mode`.
    std::string write(const std::string& leaf, const std::string& content,
                      std::filesystem::perms mode = std::filesystem::perms::owner_read |
                                                    std::filesystem::perms::owner_write) const;

private:
    std::filesystem::path path_;
};

inline constexpr auto kExecutable = std::filesystem::perms::owner_all;

}  // namespace testing_support
