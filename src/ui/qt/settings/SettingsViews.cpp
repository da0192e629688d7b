#include "ui/qt/settings/SettingsViews.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

// A sheet of paper with a folded corner and a few lines of text, drawn for
// this program at the size the button shows it, so its edges stay sharp.
QPixmap documentPicture(QSize size, double dpr) {
    QPixmap pixmap(QSize(qRound(size.width() * dpr), qRound(size.height() * dpr)));
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    // Edges on pixel centres: a one-pixel pen then covers whole pixels.
    const double left = 0.5, top = 0.5, right = size.width() - 1.5, bottom = size.height() - 0.5;
    const double fold = std::round(size.width() / 3.0);
    QPainterPath sheet;
    sheet.moveTo(left, top);
    sheet.lineTo(right - fold, top);
    sheet.lineTo(right, top + fold);
    sheet.lineTo(right, bottom);
    sheet.lineTo(left, bottom);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setBrush(QColor(200, 200, 200));
    p.drawPolygon(QPolygonF{{right - fold, top}, {right - fold, top + fold}, {right, top + fold}});
    p.setPen(QPen(QColor(70, 110, 190), 1));
    const int lines = std::max(2, int((bottom - top - fold - 3) / 2.5));
    for (int k = 0; k < lines; ++k) {
        const double y = std::floor(top + fold + 3 + 2 * k) + 0.5;
        if (y > bottom - 2) break;
        p.drawLine(QPointF(left + 2.5, y), QPointF(k == lines - 1 ? right - fold : right - 2.5, y));
    }
    return pixmap;
}

}  // namespace

SingleSettingsWindow::SingleSettingsWindow(form::Window& window, QWidget* parent)
    : FormWindow(window, parent, Qt::Dialog) {}

QWidget* SingleSettingsWindow::createView(form::Control& control) {
    QWidget* view = FormWindow::createView(control);
    if (control.name() == "BROWSE_FILE_BUTTON") {
        if (auto* button = qobject_cast<QPushButton*>(view)) {
            // A page 20 by 24 where the button has room for it, else as
            // large as fits inside the button's frame.
            const int side = std::clamp(std::min(button->width(), button->height()) - 6, 8, 24);
            const QSize size(side * 20 / 24, side);
            button->setIconSize(size);
            button->setIcon(QIcon(documentPicture(size, devicePixelRatioF())));
        }
    }
    return view;
}

void registerSettingsViews(QtWindowHost& host) {
    host.setViewFactory("VELMORA_SINGLE_SETTINGS_WINDOW", [](form::Window& window, QWidget* owner) {
        return std::make_unique<SingleSettingsWindow>(window, owner);
    });
}

}  // namespace ui
