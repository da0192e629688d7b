#pragma once

#include "model/main/MainForm.h"
#include "ui/win32/FormView.h"

namespace ui::win32 {

// The Win32 view of VELMORA_MAIN, the program's one long-lived window. It
// tells the model its native handle and which windows are the program's own.
class MainView : public FormView {
public:
    explicit MainView(model::MainForm& form);
    ~MainView() override;

private:
    model::MainForm& form_;
};

}  // namespace ui::win32
