#include "ui/qt/main/MainWindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace ui::qt {

namespace {

// A small panel of the window itself: a green title strip over a row of
// lamps, readable at 16 pixels.
QIcon programIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::black);
    QPainter p(&pixmap);
    p.fillRect(3, 4, 26, 5, QColor(0, 255, 0));
    for (int k = 0; k < 4; ++k) p.fillRect(4 + 6 * k, 14, 5, 5, k == 1 ? QColor(0, 255, 255) : Qt::red);
    p.fillRect(3, 24, 26, 3, QColor(0, 255, 0));
    return QIcon(pixmap);
}

}  // namespace

MainWindow::MainWindow(model::MainForm& form, QWidget* parent)
    : FormWindow(form, parent,
                 Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                     Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    setWindowIcon(programIcon());
    buildControls();
    // The top-level's own native window (on X11 the one the window manager
    // manages), asked for at each use; none before it has been created.
    form.windowHandle = [this]() -> platform::WindowHandle {
        return testAttribute(Qt::WA_WState_Created) ? static_cast<platform::WindowHandle>(winId()) : 0;
    };
    form.ownsWindow = [](platform::WindowHandle handle) {
        const auto widgets = QApplication::topLevelWidgets();
        return std::any_of(widgets.begin(), widgets.end(), [handle](const QWidget* w) {
            return w->isVisible() && w->testAttribute(Qt::WA_WState_Created) &&
                   static_cast<platform::WindowHandle>(w->winId()) == handle;
        });
    };
}

MainWindow::~MainWindow() {
    auto& form = static_cast<model::MainForm&>(model());
    form.windowHandle = nullptr;
    form.ownsWindow = nullptr;
}

void MainWindow::paintNow() {
    if (!isVisible()) return;
    repaint();
    QGuiApplication::sync();
}

}  // namespace ui::qt
