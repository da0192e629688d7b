// Texts reach the store and the main window exactly as typed, and come back
// the same at the next start, through the settings file the program uses.

#include <gtest/gtest.h>

#include <filesystem>

#include "form/VirtualTime.h"
#include "model/settings/SettingsFixture.h"
#include "platform/posix/IniSettingsBackend.h"
#include "support/TempFolder.h"

using namespace settingstest;

namespace {

const std::vector<std::string> kTexts{
    "",
    "  blanks before and after  ",
    "say \"hi\" and 'bye'",
    "\"C:\\Program Files\\tool.exe\" /x",
    "key=value==",
    "one;two;;three",
    "#not a comment",
    ";not a comment either",
    "Grüße – 日本語 ✓",
    "@Variant(\\0\\0\\0\\x7f)",
    "@leading at",
    "[General]",
    "back\\slash\\",
    "tab\there",
    "%HOME% $HOME ~",
    "/opt/my tools/run me --flag \"two words\"",
};

// The main window as a start-up over the settings file leaves it.
struct Start {
    explicit Start(const std::filesystem::path& root) : backend(root), store(backend, "velmora") {
        main.Form_Load();
    }
    form::VirtualTime vt;
    platform::IniSettingsBackend backend;
    settings::Store store;
    platform::FakePlatform platform{vt.clock};
    model::MainForm main{vt.scheduler, store, "velmora", platform};
    platform::FakeWindowHost host;
    model::SettingsWindows windows{main, host, platform};
};

void expectSlots(model::MainForm& main, const std::string& when) {
    for (std::size_t i = 0; i < kTexts.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        EXPECT_EQ(main.slot(n).enable.caption(), kTexts[i]) << when << ", slot " << n;
        EXPECT_EQ(main.slot(n).command, kTexts[i]) << when << ", slot " << n;
        EXPECT_EQ(main.slot(n).processName, kTexts[i]) << when << ", slot " << n;
    }
}

TEST(TextsRoundTrip, ThroughEitherWindowTheFileAndTheNextStartUnchanged) {
    ASSERT_LE(kTexts.size(), 20u);
    testing_support::TempFolder folder("velmora-texts");
    {
        Start first(folder.path());
        first.host.whileOpen(kSingle, [](form::Window& w) {
            auto& single = static_cast<model::SingleSettingsForm&>(w);
            for (std::size_t i = 0; i < kTexts.size(); ++i) {
                single.loadButton(static_cast<int>(i) + 1).click();
                single.TASK_1_NAME_TEXTBOX.setText(kTexts[i]);
                single.TASK_1_CMD_TEXTBOX.setText(kTexts[i]);
                single.TASK_1_PROCESS_NAME_TEXTBOX.setText(kTexts[i]);
                single.SAVE_BUTTON.click();
            }
        });
        first.main.SETTINGS_BUTTON.click();
        expectSlots(first.main, "after the single-task save");
        EXPECT_TRUE(first.backend.warnings().empty());
    }
    {
        Start second(folder.path());
        expectSlots(second.main, "at the next start");
        // The all-settings window shows them as stored and writes them back as shown.
        second.host.whileOpen(kAll, [](form::Window& w) {
            auto& all = static_cast<model::SettingsForm&>(w);
            for (std::size_t i = 0; i < kTexts.size(); ++i) {
                EXPECT_EQ(all.row(static_cast<int>(i) + 1).command.text(), kTexts[i]);
                EXPECT_EQ(all.row(static_cast<int>(i) + 1).name.text(), kTexts[i]);
            }
            all.SAVE_BUTTON.click();
        });
        second.host.whileOpen(kSingle, [](form::Window& w) {
            static_cast<model::SingleSettingsForm&>(w).VIEW_ALL_SETTINGS_BUTTON.click();
        });
        second.main.SETTINGS_BUTTON.click();
        expectSlots(second.main, "after the all-settings save");
    }
    Start third(folder.path());
    expectSlots(third.main, "after both saves");
}

}  // namespace
