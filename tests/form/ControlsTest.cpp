#include <gtest/gtest.h>

#include <vector>

#include "form/Controls.h"

using form::Property;

TEST(TickBox, SettingTheValueFromCodeRunsTheClickOnlyOnChange) {
    form::TickBox box("AUTOCLOSE_TICKBOX", "AutoClose When Finished");
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

TEST(TickBox, UserClickFlipsAndGreyedBecomesTicked) {
    form::TickBox box("T");
    std::vector<int> seen;
    box.onClick = [&] { seen.push_back(box.value()); };
    box.click();
    box.click();
    box.setValue(2);
    box.click();
    EXPECT_EQ(seen, (std::vector<int>{1, 0, 2, 1}));
}

TEST(Controls, ObserverHearsRealChangesOnly) {
    form::TextBox light("TASK_1_LIGHT", "1");
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

TEST(Controls, DisabledButtonIgnoresClicks) {
    form::Button b("AUTOCLOSE_START_BUTTON", "START");
    int clicks = 0;
    b.onClick = [&] { ++clicks; };
    b.setEnabled(false);
    b.click();
    b.setEnabled(true);
    b.click();
    EXPECT_EQ(clicks, 1);
}
