// The About and donations windows as the program shows them: opened from the
// main window's About button, buttons clicked by name, the flashing seen on
// the widgets, an address box's selection and highlight, and the autoclose
// countdown closing them before the main window.

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

#include "engine/Engine.h"
#include "form/VirtualTime.h"
#include "model/about/AboutButton.h"
#include "model/main/Contact.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/MemorySettingsBackend.h"
#include "settings/Store.h"
#include "ui/qt/about/AboutView.h"
#include "ui/qt/controls/QtWindowHost.h"
#include "ui/qt/main/MainWindow.h"

namespace {

using namespace form::colour;

class AboutViewTest : public ::testing::Test {
protected:
    AboutViewTest() {
        form_.Form_Load();
        host_.addWindow(window_);
        ui::qt::registerAboutViews(host_);
        window_.show();
        host_.onShown = [this](ui::qt::FormWindow& view) {
            // Act once the window's own loop runs, as a user would; then
            // close it as its close box would, unless the script did.
            const auto script = scripts_.find(view.objectName());
            if (script != scripts_.end())
                QTimer::singleShot(0, &view, [&view, s = script->second] {
                    s(view);
                    view.close();
                });
        };
    }

    void whileOpen(const QString& name, std::function<void(ui::qt::FormWindow&)> script) {
        scripts_[name] = script;
    }

    template <typename W = QWidget>
    static W* find(QWidget& in, const char* name) {
        W* w = in.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    form::VirtualTime time_;
    platform::MemorySettingsBackend backend_;
    settings::Store store_{backend_, "velmora"};
    platform::FakePlatform platform_{time_.clock};
    model::MainForm form_{time_.scheduler, store_, "velmora", platform_};
    engine::Engine engine_{form_, platform_};
    ui::qt::MainWindow window_{form_};
    ui::qt::QtWindowHost host_;
    model::AboutButton aboutButton_{form_, host_};
    std::map<QString, std::function<void(ui::qt::FormWindow&)>> scripts_;
};

void doubleClick(QWidget* w) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    for (auto [type, buttons] : {std::pair{QEvent::MouseButtonPress, Qt::LeftButton},
                                 std::pair{QEvent::MouseButtonRelease, Qt::NoButton},
                                 std::pair{QEvent::MouseButtonDblClick, Qt::LeftButton},
                                 std::pair{QEvent::MouseButtonRelease, Qt::NoButton}}) {
        QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
}

QColor colour(QWidget* w, QPalette::ColorRole role) {
    return w->palette().color(QPalette::Active, role);
}

TEST_F(AboutViewTest, AboutOpensOverTheMainWindowFlashesAndClosesByItsButtons) {
    bool donationsShown = false;
    whileOpen("VELMORA_ABOUT", [&](ui::qt::FormWindow& about) {
        EXPECT_NE(dynamic_cast<ui::qt::AboutView*>(&about), nullptr);
        EXPECT_TRUE(about.isModal());
        EXPECT_EQ(about.windowTitle(), "VELMORA - ABOUT");
        EXPECT_EQ(about.parentWidget(), &window_);

        // The picture box fits its 314 x 162 picture and a 2-pixel border.
        QWidget* picture = find(about, "RIVA_PIC_PICBOX");
        EXPECT_EQ(picture->geometry(), QRect(8, 72, 318, 166));
        const QImage shot = picture->grab().toImage();
        std::set<QRgb> colours;
        for (int x = 0; x < shot.width(); x += 3) colours.insert(shot.pixel(x, shot.height() / 2));
        EXPECT_GT(colours.size(), 10u) << "the picture is not drawn";

        // Keyboard order: link, picture, OK, donations button, the creator's name (not the button's frame).
        std::vector<QString> order;
        QWidget* w = find(about, "KNIGHTRIDER_WEBSITE_LINK");
        for (int i = 0; i < 5; ++i, w = w->nextInFocusChain()) {
            while (w->focusPolicy() == Qt::NoFocus) w = w->nextInFocusChain();
            order.push_back(w->objectName());
        }
        EXPECT_EQ(order, (std::vector<QString>{"KNIGHTRIDER_WEBSITE_LINK", "RIVA_PIC_PICBOX", "OK_BUTTON",
                                               "DONATIONS_BUTTON", "VELMORA_CREATOR"}));

        time_.advance(200);
        EXPECT_EQ(colour(find(about, "DONATIONS_BACK_TEXTBOX"), QPalette::Base), QColor(0, 255, 0));

        doubleClick(find(about, "VELMORA_CREATOR"));
        // The maker's address when the build has one, else the name stays.
        const QString email = model::contact::kCreatorEmail;
        EXPECT_EQ(find<QLabel>(about, "VELMORA_CREATOR")->text(),
                  email.isEmpty() ? "Created By BRANNIC" : email);
        find<QPushButton>(about, "DONATIONS_BUTTON")->click();
        EXPECT_TRUE(donationsShown);
        find<QPushButton>(about, "OK_BUTTON")->click();
    });
    whileOpen("DONATIONS_WINDOW", [&](ui::qt::FormWindow& donations) {
        donationsShown = true;
        EXPECT_EQ(host_.modals().size(), 2u);
        EXPECT_EQ(donations.parentWidget(), host_.modals().front()) << "not owned by the About window";
        EXPECT_EQ(donations.focusWidget(), find(donations, "OK_BUTTON")) << "OK should have the focus";
        find<QPushButton>(donations, "OK_BUTTON")->click();
    });
    find<QPushButton>(window_, "ABOUT_BUTTON")->click();
    EXPECT_TRUE(host_.modals().empty());
    for (const char* key : {"ABOUT-Left", "DONATIONS_WINDOW-Top"})
        EXPECT_EQ(backend_.value("velmora", key), "1000");
    EXPECT_TRUE(window_.isVisible());
}

TEST_F(AboutViewTest, AnAddressKeepsItsWordSelectionAndHighlightUntilTheFocusMovesOn) {
    whileOpen("VELMORA_ABOUT",
              [&](ui::qt::FormWindow& about) { find<QPushButton>(about, "DONATIONS_BUTTON")->click(); });
    bool ran = false;
    whileOpen("DONATIONS_WINDOW", [&](ui::qt::FormWindow& donations) {
        ran = true;
        donations.activateWindow();
        QApplication::processEvents();
        auto* btc = find<QLineEdit>(donations, "BTC_DONATION_ADDRESS_TEXTBOX");
        auto* nmc = find<QLineEdit>(donations, "NMC_DONATION_ADDRESS_TEXTBOX");
        const QColor plain = colour(btc, QPalette::Base);
        EXPECT_EQ(plain, QColor(0xFF, 0xFF, 0xC0));

        // An address as a packager sets one (a build may leave it empty).
        const QString address = QStringLiteral("bc1qexampleaddress0123456789");
        btc->setText(address);
        btc->setFocus(Qt::MouseFocusReason);
        doubleClick(btc);
        EXPECT_EQ(btc->selectedText(), address) << "the whole address is selected for copying";
        EXPECT_EQ(colour(btc, QPalette::Base), QColor(0xFF, 0x80, 0xFF));

        // Its own menu opening does not count as leaving the box.
        QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
        QApplication::sendEvent(btc, &popup);
        EXPECT_EQ(colour(btc, QPalette::Base), QColor(0xFF, 0x80, 0xFF));
        EXPECT_EQ(btc->selectedText(), address);

        nmc->setFocus(Qt::MouseFocusReason);
        doubleClick(nmc);
        ASSERT_EQ(QApplication::focusWidget(), nmc);
        EXPECT_EQ(colour(btc, QPalette::Base), plain) << "the first stays highlighted";
        EXPECT_FALSE(btc->hasSelectedText());
        EXPECT_EQ(colour(nmc, QPalette::Base), QColor(0xFF, 0x80, 0xFF));

        // The thank-you line stops on a double-click and stays black.
        QWidget* line = find(donations, "THANKS_DONATIONS_MESSAGE_TEXTBOX");
        time_.advance(400);
        EXPECT_EQ(colour(line, QPalette::Text), QColor(255, 0, 0));
        doubleClick(line);
        time_.advance(1000);
        EXPECT_EQ(colour(line, QPalette::Text), QColor(Qt::black));
    });
    find<QPushButton>(window_, "ABOUT_BUTTON")->click();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(host_.modals().empty());
}

TEST_F(AboutViewTest, AutocloseRunningOutClosesDonationsThenAboutThenTheMainWindow) {
    form_.AUTOCLOSE_TICKBOX.setValue(1);
    whileOpen("VELMORA_ABOUT",
              [&](ui::qt::FormWindow& about) { find<QPushButton>(about, "DONATIONS_BUTTON")->click(); });
    whileOpen("DONATIONS_WINDOW", [&](ui::qt::FormWindow&) {
        backend_.writes.clear();
        form_.AUTOCLOSE_START_BUTTON.click();
        time_.advance(12000);
    });
    find<QPushButton>(window_, "ABOUT_BUTTON")->click();

    EXPECT_TRUE(host_.modals().empty());
    EXPECT_FALSE(window_.isVisible());
    std::vector<std::string> lefts;
    for (const auto& w : backend_.writes)
        if (w.key.size() > 5 && w.key.compare(w.key.size() - 5, 5, "-Left") == 0) lefts.push_back(w.key);
    EXPECT_EQ(lefts, (std::vector<std::string>{"DONATIONS_WINDOW-Left", "ABOUT-Left", "MAIN-Left"}));
    EXPECT_EQ(backend_.value("velmora", "LAST_RUN"), "COMPLETED SUCCESSFULLY");
}

}  // namespace
