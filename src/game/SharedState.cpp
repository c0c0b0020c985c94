#include "game/SharedState.h"

#include "errors/RunTimeError.h"

#include <cmath>

namespace tess {

SharedState& shared()
{
    static SharedState state;
    return state;
}

void dimGSize()
{
    for (int n = 1; n <= 10; ++n) {
        BoardSize& size = shared().GSize[std::size_t(n - 1)];
        size.rows = qint16(n + 2);
        size.cols = qint16(std::floor((n + 2) * 1.334));
    }
    shared().GSize[10] = {};
}

const BoardSize& boardSize(qint16 index)
{
    if (index < 0 || index > 10)
        raiseError(ErrSubscript, QStringLiteral("GSize(%1)").arg(index));
    return shared().GSize[std::size_t(index)];
}

} // namespace tess
