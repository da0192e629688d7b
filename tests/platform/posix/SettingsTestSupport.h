#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace settingstest {

namespace fs = std::filesystem;

// A private folder under /tmp, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "velmora-settings-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        // Tests take permissions away; give them back so the folder can go.
        for (auto it = fs::recursive_directory_iterator(path_, ignored);
             it != fs::recursive_directory_iterator(); it.increment(ignored)) {
            ::chmod(it->path().c_str(), 0700);
        }
        ::chmod(path_.c_str(), 0700);
        fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

inline std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream data;
    data << in.rdbuf();
    return data.str();
}

inline void writeFile(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

inline unsigned modeOf(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return 0xFFFF;
    return info.st_mode & 07777;
}

// Root ignores permission bits, so permission-failure tests cannot fail as root.
inline bool runningAsRoot() {
    return ::geteuid() == 0;
}

// Runs body in a separate process (another running copy, as far as the file
// is concerned) and returns its exit status.
template <typename Body>
int inOtherProcess(Body body) {
    const pid_t child = ::fork();
    if (child == 0) {
        const int status = body();
        ::_exit(status);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

// Sets or clears an environment variable for one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace settingstest
