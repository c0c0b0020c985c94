#pragma once
// The window art the start shows, from the start-up window to the game
// window's first paint, in the order it is shown.

#include <QStringList>

namespace tess {

// Read ahead while the application starts (main): a name missing here is
// read when shown, one listed and not shown is let go after the first paint.
QStringList artOfTheStart();

} // namespace tess
