#include "settings/SharedState.h"

#include "util/RunTimeError.h"

#include <cmath>

namespace tess {

SharedState& shared()
{
    static SharedState state;
    return state;
}

BoardSize sizeRule(int index)
{
    return {index + 3, int(std::floor((index + 3) * 1.334))};
}

void fillBoardSizes()
{
    for (int i = 0; i < 10; ++i)
        shared().boardSizes[std::size_t(i)] = sizeRule(i);
    shared().boardSizes[10] = {};
}

const BoardSize& boardSize(int index)
{
    if (index < 0 || index > 10)
        raiseError(ErrSubscript, QStringLiteral("GSize(%1)").arg(index));
    return shared().boardSizes[std::size_t(index)];
}

} // namespace tess
