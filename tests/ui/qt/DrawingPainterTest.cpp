// The Qt painter of toolkit-free drawings: where it paints, and at what scale.

#include <QImage>

#include <gtest/gtest.h>

#include "model/pictures/DocumentPicture.h"
#include "model/pictures/RivaPicture.h"
#include "ui/qt/controls/DrawingPainter.h"

TEST(DrawingPainter, PaintsTheWholeTargetAndNothingOutsideIt) {
    for (const QRectF target : {QRectF(7, 5, 314, 162), QRectF(3, 2, 157, 81), QRectF(0, 0, 628, 324)}) {
        QImage image(640, 340, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        ui::qt::paintDrawing(painter, model::pictures::rivaPicture(), target);
        painter.end();
        const QRect inside = target.toRect();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (inside.contains(x, y) != (image.pixelColor(x, y) != Qt::magenta))
                    FAIL() << "pixel " << x << "," << y << " for target " << inside.width() << "x"
                           << inside.height();
    }
}

TEST(DrawingPainter, ADocumentPixmapIsSharpAtTheScreensPixelRatio) {
    const QImage image =
        ui::qt::drawingPixmap(model::pictures::documentPicture(20, 24), QSize(20, 24), 2).toImage();
    ASSERT_EQ(image.size(), QSize(40, 48));
    // Edges two device pixels wide and crisp: no blend of outline and paper.
    EXPECT_EQ(image.pixelColor(0, 46), QColor(64, 64, 64));
    EXPECT_EQ(image.pixelColor(2, 46), QColor(64, 64, 64));
    EXPECT_EQ(image.pixelColor(2, 45), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(5, 20), QColor(70, 110, 190));  // the first text line
    EXPECT_EQ(image.pixelColor(39, 46).alpha(), 0);            // right of the sheet stays clear
}
