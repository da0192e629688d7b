// Bad input through the whole program but its windows: the real settings
// file, the real launcher and process table, the real main window model and
// engine, on virtual time. Whatever the user typed or the file holds: no
// crash, a clear reason on the slot's light where something cannot be done,
// the pass keeps its pace, nothing stored is lost, and no shell runs and
// nothing is expanded.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "engine/Engine.h"
#include "form/VirtualTime.h"
#include "model/main/MainForm.h"
#include "platform/posix/IniSettingsBackend.h"
#include "platform/qt/LinuxPlatform.h"
#include "settings/Keys.h"
#include "settings/Store.h"
#include "support/Files.h"
#include "support/Poll.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
namespace keys = settings::keys;
using form::colour::Green;
using form::colour::Magenta;

using testing_support::pollUntil;
using testing_support::readFile;
using testing_support::TempFolder;
using testing_support::writeFile;

// The real launcher and process table; Sleep moves the virtual clock, so a
// pass runs in no time and its pace can be read off exactly.
class RealOnVirtualTime final : public platform::Platform {
public:
    explicit RealOnVirtualTime(form::VirtualClock& clock) : clock_(clock) {}
    platform::Result LaunchCommand(const std::string& command, int style) override {
        launchedAt.push_back(clock_.now());
        return real_.LaunchCommand(command, style);
    }
    void Sleep(int ms) override { clock_.advance(ms); }
    platform::ProcessQuery CountProcesses(const std::string& name) override {
        return real_.CountProcesses(name);
    }
    platform::Result SendNumLock() override { return platform::Result::failure("no keyboard here"); }
    platform::WindowHandle GetForegroundWindow() override { return 0; }
    platform::Result SetTopMost(platform::WindowHandle, bool) override { return {}; }
    platform::Result KeepAwake(bool) override { return {}; }
    platform::Result Available(platform::DesktopFeature) override {
        return platform::Result::failure("no desktop here");
    }
    std::optional<std::string> ChooseFileToRun(const std::string&, const std::string&, const std::string&,
                                               const std::string&) override {
        return std::nullopt;
    }
    std::string ProgramFolder() override { return "/"; }

    std::vector<form::Millis> launchedAt;

private:
    form::VirtualClock& clock_;
    platform::LinuxPlatform real_;
};

// The program as main() puts it together, over a settings folder.
struct Program {
    explicit Program(const fs::path& config) : backend(config), store(backend, "velmora") {}
    void start() {
        form = std::make_unique<model::MainForm>(vt.scheduler, store, "velmora", platform);
        engine = std::make_unique<engine::Engine>(*form, platform);
        form->Form_Load();
    }
    // Runs one pass from slot 1 and returns its length: slot 1's timer
    // enabled until the autoclose countdown is.
    form::Millis pass() {
        const form::Millis begin = vt.now();
        form->slot(1).mainTimer.setEnabled(true);
        EXPECT_TRUE(vt.runUntil([&] { return form->AUTOCLOSE_TIMER.enabled(); }, 10 * 60 * 1000));
        return vt.now() - begin;
    }

    form::VirtualTime vt;
    RealOnVirtualTime platform{vt.clock};
    platform::IniSettingsBackend backend;
    settings::Store store;
    std::unique_ptr<model::MainForm> form;
    std::unique_ptr<engine::Engine> engine;
};

bool waitForFile(const fs::path& file) {
    return pollUntil([&] { return fs::exists(file); }, std::chrono::seconds(10));
}

// What a recorder program received, one entry per argument.
std::vector<std::string> recordedArguments(const fs::path& file) {
    std::vector<std::string> words;
    const std::string bytes = readFile(file);
    for (std::size_t at = 0; at < bytes.size();) {
        const auto end = bytes.find('\0', at);
        words.push_back(bytes.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

struct CommandCase {
    const char* name;
    std::string command;                                // as typed; "@" stands for the recorder's path
    std::optional<std::vector<std::string>> arguments;  // received, when it starts
    const char* reason = nullptr;                       // on the light, when it cannot start
};

std::string replaceAt(std::string text, const std::string& by) {
    if (const auto at = text.find('@'); at != std::string::npos) text.replace(at, 1, by);
    return text;
}

}  // namespace

// Twenty slots, one awkward command each, in one pass.
TEST(BadInput, CommandsStartAsTypedOrSayWhyAndThePassKeepsItsPace) {
    TempFolder tmp;
    const fs::path marker = tmp.path() / "injected";
    tmp.write("plain.txt", "not a program");
    const std::string longArgument(100000 - 2, 'x');
    std::string millionInWords = "@";
    while (millionInWords.size() < 1'000'000) millionInWords += " word";
    const std::vector<CommandCase> cases = {
        {"Empty", "", std::nullopt, "Could not start: no command"},
        {"OnlyBlanks", " \t  ", std::nullopt, "Could not start: no command"},
        {"HundredThousandCharacters", "@ " + longArgument, std::vector<std::string>{longArgument}},
        {"MillionCharactersInWords", millionInWords, std::nullopt,
         "Could not start: the command is longer than"},
        {"ArgumentOverTheSystemsLimit", "@ " + std::string(200000, 'x'), std::nullopt,
         "Could not start: a word of the command is longer than"},
        {"UnmatchedQuote", "@ \"left open", std::vector<std::string>{"left open"}},
        {"ShellCharacters", "@ it's ; | & $HOME $(id) `id` \\ *.txt ~ a\nb",
         std::vector<std::string>{"it's", ";", "|", "&", "$HOME", "$(id)", "`id`", "\\", "*.txt", "~",
                                  "a\nb"}},
        {"InjectionAttempt", "@ x; touch " + marker.string() + " && echo $(touch " + marker.string() + ")",
         std::vector<std::string>{"x;", "touch", marker.string(), "&&", "echo", "$(touch",
                                  marker.string() + ")"}},
        {"QuotesInside", "@ \"a \"b\" c\" 'd e'", std::vector<std::string>{"a b c", "'d", "e'"}},
        {"Directory", tmp.path().string(), std::nullopt, "Could not start: is a directory, not a program"},
        {"NotExecutable", (tmp.path() / "plain.txt").string(), std::nullopt,
         "Could not start: not executable"},
        {"Missing", "velmora-no-such-program --flag", std::nullopt, "Could not start: program not found"},
        {"ExitsAtOnce", "/bin/true", std::vector<std::string>{}},
        {"ForksManyChildren",
         "/bin/sh -c \"for i in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do "
         "sleep 1 & done\"",
         std::vector<std::string>{}},
    };
    ASSERT_LE(cases.size(), 20U);

    const fs::path config = tmp.path() / "config";
    {
        // Saved as a settings window saves them, so they also cross the file.
        platform::IniSettingsBackend backend(config);
        settings::Store store(backend, "velmora");
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const int n = static_cast<int>(i) + 1;
            const fs::path recorder = tmp.path() / ("recorder" + std::to_string(n));
            tmp.write(recorder.filename().string(),
                      "#!/bin/sh\nprintf '%s\\0' \"$@\" > '" + recorder.string() + ".tmp'\nmv '" +
                          recorder.string() + ".tmp' '" + recorder.string() + ".args'\n",
                      fs::perms::owner_all);
            store.save(keys::taskCommand(n), replaceAt(cases[i].command, recorder.string()));
            store.saveTick(keys::taskEnable(n), 1);
        }
        for (int n = static_cast<int>(cases.size()) + 1; n <= keys::kSlots; ++n)
            store.saveTick(keys::taskEnable(n), 1), store.save(keys::taskCommand(n), "/bin/true");
    }
    const std::string fileBefore = readFile(config / "VELMORA" / "velmora.conf");

    Program program(config);
    program.start();
    const auto began = std::chrono::steady_clock::now();
    const form::Millis length = program.pass();
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(20))
        << "a command is settled at once, however long";
    EXPECT_EQ(length, 20 * 2000) << "twenty launched slots take 2 s each, whatever their commands";
    ASSERT_EQ(program.platform.launchedAt.size(), 20U);
    for (std::size_t i = 0; i < 20; ++i)
        EXPECT_EQ(program.platform.launchedAt[i] - program.platform.launchedAt[0],
                  static_cast<long>(i) * 2000);

    for (std::size_t i = 0; i < cases.size(); ++i) {
        const CommandCase& c = cases[i];
        const model::SlotRow& slot = program.form->slot(static_cast<int>(i) + 1);
        SCOPED_TRACE(c.name);
        EXPECT_EQ(slot.command,
                  replaceAt(c.command, (tmp.path() / ("recorder" + std::to_string(i + 1))).string()))
            << "the command read back from the file as it was saved";
        if (c.reason) {
            EXPECT_EQ(slot.light.backColour(), Magenta);
            EXPECT_EQ(slot.light.toolTip().rfind(c.reason, 0), 0U) << slot.light.toolTip();
        } else {
            EXPECT_EQ(slot.light.backColour(), Green) << slot.light.toolTip();
            EXPECT_EQ(slot.light.toolTip(), "");
        }
        if (c.arguments && c.command.starts_with("@")) {
            const fs::path args = tmp.path() / ("recorder" + std::to_string(i + 1) + ".args");
            ASSERT_TRUE(waitForFile(args));
            EXPECT_EQ(recordedArguments(args), *c.arguments);
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(fs::exists(marker)) << "a shell ran the injected command";
    EXPECT_EQ(readFile(config / "VELMORA" / "velmora.conf"), fileBefore) << "a pass writes nothing";
}

// Odd process names: nothing of that name runs, so the wait ends at the first
// poll; one that does run, with such a name, holds the pass until it ends.
TEST(BadInput, ProcessNamesAreMatchedAsPlainTextAndNeverHoldThePassWrongly) {
    TempFolder tmp;
    const std::vector<std::string> names = {"it's ; | & $HOME `id` \\ \" *",
                                            "a\nb",
                                            "Ünïcødé-ß-名前.exe",
                                            std::string(300, 'n'),
                                            "*",
                                            ".*",
                                            "'",
                                            ""};
    const fs::path config = tmp.path() / "config";
    // A running process whose name has quotes, separators and non-ASCII letters.
    const std::string oddRunning = "it's-é;|&$";
    fs::copy_file("/bin/sleep", tmp.path() / oddRunning);
    fs::permissions(tmp.path() / oddRunning, fs::perms::owner_all);
    {
        platform::IniSettingsBackend backend(config);
        settings::Store store(backend, "velmora");
        for (std::size_t i = 0; i < names.size(); ++i) {
            const int n = static_cast<int>(i) + 1;
            store.saveTick(keys::taskEnable(n), 1);
            store.saveTick(keys::taskPause(n), 1);
            store.save(keys::taskCommand(n), "/bin/true");
            store.save(keys::taskProcessName(n), names[i]);
        }
        store.saveTick(keys::taskEnable(20), 1);
        store.saveTick(keys::taskPause(20), 1);
        store.save(keys::taskCommand(20), "/bin/true");
        store.save(keys::taskProcessName(20), oddRunning);
    }
    Program program(config);
    program.start();
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(program.form->slot(static_cast<int>(i) + 1).processName, names[i]);

    const pid_t running = ::fork();
    if (running == 0) {
        const std::string path = (tmp.path() / oddRunning).string();
        ::execl(path.c_str(), path.c_str(), "60", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    platform::LinuxPlatform host;
    pollUntil([&] { return host.CountProcesses(oddRunning).count > 0; }, std::chrono::seconds(10));
    ASSERT_EQ(host.CountProcesses(oddRunning).count, 1) << "the odd-named process did not start";
    // Slots 1-8 wait 2 s each (launch sleep, first poll finds nothing),
    // 9-19 are skipped (1 s each); slot 20 waits while the process runs.
    program.form->slot(1).mainTimer.setEnabled(true);
    const form::Millis begin = program.vt.now();
    ASSERT_TRUE(program.vt.runUntil([&] { return program.form->slot(20).watcherTimer.enabled(); }, 60000));
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto& slot = program.form->slot(static_cast<int>(i) + 1);
        EXPECT_EQ(slot.light.backColour(), Green) << i;
        EXPECT_EQ(slot.light.toolTip(), "") << i;
    }
    EXPECT_EQ(program.vt.now() - begin, 1000 + 8 * 3000 + 11 * 1000 + 1000);
    program.vt.advance(5000);
    EXPECT_FALSE(program.form->AUTOCLOSE_TIMER.enabled()) << "the running process holds slot 20";

    ::kill(running, SIGKILL);
    ::waitpid(running, nullptr, 0);
    program.vt.advance(1000);
    EXPECT_TRUE(program.form->AUTOCLOSE_TIMER.enabled()) << "the next poll lets the pass go on";
}

namespace {

struct FileCase {
    const char* name;
    std::string bytes;
    std::map<std::string, std::string> reads;  // what start-up must find
    std::vector<std::string> kept;             // byte runs the file still holds after a shut-down
    bool damaged = false;                      // said so, and the original kept aside
};

std::string manyUnknownKeys() {
    std::string text = "[General]\nTASK_1_CMD=/bin/true\n";
    for (int i = 0; i < 100000; ++i) text += "UNKNOWN_" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    return text + "TASK_2_CMD=after them\n";
}

}  // namespace

TEST(BadInput, OddSectionFilesLoadKeepEverythingAndSaySoWhenDamaged) {
    const std::string big(10 * 1024 * 1024, 'b');
    const std::vector<FileCase> cases = {
        {"InvalidUtf8",
         "[General]\nTASK_1_CMD=caf\xe9 \xff\xfe "
         "run\n\xff\xfe_KEY=\xc3\x28\nTASK_1_PROCESS_NAME_TEXTBOX=n\xe9\n",
         {{"TASK_1_CMD", "caf\xe9 \xff\xfe run"}, {"TASK_1_PROCESS_NAME_TEXTBOX", "n\xe9"}},
         {"\xff\xfe_KEY=\xc3\x28", "TASK_1_CMD=caf\xe9 \xff\xfe run"}},
        {"HundredThousandUnknownKeys",
         manyUnknownKeys(),
         {{"TASK_1_CMD", "/bin/true"}, {"TASK_2_CMD", "after them"}},
         {"UNKNOWN_0=0\n", "UNKNOWN_99999=99999\n", "TASK_2_CMD=after them"}},
        {"DuplicateKeys",
         "[General]\nTASK_1_CMD=first\nMAIN-Left=1500\nTASK_1_CMD=second\n",
         {{"TASK_1_CMD", "second"}},
         {"TASK_1_CMD=second"}},
        {"TenMegabyteValue",
         "[General]\nTASK_3_CMD=" + big + "\nMAIN-Top=750\n",
         {{"TASK_3_CMD", big}},
         {"TASK_3_CMD=" + big + "\n"}},
        {"KeyWithoutEquals",
         "[General]\nTASK_1_CMD=kept\nTASK_2_CMD kept too\n",
         {{"TASK_1_CMD", "kept"}},
         {"TASK_1_CMD=kept"},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder tmp;
        const fs::path file = tmp.path() / "VELMORA" / "velmora.conf";
        writeFile(file, c.bytes);

        ::testing::internal::CaptureStderr();
        const auto began = std::chrono::steady_clock::now();
        {
            Program program(tmp.path());
            program.start();
            EXPECT_EQ(program.form->slot(1).command,
                      c.reads.count("TASK_1_CMD") ? c.reads.at("TASK_1_CMD") : "");
            for (const auto& [key, value] : c.reads) EXPECT_EQ(program.store.get(key, "?"), value) << key;
            program.form->slot(5).enable.setValue(1);
            program.form->Close();  // shut-down writes its 47 values
        }
        const auto took = std::chrono::steady_clock::now() - began;
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_LT(took, std::chrono::seconds(20));

        const std::string after = readFile(file);
        for (const auto& run : c.kept)
            EXPECT_NE(after.find(run), std::string::npos) << "lost: " << run.substr(0, 40);
        EXPECT_NE(after.find("TASK_5_ENABLE_TICKBOX=1"), std::string::npos);
        bool keptAside = false;
        for (const auto& entry : fs::directory_iterator(file.parent_path()))
            if (entry.path().filename().string().starts_with("velmora.conf.unreadable-")) {
                keptAside = true;
                EXPECT_EQ(readFile(entry.path()), c.bytes) << "the damaged original, as it was";
            }
        EXPECT_EQ(keptAside, c.damaged);
        if (c.damaged) {
            EXPECT_NE(said.find("damaged"), std::string::npos) << said;
        } else {
            EXPECT_EQ(said, "");
        }
    }
}
