// How the INI backend puts files on disk: private permissions, whole-file
// replacement that survives being killed, and running copies side by side.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <random>
#include <thread>
#include <tuple>
#include <variant>

#include "SettingsTestSupport.h"
#include "platform/posix/IniSettingsBackend.h"
#include "platform/posix/SettingsFiles.h"
#include "platform/posix/TokenFile.h"
#include "settings/Keys.h"

using platform::IniSettingsBackend;
using namespace settingstest;

namespace {

class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t old_;
};

std::vector<std::string> folderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(IniPermissions, FileIsOwnerOnlyAndCreatedFoldersArePrivateWhateverTheUmask) {
    ScopedUmask permissive(0);
    TempFolder folder;
    const auto root = folder.path() / "config";
    IniSettingsBackend backend(root);
    backend.write("VELMORA", "velmora", "TASK_1_CMD", "secret --token=abc");
    EXPECT_EQ(modeOf(root), 0700U);
    EXPECT_EQ(modeOf(root / "VELMORA"), 0700U);
    EXPECT_EQ(modeOf(root / "VELMORA" / "velmora.conf"), 0600U);
    // The new file was written beside the old one and renamed: nothing else is left.
    EXPECT_EQ(folderEntries(root / "VELMORA"), std::vector<std::string>{"velmora.conf"});
}

TEST(IniPermissions, AReadableFileBecomesOwnerOnlyWhenRewritten) {
    TempFolder folder;
    const auto file = folder.path() / "VELMORA" / "velmora.conf";
    writeFile(file, "[General]\nMAIN-Left=1\n");
    ::chmod(file.c_str(), 0644);
    IniSettingsBackend(folder.path()).write("VELMORA", "velmora", "MAIN-Top", "2");
    EXPECT_EQ(modeOf(file), 0600U);
}

TEST(IniPermissions, ASymbolicLinkIsFollowedAndKept) {
    TempFolder folder;
    const auto real = folder.path() / "dotfiles" / "velmora.conf";
    writeFile(real, "[General]\nMAIN-Left=1\n");
    const auto link = folder.path() / "config" / "VELMORA" / "velmora.conf";
    fs::create_directories(link.parent_path());
    fs::create_symlink(real, link);
    IniSettingsBackend(folder.path() / "config").write("VELMORA", "velmora", "MAIN-Top", "2");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(real), "[General]\nMAIN-Left=1\nMAIN-Top=2\n");
}

// The portal's token beside the settings: anything but a plain file of the
// user's is not read, and is replaced, never written through.
TEST(TokenFile, AnythingButAPlainFileIsNotReadAndIsReplacedNotWrittenThrough) {
    TempFolder folder;
    const auto settings = folder.path() / "velmora.conf", token = folder.path() / "velmora.portal-token";
    writeFile(settings, "[General]\nTASK_1_CMD=backup\n");
    const std::vector<std::tuple<std::string, std::function<void()>>> cases = {
        {"it is not a regular file", [&] { ::mkfifo(token.c_str(), 0600); }},
        {"it is a symbolic link", [&] { fs::create_symlink("/dev/zero", token); }},
        {"it is a symbolic link", [&] { fs::create_symlink(settings, token); }},
        {"it has other names (hard links)", [&] { fs::create_hard_link(settings, token); }},
        {"it is larger than 4 KiB", [&] { writeFile(token, std::string(5000, 'a')); }},
        {"", [&] { writeFile(token, " tok-1 \nrest"); }},
        {"", [&] { writeFile(token, "tok-1"), writeFile(token.string() + ".new-Ab12Cd", "a dead writer's"); }},
    };
    for (const auto& [problem, make] : cases) {
        SCOPED_TRACE(problem);
        fs::remove(token);
        make();
        const auto read = platform::posix::readToken(token);
        EXPECT_EQ(read.problem, problem);
        EXPECT_EQ(read.token, problem.empty() ? "tok-1" : "");
        EXPECT_EQ(platform::posix::writeToken(token, "tok-2"), std::nullopt);
        EXPECT_EQ(readFile(token), "tok-2\n");
        EXPECT_EQ(modeOf(token), 0600U);
        EXPECT_EQ(readFile(settings), "[General]\nTASK_1_CMD=backup\n");
        EXPECT_EQ(folderEntries(folder.path()),
                  (std::vector<std::string>{"velmora.conf", "velmora.portal-token"}));
    }
}

TEST(IniBytes, TextThatIsNotUtf8IsKeptByteForByte) {
    TempFolder folder;
    const std::string latin1 = "C:\\caf\xe9\\run.bat";
    IniSettingsBackend(folder.path()).write("VELMORA", "velmora", "TASK_1_CMD", latin1);
    IniSettingsBackend fresh(folder.path());
    EXPECT_EQ(fresh.read("VELMORA", "velmora", "TASK_1_CMD"), latin1);
    EXPECT_TRUE(fresh.warnings().empty());
}

TEST(IniAtomicity, KillingAWriterLeavesTheOldOrTheNewFileWhole) {
    TempFolder folder;
    const auto& table = settings::keys::all();
    {
        IniSettingsBackend seed(folder.path());
        for (const auto& info : table) seed.write("VELMORA", "velmora", info.key, info.key + "!");
    }
    std::mt19937 random(7);
    std::uniform_int_distribution<int> delayMs(1, 25);
    int changed = 0;
    for (int round = 0; round < 15; ++round) {
        const pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            IniSettingsBackend backend(folder.path());
            for (int n = 0;; ++n)
                backend.write("VELMORA", "velmora", "TASK_1_CMD", std::string(10000, 'a' + n % 26));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);

        IniSettingsBackend reader(folder.path());
        for (const auto& info : table) {
            const auto value = reader.read("VELMORA", "velmora", info.key);
            ASSERT_TRUE(value.has_value()) << info.key << " lost in round " << round;
            if (info.key != "TASK_1_CMD") {
                ASSERT_EQ(*value, info.key + "!");
            } else if (*value != "TASK_1_CMD!") {
                ++changed;
                ASSERT_EQ(value->size(), 10000U);
                ASSERT_EQ(value->find_first_not_of(value->front()), std::string::npos);
            }
        }
        ASSERT_TRUE(reader.warnings().empty()) << reader.warnings().front();
    }
    EXPECT_GT(changed, 0) << "the writer never got a write done; the test proved nothing";
}

TEST(IniConcurrency, TwoRunningCopiesWritingDifferentKeysLoseNothing) {
    TempFolder folder;
    constexpr int kWrites = 60;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        IniSettingsBackend other(folder.path());
        for (int i = 0; i < kWrites; ++i)
            other.write("VELMORA", "velmora", "CHILD_" + std::to_string(i), "c");
        ::_exit(0);
    }
    IniSettingsBackend mine(folder.path());
    for (int i = 0; i < kWrites; ++i) mine.write("VELMORA", "velmora", "PARENT_" + std::to_string(i), "p");
    ::waitpid(child, nullptr, 0);

    IniSettingsBackend reader(folder.path());
    for (int i = 0; i < kWrites; ++i) {
        EXPECT_EQ(reader.read("VELMORA", "velmora", "CHILD_" + std::to_string(i)), "c") << i;
        EXPECT_EQ(reader.read("VELMORA", "velmora", "PARENT_" + std::to_string(i)), "p") << i;
    }
}

// A copy stopped while it held the folder lock must not stop another from
// saving, and the two writing side by side must not remove each other's new
// files: every replace of each succeeds and nothing is left behind.
TEST(IniConcurrency, AWriterHoldingTheFolderLockPastTheWaitAndTheOneThatGaveUpBothSave) {
    namespace files = platform::settingsfiles;
    using Clock = std::chrono::steady_clock;
    TempFolder folder;
    const auto file = folder.path() / "VELMORA" / "velmora.conf";
    writeFile(file, "[General]\n");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const files::FolderLock lock(file.parent_path());
        [[maybe_unused]] auto told = ::write(ready[1], "x", 1);
        int failed = 0;
        for (const auto end = Clock::now() + std::chrono::seconds(3); Clock::now() < end;)
            failed += std::holds_alternative<std::string>(files::replace(file, "[General]\nHOLDER=1\n"));
        ::_exit(lock.held() && failed == 0 ? 0 : 1);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    const auto start = Clock::now();
    const files::FolderLock lock(file.parent_path());
    EXPECT_FALSE(lock.held());
    EXPECT_GE(Clock::now() - start, std::chrono::seconds(2)) << "gave up before the wait was over";
    int replaced = 0, failed = 0;
    int status = -1;
    while (::waitpid(holder, &status, WNOHANG) == 0) {
        const auto result = files::replace(file, "[General]\nMINE=1\n");
        ++(std::holds_alternative<std::string>(result) ? failed : replaced);
    }
    EXPECT_EQ(failed, 0);
    EXPECT_GT(replaced, 0) << "the writers never wrote side by side; the test proved nothing";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the lock holder lost a save";
    EXPECT_EQ(folderEntries(file.parent_path()), std::vector<std::string>{"velmora.conf"});
}
