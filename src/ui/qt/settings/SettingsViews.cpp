#include "ui/qt/settings/SettingsViews.h"

#include <QIcon>
#include <QPushButton>

#include <algorithm>

#include "model/pictures/DocumentPicture.h"
#include "ui/qt/controls/DrawingPainter.h"

namespace ui {

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
            const auto picture = model::pictures::documentPicture(size.width(), size.height());
            button->setIcon(QIcon(drawingPixmap(picture, size, devicePixelRatioF())));
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
