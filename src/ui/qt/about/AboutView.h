#pragma once

#include <QWidget>

#include "model/about/PictureBox.h"
#include "model/pictures/Drawing.h"
#include "ui/qt/controls/Accessibility.h"
#include "ui/qt/controls/FormWindow.h"
#include "ui/qt/controls/QtWindowHost.h"

namespace ui::qt {

// A picture box: one picture inside a sunken border, sized to the picture.
class PictureView : public QWidget, public ControlView {
public:
    PictureView(model::PictureBox& box, model::pictures::Drawing picture, QWidget* parent, double dpi);
    const form::Control& control() const override { return box_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    model::PictureBox& box_;
    model::pictures::Drawing picture_;
    int border_;
};

// VELMORA_ABOUT's view: a plain form window plus its picture box.
class AboutView : public FormWindow {
public:
    using FormWindow::FormWindow;

protected:
    QWidget* createView(form::Control& control) override;
};

// Registers the views of the About windows on the program's host. The
// donations window needs none beyond the plain form window.
void registerAboutViews(QtWindowHost& host);

}  // namespace ui::qt
