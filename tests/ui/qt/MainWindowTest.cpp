// The main window's view over its model: widgets found by name, their place
// and look, and both directions of traffic between widgets and model.

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "engine/Engine.h"
#include "form/VirtualTime.h"
#include "model/main/MainForm.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/MemorySettingsBackend.h"
#include "settings/Store.h"
#include "ui/qt/controls/ViewStyle.h"
#include "ui/qt/main/MainWindow.h"

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    // Builds the window as the program does, after seeding the store.
    void open() {
        form_ = std::make_unique<model::MainForm>(time_.scheduler, store_, "velmora", platform_);
        engine_ = std::make_unique<engine::Engine>(*form_, platform_);
        window_ = std::make_unique<ui::qt::MainWindow>(*form_);
        form_->Form_Load();
    }

    model::MainForm& form() { return *form_; }
    ui::qt::MainWindow& window() { return *window_; }

    template <typename W = QWidget>
    W* find(const QString& name) {
        W* w = window_->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }

    int writesOf(const std::string& key) const {
        int n = 0;
        for (const auto& w : backend_.writes) n += w.key == key;
        return n;
    }

    form::VirtualTime time_;
    platform::MemorySettingsBackend backend_;
    settings::Store store_{backend_, "velmora"};
    platform::FakePlatform platform_{time_.clock};
    std::unique_ptr<model::MainForm> form_;
    std::unique_ptr<engine::Engine> engine_;
    std::unique_ptr<ui::qt::MainWindow> window_;
};

void doubleClick(QWidget* w) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
    QApplication::sendEvent(w, &dbl);
    QApplication::sendEvent(w, &release);
}

void mouseClick(QWidget* w) {
    const QPointF at(8, w->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

// Counts palette changes per widget, to see which widgets a model change touched.
class PaletteWatch : public QObject {
public:
    explicit PaletteWatch(QWidget& root) {
        for (QWidget* w : root.findChildren<QWidget*>()) w->installEventFilter(this);
    }
    std::map<QString, int> changed;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::PaletteChange) ++changed[o->objectName()];
        return false;
    }
};

// --- what is on the window ---

TEST_F(MainWindowTest, EveryControlHasAWidgetOfItsKindNamedAfterIt) {
    open();
    int widgets = 0;
    for (form::Control* c : form().controls()) {
        const QString name = QString::fromStdString(c->name());
        QWidget* w = find(name);
        ASSERT_NE(w, nullptr);
        ++widgets;
        EXPECT_NE(w->accessibleName(), name);  // the identifier is for tools, not people
        if (dynamic_cast<form::Label*>(c)) {
            EXPECT_TRUE(qobject_cast<QLabel*>(w)) << c->name();
        } else if (dynamic_cast<form::TickBox*>(c)) {
            EXPECT_TRUE(qobject_cast<QCheckBox*>(w)) << c->name();
        } else if (dynamic_cast<form::Button*>(c)) {
            EXPECT_TRUE(qobject_cast<QPushButton*>(w)) << c->name();
        }
        if (auto* t = dynamic_cast<form::TextBox*>(c)) {
            auto* edit = qobject_cast<QLineEdit*>(w);
            ASSERT_TRUE(edit) << c->name();
            EXPECT_EQ(edit->isReadOnly(), t->readOnly) << c->name();
        }
    }
    EXPECT_EQ(widgets, 16 + 7 + 1 + 60 + 2);
    // The hidden per-slot texts are model fields only.
    EXPECT_EQ(window().findChild<QWidget*>("TASK_7_CMD_TEXTBOX"), nullptr);
    EXPECT_EQ(window().findChild<QWidget*>("TASK_7_PROCESS_NAME_TEXTBOX"), nullptr);
}

TEST_F(MainWindowTest, ControlsSitAtTheirTwipBoxesInPixels) {
    open();
    ASSERT_DOUBLE_EQ(window().dpi(), 96.0) << "the offscreen screen is 96 dpi";
    EXPECT_EQ(find("TARNHOLT_TITLE")->geometry(), QRect(8, 8, 153, 21));
    EXPECT_EQ(find("LAST_RUN_TEXTBOX")->geometry(), QRect(80, 72, 289, 22));
    EXPECT_EQ(find("AUTOSTART_START_BUTTON")->geometry(), QRect(80, 112, 65, 25));
    EXPECT_EQ(find("TASK_1_LIGHT")->geometry(), QRect(8, 160, 25, 17));
    EXPECT_EQ(find("TASK_20_ENABLE_TICKBOX")->geometry(), QRect(40, 464, 273, 17));
    EXPECT_EQ(find("TASK_20_PAUSE_TICKBOX")->geometry(), QRect(320, 464, 49, 17));
    EXPECT_EQ(find("RIVA_LABEL_7")->geometry(), QRect(288, 512, 17, 9));
    EXPECT_EQ(find("ABOUT_BUTTON")->geometry(), QRect(320, 504, 49, 25));
}

TEST_F(MainWindowTest, TextsFontsAndColoursFollowTheModel) {
    open();
    EXPECT_EQ(find<QLabel>("APP_EXE_NAME_LABEL")->text(), "velmora");
    EXPECT_EQ(find<QCheckBox>("TASK_7_ENABLE_TICKBOX")->text(), "TASK 7");
    EXPECT_EQ(find<QLineEdit>("TASK_7_LIGHT")->text(), "7");
    EXPECT_EQ(find<QLineEdit>("HEARTBEAT_COUNTDOWN_TEXTBOX")->alignment() & Qt::AlignHCenter,
              Qt::AlignHCenter);

    const QString sans = ui::qt::resolveFamily("Arial", QFontDatabase::families());
    ASSERT_FALSE(sans.isEmpty()) << "no sans font installed";
    const QFont title = find("TARNHOLT_TITLE")->font();
    EXPECT_EQ(title.family(), sans);
    EXPECT_DOUBLE_EQ(title.pointSizeF(), 9.75);
    EXPECT_TRUE(title.bold());
    const QFont plain = find("AUTOSTART_TICKBOX")->font();  // MS Sans Serif 8.25 regular
    EXPECT_EQ(plain.family(), sans);
    EXPECT_DOUBLE_EQ(plain.pointSizeF(), 8.25);
    EXPECT_FALSE(plain.bold());
    EXPECT_DOUBLE_EQ(find("AUTOSTART_TIMER_TEXTBOX")->font().pointSizeF(), 13.5);
    EXPECT_DOUBLE_EQ(find("HEARTBEAT_COUNTDOWN_TEXTBOX")->font().pointSizeF(), 14.25);

    EXPECT_EQ(find("TARNHOLT_TITLE")->palette().color(QPalette::Window), QColor(0, 0, 0));
    EXPECT_EQ(find("TARNHOLT_TITLE")->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    EXPECT_EQ(find("AUTOSTART_TIMER_TEXTBOX")->palette().color(QPalette::Base), QColor(255, 128, 255));
    EXPECT_EQ(find("RIVA_LABEL_1")->palette().color(QPalette::Window), QColor(255, 0, 0));
    // First run: empty status line on red.
    EXPECT_EQ(find("LAST_RUN_TEXTBOX")->palette().color(QPalette::Base), QColor(255, 0, 0));
    // The scanner lamps lie over their black background.
    QWidget* lamp = find("RIVA_LABEL_4");
    EXPECT_EQ(window().childAt(lamp->geometry().center()), lamp);
    EXPECT_FALSE(find("AUTOCLOSE_START_BUTTON")->isEnabled());
}

TEST_F(MainWindowTest, TickBoxCaptionsFitTheirBoxes) {
    const QString sans = ui::qt::resolveFamily("Arial", QFontDatabase::families());
    if (sans != "Liberation Sans" && sans != "Arimo" && sans != "Nimbus Sans")
        GTEST_SKIP() << "needs a face metric-compatible with Arial; found '" << sans.toStdString() << "'";
    open();
    for (auto* box : window().findChildren<QCheckBox*>()) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        const QRect room = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
        EXPECT_LE(box->fontMetrics().horizontalAdvance(box->text()), room.width())
            << box->objectName().toStdString() << ": " << box->text().toStdString();
    }
}

TEST_F(MainWindowTest, TabOrderFollowsTabIndex) {
    open();
    QStringList expected{"AUTOSTART_START_BUTTON", "SETTINGS_BUTTON",          "AUTOCLOSE_START_BUTTON",
                         "AUTOSTART_TICKBOX",      "AlwaysOnTopTimer_TICKBOX", "AUTOCLOSE_TICKBOX",
                         "RIVA_AUTOSTART_TICKBOX", "RIVA_START_BUTTON",        "ABOUT_BUTTON"};
    for (int n = 1; n <= 20; ++n) {
        expected << QString("TASK_%1_ENABLE_TICKBOX").arg(n) << QString("TASK_%1_PAUSE_TICKBOX").arg(n);
    }
    expected << "AUTOSTART_TIMER_TEXTBOX"
             << "AUTOCLOSE_TIMER_TEXTBOX";
    for (int n = 1; n <= 20; ++n) expected << QString("TASK_%1_LIGHT").arg(n);
    expected << "HEARTBEAT_COUNTDOWN_TEXTBOX"
             << "LAST_RUN_TEXTBOX";

    QStringList seen;
    QWidget* start = find("AUTOSTART_START_BUTTON");
    QWidget* w = start;
    do {
        if (w->focusPolicy() & Qt::TabFocus) seen << w->objectName();
        w = w->nextInFocusChain();
    } while (w != start && seen.size() <= expected.size());
    EXPECT_EQ(seen, expected);
}

// --- the user's actions reach the model ---

TEST_F(MainWindowTest, ClickingAButtonRunsItsHandler) {
    open();
    auto* start = find<QPushButton>("AUTOSTART_START_BUTTON");
    start->click();
    EXPECT_EQ(form().AUTOSTART_START_BUTTON.caption(), "STOP");
    EXPECT_TRUE(form().AUTOSTART_TIMER.enabled());
    EXPECT_EQ(start->text(), "STOP");
    EXPECT_FALSE(find("SETTINGS_BUTTON")->isEnabled());
    EXPECT_EQ(find<QLineEdit>("LAST_RUN_TEXTBOX")->text(), "AUTOSTART - MANUAL START");
    mouseClick(start);
    EXPECT_EQ(start->text(), "START");
    EXPECT_TRUE(find("SETTINGS_BUTTON")->isEnabled());
}

TEST_F(MainWindowTest, ClickingATickBoxFlipsTheModelAndRunsItsHandler) {
    open();
    auto* autoclose = find<QCheckBox>("AUTOCLOSE_TICKBOX");
    mouseClick(autoclose);
    EXPECT_EQ(form().AUTOCLOSE_TICKBOX.value(), 1);
    EXPECT_TRUE(autoclose->isChecked());
    EXPECT_TRUE(find("AUTOCLOSE_START_BUTTON")->isEnabled());  // its handler ran
    autoclose->click();
    EXPECT_EQ(form().AUTOCLOSE_TICKBOX.value(), 0);
    EXPECT_FALSE(find("AUTOCLOSE_START_BUTTON")->isEnabled());

    find<QCheckBox>("TASK_20_PAUSE_TICKBOX")->click();
    EXPECT_TRUE(form().slot(20).pause.ticked());
    EXPECT_FALSE(form().slot(19).pause.ticked());
}

TEST_F(MainWindowTest, ATickBoxShowsTheModelsValueAfterItsHandler) {
    open();
    // A handler that refuses the tick: the box must not show it.
    form::TickBox& box = form().RIVA_AUTOSTART_TICKBOX;
    int clicks = 0;
    box.onClick = [&] {
        ++clicks;
        box.setValue(0);
    };
    auto* widget = find<QCheckBox>("RIVA_AUTOSTART_TICKBOX");
    mouseClick(widget);
    EXPECT_EQ(box.value(), 0);
    EXPECT_FALSE(widget->isChecked());
    EXPECT_EQ(clicks, 2);  // the click, then the value put back
    // A greyed value shows greyed, and a click ticks it.
    box.onClick = nullptr;
    box.setValue(2);
    EXPECT_EQ(widget->checkState(), Qt::PartiallyChecked);
    widget->click();
    EXPECT_EQ(box.value(), 1);
    EXPECT_EQ(widget->checkState(), Qt::Checked);
}

TEST_F(MainWindowTest, DoubleClicksAndFocusLossReachTheModel) {
    open();
    int light = 0, label = 0, lost = 0;
    form().slot(4).light.onDblClick = [&] { ++light; };
    form().TARNHOLT_TITLE.onDblClick = [&] { ++label; };
    form().LAST_RUN_TEXTBOX.onLostFocus = [&] { ++lost; };
    doubleClick(find("TASK_4_LIGHT"));
    doubleClick(find("TARNHOLT_TITLE"));
    EXPECT_EQ(light, 1);
    EXPECT_EQ(label, 1);
    EXPECT_EQ(form().slot(4).light.text(), "4");  // read-only stays read-only

    // The engine's reset of the autostart display shows on the widget.
    doubleClick(find("AUTOSTART_TIMER_TEXTBOX"));
    EXPECT_EQ(find<QLineEdit>("AUTOSTART_TIMER_TEXTBOX")->text(), "11");

    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(find("LAST_RUN_TEXTBOX"), &out);
    EXPECT_EQ(lost, 1);
}

// --- the model's changes reach exactly their widget ---

TEST_F(MainWindowTest, AModelChangeTouchesOnlyItsWidget) {
    open();
    const QColor before = find("TASK_6_LIGHT")->palette().color(QPalette::Base);
    PaletteWatch watch(window());
    form().slot(7).light.setBackColour(form::colour::Cyan);
    EXPECT_EQ(find("TASK_7_LIGHT")->palette().color(QPalette::Base), QColor(0, 255, 255));
    EXPECT_EQ(find("TASK_6_LIGHT")->palette().color(QPalette::Base), before);
    EXPECT_EQ(watch.changed, (std::map<QString, int>{{"TASK_7_LIGHT", 1}}));

    form().RIVA_LABEL[2]->setBackColour(form::colour::Black);
    EXPECT_EQ(find("RIVA_LABEL_3")->palette().color(QPalette::Window), QColor(0, 0, 0));
    EXPECT_EQ(find("RIVA_LABEL_2")->palette().color(QPalette::Window), QColor(255, 0, 0));

    form().slot(3).light.setToolTip("could not start: no such file");
    EXPECT_EQ(find("TASK_3_LIGHT")->toolTip(), "could not start: no such file");
    EXPECT_EQ(find("TASK_2_LIGHT")->toolTip(), "");

    form().slot(5).enable.setCaption("Backup");
    EXPECT_EQ(find<QCheckBox>("TASK_5_ENABLE_TICKBOX")->text(), "Backup");
    form().slot(5).enable.setValue(1);
    EXPECT_TRUE(find<QCheckBox>("TASK_5_ENABLE_TICKBOX")->isChecked());

    form().caption = "VELMORA - other";
    form().onWindowChanged();
    EXPECT_EQ(window().windowTitle(), "VELMORA - other");
}

// Ten scanner steps a second: each must repaint its two lamps and nothing else.
TEST_F(MainWindowTest, AScannerStepTouchesOnlyItsTwoLamps) {
    open();
    form().RIVA_START_BUTTON.click();
    time_.advance(100);  // step 1 lights lamp 1
    PaletteWatch watch(window());
    time_.advance(100);  // step 2: lamp 1 dark, lamp 2 lit
    EXPECT_EQ(watch.changed, (std::map<QString, int>{{"RIVA_LABEL_1", 1}, {"RIVA_LABEL_2", 1}}));
    EXPECT_EQ(find("RIVA_LABEL_2")->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(find("RIVA_LABEL_1")->palette().color(QPalette::Window), QColor(0, 0, 0));
}

TEST_F(MainWindowTest, AnUnavailableDesktopFeatureShowsItsReasonAsTooltip) {
    platform_.setUnavailable(platform::DesktopFeature::KeyInjection, "no XTest");
    open();
    EXPECT_EQ(
        find("RIVA_START_BUTTON")->toolTip(),
        "NumLock keep-alive unavailable: no XTest; the session is kept from idling by the test inhibitor");
    EXPECT_EQ(find("AlwaysOnTopTimer_TICKBOX")->toolTip(), "");
}

// --- the window ---

TEST_F(MainWindowTest, WindowHasTheStoredCaptionFixedSizeAndNoMaximise) {
    open();
    EXPECT_EQ(window().windowTitle(), "VELMORA - velmora");
    const Qt::WindowFlags flags = window().windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window().minimumSize(), window().maximumSize());
    EXPECT_EQ(window().wantedFrameSize(), QSize(391, 570));
    window().show();
    // Offscreen windows have no frame: the client is the whole outer size.
    EXPECT_EQ(window().frameGeometry(), QRect(67, 67, 391, 570));
    window().close();
}

TEST_F(MainWindowTest, OnlyTheHiddenHeadingsLieOutsideTheDefaultClientArea) {
    open();
    window().show();
    const QRect client = window().rect();
    for (QWidget* w : window().findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const bool heading = w->objectName() == "CMD_HEADING" || w->objectName() == "PROCESS_HEADING";
        if (heading)
            EXPECT_FALSE(client.intersects(w->geometry())) << w->objectName().toStdString();
        else
            EXPECT_TRUE(client.contains(w->geometry())) << w->objectName().toStdString();
    }
    window().close();
}

TEST_F(MainWindowTest, StoredSizeAndPlaceAreUsed) {
    backend_.seed("velmora", "MAIN-Width", "7500");
    backend_.seed("velmora", "MAIN-Height", "9000");
    backend_.seed("velmora", "MAIN-Left", "1500");
    backend_.seed("velmora", "MAIN-Top", "3000");
    open();
    EXPECT_EQ(window().wantedFrameSize(), QSize(500, 600));
    EXPECT_EQ(window().wantedFramePos(), QPoint(100, 200));
}

TEST_F(MainWindowTest, APlaceOffEveryScreenOpensOnThePrimaryScreen) {
    backend_.seed("velmora", "MAIN-Left", "150000");
    backend_.seed("velmora", "MAIN-Top", "150000");
    open();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(window().wantedFramePos(), available.topLeft() + QPoint(67, 67));
    window().show();
    EXPECT_EQ(window().frameGeometry().topLeft(), available.topLeft() + QPoint(67, 67));
    window().close();
    // Where it really was is what gets stored.
    EXPECT_EQ(backend_.value("velmora", "MAIN-Left"), std::to_string((available.left() + 67) * 15));
    EXPECT_EQ(backend_.value("velmora", "MAIN-Top"), std::to_string((available.top() + 67) * 15));
}

// --- closing ---

TEST_F(MainWindowTest, ClosingStoresTheOuterPositionAndUnloadsOnce) {
    open();
    window().show();
    window().move(300, 200);
    EXPECT_TRUE(window().close());
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(form().unloaded());
    EXPECT_EQ(backend_.value("velmora", "MAIN-Left"), "4500");
    EXPECT_EQ(backend_.value("velmora", "MAIN-Top"), "3000");
    EXPECT_EQ(backend_.writes.size(), 47u);
    EXPECT_FALSE(time_.scheduler.nextDue().has_value()) << "timers stop with the window";

    // Further closes of either kind write nothing more.
    form().Close();
    window().unload();
    window().close();
    EXPECT_EQ(backend_.writes.size(), 47u);
}

TEST_F(MainWindowTest, TheModelsCloseClosesTheWindow) {
    open();
    window().show();
    form().Close();
    EXPECT_FALSE(window().isVisible());
    EXPECT_EQ(writesOf("MAIN-Left"), 1);
    EXPECT_EQ(writesOf("LAST_RUN"), 1);
}

TEST_F(MainWindowTest, TheAutocloseCountdownClosesTheWindowThroughShutDown) {
    open();
    window().show();
    find<QCheckBox>("AUTOCLOSE_TICKBOX")->click();
    find<QPushButton>("AUTOCLOSE_START_BUTTON")->click();
    time_.advance(12'000);
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(form().unloaded());
    EXPECT_EQ(writesOf("MAIN-Left"), 1);
    EXPECT_EQ(backend_.value("velmora", "AUTOCLOSE_TICKBOX"), "1");
    EXPECT_FALSE(time_.scheduler.nextDue().has_value());
}

TEST_F(MainWindowTest, AnUnmovedWindowKeepsItsStoredTwipsExactly) {
    // 1000 twips is 66.7 px: rounding to pixels and back must not make it 1005.
    open();
    window().show();
    window().close();
    EXPECT_EQ(backend_.value("velmora", "MAIN-Left"), "1000");
    EXPECT_EQ(backend_.value("velmora", "MAIN-Top"), "1000");
}

TEST_F(MainWindowTest, UnloadWithoutEverShowingStoresTheStoredPlace) {
    backend_.seed("velmora", "MAIN-Left", "1234");
    open();
    window().unload();
    EXPECT_EQ(backend_.value("velmora", "MAIN-Left"), "1234");
    EXPECT_EQ(backend_.value("velmora", "MAIN-Top"), "1000");
}

}  // namespace
