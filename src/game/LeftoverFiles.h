#pragma once
// The temporary files that writes cut short by a crash or a kill leave
// behind, swept once the game is up.

namespace tess {

// Removes those of the files the game writes (settings, champions, saved
// game, error logs, picture copies, the player's added pictures): beside
// each file, and in the game's own picture folders; never another program's
// file, nor anything in a folder that is a link.
void sweepLeftoverFiles();

} // namespace tess
