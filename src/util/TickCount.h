#pragma once
// The millisecond tick counter the move clock runs on.

#include <QtGlobal>

#include <functional>

namespace tess {

// Milliseconds since an arbitrary start, as a 32-bit Long.
qint32 steadyMilliseconds();

// Tests set the clock; an empty function restores the real one.
void setTickSource(std::function<qint32()> source);

} // namespace tess
