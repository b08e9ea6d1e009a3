// The baselines for the start-up benchmark: the least a Qt Widgets program can do to show one
// window of the conditions-of-use window's size. Built twice: empty, and with one line of text,
// since the first text a program draws starts fontconfig, a cost every real window pays.

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
#ifdef MINIMAL_WINDOW_WITH_TEXT
    QLabel window(QStringLiteral("Conditions of use"));
#else
    QWidget window;
#endif
    window.resize(627, 416);
    window.show();
    return app.exec();
}
