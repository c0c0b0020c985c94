#pragma once
// A limit on how often something may happen: `perSecond` on average, with
// bursts of up to `burst` at once (a token bucket). Times are a steady
// clock's milliseconds.

#include <QtGlobal>

#include <algorithm>

namespace tess::net {

class RateLimit {
public:
    RateLimit(double perSecond, double burst) : perSecond_(perSecond), burst_(burst), tokens_(burst) {}

    // Whether `amount` more may pass at `now`; if so, it is counted.
    bool take(qint64 now, double amount = 1)
    {
        tokens_ = std::min(burst_, tokens_ + double(std::max<qint64>(now - last_, 0)) * perSecond_ / 1000.0);
        last_ = now;
        if (tokens_ < amount)
            return false;
        tokens_ -= amount;
        return true;
    }

private:
    double perSecond_;
    double burst_;
    double tokens_;
    qint64 last_ = 0;
};

} // namespace tess::net
