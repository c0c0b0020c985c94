#include "util/ProgramEnd.h"

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
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

void setProgramEnder(std::function<void()> function)
{
    ender() = std::move(function);
}

} // namespace tess
