#pragma once
// The application object of the game. Every procedure traps its own run-time
// errors; should one slip past all of them, it is still reported through the
// error reporter (and the procedure left) instead of ending the program.

#include <QApplication>

namespace tess {

class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace tess
