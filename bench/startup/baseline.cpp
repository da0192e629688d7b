// The yardstick for start-up cost: the least a Qt Widgets program does to
// put one empty window of the main window's size on the screen. Given the
// argument "text" it also shows one line of text, which is what it costs any
// program to bring up the desktop's fonts.

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("startup baseline"));
    window.resize(391, 570);
    if (argc > 1 && std::strcmp(argv[1], "text") == 0) {
        auto* line = new QLabel(QStringLiteral("TASK 1"), &window);  // owned by the window
        line->move(40, 160);
    }
    window.show();
    return app.exec();
}
