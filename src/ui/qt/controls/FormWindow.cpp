#include "ui/qt/controls/FormWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "form/Placement.h"
#include "ui/qt/controls/ControlViews.h"
#include "ui/qt/controls/ViewGeometry.h"
#include "ui/qt/controls/ViewStyle.h"

namespace ui {

namespace {

double screenScale() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return dpi > 0 ? dpi / 96.0 : 1.0;
}

// Where a window that would be lost off every screen opens instead: the
// default position of a first run, on the primary screen.
constexpr int kFallbackTwips = 1000;

form::PixelBox pixelBox(const QRect& r) {
    return {r.left(), r.top(), r.width(), r.height()};
}

}  // namespace

FormWindow::FormWindow(form::Window& window, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), window_(window), scale_(screenScale()) {
    setObjectName(QString::fromStdString(window_.name()));
    setAccessibleName(objectName());
    window_.onWindowChanged = [this] { applyWindow(); };
    window_.onSyncGeometry = [this] { recordPosition(); };
    window_.onCloseRequested = [this] {
        close();
        unload();  // in case the close event could not be delivered
    };
    applyWindow();
}

FormWindow::~FormWindow() {
    window_.onWindowChanged = nullptr;
    window_.onSyncGeometry = nullptr;
    window_.onCloseRequested = nullptr;
}

QWidget* FormWindow::createView(form::Control& control) {
    return view::createControlView(control, this, scale_);
}

void FormWindow::buildControls() {
    std::multimap<int, QWidget*> tabOrder;
    for (form::Control* control : window_.controls()) {
        QWidget* w = createView(*control);
        if (w && control->tabIndex >= 0) tabOrder.emplace(control->tabIndex, w);
        if (const auto* button = dynamic_cast<form::Button*>(control); button && button->isDefault)
            defaultButton_ = qobject_cast<QPushButton*>(w);
    }
    if (defaultButton_) {
        defaultButton_->setDefault(true);
        connect(qApp, &QApplication::focusChanged, this,
                [this](QWidget*, QWidget* now) { showDefault(now); });
    }
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
    const int left = view::toPx(window_.left, scale_);
    const int top = view::toPx(window_.top, scale_);
    frameSize_ = QSize(std::max(1, view::toPx(double(window_.left) + window_.width, scale_) - left),
                       std::max(1, view::toPx(double(window_.top) + window_.height, scale_) - top));

    // The primary screen first: a window lost off every screen goes there.
    std::vector<form::Screen> screens;
    const QScreen* primary = QGuiApplication::primaryScreen();
    const auto add = [&screens](const QScreen* s) {
        screens.push_back({pixelBox(s->geometry()), pixelBox(s->availableGeometry())});
    };
    if (primary) add(primary);
    for (const QScreen* s : QGuiApplication::screens())
        if (s != primary) add(s);
    const form::PixelBox placed = form::placeFrame({left, top, frameSize_.width(), frameSize_.height()},
                                                   screens, view::toPx(kFallbackTwips, scale_));
    framePos_ = QPoint(placed.left, placed.top);
    // The model follows a move, so that shut-down stores where the window
    // really was rather than the place it could not open at.
    if (placed.left != left) window_.left = float(view::toTwips(placed.left, scale_));
    if (placed.top != top) window_.top = float(view::toTwips(placed.top, scale_));
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
        QPen pen(view::toQColor(line.colour, palette()));
        pen.setWidth(std::max(1, int(line.width * scale_ + 0.5)));
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.drawLine(view::toPx(line.x1, scale_), view::toPx(line.y1, scale_),
                         view::toPx(line.x2, scale_), view::toPx(line.y2, scale_));
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
// presses the default button, as dialogs do on this desktop.
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
    QWidget::keyPressEvent(event);
}

void FormWindow::recordPosition() {
    const QPoint outer = isVisible() ? frameGeometry().topLeft() : framePos_;
    // A window still where the model put it keeps the model's twips: going
    // through whole pixels would turn a stored 1000 into 1005.
    if (outer.x() != view::toPx(window_.left, scale_)) window_.left = float(view::toTwips(outer.x(), scale_));
    if (outer.y() != view::toPx(window_.top, scale_)) window_.top = float(view::toTwips(outer.y(), scale_));
}

}  // namespace ui
