#include "errors/GuardedApplication.h"

#include "util/RunTimeError.h"
#include "util/Trap.h"

namespace tess {

GuardedApplication::GuardedApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    trapped("Tessaron", "notify", [&](Steps& step) {
        step(50010, [&] { handled = QApplication::notify(receiver, event); });
    });
    return handled;
}

} // namespace tess
