#include "util/ProgramEnd.h"

#include "util/LockedWrites.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace tess {

namespace {
std::function<void()>& ender()
{
    static std::function<void()> function;
    return function;
}
} // namespace

void endProgramAtOnce(int exitCode)
{
    if (ender()) {
        ender()();
        return;
    }
    // What waits for another copy's lock is not lost: one last, bounded wait.
    for (const QString& path : finishWaitingWrites())
        std::fprintf(stderr, "tessaron: %s could not be written\n", qPrintable(path));
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

void setProgramEnder(std::function<void()> function)
{
    ender() = std::move(function);
}

} // namespace tess
