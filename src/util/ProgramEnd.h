#pragma once
// Ending the program at once, without unload steps: the "End" answer of the
// error reporter and the last resort of quitProgram. Tests replace the ending so
// they can watch it happen.

#include <functional>

namespace tess {

// Ends with `exitCode`: 0 when the player closed the game, 1 for the "End" answer.
void endProgramAtOnce(int exitCode = 1);

// Replaces what endProgramAtOnce does; an empty function restores the real end.
void setProgramEnder(std::function<void()> ender);

} // namespace tess
