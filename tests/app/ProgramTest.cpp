// The composition every program shares, on virtual time with a scripted
// platform, an in-memory store and a window host that records what opened.

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <regex>

#include "app/PassLog.h"
#include "app/Program.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeWindowHost.h"
#include "platform/fake/MemorySettingsBackend.h"

namespace {

using Op = platform::FakePlatform::Op;

struct ProgramTest : ::testing::Test {
    form::VirtualClock clock;
    platform::FakePlatform platform{clock};
    platform::MemorySettingsBackend backend;
    platform::FakeWindowHost host;
    std::vector<std::string> trace, notices;

    app::Program make() {
        return app::Program({backend, platform, clock, host, "velmora-work",
                             [this](const std::string& line) { trace.push_back(line); },
                             [this](const std::string& text) { notices.push_back(text); }});
    }
    // Jumps from tick to tick until `done` holds or a minute has passed.
    void runUntil(form::Scheduler& scheduler, const std::function<bool()>& done) {
        while (!done()) {
            const auto next = scheduler.nextDue();
            if (!next || *next > 60'000) return;
            clock.set(std::max(clock.now(), *next));
            scheduler.runDue();
        }
    }
};

TEST_F(ProgramTest, AStoredAutostartRunsThePassAndClosesUnderTheProgramsOwnName) {
    for (const auto& [key, value] : {std::pair{"AUTOSTART_TICKBOX", "1"},
                                     {"AUTOCLOSE_TICKBOX", "1"},
                                     {"TASK_1_ENABLE_TICKBOX", "1"},
                                     {"TASK_1_CMD", "mail"}})
        backend.seed("velmora-work", key, value);
    platform.setUnavailable(platform::DesktopFeature::WindowStacking, "not here");
    app::Program program = make();
    program.load();
    EXPECT_TRUE(program.form().AUTOCLOSE_START_BUTTON.enabled()) << "start-up's clicks reached no engine";
    runUntil(program.scheduler(), [&] { return program.form().unloaded(); });

    ASSERT_TRUE(program.form().unloaded()) << "the autoclose countdown never closed the window";
    ASSERT_EQ(platform.callsOf(Op::LaunchCommand).size(), 1u);
    EXPECT_EQ(platform.callsOf(Op::LaunchCommand)[0].text, "mail");
    EXPECT_EQ(backend.value("velmora-work", "LAST_RUN"), "COMPLETED SUCCESSFULLY");
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace[0], "slot 1 \"TASK 1\" started: mail");
    EXPECT_EQ(notices, std::vector<std::string>{"Always On Top unavailable: not here"});
}

TEST_F(ProgramTest, AboutAndSettingsOpenOverTheMainWindowThroughTheHost) {
    app::Program program = make();
    program.load();
    program.form().ABOUT_BUTTON.click();
    program.form().SETTINGS_BUTTON.click();
    ASSERT_EQ(host.shown().size(), 2u);
    EXPECT_EQ(host.shown()[0].window, "VELMORA_ABOUT");
    EXPECT_EQ(host.shown()[1].window, "VELMORA_SINGLE_SETTINGS_WINDOW");
    for (const auto& shown : host.shown()) EXPECT_EQ(shown.owner, "VELMORA_MAIN");
}

TEST(PassLogLine, NameLocalTimeAndLineInOnePiece) {
    const std::time_t when = 1'700'000'000;
    const std::string text = app::passLogLine("velmora-work", when, "slot 2 \"Chat\" started: chat");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(
        text, m, std::regex(R"(velmora-work: (\d\d):(\d\d):(\d\d) slot 2 "Chat" started: chat\n)")))
        << text;
    const std::tm local = *std::localtime(&when);
    EXPECT_EQ(std::stoi(m[1]) * 3600 + std::stoi(m[2]) * 60 + std::stoi(m[3]),
              local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);

    // A very long command is cut, never inside a character.
    std::string longText;
    for (std::size_t i = 0; i < 1500; ++i) longText += "\xC3\xA9";
    const std::string cut = app::passLogLine("velmora", when, "x" + longText);
    EXPECT_TRUE(cut.ends_with("\xC3\xA9... (3001 bytes in all)\n")) << cut.substr(cut.size() - 40);
    EXPECT_LT(cut.size(), app::kLongestTraceLine + 60);

    std::vector<std::string> writes;
    app::passLogTo([&](const std::string& t) { writes.push_back(t); }, "velmora")("a line");
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_TRUE(writes[0].starts_with("velmora: ") && writes[0].ends_with(" a line\n")) << writes[0];
}

}  // namespace
