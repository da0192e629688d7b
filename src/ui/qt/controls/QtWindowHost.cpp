#include "ui/qt/controls/QtWindowHost.h"

#include <QEvent>
#include <QEventLoop>
#include <QMessageBox>

#include <algorithm>

namespace ui::qt {

void QtWindowHost::addWindow(FormWindow& view) {
    windows_.emplace_back(&view);
    view.installEventFilter(this);
}

void QtWindowHost::setViewFactory(const std::string& windowName, ViewFactory factory) {
    factories_[windowName] = std::move(factory);
}

bool QtWindowHost::eventFilter(QObject* watched, QEvent* event) {
    // The main window closing (by the user or by the program itself) takes
    // the windows it owns with it, the newest first, each storing its place.
    if (event->type() == QEvent::Close && !modals_.empty()) {
        const bool longLived = std::any_of(windows_.begin(), windows_.end(),
                                           [watched](const QPointer<FormWindow>& w) { return w == watched; });
        if (longLived) closeModals();
    }
    return QObject::eventFilter(watched, event);
}

QWidget* QtWindowHost::viewOf(form::Window& window) const {
    for (FormWindow* m : modals_)
        if (&m->model() == &window) return m;
    for (const QPointer<FormWindow>& w : windows_)
        if (w && &w->model() == &window) return w;
    return nullptr;
}

void QtWindowHost::showModal(form::Window& window, form::Window& owner) {
    window.Form_Load();
    QWidget* parent = viewOf(owner);
    const auto factory = factories_.find(window.name());
    const Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                  Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    std::unique_ptr<FormWindow> view = factory != factories_.end()
                                           ? factory->second(window, parent)
                                           : std::make_unique<FormWindow>(window, parent, flags);
    view->setWindowFlags(flags);
    view->buildControls();
    view->setWindowModality(Qt::ApplicationModal);
    if (parent) view->setWindowIcon(parent->windowIcon());

    QEventLoop loop;
    view->onClosed = [&loop] { loop.quit(); };
    modals_.push_back(view.get());
    view->show();
    if (onShown) onShown(*view);
    if (!window.unloaded()) loop.exec();
    // Leaving by the program's own exit rather than a close still unloads.
    view->unload();
    modals_.erase(std::find(modals_.begin(), modals_.end(), view.get()));
    view->hide();
}

void QtWindowHost::closeModals() {
    // Closing one may let its owner's loop finish later; each close only asks.
    const std::vector<FormWindow*> open = modals_;
    for (auto it = open.rbegin(); it != open.rend(); ++it) (*it)->close();
}

void QtWindowHost::showMessage(form::Window& owner, const std::string& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("VELMORA"), QString::fromStdString(text),
                    QMessageBox::Ok, viewOf(owner));
    box.setObjectName(QStringLiteral("VELMORA_MESSAGE"));
    if (onShownMessage) onShownMessage(box);
    box.exec();
}

std::vector<FormWindow*> QtWindowHost::modals() const {
    return modals_;
}

}  // namespace ui::qt
