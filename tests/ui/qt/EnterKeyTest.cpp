// Enter in every kind of window, as in a dialog: it presses the push button
// that has the focus, else the window's default button (OK) if it has one,
// else nothing. The button that would be pressed is the one drawn as default.

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "form/VirtualTime.h"
#include "model/about/AboutWindow.h"
#include "model/about/DonationsWindow.h"
#include "model/main/MainForm.h"
#include "model/settings/SettingsForm.h"
#include "model/settings/SingleSettingsForm.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeWindowHost.h"
#include "platform/fake/MemorySettingsBackend.h"
#include "settings/Store.h"
#include "ui/qt/controls/FormWindow.h"

namespace {

struct Models {
    form::VirtualTime time;
    platform::MemorySettingsBackend backend;
    settings::Store store{backend, "velmora"};
    platform::FakePlatform platform{time.clock};
    platform::FakeWindowHost host;
    model::MainForm main{time.scheduler, store, "velmora", platform};
};

using Make = std::function<std::unique_ptr<form::Window>(Models&)>;

const Make kMain = [](Models&) -> std::unique_ptr<form::Window> { return nullptr; };
const Make kAbout = [](Models& m) {
    return std::make_unique<model::AboutWindow>(m.time.scheduler, m.store, m.host);
};
const Make kDonations = [](Models& m) {
    return std::make_unique<model::DonationsWindow>(m.time.scheduler, m.store);
};
const Make kSingle = [](Models& m) {
    return std::make_unique<model::SingleSettingsForm>(m.time.scheduler, m.store, m.main, m.host, m.platform);
};
const Make kAll = [](Models& m) {
    return std::make_unique<model::SettingsForm>(m.time.scheduler, m.store, m.main, m.host);
};

struct Row {
    const char* window;
    Make make;
    const char* focus;
    Qt::Key key;
    const char* pressed;  // "" for none; also the one button drawn as default
};

const Row kRows[] = {
    // Windows without a default button: the focused button, else nothing.
    {"main", kMain, "ABOUT_BUTTON", Qt::Key_Return, "ABOUT_BUTTON"},
    {"main", kMain, "AUTOSTART_START_BUTTON", Qt::Key_Enter, "AUTOSTART_START_BUTTON"},
    {"main", kMain, "AUTOSTART_TICKBOX", Qt::Key_Return, ""},
    {"all settings", kAll, "CANCEL_BUTTON", Qt::Key_Return, "CANCEL_BUTTON"},
    {"all settings", kAll, "TASK_3_CMD_TEXTBOX", Qt::Key_Return, ""},
    // Windows with OK: the focused button, else OK.
    {"About", kAbout, "OK_BUTTON", Qt::Key_Return, "OK_BUTTON"},
    {"About", kAbout, "DONATIONS_BUTTON", Qt::Key_Return, "DONATIONS_BUTTON"},
    {"About", kAbout, "KNIGHTRIDER_WEBSITE_LINK", Qt::Key_Enter, "OK_BUTTON"},
    {"single task", kSingle, "OK_BUTTON", Qt::Key_Return, "OK_BUTTON"},
    {"single task", kSingle, "SAVE_BUTTON", Qt::Key_Return, "SAVE_BUTTON"},
    {"single task", kSingle, "TASK_7_LOAD_BUTTON", Qt::Key_Enter, "TASK_7_LOAD_BUTTON"},
    {"single task", kSingle, "TASK_1_CMD_TEXTBOX", Qt::Key_Return, "OK_BUTTON"},
    {"donations", kDonations, "BTC_DONATION_ADDRESS_TEXTBOX", Qt::Key_Return, "OK_BUTTON"},
    {"donations", kDonations, "OK_BUTTON", Qt::Key_Return, "OK_BUTTON"},
};

TEST(EnterKey, PressesTheFocusedButtonElseTheDefaultOne) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(std::string(row.window) + ", focus on " + row.focus);
        Models m;
        m.main.Form_Load();
        std::unique_ptr<form::Window> other = row.make(m);
        form::Window& model = other ? *other : m.main;
        if (other) model.Form_Load();
        ui::qt::FormWindow view(model, nullptr, Qt::Window);
        view.buildControls();
        // Which button a key presses, whatever its handler would do.
        std::string pressed;
        for (form::Control* c : model.controls())
            if (auto* button = dynamic_cast<form::Button*>(c))
                button->onClick = [&pressed, button] { pressed = button->name(); };
        view.show();
        view.activateWindow();
        QWidget* focus = view.findChild<QWidget*>(row.focus);
        ASSERT_NE(focus, nullptr);
        focus->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), focus);

        std::string drawnDefault;
        for (const QPushButton* b : view.findChildren<QPushButton*>())
            if (b->isDefault()) drawnDefault += b->objectName().toStdString();
        EXPECT_EQ(drawnDefault, row.pressed) << "drawn as the default";

        const auto modifiers = row.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
        QKeyEvent press(QEvent::KeyPress, row.key, modifiers, "\r");
        QKeyEvent release(QEvent::KeyRelease, row.key, modifiers, "\r");
        QApplication::sendEvent(focus, &press);
        QApplication::sendEvent(focus, &release);
        EXPECT_EQ(pressed, row.pressed);
        view.hide();
    }
}

}  // namespace
