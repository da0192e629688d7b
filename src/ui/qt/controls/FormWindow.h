#pragma once

#include <QMargins>
#include <QPoint>
#include <QPointer>
#include <QPushButton>
#include <QSize>
#include <QWidget>

#include <functional>

#include "form/Pixels.h"
#include "form/Window.h"
#include "ui/qt/controls/Announcer.h"

namespace ui::qt {

// The Qt view of one window model: a widget per control at its twip box, the
// window's lines, and the window itself (caption, fixed outer size and
// position in twips, kept on the work area). The model is the truth; this renders
// it and forwards the user's clicks, double-clicks and the close.
class FormWindow : public QWidget {
public:
    FormWindow(form::Window& window, QWidget* parent, Qt::WindowFlags flags);
    ~FormWindow() override;

    form::Window& model() { return window_; }
    Announcer& announcer() { return announcer_; }

    // The logical dpi of the screen the window was built for.
    double dpi() const { return dpi_; }

    // Creates the widgets of the model's controls. Call once, after construction.
    void buildControls();

    // Shut-down, once: records the window's outer position in the model and
    // runs its unload. Closing the window calls it.
    void unload();
    // Told once, after the window has unloaded.
    std::function<void()> onClosed;

    // The window's outer frame as the model asks for it, in pixels, placed on
    // the work area (see form::placeWindow).
    QPoint wantedFramePos() const { return framePos_; }
    QSize wantedFrameSize() const { return frameSize_; }

protected:
    // Builds the widgets; a view of a particular window may build some itself
    // (a picture, say) and leave the rest to this.
    virtual QWidget* createView(form::Control& control);

    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyWindow();
    void recordPosition();
    void fitFrame();
    QSize clientSize() const;
    void showDefault(QWidget* focus);
    void hookAnnouncements(bool listening);

    form::Window& window_;
    double dpi_ = form::kBaseDpi;
    QPoint framePos_;
    QSize frameSize_;
    QMargins frame_;                       // window manager's frame, known once it has framed us
    QPointer<QPushButton> defaultButton_;  // the layout's default button, if any
    QMetaObject::Connection focusWatch_;   // moves the default frame with the focus
    Announcer announcer_{*this};
};

}  // namespace ui::qt
