#include "util/Random.h"

#include "util/Numbers.h"
#include "util/Trap.h"

#include <atomic>
#include <chrono>
#include <cmath>

namespace tess {

namespace {

std::uint64_t splitmix64(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

std::function<float()>& randomSource()
{
    static std::function<float()> source;
    return source;
}

// A fresh seed from the clock for every draw. The clock is mixed with a draw
// counter: two draws within one clock tick would otherwise repeat each other.
float uniformFromClock()
{
    if (randomSource())
        return randomSource()();
    static std::atomic<std::uint64_t> draws{0};
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto nanos = static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
    const std::uint64_t seed = splitmix64(nanos ^ splitmix64(draws.fetch_add(1)));
    // 24 random bits: every value is exact in single precision and below 1.
    return static_cast<float>(seed >> 40) / 16777216.0f;
}

} // namespace

void setRandomSource(std::function<float()> source)
{
    randomSource() = std::move(source);
}

qint16 pickBetween(qint16 lo, qint16 hi, float r)
{
    const qint16 count = toInt16(static_cast<double>(hi) - lo + 1);
    const float value = static_cast<float>(count) * r + static_cast<float>(lo);
    qint16 result = toInt16(std::floor(value));
    // Single precision may round count * r + lo up to hi + 1 for r just below 1.
    if (count > 0 && result > hi)
        result = hi;
    return result;
}

qint16 randomBetween(qint16 lo, qint16 hi)
{
    qint16 result = 0;
    trapped("Allgemein", "zz", [&](Steps& step) {
        float r = 0;
        step(50010, [&] { r = uniformFromClock(); });
        step(50020, [&] { result = pickBetween(lo, hi, r); });
    });
    return result;
}

} // namespace tess
