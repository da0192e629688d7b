#include "ui/qt/about/AboutView.h"

#include <qdrawutil.h>
#include <QPainter>

#include "model/pictures/RivaPicture.h"
#include "ui/qt/controls/DrawingPainter.h"
#include "ui/qt/controls/ViewGeometry.h"

namespace ui::qt {

namespace {

constexpr int kBorderPx = 2;

}  // namespace

PictureView::PictureView(model::PictureBox& box, model::pictures::Drawing picture, QWidget* parent,
                         double dpi)
    : QWidget(parent), box_(box), picture_(std::move(picture)), border_(form::scalePx(kBorderPx, dpi)) {
    setObjectName(QString::fromStdString(box.name()));
    showAccessible(*this, box);
    // The box fits the picture and its border, whatever its twips say.
    const QRect at = toQRect(form::toPx(box.box, dpi));
    setGeometry(at.left(), at.top(), form::scalePx(picture_.width, dpi) + 2 * border_,
                form::scalePx(picture_.height, dpi) + 2 * border_);
    setFocusPolicy(box.tabIndex >= 0 ? Qt::TabFocus : Qt::NoFocus);
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintDrawing(p, picture_, rect().adjusted(border_, border_, -border_, -border_));
    qDrawWinPanel(&p, rect(), palette(), true);
    p.end();
    paintFocusMark(*this);
}

QWidget* AboutView::createView(form::Control& control) {
    if (auto* picture = dynamic_cast<model::PictureBox*>(&control))
        return new PictureView(*picture, model::pictures::rivaPicture(), this,
                               dpi());  // owned by this window
    return FormWindow::createView(control);
}

void registerAboutViews(QtWindowHost& host) {
    host.setViewFactory("VELMORA_ABOUT", [](form::Window& window, QWidget* owner) {
        return std::make_unique<AboutView>(window, owner, Qt::Dialog);
    });
}

}  // namespace ui::qt
