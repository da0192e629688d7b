#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/fake/MemorySettingsBackend.h"
#include "settings/Keys.h"
#include "settings/Store.h"

using platform::MemorySettingsBackend;
using settings::ExecutableName;
using settings::Store;
using Write = MemorySettingsBackend::Write;

// A read without a default takes the key table's, the one place defaults are written.
TEST(StoreDefaults, EmptyStoreYieldsEveryKeysDefaultFromTheKeyTable) {
    MemorySettingsBackend backend;
    Store store(backend, "velmora");
    for (const auto& info : settings::keys::all())
        EXPECT_EQ(store.get(info.key), info.defaultText) << info.key;
    EXPECT_EQ(store.get(settings::keys::taskCaption(7)), "TASK 7");
    EXPECT_EQ(store.getTick("AlwaysOnTopTimer_TICKBOX"), 1);
    EXPECT_EQ(store.getGeometry("DONATIONS_WINDOW-Height"), 6330.0F);
    EXPECT_THROW(store.get("TASK_21_CMD"), std::out_of_range) << "a key missing from the table is a mistake";
    EXPECT_TRUE(backend.writes.empty());
}

TEST(StoreDefaults, NumericDefaultReadsAsItsDecimalText) {
    MemorySettingsBackend backend;
    Store store(backend, "velmora");
    EXPECT_EQ(store.get("MAIN-Width", 5865LL), "5865");
    EXPECT_EQ(store.get("MAIN-Left", -120LL), "-120");
    EXPECT_EQ(store.GetSetting("VELMORA", "velmora", "AUTOSTART_TICKBOX", 0LL), "0");
    EXPECT_EQ(store.getGeometry("MAIN-Height", 8550.0F), 8550.0F);
    EXPECT_EQ(store.getTick("AlwaysOnTopTimer_TICKBOX", 1), 1);
}

TEST(StoreDefaults, StoredEmptyTextIsNotReplacedByTheDefault) {
    MemorySettingsBackend backend;
    Store store(backend, "velmora");
    store.save("TASK_3_TICKBOX_CAPTION", "");
    EXPECT_EQ(store.get("TASK_3_TICKBOX_CAPTION", "TASK 3"), "");
}

TEST(StoreDefaults, UnparsableStoredNumbersFallBackToTheReadersDefault) {
    MemorySettingsBackend backend;
    backend.seed("velmora", "MAIN-Left", "12px");
    backend.seed("velmora", "MAIN-Top", "");
    backend.seed("velmora", "AUTOSTART_TICKBOX", "3");
    backend.seed("velmora", "AUTOCLOSE_TICKBOX", "yes");
    Store store(backend, "velmora");
    EXPECT_EQ(store.getGeometry("MAIN-Left", 1000.0F), 1000.0F);
    EXPECT_EQ(store.getGeometry("MAIN-Top", 1000.0F), 1000.0F);
    EXPECT_EQ(store.getTick("AUTOSTART_TICKBOX", 0), 0);
    EXPECT_EQ(store.getTick("AUTOCLOSE_TICKBOX", 1), 1);
}

TEST(StoreWrites, TypedValuesAreStoredInTheirTextForms) {
    MemorySettingsBackend backend;
    Store store(backend, "velmora");
    store.saveGeometry("MAIN-Left", 1815.0F);
    store.saveGeometry("MAIN-Top", -120.0F);
    store.saveTick("AUTOSTART_TICKBOX", 1);
    store.save("LAST_RUN", "COMPLETED SUCCESSFULLY");
    const std::vector<Write> expected{{"velmora", "MAIN-Left", "1815"},
                                      {"velmora", "MAIN-Top", "-120"},
                                      {"velmora", "AUTOSTART_TICKBOX", "1"},
                                      {"velmora", "LAST_RUN", "COMPLETED SUCCESSFULLY"}};
    EXPECT_EQ(backend.writes, expected);
    EXPECT_EQ(store.getGeometry("MAIN-Left", 1000.0F), 1815.0F);
    EXPECT_EQ(store.getTick("AUTOSTART_TICKBOX", 0), 1);
    EXPECT_FALSE(backend.value("velmora", "MAIN-Width").has_value());
}

TEST(StoreWrites, ASaveReplacesTheEarlierValue) {
    MemorySettingsBackend backend;
    Store store(backend, "velmora");
    store.save("TASK_1_CMD", "first");
    store.save("TASK_1_CMD", "second");
    EXPECT_EQ(store.get("TASK_1_CMD", ""), "second");
    EXPECT_EQ(backend.keyCount("velmora"), 1U);
}

TEST(StoreAddressing, ApplicationAndSectionSelectTheValue) {
    MemorySettingsBackend backend;
    Store store(backend, "velmora");
    store.SaveSetting("OTHER", "velmora", "TASK_1_CMD", "elsewhere");
    EXPECT_EQ(store.get("TASK_1_CMD", "none"), "none");
    EXPECT_EQ(store.GetSetting("OTHER", "velmora", "TASK_1_CMD", "none"), "elsewhere");
    store.save("TASK_1_CMD", "here");
    EXPECT_EQ(backend.value("velmora", "TASK_1_CMD", "VELMORA"), "here");
}

TEST(StoreAddressing, RenamedExecutableStartsFromDefaultsAndLeavesTheOldSection) {
    MemorySettingsBackend backend;
    Store original(backend, ExecutableName("/opt/velmora"));
    original.save("TASK_1_CMD", "backup.sh");
    original.saveTick("AUTOSTART_TICKBOX", 1);

    Store renamed(backend, ExecutableName("/opt/nightly-runner"));
    EXPECT_EQ(renamed.get("TASK_1_CMD", ""), "");
    EXPECT_EQ(renamed.getTick("AUTOSTART_TICKBOX", 0), 0);
    renamed.save("TASK_1_CMD", "other.sh");

    EXPECT_EQ(backend.value("velmora", "TASK_1_CMD"), "backup.sh");
    EXPECT_EQ(backend.value("velmora", "AUTOSTART_TICKBOX"), "1");
    EXPECT_EQ(backend.keyCount("velmora"), 2U);
    EXPECT_EQ(backend.value("nightly-runner", "TASK_1_CMD"), "other.sh");
}

TEST(ExecutableNameOf, DropsTheFolderAndOnlyAnExeExtension) {
    EXPECT_EQ(ExecutableName("/usr/bin/velmora"), "velmora");
    EXPECT_EQ(ExecutableName("velmora"), "velmora");
    EXPECT_EQ(ExecutableName("./bin/velmora.exe"), "velmora");
    EXPECT_EQ(ExecutableName("/mnt/c/Tools/VELMORA.EXE"), "VELMORA");
    EXPECT_EQ(ExecutableName("velmora-1.2"), "velmora-1.2");
    EXPECT_EQ(ExecutableName("/home/me/my.tool"), "my.tool");
    EXPECT_EQ(ExecutableName("velmora.exe.bak"), "velmora.exe.bak");
    EXPECT_EQ(ExecutableName("run.sh"), "run.sh");
}

TEST(ExecutableNameOf, OddInvocationsStillNameASection) {
    EXPECT_EQ(ExecutableName(""), "velmora");
    EXPECT_EQ(ExecutableName("/usr/bin/"), "velmora");
    EXPECT_EQ(ExecutableName(".."), "velmora");
    EXPECT_EQ(ExecutableName(".exe"), ".exe");
}
