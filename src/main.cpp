// Tessaron: a picture-tile game for one to four players.

#include "errors/ErrorReporter.h"
#include "errors/FltDesk.h"
#include "resources/Resources.h"
#include "sound/AudioDevice.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QWidget>

#include <memory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaron"));

    tess::ErrorDesk reporter(std::make_unique<tess::FltDeskPrompt>());
    tess::setErrorReporter(&reporter);

    if (tess::hasResItem(30001, QStringLiteral("icon"))) {
        QPixmap icon;
        icon.loadFromData(tess::LoadResData(30001, QStringLiteral("icon")));
        QApplication::setWindowIcon(QIcon(icon));
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("Tessaron"));
    window.resize(1024, 768);
    window.show();

    const int result = QApplication::exec();
    tess::AudioDevice::instance().close();
    tess::setErrorReporter(nullptr);
    return result;
}
