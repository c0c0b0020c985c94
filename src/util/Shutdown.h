#pragma once

namespace tess {

// Ends the program in order: every open window is closed, from the last to
// the first, each running its own unload step. Errors are skipped. When a
// window refuses to close, the program ends at once all the same.
void quitProgram();

} // namespace tess
