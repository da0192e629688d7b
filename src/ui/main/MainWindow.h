#pragma once

#include <QMargins>
#include <QPoint>
#include <QSize>
#include <QWidget>

#include "model/main/MainForm.h"

namespace ui {

// The Qt view of VELMORA_MAIN: one widget per control of the model, the
// separator lines, and the window itself (caption, fixed outer size and
// position in twips). The model is the truth; this renders it and forwards the
// user's clicks, double-clicks and the close.
class MainWindow : public QWidget {
public:
    explicit MainWindow(model::MainForm& form, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Logical dpi / 96 of the screen the window was built for.
    double scale() const { return scale_; }

    // Shut-down, once: records the window's outer position in the model, runs
    // Form_Unload and stops every timer. Closing the window calls it; so may
    // the program when the session ends without a close.
    void unload();

    // Paints the window now and pushes it to the display, for a handler that
    // is about to block the event loop.
    void paintNow();

    // The window's outer frame as the model asks for it, in pixels, after the
    // off-screen rule (see ViewGeometry's placeFrame).
    QPoint wantedFramePos() const { return framePos_; }
    QSize wantedFrameSize() const { return frameSize_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void applyWindow();
    void fitFrame();
    QSize clientSize() const;

    model::MainForm& form_;
    double scale_ = 1.0;
    QPoint framePos_;
    QSize frameSize_;
    QMargins frame_;  // window manager's frame, known once it has framed us
};

}  // namespace ui
