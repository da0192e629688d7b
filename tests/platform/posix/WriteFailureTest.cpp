// A write that cannot be done (a read-only file, a full disk) says why,
// keeps the old file as it was and leaves no temporary file behind; the
// temporaries of a writer that was killed are removed by the next write.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/mount.h>

#include <fcntl.h>
#include <signal.h>

#include <algorithm>
#include <cstring>

#include "SettingsTestSupport.h"
#include "platform/posix/IniSettingsBackend.h"
#include "settings/Store.h"
#include "settings/WriteGroup.h"

using platform::IniSettingsBackend;
using namespace settingstest;

namespace {

std::vector<std::string> entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const std::string kOld = "[General]\nMAIN-Left=1\nTASK_1_CMD=keep me\n";

// Saves a shut-down's worth of values as one group; returns what was said.
std::string saveGroup(IniSettingsBackend& backend) {
    settings::Store store(backend, "velmora");
    ::testing::internal::CaptureStderr();
    {
        settings::WriteGroup group(store);
        store.save("MAIN-Left", "1815");
        store.save("LAST_RUN", "COMPLETED SUCCESSFULLY");
        store.save("TASK_1_CMD", std::string(200000, 'v'));  // more than a full disk holds
    }
    return ::testing::internal::GetCapturedStderr();
}

// A small tmpfs of its own, when this process may mount one.
class SmallDisk {
public:
    explicit SmallDisk(const fs::path& where) : where_(where) {
        fs::create_directories(where_);
        mounted_ = ::mount("tmpfs", where_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=1m,mode=0700") == 0;
        if (!mounted_) why_ = std::strerror(errno);
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }
    const std::string& why() const { return why_; }

private:
    fs::path where_;
    bool mounted_ = false;
    std::string why_;
};

}  // namespace

TEST(WriteFailure, AReadOnlyFileIsLeftAsItIsWithAClearMessage) {
    TempFolder folder;
    const auto file = folder.path() / "VELMORA" / "velmora.conf";
    writeFile(file, kOld);
    ::chmod(file.c_str(), 0444);
    IniSettingsBackend backend(folder.path());
    const std::string said = saveGroup(backend);

    EXPECT_NE(said.find("read-only"), std::string::npos) << said;
    EXPECT_NE(said.find(file.string()), std::string::npos) << said;
    EXPECT_EQ(readFile(file), kOld);
    EXPECT_EQ(modeOf(file), 0444U);
    EXPECT_EQ(entries(file.parent_path()), std::vector<std::string>{"velmora.conf"});
    // The session goes on with its values.
    EXPECT_EQ(backend.read("VELMORA", "velmora", "MAIN-Left"), "1815");
    // A Save says so; a shut-down's write, after which nothing is held, says they are lost.
    const auto refused = backend.write("VELMORA", "velmora", "MAIN-Top", "2");
    const std::string why = "settings file '" + file.string() + "' is read-only, so it is left as it is";
    EXPECT_EQ(settings::saveFailure(refused.error),
              "The settings could not be saved: " + why + "; the changes are kept until the program ends.");
    backend.sessionEnding();
    const auto last = backend.write("VELMORA", "velmora", "MAIN-Top", "3");
    EXPECT_EQ(backend.warnings().back(), why + "; the changes are lost");
    EXPECT_EQ(settings::lostAtShutdown(settings::shutdownFailureReason(last)),
              "The settings could not be saved and the changes are lost: " + why + ".");
}

TEST(WriteFailure, AFullDiskKeepsTheOldFileAndLeavesNoTemporary) {
    TempFolder folder;
    const auto root = folder.path() / "disk";
    SmallDisk disk(root);
    if (!disk.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (" << disk.why() << ")";
    const auto file = root / "VELMORA" / "velmora.conf";
    writeFile(file, kOld);
    // Fill the disk: what is left cannot hold the new file.
    {
        std::ofstream filler(root / "filler", std::ios::binary);
        const std::string block(4096, 'f');
        for (int i = 0; i < 1024 && filler; ++i) filler << block << std::flush;
    }
    IniSettingsBackend backend(root);
    const std::string said = saveGroup(backend);

    EXPECT_NE(said.find("No space left on device"), std::string::npos) << said;
    EXPECT_NE(said.find(file.string()), std::string::npos) << said;
    EXPECT_EQ(readFile(file), kOld);
    EXPECT_EQ(entries(file.parent_path()), std::vector<std::string>{"velmora.conf"});
    EXPECT_EQ(backend.read("VELMORA", "velmora", "LAST_RUN"), "COMPLETED SUCCESSFULLY");

    // Room again: the kept values reach the file with the next save.
    fs::remove(root / "filler");
    backend.write("VELMORA", "velmora", "MAIN-Top", "2");
    IniSettingsBackend fresh(root);
    EXPECT_EQ(fresh.read("VELMORA", "velmora", "LAST_RUN"), "COMPLETED SUCCESSFULLY");
    EXPECT_EQ(fresh.read("VELMORA", "velmora", "MAIN-Top"), "2");
}

TEST(WriteFailure, TemporariesOfADeadWriterGoWithTheNextWriteAndALiveWritersStay) {
    TempFolder folder;
    const auto file = folder.path() / "VELMORA" / "velmora.conf";
    writeFile(file, kOld);
    const auto folderOf = file.parent_path();
    writeFile(folderOf / "velmora.conf.new-a1B2c3", "[General]\nhalf");
    writeFile(folderOf / "velmora.conf.new-Zz9Yy8", "");
    writeFile(folderOf / "velmora.conf.keep", "not ours");
    writeFile(folderOf / "other.conf.new-a1B2c3", "another section's");
    // A writer that is still at work holds a lock on its temporary file.
    writeFile(folderOf / "velmora.conf.new-LIVE00", "busy");
    const int live = ::open((folderOf / "velmora.conf.new-LIVE00").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(live, 0);
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        ::flock(live, LOCK_EX);
        char c = 0;
        [[maybe_unused]] auto w = ::write(pipeFds[1], &c, 1);
        ::pause();
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(pipeFds[0], &c, 1), 1);

    IniSettingsBackend(folder.path()).write("VELMORA", "velmora", "MAIN-Top", "2");
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(live);

    EXPECT_EQ(entries(folderOf), (std::vector<std::string>{"other.conf.new-a1B2c3", "velmora.conf",
                                                           "velmora.conf.keep", "velmora.conf.new-LIVE00"}));
    IniSettingsBackend(folder.path()).write("VELMORA", "velmora", "MAIN-Top", "3");
    EXPECT_EQ(entries(folderOf),
              (std::vector<std::string>{"other.conf.new-a1B2c3", "velmora.conf", "velmora.conf.keep"}))
        << "its writer gone, the last temporary goes too";
}
