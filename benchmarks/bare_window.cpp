// The yardstick of the start-up benchmark: the least a Qt Widgets program
// does to show a 1024 x 768 window.
#include "util/StartTrace.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    tess::startMark("main");
    QApplication app(argc, argv);
    tess::startMark("application");
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.resize(1024, 768);
    window.show();
    tess::startMark("bare window shown");
    return QApplication::exec();
}
