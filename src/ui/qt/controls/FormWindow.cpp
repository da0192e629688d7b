#include "ui/qt/controls/FormWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "form/Placement.h"
#include "ui/qt/controls/Accessibility.h"
#include "ui/qt/controls/ControlViews.h"
#include "ui/qt/controls/ViewGeometry.h"
#include "ui/qt/controls/ViewStyle.h"

namespace ui::qt {

namespace {

double screenDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : form::kBaseDpi;
    return dpi > 0 ? dpi : form::kBaseDpi;
}

form::PixelBox pixelBox(const QRect& r) {
    return {r.left(), r.top(), r.width(), r.height()};
}

}  // namespace

FormWindow::FormWindow(form::Window& window, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), window_(window), dpi_(screenDpi()) {
    setObjectName(QString::fromStdString(window_.name()));  // a screen reader reads the caption
    installAccessibleFactory();
    window_.onWindowChanged = [this] { applyWindow(); };
    window_.onSyncGeometry = [this] { recordPosition(); };
    window_.onCloseRequested = [this] {
        close();
        unload();  // in case the close event could not be delivered
    };
    announcer_.onListening = [this](bool listening) { hookAnnouncements(listening); };
    hookAnnouncements(QAccessible::isActive());
    applyWindow();
}

void FormWindow::hookAnnouncements(bool listening) {
    if (!listening) {
        window_.onAnnounce = nullptr;
        return;
    }
    window_.onAnnounce = [this](const std::string& sentence) {
        announcer_.say(QString::fromStdString(sentence));
    };
}

FormWindow::~FormWindow() {
    // Deleting the children moves the focus: this is no FormWindow by then.
    disconnect(focusWatch_);
    window_.onWindowChanged = nullptr;
    window_.onSyncGeometry = nullptr;
    window_.onCloseRequested = nullptr;
    window_.onAnnounce = nullptr;
    announcer_.onListening = nullptr;
}

QWidget* FormWindow::createView(form::Control& control) {
    return createControlView(control, this, dpi_);
}

void FormWindow::buildControls() {
    std::multimap<int, QWidget*> tabOrder;
    std::map<const form::Control*, QWidget*> views;
    for (form::Control* control : window_.controls()) {
        QWidget* w = createView(*control);
        views[control] = w;
        if (w && control->tabIndex >= 0) tabOrder.emplace(control->tabIndex, w);
        if (const auto* button = dynamic_cast<form::Button*>(control); button && button->isDefault)
            defaultButton_ = qobject_cast<QPushButton*>(w);
    }
    if (defaultButton_) {
        defaultButton_->setDefault(true);
        focusWatch_ = connect(qApp, &QApplication::focusChanged, this,
                              [this](QWidget*, QWidget* now) { showDefault(now); });
    }
    // A reader names a field by its label and reads the label no more on its own.
    for (const auto& [control, w] : views)
        if (const auto* label = dynamic_cast<const form::Label*>(control); label && label->labelFor)
            if (auto* caption = qobject_cast<QLabel*>(w)) caption->setBuddy(views[label->labelFor]);
    QWidget* previous = nullptr;
    for (const auto& [index, w] : tabOrder) {
        if (previous) setTabOrder(previous, w);
        previous = w;
    }
    // The first in the keyboard order has the focus when the window opens.
    if (!tabOrder.empty()) tabOrder.begin()->second->setFocus(Qt::OtherFocusReason);
}

void FormWindow::applyWindow() {
    setWindowTitle(QString::fromStdString(window_.caption));
    // The primary screen first: a window lost off every screen goes there.
    std::vector<form::Screen> screens;
    const QScreen* primary = QGuiApplication::primaryScreen();
    const auto add = [&screens](const QScreen* s) {
        screens.push_back({pixelBox(s->geometry()), pixelBox(s->availableGeometry())});
    };
    if (primary) add(primary);
    for (const QScreen* s : QGuiApplication::screens())
        if (s != primary) add(s);
    const QRect placed = toQRect(form::placeWindow(window_, screens, dpi_));
    framePos_ = placed.topLeft();
    frameSize_ = placed.size();
    setFixedSize(clientSize());
    move(framePos_);  // a top-level's position is its frame's
}

QSize FormWindow::clientSize() const {
    return {std::max(1, frameSize_.width() - frame_.left() - frame_.right()),
            std::max(1, frameSize_.height() - frame_.top() - frame_.bottom())};
}

// The model's size is the outer size, frame included, and the frame is known
// only once the window manager has put one round the window. When it turns up
// (or changes, as with a new theme) the client shrinks to fit and the frame
// goes back to its place.
void FormWindow::fitFrame() {
    if (!isVisible()) return;
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (frame == frame_ || frame.left() < 0 || frame.top() < 0 || frame.right() < 0 || frame.bottom() < 0)
        return;
    frame_ = frame;
    setFixedSize(clientSize());
    move(framePos_);
}

void FormWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fitFrame();
    // Window managers frame a new window a moment after it is mapped; look
    // again shortly in case no move or resize tells us.
    for (int ms : {50, 200, 1000}) QTimer::singleShot(ms, this, [this] { fitFrame(); });
}

void FormWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    fitFrame();
}

void FormWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitFrame();
}

void FormWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (const form::Line& line : window_.lines) {
        QPen pen(toQColor(line.colour, palette()));
        pen.setWidth(std::max(1, form::scalePx(line.width, dpi_)));
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.drawLine(form::toPx(line.x1, dpi_), form::toPx(line.y1, dpi_), form::toPx(line.x2, dpi_),
                         form::toPx(line.y2, dpi_));
    }
}

void FormWindow::closeEvent(QCloseEvent* event) {
    unload();
    event->accept();
}

void FormWindow::unload() {
    window_.unload();
    if (onClosed) std::exchange(onClosed, nullptr)();
}

// A push button with the focus presses itself on Enter (auto-default) and
// shows it; while none has it, the window's default button does, if it has one.
// Its own focusing and unfocusing turn the default look off: put it back.
void FormWindow::showDefault(QWidget* focus) {
    if (!defaultButton_ || !focus || focus->window() != this) return;
    defaultButton_->setDefault(focus == defaultButton_ || !qobject_cast<QPushButton*>(focus));
}

// Escape closes a dialog as its close box would, and Enter that no button took
// presses the default button, as dialogs do on this desktop. Where there is
// none, Enter does what Space does on a box or name that has the focus.
void FormWindow::keyPressEvent(QKeyEvent* event) {
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier && isModal()) {
        close();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier &&
        defaultButton_ && defaultButton_->isVisible() && defaultButton_->isEnabled()) {
        defaultButton_->click();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier)
        if (auto* view = dynamic_cast<ControlView*>(focusWidget()); view && view->activate()) return;
    QWidget::keyPressEvent(event);
}

void FormWindow::recordPosition() {
    const QPoint outer = isVisible() ? frameGeometry().topLeft() : framePos_;
    form::recordPosition(window_, outer.x(), outer.y(), dpi_);
}

}  // namespace ui::qt
