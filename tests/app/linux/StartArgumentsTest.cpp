// What the command line and the session decide before any window opens.

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/linux/StartArguments.h"

namespace {

// "NAME=value ..." and "word ...", split at spaces.
std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out{"velmora"};
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

struct Row {
    const char* environment;
    const char* arguments;
    const char* platform;  // what Qt is told, "" for its own choice
    app::StartQuestion question = app::StartQuestion::Run;
};

TEST(StartArguments, XwaylandIsChosenOnlyWhereTheUserChoseNothing) {
    using app::StartQuestion;
    const Row rows[] = {
        {"WAYLAND_DISPLAY=wayland-0 DISPLAY=:0", "", "xcb;wayland"},
        {"XDG_SESSION_TYPE=wayland DISPLAY=:1", "", "xcb;wayland"},
        {"WAYLAND_DISPLAY=wayland-0", "", ""},  // no Xwayland
        {"XDG_SESSION_TYPE=x11 DISPLAY=:0", "", ""},
        {"WAYLAND_DISPLAY=wayland-0 DISPLAY=:0 QT_QPA_PLATFORM=wayland", "", ""},
        {"WAYLAND_DISPLAY=wayland-0 DISPLAY=:0", "-platform wayland", ""},
        {"WAYLAND_DISPLAY=wayland-0 DISPLAY=:0", "--platform offscreen", ""},
        {"", "-style fusion --version", "", StartQuestion::Version},
        {"", "--help --version", "", StartQuestion::Help},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.environment) + " | " + row.arguments);
        std::map<std::string, std::string> env;
        for (const std::string& pair : words(row.environment))
            if (const auto eq = pair.find('='); eq != std::string::npos)
                env[pair.substr(0, eq)] = pair.substr(eq + 1);
        std::vector<std::string> argWords = words(row.arguments);
        std::vector<char*> argv;
        for (std::string& w : argWords) argv.push_back(w.data());
        const int argc = static_cast<int>(argv.size());
        const std::string platform =
            app::platformToChoose([&](const char* name) { return env[name]; }, argc, argv.data());
        EXPECT_EQ(platform, row.platform);
        EXPECT_EQ(app::startQuestion(argc, argv.data()), row.question);
        app::QtArguments qt(argc, argv.data(), platform);
        ASSERT_EQ(qt.argc(), argc + (platform.empty() ? 0 : 2));
        EXPECT_EQ(qt.argv()[qt.argc()], nullptr);
        if (!platform.empty()) {
            EXPECT_EQ(std::string(qt.argv()[argc]) + " " + qt.argv()[argc + 1], "-platform " + platform);
        }
    }
}

}  // namespace
