// Declaring is all it takes: a control declared on a window is shown, and a
// value declared with its key loads the key table's default and is saved
// under that key, in the order of declaration.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "form/VirtualTime.h"
#include "model/main/Stored.h"
#include "platform/fake/MemorySettingsBackend.h"
#include "settings/Keys.h"
#include "support/BareWindow.h"

namespace {

namespace keys = settings::keys;
using Write = platform::MemorySettingsBackend::Write;

struct Row {
    form::TickBox enable;
    form::TextBox light;
};

TEST(Declaring, RegistersControlsInOrderAndStoredValuesUnderTheirKeys) {
    form::VirtualTime vt;
    testing_support::BareWindow w(vt.scheduler);
    form::TickBox onTop(w, "AlwaysOnTopTimer_TICKBOX");
    Row row{{w, "TASK_3_ENABLE_TICKBOX"}, {w, "TASK_3_LIGHT", "3"}};
    form::TextBox status(w, "LAST_RUN_TEXTBOX", "before");
    const auto later = std::make_unique<form::Button>(w, "OK_BUTTON", "OK");
    std::vector<std::string> shown;
    for (const form::Control* c : w.controls()) shown.push_back(c->name());
    EXPECT_EQ(shown, (std::vector<std::string>{"AlwaysOnTopTimer_TICKBOX", "TASK_3_ENABLE_TICKBOX",
                                               "TASK_3_LIGHT", "LAST_RUN_TEXTBOX", "OK_BUTTON"}));

    platform::MemorySettingsBackend backend;
    backend.seed("velmora", "TASK_3_ENABLE_TICKBOX", "2");
    settings::Store store(backend, "velmora");
    model::Stored stored(store);
    std::string command = "unset";
    stored.tick(onTop, keys::AlwaysOnTopTick);
    stored.text(status, keys::LastRun);
    stored.loadOnly(keys::taskCommand(3), [&command](const std::string& v) { command = v; });
    stored.tick(row.enable, keys::taskEnable(3));
    int clicks = 0;
    onTop.onClick = [&clicks] { ++clicks; };

    stored.load();
    EXPECT_EQ(onTop.value(), 1) << "the key table's default";
    EXPECT_EQ(clicks, 1) << "a loaded tick runs its click handler as any change does";
    EXPECT_EQ(status.text(), "");
    EXPECT_EQ(command, "");
    EXPECT_EQ(row.enable.value(), 2) << "a stored value wins over the default";

    onTop.setValue(0);
    status.setText("COMPLETED SUCCESSFULLY");
    stored.save();
    EXPECT_EQ(backend.writes, (std::vector<Write>{{"velmora", "AlwaysOnTopTimer_TICKBOX", "0"},
                                                  {"velmora", "LAST_RUN", "COMPLETED SUCCESSFULLY"},
                                                  {"velmora", "TASK_3_ENABLE_TICKBOX", "2"}}))
        << "in declaration order; a value only loaded is not written";
}

}  // namespace
