// A group of saves is held until the outermost group ends and reaches the
// backend as one change per section.
#include <gtest/gtest.h>

#include "platform/fake/MemorySettingsBackend.h"
#include "settings/Store.h"
#include "settings/WriteGroup.h"

using platform::MemorySettingsBackend;
using settings::Store;
using settings::WriteGroup;

TEST(WriteGroupInMemory, SavesAreHeldUntilTheOutermostGroupEndsAndReadsSeeThem) {
    MemorySettingsBackend backend;
    Store store(backend, "velmora");
    {
        WriteGroup outer(store);
        store.save("MAIN-Left", "1");
        {
            WriteGroup inner(store);
            store.save("MAIN-Top", "2");
            store.save("MAIN-Left", "3");
        }
        EXPECT_EQ(backend.replaces, 0);
        EXPECT_TRUE(backend.writes.empty());
        EXPECT_EQ(store.get("MAIN-Left", "0"), "3");
        EXPECT_EQ(store.getGeometry("MAIN-Top", 0), 2.0F);
    }
    EXPECT_EQ(backend.replaces, 1);
    const std::vector<MemorySettingsBackend::Write> expected{
        {"velmora", "MAIN-Left", "1"}, {"velmora", "MAIN-Top", "2"}, {"velmora", "MAIN-Left", "3"}};
    EXPECT_EQ(backend.writes, expected);
    EXPECT_EQ(backend.value("velmora", "MAIN-Left"), "3");
}

TEST(WriteGroupInMemory, ASaveOutsideAGroupWritesAtOnceAndEachSectionIsOneChange) {
    MemorySettingsBackend backend;
    Store store(backend, "velmora");
    store.save("TASK_1_CMD", "now");
    EXPECT_EQ(backend.replaces, 1);
    EXPECT_EQ(backend.value("velmora", "TASK_1_CMD"), "now");
    {
        WriteGroup group(store);
        store.save("TASK_2_CMD", "a");
        store.SaveSetting("VELMORA", "other", "TASK_2_CMD", "b");
        store.save("TASK_3_CMD", "c");
    }
    EXPECT_EQ(backend.replaces, 3);
    EXPECT_EQ(backend.value("velmora", "TASK_3_CMD"), "c");
    EXPECT_EQ(backend.value("other", "TASK_2_CMD"), "b");
    { WriteGroup empty(store); }
    EXPECT_EQ(backend.replaces, 3) << "a group without saves writes nothing";
}
