#pragma once

#include <QPainter>
#include <QPixmap>
#include <QRectF>
#include <QSize>

#include "model/pictures/Drawing.h"

namespace ui::qt {

// Paints `drawing` with its canvas stretched over `target`, nothing outside it.
void paintDrawing(QPainter& painter, const model::pictures::Drawing& drawing, const QRectF& target);

// The drawing as a pixmap of `size` logical pixels for a screen of device
// pixel ratio `dpr`, transparent where nothing is drawn.
QPixmap drawingPixmap(const model::pictures::Drawing& drawing, QSize size, double dpr);

}  // namespace ui::qt
