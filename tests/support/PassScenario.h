#pragma once
// One unattended pass of the real program, as the X11 and the Windows program
// suites both run it: the task list, and what the pass must show. Each suite
// has a driver that stores the list, runs its system's program until it
// closes itself and hands back what it saw; the checks here are the same for
// both.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "TaskList.h"

namespace testing_support {

// What a slot starts: the marker program under a path with blanks, through
// a script, under a file name of its own for a while, or nothing that exists.
enum class Start { WithBlanks, Script, Staying, Missing };

struct PassSlot {
    int slot;
    Start start;
    std::string name;  // the marker's name
    std::string words = "";
    bool enabled = true;
    int stayMs = 0;          // Staying: how long it runs
    bool waitedFor = false;  // Pause 4 Process waits until it has ended
};

// From one moment of the pass to another: a marker's name, "shown" (the main
// window appeared) or "exited" (the program had ended).
struct Gap {
    std::string from, to;
    std::int64_t ms;
};

struct PassCase {
    std::string name;
    std::vector<PassSlot> slots;
    std::string order;                                       // the markers, in the order written
    std::vector<std::pair<std::string, std::string>> words;  // marker, the words it got
    std::vector<Gap> gaps;
    // {N}: slot N's command; {wait}: the process name waited for;
    // {missing}: why the missing program did not start.
    std::vector<std::string> trace;
    std::string lastRun;
    std::uint32_t statusRgb;  // the status line's colour at the next start
};

// The timings follow from the timers: an 11 s autostart countdown and 1 s
// to slot 1; a launched slot passes on after its 1 s sleep and one 1 s
// interval, a skipped one after an interval; the autoclose countdown counts
// 11 s.
inline const std::vector<PassCase>& passCases() {
    static const std::vector<PassCase> cases = {
        {"mixed",
         {{1, Start::WithBlanks, "A", "one \"two three\""},
          {2, Start::Script, "B"},
          {3, Start::Staying, "C", "", true, 4000, true},
          {4, Start::Missing, ""},
          {5, Start::WithBlanks, "E", "", false},
          // Runs on after the program has closed itself.
          {6, Start::Staying, "D", "", true, 30'000}},
         "A B C D",
         {{"A", "one two three"}, {"B", "from-script"}},
         {{"shown", "A", 12'000},
          {"A", "B", 2'000},
          {"A", "C", 4'000},
          // C runs 4 s; the first poll after it ends lets slot 4 start 1 s
          // later; slot 4 fails (1 s sleep, 1 s), slot 5 is skipped (1 s).
          {"C", "D", 9'000},
          // Slots 7 to 20 skipped (14 s), then the autoclose countdown (11 s).
          {"D", "exited", 26'000}},
         {"slot 1 \"TASK 1\" started: {1}", "slot 2 \"TASK 2\" started: {2}",
          "slot 3 \"TASK 3\" started: {3}", "slot 3 \"TASK 3\" P-4-P: waiting until no \"{wait}\" runs",
          "slot 3 \"TASK 3\" P-4-P: no \"{wait}\" runs any more, going on",
          "slot 4 \"TASK 4\" could not start: {missing}", "slot 6 \"TASK 6\" started: {6}",
          "pass finished with errors (slot 4): 4 started, 15 skipped"},
         "COMPLETED WITH ERRORS",
         0xFF0000},
        {"clean",
         {{1, Start::WithBlanks, "S"}},
         "S",
         {},
         {{"shown", "S", 12'000}, {"S", "exited", 2'000 + 18'000 + 11'000}},
         {"slot 1 \"TASK 1\" started: {1}", "pass finished: 1 started, 19 skipped"},
         "COMPLETED SUCCESSFULLY",
         0x00FF00},
    };
    return cases;
}

// Failures name the case, not its bytes.
inline void PrintTo(const PassCase& c, std::ostream* out) { *out << c.name; }

inline std::string caseName(const ::testing::TestParamInfo<PassCase>& info) {
    return info.param.name;
}

// How a system names a program that runs under a name of its own: its file,
// and the name Pause 4 Process is given for it.
struct OwnName {
    std::string file, process;
};

// The stored settings for the case's unattended pass (autostart, autoclose,
// nothing else of the desktop), less the window's place.
inline Settings unattendedPass(const PassCase& c, const Tasks& tasks,
                               const std::function<OwnName(const std::string& marker)>& ownName) {
    std::vector<std::pair<int, Slot>> slots;
    for (const auto& s : c.slots) {
        const OwnName own = ownName(s.name);
        const std::string command = s.start == Start::WithBlanks ? tasks.withBlanks(s.name, s.words)
                                    : s.start == Start::Script   ? tasks.script(s.name)
                                    : s.start == Start::Staying  ? tasks.staying(own.file, s.name, s.stayMs)
                                                                 : tasks.missing();
        slots.push_back({s.slot, Slot(command, s.waitedFor ? own.process : "", s.enabled)});
    }
    Settings stored = taskList(slots);
    stored.insert({{"AUTOSTART_TICKBOX", "1"},
                   {"AUTOCLOSE_TICKBOX", "1"},
                   {"AlwaysOnTopTimer_TICKBOX", "0"},
                   {"RIVA_AUTOSTART_TICKBOX", "0"}});
    return stored;
}

// What a driver saw of one pass.
struct PassRun {
    std::int64_t shownMs = 0, exitedMs = 0;  // system clock, as the markers
    bool exitedCleanly = false;              // by itself, with exit code 0
    std::vector<Marker> markers;
    std::vector<std::string> trace;  // the stamped lines of its error output, without the stamp
    Settings stored;                 // its settings afterwards
    double statusShare = 0;          // of the status line in the case's colour at the next start
};

// How close a system's timings come: between markers, and where the driver
// sees the window appear or the program end from outside.
struct Slack {
    std::int64_t markers, outside;
};

inline void expectPass(const PassCase& c, const PassRun& run, const Settings& list,
                       const std::optional<std::string>& missingReason, Slack slack) {
    SCOPED_TRACE("pass " + c.name);
    EXPECT_TRUE(run.exitedCleanly);
    std::string order;
    for (const auto& m : run.markers) order += (order.empty() ? "" : " ") + m.name;
    ASSERT_EQ(order, c.order) << "the markers in the wrong order or incomplete";
    const auto at = [&](const std::string& moment) -> std::int64_t {
        if (moment == "shown") return run.shownMs;
        if (moment == "exited") return run.exitedMs;
        for (const auto& m : run.markers)
            if (m.name == moment) return m.ms;
        return -1;
    };
    for (const auto& [marker, words] : c.words) {
        const auto m = std::find_if(run.markers.begin(), run.markers.end(),
                                    [&](const Marker& m) { return m.name == marker; });
        EXPECT_EQ(m != run.markers.end() ? m->words : "<none>", words) << marker;
    }
    for (const auto& gap : c.gaps) {
        const bool outside = gap.from == "shown" || gap.to == "exited";
        EXPECT_NEAR(at(gap.to) - at(gap.from), gap.ms, outside ? slack.outside : slack.markers)
            << gap.from << " to " << gap.to;
    }

    std::string waited;
    for (const auto& s : c.slots)
        if (s.waitedFor) waited = list.at("TASK_" + std::to_string(s.slot) + "_PROCESS_NAME_TEXTBOX");
    ASSERT_EQ(run.trace.size(), c.trace.size());
    for (std::size_t i = 0; i < c.trace.size(); ++i) {
        std::string expected = c.trace[i];
        const auto put = [&](const std::string& field, const std::string& value) {
            for (auto at = expected.find(field); at != std::string::npos; at = expected.find(field))
                expected.replace(at, field.size(), value);
        };
        for (int n = 1; n <= 20; ++n)
            put("{" + std::to_string(n) + "}", list.at("TASK_" + std::to_string(n) + "_CMD"));
        put("{wait}", waited);
        const auto reason = expected.find("{missing}");
        if (reason != std::string::npos && !missingReason) {
            // The system's own words, whatever they are, after the known part.
            EXPECT_EQ(run.trace[i].substr(0, reason), expected.substr(0, reason));
            EXPECT_GT(run.trace[i].size(), reason) << "no reason given";
        } else {
            if (missingReason) put("{missing}", *missingReason);
            EXPECT_EQ(run.trace[i], expected);
        }
    }

    for (const auto& [key, value] : Settings{{"LAST_RUN", c.lastRun}, {"AUTOSTART_TICKBOX", "1"}})
        EXPECT_EQ(run.stored.count(key) ? run.stored.at(key) : "<none>", value) << key;
    EXPECT_GT(run.statusShare, 0.5) << "the status line at the next start is not in " << std::hex
                                    << c.statusRgb;
}

}  // namespace testing_support
