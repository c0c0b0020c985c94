#pragma once
// The end of a game: the champions for one player, the winner for several,
// and the End button, which abandons a game or quits between games.

namespace tess {

class GameTable;
class PuzzleTable;

class GameEnd {
public:
    GameEnd(PuzzleTable& table, GameTable& game) : table_(table), game_(game) {}

    // The last piece lies (also in a saved game just loaded): the stack goes,
    // Start and the champions come back, and the game ends.
    void finishGame();
    // The champions for one player (the score cleared after), the winner for several.
    void showResult();
    void announceWinner();
    void abandonGameOrQuit();

private:
    PuzzleTable& table_;
    GameTable& game_;
};

} // namespace tess
