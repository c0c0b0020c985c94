#include "util/StartTrace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace tess {

namespace {

struct Trace {
    long long launchNs = 0;
    std::FILE* file = nullptr;

    Trace()
    {
        const char* setting = std::getenv("TESSARON_START_TRACE");
        if (!setting)
            return;
        const char* colon = std::strchr(setting, ':');
        if (!colon)
            return;
        launchNs = std::atoll(setting);
        file = std::fopen(colon + 1, "a");
    }
    ~Trace()
    {
        if (file)
            std::fclose(file);
    }
};

Trace& trace()
{
    static Trace instance;
    return instance;
}

} // namespace

void startMark(const char* name)
{
    Trace& t = trace();
    if (!t.file)
        return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    timespec used{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    const long long ns = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
    std::fprintf(t.file, "%s %.2f %.2f\n", name, double(ns - t.launchNs) / 1e6,
                 double(used.tv_sec) * 1e3 + double(used.tv_nsec) / 1e6);
    std::fflush(t.file);
}

} // namespace tess
