#include "game/SharedState.h"

namespace tess {

SharedState& shared()
{
    static SharedState state;
    return state;
}

} // namespace tess
