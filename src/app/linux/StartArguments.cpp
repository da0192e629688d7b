#include "app/linux/StartArguments.h"

#include <string_view>

namespace app {

namespace {

// Qt takes its options with one dash or two.
bool isQtPlatformOption(std::string_view word) {
    return word == "-platform" || word == "--platform";
}

}  // namespace

StartQuestion startQuestion(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--help") return StartQuestion::Help;
        if (word == "--version") return StartQuestion::Version;
    }
    return StartQuestion::Run;
}

std::string helpText(const std::string& executableName) {
    return "Usage: " + executableName +
           " [--help | --version]\n"
           "Starts a fixed list of up to twenty command lines one after another.\n"
           "The list is edited in the program's settings windows and kept in\n"
           "$XDG_CONFIG_HOME/VELMORA/" +
           executableName +
           ".conf (by default under ~/.config).\n"
           "\n"
           "  --help     show this help and exit\n"
           "  --version  show the version and exit\n"
           "\n"
           "Qt's own options, such as -platform, are passed to Qt. See velmora(1).\n";
}

std::string versionText() {
    return "VELMORA " VELMORA_VERSION_TEXT "\n";
}

std::string platformToChoose(const Environment& env, int argc, char** argv) {
    if (!env("QT_QPA_PLATFORM").empty()) return "";
    for (int i = 1; i < argc; ++i)
        if (isQtPlatformOption(argv[i])) return "";
    const bool waylandSession = !env("WAYLAND_DISPLAY").empty() || env("XDG_SESSION_TYPE") == "wayland";
    if (!waylandSession || env("DISPLAY").empty()) return "";
    // Qt tries the next in the list when Xwayland cannot be reached after all.
    return "xcb;wayland";
}

QtArguments::QtArguments(int argc, char** argv, const std::string& platform) : argc_(argc) {
    if (!platform.empty()) added_ = {"-platform", platform};
    pointers_.assign(argv, argv + argc);
    for (std::string& word : added_) pointers_.push_back(word.data());
    argc_ += static_cast<int>(added_.size());
    pointers_.push_back(nullptr);
}

}  // namespace app
