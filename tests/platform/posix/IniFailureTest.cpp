// Damaged, unreadable or unwritable settings: the program carries on, says
// what happened once, and nothing the user had is lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "SettingsTestSupport.h"
#include "platform/posix/IniSettingsBackend.h"

using platform::IniSettingsBackend;
using namespace settingstest;

namespace {

std::vector<fs::path> keptCopies(const fs::path& folder) {
    std::vector<fs::path> copies;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().starts_with("velmora.conf.unreadable-"))
            copies.push_back(entry.path());
    std::sort(copies.begin(), copies.end());
    return copies;
}

int lineCount(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

struct Damage {
    const char* name;
    std::string bytes;
    const char* salvagedLeft;  // MAIN-Left as still readable, or nullptr
};

void PrintTo(const Damage& damage, std::ostream* out) {
    *out << damage.name;
}

class DamagedFile : public ::testing::TestWithParam<Damage> {
protected:
    TempFolder folder;
    fs::path file = folder.path() / "VELMORA" / "velmora.conf";
};

}  // namespace

TEST_P(DamagedFile, ReadsWhatItCanAndSaysSoOnce) {
    writeFile(file, GetParam().bytes);
    IniSettingsBackend backend(folder.path());
    ::testing::internal::CaptureStderr();
    const auto left = backend.read("VELMORA", "velmora", "MAIN-Left");
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(backend.read("VELMORA", "velmora", "TASK_2_CMD"));
    const std::string said = ::testing::internal::GetCapturedStderr();

    if (GetParam().salvagedLeft) {
        EXPECT_EQ(left, GetParam().salvagedLeft);
    } else {
        EXPECT_FALSE(left.has_value());
    }
    EXPECT_EQ(lineCount(said), 1) << said;
    EXPECT_NE(said.find(file.string()), std::string::npos) << said;
    EXPECT_EQ(readFile(file), GetParam().bytes) << "reading must not change the file";
}

TEST_P(DamagedFile, FirstWriteKeepsTheOriginalAsideThenWritesACleanFile) {
    writeFile(file, GetParam().bytes);
    IniSettingsBackend backend(folder.path());
    ::testing::internal::CaptureStderr();
    backend.write("VELMORA", "velmora", "TASK_2_CMD", "new");
    backend.write("VELMORA", "velmora", "TASK_3_CMD", "newer");
    const std::string said = ::testing::internal::GetCapturedStderr();

    const auto copies = keptCopies(file.parent_path());
    ASSERT_EQ(copies.size(), 1U) << said;
    EXPECT_EQ(readFile(copies.front()), GetParam().bytes);
    EXPECT_NE(said.find(copies.front().string()), std::string::npos) << said;
    EXPECT_EQ(lineCount(said), 1) << said;

    IniSettingsBackend fresh(folder.path());
    EXPECT_EQ(fresh.read("VELMORA", "velmora", "TASK_2_CMD"), "new");
    EXPECT_EQ(fresh.read("VELMORA", "velmora", "TASK_3_CMD"), "newer");
    if (GetParam().salvagedLeft) {
        EXPECT_EQ(fresh.read("VELMORA", "velmora", "MAIN-Left"), GetParam().salvagedLeft);
    }
    EXPECT_TRUE(fresh.warnings().empty()) << fresh.warnings().front();
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DamagedFile,
    ::testing::Values(Damage{"Binary",
                             std::string("\x7f"
                                         "ELF\x02\x01\0\0MAIN-Left=5\n\xff\xfe",
                                         20),
                             nullptr},
                      Damage{"CutMidKey", "[General]\nMAIN-Left=1815\nTASK_2_CM", "1815"},
                      Damage{"CutInsideQuotes", "[General]\nMAIN-Left=1815\nTASK_2_CMD=\"run th", "1815"},
                      Damage{"CutSectionHeader", "MAIN-Left=1815\n[Gene", "1815"},
                      Damage{"StrayLine", "[General]\nMAIN-Left=1815\nnot a setting\n", "1815"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DamagedFileCopies, AnOlderCopyIsNeverOverwritten) {
    TempFolder folder;
    const auto file = folder.path() / "VELMORA" / "velmora.conf";
    writeFile(file, "first damage");
    IniSettingsBackend(folder.path()).write("VELMORA", "velmora", "TASK_1_CMD", "a");
    writeFile(file, "second damage");
    IniSettingsBackend(folder.path()).write("VELMORA", "velmora", "TASK_1_CMD", "b");
    writeFile(file, "third damage");
    IniSettingsBackend(folder.path()).write("VELMORA", "velmora", "TASK_1_CMD", "c");

    std::vector<std::string> kept;
    for (const auto& copy : keptCopies(file.parent_path())) kept.push_back(readFile(copy));
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::string>{"first damage", "second damage", "third damage"}));
}

TEST(UnwritableSettings, AFailedWriteIsKeptForTheSessionAndSaidOnce) {
    TempFolder folder;
    writeFile(folder.path() / "config", "a file where the settings folder should be");
    IniSettingsBackend backend(folder.path() / "config");
    ::testing::internal::CaptureStderr();
    backend.write("VELMORA", "velmora", "TASK_1_CMD", "kept");
    backend.write("VELMORA", "velmora", "TASK_2_CMD", "kept too");
    const std::string said = ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(lineCount(said), 1) << said;
    EXPECT_NE(said.find("velmora.conf"), std::string::npos) << said;
    EXPECT_EQ(backend.read("VELMORA", "velmora", "TASK_1_CMD"), "kept");
    EXPECT_EQ(backend.read("VELMORA", "velmora", "TASK_2_CMD"), "kept too");
    EXPECT_FALSE(
        IniSettingsBackend(folder.path() / "config").read("VELMORA", "velmora", "TASK_1_CMD").has_value());
}

TEST(UnwritableSettings, KeptValuesReachTheFileWithTheNextWriteThatWorks) {
    TempFolder folder;
    writeFile(folder.path() / "config", "in the way");
    IniSettingsBackend backend(folder.path() / "config");
    ::testing::internal::CaptureStderr();
    backend.write("VELMORA", "velmora", "TASK_1_CMD", "early");
    ::testing::internal::GetCapturedStderr();
    fs::remove(folder.path() / "config");
    backend.write("VELMORA", "velmora", "TASK_2_CMD", "late");

    IniSettingsBackend fresh(folder.path() / "config");
    EXPECT_EQ(fresh.read("VELMORA", "velmora", "TASK_1_CMD"), "early");
    EXPECT_EQ(fresh.read("VELMORA", "velmora", "TASK_2_CMD"), "late");
}

TEST(UnwritableSettings, AFolderInPlaceOfTheFileIsLeftAlone) {
    TempFolder folder;
    const auto file = folder.path() / "VELMORA" / "velmora.conf";
    fs::create_directories(file / "inside");
    IniSettingsBackend backend(folder.path());
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(backend.read("VELMORA", "velmora", "MAIN-Left").has_value());
    backend.write("VELMORA", "velmora", "MAIN-Left", "1815");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(lineCount(said), 1) << said;  // will not save to it, said once for the read and the save
    EXPECT_EQ(backend.read("VELMORA", "velmora", "MAIN-Left"), "1815");
    EXPECT_TRUE(fs::is_directory(file / "inside"));
}

TEST(UnwritableSettings, ReadOnlyFolderKeepsTheFileAndTheValue) {
    if (runningAsRoot()) GTEST_SKIP() << "root can write into a read-only folder";
    TempFolder folder;
    const auto file = folder.path() / "VELMORA" / "velmora.conf";
    writeFile(file, "[General]\nMAIN-Left=1815\n");
    ::chmod(file.parent_path().c_str(), 0500);
    IniSettingsBackend backend(folder.path());
    ::testing::internal::CaptureStderr();
    backend.write("VELMORA", "velmora", "MAIN-Top", "20");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(lineCount(said), 1) << said;
    EXPECT_EQ(backend.read("VELMORA", "velmora", "MAIN-Top"), "20");
    EXPECT_EQ(backend.read("VELMORA", "velmora", "MAIN-Left"), "1815");
    EXPECT_EQ(readFile(file), "[General]\nMAIN-Left=1815\n");
}

TEST(UnreadableSettings, UnreadableFileYieldsDefaultsAndIsLeftAsItIs) {
    if (runningAsRoot()) GTEST_SKIP() << "root can read a file without read permission";
    TempFolder folder;
    const auto file = folder.path() / "VELMORA" / "velmora.conf";
    writeFile(file, "[General]\nMAIN-Left=1815\n");
    ::chmod(file.c_str(), 0000);  // no write bit either: its user means it to stay as it is
    IniSettingsBackend backend(folder.path());
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(backend.read("VELMORA", "velmora", "MAIN-Left").has_value());
    EXPECT_FALSE(backend.read("VELMORA", "velmora", "MAIN-Top").has_value());
    backend.write("VELMORA", "velmora", "MAIN-Top", "20");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(lineCount(said), 2) << said;  // cannot read; read-only, left as it is
    EXPECT_EQ(backend.read("VELMORA", "velmora", "MAIN-Top"), "20");
    EXPECT_TRUE(keptCopies(file.parent_path()).empty());
    ::chmod(file.c_str(), 0600);
    EXPECT_EQ(readFile(file), "[General]\nMAIN-Left=1815\n");
}

TEST(UnreadableSettings, UnreadableFolderYieldsDefaults) {
    if (runningAsRoot()) GTEST_SKIP() << "root can enter a folder without permission";
    TempFolder folder;
    const auto file = folder.path() / "VELMORA" / "velmora.conf";
    writeFile(file, "[General]\nMAIN-Left=1815\n");
    ::chmod(file.parent_path().c_str(), 0000);
    IniSettingsBackend backend(folder.path());
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(backend.read("VELMORA", "velmora", "MAIN-Left").has_value());
    EXPECT_FALSE(backend.read("VELMORA", "velmora", "MAIN-Top").has_value());
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(lineCount(said), 1) << said;
    EXPECT_NE(said.find(file.string()), std::string::npos) << said;
}

TEST(SettingsFolder, ComesFromXdgConfigHomeOrHome) {
    ScopedEnv home("HOME", "/home/someone");
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "/srv/config");
        EXPECT_EQ(IniSettingsBackend::configRootFromEnvironment(), fs::path("/srv/config"));
        EXPECT_EQ(IniSettingsBackend().filePath("VELMORA", "velmora"),
                  fs::path("/srv/config/VELMORA/velmora.conf"));
    }
    for (const char* ignored : {"", "relative/config"}) {
        ScopedEnv xdg("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(IniSettingsBackend::configRootFromEnvironment(), fs::path("/home/someone/.config"));
    }
}

TEST(SettingsFolder, WithoutHomeTheProgramRunsOnDefaultsAndMemory) {
    ScopedEnv home("HOME", nullptr);
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_FALSE(IniSettingsBackend::configRootFromEnvironment().has_value());
    IniSettingsBackend backend;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(backend.read("VELMORA", "velmora", "MAIN-Left").has_value());
    backend.write("VELMORA", "velmora", "MAIN-Left", "1815");
    EXPECT_EQ(backend.read("VELMORA", "velmora", "MAIN-Left"), "1815");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(lineCount(said), 1) << said;
    EXPECT_NE(said.find("HOME"), std::string::npos) << said;
}

TEST(SettingsFolder, NamesThatAreNotPlainFileNamesAreNotUsedAsPaths) {
    TempFolder folder;
    IniSettingsBackend backend(folder.path() / "config");
    ::testing::internal::CaptureStderr();
    backend.write("VELMORA", "../escape", "MAIN-Left", "1");
    backend.write("..", "velmora", "MAIN-Left", "1");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(lineCount(said), 2) << said;
    EXPECT_EQ(backend.read("VELMORA", "../escape", "MAIN-Left"), "1");
    EXPECT_FALSE(fs::exists(folder.path() / "config"));
    EXPECT_FALSE(fs::exists(folder.path() / "escape.conf"));
}
