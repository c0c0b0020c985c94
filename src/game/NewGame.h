#pragma once
// A new game: the board reset, the pieces shuffled and the game started.

namespace tess {

class GameTable;
class PuzzleTable;

class NewGame {
public:
    NewGame(PuzzleTable& table, GameTable& game) : table_(table), game_(game) {}

    void resetGame();
    void shuffle();
    void startGame();

private:
    PuzzleTable& table_;
    GameTable& game_;
};

} // namespace tess
