#include <gtest/gtest.h>

#include <vector>

#include "form/VirtualTime.h"
#include "support/BareWindow.h"

using form::Property;

namespace {

class Controls : public ::testing::Test {
protected:
    form::VirtualTime vt;
    testing_support::BareWindow window{vt.scheduler};
};

}  // namespace

TEST_F(Controls, SettingATickFromCodeRunsTheClickOnlyOnChange) {
    form::TickBox box(window, "AUTOCLOSE_TICKBOX", "AutoClose When Finished");
    int clicks = 0;
    box.onClick = [&] { ++clicks; };
    box.setValue(0);
    EXPECT_EQ(clicks, 0);
    box.setValue(1);
    EXPECT_EQ(clicks, 1);
    box.setValue(1);
    EXPECT_EQ(clicks, 1);
    box.setValue(2);
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(box.ticked());  // greyed does not count as ticked
}

TEST_F(Controls, UserClickFlipsATickAndGreyedBecomesTicked) {
    form::TickBox box(window, "T");
    std::vector<int> seen;
    box.onClick = [&] { seen.push_back(box.value()); };
    box.click();
    box.click();
    box.setValue(2);
    box.click();
    EXPECT_EQ(seen, (std::vector<int>{1, 0, 2, 1}));
}

TEST_F(Controls, ObserverHearsRealChangesOnly) {
    form::TextBox light(window, "TASK_1_LIGHT", "1");
    std::vector<Property> heard;
    light.setObserver([&](Property p) { heard.push_back(p); });
    light.setBackColour(form::colour::Cyan);
    light.setBackColour(form::colour::Cyan);
    light.setText("1");
    light.setText("x");
    light.setToolTip("why");
    light.setEnabled(true);
    EXPECT_EQ(heard, (std::vector<Property>{Property::BackColour, Property::Text, Property::ToolTip}));
}

TEST_F(Controls, DisabledButtonIgnoresClicks) {
    form::Button b(window, "AUTOCLOSE_START_BUTTON", "START");
    int clicks = 0;
    b.onClick = [&] { ++clicks; };
    b.setEnabled(false);
    b.click();
    b.setEnabled(true);
    b.click();
    EXPECT_EQ(clicks, 1);
}
