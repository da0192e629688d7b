#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "platform/posix/ProcessMatch.h"
#include "platform/posix/ProcessTable.h"
#include "platform/qt/LinuxPlatform.h"
#include "support/Poll.h"
#include "support/TempFolder.h"

using platform::posix::countMatchingProcesses;
using testing_support::TempFolder;

namespace {

struct FakeProcess {
    std::string comm;
    char state = 'S';
    std::optional<std::string> exe;      // link target; none: unreadable
    std::optional<std::string> cmdline;  // raw, NUL-separated; none: unreadable
    int threads = 1;
};

// A process table laid out like /proc, for cases a live system cannot be
// made to show on demand.
class FakeProcTree {
public:
    void add(int pid, const FakeProcess& p) {
        const std::string dir = std::to_string(pid) + "/";
        std::string stat = std::to_string(pid) + " (" + p.comm + ") " + p.state;
        for (int field = 4; field < 20; ++field) stat += " 1";  // ppid .. nice
        stat += " " + std::to_string(p.threads) + " 0 12345 4096 300\n";
        tree_.write(dir + "stat", stat);
        tree_.write(dir + "comm", p.comm + "\n");
        if (p.exe) std::filesystem::create_symlink(*p.exe, tree_.path() / dir / "exe");
        if (p.cmdline) tree_.write(dir + "cmdline", *p.cmdline);
    }
    int count(const std::string& name) const {
        const auto answer = countMatchingProcesses(tree_.path().string(), name);
        EXPECT_TRUE(answer.ok) << answer.error;
        return answer.count;
    }
    const TempFolder& dir() const { return tree_; }

private:
    TempFolder tree_;
};

std::string args(std::initializer_list<std::string> words) {
    std::string raw;
    for (const auto& w : words) raw += w + '\0';
    return raw;
}

}  // namespace

TEST(ProcessTable, MatchesTheExecutableFileName) {
    FakeProcTree proc;
    // A renamed worker that rewrote its command line still runs its program file.
    proc.add(10, {"Web Content", 'S', "/opt/app/appd", args({"appd: worker 3"})});
    proc.add(11, {"upgraded", 'S', "/usr/sbin/upgraded-daemon (deleted)", args({"x"})});
    EXPECT_EQ(proc.count("appd"), 1);
    EXPECT_EQ(proc.count("Web Content"), 1);
    EXPECT_EQ(proc.count("upgraded-daemon"), 1);
    EXPECT_EQ(proc.count("/opt/app/appd"), 0) << "names are file names, not paths";
}

TEST(ProcessTable, MatchesTheFileNameOfTheFirstCommandLineWord) {
    FakeProcTree proc;
    // Another user's process: exe unreadable, short name changed by the program.
    proc.add(20, {"idx-main", 'S', std::nullopt, args({"/srv/bin/indexer", "--daemon"})});
    // A script run by the shell: the kernel names the process after the script.
    proc.add(21, {"backup-job", 'S', "/usr/bin/bash", args({"/bin/sh", "/home/u/bin/backup-job"})});
    EXPECT_EQ(proc.count("indexer"), 1);
    EXPECT_EQ(proc.count("--daemon"), 0);
    EXPECT_EQ(proc.count("backup-job"), 1);
    EXPECT_EQ(proc.count("sh"), 1);
    EXPECT_EQ(proc.count("bash"), 1);
}

TEST(ProcessTable, LongNamesAndTheCutShortName) {
    FakeProcTree proc;
    const std::string longName = "velmora-nightly-backup";  // the kernel keeps "velmora-nightly"
    // Known only by its cut short name (a kernel thread or a hidden process).
    proc.add(30, {"velmora-nightly", 'S', std::nullopt, std::nullopt});
    EXPECT_EQ(proc.count(longName), 1);
    EXPECT_EQ(proc.count("velmora-nightly"), 1);
    EXPECT_EQ(proc.count("velmora-nightl"), 0);

    FakeProcTree other;
    // The cut short name fits but the process shows it runs something else.
    other.add(31, {"velmora-nightly", 'S', "/usr/bin/velmora-nightly-report",
                   args({"/usr/bin/velmora-nightly-report"})});
    EXPECT_EQ(other.count(longName), 0);
    EXPECT_EQ(other.count("velmora-nightly-report"), 1);

    FakeProcTree script;
    // A long-named script under an interpreter.
    script.add(32, {"velmora-nightly", 'S', "/usr/bin/bash",
                    args({"/bin/bash", "/home/u/bin/velmora-nightly-backup", "--full"})});
    script.add(33, {"bash", 'S', "/usr/bin/bash", args({"bash", "/home/u/bin/velmora-nightly-backup"})});
    EXPECT_EQ(script.count(longName), 1) << "only the one the kernel named after the script";
}

TEST(ProcessTable, DeadProcessesDoNotCount) {
    FakeProcTree proc;
    proc.add(40, {"worker", 'Z', std::nullopt, std::nullopt});
    proc.add(41, {"worker", 'X', std::nullopt, std::nullopt});
    proc.add(42, {"worker", 'R', "/usr/bin/worker", args({"worker"})});
    EXPECT_EQ(proc.count("worker"), 1);
    // A process whose first thread ended while others go on still runs.
    proc.add(43, {"worker", 'Z', std::nullopt, std::nullopt, 3});
    EXPECT_EQ(proc.count("worker"), 2);
}

TEST(ProcessTable, NamesAreExactPlainText) {
    FakeProcTree proc;
    proc.add(50, {"it's", 'S', "/opt/a*b?", args({"/opt/[x]"})});
    proc.add(51, {"Backup", 'S', "/usr/bin/Backup", args({"Backup"})});
    proc.add(52, {"", 'S', std::nullopt, std::nullopt});
    EXPECT_EQ(proc.count("it's"), 1);
    EXPECT_EQ(proc.count("it'"), 0);
    EXPECT_EQ(proc.count("' OR '1'='1"), 0);
    EXPECT_EQ(proc.count("a*b?"), 1);
    EXPECT_EQ(proc.count("*"), 0);
    EXPECT_EQ(proc.count("a"), 0);
    EXPECT_EQ(proc.count("[x]"), 1);
    EXPECT_EQ(proc.count("x"), 0);
    EXPECT_EQ(proc.count("backup"), 0);
    EXPECT_EQ(proc.count("BACKUP"), 0);
    EXPECT_EQ(proc.count("Backup"), 1);
    EXPECT_EQ(proc.count(""), 0) << "an empty name matches nothing, not even an empty one";
}

TEST(ProcessTable, EverySameNamedProcessCountsAndStrayEntriesAreSkipped) {
    FakeProcTree proc;
    for (int pid = 60; pid < 65; ++pid) proc.add(pid, {"job", 'S', "/usr/bin/job", args({"job"})});
    // Not process entries, or ones that vanished while being read.
    proc.dir().write("self/comm", "job\n");
    proc.dir().write("self/stat", "1 (job) S 1 1 1\n");
    proc.dir().write("66/comm", "job\n");  // stat gone: ended after its name was read
    proc.dir().write("67/comm", "job\n");
    proc.dir().write("67/stat", "67 job S no parentheses\n");
    std::filesystem::create_directories(proc.dir().path() / "68");
    EXPECT_EQ(proc.count("job"), 5);
}

TEST(ProcessTable, AnUnreadableTableIsAFailureNotZero) {
    const auto answer = countMatchingProcesses("/nonexistent/velmora-proc", "bash");
    EXPECT_FALSE(answer.ok);
    EXPECT_NE(answer.error.find("/nonexistent/velmora-proc"), std::string::npos);
}

namespace {

// Records which facts the matcher asked for.
struct CountingFacts final : platform::posix::ProcessFacts {
    CountingFacts(bool alive, std::string comm, std::string exe, std::string cmdline)
        : isAlive(alive),
          shortName(std::move(comm)),
          exePath(std::move(exe)),
          commandLine(std::move(cmdline)) {}
    bool isAlive;
    std::string shortName, exePath, commandLine;
    int exeReads = 0, cmdlineReads = 0, stateReads = 0;
    std::string_view comm() override { return shortName; }
    std::optional<std::string_view> exe() override {
        ++exeReads;
        return exePath;
    }
    std::optional<std::string_view> cmdline() override {
        ++cmdlineReads;
        return commandLine;
    }
    bool alive() override {
        ++stateReads;
        return isAlive;
    }
};

}  // namespace

TEST(ProcessMatch, CostlyFactsAreReadOnlyWhenTheCheaperOnesCannotDecide) {
    using platform::posix::processMatches;
    CountingFacts byComm{true, "job", "/usr/bin/job", std::string("job\0", 4)};
    EXPECT_TRUE(processMatches("job", byComm));
    EXPECT_EQ(byComm.exeReads + byComm.cmdlineReads, 0);

    CountingFacts byExe{true, "renamed", "/usr/bin/job", std::string("job\0", 4)};
    EXPECT_TRUE(processMatches("job", byExe));
    EXPECT_EQ(byExe.cmdlineReads, 0);

    // The state is the dearest fact: only a process that matched needs it.
    CountingFacts other{true, "other", "/usr/bin/other", std::string("other\0", 6)};
    EXPECT_FALSE(processMatches("job", other));
    EXPECT_EQ(other.stateReads, 0);

    CountingFacts dead{false, "job", "/usr/bin/job", "job"};
    EXPECT_FALSE(processMatches("job", dead));
    EXPECT_EQ(dead.stateReads, 1);
}

namespace {

// A copy of `sleep` under a name of our own, so nothing else on the machine
// shares it.
std::string copyOfSleep(const TempFolder& dir, const std::string& name) {
    const std::string copy = dir / name;
    std::filesystem::copy_file("/bin/sleep", copy);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
    return copy;
}

int countOf(platform::LinuxPlatform& host, const std::string& name) {
    const auto answer = host.CountProcesses(name);
    EXPECT_TRUE(answer.ok) << answer.error;
    return answer.count;
}

bool waitUntil(const std::function<bool()>& condition) {
    return testing_support::pollUntil(condition, std::chrono::seconds(5));
}

}  // namespace

TEST(ProcessQuery, FindsARealProcessUntilItEnds) {
    TempFolder dir;
    const std::string shortName = "vm-q-" + std::to_string(getpid());
    const std::string longName = "velmora-query-test-" + std::to_string(getpid());
    const std::string program = copyOfSleep(dir, shortName);
    const std::string longProgram = copyOfSleep(dir, longName);
    platform::LinuxPlatform host;
    ASSERT_EQ(countOf(host, shortName), 0);

    const pid_t a = ::fork();
    if (a == 0) {
        ::execl(program.c_str(), program.c_str(), "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const pid_t b = ::fork();
    if (b == 0) {
        ::execl(longProgram.c_str(), longProgram.c_str(), "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    EXPECT_TRUE(waitUntil([&] { return countOf(host, shortName) == 1; }));
    EXPECT_TRUE(waitUntil([&] { return countOf(host, longName) == 1; }));
    {
        // A copy is known by its own name, not by the program it was copied
        // from. Looked at in a table of just the two copies, since any other
        // sleep may be running on the machine.
        TempFolder only;
        for (pid_t pid : {a, b})
            std::filesystem::create_directory_symlink("/proc/" + std::to_string(pid),
                                                      only / std::to_string(pid));
        platform::LinuxPlatform copies;
        copies.setProcRoot(only.path().string());
        EXPECT_EQ(countOf(copies, shortName), 1);
        EXPECT_EQ(countOf(copies, "sleep"), 0) << "a copy is known by its own name";
    }

    // Killed but not yet reaped: a zombie, which no longer runs.
    ::kill(a, SIGKILL);
    EXPECT_TRUE(waitUntil([&] { return countOf(host, shortName) == 0; }));
    ::kill(b, SIGKILL);
    ::waitpid(a, nullptr, 0);
    ::waitpid(b, nullptr, 0);
    EXPECT_EQ(countOf(host, longName), 0);
}

TEST(ProcessQuery, CountsOurOwnProcessToo) {
    platform::LinuxPlatform host;
    EXPECT_GE(countOf(host, "test_platform_qt"), 1);
}

namespace {

// Counts how often files named `leaf` are opened in each process folder.
class OpenCounter {
public:
    OpenCounter(const std::filesystem::path& root, const std::string& leaf)
        : leaf_(leaf), fd_(::inotify_init1(IN_NONBLOCK)) {
        for (const auto& entry : std::filesystem::directory_iterator(root))
            ::inotify_add_watch(fd_, entry.path().c_str(), IN_OPEN);
    }
    ~OpenCounter() { ::close(fd_); }
    OpenCounter(const OpenCounter&) = delete;
    OpenCounter& operator=(const OpenCounter&) = delete;
    int take() {
        int opens = 0;
        alignas(inotify_event) std::array<char, 65536> buffer;
        for (ssize_t got; (got = ::read(fd_, buffer.data(), buffer.size())) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
                if (event->len > 0 && leaf_ == event->name) ++opens;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return opens;
    }

private:
    std::string leaf_;
    int fd_;
};

}  // namespace

TEST(ProcessWatch, RepeatedPollsReadTheCostlyFactsOnlyOfNewOrChangedProcesses) {
    FakeProcTree proc;
    for (int pid = 100; pid < 200; ++pid)
        proc.add(pid, {"idle", 'S', "/usr/bin/idle", args({"/usr/bin/idle", "--wait"})});
    platform::LinuxPlatform host;
    host.setProcRoot(proc.dir().path().string());
    OpenCounter cmdlines(proc.dir().path(), "cmdline");
    EXPECT_EQ(countOf(host, "job"), 0);
    EXPECT_EQ(cmdlines.take(), 100) << "the first poll learns every process";
    for (int poll = 0; poll < 10; ++poll) {
        EXPECT_EQ(countOf(host, "job"), 0);
        EXPECT_LE(cmdlines.take(), 10) << "a later poll reads a tenth afresh, no more";
    }

    // Appeared since: a new process, read in full.
    proc.add(200, {"runner", 'S', std::nullopt, args({"/opt/job"})});
    EXPECT_EQ(countOf(host, "job"), 1);
    // Ran another program: its short name changed, so it is read afresh at once.
    proc.dir().write("150/comm", "wrapper\n");
    std::filesystem::remove(proc.dir().path() / "150" / "exe");
    std::filesystem::create_symlink("/usr/bin/job", proc.dir().path() / "150" / "exe");
    EXPECT_EQ(countOf(host, "job"), 2);
    // Ended: no longer counted.
    std::filesystem::remove_all(proc.dir().path() / "200");
    EXPECT_EQ(countOf(host, "job"), 1);
}

TEST(ProcessWatch, AnExecThatKeepsTheShortNameIsSeenWithinTenPolls) {
    FakeProcTree proc;
    proc.add(300, {"bash", 'S', "/usr/bin/bash", args({"bash"})});
    platform::LinuxPlatform host;
    host.setProcRoot(proc.dir().path().string());
    EXPECT_EQ(countOf(host, "job"), 0);
    // exec -a job bash: the same program and short name, another first word.
    proc.dir().write("300/cmdline", args({"job"}));
    int polls = 1;
    while (countOf(host, "job") == 0 && polls < 20) ++polls;
    EXPECT_LE(polls, 10);
}

namespace {

// A child running `program` with `args`, its standard input a pipe the test
// writes to; killed and reaped at the end of the scope.
class Child {
public:
    Child(const std::string& program, std::vector<std::string> args) {
        int in[2];
        if (::pipe2(in, O_CLOEXEC) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        input_ = in[1];
    }
    ~Child() {
        end();
        if (input_ >= 0) ::close(input_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void say(const std::string& line) const { (void)!::write(input_, line.data(), line.size()); }
    void kill() const { ::kill(pid_, SIGKILL); }  // a zombie until reaped
    void end() {
        if (pid_ <= 0) return;
        kill();
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int input_ = -1;
};

std::size_t openDescriptors() {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                                  std::filesystem::directory_iterator{}));
}

enum class Act { StartA, StartB, ExecA, KillA, EndA, EndB, AskOtherName };

struct Step {
    Act act;
    int running;          // what a scan of the whole table counts afterwards
    std::size_t holding;  // processes the watch holds after its poll
};

struct HeldWaitCase {
    const char* what;
    platform::posix::PidfdOpener opener;
    std::vector<Step> steps;
};

int refusedAsMissing(long) {
    return -ENOSYS;
}
int refusedBySandbox(long) {
    return -EPERM;
}

}  // namespace

// Each poll of a watch that holds its processes gives the answer a scan of
// the whole table gives at the same moment.
TEST(ProcessWatch, AHeldWaitAnswersAsAScanDoes) {
    using enum Act;
    const std::vector<HeldWaitCase> cases = {
        {"a second process of the name outlives the first",
         platform::posix::openPidfd,
         {{StartA, 1, 1}, {StartB, 2, 1}, {EndA, 1, 1}, {EndB, 0, 0}}},
        {"a held process runs another program", platform::posix::openPidfd, {{StartA, 1, 1}, {ExecA, 0, 0}}},
        {"a held process ends between two polls, not yet reaped",
         platform::posix::openPidfd,
         {{StartA, 1, 1}, {KillA, 0, 0}}},
        {"a poll for another name lets go and finds its own",
         platform::posix::openPidfd,
         {{StartA, 1, 1}, {AskOtherName, 0, 0}, {StartB, 2, 2}, {EndA, 1, 1}, {EndB, 0, 0}}},
        {"pidfd_open is missing",
         refusedAsMissing,
         {{StartA, 1, 0}, {StartB, 2, 0}, {EndA, 1, 0}, {EndB, 0, 0}}},
        {"pidfd_open is refused", refusedBySandbox, {{StartA, 1, 0}, {KillA, 0, 0}}},
    };
    TempFolder dir;
    const std::string name = "vm-h-" + std::to_string(getpid());
    const std::string other = "vm-o-" + std::to_string(getpid());
    // A: a shell that runs another program when told; B: a plain sleeper.
    std::filesystem::create_directories(dir.path() / "a");
    std::filesystem::copy_file("/bin/sh", dir / ("a/" + name));
    std::filesystem::permissions(dir / ("a/" + name), std::filesystem::perms::owner_all);
    const std::string programA = dir / ("a/" + name);
    const std::string programB = copyOfSleep(dir, name);

    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t descriptors = openDescriptors();
        platform::posix::ProcessTable watch("/proc", c.opener);
        std::optional<Child> a, b;
        for (const Step& step : c.steps) {
            switch (step.act) {
                case StartA:
                    a.emplace(programA, std::vector<std::string>{"-c", "read x; exec /bin/sleep 30"});
                    break;
                case StartB:
                    b.emplace(programB, std::vector<std::string>{"30"});
                    break;
                case ExecA:
                    a->say("go\n");
                    break;
                case KillA:
                    a->kill();
                    break;
                case EndA:
                    a->end();
                    break;
                case EndB:
                    b->end();
                    break;
                case AskOtherName:
                    break;
            }
            const std::string asked = step.act == AskOtherName ? other : name;
            EXPECT_TRUE(waitUntil([&] {
                return countMatchingProcesses("/proc", asked).count == step.running;
            })) << "the processes did not get there; step "
                << static_cast<int>(step.act);
            const auto answer = watch.count(asked);
            ASSERT_TRUE(answer.ok) << answer.error;
            EXPECT_EQ(answer.count > 0, step.running > 0) << "step " << static_cast<int>(step.act);
            EXPECT_EQ(watch.held(), step.holding) << "step " << static_cast<int>(step.act);
            // A watch that scans counts exactly; one that holds, its own.
            if (step.holding == 0) {
                EXPECT_EQ(answer.count, step.running);
            }
        }
        a.reset();
        b.reset();
        EXPECT_EQ(openDescriptors(), descriptors) << "every descriptor let go";
    }
}
