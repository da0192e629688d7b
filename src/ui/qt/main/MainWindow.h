#pragma once

#include "model/main/MainForm.h"
#include "ui/qt/controls/FormWindow.h"

namespace ui::qt {

// The Qt view of VELMORA_MAIN: the program's one long-lived window.
class MainWindow : public FormWindow {
public:
    explicit MainWindow(model::MainForm& form, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Paints the window now and pushes it to the display, for a handler that
    // is about to block the event loop.
    void paintNow();
};

}  // namespace ui::qt
