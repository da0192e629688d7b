#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/qt/LinuxPlatform.h"
#include "support/Poll.h"
#include "support/TempFolder.h"

using testing_support::kExecutable;
using testing_support::TempFolder;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The launched program writes its files and then a "done" marker.
bool waitForFile(const std::string& path, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    return testing_support::pollUntil([&] { return std::filesystem::exists(path); }, limit);
}

// Fields of /proc/<pid>/stat after the parenthesised name, from field 3 on.
std::vector<long long> statFields(const std::string& stat) {
    std::istringstream rest(stat.substr(stat.rfind(')') + 2));
    std::vector<long long> fields{0, 0, 0, 0};  // index = field number; 1-3 unused
    std::string state;
    rest >> state;
    long long value;
    while (rest >> value) fields.push_back(value);
    return fields;
}

unsigned long long maskOf(const std::string& status, const std::string& key) {
    const auto at = status.find(key + ":");
    if (at == std::string::npos) return ~0ULL;
    return std::stoull(status.substr(at + key.size() + 1), nullptr, 16);
}

// Zombies anywhere in the table whose parent is this test.
int zombieChildrenOfUs() {
    int found = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string stat = readFile(entry.path().string() + "/stat");
        if (stat.empty() || stat.find(')') == std::string::npos) continue;
        const std::string afterName = stat.substr(stat.rfind(')') + 2);
        if (afterName[0] == 'Z' && statFields(stat)[4] == getpid()) ++found;
    }
    return found;
}

// The process whose short name is `name`, or 0.
pid_t findProcess(const std::string& name) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string stat = readFile(entry.path().string() + "/stat");
        const auto at = stat.find(" (" + name + ") ");
        if (at != std::string::npos && stat[at + name.size() + 4] != 'Z')
            return static_cast<pid_t>(std::stoll(stat));
    }
    return 0;
}

}  // namespace

TEST(Launch, ProgramGetsItsArgumentsUnchangedAndNoShellRunsInBetween) {
    TempFolder dir;
    const std::string out = dir / "args";
    const std::string script = dir.write("show args",
                                         "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '" +
                                             out + ".tmp'\nmv '" + out + ".tmp' '" + out + "'\n",
                                         kExecutable);
    platform::LinuxPlatform host;
    const auto result = host.LaunchCommand("\"" + script + "\" one \"two words\" \"\" $HOME * ~ 'q'", 1);
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_TRUE(waitForFile(out));
    EXPECT_EQ(readFile(out), "[one]\n[two words]\n[]\n[$HOME]\n[*]\n[~]\n['q']\n");
}

TEST(Launch, ProgramIsDetachedInItsOwnSessionWithCleanDescriptorsAndSignals) {
    TempFolder dir;
    // A copy of sleep under a name of our own lets us find the program and
    // look at it from outside while it runs.
    const std::string name = "vm-l-" + std::to_string(getpid());
    const std::string program = dir / name;
    std::filesystem::copy_file("/bin/sleep", program);
    std::filesystem::permissions(program, kExecutable);

    // A descriptor of ours without close-on-exec must still not reach the program.
    const int leaky = ::open(dir.write("open file", "x").c_str(), O_RDONLY);
    ASSERT_GE(leaky, 3);
    // Nor may a blocked or ignored signal of ours.
    sigset_t usr1, before;
    sigemptyset(&usr1);
    sigaddset(&usr1, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &usr1, &before);
    const auto oldUsr2 = ::signal(SIGUSR2, SIG_IGN);

    platform::LinuxPlatform host;
    const auto result = host.LaunchCommand(program + " 30", 1);

    ::signal(SIGUSR2, oldUsr2);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    ::close(leaky);
    ASSERT_TRUE(result.ok) << result.error;

    pid_t pid = 0;
    testing_support::pollUntil([&] { return (pid = findProcess(name)) != 0; }, std::chrono::seconds(5));
    ASSERT_NE(pid, 0) << "the program did not start";
    const std::string proc = "/proc/" + std::to_string(pid);

    // Just after the exec the loader has a file of its own open for a moment;
    // a descriptor of ours would stay open as long as the program runs.
    std::vector<int> open;
    testing_support::pollUntil(
        [&] {
            open.clear();
            for (const auto& fd : std::filesystem::directory_iterator(proc + "/fd"))
                open.push_back(std::stoi(fd.path().filename().string()));
            std::sort(open.begin(), open.end());
            return open == std::vector<int>{0, 1, 2};
        },
        std::chrono::seconds(2));
    EXPECT_EQ(open, (std::vector<int>{0, 1, 2}));

    const auto fields = statFields(readFile(proc + "/stat"));
    EXPECT_NE(fields[4], getpid()) << "the program must not be our child";
    EXPECT_EQ(fields[6], pid) << "the program leads a session of its own";

    const std::string status = readFile(proc + "/status");
    EXPECT_EQ(maskOf(status, "SigBlk") & (1ULL << (SIGUSR1 - 1)), 0ULL);
    EXPECT_EQ(maskOf(status, "SigIgn") & (1ULL << (SIGUSR2 - 1)), 0ULL);

    // Once it has ended nothing of it is left with us.
    ::kill(pid, SIGKILL);
    // Its new parent reaps it in its own time; ended is enough here.
    testing_support::pollUntil([&] { return findProcess(name) == 0; }, std::chrono::seconds(10));
    errno = 0;
    const pid_t reaped = ::waitpid(-1, nullptr, WNOHANG);
    EXPECT_TRUE(reaped == 0 || (reaped == -1 && errno == ECHILD)) << "reaped " << reaped;
    EXPECT_EQ(zombieChildrenOfUs(), 0);
}

TEST(Launch, FailuresStartNothingAndSayWhy) {
    TempFolder dir;
    platform::LinuxPlatform host;
    const auto empty = host.LaunchCommand("   ", 1);
    EXPECT_FALSE(empty.ok);
    EXPECT_EQ(empty.error, "no command");

    const auto missing = host.LaunchCommand("velmora-surely-not-installed --flag", 1);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, "program not found: velmora-surely-not-installed");

    const std::string plain = dir.write("data file", "not a program\n");
    const auto notExecutable = host.LaunchCommand(plain, 1);
    EXPECT_FALSE(notExecutable.ok);
    EXPECT_EQ(notExecutable.error, "not executable: " + plain);

    const auto directory = host.LaunchCommand(dir.path().string(), 1);
    EXPECT_FALSE(directory.ok);
    EXPECT_NE(directory.error.find("is a directory"), std::string::npos);
}

TEST(Launch, AnExecThatFailsIsReportedNotTakenForSuccess) {
    TempFolder dir;
    // Executable bits but no "#!" and no binary format: the kernel refuses it.
    const std::string bogus = dir.write("bogus", "just some text\n", kExecutable);
    platform::LinuxPlatform host;
    const auto result = host.LaunchCommand(bogus, 1);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "cannot start " + bogus + ": not a program: a script needs a #! line");
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}
