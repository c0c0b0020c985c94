// The yardstick of the start-up benchmark: the least a Qt Widgets program
// does to show a 1024 x 768 window.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.resize(1024, 768);
    window.show();
    return QApplication::exec();
}
