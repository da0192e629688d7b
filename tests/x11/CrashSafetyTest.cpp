// The real program killed while it writes its settings, and two copies
// closing at once: the file always reads cleanly and holds one complete
// state, never a mix. Runs on Qt's offscreen platform: no display is needed
// to start, load, save and end.
//
// A scenario says how to make the program write (a shut-down, an
// all-settings "Save") and which values it writes. Each round seeds the file with the old state in forms the
// program reads but never writes ("+1", " 0 ", "1500.0"), so a file holding some keys rewritten and others
// not is told apart from either whole state.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <thread>

#include "Support.h"
#include "platform/posix/IniText.h"

namespace x11test {
namespace {

constexpr Millis kStart = 30s;
const std::string kBigValue(10 * 1024 * 1024, 'v');  // a 10 MB command line makes a write take a while

std::map<std::string, std::string> offscreenEnv(const fs::path& config, bool killed = false) {
    std::map<std::string, std::string> env{{"QT_QPA_PLATFORM", "offscreen"},
                                           {"XDG_CONFIG_HOME", config.string()}};
    // Under the sanitizers: a kill that lands in the leak check at exit would
    // cut its report short. A killed run is not checked for leaks; the runs
    // that end by themselves are.
    if (const char* asan = std::getenv("ASAN_OPTIONS"); killed && asan)
        env["ASAN_OPTIONS"] = std::string(asan) + ":detect_leaks=0";
    return env;
}

// Waits until a file of the folder named `name` was opened and closed for
// reading: the program's start-up has read its settings.
class ReadWatch {
public:
    ReadWatch(const fs::path& file)
        : name_(file.filename().string()), fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        fs::create_directories(file.parent_path());
        ::inotify_add_watch(fd_, file.parent_path().c_str(), IN_CLOSE_NOWRITE);
    }
    ~ReadWatch() { ::close(fd_); }
    ReadWatch(const ReadWatch&) = delete;
    ReadWatch& operator=(const ReadWatch&) = delete;

    void drain() { count(); }
    bool waitForRead(Millis timeout) {
        return testing_support::pollUntil([&] { return count() > 0; }, timeout, {}, 2ms);
    }
    // Waits until nobody has read the file for `quiet`: a program's start-up
    // reads it again when it changed meanwhile.
    void settle(Millis quiet) {
        const auto end = std::chrono::steady_clock::now() + 10 * quiet;
        do std::this_thread::sleep_for(quiet);
        while (count() > 0 && std::chrono::steady_clock::now() < end);
    }

private:
    int count() {
        int reads = 0;
        alignas(inotify_event) std::array<char, 4096> buffer;
        for (ssize_t got; (got = ::read(fd_, buffer.data(), buffer.size())) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
                if (event->len > 0 && name_ == event->name) ++reads;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return reads;
    }
    std::string name_;
    int fd_;
};

// Old and new forms of one pattern of ticks: ticks[i] for the i-th tick key.
struct State {
    Settings stored;   // as seeded
    Settings written;  // as the program writes it back
};

State shutdownState(unsigned pattern) {
    State state;
    state.stored = {{"MAIN-Left", "1500.0"}, {"MAIN-Top", "+750"}, {"TASK_1_CMD", kBigValue}};
    state.written = {{"MAIN-Left", "1500"}, {"MAIN-Top", "750"}, {"TASK_1_CMD", kBigValue}};
    int i = 0;
    for (const auto& key : shutdownKeys()) {
        if (key == "MAIN-Left" || key == "MAIN-Top") continue;
        if (key == "LAST_RUN") {
            state.stored[key] = state.written[key] = "pattern " + std::to_string(pattern);
            continue;
        }
        const bool ticked = ((pattern >> (i++ % 31)) & 1) != 0;
        state.stored[key] = ticked ? "+1" : " 0 ";
        state.written[key] = ticked ? "1" : "0";
    }
    return state;
}

// The file as this program's own reader sees it; nothing when it is damaged.
std::optional<Settings> readCleanly(const fs::path& file, const Settings& shape) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const auto document = platform::ini::Document::parse(bytes.str());
    if (!document.clean()) return std::nullopt;
    Settings values;
    for (const auto& [key, unused] : shape)
        if (const auto value = document.lookup(key)) values[key] = *value;
    return values;
}

std::vector<fs::path> strayTemporaries(const fs::path& folder) {
    std::vector<fs::path> strays;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().find(".conf.new-") != std::string::npos) strays.push_back(entry);
    return strays;
}

// What the all-settings "Save" writes over a task list saved before: new
// captions and process names, the commands (one of them 10 MB) as they were,
// and the window's place in its written form.
State allSettingsSaveState(unsigned) {
    State state;
    state.stored = {{"SETTINGS-Left", "1000.0"}, {"SETTINGS-Top", "+1000"}};
    state.written = {{"SETTINGS-Left", "1000"}, {"SETTINGS-Top", "1000"}};
    for (int n = 1; n <= 20; ++n) {
        const std::string slot = "TASK_" + std::to_string(n);
        state.stored[slot + "_TICKBOX_CAPTION"] = "TASK " + std::to_string(n) + " old";
        state.written[slot + "_TICKBOX_CAPTION"] = "TASK " + std::to_string(n) + " new";
        state.stored[slot + "_PROCESS_NAME_TEXTBOX"] = "old-proc-" + std::to_string(n);
        state.written[slot + "_PROCESS_NAME_TEXTBOX"] = "new-proc-" + std::to_string(n);
        state.stored[slot + "_CMD"] = state.written[slot + "_CMD"] =
            n == 1 ? kBigValue : "cmd " + std::to_string(n);
    }
    return state;
}

struct Scenario {
    std::string name;
    std::function<State(unsigned pattern)> state;
    std::function<void(Program&)> makeItWrite;  // after start-up; the program then writes and ends
    std::function<fs::path()> binary;           // the program to copy and run
};

fs::path saveWriterBinary() {
    const char* path = std::getenv("VELMORA_SAVE_WRITER");
    if (!path) throw std::runtime_error("VELMORA_SAVE_WRITER is not set");
    return path;
}

const std::vector<Scenario>& scenarios() {
    static const std::vector<Scenario> all{
        {"ShutDown", shutdownState, [](Program& p) { p.signal(SIGTERM); }, programBinary},
        {"AllSettingsSave", allSettingsSaveState, [](Program& p) { p.signal(SIGUSR1); }, saveWriterBinary},
    };
    return all;
}

class WriteUnderKill : public ::testing::TestWithParam<Scenario> {};

TEST_P(WriteUnderKill, EveryKillLeavesTheCompleteOldOrTheCompleteNewState) {
    const Scenario& scenario = GetParam();
    TempFolder tmp("kill");
    const std::string name = "vm-kill";
    const fs::path config = tmp.path() / "config";
    const fs::path file = settingsFile(config, name);
    const fs::path exe = tmp.path() / name;
    fs::copy_file(scenario.binary(), exe);
    ReadWatch watch(file);
    const State state = scenario.state(5);

    // One round: seed, start, wait for start-up's read, make it write, and
    // kill it `killAfter` later (never, when empty). The wait status.
    auto round = [&](std::optional<std::chrono::microseconds> killAfter, Millis* took = nullptr) {
        writeSettings(file, state.stored);
        watch.drain();
        Program program(exe, offscreenEnv(config, killAfter.has_value()), tmp.path() / "output.txt");
        EXPECT_TRUE(watch.waitForRead(kStart)) << "start-up never read its settings: " << program.output();
        const auto start = std::chrono::steady_clock::now();
        scenario.makeItWrite(program);
        if (killAfter) {
            std::this_thread::sleep_for(*killAfter);
            program.signal(SIGKILL);
        }
        const auto status = program.waitExit(20s);
        if (took) *took = std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start);
        EXPECT_TRUE(status.has_value()) << program.output();
        return status.value_or(-1);
    };

    // Undisturbed, the program writes the whole new state; how long that
    // takes bounds the moments to kill it at.
    Millis writeTime{};
    ASSERT_EQ(describeStatus(round(std::nullopt, &writeTime)), "exit 0");
    ASSERT_EQ(readCleanly(file, state.written), state.written) << "the new state, undisturbed";
    ASSERT_TRUE(strayTemporaries(file.parent_path()).empty());
    ASSERT_NE(state.stored, state.written);

    std::mt19937 random(2024);
    std::uniform_int_distribution<long> moment(
        0, std::chrono::duration_cast<std::chrono::microseconds>(writeTime * 5 / 4).count());
    int oldKept = 0, newWritten = 0, killedMidWrite = 0;
    for (int kill = 0; kill < 100; ++kill) {
        round(std::chrono::microseconds(moment(random)));
        const auto found = readCleanly(file, state.written);
        ASSERT_TRUE(found.has_value()) << "kill " << kill << " left a file that does not parse";
        if (*found == state.stored) {
            ++oldKept;
        } else {
            ASSERT_EQ(*found, state.written) << "kill " << kill << " left a mix of old and new values";
            ++newWritten;
        }
        // A temporary left now was being written when the kill came.
        killedMidWrite += strayTemporaries(file.parent_path()).empty() ? 0 : 1;
    }
    std::printf("100 kills over %lld ms: old state kept %d, new state written %d, killed mid-write %d\n",
                static_cast<long long>(writeTime.count()), oldKept, newWritten, killedMidWrite);
    EXPECT_GT(oldKept, 0) << "no kill came before the write was done";
    EXPECT_GT(newWritten, 0) << "no kill came after the write was done";
    EXPECT_GT(killedMidWrite, 0) << "no kill came while the new file was being written";

    // The next write removes what killed writers left.
    ASSERT_EQ(describeStatus(round(std::nullopt)), "exit 0");
    EXPECT_TRUE(strayTemporaries(file.parent_path()).empty());
    EXPECT_EQ(readCleanly(file, state.written), state.written);
}

INSTANTIATE_TEST_SUITE_P(Writes, WriteUnderKill, ::testing::ValuesIn(scenarios()),
                         [](const auto& info) { return info.param.name; });

TEST(CopiesClosingTogether, LeaveOneCopysCompleteState) {
    TempFolder tmp("two");
    const std::string name = "vm-two";
    const fs::path config = tmp.path() / "config";
    const fs::path file = settingsFile(config, name);
    const fs::path exe = installCopy(tmp.path(), name);
    ReadWatch watch(file);
    const State first = shutdownState(0x15555555), second = shutdownState(0x2AAAAAAA);
    ASSERT_NE(first.written, second.written);

    for (int attempt = 0; attempt < 5; ++attempt) {
        // Each copy starts from its own file, so each has its own state to write.
        writeSettings(file, first.stored);
        watch.drain();
        Program a(exe, offscreenEnv(config), tmp.path() / "a.txt");
        ASSERT_TRUE(watch.waitForRead(kStart)) << a.output();
        // Done with its start-up, so the next read seen is the second copy's.
        watch.settle(300ms);
        writeSettings(file, second.stored);
        watch.drain();
        Program b(exe, offscreenEnv(config), tmp.path() / "b.txt");
        ASSERT_TRUE(watch.waitForRead(kStart)) << b.output();

        a.signal(SIGTERM);
        b.signal(SIGTERM);
        const auto statusA = a.waitExit(20s), statusB = b.waitExit(20s);
        ASSERT_TRUE(statusA && statusB);
        EXPECT_EQ(describeStatus(*statusA), "exit 0") << a.output();
        EXPECT_EQ(describeStatus(*statusB), "exit 0") << b.output();

        const auto found = readCleanly(file, first.written);
        ASSERT_TRUE(found.has_value()) << "the file does not parse";
        EXPECT_TRUE(*found == first.written || *found == second.written)
            << "attempt " << attempt << ": a mix of the two copies' states";
        EXPECT_TRUE(strayTemporaries(file.parent_path()).empty());
    }
}

}  // namespace
}  // namespace x11test
