// The baseline for the start-up benchmark: the least a Qt Widgets program can do to show one
// empty window of the conditions-of-use window's size.

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(627, 416);
    window.show();
    return app.exec();
}
