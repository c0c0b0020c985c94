#pragma once

#include <functional>

namespace tess {

// Waits the given seconds while window events (clicks, timer ticks, repaints)
// go on being handled: a local event loop ended by a timer, never a busy loop.
// Handlers may start other waits meanwhile. A wait that would run past
// midnight ends at midnight, as the classic seconds-since-midnight clock did.
void waitSeconds(double seconds);

// Tests run waits faster: every wait lasts `scale` times as long (1 restores).
void setWaitScale(double scale);

// Seconds since midnight; tests put the clock just before midnight.
using ClockOfDay = std::function<double()>;
void setClockOfDay(ClockOfDay clock);
double secondsSinceMidnight();

} // namespace tess
