// The settings windows on screen: opened from the main window's button,
// widgets found by their names at their twip boxes, clicks and typing reaching
// the models, and both windows closing by their buttons.

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "engine/Engine.h"
#include "form/VirtualTime.h"
#include "model/main/Contact.h"
#include "model/main/MainForm.h"
#include "model/settings/SettingsWindows.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/MemorySettingsBackend.h"
#include "settings/Store.h"
#include "ui/qt/controls/QtWindowHost.h"
#include "ui/qt/main/MainWindow.h"
#include "ui/qt/settings/SettingsViews.h"

namespace {

template <typename W = QWidget>
W* child(QWidget& window, const char* name) {
    W* w = window.findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// Types as a user would: the field's text replaced key by key.
void type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
}

void mouseClick(QWidget* w) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

// The names of the window's widgets in keyboard order, from its first.
std::string tabOrder(QWidget* first) {
    QStringList seen;
    QWidget* w = first;
    do {
        if (w->focusPolicy() & Qt::TabFocus) seen << w->objectName();
        w = w->nextInFocusChain();
    } while (w != first && seen.size() < 200);
    return seen.join(" ").toStdString();
}

class SettingsWindowsView : public ::testing::Test {
protected:
    SettingsWindowsView() {
        form_.Form_Load();
        ui::qt::registerSettingsViews(host_);
        host_.addWindow(mainView_);
        mainView_.show();
        // Each window acts once it is open, from inside its own event loop.
        host_.onShown = [this](ui::qt::FormWindow& view) {
            const auto script = scripts_.find(view.objectName().toStdString());
            ASSERT_NE(script, scripts_.end()) << view.objectName().toStdString();
            QTimer::singleShot(0, &view, [&view, act = script->second] { act(view); });
        };
    }

    form::VirtualTime time_;
    platform::MemorySettingsBackend backend_;
    settings::Store store_{backend_, "velmora"};
    platform::FakePlatform platform_{time_.clock};
    model::MainForm form_{time_.scheduler, store_, "velmora", platform_};
    engine::Engine engine_{form_, platform_};
    ui::qt::MainWindow mainView_{form_};
    ui::qt::QtWindowHost host_;
    model::SettingsWindows windows_{form_, host_, platform_};
    std::map<std::string, std::function<void(ui::qt::FormWindow&)>> scripts_;
};

TEST_F(SettingsWindowsView, SingleTaskWindowLoadsTypesSavesAndOpensTheAllSettingsWindow) {
    backend_.seed("velmora", "TASK_3_CMD", "old command");
    bool singleSeen = false, allSeen = false;
    scripts_["VELMORA_SINGLE_SETTINGS_WINDOW"] = [&](ui::qt::FormWindow& w) {
        singleSeen = true;
        EXPECT_EQ(w.windowTitle(), "VELMORA - SINGLE SETTINGS");
        EXPECT_TRUE(w.isModal());
        EXPECT_EQ(w.parentWidget(), &mainView_);
        EXPECT_EQ(w.wantedFrameSize(), QSize(784, 315));
        EXPECT_EQ(child(w, "TASK_1_LOAD_BUTTON")->geometry(), QRect(32, 40, 65, 25));
        EXPECT_EQ(child(w, "TASK_20_LOAD_BUTTON")->geometry(), QRect(680, 80, 65, 25));
        EXPECT_EQ(child(w, "TASK_1_CMD_TEXTBOX")->geometry(), QRect(64, 200, 673, 21));
        EXPECT_EQ(child<QPushButton>(w, "TASK_12_LOAD_BUTTON")->text(), "TASK12");
        EXPECT_EQ(child(w, "TASK_1_PROCESS_NAME_TEXTBOX")->toolTip(),
                  "Pause 4 Process - Waits for Process.exe to finish running before continuing.");
        EXPECT_TRUE(child<QLineEdit>(w, "TASK_LIGHT")->isReadOnly());
        EXPECT_TRUE(child(w, "TASK_1_NAME_TEXTBOX")->font().bold());
        // The browse button shows a picture and no caption.
        auto* browse = child<QPushButton>(w, "BROWSE_FILE_BUTTON");
        EXPECT_TRUE(browse->text().isEmpty());
        EXPECT_FALSE(browse->icon().isNull());
        EXPECT_EQ(browse->geometry(), QRect(40, 200, 25, 25));

        QStringList expected{"OK_BUTTON"};
        for (int n = 1; n <= 20; ++n) expected << QString("TASK_%1_LOAD_BUTTON").arg(n);
        expected << "TASK_1_NAME_TEXTBOX"
                 << "TASK_1_PROCESS_NAME_TEXTBOX"
                 << "BROWSE_FILE_BUTTON"
                 << "TASK_1_CMD_TEXTBOX"
                 << "SAVE_BUTTON"
                 << "VIEW_ALL_SETTINGS_BUTTON";
        EXPECT_EQ(tabOrder(child(w, "OK_BUTTON")), expected.join(" ").toStdString());

        child<QPushButton>(w, "TASK_3_LOAD_BUTTON")->click();
        EXPECT_EQ(child<QLineEdit>(w, "TASK_LIGHT")->text(), "3");
        EXPECT_EQ(child<QLineEdit>(w, "TASK_1_CMD_TEXTBOX")->text(), "old command");
        type(child<QLineEdit>(w, "TASK_1_CMD_TEXTBOX"), "/opt/new tool --x");
        mouseClick(child(w, "SAVE_BUTTON"));
        EXPECT_EQ(form_.slot(3).command, "/opt/new tool --x");

        child<QPushButton>(w, "VIEW_ALL_SETTINGS_BUTTON")->click();  // returns once that window closed
        EXPECT_TRUE(allSeen);
        EXPECT_EQ(child<QLineEdit>(w, "TASK_1_CMD_TEXTBOX")->text(), "/opt/new tool --x");
        child<QPushButton>(w, "OK_BUTTON")->click();
    };
    scripts_["VELMORA_SETTINGS"] = [&](ui::qt::FormWindow& w) {
        allSeen = true;
        EXPECT_EQ(w.windowTitle(), "VELMORA - SETTINGS");
        EXPECT_EQ(w.parentWidget()->objectName(), "VELMORA_SINGLE_SETTINGS_WINDOW");
        EXPECT_EQ(w.wantedFrameSize(), QSize(1160, 412));
        EXPECT_EQ(child(w, "TASK_20_PROCESS_NAME_TEXTBOX")->geometry(), QRect(984, 280, 153, 21));
        EXPECT_EQ(child<QLineEdit>(w, "TASK_3_CMD_TEXTBOX")->text(), "/opt/new tool --x");
        EXPECT_EQ(child<QLineEdit>(w, "TASK_11_LIGHT")->text(), "11");

        QStringList expected{"CANCEL_BUTTON"};
        for (int n = 1; n <= 20; ++n)
            expected << QString("TASK_%1_NAME_TEXTBOX").arg(n) << QString("TASK_%1_CMD_TEXTBOX").arg(n)
                     << QString("TASK_%1_PROCESS_NAME_TEXTBOX").arg(n);
        expected << "SAVE_BUTTON"
                 << "VELMORA_CREATOR";  // last: nothing else reaches its click
        EXPECT_EQ(tabOrder(child(w, "CANCEL_BUTTON")), expected.join(" ").toStdString());

        auto* creator = child<QLabel>(w, "VELMORA_CREATOR");
        mouseClick(creator);
        const QString email = model::contact::kCreatorEmail;
        EXPECT_EQ(creator->text(), email.isEmpty() ? "Created By BRANNIC" : email);

        type(child<QLineEdit>(w, "TASK_20_NAME_TEXTBOX"), "Tom & Jerry <b>");
        auto* cancel = child<QPushButton>(w, "CANCEL_BUTTON");
        child<QPushButton>(w, "SAVE_BUTTON")->click();
        EXPECT_EQ(cancel->text(), "Close");
        EXPECT_EQ(form_.slot(20).enable.caption(), "Tom & Jerry <b>");
        cancel->click();
    };
    // The main window's button, as the user presses it.
    child<QPushButton>(mainView_, "SETTINGS_BUTTON")->click();
    EXPECT_TRUE(singleSeen);
    EXPECT_TRUE(host_.modals().empty());
    EXPECT_EQ(backend_.value("velmora", "TASK_3_CMD"), "/opt/new tool --x");
    EXPECT_EQ(backend_.value("velmora", "TASK_20_TICKBOX_CAPTION"), "Tom & Jerry <b>");
    // Shown as typed: the '&' doubled so that it is no shortcut mark.
    auto* tick = child<QCheckBox>(mainView_, "TASK_20_ENABLE_TICKBOX");
    EXPECT_EQ(tick->text(), "Tom && Jerry <b>");
    EXPECT_TRUE(tick->shortcut().isEmpty());
    EXPECT_TRUE(backend_.value("velmora", "SINGLE_SETTINGS-Left").has_value());
    EXPECT_TRUE(backend_.value("velmora", "SETTINGS-Top").has_value());
}

TEST_F(SettingsWindowsView, DoubleClickOnALightTurnsItWhite) {
    QWidget* light = child(mainView_, "TASK_5_LIGHT");
    const QPointF at(light->width() / 2.0, light->height() / 2.0);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, light->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(light, &dbl);
    EXPECT_EQ(form_.slot(5).light.backColour(), form::colour::White);
    EXPECT_EQ(light->palette().color(QPalette::Base), QColor(255, 255, 255));
}

}  // namespace
