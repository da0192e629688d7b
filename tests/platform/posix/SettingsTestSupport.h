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

#include "support/Files.h"
#include "support/TempFolder.h"

namespace settingstest {

namespace fs = std::filesystem;

using testing_support::readFile;
using testing_support::TempFolder;
using testing_support::writeFile;

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
