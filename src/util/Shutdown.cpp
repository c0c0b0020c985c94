#include "util/Shutdown.h"

#include "util/ProgramEnd.h"
#include "util/Trap.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace tess {

void quitProgram()
{
    ignoringErrors([](Steps& step) {
        QList<QPointer<QWidget>> windows;
        step(50010, [&] {
            // The window list in the order the windows were made.
            const QWidgetList widgets = QApplication::topLevelWidgets();
            for (QWindow* handle : QGuiApplication::topLevelWindows()) {
                for (QWidget* widget : widgets) {
                    if (widget->windowHandle() == handle && widget->isVisible())
                        windows.append(widget);
                }
            }
        });
        step(50020, [&] {
            std::for_each(windows.rbegin(), windows.rend(), [](const QPointer<QWidget>& window) {
                if (window)
                    window->close();
            });
        });
        step(50030, [&] {
            const bool anyLeft = std::any_of(windows.cbegin(), windows.cend(), [](const QPointer<QWidget>& window) {
                return window && window->isVisible();
            });
            if (anyLeft)
                endProgramAtOnce();
            else
                QCoreApplication::quit();
        });
    });
}

} // namespace tess
