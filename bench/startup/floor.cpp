// The fair floor for VELMORA's start-up on Linux: its main window written by
// hand in plain Qt Widgets, with the same 86 controls (20 slot rows of a light
// and two tick boxes, the four ticks, five buttons, the countdown and status
// boxes, the banners, the scanner's eight lamps and two hidden headings), the
// same fonts and colours, tooltips, the separating lines and the Fusion style.
// What it leaves out is VELMORA itself: no models, timers, settings or
// desktop checks. Twips are laid out at 96 dpi (15 twips a pixel).

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QWidget>

namespace {

QRect box(int left, int top, int width, int height) {
    return {left / 15, top / 15, width / 15, height / 15};
}

QFont font(const char* family, double points, bool bold) {
    QFont f(QString::fromLatin1(family));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

void colour(QWidget* w, QPalette::ColorRole back, QColor b, QPalette::ColorRole fore, QColor f) {
    QPalette p = w->palette();
    p.setColor(back, b);
    p.setColor(fore, f);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

class Window : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(Qt::black);
        p.drawLine(8, 152, 383, 152);
        p.drawLine(8, 496, 383, 496);
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const QFont sans = font("Liberation Sans", 8.25, false);
    const QFont title = font("Liberation Sans", 9.75, true);
    const QFont counter = font("Liberation Sans", 13.5, true);
    const QFont heartbeat = font("Liberation Sans", 14.25, true);
    const QFont light = font("Liberation Sans", 8.25, true);

    Window window;
    window.setWindowTitle(QStringLiteral("VELMORA - velmora"));
    window.resize(391, 570);

    // Widgets are owned by the window.
    auto label = [&](const QString& text, QRect r, const QFont& f) {
        auto* l = new QLabel(text, &window);
        l->setGeometry(r);
        l->setFont(f);
        return l;
    };
    auto banner = [&](const QString& text, QRect r) {
        colour(label(text, r, title), QPalette::Window, Qt::black, QPalette::WindowText, Qt::green);
    };
    auto tick = [&](const QString& text, QRect r, const QFont& f) {
        auto* t = new QCheckBox(text, &window);
        t->setGeometry(r);
        t->setFont(f);
        return t;
    };
    auto display = [&](const QString& text, QRect r, const QFont& f, QColor back, QColor fore) {
        auto* e = new QLineEdit(text, &window);
        e->setGeometry(r);
        e->setFont(f);
        e->setReadOnly(true);
        e->setAlignment(Qt::AlignCenter);
        colour(e, QPalette::Base, back, QPalette::Text, fore);
        return e;
    };
    auto button = [&](const QString& text, QRect r) {
        auto* b = new QPushButton(text, &window);
        b->setGeometry(r);
        b->setFont(sans);
        return b;
    };

    banner(QStringLiteral("TARNHOLT"), box(120, 120, 2295, 315));
    banner(QStringLiteral("velmora"), box(2520, 120, 3135, 315));
    tick(QStringLiteral("AutoStart Timer"), box(480, 480, 1455, 195), sans);
    tick(QStringLiteral("AutoClose When Finished"), box(2880, 480, 2175, 195), sans);
    tick(QStringLiteral("Always On Top"), box(480, 720, 1455, 195), sans)->setChecked(true);
    tick(QStringLiteral("AutoStart RIVA HeartBeat"), box(2880, 720, 2415, 195), sans);
    label(QStringLiteral("Last Run:"), box(240, 1080, 975, 255), title);
    display(QString(), box(1200, 1080, 4335, 330), title, Qt::red, Qt::black);
    display(QStringLiteral("00"), box(240, 1680, 735, 435), counter, QColor(255, 128, 255), Qt::black);
    display(QStringLiteral("00"), box(4800, 1680, 735, 435), counter, QColor(255, 128, 255), Qt::black);
    display(QStringLiteral("00:00:00"), box(240, 7560, 1455, 405), heartbeat, Qt::black, Qt::green);
    button(QStringLiteral("START"), box(1200, 1680, 975, 375))->setToolTip(QStringLiteral("Start the list"));
    button(QStringLiteral("Settings"), box(2400, 1680, 1095, 375));
    button(QStringLiteral("START"), box(3720, 1680, 855, 375))->setEnabled(false);
    button(QStringLiteral("START"), box(1800, 7560, 855, 375))->setToolTip(QStringLiteral("HeartBeat"));
    button(QStringLiteral("About"), box(4800, 7560, 735, 375));

    for (int n = 1; n <= 20; ++n) {
        const int top = 2400 + 240 * (n - 1);
        display(QString::number(n), box(120, top, 375, 255), light, Qt::white, Qt::black);
        tick(QStringLiteral("TASK %1").arg(n), box(600, top, 4095, 255), title);
        tick(QStringLiteral("P-4-P"), box(4800, top, 735, 255), sans)
            ->setToolTip(QStringLiteral("Pause 4 Process"));
    }

    auto* background = label(QString(), box(240, 8160, 5295, 195), sans);
    colour(background, QPalette::Window, Qt::black, QPalette::WindowText, Qt::black);
    for (int k = 0; k < 7; ++k)
        colour(label(QString(), box(240 + 240 * k, 8160, 225, 195), sans), QPalette::Window,
               k == 0 ? QColor(Qt::red) : QColor(Qt::black), QPalette::WindowText, Qt::black);
    // The two headings over the hidden slot texts, off the visible area.
    label(QStringLiteral("Full Run Command"), box(6000, 2160, 2295, 255), title);
    label(QStringLiteral(" P-4-P - Process.exe Name"), box(9000, 2160, 2295, 255), title);

    window.show();
    return app.exec();
}
