// The unattended passes of support/PassScenario.h with the real program on
// a real display, plus what the Linux driver also checks: no launched
// process is left a zombie, and one that runs on after the program has
// ended is detached from it.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "Support.h"
#include "support/PassScenario.h"

namespace x11test {
namespace {

using testing_support::PassCase;
using testing_support::Start;

constexpr Millis kAppear = 20s;

// LAST_RUN_TEXTBOX: 1200, 1080 twips inside the client area, 4335 x 330.
constexpr int kStatusX = 80, kStatusY = 72, kStatusW = 289, kStatusH = 22;

// Share of the box's inner pixels that have exactly this colour.
double share(const Image& shot, std::uint32_t colour) {
    int hits = 0, total = 0;
    for (int y = 3; y < shot.height - 3; ++y)
        for (int x = 3; x < shot.width - 3; ++x, ++total)
            if (shot.at(x, y) == colour) ++hits;
    return total ? static_cast<double>(hits) / total : 0.0;
}

// The kernel keeps 15 characters of a process name: short ones, of this
// test run's own.
testing_support::OwnName ownName(const std::string& marker) {
    const std::string name = "vm" + marker + std::to_string(::getpid());
    return {name, name};
}

// The "<name>: HH:MM:SS " stamped lines of the output, without the stamp.
std::vector<std::string> trace(const std::string& output, const std::string& name) {
    std::vector<std::string> lines;
    std::istringstream in(output);
    const std::regex stamped("^" + name + R"(: \d\d:\d\d:\d\d (.*)$)");
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (std::regex_match(line, m, stamped)) lines.push_back(m[1]);
    }
    return lines;
}

class UnattendedPass : public OnDisplay, public ::testing::WithParamInterface<PassCase> {
protected:
    struct Run {
        std::int64_t shownMs = 0;   // the window was first listed by the window manager
        std::int64_t exitedMs = 0;  // the program was seen to have ended
        std::optional<int> status;
        std::set<pid_t> zombies;  // children of the program left unreaped
        std::string output;
    };

    // Runs the program until it closes itself, watching for zombie children.
    Run runUntilItClosesItself(const std::string& name, Millis limit) {
        Run run;
        Program program(installCopy(tmp.path(), name), env(), tmp.path() / (name + ".out"));
        const auto window = x->waitForClient(program.pid(), "VELMORA - " + name, kAppear);
        run.shownMs = epochMillis();
        if (!window) {
            ADD_FAILURE() << "no window within 20 s:\n" << program.output();
            return run;
        }
        const auto deadline = std::chrono::steady_clock::now() + limit;
        std::set<pid_t> unreaped;  // seen once as a zombie; twice in a row counts
        while (program.running() && std::chrono::steady_clock::now() < deadline) {
            std::set<pid_t> now;
            for (const auto& p : processes()) {
                if (p.ppid != program.pid() || p.state != 'Z') continue;
                now.insert(p.pid);
                if (unreaped.count(p.pid)) run.zombies.insert(p.pid);
            }
            unreaped = now;
            std::this_thread::sleep_for(200ms);
        }
        run.exitedMs = epochMillis();
        run.status = program.waitExit(0ms);
        run.output = program.output();
        return run;
    }

    // Starts the program again without autostart and reads the status line's
    // colour from the screen.
    Image statusLineAtNextStart(const std::string& name) {
        const fs::path file = settingsFile(config, name);
        Settings s = readSettings(file);
        s["AUTOSTART_TICKBOX"] = "0";  // a second pass would repaint the status line
        writeSettings(file, s);
        Program program(installCopy(tmp.path(), name), env(), tmp.path() / (name + ".next.out"));
        const auto window = x->waitForClient(program.pid(), "VELMORA - " + name, kAppear);
        if (!window) {
            ADD_FAILURE() << "no window at the next start:\n" << program.output();
            return {};
        }
        const auto f = x->waitForSettledFrame(*window, 500ms, 5s);
        if (!f) {
            ADD_FAILURE() << "the window was never framed";
            return {};
        }
        Image shot = x->grab(f->clientX + kStatusX, f->clientY + kStatusY, kStatusW, kStatusH);
        x->grab(f->x, f->y, f->width, f->height).savePng(artifactDir() / (name + "-next-start.png"));
        x->closeViaWindowManager(*window);
        const auto status = program.waitExit(10s);
        EXPECT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
        return shot;
    }
};

TEST_P(UnattendedPass, RunsOnTimeClosesItselfAndTheNextStartShowsTheResult) {
    const PassCase& c = GetParam();
    const std::string name = "vm-pass-" + c.name;
    const testing_support::Tasks tasks(tmp.path() / "work", testing_support::markerProgram());
    const Settings list = unattendedPass(c, tasks, ownName);
    Settings seed = list;
    seed["MAIN-Left"] = c.name == "mixed" ? "15000" : "21750";
    seed["MAIN-Top"] = "750";
    writeSettings(settingsFile(config, name), seed);

    const Run run = runUntilItClosesItself(name, 90s);
    // What runs on by design goes with the test.
    struct Cleanup {
        std::vector<std::string> names;
        ~Cleanup() {
            for (const auto& n : names)
                for (const auto& p : processesNamed(n)) ::kill(p.pid, SIGKILL);
        }
    } cleanup;
    for (const auto& s : c.slots) cleanup.names.push_back(ownName(s.name).file);
    ASSERT_TRUE(run.status) << "the program had not closed itself 90 s after it appeared:\n" << run.output;
    EXPECT_TRUE(run.zombies.empty()) << run.zombies.size() << " launched process(es) left as zombies";
    for (const auto& s : c.slots) {
        if (s.start != Start::Staying || s.waitedFor) continue;
        const auto survivors = processesNamed(ownName(s.name).file);
        ASSERT_EQ(survivors.size(), 1u) << "slot " << s.slot << "'s process did not outlive the program";
        EXPECT_NE(survivors[0].state, 'Z');
    }

    testing_support::PassRun seen;
    seen.shownMs = run.shownMs;
    seen.exitedMs = run.exitedMs;
    seen.exitedCleanly = describeStatus(*run.status) == "exit 0";
    seen.markers = tasks.markers();
    seen.trace = trace(run.output, name);
    seen.stored = readSettings(settingsFile(config, name));
    const Image status = statusLineAtNextStart(name);
    seen.statusShare = status.width == kStatusW ? share(status, c.statusRgb) : 0;
    const std::string missing = tasks.missing();
    expectPass(c, seen, list, "program not found: " + missing.substr(0, missing.rfind(' ')), {500, 1500});
}

INSTANTIATE_TEST_SUITE_P(Cases, UnattendedPass, ::testing::ValuesIn(testing_support::passCases()),
                         testing_support::caseName);

}  // namespace
}  // namespace x11test
