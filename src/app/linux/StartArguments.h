#pragma once

#include <functional>
#include <string>
#include <vector>

namespace app {

// What the command line asks before any window opens. The program takes no
// options of its own besides these two; everything else is Qt's.
enum class StartQuestion { Run, Help, Version };
StartQuestion startQuestion(int argc, char** argv);

// The answers, for standard output.
std::string helpText(const std::string& executableName);
std::string versionText();

// The platform Qt is to use, or empty for Qt's own choice. Inside a Wayland
// session whose Xwayland is at hand, X11: there the window manager keeps the
// window on top and where it was put, which a Wayland client cannot ask for.
// A platform the user chose (QT_QPA_PLATFORM, -platform) stays theirs.
using Environment = std::function<std::string(const char* name)>;
std::string platformToChoose(const Environment& env, int argc, char** argv);

// argv with "-platform <name>" added for Qt when `platform` is not empty;
// the words live as long as the object.
class QtArguments {
public:
    QtArguments(int argc, char** argv, const std::string& platform);
    QtArguments(const QtArguments&) = delete;
    QtArguments& operator=(const QtArguments&) = delete;
    int& argc() { return argc_; }
    char** argv() { return pointers_.data(); }

private:
    std::vector<std::string> added_;
    std::vector<char*> pointers_;
    int argc_ = 0;
};

}  // namespace app
