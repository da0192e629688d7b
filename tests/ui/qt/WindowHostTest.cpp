// Modal windows over the main window: they open where their model says, keep
// the program's timers running, close by their close box or Escape, and go
// (newest first) when the main window closes under them.

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/Clock.h"
#include "form/Scheduler.h"
#include "form/Window.h"
#include "ui/qt/controls/FormWindow.h"
#include "ui/qt/controls/QtWindowHost.h"

namespace {

struct PlainWindow : form::Window {
    PlainWindow(form::Scheduler& s, std::vector<std::string>& log, std::string name)
        : form::Window(std::move(name), s), log_(log) {}
    void Form_Load() override {
        log_.push_back(name() + " load");
        left = top = 1500;
        width = 6000;
        height = 3000;
        windowChanged();
    }
    void Form_Unload() override { log_.push_back(name() + " unload"); }
    form::Button OK_BUTTON{*this, "OK_BUTTON", "OK"};
    std::vector<std::string>& log_;
};

class WindowHostTest : public ::testing::Test {
protected:
    WindowHostTest() {
        OK_BUTTON().box = {100, 100, 1000, 400};
        OK_BUTTON().tabIndex = 0;
        mainView_.buildControls();
        host_.addWindow(mainView_);
        mainView_.show();
    }
    form::Button& OK_BUTTON() { return main_.OK_BUTTON; }

    form::RealClock clock_;
    form::Scheduler scheduler_{clock_};
    std::vector<std::string> log_;
    PlainWindow main_{scheduler_, log_, "MAIN"};
    ui::qt::FormWindow mainView_{main_, nullptr, Qt::Window};
    ui::qt::QtWindowHost host_;
};

TEST_F(WindowHostTest, ModalWindowLoadsFirstOpensWhereItsModelSaysAndClosesByEscape) {
    PlainWindow dialog(scheduler_, log_, "DIALOG");
    host_.onShown = [&](ui::qt::FormWindow& view) {
        EXPECT_TRUE(view.isModal());
        EXPECT_EQ(view.objectName(), "DIALOG");
        EXPECT_EQ(view.wantedFramePos(), QPoint(100, 100));
        EXPECT_EQ(view.wantedFrameSize(), QSize(400, 200));
        EXPECT_NE(view.findChild<QWidget*>("OK_BUTTON"), nullptr);
        QTimer::singleShot(0, &view, [&view] {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&view, &escape);
        });
    };
    host_.showModal(dialog, main_);
    EXPECT_EQ(log_, (std::vector<std::string>{"DIALOG load", "DIALOG unload"}));
    EXPECT_TRUE(host_.modals().empty());
}

TEST_F(WindowHostTest, TimersTickWhileAModalWindowIsOpen) {
    PlainWindow dialog(scheduler_, log_, "DIALOG");
    form::Timer& tick = scheduler_.create("MAIN_TIMER");
    int ticks = 0;
    tick.onTick = [&] {
        if (++ticks == 3) dialog.Close();
    };
    tick.setInterval(10);
    tick.setEnabled(true);
    QTimer pump;  // the program's scheduler driver, in short
    QObject::connect(&pump, &QTimer::timeout, [&] { scheduler_.runDue(); });
    pump.start(5);
    host_.showModal(dialog, main_);
    EXPECT_EQ(ticks, 3);
    EXPECT_TRUE(dialog.unloaded());
}

TEST_F(WindowHostTest, ClosingTheMainWindowClosesOpenModalsNewestFirst) {
    PlainWindow outer(scheduler_, log_, "OUTER");
    PlainWindow inner(scheduler_, log_, "INNER");
    host_.onShown = [&](ui::qt::FormWindow& view) {
        if (&view.model() == &outer)
            QTimer::singleShot(0, &view, [&] { host_.showModal(inner, outer); });
        else
            QTimer::singleShot(0, &view, [&] { main_.Close(); });
    };
    host_.showModal(outer, main_);
    EXPECT_EQ(log_, (std::vector<std::string>{"OUTER load", "INNER load", "INNER unload", "OUTER unload",
                                              "MAIN unload"}));
    EXPECT_FALSE(mainView_.isVisible());
}

}  // namespace
