#pragma once
// A game window loaded as the start-up loads it, in fresh folders, with the
// music off, for the tests of the window and its menus.

#include "window/PuzzleWindow.h"
#include "language/Language.h"
#include "settings/SharedState.h"
#include "support/FreshState.h"
#include "support/TestEnvironment.h"

#include <memory>

namespace tess::test {

inline std::unique_ptr<PuzzleWindow> loadedWindow()
{
    freshState();
    auto window = std::make_unique<PuzzleWindow>();
    window->table().load();
    shared().playMusic = false;
    return window;
}

} // namespace tess::test
