#include "ui/qt/controls/DrawingPainter.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>

#include <variant>

namespace ui::qt {

namespace {

namespace pic = model::pictures;

QColor qt(pic::Colour c) {
    return QColor(c.red, c.green, c.blue, c.alpha);
}
QRectF qt(const pic::Rect& r) {
    return QRectF(r.left, r.top, r.width, r.height);
}

QPolygonF qt(const std::vector<pic::Point>& points) {
    QPolygonF polygon;
    for (const pic::Point& p : points) polygon << QPointF(p.x, p.y);
    return polygon;
}

// Paints one shape; the painter keeps its pen and brush for the next.
struct ShapePainter {
    QPainter& p;

    void operator()(const pic::FilledRect& s) { p.fillRect(qt(s.rect), qt(s.colour)); }

    void operator()(const pic::Gradient& s) {
        const QRectF rect = qt(s.rect);
        QLinearGradient gradient(rect.topLeft(), s.vertical ? rect.bottomLeft() : rect.topRight());
        gradient.setColorAt(0, qt(s.from));
        gradient.setColorAt(1, qt(s.to));
        if (s.clip.empty()) {
            p.fillRect(rect, gradient);
            return;
        }
        QPainterPath clip, area;
        clip.addPolygon(qt(s.clip));
        clip.closeSubpath();
        area.addRect(rect);
        p.fillPath(clip.intersected(area), gradient);
    }

    void operator()(const pic::Polygon& s) {
        p.setPen(s.outline ? QPen(qt(*s.outline), 1) : QPen(Qt::NoPen));
        p.setBrush(s.fill ? QBrush(qt(*s.fill)) : QBrush(Qt::NoBrush));
        p.drawPolygon(qt(s.points));
    }

    void operator()(const pic::Ellipse& s) {
        p.setPen(Qt::NoPen);
        p.setBrush(qt(s.fill));
        p.drawEllipse(QPointF(s.centre.x, s.centre.y), s.radiusX, s.radiusY);
    }

    void operator()(const pic::Line& s) {
        p.setPen(QPen(qt(s.colour), s.width, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(s.from.x, s.from.y), QPointF(s.to.x, s.to.y));
    }
};

}  // namespace

void paintDrawing(QPainter& painter, const pic::Drawing& drawing, const QRectF& target) {
    if (drawing.width <= 0 || drawing.height <= 0) return;
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing, drawing.smooth);
    painter.translate(target.topLeft());
    painter.scale(target.width() / drawing.width, target.height() / drawing.height);
    ShapePainter shapes{painter};
    for (const pic::Shape& shape : drawing.shapes) std::visit(shapes, shape);
    painter.restore();
}

QPixmap drawingPixmap(const pic::Drawing& drawing, QSize size, double dpr) {
    QPixmap pixmap(QSize(qRound(size.width() * dpr), qRound(size.height() * dpr)));
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paintDrawing(painter, drawing, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

}  // namespace ui::qt
