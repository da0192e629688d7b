#include "ui/main/MainWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <map>

#include "ui/controls/ControlViews.h"
#include "ui/controls/ViewGeometry.h"
#include "ui/controls/ViewStyle.h"

namespace ui {

namespace {

double screenScale() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return dpi > 0 ? dpi / 96.0 : 1.0;
}

// A small panel of the window itself: a green title strip over a row of
// lamps, readable at 16 pixels.
QIcon programIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::black);
    QPainter p(&pixmap);
    p.fillRect(3, 4, 26, 5, QColor(0, 255, 0));
    for (int k = 0; k < 4; ++k) p.fillRect(4 + 6 * k, 14, 5, 5, k == 1 ? QColor(0, 255, 255) : Qt::red);
    p.fillRect(3, 24, 26, 3, QColor(0, 255, 0));
    return QIcon(pixmap);
}

// Where a window that would be lost off every screen opens instead: the
// default position of a first run, on the primary screen.
constexpr int kFallbackTwips = 1000;

}  // namespace

MainWindow::MainWindow(model::MainForm& form, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      form_(form),
      scale_(screenScale()) {
    setObjectName("VELMORA_MAIN");
    setAccessibleName("VELMORA_MAIN");
    setWindowIcon(programIcon());
    buildControls();
    form_.onWindowChanged = [this] { applyWindow(); };
    form_.onCloseRequested = [this] {
        close();
        unload();  // in case the close event could not be delivered
    };
    // The top-level's own native window (on X11 the one the window manager
    // manages), asked for at each use; none before it has been created.
    form_.windowHandle = [this]() -> platform::WindowHandle {
        return testAttribute(Qt::WA_WState_Created) ? static_cast<platform::WindowHandle>(winId()) : 0;
    };
    applyWindow();
}

MainWindow::~MainWindow() {
    form_.onWindowChanged = nullptr;
    form_.onCloseRequested = nullptr;
    form_.windowHandle = nullptr;
}

void MainWindow::buildControls() {
    std::multimap<int, QWidget*> tabOrder;
    for (form::Control* control : form_.controls()) {
        QWidget* w = view::createControlView(*control, this, scale_);
        if (w && control->tabIndex >= 0) tabOrder.emplace(control->tabIndex, w);
    }
    QWidget* previous = nullptr;
    for (const auto& [index, w] : tabOrder) {
        if (previous) setTabOrder(previous, w);
        previous = w;
    }
}

void MainWindow::applyWindow() {
    setWindowTitle(QString::fromStdString(form_.caption));
    const int left = view::toPx(form_.left, scale_);
    const int top = view::toPx(form_.top, scale_);
    frameSize_ = QSize(std::max(1, view::toPx(double(form_.left) + form_.width, scale_) - left),
                       std::max(1, view::toPx(double(form_.top) + form_.height, scale_) - top));

    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens()) screens.append(s->geometry());
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect available = primary ? primary->availableGeometry() : QRect();
    const int fallback = view::toPx(kFallbackTwips, scale_);
    framePos_ = screens.isEmpty() ? QPoint(left, top)
                                  : view::placeFrame(QRect(QPoint(left, top), frameSize_), screens, available,
                                                     QPoint(fallback, fallback));
    if (framePos_ != QPoint(left, top)) {
        // Moved to the fallback: the model follows, so that shut-down stores
        // the fallback's round twips, not a pixel-rounded neighbour.
        form_.left = float(view::toTwips(available.left(), scale_) + kFallbackTwips);
        form_.top = float(view::toTwips(available.top(), scale_) + kFallbackTwips);
    }
    setFixedSize(clientSize());
    move(framePos_);  // a top-level's position is its frame's
}

QSize MainWindow::clientSize() const {
    return {std::max(1, frameSize_.width() - frame_.left() - frame_.right()),
            std::max(1, frameSize_.height() - frame_.top() - frame_.bottom())};
}

// The model's size is the outer size, frame included, and the frame is known
// only once the window manager has put one round the window. When it turns up
// (or changes, as with a new theme) the client shrinks to fit and the frame
// goes back to its place.
void MainWindow::fitFrame() {
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

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fitFrame();
    // Window managers frame a new window a moment after it is mapped; look
    // again shortly in case no move or resize tells us.
    for (int ms : {50, 200, 1000}) QTimer::singleShot(ms, this, [this] { fitFrame(); });
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    fitFrame();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitFrame();
}

void MainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (const form::Line& line : form_.lines) {
        QPen pen(view::toQColor(line.colour, palette()));
        pen.setWidth(std::max(1, int(line.width * scale_ + 0.5)));
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.drawLine(view::toPx(line.x1, scale_), view::toPx(line.y1, scale_),
                         view::toPx(line.x2, scale_), view::toPx(line.y2, scale_));
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    unload();
    event->accept();
}

void MainWindow::unload() {
    if (form_.unloaded()) return;
    const QPoint outer = isVisible() ? frameGeometry().topLeft() : framePos_;
    // A window still where the model put it keeps the model's twips: going
    // through whole pixels would turn a stored 1000 into 1005.
    if (outer.x() != view::toPx(form_.left, scale_)) form_.left = float(view::toTwips(outer.x(), scale_));
    if (outer.y() != view::toPx(form_.top, scale_)) form_.top = float(view::toTwips(outer.y(), scale_));
    form_.Form_Unload();
    // The window's timers go with it.
    form_.scheduler().disableAll();
}

void MainWindow::paintNow() {
    if (!isVisible()) return;
    repaint();
    QGuiApplication::sync();
}

}  // namespace ui
