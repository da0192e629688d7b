#pragma once

#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "form/Window.h"
#include "ui/qt/controls/FormWindow.h"

namespace ui::qt {

// Shows window models as Qt windows. A window whose name has a view of its
// own registered gets that view; any other gets a plain FormWindow. A modal
// window blocks input to every other window of the program while a local
// event loop runs, so every timer keeps ticking.
class QtWindowHost final : public QObject, public form::WindowHost {
public:
    using ViewFactory = std::function<std::unique_ptr<FormWindow>(form::Window& window, QWidget* owner)>;

    // A long-lived window (the main window) that may own modal windows. When
    // it closes, the modal windows still open close first.
    void addWindow(FormWindow& view);

    void setViewFactory(const std::string& windowName, ViewFactory factory);

    void showModal(form::Window& window, form::Window& owner) override;
    void closeModals() override;
    void showMessage(form::Window& owner, const std::string& text) override;

    // The modal windows open now, the newest last.
    std::vector<FormWindow*> modals() const;

    // Told when a modal window has been shown, for tests and tools.
    std::function<void(FormWindow&)> onShown;
    // Told when a message box is about to be shown, for tests.
    std::function<void(QWidget&)> onShownMessage;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* viewOf(form::Window& window) const;

    std::map<std::string, ViewFactory> factories_;
    std::vector<QPointer<FormWindow>> windows_;  // long-lived ones
    std::vector<FormWindow*> modals_;            // open modal views, newest last
};

}  // namespace ui::qt
