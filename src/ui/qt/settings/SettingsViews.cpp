#include "ui/qt/settings/SettingsViews.h"

#include <QIcon>
#include <QPushButton>

#include "model/pictures/DocumentPicture.h"
#include "ui/qt/controls/DrawingPainter.h"

namespace ui::qt {

SingleSettingsWindow::SingleSettingsWindow(form::Window& window, QWidget* parent)
    : FormWindow(window, parent, Qt::Dialog) {}

QWidget* SingleSettingsWindow::createView(form::Control& control) {
    QWidget* view = FormWindow::createView(control);
    if (control.name() == "BROWSE_FILE_BUTTON") {
        if (auto* button = qobject_cast<QPushButton*>(view)) {
            const auto [width, height] =
                model::pictures::documentPictureSize(button->width(), button->height());
            const QSize size(width, height);
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

}  // namespace ui::qt
