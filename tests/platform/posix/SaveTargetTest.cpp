// What a settings file may lead to: a save never replaces anything that is
// not a regular file, nor writes where another user could have planted the
// link or could swap the file. Run as the test's user and, when that is root
// (as in CI), as an ordinary user too.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <functional>
#include <sstream>

#include "SettingsTestSupport.h"
#include "platform/posix/IniSettingsBackend.h"

using namespace settingstest;

namespace {

constexpr uid_t kNobody = 65534;

// Everything about a path that a save could change, a folder's names included.
std::string stateOf(const fs::path& path) {
    struct stat s {};
    if (::lstat(path.c_str(), &s) != 0) return path.string() + " absent\n";
    std::ostringstream out;
    out << path.string() << " mode " << std::oct << s.st_mode << std::dec << " inode " << s.st_ino
        << " owner " << s.st_uid << " size " << s.st_size << " device " << s.st_rdev << " time "
        << s.st_mtim.tv_nsec;
    if (S_ISREG(s.st_mode)) out << " " << readFile(path);
    if (S_ISDIR(s.st_mode))
        for (const auto& entry : fs::directory_iterator(path))
            out << " [" << entry.path().filename().string() << "]";
    return out.str() + "\n";
}

void own(const fs::path& path, uid_t uid, mode_t mode) {
    if (::geteuid() == 0) ::lchown(path.c_str(), uid, uid);
    if (!fs::is_symlink(path)) ::chmod(path.c_str(), mode);
}

fs::path made(const fs::path& path, uid_t uid, mode_t mode, bool folder = false) {
    if (folder) fs::create_directories(path);
    if (!folder) writeFile(path, "[General]\nMAIN-Left=1815\n");
    own(path, uid, mode);
    return path;
}

struct Tree {
    fs::path settings, file, elsewhere;  // <root>/VELMORA, its velmora.conf, a folder beside
    uid_t me, other;
};

struct Case {
    const char* name;
    const char* said;                           // part of the one message
    std::function<fs::path(const Tree&)> make;  // returns what must stay as it is
};

fs::path link(const Tree& t, const fs::path& target, uid_t owner) {
    fs::create_symlink(target, t.file);
    own(t.file, owner, 0);
    return target;
}

const Case kCases[] = {
    {"DeviceNode", "it is a character device, not a regular file",
     [](const Tree& t) {
         // What /dev/null is, made here when we may, so nothing of the system is at stake.
         if (::geteuid() != 0) return link(t, "/dev/null", t.me);
         const fs::path device = t.elsewhere / "null";
         ::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3));
         return link(t, device, t.me);
     }},
    {"Fifo", "it is a FIFO, not a regular file",
     [](const Tree& t) {
         ::mkfifo(t.file.c_str(), 0600);
         own(t.file, t.me, 0600);
         return t.file;
     }},
    {"Folder", "it is a folder, not a regular file",
     [](const Tree& t) { return link(t, made(t.elsewhere / "a folder", t.me, 0700, true), t.me); }},
    {"LinkIntoAnotherUsersFolder", "belongs to another user",
     [](const Tree& t) {
         return link(t, made(made(t.elsewhere / "theirs", t.other, 0755, true) / "x.conf", t.other, 0644),
                     t.me);
     }},
    {"LinkPlantedInAnotherUsersFolder", "belongs to another user",
     [](const Tree& t) {
         own(t.settings, t.other, 0755);
         return link(t, made(made(t.elsewhere / "mine", t.me, 0700, true) / "x.conf", t.me, 0600), t.other);
     }},
    {"GroupWritableFolder", "may be changed by other users",
     [](const Tree& t) {
         own(t.settings, t.me, 0770);
         return made(t.file, t.me, 0600);
     }},
    {"WorldWritableFile", "may be changed by other users",
     [](const Tree& t) { return made(t.file, t.me, 0666); }},
};

// Sets the case up, then reads and saves twice as user `me` in a process of
// its own. Returns what went wrong, empty when nothing did.
std::string runCase(const Case& c, uid_t me) {
    TempFolder temp;
    ::chmod(temp.path().c_str(), 0755);
    const fs::path root = made(temp.path() / "config", me, 0700, true);
    Tree t{made(root / "VELMORA", me, 0700, true), root / "VELMORA" / "velmora.conf",
           made(temp.path() / "elsewhere", 0, 0755, true), me, me == kNobody ? 1 : kNobody};
    const fs::path target = c.make(t);
    auto state = [&] {
        return stateOf(t.settings) + stateOf(t.file) + stateOf(target.parent_path()) + stateOf(target);
    };
    const std::string before = state();

    int report[2];
    if (::pipe(report) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        std::string wrong;
        const gid_t group = me;
        if (me != ::geteuid() && (::setgroups(1, &group) != 0 || ::setgid(me) != 0 || ::setuid(me) != 0))
            wrong = "cannot become user " + std::to_string(me);
        platform::IniSettingsBackend backend(root);
        backend.read("VELMORA", "velmora", "MAIN-Left");
        backend.write("VELMORA", "velmora", "MAIN-Top", "20");
        backend.writeAll("VELMORA", "velmora", {{"MAIN-Top", "30"}, {"LAST_RUN", "done"}});
        if (backend.read("VELMORA", "velmora", "MAIN-Top") != "30") wrong += "the value is not kept\n";
        const auto& said = backend.warnings();
        if (said.size() != 1 || said.front().find(c.said) == std::string::npos) {
            wrong += std::to_string(said.size()) + " message(s), not one saying \"" + c.said + "\":\n";
            for (const auto& line : said) wrong += "  " + line + "\n";
        }
        [[maybe_unused]] auto written = ::write(report[1], wrong.data(), wrong.size());
        ::_exit(0);
    }
    ::close(report[1]);
    std::string wrong;
    char buffer[4096];
    for (ssize_t n; (n = ::read(report[0], buffer, sizeof buffer)) > 0;) wrong.append(buffer, n);
    ::close(report[0]);
    ::waitpid(child, nullptr, 0);
    if (const std::string after = state(); after != before)
        wrong += "changed from\n" + before + "to\n" + after;
    return wrong;
}

class SaveTarget : public ::testing::TestWithParam<Case> {};

TEST_P(SaveTarget, IsLeftExactlyAsItWasAndTheReasonSaidOnce) {
    if (!runningAsRoot() && std::string(GetParam().name).find("Another") != std::string::npos)
        GTEST_SKIP() << "only root can give a folder to another user";
    EXPECT_EQ(runCase(GetParam(), ::geteuid()), "") << "as user " << ::geteuid();
    if (runningAsRoot()) {
        EXPECT_EQ(runCase(GetParam(), kNobody), "") << "as user " << kNobody;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SaveTarget, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
