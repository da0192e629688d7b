#include <gtest/gtest.h>

#include "form/Accessible.h"
#include "form/VirtualTime.h"
#include "support/BareWindow.h"

using form::Role;

// The one rule, kind by kind: never the identifier; the caption unless the
// window names the control; "{}" follows the caption; state words win.
TEST(Accessible, EachKindReadsAsAPersonHearsIt) {
    form::VirtualTime vt;
    testing_support::BareWindow w(vt.scheduler);
    form::TickBox greyed(w, "GREYED_TICKBOX", "x"), named(w, "TASK_7_PAUSE_TICKBOX", "P-4-P");
    form::Button stop(w, "STOP_BUTTON", "STOP"), about(w, "ABOUT_BUTTON", "About");
    form::TextBox field(w, "CMD_TEXTBOX", "run.sh"), light(w, "TASK_4_LIGHT", "4");
    form::Label lamp(w, "RIVA_LABEL_1", "x");
    greyed.setValue(2);
    named.setAccessibleName("P-4-P, task 7");
    stop.setAccessibleName("{} autostart countdown");
    about.setAccessibleName("{} box");
    light.setAccessibleName("Task 4 light");
    light.setStateWords("could not start");
    light.setAccessibleDescription("no command");
    lamp.decoration = true;
    const std::pair<const form::Control*, form::Accessible> rows[] = {
        {&greyed, {Role::TickBox, "x", "greyed", ""}},
        {&named, {Role::TickBox, "P-4-P, task 7", "clear", ""}},
        {&stop, {Role::Button, "Stop autostart countdown", "", ""}},
        {&about, {Role::Button, "About box", "", ""}},
        {&field, {Role::Field, "", "run.sh", ""}},
        {&light, {Role::Status, "Task 4 light", "could not start", "no command"}},
        {&lamp, {Role::Hidden, "", "", ""}},
    };
    for (const auto& [control, expected] : rows)
        EXPECT_EQ(form::accessibleOf(*control), expected) << control->name();
}
