#pragma once

#include "util/RunTimeError.h"

#include <functional>

namespace tess::test {

// The number of the run-time error the action raises, or 0 when it raises none.
inline int errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const RunTimeError& error) {
        return error.number();
    }
    return 0;
}

} // namespace tess::test
