// One read, one write: a start-up parses the settings file once, a group of
// saves replaces it once and leaves exactly what saving one by one would.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>

#include "SettingsTestSupport.h"
#include "platform/posix/IniSettingsBackend.h"
#include "settings/Keys.h"
#include "settings/Store.h"
#include "settings/WriteGroup.h"

using platform::IniSettingsBackend;
using settings::Store;
using settings::WriteGroup;
using namespace settingstest;

namespace {

// Counts, from outside the program, what happens to one file of a folder:
// how often it is opened (read) and how often a new version is renamed onto it.
class FileWatch {
public:
    FileWatch(const fs::path& file) : name_(file.filename().string()), fd_(::inotify_init1(IN_NONBLOCK)) {
        fs::create_directories(file.parent_path());
        ::inotify_add_watch(fd_, file.parent_path().c_str(), IN_OPEN | IN_MOVED_TO);
    }
    ~FileWatch() { ::close(fd_); }
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    struct Counts {
        int opens = 0, replaces = 0;
    };
    Counts take() {
        Counts counts;
        alignas(inotify_event) std::array<char, 65536> buffer;
        for (;;) {
            const ssize_t got = ::read(fd_, buffer.data(), buffer.size());
            if (got <= 0) break;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
                if (event->len > 0 && name_ == event->name) {
                    if (event->mask & IN_OPEN) ++counts.opens;
                    if (event->mask & IN_MOVED_TO) ++counts.replaces;
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return counts;
    }

private:
    std::string name_;
    int fd_;
};

// What the main window writes when it closes: 2 places, 42 ticks, the status line.
std::vector<std::pair<std::string, std::string>> shutdownValues(const std::string& tick) {
    namespace keys = settings::keys;
    std::vector<std::pair<std::string, std::string>> values{{keys::MainLeft, "1815"},
                                                            {keys::MainTop, "-120"}};
    for (const char* key :
         {keys::AlwaysOnTopTick, keys::AutostartTick, keys::AutocloseTick, keys::RivaAutostartTick})
        values.emplace_back(key, tick);
    for (int n = 1; n <= keys::kSlots; ++n) values.emplace_back(keys::taskEnable(n), tick);
    for (int n = 1; n <= keys::kSlots; ++n) values.emplace_back(keys::taskPause(n), tick);
    values.emplace_back(keys::LastRun, "COMPLETED SUCCESSFULLY");
    return values;
}

std::string fullFile() {
    std::string text = "[General]\n";
    for (const auto& info : settings::keys::all()) text += info.key + "=" + info.defaultText + "x\n";
    return text;
}

}  // namespace

TEST(OneReadOneWrite, AStartUpsReadsParseTheFileOnceAndAGroupReplacesItOnce) {
    TempFolder folder;
    const auto file = folder.path() / "VELMORA" / "velmora.conf";
    writeFile(file, fullFile());
    FileWatch watch(file);
    IniSettingsBackend backend(folder.path());
    Store store(backend, "velmora");

    for (const auto& info : settings::keys::all()) EXPECT_EQ(store.get(info.key, ""), info.defaultText + "x");
    auto counts = watch.take();
    EXPECT_EQ(counts.opens, 1) << "every key of a start-up read from one parse";
    EXPECT_EQ(counts.replaces, 0);

    {
        WriteGroup group(store);
        for (const auto& [key, value] : shutdownValues("1")) store.save(key, value);
    }
    counts = watch.take();
    EXPECT_EQ(counts.replaces, 1);
    EXPECT_LE(counts.opens, 1);

    // Per key, as before: one replace each.
    for (const auto& [key, value] : shutdownValues("0")) store.save(key, value);
    EXPECT_EQ(watch.take().replaces, 47);
    EXPECT_TRUE(backend.warnings().empty());
}

TEST(OneReadOneWrite, ReadsSeeWhatAnotherCopyWroteSince) {
    TempFolder folder;
    const auto file = folder.path() / "VELMORA" / "velmora.conf";
    writeFile(file, "[General]\nTASK_1_CMD=one\n");
    IniSettingsBackend backend(folder.path());
    EXPECT_EQ(backend.read("VELMORA", "velmora", "TASK_1_CMD"), "one");

    // Another copy's replace: a new file.
    ASSERT_EQ(inOtherProcess([&] {
                  IniSettingsBackend(folder.path()).write("VELMORA", "velmora", "TASK_1_CMD", "two");
                  return 0;
              }),
              0);
    EXPECT_EQ(backend.read("VELMORA", "velmora", "TASK_1_CMD"), "two");

    // An edit in place of the same size: only the time tells.
    const std::string before = readFile(file);
    std::string edited = before;
    edited.replace(edited.find("two"), 3, "owt");
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    writeFile(file, edited);
    const struct timespec times[2] = {now, {now.tv_sec + 1, now.tv_nsec}};
    ::utimensat(AT_FDCWD, file.c_str(), times, 0);
    EXPECT_EQ(backend.read("VELMORA", "velmora", "TASK_1_CMD"), "owt");

    // A removed file: defaults again.
    fs::remove(file);
    EXPECT_FALSE(backend.read("VELMORA", "velmora", "TASK_1_CMD").has_value());
}

struct StartingFile {
    const char* name;
    std::optional<std::string> bytes;  // nothing: no file yet
};

void PrintTo(const StartingFile& start, std::ostream* out) {
    *out << start.name;
}

class GroupedFinalFile : public ::testing::TestWithParam<StartingFile> {};

TEST_P(GroupedFinalFile, IsByteForByteWhatPerKeyWritesLeave) {
    TempFolder perKeyFolder, groupedFolder;
    const auto perKeyFile = perKeyFolder.path() / "VELMORA" / "velmora.conf";
    const auto groupedFile = groupedFolder.path() / "VELMORA" / "velmora.conf";
    if (GetParam().bytes) {
        writeFile(perKeyFile, *GetParam().bytes);
        writeFile(groupedFile, *GetParam().bytes);
    }
    auto values = shutdownValues("1");
    values.emplace_back("MAIN-Left", "7");  // saved twice: the later value, the first place
    values.emplace_back("TASK_1_CMD", "run \"this\"; and=that");

    ::testing::internal::CaptureStderr();
    IniSettingsBackend perKeyBackend(perKeyFolder.path());
    Store perKey(perKeyBackend, "velmora");
    for (const auto& [key, value] : values) perKey.save(key, value);

    IniSettingsBackend groupedBackend(groupedFolder.path());
    Store grouped(groupedBackend, "velmora");
    {
        WriteGroup group(grouped);
        for (const auto& [key, value] : values) grouped.save(key, value);
    }
    ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(readFile(groupedFile), readFile(perKeyFile));
    EXPECT_EQ(IniSettingsBackend(groupedFolder.path()).read("VELMORA", "velmora", "MAIN-Left"), "7");
}

INSTANTIATE_TEST_SUITE_P(
    Files, GroupedFinalFile,
    ::testing::Values(StartingFile{"NoFile", std::nullopt}, StartingFile{"Empty", ""},
                      StartingFile{"EveryKey", fullFile()},
                      StartingFile{"OtherSectionsAndComments",
                                   "; mine\nTASK_9_CMD=x\n[Extra]\nMAIN-Left=99\n[General]\nLAST_RUN=old\n"},
                      StartingFile{"Damaged", "[General]\nMAIN-Top=5\nnot a setting\nTASK_2_CMD=\"cut"}),
    [](const auto& info) { return std::string(info.param.name); });
