#include "TempFolder.h"

#include <chrono>
#include <cstdlib>
#include <random>
#include <stdexcept>

#include "Files.h"

namespace testing_support {

namespace fs = std::filesystem;

TempFolder::TempFolder(const std::string& stem) {
    // create_directory says whether it made the folder, so a name another
    // test run took first is simply drawn again.
    std::mt19937_64 draw(
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() / (stem + "-" + std::to_string(draw() % 1'000'000'000));
        if (fs::create_directory(candidate)) {
            fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace);
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("no free temporary folder name for " + stem);
}

TempFolder::~TempFolder() {
    // Kept on request, to look at what a failed test left.
    if (std::getenv("VELMORA_KEEP_TEMP") != nullptr) return;
    std::error_code ignored;
    // Tests take permissions away; give them back so the folder can go.
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::string TempFolder::write(const std::string& leaf, const std::string& content, fs::perms mode) const {
    const fs::path file = path_ / leaf;
    writeFile(file, content);
    fs::permissions(file, mode);
    return file.string();
}

}  // namespace testing_support
