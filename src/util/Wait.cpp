#include "util/Wait.h"

#include "util/Trap.h"

#include <QEventLoop>
#include <QTime>
#include <QTimer>

#include <cmath>
#include <utility>

namespace tess {

namespace {
constexpr double SecondsPerDay = 86400.0;

ClockOfDay& clockOverride()
{
    static ClockOfDay clock;
    return clock;
}

double& waitScale()
{
    static double scale = 1.0;
    return scale;
}
} // namespace

void setWaitScale(double scale)
{
    waitScale() = scale;
}

void setClockOfDay(ClockOfDay clock)
{
    clockOverride() = std::move(clock);
}

double secondsSinceMidnight()
{
    if (clockOverride())
        return clockOverride()();
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

void waitSeconds(double seconds)
{
    trapped("Allgemein", "Verzoegerung", [&](Steps& step) {
        double wait = 0;
        step(50010, [&] {
            const double start = secondsSinceMidnight();
            wait = std::isfinite(seconds) ? std::min(seconds * waitScale(), SecondsPerDay - start) : 0.0;
        });
        step(50020, [&] {
            if (wait <= 0)
                return;
            QEventLoop loop;
            QTimer timer;
            timer.setSingleShot(true);
            timer.setTimerType(Qt::PreciseTimer);
            QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
            timer.start(static_cast<int>(std::ceil(wait * 1000.0)));
            loop.exec();
        });
    });
}

} // namespace tess
