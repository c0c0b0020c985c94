#pragma once

#include <QtGlobal>

#include <cstdint>
#include <functional>

namespace tess {

// A uniform random integer from lo to hi inclusive, drawn from a generator
// re-seeded from the clock before every draw. randomBetween(0, -1), the empty range, is 0.
// A range wider than 16 bits raises 6 (Overflow).
qint16 randomBetween(qint16 lo, qint16 hi);

// The arithmetic of randomBetween for a given r in [0, 1): floor(count * r + lo) in
// single precision, count = hi - lo + 1 as a 16-bit integer.
qint16 pickBetween(qint16 lo, qint16 hi, float r);

// Tests give the draws in [0, 1) themselves, for a game that goes the same
// way every time; an empty function restores the clock.
void setRandomSource(std::function<float()> source);

} // namespace tess
