#include "ui/main/MainWindow.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace ui {

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
}

void MainWindow::paintNow() {
    if (!isVisible()) return;
    repaint();
    QGuiApplication::sync();
}

}  // namespace ui
