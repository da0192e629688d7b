// One whole unattended run of the real program: autostart, a pass over real
// commands, a Pause 4 Process wait on a real process, autoclose, and what the
// next start shows. The commands are small scripts that append
// "<name> <epoch-ms>" to a log, so order and spacing can be checked after.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "Support.h"

namespace x11test {
namespace {

constexpr Millis kAppear = 20s;
// Tolerance on the spacing of slots: one timer interval is 1 s.
constexpr std::int64_t kSlack = 500;

// LAST_RUN_TEXTBOX: 1200, 1080 twips inside the client area, 4335 x 330.
constexpr int kStatusX = 80, kStatusY = 72, kStatusW = 289, kStatusH = 22;

struct LogLine {
    std::string name;
    std::int64_t ms;
    std::string rest;
};

std::vector<LogLine> readLog(const fs::path& file) {
    std::vector<LogLine> lines;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        LogLine entry;
        words >> entry.name >> entry.ms;
        std::getline(words, entry.rest);
        if (!entry.rest.empty() && entry.rest.front() == ' ') entry.rest.erase(0, 1);
        lines.push_back(entry);
    }
    return lines;
}

std::string names(const std::vector<LogLine>& log) {
    std::string out;
    for (const auto& l : log) out += (out.empty() ? "" : " ") + l.name;
    return out;
}

std::int64_t at(const std::vector<LogLine>& log, const std::string& name) {
    for (const auto& l : log)
        if (l.name == name) return l.ms;
    ADD_FAILURE() << name << " missing from the launch log: " << names(log);
    return 0;
}

fs::path findProgram(const std::string& name) {
    for (const char* dir : {"/usr/bin", "/bin"})
        if (fs::exists(fs::path(dir) / name)) return fs::path(dir) / name;
    throw std::runtime_error(name + " not found");
}

// A script that logs its name and arguments, then runs `then` if given.
void logScript(const fs::path& dir, const std::string& name, const fs::path& log,
               const std::string& then = "") {
    writeScript(dir / (name + ".sh"), "printf '%s %s %s\\n' " + name + " \"$(date +%s%3N)\" \"$*\" >> '" +
                                          log.string() + "'\n" + then);
}

// Share of the box's inner pixels that have exactly this colour.
double share(const Image& shot, std::uint32_t colour) {
    int hits = 0, total = 0;
    for (int y = 3; y < shot.height - 3; ++y)
        for (int x = 3; x < shot.width - 3; ++x, ++total)
            if (shot.at(x, y) == colour) ++hits;
    return total ? static_cast<double>(hits) / total : 0.0;
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        display = fixtureDisplay();
        ASSERT_FALSE(display.empty()) << "no display: run through ctest so the fixture starts Xvfb";
        x = std::make_unique<XSession>(display);
        ASSERT_TRUE(x->ok());
        work = tmp.path() / "work";
        config = tmp.path() / "config";
        fs::create_directories(work);
        log = work / "launch.log";
    }

    std::map<std::string, std::string> env() const {
        return {{"DISPLAY", display}, {"QT_QPA_PLATFORM", "xcb"}, {"XDG_CONFIG_HOME", config.string()}};
    }

    // Stored slots: every one of the twenty written, the unlisted ones off.
    struct Slot {
        std::string cmd;
        bool enabled;
        std::string waitFor;  // P-4-P process name, empty for none
    };
    static Slot on(const fs::path& cmd, const std::string& args = "") {
        return {cmd.string() + args, true, ""};
    }
    static Slot off(const fs::path& cmd) { return {cmd.string(), false, ""}; }
    static Slot onThenWaitFor(const fs::path& cmd, const std::string& process) {
        return {cmd.string(), true, process};
    }
    Settings store(const std::map<int, Slot>& slots, int leftPx) const {
        Settings s = {{"MAIN-Left", std::to_string(leftPx * 15)},
                      {"MAIN-Top", "750"},
                      {"AUTOSTART_TICKBOX", "1"},
                      {"AUTOCLOSE_TICKBOX", "1"},
                      {"AlwaysOnTopTimer_TICKBOX", "0"}};
        for (int n = 1; n <= 20; ++n) {
            const std::string t = "TASK_" + std::to_string(n);
            const auto it = slots.find(n);
            const bool has = it != slots.end();
            s[t + "_ENABLE_TICKBOX"] = has && it->second.enabled ? "1" : "0";
            s[t + "_CMD"] = has ? it->second.cmd : "";
            s[t + "_PAUSE_TICKBOX"] = has && !it->second.waitFor.empty() ? "1" : "0";
            s[t + "_PROCESS_NAME_TEXTBOX"] = has ? it->second.waitFor : "";
        }
        return s;
    }

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

    TempFolder tmp{"e2e"};
    std::string display;
    std::unique_ptr<XSession> x;
    fs::path work, config, log;
};

TEST_F(EndToEnd, AutostartedPassRunsTasksInOrderWaitsForProcessAndClosesItself) {
    const std::string tag = std::to_string(::getpid());
    // Short names: the kernel keeps 15 characters of a process name.
    const std::string holder = "vmhold" + tag;
    const std::string linger = "vmlinger" + tag;
    const fs::path sleep = findProgram("sleep");
    fs::copy_file(sleep, work / holder);
    fs::copy_file(sleep, work / linger);

    logScript(work, "A", log);
    // B holds slot 2's wait: its copy of sleep lives 3.5 s, then B logs the end.
    logScript(work, "B", log,
              "'" + (work / holder).string() + "' 3.5\nprintf 'HOLDER_END %s\\n' \"$(date +%s%3N)\" >> '" +
                  log.string() + "'\n");
    logScript(work, "C", log);
    // D becomes a long-lived process that must outlive the program.
    logScript(work, "D", log, "exec '" + (work / linger).string() + "' 30\n");
    logScript(work, "SKIPPED", log);
    logScript(work, "E", log);

    const std::string name = "vm-e2e-ok";
    writeSettings(settingsFile(config, name), store({{1, on(work / "A.sh")},
                                                     {2, onThenWaitFor(work / "B.sh", holder)},
                                                     {3, on(work / "C.sh")},
                                                     {4, on(work / "D.sh")},
                                                     {5, off(work / "SKIPPED.sh")},
                                                     {6, on(work / "E.sh", " \"two words\" plain")}},
                                                    1000));

    const Run run = runUntilItClosesItself(name, 90s);
    struct Cleanup {
        std::string name;
        ~Cleanup() {
            for (const auto& p : processesNamed(name)) ::kill(p.pid, SIGKILL);
        }
    } cleanup{linger};

    ASSERT_TRUE(run.status) << "the program had not closed itself 90 s after it appeared:\n" << run.output;
    EXPECT_EQ(describeStatus(*run.status), "exit 0") << run.output;

    const auto entries = readLog(log);
    ASSERT_EQ(names(entries), "A B HOLDER_END C D E") << "launch log in the wrong order or incomplete";
    const auto A = at(entries, "A"), B = at(entries, "B"), C = at(entries, "C");
    const auto D = at(entries, "D"), E = at(entries, "E"), end = at(entries, "HOLDER_END");

    std::printf(
        "timeline (ms): shown->A %lld, A->B %lld, B->holder end %lld, holder end->C %lld, "
        "C->D %lld, D->E %lld, E->exit %lld\n",
        static_cast<long long>(A - run.shownMs), static_cast<long long>(B - A),
        static_cast<long long>(end - B), static_cast<long long>(C - end), static_cast<long long>(D - C),
        static_cast<long long>(E - D), static_cast<long long>(run.exitedMs - E));

    // The autostart countdown counts 11 s, then slot 1 ticks 1 s later.
    EXPECT_NEAR(A - run.shownMs, 12000, 1500);
    // A launched slot passes on after its 1 s sleep plus one 1 s interval.
    EXPECT_NEAR(B - A, 2000, kSlack);
    EXPECT_NEAR(D - C, 2000, kSlack);
    // Slot 5 is skipped: 2 s after D for slot 5, 1 s more for slot 6.
    EXPECT_NEAR(E - D, 3000, kSlack);
    // The wait held slot 3 until the holder ended; the poll that found it gone
    // comes within 1 s of the end and slot 3 ticks 1 s after that.
    EXPECT_GT(C, end);
    EXPECT_LE(C - end, 2000 + kSlack);
    EXPECT_NEAR(C - B, 5000, kSlack + 500);
    // The command line reached the script split at blanks, quotes grouping.
    EXPECT_EQ(entries.back().rest, "two words plain");

    // Slot 7 ticks 2 s after slot 6, slots 8..20 a second apart, and the
    // autoclose countdown closes at its eleventh tick.
    EXPECT_NEAR(run.exitedMs - E, 2000 + 13000 + 11000, 1500);
    EXPECT_TRUE(run.zombies.empty()) << run.zombies.size() << " launched process(es) left as zombies";

    const Settings after = readSettings(settingsFile(config, name));
    EXPECT_EQ(after.at("LAST_RUN"), "COMPLETED SUCCESSFULLY");
    EXPECT_EQ(after.at("AUTOSTART_TICKBOX"), "1");

    // The launched long-lived process runs on, detached, not a zombie.
    const auto survivors = processesNamed(linger);
    ASSERT_EQ(survivors.size(), 1u) << "the launched " << linger << " did not outlive the program";
    EXPECT_NE(survivors[0].state, 'Z');

    const Image status = statusLineAtNextStart(name);
    ASSERT_EQ(status.width, kStatusW);
    EXPECT_GT(share(status, 0x00FF00), 0.5)
        << "status line not green at the next start, pixel " << std::hex << status.at(5, 5);
}

TEST_F(EndToEnd, MissingProgramIsReportedAndTheRestStillRuns) {
    logScript(work, "A", log);
    logScript(work, "C", log);
    const std::string name = "vm-e2e-err";
    writeSettings(
        settingsFile(config, name),
        store({{1, on(work / "A.sh")}, {2, on(work / "no-such-program", " --flag")}, {3, on(work / "C.sh")}},
              1450));

    const Run run = runUntilItClosesItself(name, 90s);
    ASSERT_TRUE(run.status) << "the program had not closed itself 90 s after it appeared:\n" << run.output;
    EXPECT_EQ(describeStatus(*run.status), "exit 0") << run.output;

    const auto entries = readLog(log);
    ASSERT_EQ(names(entries), "A C");
    std::printf("timeline (ms): shown->A %lld, A->C %lld, C->exit %lld\n",
                static_cast<long long>(at(entries, "A") - run.shownMs),
                static_cast<long long>(at(entries, "C") - at(entries, "A")),
                static_cast<long long>(run.exitedMs - at(entries, "C")));
    EXPECT_GT(at(entries, "C") - at(entries, "A"), 2000 - kSlack);
    EXPECT_TRUE(run.zombies.empty());

    const Settings after = readSettings(settingsFile(config, name));
    EXPECT_EQ(after.at("LAST_RUN"), "COMPLETED WITH ERRORS");

    // Which slot failed and why stays on standard error, one stamped line per
    // event, for a session's journal to keep.
    std::vector<std::string> trace;
    std::istringstream output(run.output);
    const std::regex stamped("^" + name + R"(: \d\d:\d\d:\d\d (.*)$)");
    for (std::string line; std::getline(output, line);) {
        std::smatch m;
        if (std::regex_match(line, m, stamped)) trace.push_back(m[1]);
    }
    const std::string program = (work / "no-such-program").string();
    EXPECT_EQ(trace, (std::vector<std::string>{
                         "slot 1 \"TASK 1\" started: " + (work / "A.sh").string(),
                         "slot 2 \"TASK 2\" could not start: program not found: " + program,
                         "slot 3 \"TASK 3\" started: " + (work / "C.sh").string(),
                         "pass finished with errors (slot 2): 2 started, 17 skipped",
                     }))
        << run.output;

    const Image status = statusLineAtNextStart(name);
    ASSERT_EQ(status.width, kStatusW);
    EXPECT_GT(share(status, 0xFF0000), 0.5)
        << "status line not red at the next start, pixel " << std::hex << status.at(5, 5);
}

}  // namespace
}  // namespace x11test
