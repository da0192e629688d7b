// The platform Qt is given, from the session and the command line.

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/linux/StartArguments.h"

namespace {

TEST(StartArguments, XwaylandIsChosenOnlyWhereTheUserChoseNothing) {
    const char* rows[][3] = {
        // environment | command line | what Qt is told ("" for its own choice)
        {"WAYLAND_DISPLAY=wayland-0 DISPLAY=:0", "", "xcb;wayland"},
        {"XDG_SESSION_TYPE=wayland DISPLAY=:1", "-style fusion", "xcb;wayland"},
        {"WAYLAND_DISPLAY=wayland-0", "", ""},  // no Xwayland
        {"XDG_SESSION_TYPE=x11 DISPLAY=:0", "", ""},
        {"WAYLAND_DISPLAY=wayland-0 DISPLAY=:0 QT_QPA_PLATFORM=wayland", "", ""},
        {"WAYLAND_DISPLAY=wayland-0 DISPLAY=:0", "-platform wayland", ""},
        {"WAYLAND_DISPLAY=wayland-0 DISPLAY=:0", "--platform offscreen", ""},
    };
    for (const auto& [environment, arguments, platform] : rows) {
        SCOPED_TRACE(std::string(environment) + " | " + arguments);
        std::map<std::string, std::string> env;
        std::istringstream pairs(environment), words(std::string("velmora ") + arguments);
        for (std::string pair; pairs >> pair;)
            env[pair.substr(0, pair.find('='))] = pair.substr(pair.find('=') + 1);
        std::vector<std::string> argWords;
        for (std::string word; words >> word;) argWords.push_back(word);
        std::vector<char*> argv;
        for (std::string& word : argWords) argv.push_back(word.data());
        const int argc = static_cast<int>(argv.size());
        EXPECT_EQ(app::platformToChoose([&](const char* name) { return env[name]; }, argc, argv.data()),
                  platform);
        app::QtArguments qt(argc, argv.data(), platform);
        std::string given;
        for (int i = argc; i < qt.argc(); ++i) given += std::string(given.empty() ? "" : " ") + qt.argv()[i];
        EXPECT_EQ(given, *platform ? "-platform " + std::string(platform) : "");
        EXPECT_EQ(qt.argv()[qt.argc()], nullptr);
    }
}

}  // namespace
