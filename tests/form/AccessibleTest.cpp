#include <gtest/gtest.h>

#include <memory>

#include "form/Accessible.h"
#include "form/VirtualTime.h"
#include "support/BareWindow.h"

using form::Role;

namespace {

// kind: Label, Tick, Button, Field, Read-only; `text` is the caption or text,
// `value` a tick's, `given` the window's accessible name.
struct Row {
    char kind;
    const char* text;
    int value;
    const char* given;
    const char* words;
    bool decoration;
    form::Accessible expected;
};

std::unique_ptr<form::Control> make(form::Window& w, const Row& r) {
    switch (r.kind) {
        case 'L':
            return std::make_unique<form::Label>(w, "ID_LABEL", r.text);
        case 'T': {
            auto t = std::make_unique<form::TickBox>(w, "ID_TICKBOX", r.text);
            t->setValue(static_cast<std::int16_t>(r.value));
            return t;
        }
        case 'B':
            return std::make_unique<form::Button>(w, "ID_BUTTON", r.text);
        default: {
            auto t = std::make_unique<form::TextBox>(w, "ID_TEXTBOX", r.text);
            t->readOnly = r.kind == 'R';
            return t;
        }
    }
}

}  // namespace

// The one rule, kind by kind: never the identifier; the caption unless the
// window names the control; "{}" follows the caption; state words win.
TEST(Accessible, EachKindReadsAsAPersonHearsIt) {
    const Row rows[] = {
        {'L', "TARNHOLT", 0, "", "", false, {Role::Label, "TARNHOLT", "", ""}},
        {'T', "AutoStart Timer", 1, "", "", false, {Role::TickBox, "AutoStart Timer", "ticked", ""}},
        {'T', "x", 2, "", "", false, {Role::TickBox, "x", "greyed", ""}},
        {'T', "P-4-P", 0, "P-4-P, task 7", "", false, {Role::TickBox, "P-4-P, task 7", "clear", ""}},
        {'B',
         "STOP",
         0,
         "{} autostart countdown",
         "",
         false,
         {Role::Button, "Stop autostart countdown", "", ""}},
        {'B', "About", 0, "{} box", "", false, {Role::Button, "About box", "", ""}},
        {'F', "run.sh", 0, "", "", false, {Role::Field, "", "run.sh", ""}},
        {'R', "RUNNING...", 0, "Last run", "", false, {Role::ReadOnly, "Last run", "RUNNING...", ""}},
        {'R', "4", 0, "Task 4 light", "skipped", false, {Role::Status, "Task 4 light", "skipped", ""}},
        {'L', "x", 0, "y", "", true, {Role::Hidden, "", "", ""}},
    };
    form::VirtualTime vt;
    for (const Row& r : rows) {
        testing_support::BareWindow window(vt.scheduler);
        auto c = make(window, r);
        c->setAccessibleName(r.given);
        c->setStateWords(r.words);
        c->decoration = r.decoration;
        EXPECT_EQ(form::accessibleOf(*c), r.expected) << r.text << " / " << r.given;
    }
}
