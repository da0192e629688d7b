#include "ui/settings/SettingsViews.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>

namespace ui {

namespace {

// A sheet of paper with a folded corner and a few lines of text, drawn for
// this program at 20 by 24 pixels (and crisply at higher densities).
QIcon documentIcon() {
    QIcon icon;
    for (const double dpr : {1.0, 2.0}) {
        QPixmap pixmap(int(20 * dpr), int(24 * dpr));
        pixmap.setDevicePixelRatio(dpr);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const double fold = 6;
        QPainterPath sheet;
        sheet.moveTo(3.5, 1.5);
        sheet.lineTo(16.5 - fold, 1.5);
        sheet.lineTo(16.5, 1.5 + fold);
        sheet.lineTo(16.5, 22.5);
        sheet.lineTo(3.5, 22.5);
        sheet.closeSubpath();
        p.setPen(QPen(QColor(64, 64, 64), 1));
        p.setBrush(Qt::white);
        p.drawPath(sheet);
        QPainterPath corner;
        corner.moveTo(16.5 - fold, 1.5);
        corner.lineTo(16.5 - fold, 1.5 + fold);
        corner.lineTo(16.5, 1.5 + fold);
        p.setBrush(QColor(208, 208, 208));
        p.drawPath(corner);
        p.setPen(QPen(QColor(80, 120, 200), 1));
        for (int k = 0; k < 5; ++k) {
            const double y = 10.5 + 2.5 * k;
            p.drawLine(QPointF(6, y), QPointF(k == 4 ? 11 : 14, y));
        }
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

SingleSettingsWindow::SingleSettingsWindow(form::Window& window, QWidget* parent)
    : FormWindow(window, parent, Qt::Dialog) {}

QWidget* SingleSettingsWindow::createView(form::Control& control) {
    QWidget* view = FormWindow::createView(control);
    if (control.name() == "BROWSE_FILE_BUTTON") {
        if (auto* button = qobject_cast<QPushButton*>(view)) {
            button->setIcon(documentIcon());
            // The picture fills the button, short of its frame.
            const int side = std::max(8, std::min(button->width(), button->height()) - 6);
            button->setIconSize(QSize(side * 20 / 24, side));
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
