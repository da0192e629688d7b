// The unattended passes of support/PassScenario.h with the real velmora.exe,
// all side by side, plus what the Windows driver also reads off the screen:
// the lights while the autoclose countdown runs, the window's look, the keys
// stored at the end and the status line's text at the next start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <list>

#include "Driver.h"
#include "Look.h"
#include "support/PassScenario.h"
#include "windows/ReadAloud.h"

using namespace drive;
using testing_support::PassCase;
using testing_support::PassRun;

namespace {

constexpr COLORREF kGreen = 0x00FF00, kRed = 0x0000FF, kMagenta = 0xFF00FF;

COLORREF fromRgb(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The system finds a process by its file name in any case: the wait is
// given the name in capitals.
testing_support::OwnName ownName(const std::string& marker) {
    std::string file = "own-" + marker + ".exe", process = file;
    std::transform(process.begin(), process.end(), process.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return {file, process};
}

struct Pass {
    Pass(const PassCase& c, int leftPx)
        : c(c), run("vm-pass-" + c.name), list(unattendedPass(c, run.tasks, ownName)) {
        Settings seed = mainWindowAt(leftPx, 20);
        for (const auto& [key, value] : list) seed[key] = value;
        writeSection(run.program.name(), seed);
        run.program.start();
    }
    const PassCase& c;
    StartedProgram run;
    Settings list;
    PassRun seen;
};

// Polls every pass at once, so that each moment is taken when it happens:
// `now` says whether a pass has reached it, `note` records it.
bool waitForEach(std::list<Pass>& passes, Millis limit, const std::function<bool(Pass&)>& now,
                 const std::function<void(Pass&)>& note) {
    std::vector<bool> reached(passes.size());
    return waitUntil(
        [&] {
            std::size_t i = 0;
            for (Pass& pass : passes) {
                if (!reached[i] && now(pass)) reached[i] = true, note(pass);
                ++i;
            }
            return std::all_of(reached.begin(), reached.end(), [](bool r) { return r; });
        },
        limit);
}

// The status line as the next start shows it: its text, and how much of it
// has the case's colour.
double statusAtNextStart(Pass& pass) {
    Program& program = pass.run.program;
    writeSection(program.name(), {{"AUTOSTART_TICKBOX", "0"}});
    program.start();
    const Window main = program.mainWindow();
    EXPECT_TRUE(main);
    const HWND status = main ? main["LAST_RUN_TEXTBOX"] : nullptr;
    if (!status) return 0;
    EXPECT_EQ(text(status), pass.c.lastRun);
    const COLORREF colour = fromRgb(pass.c.statusRgb);
    waitUntil([&] { return grab(screenRect(status)).share(colour) > 0.5; }, 5s);
    const double share = grab(screenRect(status)).share(colour);
    PostMessageW(main.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.waitForExit(10s));
    return share;
}

// The lights of the mixed pass while its autoclose countdown runs: passed,
// failed, skipped.
void expectLights(const Window& main) {
    const struct {
        int slot;
        COLORREF colour;
    } lights[] = {{1, kGreen}, {2, kGreen}, {3, kGreen}, {4, kMagenta}, {5, kRed}, {6, kGreen}, {7, kRed}};
    for (const auto& light : lights) {
        HWND box = main["TASK_" + std::to_string(light.slot) + "_LIGHT"];
        ASSERT_TRUE(box);
        const Shot shot = grab(screenRect(box));
        EXPECT_GT(shot.share(light.colour), 0.5)
            << "light " << light.slot << " pixel " << std::hex << shot.at(shot.width / 2, 3);
    }
}

}  // namespace

TEST(RealPass, EachPassRunsTheListOnTimeReportsAMissingProgramClosesItselfAndTheNextStartShowsTheResult) {
    std::list<Pass> passes;
    int leftPx = 20;
    for (const PassCase& c : testing_support::passCases()) passes.emplace_back(c, leftPx), leftPx += 410;
    ASSERT_TRUE(waitForEach(
        passes, 20s, [](Pass& p) { return p.run.program.findMain() != nullptr; },
        [](Pass& p) { p.seen.shownMs = epochMillis(); }));

    Pass& mixed = passes.front();
    ASSERT_EQ(mixed.c.name, "mixed");
    const Window main = mixed.run.program.mainWindow();
    ASSERT_TRUE(waitUntil([&] { return mixed.run.tasks.names() == mixed.c.order; }, 60s))
        << mixed.run.tasks.names();
    pause(2500ms);
    expectLights(main);
    shootAndCheck(main, "main-window", true);
    // A light set back reads "waiting" alone: its reason goes with its colour.
    const HWND failed = main["TASK_4_LIGHT"];
    EXPECT_NE(readAloud(failed).description, L"");
    SendMessageW(failed, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    EXPECT_EQ(readAloud(failed).value + L"|" + readAloud(failed).description, L"waiting|");

    ASSERT_TRUE(waitForEach(
        passes, 60s, [](Pass& p) { return !p.run.program.running(); },
        [](Pass& p) { p.seen.exitedMs = epochMillis(); }))
        << "a program still open a minute after the last slot";
    for (Pass& pass : passes) {
        pass.seen.exitedCleanly = pass.run.program.exitCode() == 0;
        pass.seen.markers = pass.run.tasks.markers();
        pass.seen.trace = pass.run.program.trace();
        pass.seen.stored = readSection(pass.run.program.name());
    }

    const Settings& stored = mixed.seen.stored;
    for (const auto& [key, value] : Settings{{"AUTOCLOSE_TICKBOX", "1"},
                                             {"AlwaysOnTopTimer_TICKBOX", "0"},
                                             {"RIVA_AUTOSTART_TICKBOX", "0"},
                                             {"TASK_3_PAUSE_TICKBOX", "1"},
                                             {"TASK_5_ENABLE_TICKBOX", "0"},
                                             {"TASK_6_ENABLE_TICKBOX", "1"},
                                             {"MAIN-Left", "300"},
                                             {"MAIN-Top", "300"}})
        EXPECT_EQ(stored.count(key) ? stored.at(key) : "<none>", value) << key;
    EXPECT_EQ(stored.count("MAIN-Width"), 0u);

    // One timer interval is 1 s; a start under Wine may take a few hundred ms more.
    for (Pass& pass : passes) {
        pass.seen.statusShare = statusAtNextStart(pass);
        expectPass(pass.c, pass.seen, pass.list, std::nullopt, {1000, 1000});
    }
}
