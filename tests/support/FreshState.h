#pragma once
// A fresh start for a test case: empty folders, the shared state as at a
// first start with its board size table, and the language table written out.

#include "language/Language.h"
#include "settings/SharedState.h"
#include "support/TestEnvironment.h"

namespace tess::test {

inline void freshState()
{
    clearFolders();
    shared() = SharedState{};
    fillBoardSizes();
    writeLanguageTable();
}

} // namespace tess::test
