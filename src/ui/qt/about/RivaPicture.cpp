#include "ui/qt/about/RivaPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>

namespace ui {

namespace {

constexpr int kWidth = 314;
constexpr int kHeight = 162;
constexpr int kHorizon = 104;

void drawSky(QPainter& p) {
    QLinearGradient sky(0, 0, 0, kHorizon);
    sky.setColorAt(0, QColor(4, 5, 14));
    sky.setColorAt(1, QColor(24, 28, 46));
    p.fillRect(0, 0, kWidth, kHorizon, sky);
    // A few fixed stars, the same on every drawing.
    p.setPen(Qt::NoPen);
    const std::array<QPoint, 14> stars{{{18, 12},
                                        {47, 30},
                                        {71, 8},
                                        {102, 22},
                                        {133, 6},
                                        {158, 27},
                                        {189, 14},
                                        {214, 33},
                                        {241, 9},
                                        {266, 24},
                                        {293, 11},
                                        {305, 36},
                                        {9, 41},
                                        {121, 39}}};
    for (std::size_t i = 0; i < stars.size(); ++i) {
        p.setBrush(QColor(200, 205, 230, i % 3 == 0 ? 220 : 120));
        p.drawEllipse(stars[i], 1, 1);
    }
}

void drawRoad(QPainter& p) {
    QLinearGradient ground(0, kHorizon, 0, kHeight);
    ground.setColorAt(0, QColor(30, 30, 34));
    ground.setColorAt(1, QColor(12, 12, 14));
    p.fillRect(0, kHorizon, kWidth, kHeight - kHorizon, ground);
    // Lane marks running to a vanishing point in the middle of the horizon.
    const QPointF vanish(kWidth / 2.0, kHorizon);
    p.setPen(QPen(QColor(90, 90, 96), 1));
    for (int x : {-120, 40, 274, 434}) p.drawLine(vanish, QPointF(x, kHeight));
    p.setPen(QPen(QColor(170, 160, 90), 2, Qt::DashLine));
    p.drawLine(vanish, QPointF(kWidth / 2.0, kHeight));
}

// The strip with its lamps; `lit` is the brightest lamp, the trail fades
// behind it to the left.
void drawScanner(QPainter& p) {
    constexpr int lamps = 8;
    constexpr int lit = 5;
    const QRectF strip(27, 78, 260, 26);
    QPainterPath body;
    body.addRoundedRect(strip, 9, 9);
    QLinearGradient metal(0, strip.top(), 0, strip.bottom());
    metal.setColorAt(0, QColor(70, 72, 80));
    metal.setColorAt(0.15, QColor(16, 16, 20));
    metal.setColorAt(1, QColor(4, 4, 6));
    p.setPen(QPen(QColor(95, 98, 108), 1));
    p.setBrush(metal);
    p.drawPath(body);

    constexpr double lampWidth = 24, gap = 7;
    const double first = strip.left() + (strip.width() - lamps * lampWidth - (lamps - 1) * gap) / 2;
    for (int i = 0; i < lamps; ++i) {
        const int behind = lit - i;  // 0: the lit lamp, 1..: its trail
        const int level = behind == 0 ? 255 : behind > 0 && behind < 4 ? 200 - 55 * behind : 45;
        const QRectF lamp(first + i * (lampWidth + gap), strip.top() + 8, lampWidth, strip.height() - 16);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(level, level / 12, 0));
        p.drawRoundedRect(lamp, 2, 2);
        if (behind == 0) {
            // The glow round the lit lamp and its smear on the road below.
            QRadialGradient glow(lamp.center(), 34);
            glow.setColorAt(0, QColor(255, 40, 20, 170));
            glow.setColorAt(1, QColor(255, 0, 0, 0));
            p.setBrush(glow);
            p.drawEllipse(lamp.center(), 34, 34);
            QLinearGradient smear(0, kHorizon, 0, kHeight);
            smear.setColorAt(0, QColor(255, 30, 10, 90));
            smear.setColorAt(1, QColor(255, 0, 0, 0));
            p.setBrush(smear);
            p.drawRect(QRectF(lamp.left() - 6, kHorizon, lamp.width() + 12, kHeight - kHorizon));
        }
    }
}

}  // namespace

QImage rivaPicture() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawSky(p);
    drawRoad(p);
    drawScanner(p);
    return image;
}

}  // namespace ui
