#include <gtest/gtest.h>

#include <map>
#include <set>

#include "settings/Keys.h"

namespace keys = settings::keys;

namespace {

std::map<std::string, keys::KeyInfo> tableByKey() {
    std::map<std::string, keys::KeyInfo> byKey;
    for (const auto& info : keys::all()) byKey.emplace(info.key, info);
    return byKey;
}

void expectKey(const std::map<std::string, keys::KeyInfo>& table, const std::string& key, keys::Form form,
               const std::string& defaultText) {
    const auto found = table.find(key);
    ASSERT_NE(found, table.end()) << key;
    EXPECT_EQ(found->second.form, form) << key;
    EXPECT_EQ(found->second.defaultText, defaultText) << key;
}

}  // namespace

TEST(KeyTable, Has125DistinctKeys) {
    std::set<std::string> distinct;
    for (const auto& info : keys::all()) distinct.insert(info.key);
    EXPECT_EQ(keys::all().size(), 125U);
    EXPECT_EQ(distinct.size(), 125U);
}

TEST(KeyTable, MainWindowKeysAndDefaults) {
    const auto table = tableByKey();
    using F = keys::Form;
    expectKey(table, "MAIN-Left", F::Geometry, "1000");
    expectKey(table, "MAIN-Top", F::Geometry, "1000");
    expectKey(table, "MAIN-Width", F::Geometry, "5865");
    expectKey(table, "MAIN-Height", F::Geometry, "8550");
    expectKey(table, "LAST_RUN", F::StatusText, "");
    expectKey(table, "AUTOSTART_TICKBOX", F::Tick, "0");
    expectKey(table, "AlwaysOnTopTimer_TICKBOX", F::Tick, "1");
    expectKey(table, "AUTOCLOSE_TICKBOX", F::Tick, "0");
    expectKey(table, "RIVA_AUTOSTART_TICKBOX", F::Tick, "0");
}

TEST(KeyTable, EverySlotHasItsFiveKeysInPlainDecimal) {
    const auto table = tableByKey();
    using F = keys::Form;
    for (int n = 1; n <= 20; ++n) {
        const std::string prefix = "TASK_" + std::to_string(n) + "_";
        expectKey(table, prefix + "ENABLE_TICKBOX", F::Tick, "0");
        expectKey(table, prefix + "PAUSE_TICKBOX", F::Tick, "0");
        expectKey(table, prefix + "TICKBOX_CAPTION", F::FreeText, "TASK " + std::to_string(n));
        expectKey(table, prefix + "CMD", F::FreeText, "");
        expectKey(table, prefix + "PROCESS_NAME_TEXTBOX", F::FreeText, "");
    }
    EXPECT_EQ(table.count("TASK_07_CMD"), 0U);
    EXPECT_EQ(table.count("TASK_0_CMD"), 0U);
    EXPECT_EQ(table.count("TASK_21_CMD"), 0U);
    EXPECT_EQ(keys::taskCommand(7), "TASK_7_CMD");
}

TEST(KeyTable, OtherWindowsGeometryDefaults) {
    const auto table = tableByKey();
    const struct {
        const char* window;
        const char* width;
        const char* height;
    } windows[] = {{"SETTINGS", "17400", "6180"},
                   {"SINGLE_SETTINGS", "11760", "4725"},
                   {"ABOUT", "9960", "4125"},
                   {"DONATIONS_WINDOW", "8880", "6330"}};
    for (const auto& w : windows) {
        const auto k = keys::windowKeys(w.window);
        EXPECT_EQ(k.left, std::string(w.window) + "-Left");
        expectKey(table, k.left, keys::Form::Geometry, "1000");
        expectKey(table, k.top, keys::Form::Geometry, "1000");
        expectKey(table, k.width, keys::Form::Geometry, w.width);
        expectKey(table, k.height, keys::Form::Geometry, w.height);
    }
}
