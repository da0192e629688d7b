// Enter in every kind of window, as in a dialog: it presses the push button
// that has the focus, else the window's default button (OK) if it has one,
// else nothing. The button that would be pressed is the one drawn as default.

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "engine/Countdowns.h"
#include "form/VirtualTime.h"
#include "model/about/AboutWindow.h"
#include "model/about/DonationsWindow.h"
#include "model/main/MainForm.h"
#include "model/settings/SettingsForm.h"
#include "model/settings/SettingsWindows.h"
#include "model/settings/SingleSettingsForm.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeWindowHost.h"
#include "platform/fake/MemorySettingsBackend.h"
#include "settings/Store.h"
#include "ui/qt/about/AboutView.h"
#include "ui/qt/controls/FormWindow.h"

namespace {

struct Models {
    form::VirtualTime time;
    platform::MemorySettingsBackend backend;
    settings::Store store{backend, "velmora"};
    platform::FakePlatform platform{time.clock};
    platform::FakeWindowHost host;
    model::MainForm main{time.scheduler, store, "velmora", platform};
    // The double-clicks of the lights and the countdowns.
    model::SettingsWindows settings{main, host, platform};
    engine::RunRecord record;
    engine::Countdowns countdowns{main, record};
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

// Tab walks each window in the order of its layout's keyboard column, from
// the control that has the focus when it opens back round to it.
TEST(Keyboard, TabWalksEveryWindowInItsKeyboardOrder) {
    const auto perSlot = [](std::initializer_list<const char*> what) {
        std::string s;
        for (int n = 1; n <= 20; ++n)
            for (const char* w : what) s += " TASK_" + std::to_string(n) + "_" + w;
        return s;
    };
    const std::pair<Make, std::string> windows[] = {
        {kMain,
         "AUTOSTART_START_BUTTON SETTINGS_BUTTON AUTOSTART_TICKBOX AlwaysOnTopTimer_TICKBOX "
         "AUTOCLOSE_TICKBOX "
         "RIVA_AUTOSTART_TICKBOX RIVA_START_BUTTON ABOUT_BUTTON" +
             perSlot({"ENABLE_TICKBOX", "PAUSE_TICKBOX"}) +
             " AUTOSTART_TIMER_TEXTBOX AUTOCLOSE_TIMER_TEXTBOX" + perSlot({"LIGHT"}) +
             " HEARTBEAT_COUNTDOWN_TEXTBOX LAST_RUN_TEXTBOX"},
        {kAbout, "KNIGHTRIDER_WEBSITE_LINK RIVA_PIC_PICBOX OK_BUTTON DONATIONS_BUTTON VELMORA_CREATOR"},
        {kDonations,
         "OK_BUTTON BTC_DONATION_ADDRESS_TEXTBOX NMC_DONATION_ADDRESS_TEXTBOX LTC_DONATION_ADDRESS_TEXTBOX "
         "DASH_DONATION_ADDRESS_TEXTBOX VTC_DONATION_ADDRESS_TEXTBOX TARNHOLT_TITLE_TEXTBOX "
         "TARNHOLT_WEBSITE_TEXTBOX CREATOR_TEXTBOX THANKS_DONATIONS_MESSAGE_TEXTBOX "
         "THANKS_TARNHOLT_SOFTWARE_TEXTBOX"},
        {kSingle,
         "OK_BUTTON" + perSlot({"LOAD_BUTTON"}) +
             " TASK_1_NAME_TEXTBOX TASK_1_PROCESS_NAME_TEXTBOX BROWSE_FILE_BUTTON TASK_1_CMD_TEXTBOX "
             "SAVE_BUTTON VIEW_ALL_SETTINGS_BUTTON"},
        {kAll, "CANCEL_BUTTON" + perSlot({"NAME_TEXTBOX", "CMD_TEXTBOX", "PROCESS_NAME_TEXTBOX"}) +
                   " SAVE_BUTTON VELMORA_CREATOR"},
    };
    for (const auto& [make, expected] : windows) {
        Models m;
        m.main.Form_Load();
        std::unique_ptr<form::Window> other = make(m);
        ui::qt::AboutView view(other ? *other : m.main, nullptr, Qt::Window);  // the picture too
        view.buildControls();
        view.show();
        view.activateWindow();
        QApplication::processEvents();
        std::string walked;
        for (QWidget* first = QApplication::focusWidget(); first && walked.size() < 4000;) {
            walked += (walked.empty() ? "" : " ") + QApplication::focusWidget()->objectName().toStdString();
            QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
            QApplication::sendEvent(QApplication::focusWidget(), &tab);
            if (QApplication::focusWidget() == first) break;
        }
        EXPECT_EQ(walked, expected);
    }
}

// Space on a box or name that does something on a (double-)click does it;
// Enter too, unless an OK button takes Enter.
TEST(Keyboard, SpaceOrEnterDoesWhatTheMouseDid) {
    const struct {
        Make make;
        const char* focus;
        Qt::Key key;
        const char* done;  // whose handler ran, "" for none
    } rows[] = {
        {kMain, "TASK_3_LIGHT", Qt::Key_Space, "TASK_3_LIGHT"},
        {kMain, "AUTOSTART_TIMER_TEXTBOX", Qt::Key_Return, "AUTOSTART_TIMER_TEXTBOX"},
        {kMain, "HEARTBEAT_COUNTDOWN_TEXTBOX", Qt::Key_Enter, "HEARTBEAT_COUNTDOWN_TEXTBOX"},
        {kMain, "LAST_RUN_TEXTBOX", Qt::Key_Space, ""},
        {kAbout, "VELMORA_CREATOR", Qt::Key_Space, "VELMORA_CREATOR"},
        {kAbout, "VELMORA_CREATOR", Qt::Key_Return, "OK_BUTTON"},
        {kDonations, "BTC_DONATION_ADDRESS_TEXTBOX", Qt::Key_Space, "BTC_DONATION_ADDRESS_TEXTBOX"},
        {kDonations, "THANKS_DONATIONS_MESSAGE_TEXTBOX", Qt::Key_Space, "THANKS_DONATIONS_MESSAGE_TEXTBOX"},
        {kAll, "VELMORA_CREATOR", Qt::Key_Return, "VELMORA_CREATOR"},
        {kAll, "TASK_2_NAME_TEXTBOX", Qt::Key_Space, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.focus);
        Models m;
        m.main.Form_Load();
        std::unique_ptr<form::Window> other = row.make(m);
        form::Window& model = other ? *other : m.main;
        ui::qt::FormWindow view(model, nullptr, Qt::Window);
        view.buildControls();
        std::string done;
        for (form::Control* c : model.controls()) {
            const auto mark = [&done, c] { done = c->name(); };
            if (auto* t = dynamic_cast<form::TextBox*>(c); t && t->onDblClick) t->onDblClick = mark;
            if (auto* l = dynamic_cast<form::Label*>(c); l && (l->onClick || l->onDblClick))
                l->onClick = mark;
            if (auto* b = dynamic_cast<form::Button*>(c)) b->onClick = mark;
        }
        view.show();
        QWidget* focus = view.findChild<QWidget*>(row.focus);
        ASSERT_NE(focus, nullptr);
        focus->setFocus(Qt::TabFocusReason);
        QKeyEvent press(QEvent::KeyPress, row.key, Qt::NoModifier, row.key == Qt::Key_Space ? " " : "\r");
        QApplication::sendEvent(focus, &press);
        EXPECT_EQ(done, row.done);
    }
}

}  // namespace
