// What a settings file may lead to: a save never replaces anything that is
// not a regular file, nor writes where another user could have planted the
// link or could swap the file. Run as root (as CI does) and, where root can
// switch to one, as an ordinary user too.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <functional>
#include <sstream>

#include "SettingsTestSupport.h"
#include "platform/linux/IniSettingsBackend.h"

using platform::IniSettingsBackend;
using namespace settingstest;

namespace {

constexpr uid_t kNobody = 65534;

// Everything about a path that a save could change.
std::string stateOf(const fs::path& path) {
    struct stat s {};
    if (::lstat(path.c_str(), &s) != 0) return path.string() + " absent\n";
    std::ostringstream out;
    out << path.string() << " mode " << std::oct << s.st_mode << std::dec << " inode " << s.st_ino
        << " owner " << s.st_uid << " size " << s.st_size << " device " << s.st_rdev << " links "
        << s.st_nlink << " changed " << s.st_mtim.tv_sec << "." << s.st_mtim.tv_nsec;
    if (S_ISREG(s.st_mode)) out << " bytes " << readFile(path);
    if (S_ISDIR(s.st_mode)) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(path)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        for (const auto& name : names) out << " [" << name << "]";
    }
    return out.str() + "\n";
}

struct Tree {
    fs::path config, settings, file;  // the config root, its VELMORA folder, velmora.conf
    fs::path elsewhere;               // a folder beside the config root
};

struct Case {
    const char* name;
    const char* said;  // part of the one message
    // Sets the case up as root (or as whoever runs the test); returns what must stay as it is.
    std::function<fs::path(const Tree&, uid_t me, uid_t other)> make;
};

void own(const fs::path& path, uid_t uid, mode_t mode) {
    if (::geteuid() == 0) ::lchown(path.c_str(), uid, uid);
    if (!fs::is_symlink(path)) ::chmod(path.c_str(), mode);
}

fs::path folder(const fs::path& path, uid_t uid, mode_t mode) {
    fs::create_directories(path);
    own(path, uid, mode);
    return path;
}

fs::path regularFile(const fs::path& path, uid_t uid, mode_t mode) {
    writeFile(path, "[General]\nMAIN-Left=1815\n");
    own(path, uid, mode);
    return path;
}

fs::path linkTo(const fs::path& link, const fs::path& target, uid_t uid) {
    fs::create_symlink(target, link);
    own(link, uid, 0);
    return target;
}

const Case kCases[] = {
    {"DeviceNode", "it is a character device, not a regular file",
     [](const Tree& t, uid_t me, uid_t) {
         // The device /dev/null is; made here when we may, so nothing of the system is at stake.
         fs::path device = "/dev/null";
         if (::geteuid() == 0) {
             device = folder(t.elsewhere / "dev", me, 0700) / "null";
             if (::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0) return fs::path();
         }
         return linkTo(t.file, device, me);
     }},
    {"Fifo", "it is a FIFO, not a regular file",
     [](const Tree& t, uid_t me, uid_t) {
         ::mkfifo(t.file.c_str(), 0600);
         own(t.file, me, 0600);
         return t.file;
     }},
    {"Folder", "it is a folder, not a regular file",
     [](const Tree& t, uid_t me, uid_t) {
         return linkTo(t.file, folder(t.elsewhere / "a folder", me, 0700), me);
     }},
    {"LinkIntoAnotherUsersFolder", "belongs to another user",
     [](const Tree& t, uid_t me, uid_t other) {
         const fs::path theirs = folder(t.elsewhere / "theirs", other, 0755);
         return linkTo(t.file, regularFile(theirs / "velmora.conf", other, 0644), me);
     }},
    {"LinkPlantedInAnotherUsersFolder", "belongs to another user",
     [](const Tree& t, uid_t me, uid_t other) {
         own(t.settings, other, 0755);
         const fs::path mine = folder(t.elsewhere / "mine", me, 0700);
         return linkTo(t.file, regularFile(mine / "velmora.conf", me, 0600), other);
     }},
    {"GroupWritableFolder", "may be changed by other users",
     [](const Tree& t, uid_t me, uid_t) {
         own(t.settings, me, 0770);
         return regularFile(t.file, me, 0600);
     }},
    {"WorldWritableFile", "may be changed by other users",
     [](const Tree& t, uid_t me, uid_t) { return regularFile(t.file, me, 0666); }},
};

// Runs one case as `me`, from root switching to it where `me` is not who
// runs the test. Returns what went wrong, empty when nothing did.
std::string runCase(const Case& c, uid_t me) {
    TempFolder temp;
    ::chmod(temp.path().c_str(), 0755);
    const uid_t other = me == kNobody ? 1 : kNobody;
    Tree t;
    t.config = folder(temp.path() / "config", me, 0700);
    t.settings = folder(t.config / "VELMORA", me, 0700);
    t.file = t.settings / "velmora.conf";
    t.elsewhere = folder(temp.path() / "elsewhere", 0, 0755);
    const fs::path target = c.make(t, me, other);
    if (target.empty()) return "cannot set the case up";
    const std::string before =
        stateOf(t.settings) + stateOf(t.file) + stateOf(target) + stateOf(target.parent_path());

    auto body = [&]() -> std::string {
        IniSettingsBackend backend(t.config);
        std::string wrong;
        backend.read("VELMORA", "velmora", "MAIN-Left");  // a start-up's read comes first
        backend.write("VELMORA", "velmora", "MAIN-Top", "20");
        backend.writeAll("VELMORA", "velmora", {{"MAIN-Top", "30"}, {"LAST_RUN", "done"}});
        if (backend.read("VELMORA", "velmora", "MAIN-Top") != "30") wrong += "the saved value is not kept\n";
        const auto& said = backend.warnings();
        if (said.size() != 1 || said.front().find(c.said) == std::string::npos) {
            wrong += "said " + std::to_string(said.size()) + " time(s), not once \"" + c.said + "\":\n";
            for (const auto& line : said) wrong += "  " + line + "\n";
        }
        return wrong;
    };
    std::string wrong;
    if (me == ::geteuid()) {
        wrong = body();
    } else {
        int report[2];
        if (::pipe(report) != 0) return "no pipe";
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(report[0]);
            const gid_t group = me;
            std::string text = ::setgroups(1, &group) == 0 && ::setgid(me) == 0 && ::setuid(me) == 0
                                   ? body()
                                   : "cannot switch to user " + std::to_string(me);
            [[maybe_unused]] auto written = ::write(report[1], text.data(), text.size());
            ::_exit(0);
        }
        ::close(report[1]);
        char buffer[4096];
        for (ssize_t n; (n = ::read(report[0], buffer, sizeof buffer)) > 0;) wrong.append(buffer, n);
        ::close(report[0]);
        ::waitpid(child, nullptr, 0);
    }
    const std::string after =
        stateOf(t.settings) + stateOf(t.file) + stateOf(target) + stateOf(target.parent_path());
    if (after != before) wrong += "changed from\n" + before + "to\n" + after;
    return wrong;
}

class SaveTarget : public ::testing::TestWithParam<Case> {};

TEST_P(SaveTarget, IsLeftExactlyAsItWasAndTheReasonSaidOnce) {
    const Case& c = GetParam();
    const bool root = runningAsRoot();
    if (!root && std::string(c.name).find("Another") != std::string::npos)
        GTEST_SKIP() << "only root can give a folder to another user";
    EXPECT_EQ(runCase(c, ::geteuid()), "") << "as user " << ::geteuid();
    if (root) {
        EXPECT_EQ(runCase(c, kNobody), "") << "as user " << kNobody;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SaveTarget, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
