// The yardstick for start-up cost: the least a Qt Widgets program does to
// put one empty window of the main window's size on the screen.

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("startup baseline"));
    window.resize(391, 570);
    window.show();
    return app.exec();
}
