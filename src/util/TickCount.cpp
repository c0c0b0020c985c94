#include "util/TickCount.h"

#include <chrono>
#include <utility>

namespace tess {

namespace {
std::function<qint32()>& source()
{
    static std::function<qint32()> function;
    return function;
}
} // namespace

qint32 steadyMilliseconds()
{
    if (source())
        return source()();
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    // Wraps like the classic counter; only differences are ever used.
    return static_cast<qint32>(static_cast<quint32>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
}

void setTickSource(std::function<qint32()> function)
{
    source() = std::move(function);
}

} // namespace tess
