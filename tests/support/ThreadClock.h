#pragma once
// The calling thread's own processor time. Unlike the clock on the wall, it
// does not grow while a busy machine (the sanitizer round, other tests) runs
// other work, so a bound on it fails only for work this thread really did.

#include <QtGlobal>

#include <time.h>

namespace tess::test {

inline qint64 threadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace tess::test
