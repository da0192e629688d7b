#pragma once

#include "form/Window.h"
#include "ui/qt/controls/FormWindow.h"
#include "ui/qt/controls/QtWindowHost.h"

namespace ui::qt {

// The single-task settings window: a plain window but for its browse button,
// which shows a small document picture instead of a caption.
class SingleSettingsWindow : public FormWindow {
public:
    SingleSettingsWindow(form::Window& window, QWidget* parent);

protected:
    QWidget* createView(form::Control& control) override;
};

// Registers the settings windows' views on the program's window host.
void registerSettingsViews(QtWindowHost& host);

}  // namespace ui::qt
