#include "util/WindowButtons.h"

#include <QWidget>

namespace tess {

void withoutMaximizeButton(QWidget* window)
{
    // Customized, so that Qt adds no buttons of its own choosing.
    const Qt::WindowFlags wanted = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    const Qt::WindowFlags unwanted = Qt::WindowMaximizeButtonHint | Qt::WindowFullscreenButtonHint;
    window->setWindowFlags((window->windowFlags() & ~unwanted) | wanted);
}

} // namespace tess
